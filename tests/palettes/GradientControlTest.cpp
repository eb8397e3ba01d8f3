// The gradient stop editor on its own: geometry, clicks that add stops, drags that move or remove them, the
// context menu, undo groups of gestures, and its pixels.
#include "palettes/QVGradientControl.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Window.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color green(0, 1, 0, 1);
const pf::Color blue(0, 0, 1, 1);

class GradientControlTest : public testing::Test, public GradientControlDelegate {
protected:
    void SetUp() override
    {
        undo.setGroupsByEvent(false);
        top = std::make_unique<QWidget>();
        pf::Window::attach(top.get());
        top->resize(220, 60);
        control = new QVGradientControl(pf::Rect(0, 0, 200, 38), top.get());
        control->setDelegate(this);
        control->setAction([this](QVGradientControl& c) { edited.push_back(c.color()); });
        control->setUndoManagerProvider([this] { return &undo; });
        control->setElements({{red, 0}, {blue, 1}});
        top->show();
    }

    void gradientControlElementsDidChange(QVGradientControl&) override { ++changes; }

    // The x of a ratio on the strip.
    static double xOf(double ratio) { return 5.5 + 189 * ratio; }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {})
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, at, control->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      modifiers);
        // Presses a second apart never make a double click.
        e.setTimestamp(time += 1000);
        QApplication::sendEvent(control, &e);
    }
    void click(QPointF at, Qt::KeyboardModifiers modifiers = {})
    {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, modifiers);
    }
    // The handle's middle of a stop.
    QPointF handleOf(std::size_t index) const
    {
        const pf::Rect b = control->bounds();
        const pf::Rect h = control->handleRectForBounds(b, QVGradientControl::canvasRectForBounds(b), index);
        return QPointF(h.midX(), h.midY());
    }

    pf::UndoManager undo;
    std::unique_ptr<QWidget> top;
    QVGradientControl* control = nullptr;
    std::vector<pf::OptionalColor> edited;
    int changes = 0;
    ulong time = 1000;
};

TEST_F(GradientControlTest, StripHandlesAndTheBandFollowTheBounds)
{
    const pf::Rect b = control->bounds();
    EXPECT_EQ(QVGradientControl::canvasRectForBounds(b), pf::Rect(5.5, 0.5, 189, 20));
    control->setElements({{red, 0.5}});
    EXPECT_EQ(control->handleRectForBounds(b, QVGradientControl::canvasRectForBounds(b), 0), pf::Rect(96.5, 22.5, 8, 15));
    // Only the height counts for the band a handle may not leave.
    EXPECT_TRUE(QVGradientControl::limitRectForBounds(b).contains(pf::Point(-5000, 70)));
    EXPECT_FALSE(QVGradientControl::limitRectForBounds(b).contains(pf::Point(100, -1)));
}

TEST_F(GradientControlTest, AClickOnTheStripAddsAStopInTheNearestColourAndOpensIt)
{
    struct Case {
        double x;
        double ratio;
        pf::Color color;
    };
    // At 0.5 both stops are as near: the first in the array wins.
    const Case cases[] = {{xOf(0.3), 0.3, red}, {xOf(0.5), 0.5, red}, {xOf(0.8), 0.8, blue}, {1, 0, red}, {199, 1, blue}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        control->setElements({{red, 0}, {blue, 1}});
        edited.clear();
        changes = 0;
        click(QPointF(c.x, 8));
        ASSERT_EQ(control->elements().size(), 3u);
        EXPECT_NEAR(control->elements()[2].ratio(), c.ratio, 1e-9);
        EXPECT_EQ(control->elements()[2].color(), pf::OptionalColor(c.color));
        EXPECT_EQ(control->selectedIndex(), 2);
        EXPECT_EQ(changes, 1);
        // Opened by the press and again by the release of the same click.
        ASSERT_FALSE(edited.empty());
        EXPECT_EQ(edited.back(), pf::OptionalColor(c.color));
        EXPECT_FALSE(control->hasOpenGesture());
    }
    control->setElements({});
    click(QPointF(xOf(0.5), 8));
    EXPECT_TRUE(control->elements().empty());
}

TEST_F(GradientControlTest, DraggingMovesAStopShiftSnapsAndTheLaterOfOverlappingHandlesIsTaken)
{
    control->setElements({{red, 0.5}, {green, 0.52}, {blue, 1}});
    mouse(QEvent::MouseButtonPress, handleOf(1));
    EXPECT_EQ(control->selectedIndex(), 1);
    mouse(QEvent::MouseMove, QPointF(xOf(0.3412), 30), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(control->elements()[1].ratio(), 0.35);
    mouse(QEvent::MouseMove, QPointF(xOf(0.3412), 30));
    EXPECT_NEAR(control->elements()[1].ratio(), 0.3412, 0.5 / 189);
    // Far to the side, within the band: clamped to the strip's end.
    mouse(QEvent::MouseMove, QPointF(-400, 30));
    EXPECT_EQ(control->elements()[1].ratio(), 0);
    mouse(QEvent::MouseButtonRelease, QPointF(-400, 30));
    // The order of the stops never changes.
    EXPECT_EQ(control->elements()[0].color(), pf::OptionalColor(red));
    EXPECT_EQ(control->elements()[1].color(), pf::OptionalColor(green));
    EXPECT_EQ(edited.back(), pf::OptionalColor(green));
    EXPECT_FALSE(control->hasOpenGesture());
}

TEST_F(GradientControlTest, AStopDraggedOffGoesToThePasteboardOnlyWhenThreeOrMoreAreLeft)
{
    std::optional<pf::Value> carried;
    pf::DragOperation mask = 0;
    int drags = 0;
    pf::ScopedDraggingLoop loop([&](pf::DraggingSession& session, pf::View&) {
        ++drags;
        const auto mime = session.makeMimeData();
        carried = pf::Pasteboard(mime.get()).propertyListForType(QString::fromLatin1(QVGradientControl::ElementPasteboardType));
        mask = session.operationMask(pf::DraggingContext::OutsideApplication, 0);
    });

    // Two stops: dragged above the control, the stop only moves.
    mouse(QEvent::MouseButtonPress, handleOf(0));
    mouse(QEvent::MouseMove, QPointF(xOf(0.4), -80));
    EXPECT_EQ(control->elements().size(), 2u);
    EXPECT_EQ(drags, 0);
    mouse(QEvent::MouseButtonRelease, QPointF(xOf(0.4), -80));

    control->setElements({{red, 0}, {green, 0.5}, {blue, 1}});
    mouse(QEvent::MouseButtonPress, handleOf(1));
    EXPECT_TRUE(control->hasOpenGesture());
    mouse(QEvent::MouseMove, QPointF(xOf(0.5), -80));
    EXPECT_EQ(drags, 1);
    // The dragged stop's own record.
    ASSERT_TRUE(carried);
    EXPECT_EQ(QVGradientElement::fromPlist(*carried), QVGradientElement(green, 0.5));
    EXPECT_EQ(mask, pf::DragOp::Delete);
    // Removal keeps the others' order, and the gesture's step is over.
    ASSERT_EQ(control->elements().size(), 2u);
    EXPECT_EQ(control->elements()[0].color(), pf::OptionalColor(red));
    EXPECT_EQ(control->elements()[1].color(), pf::OptionalColor(blue));
    EXPECT_EQ(control->selectedIndex(), -1);
    EXPECT_EQ(undo.groupingLevel(), 0);
    mouse(QEvent::MouseButtonRelease, QPointF(xOf(0.5), -80));
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST_F(GradientControlTest, TheContextMenuOpensNoUndoGroupAndOffersWhatTheStopsAllow)
{
    struct Item {
        QString title;
        bool enabled;
    };
    std::vector<std::vector<Item>> shown;
    pf::MenuPresenter::ScopedRunner runner([&](QMenu& menu, pf::Point) {
        std::vector<Item> items;
        for (QAction* a : menu.actions())
            items.push_back({a->text(), a->isEnabled()});
        shown.push_back(items);
    });
    const auto rightPress = [this](QPointF at) {
        mouse(QEvent::MouseButtonPress, at, Qt::RightButton);
        mouse(QEvent::MouseButtonRelease, at, Qt::RightButton);
        pf::drainMainQueue();
        pf::drainMainQueue();
    };

    rightPress(QPointF(xOf(0.5), 8));
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].size(), 1u);
    EXPECT_EQ(shown[0][0].title, QStringLiteral("Add Color"));
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(control->elements().size(), 2u);

    rightPress(handleOf(0));
    ASSERT_EQ(shown.size(), 2u);
    ASSERT_EQ(shown[1].size(), 2u);
    EXPECT_EQ(shown[1][0].title, QStringLiteral("Remove Color"));
    EXPECT_FALSE(shown[1][0].enabled);
    EXPECT_EQ(shown[1][1].title, QStringLiteral("Edit Color"));
    EXPECT_TRUE(shown[1][1].enabled);
    EXPECT_EQ(undo.groupingLevel(), 0);

    control->setElements({{red, 0}, {green, 0.5}, {blue, 1}});
    rightPress(handleOf(1));
    EXPECT_TRUE(shown.back()[0].enabled);
    control->removeSelectedElement();
    EXPECT_EQ(control->elements().size(), 2u);
}

TEST_F(GradientControlTest, AGestureCutShortClosesItsUndoGroup)
{
    mouse(QEvent::MouseButtonPress, handleOf(1));
    EXPECT_EQ(undo.groupingLevel(), 1);
    control->setEnabled(false);
    EXPECT_EQ(undo.groupingLevel(), 0);
    control->setEnabled(true);

    // Focus lost with the button up: the release will never come.
    mouse(QEvent::MouseButtonPress, handleOf(1));
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(control, &focusOut);
    EXPECT_EQ(undo.groupingLevel(), 0);

    mouse(QEvent::MouseButtonPress, handleOf(1));
    top->hide();
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST_F(GradientControlTest, PixelsCheckerBorderAndHandles)
{
    // Without stops the checkerboard is seen whole.
    control->setElements({});
    const auto grab = [this] { return control->grab().toImage(); };
    QImage image = grab();
    const auto gray = [&](int x, int y) { return qGray(image.pixel(x, y)); };
    // 7-point squares at gray 0.9 every other one, the others left as the background.
    EXPECT_NEAR(gray(16, 3), 230, 3);
    EXPECT_NE(gray(9, 3), gray(16, 3));
    EXPECT_NEAR(gray(9, 10), gray(16, 3), 3);
    // Not the main window: the lighter border.
    EXPECT_EQ(QColor(image.pixel(100, 0)).rgb() & 0xffffff, 0xbbbbbbu);
    // The handle of the green stop, in its colour.
    control->setElements({{red, 0}, {green, 1}});
    image = grab();
    const QPointF h = handleOf(1);
    EXPECT_EQ(QColor(image.pixel(int(h.x()), int(h.y()) + 2)).rgb() & 0xffffff, 0x00ff00u);

    pf::Window::of(top.get())->becomeMainWindow();
    image = grab();
    EXPECT_EQ(QColor(image.pixel(100, 0)).rgb() & 0xffffff, 0x9e9e9eu);
}

} // namespace
