#include "shapes/BentLines.h"

#include "geometry/QVRect.h"
#include "platform/foundation/ClassRegistry.h"
#include "shapes/OutlineSupport.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

const QStringList& arcFacets()
{
    static const QStringList facets{QStringLiteral("OpacityFacet"),    QStringLiteral("FilterFacet"),
                                    QStringLiteral("ArcGeometryFacet"), QStringLiteral("StrokeFacet"),
                                    QStringLiteral("ArrowFacet"),       QStringLiteral("TextFacet")};
    return facets;
}

const QStringList& segmentedLineFacets()
{
    static const QStringList facets{QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"),
                                    QStringLiteral("SegmentedLineGeometryFacet"), QStringLiteral("CurveFacet"),
                                    QStringLiteral("StrokeFacet"), QStringLiteral("ArrowFacet"),
                                    QStringLiteral("TextFacet")};
    return facets;
}

class ArcClass : public AbstractPointerClass {
public:
    using AbstractPointerClass::AbstractPointerClass;
    QString title() const override { return pf::localized(QStringLiteral("Arc")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Arc")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("A curved line.")); }
    QString extraSearchString() const override
    {
        return QStringLiteral("paths segments connections arrows strokes curves curved lines pointers");
    }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    QString iconImageName() const override { return {}; }
    const QStringList& facetClassNames() const override { return arcFacets(); }
    QString manipulatorClassName() const override { return Line::staticClass().manipulatorClassName(); }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return Line::libraryLine(*this, frame);
    }
};

class SegmentedLineClass : public AbstractPointerClass {
public:
    using AbstractPointerClass::AbstractPointerClass;
    QString title() const override { return pf::localized(QStringLiteral("Segmented Line (G)")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Segmented Line")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("A segmented line.")); }
    QString extraSearchString() const override
    {
        return QStringLiteral(
            "paths segments connections arrows strokes curves curved lines pointers uml state activity");
    }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    QString iconImageName() const override { return {}; }
    const QStringList& facetClassNames() const override { return segmentedLineFacets(); }
    QString manipulatorClassName() const override { return QStringLiteral("SegmentedLineManipulator"); }
    pf::Value plist() const override
    {
        return outline::plistWithStickyRatios(*this, AbstractPointerClass::plist(), outline::RatioX);
    }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return Line::libraryLine(*this, frame);
    }
    // Option handle 13 asks for the other orientation.
    std::shared_ptr<Shape> pointerFromConnectionOptionsWithFrame(const pf::Rect& frame, int optionHandle,
                                                                 int* resizeHandle) const override
    {
        auto shape = AbstractPointerClass::pointerFromConnectionOptionsWithFrame(frame, optionHandle, resizeHandle);
        if (optionHandle == 13)
            if (auto* line = dynamic_cast<SegmentedLine*>(shape.get()))
                line->setFlipped(!line->flipped());
        return shape;
    }
};

pf::Point corner(QVRectCorner c, const pf::Rect& r) { return QVRectGetCornerPoint(c, r); }

bool within(double v, double lo, double hi) { return v >= lo && v <= hi; }

// A cubic whose controls are its own ends: a straight piece among curved ones.
void straightTo(pf::Path& path, const pf::Point& end) { path.curveTo(path.currentPoint(), end, end); }

// A bend with both controls at the corner it rounds.
void bendTo(pf::Path& path, const pf::Point& end, const pf::Point& control) { path.curveTo(control, control, end); }

double signOf(double v) { return v > 0 ? 1.0 : -1.0; }

pf::Point swapped(const pf::Point& p) { return {p.y, p.x}; }

} // namespace

void registerBentLineShapes(pf::ClassRegistry& registry)
{
    registry.add(Arc::staticClass());
    registry.add(SegmentedLine::staticClass());
}

void FrameHitWhenLabelled::setAttributedText(const pf::AttributedString* text)
{
    Line::setAttributedText(text);
    setIntersectionPath(std::nullopt);
}

// ---- Arc ----

const AbstractPointerClass& Arc::staticClass()
{
    static const ArcClass c(QStringLiteral("Arc"), &Line::staticClass(), &Shape::allocate<Arc>);
    return c;
}

pf::Point Arc::controlPoint1() const
{
    return corner(flipped() ? QVRectCornerTopMid : QVRectCornerMidLef, frame());
}

pf::Point Arc::controlPoint2() const
{
    return corner(flipped() ? QVRectCornerMidRit : QVRectCornerBotMid, frame());
}

void Arc::appendPath(pf::Path& path) const
{
    path.moveTo(pointA());
    path.curveTo(controlPoint1(), controlPoint2(), pointB());
}

namespace {

// The chord's direction decides when the tangent at an end is turned by a quarter.
struct Chord {
    bool nearHorizontal, nearVertical, wn, hn;
    double sigma;
};

Chord chordOf(const pf::Point& a, const pf::Point& b, const pf::Rect& frame)
{
    const double t = std::atan2(b.y - a.y, b.x - a.x) * 180.0 / std::numbers::pi + 180.0;
    Chord c{};
    c.nearHorizontal = within(t, 355, 360) || within(t, 0, 5) || within(t, 175, 185);
    c.nearVertical = within(t, 265, 275) || within(t, 85, 95);
    c.wn = frame.width() < 0;
    c.hn = frame.height() < 0;
    c.sigma = c.hn ? -1.0 : 1.0;
    return c;
}

} // namespace

double Arc::currentAngleForArrowA() const
{
    const Chord c = chordOf(pointA(), pointB(), frame());
    if (!flipped()) {
        const double base = c.hn ? 90 : 270;
        if (!c.nearHorizontal)
            return base;
        return c.wn ? base + 90 * c.sigma : base - 90 * c.sigma;
    }
    const double base = c.wn ? 0 : 180;
    if (!c.nearVertical)
        return base;
    return c.wn ? base - 90 * c.sigma : base + 90 * c.sigma;
}

double Arc::currentAngleForArrowB() const
{
    const Chord c = chordOf(pointA(), pointB(), frame());
    if (!flipped()) {
        const double base = c.wn ? 180 : 0;
        if (!c.nearVertical)
            return base;
        return c.wn ? base - 90 * c.sigma : base + 90 * c.sigma;
    }
    const double base = c.hn ? 270 : 90;
    if (!c.nearHorizontal)
        return base;
    return c.wn ? base + 90 * c.sigma : base - 90 * c.sigma;
}

const pf::Path& Arc::intersectionPath() const
{
    if (const std::optional<pf::Path>& cached = cachedIntersectionPath())
        return *cached;
    if (attributedText() && attributedText()->length() > 0) {
        setIntersectionPath(pf::Path::rect(frame()));
        return *cachedIntersectionPath();
    }
    const pf::Rect a = rectForCorner(cornerA()), b = rectForCorner(cornerB());
    // The corner the curve bends towards.
    const pf::Point f = corner(flipped() ? QVRectCornerTopRit : QVRectCornerBotLef, frame());
    const auto tl = [](const pf::Rect& r) { return corner(QVRectCornerTopLef, r); };
    const auto tr = [](const pf::Rect& r) { return corner(QVRectCornerTopRit, r); };
    const auto bl = [](const pf::Rect& r) { return corner(QVRectCornerBotLef, r); };
    const auto br = [](const pf::Rect& r) { return corner(QVRectCornerBotRit, r); };
    const bool right = b.x() >= a.x();
    const bool below = right && b.y() >= a.y();
    const bool above = !right && b.y() <= a.y();
    pf::Path hull;
    if (flipped()) {
        if (right && below)
            outline::appendPolygon(hull, {tr(a), bl(a), bl(b), tr(b), f});
        else if (right)
            outline::appendPolygon(hull, {tl(a), br(a), f, br(b), tl(b)});
        else if (above)
            outline::appendPolygon(hull, {tr(a), bl(a), f, bl(b), tr(b)});
        else
            outline::appendPolygon(hull, {tl(a), br(a), br(b), tl(b), f});
    } else {
        if (right && below)
            outline::appendPolygon(hull, {bl(a), tr(a), tr(b), bl(b), f});
        else if (right)
            outline::appendPolygon(hull, {br(a), tl(a), f, tl(b), br(b)});
        else if (above)
            outline::appendPolygon(hull, {bl(a), tr(a), f, tr(b), bl(b)});
        else
            outline::appendPolygon(hull, {br(a), tl(a), tl(b), br(b), f});
    }
    setIntersectionPath(std::move(hull));
    return *cachedIntersectionPath();
}

// ---- SegmentedLine ----

const AbstractPointerClass& SegmentedLine::staticClass()
{
    static const SegmentedLineClass c(QStringLiteral("SegmentedLine"), &Line::staticClass(),
                                      &Shape::allocate<SegmentedLine>);
    return c;
}

void SegmentedLine::initWithFrame(const pf::Rect& frame)
{
    Line::initWithFrame(frame);
    setAdjustmentRatioX(0.5);
    setFlipped(true);
}

SegmentedLine::Route SegmentedLine::route() const
{
    // Worked out for the flipped orientation (horizontal stubs); the other one is the same with the
    // axes exchanged.
    const bool f = flipped();
    const pf::Rect fr = frame();
    const double x = f ? fr.x() : fr.y(), y = f ? fr.y() : fr.x();
    const double w = f ? fr.width() : fr.height(), h = f ? fr.height() : fr.width();
    const double X = adjustmentRatioX(), Y = adjustmentRatioY(), c = curveRatio();
    const auto out = [f](double px, double py) { return QVPointRound(f ? pf::Point(px, py) : pf::Point(py, px)); };
    const auto in = [f](const pf::Point& p) { return f ? p : swapped(p); };

    Route r;
    r.ext1 = out(x - Y * w, y);
    r.mid1 = out(x - Y * w, y + X * h);
    r.mid2 = out(x + w + Y * w, y + X * h);
    r.ext2 = out(x + w + Y * w, y + h);
    const pf::Point e1 = in(r.ext1), m1 = in(r.mid1), m2 = in(r.mid2), e2 = in(r.ext2);
    const double sw = signOf(w);
    // Each bend is cut back by half the curve ratio times the long run next to it; a stub's cut stops at
    // the end point, a middle run's at half the frame.
    const double d1 = c / 2 * (m1.y - y), d2 = c / 2 * (y + h - m2.y);
    const double r1 = sw * std::fabs(d1), r2 = sw * std::fabs(d2);
    r.ext1A = std::fabs(r1) < std::fabs(x - e1.x) ? out(e1.x + r1, e1.y) : out(x, e1.y);
    r.ext1B = out(e1.x, e1.y + d1);
    r.mid1A = out(m1.x, m1.y - d1);
    r.mid1B = out(m1.x + sw * std::min(std::fabs(d1), std::fabs(w / 2)), m1.y);
    r.mid2A = out(m2.x - sw * std::min(std::fabs(d2), std::fabs(w / 2)), m2.y);
    r.mid2B = out(m2.x, m2.y + d2);
    r.ext2A = out(e2.x, e2.y - d2);
    r.ext2B = std::fabs(r2) < std::fabs(e2.x - (x + w)) ? out(e2.x - r2, e2.y) : out(x + w, e2.y);
    return r;
}

void SegmentedLine::appendPath(pf::Path& path) const
{
    const Route r = route();
    path.moveTo(pointA());
    straightTo(path, r.ext1A);
    bendTo(path, r.ext1B, r.ext1);
    straightTo(path, r.mid1A);
    bendTo(path, r.mid1B, r.mid1);
    straightTo(path, r.mid2A);
    bendTo(path, r.mid2B, r.mid2);
    straightTo(path, r.ext2A);
    bendTo(path, r.ext2B, r.ext2);
    straightTo(path, pointB());
}

pf::Rect SegmentedLine::contentRect() const
{
    const Route r = route();
    const pf::Size a = arrowHeadSizeForType(arrowTypeA()), b = arrowHeadSizeForType(arrowTypeB());
    const pf::Rect all = QVCombineRects(QVRectGetNormalizedRect(frame()), QVRectFromPoints(r.mid1, r.mid2));
    return QVRectOutset(all, std::ceil(std::max(a.width, b.width) + 2), std::ceil(std::max(a.height, b.height) + 2));
}

double SegmentedLine::currentAngleForArrowA() const
{
    const bool wn = frame().width() < 0, hn = frame().height() < 0;
    const double k = (wn ? -1 : 1) * (hn ? -1 : 1);
    const double X = adjustmentRatioX(), Y = adjustmentRatioY();
    // With no stub, the head follows the run leaving the end, or the middle run when that run has no length.
    if (flipped()) {
        if (Y > 0)
            return wn ? 180 : 0;
        return (hn ? 90 : 270) + (X < 0.01 ? k * -90 : 0);
    }
    if (Y > 0)
        return hn ? 270 : 90;
    return (wn ? 0 : 180) + (X < 0.01 ? k * 90 : 0);
}

double SegmentedLine::currentAngleForArrowB() const
{
    const bool wn = frame().width() < 0, hn = frame().height() < 0;
    const double k = (wn ? -1 : 1) * (hn ? -1 : 1);
    const double X = adjustmentRatioX(), Y = adjustmentRatioY();
    if (flipped()) {
        if (Y > 0)
            return wn ? 0 : 180;
        return (hn ? 270 : 90) + (X > 0.99 ? k * -90 : 0);
    }
    if (Y > 0)
        return hn ? 90 : 270;
    return (wn ? 180 : 0) + (X > 0.99 ? k * 90 : 0);
}

const pf::Path& SegmentedLine::intersectionPath() const
{
    if (const std::optional<pf::Path>& cached = cachedIntersectionPath())
        return *cached;
    if (attributedText() && attributedText()->length() > 0) {
        setIntersectionPath(pf::Path::rect(frame()));
        return *cachedIntersectionPath();
    }
    const pf::Rect ra = rectForCorner(cornerA()), rb = rectForCorner(cornerB());
    const Route r = route();
    const bool f = flipped();
    const bool falling = (rb.x() >= ra.x() && rb.y() >= ra.y()) || (rb.x() < ra.x() && rb.y() <= ra.y());
    const QVRectCorner S = falling ? QVRectCornerTopLef : QVRectCornerTopRit;
    const QVRectCorner T = falling ? QVRectCornerBotRit : QVRectCornerBotLef;
    const QVRectCorner P = falling ? (f ? QVRectCornerTopRit : QVRectCornerBotLef) : (f ? QVRectCornerTopLef : QVRectCornerBotRit);
    const QVRectCorner Q = falling ? (f ? QVRectCornerBotLef : QVRectCornerTopRit) : (f ? QVRectCornerBotRit : QVRectCornerTopLef);
    // The corner of the 10-unit square around a route point.
    const auto at = [](QVRectCorner c, const pf::Point& p) { return corner(c, QVSquareAroundPoint(p, 10)); };

    pf::Path band;
    // Out along one side of the route…
    band.moveTo(corner(S, ra));
    band.lineTo(corner(T, ra));
    straightTo(band, at(T, r.ext1A));
    bendTo(band, at(T, r.ext1B), at(T, r.ext1));
    straightTo(band, at(P, r.mid1A));
    bendTo(band, at(P, r.mid1B), at(P, r.mid1));
    straightTo(band, at(P, r.mid2A));
    bendTo(band, at(T, r.mid2B), at(P, r.mid2));
    straightTo(band, at(T, r.ext2A));
    bendTo(band, at(T, r.ext2B), at(T, r.ext2));
    straightTo(band, corner(T, rb));
    // …and back along the other.
    band.lineTo(corner(S, rb));
    straightTo(band, at(S, r.ext2B));
    bendTo(band, at(S, r.ext2A), at(S, r.ext2));
    straightTo(band, at(Q, r.mid2B));
    bendTo(band, at(Q, r.mid2A), at(Q, r.mid2));
    straightTo(band, at(Q, r.mid1B));
    bendTo(band, at(S, r.mid1A), at(Q, r.mid1));
    straightTo(band, at(S, r.ext1B));
    bendTo(band, at(S, r.ext1A), at(S, r.ext1));
    band.close();
    setIntersectionPath(std::move(band));
    return *cachedIntersectionPath();
}

pf::Point SegmentedLine::labelPointA() const
{
    const pf::Point a = arrowPointA();
    const auto turn = QVMakeRotation(static_cast<int>(currentAngleForArrowB()), QVSquareAroundPoint(a, 6));
    return QVPointRound(QVPointApplyRotation(a + pf::Point(6, 0), turn));
}

pf::Point SegmentedLine::labelPointB() const
{
    const pf::Point b = arrowPointB();
    const auto turn = QVMakeRotation(static_cast<int>(currentAngleForArrowA()), QVSquareAroundPoint(b, 6));
    return QVPointRound(QVPointApplyRotation(b + pf::Point(6, 0), turn));
}
