// The selection object: membership and the owner's notices, queries, the single-child answers, the choice
// of selection class, set-up and the class values.
#include "ManipulatorTestSupport.h"

#include "platform/WarningCapture.h"

#include <functional>

namespace {

const QStringList selectionNotices{QStringLiteral("selectionWillChange"), QStringLiteral("selectionDidChange")};

TEST_F(ManipulatorTest, EachChangeOfMembershipIsAnnouncedOnceAndKeepsTheFrameOnTheChildren)
{
    auto a = box(pf::Rect(10, 10, 40, 20));
    auto b = box(pf::Rect(100, 50, 30, 30));
    auto stranger = box(pf::Rect(300, 300, 10, 10));
    auto m = select({a});
    owner.undo.removeAllActions();

    struct Step {
        const char* what;
        std::function<void()> act;
        bool announced;
        std::size_t children;
        pf::Rect frame;
    };
    const Step steps[] = {
        {"add another", [&] { m->addShape(b); }, true, 2, pf::Rect(10, 10, 120, 70)},
        {"add it again", [&] { m->addShape(b); }, false, 2, pf::Rect(10, 10, 120, 70)},
        {"add the selection to itself", [&] { m->addShape(m); }, false, 2, pf::Rect(10, 10, 120, 70)},
        {"remove a shape not selected", [&] { m->removeShape(stranger); }, false, 2, pf::Rect(10, 10, 120, 70)},
        {"remove the first", [&] { m->removeShape(a); }, true, 1, pf::Rect(100, 50, 30, 30)},
        {"remove the last", [&] { m->removeShape(b); }, true, 0, pf::Rect::zero()},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(owner.takeCalls(), step.announced ? selectionNotices : QStringList());
        EXPECT_EQ(m->children().size(), step.children);
        EXPECT_EQ(m->frame(), step.frame);
    }
    EXPECT_TRUE(m->isEmpty());
    EXPECT_FALSE(m->hasMixed());
    EXPECT_FALSE(a->isSelected());
    EXPECT_FALSE(b->isSelected());
    EXPECT_FALSE(stranger->isSelected());
    // The children recorded nothing and the selection has no undo of its own.
    EXPECT_FALSE(owner.undo.canUndo());
}

// The owner rebuilds the inspector on did-change: by then the change must be complete.
class SnoopingOwner : public RecordingCompositionDelegate {
public:
    void compositionSelectionWillChange(Composition& page) override
    {
        RecordingCompositionDelegate::compositionSelectionWillChange(page);
        if (snoop)
            snoop("will");
    }
    void compositionSelectionDidChange(Composition& page) override
    {
        RecordingCompositionDelegate::compositionSelectionDidChange(page);
        if (snoop)
            snoop("did");
    }
    std::function<void(const char*)> snoop;
};

TEST_F(ManipulatorTest, WillChangeSeesTheOldSelectionAndDidChangeTheNewOne)
{
    SnoopingOwner snooper;
    page->setCompositionDelegate(&snooper);
    auto a = box(pf::Rect(10, 10, 40, 20));
    auto b = box(pf::Rect(100, 50, 30, 30));
    auto m = Manipulator::forShapes({a, b});
    page->addShape(m);
    m->addShape(a);

    QStringList seen;
    snooper.snoop = [&](const char* when) {
        seen << QStringLiteral("%1 %2 %3 %4")
                    .arg(QString::fromLatin1(when))
                    .arg(m->children().size())
                    .arg(b->isSelected() ? "selected" : "unselected")
                    .arg(pf::toString(m->frame()));
    };
    m->addShape(b);
    m->removeShape(b);
    m->removeAllShapes();
    snooper.snoop = nullptr;
    page->setCompositionDelegate(&owner);
    EXPECT_EQ(seen, (QStringList{
                        "will 1 unselected {{10, 10}, {40, 20}}",
                        "did 2 selected {{10, 10}, {120, 70}}",
                        "will 2 selected {{10, 10}, {120, 70}}",
                        "did 1 unselected {{10, 10}, {40, 20}}",
                        "will 1 unselected {{10, 10}, {40, 20}}",
                        "did 0 unselected {{0, 0}, {0, 0}}",
                    }));
}

TEST_F(ManipulatorTest, RemoveAllShapesAnnouncesEvenWhenNothingIsSelected)
{
    auto a = box(pf::Rect(10, 10, 40, 20));
    auto b = box(pf::Rect(100, 50, 30, 30));
    for (const bool empty : {true, false}) {
        SCOPED_TRACE(empty ? "empty" : "two children");
        auto m = empty ? select({}) : select({a, b});
        m->removeAllShapes();
        EXPECT_EQ(owner.takeCalls(), selectionNotices);
        EXPECT_TRUE(m->isEmpty());
        EXPECT_EQ(m->frame(), pf::Rect::zero());
        EXPECT_FALSE(a->isSelected());
        EXPECT_FALSE(b->isSelected());
        page->removeShape(m);
    }
}

TEST_F(ManipulatorTest, QueriesCountChildrenAndTheirKinds)
{
    struct Case {
        std::vector<const char*> kinds;
        bool empty, single, multiple, mixed;
    };
    const Case cases[] = {
        {{}, true, false, false, false},
        {{"Rectangle"}, false, true, false, false},
        {{"Rectangle", "Rectangle"}, false, false, true, false},
        {{"Rectangle", "Ellipse"}, false, false, true, true},
        {{"Ellipse", "Ellipse", "Rectangle"}, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kinds.size() > 0 ? c.kinds.back() : "none");
        SCOPED_TRACE(c.kinds.size());
        auto m = Shape::make<Manipulator>(pf::Rect::zero());
        page->addShape(m);
        double x = 10;
        for (const char* kind : c.kinds) {
            m->addShape(add(kind, pf::Rect(x, 10, 20, 20)));
            x += 30;
        }
        EXPECT_EQ(m->isEmpty(), c.empty);
        EXPECT_EQ(m->hasSingle(), c.single);
        EXPECT_EQ(m->hasMultiple(), c.multiple);
        EXPECT_EQ(m->hasMixed(), c.mixed);
        page->removeShape(m);
    }
}

TEST_F(ManipulatorTest, UprightOnlyAtHalfTurns)
{
    const std::pair<std::int64_t, bool> cases[] = {{0, true},    {180, true}, {90, false}, {270, false},
                                                   {-180, true}, {540, true}, {45, false}};
    for (const auto& [angle, upright] : cases) {
        SCOPED_TRACE(angle);
        auto child = box(pf::Rect(100, 100, 60, 40));
        child->setRotationAngle(angle);
        auto m = select({child});
        EXPECT_EQ(m->rotatedUpright(), upright);
        EXPECT_EQ(m->rotationAngle(), angle);
    }
    // Kept by childrenChanged, which the canvas calls after it turns the children.
    auto child = box(pf::Rect(100, 100, 60, 40));
    auto m = select({child});
    child->setRotationAngle(90);
    m->childrenChanged();
    EXPECT_FALSE(m->rotatedUpright());
}

TEST_F(ManipulatorTest, StandsInForItsSingleChild)
{
    page->setZoomScaleIndex(2); // scale 2
    auto a = box(pf::Rect(100, 100, 60, 40));
    auto b = box(pf::Rect(300, 100, 60, 40));
    a->setRotationAngle(30);
    b->setRotationAngle(60);
    ASSERT_EQ(a->rotationHandleRadius(), 100.0);

    auto one = select({a});
    EXPECT_EQ(one->rotationAngle(), 30);
    EXPECT_EQ(one->rotationHandleRadius(), 50.0);
    EXPECT_FALSE(one->isLocked());
    a->setLocked(true);
    EXPECT_TRUE(one->isLocked());
    a->setLocked(false);

    auto two = select({a, b});
    EXPECT_EQ(two->rotationAngle(), 0);
    EXPECT_EQ(two->rotationHandleRadius(), 0.0);
    EXPECT_FALSE(two->isLocked());
    b->setLocked(true);
    EXPECT_TRUE(two->isLocked()) << "any locked child locks the selection";

    auto none = select({});
    EXPECT_EQ(none->rotationAngle(), 0);
    EXPECT_EQ(none->rotationHandleRadius(), 100.0 / 2) << "its own radius over the scale";
    EXPECT_FALSE(none->isLocked());
}

// A turned child's frame is not rounded, and the selection must stand exactly on it.
TEST_F(ManipulatorTest, TakesATurnedChildsFrameUnrounded)
{
    auto child = box(pf::Rect(10, 10, 40, 20));
    child->setRotationAngle(45);
    child->setFrame(pf::Rect(10.25, 20.5, 50.5, 30.75));
    ASSERT_EQ(child->frame(), pf::Rect(10.25, 20.5, 50.5, 30.75));
    auto m = select({child});
    EXPECT_EQ(m->frame(), child->frame());
}

TEST_F(ManipulatorTest, ForShapesPicksTheKindsSelectionClassForOneShape)
{
    auto knob = add("Knob", pf::Rect(10, 20, 30, 40));
    auto rect = box(pf::Rect(100, 20, 30, 40));
    auto unbuilt = add("Unbuilt", pf::Rect(200, 20, 30, 40));
    auto misnamed = add("Misnamed", pf::Rect(300, 20, 30, 40));
    ASSERT_TRUE(knob && unbuilt && misnamed);

    struct Case {
        const char* what;
        Manipulator::Children shapes;
        const pf::ClassObject* expected;
        const char* warning; // a part of the logged message, or null for none
    };
    const Case cases[] = {
        {"one shape", {knob}, &KnobManipulator::staticClass(), nullptr},
        {"one shape twice", {knob, knob}, &KnobManipulator::staticClass(), nullptr},
        {"two shapes", {knob, rect}, &Manipulator::staticClass(), nullptr},
        {"a kind without its own", {rect}, &Manipulator::staticClass(), nullptr},
        {"a class not registered yet", {unbuilt}, &Manipulator::staticClass(), "UnbuiltManipulator"},
        {"a class that selects nothing", {misnamed}, &Manipulator::staticClass(), "\"Rectangle\""},
        {"the page", {page}, &CompositionManipulator::staticClass(), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WarningCapture warnings;
        std::shared_ptr<Manipulator> m = Manipulator::forShapes(c.shapes);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(&m->classObject(), c.expected) << qPrintable(m->classObject().className());
        EXPECT_EQ(m->frame(), c.shapes.front()->frame());
        EXPECT_TRUE(m->isEmpty()) << "children are added by the caller";
        if (c.warning)
            EXPECT_TRUE(warnings.contains(QString::fromLatin1(c.warning))) << qPrintable(warnings.messages().join('\n'));
        else
            EXPECT_TRUE(warnings.messages().isEmpty()) << qPrintable(warnings.messages().join('\n'));
    }

    std::shared_ptr<Manipulator> none = Manipulator::forShapes({});
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(&none->classObject(), &Manipulator::staticClass());
    EXPECT_EQ(none->frame(), pf::Rect::zero());
}

TEST_F(ManipulatorTest, IsAnInvisibleUnsavedNonTarget)
{
    auto m = select({box(pf::Rect(10, 10, 40, 20))});
    EXPECT_EQ(m->fillType(), 5u);
    EXPECT_EQ(m->strokeType(), 3u);
    EXPECT_FALSE(m->fillColor().has_value());
    EXPECT_FALSE(m->strokeColor().has_value());
    EXPECT_TRUE(m->fillShadowHidden());
    EXPECT_TRUE(m->strokeShadowHidden());
    EXPECT_FALSE(m->fillShadowColor().has_value());
    EXPECT_FALSE(m->strokeShadowColor().has_value());
    EXPECT_EQ(m->fillShadowBlur(), 0.0);
    EXPECT_EQ(m->strokeShadowBlur(), 0.0);

    EXPECT_TRUE(m->isManipulator());
    EXPECT_FALSE(m->isSavable());
    EXPECT_FALSE(m->isSelectable());
    EXPECT_FALSE(m->isSnapable());
    EXPECT_EQ(m->undoManager(), nullptr) << "the page has one; the selection must not record into it";
    EXPECT_FALSE(Manipulator::staticClass().wantsRegistration());
    EXPECT_FALSE(Manipulator::staticClass().isStickySettingEnabled());
    EXPECT_FALSE(CompositionManipulator::staticClass().isSavableKind());
}

TEST_F(ManipulatorTest, StoredDataNeverMakesASelection)
{
    const pf::Value stored = box(pf::Rect(10, 10, 40, 20))->asPlist();
    const std::pair<const char*, bool> cases[] = {
        {"Rectangle", true}, {"Manipulator", false}, {"CompositionManipulator", false}, {"KnobManipulator", false}};
    for (const auto& [className, reads] : cases) {
        SCOPED_TRACE(className);
        pf::Value plist = stored;
        plist.set(QStringLiteral("className"), pf::Value(QString::fromLatin1(className)));
        WarningCapture warnings;
        EXPECT_EQ(Shape::fromPlist(plist) != nullptr, reads);
    }
}

TEST_F(ManipulatorTest, DoubleClickEditsTheTextOfASingleEditableChild)
{
    auto rect = box(pf::Rect(10, 10, 40, 20));
    auto other = box(pf::Rect(100, 10, 40, 20));
    auto knob = add("Knob", pf::Rect(200, 10, 40, 20));
    struct Case {
        const char* what;
        Manipulator::Children shapes;
        bool withCanvas;
        bool edits;
    };
    const Case cases[] = {
        {"one shape with text", {rect}, true, true},
        {"one shape without in-place text", {knob}, true, false},
        {"two shapes", {rect, other}, true, false},
        {"no canvas", {rect}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingCanvas canvas;
        auto m = select(c.shapes);
        if (c.withCanvas)
            m->setCanvas(&canvas);
        EXPECT_EQ(m->doubleClickedAtPoint(pf::Point(20, 20)), c.edits);
        EXPECT_EQ(canvas.edited, c.edits ? std::vector<Shape*>{rect.get()} : std::vector<Shape*>{});
        m->setCanvas(nullptr);
    }
}

TEST_F(ManipulatorTest, ConnectionOptionPicturesAndKinds)
{
    const std::array<pf::Image, 5>& images = ManipulatorClass::optionImages();
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(images[i].isNull());
        EXPECT_GT(images[i].size().width, 0.0);
        EXPECT_GT(images[i].size().height, 0.0);
    }
    EXPECT_EQ(&ManipulatorClass::optionImages(), &images) << "made once";

    const std::pair<std::int64_t, const char*> names[] = {{11, ""}, {12, "Arc"}, {13, "SegmentedLine"},
                                                          {14, "SegmentedLine"}, {15, "Path"}, {16, "Line"}, {17, ""}};
    for (const auto& [handle, name] : names) {
        EXPECT_EQ(ManipulatorClass::pointerClassNameForConnectionOptionHandle(handle), QString::fromLatin1(name)) << handle;
        // Each name is a connector kind that stored data and the canvas can find.
        if (*name) {
            EXPECT_NE(pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(name)), nullptr) << name;
        }
    }
}

} // namespace
