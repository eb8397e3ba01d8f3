// The disappearing-item animation: a small puff of smoke that grows and fades where an item was dropped
// to be deleted (a guide dropped onto the ruler). A frameless, click-through top-level window of its own,
// since the drop point usually lies outside the view the item belonged to.
#pragma once

#include <QPoint>

#include <optional>

class QString;
class QWidget;

namespace pf {

// Whether the window system lets a program place a top-level window where it wants: X11 does; Wayland
// does not, and there the puff and other floating pictures are not shown. Tests set the answer for a scope
// (none: ask the platform again).
bool canPlaceFloatingWindows();
void setCanPlaceFloatingWindowsForTesting(std::optional<bool> answer);

// Whether a floating picture with see-through parts shows as drawn: the window must be placeable, and on
// X11 a compositing manager must run, or the clear parts come out black. The test answer above holds here
// too.
bool canShowTranslucentWindows();
// The decision from the facts: the platform's name and, for X11, whether the screen has a compositing
// manager.
bool canShowTranslucentWindows(const QString& platformName, bool compositingManager);

// Plays the puff centred on a global screen point. Frames run on the main queue's clock, so tests step
// them with the virtual clock; the window deletes itself after the last frame.
// Nothing is shown where a translucent window cannot be shown.
void runPoofAtPoint(const QPoint& globalPoint);

// The puff window while it plays, else null (for tests).
QWidget* currentPoof();

} // namespace pf
