#include "platform/foundation/Event.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

using pf::Event;
using pf::EventType;
using pf::MouseMotion;

namespace {

using Predicates = std::set<std::string>;

// Every predicate the editor asks, by name, so a case states exactly which ones hold.
Predicates truePredicates(const Event& e)
{
    const std::vector<std::pair<std::string, bool (Event::*)() const>> all{
        {"isMouseDown", &Event::isMouseDown},
        {"isMouseUp", &Event::isMouseUp},
        {"isMouseMoved", &Event::isMouseMoved},
        {"isMouseDragged", &Event::isMouseDragged},
        {"isKeyDown", &Event::isKeyDown},
        {"isKeyUp", &Event::isKeyUp},
        {"isKeyUpOrDown", &Event::isKeyUpOrDown},
        {"isScrollWheel", &Event::isScrollWheel},
        {"is3rdButtonClick", &Event::is3rdButtonClick},
        {"isDoubleClick", &Event::isDoubleClick},
        {"isCommandKeyPressed", &Event::isCommandKeyPressed},
        {"isControlKeyPressed", &Event::isControlKeyPressed},
        {"isShiftKeyPressed", &Event::isShiftKeyPressed},
        {"isOptionKeyPressed", &Event::isOptionKeyPressed},
        {"isEscKeyPressed", &Event::isEscKeyPressed},
        {"isReturnKeyPressed", &Event::isReturnKeyPressed},
        {"isEnterKeyPressed", &Event::isEnterKeyPressed},
        {"isTabKeyDown", &Event::isTabKeyDown},
        {"isDeleteKeyDown", &Event::isDeleteKeyDown},
        {"isArrowKeyDown", &Event::isArrowKeyDown},
        {"isLeftArrowKeyDown", &Event::isLeftArrowKeyDown},
        {"isRightArrowKeyDown", &Event::isRightArrowKeyDown},
        {"isDownArrowKeyDown", &Event::isDownArrowKeyDown},
        {"isUpArrowKeyDown", &Event::isUpArrowKeyDown},
        {"isSpaceKeyDown", &Event::isSpaceKeyDown},
        {"isZKeyDown", &Event::isZKeyDown},
    };
    Predicates result;
    for (const auto& [name, predicate] : all)
        if ((e.*predicate)())
            result.insert(name);
    return result;
}

std::string describe(const Predicates& p)
{
    std::string s;
    for (const auto& name : p)
        s += name + " ";
    return s;
}

Event key(QEvent::Type type, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
          const QString& text = {})
{
    const QKeyEvent e(type, qtKey, modifiers, text);
    return Event::fromKey(e);
}

QMouseEvent mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QMouseEvent(type, at, at, button, buttons, modifiers);
}

const Predicates down{"isKeyDown", "isKeyUpOrDown"};
const Predicates up{"isKeyUp", "isKeyUpOrDown"};

Predicates with(Predicates base, std::initializer_list<const char*> more)
{
    for (const char* m : more)
        base.insert(m);
    return base;
}

} // namespace

TEST(EventKeys, QtKeysTranslateToMacKeyCodes)
{
    const std::vector<std::pair<int, int>> table{
        {Qt::Key_Escape, 53},  {Qt::Key_Return, 36},   {Qt::Key_Enter, 76}, {Qt::Key_Tab, 48},
        {Qt::Key_Backtab, 48}, {Qt::Key_Backspace, 51}, {Qt::Key_Delete, 117}, {Qt::Key_Left, 123},
        {Qt::Key_Right, 124},  {Qt::Key_Down, 125},     {Qt::Key_Up, 126},   {Qt::Key_Space, 49},
        {Qt::Key_Z, 6},        {Qt::Key_A, 0},          {Qt::Key_S, 1},      {Qt::Key_D, 2},
        {Qt::Key_G, 5},        {Qt::Key_B, 11},         {Qt::Key_E, 14},     {Qt::Key_R, 15},
        {Qt::Key_T, 17},       {Qt::Key_I, 34},         {Qt::Key_P, 35},     {Qt::Key_L, 37},
        {Qt::Key_N, 45},       {Qt::Key_M, 46},         {Qt::Key_V, 9},      {Qt::Key_C, 8},
        {Qt::Key_X, 7},        {Qt::Key_Q, 12},         {Qt::Key_W, 13},     {Qt::Key_Y, 16},
        {Qt::Key_0, 29},       {Qt::Key_1, 18},         {Qt::Key_5, 23},     {Qt::Key_9, 25},
        {Qt::Key_Exclam, 18},  {Qt::Key_Equal, 24},     {Qt::Key_Plus, 24},  {Qt::Key_Minus, 27},
        {Qt::Key_Home, 115},   {Qt::Key_PageDown, 121}, {Qt::Key_F1, 122},   {Qt::Key_F12, 111},
    };
    for (const auto& [qtKey, code] : table) {
        SCOPED_TRACE(qtKey);
        EXPECT_EQ(key(QEvent::KeyPress, qtKey).keyCode, code);
        EXPECT_EQ(key(QEvent::KeyRelease, qtKey).keyCode, code);
    }
    // Every letter and digit has its own code.
    std::set<int> codes;
    for (int k = Qt::Key_0; k <= Qt::Key_9; ++k)
        codes.insert(key(QEvent::KeyPress, k).keyCode);
    for (int k = Qt::Key_A; k <= Qt::Key_Z; ++k)
        codes.insert(key(QEvent::KeyPress, k).keyCode);
    EXPECT_EQ(codes.size(), 36u);
    EXPECT_EQ(codes.count(pf::KeyCode::Unknown), 0u);

    // A key outside the table is unknown, never the A key's 0.
    EXPECT_EQ(key(QEvent::KeyPress, Qt::Key_MediaPlay).keyCode, pf::KeyCode::Unknown);
    EXPECT_EQ(key(QEvent::KeyPress, 0).keyCode, pf::KeyCode::Unknown);
}

TEST(EventKeys, PredicatesFromRealKeyEvents)
{
    struct Case {
        QEvent::Type type;
        int qtKey;
        Predicates expected;
    };
    const auto press = QEvent::KeyPress;
    const auto release = QEvent::KeyRelease;
    const std::vector<Case> cases{
        {press, Qt::Key_Escape, with(down, {"isEscKeyPressed"})},
        {release, Qt::Key_Escape, with(up, {"isEscKeyPressed"})},
        {press, Qt::Key_Return, with(down, {"isReturnKeyPressed"})},
        {release, Qt::Key_Return, with(up, {"isReturnKeyPressed"})},
        {press, Qt::Key_Enter, with(down, {"isEnterKeyPressed"})},
        {release, Qt::Key_Enter, with(up, {"isEnterKeyPressed"})},
        {press, Qt::Key_Tab, with(down, {"isTabKeyDown"})},
        {release, Qt::Key_Tab, up},
        {press, Qt::Key_Backspace, with(down, {"isDeleteKeyDown"})},
        {press, Qt::Key_Delete, with(down, {"isDeleteKeyDown"})},
        {release, Qt::Key_Delete, up},
        {press, Qt::Key_Left, with(down, {"isArrowKeyDown", "isLeftArrowKeyDown"})},
        {press, Qt::Key_Right, with(down, {"isArrowKeyDown", "isRightArrowKeyDown"})},
        {press, Qt::Key_Down, with(down, {"isArrowKeyDown", "isDownArrowKeyDown"})},
        {press, Qt::Key_Up, with(down, {"isArrowKeyDown", "isUpArrowKeyDown"})},
        {release, Qt::Key_Up, up},
        {press, Qt::Key_Space, with(down, {"isSpaceKeyDown"})},
        {release, Qt::Key_Space, up},
        {press, Qt::Key_Z, with(down, {"isZKeyDown"})},
        {press, Qt::Key_A, down},
        {press, Qt::Key_PageUp, down}, // 116 sits next to the arrows but is not one
        {press, Qt::Key_MediaPlay, down},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.qtKey) + (c.type == press ? " press" : " release"));
        EXPECT_EQ(describe(truePredicates(key(c.type, c.qtKey))), describe(c.expected));
    }
}

TEST(EventKeys, ModifiersMapCtrlToCommandAltToOptionMetaToControl)
{
    struct Case {
        Qt::KeyboardModifiers qt;
        pf::ModifierFlags flags;
    };
    const std::vector<Case> cases{
        {Qt::NoModifier, 0},
        {Qt::ShiftModifier, pf::ShiftKeyMask},
        {Qt::ControlModifier, pf::CommandKeyMask},
        {Qt::AltModifier, pf::OptionKeyMask},
        {Qt::MetaModifier, pf::ControlKeyMask},
        {Qt::KeypadModifier, 0},
        {Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier, 0x1E0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.qt.toInt());
        const Event k = key(QEvent::KeyPress, Qt::Key_Z, c.qt);
        EXPECT_EQ(k.modifierFlags, c.flags);
        const QMouseEvent m = mouse(QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton, c.qt);
        EXPECT_EQ(Event::fromMouseButton(m, 1).modifierFlags, c.flags);
    }

    // Command-Shift-Z, as the editor sees redo.
    const Event redo = key(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("Z"));
    EXPECT_EQ(describe(truePredicates(redo)),
              describe(with(down, {"isZKeyDown", "isCommandKeyPressed", "isShiftKeyPressed"})));
    EXPECT_EQ(redo.characters, "Z");
    EXPECT_EQ(redo.type, EventType::KeyDown);
}

TEST(EventMouse, ButtonsClickCountsAndLocations)
{
    struct Case {
        QEvent::Type type;
        Qt::MouseButton button;
        int clickCount;
        EventType eventType;
        int buttonNumber;
        Predicates expected;
    };
    const auto press = QEvent::MouseButtonPress;
    const auto release = QEvent::MouseButtonRelease;
    const std::vector<Case> cases{
        {press, Qt::LeftButton, 1, EventType::LeftMouseDown, 0, {"isMouseDown"}},
        {press, Qt::LeftButton, 2, EventType::LeftMouseDown, 0, {"isMouseDown", "isDoubleClick"}},
        {QEvent::MouseButtonDblClick, Qt::LeftButton, 2, EventType::LeftMouseDown, 0, {"isMouseDown", "isDoubleClick"}},
        {press, Qt::LeftButton, 3, EventType::LeftMouseDown, 0, {"isMouseDown"}},
        {press, Qt::LeftButton, 4, EventType::LeftMouseDown, 0, {"isMouseDown", "isDoubleClick"}},
        {release, Qt::LeftButton, 1, EventType::LeftMouseUp, 0, {"isMouseUp"}},
        {release, Qt::LeftButton, 2, EventType::LeftMouseUp, 0, {"isMouseUp", "isDoubleClick"}},
        {press, Qt::RightButton, 1, EventType::RightMouseDown, 1, {}},
        {release, Qt::RightButton, 1, EventType::RightMouseUp, 1, {}},
        {press, Qt::MiddleButton, 1, EventType::OtherMouseDown, 2, {"is3rdButtonClick"}},
        {release, Qt::MiddleButton, 1, EventType::OtherMouseUp, 2, {"is3rdButtonClick"}},
        {press, Qt::BackButton, 1, EventType::OtherMouseDown, 3, {}},
        {press, Qt::ForwardButton, 1, EventType::OtherMouseDown, 4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.type)) + " button " + std::to_string(int(c.button)) + " count "
                     + std::to_string(c.clickCount));
        const Qt::MouseButtons held = c.type == release ? Qt::NoButton : Qt::MouseButtons(c.button);
        const Event e = Event::fromMouseButton(mouse(c.type, {3.5, -4}, c.button, held), c.clickCount);
        EXPECT_EQ(e.type, c.eventType);
        EXPECT_EQ(e.buttonNumber, c.buttonNumber);
        EXPECT_EQ(e.clickCount, c.clickCount);
        EXPECT_EQ(e.location, pf::Point(3.5, -4));
        EXPECT_EQ(e.keyCode, pf::KeyCode::Unknown);
        EXPECT_EQ(describe(truePredicates(e)), describe(c.expected));
    }
}

TEST(EventMouse, MotionIsAMoveOrADragAsTheCallerSays)
{
    struct Case {
        MouseMotion motion;
        Qt::MouseButtons held;
        EventType eventType;
        int buttonNumber;
        Predicates expected;
    };
    const std::vector<Case> cases{
        // No click count on motion, so a move is never taken for a double click.
        {MouseMotion::Move, Qt::NoButton, EventType::MouseMoved, 0, {"isMouseMoved"}},
        {MouseMotion::Move, Qt::LeftButton, EventType::MouseMoved, 0, {"isMouseMoved"}},
        {MouseMotion::Drag, Qt::LeftButton, EventType::LeftMouseDragged, 0, {"isMouseDragged"}},
        {MouseMotion::Drag, Qt::LeftButton | Qt::RightButton, EventType::LeftMouseDragged, 0, {"isMouseDragged"}},
        {MouseMotion::Drag, Qt::RightButton, EventType::RightMouseDragged, 1, {}},
        {MouseMotion::Drag, Qt::MiddleButton, EventType::OtherMouseDragged, 2, {"is3rdButtonClick"}},
        {MouseMotion::Drag, Qt::NoButton, EventType::LeftMouseDragged, 0, {"isMouseDragged"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.motion)) + " held " + std::to_string(c.held.toInt()));
        const QMouseEvent m = mouse(QEvent::MouseMove, {7, 8}, Qt::NoButton, c.held, Qt::ShiftModifier);
        const Event e = Event::fromMouseMotion(m, c.motion);
        EXPECT_EQ(e.type, c.eventType);
        EXPECT_EQ(e.buttonNumber, c.buttonNumber);
        EXPECT_EQ(e.clickCount, 0);
        EXPECT_EQ(e.location, pf::Point(7, 8));
        EXPECT_EQ(describe(truePredicates(e)), describe(with(c.expected, {"isShiftKeyPressed"})));
    }
}

TEST(EventMouse, ScrollWheel)
{
    const QWheelEvent w(QPointF(2, 3), QPointF(2, 3), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::AltModifier,
                        Qt::NoScrollPhase, false);
    const Event e = Event::fromWheel(w);
    EXPECT_EQ(e.type, EventType::ScrollWheel);
    EXPECT_EQ(e.location, pf::Point(2, 3));
    EXPECT_EQ(describe(truePredicates(e)), describe({"isScrollWheel", "isOptionKeyPressed"}));
}

TEST(EventRecord, ADefaultEventAnswersNothing)
{
    // A synthesized record with no clicks is no double click, and an unset key code is no key.
    EXPECT_TRUE(truePredicates(Event{}).empty());
    Event keyDown;
    keyDown.type = EventType::KeyDown;
    EXPECT_TRUE(truePredicates(keyDown) == down);
}

TEST(EventRecord, TimesScreenPointsAndRepeatsComeFromQt)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(103, 204), Qt::LeftButton, Qt::LeftButton, {});
    press.setTimestamp(1500);
    const Event m = Event::fromMouseButton(press, 1);
    EXPECT_EQ(m.location, pf::Point(3, 4));
    EXPECT_EQ(m.screenLocation, pf::Point(103, 204));
    EXPECT_DOUBLE_EQ(m.timestamp, 1.5);

    QKeyEvent held(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    held.setTimestamp(250);
    const Event k = Event::fromKey(held);
    EXPECT_TRUE(k.isARepeat);
    EXPECT_DOUBLE_EQ(k.timestamp, 0.25);
    EXPECT_FALSE(Event::fromKey(QKeyEvent(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier)).isARepeat);
}
