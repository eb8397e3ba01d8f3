// GraphicsContext painting through QPainter: on bitmaps, PDF pages and views. Shadows, transparency
// layers and (except on PDF pages) path clips go through premultiplied ARGB layers of the device area
// they touch, path clips as antialiased coverage masks; everything else is painted directly.
#pragma once

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <memory>

namespace pf {

class PainterContext : public GraphicsContext {
public:
    // painter is active on its device; deviceBounds are the device pixels it may paint; base maps the
    // initial user space to those pixels.
    PainterContext(QPainter& painter, const QRect& deviceBounds, const AffineTransform& base, double baseScale,
                   bool drawsToScreen);
    ~PainterContext() override;

    QRectF deviceBounds() const override { return QRectF(deviceBounds_); }

protected:
    // A new page of the same device.
    void restart(const QRect& deviceBounds, const AffineTransform& base);

    void paintFill(const Path& path, WindingRule rule) override;
    void paintStroke(const Path& path, const LineStyle& style) override;
    void paintClear(const Rect& r) override;
    void paintGlyphs(const QGlyphRun& run, Point origin) override;
    void paintGradient(const Gradient& g, const GradientPaint& geometry, const QPainterPath& region) override;
    void paintBitmap(const QImage& bitmap, const QRectF& sourcePixels, const Rect& dest, bool flipRows, BlendMode op,
                     double fraction) override;
    void pushLayer() override;
    void popLayer(const GState& outer) override;

private:
    struct Target {
        QPainter* painter = nullptr;
        QRect bounds;  // device pixels covered
        std::unique_ptr<QImage> image;
        std::unique_ptr<QPainter> ownPainter;
    };
    struct Mask;
    // Paints draw (given the painter and the transform from device to the painter's pixels) with the
    // state's clip and shadow, the alpha and the blend mode. area: device bounds of what draw paints.
    // contentClipped: draw paints what was already clipped to the state's clip (a layer), so the clip's
    // antialiased mask is applied to the shadow only, never twice to the drawing.
    using DrawFn = std::function<void(QPainter&, const QTransform& deviceToTarget)>;
    void render(const GState& s, const QRectF& area, bool antialias, BlendMode mode, double alpha, const DrawFn& draw,
                bool contentClipped = false);
    std::shared_ptr<Mask> clipMask(const GState& s);
    QPen pen(const LineStyle& style, const Color& color, const AffineTransform& ctm) const;
    void setHints(QPainter& p, bool antialias) const;

    QRect deviceBounds_;
    std::vector<Target> targets_;
};

// A context drawing into a new premultiplied ARGB bitmap of pointSize × scale pixels (transparent), y-down
// unless flipped is false (then y-up, as a Quartz bitmap context).
class BitmapContext final : public PainterContext {
public:
    BitmapContext(Size pointSize, double scale, bool flipped = true, bool drawsToScreen = false);
    ~BitmapContext() override;

    // Ends the drawing (later drawing is ignored) and answers the pixels, or an image of pointSize.
    QImage bitmap();
    Image image();

private:
    struct Surface;
    BitmapContext(std::unique_ptr<Surface> surface, Size pointSize, double scale, bool flipped, bool drawsToScreen);
    std::unique_ptr<Surface> surface_;
    Size pointSize_;
};

} // namespace pf
