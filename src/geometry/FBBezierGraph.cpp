#include "geometry/FBBezierGraph.h"

#include "platform/graphics/Path.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <utility>

namespace {

double cross(MWPoint a, MWPoint b) { return a.x * b.y - a.y * b.x; }

// Whether two lines run parallel, to within what the overlap test of crossEdges takes as one direction.
inline bool linesParallel(const FBBezierCurve& a, const FBBezierCurve& b)
{
    const MWPoint d1 = FBSubtractPoint(a.endPoint2, a.endPoint1);
    const MWPoint d2 = FBSubtractPoint(b.endPoint2, b.endPoint1);
    return std::fabs(cross(d1, d2)) <= 1e-6 * FBPointLength(d1) * FBPointLength(d2);
}

// Whether the point lies farther than `tolerance` outside the rectangle.
bool outsideBounds(MWPoint point, const pf::Rect& b, double tolerance)
{
    return point.x < b.x() - tolerance || point.x > b.x() + b.width() + tolerance || point.y < b.y() - tolerance
           || point.y > b.y() + b.height() + tolerance;
}

// ∫ (x·y' − y·x') dt over the curve, exactly: for a cubic a fixed sum of the cross products of its points
// (weights 6/10 for neighbours, 3/10 one apart, 1/10 for the ends).
double areaIntegral(const FBBezierCurve& c)
{
    const MWPoint p0 = c.endPoint1, p1 = c.controlPoint1, p2 = c.controlPoint2, p3 = c.endPoint2;
    return (6 * (cross(p0, p1) + cross(p2, p3)) + 3 * (cross(p0, p2) + cross(p1, p2) + cross(p1, p3)) + cross(p0, p3))
           / 10;
}

double yAt(const FBBezierCurve& c, double t)
{
    const double s = 1 - t;
    return s * s * s * c.endPoint1.y + 3 * s * s * t * c.controlPoint1.y + 3 * s * t * t * c.controlPoint2.y
           + t * t * t * c.endPoint2.y;
}

// Signed crossings of the ray from p towards +x with the curve. Each y-monotone piece counts over the
// half-open interval [lower y, upper y), so a vertex on the ray counts once when its two edges leave on
// opposite sides and not at all when on the same side.
int curveRayCrossings(const FBBezierCurve& c, MWPoint p, double minX, double maxX);

inline int rayCrossings(const FBBezierCurve& c, bool isLine, MWPoint p, double minX, double minY, double maxX, double maxY)
{
    if (p.y < minY || p.y >= maxY || p.x >= maxX)
        return 0;
    if (!isLine)
        return curveRayCrossings(c, p, minX, maxX);
    // A line is one monotone piece: its x at the ray's height directly (inline: most edges placement
    // meets are lines).
    const MWPoint a = c.endPoint1, b = c.endPoint2;
    if (a.y == b.y)
        return 0;
    const double x = a.x + (b.x - a.x) * ((p.y - a.y) / (b.y - a.y));
    return x > p.x ? (b.y > a.y ? 1 : -1) : 0;
}

// rayCrossings of a curve, the point within its bounds' height and left of their right side.
int curveRayCrossings(const FBBezierCurve& c, MWPoint p, double minX, double maxX)
{
    // Wholly right of the point: the monotone pieces' counts below telescope to the ends' alone.
    if (p.x < minX)
        return int(c.endPoint1.y <= p.y) - int(c.endPoint2.y <= p.y);
    // Split at the extremes of y(t): roots of the derivative's quadratic.
    const double a0 = c.controlPoint1.y - c.endPoint1.y;
    const double b0 = c.controlPoint2.y - c.controlPoint1.y;
    const double c0 = c.endPoint2.y - c.controlPoint2.y;
    const double qa = a0 - 2 * b0 + c0, qb = 2 * (b0 - a0), qc = a0;
    double splits[4] = {0, 0, 0, 0};
    int count = 0;
    splits[count++] = 0;
    if (std::fabs(qa) > 1e-300) {
        const double disc = qb * qb - 4 * qa * qc;
        if (disc > 0) {
            const double root = std::sqrt(disc);
            double r1 = (-qb - root) / (2 * qa), r2 = (-qb + root) / (2 * qa);
            if (r1 > r2)
                std::swap(r1, r2);
            if (r1 > 0 && r1 < 1)
                splits[count++] = r1;
            if (r2 > 0 && r2 < 1 && r2 != r1)
                splits[count++] = r2;
        }
    } else if (std::fabs(qb) > 1e-300) {
        const double r = -qc / qb;
        if (r > 0 && r < 1)
            splits[count++] = r;
    }
    splits[count++] = 1;
    // A point beyond the band the curve's points span about its chord's line, by far more than rounding (of
    // the band and of the point a piece's solve below reaches, which lies on the curve at the ray's height
    // but for rounding), has every point of the curve at its height on the one side the chord's direction
    // gives: +1 right of it, −1 left; 0 where that is not certain, and the pieces are solved. A piece near a
    // line (a traced line rounded to whole units) takes its solve many steps.
    int side = 0;
    {
        const MWPoint chord = FBSubtractPoint(c.endPoint2, c.endPoint1);
        const auto offset = [&](MWPoint q) { return cross(chord, FBSubtractPoint(q, c.endPoint1)); };
        const double o1 = offset(c.controlPoint1), o2 = offset(c.controlPoint2), op = offset(p);
        const double magnitude = std::max({std::fabs(minX), std::fabs(maxX), std::fabs(p.y)}) + (maxX - minX)
                                 + std::fabs(a0) + std::fabs(b0) + std::fabs(c0);
        const double margin = (std::fabs(chord.x) + std::fabs(chord.y)) * magnitude * 1e-12;
        if (chord.y != 0) {
            if (op < std::min({0.0, o1, o2}) - margin)
                side = chord.y < 0 ? 1 : -1;
            else if (op > std::max({0.0, o1, o2}) + margin)
                side = chord.y > 0 ? 1 : -1;
        }
    }
    int crossings = 0;
    for (int i = 0; i + 1 < count; ++i) {
        double ta = splits[i], tb = splits[i + 1];
        const double ya = i == 0 ? c.endPoint1.y : yAt(c, ta);
        const double yb = i + 2 == count ? c.endPoint2.y : yAt(c, tb);
        if (ya == yb)
            continue;
        const bool up = yb > ya;
        const double lo = up ? ya : yb, hi = up ? yb : ya;
        if (!(lo <= p.y && p.y < hi))
            continue;
        if (side != 0) {
            if (side > 0)
                crossings += up ? 1 : -1;
            continue;
        }
        double x;
        if (p.x < minX) {
            x = maxX + 1; // certainly to the right
        } else {
            // Regula falsi with the Illinois halving on the monotone piece (a few steps where bisection
            // takes fifty), bisecting where the secant leaves the bracket.
            double l = ta, h = tb, fl = ya - p.y, fh = yb - p.y;
            int kept = 0;
            for (int k = 0; k < 100 && h - l > 1e-15; ++k) {
                double m = fh != fl ? l - fl * (h - l) / (fh - fl) : l;
                if (!(m > l && m < h))
                    m = (l + h) / 2;
                const double y = yAt(c, m);
                if ((y < p.y) == up) {
                    l = m, fl = y - p.y;
                    if (kept == -1)
                        fh /= 2;
                    kept = -1;
                } else {
                    h = m, fh = y - p.y;
                    if (kept == 1)
                        fl /= 2;
                    kept = 1;
                }
            }
            x = c.pointAtParameter((l + h) / 2).x;
        }
        if (x > p.x)
            crossings += up ? 1 : -1;
    }
    return crossings;
}

// Angle of a direction in [0, 2π).
double angleOf(MWPoint v)
{
    double a;
    if (v.x > 0)
        a = std::atan(v.y / v.x);
    else if (v.x < 0)
        a = std::atan(v.y / v.x) + (v.y >= 0 ? std::numbers::pi : -std::numbers::pi);
    else if (v.y > 0)
        a = std::numbers::pi / 2;
    else if (v.y < 0)
        a = -std::numbers::pi / 2;
    else
        return 0;
    while (a < 0)
        a += 2 * std::numbers::pi;
    while (a >= 2 * std::numbers::pi)
        a -= 2 * std::numbers::pi;
    return a;
}

bool sweepContains(double start, double end, double x)
{
    if (end > start)
        return start < x && x < end;
    if (end < start)
        return (start < x && x <= 2 * std::numbers::pi) || (0 <= x && x < end);
    return false;
}

// Direction leaving the curve's end point backwards (towards its control points); falls back to the
// next distinct point where control points sit on the end.
MWPoint incomingDirection(const FBBezierCurve& c)
{
    for (MWPoint p : {c.controlPoint2, c.controlPoint1, c.endPoint1})
        if (p != c.endPoint2)
            return FBSubtractPoint(p, c.endPoint2);
    return {};
}

// The nearest points off the curve's end (start) along it: where it comes from (goes to).
MWPoint incomingPoint(const FBBezierCurve& c) { return FBAddPoint(c.endPoint2, incomingDirection(c)); }
MWPoint outgoingPoint(const FBBezierCurve& c);

MWPoint outgoingDirection(const FBBezierCurve& c)
{
    for (MWPoint p : {c.controlPoint1, c.controlPoint2, c.endPoint2})
        if (p != c.endPoint1)
            return FBSubtractPoint(p, c.endPoint1);
    return {};
}

MWPoint outgoingPoint(const FBBezierCurve& c) { return FBAddPoint(c.endPoint1, outgoingDirection(c)); }

std::string rectText(const pf::Rect& r)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "(%f, %f)(%f, %f)", r.x(), r.y(), std::fabs(r.width()), std::fabs(r.height()));
    return buffer;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// FBEdgeCrossing

namespace {

// Blocks of freed crossings, linked through their first bytes, kept for the thread's next operations up to
// a bound: a long outline meets another a thousand times, and taking and dropping each crossing from the
// general heap costs more than the rest of its life. Under the address sanitizer every crossing is a heap
// block of its own, so that a stale pointer to one is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kKeptCrossings = 0;
#else
constexpr size_t kKeptCrossings = 8192;
#endif

// A store of blocks of one size, linked through their first bytes. Blocks of another size, and blocks
// freed once the thread's store is gone (at the thread's end), go to the heap.
template <std::size_t BlockBytes, std::size_t Kept = kKeptCrossings>
struct BlockStore {
    static constexpr std::size_t kBytes = BlockBytes;
    void* head = nullptr;
    size_t count = 0;
    ~BlockStore()
    {
        while (head) {
            void* next = *static_cast<void**>(head);
            ::operator delete(head);
            head = next;
        }
        gone() = true;
    }
    static bool& gone()
    {
        thread_local bool value = false;
        return value;
    }
    void* take(std::size_t bytes)
    {
        if (bytes == BlockBytes && !gone() && head) {
            void* block = head;
            head = *static_cast<void**>(block);
            --count;
            return block;
        }
        return ::operator new(bytes);
    }
    void drop(void* block, std::size_t bytes)
    {
        if (!block)
            return;
        if (bytes != BlockBytes || gone() || count >= Kept) {
            ::operator delete(block);
            return;
        }
        *static_cast<void**>(block) = head;
        head = block;
        ++count;
    }
};

static_assert(sizeof(FBEdgeCrossing) >= sizeof(void*));
thread_local BlockStore<sizeof(FBEdgeCrossing)> crossingStore;
// The room addCrossing reserves first in an edge's list: an operation gives many edges a list and drops them.
thread_local BlockStore<4 * sizeof(std::unique_ptr<FBEdgeCrossing>)> crossingListStore;

// Edge lists by their room, in blocks of 4, 8, … 256 edges, each store keeping up to a quarter megabyte.
template <std::size_t Edges>
constexpr std::size_t kKeptEdgeLists =
    kKeptCrossings == 0 ? 0 : std::max<std::size_t>(4, (256 << 10) / (Edges * sizeof(FBContourEdge)));
template <std::size_t Edges>
using EdgeListStore = BlockStore<Edges * sizeof(FBContourEdge), kKeptEdgeLists<Edges>>;
thread_local EdgeListStore<4> edgeLists4;
thread_local EdgeListStore<8> edgeLists8;
thread_local EdgeListStore<16> edgeLists16;
thread_local EdgeListStore<32> edgeLists32;
thread_local EdgeListStore<64> edgeLists64;
thread_local EdgeListStore<128> edgeLists128;
thread_local EdgeListStore<256> edgeLists256;

// Calls `use` with the store of the smallest blocks holding `bytes`; false (no call) for lists longer than
// any, and where nothing is kept.
template <typename Use>
bool withEdgeListStore(std::size_t bytes, Use use)
{
    constexpr std::size_t edge = sizeof(FBContourEdge);
    if (kKeptCrossings == 0 || bytes > 256 * edge)
        return false;
    if (bytes <= 4 * edge)
        use(edgeLists4);
    else if (bytes <= 8 * edge)
        use(edgeLists8);
    else if (bytes <= 16 * edge)
        use(edgeLists16);
    else if (bytes <= 32 * edge)
        use(edgeLists32);
    else if (bytes <= 64 * edge)
        use(edgeLists64);
    else if (bytes <= 128 * edge)
        use(edgeLists128);
    else
        use(edgeLists256);
    return true;
}

thread_local BlockStore<sizeof(FBBezierContour)> contourStore;

} // namespace

void* FBTakeEdgeList(std::size_t bytes)
{
    void* block = nullptr;
    if (!withEdgeListStore(bytes, [&](auto& store) { block = store.take(store.kBytes); }))
        block = ::operator new(bytes);
    return block;
}

void FBDropEdgeList(void* block, std::size_t bytes)
{
    if (!withEdgeListStore(bytes, [&](auto& store) { store.drop(block, store.kBytes); }))
        ::operator delete(block);
}

void* FBBezierContour::operator new(std::size_t size) { return contourStore.take(size); }

void FBBezierContour::operator delete(void* pointer, std::size_t size) { contourStore.drop(pointer, size); }

void* FBTakeCrossingList(std::size_t bytes) { return crossingListStore.take(bytes); }

void FBDropCrossingList(void* block, std::size_t bytes) { crossingListStore.drop(block, bytes); }

void* FBEdgeCrossing::operator new(std::size_t size) { return crossingStore.take(size); }

void FBEdgeCrossing::operator delete(void* pointer, std::size_t size) { crossingStore.drop(pointer, size); }

void FBEdgeCrossing::removeFromEdge()
{
    if (edge_)
        edge_->removeCrossing(this);
}

const FBBezierCurve& FBEdgeCrossing::curve() const { return edge_->curve(); }

std::optional<FBBezierCurve> FBEdgeCrossing::leftCurve() const
{
    if (isAtStart())
        return std::nullopt;
    FBBezierCurve left;
    edge_->curve().pointAtParameter(parameter_, &left, nullptr);
    return left;
}

std::optional<FBBezierCurve> FBEdgeCrossing::rightCurve() const
{
    if (isAtEnd())
        return std::nullopt;
    FBBezierCurve right;
    edge_->curve().pointAtParameter(parameter_, nullptr, &right);
    return right;
}

FBEdgeCrossing* FBEdgeCrossing::previous() const
{
    if (!edge_ || index_ == 0)
        return nullptr;
    return edge_->crossings()[index_ - 1].get();
}

std::string FBEdgeCrossing::description() const
{
    std::string text = "<FBEdgeCrossing: isEntry = ";
    text += entry_ ? "1" : "0";
    text += ", isProcessed = ";
    text += processed_ ? "1" : "0";
    text += ", intersection = ";
    if (edge_ && counterpart_ && counterpart_->edge_) {
        const FBEdgeCrossing& first = onCurve1_ ? *this : *counterpart_;
        const FBEdgeCrossing& second = onCurve1_ ? *counterpart_ : *this;
        text += FBBezierIntersection(first.curve(), first.parameter_, second.curve(), second.parameter_).description();
    } else {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "<FBBezierIntersection: location = (%f, %f)>", location_.x, location_.y);
        text += buffer;
    }
    text += ">";
    return text;
}

// ---------------------------------------------------------------------------------------------------------
// FBContourEdge

FBContourEdge::FBContourEdge(const FBBezierCurve& curve, FBBezierContour* contour, bool line)
    : FBContourEdge(curve, contour)
{
    lineState_ = line ? 1 : 0;
}

FBEdgeCrossing* FBContourEdge::insertCrossing(std::unique_ptr<FBEdgeCrossing> crossing)
{
    FBEdgeCrossing* raw = crossing.get();
    raw->setEdge(this);
    // Inserted after every crossing of the same or a smaller order: the list stays sorted as a stable sort
    // would leave it.
    const auto at = std::upper_bound(crossings_.begin(), crossings_.end(), raw->order(),
                                     [](double order, const auto& c) { return order < c->order(); });
    const auto inserted = crossings_.insert(at, std::move(crossing));
    for (auto it = inserted; it != crossings_.end(); ++it)
        (*it)->setIndex(size_t(it - crossings_.begin()));
    return raw;
}

void FBContourEdge::removeCrossing(FBEdgeCrossing* crossing)
{
    const auto it = std::find_if(crossings_.begin(), crossings_.end(), [&](const auto& c) { return c.get() == crossing; });
    if (it == crossings_.end())
        return;
    // The rest stay in order: only their places change.
    const auto erased = crossings_.erase(it);
    for (auto i = erased; i != crossings_.end(); ++i)
        (*i)->setIndex(size_t(i - crossings_.begin()));
}

void FBContourEdge::sortCrossings()
{
    std::stable_sort(crossings_.begin(), crossings_.end(),
                     [](const auto& a, const auto& b) { return a->order() < b->order(); });
    for (size_t i = 0; i < crossings_.size(); ++i)
        crossings_[i]->setIndex(i);
}

void FBContourEdge::removeAllCrossings()
{
    crossings_.clear();
    sharedRangeCount_ = 0;
}

void FBContourEdge::noteSharedRange(double from, double to)
{
    if (sharedRangeCount_ < sharedRanges_.size())
        sharedRanges_[sharedRangeCount_++] = FBRangeMake(std::min(from, to), std::max(from, to));
}

FBContourEdge* FBContourEdge::previous() const
{
    auto& edges = contour_->edges();
    return &edges[index_ == 0 ? edges.size() - 1 : index_ - 1];
}

std::vector<FBContourEdge*> FBContourEdge::intersectingEdges() const
{
    std::vector<FBContourEdge*> edges;
    for (const auto& crossing : crossings_) {
        FBContourEdge* edge = crossing->counterpart() ? crossing->counterpart()->edge() : nullptr;
        if (edge && std::find(edges.begin(), edges.end(), edge) == edges.end())
            edges.push_back(edge);
    }
    return edges;
}

void FBContourEdge::takeChordBand() const
{
    const MWPoint chord = FBSubtractPoint(curve_.endPoint2, curve_.endPoint1);
    // Offsets from the chord's line, scaled by its length.
    const auto offset = [&](MWPoint p) { return cross(chord, FBSubtractPoint(p, curve_.endPoint1)); };
    const double o1 = offset(curve_.controlPoint1), o2 = offset(curve_.controlPoint2);
    chordBand_ = {FBPointLength(chord), std::min({0.0, o1, o2}), std::max({0.0, o1, o2})};
    chordBandKnown_ = true;
}

void FBContourEdge::round()
{
    curve_.round();
    curve_.controlBounds(minX, minY, maxX, maxY);
    lineState_ = -1;
    chordBandKnown_ = false;
}

std::string FBContourEdge::description() const
{
    std::string text = "<FBContourEdge: curve = ";
    text += curve_.description();
    text += " crossings = ";
    text += FBArrayDescription(crossings_, [](const auto& c) { return c->description(); });
    text += ">";
    return text;
}

// ---------------------------------------------------------------------------------------------------------
// FBBezierContour

FBBezierContour::FBBezierContour() = default;

std::unique_ptr<FBBezierContour> FBBezierContour::copy() const
{
    auto contour = std::make_unique<FBBezierContour>();
    contour->edges_.reserve(edges_.size());
    // The curves are the same: whether each is a line is known already.
    for (const FBContourEdge& edge : edges_)
        contour->edges_.emplace_back(edge.curve(), contour.get(), edge.isLine()).setIndex(contour->edges_.size() - 1);
    return contour;
}

void FBBezierContour::addLine(MWPoint start, MWPoint end)
{
    const FBBezierCurve line = FBBezierCurve::bezierCurveWithLineStartPoint(start, end);
    // Its control points are the thirds isUniformLine compares them with, exactly, unless a coordinate
    // is not finite.
    const bool finite = std::isfinite(line.controlPoint1.x) && std::isfinite(line.controlPoint1.y)
                        && std::isfinite(line.controlPoint2.x) && std::isfinite(line.controlPoint2.y)
                        && std::isfinite(start.x) && std::isfinite(start.y) && std::isfinite(end.x)
                        && std::isfinite(end.y);
    FBContourEdge& edge = finite ? edges_.emplace_back(line, this, FBContourEdge::FiniteLine{})
                                 : edges_.emplace_back(line, this, line.isUniformLine());
    edge.setIndex(edges_.size() - 1);
    bounds_ = pf::Rect::zero();
}

namespace {
std::optional<FBBezierCurve> pieceBetween(const FBEdgeCrossing* start, const FBEdgeCrossing* end)
{
    if (start && end)
        return start->curve().subcurveWithRange(FBRangeMake(start->parameter(), end->parameter()));
    if (end)
        return end->leftCurve();
    if (start)
        return start->rightCurve();
    return std::nullopt;
}
} // namespace

void FBBezierContour::addCurveFrom(const FBEdgeCrossing* start, const FBEdgeCrossing* end)
{
    if (const auto piece = pieceBetween(start, end))
        addCurve(*piece);
}

void FBBezierContour::addReverseCurveFrom(const FBEdgeCrossing* start, const FBEdgeCrossing* end)
{
    if (const auto piece = pieceBetween(start, end))
        addReverseCurve(*piece);
}

void FBBezierContour::addReverseCurve(const FBBezierCurve& curve) { addCurve(curve.reversed()); }

pf::Rect FBBezierContour::takeBounds() const
{
    double minX = edges_[0].minX, minY = edges_[0].minY, maxX = edges_[0].maxX, maxY = edges_[0].maxY;
    for (const FBContourEdge& edge : edges_) {
        minX = std::min(minX, edge.minX);
        minY = std::min(minY, edge.minY);
        maxX = std::max(maxX, edge.maxX);
        maxY = std::max(maxY, edge.maxY);
    }
    bounds_ = pf::Rect(minX, minY, maxX - minX, maxY - minY);
    return bounds_;
}

MWPoint FBBezierContour::firstPoint() const { return edges_.empty() ? MWPoint{} : edges_.front().curve().endPoint1; }

int FBBezierContour::windingNumber(MWPoint point) const
{
    const pf::Rect b = bounds();
    if (edges_.empty() || point.y < b.y() || point.y > b.y() + b.height() || point.x > b.x() + b.width())
        return 0;
    int winding = 0;
    for (const FBContourEdge& edge : edges_)
        if (point.y >= edge.minY && point.y < edge.maxY && point.x < edge.maxX)
            winding += rayCrossings(edge.curve(), edge.isLine(), point, edge.minX, edge.minY, edge.maxX, edge.maxY);
    return winding;
}

bool FBBezierContour::containsPoint(MWPoint point) const { return (windingNumber(point) & 1) != 0; }

double FBBezierContour::signedArea() const
{
    // Taken about the first point: about the origin, coordinates around a million would cancel away the
    // area of a shape a few units across.
    const MWPoint origin = firstPoint();
    const auto local = [&](MWPoint p) { return FBSubtractPoint(p, origin); };
    double sum = 0;
    for (size_t i = 0; i < edges_.size(); ++i) {
        const FBBezierCurve& c = edges_[i].curve();
        if (edges_[i].isLine())
            sum += cross(local(c.endPoint1), local(c.endPoint2));
        else
            sum += areaIntegral({local(c.endPoint1), local(c.controlPoint1), local(c.controlPoint2), local(c.endPoint2)});
        // Gaps between edges (and an open end) count as straight joins.
        const MWPoint end = local(edges_[i].curve().endPoint2);
        const MWPoint next = local(edges_[i + 1 == edges_.size() ? 0 : i + 1].curve().endPoint1);
        if (end != next)
            sum += cross(end, next);
    }
    return sum;
}

std::vector<FBBezierContour*> FBBezierContour::intersectingContours() const
{
    std::vector<FBBezierContour*> contours;
    for (const FBContourEdge& edge : edges_) {
        for (FBContourEdge* other : edge.intersectingEdges()) {
            const bool self = std::any_of(edge.crossings().begin(), edge.crossings().end(), [&](const auto& c) {
                return c->isSelfCrossing() && c->counterpart() && c->counterpart()->edge() == other;
            });
            if (self)
                continue;
            if (std::find(contours.begin(), contours.end(), other->contour()) == contours.end())
                contours.push_back(other->contour());
        }
    }
    return contours;
}

bool FBBezierContour::hasCrossings() const
{
    return std::any_of(edges_.begin(), edges_.end(), [](const FBContourEdge& e) { return !e.crossings().empty(); });
}

bool FBBezierContour::meetsItselfOnlyAtJoints(double tolerance) const
{
    const size_t n = edges_.size();
    if (n < 3)
        return false;
    // Edges a hair long, or an outline a hair wide, bring edges that do not meet within the tolerance the
    // crossing search works with: every chord, and the width, must be far beyond it.
    const double least = 1e4 * tolerance;
    const pf::Rect b = bounds();
    // What rounding the points themselves may turn a straight run by (a line's control points are the
    // thirds of its chord, as computed): such turns count as straight, but never a turn back.
    const double magnitude = std::max(std::max(std::fabs(b.x()), std::fabs(b.y())),
                                      std::max(std::fabs(b.x() + b.width()), std::fabs(b.y() + b.height())));
    const double rounding = 32 * std::numeric_limits<double>::epsilon() * magnitude;
    // The directions between successive points, in order round the contour; `previous` is the last one
    // that is not zero (the contour's last, to start with).
    const FBBezierCurve& lastCurve = edges_[n - 1].curve();
    MWPoint previous = FBSubtractPoint(lastCurve.endPoint2, edges_[n - 1].isLine() ? lastCurve.endPoint1 : lastCurve.controlPoint2);
    if (previous == MWPoint())
        previous = FBSubtractPoint(lastCurve.endPoint2, lastCurve.controlPoint1);
    if (previous == MWPoint())
        previous = FBSubtractPoint(lastCurve.endPoint2, lastCurve.endPoint1);
    double previousSize = std::fabs(previous.x) + std::fabs(previous.y);
    // Sums of the directions' sizes: finite exactly when every point is.
    double sizes = previousSize;
    // Turning one way only, the directions turn round k times in all and change the sign of their x 2k
    // times: two changes is once round (a star's outline turns twice).
    int sense = 0, xChanges = 0, firstXSign = 0, lastXSign = 0;
    const MWPoint origin = edges_[0].curve().endPoint1;
    double jointsArea = 0;
    for (size_t i = 0; i < n; ++i) {
        const FBBezierCurve& c = edges_[i].curve();
        const MWPoint points[4] = {c.endPoint1, c.controlPoint1, c.controlPoint2, c.endPoint2};
        // A line's control points are the thirds of its chord: one direction, the chord's.
        const int first = edges_[i].isLine() ? 2 : 0;
        for (int k = first; k < 3; ++k) {
            const MWPoint d = k == first ? FBSubtractPoint(points[k + 1], points[0]) : FBSubtractPoint(points[k + 1], points[k]);
            if (d.x == 0 && d.y == 0)
                continue;
            const double size = std::fabs(d.x) + std::fabs(d.y);
            const double turn = cross(previous, d);
            const double straight = rounding * (previousSize + size);
            if (turn > straight) {
                if (sense < 0)
                    return false;
                sense = 1;
            } else if (turn < -straight) {
                if (sense > 0)
                    return false;
                sense = -1;
            } else if (!(FBDotMultiplyPoint(previous, d) > 0)) {
                return false;
            }
            if (d.x != 0) {
                const int xSign = d.x > 0 ? 1 : -1;
                if (lastXSign == 0)
                    firstXSign = xSign;
                else if (xSign != lastXSign)
                    ++xChanges;
                lastXSign = xSign;
            }
            previous = d;
            previousSize = size;
            sizes += size;
        }
        if (c.endPoint2 != edges_[i + 1 == n ? 0 : i + 1].curve().endPoint1
            || !(FBPointSquaredLength(FBSubtractPoint(c.endPoint2, c.endPoint1)) > least * least))
            return false;
        jointsArea += cross(FBSubtractPoint(c.endPoint1, origin), FBSubtractPoint(c.endPoint2, origin));
    }
    xChanges += lastXSign != firstXSign ? 1 : 0;
    if (!std::isfinite(sizes) || sense == 0 || xChanges != 2)
        return false;
    // A convex outline holds the polygon of its joints and lies within the bounds of its points, so it is
    // at least that polygon's area over the bounds' diagonal wide.
    const double width = std::fabs(jointsArea) / 2;
    return width * width > least * least * (b.width() * b.width() + b.height() * b.height());
}

bool FBBezierContour::isStarShapedPolygon(double tolerance) const
{
    const size_t n = edges_.size();
    if (n < 3)
        return false;
    // Local coordinates (about the first point), so that outlines far from the origin lose no digits.
    const MWPoint origin = edges_[0].curve().endPoint1;
    MWPoint sum;
    for (size_t i = 0; i < n; ++i) {
        const FBBezierCurve& c = edges_[i].curve();
        if (!edges_[i].isLine() || c.endPoint2 != edges_[i + 1 == n ? 0 : i + 1].curve().endPoint1)
            return false;
        sum = FBAddPoint(sum, FBSubtractPoint(c.endPoint1, origin));
    }
    if (!std::isfinite(sum.x) || !std::isfinite(sum.y))
        return false;
    const MWPoint centre = FBAddPoint(origin, FBScalePoint(sum, 1.0 / double(n)));
    // No two neighbours run parallel (by linesParallel, where the sine of their turn is not clearly
    // beyond its bound). Every edge turns the same way about the centre, by less than a half turn.
    // Squared, for each edge: the nearest its line comes to the centre, and the sine of its angle there
    // (1 from a right angle on).
    int sense = 0, halves = 0;
    double nearest = INFINITY, narrowest = 1;
    const FBBezierCurve* previous = &edges_[n - 1].curve();
    MWPoint previousChord = FBSubtractPoint(previous->endPoint2, previous->endPoint1);
    double previousLength = FBPointSquaredLength(previousChord);
    // Each edge starts where the last ended (checked above): its first point's offset from the centre is
    // the last one's second, taken once.
    MWPoint a = FBSubtractPoint(edges_[0].curve().endPoint1, centre);
    double aLength = FBPointSquaredLength(a);
    for (const FBContourEdge& edge : edges_) {
        const FBBezierCurve& c = edge.curve();
        const MWPoint chord = FBSubtractPoint(c.endPoint2, c.endPoint1);
        const double turn = cross(previousChord, chord), chordLength = FBPointSquaredLength(chord);
        if (!(turn * turn > 4e-12 * previousLength * chordLength) && linesParallel(*previous, c))
            return false;
        previous = &c, previousChord = chord, previousLength = chordLength;
        const MWPoint b = FBSubtractPoint(c.endPoint2, centre);
        const double bLength = FBPointSquaredLength(b);
        const double area = cross(a, b);
        const int s = area > 0 ? 1 : area < 0 ? -1 : 0;
        if (s == 0 || (sense != 0 && s != sense))
            return false;
        sense = s;
        const double near = area * area / chordLength;
        const double sine = FBDotMultiplyPoint(a, b) > 0 ? area * area / (aLength * bLength) : 1;
        if (!(near >= 0 && sine >= 0))
            return false;
        nearest = std::min(nearest, near);
        narrowest = std::min(narrowest, sine);
        halves += (a.y < 0) != (b.y < 0) ? 1 : 0;
        a = b, aLength = bLength;
    }
    // Round once (the vertices change half-planes twice): the edges' sectors then tile the turn, and two
    // edges that are not neighbours have a whole sector between them either way round. Their points, at
    // least `nearest` from the centre and at least the narrowest sector apart in angle, are at least
    // nearest · sin(narrowest) apart (nearest from a right angle on).
    const double least = 1e4 * tolerance;
    return halves == 2 && nearest * narrowest > least * least;
}

void FBBezierContour::reverse()
{
    std::vector<FBBezierCurve> curves;
    curves.reserve(edges_.size());
    for (auto it = edges_.rbegin(); it != edges_.rend(); ++it)
        curves.push_back(it->curve().reversed());
    edges_.clear();
    for (const FBBezierCurve& c : curves)
        addCurve(c);
}

void FBBezierContour::round()
{
    for (FBContourEdge& edge : edges_)
        edge.round();
    bounds_ = pf::Rect::zero();
}

std::string FBBezierContour::description() const
{
    std::string text = "<FBBezierContour: bounds = ";
    text += rectText(bounds());
    text += " edges = ";
    text += FBArrayDescription(edges_, [](const FBContourEdge& e) { return e.description(); });
    text += ">";
    return text;
}

// ---------------------------------------------------------------------------------------------------------
// FBBezierGraph: reading

FBBezierGraph::FBBezierGraph() { contours_.reserve(2); }

FBBezierGraph::FBBezierGraph(const pf::Path& path)
{
    MWPoint current;
    MWPoint subpathStart;
    FBBezierContour* contour = nullptr;
    bool closed = false;
    std::vector<const FBBezierContour*> nonFinite;
    const std::span<const pf::PathElement> elements = path.elements();
    size_t index = 0;
    const auto startContour = [&](MWPoint at) {
        contours_.push_back(std::make_unique<FBBezierContour>());
        contour = contours_.back().get();
        // Room for every segment up to the next move-to and a closing edge: long outlines are read without
        // growing (and copying) their edges step by step.
        size_t end = index + 1;
        while (end < elements.size() && elements[end].type != pf::PathElementType::MoveTo)
            ++end;
        contour->edges().reserve(end - index + 1);
        current = subpathStart = at;
        closed = false;
        if (!std::isfinite(at.x) || !std::isfinite(at.y))
            nonFinite.push_back(contour);
    };
    // An unclosed subpath is filled as if closed by a straight line; the graph makes that line an edge. An
    // end within rounding of the start (a builder's last arc, a transformed outline) is the start itself:
    // a closing edge a few units in the last place long would only split the outline there.
    const auto closeContour = [&]() {
        if (!contour || contour->edges().empty() || current == contour->firstPoint())
            return;
        const MWPoint first = contour->firstPoint();
        const pf::Rect b = contour->bounds();
        const double magnitude = std::max({std::fabs(first.x), std::fabs(first.y), std::fabs(current.x), std::fabs(current.y)});
        const double rounding = std::max(std::max(b.width(), b.height()) * 1e-12, magnitude * 1e-14);
        if (FBDistanceBetweenPoints(current, first) <= rounding) {
            FBBezierCurve last = contour->edges().back().curve();
            last.endPoint2 = first;
            contour->edges().pop_back();
            contour->addCurve(last);
            current = first;
            return;
        }
        contour->addLine(current, first);
    };
    for (; index < elements.size(); ++index) {
        const pf::PathElement& e = elements[index];
        const auto point = [&](int i) { return MWPoint{e.points[i].x, e.points[i].y}; };
        if (e.type == pf::PathElementType::MoveTo) {
            if (!closed)
                closeContour();
            startContour(point(0));
            continue;
        }
        if (e.type == pf::PathElementType::Close) {
            closeContour();
            current = subpathStart;
            closed = true;
            continue;
        }
        if (!contour)
            continue; // no subpath to take the segment
        if (closed)
            startContour(subpathStart); // a segment after a close starts a new subpath where the last began
        // The segment's points by its type (a line-to, quad-to or curve-to here), worked out inline.
        const int points = e.type == pf::PathElementType::LineTo ? 1 : e.type == pf::PathElementType::QuadTo ? 2 : 3;
        for (int i = 0; i < points; ++i)
            if ((!std::isfinite(e.points[i].x) || !std::isfinite(e.points[i].y))
                && (nonFinite.empty() || nonFinite.back() != contour))
                nonFinite.push_back(contour);
        switch (e.type) {
        case pf::PathElementType::LineTo:
            if (point(0) != current) {
                contour->addLine(current, point(0));
                current = point(0);
            }
            break;
        case pf::PathElementType::QuadTo: {
            const MWPoint c = point(0), end = point(1);
            contour->addCurve(FBBezierCurve(current, FBAddPoint(current, FBScalePoint(FBSubtractPoint(c, current), 2.0 / 3.0)),
                                            FBAddPoint(end, FBScalePoint(FBSubtractPoint(c, end), 2.0 / 3.0)), end));
            current = end;
            break;
        }
        case pf::PathElementType::CurveTo:
            contour->addCurve(FBBezierCurve(current, point(0), point(1), point(2)));
            current = point(2);
            break;
        default:
            break;
        }
    }
    if (!closed)
        closeContour();
    // A contour with a non-finite number has no area anyone could see; the rest of the path still counts.
    if (!nonFinite.empty()) {
        qWarning("FBBezierGraph: dropped %zu subpath(s) holding a non-finite coordinate", nonFinite.size());
        std::erase_if(contours_, [&](const auto& c) {
            return std::find(nonFinite.begin(), nonFinite.end(), c.get()) != nonFinite.end();
        });
    }
    updateInsides();
}

pf::Rect FBBezierGraph::bounds() const
{
    if (bounds_ == pf::Rect::zero() && !contours_.empty()) {
        bool first = true;
        double minX = 0, minY = 0, maxX = 0, maxY = 0;
        for (const auto& contour : contours_) {
            if (contour->edges().empty())
                continue;
            const pf::Rect b = contour->bounds();
            if (first) {
                minX = b.x(), minY = b.y(), maxX = b.x() + b.width(), maxY = b.y() + b.height();
                first = false;
            } else {
                minX = std::min(minX, b.x()), minY = std::min(minY, b.y());
                maxX = std::max(maxX, b.x() + b.width()), maxY = std::max(maxY, b.y() + b.height());
            }
        }
        bounds_ = pf::Rect(minX, minY, maxX - minX, maxY - minY);
    }
    return bounds_;
}

void FBBezierGraph::addContour(std::unique_ptr<FBBezierContour> contour) { contours_.push_back(std::move(contour)); }

namespace {

template <typename Contours>
std::optional<MWPoint> samplePointOff(const FBBezierContour& contour, const Contours& contours, double tolerance,
                                      std::initializer_list<double> parameters)
{
    for (double u : parameters) {
        for (const FBContourEdge& edge : contour.edges()) {
            const MWPoint p = edge.curve().pointAtParameter(u);
            bool clear = true;
            for (const auto& entry : contours) {
                const FBBezierContour& other = *entry;
                // Off a contour's bounds by more than the tolerance, the point is off each of its edges'.
                if (&other == &contour || outsideBounds(p, other.bounds(), tolerance))
                    continue;
                for (const FBContourEdge& e : other.edges()) {
                    if (p.x < e.minX - tolerance || p.x > e.maxX + tolerance || p.y < e.minY - tolerance
                        || p.y > e.maxY + tolerance || e.isFartherThan(p, tolerance))
                        continue;
                    double distance = 0;
                    e.curve().closestParameter(p, &distance);
                    if (distance <= tolerance) {
                        clear = false;
                        break;
                    }
                }
                if (!clear)
                    break;
            }
            if (clear)
                return p;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<MWPoint> FBSamplePointOffOtherContours(const FBBezierContour& contour,
                                                     const std::vector<std::unique_ptr<FBBezierContour>>& contours,
                                                     double tolerance, std::initializer_list<double> parameters)
{
    return samplePointOff(contour, contours, tolerance, parameters);
}

std::optional<MWPoint> FBSamplePointOffOtherContours(const FBBezierContour& contour,
                                                     std::span<const FBBezierContour* const> contours,
                                                     double tolerance, std::initializer_list<double> parameters)
{
    return samplePointOff(contour, contours, tolerance, parameters);
}

namespace {

double magnitudeTolerance(const pf::Rect& a)
{
    const double extent = std::max(std::fabs(a.width()), std::fabs(a.height()));
    const double magnitude = std::max({std::fabs(a.x()), std::fabs(a.y()), std::fabs(a.x() + a.width()),
                                       std::fabs(a.y() + a.height())});
    return std::max({extent * 1e-9, magnitude * 1e-14, 1e-300});
}
} // namespace

int FBBezierGraph::contourInsides(const FBBezierContour& contour) const
{
    // Alone in its graph (the common case), nothing can hold it.
    if (contours_.size() == 1 && contours_[0].get() == &contour)
        return 0;
    const std::optional<MWPoint> p = FBSamplePointOffOtherContours(contour, contours_, magnitudeTolerance(bounds()),
                                                                   {0.5, 0.0, 0.25, 0.75});
    const MWPoint point = p.value_or(contour.firstPoint());
    int count = 0;
    for (const auto& other : contours_) {
        if (other.get() != &contour && other->containsPoint(point))
            ++count;
    }
    return count & 1;
}

void FBBezierGraph::updateInsides()
{
    for (const auto& contour : contours_)
        contour->setInside(contourInsides(*contour));
}

// ---------------------------------------------------------------------------------------------------------
// FBBezierGraph: crossings

namespace {
// Incoming and outgoing directions of both edges at the meeting, as angles: a1, b1 for edge 1, a2, b2 for 2.
std::array<double, 4> anglesAtMeeting(const FBContourEdge& edge1, const FBContourEdge& edge2,
                                      const FBBezierIntersection& intersection)
{
    MWPoint in1, out1, in2, out2;
    if (intersection.isAtStartOfCurve1()) {
        in1 = incomingDirection(edge1.previous()->curve());
        out1 = outgoingDirection(edge1.curve());
    } else if (intersection.isAtStopOfCurve1()) {
        in1 = incomingDirection(edge1.curve());
        out1 = outgoingDirection(edge1.next()->curve());
    } else {
        in1 = incomingDirection(intersection.curve1LeftBezier());
        out1 = outgoingDirection(intersection.curve1RightBezier());
    }
    if (intersection.isAtStartOfCurve2()) {
        in2 = incomingDirection(edge2.previous()->curve());
        out2 = outgoingDirection(edge2.curve());
    } else if (intersection.isAtStopOfCurve2()) {
        in2 = incomingDirection(edge2.curve());
        out2 = outgoingDirection(edge2.next()->curve());
    } else {
        in2 = incomingDirection(intersection.curve2LeftBezier());
        out2 = outgoingDirection(intersection.curve2RightBezier());
    }
    return {angleOf(in1), angleOf(out1), angleOf(in2), angleOf(out2)};
}

// Each edge's directions lie one on either side of the other's, at a meeting at an end point.
bool crossesAt(const std::array<double, 4>& angles)
{
    const auto [a1, b1, a2, b2] = angles;
    const int firstSweep = int(sweepContains(a1, b1, a2)) + int(sweepContains(a1, b1, b2));
    const int secondSweep = int(sweepContains(b1, a1, a2)) + int(sweepContains(b1, a1, b2));
    return firstSweep == 1 && secondSweep == 1;
}

// A direction of one edge runs along a direction of the other, at a meeting at an end point.
bool meetsAlongCommonDirectionAt(const std::array<double, 4>& angles)
{
    const auto [a1, b1, a2, b2] = angles;
    const auto same = [](double x, double y) {
        const double d = std::fabs(x - y);
        return std::min(d, 2 * std::numbers::pi - d) <= 1e-9;
    };
    return same(a1, a2) || same(a1, b2) || same(b1, a2) || same(b1, b2);
}
} // namespace

bool FBBezierGraph::doesEdgeCrossEdge(const FBContourEdge& edge1, const FBContourEdge& edge2,
                                      const FBBezierIntersection& intersection)
{
    if (intersection.isTangent())
        return false;
    if (!intersection.isAtEndPointOfCurve())
        return true;
    return crossesAt(anglesAtMeeting(edge1, edge2, intersection));
}

bool FBBezierGraph::meetsAlongCommonDirection(const FBContourEdge& edge1, const FBContourEdge& edge2,
                                              const FBBezierIntersection& intersection)
{
    if (intersection.isTangent())
        return true;
    if (!intersection.isAtEndPointOfCurve())
        return false;
    return meetsAlongCommonDirectionAt(anglesAtMeeting(edge1, edge2, intersection));
}

namespace {

void markShared(FBContourEdge& edge, bool atStart, bool atStop)
{
    if (atStart) {
        edge.setStartShared(true);
        edge.previous()->setStopShared(true);
    } else if (atStop) {
        edge.setStopShared(true);
        edge.next()->setStartShared(true);
    }
}

void addCrossingPair(FBContourEdge& edge1, FBContourEdge& edge2, const FBBezierIntersection& intersection,
                     bool fromOverlap, bool selfCrossing = false)
{
    FBEdgeCrossing* crossing1 = edge1.addCrossing(FBEdgeCrossing::crossingWithIntersection(intersection, true));
    FBEdgeCrossing* crossing2 = edge2.addCrossing(FBEdgeCrossing::crossingWithIntersection(intersection, false));
    crossing1->setCounterpart(crossing2);
    crossing2->setCounterpart(crossing1);
    crossing1->setFromOverlap(fromOverlap);
    crossing2->setFromOverlap(fromOverlap);
    crossing1->setSelfCrossing(selfCrossing);
    crossing2->setSelfCrossing(selfCrossing);
}

// Newton on both parameters of a transversal meeting, then end points snapped to exactly 0 or 1. Answers
// the distance between the curves' points at the parameters it leaves.
double polishIntersection(FBBezierIntersection& intersection, double tolerance)
{
    const FBBezierCurve& c1 = intersection.curve1();
    const FBBezierCurve& c2 = intersection.curve2();
    double t1 = intersection.parameter1(), t2 = intersection.parameter2();
    // The points at the current parameters, kept from the step that found them.
    MWPoint p1 = c1.pointAtParameter(t1), p2 = c2.pointAtParameter(t2);
    double error = FBDistanceBetweenPoints(p1, p2);
    for (int i = 0; i < 4 && error > 0; ++i) {
        const MWPoint f = FBSubtractPoint(p1, p2);
        const MWPoint d1 = c1.tangentAtParameter(t1), d2 = c2.tangentAtParameter(t2);
        const double det = -cross(d1, d2);
        if (std::fabs(det) <= 1e-9 * FBPointLength(d1) * FBPointLength(d2))
            break;
        const MWPoint b = FBNegatePoint(f);
        const double n1 = std::clamp(t1 + (b.x * -d2.y + d2.x * b.y) / det, 0.0, 1.0);
        const double n2 = std::clamp(t2 + (d1.x * b.y - b.x * d1.y) / det, 0.0, 1.0);
        const MWPoint q1 = c1.pointAtParameter(n1), q2 = c2.pointAtParameter(n2);
        const double e = FBDistanceBetweenPoints(q1, q2);
        if (!(e < error))
            break;
        t1 = n1, t2 = n2, error = e, p1 = q1, p2 = q2;
    }
    const auto snap = [tolerance](const FBBezierCurve& c, double t, MWPoint p) {
        const double toStart = FBDistanceBetweenPoints(p, c.endPoint1);
        const double toEnd = FBDistanceBetweenPoints(p, c.endPoint2);
        if (toStart <= tolerance && toStart <= toEnd && t < 0.5)
            return 0.0;
        if (toEnd <= tolerance && t > 0.5)
            return 1.0;
        return t;
    };
    const double s1 = snap(c1, t1, p1), s2 = snap(c2, t2, p2);
    intersection.setParameters(s1, s2);
    // Unsnapped, the points are those the distance was last taken between; curve 1's is the meeting's.
    const MWPoint at1 = s1 == t1 ? p1 : c1.pointAtParameter(s1);
    intersection.setKnownLocation(at1);
    if (s1 == t1 && s2 == t2)
        return error;
    return FBDistanceBetweenPoints(at1, s2 == t2 ? p2 : c2.pointAtParameter(s2));
}

} // namespace

double FBBezierGraph::tolerance(const FBBezierGraph& other) const
{
    const pf::Rect a = bounds(), b = other.bounds();
    const double minX = std::min(a.x(), b.x()), minY = std::min(a.y(), b.y());
    const double maxX = std::max(a.x() + a.width(), b.x() + b.width());
    const double maxY = std::max(a.y() + a.height(), b.y() + b.height());
    return magnitudeTolerance(pf::Rect(minX, minY, maxX - minX, maxY - minY));
}

namespace {

// Calls `visit(a, b)` for every pair of edges, one from each list (or two of one list when `second` is
// null), whose bounds overlap: a sweep along x keeps only the edges that still reach the current one. Each
// list comes sorted by the left side of the bounds (edgesByLeft); the two are merged, the first list's
// edges first among equals.
constexpr size_t kKeptScratchEntries = 1 << 14;

template <typename Visit>
void forEachOverlappingPair(const std::vector<FBContourEdge*>& first, const std::vector<FBContourEdge*>* second,
                            double tolerance, Visit visit)
{
    // The bounds are copied next to each other: the sweep tests them far more often than it visits.
    struct Entry {
        double minX, minY, maxX, maxY;
        FBContourEdge* edge;
        bool isFirst;
    };
    // Scratch kept per thread: a long outline's sweep would otherwise take fresh pages on every operation.
    thread_local std::vector<Entry> entries, activeFirst, activeSecond;
    entries.clear(), activeFirst.clear(), activeSecond.clear();
    entries.reserve(first.size() + (second ? second->size() : 0));
    const auto add = [&](FBContourEdge* e, bool isFirst) { entries.push_back({e->minX, e->minY, e->maxX, e->maxY, e, isFirst}); };
    size_t j = 0;
    for (FBContourEdge* e : first) {
        if (second)
            for (; j < second->size() && (*second)[j]->minX < e->minX; ++j)
                add((*second)[j], false);
        add(e, true);
    }
    if (second)
        for (; j < second->size(); ++j)
            add((*second)[j], false);
    for (const Entry& entry : entries) {
        const double x = entry.minX - tolerance;
        const double minY = entry.minY - tolerance, maxY = entry.maxY + tolerance;
        std::vector<Entry>& others = second && entry.isFirst ? activeSecond : activeFirst;
        // Edges that end left of this one end left of every later one too: dropped as they are met.
        for (size_t i = 0; i < others.size();) {
            const Entry& other = others[i];
            if (other.maxX < x) {
                others[i] = others.back();
                others.pop_back();
                continue;
            }
            // Their x ranges meet (the other starts no later than this one and ends after x).
            if (other.minY <= maxY && minY <= other.maxY) {
                if (!second || !entry.isFirst)
                    visit(*other.edge, *entry.edge);
                else
                    visit(*entry.edge, *other.edge);
            }
            ++i;
        }
        (second && !entry.isFirst ? activeSecond : activeFirst).push_back(entry);
    }
    // One huge operation does not hold its memory for the thread's life.
    for (std::vector<Entry>* scratch : {&entries, &activeFirst, &activeSecond})
        if (scratch->capacity() > kKeptScratchEntries)
            std::vector<Entry>().swap(*scratch);
}

void appendEdges(const std::vector<std::unique_ptr<FBBezierContour>>& contours, std::vector<FBContourEdge*>& edges)
{
    size_t count = edges.size();
    for (const auto& contour : contours)
        count += contour->edges().size();
    edges.reserve(count);
    for (const auto& contour : contours)
        for (FBContourEdge& edge : contour->edges())
            edges.push_back(&edge);
}

// Neighbouring edges of a contour that a line through their joint separates (the first wholly behind it,
// the second wholly ahead) meet nowhere else: the common case of a smooth or convex joint, settled
// without a search.
bool meetOnlyAtTheirJoint(const FBContourEdge& edge1, const FBContourEdge& edge2)
{
    if (edge1.contour() != edge2.contour() || edge1.contour()->edges().size() < 3)
        return false;
    // Neighbours by their places (as next() finds them, without the calls: most pairs are not).
    const size_t count = edge1.contour()->edges().size();
    const size_t after1 = edge1.index() + 1 == count ? 0 : edge1.index() + 1;
    const size_t after2 = edge2.index() + 1 == count ? 0 : edge2.index() + 1;
    const FBContourEdge* first = after1 == edge2.index() ? &edge1 : after2 == edge1.index() ? &edge2 : nullptr;
    if (!first)
        return false;
    const FBContourEdge* second = first == &edge1 ? &edge2 : &edge1;
    const FBBezierCurve& in = first->curve();
    const FBBezierCurve& out = second->curve();
    const MWPoint joint = in.endPoint2;
    if (out.endPoint1 != joint)
        return false;
    // Two lines that are not parallel meet at one point, their joint (crossEdges would find just that).
    if (first->isLine() && second->isLine() && !linesParallel(in, out))
        return true;
    const auto separates = [&](MWPoint direction) {
        for (MWPoint p : {in.endPoint1, in.controlPoint1, in.controlPoint2})
            if (!(FBDotMultiplyPoint(FBSubtractPoint(p, joint), direction) < 0) && p != joint)
                return false;
        for (MWPoint p : {out.controlPoint1, out.controlPoint2, out.endPoint2})
            if (!(FBDotMultiplyPoint(FBSubtractPoint(p, joint), direction) > 0) && p != joint)
                return false;
        return true;
    };
    // Any separating line will do: the plain sum of the two directions first (no roots to take), the
    // bisector where edges of very different lengths tilt that sum too far.
    const MWPoint incoming = FBSubtractPoint(joint, incomingPoint(in));
    const MWPoint outgoing = FBSubtractPoint(outgoingPoint(out), joint);
    // Two lines turning by a right angle or less: the bisector's normal separates them.
    if (first->isLine() && second->isLine() && FBDotMultiplyPoint(incoming, outgoing) >= 0 && incoming != MWPoint()
        && outgoing != MWPoint())
        return true;
    return separates(FBAddPoint(incoming, outgoing))
           || separates(FBAddPoint(FBNormalizePoint(incoming), FBNormalizePoint(outgoing)));
}

// Whether every point of `b` lies farther than `gap` beyond the band that `a`'s points span about its
// chord's line, on one side: the curves (inside their points' hulls) are then that far apart.
inline bool apartAcrossChord(const FBContourEdge& a, const FBBezierCurve& b, double gap)
{
    const FBContourEdge::ChordBand& band = a.chordBand();
    if (!(band.length > 0))
        return false;
    const FBBezierCurve& c = a.curve();
    const MWPoint chord = FBSubtractPoint(c.endPoint2, c.endPoint1);
    const auto offset = [&](MWPoint p) { return cross(chord, FBSubtractPoint(p, c.endPoint1)); };
    const double low = band.low - gap * band.length, high = band.high + gap * band.length;
    const double q[4] = {offset(b.endPoint1), offset(b.controlPoint1), offset(b.controlPoint2), offset(b.endPoint2)};
    return (q[0] > high && q[1] > high && q[2] > high && q[3] > high)
           || (q[0] < low && q[1] < low && q[2] < low && q[3] < low);
}

void searchEdges(FBContourEdge& edge1, FBContourEdge& edge2, double tolerance, bool self, std::vector<MWPoint>& kept);

// The crossings between two edges: of two graphs, or of one graph with itself (`self`). Inline, the search
// out of line: most pairs the sweeps meet are settled by the first test.
inline void crossEdges(FBContourEdge& edge1, FBContourEdge& edge2, double tolerance, bool self,
                       std::vector<MWPoint>& kept)
{
    // Edges farther apart than a kept meeting's two points may be (below) share no stretch and no meeting:
    // the common case of bounds that overlap only at a corner, settled without a search.
    const double gap = 8 * tolerance;
    if (apartAcrossChord(edge1, edge2.curve(), gap) || apartAcrossChord(edge2, edge1.curve(), gap))
        return;
    searchEdges(edge1, edge2, tolerance, self, kept);
}

[[gnu::noinline]] void searchEdges(FBContourEdge& edge1, FBContourEdge& edge2, double tolerance, bool self,
                                   std::vector<MWPoint>& kept)
{
    // Lines that are not parallel share no stretch.
    FBCurveOverlap overlap;
    if ((!edge1.isLine() || !edge2.isLine() || linesParallel(edge1.curve(), edge2.curve())) && FBCurvesOverlap(edge1.curve(), edge2.curve(), tolerance, overlap)) {
        // A shared stretch: its two ends always split both contours, so each stretch between crossings lies
        // wholly inside, outside or on the other graph (or, within one graph, bounds its area or not).
        std::array<FBBezierIntersection, 2> ends{
            FBBezierIntersection(edge1.curve(), overlap.curve1Range.minimum, edge2.curve(), overlap.curve2Start),
            FBBezierIntersection(edge1.curve(), overlap.curve1Range.maximum, edge2.curve(), overlap.curve2Stop)};
        for (FBBezierIntersection& intersection : ends) {
            polishIntersection(intersection, tolerance);
            if (!self) {
                markShared(edge1, intersection.isAtStartOfCurve1(), intersection.isAtStopOfCurve1());
                markShared(edge2, intersection.isAtStartOfCurve2(), intersection.isAtStopOfCurve2());
            }
            addCrossingPair(edge1, edge2, intersection, true, self);
        }
        // Between its polished ends, where its crossings stand.
        if (!self) {
            edge1.noteSharedRange(ends[0].parameter1(), ends[1].parameter1());
            edge2.noteSharedRange(ends[0].parameter2(), ends[1].parameter2());
        }
        return;
    }
    const bool follows = self && edge1.next() == &edge2;
    const bool precedes = self && edge2.next() == &edge1;
    kept.clear();
    // Scratch kept per thread: most pairs of edges that get here meet.
    thread_local std::vector<FBBezierIntersection> meetings;
    edge1.curve().intersectionsWithBezierCurve(edge2.curve(), edge1.isLine(), edge2.isLine(), meetings);
    for (FBBezierIntersection& intersection : meetings) {
        // The search settles parameters to six places only; where curves run within that of each other
        // without meeting (a copy moved or turned by a hair), what it reports is no meeting at all.
        if (polishIntersection(intersection, tolerance) > 4 * tolerance)
            continue;
        // The joint of neighbouring edges of one contour is no crossing.
        if ((follows && intersection.isAtStopOfCurve1() && intersection.isAtStartOfCurve2())
            || (precedes && intersection.isAtStartOfCurve1() && intersection.isAtStopOfCurve2()))
            continue;
        // Both halves of a split search may report the same meeting.
        const MWPoint location = intersection.location();
        const bool duplicate = std::any_of(kept.begin(), kept.end(), [&](MWPoint k) {
            return FBArePointsCloseWithOptions(k, location, tolerance);
        });
        if (duplicate)
            continue;
        kept.push_back(location);
        if (!self) {
            markShared(edge1, intersection.isAtStartOfCurve1(), intersection.isAtStopOfCurve1());
            markShared(edge2, intersection.isAtStartOfCurve2(), intersection.isAtStopOfCurve2());
        }
        // Touches along a common direction split both contours too: whether the boundaries cross there is
        // left to the placement of the stretches on either side. A meeting inside both edges is one or the
        // other, so it splits them without the tangent test.
        // The angles at an end point are taken once for both tests.
        bool splits = !intersection.isAtEndPointOfCurve() || intersection.isTangent();
        if (!splits) {
            const std::array<double, 4> angles = anglesAtMeeting(edge1, edge2, intersection);
            splits = crossesAt(angles) || meetsAlongCommonDirectionAt(angles);
        }
        if (splits)
            addCrossingPair(edge1, edge2, intersection, false, self);
    }
}

} // namespace

namespace {

// Sorts keys that mostly come in long runs up or down, as the edges of outlines running left and right in
// long stretches do: each run down is turned round and the runs are merged pairwise, a few passes of
// linear work. Many short runs (a zigzag) are left to std::sort.
void sortByRuns(std::vector<std::pair<double, uint32_t>>& keys)
{
    constexpr size_t maximumRuns = 16;
    const size_t n = keys.size();
    if (n < 64) {
        std::sort(keys.begin(), keys.end());
        return;
    }
    std::array<size_t, maximumRuns> starts;
    size_t runs = 0;
    for (size_t i = 0; i < n;) {
        if (runs == maximumRuns) {
            std::sort(keys.begin(), keys.end());
            return;
        }
        starts[runs++] = i;
        size_t j = i + 1;
        if (j < n && keys[j].first < keys[i].first) {
            while (j < n && keys[j].first < keys[j - 1].first)
                ++j;
            std::reverse(keys.begin() + std::ptrdiff_t(i), keys.begin() + std::ptrdiff_t(j));
        } else {
            while (j < n && !(keys[j] < keys[j - 1]))
                ++j;
        }
        i = j;
    }
    std::vector<std::pair<double, uint32_t>> buffer(n);
    while (runs > 1) {
        size_t merged = 0;
        for (size_t r = 0; r < runs; r += 2) {
            const auto at = [&](size_t k) { return std::ptrdiff_t(k < runs ? starts[k] : n); };
            std::merge(keys.begin() + at(r), keys.begin() + at(r + 1), keys.begin() + at(r + 1),
                       keys.begin() + at(r + 2), buffer.begin() + at(r));
            starts[merged++] = starts[r];
        }
        keys.swap(buffer);
        runs = merged;
    }
}

} // namespace

void FBBezierGraph::edgesByLeft(std::vector<FBContourEdge*>& edges) const
{
    edges.clear();
    appendEdges(contours_, edges);
    // Keys beside their places, sorted as pairs: the place breaks ties, as a stable sort would. Scratch
    // kept per thread: every operation sorts both graphs' edges.
    thread_local std::vector<std::pair<double, uint32_t>> keys;
    thread_local std::vector<FBContourEdge*> unsorted;
    keys.resize(edges.size());
    for (size_t i = 0; i < edges.size(); ++i)
        keys[i] = {edges[i]->minX, uint32_t(i)};
    sortByRuns(keys);
    unsorted.assign(edges.begin(), edges.end());
    for (size_t i = 0; i < keys.size(); ++i)
        edges[i] = unsorted[keys[i].second];
    if (keys.capacity() > kKeptScratchEntries) {
        std::vector<std::pair<double, uint32_t>>().swap(keys);
        std::vector<FBContourEdge*>().swap(unsorted);
    }
}

void FBBezierGraph::insertCrossingsWithBezierGraph(FBBezierGraph& other)
{
    std::vector<FBContourEdge*> mine, theirs;
    edgesByLeft(mine);
    other.edgesByLeft(theirs);
    insertCrossingsWithBezierGraph(other, mine, theirs);
}

void FBBezierGraph::insertCrossingsWithBezierGraph(FBBezierGraph& other, const std::vector<FBContourEdge*>& mine,
                                                   const std::vector<FBContourEdge*>& theirs)
{
    const double tol = tolerance(other);
    std::vector<MWPoint> kept;
    forEachOverlappingPair(mine, &theirs, tol, [&](FBContourEdge& edge1, FBContourEdge& edge2) {
        crossEdges(edge1, edge2, tol, false, kept);
    });
    removeDuplicateCrossings();
    other.removeDuplicateCrossings();
}

void FBBezierGraph::insertSelfCrossings()
{
    std::vector<FBContourEdge*> edges;
    edgesByLeft(edges);
    insertSelfCrossings(edges);
}

void FBBezierGraph::insertSelfCrossings(const std::vector<FBContourEdge*>& edgesByLeft)
{
    // A contour that meets itself only at its joints (convex, or a polygon star-shaped about its vertices'
    // mean) needs no search of its own pairs; one such contour alone needs no sweep at all.
    const double tol = tolerance(*this);
    for (const auto& contour : contours_)
        contour->setSkipsOwnPairs(std::nullopt);
    const auto meetsItselfOnlyAtJoints = [tol](const FBBezierContour& contour) {
        return contour.meetsItselfOnlyAtJoints(tol) || contour.isStarShapedPolygon(tol);
    };
    if (contours_.empty() || (contours_.size() == 1 && meetsItselfOnlyAtJoints(*contours_[0]))) {
        hasSelfCrossings_ = false;
        return;
    }
    std::vector<MWPoint> kept;
    forEachOverlappingPair(edgesByLeft, nullptr, tol, [&](FBContourEdge& edge1, FBContourEdge& edge2) {
        if (meetOnlyAtTheirJoint(edge1, edge2))
            return;
        // Asked only of contours with a pair left to search: most pairs never get here.
        if (FBBezierContour* contour = edge1.contour(); contour == edge2.contour()) {
            if (!contour->skipsOwnPairs())
                contour->setSkipsOwnPairs(meetsItselfOnlyAtJoints(*contour));
            if (*contour->skipsOwnPairs())
                return;
        }
        crossEdges(edge1, edge2, tol, true, kept);
    });
    removeDuplicateCrossings();
    hasSelfCrossings_ = crossingCount() != 0;
}

void FBBezierGraph::removeDuplicateCrossings()
{
    // Scratch kept per thread: both graphs run this on every operation.
    thread_local std::vector<FBEdgeCrossing*> snapshot;
    for (auto& contour : contours_) {
        for (FBContourEdge& edge : contour->edges()) {
            // Only a crossing at an end of the edge can go (crossings are only ever taken away here).
            const auto atAnEnd = [](const auto& c) { return c->isAtStart() || c->isAtEnd(); };
            if (std::none_of(edge.crossings().begin(), edge.crossings().end(), atAnEnd))
                continue;
            snapshot.clear();
            for (const auto& c : edge.crossings())
                snapshot.push_back(c.get());
            for (FBEdgeCrossing* crossing : snapshot) {
                const auto alive = std::any_of(edge.crossings().begin(), edge.crossings().end(),
                                               [&](const auto& c) { return c.get() == crossing; });
                if (!alive)
                    continue;
                FBEdgeCrossing* previousLast = edge.previous()->lastCrossing();
                if (crossing->isAtStart() && previousLast && previousLast != crossing && previousLast->isAtEnd()) {
                    if (FBEdgeCrossing* counterpart = crossing->counterpart())
                        counterpart->removeFromEdge();
                    crossing->removeFromEdge();
                    continue;
                }
                FBEdgeCrossing* nextFirst = edge.next()->firstCrossing();
                if (crossing->isAtEnd() && nextFirst && nextFirst != crossing && nextFirst->isAtStart()) {
                    if (FBEdgeCrossing* counterpart = nextFirst->counterpart())
                        counterpart->removeFromEdge();
                    nextFirst->removeFromEdge();
                }
            }
        }
    }
    if (snapshot.capacity() > kKeptScratchEntries)
        std::vector<FBEdgeCrossing*>().swap(snapshot);
}

void FBBezierGraph::removeCrossings()
{
    for (auto& contour : contours_)
        for (FBContourEdge& edge : contour->edges())
            edge.removeAllCrossings();
}

FBEdgeCrossing* FBBezierGraph::firstUnprocessedCrossing() const
{
    for (const auto& contour : contours_)
        for (const FBContourEdge& edge : contour->edges())
            for (const auto& crossing : edge.crossings())
                if (!crossing->isProcessed())
                    return crossing.get();
    return nullptr;
}

size_t FBBezierGraph::crossingCount() const
{
    size_t count = 0;
    for (const auto& contour : contours_)
        for (const FBContourEdge& edge : contour->edges())
            count += edge.crossings().size();
    return count;
}

// ---------------------------------------------------------------------------------------------------------
// Height bands

bool FBHeightBands::build(const std::vector<std::pair<double, double>>& ranges)
{
    bandStarts_.clear(), items_.clear();
    double top = INFINITY, bottom = -INFINITY;
    for (const auto& [lo, hi] : ranges)
        top = std::min(top, lo), bottom = std::max(bottom, hi);
    size_t bands = std::max<size_t>(std::min<size_t>(ranges.size() / 2, 4096), 1);
    const auto bandRange = [&](const std::pair<double, double>& range, size_t count) {
        const double lo = std::floor((range.first - top) / bandHeight_) - 1;
        const double hi = std::floor((range.second - top) / bandHeight_) + 1;
        return std::pair<size_t, size_t>(size_t(std::max(lo, 0.0)), size_t(std::min(hi, double(count - 1))));
    };
    for (;; bands /= 2) {
        top_ = top;
        bandHeight_ = (bottom - top) / double(bands);
        if (!(bandHeight_ > 0) || !std::isfinite(bandHeight_)) {
            bandStarts_.clear();
            return false;
        }
        bandStarts_.assign(bands + 1, 0);
        size_t total = 0;
        for (const auto& range : ranges) {
            const auto [lo, hi] = bandRange(range, bands);
            for (size_t k = lo; k <= hi; ++k)
                ++bandStarts_[k + 1];
            total += hi - lo + 1;
        }
        if (total <= 12 * ranges.size() || bands == 1)
            break;
    }
    for (size_t k = 0; k < bands; ++k)
        bandStarts_[k + 1] += bandStarts_[k];
    items_.resize(bandStarts_[bands]);
    std::vector<uint32_t> fill(bandStarts_.begin(), bandStarts_.end() - 1);
    for (size_t i = 0; i < ranges.size(); ++i) {
        const auto [lo, hi] = bandRange(ranges[i], bands);
        for (size_t k = lo; k <= hi; ++k)
            items_[fill[k]++] = uint32_t(i);
    }
    return true;
}

std::pair<const uint32_t*, const uint32_t*> FBHeightBands::at(double y) const
{
    if (bandStarts_.empty())
        return {nullptr, nullptr};
    const size_t bands = bandStarts_.size() - 1;
    const double at = (y - top_) / bandHeight_;
    if (!(at >= 0 && at <= double(bands)))
        return {nullptr, nullptr};
    const size_t band = std::min(size_t(at), bands - 1);
    return {items_.data() + bandStarts_[band], items_.data() + bandStarts_[band + 1]};
}

// ---------------------------------------------------------------------------------------------------------
// FBBezierGraph: placement

namespace {

// outsideBounds against bounds widened already.
inline bool outsideBox(MWPoint point, const FBBezierGraph::PlacementIndex::Box& b)
{
    return point.x < b.left || point.x > b.right || point.y < b.top || point.y > b.bottom;
}

// One edge's part in a point's placement (`near`: the point lies within the tolerance of the edge's
// bounds): whether the point lies within the tolerance of the edge, else what the edge adds to the ray's
// count, as windingNumber takes it. Always inline: it is the placement scan's body.
[[gnu::always_inline]] inline bool edgeHoldsPoint(const FBContourEdge& edge, MWPoint point, double tolerance, bool near,
                                                  int& winding)
{
    if (near && !edge.isFartherThan(point, tolerance)) {
        double distance = 0;
        edge.curve().closestParameter(point, &distance);
        if (distance <= tolerance)
            return true;
    }
    if (point.y >= edge.minY && point.y < edge.maxY && point.x < edge.maxX)
        winding += rayCrossings(edge.curve(), edge.isLine(), point, edge.minX, edge.minY, edge.maxX, edge.maxY);
    return false;
}

} // namespace

bool FBBezierGraph::indexPlacement(PlacementIndex& index, double reach)
{
    placementIndex_ = nullptr;
    size_t edgeCount = 0;
    double top = INFINITY, bottom = -INFINITY, spans = 0;
    for (const auto& contour : contours_)
        for (const FBContourEdge& edge : contour->edges()) {
            ++edgeCount;
            top = std::min(top, edge.minY);
            bottom = std::max(bottom, edge.maxY);
            spans += edge.maxY - edge.minY;
        }
    // A few edges are scanned faster than banded.
    if (edgeCount < 32)
        return false;
    top -= reach, bottom += reach;
    const double height = bottom - top;
    if (!(height > 0) || !std::isfinite(height) || !std::isfinite(spans))
        return false;
    // About two edges a band, fewer where edges span many (about four bands an edge at most, the two
    // against rounding besides).
    const double fit = 4 * double(edgeCount) * height / std::max(spans + 2 * reach * double(edgeCount), height);
    const size_t bands = size_t(std::clamp(fit, 1.0, double(std::min<size_t>(edgeCount / 2, 4096))));
    index.reach = reach, index.top = top, index.bottom = bottom;
    index.scale = double(bands) / height;
    // From the band of the edge's widened height's bottom to that of its top, each taken as a point's band
    // is: every height within the range (every point either test of the edge takes) falls between them.
    const auto bandOf = [&index, bands](double y) { return std::min(size_t((y - index.top) * index.scale), bands - 1); };
    index.edgeBands.clear();
    index.bandStarts.assign(bands + 1, 0);
    index.contourBounds.clear();
    for (const auto& contour : contours_) {
        const pf::Rect b = contour->bounds();
        // As outsideBounds widens them.
        index.contourBounds.push_back(
            {b.x() - reach, b.y() - reach, b.x() + b.width() + reach, b.y() + b.height() + reach});
        for (const FBContourEdge& edge : contour->edges()) {
            const auto range = std::pair<uint32_t, uint32_t>(uint32_t(bandOf(edge.minY - reach)), uint32_t(bandOf(edge.maxY + reach)));
            index.edgeBands.push_back(range);
            for (uint32_t k = range.first; k <= range.second; ++k)
                ++index.bandStarts[k];
        }
    }
    // Each band's end, then filled from the end down, which leaves its start.
    for (size_t k = 1; k < bands; ++k)
        index.bandStarts[k] += index.bandStarts[k - 1];
    index.bandStarts[bands] = index.bandStarts[bands - 1];
    index.entries.resize(index.bandStarts[bands]);
    const std::pair<uint32_t, uint32_t>* range = index.edgeBands.data() + index.edgeBands.size();
    for (size_t c = contours_.size(); c-- > 0;) {
        const FBEdgeList& edges = contours_[c]->edges();
        for (size_t i = edges.size(); i-- > 0;) {
            const FBContourEdge& edge = edges[i];
            --range;
            const PlacementIndex::Entry entry{
                {edge.minX - reach, edge.minY - reach, edge.maxX + reach, edge.maxY + reach}, &edge, uint32_t(c)};
            for (uint32_t k = range->first; k <= range->second; ++k)
                index.entries[--index.bandStarts[k]] = entry;
        }
    }
    placementIndex_ = &index;
    return true;
}

FBBezierGraph::PointPlacement FBBezierGraph::placementOfPoint(MWPoint point, double tolerance) const
{
    int count = 0;
    if (const PlacementIndex* index = placementIndex_; index && tolerance >= 0 && tolerance <= index->reach) {
        // Above or below every widened edge (or not a number), no edge holds the point or meets its ray.
        if (!(point.y >= index->top && point.y <= index->bottom))
            return PointPlacement::Outside;
        // The band as indexPlacement takes it.
        const size_t bands = index->bandStarts.size() - 1;
        const size_t band = std::min(size_t((point.y - index->top) * index->scale), bands - 1);
        const PlacementIndex::Entry* const end = index->entries.data() + index->bandStarts[band + 1];
        const PlacementIndex::Entry* const begin = index->entries.data() + index->bandStarts[band];
        // Whether an edge filed there holds the point (else its part in the ray's count is added), given the
        // edge's and its contour's bounds widened by the tolerance.
        const auto scan = [&](auto widenedEdge, auto outsideContour) {
            for (const PlacementIndex::Entry* e = begin; e != end; ++e) {
                const FBContourEdge& edge = *e->edge;
                const PlacementIndex::Box& w = widenedEdge(*e);
                // The scan's two tests of an edge (near the point, meeting its ray) both want these.
                if (point.y < w.top || point.y > w.bottom || point.x > w.right)
                    continue;
                const bool near = point.x >= w.left;
                if (!near && !(point.y >= edge.minY && point.y < edge.maxY && point.x < edge.maxX))
                    continue;
                if (outsideContour(*e))
                    continue;
                if (edgeHoldsPoint(edge, point, tolerance, near, count))
                    return true;
            }
            return false;
        };
        // At the index's own reach the widened bounds are kept; at another they are worked out.
        const bool onBoundary =
            tolerance == index->reach
                ? scan([](const PlacementIndex::Entry& e) -> const PlacementIndex::Box& { return e.widened; },
                       [&](const PlacementIndex::Entry& e) { return outsideBox(point, index->contourBounds[e.contour]); })
                : scan(
                      [tolerance](const PlacementIndex::Entry& e) {
                          const FBContourEdge& edge = *e.edge;
                          return PlacementIndex::Box{edge.minX - tolerance, edge.minY - tolerance, edge.maxX + tolerance,
                                                     edge.maxY + tolerance};
                      },
                      [&](const PlacementIndex::Entry& e) {
                          return outsideBounds(point, contours_[e.contour]->bounds(), tolerance);
                      });
        if (onBoundary)
            return PointPlacement::OnBoundary;
        return (count & 1) ? PointPlacement::Inside : PointPlacement::Outside;
    }
    for (const auto& contour : contours_) {
        if (outsideBounds(point, contour->bounds(), tolerance))
            continue;
        // The boundary test and the ray's count in one pass over the edges.
        for (const FBContourEdge& edge : contour->edges()) {
            const bool near = point.x >= edge.minX - tolerance && point.x <= edge.maxX + tolerance
                              && point.y >= edge.minY - tolerance && point.y <= edge.maxY + tolerance;
            if (!near && !(point.y >= edge.minY && point.y < edge.maxY && point.x < edge.maxX))
                continue;
            if (edgeHoldsPoint(edge, point, tolerance, near, count))
                return PointPlacement::OnBoundary;
        }
    }
    return (count & 1) ? PointPlacement::Inside : PointPlacement::Outside;
}

bool FBBezierGraph::containsPoint(MWPoint point) const
{
    int count = 0;
    for (const auto& contour : contours_)
        count += contour->windingNumber(point);
    return (count & 1) != 0;
}

std::vector<FBBezierContour*> FBBezierGraph::nonintersectingContours() const
{
    std::vector<FBBezierContour*> contours;
    for (const auto& contour : contours_)
        if (!contour->hasCrossings())
            contours.push_back(contour.get());
    return contours;
}

pf::Path FBBezierGraph::newBezierPath() const
{
    pf::Path path;
    size_t count = 0;
    for (const auto& contour : contours_)
        count += contour->edges().empty() ? 0 : contour->edges().size() + 1;
    path.reserve(int(count));
    for (const auto& contour : contours_) {
        if (contour->edges().empty())
            continue;
        const MWPoint first = contour->firstPoint();
        path.moveTo({first.x, first.y});
        for (const FBContourEdge& edge : contour->edges()) {
            const FBBezierCurve& c = edge.curve();
            path.curveTo({c.controlPoint1.x, c.controlPoint1.y}, {c.controlPoint2.x, c.controlPoint2.y},
                         {c.endPoint2.x, c.endPoint2.y});
        }
    }
    return path;
}

void FBBezierGraph::round()
{
    for (auto& contour : contours_)
        contour->round();
    bounds_ = pf::Rect::zero();
}

std::string FBBezierGraph::description() const
{
    std::string text = "<FBBezierGraph: bounds = ";
    text += rectText(bounds());
    text += " contours = ";
    text += FBArrayDescription(contours_, [](const auto& c) { return c->description(); });
    text += ">";
    return text;
}
