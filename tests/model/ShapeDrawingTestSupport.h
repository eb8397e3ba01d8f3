// Fixtures of the drawing tests: a page whose drawing flags the test sets, a rectangular kind, and
// rendering as the canvas does it (zoom, and the half-point offset at zoom scales up to 1).
#pragma once

#include "ShapeTestSupport.h"

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

    bool exporting = false;
    bool thumbnail = false;
    bool loupe = false;
    bool connectionFlash = false;
};

// A shape whose outline is its frame.
class DrawBox : public Shape {
public:
    void appendPath(pf::Path& path) const override { path.appendRect(frame()); }
    static const ShapeClass& staticClass()
    {
        static const ShapeClass c(QStringLiteral("DrawBox"), &Shape::staticClass(), &Shape::allocate<DrawBox>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

class ShapeDrawingTest : public ShapeTest {
protected:
    // A box with no fill, no stroke and no shadows, on the page unless `onPage` is false.
    std::shared_ptr<DrawBox> box(const pf::Rect& frame, bool onPage = true)
    {
        auto shape = Shape::make<DrawBox>(frame);
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
