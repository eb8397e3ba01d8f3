// The disappearing-item animation: a small puff of smoke that grows and fades where an item was dropped
// to be deleted (a guide dropped onto the ruler). A frameless, click-through top-level window of its own,
// since the drop point usually lies outside the view the item belonged to.
#pragma once

#include <QPoint>

#include <optional>

class QWidget;

namespace pf {

// Whether the window system lets a program place a top-level window where it wants: X11 does; Wayland
// does not, and there the puff and other floating pictures are not shown. Tests set the answer for a scope
// (none: ask the platform again).
bool canPlaceFloatingWindows();
void setCanPlaceFloatingWindowsForTesting(std::optional<bool> answer);

// Plays the puff centred on a global screen point. Frames run on the main queue's clock, so tests step
// them with the virtual clock; the window deletes itself after the last frame.
// Nothing is shown where floating windows cannot be placed.
void runPoofAtPoint(const QPoint& globalPoint);

// The puff window while it plays, else null (for tests).
QWidget* currentPoof();

} // namespace pf
