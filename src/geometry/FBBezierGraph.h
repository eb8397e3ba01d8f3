// The graph the path boolean operations work on: a path's subpaths become closed contours, each segment an
// edge holding one cubic, and every place where an edge of one graph meets an edge of the other as a pair
// of crossings tied to each other. The graph owns its contours, a contour its edges, an edge its crossings;
// the back references (edge to contour, crossing to edge and counterpart) are plain pointers, valid while
// the graphs live and are not restructured.
#pragma once

#include "geometry/FBBezierCurve.h"
#include "platform/foundation/Geometry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pf {
class Path;
}

class FBBezierContour;
class FBContourEdge;
class FBBezierGraph;

// Where a stretch of one contour lies with respect to the other graph. NotBoundary: the stretch has its
// own graph's area on both sides or on neither (edges of one graph running over each other), so it bounds
// nothing.
enum class FBPlacement { Outside, Inside, SharedSame, SharedOpposite, NotBoundary };

// One side of a meeting of two edges. It keeps only its parameter on its edge and the meeting's point (as
// found on curve 1, the same for both crossings of a pair); the pieces of the edge on either side are split
// off the edge's curve when asked for.
class FBEdgeCrossing {
public:
    // `onCurve1` tells which side of the intersection this crossing stands for. Inline: made for every
    // meeting.
    FBEdgeCrossing(const FBBezierIntersection& intersection, bool onCurve1)
        : parameter_(onCurve1 ? intersection.parameter1() : intersection.parameter2()),
          location_(intersection.location()), onCurve1_(onCurve1)
    {
    }
    static std::unique_ptr<FBEdgeCrossing> crossingWithIntersection(const FBBezierIntersection& intersection,
                                                                    bool onCurve1)
    {
        return std::make_unique<FBEdgeCrossing>(intersection, onCurve1);
    }
    // Crossings come from a store kept per thread: an operation makes and drops one per meeting.
    static void* operator new(std::size_t size);
    static void operator delete(void* pointer, std::size_t size);

    FBContourEdge* edge() const { return edge_; }
    void setEdge(FBContourEdge* edge) { edge_ = edge; }
    FBEdgeCrossing* counterpart() const { return counterpart_; }
    void setCounterpart(FBEdgeCrossing* counterpart) { counterpart_ = counterpart; }
    bool isEntry() const { return entry_; }
    void setEntry(bool entry) { entry_ = entry; }
    bool isProcessed() const { return processed_; }
    void setProcessed(bool processed) { processed_ = processed; }
    size_t index() const { return index_; }
    void setIndex(size_t index) { index_ = uint32_t(index); }
    // Where the graph crosses itself: both crossings of the pair lie on the same graph.
    bool isSelfCrossing() const { return selfCrossing_; }
    void setSelfCrossing(bool value) { selfCrossing_ = value; }
    // Made at the end of a stretch the two graphs share.
    bool fromOverlap() const { return fromOverlap_; }
    void setFromOverlap(bool value) { fromOverlap_ = value; }
    // Placement of the stretch from this crossing forward to the next one of its contour.
    FBPlacement forwardPlacement() const { return forwardPlacement_; }
    void setForwardPlacement(FBPlacement placement) { forwardPlacement_ = placement; }
    // The stretch forward from here has its own graph's area on its right: the operations walk it backwards.
    bool forwardAgainstArea() const { return forwardAgainstArea_; }
    void setForwardAgainstArea(bool value) { forwardAgainstArea_ = value; }

    // Scratch of the trace: the places in its list of the stretches that start here, in their order, then
    // kNone. At most two can: the one leaving forward and the one arriving here walked backward.
    static constexpr uint32_t kNone = UINT32_MAX;
    const std::array<uint32_t, 2>& startingStretches() const { return startingStretches_; }
    void addStartingStretch(uint32_t place) { startingStretches_[startingStretches_[0] == kNone ? 0 : 1] = place; }

    // Asks the edge to remove (and destroy) this crossing.
    void removeFromEdge();
    double order() const { return parameter_; }
    double parameter() const { return parameter_; }
    MWPoint location() const { return location_; }
    const FBBezierCurve& curve() const;
    std::optional<FBBezierCurve> leftCurve() const;
    std::optional<FBBezierCurve> rightCurve() const;
    bool isAtStart() const { return FBAreValuesClose(parameter_, 0); }
    bool isAtEnd() const { return FBAreValuesClose(parameter_, 1); }
    FBEdgeCrossing* next() const;
    FBEdgeCrossing* previous() const;

    std::string description() const;

private:
    double parameter_ = 0;
    MWPoint location_;
    bool onCurve1_ = true;
    FBContourEdge* edge_ = nullptr;
    FBEdgeCrossing* counterpart_ = nullptr;
    bool entry_ = false;
    bool processed_ = false;
    bool fromOverlap_ = false;
    bool selfCrossing_ = false;
    FBPlacement forwardPlacement_ = FBPlacement::Outside;
    bool forwardAgainstArea_ = false;
    size_t index_ = 0;
    std::array<uint32_t, 2> startingStretches_{kNone, kNone};
};

// An allocator drawing on a store of blocks through Take and Drop (each a store kept per thread).
template <typename T, void* (*Take)(std::size_t), void (*Drop)(void*, std::size_t)>
struct FBStoreAllocator {
    using value_type = T;
    template <typename U>
    struct rebind {
        using other = FBStoreAllocator<U, Take, Drop>;
    };
    FBStoreAllocator() = default;
    template <typename U>
    FBStoreAllocator(const FBStoreAllocator<U, Take, Drop>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(Take(n * sizeof(T))); }
    void deallocate(T* block, std::size_t n) { Drop(block, n * sizeof(T)); }
    friend bool operator==(const FBStoreAllocator&, const FBStoreAllocator&) { return true; }
};

// Room for an edge's list of crossings, the first time as many as addCrossing reserves: such blocks come
// from a store kept per thread (as crossings do), since an operation gives many edges a list and drops
// them all.
void* FBTakeCrossingList(std::size_t bytes);
void FBDropCrossingList(void* block, std::size_t bytes);

using FBCrossingList = std::vector<std::unique_ptr<FBEdgeCrossing>,
                                  FBStoreAllocator<std::unique_ptr<FBEdgeCrossing>, FBTakeCrossingList, FBDropCrossingList>>;

class FBContourEdge;

// Room for a contour's edges: blocks of a few sizes (4 to 256 edges) come from stores kept per thread, since
// an operation reads two graphs and makes a result, often of many small contours, and drops them all.
void* FBTakeEdgeList(std::size_t bytes);
void FBDropEdgeList(void* block, std::size_t bytes);

using FBEdgeList = std::vector<FBContourEdge, FBStoreAllocator<FBContourEdge, FBTakeEdgeList, FBDropEdgeList>>;

class FBContourEdge {
public:
    // Inline: a traced result makes an edge of every piece.
    FBContourEdge(const FBBezierCurve& curve, FBBezierContour* contour) : curve_(curve), contour_(contour)
    {
        curve_.controlBounds(minX, minY, maxX, maxY);
    }
    // An edge whose curve is known to be a uniform line (or not), without testing it again.
    FBContourEdge(const FBBezierCurve& curve, FBBezierContour* contour, bool isLine);
    // The line FBBezierCurve::bezierCurveWithLineStartPoint makes between two finite points: its control
    // points, at the thirds of the chord, lie between its ends (each step of their making rounds towards
    // a value between them), so the ends alone give its bounds, and the same bounds.
    struct FiniteLine {};
    FBContourEdge(const FBBezierCurve& line, FBBezierContour* contour, FiniteLine)
        : curve_(line), contour_(contour), lineState_(1)
    {
        // The first of equal values, as controlBounds takes it (the ends come first and last there).
        minX = std::min(line.endPoint1.x, line.endPoint2.x);
        minY = std::min(line.endPoint1.y, line.endPoint2.y);
        maxX = std::max(line.endPoint1.x, line.endPoint2.x);
        maxY = std::max(line.endPoint1.y, line.endPoint2.y);
    }
    FBContourEdge(FBContourEdge&&) = default;
    FBContourEdge& operator=(FBContourEdge&&) = default;

    const FBBezierCurve& curve() const { return curve_; }
    FBBezierContour* contour() const { return contour_; }
    void setContour(FBBezierContour* contour) { contour_ = contour; }
    size_t index() const { return index_; }
    void setIndex(size_t index) { index_ = uint32_t(index); }
    bool startShared() const { return startShared_; }
    void setStartShared(bool value) { startShared_ = value; }
    bool stopShared() const { return stopShared_; }
    void setStopShared(bool value) { stopShared_ = value; }
    // Parameter ranges where this edge runs over an edge of the other graph, as the overlap test found
    // them: a stretch wholly inside them is shared, with no need to sample it. Two are kept; a stretch
    // along a third is sampled as any other.
    void noteSharedRange(double from, double to);
    bool sharesRange(double from, double to) const
    {
        for (uint8_t i = 0; i < sharedRangeCount_; ++i)
            if (sharedRanges_[i].minimum <= from && to <= sharedRanges_[i].maximum)
                return true;
        return false;
    }

    // Crossings, sorted by parameter.
    const FBCrossingList& crossings() const { return crossings_; }
    // Inline for an edge's first crossing (most edges met are met once or twice).
    FBEdgeCrossing* addCrossing(std::unique_ptr<FBEdgeCrossing> crossing)
    {
        // Room for a few at once: an edge met at all is usually met again.
        if (crossings_.capacity() == 0)
            crossings_.reserve(4);
        if (!crossings_.empty())
            return insertCrossing(std::move(crossing));
        FBEdgeCrossing* raw = crossing.get();
        raw->setEdge(this);
        raw->setIndex(0);
        crossings_.push_back(std::move(crossing));
        return raw;
    }
    void removeCrossing(FBEdgeCrossing* crossing);
    void sortCrossings();
    void removeAllCrossings();
    FBEdgeCrossing* firstCrossing() const { return crossings_.empty() ? nullptr : crossings_.front().get(); }
    FBEdgeCrossing* lastCrossing() const { return crossings_.empty() ? nullptr : crossings_.back().get(); }

    FBContourEdge* next() const;
    FBContourEdge* previous() const;
    std::vector<FBContourEdge*> intersectingEdges() const;
    void round();

    std::string description() const;

private:
    // addCrossing where the list holds some already: inserted in order.
    FBEdgeCrossing* insertCrossing(std::unique_ptr<FBEdgeCrossing> crossing);

    // Laid out without padding: long outlines hold thousands of edges.
    FBBezierCurve curve_;
    FBCrossingList crossings_;
    FBBezierContour* contour_ = nullptr;
    uint32_t index_ = 0;
    bool startShared_ = false;
    bool stopShared_ = false;
    uint8_t sharedRangeCount_ = 0;
    // Whether the curve is a uniform line: 1 or 0, or −1 until first asked (a traced result's edges are
    // mostly never asked).
    mutable int8_t lineState_ = -1;
    std::array<FBRange, 2> sharedRanges_{};

public:
    // Whether the curve is a uniform line (FBBezierCurve::isUniformLine), kept once known.
    bool isLine() const
    {
        if (lineState_ < 0)
            lineState_ = curve_.isUniformLine() ? 1 : 0;
        return lineState_ != 0;
    }
    // The length of the curve's chord, and the band its points span about the chord's line (offsets from
    // it scaled by the chord's length, 0 for the ends), kept once known: the crossing search asks it of
    // an edge against every edge whose bounds meet its own.
    struct ChordBand {
        double length, low, high;
    };
    const ChordBand& chordBand() const
    {
        if (!chordBandKnown_)
            takeChordBand();
        return chordBand_;
    }
    // FBBezierCurve::isFartherThan, from the chord band kept (the same sums): point placement asks it of
    // every edge near a point.
    bool isFartherThan(MWPoint p, double distance) const
    {
        const ChordBand& band = chordBand();
        if (!(band.length > 0))
            return false;
        const MWPoint chord = FBSubtractPoint(curve_.endPoint2, curve_.endPoint1);
        const MWPoint d = FBSubtractPoint(p, curve_.endPoint1);
        const double offset = chord.x * d.y - chord.y * d.x;
        const double reach = distance * band.length;
        return offset < band.low - reach || offset > band.high + reach;
    }
    // The bounds of the curve's four points, kept for quick rejection.
    double minX = 0, minY = 0, maxX = 0, maxY = 0;

private:
    void takeChordBand() const;
    mutable bool chordBandKnown_ = false;
    mutable ChordBand chordBand_{};
};

class FBBezierContour {
public:
    FBBezierContour();
    FBBezierContour(const FBBezierContour&) = delete;
    // Contours come from a store kept per thread, as crossings do.
    static void* operator new(std::size_t size);
    static void operator delete(void* pointer, std::size_t size);
    FBBezierContour& operator=(const FBBezierContour&) = delete;

    // A new contour with an edge for each curve of this one, no crossings, `inside` 0.
    std::unique_ptr<FBBezierContour> copy() const;

    void addCurve(const FBBezierCurve& curve)
    {
        FBContourEdge& edge = edges_.emplace_back(curve, this);
        edge.setIndex(edges_.size() - 1);
        bounds_ = pf::Rect::zero();
    }
    // The straight edge bezierCurveWithLineStartPoint makes from start to end.
    void addLine(MWPoint start, MWPoint end);
    // The part of the edge between the two crossings (either may be null: edge start or end).
    void addCurveFrom(const FBEdgeCrossing* start, const FBEdgeCrossing* end);
    void addReverseCurveFrom(const FBEdgeCrossing* start, const FBEdgeCrossing* end);
    void addReverseCurve(const FBBezierCurve& curve);

    FBEdgeList& edges() { return edges_; }
    const FBEdgeList& edges() const { return edges_; }
    // Bounds of the curves' control points, which contain the curves (taken once, asked very often).
    pf::Rect bounds() const { return bounds_ == pf::Rect::zero() && !edges_.empty() ? takeBounds() : bounds_; }
    MWPoint firstPoint() const;
    // Even-odd containment by a horizontal ray: a vertex on the ray counts once when its edges leave on
    // opposite sides and not at all when on the same side.
    bool containsPoint(MWPoint point) const;
    // Signed crossing count of the ray to the right of the point (the winding number).
    int windingNumber(MWPoint point) const;
    // Twice the signed area in the path's coordinates (positive: clockwise on a y-down page).
    double signedArea() const;
    int inside() const { return inside_; }
    void setInside(int inside) { inside_ = inside; }
    // Runs against the orientation its nesting calls for (outer contours positive, holes negative); the
    // operations walk such a contour backwards.
    bool isReversedForNesting() const { return reversedForNesting_; }
    void setReversedForNesting(bool value) { reversedForNesting_ = value; }
    std::vector<FBBezierContour*> intersectingContours() const;
    bool hasCrossings() const;
    // Whether the control polygon (every point of every edge, in order) is convex and turns once round in
    // one sense: each edge then lies in a hull that meets the others' only at the joints, so the contour
    // meets itself nowhere else, not even within `tolerance` (the crossing search's). False where that is
    // not certain: fewer than three edges, a gap between edges, a non-finite number, a run that turns
    // back, an edge or a width within ten thousand times the tolerance.
    bool meetsItselfOnlyAtJoints(double tolerance) const;
    // Whether the contour is a polygon (uniform lines joined end to end, no two neighbours parallel) that
    // winds once round the mean of its vertices, every edge turning the same way about it, every two edges
    // that are not neighbours farther apart than ten thousand times the tolerance: it meets itself only at
    // its joints, as the crossing search would find. False where any of that is not certain.
    bool isStarShapedPolygon(double tolerance) const;
    // Kept by the graph's own crossing search while it runs, once asked: pairs of this contour's edges need
    // no search.
    std::optional<bool> skipsOwnPairs() const { return skipsOwnPairs_; }
    void setSkipsOwnPairs(std::optional<bool> value) { skipsOwnPairs_ = value; }
    void reverse();
    void round();

    std::string description() const;

private:
    pf::Rect takeBounds() const;

    FBEdgeList edges_;
    mutable pf::Rect bounds_;
    int inside_ = 0;
    bool reversedForNesting_ = false;
    std::optional<bool> skipsOwnPairs_;
};

// Inline: the walks along contours from crossing to crossing step with these.
inline FBEdgeCrossing* FBEdgeCrossing::next() const
{
    if (!edge_ || index_ + 1 >= edge_->crossings().size())
        return nullptr;
    return edge_->crossings()[index_ + 1].get();
}

inline FBContourEdge* FBContourEdge::next() const
{
    auto& edges = contour_->edges();
    return &edges[index_ + 1 == edges.size() ? 0 : index_ + 1];
}

// A point of the contour, tried at the given curve parameters of each edge in turn, that lies off every
// other contour's edges by more than the tolerance; nothing when every try lands on another outline.
std::optional<MWPoint> FBSamplePointOffOtherContours(const FBBezierContour& contour,
                                                     const std::vector<std::unique_ptr<FBBezierContour>>& contours,
                                                     double tolerance, std::initializer_list<double> parameters);
// The same against the listed contours only (those the point could come near).
std::optional<MWPoint> FBSamplePointOffOtherContours(const FBBezierContour& contour,
                                                     std::span<const FBBezierContour* const> contours,
                                                     double tolerance, std::initializer_list<double> parameters);

// Items (by their places in a list) filed under the horizontal bands their height ranges meet, and under
// one more band on either side against rounding: an item whose range holds a height is among those filed
// under that height's band: the nesting of many contours tests each sample against the near ones only.
class FBHeightBands {
public:
    // About two items a band, fewer bands where items span many. False (and nothing filed) where the
    // ranges have no finite, positive span together.
    bool build(const std::vector<std::pair<double, double>>& ranges);
    // The items that may hold the height, in their order in the list; none off every band or for a height
    // that is not a number.
    std::pair<const uint32_t*, const uint32_t*> at(double y) const;

private:
    double top_ = 0, bandHeight_ = 0;
    std::vector<uint32_t> bandStarts_; // one more than the bands: items of band k from bandStarts_[k]
    std::vector<uint32_t> items_;
};

class FBBezierGraph {
public:
    FBBezierGraph();
    explicit FBBezierGraph(const pf::Path& path);
    static FBBezierGraph bezierGraphWithBezierPath(const pf::Path& path) { return FBBezierGraph(path); }
    static FBBezierGraph bezierGraph() { return FBBezierGraph(); }
    FBBezierGraph(FBBezierGraph&&) = default;
    FBBezierGraph& operator=(FBBezierGraph&&) = default;

    const std::vector<std::unique_ptr<FBBezierContour>>& contours() const { return contours_; }
    pf::Rect bounds() const;
    void addContour(std::unique_ptr<FBBezierContour> contour);
    // 1 when the contour lies inside an odd number of the graph's other contours.
    int contourInsides(const FBBezierContour& contour) const;

    // --- Crossings.
    void insertCrossingsWithBezierGraph(FBBezierGraph& other);
    void removeDuplicateCrossings();
    // Pairs of crossings where the graph's own edges cross (a looping outline, overlapping subpaths), so
    // that every stretch between crossings keeps the graph's area on one side.
    void insertSelfCrossings();
    // Whether the last insertSelfCrossings found any: without them every contour keeps the graph's area on
    // the side its orientation and nesting say.
    bool hasSelfCrossings() const { return hasSelfCrossings_; }
    static bool doesEdgeCrossEdge(const FBContourEdge& edge1, const FBContourEdge& edge2,
                                  const FBBezierIntersection& intersection);
    // A tangent meeting, or one at a joint where a direction of one edge runs along a direction of the
    // other: the first derivatives cannot tell a touch from a crossing there.
    static bool meetsAlongCommonDirection(const FBContourEdge& edge1, const FBContourEdge& edge2,
                                          const FBBezierIntersection& intersection);
    void removeCrossings();
    FBEdgeCrossing* firstUnprocessedCrossing() const;
    size_t crossingCount() const;

    // --- Operations: each answers a new graph and leaves both graphs without crossings.
    FBBezierGraph unionWithBezierGraph(FBBezierGraph& graph);
    FBBezierGraph intersectWithBezierGraph(FBBezierGraph& graph);
    FBBezierGraph differenceWithBezierGraph(FBBezierGraph& graph);
    FBBezierGraph xorWithBezierGraph(FBBezierGraph& graph);

    // Placement of a point with respect to this graph (even-odd over its contours); `onBoundary` when it
    // lies within the tolerance of an edge.
    enum class PointPlacement { Outside, Inside, OnBoundary };
    PointPlacement placementOfPoint(MWPoint point, double tolerance) const;
    bool containsPoint(MWPoint point) const;
    // Whether a contour of the other graph (without crossings) lies inside this graph's area.
    bool containsContour(const FBBezierContour& contour) const;
    // Contours without crossings, with the other graph or their own (a contour crossing its own graph is
    // traced, so that overlapping subpaths come out right under the non-zero rule).
    std::vector<FBBezierContour*> nonintersectingContours() const;

    pf::Path newBezierPath() const;
    void round();

    std::string description() const;

private:
    enum class Operation { Union, Intersect, Difference, Xor };
    FBBezierGraph performOperation(FBBezierGraph& other, Operation operation);
    // Placement of each stretch between crossings, and of each contour without crossings, against `other`.
    void markCrossingsAsEntryOrExitWithBezierGraph(const FBBezierGraph& other, bool isFirst, Operation operation,
                                                   double tolerance);
    // The traced contours, rounded to whole units where `rounded` comes back true.
    FBBezierGraph bezierGraphFromIntersections(FBBezierGraph& other, Operation operation, bool& rounded);
    void orientContoursByNesting(double tolerance);
    // The edges by the left side of their bounds (ties in the graph's order), as the crossing sweeps walk
    // them, into `edges`: sorted once per operation, for the graph's own sweep and the one against the
    // other graph.
    void edgesByLeft(std::vector<FBContourEdge*>& edges) const;
    void insertSelfCrossings(const std::vector<FBContourEdge*>& edgesByLeft);
    void insertCrossingsWithBezierGraph(FBBezierGraph& other, const std::vector<FBContourEdge*>& mine,
                                        const std::vector<FBContourEdge*>& theirs);
    void updateInsides();
    double tolerance(const FBBezierGraph& other) const;

public:
    // The edges by height, while an operation places its stretches (the contours stay as they are): a
    // point is tested against the edges filed under its band only (each edge under the bands of the ends of
    // its height widened by `reach`, and those between, each band worked out as a point's is), each as the
    // plain scan takes it. Every edge the scan would find near the point or count on its ray is filed
    // there, so the answer is the scan's.
    // Entries keep their edge's bounds widened by `reach` (the tolerance points are placed with, mostly),
    // so that most are passed over without reading the edge.
    struct PlacementIndex {
        struct Box {
            double left, top, right, bottom;
        };
        struct Entry {
            Box widened;
            const FBContourEdge* edge;
            uint32_t contour; // the contour's place in the graph
        };
        double reach = 0, top = 0, bottom = 0, scale = 0;
        std::vector<uint32_t> bandStarts; // one more than the bands: entries of band k from bandStarts[k]
        std::vector<Entry> entries;
        std::vector<Box> contourBounds; // widened by `reach`
        std::vector<std::pair<uint32_t, uint32_t>> edgeBands; // while filing: each edge's first and last band
    };

private:
    // Files the edges in `index` (scratch the caller keeps) and places points by it until dropped; false
    // (and no index) for a few edges, which are scanned faster, or heights without a finite span.
    bool indexPlacement(PlacementIndex& index, double reach);
    void dropPlacementIndex() { placementIndex_ = nullptr; }

    std::vector<std::unique_ptr<FBBezierContour>> contours_;
    mutable pf::Rect bounds_;
    bool hasSelfCrossings_ = false;
    const PlacementIndex* placementIndex_ = nullptr;
};

// Debug text of a list: "[", then one "\t<index>\t=\t<description>\n" line per item, then "]".
template <typename Range, typename Describe>
std::string FBArrayDescription(const Range& items, Describe describe)
{
    std::string text = "[";
    if (!items.empty()) {
        text += "\n";
        unsigned long long index = 0;
        for (const auto& item : items) {
            text += "\t";
            text += std::to_string(index++);
            text += "\t=\t";
            text += describe(item);
            text += "\n";
        }
    }
    text += "]";
    return text;
}
