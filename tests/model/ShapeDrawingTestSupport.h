// Fixtures of the drawing tests: a page whose drawing flags the test sets, a connection, and
// rendering as the canvas does it (zoom, and the half-point offset at zoom scales up to 1).
#pragma once

#include "ShapeTestSupport.h"

#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/ShapeConnection.h"

#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"

#include <QImage>

#include <cmath>
#include <memory>

class DrawingPage : public FakePage {
public:
    bool isExporting() const override { return exporting; }
    bool isDrawingThumbnail() const override { return thumbnail; }
    bool isDrawingLoupe() const override { return loupe; }
    bool isConnectionFlashOn() const override { return connectionFlash; }
    const Metrics* metrics() const override { return &pageMetrics; }

    bool exporting = false;
    bool thumbnail = false;
    bool loupe = false;
    bool connectionFlash = false;
    Metrics pageMetrics;
};

// A connection being made, or made.
class TestConnection : public ShapeConnection {
public:
    Shape* pointer() const override { return nullptr; }
    QVRectCorner pointerCorner() const override { return QVRectCornerNone; }
    pf::Point locationInComposition() const override { return location; }
    bool isCommitted() const override { return committed; }
    QVRectEdge shapeEdge() const override { return edge; }

    pf::Point location;
    bool committed = false;
    QVRectEdge edge = QVRectEdgeNone;
};

class ShapeDrawingTest : public ShapeTest {
protected:
    // A box with no fill, no stroke and no shadows, on the page unless `onPage` is false.
    std::shared_ptr<Rectangle> box(const pf::Rect& frame, bool onPage = true)
    {
        auto shape = Shape::make<Rectangle>(frame);
        shape->setFillType(5);
        shape->setStrokeType(3);
        shape->setFillShadowHidden(true);
        shape->setStrokeShadowHidden(true);
        if (onPage)
            shape->setComposition(&canvasPage);
        return shape;
    }

    // The shape drawn into a view of `size` points shown at the page's zoom, as the canvas draws it: scaled
    // by the zoom and, at zoom scales up to 1, offset by half a point.
    QImage render(Shape& shape, pf::Size size, bool toScreen = true)
    {
        const double zoom = canvasPage.zoom;
        pf::BitmapContext context(pf::Size(size.width * zoom, size.height * zoom), 1.0, true, toScreen);
        if (zoom <= 1.0)
            context.translate(0.5, 0.5);
        context.scale(zoom, zoom);
        shape.drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        return context.bitmap();
    }

    // The same into a recording context.
    std::unique_ptr<pf::RecordingContext> record(Shape& shape, bool toScreen = true)
    {
        auto context = std::make_unique<pf::RecordingContext>(QRectF(0, 0, 1000, 1000), toScreen);
        context->scale(canvasPage.zoom, canvasPage.zoom);
        shape.drawInContextDirtyRect(*context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        return context;
    }

    static int alpha(const QImage& image, int x, int y) { return image.pixelColor(x, y).alpha(); }
    // Unpremultiplied.
    static QColor colour(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

    DrawingPage canvasPage;
};
