// Fixtures of the connector tests: a page with an undo manager, a connection by hand, and connectors
// with a plain style.
#pragma once

#include "OutlineTestSupport.h"

#include "model/ShapeConnection.h"
#include "support/QuietShapePage.h"
#include "platform/foundation/UndoManager.h"
#include "shapes/Line.h"

#include <memory>

class ConnectorPage : public QuietShapePage {
public:
    ConnectorPage() { undo.setGroupsByEvent(false); }
    pf::UndoManager* undoManager() const override { return &undo; }
    void removeConnection(const std::shared_ptr<ShapeConnection>& connection) override
    {
        if (Shape* pointer = connection->pointer())
            pointer->removeConnection(connection.get());
    }
    double zoomScale() const override { return zoom; }
    bool isExporting() const override { return true; }

    mutable pf::UndoManager undo;
    double zoom = 1.0;
};

// One end of a connector tied to a shape.
class EndConnection : public ShapeConnection {
public:
    EndConnection(std::shared_ptr<Shape> shape, Shape* pointer, QVRectCorner corner, QVRectEdge edge)
        : shape_(std::move(shape)), pointer_(pointer), corner_(corner), edge_(edge)
    {
    }
    Shape* pointer() const override { return pointer_; }
    QVRectCorner pointerCorner() const override { return corner_; }
    pf::Point locationInComposition() const override { return shape_->center(); }
    QVRectEdge shapeEdge() const override { return edge_; }
    std::shared_ptr<Shape> attachedShape() const override { return shape_; }

private:
    std::shared_ptr<Shape> shape_;
    Shape* pointer_;
    QVRectCorner corner_;
    QVRectEdge edge_;
};

class ConnectorTest : public OutlineTest {
protected:
    // A black line of width w, on the page.
    template <class Kind = Line>
    std::shared_ptr<Kind> connector(const pf::Rect& frame, double w = 1)
    {
        auto line = Shape::make<Kind>(frame);
        line->setComposition(&page);
        line->setStrokeType(0);
        line->setStrokeLineWidth(w);
        line->setStrokeColor(pf::Color(0, 0, 0, 1));
        line->setStrokeShadowHidden(true);
        line->setFillShadowHidden(true);
        page.undo.removeAllActions();
        return line;
    }
    // Attaches the end at corner to the shape (at the edge given).
    static std::shared_ptr<EndConnection> attach(AbstractPointer& pointer, QVRectCorner corner,
                                                 const std::shared_ptr<Shape>& shape, QVRectEdge edge)
    {
        auto c = std::make_shared<EndConnection>(shape, &pointer, corner, edge);
        pointer.addConnection(c);
        return c;
    }
    static const pf::Value::Dictionary& userValues() { return pf::UserDefaultsStore::standard().persistentDomain().asDictionary(); }

    ConnectorPage page;
};
