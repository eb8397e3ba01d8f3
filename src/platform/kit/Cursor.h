// Mouse cursors: the standard shapes the editor shows, and cursors it draws itself through a
// GraphicsContext (at one and two pixels per point, for ordinary and high-density screens) with a hot
// spot. A cursor is a value; copies share the picture and the Qt cursors made from it.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Image.h"

#include <QCursor>

#include <functional>
#include <map>
#include <memory>

namespace pf {

class GraphicsContext;

class Cursor {
public:
    enum class Shape {
        Arrow,
        Crosshair,
        OpenHand,
        ClosedHand,
        ResizeLeftRight,
        ResizeUpDown,
        // Top-left to bottom-right, and bottom-left to top-right.
        ResizeDiagonalDown,
        ResizeDiagonalUp,
        DragCopy,
        Custom
    };

    static const Cursor& arrow();
    static const Cursor& crosshair();
    static const Cursor& openHand();
    static const Cursor& closedHand();
    static const Cursor& resizeLeftRight();
    static const Cursor& resizeUpDown();
    static const Cursor& resizeDiagonalDown();
    static const Cursor& resizeDiagonalUp();
    static const Cursor& dragCopy();

    // A picture of size points drawn by draw (y down, origin top-left) at 1× and 2×, and its hot spot
    // in points from the top-left corner.
    static Cursor drawn(Size size, Point hotSpot, const std::function<void(GraphicsContext&)>& draw);
    Cursor(Image image, Point hotSpot);

    Shape shape() const { return data_->shape; }
    // Null for the standard shapes.
    const Image& image() const { return data_->image; }
    Point hotSpot() const { return data_->hotSpot; }

    // The Qt cursor for a screen of that device-pixel ratio, made once per ratio.
    QCursor toQt(double devicePixelRatio = 1.0) const;

    // The same cursor: copies of one another.
    friend bool operator==(const Cursor& a, const Cursor& b) { return a.data_ == b.data_; }

private:
    struct Data {
        Shape shape = Shape::Custom;
        Image image;
        Point hotSpot;
        mutable std::map<double, QCursor> qt;
    };
    explicit Cursor(Shape shape);

    std::shared_ptr<Data> data_;
};

} // namespace pf
