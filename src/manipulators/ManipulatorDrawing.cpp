// The selection's handles, drawn by the canvas's overlay in view points above every shape. Sizes are fixed in
// view points (a handle looks the same at every zoom) and places are whole points, so 1-point outlines are
// crisp; each handle stays upright while its place turns with the selection. Which handles show is asked of
// the same predicates the hit test uses, so what is seen is what can be grabbed.
#include "manipulators/Manipulator.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "model/Composition.h"

#include <cmath>

namespace {

// View points.
constexpr double handleViewSide = 10.0;
constexpr double optionSide = 30.0;
constexpr double dotSide = 3.0;
constexpr double faceInset = 1.5;
// Outline, antialiasing and whole-point rounding around everything the overlay draws.
constexpr double overlayMargin = 3.0;

const pf::Color& systemGray()
{
    static const pf::Color c = QVHexColor(0x8E8E93);
    return c;
}

const pf::Color& optionFaceColor()
{
    static const pf::Color c = QVHexColor(0xEEEEEE);
    return c;
}

// A rect of that size about a view point with its edges on half points: a 1-point outline then covers whole
// pixels. An even side is centred on the pixel the point lies in.
pf::Rect crispRect(const pf::Point& centre, double width, double height)
{
    return pf::Rect(std::floor(centre.x) + 0.5 - std::floor(width / 2), std::floor(centre.y) + 0.5 - std::floor(height / 2),
                    width, height);
}

// The pixel centre nearest a view point: where a 1-point line may start without smearing over two pixels.
pf::Point crispPoint(const pf::Point& p) { return pf::Point(std::floor(p.x) + 0.5, std::floor(p.y) + 0.5); }

pf::Point middle(const pf::Rect& r) { return pf::Point(r.midX(), r.midY()); }

const Shape* soleChild(const Manipulator& m) { return m.children().size() == 1 ? m.children().front().get() : nullptr; }

// Everything but the polygon (even-odd), so that a bar stops at an outline.
pf::Path outsidePolygon(const pf::GraphicsContext& context, const std::array<pf::Point, 4>& corners)
{
    pf::Path path = pf::Path::rect(QVRectOutset(context.clipBoundingBox(), 10.0, 10.0));
    path.moveTo(corners[0]);
    for (std::size_t i = 1; i < corners.size(); ++i)
        path.lineTo(corners[i]);
    path.close();
    path.setWindingRule(pf::WindingRule::EvenOdd);
    return path;
}

} // namespace

pf::Point Manipulator::HandleOverlay::viewPoint(const Manipulator& m, const pf::Point& pagePoint) const
{
    const std::int64_t angle = m.rotationAngle();
    return pageToView.apply(angle == 0 ? pagePoint : m.rotationTransform(angle).apply(pagePoint));
}

namespace {

// A page rect's corners, turned with the selection, in view points.
std::array<pf::Point, 4> viewCorners(const Manipulator& m, const Manipulator::HandleOverlay& overlay, const pf::Rect& r)
{
    const pf::Rect s = r.standardized();
    return {overlay.viewPoint(m, pf::Point(s.minX(), s.minY())), overlay.viewPoint(m, pf::Point(s.maxX(), s.minY())),
            overlay.viewPoint(m, pf::Point(s.maxX(), s.maxY())), overlay.viewPoint(m, pf::Point(s.minX(), s.maxY()))};
}

// The view square of a handle: its page rect's middle turned with the selection, its page size at the zoom.
pf::Rect viewHandleRect(const Manipulator& m, const Manipulator::HandleOverlay& overlay, const pf::Rect& pageRect)
{
    const pf::Rect s = pageRect.standardized();
    return crispRect(overlay.viewPoint(m, middle(s)), std::round(s.width() * overlay.scale),
                     std::round(s.height() * overlay.scale));
}

// The face of a round handle: the handle gradient running down the screen, outlined cyan when active.
void drawRoundFace(pf::GraphicsContext& context, const pf::Rect& rect, bool active, bool locked)
{
    const pf::Path oval = pf::Path::oval(rect);
    context.setLineWidth(1.0);
    context.drawLinearGradientInPath(locked ? ManipulatorClass::lockedHandleGradient()
                                            : ManipulatorClass::selectionHandleGradient(),
                                     oval, 90.0);
    context.setStrokeColor(active ? ManipulatorClass::activeStrokeColor() : systemGray());
    context.strokePath(oval);
}

} // namespace

void Manipulator::drawHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    if (!context.drawsToScreen())
        return;
    if (const Composition* p = page(); p && (p->isExporting() || p->isDrawingThumbnail() || p->isDrawingLoupe()))
        return;
    const Shape* child = soleChild(*this);
    // A shape inside a group is moved with its group; it offers no handles of its own.
    if (child && child->isGrouped())
        return;
    const bool locked = isLocked();
    const bool rotation = showsRotationHandle();
    const bool connection = showsConnectionHandle();
    const pf::Point centre = crispPoint(overlay.viewPoint(*this, center()));
    pf::SavedGState saved(context);
    context.setLineWidth(1.0);

    if (rotation) {
        // The bar runs from the centre to the rotation handle, never across the text.
        pf::SavedGState bar(context);
        context.setColor(systemGray());
        if (child && child->hasText())
            if (const pf::Rect text = child->textBoundingRect(); !QVRectIsZero(text))
                context.clip(outsidePolygon(context, viewCorners(*this, overlay, text)));
        context.fillPath(pf::Path::oval(QVSquareAroundPoint(centre, dotSide)));
        pf::Path line;
        line.moveTo(centre);
        line.lineTo(middle(viewHandleRect(*this, overlay, rotationHandle())));
        context.strokePath(line);
    }
    const double ringWidth = shapeClass().selectionStrokeLineWidth() * 0.5;
    if (connection) {
        // The bar starts at the frame's edge.
        pf::SavedGState bar(context);
        context.setStrokeColor(shapeClass().selectionStrokeColor());
        context.setLineWidth(ringWidth);
        context.clip(outsidePolygon(context, viewCorners(*this, overlay, frame())));
        pf::Path line;
        line.moveTo(centre);
        line.lineTo(middle(viewHandleRect(*this, overlay, connectionHandle())));
        context.strokePath(line);
    }
    if (showsSelectionHandles())
        drawSelectionHandlesInContext(context, overlay);
    if (rotation)
        drawRoundFace(context, crispRect(overlay.viewPoint(*this, middle(rotationHandle())), handleViewSide, handleViewSide),
                      activeHandle() == ManipulatorHandleRotation, locked);
    if (connection) {
        const pf::Point handleCentre = overlay.viewPoint(*this, middle(connectionHandle()));
        const pf::Rect handle = crispRect(handleCentre, handleViewSide, handleViewSide);
        if (connectionOptionsVisible()) {
            const std::array<pf::Rect, 5> options = connectionOptionRects(connectionHandle());
            for (std::size_t i = 0; i < options.size(); ++i) {
                const pf::Point optionCentre = overlay.viewPoint(*this, middle(options[i]));
                const pf::Path oval = pf::Path::oval(crispRect(optionCentre, optionSide, optionSide));
                context.setFillColor(optionFaceColor());
                context.fillPath(oval);
                context.setStrokeColor(activeHandle() == ManipulatorHandleConnectionOption + std::int64_t(i)
                                           ? ManipulatorClass::activeStrokeColor()
                                           : systemGray());
                context.strokePath(oval);
                const pf::Image& image = ManipulatorClass::optionImages()[i];
                if (!image.isNull()) {
                    const pf::Size size = image.size();
                    const pf::Rect place = QVRectAroundPoint(optionCentre, size.width, size.height);
                    context.drawImage(image, pf::Rect(QVPointFloor(place.origin), size));
                }
            }
        }
        {
            // A ring in the selection's colour, open where the bar arrives from the centre.
            pf::SavedGState ring(context);
            context.setFillColor(shapeClass().selectionStrokeColor());
            const pf::Point h = middle(handle);
            const double dx = centre.x - h.x, dy = centre.y - h.y;
            if (const double length = std::hypot(dx, dy); length > 0) {
                const pf::Point u(dx / length, dy / length), n(-u.y, u.x);
                const double near = handleViewSide / 2, far = near + ringWidth + 1.0, half = ringWidth / 2;
                const auto at = [&](double along, double across) {
                    return pf::Point(h.x + u.x * along + n.x * across, h.y + u.y * along + n.y * across);
                };
                context.clip(outsidePolygon(context, {at(near, -half), at(far, -half), at(far, half), at(near, half)}));
            }
            context.fillPath(pf::Path::oval(QVRectOutset(handle, ringWidth, ringWidth)));
        }
        drawRoundFace(context, handle, activeHandle() == ManipulatorHandleConnection, locked);
    }
    if (showsAdjustmentHandles())
        drawAdjustmentHandlesInContext(context, overlay);
}

void Manipulator::drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    // Corners first, then the middles of the edges; the centre handle is not drawn.
    static constexpr QVRectCorner order[] = {QVRectCornerTopLef, QVRectCornerTopRit, QVRectCornerBotLef,
                                             QVRectCornerBotRit, QVRectCornerTopMid, QVRectCornerMidLef,
                                             QVRectCornerMidRit, QVRectCornerBotMid};
    for (const QVRectCorner corner : order) {
        const bool active = activeHandle() == corner;
        drawSelectionHandle(context, overlay, resizeHandle(corner), dragResizing() && active, active);
    }
}

void Manipulator::drawSelectionHandle(pf::GraphicsContext& context, const HandleOverlay& overlay, const pf::Rect& pageRect,
                                      bool dragging, bool active) const
{
    if (QVRectIsZero(pageRect))
        return;
    const bool locked = isLocked();
    const pf::Rect r = viewHandleRect(*this, overlay, pageRect);
    context.setFillColor(dragging ? ManipulatorClass::draggingFillColor() : ManipulatorClass::handleFillColor());
    context.fillRect(r);
    context.setStrokeColor(active && !locked ? ManipulatorClass::activeStrokeColor() : ManipulatorClass::handleStrokeColor());
    context.strokeRect(r);
    const pf::Rect face = QVRectOutset(r, -faceInset, -faceInset);
    if (QVRectIsValidNotZeroSize(face))
        context.drawLinearGradientInRect(locked ? ManipulatorClass::lockedHandleGradient()
                                                : ManipulatorClass::selectionHandleGradient(),
                                         face, 90.0);
}

void Manipulator::drawAdjustmentHandle(pf::GraphicsContext& context, const HandleOverlay& overlay, const pf::Rect& rect,
                                       bool active, double viewSide, bool dragging) const
{
    if (QVRectIsZero(rect))
        return;
    drawAdjustmentHandleAtViewPoint(context, overlay.viewPoint(*this, middle(rect)), viewSide, dragging, active);
}

void Manipulator::drawAdjustmentHandleAtViewPoint(pf::GraphicsContext& context, const pf::Point& viewCentre,
                                                  double viewSide, bool dragging, bool active) const
{
    pf::SavedGState saved(context);
    const pf::Rect r = crispRect(viewCentre, viewSide, viewSide);
    if (dragging) {
        const pf::Path oval = pf::Path::oval(r);
        context.setLineWidth(1.0);
        context.setFillColor(ManipulatorClass::draggingFillColor());
        context.fillPath(oval);
        context.setStrokeColor(ManipulatorClass::activeStrokeColor());
        context.strokePath(oval);
        return;
    }
    drawRoundFace(context, r, active, isLocked());
}

pf::Rect Manipulator::calcDirtyRect() const
{
    pf::Rect r = Shape::calcDirtyRect();
    if (!composition())
        return r;
    const double s = currentScale();
    const std::int64_t angle = rotationAngle();
    const pf::AffineTransform turn = rotationTransform(angle);
    // A piece of the overlay about a page point (turned with the selection) reaching `reach` view points.
    const auto add = [&](const pf::Point& pagePoint, double reachX, double reachY) {
        const pf::Point p = angle == 0 ? pagePoint : turn.apply(pagePoint);
        r = QVCombineRects(r, QVRectAroundPoint(p, 2 * (reachX + overlayMargin) / s, 2 * (reachY + overlayMargin) / s));
    };
    // Handles are drawn at their page size at the zoom: strips along the page's edges are long.
    const auto addHandle = [&](const pf::Rect& rect, double extra) {
        if (QVRectIsZero(rect))
            return;
        const pf::Rect std = rect.standardized();
        add(middle(std), std.width() * s / 2 + extra, std.height() * s / 2 + extra);
    };
    for (int corner = QVRectCornerTopLef; corner <= QVRectCornerBotRit; ++corner)
        addHandle(resizeHandle(corner), 0.0);
    if (allowsRotation())
        addHandle(rotationHandle(), 0.0);
    if (allowsAdjusting())
        addHandle(adjustHandle(), 0.0);
    if (allowsConnection()) {
        const pf::Rect handle = connectionHandle();
        addHandle(handle, shapeClass().selectionStrokeLineWidth() * 0.5);
        if (!QVRectIsZero(handle))
            for (const pf::Rect& option : connectionOptionRects(handle))
                add(middle(option), optionSide / 2, optionSide / 2);
    }
    return r;
}
