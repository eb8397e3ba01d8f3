// The input event the editor reasons about: Cocoa event type numbers, Mac virtual key codes and the
// device-independent modifier bits, built from Qt events through one key table. On Linux Command is
// Ctrl, Option is Alt and Control is Meta.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QString>

#include <cstdint>
#include <optional>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace pf {

enum class EventType : int {
    None = 0,
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    RightMouseUp = 4,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    RightMouseDragged = 7,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
    Rotate = 18,
    BeginGesture = 19,
    EndGesture = 20,
    ScrollWheel = 22,
    OtherMouseDown = 25,
    OtherMouseUp = 26,
    OtherMouseDragged = 27,
    Magnify = 30,
};

using ModifierFlags = std::uint64_t;
inline constexpr ModifierFlags ShiftKeyMask = ModifierFlags(1) << 17;
inline constexpr ModifierFlags ControlKeyMask = ModifierFlags(1) << 18;
inline constexpr ModifierFlags OptionKeyMask = ModifierFlags(1) << 19;
inline constexpr ModifierFlags CommandKeyMask = ModifierFlags(1) << 20;

// Mac virtual key codes (ANSI layout) of the keys the editor compares.
namespace KeyCode {
inline constexpr std::uint16_t A = 0;
inline constexpr std::uint16_t S = 1;
inline constexpr std::uint16_t D = 2;
inline constexpr std::uint16_t G = 5;
inline constexpr std::uint16_t Z = 6;
inline constexpr std::uint16_t V = 9;
inline constexpr std::uint16_t B = 11;
inline constexpr std::uint16_t E = 14;
inline constexpr std::uint16_t R = 15;
inline constexpr std::uint16_t T = 17;
inline constexpr std::uint16_t I = 34;
inline constexpr std::uint16_t P = 35;
inline constexpr std::uint16_t Return = 36;
inline constexpr std::uint16_t L = 37;
inline constexpr std::uint16_t N = 45;
inline constexpr std::uint16_t M = 46;
inline constexpr std::uint16_t Tab = 48;
inline constexpr std::uint16_t Space = 49;
inline constexpr std::uint16_t Delete = 51;
inline constexpr std::uint16_t Escape = 53;
inline constexpr std::uint16_t Enter = 76;
inline constexpr std::uint16_t ForwardDelete = 117;
inline constexpr std::uint16_t LeftArrow = 123;
inline constexpr std::uint16_t RightArrow = 124;
inline constexpr std::uint16_t DownArrow = 125;
inline constexpr std::uint16_t UpArrow = 126;
inline constexpr std::uint16_t F10 = 109;
// The keyboard's menu key.
inline constexpr std::uint16_t ContextualMenu = 110;
// A key the table does not know (0 is the A key, so it cannot mean "none").
inline constexpr std::uint16_t Unknown = 0xFFFF;
} // namespace KeyCode

// Whether a mouse motion happens with a button held since a press in the same view (a drag) or not.
enum class MouseMotion { Move, Drag };

struct Event {
    EventType type = EventType::None;
    std::uint16_t keyCode = KeyCode::Unknown;
    ModifierFlags modifierFlags = 0;
    // Presses in a row for mouse down and up; 0 for every other event.
    int clickCount = 0;
    // 0 left, 1 right, 2 middle, 3 and up the extra buttons.
    int buttonNumber = 0;
    // In the receiving view's coordinates; (0, 0) for key events.
    Point location;
    // The same point on the screen (Qt's global coordinates, y down); (0, 0) for key events.
    Point screenLocation;
    QString characters;
    // Seconds, on the clock of the platform's input events.
    double timestamp = 0;
    // A key press that the keyboard repeats while the key is held.
    bool isARepeat = false;
    // Gestures: the magnification step (0.1 is 10 % larger) and the rotation step in degrees,
    // counter-clockwise positive.
    double magnification = 0;
    double rotation = 0;
    // The wheel's vertical turn in notches, positive away from the user.
    double deltaY = 0;

    // Key press and release.
    static Event fromKey(const QKeyEvent& e);
    // Press (also Qt's separate double-click event) and release. Qt does not count clicks the way the
    // editor does, so the caller gives the count of presses in a row.
    static Event fromMouseButton(const QMouseEvent& e, int clickCount);
    // Motion; the caller knows whether a press in its view started a drag.
    static Event fromMouseMotion(const QMouseEvent& e, MouseMotion motion);
    static Event fromWheel(const QWheelEvent& e);

    // The translation tables behind the factories.
    static std::optional<std::uint16_t> keyCodeForQtKey(int qtKey);
    static ModifierFlags modifierFlagsForQt(int qtModifiers);

    bool isMouseDown() const { return type == EventType::LeftMouseDown; }
    bool isMouseUp() const { return type == EventType::LeftMouseUp; }
    bool isMouseMoved() const { return type == EventType::MouseMoved; }
    bool isMouseDragged() const { return type == EventType::LeftMouseDragged; }
    bool isKeyDown() const { return type == EventType::KeyDown; }
    bool isKeyUp() const { return type == EventType::KeyUp; }
    bool isKeyUpOrDown() const { return isKeyUp() || isKeyDown(); }
    bool isScrollWheel() const { return type == EventType::ScrollWheel; }
    bool isFlagsChanged() const { return type == EventType::FlagsChanged; }
    bool is3rdButtonClick() const { return buttonNumber == 2; }
    // An even count of presses; no press (count 0) is no click at all.
    bool isDoubleClick() const { return clickCount > 0 && clickCount % 2 == 0; }

    bool isCommandKeyPressed() const { return (modifierFlags & CommandKeyMask) != 0; }
    bool isControlKeyPressed() const { return (modifierFlags & ControlKeyMask) != 0; }
    bool isShiftKeyPressed() const { return (modifierFlags & ShiftKeyMask) != 0; }
    bool isOptionKeyPressed() const { return (modifierFlags & OptionKeyMask) != 0; }

    bool isEscKeyPressed() const { return isKeyUpOrDown() && keyCode == KeyCode::Escape; }
    bool isReturnKeyPressed() const { return isKeyUpOrDown() && keyCode == KeyCode::Return; }
    bool isEnterKeyPressed() const { return isKeyUpOrDown() && keyCode == KeyCode::Enter; }
    bool isTabKeyDown() const { return isKeyDownWith(KeyCode::Tab); }
    bool isDeleteKeyDown() const { return isKeyDownWith(KeyCode::Delete) || isKeyDownWith(KeyCode::ForwardDelete); }
    bool isArrowKeyDown() const
    {
        return isKeyDown() && keyCode >= KeyCode::LeftArrow && keyCode <= KeyCode::UpArrow;
    }
    bool isLeftArrowKeyDown() const { return isKeyDownWith(KeyCode::LeftArrow); }
    bool isRightArrowKeyDown() const { return isKeyDownWith(KeyCode::RightArrow); }
    bool isDownArrowKeyDown() const { return isKeyDownWith(KeyCode::DownArrow); }
    bool isUpArrowKeyDown() const { return isKeyDownWith(KeyCode::UpArrow); }
    bool isSpaceKeyDown() const { return isKeyDownWith(KeyCode::Space); }
    bool isZKeyDown() const { return isKeyDownWith(KeyCode::Z); }

private:
    bool isKeyDownWith(std::uint16_t code) const { return isKeyDown() && keyCode == code; }
};

} // namespace pf
