#include "platform/graphics/PainterContext.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/ShadowBlur.h"

#include <QGlyphRun>
#include <QHash>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>

namespace pf {

namespace {

QPainter::CompositionMode qtMode(BlendMode mode)
{
    switch (mode) {
    case BlendMode::Normal: return QPainter::CompositionMode_SourceOver;
    case BlendMode::Multiply: return QPainter::CompositionMode_Multiply;
    case BlendMode::Screen: return QPainter::CompositionMode_Screen;
    case BlendMode::Overlay: return QPainter::CompositionMode_Overlay;
    case BlendMode::Darken: return QPainter::CompositionMode_Darken;
    case BlendMode::Lighten: return QPainter::CompositionMode_Lighten;
    case BlendMode::ColorDodge: return QPainter::CompositionMode_ColorDodge;
    case BlendMode::ColorBurn: return QPainter::CompositionMode_ColorBurn;
    case BlendMode::SoftLight: return QPainter::CompositionMode_SoftLight;
    case BlendMode::HardLight: return QPainter::CompositionMode_HardLight;
    case BlendMode::Difference: return QPainter::CompositionMode_Difference;
    case BlendMode::Exclusion: return QPainter::CompositionMode_Exclusion;
    case BlendMode::Clear: return QPainter::CompositionMode_Clear;
    case BlendMode::Copy: return QPainter::CompositionMode_Source;
    case BlendMode::SourceIn: return QPainter::CompositionMode_SourceIn;
    case BlendMode::SourceOut: return QPainter::CompositionMode_SourceOut;
    case BlendMode::SourceAtop: return QPainter::CompositionMode_SourceAtop;
    case BlendMode::DestinationOver: return QPainter::CompositionMode_DestinationOver;
    case BlendMode::DestinationIn: return QPainter::CompositionMode_DestinationIn;
    case BlendMode::DestinationOut: return QPainter::CompositionMode_DestinationOut;
    case BlendMode::DestinationAtop: return QPainter::CompositionMode_DestinationAtop;
    case BlendMode::Xor: return QPainter::CompositionMode_Xor;
    case BlendMode::PlusLighter: return QPainter::CompositionMode_Plus;
    }
    return QPainter::CompositionMode_SourceOver;
}

// The largest factor by which the transform stretches a length.
double stretch(const AffineTransform& m)
{
    return std::max(std::hypot(m.a, m.b), std::hypot(m.c, m.d));
}

QRectF mapBounds(const AffineTransform& m, const QRectF& r) { return m.toQt().mapRect(r); }

// A new transform makes the engine work out its fast paths again: set it only when it changes.
void useTransform(QPainter& p, const QTransform& t)
{
    if (p.transform() != t)
        p.setTransform(t);
}

// The pen for drawRect, with no brush: fills give their brush with each call, so the painter's own brush
// stays none.
void usePen(QPainter& p, const QPen& pen)
{
    if (p.pen() != pen)
        p.setPen(pen);
    if (p.brush().style() != Qt::NoBrush)
        p.setBrush(Qt::NoBrush);
}

// Scales, translations and quarter turns: the transforms that keep an axis-aligned rect one.
bool keepsRectsOnAxes(const AffineTransform& m) { return (m.b == 0 && m.c == 0) || (m.a == 0 && m.d == 0); }

// A rect on axes takes QPainter's rect fill, which needs no general path; on whole device pixels without
// antialiasing, which paints the same pixels there and is QPainter's fastest fill.
struct RectFill {
    QRectF rect;  // user space
    bool wholePixels = false;
};

std::optional<RectFill> rectFill(const Path& path, const GState& s, bool raster)
{
    const std::optional<Path::RectShape>& r = path.asRect();
    if (!raster || !r || !keepsRectsOnAxes(s.ctm))
        return std::nullopt;
    const bool onAxes = s.ctm.b == 0 && s.ctm.c == 0;  // not turned: QPainter fills it as a rect then
    const bool whole = onAxes && GraphicsContext::isWholePixels(s.ctm.apply(r->rect).toQt());
    // Aliased, QPainter rounds a rect's edges otherwise than a path's.
    if (!s.antialias && !whole)
        return std::nullopt;
    return RectFill{r->rect.toQt(), whole};
}

// The device rects a stroke covers exactly, when they are whole pixels: the ring of a closed rect with
// mitred corners, or the band of a straight line with butt or square ends, on axes. Filled without
// antialiasing they give the pixels the stroke would (it covers them wholly or not at all) without a
// stroker or a general path.
struct WholePixelBands {
    std::array<QRect, 4> rects;
    int count = 0;
};

std::optional<WholePixelBands> wholePixelBands(const Path& path, const LineStyle& style, const QPen& pen,
                                               const AffineTransform& ctm)
{
    if (pen.style() != Qt::SolidLine || pen.isCosmetic() || !keepsRectsOnAxes(ctm))
        return std::nullopt;
    const double w = pen.widthF();
    const double h = w / 2;
    std::array<Rect, 4> user;
    int count = 0;
    if (const auto& r = path.asRect()) {
        // A right angle keeps its miter from a limit of √2; bevels and round joins are not rects.
        if (!r->closed || style.join != LineJoin::Miter || !(style.miterLimit >= 1.5) ||
            !(w < std::min(r->rect.width(), r->rect.height())))
            return std::nullopt;
        const Rect outer = r->rect.insetBy(-h, -h);
        const Rect inner = r->rect.insetBy(h, h);
        user = {Rect(outer.minX(), outer.minY(), outer.width(), inner.minY() - outer.minY()),
                Rect(outer.minX(), inner.maxY(), outer.width(), outer.maxY() - inner.maxY()),
                Rect(outer.minX(), inner.minY(), inner.minX() - outer.minX(), inner.height()),
                Rect(inner.maxX(), inner.minY(), outer.maxX() - inner.maxX(), inner.height())};
        count = 4;
    }
    else if (const auto& line = path.asLine()) {
        if (style.cap == LineCap::Round || (line->from.x != line->to.x && line->from.y != line->to.y))
            return std::nullopt;
        const double reach = style.cap == LineCap::Square ? h : 0;
        const Rect along = Rect(line->from.x, line->from.y, line->to.x - line->from.x, line->to.y - line->from.y)
                               .standardized();
        user[0] = line->from.x == line->to.x ? along.insetBy(-h, -reach) : along.insetBy(-reach, -h);
        count = 1;
    }
    else {
        return std::nullopt;
    }
    WholePixelBands bands;
    for (int i = 0; i < count; ++i) {
        const QRectF device = ctm.apply(user[size_t(i)]).toQt();
        if (!GraphicsContext::isWholePixels(device) || !(std::abs(device.x()) < 1e9 && std::abs(device.y()) < 1e9 &&
                                                         device.width() < 1e9 && device.height() < 1e9))
            return std::nullopt;
        bands.rects[size_t(bands.count++)] = device.toRect();
    }
    return bands;
}

// The coverage of a premultiplied image, tinted with a colour (premultiplied) and the alpha it scales.
QImage tint(const QImage& coverage, const Color& color)
{
    QImage out(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    const double a = std::clamp(color.alpha, 0.0, 1.0);
    const double pr = std::clamp(color.red, 0.0, 1.0) * a;
    const double pg = std::clamp(color.green, 0.0, 1.0) * a;
    const double pb = std::clamp(color.blue, 0.0, 1.0) * a;
    // One table per channel: coverage byte -> premultiplied channel. Shadows mostly share a colour: the
    // thread's last table is kept.
    thread_local struct {
        bool made = false;
        double a = 0, pr = 0, pg = 0, pb = 0;
        std::array<uint32_t, 256> entries{};
    } last;
    if (!last.made || last.a != a || last.pr != pr || last.pg != pg || last.pb != pb) {
        for (int c = 0; c < 256; ++c) {
            const double k = c / 255.0;
            last.entries[size_t(c)] = (uint32_t(std::lround(a * k * 255)) << 24) |
                                      (uint32_t(std::lround(pr * k * 255)) << 16) |
                                      (uint32_t(std::lround(pg * k * 255)) << 8) | uint32_t(std::lround(pb * k * 255));
        }
        last.made = true;
        last.a = a, last.pr = pr, last.pg = pg, last.pb = pb;
    }
    const std::array<uint32_t, 256>& table = last.entries;
    // QImage's accessors are out-of-line calls: keep them out of the pixel loops.
    const int width = coverage.width();
    const int height = coverage.height();
    for (int y = 0; y < height; ++y) {
        const uchar* in = coverage.constScanLine(y);
        auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < width; ++x)
            o[x] = table[in[x]];
    }
    return out;
}

// A clip that cuts a shape out of a far rect (what is drawn everywhere but there) starts with that rect,
// whose edges lie past the rasterizer's coordinate range and make it clip the outline at every mask. Brought
// to a little outside the pixels the mask covers, it covers each of them exactly as before: its edges still
// lie wholly to one side of every one.
// rest, when given, gets the bounds of what follows the far rect (none when there is no far rect): outside
// them every pixel is wholly covered.
QPainterPath nearPart(const QPainterPath& path, const QRect& pixels, std::optional<QRectF>* rest = nullptr)
{
    if (path.elementCount() < 5 || !path.elementAt(0).isMoveTo())
        return path;
    int count = 1;
    while (count < path.elementCount() && path.elementAt(count).isLineTo())
        ++count;
    const QPointF first = path.elementAt(0);
    if (!(count == 5 && QPointF(path.elementAt(4)) == first) && count != 4)
        return path;
    QPointF corner[4];
    for (int i = 0; i < 4; ++i)
        corner[i] = path.elementAt(i);
    for (int i = 0; i < 4; ++i) {
        const QPointF a = corner[i], b = corner[(i + 1) % 4];
        if (a.x() != b.x() && a.y() != b.y())
            return path;
    }
    const QRectF area = QRectF(pixels.adjusted(-2, -2, 2, 2));
    const double x0 = std::min({corner[0].x(), corner[1].x(), corner[2].x()});
    const double x1 = std::max({corner[0].x(), corner[1].x(), corner[2].x()});
    const double y0 = std::min({corner[0].y(), corner[1].y(), corner[2].y()});
    const double y1 = std::max({corner[0].y(), corner[1].y(), corner[2].y()});
    if (!(x0 <= area.left() && x1 >= area.right() && y0 <= area.top() && y1 >= area.bottom()))
        return path;
    QPainterPath near = path;
    for (int i = 0; i < count; ++i) {
        const QPointF at = path.elementAt(i);
        near.setElementPositionAt(i, std::clamp(at.x(), area.left(), area.right()),
                                  std::clamp(at.y(), area.top(), area.bottom()));
    }
    if (rest) {
        // Control points bound the curves through them.
        double left = HUGE_VAL, top = HUGE_VAL, right = -HUGE_VAL, bottom = -HUGE_VAL;
        for (int i = count; i < path.elementCount(); ++i) {
            const QPainterPath::Element& e = path.elementAt(i);
            left = std::min(left, e.x);
            right = std::max(right, e.x);
            top = std::min(top, e.y);
            bottom = std::max(bottom, e.y);
        }
        *rest = left <= right ? QRectF(QPointF(left, top), QPointF(right, bottom)) : QRectF();
    }
    return near;
}

// The inputs of a drawing through a layer, written as they are (doubles bit for bit) into its memo key.
template <class T>
    requires std::is_arithmetic_v<T>
void appendKey(QByteArray& key, T value)
{
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void appendKey(QByteArray& key, const QRectF& r)
{
    for (double v : {r.x(), r.y(), r.width(), r.height()})
        appendKey(key, v);
}

void appendKey(QByteArray& key, const QRect& r) { appendKey(key, QRectF(r)); }

void appendKey(QByteArray& key, const QPointF& point) { appendKey(key, point.x()), appendKey(key, point.y()); }

void appendKey(QByteArray& key, const Color& c)
{
    for (double v : {c.red, c.green, c.blue, c.alpha})
        appendKey(key, v);
}

void appendKey(QByteArray& key, const QColor& c) { appendKey(key, quint64(c.rgba64())); }

void appendKey(QByteArray& key, const QTransform& m)
{
    for (double v : {m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), m.m31(), m.m32(), m.m33()})
        appendKey(key, v);
}

void appendKey(QByteArray& key, const QPainterPath& path)
{
    appendKey(key, int(path.fillRule()));
    appendKey(key, path.elementCount());
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        appendKey(key, int(e.type)), appendKey(key, e.x), appendKey(key, e.y);
    }
}

void appendKey(QByteArray& key, const QBrush& brush)
{
    appendKey(key, int(brush.style()));
    appendKey(key, brush.color());
    appendKey(key, brush.transform());
    if (const QGradient* g = brush.gradient()) {
        appendKey(key, int(g->type())), appendKey(key, int(g->spread())), appendKey(key, int(g->coordinateMode())),
            appendKey(key, int(g->interpolationMode()));
        const QGradientStops stops = g->stops();
        appendKey(key, stops.size());
        for (const QGradientStop& stop : stops)
            appendKey(key, stop.first), appendKey(key, stop.second);
        if (g->type() == QGradient::LinearGradient) {
            const auto* linear = static_cast<const QLinearGradient*>(g);
            appendKey(key, linear->start()), appendKey(key, linear->finalStop());
        }
        else if (g->type() == QGradient::RadialGradient) {
            const auto* radial = static_cast<const QRadialGradient*>(g);
            appendKey(key, radial->center()), appendKey(key, radial->centerRadius()), appendKey(key, radial->focalPoint()),
                appendKey(key, radial->focalRadius());
        }
        else if (g->type() == QGradient::ConicalGradient) {
            const auto* conical = static_cast<const QConicalGradient*>(g);
            appendKey(key, conical->center()), appendKey(key, conical->angle());
        }
    }
    else if (brush.style() == Qt::TexturePattern) {
        appendKey(key, brush.textureImage().cacheKey());
    }
}

void appendKey(QByteArray& key, const QPen& pen)
{
    appendKey(key, pen.widthF()), appendKey(key, pen.isCosmetic()), appendKey(key, int(pen.style())),
        appendKey(key, int(pen.capStyle())), appendKey(key, int(pen.joinStyle())), appendKey(key, pen.miterLimit()),
        appendKey(key, pen.dashOffset());
    const QList<qreal> dashes = pen.style() == Qt::SolidLine ? QList<qreal>() : pen.dashPattern();
    appendKey(key, dashes.size());
    for (qreal d : dashes)
        appendKey(key, d);
    appendKey(key, pen.brush());
}

} // namespace

struct PainterContext::Mask {
    QRect rect;     // device pixels covered
    QImage alpha;   // Alpha8: the clip's antialiased coverage
    bool antialias = true;
};

PainterContext::PainterContext(QPainter& painter, const QRect& deviceBounds, const AffineTransform& base,
                               double baseScale, bool drawsToScreen)
    : GraphicsContext(base, baseScale, drawsToScreen), layerMemo_(threadLayerMemo().lock()), deviceBounds_(deviceBounds)
{
    if (!layerMemo_) {
        layerMemo_ = std::make_shared<LayerMemo>();
        threadLayerMemo() = layerMemo_;
    }
    Target t;
    t.painter = &painter;
    const QPaintEngine* engine = painter.paintEngine();
    t.raster = engine && engine->type() == QPaintEngine::Raster;
    t.pdf = engine && engine->type() == QPaintEngine::Pdf;
    t.bounds = deviceBounds;
    targets_.push_back(std::move(t));
    // What the painter scales by beyond its own transform: the density of the device it paints (a widget's
    // painter is redirected to its backing store or to the bitmap it is rendered into).
    const QTransform world = painter.worldTransform(), device = painter.deviceTransform();
    if (painter.isActive() && world.type() <= QTransform::TxScale && device.type() <= QTransform::TxScale
        && world.m11() > 0 && device.m11() > 0) {
        const double ratio = device.m11() / world.m11();
        if (std::isfinite(ratio) && ratio > 0)
            targetPixelRatio_ = ratio;
    }
}

PainterContext::~PainterContext() = default;

double PainterContext::targetPixelRatio() const { return targetPixelRatio_; }

std::weak_ptr<PainterContext::LayerMemo>& PainterContext::threadLayerMemo()
{
    thread_local std::weak_ptr<LayerMemo> memo;
    return memo;
}

bool PainterContext::targetPaintsPixels() const
{
    // QPainter's fast paths (rect fills, fills without a stroker) are the raster engine's; layers are
    // raster images.
    return targets_.back().raster;
}

void PainterContext::restart(const QRect& deviceBounds, const AffineTransform& base)
{
    targets_.resize(1);
    targets_[0].bounds = deviceBounds;
    targets_[0].clip = PainterClip();
    layerMemo_->clear();
    deviceBounds_ = deviceBounds;
    resetStates(base);
}

void PainterContext::useClip(Target& target, const Clip& clip, bool withPaths)
{
    QPainter& p = *target.painter;
    PainterClip& set = target.clip;
    if (clip.unbounded) {
        p.setClipping(false);
        set.known = true;
        set.enabled = false;
        return;
    }
    // Clips are set in the target's pixels; every drawing sets its own transform.
    const QPointF origin = target.bounds.topLeft();
    const QRectF rect = clip.rect.translated(-origin);
    const auto same = [](const QRectF& a, const QRectF& b) {
        return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
    };
    const size_t pathCount = withPaths ? clip.paths.size() : 0;
    if (set.known && set.enabled && p.hasClipping() && same(set.rect, rect) && set.paths.size() == pathCount &&
        std::equal(set.paths.begin(), set.paths.end(), clip.paths.begin(),
                   [&](const QPainterPath& kept, const QPainterPath& path) { return kept == path.translated(-origin); }))
        return;
    useTransform(p, QTransform());
    p.setClipRect(rect);
    set.paths.clear();
    for (size_t i = 0; i < pathCount; ++i) {
        set.paths.push_back(clip.paths[i].translated(-origin));
        p.setClipPath(set.paths.back(), Qt::IntersectClip);
    }
    set.known = true;
    set.enabled = true;
    set.rect = rect;
}

void PainterContext::drawPicture(QPainter& p, const QPointF& at, const QImage& image, const QRectF& source)
{
    const bool pdfPage = &p == targets_.front().painter && targets_.front().pdf;
    if (!pdfPage) {
        // Put on whole pixels, unscaled, a picture's pixels are copied as they are; the smooth hint would
        // send it through the resampling path (spans over a pool of threads, ten times the cost) for the
        // same pixels. Placements a rounding off whole pixels count as whole.
        const QTransform t = p.worldTransform();
        const QPointF to = t.map(at);
        const auto whole = [](double v) { return std::fabs(v - std::round(v)) <= 1e-6; };
        const bool unscaled = t.type() <= QTransform::TxScale && std::fabs(t.m11() - 1) <= 1e-12 &&
                              std::fabs(t.m22() - 1) <= 1e-12;
        const bool wholeSource = whole(source.x()) && whole(source.y()) && whole(source.width()) && whole(source.height());
        const bool smooth = p.testRenderHint(QPainter::SmoothPixmapTransform);
        // The picture's pixels copied from place on, under a world transform that maps them one for one.
        const auto copy = [&](const QTransform& world, const QPointF& place) {
            p.setWorldTransform(world);
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(QPoint(int(std::round(place.x())), int(std::round(place.y()))), image, source.toRect());
            p.setRenderHint(QPainter::SmoothPixmapTransform, true);
            p.setWorldTransform(t);
        };
        if (smooth && unscaled && whole(to.x()) && whole(to.y()) && wholeSource) {
            copy(QTransform(), to);
            return;
        }
        // The same for a picture made at the pixels of a denser target (the painter scales by its ratio
        // again): unscaled on the target, it is copied there. A world transform of the picture's scale
        // undoes the painter's: a point then lands on the target at itself plus the offset the painter adds
        // after the world transform (its redirection).
        const QTransform d = p.deviceTransform();
        if (smooth && !unscaled && wholeSource && t.type() == QTransform::TxScale && d.type() <= QTransform::TxScale &&
            t.m11() > 0 && t.m22() > 0 && std::fabs(d.m11() - 1) <= 1e-12 && std::fabs(d.m22() - 1) <= 1e-12) {
            const QPointF onTarget = d.map(at), offset = onTarget - QPointF(to.x() / t.m11(), to.y() / t.m22());
            if (whole(onTarget.x()) && whole(onTarget.y()) && whole(offset.x()) && whole(offset.y())) {
                copy(QTransform::fromScale(t.m11(), t.m22()), onTarget - offset);
                return;
            }
        }
        p.drawImage(at, image, source);
        return;
    }
    // The writer would copy a part itself (a new picture each time): the part is copied here, where it
    // can be shared, and drawn whole into the same rect.
    const QRect part = source.toRect();
    const QImage whole = sharedPicture(part == image.rect() ? image : image.copy(part));
    p.drawImage(QRectF(at, source.size()), whole, QRectF(whole.rect()));
}

namespace {

// Lets the oldest entries of a store kept by hash go until it holds no more than budget bytes. order names
// each entry by its hash and an identity, oldest first; idOf gives an entry's identity, forget lets it go
// and answers its size.
template <class Entries, class Id, class IdOf, class Forget>
void dropOldest(Entries& entries, std::deque<std::pair<size_t, Id>>& order, qsizetype& bytes, qsizetype budget,
                IdOf idOf, Forget forget)
{
    while (bytes > budget && !order.empty()) {
        const auto [hash, id] = order.front();
        order.pop_front();
        const auto [from, to] = entries.equal_range(hash);
        for (auto it = from; it != to; ++it)
            if (idOf(it->second) == id) {
                bytes -= forget(it->second);
                entries.erase(it);
                break;
            }
    }
}

} // namespace

QImage PainterContext::sharedPicture(const QImage& image)
{
    // Pictures too large to be kept are not looked for either: hashing them would be wasted.
    constexpr qsizetype largest = qsizetype(4) << 20;
    constexpr qsizetype budget = qsizetype(64) << 20;
    if (image.sizeInBytes() > largest)
        return image;
    const auto known = pictureHashes_.find(image.cacheKey());
    const size_t hash = known != pictureHashes_.end()
                            ? known->second
                            : qHashMulti(0, image.width(), image.height(), int(image.format()),
                                         qHashBits(image.constBits(), size_t(image.sizeInBytes())));
    const auto [first, last] = pictures_.equal_range(hash);
    // Kept only as long as the pictures are few: a hash found again merely saves time.
    if (pictureHashes_.size() > 8192)
        pictureHashes_.clear();
    pictureHashes_.emplace(image.cacheKey(), hash);
    for (auto it = first; it != last; ++it)
        if (it->second == image)
            return it->second;
    pictures_.emplace(hash, image);
    pictureOrder_.emplace_back(hash, image.cacheKey());
    pictureBytes_ += image.sizeInBytes();
    dropOldest(pictures_, pictureOrder_, pictureBytes_, budget, [](const QImage& kept) { return kept.cacheKey(); },
               [&](const QImage& kept) {
                   pictureHashes_.erase(kept.cacheKey());
                   return kept.sizeInBytes();
               });
    return image;
}

QImage PainterContext::reduced(const QImage& bitmap, const QRect& source, const QSize& size)
{
    // A cache key names the pixels (a change of the image gives a new one) and is never reused.
    struct Reduction {
        qint64 key;
        QRect source;
        QSize size;
        QImage result;
    };
    constexpr size_t kept = 16;
    static std::mutex mutex;
    static std::vector<Reduction> reductions;
    const qint64 key = bitmap.cacheKey();
    {
        const std::lock_guard lock(mutex);
        const auto found = std::find_if(reductions.begin(), reductions.end(), [&](const Reduction& r) {
            return r.key == key && r.source == source && r.size == size;
        });
        if (found != reductions.end()) {
            // The most recent last: the oldest go first.
            std::rotate(found, found + 1, reductions.end());
            return reductions.back().result;
        }
    }
    const QImage part = source == bitmap.rect() ? bitmap : bitmap.copy(source);
    QImage result = part.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::lock_guard lock(mutex);
    if (reductions.size() == kept)
        reductions.erase(reductions.begin());
    reductions.push_back({key, source, size, result});
    return result;
}

void PainterContext::setHints(QPainter& p, bool antialias) const
{
    // Each change of hints makes the engine look for its fast paths again: change only what differs.
    const bool smooth = effectiveInterpolation() != InterpolationQuality::None;
    if (p.testRenderHint(QPainter::Antialiasing) != antialias)
        p.setRenderHint(QPainter::Antialiasing, antialias);
    if (p.testRenderHint(QPainter::SmoothPixmapTransform) != smooth)
        p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

namespace {

size_t pathsHash(const std::vector<QPainterPath>& paths)
{
    size_t h = paths.size();
    for (const QPainterPath& path : paths) {
        h = qHashMulti(h, int(path.fillRule()), path.elementCount());
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element& e = path.elementAt(i);
            h = qHashMulti(h, int(e.type), e.x, e.y);
        }
    }
    return h;
}

// Element for element, exactly: QPainterPath's own comparison is fuzzy.
bool samePaths(const std::vector<QPainterPath>& a, const std::vector<QPainterPath>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].fillRule() != b[k].fillRule() || a[k].elementCount() != b[k].elementCount())
            return false;
        for (int i = 0; i < a[k].elementCount(); ++i) {
            const QPainterPath::Element &e = a[k].elementAt(i), &f = b[k].elementAt(i);
            if (e.type != f.type || e.x != f.x || e.y != f.y)
                return false;
        }
    }
    return true;
}

} // namespace

// By their paths (device space) and antialiasing: a page drawn again clips the same shapes out under the
// same paths (a connector's heads), and a mask is a rasterization and two pictures. A mask's pixels follow
// from its paths, rect and antialiasing alone.
struct PainterContext::KeptMasks {
    struct Entry {
        std::vector<QPainterPath> paths;
        std::shared_ptr<Mask> mask;
    };
    std::unordered_multimap<size_t, Entry> entries;
    std::deque<std::pair<size_t, const Mask*>> order;  // oldest first
    qsizetype bytes = 0;
};

PainterContext::KeptMasks& PainterContext::keptMasks()
{
    thread_local KeptMasks kept;
    return kept;
}

std::shared_ptr<PainterContext::Mask> PainterContext::clipMask(const GState& s, const QRect& reach)
{
    const QRect whole = (s.clip.bounds() & QRectF(deviceBounds_)).toAlignedRect() & deviceBounds_;
    const QRect needed = whole & reach;
    auto cached = s.clip.cache ? std::static_pointer_cast<Mask>(*s.clip.cache) : nullptr;
    if (cached && cached->antialias != s.antialias)
        cached.reset();
    if (cached && (needed.isEmpty() || cached->rect.contains(needed)))
        return cached;
    KeptMasks& kept = keptMasks();
    const size_t hash = pathsHash(s.clip.paths);
    if (!cached && !needed.isEmpty()) {
        const auto [first, last] = kept.entries.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            const KeptMasks::Entry& e = it->second;
            if (e.mask->antialias == s.antialias && e.mask->rect.contains(needed) &&
                samePaths(e.paths, s.clip.paths)) {
                if (s.clip.cache)
                    *s.clip.cache = e.mask;
                return e.mask;
            }
        }
    }
    auto mask = std::make_shared<Mask>();
    mask->antialias = s.antialias;
    // Grown over what was kept, so that many small drawings under one clip rebuild it only a few times.
    mask->rect = cached && !cached->rect.isEmpty() ? (needed | cached->rect) & whole : needed;
    if (mask->rect.isEmpty())
        return mask;
    const QTransform toMask = QTransform::fromTranslate(-mask->rect.x(), -mask->rect.y());
    const auto coverage = [&](const QPainterPath& path) {
        QImage image(mask->rect.size(), QImage::Format_Alpha8);
        std::optional<QRectF> rest;
        nearPart(path, mask->rect, &rest);
        if (!rest) {
            image.fill(0);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, s.antialias);
            p.setTransform(toMask);
            p.fillPath(path, Qt::black);
            return image;
        }
        // A far rect with a shape cut out: wholly covered but about the shape, which alone is rasterized
        // (a few small spans, not the mask's every row).
        image.fill(255);
        const QRect busy = rest->toAlignedRect().adjusted(-1, -1, 1, 1) & mask->rect;
        if (busy.isEmpty())
            return image;
        QImage part(busy.size(), QImage::Format_Alpha8);
        part.fill(0);
        {
            QPainter p(&part);
            p.setRenderHint(QPainter::Antialiasing, s.antialias);
            p.setTransform(QTransform::fromTranslate(-busy.x(), -busy.y()));
            p.fillPath(nearPart(path, busy), Qt::black);
        }
        const QPoint at = busy.topLeft() - mask->rect.topLeft();
        for (int y = 0; y < part.height(); ++y)
            std::memcpy(image.scanLine(y + at.y()) + at.x(), part.constScanLine(y), size_t(part.width()));
        return image;
    };
    mask->alpha = coverage(s.clip.paths[0]);
    for (size_t i = 1; i < s.clip.paths.size(); ++i) {
        const QImage next = coverage(s.clip.paths[i]);
        QPainter p(&mask->alpha);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, next);
    }
    if (s.clip.cache)
        *s.clip.cache = mask;
    // About the masks of a few thousand connectors' heads; a mask larger than a tenth of that is not kept.
    constexpr qsizetype budget = qsizetype(16) << 20;
    if (mask->alpha.sizeInBytes() <= budget / 10) {
        kept.entries.emplace(hash, KeptMasks::Entry{s.clip.paths, mask});
        kept.order.emplace_back(hash, mask.get());
        kept.bytes += mask->alpha.sizeInBytes();
        using Entry = KeptMasks::Entry;
        dropOldest(kept.entries, kept.order, kept.bytes, budget, [](const Entry& e) { return e.mask.get(); },
                   [](const Entry& e) { return e.mask->alpha.sizeInBytes(); });
    }
    return mask;
}

void PainterContext::render(const GState& s, AreaFn area, bool antialias, BlendMode mode, double alpha,
                            DrawFn draw, bool contentClipped, const KeyFn* key, const QImage* source)
{
    Target& target = targets_.back();
    if (!target.painter || !target.painter->isActive() || alpha <= 0)
        return;
    QRectF visible = QRectF(target.bounds);
    if (!s.clip.unbounded)
        visible &= s.clip.bounds();
    if (visible.isEmpty())
        return;
    QPainter& p = *target.painter;
    const Shadow* shadow = s.shadow && s.shadow->color.alpha > 0 ? &*s.shadow : nullptr;
    QPointF offset;
    double sigma = 0;
    int extent = 0;
    std::optional<QRectF> drawn;
    // The part of the drawing whose shadow can land in sight.
    QRectF shadowSource;
    if (shadow) {
        // Far beyond any device a shadow shows nothing; the bound keeps pixel rects within int.
        constexpr double farOff = 1e6;
        offset = QPointF(std::clamp(shadow->offset.width * baseScale(), -farOff, farOff),
                         std::clamp(-shadow->offset.height * baseScale(), -farOff, farOff));
        sigma = std::min(shadow->blur * baseScale() / 2, maxBlurSigma);
        extent = blurExtent(sigma);
        drawn = area();
        shadowSource = *drawn & visible.translated(-offset).adjusted(-extent, -extent, extent, extent);
        // A shadow that cannot be seen is not made: the drawing is then drawn as if it had none.
        if (shadowSource.isEmpty())
            shadow = nullptr;
    }
    // Under a clip of a small part of the target (a loupe's picture: a few points of the page, magnified)
    // most of what is drawn falls outside it; what cannot reach it is not drawn at all (a PDF page would
    // hold every step of it). Elsewhere the bounds are not worth asking for.
    if (!shadow && !s.clip.unbounded && visible.width() * visible.height() * 4 < double(target.bounds.width()) * target.bounds.height()) {
        if (!drawn)
            drawn = area();
        if (!drawn->intersects(visible))
            return;
    }
    // A PDF page clips paths itself (vector, antialiased by the viewer): no mask, no raster.
    const bool vectorClips = target.pdf;
    const bool clipPaths = s.clip.hasPaths() && !contentClipped;
    const bool masked = s.clip.hasPaths() && (shadow || (clipPaths && !vectorClips));

    if (!shadow && !masked) {
        useClip(target, s.clip, clipPaths);
        p.setOpacity(alpha);
        p.setCompositionMode(qtMode(mode));
        setHints(p, antialias);
        draw(p, QTransform::fromTranslate(-target.bounds.x(), -target.bounds.y()));
        return;
    }

    // The drawing goes to a layer first: shadow, clip mask, then one composite; or the one made for the
    // same drawing in the same state before.
    // A screen's paint is made anew from its model and meets each of its own drawings once: only what is
    // drawn into pictures and layers inside it (a loupe's, a transparency layer's) is worth keeping.
    if (drawsToScreen() && targets_.size() == 1)
        key = nullptr;
    if (!shadow && masked && !key && paintMaskedOnScratch(s, area, drawn, visible, antialias, mode, alpha, draw))
        return;
    QByteArray memoKey;
    if (key) {
        memoKey.reserve(1024);
        const auto add = [&](const auto& value) { appendKey(memoKey, value); };
        add(target.bounds), add(deviceBounds_), add(targets_.size() > 1), add(vectorClips), add(baseScale()),
            add(p.paintEngine() ? int(p.paintEngine()->type()) : -1);
        add(s.clip.unbounded), add(s.clip.rect), add(s.clip.paths.size());
        for (const QPainterPath& path : s.clip.paths)
            appendKey(memoKey, path);
        add(shadow != nullptr);
        if (shadow)
            add(shadow->offset.width), add(shadow->offset.height), add(shadow->blur), add(shadow->color);
        add(alpha), add(int(mode)), add(antialias), add(s.antialias), add(contentClipped),
            add(int(effectiveInterpolation()));
        (*key)(memoKey);
        const auto found = layerMemo_->products.find(memoKey);
        if (found != layerMemo_->products.end() && (!source || found->second.source == *source)) {
            paintProduct(target, found->second, alpha, mode);
            return;
        }
    }
    const LayerProduct product = [&]() -> LayerProduct {
    if (!drawn)
        drawn = area();
    // A wide blur varies slowly: it is made at a reduced size, each cell the coverage of a block of k × k
    // pixels, and scaled back smoothly, so its cost no longer grows with the blur (stored data may ask for
    // any blur). The drawing is then needed at full size only where it can be seen.
    constexpr double reducedSigma = 32;
    const int k = shadow && sigma > 2 * reducedSigma ? int(std::ceil(sigma / reducedSigma)) : 1;
    // What of the drawing is drawn at full size (where it is seen, and where a shadow made from it at full
    // size can be), and what casts the shadow.
    const QRect seenPart = (*drawn & visible).toAlignedRect();
    const QRect layerRect = shadow && k == 1 ? seenPart | shadowSource.toAlignedRect() : seenPart;
    const QRect sourceRect = k == 1 ? layerRect : shadowSource.toAlignedRect();
    if (sourceRect.isEmpty())
        return {};
    const QRect visibleRect = visible.toAlignedRect();
    // The mask is read only where the group below can reach: the drawing and its shadow, where visible.
    QRect reach = layerRect;
    if (shadow)
        reach |= QRectF(sourceRect.adjusted(-extent, -extent, extent, extent)).translated(offset).toAlignedRect();
    std::shared_ptr<Mask> mask = masked ? clipMask(s, reach & visibleRect) : nullptr;
    QImage layer;
    if (!layerRect.isEmpty()) {
        layer = QImage(layerRect.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPainter lp(&layer);
        setHints(lp, antialias);
        draw(lp, QTransform::fromTranslate(-layerRect.x(), -layerRect.y()));
    }

    QRect groupRect = layerRect;
    QImage group;
    // The blurred plane is needed only where the shadow can be seen; it keeps the whole drawing, so that
    // what is cut off is only blur that lands out of sight (a wide blur makes a plane thousands of pixels
    // across otherwise, for every shape). A shadow thrown wholly out of sight is not made.
    const QRect seen = visibleRect.translated(-offset.toPoint()).adjusted(-1, -1, 1, 1);
    QRect planeRect = sourceRect.adjusted(-extent, -extent, extent, extent) & (seen | sourceRect);
    if (shadow && planeRect.intersects(seen)) {
        const QSize planeSize((planeRect.width() + k - 1) / k, (planeRect.height() + k - 1) / k);
        planeRect.setSize(planeSize * k);
        QImage plane(planeSize, QImage::Format_Alpha8);
        plane.fill(0);
        // The coverage at full size where the drawing was made so, else the drawing made again at the
        // reduced size (smoothed: each cell then holds the part of its block that is covered).
        const QImage& source = k == 1 ? layer : [&] {
            QImage reduced(planeSize, QImage::Format_ARGB32_Premultiplied);
            reduced.fill(Qt::transparent);
            QPainter rp(&reduced);
            setHints(rp, true);
            draw(rp, QTransform::fromTranslate(-planeRect.x(), -planeRect.y()) * QTransform::fromScale(1.0 / k, 1.0 / k));
            return reduced;
        }();
        const QPoint at = k == 1 ? layerRect.topLeft() - planeRect.topLeft() : QPoint();
        const int sourceWidth = source.width(), sourceHeight = source.height();
        for (int y = 0; y < sourceHeight; ++y) {
            const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
            uchar* out = plane.scanLine(y + at.y()) + at.x();
            for (int x = 0; x < sourceWidth; ++x)
                out[x] = uchar(in[x] >> 24);
        }
        blurAlpha(plane.bits(), plane.width(), plane.height(), int(plane.bytesPerLine()), sigma / k);
        // At a reduced size it is drawn scaled up into the plane's rect, smoothly.
        const QImage shadowImage = tint(plane, shadow->color);
        const QRectF shadowRect = QRectF(planeRect).translated(offset);
        groupRect = (layerRect | shadowRect.toAlignedRect()) & visibleRect;
        if (mask)
            groupRect &= mask->rect;
        if (groupRect.isEmpty())
            return {};
        if (!mask && alpha == 1 && mode == BlendMode::Normal) {
            // Source-over at full alpha: shadow then drawing straight onto the target equals the group.
            return {LayerProduct::Straight, shadowRect, shadowImage, k, groupRect, layer, layerRect, {}};
        }
        group = QImage(groupRect.size(), QImage::Format_ARGB32_Premultiplied);
        group.fill(Qt::transparent);
        QPainter gp(&group);
        // Fractional offsets are resampled; whole ones copied.
        gp.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPoint maskAt = mask ? mask->rect.topLeft() - groupRect.topLeft() : QPoint();
        gp.drawImage(shadowRect.translated(-QPointF(groupRect.topLeft())), shadowImage, QRectF(shadowImage.rect()));
        if (mask && contentClipped) {
            gp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            gp.drawImage(maskAt, mask->alpha);
            gp.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        if (!layer.isNull())
            gp.drawImage(layerRect.topLeft() - groupRect.topLeft(), layer);
        if (mask && !contentClipped) {
            gp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            gp.drawImage(maskAt, mask->alpha);
        }
    }
    else {
        groupRect = layerRect & visibleRect;
        if (mask)
            groupRect &= mask->rect;
        if (groupRect.isEmpty())
            return {};
        group = groupRect == layerRect ? layer : layer.copy(groupRect.translated(-layerRect.topLeft()));
        if (mask) {
            QPainter mp(&group);
            mp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            mp.drawImage(mask->rect.topLeft() - groupRect.topLeft(), mask->alpha);
        }
    }
    return {LayerProduct::Group, {}, {}, 1, groupRect, group, {}, {}};
    }();
    if (key) {
        LayerProduct kept = product;
        if (source)
            kept.source = *source;
        remember(std::move(memoKey), std::move(kept));
    }
    paintProduct(target, product, alpha, mode);
}

namespace {

// The layer of clipped drawings kept on the thread with its painter: a connector's shaft under its heads'
// clips is one of thousands a frame, and a new bitmap and painter for each cost more than its drawing.
struct ScratchLayer {
    QImage image;
    std::unique_ptr<QPainter> painter;
};

// Larger drawings take a layer of their own: the scratch would hold their memory for good.
constexpr int scratchSide = 256;

} // namespace

bool PainterContext::paintMaskedOnScratch(const GState& s, AreaFn area, std::optional<QRectF>& drawn,
                                          const QRectF& visible, bool antialias, BlendMode mode, double alpha,
                                          DrawFn draw)
{
    Target& target = targets_.back();
    if (!target.raster || target.pdf || !s.clip.hasPaths())
        return false;
    if (!drawn)
        drawn = area();
    // Exactly the pixels of a layer of the drawing's own size: the drawing lies wholly on it, the scratch
    // around it unread. A drawing cut by the visible rect goes to a layer of that cut size as before (a
    // stroke's rasterizer clips a line at the edges of its device).
    const QRect layerRect = (*drawn & visible).toAlignedRect();
    if (layerRect.isEmpty() || layerRect != drawn->toAlignedRect() || layerRect.width() > scratchSide ||
        layerRect.height() > scratchSide)
        return false;
    const QRect visibleRect = visible.toAlignedRect();
    const std::shared_ptr<Mask> mask = clipMask(s, layerRect & visibleRect);
    const QRect groupRect = layerRect & visibleRect & mask->rect;
    if (groupRect.isEmpty())
        return true;
    thread_local ScratchLayer scratch;
    if (scratch.image.isNull()) {
        scratch.image = QImage(scratchSide, scratchSide, QImage::Format_ARGB32_Premultiplied);
        scratch.painter = std::make_unique<QPainter>(&scratch.image);
    }
    QPainter& lp = *scratch.painter;
    // A fresh layer: transparent under the drawing, the painter as begun.
    uchar* bits = scratch.image.bits();
    const qsizetype stride = scratch.image.bytesPerLine();
    for (int y = 0; y < layerRect.height(); ++y)
        std::memset(bits + y * stride, 0, size_t(layerRect.width()) * 4);
    lp.save();
    setHints(lp, antialias);
    draw(lp, QTransform::fromTranslate(-layerRect.x(), -layerRect.y()));
    // The clip's coverage over the group's part, as a group of its own takes it.
    lp.resetTransform();
    lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    lp.drawImage(groupRect.topLeft() - layerRect.topLeft(), mask->alpha, groupRect.translated(-mask->rect.topLeft()));
    lp.restore();
    QPainter& p = *target.painter;
    useTransform(p, QTransform());
    p.setClipping(false);
    target.clip.enabled = false;
    p.setOpacity(alpha);
    p.setCompositionMode(qtMode(mode));
    drawPicture(p, groupRect.topLeft() - target.bounds.topLeft(), scratch.image,
                QRectF(groupRect.translated(-layerRect.topLeft())));
    return true;
}

void PainterContext::paintProduct(Target& target, const LayerProduct& product, double alpha, BlendMode mode)
{
    QPainter& p = *target.painter;
    const QPoint origin = target.bounds.topLeft();
    useTransform(p, QTransform());
    if (product.kind == LayerProduct::Straight) {
        p.setClipRect(QRectF(product.rect).translated(-origin));
        target.clip.known = false;
        p.setOpacity(1);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage& shadow = product.shadow;
        if (product.k == 1)
            drawPicture(p, product.shadowRect.topLeft() - QPointF(origin), shadow, QRectF(shadow.rect()));
        else
            p.drawImage(product.shadowRect.translated(-QPointF(origin)), shadow, QRectF(shadow.rect()));
        if (!product.image.isNull())
            drawPicture(p, product.layerRect.topLeft() - origin, product.image, QRectF(product.image.rect()));
        return;
    }
    if (product.kind != LayerProduct::Group)
        return;
    p.setClipping(false);
    target.clip.enabled = false;
    p.setOpacity(alpha);
    p.setCompositionMode(qtMode(mode));
    drawPicture(p, product.rect.topLeft() - origin, product.image, QRectF(product.image.rect()));
}

void PainterContext::remember(QByteArray key, LayerProduct product)
{
    // About the pictures of a few loupes' worth of shapes.
    constexpr qsizetype budget = qsizetype(64) << 20;
    const auto size = [](const QByteArray& k, const LayerProduct& p) {
        return p.shadow.sizeInBytes() + p.image.sizeInBytes() + p.source.sizeInBytes() + k.size();
    };
    const qsizetype bytes = size(key, product);
    if (bytes > budget / 4)
        return;
    // A hash met again with other pixels: the newer product replaces the older.
    if (const auto kept = layerMemo_->products.find(key); kept != layerMemo_->products.end()) {
        layerMemo_->bytes -= size(kept->first, kept->second);
        layerMemo_->products.erase(kept);
    }
    layerMemo_->order.push_back(key);
    layerMemo_->bytes += bytes;
    layerMemo_->products.emplace(std::move(key), std::move(product));
    while (layerMemo_->bytes > budget && !layerMemo_->order.empty()) {
        const auto oldest = layerMemo_->products.find(layerMemo_->order.front());
        layerMemo_->order.pop_front();
        if (oldest == layerMemo_->products.end())
            continue;
        layerMemo_->bytes -= size(oldest->first, oldest->second);
        layerMemo_->products.erase(oldest);
    }
}

void PainterContext::paintFill(const Path& path, WindingRule rule)
{
    const GState& s = gstate();
    QPainterPath otherRule;
    const QPainterPath& qp = rule == path.windingRule() ? path.toQt() : (otherRule = path.toQt(rule));
    const auto area = [&] { return mapBounds(s.ctm, qp.controlPointRect()).adjusted(-1, -1, 1, 1); };
    const QTransform m = s.ctm.toQt();
    const std::optional<RectFill> rect = rectFill(path, s, targetPaintsPixels());
    // A rect is filled by its colour alone: only a path needs a brush (each new one allocates).
    const QColor color = s.fillColor.toQt();
    const QBrush* brush = rect ? nullptr : &solidBrush(s.fillColor);
    const auto key = [&](QByteArray& k) {
        appendKey(k, 'F'), appendKey(k, rect.has_value()), appendKey(k, m), appendKey(k, qp), appendKey(k, color);
    };
    const KeyFn keyFn = key;
    render(s, area, s.antialias && !(rect && rect->wholePixels), s.blendMode, s.alpha,
           [&](QPainter& p, const QTransform& toTarget) {
               useTransform(p, m * toTarget);
               if (rect)
                   p.fillRect(rect->rect, color);
               else
                   p.fillPath(qp, *brush);
           },
           false, &keyFn);
}

const QBrush& PainterContext::solidBrush(const Color& color)
{
    if (!brushMemo_ || !(brushMemo_->first == color))
        brushMemo_.emplace(color, QBrush(color.toQt()));
    return brushMemo_->second;
}

namespace {

// A line a million points wide, or a dash that long, covers any page it is drawn on: wider or longer ones
// (stored data may hold any width) are drawn that size, which Qt and the PDF writer still hold.
constexpr double widestLine = 1e6;
// Past this every join that is not a hairpin is mitered anyway; the PDF writer garbles larger limits (it
// cannot write numbers of ten digits or more), which corrupts the rest of the page's drawing.
constexpr double largestMiterLimit = 1e4;

double boundedMiterLimit(double limit)
{
    return std::isfinite(limit) ? std::clamp(limit, 0.0, largestMiterLimit) : 10.0;
}

} // namespace

const QPen& PainterContext::pen(const LineStyle& style, const Color& color, const AffineTransform& ctm)
{
    const double width = std::isfinite(style.width) ? std::clamp(style.width, 0.0, widestLine) : 1.0;
    // Dashes of a width-0 line are measured in device pixels, so that pen depends on the CTM too.
    const double deviceStretch = width == 0 && !style.dashPattern.empty() ? stretch(ctm) : 0;
    if (penMemo_ && penMemo_->style == style && penMemo_->color == color && penMemo_->deviceStretch == deviceStretch)
        return penMemo_->pen;
    QPen pen(color.toQt());
    pen.setWidthF(width);
    pen.setCosmetic(width == 0);  // Quartz width 0: one device pixel
    pen.setCapStyle(style.cap == LineCap::Round ? Qt::RoundCap : style.cap == LineCap::Square ? Qt::SquareCap : Qt::FlatCap);
    pen.setJoinStyle(style.join == LineJoin::Round ? Qt::RoundJoin : style.join == LineJoin::Bevel ? Qt::BevelJoin : Qt::SvgMiterJoin);
    // SvgMiterJoin bevels past the limit, as Quartz does, and measures the limit the same way (miter
    // length over line width); only QPen's default (2) differs.
    pen.setMiterLimit(boundedMiterLimit(style.miterLimit));
    // Dashes: ours in user units; Qt's in pen widths (device pixels for a cosmetic pen).
    std::vector<double> dashes;
    for (double d : style.dashPattern)
        dashes.push_back(std::isfinite(d) ? std::clamp(d, 0.0, widestLine) : 0.0);
    double total = 0;
    for (double d : dashes)
        total += d;
    if (!dashes.empty() && total > 0) {
        if (dashes.size() % 2 == 1) {
            const std::vector<double> once = dashes;
            dashes.insert(dashes.end(), once.begin(), once.end());
        }
        const double unit = width == 0 ? 1.0 / std::max(deviceStretch, 1e-9) : width;
        QList<qreal> pattern;
        for (double d : dashes)
            pattern.append(std::max(d / unit, 1e-6));
        pen.setDashPattern(pattern);
        // The phase repeats with the pattern: reduced to one period it means the same and stays a number
        // the PDF writer can write (stored data may hold any phase).
        double period = 0;
        for (qreal d : pattern)
            period += d;
        const double offset = std::isfinite(style.dashPhase) ? std::fmod(style.dashPhase / unit, period) : 0;
        pen.setDashOffset(std::isfinite(offset) ? offset : 0);
    }
    penMemo_.emplace(PenMemo{style, color, deviceStretch, pen});
    return penMemo_->pen;
}

void PainterContext::paintStroke(const Path& path, const LineStyle& style)
{
    const GState& s = gstate();
    const QPainterPath& qp = path.toQt();
    const double halfWidth = std::clamp(style.width, 0.0, widestLine) / 2;
    const double reach = halfWidth * (style.join == LineJoin::Miter ? std::max(boundedMiterLimit(style.miterLimit), 1.5) : 1.5);
    const auto area = [&] {
        const double grow = reach * stretch(s.ctm) + 2;
        return mapBounds(s.ctm, qp.controlPointRect()).adjusted(-grow, -grow, grow, grow);
    };
    const QTransform m = s.ctm.toQt();
    const QPen& qpen = pen(style, s.strokeColor, s.ctm);
    const bool raster = targetPaintsPixels();
    const std::optional<WholePixelBands> bands = raster ? wholePixelBands(path, style, qpen, s.ctm) : std::nullopt;
    // A rect in Qt's own order strokes through drawRect: the same pixels, from four corners on the stack
    // instead of a path that has gone cold since the last frame (a page of rects reads no path at all).
    const Path::RectShape* rect = nullptr;
    if (raster && !bands && qpen.style() == Qt::SolidLine)
        if (const auto& r = path.asRect(); r && r->inQtOrder)
            rect = &*r;
    const auto key = [&](QByteArray& k) {
        appendKey(k, 'S'), appendKey(k, bands.has_value()), appendKey(k, m), appendKey(k, qp), appendKey(k, qpen);
    };
    const KeyFn keyFn = key;
    render(s, area, s.antialias && !bands, s.blendMode, s.alpha, [&](QPainter& p, const QTransform& toTarget) {
        if (bands) {
            useTransform(p, QTransform());
            const QPoint shift(int(toTarget.dx()), int(toTarget.dy()));
            for (int i = 0; i < bands->count; ++i)
                p.fillRect(bands->rects[size_t(i)].translated(shift), qpen.color());
            return;
        }
        useTransform(p, m * toTarget);
        if (rect) {
            usePen(p, qpen);
            p.drawRect(rect->rect.toQt());
        } else {
            p.strokePath(qp, qpen);
        }
    }, false, &keyFn);
}

void PainterContext::paintClear(const Rect& r)
{
    GState s = gstate();
    s.shadow.reset();
    QPainterPath qp;
    qp.addRect(r.toQt());
    const auto area = [&] { return mapBounds(s.ctm, r.toQt()).adjusted(-1, -1, 1, 1); };
    const QTransform m = s.ctm.toQt();
    render(s, area, s.antialias, BlendMode::DestinationOut, 1.0, [&](QPainter& p, const QTransform& toTarget) {
        useTransform(p, m * toTarget);
        p.fillPath(qp, Qt::black);
    });
}

void PainterContext::paintGlyphs(const QGlyphRun& run, Point origin)
{
    const GState& s = gstate();
    // Glyph bounds (which load every glyph's outline) are needed only when the run goes through a layer.
    // They leave out antialiasing and hinting overshoot: a little margin.
    const auto area = [&] {
        const QRectF userBounds = run.boundingRect().translated(origin.toQt());
        const double margin = run.rawFont().pixelSize() * 0.25 + 2;
        return mapBounds(s.ctm, userBounds.adjusted(-margin, -margin, margin, margin));
    };
    const QTransform m = s.ctm.toQt();
    const QPen pen(s.fillColor.toQt());
    const auto key = [&](QByteArray& k) {
        const QRawFont font = run.rawFont();
        appendKey(k, 'T'), appendKey(k, m), appendKey(k, origin.toQt()), appendKey(k, pen.color());
        // The names, and the font file's header (its checksum and dates) for which file bears them.
        k.append(font.familyName().toUtf8()).append('\0').append(font.styleName().toUtf8()).append('\0');
        k.append(font.fontTable("head"));
        appendKey(k, font.pixelSize()), appendKey(k, font.weight()), appendKey(k, int(font.style())),
            appendKey(k, int(font.hintingPreference())), appendKey(k, int(run.flags()));
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        appendKey(k, glyphs.size());
        for (quint32 glyph : glyphs)
            appendKey(k, glyph);
        for (const QPointF& at : positions)
            appendKey(k, at);
    };
    const KeyFn keyFn = key;
    render(s, area, s.antialias, s.blendMode, s.alpha, [&](QPainter& p, const QTransform& toTarget) {
        useTransform(p, m * toTarget);
        p.setPen(pen);
        p.drawGlyphRun(origin.toQt(), run);
    }, false, &keyFn);
}

namespace {

// Past this (device pixels) a gradient's points are out of the PDF writer's reach (it writes reals through
// a 32-bit integer part: the numbers come out garbled, and with them the page), and a raster's table of
// its colours is spread over far more than any view shows.
constexpr double farthestGradientPoint = 1e9;

bool withinReach(double v) { return std::abs(v) < farthestGradientPoint; }  // NaN: not
bool withinReach(const Point& p) { return withinReach(p.x) && withinReach(p.y); }

double dot(const Point& a, const Point& b) { return a.x * b.x + a.y * b.y; }

// The colour of the stops at t, padded past their ends.
QColor colourAt(const QGradientStops& stops, double t)
{
    if (stops.isEmpty())
        return Qt::transparent;
    if (!(t > stops.front().first))
        return stops.front().second;
    for (qsizetype i = 1; i < stops.size(); ++i) {
        const QGradientStop& a = stops[i - 1];
        const QGradientStop& b = stops[i];
        if (t > b.first)
            continue;
        const float k = b.first > a.first ? float((t - a.first) / (b.first - a.first)) : 1.0f;
        const QColor ca = a.second.toRgb();
        const QColor cb = b.second.toRgb();
        const auto mix = [k](float x, float y) { return x + (y - x) * k; };
        return QColor::fromRgbF(mix(ca.redF(), cb.redF()), mix(ca.greenF(), cb.greenF()), mix(ca.blueF(), cb.blueF()),
                                mix(ca.alphaF(), cb.alphaF()));
    }
    return stops.back().second;
}

// The part of the stops from t0 to t1 (either way round) as stops over [0, 1]: the colours at the cut
// ends and the stops between, hard edges kept.
QGradientStops cutStops(const QGradientStops& stops, double t0, double t1)
{
    QGradientStops cut{{0.0, colourAt(stops, t0)}};
    const auto add = [&](const QGradientStop& stop) {
        double u = (stop.first - t0) / (t1 - t0);
        if (!(u > 0))
            return;
        if (u <= cut.back().first)
            u = std::nextafter(cut.back().first, 2.0);
        if (u < 1)
            cut.append({u, stop.second});
    };
    if (t0 <= t1)
        std::for_each(stops.begin(), stops.end(), add);
    else
        std::for_each(stops.rbegin(), stops.rend(), add);
    cut.append({1.0, colourAt(stops, t1)});
    return cut;
}

// A gradient laid out about origin (user space) in units of 1 / sigma: with sigma the transform's stretch
// its points are about as far apart as the pixels they cover, so Qt's gradient arithmetic is neither
// given tiny user-space lengths under a huge scale nor huge ones under a small scale.
QBrush framedBrush(const QGradient& gradient, const Point& origin, double sigma)
{
    QBrush brush(gradient);
    brush.setTransform(QTransform(1 / sigma, 0, 0, 1 / sigma, origin.x, origin.y));
    return brush;
}

} // namespace

std::optional<QBrush> PainterContext::nearGradient(const Gradient& g, const GradientPaint& geometry,
                                                   const AffineTransform& m, const QRectF& visible)
{
    if (!m.isInvertible() || visible.isEmpty())
        return std::nullopt;
    const AffineTransform inverse = m.inverted();
    const double sigma = stretch(m);
    std::array<Point, 4> corners;
    const std::array<QPointF, 4> deviceCorners{visible.topLeft(), visible.topRight(), visible.bottomLeft(),
                                               visible.bottomRight()};
    for (size_t i = 0; i < 4; ++i)
        corners[i] = inverse.apply(Point::fromQt(deviceCorners[i]));
    const Point centre = inverse.apply(Point::fromQt(visible.center()));
    // Worked out over the largest magnitude among them: differences of far points then neither overflow
    // nor swamp the near ones.
    double scale = 1;
    for (double v : {geometry.start.x, geometry.start.y, geometry.end.x, geometry.end.y, geometry.startRadius,
                     geometry.endRadius, centre.x, centre.y})
        scale = std::max(scale, std::abs(v));
    if (!std::isfinite(scale))
        return std::nullopt;
    const auto scaled = [scale](const Point& p) { return Point{p.x / scale, p.y / scale}; };
    const auto minus = [](const Point& a, const Point& b) { return Point{a.x - b.x, a.y - b.y}; };
    const QGradientStops& stops = g.qtStops();
    const Point c = scaled(centre);
    const Point start = scaled(geometry.start);
    const Point end = scaled(geometry.end);
    const double r0 = geometry.startRadius / scale;
    const double r1 = geometry.endRadius / scale;
    // A linear gradient along direction (scaled) over the visible corners, t = base + (distance along it
    // from the visible centre) × rate; a solid colour when the endpoints would still be out of reach.
    const auto linearOver = [&](const Point& direction, double base, double rate) -> std::optional<QBrush> {
        double low = HUGE_VAL, high = -HUGE_VAL;
        for (const Point& corner : corners) {
            const double e = dot(minus(scaled(corner), c), direction);
            low = std::min(low, e);
            high = std::max(high, e);
        }
        const double t0 = base + low * rate;
        const double t1 = base + high * rate;
        if (!std::isfinite(t0) || !std::isfinite(t1))
            return std::nullopt;
        const double from = low * scale * sigma;
        const double to = high * scale * sigma;
        if (!(t0 != t1) || !(from < to) || !withinReach(from) || !withinReach(to))
            return QBrush(colourAt(stops, base));
        QLinearGradient q(direction.x * from, direction.y * from, direction.x * to, direction.y * to);
        q.setStops(cutStops(stops, t0, t1));
        return framedBrush(q, centre, sigma);
    };
    if (!geometry.radial) {
        const Point axis = minus(end, start);
        const double length2 = dot(axis, axis);
        if (!(length2 > 0) || !std::isfinite(length2))
            return std::nullopt;
        const double length = std::sqrt(length2);
        const Point direction{axis.x / length, axis.y / length};
        return linearOver(direction, dot(minus(c, start), axis) / length2, 1 / length);
    }
    if (!(r0 >= 0) || !(r1 >= 0))
        return std::nullopt;
    if (start == end) {
        // Concentric circles: t goes with the distance from the centre.
        const double spread = r1 - r0;
        if (!(spread != 0))
            return std::nullopt;
        const Point off = minus(c, start);
        const double distance = std::hypot(off.x, off.y);
        if (!withinReach(m.apply(geometry.start))) {
            // From far off its circles cross the view as straight lines (their bend over a view of 10^4
            // pixels at 10^9 is a twentieth of a pixel): a linear gradient away from the centre.
            if (!(distance > 0))
                return std::nullopt;
            return linearOver(Point{off.x / distance, off.y / distance}, (distance - r0) / spread, 1 / spread);
        }
        // The centre is near but the circles are not: circles about it from the nearest to the farthest
        // visible distance.
        double nearest = HUGE_VAL, farthest = 0;
        int sides = 0;  // the edges that have the centre on their left, less those that have it on their right
        constexpr std::array<size_t, 4> ring{0, 1, 3, 2};
        for (size_t i = 0; i < 4; ++i) {
            const Point a = minus(scaled(corners[ring[i]]), start);
            const Point b = minus(scaled(corners[ring[(i + 1) % 4]]), start);
            farthest = std::max(farthest, std::hypot(a.x, a.y));
            const Point edge = minus(b, a);
            const double l2 = dot(edge, edge);
            const double k = l2 > 0 ? std::clamp(-dot(a, edge) / l2, 0.0, 1.0) : 0.0;
            nearest = std::min(nearest, std::hypot(a.x + edge.x * k, a.y + edge.y * k));
            const double side = a.x * edge.y - a.y * edge.x;
            sides += side > 0 ? 1 : side < 0 ? -1 : 0;
        }
        if (std::abs(sides) == 4)
            nearest = 0;
        const double t0 = (nearest - r0) / spread;
        const double t1 = (farthest - r0) / spread;
        if (!std::isfinite(t0) || !std::isfinite(t1))
            return std::nullopt;
        if (!(t0 != t1) || !(nearest < farthest) || !withinReach(farthest * scale * sigma))
            return QBrush(colourAt(stops, (distance - r0) / spread));
        QRadialGradient q(QPointF(), farthest * scale * sigma, QPointF(), nearest * scale * sigma);
        q.setStops(cutStops(stops, t0, t1));
        return framedBrush(q, geometry.start, sigma);
    }
    // Circles moving from one centre to another (no shape draws them so): the colour of the circle
    // through the visible centre, the largest that reaches it.
    const Point cd = minus(end, start);
    const Point pd = minus(c, start);
    const double dr = r1 - r0;
    const double qa = dot(cd, cd) - dr * dr;
    const double qb = dot(pd, cd) + r0 * dr;
    const double qc = dot(pd, pd) - r0 * r0;
    std::optional<double> t;
    const auto consider = [&](double candidate) {
        if (std::isfinite(candidate) && r0 + candidate * dr >= 0 && (!t || candidate > *t))
            t = candidate;
    };
    if (qa == 0) {
        consider(qc / (2 * qb));
    }
    else {
        const double discriminant = qb * qb - qa * qc;
        if (discriminant >= 0) {
            consider((qb + std::sqrt(discriminant)) / qa);
            consider((qb - std::sqrt(discriminant)) / qa);
        }
    }
    if (!t)
        return std::nullopt;
    return QBrush(colourAt(stops, *t));
}

void PainterContext::paintGradient(const Gradient& g, const GradientPaint& geometry, const Path& region)
{
    const GState& s = gstate();
    const AffineTransform& ctm = s.ctm;
    for (double v : {ctm.a, ctm.b, ctm.c, ctm.d, ctm.tx, ctm.ty})
        if (!std::isfinite(v))
            return;
    const QPainterPath& qp = region.toQt();
    const auto area = [&] { return mapBounds(s.ctm, qp.controlPointRect()).adjusted(-1, -1, 1, 1); };
    const double deviceStretch = stretch(ctm);
    const bool near = withinReach(ctm.apply(geometry.start)) && withinReach(ctm.apply(geometry.end)) &&
                      (!geometry.radial || (withinReach(geometry.startRadius * deviceStretch) &&
                                            withinReach(geometry.endRadius * deviceStretch) &&
                                            geometry.startRadius >= 0 && geometry.endRadius >= 0));
    std::optional<QBrush> rebuilt;
    if (!near) {
        // Only the part in sight is painted: where the target, the clip and the region meet, grown by
        // the reach of a shadow.
        QRectF visible = QRectF(targets_.back().bounds);
        if (!s.clip.unbounded)
            visible &= s.clip.bounds();
        if (s.shadow && s.shadow->color.alpha > 0) {
            const double reach = std::min((std::hypot(s.shadow->offset.width, s.shadow->offset.height) +
                                           3 * std::abs(s.shadow->blur)) * baseScale(), 1e6);
            if (std::isfinite(reach))
                visible.adjust(-reach, -reach, reach, reach);
        }
        const QRectF regionBounds = area();
        if (std::isfinite(regionBounds.x()) && std::isfinite(regionBounds.y()) &&
            std::isfinite(regionBounds.width()) && std::isfinite(regionBounds.height()))
            visible &= regionBounds;
        rebuilt = nearGradient(g, geometry, ctm, visible);
        if (!rebuilt)
            return;
    }
    const QBrush& brush = rebuilt ? *rebuilt
                          : geometry.radial
                              ? g.radialBrush(geometry.start, geometry.startRadius, geometry.end, geometry.endRadius)
                              : g.linearBrush(geometry.start, geometry.end);
    const QTransform m = s.ctm.toQt();
    const std::optional<RectFill> rect = rectFill(region, s, targetPaintsPixels());
    const auto key = [&](QByteArray& k) {
        appendKey(k, 'G'), appendKey(k, rect.has_value()), appendKey(k, m), appendKey(k, qp), appendKey(k, brush);
    };
    const KeyFn keyFn = key;
    // A gradient running straight down the device, drawn straight onto a bitmap at full alpha, paints each
    // device row in one colour: those colours, kept from the frame before, paint the same pixels.
    const bool vertical = !rebuilt && !geometry.radial && geometry.start.x == geometry.end.x && ctm.b == 0 &&
                          ctm.c == 0 && s.alpha == 1 && s.blendMode == BlendMode::Normal &&
                          targetPaintsPixels() && !targets_.back().pdf;
    render(s, area, s.antialias && !(rect && rect->wholePixels), s.blendMode, s.alpha,
           [&](QPainter& p, const QTransform& toTarget) {
               useTransform(p, m * toTarget);
               const QBrush* rows = vertical && &p == targets_.back().painter
                                        ? gradientRows(p, g, geometry, brush, rect ? rect->rect : qp.controlPointRect())
                                        : nullptr;
               const QBrush& fill = rows ? *rows : brush;
               if (rect)
                   p.fillRect(rect->rect, fill);
               else
                   p.fillPath(qp, fill);
           },
           false, &keyFn);
}

namespace {

// The colours of vertical gradients' device rows, by a hash of all they follow from, the oldest first out.
struct GradientRows {
    struct Entry {
        std::vector<double> inputs;
        QBrush brush;
    };
    std::unordered_multimap<size_t, Entry> entries;
    std::deque<std::pair<size_t, qint64>> order;  // hash and texture cache key, oldest first
    qsizetype bytes = 0;
};

// Texture rows this wide take a span of a shape at one copy per row.
constexpr int gradientRowsWidth = 32;

} // namespace

const QBrush* PainterContext::gradientRows(QPainter& p, const Gradient& g, const GradientPaint& geometry,
                                          const QBrush& gradient, const QRectF& bounds)
{
    // The painter's whole transform to the device's pixels, of scales alone: a row's colour then follows
    // from the row, the same at any column.
    const QTransform device = p.deviceTransform();
    if (device.m12() != 0 || device.m21() != 0 || device.m13() != 0 || device.m23() != 0 || device.m33() != 1 ||
        !(device.m22() != 0))
        return nullptr;
    const QPointF origin = p.brushOrigin();
    const QRect reach = device.mapRect(bounds).toAlignedRect().adjusted(0, -1, 0, 1);
    const int y0 = std::max(reach.top(), 0), y1 = reach.bottom() + 1;
    // Only for a shape of a few rows: a texture fill of many spans is handed to Qt's pool of threads, which
    // costs more than the table (a gradient's own rows are filled as solid colours, on this thread).
    constexpr int tallest = 1 << 14, mostRows = 16;
    if (y1 <= y0 || y1 > tallest || y1 - y0 > mostRows)
        return nullptr;
    // Everything the rows' colours follow from besides the stops (the brush is made from them and the axis).
    const Gradient::PlacementKey placement{geometry.start.x, geometry.start.y, geometry.end.x, geometry.end.y,
                                           device.m11(), device.m22(), device.dx(), device.dy(),
                                           origin.x(), origin.y(), double(y0), double(y1)};
    // A shape's gradient keeps the rows of its last paint: most paints read nothing else.
    if (const QBrush* own = g.keptPlacementBrush(placement))
        return own;
    const auto inputs = [&](const auto& take) {
        for (const GradientStop& stop : g.stops())
            take(stop.color.red), take(stop.color.green), take(stop.color.blue), take(stop.color.alpha),
                take(stop.location);
        take(double(g.stops().size()));
        for (double v : placement)
            take(v);
    };
    size_t hash = 0;
    inputs([&](double v) {
        hash ^= std::hash<double>()(v) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    });
    thread_local GradientRows kept;
    const auto [from, to] = kept.entries.equal_range(hash);
    for (auto it = from; it != to; ++it) {
        size_t i = 0;
        bool same = true;
        inputs([&](double v) { same = same && i < it->second.inputs.size() && it->second.inputs[i++] == v; });
        if (same && i == it->second.inputs.size()) {
            g.keepPlacementBrush(placement, it->second.brush);
            return &it->second.brush;
        }
    }
    // The gradient painted down a column of the same rows, under a transform of the same vertical scale
    // and offset and the same brush origin, gives each row the colour the target's row gets.
    const QTransform down(device.m11(), 0, 0, device.m22(), 0, device.dy());
    QImage column(1, y1, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter cp(&column);
        cp.setWorldTransform(down);
        const QTransform columnDevice = cp.deviceTransform();
        if (columnDevice.m22() != device.m22() || columnDevice.dy() != device.dy() || columnDevice.m12() != 0)
            return nullptr;
        cp.setBrushOrigin(origin);
        cp.setCompositionMode(QPainter::CompositionMode_Source);
        cp.setRenderHint(QPainter::Antialiasing, false);
        cp.fillRect(down.inverted().mapRect(QRectF(-2, -2, 5, y1 + 4)), gradient);
    }
    QImage rows(gradientRowsWidth, y1 - y0, QImage::Format_ARGB32_Premultiplied);
    for (int y = y0; y < y1; ++y) {
        const QRgb colour = reinterpret_cast<const QRgb*>(column.constScanLine(y))[0];
        std::fill_n(reinterpret_cast<QRgb*>(rows.scanLine(y - y0)), gradientRowsWidth, colour);
    }
    // Texture pixels land on the device rows they were taken from.
    QBrush brush(rows);
    brush.setTransform(QTransform::fromTranslate(0, y0) * (QTransform::fromTranslate(origin.x(), origin.y()) * device).inverted());
    // About the rows of a few thousand shapes' gradients.
    constexpr qsizetype budget = qsizetype(16) << 20;
    GradientRows::Entry entry;
    inputs([&](double v) { entry.inputs.push_back(v); });
    entry.brush = std::move(brush);
    const qint64 id = rows.cacheKey();
    kept.bytes += rows.sizeInBytes();
    kept.order.emplace_back(hash, id);
    const QBrush& made = kept.entries.emplace(hash, std::move(entry))->second.brush;
    g.keepPlacementBrush(placement, made);
    // The newest is never the one dropped: rows are at most 2 MB.
    dropOldest(kept.entries, kept.order, kept.bytes, budget,
               [](const GradientRows::Entry& e) { return e.brush.textureImage().cacheKey(); },
               [](const GradientRows::Entry& e) { return e.brush.textureImage().sizeInBytes(); });
    return &made;
}

void PainterContext::paintBitmap(const QImage& bitmapIn, const QRectF& sourcePixelsIn, const Rect& dest, bool flipRows,
                                 BlendMode op, double fraction)
{
    const GState& s = gstate();
    QImage bitmap = bitmapIn;
    QRectF source = sourcePixelsIn;
    // High quality: a large reduction is averaged first (bilinear sampling alone would skip pixels).
    const double deviceWidth = dest.width() * stretch(s.ctm);
    const double deviceHeight = dest.height() * stretch(s.ctm);
    if (effectiveInterpolation() == InterpolationQuality::High &&
        (deviceWidth * 2 < source.width() || deviceHeight * 2 < source.height())) {
        const QSize size(std::max(1, int(std::ceil(deviceWidth))), std::max(1, int(std::ceil(deviceHeight))));
        bitmap = reduced(bitmap, source.toAlignedRect(), size);
        source = QRectF(bitmap.rect());
    }
    const double sx = dest.width() / source.width();
    const double sy = dest.height() / source.height();
    const QTransform placement(sx, 0, 0, flipRows ? -sy : sy, dest.x() - source.x() * sx,
                               flipRows ? dest.maxY() + source.y() * sy : dest.y() - source.y() * sy);
    const auto area = [&] { return mapBounds(s.ctm, dest.toQt()).adjusted(-1, -1, 1, 1); };
    const QTransform m = s.ctm.toQt();
    const auto key = [&](QByteArray& k) {
        appendKey(k, 'B'), appendKey(k, placement * m), appendKey(k, bitmap.cacheKey()), appendKey(k, source);
    };
    const KeyFn keyFn = key;
    render(s, area, s.antialias, op, s.alpha * fraction, [&](QPainter& p, const QTransform& toTarget) {
        useTransform(p, placement * m * toTarget);
        drawPicture(p, source.topLeft(), bitmap, source);
    }, false, &keyFn);
}

bool PainterContext::paintVectorDrawing(const std::function<bool(QPainter&)>& paint)
{
    const GState& s = gstate();
    Target& target = targets_.back();
    QPainter* p = target.painter;
    const bool pdfPage = target.pdf && p && p->isActive();  // layers are never PDF pages
    if (!pdfPage || (s.shadow && s.shadow->color.alpha > 0) || s.blendMode != BlendMode::Normal)
        return false;
    bool painted = false;
    const QTransform m = s.ctm.toQt();
    render(s, [&] { return QRectF(target.bounds); }, s.antialias, s.blendMode, s.alpha,
           [&](QPainter& painter, const QTransform& toTarget) {
               painter.save();
               useTransform(painter, m * toTarget);
               painted = paint(painter);
               painter.restore();
           });
    // Whatever the drawing did to the painter, the clip is given again before the next paint.
    target.clip.known = false;
    return painted;
}

void PainterContext::pushLayer()
{
    // The layer covers what the state at begin may paint.
    const GState& s = gstate();
    QRectF visible = QRectF(targets_.back().bounds);
    if (!s.clip.unbounded)
        visible &= s.clip.bounds();
    Target t;
    t.bounds = visible.toAlignedRect() & targets_.back().bounds;
    if (!t.bounds.isEmpty()) {
        t.image = std::make_unique<QImage>(t.bounds.size(), QImage::Format_ARGB32_Premultiplied);
        t.image->fill(Qt::transparent);
        t.ownPainter = std::make_unique<QPainter>(t.image.get());
        t.painter = t.ownPainter.get();
    }
    targets_.push_back(std::move(t));
}

void PainterContext::popLayer(const GState& outer)
{
    if (targets_.size() < 2)
        return;
    Target layer = std::move(targets_.back());
    targets_.pop_back();
    if (!layer.image)
        return;
    layer.ownPainter->end();
    const QImage& image = *layer.image;
    const QPoint at = layer.bounds.topLeft();
    // The layer's pixels name what it holds: a hash of them, and the pixels themselves compared when the
    // hash is met again.
    const auto key = [&](QByteArray& k) {
        appendKey(k, 'L'), appendKey(k, layer.bounds), appendKey(k, image.bytesPerLine()),
            appendKey(k, size_t(qHashBits(image.constBits(), size_t(image.sizeInBytes()))));
    };
    const KeyFn keyFn = key;
    render(outer, [&] { return QRectF(layer.bounds); }, outer.antialias, outer.blendMode, outer.alpha,
           [&](QPainter& p, const QTransform& toTarget) {
               useTransform(p, toTarget);
               drawPicture(p, at, image, QRectF(image.rect()));
           },
           true, &keyFn, &image);
}

// --- BitmapContext

struct BitmapContext::Surface {
    QImage image;
    QPainter painter;
    explicit Surface(QSize size) : image(size, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(Qt::transparent);
        // An empty bitmap paints nothing (render checks the painter is active).
        if (!image.isNull())
            painter.begin(&image);
    }
};

namespace {

QSize pixelSize(Size points, double scale)
{
    const auto side = [&](double v) {
        const double px = std::ceil(v * scale - 1e-9);
        return std::isfinite(px) && px > 0 ? int(std::min(px, 32768.0)) : 0;
    };
    return {side(points.width), side(points.height)};
}

} // namespace

BitmapContext::BitmapContext(Size pointSize, double scale, bool flipped, bool drawsToScreen, double baseScale)
    : BitmapContext(std::make_unique<Surface>(pixelSize(pointSize, scale)), pointSize, scale, flipped, drawsToScreen,
                    baseScale)
{
}

BitmapContext::BitmapContext(std::unique_ptr<Surface> surface, Size pointSize, double scale, bool flipped,
                             bool drawsToScreen, double baseScale)
    : PainterContext(surface->painter, surface->image.rect(),
                     flipped ? AffineTransform::scale(scale, scale)
                             : AffineTransform{scale, 0, 0, -scale, 0, double(surface->image.height())},
                     baseScale, drawsToScreen),
      surface_(std::move(surface)), pointSize_(pointSize)
{
}

BitmapContext::~BitmapContext()
{
    if (surface_->painter.isActive())
        surface_->painter.end();
}

QImage BitmapContext::bitmap()
{
    if (surface_->painter.isActive())
        surface_->painter.end();
    return surface_->image;
}

Image BitmapContext::image() { return Image(bitmap(), pointSize_); }

} // namespace pf
