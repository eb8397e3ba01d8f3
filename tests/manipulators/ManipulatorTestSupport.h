// Fixtures of the selection tests: every kind registered, the built-in settings over an empty user level, a
// 600 x 400 page on a recording owner, and test kinds with the handles the plain shapes lack.
#pragma once

#include "support/RecordingCompositionDelegate.h"

#include "controls/ControlKinds.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace pf {
inline void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
} // namespace pf

// A selection class of the kind below: a centre handle (4) for one child, and rotation that a test can
// switch off.
class KnobManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass()
    {
        static const ManipulatorClass c(QStringLiteral("KnobManipulator"), &Manipulator::staticClass(),
                                        &Shape::allocate<KnobManipulator>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }

    pf::Rect midMidHandle() const override { return hasSingle() ? QVSquareAroundPoint(center(), handleSide()) : pf::Rect(); }
    bool allowsRotation() const override { return rotates; }

    bool rotates = true;
};

// A kind with an adjustment point a quarter of the way in from the top-left corner, whose text is not
// edited in place, and whose selection is a KnobManipulator.
class Knob : public Shape {
public:
    class Class : public ShapeClass {
    public:
        using ShapeClass::ShapeClass;
        QString manipulatorClassName() const override { return QStringLiteral("KnobManipulator"); }
    };
    static const Class& staticClass()
    {
        static const Class c(QStringLiteral("Knob"), &Shape::staticClass(), &Shape::allocate<Knob>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }

    pf::Point adjustPoint() const override
    {
        return pf::Point(frame().x() + frame().width() / 4, frame().y() + frame().height() / 4);
    }
    bool canEditText() const override { return false; }
};

// A kind whose selection class is registered but is no selection class.
class Misnamed : public Shape {
public:
    class Class : public ShapeClass {
    public:
        using ShapeClass::ShapeClass;
        QString manipulatorClassName() const override { return QStringLiteral("Rectangle"); }
    };
    static const Class& staticClass()
    {
        static const Class c(QStringLiteral("Misnamed"), &Shape::staticClass(), &Shape::allocate<Misnamed>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

// A kind whose selection class nothing registers.
class Unbuilt : public Shape {
public:
    class Class : public ShapeClass {
    public:
        using ShapeClass::ShapeClass;
        QString manipulatorClassName() const override { return QStringLiteral("UnbuiltManipulator"); }
    };
    static const Class& staticClass()
    {
        static const Class c(QStringLiteral("Unbuilt"), &Shape::staticClass(), &Shape::allocate<Unbuilt>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

// The canvas side of a double click, and of the temporary guides the drags ask for.
class EditingCanvas : public ManipulatorCanvas {
public:
    bool dragCopy() const override { return false; }
    bool wantsSnap() const override { return snap; }
    void beginEditingTextIn(Shape& shape) override { edited.push_back(&shape); }
    struct TempGuide {
        std::uint64_t type;
        pf::Point from;
        pf::Point to;
    };
    void addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to) override
    {
        guides.push_back({type, from, to});
    }
    pf::Rect cleanUpTempGuidesWithManipulatorRect(const pf::Rect& rect) override
    {
        cleanUps.push_back(rect);
        return {};
    }
    void addSnappedShape(const std::shared_ptr<Shape>& shape) override { snapped.push_back(shape.get()); }
    void addConnection(const std::shared_ptr<Connection>& connection) override { offered.push_back(connection); }
    void discardConnection() override { ++discards; }
    bool snap = false;
    std::vector<Shape*> snapped;
    std::vector<Shape*> edited;
    std::vector<TempGuide> guides;
    std::vector<pf::Rect> cleanUps;
    // The connections a dragged connector end offered, and how often the offer was withdrawn.
    std::vector<std::shared_ptr<Connection>> offered;
    int discards = 0;
};

class ManipulatorTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        pf::ClassRegistry& registry = pf::ClassRegistry::shared();
        registerControlKinds(registry);
        registerManipulatorClasses(registry);
        registry.add(KnobManipulator::staticClass());
        registry.add(Knob::staticClass());
        registry.add(Misnamed::staticClass());
        registry.add(Unbuilt::staticClass());
        (void)UserDefaults::instance();
    }
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(600);
        metrics->setHeight(400);
        page = Composition::make(metrics);
        page->setCompositionDelegate(&owner);
    }
    void TearDown() override
    {
        page->setCompositionDelegate(nullptr);
        page.reset();
        pf::UserDefaultsStore::replaceStandard(std::move(previous_));
    }

    // A shape of the registered kind on the page.
    std::shared_ptr<Shape> add(const char* kind, const pf::Rect& frame)
    {
        const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(kind));
        EXPECT_NE(k, nullptr) << kind;
        if (!k)
            return nullptr;
        std::shared_ptr<Shape> shape = k->newShape(frame);
        page->addShape(shape);
        return shape;
    }
    std::shared_ptr<Shape> box(const pf::Rect& frame) { return add("Rectangle", frame); }

    // The selection of these shapes as the canvas makes it: chosen for them, put on the page, filled. The
    // owner's notices so far are dropped.
    std::shared_ptr<Manipulator> select(const Manipulator::Children& shapes)
    {
        std::shared_ptr<Manipulator> m = Manipulator::forShapes(shapes);
        page->addShape(m);
        for (const auto& shape : shapes)
            m->addShape(shape);
        owner.takeCalls();
        return m;
    }
    template <class M>
    std::shared_ptr<M> selectAs(const Manipulator::Children& shapes)
    {
        auto m = std::dynamic_pointer_cast<M>(select(shapes));
        EXPECT_NE(m, nullptr);
        return m;
    }

    // The middle of the handle as it stands on the page (turned with the selection).
    static pf::Point centreOf(const Manipulator& m, const pf::Rect& handle)
    {
        const pf::Rect r = m.pathForHandleRect(handle).bounds();
        return pf::Point(r.midX(), r.midY());
    }

    RecordingCompositionDelegate owner;
    std::shared_ptr<Composition> page;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};
