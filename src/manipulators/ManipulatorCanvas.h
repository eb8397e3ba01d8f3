// What a selection object needs of the canvas that shows it. The canvas implements it; manipulators sit
// below the canvas and never see it otherwise. The selection holds the canvas as a plain pointer that the
// canvas clears before it goes.
#pragma once

#include "platform/foundation/Geometry.h"

#include <cstdint>
#include <memory>

class Connection;
class Manipulator;
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

    // Temporary guides, the lines a constrained or snapped drag shows (page points): type 0 lines up with
    // shapes, user guides or a constraint, type 1 with the page's bounds.
    virtual void addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to) = 0;
    // Drops the temporary guides that no longer lie on the rect's edges or centre lines; answers the page
    // rect they covered.
    virtual pf::Rect cleanUpTempGuidesWithManipulatorRect(const pf::Rect& rect) = 0;
    // Marks a shape the selection snapped to, until the canvas clears the marks.
    virtual void addSnappedShape(const std::shared_ptr<Shape>& shape) = 0;
    // The connection a dragged connector end would make (replacing any earlier one), or none.
    virtual void addConnection(const std::shared_ptr<Connection>& connection) = 0;
    virtual void discardConnection() = 0;
    // The live tool tip of a selection class that has one (none has yet, so these do nothing by default).
    virtual void showToolTipForManipulator(Manipulator& selection) { (void)selection; }
    virtual void removeManipulatorToolTip() {}
};
