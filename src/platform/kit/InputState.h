// What the views share about input across events: the count of presses in a row, the modifier keys last
// seen, the event being handled and where the mouse is.
//
// Qt has no triple click and replaces the second press of a double click by its own event, so clicks are
// counted here, from the presses' times and places, with the platform's double-click interval and
// distance. Qt has no event for a change of the modifier keys alone: the views compare each event's
// modifiers with the last seen and synthesise one.
#pragma once

#include "platform/foundation/Event.h"
#include "platform/foundation/Geometry.h"

#include <optional>

namespace pf {

class ClickCounter {
public:
    // interval in seconds between presses of a row; distance in points between two presses of a row.
    ClickCounter(double interval, double distance) : interval_(interval), distance_(distance) {}
    // With the platform's settings (QStyleHints).
    static ClickCounter withPlatformSettings();

    // The count of the press: one more than the row's so far when it is the same button, soon enough
    // after the previous press and near enough to it; else 1, starting a new row.
    int press(int buttonNumber, Point screenLocation, double timestamp);
    void reset() { count_ = 0; }

private:
    double interval_;
    double distance_;
    int count_ = 0;
    int button_ = -1;
    Point last_;
    double lastTime_ = 0;
};

// The application's one input state, fed by the views.
class InputState {
public:
    static InputState& shared();

    ClickCounter& clickCounter() { return clicks_; }

    // The modifier flags last seen on any event; answers whether flags differ from them, and keeps flags.
    bool updateModifierFlags(ModifierFlags flags);
    ModifierFlags modifierFlags() const { return flags_; }

    // The event most recently handed to a view (Cocoa's current event); empty before the first.
    const std::optional<Event>& currentEvent() const { return current_; }
    void setCurrentEvent(const Event& e);

    // The mouse on the screen (Qt's global coordinates): from the last mouse event seen, else the cursor.
    Point mouseLocation() const;

    // Forgets everything (tests start from a known state).
    void reset();

private:
    InputState();
    ClickCounter clicks_;
    ModifierFlags flags_ = 0;
    std::optional<Event> current_;
    std::optional<Point> mouse_;
};

} // namespace pf
