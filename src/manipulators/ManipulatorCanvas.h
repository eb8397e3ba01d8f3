// What a selection object needs of the canvas that shows it. The canvas implements it; manipulators sit
// below the canvas and never see it otherwise. The selection holds the canvas as a plain pointer that the
// canvas clears before it goes.
#pragma once

#include "platform/foundation/Geometry.h"

class Shape;

class ManipulatorCanvas {
public:
    virtual ~ManipulatorCanvas() = default;

    // The current move drags a copy (Option held at mouse-down).
    virtual bool dragCopy() const = 0;
    // The selection may snap during the current drag step.
    virtual bool wantsSnap() const = 0;
    // In-place text editing of a selected shape (a double click on it).
    virtual void beginEditingTextIn(Shape& shape) = 0;
};
