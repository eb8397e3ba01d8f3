// GraphicsContext painting through QPainter: on bitmaps, PDF pages and views. Shadows, transparency
// layers and (except on PDF pages) path clips go through premultiplied ARGB layers of the device area
// they touch, path clips as antialiased coverage masks; everything else is painted directly.
#pragma once

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <deque>
#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_map>
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
    double targetPixelRatio() const override;
    bool paintVectorDrawing(const std::function<bool(QPainter&)>& paint) override;

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
    // The clip last given to a target's painter, in its pixels: a PDF page writes every clip it is given
    // (and the whole graphics state after it), so an unchanged clip is not given again.
    struct PainterClip {
        bool known = false;
        bool enabled = false;
        QRectF rect;
        std::vector<QPainterPath> paths;
    };
    struct Target {
        QPainter* painter = nullptr;
        // What its engine is, found once: asked for every drawing. Layers are raster images.
        bool raster = true;
        bool pdf = false;
        QRect bounds;  // device pixels covered
        std::unique_ptr<QImage> image;
        std::unique_ptr<QPainter> ownPainter;
        PainterClip clip;
    };
    // Gives the painter the clip state s's clip (with its paths when withPaths), unless it has it.
    void useClip(Target& target, const Clip& clip, bool withPaths);
    struct Mask;
    // A callable borrowed for one call, never kept: std::function would allocate for every shape drawn.
    template <class Signature>
    class FunctionRef;
    template <class R, class... Args>
    class FunctionRef<R(Args...)> {
    public:
        template <class F>
            requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef>)
        FunctionRef(const F& f)  // NOLINT(google-explicit-constructor): a lambda converts where passed
            : object_(&f), call_([](const void* o, Args... args) -> R { return (*static_cast<const F*>(o))(args...); })
        {
        }
        R operator()(Args... args) const { return call_(object_, args...); }

    private:
        const void* object_;
        R (*call_)(const void*, Args...);
    };
    // Paints, given the painter and the transform from device space to the painter's pixels.
    using DrawFn = FunctionRef<void(QPainter&, const QTransform&)>;
    // The device bounds of what a drawing paints; asked only when it goes through a layer.
    using AreaFn = FunctionRef<QRectF()>;
    // Writes into the key every input of a drawing that decides its pixels, the state aside: the same
    // key, the same pixels. Asked only when the drawing goes through a layer.
    using KeyFn = FunctionRef<void(QByteArray&)>;
    // Paints draw with the state's clip and shadow, the alpha and the blend mode. contentClipped: draw
    // paints what was already clipped to the state's clip (a layer), so the clip's antialiased mask is
    // applied to the shadow only, never twice to the drawing. A drawing given a key reuses the layer
    // pixels made for the same key and state before on this page; given source too (the pixels the key
    // hashes), only when they are the same. A screen context's own target keeps none.
    void render(const GState& s, AreaFn area, bool antialias, BlendMode mode, double alpha, DrawFn draw,
                bool contentClipped = false, const KeyFn* key = nullptr, const QImage* source = nullptr);
    // A clipped drawing without a shadow, of a few hundred pixels across and wholly visible, composited
    // through the thread's scratch layer as a layer of its own would be; false, having painted nothing,
    // for any other (drawn: the drawing's device bounds, once asked).
    bool paintMaskedOnScratch(const GState& s, AreaFn area, std::optional<QRectF>& drawn, const QRectF& visible,
                              bool antialias, BlendMode mode, double alpha, DrawFn draw);
    // What a drawing through a layer leaves on its target: nothing, the shadow then the drawing straight
    // onto it, or one composited group.
    struct LayerProduct {
        enum Kind { Nothing, Straight, Group } kind = Nothing;
        QRectF shadowRect;  // Straight: where the shadow goes, made at a reduced size when k > 1
        QImage shadow;
        int k = 1;
        QRect rect;  // Straight: the clip of both; Group: the group's place
        QImage image;  // Straight: the drawing; Group: the group
        QRect layerRect;  // Straight: the drawing's place
        QImage source;  // the pixels drawn, when the key holds only their hash
    };
    void paintProduct(Target& target, const LayerProduct& product, double alpha, BlendMode mode);
    void remember(QByteArray key, LayerProduct product);
    // Layer products of this page by their keys (the state's part included), the oldest first out past a
    // budget: a loupe draws the shapes beneath it again, often as another loupe drew them. Contexts made
    // while another lives on the same thread (a redaction's picture drawn for a page) share its memo.
    struct LayerMemo {
        std::unordered_map<QByteArray, LayerProduct> products;
        std::deque<QByteArray> order;
        qsizetype bytes = 0;
        void clear() { products.clear(), order.clear(), bytes = 0; }
    };
    // The clip's mask over at least `reach` (device pixels): a clip out of a small area is bounded only by
    // the device, and a mask of the whole device per drawing was most of a redraw.
    std::shared_ptr<Mask> clipMask(const GState& s, const QRect& reach);
    // The masks of path clips made last on this thread, up to a budget: a page drawn again uses them.
    struct KeptMasks;
    static KeptMasks& keptMasks();
    // The pen and solid brush of the last stroke and fill, kept while they stay the same: a page of shapes
    // strokes and fills with few of them, and each new QPen or QBrush allocates.
    const QPen& pen(const LineStyle& style, const Color& color, const AffineTransform& ctm);
    const QBrush& solidBrush(const Color& color);
    void setHints(QPainter& p, bool antialias) const;
    // The current target is painted by QPainter's raster engine (a bitmap, a view, a layer).
    bool targetPaintsPixels() const;
    // Draws the source pixels of image at (at, source size) in p's pixels. A PDF page embeds a picture
    // once for every QImage it is given: equal pictures (a control drawn on every page, the same shadow
    // under like shapes) are handed over as the one QImage met first, so the file holds each once.
    void drawPicture(QPainter& p, const QPointF& at, const QImage& image, const QRectF& source);
    QImage sharedPicture(const QImage& image);
    // A gradient whose points lie out of reach in device space (stored data may put them anywhere),
    // rebuilt over the visible device rect: what it paints there, with every point near; none when
    // nothing can be painted.
    // A texture of the device rows a vertical gradient brush (g's along geometry) paints about bounds (user space) with p's
    // transforms, placed on them: the same pixels without the gradient's colour table, kept on the thread
    // for the next frames; none when p's transforms are not scales alone.
    static const QBrush* gradientRows(QPainter& p, const Gradient& g, const GradientPaint& geometry,
                                      const QBrush& gradient, const QRectF& bounds);
    static std::optional<QBrush> nearGradient(const Gradient& g, const GradientPaint& geometry,
                                              const AffineTransform& m, const QRectF& visible);
    // bitmap's source pixels averaged down to size (smooth scaling), kept for the next draws of the same
    // pixels at the same size in any context: a picture drawn by many shapes, on pages and in their
    // loupes, is reduced once.
    static QImage reduced(const QImage& bitmap, const QRect& source, const QSize& size);

    struct PenMemo {
        LineStyle style;
        Color color;
        double deviceStretch = 0;
        QPen pen;
    };
    // Pictures given to a PDF page, by a hash of their pixels, the oldest first out once they hold more
    // than a budget (a picture met again after that is embedded again, nothing worse).
    std::unordered_multimap<size_t, QImage> pictures_;
    std::deque<std::pair<size_t, qint64>> pictureOrder_;  // hash and cache key, oldest first
    qsizetype pictureBytes_ = 0;
    // The hashes of pictures given, by cache key: a picture given again (a layer product reused) is not
    // hashed again.
    std::unordered_map<qint64, size_t> pictureHashes_;
    static std::weak_ptr<LayerMemo>& threadLayerMemo();
    std::shared_ptr<LayerMemo> layerMemo_;
    std::optional<PenMemo> penMemo_;
    std::optional<std::pair<Color, QBrush>> brushMemo_;
    QRect deviceBounds_;
    double targetPixelRatio_ = 1.0;
    std::vector<Target> targets_;
};

// A context drawing into a new premultiplied ARGB bitmap of pointSize × scale pixels (transparent), y-down
// unless flipped is false (then y-up, as a Quartz bitmap context). Its base scale (what shadows are
// measured by) is 1 unless given: a bitmap standing in for a dense screen gives the screen's.
class BitmapContext final : public PainterContext {
public:
    BitmapContext(Size pointSize, double scale, bool flipped = true, bool drawsToScreen = false, double baseScale = 1.0);
    ~BitmapContext() override;

    // Ends the drawing (later drawing is ignored) and answers the pixels, or an image of pointSize.
    QImage bitmap();
    Image image();

private:
    struct Surface;
    BitmapContext(std::unique_ptr<Surface> surface, Size pointSize, double scale, bool flipped, bool drawsToScreen,
                  double baseScale);
    std::unique_ptr<Surface> surface_;
    Size pointSize_;
};

} // namespace pf
