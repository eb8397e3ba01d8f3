// The disappearing-item animation: a small puff of smoke that grows and fades where an item was dropped
// to be deleted (a guide dropped onto the ruler). A frameless, click-through top-level window of its own,
// since the drop point usually lies outside the view the item belonged to.
#pragma once

#include <QPoint>

class QWidget;

namespace pf {

// Plays the puff centred on a global screen point. Frames run on the main queue's clock, so tests step
// them with the virtual clock; the window deletes itself after the last frame.
void runPoofAtPoint(const QPoint& globalPoint);

// The puff window while it plays, else null (for tests).
QWidget* currentPoof();

} // namespace pf
