// The pointer logic of the canvas without a tool, driven by Qt events as a user makes them.
#include "canvas/support/CanvasFixture.h"

#include "canvas/Lasso.h"
#include "canvas/ToolTip.h"
#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UserDefaultsStore.h"

namespace {

constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Command = Qt::ControlModifier;
constexpr auto Option = Qt::AltModifier;
constexpr auto Control = Qt::MetaModifier;

void setDefault(const char* key, const pf::Value& value)
{
    pf::UserDefaultsStore::standard().setObjectForKey(value, QString::fromLatin1(key));
}

} // namespace

class CanvasEventsTest : public CanvasFixture {
protected:
    Canvas::Shapes selected() const { return canvas->selectedShapes(); }
    // The middle of a shape's frame.
    static pf::Point middle(const std::shared_ptr<Shape>& s) { return {s->frame().midX(), s->frame().midY()}; }
};

TEST_F(CanvasEventsTest, ClicksSelectAddAndTakeAway)
{
    click(middle(rectangle));
    EXPECT_EQ(selected(), Canvas::Shapes{rectangle});
    click(middle(ellipse), Shift);
    EXPECT_EQ(selected(), (Canvas::Shapes{rectangle, ellipse}));
    click(middle(rectangle), Command); // out of a multiple selection
    EXPECT_EQ(selected(), Canvas::Shapes{ellipse});
    click(middle(ellipse), Command); // the last one: nothing is left
    EXPECT_TRUE(selected().empty());

    click(middle(rectangle));
    click(pf::Point(700, 50), Command); // nothing under the point, Command held: kept
    EXPECT_EQ(selected(), Canvas::Shapes{rectangle});
    click(pf::Point(700, 50)); // nothing under the point: deselected
    EXPECT_TRUE(selected().empty());
    endTurn();
    EXPECT_FALSE(undo.canUndo()); // selecting is no edit
}

TEST_F(CanvasEventsTest, ThePageIsToldAMouseDragRunsFromPressToRelease)
{
    press(pf::Point(700, 50));
    EXPECT_TRUE(page->isMouseDragging());
    release(pf::Point(700, 50));
    EXPECT_FALSE(page->isMouseDragging());
}

TEST_F(CanvasEventsTest, ADragInsideTheThresholdChangesNothing)
{
    const pf::Rect before = rectangle->frame();
    press(middle(rectangle));
    dragTo(middle(rectangle) + pf::Point(1, 1));
    EXPECT_FALSE(canvas->manipulator()->dragDidChange());
    release(middle(rectangle) + pf::Point(1, 1));
    endTurn();
    EXPECT_EQ(rectangle->frame(), before);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(CanvasEventsTest, ADragPastTheThresholdMovesTheSelectionAsOneUndoStep)
{
    const pf::Rect before = rectangle->frame();
    drag(middle(rectangle), middle(rectangle) + pf::Point(30, 20));
    endTurn();
    EXPECT_EQ(rectangle->frame(), before.offsetBy(30, 20));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rectangle->frame(), before);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(CanvasEventsTest, ShiftPressedDuringAMoveLocksTheAxisAtOnce)
{
    const pf::Rect before = rectangle->frame();
    const pf::Point start = middle(rectangle);
    press(start);
    dragTo(start + pf::Point(10, 3));
    dragTo(start + pf::Point(40, 12));
    EXPECT_EQ(rectangle->frame().origin, before.origin + pf::Point(40, 12));
    // No motion: the step runs again with Shift and chooses its axis, then the next one keeps y.
    modifiersChange(Shift);
    EXPECT_EQ(canvas->manipulator()->lockType(), 1u);
    dragTo(start + pf::Point(40, 12), Shift);
    EXPECT_EQ(rectangle->frame().origin, before.origin + pf::Point(40, 0));
    release(start + pf::Point(40, 12), Shift);
}

TEST_F(CanvasEventsTest, AHandleDragResizesAndShowsTheLiveSize)
{
    click(middle(rectangle)); // (100, 100, 100, 60)
    drag(pf::Point(200, 160), pf::Point(220.4, 180.6));
    ASSERT_TRUE(canvas->toolTip());
    EXPECT_EQ(rectangle->frame(), pf::Rect(100, 100, 120, 81));

    canvas->showToolTipWithSize(pf::Size(120.4, 80.6));
    EXPECT_EQ(canvas->toolTip()->string().string(), QStringLiteral("W:120 | H:81"));
    EXPECT_TRUE(canvas->toolTip()->isVisible());
    canvas->hideToolTip();
    EXPECT_FALSE(canvas->toolTip()->isVisible());

    setDefault("CoordinatesTooltipVisible", false);
    canvas->showToolTipWithSize(pf::Size(120.4, 80.6));
    EXPECT_FALSE(canvas->toolTip()->isVisible());
}

TEST_F(CanvasEventsTest, TheLabelStaysInsideTheCanvas)
{
    canvas->replaceSelectionWithShape(rectangle);
    hover(pf::Point(canvas->convertPointToComposition(pf::Point(canvas->bounds().maxX() - 2, 300))));
    canvas->showToolTipWithRect(pf::Rect(3, 4, 20, 30));
    ToolTip* tip = canvas->toolTip();
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->string().string(), QStringLiteral("X:    3 | Y:    4\nW:   20 | H:   30"));
    EXPECT_EQ(tip->frame().maxX(), canvas->bounds().maxX() - 5); // the label's right edge meets the bounds
    EXPECT_GE(tip->frame().x(), 0);
}

TEST_F(CanvasEventsTest, SnappingIsWantedOnlyForSlowSteps)
{
    struct Case {
        bool snapEnabled;
        pf::Point step;
        bool wantsSnap;
    };
    const Case cases[] = {
        {true, {0.5, 20}, true},  // slow on x
        {true, {20, 0.5}, true},  // slow on y
        {true, {20, 20}, false},  // fast on both
        {false, {0.5, 0.5}, false},
    };
    for (const Case& c : cases) {
        setDefault("SnapEnabled", c.snapEnabled);
        const pf::Point start = middle(rectangle);
        press(start);
        dragTo(start + pf::Point(30, 30));
        dragTo(start + pf::Point(30, 30) + c.step);
        EXPECT_EQ(canvas->wantsSnap(), c.wantsSnap) << c.step.x << " " << c.step.y;
        release(start + pf::Point(30, 30) + c.step);
        endTurn();
        undo.undo();
    }
}

TEST_F(CanvasEventsTest, TheBandSelectsWhatItTouches)
{
    // Up and to the left is the mirror of down and to the right.
    for (const auto& [from, to] : {std::pair{pf::Point(390, 200), pf::Point(90, 90)},
                                   std::pair{pf::Point(90, 90), pf::Point(390, 200)}}) {
        press(from);
        dragTo(to);
        ASSERT_TRUE(canvas->lasso());
        EXPECT_EQ(canvas->lasso()->frame(), pf::Rect(90, 90, 300, 110));
        EXPECT_EQ(canvas->orderedSelectedShapes(), (Canvas::Shapes{rectangle, ellipse})); // touched, not enclosed
        release(to);
        EXPECT_FALSE(canvas->lasso());
        for (const auto& child : page->children())
            EXPECT_FALSE(child->isLasso());
    }

    // Shrinking the band deselects what it leaves.
    press(pf::Point(90, 90));
    dragTo(pf::Point(390, 200));
    dragTo(pf::Point(150, 150));
    EXPECT_EQ(selected(), Canvas::Shapes{rectangle});
    release(pf::Point(150, 150));

    // With Command what was selected stays, even when the band touches nothing.
    click(middle(ellipse));
    press(pf::Point(90, 90), Command);
    dragTo(pf::Point(150, 150), Command);
    dragTo(pf::Point(95, 95), Command);
    EXPECT_EQ(selected(), (Canvas::Shapes{ellipse, rectangle}));
    release(pf::Point(95, 95), Command);
}

TEST_F(CanvasEventsTest, TheBandNeverSelectsLockedOrIgnoredShapes)
{
    ellipse->setLocked(true);
    // A press on a locked shape starts a band that ignores it.
    drag(middle(ellipse), pf::Point(90, 90), {}, 3);
    EXPECT_EQ(selected(), Canvas::Shapes{rectangle});
    // Control and Option: the shape under the press is ignored by the band.
    ellipse->setLocked(false);
    canvas->selectNone();
    drag(middle(rectangle), pf::Point(390, 190), Control | Option, 3);
    EXPECT_EQ(selected(), Canvas::Shapes{ellipse});
}

TEST_F(CanvasEventsTest, TheBandsOutlineIsOneScreenPointAtEveryZoom)
{
    for (const std::int64_t step : {-3, 4}) { // 0.25 and 4
        page->setZoomScaleIndex(step);
        const double s = Composition::zoomScaleForIndex(step);
        const auto& band = Lasso::selectionLasso();
        band->setFrame(pf::Rect(10, 10, 20.0 + double(step + 4), 20)); // a band is redrawn as its frame changes
        page->addShape(band);
        EXPECT_EQ(band->dirtyRect(), pf::Rect(10 - 1 / s, 10 - 1 / s, 20.0 + double(step + 4) + 2 / s, 20 + 2 / s));
        page->removeShape(band);
    }
}

TEST_F(CanvasEventsTest, EscapeRemovesTheBandAndTheSelection)
{
    press(pf::Point(90, 90));
    dragTo(pf::Point(250, 250));
    ASSERT_TRUE(canvas->lasso());
    ASSERT_TRUE(canvas->hasSelection());
    keyDown(Qt::Key_Escape);
    EXPECT_FALSE(canvas->lasso());
    EXPECT_FALSE(canvas->hasSelection());
    for (const auto& child : page->children())
        EXPECT_FALSE(child->isLasso());
    release(pf::Point(250, 250));
}

TEST_F(CanvasEventsTest, ControlAloneArmsTheZoomBand)
{
    modifiersChange(Control);
    EXPECT_TRUE(canvas->dragZoom());
    EXPECT_EQ(canvas->shownCursor().shape(), pf::Cursor::Shape::Crosshair);
    // A drag zooms to its band.
    drag(pf::Point(100, 100), pf::Point(320, 250), Control);
    EXPECT_FALSE(canvas->dragZoom());
    EXPECT_EQ(page->zoomScaleIndex(), 4);
    EXPECT_FALSE(canvas->lasso());
    modifiersChange({});

    // A Control-click asks for the context menu.
    page->setZoomScaleIndex(0);
    modifiersChange(Control);
    click(pf::Point(700, 50), Control);
    endTurn();
    EXPECT_EQ(canvas->contextMenuRequests(), 1);
    modifiersChange({});

    // Escape, or another modifier, leaves the mode.
    modifiersChange(Control);
    keyDown(Qt::Key_Escape, Control);
    EXPECT_FALSE(canvas->dragZoom());
    modifiersChange({});
    modifiersChange(Control);
    EXPECT_TRUE(canvas->dragZoom());
    modifiersChange(Control | Shift);
    EXPECT_FALSE(canvas->dragZoom());
    EXPECT_EQ(canvas->shownCursor().shape(), pf::Cursor::Shape::Arrow);
}

TEST_F(CanvasEventsTest, SpaceAndADragScrollWithTheHand)
{
    page->setZoomScaleIndex(4);
    canvas->scrollPoint(pf::Point(1000, 1000));
    keyDown(Qt::Key_Space, {}, QStringLiteral(" "));
    EXPECT_TRUE(canvas->dragScroll());
    EXPECT_EQ(canvas->shownCursor().shape(), pf::Cursor::Shape::OpenHand);
    const pf::Point start = canvas->convertPointToComposition(pf::Point(1500, 1400));
    press(start);
    EXPECT_EQ(canvas->shownCursor().shape(), pf::Cursor::Shape::ClosedHand);
    dragTo(start - pf::Point(10, 5)); // 40 and 20 view points at zoom 4
    EXPECT_EQ(canvas->visibleRect().origin, pf::Point(1040, 1020));
    release(start - pf::Point(10, 5));
    EXPECT_EQ(canvas->shownCursor().shape(), pf::Cursor::Shape::OpenHand);
    keyUp(Qt::Key_Space);
    EXPECT_FALSE(canvas->dragScroll());
    EXPECT_EQ(canvas->shownCursor().shape(), pf::Cursor::Shape::Arrow);
}

TEST_F(CanvasEventsTest, ADoubleClickSelectsTheInnermostShapeOfAGroup)
{
    auto* grouped = dynamic_cast<Group*>(group.get());
    ASSERT_TRUE(grouped);
    const auto inner = grouped->children().back();
    ASSERT_EQ(inner->composition(), page.get());
    const pf::Point p = middle(inner);
    EXPECT_EQ(grouped->shapeAtPoint(p), inner) << "grouped";
    click(p);
    EXPECT_EQ(selected(), Canvas::Shapes{group});
    press(p, {}, Qt::LeftButton, true);
    EXPECT_EQ(selected(), Canvas::Shapes{inner});
    // The rest of the gesture does nothing.
    dragTo(p + pf::Point(40, 40));
    release(p + pf::Point(40, 40));
    EXPECT_EQ(inner->frame().origin, pf::Point(460, 320));
    // On nothing, a double click is a single click.
    click(pf::Point(700, 50));
    click(pf::Point(700, 50), {}, true);
    EXPECT_TRUE(selected().empty());
    EXPECT_FALSE(canvas->killDrag());
}

TEST_F(CanvasEventsTest, HoverShowsThePageEdgesCursorsAndNeverDeselects)
{
    struct Case {
        pf::Point page;
        const pf::Cursor& cursor;
    };
    const Case cases[] = {
        {{0, 0}, Canvas::resizeDiagonalTopLefCursor()},
        {{800, 0}, Canvas::resizeDiagonalTopRitCursor()},
        {{0, 600}, Canvas::resizeDiagonalBotLefCursor()},
        {{800, 600}, Canvas::resizeDiagonalBotRitCursor()},
        {{400, 0}, pf::Cursor::resizeUpDown()},
        {{400, 600}, pf::Cursor::resizeUpDown()},
        {{0, 300}, pf::Cursor::resizeLeftRight()},
        {{800, 300}, pf::Cursor::resizeLeftRight()},
    };
    for (const Case& c : cases) {
        hover(c.page);
        EXPECT_TRUE(canvas->shownCursor() == c.cursor) << c.page.x << ", " << c.page.y;
        EXPECT_TRUE(canvas->hasCompositionSelection());
    }
    hover(pf::Point(400, 300));
    EXPECT_FALSE(canvas->manipulator());

    click(middle(rectangle));
    hover(middle(rectangle));
    hover(pf::Point(700, 500));
    hover(pf::Point(0, 300)); // even over a page edge
    EXPECT_EQ(selected(), Canvas::Shapes{rectangle});
}

TEST_F(CanvasEventsTest, TheActiveHandleFollowsTheHover)
{
    click(middle(rectangle));
    hover(pf::Point(200, 160));
    EXPECT_EQ(canvas->manipulator()->activeHandle(), QVRectCornerBotRit);
    EXPECT_EQ(page->activeHandle(), QVRectCornerBotRit);
    hover(middle(rectangle));
    EXPECT_EQ(canvas->manipulator()->activeHandle(), -1);
}

TEST_F(CanvasEventsTest, ToolKeysAskTheLibraryForTheirTool)
{
    QStringList heard;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), window.get(),
        [&heard](const pf::Notification& n) { heard << n.userInfo.at(QStringLiteral("ShapeClassName")).toString(); });
    keyDown(Qt::Key_E, {}, QStringLiteral("e"));
    keyDown(Qt::Key_E, Command, QStringLiteral("e"));
    keyDown(Qt::Key_E, Shift, QStringLiteral("E"));
    keyDown(Qt::Key_L, {}, QStringLiteral("l"));
    EXPECT_EQ(heard, (QStringList{QStringLiteral("Ellipse"), QStringLiteral("Line")}));
    canvas->revertToDefaultMouseMode();
}

TEST_F(CanvasEventsTest, DeleteRemovesTheSelection)
{
    click(middle(rectangle));
    keyDown(Qt::Key_Backspace);
    EXPECT_FALSE(page->containsShape(rectangle.get()));
}

TEST_F(CanvasEventsTest, ALostReleaseEndsTheDragAtItsLastPoint)
{
    const pf::Rect before = rectangle->frame();
    press(middle(rectangle));
    dragTo(middle(rectangle) + pf::Point(30, 20));
    // The release went elsewhere; the next motion comes without the button.
    hover(middle(rectangle) + pf::Point(60, 60));
    endTurn();
    EXPECT_FALSE(canvas->manipulator()->dragMoving());
    EXPECT_FALSE(page->isMouseDragging());
    EXPECT_EQ(rectangle->frame(), before.offsetBy(30, 20));
    EXPECT_TRUE(undo.canUndo());
}

// A selection kind whose handle 10 and 11 answer although it allows neither.
class StubbornSelection : public Manipulator {
public:
    static const ManipulatorClass& staticClass()
    {
        static const ManipulatorClass c(QStringLiteral("StubbornSelection"), &Manipulator::staticClass(),
                                        &Shape::allocate<StubbornSelection>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool allowsRotation() const override { return false; }
    bool allowsConnection() const override { return false; }
    std::int64_t handleForPoint(const pf::Point& point) const override
    {
        return frame().contains(point) ? answer : Manipulator::handleForPoint(point);
    }
    std::int64_t answer = ManipulatorHandleRotation;
};

TEST_F(CanvasEventsTest, AHandleWithoutItsCapabilityMovesTheSelection)
{
    for (const std::int64_t answer : {ManipulatorHandleRotation, ManipulatorHandleConnection}) {
        canvas->replaceSelectionWithShape(rectangle);
        auto stubborn = Shape::make<StubbornSelection>(rectangle->frame());
        stubborn->answer = answer;
        canvas->removeManipulator();
        page->addShape(stubborn);
        stubborn->addShape(rectangle);
        stubborn->setCanvas(canvas);
        canvas->setManipulator(stubborn);
        const pf::Rect before = rectangle->frame();
        press(middle(rectangle), Shift); // Shift: the press keeps this selection object
        dragTo(middle(rectangle) + pf::Point(20, 10), {});
        release(middle(rectangle) + pf::Point(20, 10));
        endTurn();
        EXPECT_EQ(rectangle->frame().size, before.size) << answer;
        EXPECT_NE(rectangle->frame().origin, before.origin) << answer;
        canvas->selectNone();
    }
}

TEST_F(CanvasEventsTest, ThePageResizeDragIsAmplifiedOnItsLeftAndTopSides)
{
    struct Case {
        std::int64_t handle;
        bool x, y;
    };
    const Case cases[] = {{0, true, true}, {1, false, true}, {2, false, true}, {3, true, false},
                          {6, true, false}, {5, false, false}, {7, false, false}, {8, false, false}};
    for (const Case& c : cases) {
        for (const bool withOption : {false, true}) {
            // What reaches the page's resize step, by the page point the pointer is at.
            canvas->setManipulator(canvas->compositionManipulator());
            auto& m = *canvas->compositionManipulator();
            m.setActiveHandle(c.handle);
            m.setDragResizing(true);
            canvas->setDragStartCanvasPoint(pf::Point(100, 100));
            pf::Event e;
            e.type = pf::EventType::LeftMouseDragged;
            e.location = pf::Point(110, 120);
            e.modifierFlags = withOption ? pf::OptionKeyMask : 0;
            const pf::Point seen = canvas->amplifiedDragPoint(e, e.location);
            const double k = withOption ? 1.0 : 2.0;
            EXPECT_EQ(seen.x, c.x ? 110 + k * 10 : 110) << c.handle;
            EXPECT_EQ(seen.y, c.y ? 120 + k * 20 : 120) << c.handle;
            m.setDragResizing(false);
            m.setActiveHandle(-1);
            canvas->removeManipulator();
        }
    }
}
