#include "shapes/Line.h"

#include "geometry/QVRect.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/graphics/GraphicsContext.h"
#include "shapes/OutlineSupport.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numbers>

namespace {

constexpr double degree = std::numbers::pi / 180.0;

// Turn by degrees, then move to the point: a head frame or block-arrow frame placed on the page.
pf::AffineTransform placedAt(const pf::Point& p, double degrees)
{
    return pf::AffineTransform::rotation(degrees * degree).concat(pf::AffineTransform::translation(p.x, p.y));
}

pf::AffineTransform rotationAbout(const pf::Point& c, double degrees)
{
    return pf::AffineTransform::translation(-c.x, -c.y)
        .concat(pf::AffineTransform::rotation(degrees * degree))
        .concat(pf::AffineTransform::translation(c.x, c.y));
}

const QStringList& lineFacets()
{
    static const QStringList facets{QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"),
                                    QStringLiteral("GeometryNoConstrainNoRotationFacet"), QStringLiteral("StrokeFacet"),
                                    QStringLiteral("ArrowFacet"), QStringLiteral("LineTextFacet")};
    return facets;
}

const QStringList& pointerFacets()
{
    static const QStringList facets{QStringLiteral("OpacityFacet"),
                                    QStringLiteral("FilterFacet"),
                                    QStringLiteral("GeometryNoConstrainNoRotationFacet"),
                                    QStringLiteral("FillFacet"),
                                    QStringLiteral("StrokeFacet"),
                                    QStringLiteral("LineTextFacet"),
                                    QStringLiteral("ImageFacet")};
    return facets;
}

class LineClass : public AbstractPointerClass {
public:
    using AbstractPointerClass::AbstractPointerClass;
    QString title() const override { return pf::localized(QStringLiteral("Line (L)")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Line")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("A Line")); }
    QString iconImageName() const override { return {}; }
    QString extraSearchString() const override
    {
        return QStringLiteral("lines paths pointers segments uml state activity");
    }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    const QStringList& facetClassNames() const override { return lineFacets(); }
    QString manipulatorClassName() const override { return QStringLiteral("LineManipulator"); }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return Line::libraryLine(*this, frame);
    }
};

class PointerClass : public LineClass {
public:
    using LineClass::LineClass;
    QString title() const override { return pf::localized(QStringLiteral("Arrow (A)")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Arrow")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("An Arrow")); }
    QString extraSearchString() const override
    {
        return QStringLiteral("lines paths pointers arrows indicators markup");
    }
    const QStringList& facetClassNames() const override { return pointerFacets(); }
    QString stickyPhylumName() const override { return QStringLiteral("Shape"); }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return Pointer::libraryPointer(frame);
    }
};

} // namespace

void registerConnectorShapes(pf::ClassRegistry& registry)
{
    registry.add(Line::staticClass());
    registry.add(Pointer::staticClass());
}

// ---- Line ----

const AbstractPointerClass& Line::staticClass()
{
    static const LineClass c(QStringLiteral("Line"), &AbstractPointer::staticClass(), &Shape::allocate<Line>);
    return c;
}

std::shared_ptr<Shape> Line::libraryLine(const ShapeClass& kind, const pf::Rect& frame)
{
    const auto line = std::static_pointer_cast<AbstractPointer>(kind.newShape(frame));
    line->setLibraryStrokeStyle();
    line->setAdjustmentRatioX(0.5);
    line->setFrame(frame);
    return line;
}

pf::Point Line::pointA() const { return QVRectGetCornerPoint(cornerA(), frame()); }

pf::Point Line::pointB() const { return QVRectGetCornerPoint(cornerB(), frame()); }

double Line::outwardAngle(const pf::Point& a, const pf::Point& b)
{
    return std::atan2(b.y - a.y, b.x - a.x) / degree + 180.0;
}

const Line::KeptAngles* Line::keptAngles() const
{
    if (!connections().empty())
        return nullptr;
    // Compared bit for bit: a zero's sign can turn atan2's answer by a whole turn.
    const auto bits = [](const pf::Rect& r) {
        return std::array{std::bit_cast<std::uint64_t>(r.origin.x), std::bit_cast<std::uint64_t>(r.origin.y),
                          std::bit_cast<std::uint64_t>(r.size.width), std::bit_cast<std::uint64_t>(r.size.height)};
    };
    if (!keptAngles_ || bits(keptAngles_->frame) != bits(frame()))
        keptAngles_ = KeptAngles{frame(), outwardAngle(arrowPointA(), pointB()), outwardAngle(arrowPointB(), pointA())};
    return &*keptAngles_;
}

double Line::currentAngleForArrowA() const
{
    const KeptAngles* kept = keptAngles();
    return kept ? kept->a : outwardAngle(arrowPointA(), pointB());
}

double Line::currentAngleForArrowB() const
{
    const KeptAngles* kept = keptAngles();
    return kept ? kept->b : outwardAngle(arrowPointB(), pointA());
}

double Line::currentShiftedAngle() const { return QVShiftConstrainedAngleForAngle(currentAngleForArrowA()); }

void Line::appendPath(pf::Path& path) const
{
    path.moveTo(pointA());
    path.lineTo(pointB());
}

void Line::setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner)
{
    setFrame(QVRectSetCorner(point, corner, frame()));
}

// ---- drawing ----

void Line::drawFillInContext(pf::GraphicsContext& context)
{
    if (wantsFill())
        Shape::drawFillInContext(context);
}

void Line::drawStrokeInContext(pf::GraphicsContext& context)
{
    context.saveGState();
    const double offset = isStrokeEven() ? 0.5 : 0.0;
    // A clip costs a mask and a layer at every paint: the segment is shortened at the heads instead
    // where that paints the same. A shadow is clipped too, not shortened: such strokes keep the clip (their
    // pixels are kept in the canvas's pictures anyway); so do thumbnails, whose widths differ.
    std::optional<pf::Path> shortened;
    const ShapePage* page = composition();
    const std::optional<LineDash>& dash = strokeLineDash();
    // Dashes are laid from the start by the rasterizer in steps that depend on what it is given: they stay.
    const bool dashed = (dash && dash->count() > 0) || !context.gstate().line.dashPattern.empty();
    if (!context.gstate().shadow && !(page && page->isDrawingThumbnail()) && !dashed) {
        const double width = std::round(std::fabs(strokeLineWidth()));
        // The stroke is moved as drawStrokeInContextColorPathLineWidth moves it.
        const double shift = isStrokeShiftedHalfPoint() ? 0.5 : 0.0;
        // A stroke no wider than a pixel is stepped along its length, each pixel's shade following from its
        // ends: moved ends would shade the whole line anew.
        const bool hairline = width * currentScale() <= 1.0;
        shortened = segmentCutAtHeads(path(), offset, shift, width,
                                      static_cast<pf::LineCap>(std::clamp(strokeLineCap(), 0, 2)), hairline);
    }
    if (!shortened)
        clipOutArrowHeads(context, offset);
    if (isEditingText() || attributedText())
        outline::clipOut(context, textClipPath());
    drawStrokeAlongPathInContext(context, shortened ? *shortened : path());
    context.restoreGState();
}

void Line::drawArrowsInContext(pf::GraphicsContext& context)
{
    drawArrowHeads(context, isStrokeEven() ? 0.5 : 0.0);
}

void Line::drawTextInContext(pf::GraphicsContext& context)
{
    if (textDrawOnPath() && !isEditingText()) {
        const pf::Point c = center();
        context.translate(c.x, c.y);
        context.rotate(currentAngleForArrowB() * degree);
        context.translate(-c.x, -c.y);
    }
    AbstractPointer::drawTextInContext(context);
}

pf::Rect Line::calcDirtyRect() const
{
    const double g = strokeLineWidth() + 2;
    pf::Rect r = QVRectOutset(AbstractPointer::calcDirtyRect(), g, g);
    if (attributedText())
        r = QVCombineRects(r, textClipPath().bounds());
    return r;
}

// ---- hit testing ----

bool Line::containsPoint(const pf::Point& point) const
{
    if (isHidden())
        return false;
    if (intersectionPath().containsPoint(point)) {
        // Inside a shape an end is attached to at its centre, only the label hits.
        const auto inside = [&](QVRectCorner corner) {
            const auto shape = shapeAttachedAtCentre(corner);
            return shape && shape->path().containsPoint(point);
        };
        if (!inside(cornerA()) && !inside(cornerB()))
            return true;
    }
    return attributedText() && textClipPath().bounds().contains(point);
}

const pf::Path& Line::intersectionPath() const
{
    if (const std::optional<pf::Path>& cached = cachedIntersectionPath())
        return *cached;
    const double g = std::sqrt(strokeLineWidth());
    const pf::Rect a = QVRectOutset(rectForCorner(cornerA()), g, g);
    const pf::Rect b = QVRectOutset(rectForCorner(cornerB()), g, g);
    const bool falling = (b.x() < a.x() && b.y() > a.y()) || (b.x() >= a.x() && b.y() < a.y());
    pf::Path band;
    if (falling) {
        band.moveTo(QVRectGetBotRitPoint(a));
        band.lineTo(QVRectGetTopLefPoint(a));
        band.lineTo(QVRectGetTopLefPoint(b));
        band.lineTo(QVRectGetBotRitPoint(b));
    } else {
        band.moveTo(QVRectGetBotLefPoint(a));
        band.lineTo(QVRectGetTopRitPoint(a));
        band.lineTo(QVRectGetTopRitPoint(b));
        band.lineTo(QVRectGetBotLefPoint(b));
    }
    band.close();
    setIntersectionPath(std::move(band));
    return *cachedIntersectionPath();
}

// ---- label ----

pf::Rect Line::textRect() const
{
    pf::Rect r = frame();
    if (wantsFill())
        r = r.insetBy(strokeLineWidth() + 10, 0);
    double a = currentAngleForArrowA();
    if (textDrawOnPath()) {
        const pf::Rect n = QVRectNotZeroSize(r);
        if ((a >= 0 && a <= 90) || (a >= 180 && a <= 270))
            a = -a;
        return QVRectApplyRotation(QVMakeRotation(static_cast<int>(a), n), n);
    }
    if ((a >= 80 && a <= 100) || (a >= 260 && a <= 280)) {
        // A nearly vertical line: a standing label about the centre.
        const double d = QVDiagonalFromRect(r);
        const pf::Point c = center();
        return QVRectNotZeroSize(pf::Rect(c.x - d / 4, c.y - d / 2, d / 2, d));
    }
    return QVRectNotZeroSize(r);
}

pf::Rect Line::horizontalTextRectForText(const pf::AttributedString& text) const
{
    const pf::Rect band = AbstractPointer::horizontalTextRectForText(text);
    if (band.isEmpty() || text.isEmpty())
        return band;
    const pf::Rect column = verticalTextRect();
    if (!(std::fabs(column.height()) < std::fabs(band.height())))
        return band;
    const pf::Size size = measuredLabelSize(text, column);
    const pf::Rect n = QVRectGetNormalizedRect(frame());
    double x = band.x();
    switch (textAlign()) {
    case 0:
        x = n.x();
        break;
    case 1:
        x = n.x() + n.width() - size.width;
        break;
    case 2:
    case 3:
        x = n.midX() - size.width / 2;
        break;
    default:
        break;
    }
    return pf::Rect(x, n.midY() - size.height / 2, size.width, size.height);
}

pf::Size Line::measuredLabelSize(const pf::AttributedString& text, const pf::Rect& column) const
{
    if (!measuredLabel_ || measuredLabel_->width != column.width() || !(measuredLabel_->text == text))
        measuredLabel_ = MeasuredLabel{text, column.width(), stringSizeForTextRect(text, column)};
    return measuredLabel_->size;
}

pf::Rect Line::labelBoundingRect() const
{
    // Hidden text has no band; its bounds would otherwise be a sliver at the page's origin.
    const pf::Rect r = textBoundingRect();
    return r.height() == 0 ? pf::Rect::zero() : r;
}

const pf::Path& Line::textClipPath() const
{
    textClip_ = pf::Path::rect(labelBoundingRect());
    if (textDrawOnPath() && !isEditingText())
        textClip_.transform(rotationAbout(center(), currentAngleForArrowB()));
    return textClip_;
}

// ---- Pointer ----

const AbstractPointerClass& Pointer::staticClass()
{
    static const PointerClass c(QStringLiteral("Pointer"), &Line::staticClass(), &Shape::allocate<Pointer>);
    return c;
}

std::shared_ptr<Shape> Pointer::libraryPointer(const pf::Rect& frame)
{
    auto pointer = Shape::make<Pointer>(staticClass().defaultFrameForPointZoomScale(pf::Point(0, 0), 1.0));
    const ShapeClass& k = pointer->shapeClass();
    pointer->setIcon(true);
    pointer->setFrame(frame);
    pointer->setFillType(0);
    pointer->setFillColor(k.libraryListItemShapeStrokeColor());
    pointer->setStrokeColor(k.libraryListItemShapeStrokeColor());
    pointer->setStrokeType(0);
    pointer->setStrokeLineWidth(0.0);
    pointer->setStrokeShadowHidden(true);
    pointer->setFillShadowHidden(true);
    pointer->setStrokeShadowBlur(3.0);
    pointer->setStrokeShadowOffsetX(2.0);
    pointer->setStrokeShadowOffsetY(2.0);
    pointer->setStrokeShadowColor(pf::Color(0, 0, 0, 0.25));
    return pointer;
}

void Pointer::setArrowTypeA(std::uint64_t type)
{
    (void)type;
    AbstractPointer::setArrowTypeA(0);
}

void Pointer::setArrowTypeB(std::uint64_t type)
{
    (void)type;
    AbstractPointer::setArrowTypeB(0);
}

pf::Path Pointer::newQuartzPath() const
{
    pf::Path p;
    p.moveTo(pointA());
    p.lineTo(pointB());
    p.close();
    return p;
}

void Pointer::appendBlockArrow(pf::Path& path, double length, const pf::Point& tail, double degrees) const
{
    // Shaft half-width, barb sweep, head length and head half-width.
    const double T = isIcon_ ? 2.5 : 5.5, b = isIcon_ ? 2.0 : 5.5, L = isIcon_ ? 10.0 : 22.0, K = isIcon_ ? 8.0 : 14.0;
    const double D = length;
    const double x1 = D - L, x2 = x1 - b, x0 = std::min(0.0, x1);
    const double s = std::min(0.1 * std::sqrt(D), T), c = 0.55 * D;
    // The shaft narrows from 2T at the head to 1 at the tail.
    pf::Path arrow;
    arrow.moveTo({D, 0});
    arrow.lineTo({x2, -K});
    arrow.lineTo({x1, -T});
    arrow.curveTo({c, -s}, {x0, -0.5}, {x0, -0.5});
    arrow.lineTo({x0, 0.5});
    arrow.curveTo({c, s}, {x1, T}, {x1, T});
    arrow.lineTo({x2, K});
    arrow.close();
    arrow.transform(placedAt(tail, degrees));
    path.append(arrow);
}

void Pointer::appendPath(pf::Path& path) const
{
    pf::Path arrow;
    appendBlockArrow(arrow, QVDiagonalFromRect(QVRectGetNormalizedRect(frame())), pointB(), currentAngleForArrowA());
    if (!connections().empty()) {
        // Only the part outside shapes attached at their centre shows; when nothing does, there is no
        // arrow (the bounds of nothing would place one at the page's origin).
        const pf::Path& visible = visibleQuartzPath();
        if (visible.isEmpty())
            return;
        pf::Rect box = visible.bounds().standardized();
        if (frame().width() < 0) {
            box.origin.x += box.size.width;
            box.size.width = -box.size.width;
        }
        if (frame().height() < 0) {
            box.origin.y += box.size.height;
            box.size.height = -box.size.height;
        }
        const pf::Point a = QVRectGetCornerPoint(cornerA(), box), tail = QVRectGetCornerPoint(cornerB(), box);
        arrow.clear();
        appendBlockArrow(arrow, QVDiagonalFromRect(box), tail, outwardAngle(a, tail));
    }
    if (!QVRectIsValid(arrow.bounds()))
        return;
    path.append(arrow);
}

const pf::Path& Pointer::intersectionPath() const
{
    if (const std::optional<pf::Path>& cached = cachedIntersectionPath())
        return *cached;
    double sum = 0;
    if (strokeLineWidth() >= 1 && strokeType() != 3) {
        sum = strokeLineWidth();
        if (stroke1Enabled()) {
            sum += stroke1LineWidth();
            if (stroke2Enabled())
                sum += stroke2LineWidth();
        }
    }
    const double m = std::max(sum / 2, 2.0);
    const double D = QVDiagonalFromRect(QVRectGetNormalizedRect(frame()));
    pf::Path hull;
    hull.moveTo({D + m, m});
    hull.lineTo({D - 22, 14 + m});
    hull.lineTo({-m, m});
    hull.lineTo({-m, -m});
    hull.lineTo({D - 22, -(14 + m)});
    hull.lineTo({D + m, -m});
    hull.close();
    hull.transform(placedAt(pointB(), currentAngleForArrowA()));
    setIntersectionPath(std::move(hull));
    return *cachedIntersectionPath();
}
