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
        const std::size_t next = std::size_t(nextModelIndex(i));
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
    // The peer is the other control meeting at the same model point, within the point's own subpath.
    const Run run = runOf(m);
    int peerPair = -1, peerSlot = 0, flag = 0, meeting = 0;
    if (s == 1) {
        meeting = m;
        if (m < run.end - 1)
            peerPair = m + 1, flag = m + 1;
        else if (run.closed)
            peerPair = run.start, flag = run.start;
        peerSlot = 0;
    } else {
        meeting = previousModelIndex(m);
        peerPair = meeting, peerSlot = 1, flag = m;
        // A subpath's first pair meets its last point only when it is closed.
        if (m == run.start && !run.closed)
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
    // Flag j stands for the junction at point j − 1; a subpath's first flag for the junction at its last.
    if (h - 9 < n) {
        const int m = h - 9;
        const Run run = runOf(m);
        const int flag = m == run.end - 1 ? run.start : m + 1;
        independent_[std::size_t(flag)] = independent;
        return true;
    }
    const int k = h - 9 - n;
    const Run run = runOf(k / 2);
    const int flag = (k / 2 + k % 2) == run.end ? run.start : k / 2 + k % 2;
    if (std::size_t(flag) < independent_.size())
        independent_[std::size_t(flag)] = independent;
    return false;
}

// ---- replacing the model ----

void Bezier::setModelPointsControlPointsRegen(Points points, Pairs pairs, bool regen)
{
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), subpaths_, regen);
}

void Bezier::setModelPointsControlPointsRegen(Points points, Pairs pairs, Subpaths subpaths, bool regen)
{
    // An empty model is undoable too: removing the only point must come back.
    pf::registerUndo(undoManager(), this,
                     [oldPoints = points_, oldPairs = pairs_, oldSubpaths = subpaths_](Bezier& b) {
                         b.setModelPointsControlPointsRegen(oldPoints, oldPairs, oldSubpaths, true);
                     },
                     pf::localized(adjustPath));
    points_ = std::move(points);
    pairs_ = std::move(pairs);
    setSubpaths(std::move(subpaths));
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
    const int m = modelIndexForElement(e);
    if (m < 0 || pairs_.size() != points_.size())
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
    // The new point belongs to the subpath of the segment it cuts; the later subpaths move up by one.
    Subpaths subpaths = subpaths_;
    for (BezierSubpath& s : subpaths)
        if (s.start > m)
            ++s.start;
    setModelControlPointsInvisible(std::move(invisible));
    setModelControlPointsIndependent(std::move(independent));
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), std::move(subpaths), true);
}

void Bezier::removePointAtIndex(int i)
{
    const int n = modelPointCount();
    if (i < 0 || i >= n)
        return;
    setNeedsDisplay();
    pf::UndoGrouping group(undoManager());
    Pairs pairs = pairs_;
    const Run run = runOf(i);
    if (pairs.size() == points_.size()) {
        if (i == run.end - 1) {
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
    // A subpath left without points goes; the later ones move down by one.
    Subpaths subpaths;
    for (BezierSubpath s : subpaths_) {
        if (s.start == i && run.end == i + 1)
            continue;
        if (s.start > i)
            --s.start;
        subpaths.push_back(s);
    }
    setModelPointsControlPointsRegen(std::move(points), std::move(pairs), std::move(subpaths), true);
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
    if (isSubpathClosedAt(lastModelPointIndex()))
        return pairs_[std::size_t(subpathStartOf(lastModelPointIndex()))][0];
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
        // Each open subpath gets a straight closing segment of its own.
        for (const Run& run : runs()) {
            if (run.closed)
                continue;
            const std::size_t first = std::size_t(run.start), last = std::size_t(run.end - 1);
            independent_[first + 1 <= last ? first + 1 : first] = true;
            independent_[first] = true;
            pairs_[first] = {points_[last], points_[first]};
        }
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
    setClosed(true);
    dragStart().frame = frame();
    rebuild();
}

void Bezier::reversePath()
{
    const std::size_t total = points_.size();
    if (total == 0)
        return;
    // Each subpath runs backwards, and they come in reverse order, so the whole outline runs backwards and
    // its ends swap.
    Model model;
    const std::vector<Run> all = runs();
    const bool paired = pairs_.size() == total;
    const bool flagged = independent_.size() == total && invisible_.size() == total;
    for (auto run = all.rbegin(); run != all.rend(); ++run) {
        const std::size_t a = std::size_t(run->start), n = std::size_t(run->end - run->start);
        model.subpaths.push_back(BezierSubpath{int(model.points.size()), run->closed});
        for (std::size_t k = 0; k < n; ++k)
            model.points.push_back(points_[a + n - 1 - k]);
        if (flagged) {
            for (std::size_t k = 0; k < n; ++k) {
                model.invisible.push_back(invisible_[a + n - 1 - k]);
                // The flag of each junction follows its point (flag m + 1 belongs to point m) on a loop.
                model.independent.push_back(run->closed ? independent_[a + (2 * n - k + 1) % n]
                                                        : independent_[a + n - 1 - k]);
            }
        }
        if (!paired)
            continue;
        Pairs swapped;
        for (std::size_t k = 0; k < n; ++k) {
            const BezierControlPair& pair = pairs_[a + n - 1 - k];
            swapped.push_back({pair[1], pair[0]});
        }
        // Each segment now ends where it used to start: every entry moves one place later, the first
        // stays (the last, on a loop) and the last (old first pair) drops off.
        model.pairs.push_back(run->closed ? swapped[n - 1] : swapped[0]);
        for (std::size_t j = 1; j < n; ++j)
            model.pairs.push_back(swapped[j - 1]);
    }
    if (!flagged) {
        model.invisible = Flags(invisible_.rbegin(), invisible_.rend());
        model.independent = Flags(independent_.rbegin(), independent_.rend());
    }
    if (subpaths_.empty())
        model.subpaths.clear();
    setModel(std::move(model));
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
    Model model = runsModel();
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
        const pf::Point last = model.points.back(), first = other->points_.front();
        Model more = other->runsModel();
        // Ends that meet become one subpath; apart, the other's outline stays a subpath of its own, with
        // nothing drawn across the gap.
        const double scale = std::max({std::fabs(last.x), std::fabs(last.y), std::fabs(first.x), std::fabs(first.y), 1.0});
        const bool meet = !model.subpaths.back().closed && !more.subpaths.front().closed
                          && std::hypot(first.x - last.x, first.y - last.y) <= 1e-7 * scale;
        if (meet) {
            // The junction's incoming handle lies on the point; the joining segment leaves from it.
            model.pairs.back()[1] = last;
            more.pairs[0][0] = last;
            if (reverse)
                more.pairs[0][1] = first;
            other->pairs_[0] = more.pairs[0];
        }
        const std::size_t joined = model.points.size();
        model.append(more);
        if (meet)
            model.subpaths.erase(std::find_if(model.subpaths.begin(), model.subpaths.end(),
                                              [&](const BezierSubpath& s) { return s.start == int(joined); }));
    }
    setModel(std::move(model));
    setNeedsDisplay();
}

Bezier::Model Bezier::runsModel(std::size_t first, std::size_t last) const
{
    Model model;
    const std::vector<Run> all = runs();
    last = std::min(last, all.size());
    const auto copy = [](const auto& from, auto& to, int a, int b) {
        const int end = std::min<int>(b, int(from.size()));
        if (a < end)
            to.insert(to.end(), from.begin() + a, from.begin() + end);
    };
    for (std::size_t k = first; k < last; ++k) {
        const Run& r = all[k];
        model.subpaths.push_back(BezierSubpath{int(model.points.size()), r.closed});
        copy(points_, model.points, r.start, r.end);
        copy(pairs_, model.pairs, r.start, r.end);
        copy(invisible_, model.invisible, r.start, r.end);
        copy(independent_, model.independent, r.start, r.end);
    }
    return model;
}

void Bezier::Model::append(const Model& more)
{
    const int offset = int(points.size());
    // Flags short of their points are padded, so each run's flags stay beside its points.
    invisible.resize(points.size(), false);
    independent.resize(points.size(), false);
    points.insert(points.end(), more.points.begin(), more.points.end());
    pairs.insert(pairs.end(), more.pairs.begin(), more.pairs.end());
    invisible.insert(invisible.end(), more.invisible.begin(), more.invisible.end());
    independent.insert(independent.end(), more.independent.begin(), more.independent.end());
    invisible.resize(points.size(), false);
    independent.resize(points.size(), false);
    for (BezierSubpath s : more.subpaths) {
        s.start += offset;
        subpaths.push_back(s);
    }
}

void Bezier::setModel(Model model)
{
    setModelControlPointsInvisible(std::move(model.invisible));
    setModelControlPointsIndependent(std::move(model.independent));
    setModelPointsControlPointsRegen(std::move(model.points), std::move(model.pairs), std::move(model.subpaths), true);
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
    if (!subpaths_.empty())
        return sliceSubpathAtLocation(location, modelIndexForElement(e));
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

std::vector<std::shared_ptr<Shape>> Bezier::sliceSubpathAtLocation(const pf::Point& location, int m)
{
    if (m < 0)
        return {};
    // The touched subpath is cut as a shape of its own; the others go with the piece beside them, so an
    // open subpath cut in two leaves those before it with the first piece and those after with the second.
    const std::vector<Run> all = runs();
    std::size_t k = 0;
    while (k + 1 < all.size() && all[k + 1].start <= m)
        ++k;
    auto part = std::dynamic_pointer_cast<Bezier>(copy());
    if (!part)
        return {};
    const Model alone = runsModel(k, k + 1);
    part->points_ = alone.points;
    part->pairs_ = alone.pairs;
    part->invisible_ = alone.invisible;
    part->independent_ = alone.independent;
    part->subpaths_.clear();
    part->closed_ = all[k].closed;
    part->rebuild();
    std::vector<std::shared_ptr<Shape>> pieces = part->sliceAtLocation(location);
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        auto piece = std::dynamic_pointer_cast<Bezier>(pieces[p]);
        if (!piece)
            continue;
        Model model = p == 0 ? runsModel(0, k) : Model{};
        model.append(piece->runsModel());
        if (p + 1 == pieces.size())
            model.append(runsModel(k + 1));
        const bool disabled = piece->disableUndo();
        piece->setModel(std::move(model));
        piece->reenableUndoIf(disabled);
    }
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
