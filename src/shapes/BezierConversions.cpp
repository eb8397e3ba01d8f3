// Any outline into an editable Bezier: the path's elements become model points, control pairs and flags;
// style, text, arrows and title come from a property list.
#include "geometry/BezierPathAdditions.h"
#include "geometry/QVRect.h"
#include "shapes/Bezier.h"
#include "platform/foundation/Identifier.h"
#include "platform/text/Rtf.h"

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
    pf::Point previous;
    const auto add = [&](const pf::Point& p, const BezierControlPair& pair, bool hidden, bool apart) {
        points.push_back(p);
        pairs.push_back(pair);
        invisible.push_back(hidden);
        independent.push_back(apart);
        previous = p;
    };
    const auto scaleOf = [](const pf::Point& a, const pf::Point& b) {
        return std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y), 1.0});
    };
    const auto same = [&](const pf::Point& a, const pf::Point& b) {
        const double tolerance = 1e-9 * scaleOf(a, b);
        return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
    };
    // A slice's path ends its part of the loop with a line back to the loop's start: on the start already,
    // that piece has no length and would leave two coincident points.
    const auto zeroLength = [&](const pf::Point& c1, const pf::Point& c2, const pf::Point& end) {
        if (offset <= 0 || points.empty())
            return false;
        return same(previous, end) && same(previous, c1) && same(previous, c2);
    };
    // Each subpath of the path stays one of the model (a slice, walked from an offset, is one chain).
    Subpaths subpaths;
    pf::Point start;
    bool closedHere = false;
    // Ends the subpath being walked. Walked closed, one that neither closes nor ends on its start is left
    // open, as the path draws it: its start becomes its first point.
    const auto finish = [&] {
        if (offset > 0 || subpaths.empty())
            return;
        const std::size_t first = std::size_t(subpaths.back().start);
        if (points.size() == first) {
            subpaths.pop_back();
            return;
        }
        if (!closed || closedHere || same(points.back(), start))
            return;
        points.insert(points.begin() + std::ptrdiff_t(first), start);
        pairs.insert(pairs.begin() + std::ptrdiff_t(first), BezierControlPair{start, start});
        invisible.insert(invisible.begin() + std::ptrdiff_t(first), true);
        independent.insert(independent.begin() + std::ptrdiff_t(first), false);
        subpaths.back().closed = false;
    };
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
                const std::size_t floor = subpaths.empty() ? 0 : std::size_t(subpaths.back().start);
                if (points.size() > floor) {
                    points.pop_back();
                    pairs.pop_back();
                    invisible.pop_back();
                    independent.pop_back();
                }
                if (!points.empty())
                    previous = points.back();
                break;
            }
            add(pts[0], {previous, pts[0]}, true, true);
            closedHere = true;
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
            finish();
            subpaths.push_back(BezierSubpath{int(points.size()), closed});
            closedHere = false;
            start = pts[0];
            if (!closed)
                add(pts[0], {pts[0], pts[0]}, true, false);
            else
                previous = pts[0];
            break;
        }
        if (stop)
            break;
    }
    finish();
    // A slice of a loop ends where it began. The walk began with the cut segment's part before the cut
    // (its pair, unused at an open chain's start): the last segment is that part, so the loop keeps its
    // outline exactly.
    if (offset > 0 && points.size() >= 2)
        add(points.front(), pairs.front(), true, false);

    // The model has one text: a second one (a title box's body) follows it on a new line, not lost.
    if (std::optional<pf::MutableAttributedString> second = Shape::storedText(plist, "attributedText1Data")) {
        std::optional<pf::MutableAttributedString> text = Shape::storedText(plist, "attributedTextData");
        if (text && text->length() > 0) {
            text->append(pf::AttributedString(QStringLiteral("\n"), text->attributesAtIndex(text->length() - 1)));
            text->append(*second);
        } else {
            text = std::move(second);
        }
        plist.set(QStringLiteral("attributedTextData"), pf::rtfFromAttributedString(*text));
    }
    plist.remove("attributedText1Data");

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
    bezier->setModelPointsControlPointsRegen(std::move(points), std::move(pairs), std::move(subpaths), true);
    bezier->setModelControlPointsInvisible(std::move(invisible));
    bezier->setModelControlPointsIndependent(std::move(independent));
    if (!bezier->points_.empty() && bezier->pairs_.size() == bezier->points_.size()) {
        // Open subpaths show handles only where they leave their point.
        const Points& pt = bezier->points_;
        const Pairs& pr = bezier->pairs_;
        Flags hidden = bezier->invisible_;
        hidden.resize(pt.size(), false);
        const auto rounded = [](const pf::Point& p, const pf::Point& q) { return QVPointRound(p) == QVPointRound(q); };
        for (const Run& run : bezier->runs()) {
            if (run.closed)
                continue;
            const std::size_t first = std::size_t(run.start), last = std::size_t(run.end - 1);
            for (std::size_t k = first; k <= last; ++k) {
                if (k == last)
                    hidden[k] = true;
                else if (k == first)
                    hidden[k] = rounded(pt[k], pr[k + 1][0]);
                else
                    hidden[k] = rounded(pt[k], pr[k + 1][0]) && rounded(pt[k], pr[k][1]);
            }
        }
        bezier->setModelControlPointsInvisible(std::move(hidden));
    }
    return bezier;
}
