#include "shapes/Bezier.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/graphics/GraphicsContext.h"
#include "shapes/OutlineSupport.h"

#include <QLoggingCategory>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {

Q_LOGGING_CATEGORY(lcBezier, "quorvel.shapes.bezier")

constexpr double degree = std::numbers::pi / 180.0;

// q turned by whole degrees about c.
pf::Point turned(const pf::Point& q, const pf::Point& c, int degrees)
{
    return QVMakeRotation(degrees, QVSquareAroundPoint(c, 2.0)).apply(q);
}

pf::AffineTransform rotationAboutPoint(const pf::Point& c, std::int64_t degrees)
{
    return Shape::rotationTransformInRect(degrees, QVSquareAroundPoint(c, 2.0));
}

const QStringList& bezierFacets()
{
    static const QStringList facets{QStringLiteral("OpacityFacet"),  QStringLiteral("FilterFacet"),
                                    QStringLiteral("GeometryNoConstrainFacet"), QStringLiteral("FillFacet"),
                                    QStringLiteral("StrokeFacet"),   QStringLiteral("ArrowFacet"),
                                    QStringLiteral("TextFacet"),     QStringLiteral("ImageFacet")};
    return facets;
}

pf::Image bezierIcon(const pf::Color& strokeColor)
{
    return pf::Image::drawn(pf::Size(32, 32), 2.0, [strokeColor](pf::GraphicsContext& context) {
        const auto p = [](double x, double y) { return pf::Point(x, y); };
        pf::Path outline;
        outline.moveTo(p(23.5, 30));
        outline.curveTo(p(20.5, 32), p(12.5, 32), p(9.5, 30));
        outline.curveTo(p(11.5, 26), p(7.5, 20), p(7.5, 20));
        outline.curveTo(p(7.5, 20), p(14.5, 14), p(16.5, 0));
        outline.curveTo(p(18.5, 14), p(25.5, 20), p(25.5, 20));
        outline.curveTo(p(25.5, 20), p(21.5, 26), p(23.5, 30));
        outline.close();
        context.setLineWidth(1);
        context.setLineCap(pf::LineCap::Square);
        context.setLineJoin(pf::LineJoin::Miter);
        context.drawLinearGradientInPath(pf::Gradient(QVHexColor(0xAAAAAA), QVHexColor(0xEFEFEF)), outline, -90);
        context.setStrokeColor(strokeColor);
        context.strokePath(outline);
        pf::Path nib;
        nib.moveTo(p(16.5, 0));
        nib.lineTo(p(16.5, 21));
        context.strokePath(nib);
        context.setFillColor(strokeColor);
        context.fillPath(pf::Path::oval(pf::Rect(14.5, 21, 4, 4)));
    });
}

class BezierClass : public AbstractPointerClass {
public:
    using AbstractPointerClass::AbstractPointerClass;
    QString title() const override { return pf::localized(QStringLiteral("Bezier Shape (P)")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Bezier Shape")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("A Bezier Shape")); }
    QString iconImageName() const override { return {}; }
    pf::Image iconImage() const override
    {
        static const pf::Image icon = bezierIcon(libraryListItemShapeStrokeColor());
        return icon;
    }
    QString extraSearchString() const override
    {
        return QStringLiteral("bezier bezierpaths nsbezierpath bezers beizers biezers beiziers bieziers lines "
                              "curves paths segments pens pentool vectortool vectors");
    }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    const QStringList& facetClassNames() const override { return bezierFacets(); }
    QString manipulatorClassName() const override { return QStringLiteral("BezierManipulator"); }
    QString stickyPhylumName() const override { return QStringLiteral("Bezier"); }
};

} // namespace

void registerBezierShapes(pf::ClassRegistry& registry)
{
    registry.add(Bezier::staticClass());
}

const AbstractPointerClass& Bezier::staticClass()
{
    static const BezierClass c(QStringLiteral("Bezier"), &AbstractPointer::staticClass(), &Shape::allocate<Bezier>);
    return c;
}

// ---- creation ----

void Bezier::initWithFrameGeneratePath(const pf::Rect& frame, bool generate)
{
    AbstractPointer::initWithFrame(frame);
    frameTranslationEnabled_ = true;
    const pf::Rect f = this->frame();
    const double x = f.x(), y = f.y(), w = f.width(), h = f.height();
    if (generate) {
        points_ = {pf::Point(x, y), pf::Point(x + w / 4, y + h / 2), pf::Point(x + 3 * w / 4, y + h / 2),
                   pf::Point(x + w, y + h)};
        independent_ = {false, false, false, false};
        invisible_ = {true, false, false, true};
    } else {
        generating_ = true;
        setBackupFillColor(fillColor());
        if (fillColor())
            setFillColor(pf::Color(fillColor()->red, fillColor()->green, fillColor()->blue, 0.5));
        points_ = {pf::Point(x, y)};
        independent_ = {false};
        invisible_ = {true};
    }
    pairs_.clear();
    AbstractPointer::regeneratePathWithOldFrame(this->frame());
}

// ---- model access ----

bool Bezier::isInvisibleAtModelIndex(int i) const
{
    return i >= 0 && std::size_t(i) < invisible_.size() && invisible_[std::size_t(i)];
}

void Bezier::setInvisibleAtModelIndex(bool invisible, int i)
{
    if (i >= 0 && std::size_t(i) < invisible_.size())
        invisible_[std::size_t(i)] = invisible;
}

void Bezier::setControlPointAtIndex(const pf::Point& p, int i, int slot)
{
    if (i < 0 || std::size_t(i) >= pairs_.size())
        return;
    pairs_[std::size_t(i)][std::size_t(slot)] = p;
}

int Bezier::userIndexForHandleIndex(int h) const
{
    const int k = h - 9 - modelPointCount();
    const int pair = k / 2;
    if (k % 2 == 1)
        return pair;
    return previousModelIndex(pair);
}

// ---- subpaths ----

std::vector<Bezier::Run> Bezier::runs() const
{
    const int n = modelPointCount();
    if (subpaths_.empty())
        return {Run{0, n, closed_}};
    std::vector<Run> out;
    out.reserve(subpaths_.size());
    for (std::size_t k = 0; k < subpaths_.size(); ++k) {
        const int end = k + 1 < subpaths_.size() ? subpaths_[k + 1].start : n;
        out.push_back(Run{subpaths_[k].start, end, subpaths_[k].closed});
    }
    return out;
}

Bezier::Run Bezier::runOf(int i) const
{
    const int n = modelPointCount();
    if (subpaths_.empty())
        return Run{0, n, closed_};
    const auto after = std::upper_bound(subpaths_.begin(), subpaths_.end(), i,
                                        [](int index, const BezierSubpath& s) { return index < s.start; });
    const auto k = after == subpaths_.begin() ? subpaths_.begin() : after - 1;
    return Run{k->start, after == subpaths_.end() ? n : after->start, k->closed};
}

void Bezier::setSubpaths(Subpaths subpaths)
{
    const int n = modelPointCount();
    // Runs must start at 0, rise strictly and each hold a point; anything else is one chain.
    bool fits = !subpaths.empty() && subpaths.front().start == 0;
    for (std::size_t k = 1; fits && k < subpaths.size(); ++k)
        fits = subpaths[k].start > subpaths[k - 1].start;
    fits = fits && subpaths.back().start < n;
    if (!fits || subpaths.size() < 2) {
        if (fits)
            closed_ = subpaths.front().closed;
        subpaths_.clear();
        return;
    }
    closed_ = std::all_of(subpaths.begin(), subpaths.end(), [](const BezierSubpath& s) { return s.closed; });
    subpaths_ = std::move(subpaths);
}

void Bezier::setClosed(bool closed)
{
    closed_ = closed;
    for (BezierSubpath& s : subpaths_)
        s.closed = closed;
}

int Bezier::nextModelIndex(int i) const
{
    const Run r = runOf(i);
    return i + 1 < r.end ? i + 1 : r.start;
}

int Bezier::previousModelIndex(int i) const
{
    const Run r = runOf(i);
    return i > r.start ? i - 1 : r.end - 1;
}

bool Bezier::hasSegmentEndingAt(int i) const
{
    const Run r = runOf(i);
    return i > r.start || r.closed;
}

int Bezier::modelIndexForElement(int e) const
{
    // Each run draws a move, a curve per point after its first (and one into its first when closed),
    // and a close when closed.
    int first = 0;
    for (const Run& r : runs()) {
        const int length = r.end - r.start;
        const int count = 1 + (r.closed ? length + 1 : length - 1);
        if (e < first + count) {
            const int j = e - first;
            if (j == 0)
                return r.start;
            const int m = r.closed ? r.start + j - 1 : r.start + j;
            return m < r.end ? m : -1;
        }
        first += count;
    }
    return -1;
}

pf::Point Bezier::controlPointForHandleIndex(int h) const
{
    const int k = h - 9 - modelPointCount();
    return pairs_[std::size_t(k / 2)][std::size_t(k % 2)];
}

pf::Point Bezier::pointForHandleIndex(int h) const
{
    if (h < 9)
        return cornerPointForHandleIndex(h);
    if (h <= lastModelPointHandleIndex())
        return modelPointForHandleIndex(h);
    return controlPointForHandleIndex(h);
}

int Bezier::activeHandleIndex() const
{
    return composition() ? static_cast<int>(composition()->activeHandle()) : -1;
}

bool Bezier::isModelPointAdjusting() const
{
    const int h = activeHandleIndex();
    return h >= 9 && h < modelPointCount() + 9;
}

// ---- outline ----

Bezier::Pairs Bezier::generatedPairs() const
{
    Pairs pairs;
    pairs.reserve(points_.size());
    for (const Run& run : runs()) {
    const std::size_t first = std::size_t(run.start), n = std::size_t(run.end);
    pf::Point carried;
    for (std::size_t i = first; i < n; ++i) {
        const pf::Point pt = points_[i];
        if (i == first) {
            pairs.push_back({pt, pt});
            carried = pt;
        } else if (i + 1 < n) {
            const pf::Point prev = points_[i - 1], next = points_[i + 1];
            // Never longer than 25, nor than half of either neighbouring chord.
            const double r = std::min({QVGetDiagonalBetween(prev, pt) / 2, QVGetDiagonalBetween(pt, next) / 2, 25.0});
            const double a = std::atan2(next.y - prev.y, next.x - prev.x) / degree;
            const pf::Point below(pt.x, pt.y + r);
            const pf::Point forward = turned(below, pt, static_cast<int>(a + 180 + 90));
            const pf::Point backward = turned(below, pt, static_cast<int>(a + 180 - 90));
            pairs.push_back({carried, backward});
            carried = forward;
        } else {
            pairs.push_back({carried, pt});
        }
    }
    }
    return pairs;
}

void Bezier::appendPath(pf::Path& path) const
{
    const std::size_t n = points_.size();
    if (n == 0)
        return;
    // Missing control points are generated once and kept as the model's own.
    if (pairs_.empty())
        pairs_ = generatedPairs();
    if (pairs_.size() != n)
        return;
    // Each subpath moves to its start: nothing joins it to the one before.
    for (const Run& run : runs()) {
        const std::size_t first = std::size_t(run.start), end = std::size_t(run.end);
        if (!run.closed) {
            path.moveTo(points_[first]);
            for (std::size_t i = first + 1; i < end; ++i)
                path.curveTo(pairs_[i][0], pairs_[i][1], points_[i]);
            continue;
        }
        path.moveTo(points_[end - 1]);
        for (std::size_t i = first; i < end; ++i)
            path.curveTo(pairs_[i][0], pairs_[i][1], points_[i]);
        path.close();
    }
}

// ---- frame and model ----

void Bezier::transformModel(const pf::AffineTransform& t)
{
    for (pf::Point& p : points_)
        p = t.apply(p);
    for (BezierControlPair& pair : pairs_)
        for (pf::Point& p : pair)
            p = t.apply(p);
}

void Bezier::regeneratePathWithOldFrame(const pf::Rect& oldFrame)
{
    if (frameTranslationEnabled_ || frameScalingEnabled_) {
        // Outside drags the drag-start frame is kept at the frame as it was before this change, so a
        // change from anywhere (undo included) maps from the right frame.
        const pf::Rect from = dragStart().frame;
        const pf::Rect to = frame();
        if (dragStartPoints_)
            points_ = *dragStartPoints_;
        if (dragStartPairs_)
            pairs_ = *dragStartPairs_;
        const bool turnedResize = isResizing() && rotationAngle() != 0;
        if (turnedResize)
            transformModel(rotationAboutPoint(pf::Point(from.midX(), from.midY()), -(rotationAngle() % 360)));
        pf::AffineTransform map;
        if (frameScalingEnabled_) {
            const double sx = std::fabs(from.width()) >= 1 ? to.width() / from.width() : 1.0;
            const double sy = std::fabs(from.height()) >= 1 ? to.height() / from.height() : 1.0;
            map = pf::AffineTransform::translation(-from.x(), -from.y())
                      .concat(pf::AffineTransform::scale(sx, sy))
                      .concat(pf::AffineTransform::translation(to.x(), to.y()));
        } else {
            map = pf::AffineTransform::translation(to.x() - from.x(), to.y() - from.y());
        }
        transformModel(map);
        if (turnedResize)
            transformModel(rotationAboutPoint(pf::Point(to.midX(), to.midY()), rotationAngle()));
    }
    if (!isDragging())
        dragStart().frame = frame();
    AbstractPointer::regeneratePathWithOldFrame(oldFrame);
}

void Bezier::rebuild()
{
    AbstractPointer::regeneratePathWithOldFrame(frame());
    updateContentImage();
    fitFrameToOutline();
}

void Bezier::fitFrameToOutline()
{
    if (path().isEmpty())
        return;
    pf::Rect r;
    if (rotationAngle() == 0) {
        r = path().bounds();
    } else {
        const pf::Rect b = path().bounds();
        const pf::Rect u = path().transformed(rotationTransformInRect(-(rotationAngle() % 360), b)).bounds();
        const pf::Point c = rotationTransformInRect(rotationAngle(), b).apply(pf::Point(u.midX(), u.midY()));
        r = QVRectSetAnchor(c, QVRectCornerMidMid, u);
    }
    // The model's own undo entry fits the frame again, so the fit registers nothing.
    const bool translating = frameTranslationEnabled_;
    frameTranslationEnabled_ = false;
    const bool disabled = disableUndo();
    setFrame(r);
    reenableUndoIf(disabled);
    frameTranslationEnabled_ = translating;
    setDirtyRectFlag();
    setNeedsDisplay();
}

void Bezier::setRotationAngle(std::int64_t degrees)
{
    const std::int64_t old = rotationAngle();
    if (degrees == old)
        return;
    const pf::Point pivot = center();
    Shape::setRotationAngle(degrees);
    if (rotationAngle() != degrees)
        return;
    const bool disabled = disableUndo();
    transformModel(rotationAboutPoint(pivot, degrees - old));
    reenableUndoIf(disabled);
    rebuild();
}

void Bezier::setCopyFrame(const pf::Rect& frame)
{
    const bool translating = frameTranslationEnabled_;
    frameTranslationEnabled_ = false;
    setFrame(frame);
    frameTranslationEnabled_ = translating;
}

void Bezier::setDisplayFrameWidth(double width)
{
    if (width == displayFrameWidth())
        return;
    dragStart().frame = frame();
    frameTranslationEnabled_ = false;
    frameScalingEnabled_ = true;
    AbstractPointer::setDisplayFrameWidth(width);
    frameScalingEnabled_ = false;
    frameTranslationEnabled_ = true;
}

void Bezier::setDisplayFrameHeight(double height)
{
    if (height == displayFrameHeight())
        return;
    dragStart().frame = frame();
    frameTranslationEnabled_ = false;
    frameScalingEnabled_ = true;
    AbstractPointer::setDisplayFrameHeight(height);
    frameScalingEnabled_ = false;
    frameTranslationEnabled_ = true;
}

void Bezier::sizeToFitImage(bool halve)
{
    frameTranslationEnabled_ = false;
    AbstractPointer::sizeToFitImage(halve);
    fitFrameToOutline();
    frameTranslationEnabled_ = true;
}

void Bezier::setEditingText(bool editing)
{
    frameTranslationEnabled_ = !editing;
    AbstractPointer::setEditingText(editing);
}

void Bezier::setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner)
{
    if (points_.empty())
        return;
    const bool translating = frameTranslationEnabled_;
    frameTranslationEnabled_ = false;
    setModelPointAtIndex(point, corner == cornerA() ? 0 : lastModelPointIndex());
    frameTranslationEnabled_ = translating;
}

// ---- ends ----

int Bezier::getEndPoints(pf::Point pts[4]) const
{
    const pf::Path& outline = path();
    const int count = outline.elementCount();
    for (int k = 0; k < 4; ++k)
        pts[k] = pf::Point();
    if (count == 0)
        return 0;
    const auto pointOf = [](const pf::PathElement& e) {
        switch (e.type) {
        case pf::PathElementType::MoveTo:
        case pf::PathElementType::LineTo:
        case pf::PathElementType::Close:
            return e.points[0];
        case pf::PathElementType::CurveTo:
            return e.points[2];
        default:
            return pf::Point();
        }
    };
    const pf::PathElement& first = outline.element(0);
    const pf::PathElement& second = outline.element(count > 1 ? 1 : 0);
    const pf::PathElement& beforeLast = outline.element(count > 1 ? count - 2 : 0);
    const pf::PathElement& last = outline.element(count - 1);
    pts[0] = pointOf(first);
    pts[1] = second.type == pf::PathElementType::CurveTo ? second.points[1] : pointOf(second);
    pts[2] = last.type == pf::PathElementType::CurveTo ? last.points[0] : pointOf(beforeLast);
    pts[3] = pointOf(last);
    if (isStrokeEven())
        for (int k = 0; k < 4; ++k)
            pts[k] = pts[k] + pf::Point(0.5, 0.5);
    return count;
}

pf::Point Bezier::pointA() const
{
    pf::Point pts[4];
    getEndPoints(pts);
    return pts[0];
}

pf::Point Bezier::pointB() const
{
    pf::Point pts[4];
    getEndPoints(pts);
    return pts[3];
}

double Bezier::currentAngleForArrowA() const
{
    const auto angle = [](const pf::Point& from, const pf::Point& to) {
        return std::atan2(to.y - from.y, to.x - from.x) / degree + 180.0;
    };
    if (points_.size() > 1 && pairs_.size() == points_.size() && !isInvisibleAtModelIndex(0)
        && subpathEndOf(0) > 1)
        return angle(points_[0], pairs_[1][0]);
    pf::Point pts[4];
    getEndPoints(pts);
    return angle(pts[0], pts[1]);
}

double Bezier::currentAngleForArrowB() const
{
    const auto angle = [](const pf::Point& from, const pf::Point& to) {
        return std::atan2(to.y - from.y, to.x - from.x) / degree + 180.0;
    };
    const int last = lastModelPointIndex();
    if (last >= 0 && pairs_.size() == points_.size() && !isInvisibleAtModelIndex(last) && hasSegmentEndingAt(last))
        return angle(points_[std::size_t(last)], pairs_[std::size_t(last)][1]);
    pf::Point pts[4];
    getEndPoints(pts);
    return angle(pts[3], pts[2]);
}

pf::Point Bezier::labelPointA() const
{
    if (points_.size() < 2)
        return points_.empty() ? pf::Point() : points_[0];
    const pf::Point a = points_[0], b = points_[1];
    const double d = QVGetDiagonalBetween(a, b);
    if (d == 0)
        return QVPointRound(a);
    return QVPointRound(a + (b - a) * (6.0 / d));
}

pf::Point Bezier::labelPointB() const
{
    if (points_.size() < 2)
        return points_.empty() ? pf::Point() : points_[0];
    const pf::Point a = points_[points_.size() - 1], b = points_[points_.size() - 2];
    const double d = QVGetDiagonalBetween(a, b);
    if (d == 0)
        return QVPointRound(a);
    return QVPointRound(a + (b - a) * (6.0 / d));
}

// ---- drawing ----

void Bezier::drawArrowsInContext(pf::GraphicsContext& context)
{
    if (isHidden() || strokeType() == 3 || !hasArrow() || closed_ || !strokeColor())
        return;
    context.saveGState();
    context.setColor(*strokeColor());
    // The end points already carry the half-point shift of even strokes.
    drawArrowHeadsInContext(context, 0);
    context.restoreGState();
}

void Bezier::drawStrokeInContext(pf::GraphicsContext& context)
{
    context.saveGState();
    // A closed path draws no heads, so nothing is kept clear for them.
    if (!closed_)
        clipOutArrowHeads(context, 0);
    if (isEditingText() || attributedText())
        outline::clipOut(context, textClipPath());
    AbstractPointer::drawStrokeInContext(context);
    context.restoreGState();
}

const pf::Path& Bezier::textClipPath() const
{
    textClip_ = textBoundingPath().value_or(pf::Path());
    return textClip_;
}

pf::Rect Bezier::calcDirtyRect() const
{
    pf::Rect r = boundingRect();
    if (!path().isEmpty())
        r = QVCombineRects(r, path().controlPointBounds());
    const auto shadowReach = [](double blur, double dx, double dy) {
        return std::fabs(blur) + std::max(std::fabs(dx), std::fabs(dy));
    };
    const double g = std::max({2 * strokeLineWidth() + 4, 10.0 / currentScale(),
                               shadowReach(strokeShadowBlur(), strokeShadowOffsetX(), strokeShadowOffsetY()),
                               shadowReach(fillShadowBlur(), fillShadowOffsetX(), fillShadowOffsetY())});
    r = QVRectOutset(r, g, g);
    if (generating_) {
        const double side = 2 * strokeLineWidth() + 4;
        r = QVCombineRects(r, QVSquareAroundPoint(phantomControlPoint(), side));
        r = QVCombineRects(r, QVSquareAroundPoint(initialPeerControlPoint(), side));
    }
    // A filtered curve paints its filtered picture, which reaches further.
    return hasContentFilters() ? QVCombineRects(r, filteredDirtyRect()) : r;
}

// ---- hit testing ----

const pf::Path& Bezier::intersectionPath() const
{
    if (const std::optional<pf::Path>& cached = cachedIntersectionPath())
        return *cached;
    const double width = strokeLineWidth() + 10.0 / currentScale();
    pf::Path band = path().strokedOutline(width, static_cast<pf::LineCap>(strokeLineCap()),
                                          static_cast<pf::LineJoin>(strokeLineJoin()), 0);
    setIntersectionPath(std::move(band));
    return *cachedIntersectionPath();
}

bool Bezier::containsPoint(const pf::Point& point) const
{
    if (isHidden())
        return false;
    if (fillType() != 5 && path().containsPoint(point))
        return true;
    if (!path().isEmpty() && intersectionPath().containsPoint(point))
        return true;
    if (attributedText() && textBoundingRect().contains(point))
        return true;
    const double side = 10.0 / currentScale();
    return std::any_of(points_.begin(), points_.end(),
                       [&](const pf::Point& p) { return QVSquareAroundPoint(p, side).contains(point); });
}

// ---- equality, copy, stored form ----

bool Bezier::isEqualToShape(const Shape& other) const
{
    const auto* b = dynamic_cast<const Bezier*>(&other);
    return other.isBezier() && b && AbstractPointer::isEqualToPointer(*b) && points_ == b->points_
        && closed_ == b->closed_ && subpaths_ == b->subpaths_;
}

void Bezier::copyFrom(const Shape& source)
{
    const auto& s = static_cast<const Bezier&>(source);
    // Before the frame is copied; the copy's frame must not move its model.
    points_ = s.points_;
    pairs_ = s.pairs_;
    independent_ = s.independent_;
    invisible_ = s.invisible_;
    closed_ = s.closed_;
    subpaths_ = s.subpaths_;
    frameTranslationEnabled_ = false;
    AbstractPointer::copyFrom(source);
    frameTranslationEnabled_ = true;
    AbstractPointer::regeneratePathWithOldFrame(frame());
}

namespace {

pf::Value pointArray(const Bezier::Points& points)
{
    pf::Value::Array a;
    a.reserve(points.size());
    for (const pf::Point& p : points)
        a.emplace_back(pf::toString(p));
    return pf::Value(std::move(a));
}

pf::Value flagArray(const Bezier::Flags& flags)
{
    pf::Value::Array a;
    a.reserve(flags.size());
    for (bool f : flags)
        a.emplace_back(f);
    return pf::Value(std::move(a));
}

// A point whose string does not read, or reads as something not finite, is the zero point.
pf::Point storedPoint(const pf::Value& v)
{
    const pf::Point p = pf::pointFromString(v.asString());
    return std::isfinite(p.x) && std::isfinite(p.y) ? p : pf::Point();
}

} // namespace

pf::Value Bezier::asPlist() const
{
    pf::Value plist = AbstractPointer::asPlist();
    plist.set(QStringLiteral("modelPoints"), pointArray(points_));
    pf::Value::Array pairs;
    pairs.reserve(pairs_.size());
    for (const BezierControlPair& pair : pairs_)
        pairs.emplace_back(pointArray({pair[0], pair[1]}));
    plist.set(QStringLiteral("modelControlPoints"), pf::Value(std::move(pairs)));
    plist.set(QStringLiteral("modelControlPointsIndependent"), flagArray(independent_));
    plist.set(QStringLiteral("modelControlPointsInvisible"), flagArray(invisible_));
    plist.set(QStringLiteral("closed"), closed_);
    // Only a model of several subpaths writes them; a reader without this key sees one chain.
    if (!subpaths_.empty()) {
        pf::Value::Array runs;
        runs.reserve(subpaths_.size());
        for (const BezierSubpath& s : subpaths_) {
            pf::Value run = pf::Value::dictionary();
            run.set(QStringLiteral("start"), static_cast<std::int64_t>(s.start));
            run.set(QStringLiteral("closed"), s.closed);
            runs.push_back(std::move(run));
        }
        plist.set(QStringLiteral("modelSubpaths"), pf::Value(std::move(runs)));
    }
    return plist;
}

void Bezier::readPlist(const pf::Value& plist)
{
    // The frame read by the base must not move the model read below, and the stored angle must not turn
    // (and refit the frame to) the points made for the frame: the stored model replaces them.
    frameTranslationEnabled_ = false;
    points_.clear();
    pairs_.clear();
    independent_.clear();
    invisible_.clear();
    subpaths_.clear();
    AbstractPointer::readPlist(plist);
    frameTranslationEnabled_ = true;
    Points points;
    for (const pf::Value& v : plist.arrayForKey("modelPoints"))
        points.push_back(storedPoint(v));
    Pairs pairs;
    bool pairsRead = true;
    for (const pf::Value& v : plist.arrayForKey("modelControlPoints")) {
        if (v.count() != 2) {
            pairsRead = false;
            break;
        }
        pairs.push_back({storedPoint(v.at(0)), storedPoint(v.at(1))});
    }
    // Pairs that do not match the points one for one cannot be drawn or edited: they are made afresh
    // from the points, as for a document that stores none.
    if (!pairsRead || pairs.size() != points.size()) {
        if (!pairs.empty() || !pairsRead)
            qCWarning(lcBezier, "Bezier: %d stored control pairs for %d points; generated afresh",
                      int(plist.arrayForKey("modelControlPoints").size()), int(points.size()));
        pairs.clear();
    }
    // Flags are padded (NO) or cut to the point count.
    const auto flags = [&](const char* key) {
        Flags f;
        for (const pf::Value& v : plist.arrayForKey(key))
            f.push_back(v.boolValue());
        f.resize(points.size(), false);
        return f;
    };
    independent_ = flags("modelControlPointsIndependent");
    invisible_ = flags("modelControlPointsInvisible");
    closed_ = plist.boolForKey("closed");
    points_ = std::move(points);
    pairs_ = std::move(pairs);
    Subpaths subpaths;
    for (const pf::Value& v : plist.arrayForKey("modelSubpaths"))
        subpaths.push_back(BezierSubpath{static_cast<int>(std::clamp<std::int64_t>(v.integerForKey("start"), -1, INT_MAX)),
                                         v.boolForKey("closed")});
    if (!subpaths.empty()) {
        setSubpaths(std::move(subpaths));
        if (subpaths_.empty())
            qCWarning(lcBezier, "Bezier: stored subpaths do not fit %d points; read as one chain", int(points_.size()));
    }
    // The frame follows the outline (made with generated pairs where none were stored), so what is
    // written back reads back the same.
    if (!points_.empty())
        rebuild();
    else
        AbstractPointer::regeneratePathWithOldFrame(frame());
}
