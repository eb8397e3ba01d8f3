// Shape geometry: the frame and its outline, rotation, the derived rects, handles and hit tests.
#include "model/Shape.h"

#include "geometry/BezierPathAdditions.h"
#include "geometry/QVRect.h"
#include "model/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;

// Rotation by whole degrees about a point. Quarter turns are exact, so a shape at 90, 180 or 270 degrees
// keeps whole-point bounds.
pf::AffineTransform rotationAbout(const pf::Point& c, std::int64_t degrees)
{
    double cosine = 1.0;
    double sine = 0.0;
    switch ((degrees % 360 + 360) % 360) {
    case 0:
        break;
    case 90:
        cosine = 0.0, sine = 1.0;
        break;
    case 180:
        cosine = -1.0;
        break;
    case 270:
        cosine = 0.0, sine = -1.0;
        break;
    default: {
        const double radians = static_cast<double>(degrees % 360) * pi / 180.0;
        cosine = std::cos(radians);
        sine = std::sin(radians);
    }
    }
    const pf::AffineTransform turn{cosine, sine, -sine, cosine, 0, 0};
    return pf::AffineTransform::translation(-c.x, -c.y).concat(turn).concat(pf::AffineTransform::translation(c.x, c.y));
}

// Whole points taken at the edges, the size following from them: an edge snapped onto a whole line stays on
// it whatever fraction the size had. Both edges round their halves the way the origin does (away from zero
// on the origin's side), so a rect moved by any amount keeps a whole size.
double roundEdge(double v, bool down)
{
    return down ? std::ceil(v - 0.5) : std::floor(v + 0.5);
}

pf::Rect roundEdges(const pf::Rect& r)
{
    const bool left = r.x() < 0, top = r.y() < 0;
    const double x = roundEdge(r.x(), left), y = roundEdge(r.y(), top);
    return pf::Rect(x, y, roundEdge(r.x() + r.width(), left) - x, roundEdge(r.y() + r.height(), top) - y);
}

// The square of the given side centred on a point.
pf::Rect square(const pf::Point& centre, double side)
{
    return QVSquareAroundPoint(centre, side);
}

} // namespace

// ---- frame and outline ----

void Shape::setFrame(const pf::Rect& requested)
{
    pf::Rect r = requested;
    // The virtual angle: a selection turns with its child, and must keep a turned child's frame unrounded.
    const std::int64_t angle = rotationAngle();
    if (angle == 0 || angle == 180)
        r = roundEdges(r);
    if (r == frame_)
        return;
    r = validateFrame(r);
    if (!isValidFrame(r))
        return;
    pf::ChangeNotice notice(*this, {QStringLiteral("frame"), QStringLiteral("displayFrameX"), QStringLiteral("displayFrameY"),
                                    QStringLiteral("displayFrameWidth"), QStringLiteral("displayFrameHeight")});
    // A move alone leaves the drawing as it was, elsewhere: the look stamp stays. Anything else this
    // change sets off asks for redisplay itself and renews it.
    const bool moved = r.size == frame_.size && drawingMovesWithFrame();
    setNeedsDisplayMoved(moved);
    pf::registerUndo(undoManager(), this, [old = frame_](Shape& s) { s.setFrame(old); }, pf::localized("Reposition"));
    dirtyRectDirty_ = true;
    const pf::Rect old = frame_;
    frame_ = r;
    displayFrameX_ = r.x();
    displayFrameY_ = r.y();
    displayFrameWidth_ = r.width();
    displayFrameHeight_ = r.height();
    calcDisplayFrameOrigin();

    // Keep the rotation handle clear of the side handles.
    const pf::Rect handle = square(pf::Point(center().x + rotationHandleRadius_, center().y), 15.0);
    if (handle.intersects(square(QVRectGetMidRitPoint(r), 10.0)) || handle.intersects(square(QVRectGetMidLefPoint(r), 10.0)))
        rotationHandleRadius_ += 15.0;

    cachedTextSize_ = pf::Size();
    regeneratePathWithOldFrame(old);
    applyRotationToPath();
    if (hasContentFilters() && (old.width() != r.width() || old.height() != r.height()))
        updateContentImage();
    updateConnections();
    setNeedsDisplayMoved(moved);
}

bool Shape::isValidFrame(const pf::Rect& frame) const
{
    return QVRectIsValid(frame);
}

pf::Rect Shape::validateFrame(const pf::Rect& frame) const
{
    const auto positiveZero = [](double v) { return v == 0.0 ? 0.0 : v; };
    return pf::Rect(positiveZero(frame.x()), positiveZero(frame.y()), positiveZero(frame.width()),
                    positiveZero(frame.height()));
}

void Shape::regeneratePathWithOldFrame(const pf::Rect& oldFrame)
{
    (void)oldFrame;
    quartzPath_.reset();
    finalFillPath_.reset();
    finalGradientFillPath_.reset();
    path_ = pf::Path();
    appendPath(path_);
    pathBounds_.reset();
}

void Shape::appendPath(pf::Path& path) const
{
    (void)path;
}

void Shape::applyRotationToPath()
{
    if (rotationAngle_ == 0)
        return;
    path_.transform(rotationTransform(rotationAngle_));
    quartzPath_.reset();
    pathBounds_.reset();
}

const std::optional<pf::Path>& Shape::quartzPath() const
{
    if (!quartzPath_)
        quartzPath_ = geom::newQuartzPath(path_);
    return quartzPath_;
}

pf::AffineTransform Shape::rotationTransform(std::int64_t degrees) const
{
    return rotationTransformInRect(degrees, square(center(), 2.0));
}

pf::AffineTransform Shape::rotationTransformInRect(std::int64_t degrees, const pf::Rect& rect)
{
    return rotationAbout(pf::Point(rect.midX(), rect.midY()), degrees);
}

void Shape::rotateInContext(pf::GraphicsContext& context, bool reverse) const
{
    if (rotationAngle_ == 0)
        return;
    const pf::Point c = center();
    const double radians = static_cast<double>(rotationAngle_) * pi / 180.0;
    context.translate(c.x, c.y);
    context.rotate(reverse ? -radians : radians);
    context.translate(-c.x, -c.y);
}

pf::Point Shape::center() const
{
    return pf::Point(frame_.midX(), frame_.midY());
}

double Shape::diagonal() const
{
    return QVDiagonalFromRect(frame_);
}

bool Shape::isLandscape() const
{
    return std::fabs(frame_.width()) >= std::fabs(frame_.height());
}

pf::Point Shape::adjustPoint() const
{
    return QVMaxFloatPoint;
}

double Shape::currentScale() const
{
    const double scale = composition_ ? composition_->zoomScale() : 0.0;
    return scale == 0.0 ? 1.0 : scale;
}

double Shape::handleSide() const
{
    return 10.0 / currentScale();
}

pf::Rect Shape::rectForCorner(QVRectCorner corner) const
{
    return square(QVRectGetCornerPoint(corner, frameRectForCorners()), handleSide());
}

pf::Rect Shape::frameRectForCorners() const
{
    return frame_;
}

void Shape::jiggleFrameHandle()
{
    const pf::Rect former = frame_;
    frame_ = pf::Rect::zero();
    setFrame(former);
}

void Shape::jiggleFrameWithoutUndo()
{
    const bool disabled = disableUndo();
    jiggleFrameHandle();
    reenableUndoIf(disabled);
}

void Shape::setRotationHandleRadius(double radius)
{
    const double rounded = std::round(radius);
    if (rounded == rotationHandleRadius_)
        return;
    // On screen: the handle stands at the radius from the centre of the frame as shown, so the
    // centre is taken from the scaled frame like the side handles.
    const double s = currentScale();
    const pf::Rect f(frame_.x() * s, frame_.y() * s, frame_.width() * s, frame_.height() * s);
    const pf::Rect handle = square(pf::Point(f.midX() + rounded, f.midY()), 10.0);
    if (handle.intersects(square(QVRectGetMidRitPoint(f), 10.0)) || handle.intersects(square(QVRectGetMidLefPoint(f), 10.0)))
        return;
    rotationHandleRadius_ = rounded;
}

// ---- derived rects ----

pf::Rect Shape::strokedRectForRect(const pf::Rect& rect) const
{
    if (strokeType_ == 3 || strokeLineWidth_ < 0.5)
        return rect;
    return QVRectOutset(rect, strokeLineWidth_ / 2, strokeLineWidth_ / 2);
}

pf::Rect Shape::selectionRect() const
{
    const double half = handleSide() * 0.5;
    return QVRectOutset(strokedRect(), half, half);
}

pf::Rect Shape::boundingRect() const
{
    if (rotationAngle_ == 0) {
        if (!pathBounds_)
            pathBounds_ = path_.isEmpty() ? pf::Rect::zero() : path_.bounds();
        return *pathBounds_;
    }
    return boundingRectForFrame(frame_);
}

pf::Rect Shape::boundingRectForFrame(const pf::Rect& rect) const
{
    if (rotationAngle_ == 0)
        return rect.standardized();
    return rotationTransform(rotationAngle_).apply(rect);
}

pf::Rect Shape::proximityRect() const
{
    const double tolerance = UserDefaults::instance().snapTolerance();
    return QVRectOutset(snapRect(), tolerance, tolerance);
}

pf::Rect Shape::renderRect() const
{
    if (hasContentFilters())
        return offscreenImageRect();
    pf::Rect r = strokedRect();
    const auto addShadow = [this, &r](double dx, double dy, double blur) {
        r = r.united(QVRectOutset(frame_.offsetBy(dx, dy), blur, blur));
        r = pf::Rect(QVPointFloor(r.origin), QVSizeRound(pf::Size(r.width() + 0.5, r.height() + 0.5)));
    };
    if (!fillShadowHidden_)
        addShadow(fillShadowOffsetX_, fillShadowOffsetY_, fillShadowBlur_);
    if (!strokeShadowHidden_)
        addShadow(strokeShadowOffsetX_, strokeShadowOffsetY_, strokeShadowBlur_);
    return r;
}

pf::Rect Shape::calcDirtyRect() const
{
    if (!composition_ && !isPointer())
        return pf::Rect::zero();
    if (hasContentFilters())
        return filteredDirtyRect();
    // Hidden shadows count too: showing one again must redraw its area.
    const auto shadowReach = [](double blur, double dx, double dy) {
        return std::fabs(blur) + std::max(std::fabs(dx), std::fabs(dy));
    };
    double m = std::max({10.0 / currentScale(), strokeLineWidth_,
                         shadowReach(strokeShadowBlur_, strokeShadowOffsetX_, strokeShadowOffsetY_),
                         shadowReach(fillShadowBlur_, fillShadowOffsetX_, fillShadowOffsetY_)})
               + 4.0 + 10.0;
    if (strokeLineJoin_ == 0)
        m += 3.0 * strokeLineWidth_;
    pf::Rect r = QVRectOutset(QVCombineRects(frame_, boundingRect()), m, m);
    if (hasText()) {
        pf::Rect t = horizontalTextRectForText(*attributedText());
        // No band (hidden text) adds nothing, rather than a rect about the origin.
        if (!QVRectIsZero(t)) {
            if (!textShadowHidden_) {
                const double g = std::max(std::fabs(textShadowOffsetX_), std::fabs(textShadowOffsetY_)) + textShadowBlur_ + 2.0;
                t = QVRectOutset(t, g, g);
            }
            r = r.united(t);
        }
    }
    return r;
}

pf::Rect Shape::filteredDirtyRect() const
{
    // The picture is laid out upright and drawn turned with the shape, under one shadow (hidden ones count,
    // so that showing one redraws its area).
    pf::Rect r = offscreenImageRect();
    const bool turned = rotationAngle_ != 0;
    const pf::AffineTransform turn = rotationTransform(rotationAngle_);
    if (turned) {
        const pf::Size square = r.size;
        r = QVCombineRects(r, turn.apply(QVRectAroundPoint(QVRectGetMidMidPoint(contentRect()), square.width, square.height)));
    }
    // A blur spreads about one and a half times its radius.
    const auto spread = [](double blur, double dx, double dy) { return 1.5 * std::fabs(blur) + std::fabs(dx) + std::fabs(dy); };
    const double g = std::max(spread(fillShadowBlur_, fillShadowOffsetX_, fillShadowOffsetY_),
                              spread(strokeShadowBlur_, strokeShadowOffsetX_, strokeShadowOffsetY_))
                   + 2.0;
    r = QVRectOutset(r, g, g);
    if (hasText()) {
        pf::Rect t = horizontalTextRectForText(*attributedText());
        if (!QVRectIsZero(t)) {
            const double tg = 1.5 * std::fabs(textShadowBlur_) + std::fabs(textShadowOffsetX_) + std::fabs(textShadowOffsetY_) + 2.0;
            t = QVRectOutset(t, tg, tg);
            r = QVCombineRects(r, turned ? turn.apply(t) : t);
        }
    }
    return r;
}

const pf::Rect& Shape::dirtyRect() const
{
    const double scale = currentScale();
    if (dirtyRectDirty_ || scale != dirtyRectScale_) {
        dirtyRect_ = calcDirtyRect();
        dirtyRectDirty_ = false;
        dirtyRectScale_ = scale;
    }
    return dirtyRect_;
}

// ---- hit tests ----

bool Shape::containsPoint(const pf::Point& point) const
{
    if (hidden_ || !QVRectIsValidNotZeroSize(frame_))
        return false;
    return path_.containsPoint(point);
}

bool Shape::intersectsRect(const pf::Rect& rect) const
{
    return !hidden_ && boundingRect().intersects(rect);
}
