// What a shape needs of a connection that ties a connector's end to it. The page's Connection implements
// it; the shape keeps the connections attached to it and moves the connector ends when it changes.
//
// The shape owns the connections in its list (as the page and the connector do in theirs), so a
// connection must not own its shape or its connector: it refers to them plainly or weakly, which also
// keeps a shape and its connections from holding each other alive.
#pragma once

#include "geometry/QVRect.h"
#include "platform/foundation/Geometry.h"

#include <memory>

class Shape;

class ShapeConnection {
public:
    virtual ~ShapeConnection() = default;

    // The connector whose end is attached; null when there is none.
    virtual Shape* pointer() const = 0;
    // Which end of the connector (its corner handle).
    virtual QVRectCorner pointerCorner() const = 0;
    // The shape the end is attached to; null when there is none (or it is gone).
    virtual std::shared_ptr<Shape> attachedShape() const { return nullptr; }
    // Where that end belongs on the page.
    virtual pf::Point locationInComposition() const = 0;

    // Drawing the targets of a connection being made: whether it is established yet, and the edge of
    // the shape it is on (QVRectEdge), whose target is then not offered again.
    virtual bool isCommitted() const { return true; }
    virtual QVRectEdge shapeEdge() const { return QVRectEdgeNone; }
};
