// A page on a recording owner, with helpers to put boxes on it.
#pragma once

#include "support/RecordingCompositionDelegate.h"
#include "ShapeTestSupport.h"

#include "model/Composition.h"
#include "model/Group.h"
#include "model/Rectangle.h"

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class CompositionTest : public ShapeTest {
protected:
    void SetUp() override
    {
        ShapeTest::SetUp();
        page = pageOfSize(600, 400);
        page->setCompositionDelegate(&owner);
    }
    void TearDown() override
    {
        page->setCompositionDelegate(nullptr);
        ShapeTest::TearDown();
    }

    static std::shared_ptr<Composition> pageOfSize(double width, double height, unsigned unit = Metrics::Points)
    {
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(width);
        metrics->setHeight(height);
        metrics->setUnitType(unit);
        return Composition::make(metrics);
    }
    std::shared_ptr<TestBox> box(const QString& title, const pf::Rect& frame = pf::Rect(10, 10, 40, 20))
    {
        auto b = Shape::make<TestBox>(frame);
        b->setTitle(title);
        return b;
    }
    // Boxes "a", "b", … added in order, with the notices and undo steps of adding them dropped.
    std::vector<std::shared_ptr<TestBox>> addBoxes(int count)
    {
        std::vector<std::shared_ptr<TestBox>> boxes;
        for (int i = 0; i < count; ++i) {
            boxes.push_back(box(QString(QChar('a' + i)), pf::Rect(10.0 * i, 0, 40, 20)));
            page->addShape(boxes.back());
        }
        owner.undo.removeAllActions();
        owner.takeCalls();
        return boxes;
    }
    QString titles(const Parent& parent) const
    {
        QString s;
        for (const auto& child : parent.children())
            s += child->title();
        return s;
    }

    RecordingCompositionDelegate owner;
    std::shared_ptr<Composition> page;
};
