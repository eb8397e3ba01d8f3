// GraphicsContext painting through QPainter: on bitmaps, PDF pages and views. Shadows, transparency
// layers and (except on PDF pages) path clips go through premultiplied ARGB layers of the device area
// they touch, path clips as antialiased coverage masks; everything else is painted directly.
#pragma once

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

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
    void paintGradient(const Gradient& g, const GradientPaint& geometry, const Path& region) override;
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
    // A drawing borrowed for one call of render, which never keeps it (std::function would allocate for
    // every shape drawn).
    class DrawFn {
    public:
        template <class F>
            requires(!std::is_same_v<std::remove_cvref_t<F>, DrawFn>)
        DrawFn(const F& f)  // NOLINT(google-explicit-constructor): a lambda converts where passed
            : object_(&f), call_([](const void* o, QPainter& p, const QTransform& t) { (*static_cast<const F*>(o))(p, t); })
        {
        }
        void operator()(QPainter& p, const QTransform& deviceToTarget) const { call_(object_, p, deviceToTarget); }

    private:
        const void* object_;
        void (*call_)(const void*, QPainter&, const QTransform&);
    };
    // Paints draw (given the painter and the transform from device to the painter's pixels) with the
    // state's clip and shadow, the alpha and the blend mode. area: device bounds of what draw paints.
    // contentClipped: draw paints what was already clipped to the state's clip (a layer), so the clip's
    // antialiased mask is applied to the shadow only, never twice to the drawing.
    void render(const GState& s, const QRectF& area, bool antialias, BlendMode mode, double alpha, DrawFn draw,
                bool contentClipped = false);
    std::shared_ptr<Mask> clipMask(const GState& s);
    // The pen and solid brush of the last stroke and fill, kept while they stay the same: a page of shapes
    // strokes and fills with few of them, and each new QPen or QBrush allocates.
    const QPen& pen(const LineStyle& style, const Color& color, const AffineTransform& ctm);
    const QBrush& solidBrush(const Color& color);
    void setHints(QPainter& p, bool antialias) const;

    struct PenMemo {
        LineStyle style;
        Color color;
        double deviceStretch = 0;
        QPen pen;
    };
    std::optional<PenMemo> penMemo_;
    std::optional<std::pair<Color, QBrush>> brushMemo_;
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
