// The layers of a shape: order, fill, shadows, strokes and the selection halo.
#include "model/Shape.h"

#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// Fills of unstroked shapes move back by the half point the canvas adds at scales up to 1.
const pf::AffineTransform& fillShift()
{
    static const pf::AffineTransform shift = pf::AffineTransform::identity().translated(-0.5, -0.5);
    return shift;
}

// Even strokes move forward by half a point at scales up to 1, so that they cover whole pixels.
const pf::AffineTransform& evenStrokeShift()
{
    static const pf::AffineTransform shift = pf::AffineTransform::identity().translated(0.5, 0.5);
    return shift;
}

// A layer covers the whole clip, which is the whole device on an unclipped canvas: clip it first to the
// whole device pixels the fill and its shadow can reach (blurs reach well within 3 blur radii). Only for
// axis-aligned transforms, where such a clip is an exact rect.
void boundLayerToFillAndShadow(pf::GraphicsContext& context, const pf::Rect& fillBounds)
{
    const pf::AffineTransform& m = context.gstate().ctm;
    const std::optional<pf::Shadow>& shadow = context.gstate().shadow;
    if (m.b != 0 || m.c != 0 || !shadow)
        return;
    const double scale = context.baseScale();
    const double reach = 3 * shadow->blur * scale + 2;
    const pf::Rect fill = context.convertToDeviceSpace(fillBounds).standardized();
    const pf::Rect cast = fill.offsetBy(shadow->offset.width * scale, -shadow->offset.height * scale)
                              .insetBy(-reach, -reach);
    const pf::Rect device = fill.insetBy(-2, -2).united(cast);
    const double x0 = std::floor(device.minX()), y0 = std::floor(device.minY());
    const pf::Rect whole(x0, y0, std::ceil(device.maxX()) - x0, std::ceil(device.maxY()) - y0);
    if (QVRectIsValid(whole))
        context.clipToRect(context.convertToUserSpace(whole));
}

// The stroke settings every shape stroke shares: colour and width as given, the shape's cap and join, and
// a miter limit of the stroke width at the zoom.
void setStrokeStyle(pf::GraphicsContext& context, const Shape& shape, const pf::Color& color, double width)
{
    context.setStrokeColor(color);
    context.setLineWidth(width);
    context.setLineCap(static_cast<pf::LineCap>(std::clamp(shape.strokeLineCap(), 0, 2)));
    context.setLineJoin(static_cast<pf::LineJoin>(std::clamp(shape.strokeLineJoin(), 0, 2)));
    context.setMiterLimit(shape.strokeLineWidth() * shape.currentScale());
}

// Everything a copy of a path carries.
bool sameStrokePath(const pf::Path& a, const pf::Path& b)
{
    return a.sameElements(b) && a.windingRule() == b.windingRule() && a.lineStyle() == b.lineStyle() &&
           a.flatness() == b.flatness();
}

// A kept fill outline becomes `outline` when it is the same outline (elements and winding rule), with
// the painting form made first: the copies then share one Qt path, made once and read once a draw.
void shareWhenSame(pf::Path& kept, const pf::Path& outline)
{
    if (kept.sameElements(outline) && kept.windingRule() == outline.windingRule()) {
        (void)outline.toQt();
        kept = outline;
    }
}

} // namespace

// ---- order ----

namespace {

// How far the stroke of an outline reaches beyond it, in half widths: its sharpest join (a miter as long
// as the angle makes it, whatever the limit, bounds every join) and its caps. Infinite for a reversal.
double strokeReachFactor(const pf::Path& path, std::int32_t cap, std::int32_t join)
{
    double factor = cap == 2 ? std::numbers::sqrt2 : 1.0;
    if (join != 0)
        return factor;
    const auto unit = [](pf::Point from, pf::Point to) -> std::optional<pf::Point> {
        const double dx = to.x - from.x, dy = to.y - from.y, length = std::hypot(dx, dy);
        if (!(length > 0) || !std::isfinite(length))
            return std::nullopt;
        return pf::Point(dx / length, dy / length);
    };
    // Half widths a miter reaches at a join from direction a into direction b.
    const auto miter = [](pf::Point a, pf::Point b) {
        const double c = (1.0 + a.x * b.x + a.y * b.y) / 2;
        return c > 0 ? 1.0 / std::sqrt(c) : std::numeric_limits<double>::infinity();
    };
    pf::Point start, current;
    // The directions the current subpath's first segment leaves in and its last one arrives in.
    pf::Point first, last;
    bool hasFirst = false, hasLast = false;
    const auto segment = [&](std::optional<pf::Point> in, std::optional<pf::Point> out) {
        if (!in || !out)
            return;
        if (hasLast)
            factor = std::max(factor, miter(last, *in));
        else
            first = *in, hasFirst = true;
        last = *out, hasLast = true;
    };
    for (const pf::PathElement& e : path.elements()) {
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            start = current = e.points[0];
            hasFirst = hasLast = false;
            break;
        case pf::PathElementType::LineTo: {
            const auto d = unit(current, e.points[0]);
            segment(d, d);
            current = e.points[0];
            break;
        }
        case pf::PathElementType::QuadTo:
        case pf::PathElementType::CurveTo: {
            const int n = e.type == pf::PathElementType::CurveTo ? 3 : 2;
            const pf::Point end = e.points[n - 1];
            // The tangents at the ends: towards the first control point apart from the start, from the
            // last one apart from the end.
            std::optional<pf::Point> in, out;
            for (int i = 0; i < n && !in; ++i)
                in = unit(current, e.points[i]);
            for (int i = n - 2; i >= 0 && !out; --i)
                out = unit(e.points[i], end);
            if (!out)
                out = unit(current, end);
            segment(in, out);
            current = end;
            break;
        }
        case pf::PathElementType::Close: {
            const auto d = unit(current, start);
            segment(d, d);
            if (hasLast && hasFirst)
                factor = std::max(factor, miter(last, first));
            current = start;
            hasFirst = hasLast = false;
            break;
        }
        }
    }
    return factor;
}

} // namespace

double Shape::strokeReachByLimit() const
{
    // A miter reaches half the width times the limit (the width at the zoom); caps and joins otherwise
    // stay within the width.
    if (strokeType_ == 3)
        return 0;
    const double width = std::fabs(strokeLineWidth_);
    const double limit = strokeLineJoin_ == 0 ? width * std::max(currentScale(), 1.0) : 0.0;
    return width * std::max(limit, 1.5) / 2;
}

pf::Rect Shape::paintBounds() const
{
    return paintBoundsAbout(QVCombineRects(dirtyRect(), renderRect()), 2.0 + strokeReachByLimit());
}

bool Shape::showsScreenMarks() const { return selected_ || snapped_ || !provisionalConnection_.expired(); }

const pf::Rect& Shape::paintedRect() const
{
    if (showsScreenMarks()) {
        paintedRect_ = dirtyRect();
        paintedRectStamp_ = 0;
        return paintedRect_;
    }
    const double scale = currentScale();
    if (paintedRectStamp_ != displayStamp_ || paintedRectScale_ != scale) {
        paintedRect_ = calcPaintedRect();
        paintedRectStamp_ = displayStamp_;
        paintedRectScale_ = scale;
    }
    return paintedRect_;
}

pf::Rect Shape::calcPaintedRect() const { return paintedRectFor(true); }

pf::Rect Shape::paintedRectFor(bool byJoins) const { return paintedRectAbout(renderRect(), byJoins); }

pf::Rect Shape::paintedRectAbout(const pf::Rect& base, bool byJoins) const
{
    // The outline with its stroke as its sharpest join and caps reach, within what paintBounds allows
    // (and that, with its margin, when the kind paints more than its outline).
    double stroke = strokeReachByLimit();
    if (!byJoins)
        stroke += 2.0;
    else if (strokeType_ != 3)
        stroke = std::min(stroke, std::fabs(strokeLineWidth_) / 2 * strokeReachFactor(path_, strokeLineCap_, strokeLineJoin_));
    const pf::Rect outline = boundingRect();
    const pf::Rect stroked = QVRectIsZero(outline) ? outline : QVRectOutset(outline, stroke, stroke);
    const pf::Rect r = paintBoundsAbout(QVCombineRects(base, stroked), 0.0);
    // The canvas's half-point shift at small zooms, and a pixel of antialiasing.
    const double scale = currentScale();
    const double slack = 0.5 + (std::isfinite(scale) && scale > 0 ? 1.0 / scale : 1.0);
    return QVRectIsZero(r) ? r : QVRectOutset(r, slack, slack);
}

pf::Rect Shape::paintBoundsAbout(pf::Rect r, double reach) const
{
    // The text band and the filtered square are laid out unrotated and drawn turned with the shape; the
    // letters' ink may pass the band a little.
    const bool turned = rotationAngle_ != 0;
    const pf::AffineTransform turn = turned ? rotationTransform(rotationAngle_) : pf::AffineTransform();
    if (hasText())
        if (const pf::Rect band = horizontalTextRectForText(*attributedText()); !QVRectIsZero(band)) {
            const pf::Rect inked = QVRectOutset(band, 2.0, 2.0);
            r = QVCombineRects(r, turned ? turn.apply(inked) : inked);
        }
    if (turned && hasContentFilters()) {
        const pf::Rect content = contentRect();
        const pf::Size square = offscreenImageRect().size;
        r = QVCombineRects(r, turn.apply(QVRectAroundPoint(QVRectGetMidMidPoint(content), square.width, square.height)));
    }
    // A blur spreads about one and a half times its radius (three box blurs of sigma = blur / 2).
    const auto spread = [](bool hidden, double blur, double dx, double dy) {
        return hidden ? 0.0 : 1.5 * std::fabs(blur) + std::fabs(dx) + std::fabs(dy) + 1.0;
    };
    reach += std::max({spread(fillShadowHidden_, fillShadowBlur_, fillShadowOffsetX_, fillShadowOffsetY_),
                       spread(strokeShadowHidden_, strokeShadowBlur_, strokeShadowOffsetX_, strokeShadowOffsetY_),
                       spread(!hasText() || textShadowHidden_, textShadowBlur_, textShadowOffsetX_, textShadowOffsetY_)});
    return QVRectOutset(r, reach, reach);
}

void Shape::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    if (composition_ && !dirtyRect().intersects(dirty)) {
        // On screen the redisplay rect decides. An export draws everything for an empty rect (an image
        // of the shape alone), and otherwise only what can reach the rect: a loupe's region of the page
        // must not redraw the whole page.
        if (!composition_->isExporting() || (!dirty.isEmpty() && !paintBounds().intersects(dirty)))
            return;
    }
    // Before the hidden test: a hidden selected shape still shows its halo.
    if (!marksOff_)
        drawHaloInContext(context);
    if (hidden_)
        return;
    {
        pf::SavedGState saved(context);
        context.setAlpha(opacity_);
        if (pageIsDrawingThumbnail() || !hasContentFilters())
            drawContentInContextDirtyRect(context, dirty);
        else
            drawFilteredContentInContext(context);
        drawTextInContext(context);
    }
    if (!marksOff_ && !provisionalConnection_.expired() && composition_ && composition_->isConnectionFlashOn() && !pageIsDrawingThumbnail()
        && !pageIsDrawingLoupe()) {
        pf::SavedGState saved(context);
        context.setAlpha(opacity_);
        drawConnectionHandlesInContextDirtyRect(context, dirty);
    }
}

void Shape::drawLookInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    // Kinds draw through their own drawInContextDirtyRect; the flag reaches the layers it draws.
    struct MarksOff {
        bool& flag;
        bool was;
        ~MarksOff() { flag = was; }
    } off{marksOff_, marksOff_};
    marksOff_ = true;
    drawInContextDirtyRect(context, dirty);
}

void Shape::drawContentInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    {
        pf::SavedGState saved(context);
        drawFillInContext(context);
    }
    drawImageInContextDirtyRect(context, dirty);
    pf::SavedGState saved(context);
    drawAllStrokeInContext(context);
}

// ---- fill ----

pf::Path Shape::adjustedFillPath(const pf::Path& path) const
{
    if (currentScale() <= 1.0 && (strokeLineWidth_ == 0.0 || strokeType_ == 3 || wantsFudgeAlways()))
        return path.transformed(fillShift());
    return path;
}

void Shape::dropFinalFillPathsMadeAtOtherScale()
{
    const bool small = currentScale() <= 1.0;
    if (small == finalFillPathsAtSmallScale_)
        return;
    finalFillPath_.reset();
    finalGradientFillPath_.reset();
    finalFillPathsAtSmallScale_ = small;
}

const std::optional<pf::Path>& Shape::preparedFinalFillPath()
{
    dropFinalFillPathsMadeAtOtherScale();
    if (!finalFillPath_)
        if (std::optional<pf::Path> p = fillPath()) {
            // Usually the outline the stroke draws: fill and stroke then read one Qt path (a page's worth
            // of them outgrows the cache).
            finalFillPath_ = adjustedFillPath(*p);
            shareWhenSame(*finalFillPath_, path_);
        }
    return finalFillPath_;
}

const std::optional<pf::Path>& Shape::preparedFinalGradientFillPath()
{
    dropFinalFillPathsMadeAtOtherScale();
    if (!finalGradientFillPath_)
        if (std::optional<pf::Path> p = gradientFillPath()) {
            finalGradientFillPath_ = adjustedFillPath(*p);
            // Usually the same outline as the fill: then both are known equal at a glance on every draw.
            if (const std::optional<pf::Path>& fill = preparedFinalFillPath())
                shareWhenSame(*finalGradientFillPath_, *fill);
        }
    return finalGradientFillPath_;
}

void Shape::drawFillInContext(pf::GraphicsContext& context)
{
    if (hidden_ || !QVRectIsValidNotZeroSize(fillFrame()))
        return;
    const std::optional<pf::Path>& fill = preparedFinalFillPath();
    if (!fill)
        return;
    // With filters the shadow falls under the filtered image instead. The filters are asked last: finding
    // them reads parts of the shape a page of shapes without shadows need not bring into the cache.
    const bool shadow = !fillShadowHidden_ && !pageIsDrawingThumbnail() && !hasContentFilters();
    if (fillType_ == 0) {
        // No colour: nothing to fill with (the context's leftover colour would be arbitrary).
        if (!fillColor_)
            return;
        if (shadow)
            setFillShadowInContext(context);
        context.setFillColor(*fillColor_);
        context.fillPath(*fill);
    } else if (fillType_ == 1 || fillType_ == 2) {
        const std::optional<pf::Path>& area = preparedFinalGradientFillPath();
        if (!area || area->isEmpty())
            return;
        if (shadow)
            setFillShadowInContext(context);
        // With a shadow, one layer, so that the shadow falls under the gradient as one object (a clip on
        // the gradient itself would clip its shadow away). Without one the layer would change nothing.
        const bool layer = context.gstate().shadow.has_value();
        if (layer) {
            context.saveGState();
            boundLayerToFillAndShadow(context, fill->bounds());
            context.beginTransparencyLayer();
        }
        // The gradient's colours spread over its own path, but they paint exactly the fill's outline (the
        // one stroked): clipped to the fill inside another outline, pixels of the fill outside that outline
        // would stay unpainted, a sliver between fill and stroke.
        if (fillType_ == 1)
            context.drawLinearGradientInPath(gradient(), *area, fillGradientAngle(), *fill);
        else
            context.drawRadialGradientInPath(gradient(), *area, pf::Point(0, 0), *fill);
        if (layer) {
            context.endTransparencyLayer();
            context.restoreGState();
        }
    }
}

// ---- shadows ----

void Shape::installShadow(pf::GraphicsContext& context, double offsetX, double offsetY, double blur,
                          const pf::OptionalColor& color) const
{
    const double s = currentScale();
    if (!pageIsExporting() && (s < 1.0 || s > 2.0))
        return;
    if (!color) {
        context.clearShadow();
        return;
    }
    // Stored y-down; the context's offsets point up.
    context.setShadow(pf::Size(offsetX * s, -offsetY * s), blur * s, *color);
}

void Shape::setFillShadowInContext(pf::GraphicsContext& context) const
{
    installShadow(context, fillShadowOffsetX_, fillShadowOffsetY_, fillShadowBlur_, fillShadowColor_);
}

void Shape::setStrokeShadowInContext(pf::GraphicsContext& context) const
{
    installShadow(context, strokeShadowOffsetX_, strokeShadowOffsetY_, strokeShadowBlur_, strokeShadowColor_);
}

// ---- strokes ----

void Shape::drawAllStrokeInContext(pf::GraphicsContext& context)
{
    if (hidden_ || (!isPointer() && !QVRectIsValidNotZeroSize(frame_)))
        return;
    if (strokeType_ == 3 || !(strokeLineWidth_ >= 1.0))
        return;
    if (!strokeShadowHidden_ && !pageIsDrawingThumbnail() && !hasContentFilters())
        setStrokeShadowInContext(context);
    drawStrokeInContext(context);
    drawArrowsInContext(context);
}

void Shape::drawStrokeInContext(pf::GraphicsContext& context) { drawStrokeAlongPathInContext(context, path_); }

void Shape::drawStrokeAlongPathInContext(pf::GraphicsContext& context, const pf::Path& path)
{
    setStrokeLineDashInContext(context);
    double width = strokeLineWidth_;
    if (pageIsDrawingThumbnail())
        width /= std::max(currentScale(), 1.0);
    if (strokeColor_)
        drawStrokeInContextColorPathLineWidth(context, *strokeColor_, path, width);
}

void Shape::setStrokeLineDashInContext(pf::GraphicsContext& context) const
{
    if (const std::optional<LineDash>& dash = strokeLineDash())
        setStrokeLineDashInContext(*dash, context);
}

void Shape::setStrokeLineDashInContext(const LineDash& dash, pf::GraphicsContext& context)
{
    std::array<double, 2> lengths{};
    const unsigned count = dash.getLengths(lengths);
    context.setLineDash(dash.phase(), std::vector<double>(lengths.begin(), lengths.begin() + count));
}

void Shape::drawStrokeInContextColorPathLineWidth(pf::GraphicsContext& context, const pf::Color& color,
                                                  const pf::Path& path, double lineWidth) const
{
    if (pageIsDrawingThumbnail())
        lineWidth = thumbnailLineWidthForLineWidth(lineWidth);
    // Whole points on screen.
    setStrokeStyle(context, *this, color, std::round(std::fabs(lineWidth)));
    if (isStrokeShiftedHalfPoint()) {
        if (!sameStrokePath(path, evenStrokeSource_)) {
            // Made before the copy, so that the copy shares it and later draws know it equal at a glance.
            (void)path.toQt();
            evenStrokeSource_ = path;
            evenStrokeShifted_ = path.transformed(evenStrokeShift());
        }
        context.strokePath(evenStrokeShifted_);
    } else {
        context.strokePath(path);
    }
}

double Shape::stroke1LineWidth() const
{
    return 2.0 * strokeLineWidth_ + (isStrokeEven() ? 0.0 : 1.0);
}

double Shape::stroke2LineWidth() const
{
    return 3.0 * strokeLineWidth_ + (isStrokeEven() ? 0.0 : 1.5);
}

void Shape::drawStroke1InContext(pf::GraphicsContext& context) const
{
    if (stroke1Color_)
        drawStrokeInContextColorPathLineWidth(context, *stroke1Color_, path_, stroke1LineWidth());
}

void Shape::drawStroke2InContext(pf::GraphicsContext& context) const
{
    if (stroke2Color_)
        drawStrokeInContextColorPathLineWidth(context, *stroke2Color_, path_, stroke2LineWidth());
}

// ---- highlights ----

void Shape::drawHaloInContext(pf::GraphicsContext& context) const
{
    if (!selected_ && !snapped_)
        return;
    pf::SavedGState saved(context);
    drawSelectionStrokeInContext(context);
}

void Shape::drawSelectionStrokeInContext(pf::GraphicsContext& context) const
{
    if (!context.drawsToScreen() || pageIsDrawingThumbnail() || pageIsDrawingLoupe() || pageIsExporting())
        return;
    const ShapeClass& k = shapeClass();
    const double s = currentScale();
    double width = selected_ || (!isText() && stroke1Enabled_) ? k.selectionStrokeLineWidth() : k.snapStrokeLineWidth();
    width /= s;
    if (strokeType_ != 3)
        width += strokeLineWidth_;
    const pf::Color color = locked_ ? k.lockedSelectionStrokeColor()
                            : selected_ ? k.selectionStrokeColor()
                                        : k.snapStrokeColor();
    context.setShouldAntialias(true);
    setStrokeStyle(context, *this, color, width);
    const pf::Rect fill = fillFrame();
    if (QVRectIsValidNotZeroSize(fill)) {
        context.strokePath(path_);
        return;
    }
    // Shapes without an area still show where they are.
    pf::Path outline = pf::Path::rect(QVRectNotZeroSize(fill));
    if (rotationAngle_ != 0)
        outline.transform(rotationTransform(rotationAngle_));
    context.strokePath(outline);
}
