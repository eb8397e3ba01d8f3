// Editing a Bezier: moving points and control points, flags, inserting and removing points, the pen
// tool's appends, closing, reversing, flipping, joining, slicing and splitting, and the drag bracket.
#include "geometry/BezierPathAdditions.h"
#include "geometry/BezierPathMeasure.h"
#include "geometry/QVRect.h"
#include "shapes/Bezier.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString adjustPath = QStringLiteral("Adjust Path");

pf::Point reflected(const pf::Point& p, const pf::Point& through)
{
    return pf::Point(2 * through.x - p.x, 2 * through.y - p.y);
}

} // namespace

// ---- points and control points ----

void Bezier::setModelPointAtIndex(const pf::Point& p, int i)
{
    const int n = modelPointCount();
    if (i < 0 || i >= n)
        return;
    setNeedsDisplay();
    const pf::Point d = p - points_[std::size_t(i)];
    points_[std::size_t(i)] = p;
    if ((d.x != 0 || d.y != 0) && pairs_.size() == points_.size()) {
        pairs_[std::size_t(i)][1] = pairs_[std::size_t(i)][1] + d;
        const std::size_t next = i == n - 1 ? 0 : std::size_t(i + 1);
        pairs_[next][0] = pairs_[next][0] + d;
    }
    rebuild();
}

void Bezier::setPointAtHandleIndex(const pf::Point& p, int h)
{
    const int n = modelPointCount();
    if (h < 9 || h > lastControlPointHandleIndex())
        return;
    if (h - 9 < n) {
        setModelPointAtIndex(p, h - 9);
        return;
    }
    if (pairs_.size() != points_.size())
        return;
    setNeedsDisplay();
    const int k = h - 9 - n;
    const int m = k / 2, s = k % 2;
    pairs_[std::size_t(m)][std::size_t(s)] = p;
    // The peer is the other control meeting at the same model point.
    int peerPair = -1, peerSlot = 0, flag = 0, meeting = 0;
    if (s == 1) {
        meeting = m;
        if (m < n - 1)
            peerPair = m + 1, flag = m + 1;
        else if (closed_)
            peerPair = 0, flag = 0;
        peerSlot = 0;
    } else {
        meeting = m == 0 ? n - 1 : m - 1;
        peerPair = meeting, peerSlot = 1, flag = m;
        // Slot 0 of pair 0 meets the last point only on a closed path.
        if (m == 0 && !closed_)
            peerPair = -1;
    }
    if (peerPair >= 0 && peerPair != m && std::size_t(flag) < independent_.size() && !independent_[std::size_t(flag)])
        pairs_[std::size_t(peerPair)][std::size_t(peerSlot)] = reflected(p, points_[std::size_t(meeting)]);
    setDirtyRectFlag();
    rebuild();
}

bool Bezier::setIndependentAtHandleIndex(bool independent, int h)
{
    const int n = modelPointCount();
    if (n == 0 || h < 9)
        return false;
    if (h - 9 < n) {
        const int m = h - 9;
        const int flag = m == n - 1 ? 0 : m + 1;
        independent_[std::size_t(flag)] = independent;
        return true;
    }
    const int k = h - 9 - n;
    const int flag = (k / 2 + k % 2) == n ? 0 : k / 2 + k % 2;
    if (std::size_t(flag) < independent_.size())
        independent_[std::size_t(flag)] = independent;
    return false;
}

// ---- replacing the model ----

void Bezier::setModelPointsControlPointsRegen(Points points, Pairs pairs, bool regen)
{
    // An empty model is undoable too: removing the only point must come back.
    pf::registerUndo(undoManager(), this,
                     [oldPoints = points_, oldPairs = pairs_](Bezier& b) {
                         b.setModelPointsControlPointsRegen(oldPoints, oldPairs, true);
                     },
                     pf::localized(adjustPath));
    points_ = std::move(points);
    pairs_ = std::move(pairs);
    if (regen && !pairs_.empty() && pairs_.size() == points_.size())
        rebuild();
}

void Bezier::setModelControlPointsIndependent(Flags flags)
{
    if (flags == independent_)
        return;
    pf::registerUndo(undoManager(), this,
                     [old = independent_](Bezier& b) { b.setModelControlPointsIndependent(old); },
                     pf::localized(adjustPath));
    independent_ = std::move(flags);
}

void Bezier::setModelControlPointsInvisible(Flags flags)
{
    if (flags == invisible_)
        return;
    pf::registerUndo(undoManager(), this,
                     [old = invisible_](Bezier& b) { b.setModelControlPointsInvisible(old); },
                     pf::localized(adjustPath));
    invisible_ = std::move(flags);
}

// ---- inserting and removing ----

void Bezier::insertPoint(const pf::Point& p)
{
    setNeedsDisplay();
    const double tolerance = strokeLineWidth() / 2 + 5;
    pf::Point nearest;
    double t = 0;
    const int e = geom::elementHitByPointToleranceTValueNearestPoint(path(), p, tolerance, &t, &nearest);
    if (e < 0)
        return;
    const int n = modelPointCount();
    const int m = e == 0 ? 0 : closed_ ? e - 1 : e;
    if (m >= n || pairs_.size() != points_.size())
        return;
    pf::UndoGrouping group(undoManager());
    Pairs pairs = pairs_;
    const BezierControlPair old = pairs[std::size_t(m)];
    pairs[std::size_t(m)] = {old[0], p};
    pairs.insert(pairs.begin() + m + 1, BezierControlPair{p, old[1]});
    Flags independent = independent_, invisible = invisible_;
    independent.insert(independent.begin() + std::min<std::ptrdiff_t>(m, std::ssize(independent)), false);
    invisible.insert(invisible.begin() + std::min<std::ptrdiff_t>(m, std::ssize(invisible)), true);
    Points points = points_;
    points.insert(points.begin() + m, p);
    setModelControlPointsInvisible(std::move(invisible));
    setModelControlPointsIndependent(std::move(independent));
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), true);
}

void Bezier::removePointAtIndex(int i)
{
    const int n = modelPointCount();
    if (i < 0 || i >= n)
        return;
    setNeedsDisplay();
    pf::UndoGrouping group(undoManager());
    Pairs pairs = pairs_;
    if (pairs.size() == points_.size()) {
        if (i == n - 1) {
            pairs.erase(pairs.begin() + i);
        } else {
            // The joined segment keeps its outer control points.
            pairs[std::size_t(i)] = {pairs[std::size_t(i)][0], pairs[std::size_t(i) + 1][1]};
            pairs.erase(pairs.begin() + i + 1);
        }
    }
    Flags independent = independent_, invisible = invisible_;
    if (std::size_t(i) < independent.size())
        independent.erase(independent.begin() + i);
    if (std::size_t(i) < invisible.size())
        invisible.erase(invisible.begin() + i);
    Points points = points_;
    points.erase(points.begin() + i);
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), true);
    setModelControlPointsInvisible(std::move(invisible));
    setModelControlPointsIndependent(std::move(independent));
    if (points_.empty())
        AbstractPointer::regeneratePathWithOldFrame(frame());
}

int Bezier::modelIndexClosestToPoint(const pf::Point& p) const
{
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < modelPointCount(); ++i) {
        const double d = std::hypot(points_[std::size_t(i)].x - p.x, points_[std::size_t(i)].y - p.y);
        if (d < bestDistance)
            bestDistance = d, best = i;
    }
    return best;
}

// ---- pen tool ----

void Bezier::appendPoint(const pf::Point& p)
{
    if (pairs_.size() != points_.size())
        pairs_ = generatedPairs();
    pairs_.push_back({phantomControlPoint(), p});
    independent_.push_back(false);
    invisible_.push_back(true);
    points_.push_back(p);
    rebuild();
}

pf::Point Bezier::phantomControlPoint() const
{
    if (wantsIndependentPhantomPoint_)
        return independentPhantomPoint_;
    if (points_.empty() || pairs_.size() != points_.size())
        return points_.empty() ? pf::Point() : points_.back();
    if (closed_)
        return pairs_[0][0];
    return reflected(pairs_.back()[1], points_.back());
}

pf::Point Bezier::initialPeerControlPoint() const
{
    return pairs_.empty() ? (points_.empty() ? pf::Point() : points_[0]) : pairs_[0][1];
}

void Bezier::setIndependentPhantomPoint(const pf::Point& p)
{
    independentPhantomPoint_ = p;
    setDirtyRectFlag();
}

void Bezier::doneGenerating()
{
    if (backupFillColor())
        setFillColor(backupFillColor());
    setBackupFillColor(std::nullopt);
    generating_ = false;
    wantsIndependentPhantomPoint_ = false;
}

// ---- closing, reversing, flipping, transforming ----

void Bezier::closePath()
{
    const int n = modelPointCount();
    if (n == 0 || pairs_.size() != points_.size())
        return;
    setNeedsDisplay();
    if (!generating_) {
        independent_[1 % std::size_t(n)] = true;
        independent_[0] = true;
        // A straight closing segment.
        pairs_[0] = {points_.back(), points_[0]};
    } else if (n > 1) {
        // The pen came back onto the first point: its copy, the last point, goes, and the closing
        // segment keeps the handle dragged out of the point before.
        independent_[0] = independent_.back();
        const pf::Point c = pairs_.back()[0];
        points_.pop_back();
        pairs_.pop_back();
        independent_.pop_back();
        invisible_.pop_back();
        pairs_[0][0] = c;
        if (!independent_[0])
            pairs_.back()[1] = reflected(c, points_.back());
    }
    closed_ = true;
    dragStart().frame = frame();
    rebuild();
}

void Bezier::reversePath()
{
    const std::size_t n = points_.size();
    if (n == 0)
        return;
    Points points(points_.rbegin(), points_.rend());
    Flags invisible(invisible_.rbegin(), invisible_.rend());
    Flags independent(independent_.rbegin(), independent_.rend());
    Pairs pairs;
    if (pairs_.size() == n) {
        Pairs swapped;
        for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it)
            swapped.push_back({(*it)[1], (*it)[0]});
        // Each segment now ends where it used to start: every entry moves one place later, the first
        // stays, and the last (old pair 0) drops off.
        pairs = swapped;
        for (std::size_t j = n - 1; j >= 1; --j)
            pairs[j] = swapped[j - 1];
        // A closed path's closing segment (pair 0) runs backwards too; the flag of each junction follows
        // its point (flag m + 1 belongs to point m), so the reversed loop is the same outline, edited alike.
        if (closed_) {
            pairs[0] = swapped[n - 1];
            for (std::size_t k = 0; k < n && independent_.size() == n; ++k)
                independent[k] = independent_[(2 * n - k + 1) % n];
        }
    }
    setModelControlPointsInvisible(std::move(invisible));
    setModelControlPointsIndependent(std::move(independent));
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), true);
}

void Bezier::flipHorizontalVertical(bool horizontal, bool vertical)
{
    const pf::Rect f = frame();
    const double sx = horizontal ? -1 : 1, sy = vertical ? -1 : 1;
    const double tx = horizontal ? 2 * f.x() + f.width() : 0, ty = vertical ? 2 * f.y() + f.height() : 0;
    applyTransformToPath(pf::AffineTransform{sx, 0, 0, sy, tx, ty});
}

void Bezier::applyTransformToPath(const pf::AffineTransform& t)
{
    Points points = points_;
    Pairs pairs = pairs_;
    for (pf::Point& p : points)
        p = t.apply(p);
    for (BezierControlPair& pair : pairs)
        for (pf::Point& p : pair)
            p = t.apply(p);
    setNeedsDisplay();
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), true);
    setNeedsDisplay();
}

// ---- joining ----

void Bezier::combineWithShapes(const std::vector<std::shared_ptr<Shape>>& shapes)
{
    if (pairs_.size() != points_.size() || points_.empty())
        return;
    Points points = points_;
    Pairs pairs = pairs_;
    Flags invisible = invisible_, independent = independent_;
    const pf::Point end = points_.back();
    for (const auto& shape : shapes) {
        auto other = std::dynamic_pointer_cast<Bezier>(shape);
        if (!other || other.get() == this || other->points_.empty())
            continue;
        if (other->pairs_.size() != other->points_.size())
            other->pairs_ = other->generatedPairs();
        const auto distance = [&](const pf::Point& p) { return std::hypot(p.x - end.x, p.y - end.y); };
        const bool reverse = distance(other->points_.back()) < distance(other->points_.front());
        if (reverse)
            other->reversePath();
        const pf::Point last = points.back();
        // The junction's incoming handle lies on the point; the joining segment leaves from it.
        pairs.back()[1] = last;
        other->pairs_[0][0] = last;
        if (reverse)
            other->pairs_[0][1] = other->points_.front();
        points.insert(points.end(), other->points_.begin(), other->points_.end());
        pairs.insert(pairs.end(), other->pairs_.begin(), other->pairs_.end());
        invisible.insert(invisible.end(), other->invisible_.begin(), other->invisible_.end());
        independent.insert(independent.end(), other->independent_.begin(), other->independent_.end());
        invisible.resize(points.size(), false);
        independent.resize(points.size(), false);
    }
    setModelControlPointsInvisible(std::move(invisible));
    setModelControlPointsIndependent(std::move(independent));
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), true);
    setNeedsDisplay();
}

// ---- slicing and splitting ----

bool Bezier::canSliceAtLocation(const pf::Point& location) const
{
    const double tolerance = strokeLineWidth() / 2 + 5;
    return geom::elementHitByPointToleranceTValue(path(), location, tolerance, nullptr) >= 0;
}

std::vector<std::shared_ptr<Shape>> Bezier::sliceAtLocation(const pf::Point& location)
{
    const double tolerance = strokeLineWidth() / 2 + 5;
    pf::Point nearest;
    double t = 0;
    const int e = geom::elementHitByPointToleranceTValueNearestPoint(path(), location, tolerance, &t, &nearest);
    if (e < 0)
        return {};
    const double d = geom::distanceFromStartOfPathAtPointTolerance(path(), nearest, tolerance);
    // A negative distance means the measure found no element past the first: nothing to cut at.
    if (d < 0)
        return {};
    if (closed_) {
        pf::Path loop = geom::bezierPathByTrimmingToLength(path(), d);
        const pf::Path rest = geom::bezierPathByTrimmingFromLength(path(), d);
        loop.append(rest);
        return {fromBezierPath(loop, asPlist(), false, e)};
    }
    const double total = geom::length(path());
    std::vector<std::shared_ptr<Shape>> pieces;
    for (auto& piece : splitLengths({d, total - d}))
        pieces.push_back(std::move(piece));
    return pieces;
}

std::vector<std::shared_ptr<Bezier>> Bezier::splitLengths(const std::vector<double>& lengths)
{
    std::vector<std::shared_ptr<Bezier>> pieces;
    double start = 0;
    const pf::Value plist = asPlist();
    for (double l : lengths) {
        const double end = start + l;
        pf::Path piece = geom::bezierPathByTrimmingToLength(path(), end);
        if (start > 0)
            piece = geom::bezierPathByTrimmingFromLength(piece, start);
        pieces.push_back(fromBezierPath(piece, plist, false, 0));
        start = end;
    }
    return pieces;
}

// ---- drag bracket ----

void Bezier::beginDrag()
{
    AbstractPointer::beginDrag();
    dragStartPath_ = path();
    dragStartPoints_ = points_;
    dragStartPairs_ = pairs_;
    frameScalingEnabled_ = isResizing();
}

void Bezier::endDrag(const pf::Event& event)
{
    endDragCommit(event, true);
}

void Bezier::endDragCommit(const pf::Event& event, bool commit)
{
    if (commit && dragStartPoints_) {
        // The frame first: its change maps the drag-start model onto the frame the drag reached.
        AbstractPointer::endDrag(event);
        Points dragged = points_;
        Pairs draggedPairs = pairs_;
        points_ = *dragStartPoints_;
        pairs_ = *dragStartPairs_;
        setModelPointsControlPointsRegen(std::move(dragged), std::move(draggedPairs), false);
    }
    // At rest a frame change moves the model again (a handle drag had turned that off).
    frameScalingEnabled_ = false;
    frameTranslationEnabled_ = true;
    dragStartPath_.reset();
    dragStartPoints_.reset();
    dragStartPairs_.reset();
    dragStart().frame = frame();
}
