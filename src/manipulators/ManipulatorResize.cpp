// The resize drag, for upright and turned selections. A turned shape is stored as an upright frame turned
// about its centre, so the drag works on point pairs: rects used only as their two end points (origin, and
// origin plus size), which stay meaningful after turning. Each step joins the dragged handle (at the
// pointer, less where it was grabbed) to the fixed point across from it on screen, turns that pair back
// upright, and places the new frame so that the opposite corner, or the middle of the opposite edge, stays
// where it stood on screen.
#include "manipulators/Manipulator.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "platform/foundation/Event.h"
#include "shapes/Line.h"

#include <cmath>
#include <numbers>

namespace {

bool isCornerHandle(std::int64_t h)
{
    return h == QVRectCornerNone || h == QVRectCornerTopLef || h == QVRectCornerTopRit || h == QVRectCornerBotLef
        || h == QVRectCornerBotRit;
}

bool isMidHandle(std::int64_t h)
{
    return h == QVRectCornerTopMid || h == QVRectCornerMidLef || h == QVRectCornerMidRit || h == QVRectCornerBotMid;
}

// Whole degrees of a turn; a turn by n full turns is a turn by none.
pf::AffineTransform turn(std::int64_t degrees, const pf::Rect& about)
{
    return QVMakeRotation(static_cast<int>(degrees % 360), about);
}

// A point pair turned about its own middle: both ends move, the middle stays.
pf::Rect turnPair(std::int64_t degrees, const pf::Rect& pair)
{
    return QVRectApplyRotation(turn(degrees, pair), pair);
}

// The point pair from one handle of a frame to the handle across from it.
pf::Rect handlePair(const pf::Rect& frame, QVRectCorner first)
{
    const QVRectCorner second = QVRectGetOppositeCorner(first);
    return QVRectFromPoints(QVRectGetCornerPoint(first, frame), QVRectGetCornerPoint(second, frame));
}

// A ratio of a child's frame to the selection's that a zero side of the selection has made unusable.
bool unusableRatio(double r)
{
    return !std::isfinite(r) || r == 0;
}

// The middle handle on the edge a side handle drags: 1 for 1 and 7, 3 for 3 and 5.
QVRectCorner leadingMidHandle(std::int64_t h)
{
    return h == QVRectCornerTopMid || h == QVRectCornerBotMid ? QVRectCornerTopMid : QVRectCornerMidLef;
}

} // namespace

// ---- single-child answers ----

bool Manipulator::constrainsAspectRatio() const
{
    return children_.size() == 1 && children_.front()->constrainAspectRatio();
}

bool Manipulator::isPointer() const
{
    return children_.size() == 1 && dynamic_cast<const Line*>(children_.front().get()) != nullptr;
}

bool Manipulator::isBezier() const
{
    return children_.size() == 1 && children_.front()->isBezier();
}

// ---- point pairs ----

std::int64_t Manipulator::currentRotationAngleForAngle(std::int64_t angle) const
{
    if (angle == 0)
        return 0;
    return dragResizingHandle_ == QVRectCornerTopRit || dragResizingHandle_ == QVRectCornerBotLef ? -angle : angle;
}

pf::Rect Manipulator::rotateFrame(const pf::Rect& frame, std::int64_t angle) const
{
    if (angle == 0)
        return frame;
    const std::int64_t a = currentRotationAngleForAngle(angle);
    const std::int64_t h = dragResizingHandle_;
    if (isCornerHandle(h))
        return QVRectApplyRotation(turn(a, frame), frame);
    if (isMidHandle(h)) {
        // Turned about the frame's centre, which is the middle of the pair too.
        return turnPair(a, handlePair(frame, leadingMidHandle(h)));
    }
    return frame;
}

pf::Rect Manipulator::unrotateFrame(const pf::Rect& pair, std::int64_t angle)
{
    const std::int64_t a = currentRotationAngleForAngle(angle);
    const std::int64_t h = dragResizingHandle_;
    if (!isCornerHandle(h) && !isMidHandle(h))
        return pair;
    const bool grid = isGridEnabled();
    const bool option = isOptionCenter();
    const Shape::DragStart start = dragStart();
    const pf::Rect s = start.frame;
    const pf::Point c(s.midX(), s.midY());
    const double rr = start.aspectRatio;
    const bool constrained = shiftConstrain_ || constrainsAspectRatio();
    // A start side of zero has no ratio to keep: the drag is free rather than divided by zero.
    const bool keepsRatio = constrained && std::isfinite(rr) && rr != 0;
    pf::Rect w = pair;

    if (isCornerHandle(h)) {
        if (option) {
            // The dragged corner mirrored through the start centre.
            const pf::Point p = QVRectGetCornerPoint(static_cast<QVRectCorner>(h), pair);
            const double sx = h == QVRectCornerTopRit || h == QVRectCornerBotRit ? 1.0 : -1.0;
            const double sy = h == QVRectCornerBotLef || h == QVRectCornerBotRit ? 1.0 : -1.0;
            w.size = pf::Size(sx * 2 * (p.x - c.x), sy * 2 * (p.y - c.y));
        }
        if (a != 0)
            w = turnPair(-a, w);

        const bool pointer = constrained && isPointer() && !isBezier();
        if (!pointer && !keepsRatio) {
            if (grid)
                w = gridAlignedRectForRect(w, *this);
        } else {
            if (pointer) {
                // A connector goes horizontal, vertical or along a diagonal, whichever its drag is nearest.
                const double g = std::atan2(w.height(), w.width()) * 180.0 / std::numbers::pi + 180.0;
                const QVRectCorner direction = QVRectCornerForAngle(g);
                const pf::Point anchor = option ? c : start.anchorPoint;
                switch (direction) {
                case QVRectCornerTopLef:
                case QVRectCornerBotRit:
                    if (isLandscape())
                        w.size.height = w.width();
                    else
                        w.size.width = w.height();
                    break;
                case QVRectCornerTopRit:
                case QVRectCornerBotLef:
                    if (isLandscape())
                        w.size.height = -w.width();
                    else
                        w.size.width = -w.height();
                    break;
                case QVRectCornerTopMid:
                case QVRectCornerBotMid:
                    w.size.width = 0;
                    if (grid)
                        w = gridAlignedRectForRect(w, *this);
                    // Through the end that stays (the centre under Option).
                    addVerticalTempGuideAtX(anchor.x);
                    break;
                case QVRectCornerMidLef:
                case QVRectCornerMidRit:
                    w.size.height = 0;
                    if (grid)
                        w = gridAlignedRectForRect(w, *this);
                    addHorizontalTempGuideAtY(anchor.y);
                    break;
                default:
                    break;
                }
            } else {
                // The start's longer side leads. Dragged across the anchor on one axis only, the derived
                // side turns over with it, so the frame flips instead of jumping to the other side.
                const bool wMatches = (w.width() < 0 && w.height() < 0) || (w.width() >= 0 && w.height() >= 0);
                // A start of no size (a shape just drawn from its press) counts as upright.
                const bool sMatches = (s.width() >= 0) == (s.height() >= 0);
                const double sign = !option && wMatches != sMatches ? -1.0 : 1.0;
                if (std::fabs(s.width()) >= std::fabs(s.height()))
                    w.size.height = sign * std::round(w.width() / rr);
                else
                    w.size.width = sign * std::round(w.height() * rr);
                if (grid)
                    w = gridAlignedRectForRect(w, *this);
            }
            // The opposite corner back where it stood on screen.
            const QVRectCorner k = start.anchorCorner;
            if (a == 0) {
                w = QVRectSetAnchor(start.anchorPoint, k, w);
            } else {
                w = turnPair(a, w);
                const pf::Point shown = turn(angle, s).apply(start.anchorPoint);
                w = QVRectSetAnchor(shown, k, w);
                w = turnPair(-a, w);
            }
        }
        if (option)
            w = QVRectSetAnchor(c, QVRectCornerMidMid, w);
        return w;
    }

    // A side handle.
    const pf::Rect v = turnPair(-a, pair);
    const bool horizontal = h == QVRectCornerMidLef || h == QVRectCornerMidRit;
    if (option) {
        const pf::Point u = unrotDragPoint_;
        if (horizontal) {
            const bool leftOfCentre = u.x < c.x;
            const double sign = (h == QVRectCornerMidRit) == leftOfCentre ? -1.0 : 1.0;
            w.size.width = sign * 2 * std::fabs(u.x - c.x);
            w.size.height = keepsRatio ? std::round(w.width() / rr) : s.height();
        } else {
            const bool aboveCentre = u.y < c.y;
            const double sign = (h == QVRectCornerBotMid) == aboveCentre ? -1.0 : 1.0;
            w.size.height = sign * 2 * std::fabs(u.y - c.y);
            w.size.width = keepsRatio ? std::round(rr * w.height()) : s.width();
        }
        if (grid)
            w = gridAlignedRectForRect(w, *this);
        return QVRectSetAnchor(c, QVRectCornerMidMid, w);
    }

    // With the ratio kept, the derived side keeps its start direction unless the dragged side crossed over.
    const auto derived = [&](double dragged, double startDragged, double size) {
        return ((dragged >= 0) == (startDragged >= 0) ? 1.0 : -1.0) * std::round(size);
    };
    if (horizontal) {
        w.size.width = v.width();
        w.size.height = keepsRatio ? derived(v.width(), s.width(), v.width() / rr) : s.height();
    } else {
        w.size.height = v.height();
        w.size.width = keepsRatio ? derived(v.height(), s.height(), rr * v.height()) : s.width();
    }
    if (grid)
        w = gridAlignedRectForRect(w, *this);

    // The middle of the opposite edge back where it stood on screen: both edges' middles are turned as a
    // pair, and the new pair is moved so that its anchor end lands where the start's did.
    const QVRectCorner k = start.anchorCorner;
    if (a == 0)
        return QVRectSetAnchor(QVRectGetCornerPoint(k, s), k, w);
    const QVRectCorner m = h == QVRectCornerTopMid || h == QVRectCornerMidLef ? static_cast<QVRectCorner>(h) : k;
    const pf::Point anchorShown = QVRectGetCornerPoint(QVRectGetStableCorner(k), turnPair(a, handlePair(s, m)));
    const pf::Rect edges = QVRectSetAnchor(anchorShown, QVRectGetStableCorner(m), turnPair(a, handlePair(w, k)));
    return QVRectSetAnchor(pf::Point(edges.midX(), edges.midY()), QVRectCornerMidMid, w);
}

// ---- the drag ----

void Manipulator::beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle)
{
    // Only the frame's own handles resize: any other number has no point pair, and its steps would
    // collapse every selected shape.
    if (isLocked() || handle < QVRectCornerTopLef || handle > QVRectCornerBotRit)
        return;
    const pf::Rect f = frame();
    // Targets are gathered at the first step, from the page as it is then.
    clearSnapShapes();
    dragResizing_ = true;
    dragResizingHandle_ = handle;
    activeHandle_ = handle;
    dragStart().frame = f;

    const std::int64_t angle = rotationAngle();
    const QVRectCorner grabbed = angle != 0 ? QVRectGetStableCorner(static_cast<QVRectCorner>(handle))
                                            : static_cast<QVRectCorner>(handle);
    const pf::Point at = QVRectGetCornerPoint(grabbed, rotateFrame(f, angle));
    dragResizingOffset_ = pf::Size(point.x - at.x, point.y - at.y);

    childRatios_.clear();
    const bool single = children_.size() == 1;
    for (const auto& child : children_) {
        const pf::Rect c = child->frame();
        pf::Rect ratio((c.x() - f.x()) / f.width(), (c.y() - f.y()) / f.height(), c.width() / f.width(),
                       c.height() / f.height());
        // A zero side of the selection: a single child follows the frame exactly; several keep no extent
        // on that axis and sit on the frame's left (top) edge.
        if (unusableRatio(ratio.width())) {
            ratio.size.width = single ? 1 : 0;
            if (single || !std::isfinite(ratio.x()))
                ratio.origin.x = 0;
        }
        if (unusableRatio(ratio.height())) {
            ratio.size.height = single ? 1 : 0;
            if (single || !std::isfinite(ratio.y()))
                ratio.origin.y = 0;
        }
        childRatios_.push_back(ratio);
        beginDraggingShape(*child);
    }
    beginDrag();
}

void Manipulator::mouseDragResizeEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    if (!dragResizing_ || isLocked())
        return;
    moveSnapOrigin();
    shiftConstrain_ = event.isShiftKeyPressed();
    setOptionCenter(event.isOptionKeyPressed());
    commandPressed_ = event.isCommandKeyPressed();
    rotDragPoint_ = point;
    const bool multiple = hasMultiple();
    const bool grid = isGridEnabled();

    const std::int64_t angle = rotationAngle();
    const pf::Rect s = dragStart().frame;
    const pf::Rect shown = rotateFrame(s, angle);
    unrotDragPoint_ = turn(-angle, frame()).apply(point);
    const pf::Point a = QVRectGetCornerPoint(QVRectGetStableCorner(dragStart().anchorCorner), shown);
    // The dragged handle where the pointer is, less where it was grabbed; whole points from the fixed end.
    const pf::Point q(point.x - dragResizingOffset_.width, point.y - dragResizingOffset_.height);
    const auto round = [](double v) { return std::round(v); };

    pf::Rect r;
    bool mid = false;
    switch (dragResizingHandle_) {
    case QVRectCornerTopMid:
    case QVRectCornerMidLef:
        mid = true;
        [[fallthrough]];
    case QVRectCornerTopLef:
        r = QVRectFromPoints(pf::Point(round(q.x), round(q.y)), a);
        break;
    case QVRectCornerTopRit:
        r = pf::Rect(a.x, round(q.y), round(q.x - a.x), a.y - round(q.y));
        break;
    case QVRectCornerMidMid:
        r = shown;
        break;
    case QVRectCornerMidRit:
    case QVRectCornerBotMid:
        mid = true;
        r = pf::Rect(shown.origin, pf::Size(round(q.x - shown.x()), round(q.y - shown.y())));
        break;
    case QVRectCornerBotLef:
        r = pf::Rect(round(q.x), a.y, a.x - round(q.x), round(q.y - a.y));
        break;
    case QVRectCornerBotRit:
        r = pf::Rect(a, pf::Size(round(q.x - a.x), round(q.y - a.y)));
        break;
    default:
        return;
    }
    setMidHandleResize(mid);

    pf::Rect w = unrotateFrame(r, angle);
    // A turned selection is never snapped; nor is a side dragged about the centre with its ratio kept.
    if (angle == 0 && !(mid && shiftConstrain_ && isOptionCenter()))
        w = snapRectForRect(w, true, isDiagonalLine(), &event);
    setFrame(w);
    const pf::Rect n = frame();

    for (std::size_t i = 0; i < children_.size(); ++i) {
        const pf::Rect ratio = i < childRatios_.size() ? childRatios_[i] : pf::Rect();
        pf::Rect rect(ratio.x() * n.width() + n.x(), ratio.y() * n.height() + n.y(), ratio.width() * n.width(),
                      ratio.height() * n.height());
        if (grid && multiple)
            rect = gridAlignedRectForRect(rect, *children_[i]);
        children_[i]->setFrame(rect);
    }

    if ((shiftConstrain_ || grid) && canvas_)
        canvas_->cleanUpTempGuidesWithManipulatorRect(frame());
}

void Manipulator::endDragResize(const pf::Event& event)
{
    if (!dragResizing_)
        return;
    shiftConstrain_ = event.isShiftKeyPressed();
    setOptionCenter(event.isOptionKeyPressed());
    commandPressed_ = event.isCommandKeyPressed();
    endWholeDrag(dragResizing_, event, &Shape::endDrag);
    childRatios_.clear();
    clearSnapShapes();
}
