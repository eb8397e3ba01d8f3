#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"

#include <QGlyphRun>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <utility>

namespace pf {

namespace {

thread_local GraphicsContext* currentContext = nullptr;

// Sutherland-Hodgman: the part of a convex polygon where (p - origin)·normal >= 0.
QPolygonF clipToHalfPlane(const QPolygonF& poly, QPointF origin, QPointF normal)
{
    QPolygonF out;
    const auto side = [&](QPointF p) { return (p.x() - origin.x()) * normal.x() + (p.y() - origin.y()) * normal.y(); };
    for (int i = 0; i < poly.size(); ++i) {
        const QPointF a = poly[i];
        const QPointF b = poly[(i + 1) % poly.size()];
        const double sa = side(a);
        const double sb = side(b);
        if (sa >= 0)
            out << a;
        if ((sa >= 0) != (sb >= 0)) {
            const double t = sa / (sa - sb);
            out << a + (b - a) * t;
        }
    }
    return out;
}

// The area swept by the circles between two circles: their convex hull.
QPainterPath circleHull(QPointF c0, double r0, QPointF c1, double r1)
{
    QPainterPath hull;
    hull.addEllipse(c0, r0, r0);
    QPainterPath second;
    second.addEllipse(c1, r1, r1);
    hull = hull.united(second);
    const QPointF d = c1 - c0;
    const double dist = std::hypot(d.x(), d.y());
    if (dist <= std::abs(r1 - r0))
        return hull;  // one circle holds the other
    // Outer tangents: the unit normal n with n·d = r0 - r1 (scaled by dist).
    const double cosA = (r0 - r1) / dist;
    const double sinA = std::sqrt(std::max(0.0, 1 - cosA * cosA));
    const QPointF u = d / dist;
    const QPointF v(-u.y(), u.x());
    const QPointF n1 = u * cosA + v * sinA;
    const QPointF n2 = u * cosA - v * sinA;
    QPolygonF quad;
    quad << c0 + n1 * r0 << c1 + n1 * r1 << c1 + n2 * r1 << c0 + n2 * r0 << c0 + n1 * r0;
    QPainterPath band;
    band.addPolygon(quad);
    return hull.united(band);
}

// Direction of an angle in degrees; exact on the axes (cos 90° is not 0 in doubles).
std::pair<double, double> unitVector(double degrees)
{
    const double turn = std::fmod(degrees, 360.0);
    if (turn == 0)
        return {1, 0};
    if (turn == 90 || turn == -270)
        return {0, 1};
    if (turn == 180 || turn == -180)
        return {-1, 0};
    if (turn == 270 || turn == -90)
        return {0, -1};
    const double radians = degrees * M_PI / 180.0;
    return {std::cos(radians), std::sin(radians)};
}

} // namespace

QRectF Clip::bounds() const
{
    if (unbounded)
        return {};
    QRectF b = rect;
    for (const QPainterPath& p : paths)
        b &= p.boundingRect();
    return b;
}

bool GraphicsContext::isWholePixels(const QRectF& r)
{
    return r.x() == std::floor(r.x()) && r.y() == std::floor(r.y()) && r.right() == std::floor(r.right()) &&
           r.bottom() == std::floor(r.bottom());
}

GraphicsContext::GraphicsContext(const AffineTransform& base, double baseScale, bool drawsToScreen)
    : base_(base), baseScale_(baseScale), drawsToScreen_(drawsToScreen)
{
    states_.emplace_back();
    states_.back().ctm = base;
}

GraphicsContext::~GraphicsContext()
{
    if (currentContext == this)
        currentContext = nullptr;
}

GraphicsContext* GraphicsContext::current() { return currentContext; }

void GraphicsContext::resetStates(const AffineTransform& base)
{
    base_ = base;
    states_.assign(1, GState{});
    states_.back().ctm = base;
    layerStateDepths_.clear();
}

void GraphicsContext::saveGState() { states_.push_back(states_.back()); }

void GraphicsContext::restoreGState()
{
    const size_t floor = layerStateDepths_.empty() ? 1 : layerStateDepths_.back();
    if (states_.size() > floor)
        states_.pop_back();
}

void GraphicsContext::translate(double tx, double ty) { state().ctm = state().ctm.translated(tx, ty); }
void GraphicsContext::scale(double sx, double sy) { state().ctm = state().ctm.scaled(sx, sy); }
void GraphicsContext::rotate(double radians) { state().ctm = state().ctm.rotated(radians); }
void GraphicsContext::concat(const AffineTransform& t) { state().ctm = t.concat(state().ctm); }

bool GraphicsContext::isFlipped() const
{
    const AffineTransform& m = gstate().ctm;
    return m.a * m.d - m.b * m.c > 0;
}

Point GraphicsContext::convertToDeviceSpace(Point p) const { return gstate().ctm.apply(p); }
Point GraphicsContext::convertToUserSpace(Point p) const { return gstate().ctm.inverted().apply(p); }
Size GraphicsContext::convertSizeToDeviceSpace(Size s) const { return gstate().ctm.apply(s); }
Size GraphicsContext::convertSizeToUserSpace(Size s) const { return gstate().ctm.inverted().apply(s); }
Rect GraphicsContext::convertToDeviceSpace(const Rect& r) const { return gstate().ctm.apply(r); }
Rect GraphicsContext::convertToUserSpace(const Rect& r) const { return gstate().ctm.inverted().apply(r); }

void GraphicsContext::setAlpha(double alpha)
{
    state().alpha = std::isfinite(alpha) ? std::clamp(alpha, 0.0, 1.0) : 1.0;
}

void GraphicsContext::setColor(const Color& c)
{
    state().fillColor = c;
    state().strokeColor = c;
}

void GraphicsContext::setLineDash(double phase, std::vector<double> lengths)
{
    state().line.dashPhase = phase;
    state().line.dashPattern = std::move(lengths);
}

void GraphicsContext::setShadow(Size offset, double blur, const Color& color)
{
    // A shadow that cannot be placed casts nothing (stored documents may hold any number).
    if (!std::isfinite(offset.width) || !std::isfinite(offset.height) || !std::isfinite(blur)) {
        state().shadow.reset();
        return;
    }
    state().shadow = Shadow{offset, std::max(0.0, blur), color};
}

void GraphicsContext::setShadow(Size offset, double blur) { setShadow(offset, blur, Shadow{}.color); }

InterpolationQuality GraphicsContext::effectiveInterpolation() const
{
    const InterpolationQuality q = gstate().interpolation;
    if (q != InterpolationQuality::Default)
        return q;
    return drawsToScreen_ ? InterpolationQuality::Low : InterpolationQuality::High;
}

void GraphicsContext::intersectClip(const Path& path, WindingRule rule)
{
    Clip& clip = state().clip;
    if (clip.unbounded) {
        clip.unbounded = false;
        clip.rect = deviceBounds();
    }
    if (auto r = path.rectAfter(gstate().ctm); r && isWholePixels(r->toQt())) {
        clip.rect &= r->toQt();
        // Only paths are masked: a clip of rects alone holds no place for a mask, and its states copy
        // without touching a shared count (a state is saved several times for every shape drawn).
        clip.cache = clip.hasPaths() ? std::make_shared<std::shared_ptr<void>>() : nullptr;
        return;
    }
    clip.cache = std::make_shared<std::shared_ptr<void>>();
    QPainterPath device = gstate().ctm.toQt().map(path.toQt(rule));
    device.setFillRule(rule == WindingRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    clip.paths.push_back(std::move(device));
}

void GraphicsContext::clip(const Path& path) { clip(path, path.windingRule()); }

void GraphicsContext::clip(const Path& path, WindingRule rule)
{
    intersectClip(path, rule);
    clipChanged("clip", &path, rule);
}

void GraphicsContext::clipToRect(const Rect& r)
{
    const Path p = Path::rect(r);
    intersectClip(p, WindingRule::NonZero);
    clipChanged("clipToRect", &p, WindingRule::NonZero);
}

void GraphicsContext::setClip(const Path& path)
{
    state().clip = Clip{};
    intersectClip(path, path.windingRule());
    clipChanged("setClip", &path, path.windingRule());
}

void GraphicsContext::resetClip()
{
    state().clip = Clip{};
    clipChanged("resetClip", nullptr, WindingRule::NonZero);
}

QRectF GraphicsContext::visibleUserRect() const
{
    QRectF device = deviceBounds();
    if (!gstate().clip.unbounded)
        device &= gstate().clip.bounds();
    return gstate().ctm.inverted().apply(Rect::fromQt(device)).toQt();
}

Rect GraphicsContext::clipBoundingBox() const { return Rect::fromQt(visibleUserRect()); }

void GraphicsContext::fillPath(const Path& path) { fillPath(path, path.windingRule()); }

void GraphicsContext::fillPath(const Path& path, WindingRule rule)
{
    if (!path.isEmpty())
        paintFill(path, rule);
}

void GraphicsContext::strokePath(const Path& path)
{
    if (!path.isEmpty())
        paintStroke(path, gstate().line);
}

void GraphicsContext::strokeBezierPath(const Path& path)
{
    if (!path.isEmpty())
        paintStroke(path, path.lineStyle());
}

void GraphicsContext::fillRect(const Rect& r) { fillPath(Path::rect(r), WindingRule::NonZero); }
void GraphicsContext::strokeRect(const Rect& r) { strokePath(Path::rect(r)); }
void GraphicsContext::clearRect(const Rect& r) { paintClear(r.standardized()); }

void GraphicsContext::drawGlyphRun(const QGlyphRun& run, Point origin)
{
    if (!run.glyphIndexes().isEmpty())
        paintGlyphs(run, origin);
}

void GraphicsContext::drawLinearGradient(const Gradient& g, Point start, Point end, int options)
{
    const QPointF s = start.toQt();
    const QPointF e = end.toQt();
    const QPointF axis = e - s;
    if (g.isEmpty() || (axis.x() == 0 && axis.y() == 0))
        return;
    QPolygonF region(visibleUserRect());
    if (!(options & DrawsBeforeStart))
        region = clipToHalfPlane(region, s, axis);
    if (!(options & DrawsAfterEnd))
        region = clipToHalfPlane(region, e, -axis);
    if (region.size() < 3)
        return;
    Path area;
    for (const QPointF& corner : region)
        area.lineTo(Point::fromQt(corner));
    area.close();
    paintGradient(g, GradientPaint{false, start, end, 0, 0}, area);
}

void GraphicsContext::drawRadialGradient(const Gradient& g, Point startCenter, double startRadius, Point endCenter,
                                         double endRadius, int options)
{
    if (g.isEmpty() || startRadius < 0 || endRadius < 0)
        return;
    const Path area = options & DrawsAfterEnd
                          ? Path::rect(Rect::fromQt(visibleUserRect()))
                          : Path::fromQt(circleHull(startCenter.toQt(), startRadius, endCenter.toQt(), endRadius));
    paintGradient(g, GradientPaint{true, startCenter, endCenter, startRadius, endRadius}, area);
}

void GraphicsContext::drawLinearGradientInPath(const Gradient& g, const Path& path, double angleDegrees)
{
    drawLinearGradientInPath(g, path, angleDegrees, path);
}

void GraphicsContext::drawLinearGradientInPath(const Gradient& g, const Path& path, double angleDegrees, const Path& region)
{
    if (g.isEmpty() || path.isEmpty() || region.isEmpty())
        return;
    const QRectF b = (path.asRect() ? path.asRect()->rect : path.paintBounds()).toQt();
    const auto [ux, uy] = unitVector(angleDegrees);
    const double half = b.width() / 2 * std::abs(ux) + b.height() / 2 * std::abs(uy);
    const QPointF c = b.center();
    const Point start{c.x() - half * ux, c.y() - half * uy};
    const Point end{c.x() + half * ux, c.y() + half * uy};
    if (half == 0)
        return;
    paintGradient(g, GradientPaint{false, start, end, 0, 0}, region);
}

void GraphicsContext::drawLinearGradientInRect(const Gradient& g, const Rect& r, double angleDegrees)
{
    drawLinearGradientInPath(g, Path::rect(r), angleDegrees);
}

void GraphicsContext::drawRadialGradientInPath(const Gradient& g, const Path& path, Point relativeCenter)
{
    drawRadialGradientInPath(g, path, relativeCenter, path);
}

void GraphicsContext::drawRadialGradientInPath(const Gradient& g, const Path& path, Point relativeCenter, const Path& region)
{
    if (g.isEmpty() || path.isEmpty() || region.isEmpty())
        return;
    const QRectF b = (path.asRect() ? path.asRect()->rect : path.paintBounds()).toQt();
    const Point c{b.center().x() + relativeCenter.x * b.width() / 2, b.center().y() + relativeCenter.y * b.height() / 2};
    double radius = 0;
    for (const QPointF corner : {b.topLeft(), b.topRight(), b.bottomLeft(), b.bottomRight()})
        radius = std::max(radius, std::hypot(corner.x() - c.x, corner.y() - c.y));
    if (radius == 0)
        return;
    paintGradient(g, GradientPaint{true, c, c, 0, radius}, region);
}

void GraphicsContext::drawImage(const Image& image, const Rect& dest, const Rect& srcIn, BlendMode op, double fraction,
                                bool respectFlipped)
{
    if (!image.isValid())
        return;
    const Rect dst = dest.standardized();
    const Rect src = srcIn.isEmpty() ? Rect(0, 0, image.size().width, image.size().height) : srcIn.standardized();
    if (dst.isEmpty() || src.isEmpty() || !std::isfinite(fraction))
        return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const bool flipped = respectFlipped && isFlipped();
    if (image.hasDrawingHandler()) {
        // Drawn as one object: a layer gives the fraction, the state's alpha, operation and shadow to the
        // whole drawing (which may set alphas of its own: a loupe's picture draws shapes, each setting its
        // opacity). At no alpha it shows nothing, as any drawing.
        if (!(gstate().alpha * fraction > 0))
            return;
        const bool layer = fraction < 1 || gstate().alpha < 1 || op != BlendMode::Normal || gstate().shadow;
        saveGState();
        clipToRect(dst);
        if (layer) {
            state().alpha *= fraction;
            state().blendMode = op;
            beginTransparencyLayer();
        }
        const double sx = dst.width() / src.width();
        const double sy = dst.height() / src.height();
        AffineTransform t{sx, 0, 0, flipped ? sy : -sy, dst.x() - src.x() * sx,
                          flipped ? dst.y() - src.y() * sy : dst.maxY() + src.y() * sy};
        concat(t);
        image.drawingHandler()(*this, Rect(0, 0, image.size().width, image.size().height));
        if (layer)
            endTransparencyLayer();
        restoreGState();
        return;
    }
    const AffineTransform& m = gstate().ctm;
    const double deviceScale = std::sqrt(std::abs(m.a * m.d - m.b * m.c));
    const double needed = deviceScale * std::max(dst.width() / src.width(), dst.height() / src.height());
    const QImage bitmap = image.bestBitmap(needed);
    if (bitmap.isNull())
        return;
    const double rx = bitmap.width() / image.size().width;
    const double ry = bitmap.height() / image.size().height;
    const QRectF pixels(src.x() * rx, src.y() * ry, src.width() * rx, src.height() * ry);
    paintBitmap(bitmap, pixels, dst, !flipped, op, fraction);
}

void GraphicsContext::beginTransparencyLayer()
{
    saveGState();
    layerStateDepths_.push_back(states_.size());
    state().alpha = 1;
    state().shadow.reset();
    state().blendMode = BlendMode::Normal;
    pushLayer();
}

void GraphicsContext::endTransparencyLayer()
{
    if (layerStateDepths_.empty())
        return;
    const size_t depth = layerStateDepths_.back();
    states_.resize(depth);
    layerStateDepths_.pop_back();
    const GState outer = states_[depth - 2];
    popLayer(outer);
    states_.pop_back();
}

CurrentContext::CurrentContext(GraphicsContext& context) : previous_(currentContext) { currentContext = &context; }

CurrentContext::~CurrentContext() { currentContext = previous_; }

} // namespace pf
