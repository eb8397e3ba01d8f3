// Input through the view: click counting, drags, flags-changed events, keys, shortcut overrides and
// gestures, all from synthesised Qt events on the offscreen platform.
#include "KitTestSupport.h"

#include "platform/kit/InputState.h"

#include <QAction>
#include <QGuiApplication>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

using kittest::RecordingView;
using kittest::sendKey;
using kittest::sendMouse;
using pf::EventType;

namespace {

class InputTest : public testing::Test {
protected:
    void SetUp() override { pf::InputState::shared().reset(); }
    void TearDown() override { pf::InputState::shared().reset(); }

    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const int distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
};

TEST(ClickCounterTest, CountsPressesInARowByTimeDistanceAndButton)
{
    struct Press {
        int button;
        pf::Point at;
        double time;
        int expected;
    };
    // Interval 0.5 s, distance 4 points (Manhattan), measured from the previous press.
    const std::vector<Press> presses = {
        {0, {10, 10}, 0.0, 1},   {0, {11, 11}, 0.3, 2},   {0, {12, 12}, 0.6, 3},  // triple click, each step in time
        {0, {12, 12}, 1.2, 1},   // too late: a new row
        {0, {12, 12}, 1.4, 2},   {0, {17, 12}, 1.5, 1},    // moved 5 > 4: a new row
        {0, {17, 12}, 1.6, 2},   {1, {17, 12}, 1.7, 1},    // another button: a new row
        {0, {17, 12}, 1.8, 1},   {0, {17, 12}, 1.7, 1},    // time running backwards never continues a row
    };
    pf::ClickCounter counter(0.5, 4);
    for (std::size_t i = 0; i < presses.size(); ++i)
        EXPECT_EQ(counter.press(presses[i].button, presses[i].at, presses[i].time), presses[i].expected) << "press " << i;
}

TEST_F(InputTest, SingleDoubleAndTripleClicksAreCountedFromQtEvents)
{
    RecordingView view(pf::Rect(0, 0, 200, 100));
    // Qt replaces the second press of a double click by its own event and has no triple click.
    const std::vector<QEvent::Type> presses = {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick,
                                               QEvent::MouseButtonPress};
    quint64 t = 1000;
    for (QEvent::Type press : presses) {
        sendMouse(view, press, {50, 50}, Qt::LeftButton, Qt::LeftButton, t);
        sendMouse(view, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, {}, t + 10);
        t += quint64(interval / 4);
    }
    // Later than the interval: a single click again; then a near-enough press far away in distance.
    t += quint64(interval) + 1;
    sendMouse(view, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton, t);
    sendMouse(view, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, {}, t + 5);
    sendMouse(view, QEvent::MouseButtonPress, {50.0 + distance + 1, 50}, Qt::LeftButton, Qt::LeftButton, t + 20);

    std::vector<std::pair<EventType, int>> seen;
    for (const pf::Event& e : view.events)
        seen.emplace_back(e.type, e.clickCount);
    const std::vector<std::pair<EventType, int>> expected = {
        {EventType::LeftMouseDown, 1}, {EventType::LeftMouseUp, 1}, {EventType::LeftMouseDown, 2},
        {EventType::LeftMouseUp, 2},   {EventType::LeftMouseDown, 3}, {EventType::LeftMouseUp, 3},
        {EventType::LeftMouseDown, 1}, {EventType::LeftMouseUp, 1}, {EventType::LeftMouseDown, 1},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(InputTest, RightPressesAndHoverMovesArriveAsTheirOwnEvents)
{
    RecordingView view(pf::Rect(0, 0, 200, 100));
    view.setAcceptsMouseMovedEvents(true);
    sendMouse(view, QEvent::MouseMove, {5, 6}, Qt::NoButton, {}, 10);
    sendMouse(view, QEvent::MouseButtonPress, {7, 8}, Qt::RightButton, Qt::RightButton, 20);
    sendMouse(view, QEvent::MouseMove, {9, 9}, Qt::NoButton, Qt::RightButton, 30);
    sendMouse(view, QEvent::MouseButtonRelease, {9, 9}, Qt::RightButton, {}, 40);
    EXPECT_EQ(view.types(), (std::vector<EventType>{EventType::MouseMoved, EventType::RightMouseDown,
                                                     EventType::RightMouseDragged, EventType::RightMouseUp}));
    EXPECT_EQ(view.events[0].location, pf::Point(5, 6));
    EXPECT_EQ(view.events[1].buttonNumber, 1);
    EXPECT_EQ(view.events[1].clickCount, 1);
}

TEST_F(InputTest, ADragThatLeavesTheViewKeepsItsEvents)
{
    QWidget window;
    window.resize(300, 200);
    auto* view = new RecordingView(pf::Rect(50, 50, 100, 80), &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWindow* handle = window.windowHandle();

    // Through the window, as the platform delivers them: the press grabs the mouse for the view.
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(60, 60));
    QTest::mouseMove(handle, QPoint(250, 190));
    QTest::mouseMove(handle, QPoint(10, 5));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(10, 5));

    ASSERT_EQ(view->types(), (std::vector<EventType>{EventType::LeftMouseDown, EventType::LeftMouseDragged,
                                                      EventType::LeftMouseDragged, EventType::LeftMouseUp}));
    EXPECT_EQ(view->events[0].location, pf::Point(10, 10));
    EXPECT_EQ(view->events[1].location, pf::Point(200, 140)); // beyond the right and bottom edges
    EXPECT_EQ(view->events[2].location, pf::Point(-40, -45));
    EXPECT_EQ(view->events[3].location, pf::Point(-40, -45));
}

TEST_F(InputTest, ModifierChangesDuringADragArriveAsFlagsChanged)
{
    RecordingView view(pf::Rect(0, 0, 200, 100));
    sendMouse(view, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton, 100);
    sendMouse(view, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::LeftButton, 110);
    // Shift alone: pressed, then a drag step that shows it, then released.
    sendKey(view, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    sendMouse(view, QEvent::MouseMove, {30, 30}, Qt::NoButton, Qt::LeftButton, 120, Qt::ShiftModifier);
    sendKey(view, QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
    // A drag step whose modifiers differ from the last seen (Option came without a key event here).
    sendMouse(view, QEvent::MouseMove, {40, 40}, Qt::NoButton, Qt::LeftButton, 130, Qt::AltModifier);
    sendMouse(view, QEvent::MouseButtonRelease, {40, 40}, Qt::LeftButton, {}, 140, Qt::AltModifier);

    std::vector<std::pair<EventType, pf::ModifierFlags>> seen;
    for (const pf::Event& e : view.events)
        seen.emplace_back(e.type, e.modifierFlags);
    const std::vector<std::pair<EventType, pf::ModifierFlags>> expected = {
        {EventType::LeftMouseDown, 0},
        {EventType::LeftMouseDragged, 0},
        {EventType::FlagsChanged, pf::ShiftKeyMask},
        {EventType::LeftMouseDragged, pf::ShiftKeyMask},
        {EventType::FlagsChanged, 0},
        {EventType::FlagsChanged, pf::OptionKeyMask},
        {EventType::LeftMouseDragged, pf::OptionKeyMask},
        {EventType::LeftMouseUp, pf::OptionKeyMask},
    };
    EXPECT_EQ(seen, expected);
    // A modifier key alone is never a key press.
    EXPECT_EQ(view.events[2].location, pf::Point());
}

TEST_F(InputTest, KeysArriveWithTheirCodesModifiersAndRepeats)
{
    RecordingView view(pf::Rect(0, 0, 10, 10));
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool repeat;
        std::uint16_t code;
        pf::ModifierFlags flags;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Backspace, {}, false, pf::KeyCode::Delete, 0},
        {Qt::Key_Delete, {}, false, pf::KeyCode::ForwardDelete, 0},
        {Qt::Key_Left, Qt::ShiftModifier, true, pf::KeyCode::LeftArrow, pf::ShiftKeyMask},
        {Qt::Key_R, Qt::ControlModifier, false, pf::KeyCode::R, pf::CommandKeyMask},
        {Qt::Key_Escape, Qt::MetaModifier | Qt::AltModifier, false, pf::KeyCode::Escape,
         pf::ControlKeyMask | pf::OptionKeyMask},
        {Qt::Key_Space, {}, true, pf::KeyCode::Space, 0},
    };
    for (const Case& c : cases) {
        view.events.clear();
        pf::InputState::shared().updateModifierFlags(c.flags); // no flags-changed event in between
        sendKey(view, QEvent::KeyPress, c.key, c.modifiers, {}, c.repeat);
        sendKey(view, QEvent::KeyRelease, c.key, c.modifiers);
        ASSERT_EQ(view.types(), (std::vector<EventType>{EventType::KeyDown, EventType::KeyUp})) << c.key;
        EXPECT_EQ(view.events[0].keyCode, c.code) << c.key;
        EXPECT_EQ(view.events[0].modifierFlags, c.flags) << c.key;
        EXPECT_EQ(view.events[0].isARepeat, c.repeat) << c.key;
        EXPECT_FALSE(view.events[1].isARepeat) << c.key;
    }
}

TEST_F(InputTest, UnhandledEventsGoOnToTheEnclosingView)
{
    RecordingView outer(pf::Rect(0, 0, 100, 100));
    auto* inner = new pf::View(pf::Rect(10, 10, 20, 20)); // handles nothing
    outer.addSubview(inner, pf::Rect(10, 10, 20, 20));
    sendMouse(*inner, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton, 10);
    sendKey(*inner, QEvent::KeyPress, Qt::Key_A);
    ASSERT_EQ(outer.types(), (std::vector<EventType>{EventType::LeftMouseDown, EventType::KeyDown}));
    EXPECT_EQ(outer.events[0].location, pf::Point(15, 15));
    EXPECT_EQ(outer.events[0].clickCount, 1) << "the press passed on is counted once";
    EXPECT_EQ(outer.events[1].keyCode, pf::KeyCode::A);
}

TEST_F(InputTest, KeysTheViewConsumesAreNotTakenByMenuShortcuts)
{
    QWidget window;
    auto* view = new RecordingView(pf::Rect(0, 0, 100, 100), &window);
    view->setAcceptsFirstResponder(true);
    // The canvas's own keys: delete, arrows, escape, space and tool letters without modifiers.
    view->consumes = [](const pf::Event& e) {
        return e.isDeleteKeyDown() || e.isArrowKeyDown() || e.isEscKeyPressed() || e.isSpaceKeyDown()
            || (e.keyCode == pf::KeyCode::R && e.modifierFlags == 0);
    };
    int deleteShortcuts = 0;
    int selectAllShortcuts = 0;
    int rShortcuts = 0;
    auto addShortcut = [&](QKeySequence keys, int& count) {
        auto* action = new QAction(&window);
        action->setShortcut(keys);
        window.addAction(action);
        QObject::connect(action, &QAction::triggered, [&count] { ++count; });
    };
    addShortcut(QKeySequence(Qt::Key_Backspace), deleteShortcuts);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_A), selectAllShortcuts);
    addShortcut(QKeySequence(Qt::Key_R), rShortcuts);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    view->setFocus();

    QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClick(view, Qt::Key_R);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);

    EXPECT_EQ(deleteShortcuts, 0);
    EXPECT_EQ(rShortcuts, 0);
    EXPECT_EQ(selectAllShortcuts, 1); // not the canvas's: the menu gets it
    std::vector<std::uint16_t> downs;
    for (const pf::Event& e : view->events)
        if (e.isKeyDown())
            downs.push_back(e.keyCode);
    EXPECT_EQ(downs, (std::vector<std::uint16_t>{pf::KeyCode::Delete, pf::KeyCode::R}));
}

TEST_F(InputTest, MagnifyAndRotateGesturesBecomeEvents)
{
    RecordingView view(pf::Rect(0, 0, 200, 100));
    const QPointingDevice* device = QPointingDevice::primaryPointingDevice();
    auto gesture = [&](Qt::NativeGestureType type, double value) {
        QNativeGestureEvent e(type, device, 2, QPointF(30, 40), QPointF(30, 40), view.mapToGlobal(QPointF(30, 40)),
                              value, QPointF());
        QCoreApplication::sendEvent(&view, &e);
    };
    gesture(Qt::BeginNativeGesture, 0);
    gesture(Qt::ZoomNativeGesture, 0.25);
    gesture(Qt::RotateNativeGesture, 15); // Qt: clockwise on screen
    gesture(Qt::SmartZoomNativeGesture, 1); // not one the editor handles
    gesture(Qt::EndNativeGesture, 0);
    ASSERT_EQ(view.types(), (std::vector<EventType>{EventType::BeginGesture, EventType::Magnify, EventType::Rotate,
                                                     EventType::EndGesture}));
    EXPECT_DOUBLE_EQ(view.events[1].magnification, 0.25);
    EXPECT_EQ(view.events[1].location, pf::Point(30, 40));
    EXPECT_DOUBLE_EQ(view.events[2].rotation, -15); // counter-clockwise positive
}

TEST_F(InputTest, TheCurrentEventAndMouseLocationFollowDelivery)
{
    RecordingView view(pf::Rect(0, 0, 200, 100));
    EXPECT_FALSE(pf::InputState::shared().currentEvent().has_value());
    sendMouse(view, QEvent::MouseButtonPress, {12, 34}, Qt::LeftButton, Qt::LeftButton, 10);
    sendKey(view, QEvent::KeyPress, Qt::Key_Z);
    const auto& current = pf::InputState::shared().currentEvent();
    ASSERT_TRUE(current.has_value());
    EXPECT_TRUE(current->isZKeyDown());
    // The key carries no position: the mouse is where the press was.
    EXPECT_EQ(pf::InputState::shared().mouseLocation(), pf::Point::fromQt(view.mapToGlobal(QPointF(12, 34))));
    EXPECT_EQ(view.convertPointFromScreen(pf::InputState::shared().mouseLocation()), pf::Point(12, 34));
}

} // namespace
