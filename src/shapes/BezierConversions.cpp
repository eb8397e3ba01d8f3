// Any outline into an editable Bezier: the path's elements become model points, control pairs and flags;
// style, text, arrows and title come from a property list.
#include "geometry/BezierPathAdditions.h"
#include "geometry/QVRect.h"
#include "shapes/Bezier.h"
#include "platform/foundation/Identifier.h"

#include <algorithm>
#include <cmath>
#include <optional>

std::shared_ptr<Bezier> Bezier::fromShape(const std::shared_ptr<Shape>& shape)
{
    if (!shape)
        return nullptr;
    if (shape->isBezier())
        if (auto bezier = std::dynamic_pointer_cast<Bezier>(shape))
            return bezier;
    // A connector's line is open, but a block arrow is a closed outline: walked as open it would lose
    // the point its close returns to, a barb.
    const pf::Path& outline = shape->path();
    const bool closedOutline = !outline.isEmpty() && outline.element(outline.elementCount() - 1).type == pf::PathElementType::Close;
    return fromBezierPath(outline, shape->asPlist(), !shape->isPointer() || closedOutline);
}

std::shared_ptr<Bezier> Bezier::fromBezierPath(const pf::Path& path)
{
    const pf::Point start = path.isEmpty() ? pf::Point() : path.element(0).points[0];
    auto pen = std::make_shared<Bezier>();
    pen->initWithFrameGeneratePath(pf::Rect(start, pf::Size()), false);
    return fromBezierPath(path, pen->asPlist(), false);
}

std::shared_ptr<Bezier> Bezier::fromBezierPath(const pf::Path& source, pf::Value plist, bool closed, int offset)
{
    // Quadratic elements walk as their exact cubics.
    const pf::Path path = source.hasQuadElements() ? geom::bezierPathWithCGPath(source) : source;
    Points points;
    Pairs pairs;
    Flags invisible, independent;
    const auto add = [&](const pf::Point& p, const BezierControlPair& pair, bool hidden, bool apart) {
        points.push_back(p);
        pairs.push_back(pair);
        invisible.push_back(hidden);
        independent.push_back(apart);
    };
    pf::Point previous;
    // A slice's path ends its part of the loop with a line back to the loop's start: on the start already,
    // that piece has no length and would leave two coincident points.
    const auto zeroLength = [&](const pf::Point& c1, const pf::Point& c2, const pf::Point& end) {
        if (offset <= 0 || points.empty())
            return false;
        const double scale = std::max({std::fabs(previous.x), std::fabs(previous.y), std::fabs(end.x), std::fabs(end.y), 1.0});
        const double tolerance = 1e-9 * scale;
        const auto same = [tolerance](const pf::Point& a, const pf::Point& b) {
            return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
        };
        return same(previous, end) && same(previous, c1) && same(previous, c2);
    };
    // The start of the first subpath, and whether later subpaths were joined onto it.
    std::optional<pf::Point> start;
    bool joined = false;
    const int count = path.elementCount();
    for (int step = 0; step < count; ++step) {
        const int index = (std::max(offset, 0) + step) % count;
        const pf::PathElement& e = path.element(index);
        const pf::Point* pts = e.points;
        bool stop = false;
        switch (e.type) {
        case pf::PathElementType::Close:
            if (!closed) {
                // An open chain ignores the closing: the point added last goes too.
                if (!points.empty()) {
                    points.pop_back();
                    pairs.pop_back();
                    invisible.pop_back();
                    independent.pop_back();
                }
                break;
            }
            add(pts[0], {previous, pts[0]}, true, true);
            // Later subpaths (a shape's holes) are walked too: stopping here would drop them.
            stop = offset > 0;
            break;
        case pf::PathElementType::CurveTo:
            if (!zeroLength(pts[0], pts[1], pts[2]))
                add(pts[2], {pts[0], pts[1]}, false, closed);
            break;
        case pf::PathElementType::QuadTo: // converted above
        case pf::PathElementType::LineTo:
            if (!zeroLength(previous, pts[0], pts[0]))
                add(pts[0], {previous, pts[0]}, true, closed);
            break;
        case pf::PathElementType::MoveTo:
            if (offset > 0)
                break;
            if (!closed)
                add(pts[0], {pts[0], pts[0]}, true, false);
            else if (index == 0)
                start = previous = pts[0];
            else {
                add(pts[0], {previous, pts[0]}, true, true);
                joined = true;
            }
            break;
        }
        if (!points.empty())
            previous = points.back();
        if (stop)
            break;
    }
    // A chain of several closed subpaths goes back to the first subpath's start along the bridge it left
    // by, so its own closing segment is the first subpath's and no notch is cut out of the area.
    if (closed && joined && start)
        add(*start, {previous, *start}, true, true);
    // A slice of a loop ends where it began, its last segment continuing the neighbouring handles.
    if (offset > 0 && points.size() >= 2) {
        const pf::Point first = points.front(), last = points.back();
        const pf::Point a = pairs.back()[1], b = pairs[1][0];
        add(first, {pf::Point(2 * last.x - a.x, 2 * last.y - a.y), pf::Point(2 * first.x - b.x, 2 * first.y - b.y)},
            true, false);
    }

    plist.set(QStringLiteral("className"), staticClass().className());
    plist.set(QStringLiteral("identifier"), pf::newIdentifier());
    plist.remove("modelPoints");
    plist.remove("modelControlPoints");
    plist.remove("modelControlPointsInvisible");
    plist.remove("modelControlPointsIndependent");
    auto bezier = std::dynamic_pointer_cast<Bezier>(Shape::fromPlist(plist));
    if (!bezier)
        return nullptr;
    bezier->closed_ = closed;
    bezier->setModelPointsControlPointsRegen(std::move(points), std::move(pairs), true);
    bezier->setModelControlPointsInvisible(std::move(invisible));
    bezier->setModelControlPointsIndependent(std::move(independent));
    if (!closed && !bezier->points_.empty()) {
        // Open chains show handles only where they leave their point.
        const Points& pt = bezier->points_;
        const Pairs& pr = bezier->pairs_;
        const std::size_t n = pt.size();
        Flags hidden(n, false);
        const auto same = [](const pf::Point& p, const pf::Point& q) { return QVPointRound(p) == QVPointRound(q); };
        for (std::size_t k = 0; k < n; ++k) {
            if (k == n - 1)
                hidden[k] = true;
            else if (k == 0)
                hidden[k] = same(pt[0], pr[1][0]);
            else
                hidden[k] = same(pt[k], pr[k + 1][0]) && same(pt[k], pr[k][1]);
        }
        bezier->setModelControlPointsInvisible(std::move(hidden));
    }
    return bezier;
}
