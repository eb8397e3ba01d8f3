// Ties one end of a connector to a point on the edge of another shape of the same page, so that the end
// follows the shape. The page, the shape and the connector each keep the connection; the connection refers
// to the shape and the connector weakly, so none of them keeps another alive.
#pragma once

#include "model/ShapeConnection.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <QString>

#include <memory>

class Composition;

class Connection : public pf::Object, public ShapeConnection {
public:
    Connection() = default;

    static const pf::ClassObject& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // Being made: not committed, edge None, ratio 0.5.
    static std::shared_ptr<Connection> make(Composition* page);

    bool isCommitted() const override { return committed_; }
    void setCommitted(bool committed) { committed_ = committed; }
    std::shared_ptr<Shape> shape() const { return shape_.lock(); }
    std::shared_ptr<Shape> attachedShape() const override { return shape(); }
    // Offers the connection to the new shape as its provisional one (shown while it is being made).
    void setShape(const std::shared_ptr<Shape>& shape);
    Shape* pointer() const override;
    void setPointer(const std::shared_ptr<Shape>& pointer) { pointer_ = pointer; }
    QVRectCorner pointerCorner() const override { return pointerCorner_; }
    void setPointerCorner(QVRectCorner corner) { pointerCorner_ = corner; }
    QVRectEdge shapeEdge() const override { return shapeEdge_; }
    void setShapeEdge(QVRectEdge edge) { shapeEdge_ = edge; }
    double shapeRatio() const { return shapeRatio_; }
    void setShapeRatio(double ratio) { shapeRatio_ = ratio; }
    Composition* composition() const { return composition_; }
    void setComposition(Composition* page) { composition_ = page; }

    // The point on the shape's edge (its centre when the shape is rotated), rounded; the zero point
    // without a shape or edge.
    pf::Point locationInComposition() const override;

    // Committed, same shape, connector, corner, edge and ratio; no page.
    std::shared_ptr<Connection> copy() const;
    QString description() const;

    pf::Value asPlist() const;
    // Resolves the identifiers on page. A connection whose shape or connector is not on the page would pin
    // the connector's end to the zero point, so it is refused (null, logged). The input is not changed.
    static std::shared_ptr<Connection> fromPlist(const pf::Value& plist, Composition& page);

private:
    bool committed_ = false;
    std::weak_ptr<Shape> shape_;
    std::weak_ptr<Shape> pointer_;
    QVRectCorner pointerCorner_ = 0;
    QVRectEdge shapeEdge_ = QVRectEdgeNone;
    double shapeRatio_ = 0.5;
    Composition* composition_ = nullptr;
};
