// The selection classes the kinds name: which kind gets which, the adjustment drags of the ratio kinds,
// callouts and loupes, and what the capability-only classes withhold.
#include "ManipulatorTestSupport.h"

#include "controls/UIControl.h"
#include "manipulators/AdjustManipulators.h"
#include "manipulators/BezierManipulator.h"
#include "manipulators/PointerManipulators.h"
#include "model/Group.h"
#include "platform/WarningCapture.h"
#include "platform/foundation/Event.h"
#include "shapes/PictureKinds.h"
#include "shapes/TitleBox.h"

#include <cmath>
#include <optional>

namespace {

pf::Event dragEvent(pf::ModifierFlags modifiers = 0)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    e.modifierFlags = modifiers;
    return e;
}

// One whole adjustment drag ending at the point.
void adjustTo(Manipulator& m, const pf::Point& point, pf::ModifierFlags modifiers = 0)
{
    m.beginDragAdjustAtPointWithHandle(point, ManipulatorHandleAdjust);
    m.mouseDragAdjustEventAtPoint(dragEvent(modifiers), point);
    m.endDragAdjust(dragEvent(modifiers));
}

} // namespace

TEST_F(ManipulatorTest, EachKindGetsTheSelectionClassItNames)
{
    struct Case {
        const char* kind;
        const pf::ClassObject* expected;
    };
    const Case cases[] = {
        {"RoundRectangle", &RoundRectManipulator::staticClass()},
        {"Parallelogram", &ParallelogramManipulator::staticClass()},
        {"TitleBox", &TitleBoxManipulator::staticClass()},
        {"Pie", &PieManipulator::staticClass()},
        {"Diamond", &DiamondManipulator::staticClass()},
        {"Home", &DiamondManipulator::staticClass()},
        {"Input", &InputManipulator::staticClass()},
        {"Star", &StarManipulator::staticClass()},
        {"Cylinder", &CylinderManipulator::staticClass()},
        {"Arrow", &ArrowManipulator::staticClass()},
        {"Note", &ArrowManipulator::staticClass()},
        {"Box", &BoxManipulator::staticClass()},
        {"Folder", &FolderManipulator::staticClass()},
        {"Callout", &CalloutManipulator::staticClass()},
        {"Loupe", &LoupeManipulator::staticClass()},
        {"ResizeText", &ResizeTextManipulator::staticClass()},
        {"Redact", &RedactManipulator::staticClass()},
        {"Bracket", &GroupManipulator::staticClass()},
        {"UITextField", &UIControlManipulator::staticClass()},
        {"UIButton", &UIButtonManipulator::staticClass()},
        {"UISegmentedControl", &UISegmentedControlManipulator::staticClass()},
        {"UIToolbar", &UIToolbarManipulator::staticClass()},
        {"UIAlertDialog", &UIAlertDialogManipulator::staticClass()},
        {"Line", &LineManipulator::staticClass()},
        {"Arc", &LineManipulator::staticClass()},
        {"Pointer", &LineManipulator::staticClass()},
        {"SegmentedLine", &SegmentedLineManipulator::staticClass()},
        {"Brush", &BrushManipulator::staticClass()},
        {"Bezier", &BezierManipulator::staticClass()},
        {"Rectangle", &Manipulator::staticClass()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const auto shape = add(c.kind, {10, 10, 80, 60});
        ASSERT_NE(shape, nullptr);
        const auto m = shape->makeManipulator();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(&m->classObject(), c.expected) << qPrintable(m->classObject().className());
    }
    const auto group = Group::groupWithShapes({box({0, 0, 10, 10}), box({20, 0, 10, 10})});
    EXPECT_EQ(&group->makeManipulator()->classObject(), &GroupManipulator::staticClass());

    // Every stored kind's selection class is registered as one (but this suite's deliberately misnamed
    // kinds).
    for (const ShapeClass* kind : pf::ClassRegistry::shared().classesOfKind<ShapeClass>()) {
        if (!kind->isSavableKind() || kind == &Misnamed::staticClass() || kind == &Unbuilt::staticClass())
            continue;
        const QString name = kind->manipulatorClassName();
        EXPECT_NE(pf::ClassRegistry::shared().lookup<ManipulatorClass>(name), nullptr)
            << qPrintable(kind->className()) << " names " << qPrintable(name);
    }
}

TEST_F(ManipulatorTest, AdjustmentDragsMeasureAlongTheShapesOwnAxes)
{
    const pf::Rect wide(0, 0, 100, 60);
    struct Case {
        const char* what;
        const char* kind;
        pf::Rect frame;
        pf::Point point; // on the upright frame
        pf::ModifierFlags modifiers;
        std::optional<double> x, y; // expected; none: left as it was
    };
    const double q = 60 * std::sqrt(2.0) / 4 / std::sqrt(2.0); // the star's full reference along each axis
    const Case cases[] = {
        {"round rect", "RoundRectangle", wide, {25, 30}, 0, 0.75, {}},
        {"round rect, Shift to the nearest 0.05", "RoundRectangle", wide, {26, 30}, pf::ShiftKeyMask, 0.75, {}},
        {"round rect past the right edge", "RoundRectangle", wide, {130, 30}, 0, 0.0, {}},
        {"round rect past the left edge", "RoundRectangle", wide, {-20, 30}, 0, 1.0, {}},
        {"diamond", "Diamond", wide, {75, 30}, 0, 0.5, {}},
        {"diamond, Shift to the nearest tenth", "Diamond", wide, {77, 30}, pf::ShiftKeyMask, 0.5, {}},
        {"diamond left of the centre", "Diamond", wide, {30, 30}, 0, 1.0, {}},
        {"pie wider than tall: horizontal", "Pie", wide, {25, 45}, 0, 0.75, {}},
        {"square pie: vertical", "Pie", {0, 0, 60, 60}, {45, 15}, 0, 0.75, {}},
        {"input from the left edge", "Input", wide, {0, 30}, 0, 0.0, {}},
        {"input at a quarter", "Input", wide, {25, 30}, 0, 0.5, {}},
        {"cylinder top", "Cylinder", wide, {50, 0}, 0, {}, 0.0},
        {"cylinder quarter", "Cylinder", wide, {50, 15}, 0, {}, 0.25},
        {"arrow, X then Y", "Arrow", wide, {75, 15}, 0, 0.5, 0.5},
        {"box", "Box", wide, {75, 15}, 0, 0.25, 0.25},
        {"folder", "Folder", wide, {75, 15}, 0, 0.75, 0.5},
        {"star at the centre", "Star", wide, {50, 30}, 0, 0.0, {}},
        {"star at the reference", "Star", wide, {50 + q, 30 - q}, 0, 1.0, {}},
        {"star below the centre counts as on it", "Star", wide, {50, 50}, 0, 0.0, {}},
        {"flipped star at the reference", "Star", {0, 60, 100, -60}, {50 + q, 30 + q}, 0, 1.0, {}},
        {"flipped star at half", "Star", {0, 60, 100, -60}, {50 + q / 2, 30 + q / 2}, 0, 0.5, {}},
    };
    for (const Case& c : cases) {
        for (const std::int64_t angle : {0, 90}) {
            SCOPED_TRACE(testing::Message() << c.what << (angle ? ", turned" : ""));
            const auto shape = add(c.kind, c.frame);
            ASSERT_NE(shape, nullptr);
            shape->setRotationAngle(angle);
            const double startX = shape->adjustmentRatioX(), startY = shape->adjustmentRatioY();
            auto m = select({shape});
            const pf::Point p = angle ? shape->rotationTransform(angle).apply(c.point) : c.point;
            adjustTo(*m, p, c.modifiers);
            EXPECT_NEAR(shape->adjustmentRatioX(), c.x.value_or(startX), 1e-9);
            EXPECT_NEAR(shape->adjustmentRatioY(), c.y.value_or(startY), 1e-9);
            // The whole drag is one step.
            ASSERT_TRUE(owner.undo.undo());
            EXPECT_EQ(shape->adjustmentRatioX(), startX);
            EXPECT_EQ(shape->adjustmentRatioY(), startY);
            page->removeShape(m);
        }
    }
}

TEST_F(ManipulatorTest, ACalloutsHandleIsItsTailTipOnWholePoints)
{
    const auto callout = add("Callout", {0, 0, 100, 60});
    auto m = selectAs<CalloutManipulator>({callout});
    adjustTo(*m, {10.4, 20.6});
    EXPECT_EQ(callout->adjustPoint(), pf::Point(10, 21));
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_NE(callout->adjustPoint(), pf::Point(10, 21));
    // The tail reaches outside the frame: the selection redraws it too.
    EXPECT_TRUE(m->dirtyRect().contains(callout->dirtyRect()));
}

TEST_F(ManipulatorTest, ALoupesTargetIsAFixedSquareDraggedUnrounded)
{
    const auto shape = add("Loupe", {100, 100, 80, 80});
    auto* loupe = dynamic_cast<Loupe*>(shape.get());
    ASSERT_NE(loupe, nullptr);
    loupe->setZoomTargetPoint({50, 60});
    auto m = selectAs<LoupeManipulator>({shape});
    for (const std::int64_t zoom : {0, 4}) {
        page->setZoomScaleIndex(zoom);
        EXPECT_EQ(m->midMidHandle(), pf::Rect(38, 48, 24, 24)) << "zoom step " << zoom;
    }
    EXPECT_EQ(m->handleForPoint({40, 50}), QVRectCornerMidMid);
    EXPECT_FALSE(m->allowsRotation());
    EXPECT_FALSE(m->allowsConnection());

    page->setZoomScaleIndex(0);
    EditingCanvas canvas;
    canvas.snap = true;
    m->setCanvas(&canvas);
    m->beginDragAdjust1AtPointWithHandle({50, 60}, QVRectCornerMidMid);
    m->mouseDragAdjust1EventAtPoint(dragEvent(), {33.3, 44.7});
    m->endDragAdjust1(dragEvent());
    EXPECT_EQ(loupe->zoomTargetPoint(), pf::Point(33.3, 44.7));
    EXPECT_TRUE(canvas.snapped.empty());
    EXPECT_TRUE(m->dirtyRect().contains(QVSquareAroundPoint(pf::Point(33.3, 44.7), 34)));
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(loupe->zoomTargetPoint(), pf::Point(50, 60));
    m->setCanvas(nullptr);
}

TEST_F(ManipulatorTest, ControlsOfferOnlyTheHandlesTheirSizeAllows)
{
    const auto button = add("UIButton", {100, 100, 80, 44});
    auto* control = dynamic_cast<UIControl*>(button.get());
    ASSERT_NE(control, nullptr);
    control->setFixedWidth(80);
    auto m = selectAs<UIControlManipulator>({button});
    for (const std::int64_t corner : {0, 2, 3, 5, 6, 8})
        EXPECT_TRUE(QVRectIsZero(m->resizeHandle(corner))) << corner;
    EXPECT_FALSE(QVRectIsZero(m->resizeHandle(QVRectCornerBotMid)));
    EXPECT_TRUE(QVRectIsZero(m->rotationHandle()));
    EXPECT_TRUE(QVRectIsZero(m->connectionHandle()));

    // A resize keeps the fixed width.
    m->beginDragResizeAtPointWithHandle(centreOf(*m, m->resizeHandle(QVRectCornerBotMid)), QVRectCornerBotMid);
    m->mouseDragResizeEventAtPoint(dragEvent(), {190, 160});
    m->endDragResize(dragEvent());
    EXPECT_EQ(button->frame().width(), 80);
    EXPECT_EQ(button->frame().height(), 60);
    m->setFrame({100, 100, 200, 50});
    EXPECT_EQ(m->frame().width(), 80);

    // Only a kind with rounded corners has an adjustment handle.
    EXPECT_TRUE(m->hasRoundedCorners());
    EXPECT_FALSE(QVRectIsZero(m->adjustHandle()));
    const auto field = add("UITextField", {100, 200, 200, 44});
    auto plain = selectAs<UIControlManipulator>({field});
    EXPECT_FALSE(plain->hasRoundedCorners());
    EXPECT_TRUE(QVRectIsZero(plain->adjustHandle()));

    // The item border is the first control's, read and written alone.
    const auto second = add("UIButton", {100, 300, 80, 44});
    dynamic_cast<UIControl*>(second.get())->setHighlightBorderEnabled(true);
    // (The canvas selects several shapes with a plain selection; a control selection holding two is made here.)
    auto both = Shape::make<UIControlManipulator>(button->frame());
    page->addShape(both);
    both->addShape(button);
    both->addShape(second);
    EXPECT_FALSE(QVRectIsZero(both->resizeHandle(QVRectCornerMidRit))) << "several controls may grow";
    EXPECT_EQ(both->valueForKeyPath(QStringLiteral("highlightBorderEnabled")), pf::Variant(false));
    both->setValueForKeyPath(true, QStringLiteral("highlightBorderEnabled"));
    EXPECT_TRUE(control->isHighlightBorderEnabled());
    both->setValueForKeyPath(false, QStringLiteral("highlightBorderEnabled"));
    EXPECT_FALSE(control->isHighlightBorderEnabled());
    EXPECT_TRUE(dynamic_cast<UIControl*>(second.get())->isHighlightBorderEnabled());
}

TEST_F(ManipulatorTest, ResizableTextStaysConstrainedAndTitleBoxesEditTheCompartmentClicked)
{
    const auto text = add("ResizeText", {100, 100, 80, 40});
    auto m = selectAs<ResizeTextManipulator>({text});
    m->setValueForKeyPath(false, QStringLiteral("constrainAspectRatio"));
    EXPECT_TRUE(text->constrainAspectRatio());
    EXPECT_TRUE(m->constrainsAspectRatio());

    const auto shape = add("TitleBox", {100, 100, 200, 160});
    auto* box = dynamic_cast<TitleBox*>(shape.get());
    ASSERT_NE(box, nullptr);
    auto t = selectAs<TitleBoxManipulator>({shape});
    EXPECT_FALSE(t->allowsRotation());
    EditingCanvas canvas;
    t->setCanvas(&canvas);
    const pf::Rect body = box->bodyBoxRectForFrame(shape->frame());
    EXPECT_TRUE(t->doubleClickedAtPoint({body.midX(), body.midY()}));
    EXPECT_EQ(box->editType(), 2u);
    EXPECT_TRUE(t->doubleClickedAtPoint({body.midX(), 101}));
    EXPECT_EQ(box->editType(), 1u);
    EXPECT_EQ(canvas.edited, (std::vector<Shape*>{shape.get(), shape.get()}));
    t->setCanvas(nullptr);
}

TEST_F(ManipulatorTest, SelectionsWithoutRotationOrConnectionIgnoreClicksWhereTheyWouldBe)
{
    struct Case {
        const char* kind;
        bool rotates;
    };
    for (const Case& c : {Case{"Brush", false}, Case{"Redact", false}, Case{"Bracket", true}}) {
        SCOPED_TRACE(c.kind);
        const auto shape = add(c.kind, {200, 100, 80, 60});
        auto m = select({shape});
        EXPECT_EQ(m->allowsRotation(), c.rotates);
        EXPECT_FALSE(m->allowsConnection());
        if (!c.rotates) {
            EXPECT_EQ(m->handleForPoint(centreOf(*m, m->rotationHandle())), -1);
        }
        EXPECT_EQ(m->handleForPoint(centreOf(*m, m->Manipulator::connectionHandle())), -1);
        page->removeShape(m);
    }
}

TEST_F(ManipulatorTest, StoredDataNeverMakesASelection)
{
    // A selection class is found by name like a kind; a page naming one as a child skips it and says so.
    box({10, 10, 20, 20});
    pf::Value stored = page->asPlist();
    pf::Value children = pf::Value::array();
    for (const char* name : {"RoundRectManipulator", "Rectangle"}) {
        pf::Value entry = pf::Value::dictionary();
        entry.set("className", name);
        entry.set("frame", "{{1, 2}, {30, 40}}");
        children.append(entry);
    }
    stored.set("children", children);
    WarningCapture warnings;
    const auto read = Composition::fromPlist(stored);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->children().size(), 1u);
    EXPECT_EQ(read->children()[0]->classObject().className(), QStringLiteral("Rectangle"));
    EXPECT_TRUE(warnings.contains(QStringLiteral("RoundRectManipulator"))) << qPrintable(warnings.messages().join('\n'));
}
