// Grid alignment and snapping of the selection's drags: the rect of a move or the dragged handle of a
// resize is pulled onto the nearest alignment line of other shapes, the page and the user guides, with a
// temporary guide for each pull and a mark on each shape pulled to. What the canvas shows goes through
// ManipulatorCanvas.
#include "manipulators/Manipulator.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "model/Guide.h"
#include "model/Parent.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Event.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

// Line pairs: pair i takes its x line from handle PairX[i] and its y line from PairY[i] (edges, then the
// centre lines).
constexpr std::array<QVRectCorner, 3> PairX{QVRectCornerTopLef, QVRectCornerTopRit, QVRectCornerTopMid};
constexpr std::array<QVRectCorner, 3> PairY{QVRectCornerTopLef, QVRectCornerBotLef, QVRectCornerMidLef};

struct Line {
    double value;
    QVRectCorner code;
};

// The best pull found so far along one axis.
struct AxisSnap {
    double best = 0;
    const std::shared_ptr<Shape>* shape; // into the gathered shapes, or null
    double value = 0;
    std::int64_t code = -1;
    bool fixed() const { return code != -1; }
};

bool accepts(double d, const AxisSnap& axis, bool strict)
{
    return strict ? std::fabs(d) < std::fabs(axis.best) : std::fabs(d) <= std::fabs(axis.best);
}

// The shapes' pull along one axis: the nearest target line to any dragged line, ties going to the later
// comparison. With the grid on, only the very first comparison must be strictly nearer.
class ShapeAxis {
public:
    ShapeAxis(const AxisSnap& start, const std::vector<Line>& lines, bool grid)
        : best_(start.best), absBest_(std::fabs(start.best)), strict_(grid), count_(std::min<std::size_t>(lines.size(), 3))
    {
        for (std::size_t j = 0; j < count_; ++j)
            lines_[j] = lines[j].value;
    }
    void compare(double line, std::size_t target, QVRectCorner code)
    {
        for (std::size_t j = 0; j < count_; ++j) {
            const double d = line - lines_[j];
            const double a = std::fabs(d);
            if (strict_ ? a < absBest_ : a <= absBest_) {
                best_ = d, absBest_ = a, target_ = target, value_ = line, code_ = code;
            }
            strict_ = false;
        }
    }
    // The first comparison happened elsewhere.
    void passFirst() { strict_ = false; }
    void finish(AxisSnap& axis, const std::vector<std::shared_ptr<Shape>>& targets) const
    {
        if (target_ == None)
            return;
        axis.best = best_;
        axis.shape = &targets[target_];
        axis.value = value_;
        axis.code = code_;
    }

private:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);
    double best_, absBest_;
    bool strict_;
    std::size_t count_;
    std::array<double, 3> lines_{};
    std::size_t target_ = None;
    double value_ = 0;
    QVRectCorner code_ = QVRectCornerNone;
};

void gatherFrom(const Parent& parent, Manipulator::Children& into)
{
    for (const auto& child : parent.children()) {
        if (child->isGroup()) {
            if (const auto* group = dynamic_cast<const Parent*>(child.get()))
                gatherFrom(*group, into);
        }
        else if (child->isSnapable())
            into.push_back(child);
    }
}

bool finiteRect(const pf::Rect& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

} // namespace

bool Manipulator::isGridEnabled() const
{
    const Composition* p = page();
    return p && p->isGridEnabled();
}

pf::Rect Manipulator::gridAlignedRectForRect(const pf::Rect& rect, Shape& shape) const
{
    const Composition* p = page();
    if (!p)
        return rect;
    pf::Rect w(rect.origin, p->gridAlignedSizeForSize(rect.size));
    if (!(hasSingle() && (dragMoving_ || dragResizing_))) {
        w.origin = p->gridAlignedPointForPoint(rect.origin);
        return w;
    }
    // One shape under the pointer: only its size goes to the grid, its anchor stays where it was on screen,
    // so the edge being dragged is the one that moves.
    const Shape::DragStart& start = shape.dragStart();
    const std::int64_t angle = shape.rotationAngle();
    if (angle == 0)
        return QVRectSetAnchor(start.anchorPoint, start.anchorCorner, w);
    const int a = static_cast<int>(currentRotationAngleForAngle(angle) % 360);
    w = QVRectApplyRotation(QVMakeRotation(a, w), w);
    const pf::Point anchor = QVMakeRotation(static_cast<int>(angle % 360), start.frame).apply(start.anchorPoint);
    w = QVRectSetAnchor(anchor, start.anchorCorner, w);
    return QVRectApplyRotation(QVMakeRotation(-a, w), w);
}

pf::Point Manipulator::gatherPoint() const
{
    // A handle left from an earlier resize says nothing about a move.
    const pf::Rect f = frame();
    return dragResizing_ && dragResizingHandle_ >= 0
               ? QVRectGetCornerPoint(static_cast<QVRectCorner>(dragResizingHandle_), f)
               : pf::Point(f.midX(), f.midY());
}

void Manipulator::gatherSnapShapes()
{
    clearSnapShapes();
    const Composition* p = page();
    if (!p)
        return;
    gatherFrom(*p, snapShapes_);
    const bool pointer = isPointer();
    snapTargets_.reserve(snapShapes_.size());
    for (const auto& target : snapShapes_) {
        SnapTarget t;
        t.frame = target->frame().standardized();
        t.rect = target->snapRect().standardized();
        t.x = {t.rect.minX(), t.rect.maxX(), t.rect.midX()};
        t.y = {t.rect.minY(), t.rect.maxY(), t.rect.midY()};
        t.first = 0;
        t.last = 3;
        t.after = pointer && target->isPointer();
        // A connector attached to the selection moves with it: never a target.
        if (target->isPointer()
            && std::any_of(children_.begin(), children_.end(),
                           [&](const auto& c) { return c->isConnectedToPointer(target.get()); }))
            t.last = 0;
        // A text offers only the lines its alignment names.
        else if (!pointer && target->isText()) {
            const std::uint64_t align = target->textAlign();
            if (align == 0 || align == 1)
                t.first = static_cast<std::uint8_t>(align), t.last = static_cast<std::uint8_t>(align + 1);
            else if (align == 2 || align == 3)
                t.first = 2;
            else
                t.last = 0;
        }
        snapTargets_.push_back(t);
    }
    snapGathered_ = true;
    snapOrigin_ = gatherPoint();
}

void Manipulator::moveSnapOrigin()
{
    if (snapGathered_)
        snapOrigin_ = gatherPoint();
    else
        gatherSnapShapes();
}

Manipulator::SnapKey Manipulator::snapKey(std::size_t k) const
{
    const pf::Rect& r = snapTargets_[k].frame;
    const pf::Point& g = snapOrigin_;
    const double dx = g.x - std::clamp(g.x, r.minX(), r.maxX());
    const double dy = g.y - std::clamp(g.y, r.minY(), r.maxY());
    const double distance = dx * dx + dy * dy; // squared: it orders as the distance does
    return {snapTargets_[k].after, std::isnan(distance) ? HUGE_VAL : distance, k};
}

Manipulator::Children Manipulator::snapShapes() const
{
    std::vector<SnapKey> keys;
    keys.reserve(snapTargets_.size());
    for (std::size_t k = 0; k < snapTargets_.size(); ++k)
        keys.push_back(snapKey(k));
    std::sort(keys.begin(), keys.end());
    Children ordered;
    ordered.reserve(keys.size());
    for (const SnapKey& key : keys)
        ordered.push_back(snapShapes_[key.index]);
    return ordered;
}

bool Manipulator::isDiagonalLine() const
{
    if (!isPointer() || !shiftConstrain_)
        return false;
    const pf::Rect f = frame();
    const double degrees = std::atan2(f.height(), f.width()) * 180.0 / std::numbers::pi + 180.0;
    return QVRectCornerIsCorner(QVRectCornerForAngle(degrees));
}

pf::Rect Manipulator::snapRectForRect(const pf::Rect& rect, bool isResize, bool isZeroTolerance, const pf::Event* event)
{
    Composition* p = page();
    if (!p || !canvas_ || !canvas_->wantsSnap())
        return rect;
    const UserDefaults& defaults = UserDefaults::instance();
    bool on = defaults.isSnapEnabled();
    if (event && event->isControlKeyPressed())
        on = !on;
    if (!on)
        return rect;
    const bool boundsOn = defaults.isSnapToCompositionBoundsEnabled();
    const bool guidesOn = defaults.isSnapToUserGuidesEnabled() && defaults.guidesVisible();
    const bool shapesOn = defaults.isSnapToOtherShapesEnabled();
    if (!boundsOn && !guidesOn && !shapesOn)
        return rect;
    const bool distantOn = defaults.isSnapToDistantShapesEnabled();
    const bool grid = p->isGridEnabled();

    // Constant on screen: the tolerance is in screen points.
    double t = isZeroTolerance ? 0.5 : grid ? p->gridTolerance() : defaults.snapTolerance();
    const double scale = currentScale();
    if (scale > 0 && std::isfinite(scale))
        t /= scale;

    // A move is never limited by the handle of an earlier resize.
    const std::int64_t h = isResize ? dragResizingHandle_ : -1;
    const QVRectCorner hc = h >= 0 && h <= 8 ? static_cast<QVRectCorner>(h) : QVRectCornerNone;
    const bool pointer = isPointer();
    // The selection's own rect as it shows (the selection draws no path of its own to bound).
    const pf::Rect f = frame();
    const std::int64_t angle = rotationAngle() % 360;
    const pf::Rect shown = angle == 0 ? f.standardized() : QVMakeRotation(static_cast<int>(angle), f).apply(f);
    const pf::Rect near = isResize && pointer ? QVSquareAroundPoint(QVRectGetCornerPoint(hc, rect), t)
                                              : QVRectOutset(shown, t, t);

    bool allowX = h != QVRectCornerTopMid && h != QVRectCornerBotMid && lockType_ != 2;
    bool allowY = h != QVRectCornerMidLef && h != QVRectCornerMidRit && lockType_ != 1;
    if (isLine() && shiftConstrain_) {
        const bool landscape = isLandscape();
        allowX = allowX && landscape;
        allowY = allowY && !landscape;
    }

    // The dragged lines: the three pairs of a moved rect, the dragged handle of a resize.
    std::vector<Line> xs, ys;
    if (isResize) {
        const pf::Point c = QVRectGetCornerPoint(hc, rect);
        xs.push_back({c.x, hc});
        ys.push_back({c.y, hc});
    } else {
        for (std::size_t i = 0; i < 3; ++i) {
            xs.push_back({QVRectGetCornerPoint(PairX[i], rect).x, PairX[i]});
            ys.push_back({QVRectGetCornerPoint(PairY[i], rect).y, PairY[i]});
        }
    }

    AxisSnap x{t, nullptr, 0, -1};
    AxisSnap y{t, nullptr, 0, -1};

    // Shapes. Only a line within the tolerance can pull, so one pass over the page finds the targets that
    // have one; those are compared farthest first from where the drag is, so that among equal pulls the
    // nearer shape wins. Ordering only those keeps a step linear in the page, as it runs at every step.
    if (shapesOn && !snapShapes_.empty()) {
        const double reach = std::fabs(t);
        const auto within = [reach](const std::vector<Line>& dragged, double line) {
            for (const Line& l : dragged)
                if (std::fabs(line - l.value) <= reach)
                    return true;
            return false;
        };
        std::vector<SnapKey> pulling;
        std::optional<SnapKey> farthest;
        for (std::size_t k = 0; k < snapTargets_.size(); ++k) {
            const SnapTarget& target = snapTargets_[k];
            if (target.first == target.last || (event && !distantOn && !target.rect.intersects(near)))
                continue;
            // Only the grid's strict first comparison needs the farthest target of all.
            if (grid) {
                const SnapKey key = snapKey(k);
                if (!farthest || *farthest < key)
                    farthest = key;
            }
            for (std::size_t i = target.first; i < target.last; ++i) {
                if ((allowX && within(xs, target.x[i])) || (allowY && within(ys, target.y[i]))) {
                    pulling.push_back(snapKey(k));
                    break;
                }
            }
        }
        std::sort(pulling.begin(), pulling.end(), [](const SnapKey& a, const SnapKey& b) { return b < a; });
        ShapeAxis sx(x, xs, grid), sy(y, ys, grid);
        // With the grid on the very first comparison of the page must be strictly nearer; when the
        // farthest target pulls nothing, that comparison was one that could not pull.
        if (farthest && (pulling.empty() || pulling.front().index != farthest->index)) {
            sx.passFirst();
            sy.passFirst();
        }
        for (const SnapKey& key : pulling) {
            const SnapTarget& target = snapTargets_[key.index];
            for (std::size_t i = target.first; i < target.last; ++i) {
                if (allowX)
                    sx.compare(target.x[i], key.index, PairX[i]);
                if (allowY)
                    sy.compare(target.y[i], key.index, PairY[i]);
            }
        }
        sx.finish(x, snapShapes_);
        sy.finish(y, snapShapes_);
        const pf::Rect own = guideRect();
        if (x.shape) {
            const pf::Rect u = QVCombineRects(own, (*x.shape)->dirtyRect());
            addTempGuide(0, pf::Point(x.value, u.y()), pf::Point(x.value, u.y() + u.height()));
            canvas_->addSnappedShape(*x.shape);
        }
        if (y.shape) {
            const pf::Rect u = QVCombineRects(own, (*y.shape)->dirtyRect());
            addTempGuide(0, pf::Point(u.x(), y.value), pf::Point(u.x() + u.width(), y.value));
            canvas_->addSnappedShape(*y.shape);
        }
    }
    // The target of a connection: the nearer of the two pulls (by distance, whichever side).
    std::shared_ptr<Shape> primary = x.shape ? *x.shape : nullptr;
    if (y.shape && (!x.shape || std::fabs(x.best) > std::fabs(y.best)))
        primary = *y.shape;

    const auto freeAxis = [&] { return (allowX && !x.fixed()) || (allowY && !y.fixed()); };

    // The page's edges and centre lines.
    if (boundsOn && freeAxis()) {
        const pf::Rect b = p->bounds();
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < xs.size(); ++j) {
                if (allowX && !x.fixed()) {
                    const double bx = QVRectGetCornerPoint(PairX[i], b).x;
                    const double d = bx - xs[j].value;
                    if (accepts(d, x, grid)) {
                        x.best = d, x.value = bx, x.code = PairX[i];
                        addTempGuide(1, pf::Point(bx, b.y()), pf::Point(bx, b.y() + b.height()));
                    }
                }
                if (allowY && !y.fixed()) {
                    const double by = QVRectGetCornerPoint(PairY[i], b).y;
                    const double d = by - ys[j].value;
                    if (accepts(d, y, grid)) {
                        y.best = d, y.value = by, y.code = PairY[i];
                        addTempGuide(1, pf::Point(b.x(), by), pf::Point(b.x() + b.width(), by));
                    }
                }
            }
        }
    }

    // The page's user guides near the selection.
    if (guidesOn && freeAxis()) {
        const pf::Rect own = guideRect();
        for (const auto& guide : p->userGuides()) {
            if (!guide->frame().intersects(near))
                continue;
            const bool vertical = guide->isVertical();
            for (std::size_t j = 0; j < xs.size(); ++j) {
                if (vertical && allowX && !x.fixed()) {
                    const double gx = guide->p1().x;
                    const double d = gx - xs[j].value;
                    if (accepts(d, x, grid)) {
                        x.best = d, x.value = gx, x.code = xs[j].code;
                        const pf::Rect u = QVCombineRects(own, guide->dirtyRect());
                        addTempGuide(0, pf::Point(gx, u.y()), pf::Point(gx, u.y() + u.height()));
                    }
                } else if (!vertical && allowY && !y.fixed()) {
                    const double gy = guide->p1().y;
                    const double d = gy - ys[j].value;
                    if (accepts(d, y, grid)) {
                        y.best = d, y.value = gy, y.code = ys[j].code;
                        const pf::Rect u = QVCombineRects(own, guide->dirtyRect());
                        addTempGuide(0, pf::Point(u.x(), gy), pf::Point(u.x() + u.width(), gy));
                    }
                }
            }
        }
    }

    // With the grid on the grid places the rect; the guides and marks above still show what lines up.
    pf::Rect r = rect;
    if (!grid) {
        if (x.fixed())
            r.origin.x += x.best;
        if (y.fixed())
            r.origin.y += y.best;
    }

    if (!isResize || (!x.fixed() && !y.fixed())) {
        setConnectingShapeAtPoint(nullptr, QVRectGetCornerPoint(hc, r));
        return r;
    }

    if (!grid) {
        // Only the dragged end moves: the fixed end goes back where the drag started.
        const Shape::DragStart& start = dragStart();
        const pf::Point ap = start.anchorPoint;
        const QVRectCorner ac = static_cast<QVRectCorner>(start.anchorCorner);
        r = QVRectRound(r);
        if (pointer) {
            r = QVRectSetCorner(ap, ac, r);
        } else {
            const double rr = start.aspectRatio;
            // A start side of zero has no ratio to keep: the resize is free rather than divided by zero.
            const bool ratio = (shiftConstrain_ || constrainsAspectRatio()) && std::isfinite(rr) && rr != 0;
            // The side not snapped follows the snapped one, in the direction it had.
            const auto followRatio = [&] {
                if (x.fixed()) {
                    const double hgt = std::fabs(std::round(r.width() / rr));
                    r.size.height = r.height() > 0 ? hgt : -hgt;
                } else {
                    const double wid = std::fabs(std::round(r.height() * rr));
                    r.size.width = r.width() > 0 ? wid : -wid;
                }
            };
            if (ratio) {
                r = QVRectSetCorner(ap, ac, r);
                followRatio();
                r = QVRectSetAnchor(ap, ac, r);
            } else if (!isOptionCenter()) {
                r = QVRectSetCorner(ap, ac, r);
            }
            if (isOptionCenter()) {
                // The fixed end mirrors the dragged one through the start centre.
                const pf::Rect s = start.frame;
                const pf::Point c(s.midX(), s.midY());
                if (h != QVRectCornerTopMid && h != QVRectCornerBotMid) {
                    const double tx = std::round(QVRectGetCornerPoint(hc, r).x - c.x);
                    r = QVRectSetCorner(pf::Point(c.x - tx, QVRectGetCornerPoint(ac, r).y), ac, r);
                }
                if (h != QVRectCornerMidLef && h != QVRectCornerMidRit) {
                    const double ty = std::round(QVRectGetCornerPoint(hc, r).y - c.y);
                    r = QVRectSetCorner(pf::Point(QVRectGetCornerPoint(ac, r).x, c.y - ty), ac, r);
                }
                // Mirroring doubled each half on its own; Shift keeps the ratio: the side that was not
                // snapped follows the doubled side again, about the same centre.
                if (ratio) {
                    followRatio();
                    r = QVRectSetAnchor(c, QVRectCornerMidMid, r);
                }
            }
        }
        if (!finiteRect(r))
            r = rect;
    }

    // A connector end pulled onto a shape's edge may connect to it; a centre line alone is no edge.
    std::shared_ptr<Shape> target;
    if (defaults.isConnectionEnabled()) {
        target = primary;
        if ((x.fixed() && !y.fixed() && x.code == QVRectCornerTopMid)
            || (y.fixed() && !x.fixed() && y.code == QVRectCornerMidLef))
            target = nullptr;
    }
    setConnectingShapeAtPoint(target, QVRectGetCornerPoint(hc, r));
    return r;
}

void Manipulator::addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to)
{
    if (canvas_)
        canvas_->addTempGuide(type, from, to);
}

void Manipulator::addHorizontalTempGuideAtY(double y)
{
    if (const Composition* p = page()) {
        const pf::Rect b = p->bounds();
        addTempGuide(0, pf::Point(0, y), pf::Point(b.x() + b.width(), y));
    }
}

void Manipulator::addVerticalTempGuideAtX(double x)
{
    if (const Composition* p = page()) {
        const pf::Rect b = p->bounds();
        addTempGuide(0, pf::Point(x, 0), pf::Point(x, b.y() + b.height()));
    }
}
