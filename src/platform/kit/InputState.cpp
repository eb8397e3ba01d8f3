#include "platform/kit/InputState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStyleHints>

#include <cmath>

namespace pf {

ClickCounter ClickCounter::withPlatformSettings()
{
    const QStyleHints* hints = QGuiApplication::styleHints();
    return ClickCounter(hints->mouseDoubleClickInterval() / 1000.0, hints->mouseDoubleClickDistance());
}

int ClickCounter::press(int buttonNumber, Point screenLocation, double timestamp)
{
    // Manhattan distance, as the platform measures it for its own double clicks.
    const double moved = std::abs(screenLocation.x - last_.x) + std::abs(screenLocation.y - last_.y);
    const double elapsed = timestamp - lastTime_;
    const bool continues = count_ > 0 && buttonNumber == button_ && elapsed >= 0 && elapsed <= interval_
        && moved <= distance_;
    count_ = continues ? count_ + 1 : 1;
    button_ = buttonNumber;
    last_ = screenLocation;
    lastTime_ = timestamp;
    return count_;
}

InputState::InputState() : clicks_(ClickCounter::withPlatformSettings()) {}

InputState& InputState::shared()
{
    static InputState state;
    return state;
}

bool InputState::updateModifierFlags(ModifierFlags flags)
{
    const bool changed = flags != flags_;
    flags_ = flags;
    return changed;
}

void InputState::setCurrentEvent(const Event& e)
{
    current_ = e;
    if (e.type != EventType::KeyDown && e.type != EventType::KeyUp && e.type != EventType::FlagsChanged)
        mouse_ = e.screenLocation;
}

Point InputState::mouseLocation() const
{
    return mouse_ ? *mouse_ : Point::fromQt(QCursor::pos());
}

void InputState::reset()
{
    clicks_ = ClickCounter::withPlatformSettings();
    flags_ = 0;
    current_.reset();
    mouse_.reset();
}

} // namespace pf
