// Where the selection's handles stand, when they are there, and which one a point hits.
#include "manipulators/Manipulator.h"

#include "geometry/QVRect.h"
#include "model/UserDefaults.h"

#include <cmath>

namespace {

// Handle geometry in screen points; divided by the zoom scale for page points.
constexpr double connectionHandleGap = 32.5;  // from the frame's bottom edge to the connection handle's centre
constexpr double optionDistance = 28.0;       // from the connection handle's centre to each option's
constexpr double optionSide = 30.0;
// The rotation and connection handles would crowd the frame at larger scales.
constexpr double largestScaleWithExtraHandles = 10.0;
// Side handles are snapped to whole points up to this zoom step; above it a point is several pixels.
constexpr std::int64_t lastRoundedZoomStep = 9;

const Shape* soleChild(const Manipulator& m)
{
    return m.children().size() == 1 ? m.children().front().get() : nullptr;
}

// A shape picked inside a group is moved by its group; its own handles would resize it out of the layout.
bool isGroupedSelection(const Manipulator& m)
{
    const Shape* child = soleChild(m);
    return child && child->isGrouped();
}

bool editsText(const Manipulator& m)
{
    const Shape* child = soleChild(m);
    return m.isEditingText() || (child && child->isEditingText());
}

// What the rotation and connection handles both need: one idle, unlocked child at a scale they fit.
bool showsExtraHandles(const Manipulator& m)
{
    return soleChild(m) && m.hasSingle() && !isGroupedSelection(m) && !m.isLocked() && !m.dragResizing()
        && !m.dragAdjusting() && !m.dragMoving() && m.currentScale() < largestScaleWithExtraHandles
        && !editsText(m);
}

// The point at that distance and whole-degree angle from the centre (y down). Quarter turns are exact: the
// option centres are floored, and noise of 1e-15 below a whole number would move a handle by a point.
pf::Point pointAtAngle(const pf::Point& centre, double distance, int degrees)
{
    double cosine = 0.0;
    double sine = 0.0;
    switch ((degrees % 360 + 360) % 360) {
    case 0:
        cosine = 1.0;
        break;
    case 90:
        sine = 1.0;
        break;
    case 180:
        cosine = -1.0;
        break;
    case 270:
        sine = -1.0;
        break;
    default: {
        const double radians = degrees * 3.141592653589793 / 180.0;
        cosine = std::cos(radians);
        sine = std::sin(radians);
    }
    }
    return pf::Point(centre.x + distance * cosine, centre.y + distance * sine);
}

// The handle square moved with the selection's turn about its centre, the square itself kept upright.
pf::Rect turnedHandleRect(const Manipulator& m, const pf::Rect& rect)
{
    const std::int64_t angle = m.rotationAngle();
    if (angle == 0)
        return rect;
    const pf::Point centre = m.rotationTransform(angle).apply(pf::Point(rect.midX(), rect.midY()));
    return QVRectAroundPoint(centre, rect.width(), rect.height());
}

} // namespace

// ---- handle rects ----

pf::Rect Manipulator::topLefHandle() const { return rectForCorner(QVRectCornerTopLef); }
pf::Rect Manipulator::topRitHandle() const { return rectForCorner(QVRectCornerTopRit); }
pf::Rect Manipulator::botLefHandle() const { return rectForCorner(QVRectCornerBotLef); }
pf::Rect Manipulator::botRitHandle() const { return rectForCorner(QVRectCornerBotRit); }
pf::Rect Manipulator::midMidHandle() const { return {}; }

pf::Rect Manipulator::onWholePoints(const pf::Rect& handle, QVRectCorner side) const
{
    if (zoomScaleIndex() > lastRoundedZoomStep)
        return handle;
    const auto outward = [](double v, int direction) {
        return direction < 0 ? std::floor(v) : direction > 0 ? std::ceil(v) : std::round(v);
    };
    const int dx = side == QVRectCornerMidLef ? -1 : side == QVRectCornerMidRit ? 1 : 0;
    const int dy = side == QVRectCornerTopMid ? -1 : side == QVRectCornerBotMid ? 1 : 0;
    pf::Rect r = handle;
    r.origin = pf::Point(outward(r.x(), dx), outward(r.y(), dy));
    return r;
}

// An upright frame's side handles lie on whole points so that they draw crisply; a turned frame's handles
// are off the pixel grid anyway.
pf::Rect Manipulator::sideHandle(QVRectCorner side) const
{
    const pf::Rect r = rectForCorner(side);
    return rotatedUpright() ? onWholePoints(r, side) : r;
}

pf::Rect Manipulator::topMidHandle() const { return sideHandle(QVRectCornerTopMid); }
pf::Rect Manipulator::midLefHandle() const { return sideHandle(QVRectCornerMidLef); }
pf::Rect Manipulator::midRitHandle() const { return sideHandle(QVRectCornerMidRit); }
pf::Rect Manipulator::botMidHandle() const { return sideHandle(QVRectCornerBotMid); }

pf::Rect Manipulator::adjustHandle() const
{
    const Shape* child = soleChild(*this);
    if (!child || !QVRectIsValidNotZeroSize(child->frame()))
        return {};
    const pf::Point point = child->adjustPoint();
    // A kind without an adjustment point answers the no-point marker: no handle out at 3.4e38.
    if (QVPointIsMaxFloat(point))
        return {};
    return QVSquareAroundPoint(point, handleSide());
}

pf::Rect Manipulator::rotationHandle() const
{
    if (hasMultiple())
        return {};
    const pf::Point c = center();
    return QVRectRound(QVSquareAroundPoint(pf::Point(c.x + rotationHandleRadius(), c.y), handleSide()));
}

pf::Rect Manipulator::connectionHandle() const
{
    if (hasMultiple())
        return {};
    const pf::Point c = center();
    const double below = connectionHandleGap / currentScale() + std::fabs(frame().height()) / 2.0;
    return QVRectRound(QVSquareAroundPoint(pf::Point(c.x, c.y + below), handleSide()));
}

pf::Rect Manipulator::resizeHandle(std::int64_t corner) const
{
    switch (corner) {
    case QVRectCornerTopLef:
        return topLefHandle();
    case QVRectCornerTopMid:
        return topMidHandle();
    case QVRectCornerTopRit:
        return topRitHandle();
    case QVRectCornerMidLef:
        return midLefHandle();
    case QVRectCornerMidMid:
        return midMidHandle();
    case QVRectCornerMidRit:
        return midRitHandle();
    case QVRectCornerBotLef:
        return botLefHandle();
    case QVRectCornerBotMid:
        return botMidHandle();
    case QVRectCornerBotRit:
        return botRitHandle();
    default:
        return {};
    }
}

std::array<pf::Rect, 5> Manipulator::connectionOptionRects(const pf::Rect& connectionHandleRect) const
{
    const double s = currentScale();
    const pf::Point c(connectionHandleRect.midX(), connectionHandleRect.midY());
    std::array<pf::Rect, 5> rects;
    for (int i = 1; i <= 5; ++i) {
        // A fifth of a turn each, starting just above the right: -17, 54, 126, 198 and 270 degrees.
        const int degrees = static_cast<int>(72.0 * i - 89.1);
        const pf::Point centre = QVPointFloor(pointAtAngle(c, optionDistance / s, degrees));
        rects[static_cast<std::size_t>(i - 1)] = QVRectRound(QVSquareAroundPoint(centre, optionSide / s));
    }
    return rects;
}

pf::Path Manipulator::pathForHandleRect(const pf::Rect& rect) const
{
    if (QVRectIsZero(rect))
        return {};
    return pf::Path::rect(turnedHandleRect(*this, rect));
}

// ---- visibility ----

bool Manipulator::showsSelectionHandles() const { return UserDefaults::instance().selectionHandlesVisible(); }

bool Manipulator::showsRotationHandle() const
{
    return showsExtraHandles(*this) && allowsRotation() && UserDefaults::instance().rotationHandlesVisible()
        && !QVRectIsZero(rotationHandle());
}

bool Manipulator::showsConnectionHandle() const
{
    return showsExtraHandles(*this) && !dragRotating() && allowsConnection()
        && UserDefaults::instance().connectionHandlesVisible() && !QVRectIsZero(connectionHandle());
}

bool Manipulator::showsAdjustmentHandles() const
{
    return allowsAdjusting() && showsSelectionHandles() && !dragResizing() && !dragMoving()
        && !isGroupedSelection(*this) && !editsText(*this);
}

// ---- hit testing ----

std::int64_t Manipulator::handleForPoint(const pf::Point& point) const
{
    if (isGroupedSelection(*this))
        return -1;
    const auto hits = [this, &point](const pf::Rect& rect) { return pathForHandleRect(rect).containsPoint(point); };

    const bool connection = showsConnectionHandle();
    if (connection && connectionOptionsVisible()) {
        const std::array<pf::Rect, 5> options = connectionOptionRects(connectionHandle());
        for (std::size_t i = 0; i < options.size(); ++i)
            if (hits(options[i]))
                return ManipulatorHandleConnectionOption + static_cast<std::int64_t>(i);
    }
    // A shape still being drawn offers only its resize handles.
    if (!provisional()) {
        const bool adjusting = showsAdjustmentHandles();
        if (connection && hits(connectionHandle()))
            return ManipulatorHandleConnection;
        if (adjusting && hits(adjustHandle()))
            return ManipulatorHandleAdjust;
        if (showsRotationHandle() && hits(rotationHandle()))
            return ManipulatorHandleRotation;
        if (adjusting && hits(midMidHandle()))
            return QVRectCornerMidMid;
    }
    if (showsSelectionHandles()) {
        // Bottom-right first: on a frame smaller than its handles, dragging it out is what the user means.
        static constexpr QVRectCorner order[] = {QVRectCornerBotRit, QVRectCornerTopLef, QVRectCornerTopRit,
                                                 QVRectCornerBotLef, QVRectCornerTopMid, QVRectCornerMidLef,
                                                 QVRectCornerMidRit, QVRectCornerBotMid};
        for (const QVRectCorner corner : order)
            if (hits(resizeHandle(corner)))
                return corner;
    }
    return -1;
}
