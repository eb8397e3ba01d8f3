// Union, intersection, difference and exclusive-or of two graphs. Crossings split both graphs' contours
// into stretches; each stretch lies wholly outside, inside or along the other graph, and the operation keeps
// the stretches that bound its result, each walked in the direction that keeps the result's area on one
// side. Tracing joins kept stretches end to start, jumping to the other graph at each crossing where it can.
#include "geometry/FBBezierGraph.h"

#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <span>

namespace {

struct Segment {
    const FBContourEdge* edge;
    double from;
    double to;
};

// A stretch's pieces, written into room made beforehand for the longest (a contour's edges and two more):
// filling it is a store per piece, without a check for growth.
class Segments {
public:
    void reserve(size_t n)
    {
        if (room_.size() < n)
            room_.resize(n);
    }
    void clear() { size_ = 0; }
    void push(const Segment& s) { room_[size_++] = s; }
    std::span<const Segment> view() const { return {room_.data(), size_}; }

private:
    std::vector<Segment> room_;
    size_t size_ = 0;
};

// The stretch from a crossing forward to the next crossing of its contour (possibly itself, round the whole
// contour), as parameter ranges on successive edges, into `segments` (cleared first: callers reuse one
// buffer). `end` receives the crossing it stops at.
[[gnu::always_inline]] inline void stretchSegments(const FBEdgeCrossing* from, FBEdgeCrossing** end, Segments& segments)
{
    segments.clear();
    const FBContourEdge* edge = from->edge();
    if (FBEdgeCrossing* next = from->next()) {
        segments.push({edge, from->parameter(), next->parameter()});
        *end = next;
        return;
    }
    segments.push({edge, from->parameter(), 1.0});
    const FBContourEdge* current = edge->next();
    const size_t count = edge->contour()->edges().size();
    for (size_t i = 0; i <= count; ++i) {
        if (FBEdgeCrossing* first = current->firstCrossing()) {
            segments.push({current, 0.0, first->parameter()});
            *end = first;
            return;
        }
        segments.push({current, 0.0, 1.0});
        current = current->next();
    }
    *end = const_cast<FBEdgeCrossing*>(from);
}

// The crossing the stretch from `from` stops at, as stretchSegments finds it.
FBEdgeCrossing* stretchEnd(const FBEdgeCrossing* from)
{
    if (FBEdgeCrossing* next = from->next())
        return next;
    const FBContourEdge* current = from->edge()->next();
    const size_t count = from->edge()->contour()->edges().size();
    for (size_t i = 0; i <= count; ++i) {
        if (FBEdgeCrossing* first = current->firstCrossing())
            return first;
        current = current->next();
    }
    return const_cast<FBEdgeCrossing*>(from);
}

void wholeContour(const FBBezierContour& contour, Segments& segments)
{
    segments.clear();
    segments.reserve(contour.edges().size());
    for (const FBContourEdge& edge : contour.edges())
        segments.push({&edge, 0.0, 1.0});
}

// Whether the graph's area lies on the left of the curve at t (the side a positive-area outline keeps its
// inside on); nothing when a step of `delta` to either side does not tell.
std::optional<bool> areaOnLeft(const FBBezierGraph& graph, const FBBezierCurve& curve, double t, double delta)
{
    const MWPoint d = FBNormalizePoint(curve.tangentAtParameter(t));
    if (d == MWPoint())
        return std::nullopt;
    const MWPoint p = curve.pointAtParameter(t);
    // Nearer steps where the first does not tell: another outline of the graph can pass between the curve
    // and a point that far (a copy moved by a hair, crossing the curve a step away).
    for (double step : {delta, delta / 16, delta / 256}) {
        const MWPoint n{-d.y * step, d.x * step};
        const bool left = graph.containsPoint(FBAddPoint(p, n));
        if (left != graph.containsPoint(FBSubtractPoint(p, n)))
            return left;
    }
    return std::nullopt;
}

// Whether walking the stretch forward keeps its own graph's area on the right; nothing when the area lies
// on both sides or neither. Decided per stretch, so self-crossing contours whose loops run in opposite
// senses are walked right too.
std::optional<bool> againstArea(std::span<const Segment> segments, const FBBezierGraph& own, double delta)
{
    for (double u : {0.5, 0.25, 0.75}) {
        for (const Segment& s : segments) {
            if (s.to <= s.from)
                continue;
            if (const auto left = areaOnLeft(own, s.edge->curve(), s.from + u * (s.to - s.from), delta))
                return !*left;
        }
    }
    return std::nullopt;
}

// The placement of a stretch every sample of which lies on the other graph's outline (below).
FBPlacement sharedPlacement(std::span<const Segment> segments, const FBBezierContour& contour, const FBBezierGraph& own,
                            const FBBezierGraph& other, double tolerance, bool skipFirst, bool skipLast);

[[gnu::always_inline]] inline FBPlacement placementOfSegments(std::span<const Segment> segments,
                                                              const FBBezierContour& contour, const FBBezierGraph& own,
                                                              const FBBezierGraph& other, double tolerance)
{
    // A first or last piece a hair long (a stretch that starts or stops just off a joint) is sampled where
    // the outlines meet, and there two outlines running within a hair of each other are as far apart as the
    // tolerance: the stretch would be judged by that point, and its twin on the other graph, which has no
    // such piece, by points along its length, and the two could disagree. An end piece spanning under a
    // thousandth of its edge, with a chord under a thousandth of its neighbour's, is not sampled.
    bool skipFirst = false, skipLast = false;
    if (segments.size() > 1) {
        const auto squaredChord = [](const Segment& s) {
            const FBBezierCurve& c = s.edge->curve();
            return FBPointSquaredLength(FBSubtractPoint(s.from == 0 ? c.endPoint1 : c.pointAtParameter(s.from),
                                                        s.to == 1 ? c.endPoint2 : c.pointAtParameter(s.to)));
        };
        const auto isHair = [&](const Segment& piece, const Segment& neighbour) {
            return piece.to - piece.from < 1e-3 && squaredChord(piece) < squaredChord(neighbour) * 1e-6;
        };
        const size_t n = segments.size();
        skipFirst = isHair(segments[0], segments[1]);
        skipLast = isHair(segments[n - 1], segments[n - 2]);
    }
    // A stretch along ranges the overlap test found shared lies within the tolerance of the other graph
    // from end to end: every sample below would be on its outline.
    bool knownShared = true;
    for (const Segment& s : segments)
        if (!(s.to <= s.from || s.edge->sharesRange(s.from, s.to))) {
            knownShared = false;
            break;
        }
    if (!knownShared) {
        static constexpr double kSamples[] = {0.5, 0.25, 0.75, 0.125, 0.875};
        const Segment* const first = segments.data();
        const Segment* const last = first + segments.size() - 1;
        for (const double u : kSamples) {
            for (const Segment* s = first; s <= last; ++s) {
                if (s->to <= s->from || (skipFirst && s == first) || (skipLast && s == last))
                    continue;
                const MWPoint p = s->edge->curve().pointAtParameter(s->from + u * (s->to - s->from));
                // Twice the tolerance the shared stretches were found with: a stretch found shared lies
                // within it from end to end, and must not be judged inside or outside by a point a rounding
                // error off.
                switch (other.placementOfPoint(p, 2 * tolerance)) {
                case FBBezierGraph::PointPlacement::Inside:
                    return FBPlacement::Inside;
                case FBBezierGraph::PointPlacement::Outside:
                    return FBPlacement::Outside;
                case FBBezierGraph::PointPlacement::OnBoundary:
                    break;
                }
            }
        }
    }
    return sharedPlacement(segments, contour, own, other, tolerance, skipFirst, skipLast);
}

// Out of line: most stretches are placed by their first sample, and need none of this.
[[gnu::noinline]] FBPlacement sharedPlacement(std::span<const Segment> segments, const FBBezierContour& contour,
                                              const FBBezierGraph& own, const FBBezierGraph& other, double tolerance,
                                              bool skipFirst, bool skipLast)
{
    const auto skipped = [&](const Segment& s) {
        return s.to <= s.from || (skipFirst && &s == &segments.front()) || (skipLast && &s == &segments.back());
    };
    const double delta = tolerance * 100;
    // Every sample lies on the other graph's outline: a shared stretch. Which sides of it the other graph's
    // area covers decides: both (edges of the other graph meeting back to back), neither, or the side of
    // this graph's own area (same) or the other side (opposite).
    // Points beside the stretch that land on another outline of the other graph (a vertex touching the
    // stretch there) tell nothing; other places along it are tried first.
    std::optional<FBPlacement> fallback;
    for (double u : {0.5, 0.3, 0.7, 0.15, 0.85}) {
        for (const Segment& s : segments) {
            if (skipped(s))
                continue;
            const double t = s.from + u * (s.to - s.from);
            const MWPoint p = s.edge->curve().pointAtParameter(t);
            const MWPoint d = FBNormalizePoint(s.edge->curve().tangentAtParameter(t));
            const MWPoint n{-d.y * delta, d.x * delta};
            const auto leftPlacement = other.placementOfPoint(FBAddPoint(p, n), tolerance);
            const auto rightPlacement = other.placementOfPoint(FBSubtractPoint(p, n), tolerance);
            const bool left = leftPlacement == FBBezierGraph::PointPlacement::Inside;
            const bool right = rightPlacement == FBBezierGraph::PointPlacement::Inside;
            FBPlacement placement;
            if (left == right) {
                placement = left ? FBPlacement::Inside : FBPlacement::Outside;
            } else {
                const bool ownLeft = areaOnLeft(own, s.edge->curve(), t, delta).value_or(!contour.isReversedForNesting());
                placement = left == ownLeft ? FBPlacement::SharedSame : FBPlacement::SharedOpposite;
            }
            if (leftPlacement != FBBezierGraph::PointPlacement::OnBoundary
                && rightPlacement != FBBezierGraph::PointPlacement::OnBoundary)
                return placement;
            if (!fallback)
                fallback = placement;
        }
    }
    return fallback.value_or(FBPlacement::SharedSame);
}

// +1: the stretch bounds the result walked forward (in its nesting orientation), −1: walked backward,
// 0: not part of the result.
inline int selection(int operation, bool first, FBPlacement placement)
{
    enum { Union, Intersect, Difference, Xor };
    switch (operation) {
    case Union:
        return placement == FBPlacement::Outside || (first && placement == FBPlacement::SharedSame) ? 1 : 0;
    case Intersect:
        return placement == FBPlacement::Inside || (first && placement == FBPlacement::SharedSame) ? 1 : 0;
    case Difference:
        if (first)
            return placement == FBPlacement::Outside || placement == FBPlacement::SharedOpposite ? 1 : 0;
        return placement == FBPlacement::Inside ? -1 : 0;
    default:
        return placement == FBPlacement::Outside ? 1 : placement == FBPlacement::Inside ? -1 : 0;
    }
}

void setNestingOrientation(const FBBezierGraph& graph)
{
    for (const auto& contour : graph.contours()) {
        const double area = contour->signedArea();
        contour->setReversedForNesting(area != 0 && (area > 0) != (contour->inside() == 0));
    }
}

constexpr size_t kKeptPieces = 1 << 14;

// Rounding to whole units suits page geometry; on drawings only a few units across it would wipe out the
// shape, so it is left out there.
bool roundsToWholeUnits(const FBBezierGraph& a, const FBBezierGraph& b)
{
    constexpr double minimumExtent = 8;
    for (const FBBezierGraph* g : {&a, &b}) {
        const pf::Rect r = g->bounds();
        if (!g->contours().empty() && std::max(std::fabs(r.width()), std::fabs(r.height())) < minimumExtent)
            return false;
    }
    return true;
}

// The contours (by their places) whose bounds, widened by `margin`, meet each contour's: those of contour
// i are partners[starts[i]] … partners[starts[i + 1]] − 1, in their order. False where that is not worth
// finding out (bounds that are not numbers, a sweep that tests many times more pairs than there are
// contours). A contour holds a point of another only where their bounds meet: a point of a contour lies
// within its bounds but for rounding, and the ray from a point left of a contour's bounds crosses its
// closed outline an even number of times. The lists are scratch the caller keeps.
struct Meetings {
    struct Box {
        double left, top, right, bottom;
        uint32_t index;
    };
    std::vector<Box> boxes;
    std::vector<std::pair<uint32_t, uint32_t>> found;
    std::vector<uint32_t> starts, partners;
};

bool meetingBounds(const std::vector<std::unique_ptr<FBBezierContour>>& contours, double margin, Meetings& m)
{
    using Box = Meetings::Box;
    m.boxes.clear();
    m.found.clear();
    for (size_t i = 0; i < contours.size(); ++i) {
        if (contours[i]->edges().empty())
            continue;
        const pf::Rect b = contours[i]->bounds();
        const Box box{b.x() - margin, b.y() - margin, b.x() + b.width() + margin, b.y() + b.height() + margin,
                      uint32_t(i)};
        if (!(box.left <= box.right && box.top <= box.bottom))
            return false;
        m.boxes.push_back(box);
    }
    std::sort(m.boxes.begin(), m.boxes.end(), [](const Box& a, const Box& b) { return a.left < b.left; });
    const std::vector<Box>& boxes = m.boxes;
    size_t tests = 0;
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size() && boxes[j].left <= boxes[i].right; ++j) {
            if (++tests > 8 * boxes.size())
                return false;
            if (boxes[j].top <= boxes[i].bottom && boxes[i].top <= boxes[j].bottom)
                m.found.emplace_back(boxes[i].index, boxes[j].index);
        }
    // Each pair both ways round, by counts: every contour's partners in one run, then each run sorted.
    m.starts.assign(contours.size() + 1, 0);
    for (const auto& [a, b] : m.found)
        ++m.starts[a + 1], ++m.starts[b + 1];
    for (size_t i = 0; i < contours.size(); ++i)
        m.starts[i + 1] += m.starts[i];
    m.partners.resize(2 * m.found.size());
    for (const auto& [a, b] : m.found) {
        // starts[i] stands for the next free place of contour i's run while filling, then is put back.
        m.partners[m.starts[a]++] = b;
        m.partners[m.starts[b]++] = a;
    }
    for (size_t i = contours.size(); i > 0; --i)
        m.starts[i] = m.starts[i - 1];
    m.starts[0] = 0;
    // Each run in order, by insertion where it is a few places long (most are).
    for (size_t i = 0; i < contours.size(); ++i) {
        uint32_t* const first = m.partners.data() + m.starts[i];
        uint32_t* const last = m.partners.data() + m.starts[i + 1];
        if (last - first > 16) {
            std::sort(first, last);
            continue;
        }
        for (uint32_t* p = first + (first != last ? 1 : 0); p < last; ++p) {
            const uint32_t value = *p;
            uint32_t* q = p;
            for (; q > first && q[-1] > value; --q)
                *q = q[-1];
            *q = value;
        }
    }
    return true;
}

// A result contour's nesting, as orientContoursByNesting finds it.
struct Nesting {
    double area = 0;
    bool areaKnown = false;
    int depth = -1;
    int container = -1;
};

// The nesting's lists, scratch kept per thread.
struct NestingScratch {
    Meetings meetings;
    std::vector<Nesting> nesting;
    std::vector<const FBBezierContour*> near;
    void trim()
    {
        if (meetings.boxes.capacity() > kKeptPieces || meetings.found.capacity() > kKeptPieces
            || meetings.starts.capacity() > kKeptPieces || meetings.partners.capacity() > kKeptPieces)
            meetings = Meetings();
        if (nesting.capacity() > kKeptPieces)
            std::vector<Nesting>().swap(nesting);
        if (near.capacity() > kKeptPieces)
            std::vector<const FBBezierContour*>().swap(near);
    }
};

} // namespace

bool FBBezierGraph::containsContour(const FBBezierContour& contour) const
{
    // The contour's own graph is not known here; a graph of the contour alone stands in for it.
    FBBezierGraph own;
    own.addContour(contour.copy());
    Segments segments;
    wholeContour(contour, segments);
    return placementOfSegments(segments.view(), contour, own, *this, tolerance(*this)) == FBPlacement::Inside;
}

void FBBezierGraph::markCrossingsAsEntryOrExitWithBezierGraph(const FBBezierGraph& other, bool isFirst,
                                                              Operation operation, double tolerance)
{
    // Room for the longest stretch (round a whole contour and onto its first edge again): one allocation.
    Segments segments;
    size_t longest = 0;
    for (const auto& contour : contours_)
        longest = std::max(longest, contour->edges().size());
    for (const auto& contour : contours_) {
        for (FBContourEdge& edge : contour->edges()) {
            for (const auto& crossing : edge.crossings()) {
                segments.reserve(longest + 2);
                FBEdgeCrossing* end = nullptr;
                stretchSegments(crossing.get(), &end, segments);
                std::optional<bool> against = hasSelfCrossings() ? againstArea(segments.view(), *this, tolerance * 100)
                                                                 : std::optional<bool>(contour->isReversedForNesting());
                // A contour without area (a line drawn there and back, as an open connector path is closed)
                // is walked like an outline, so that cutting it leaves the line's visible part.
                if (!against && std::fabs(contour->signedArea()) <= tolerance * tolerance * 1e6)
                    against = contour->isReversedForNesting();
                const FBPlacement placement =
                    against ? placementOfSegments(segments.view(), *contour, *this, other, tolerance)
                            : FBPlacement::NotBoundary;
                crossing->setForwardPlacement(placement);
                crossing->setForwardAgainstArea(against.value_or(contour->isReversedForNesting()));
                const int selected = selection(int(operation), isFirst, placement);
                // Entry: the result leaves this crossing forward along its edge.
                crossing->setEntry(selected != 0 && (selected > 0) != crossing->forwardAgainstArea());
                crossing->setProcessed(false);
            }
        }
    }
}

FBBezierGraph FBBezierGraph::bezierGraphFromIntersections(FBBezierGraph& other, Operation operation, bool& rounded)
{
    rounded = roundsToWholeUnits(*this, other);
    struct Stretch {
        FBEdgeCrossing* from;
        FBEdgeCrossing* to;
        bool backward;
        FBPlacement placement;
        bool used = false;
        FBEdgeCrossing* start() const { return backward ? to : from; }
        FBEdgeCrossing* end() const { return backward ? from : to; }
    };
    std::vector<Stretch> stretches;
    for (FBBezierGraph* graph : {this, &other}) {
        const bool isFirst = graph == this;
        for (const auto& contour : graph->contours_) {
            for (FBContourEdge& edge : contour->edges()) {
                for (const auto& crossing : edge.crossings()) {
                    const int selected = selection(int(operation), isFirst, crossing->forwardPlacement());
                    if (selected == 0)
                        continue;
                    // At most one stretch leaves each crossing: room for all of them at once.
                    if (stretches.capacity() == 0)
                        stretches.reserve(crossingCount() + other.crossingCount());
                    stretches.push_back({crossing.get(), stretchEnd(crossing.get()),
                                         (selected > 0) == crossing->forwardAgainstArea(),
                                         crossing->forwardPlacement()});
                }
            }
        }
    }
    // The stretches by the crossing they start at, in their own order among those of one crossing: kept in
    // the crossing.
    for (size_t i = 0; i < stretches.size(); ++i)
        stretches[i].start()->addStartingStretch(uint32_t(i));
    // The exclusive-or keeps every stretch, so two may leave one crossing: the boundary of A − B turns from
    // A's outside stretches onto B's inside ones and back, so the one of the other placement continues.
    const auto unusedStartingAt = [&](const FBEdgeCrossing* crossing, const Stretch& after) -> Stretch* {
        Stretch* found = nullptr;
        for (const uint32_t i : crossing->startingStretches()) {
            if (i == FBEdgeCrossing::kNone)
                break;
            if (stretches[i].used)
                continue;
            if (operation != Operation::Xor || stretches[i].placement != after.placement)
                return &stretches[i];
            if (!found)
                found = &stretches[i];
        }
        return found;
    };
    const double tol = std::max(tolerance(other) * 1000, 1e-300);

    // Every piece is part of an edge between crossings: room for as many as there can be, made once.
    size_t edgeCount = 0, longest = 0;
    for (const FBBezierGraph* graph : {static_cast<const FBBezierGraph*>(this), static_cast<const FBBezierGraph*>(&other)})
        for (const auto& contour : graph->contours_) {
            edgeCount += contour->edges().size();
            longest = std::max(longest, contour->edges().size());
        }
    FBBezierGraph result;
    // Kept per thread (up to a bound): a long outline's walk would otherwise take fresh pages every time.
    thread_local std::vector<FBBezierCurve> pieces;
    pieces.reserve(edgeCount + 2 * stretches.size() + 1);
    // Room for the longest stretch (round a whole contour and onto its first edge again), where there is one.
    Segments segments;
    if (!stretches.empty())
        segments.reserve(longest + 2);
    std::vector<std::pair<double, size_t>> byStartX;
    for (Stretch& first : stretches) {
        if (first.used)
            continue;
        // The traced curves are gathered first and made edges at once: long outlines grow no edge list.
        pieces.clear();
        Stretch* current = &first;
        // Every step uses up one stretch, so the walk ends after at most as many steps as there are
        // stretches (two per crossing) even when the marks disagree.
        for (size_t steps = 0; current && steps <= stretches.size(); ++steps) {
            current->used = true;
            current->from->setProcessed(true);
            current->to->setProcessed(true);
            FBEdgeCrossing* end = nullptr;
            stretchSegments(current->from, &end, segments);
            // Pieces between crossings at one place add nothing but empty edges.
            const auto piece = [&](const Segment& s) -> std::optional<FBBezierCurve> {
                if (!(s.to > s.from))
                    return std::nullopt;
                // A whole edge is taken as it stands: splitting it at its ends would only add rounding.
                const FBBezierCurve c = s.from == 0 && s.to == 1
                                            ? s.edge->curve()
                                            : s.edge->curve().subcurveWithRange(FBRangeMake(s.from, s.to));
                double minX, minY, maxX, maxY;
                c.controlBounds(minX, minY, maxX, maxY);
                if (maxX - minX <= tol && maxY - minY <= tol)
                    return std::nullopt;
                return c;
            };
            // Each piece starts exactly where the last ended: the crossing's point as found on either
            // graph differs in the last digits, and rounding must not turn that into a gap.
            const auto add = [&](FBBezierCurve c) {
                if (!pieces.empty())
                    c.endPoint1 = pieces.back().endPoint2;
                pieces.push_back(c);
            };
            if (!current->backward) {
                for (const Segment& s : segments.view())
                    if (const auto c = piece(s))
                        add(*c);
            } else {
                const std::span<const Segment> walked = segments.view();
                for (auto it = walked.rbegin(); it != walked.rend(); ++it)
                    if (const auto c = piece(*it))
                        add(c->reversed());
            }
            FBEdgeCrossing* reached = current->end();
            Stretch* next = reached->counterpart() ? unusedStartingAt(reached->counterpart(), *current) : nullptr;
            if (!next)
                next = unusedStartingAt(reached, *current);
            if (!next) {
                // Another crossing at the same place (several boundaries meeting at one point): the first
                // such stretch in their order, found among those starting near in x (every closed contour
                // of a result with many asks once).
                if (byStartX.empty() && !stretches.empty()) {
                    byStartX.reserve(stretches.size());
                    for (size_t i = 0; i < stretches.size(); ++i)
                        if (const double x = stretches[i].start()->location().x; !std::isnan(x))
                            byStartX.push_back({x, i});
                    std::sort(byStartX.begin(), byStartX.end());
                }
                const MWPoint at = reached->location();
                // Twice the reach, so rounding of the bound loses no stretch the test below takes.
                auto it = std::lower_bound(byStartX.begin(), byStartX.end(), std::pair<double, size_t>(at.x - 2 * tol, 0));
                for (; it != byStartX.end() && it->first <= at.x + 2 * tol; ++it) {
                    Stretch& s = stretches[it->second];
                    if (!s.used && FBArePointsCloseWithOptions(s.start()->location(), at, tol)
                        && (!next || &s < next))
                        next = &s;
                }
            }
            current = next;
        }
        if (!pieces.empty()) {
            const MWPoint start = pieces.front().endPoint1;
            if (FBArePointsCloseWithOptions(pieces.back().endPoint2, start, tol))
                pieces.back().endPoint2 = start;
            else // every result contour is closed, even where the marks left the walk short of its start
                pieces.push_back(FBBezierCurve::bezierCurveWithLineStartPoint(pieces.back().endPoint2, start));
            // Rounded as the edges are made, so that each edge's bounds are taken once.
            auto contour = std::make_unique<FBBezierContour>();
            contour->edges().reserve(pieces.size());
            for (size_t i = 0; i < pieces.size(); ++i) {
                FBBezierCurve& piece = pieces[i];
                if (rounded) {
                    // Each piece starts exactly where the last ended, which is rounded already.
                    piece.endPoint1 = i == 0 ? FBRoundPoint(piece.endPoint1) : pieces[i - 1].endPoint2;
                    piece.controlPoint1 = FBRoundPoint(piece.controlPoint1);
                    piece.controlPoint2 = FBRoundPoint(piece.controlPoint2);
                    piece.endPoint2 = FBRoundPoint(piece.endPoint2);
                }
                contour->addCurve(piece);
            }
            result.addContour(std::move(contour));
        }
    }
    if (pieces.capacity() > kKeptPieces)
        std::vector<FBBezierCurve>().swap(pieces);
    return result;
}

void FBBezierGraph::orientContoursByNesting(double tolerance)
{
    const size_t n = contours_.size();
    if (n < 2)
        return;
    // A contour apart from the others (a shape cut into many pieces) holds none of their points and has
    // none of its own held: it needs no sample, nor its area. Where the contours whose bounds meet are
    // known, each is tried against those only, in their order; else against all, through height bands
    // where there are many.
    // Scratch kept per thread, as the operations' edge lists are.
    thread_local NestingScratch scratch;
    // Dropped past a bound once done with, as the walk's pieces are.
    struct Trim {
        NestingScratch& scratch;
        ~Trim() { scratch.trim(); }
    } trim{scratch};
    Meetings& meetings = scratch.meetings;
    const bool paired = meetingBounds(contours_, tolerance, meetings);
    if (paired && meetings.found.empty())
        return;
    const auto meetingCount = [&](size_t i) { return meetings.starts[i + 1] - meetings.starts[i]; };
    std::vector<Nesting>& nesting = scratch.nesting;
    nesting.assign(n, Nesting{});
    // Taken only where a contour holds another's sample: a contour without area holds nothing and is held
    // by nothing, and the smallest holder is the container.
    const auto areaOf = [&](size_t i) {
        if (!nesting[i].areaKnown)
            nesting[i].area = contours_[i]->signedArea(), nesting[i].areaKnown = true;
        return nesting[i].area;
    };
    FBHeightBands bands;
    bool banded = false;
    if (!paired && n >= 16) {
        std::vector<std::pair<double, double>> heights;
        heights.reserve(n);
        for (size_t j = 0; j < n; ++j) {
            const pf::Rect b = contours_[j]->bounds();
            heights.emplace_back(b.y(), b.y() + b.height());
        }
        banded = bands.build(heights);
    }
    std::vector<const FBBezierContour*>& near = scratch.near;
    bool nested = false;
    for (size_t i = 0; i < n; ++i) {
        Nesting& at = nesting[i];
        if (contours_[i]->edges().empty() || (paired && meetingCount(i) == 0))
            continue;
        if (paired) {
            near.clear();
            for (uint32_t k = meetings.starts[i]; k < meetings.starts[i + 1]; ++k)
                near.push_back(contours_[meetings.partners[k]].get());
        }
        const std::optional<MWPoint> sample =
            paired ? FBSamplePointOffOtherContours(*contours_[i], near, tolerance, {0.5, 0.25, 0.75, 0.0})
                  : FBSamplePointOffOtherContours(*contours_[i], contours_, tolerance, {0.5, 0.25, 0.75, 0.0});
        if (!sample)
            continue;
        int depth = 0, container = -1;
        const auto contain = [&](size_t j) {
            if (j == i)
                return;
            // Below, above or right of a contour's bounds the ray meets none of its edges.
            const pf::Rect b = contours_[j]->bounds();
            if (sample->y < b.y() || sample->y >= b.y() + b.height() || sample->x >= b.x() + b.width()
                || !contours_[j]->containsPoint(*sample) || areaOf(j) == 0)
                return;
            ++depth;
            if (container < 0 || std::fabs(areaOf(j)) < std::fabs(areaOf(size_t(container))))
                container = int(j);
        };
        if (paired) {
            for (uint32_t k = meetings.starts[i]; k < meetings.starts[i + 1]; ++k)
                contain(meetings.partners[k]);
        } else if (banded) {
            // Filed in the contours' order, as the plain scan takes them (the first of equal areas holds).
            const auto [first, last] = bands.at(sample->y);
            for (const uint32_t* j = first; j != last; ++j)
                contain(*j);
        } else {
            for (size_t j = 0; j < n; ++j)
                contain(j);
        }
        if (depth > 0 && areaOf(i) == 0)
            continue;
        at.depth = depth, at.container = container;
        nested = nested || (at.depth > 0 && at.container >= 0);
    }
    if (!nested)
        return;
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return nesting[a].depth < nesting[b].depth; });
    for (size_t i : order) {
        if (nesting[i].depth <= 0 || nesting[i].container < 0)
            continue;
        // An inner contour runs against its container, so the non-zero rule leaves it a hole.
        Nesting& container = nesting[size_t(nesting[i].container)];
        if ((nesting[i].area > 0) == (container.area > 0)) {
            contours_[i]->reverse();
            nesting[i].area = -nesting[i].area;
        }
    }
}

FBBezierGraph FBBezierGraph::performOperation(FBBezierGraph& other, Operation operation)
{
    const double tol = tolerance(other);
    setNestingOrientation(*this);
    setNestingOrientation(other);
    // Scratch kept per thread (up to a bound): every operation sorts both graphs' edges.
    thread_local std::vector<FBContourEdge*> mine, theirs;
    edgesByLeft(mine);
    other.edgesByLeft(theirs);
    insertSelfCrossings(mine);
    other.insertSelfCrossings(theirs);
    insertCrossingsWithBezierGraph(other, mine, theirs);
    // Stretches are placed against the other graph within twice the tolerance at most, about one point
    // each: a graph is indexed only where the other's crossings start enough stretches to repay it. The
    // indexes are scratch kept per thread, as the edge lists are.
    constexpr size_t kIndexedStretches = 16;
    thread_local PlacementIndex indexes[2];
    if (other.crossingCount() >= kIndexedStretches)
        indexPlacement(indexes[0], 2 * tol);
    if (crossingCount() >= kIndexedStretches)
        other.indexPlacement(indexes[1], 2 * tol);
    markCrossingsAsEntryOrExitWithBezierGraph(other, true, operation, tol);
    other.markCrossingsAsEntryOrExitWithBezierGraph(*this, false, operation, tol);
    dropPlacementIndex();
    other.dropPlacementIndex();

    bool rounded = false;
    FBBezierGraph result = bezierGraphFromIntersections(other, operation, rounded);

    for (std::vector<FBContourEdge*>* edges : {&mine, &theirs}) {
        edges->clear();
        if (edges->capacity() > kKeptPieces)
            std::vector<FBContourEdge*>().swap(*edges);
    }

    // Contours that cross nothing stay or go as a whole, by where they lie; first this graph's, then the other's.
    Segments whole;
    for (const FBBezierGraph* graph : {static_cast<const FBBezierGraph*>(this), static_cast<const FBBezierGraph*>(&other)}) {
        const bool isFirst = graph == this;
        const FBBezierGraph& opposite = isFirst ? other : *this;
        for (const auto& candidate : graph->contours_) {
            FBBezierContour* contour = candidate.get();
            if (contour->edges().empty() || contour->hasCrossings())
                continue;
            wholeContour(*contour, whole);
            const FBPlacement placement = placementOfSegments(whole.view(), *contour, *graph, opposite, tol);
            if (selection(int(operation), isFirst, placement) == 0)
                continue;
            auto kept = contour->copy();
            kept->setInside(contour->inside());
            result.addContour(std::move(kept));
        }
    }
    removeCrossings();
    other.removeCrossings();
    result.orientContoursByNesting(tol);
    return result;
}

FBBezierGraph FBBezierGraph::unionWithBezierGraph(FBBezierGraph& graph) { return performOperation(graph, Operation::Union); }
FBBezierGraph FBBezierGraph::intersectWithBezierGraph(FBBezierGraph& graph)
{
    return performOperation(graph, Operation::Intersect);
}
FBBezierGraph FBBezierGraph::differenceWithBezierGraph(FBBezierGraph& graph)
{
    return performOperation(graph, Operation::Difference);
}
FBBezierGraph FBBezierGraph::xorWithBezierGraph(FBBezierGraph& graph) { return performOperation(graph, Operation::Xor); }
