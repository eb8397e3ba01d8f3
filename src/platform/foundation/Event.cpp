#include "platform/foundation/Event.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <bit>

namespace pf {

namespace {

struct KeyRow {
    int qtKey;
    std::uint16_t keyCode;
};

// Qt keys to Mac virtual key codes (ANSI positions), sorted by Qt key. Qt reports the shifted symbol
// for a shifted key, so the US symbols share their key's code, as the physical key does on the Mac.
constexpr auto keyTable = std::to_array<KeyRow>({
    {Qt::Key_Space, 49},
    {Qt::Key_Exclam, 18},
    {Qt::Key_QuoteDbl, 39},
    {Qt::Key_NumberSign, 20},
    {Qt::Key_Dollar, 21},
    {Qt::Key_Percent, 23},
    {Qt::Key_Ampersand, 26},
    {Qt::Key_Apostrophe, 39},
    {Qt::Key_ParenLeft, 25},
    {Qt::Key_ParenRight, 29},
    {Qt::Key_Asterisk, 28},
    {Qt::Key_Plus, 24},
    {Qt::Key_Comma, 43},
    {Qt::Key_Minus, 27},
    {Qt::Key_Period, 47},
    {Qt::Key_Slash, 44},
    {Qt::Key_0, 29},
    {Qt::Key_1, 18},
    {Qt::Key_2, 19},
    {Qt::Key_3, 20},
    {Qt::Key_4, 21},
    {Qt::Key_5, 23},
    {Qt::Key_6, 22},
    {Qt::Key_7, 26},
    {Qt::Key_8, 28},
    {Qt::Key_9, 25},
    {Qt::Key_Colon, 41},
    {Qt::Key_Semicolon, 41},
    {Qt::Key_Less, 43},
    {Qt::Key_Equal, 24},
    {Qt::Key_Greater, 47},
    {Qt::Key_Question, 44},
    {Qt::Key_At, 19},
    {Qt::Key_A, 0},
    {Qt::Key_B, 11},
    {Qt::Key_C, 8},
    {Qt::Key_D, 2},
    {Qt::Key_E, 14},
    {Qt::Key_F, 3},
    {Qt::Key_G, 5},
    {Qt::Key_H, 4},
    {Qt::Key_I, 34},
    {Qt::Key_J, 38},
    {Qt::Key_K, 40},
    {Qt::Key_L, 37},
    {Qt::Key_M, 46},
    {Qt::Key_N, 45},
    {Qt::Key_O, 31},
    {Qt::Key_P, 35},
    {Qt::Key_Q, 12},
    {Qt::Key_R, 15},
    {Qt::Key_S, 1},
    {Qt::Key_T, 17},
    {Qt::Key_U, 32},
    {Qt::Key_V, 9},
    {Qt::Key_W, 13},
    {Qt::Key_X, 7},
    {Qt::Key_Y, 16},
    {Qt::Key_Z, 6},
    {Qt::Key_BracketLeft, 33},
    {Qt::Key_Backslash, 42},
    {Qt::Key_BracketRight, 30},
    {Qt::Key_AsciiCircum, 22},
    {Qt::Key_Underscore, 27},
    {Qt::Key_QuoteLeft, 50},
    {Qt::Key_BraceLeft, 33},
    {Qt::Key_Bar, 42},
    {Qt::Key_BraceRight, 30},
    {Qt::Key_AsciiTilde, 50},
    {Qt::Key_Escape, 53},
    {Qt::Key_Tab, 48},
    {Qt::Key_Backtab, 48},
    {Qt::Key_Backspace, 51},
    {Qt::Key_Return, 36},
    {Qt::Key_Enter, 76},
    {Qt::Key_Insert, 114}, // the Help key sits where PC keyboards have Insert
    {Qt::Key_Delete, 117},
    {Qt::Key_Clear, 71},
    {Qt::Key_Home, 115},
    {Qt::Key_End, 119},
    {Qt::Key_Left, 123},
    {Qt::Key_Up, 126},
    {Qt::Key_Right, 124},
    {Qt::Key_Down, 125},
    {Qt::Key_PageUp, 116},
    {Qt::Key_PageDown, 121},
    {Qt::Key_Shift, 56},
    {Qt::Key_Control, 55}, // Ctrl is Command
    {Qt::Key_Meta, 59},    // Meta is Control
    {Qt::Key_Alt, 58},     // Alt is Option
    {Qt::Key_CapsLock, 57},
    {Qt::Key_F1, 122},
    {Qt::Key_F2, 120},
    {Qt::Key_F3, 99},
    {Qt::Key_F4, 118},
    {Qt::Key_F5, 96},
    {Qt::Key_F6, 97},
    {Qt::Key_F7, 98},
    {Qt::Key_F8, 100},
    {Qt::Key_F9, 101},
    {Qt::Key_F10, 109},
    {Qt::Key_F11, 103},
    {Qt::Key_F12, 111},
    {Qt::Key_F13, 105},
    {Qt::Key_F14, 107},
    {Qt::Key_F15, 113},
    {Qt::Key_F16, 106},
    {Qt::Key_F17, 64},
    {Qt::Key_F18, 79},
    {Qt::Key_F19, 80},
    {Qt::Key_F20, 90},
    {Qt::Key_Menu, 110},
    {Qt::Key_Help, 114},
});

static_assert(std::is_sorted(keyTable.begin(), keyTable.end(),
                             [](const KeyRow& a, const KeyRow& b) { return a.qtKey < b.qtKey; }),
              "the key table is searched by halving");

// Cocoa numbers buttons from 0 (left, right, middle, then the extra buttons); Qt's are single bits in
// the same order.
int buttonNumberOf(Qt::MouseButton button)
{
    return button == Qt::NoButton ? 0 : std::countr_zero(unsigned(button));
}

EventType buttonType(int buttonNumber, EventType left, EventType right, EventType other)
{
    return buttonNumber == 0 ? left : buttonNumber == 1 ? right : other;
}

Event fromInput(EventType type, const QInputEvent& e)
{
    Event event;
    event.type = type;
    event.modifierFlags = Event::modifierFlagsForQt(e.modifiers().toInt());
    event.timestamp = double(e.timestamp()) / 1000.0;
    return event;
}

} // namespace

std::optional<std::uint16_t> Event::keyCodeForQtKey(int qtKey)
{
    const auto it = std::lower_bound(keyTable.begin(), keyTable.end(), qtKey,
                                     [](const KeyRow& row, int key) { return row.qtKey < key; });
    if (it == keyTable.end() || it->qtKey != qtKey)
        return std::nullopt;
    return it->keyCode;
}

ModifierFlags Event::modifierFlagsForQt(int qtModifiers)
{
    ModifierFlags flags = 0;
    if (qtModifiers & Qt::ShiftModifier)
        flags |= ShiftKeyMask;
    if (qtModifiers & Qt::ControlModifier)
        flags |= CommandKeyMask;
    if (qtModifiers & Qt::AltModifier)
        flags |= OptionKeyMask;
    if (qtModifiers & Qt::MetaModifier)
        flags |= ControlKeyMask;
    return flags;
}

Event Event::fromKey(const QKeyEvent& e)
{
    Event event = fromInput(e.type() == QEvent::KeyRelease ? EventType::KeyUp : EventType::KeyDown, e);
    event.keyCode = keyCodeForQtKey(e.key()).value_or(KeyCode::Unknown);
    event.characters = e.text();
    event.isARepeat = e.isAutoRepeat();
    return event;
}

Event Event::fromMouseButton(const QMouseEvent& e, int clickCount)
{
    const int number = buttonNumberOf(e.button());
    const EventType type = e.type() == QEvent::MouseButtonRelease
        ? buttonType(number, EventType::LeftMouseUp, EventType::RightMouseUp, EventType::OtherMouseUp)
        : buttonType(number, EventType::LeftMouseDown, EventType::RightMouseDown, EventType::OtherMouseDown);
    Event event = fromInput(type, e);
    event.clickCount = clickCount;
    event.buttonNumber = number;
    event.location = Point::fromQt(e.position());
    event.screenLocation = Point::fromQt(e.globalPosition());
    return event;
}

Event Event::fromMouseMotion(const QMouseEvent& e, MouseMotion motion)
{
    int number = 0;
    EventType type = EventType::MouseMoved;
    if (motion == MouseMotion::Drag) {
        // The lowest held button leads; a drag reported without buttons is a left drag.
        const auto held = unsigned(e.buttons().toInt());
        number = held == 0 ? 0 : std::countr_zero(held);
        type = buttonType(number, EventType::LeftMouseDragged, EventType::RightMouseDragged,
                          EventType::OtherMouseDragged);
    }
    Event event = fromInput(type, e);
    event.buttonNumber = number;
    event.location = Point::fromQt(e.position());
    event.screenLocation = Point::fromQt(e.globalPosition());
    return event;
}

Event Event::fromWheel(const QWheelEvent& e)
{
    Event event = fromInput(EventType::ScrollWheel, e);
    event.location = Point::fromQt(e.position());
    event.screenLocation = Point::fromQt(e.globalPosition());
    // Qt counts eighths of a degree, 120 to the notch.
    event.deltaY = e.angleDelta().y() / 120.0;
    return event;
}

} // namespace pf
