// Fixtures of the outline tests: registered kinds, the built-in defaults over an empty user level, and
// readable forms of path elements.
#pragma once

#include "model/Shape.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "shapes/ShapeKinds.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pf {
inline void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
} // namespace pf

// One element as text: "M 1 2", "L 3 4", "C 1 2 3 4 5 6" (controls, then end), "Z".
inline std::string elementText(const pf::PathElement& e)
{
    const auto number = [](double v) {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.')
            s.pop_back();
        return s == "-0" ? std::string("0") : s;
    };
    std::string text;
    switch (e.type) {
    case pf::PathElementType::MoveTo: text = "M"; break;
    case pf::PathElementType::LineTo: text = "L"; break;
    case pf::PathElementType::QuadTo: text = "Q"; break;
    case pf::PathElementType::CurveTo: text = "C"; break;
    case pf::PathElementType::Close: return "Z";
    }
    for (int i = 0; i < e.pointCount(); ++i)
        text += " " + number(e.points[i].x) + " " + number(e.points[i].y);
    return text;
}

inline std::vector<std::string> elementTexts(const pf::Path& path)
{
    std::vector<std::string> texts;
    for (const pf::PathElement& e : path.elements())
        texts.push_back(elementText(e));
    return texts;
}

// The end points of the elements, closes left out.
inline std::vector<pf::Point> vertices(const pf::Path& path)
{
    std::vector<pf::Point> points;
    for (const pf::PathElement& e : path.elements())
        if (e.type != pf::PathElementType::Close)
            points.push_back(e.endPoint());
    return points;
}

// Every outline kind, by class name.
inline const char* const allOutlineKinds[] = {
    "RoundRectangle", "Ellipse", "Triangle", "RightTriangle", "Diamond", "Home",     "Parallelogram",
    "Input",          "DoubleInput", "Star", "PolygonShape",  "Cylinder", "Arrow",  "DoubleArrow",
    "Note",           "Folder",  "Box",      "Pie",           "Swoosh",   "Man",    "Tearaway",
    "DoubleTearaway", "Cloud",   "Bracket",  "Blob",          "Fan"};

class OutlineTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        registerShapeKinds(pf::ClassRegistry::shared());
        (void)UserDefaults::instance();
    }
    // The built-in values stay registered; what a test writes at the user level goes with the store.
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
    }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    static std::shared_ptr<Shape> make(const char* kind, const pf::Rect& frame)
    {
        const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(kind));
        EXPECT_NE(k, nullptr) << kind;
        return k ? k->newShape(frame) : nullptr;
    }
    template <class Kind>
    static std::shared_ptr<Kind> make(const pf::Rect& frame, double ratioX, double ratioY = 0)
    {
        auto shape = Shape::make<Kind>(frame);
        shape->setAdjustmentRatioX(ratioX);
        shape->setAdjustmentRatioY(ratioY);
        return shape;
    }

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};
