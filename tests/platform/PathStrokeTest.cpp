#include "platform/graphics/Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace pf;

namespace {

// Distance from p to the segments of a flattened path.
double distanceToPath(const Path& flat, Point p)
{
    double best = INFINITY;
    Point prev;
    for (const PathElement& e : flat.elements()) {
        const Point q = e.endPoint();
        if (e.type != PathElementType::MoveTo) {
            const Point d = q - prev;
            const double len2 = d.x * d.x + d.y * d.y;
            const double s = len2 > 0 ? std::clamp(((p.x - prev.x) * d.x + (p.y - prev.y) * d.y) / len2, 0.0, 1.0) : 0;
            const Point n = prev + d * s;
            best = std::min(best, std::hypot(p.x - n.x, p.y - n.y));
        } else {
            best = std::min(best, std::hypot(p.x - q.x, p.y - q.y));
        }
        prev = q;
    }
    return best;
}

} // namespace

TEST(PathStroke, RoundOutlineHoldsExactlyThePointsWithinHalfTheWidth)
{
    Path p;
    p.moveTo({10, 10});
    p.lineTo({80, 20});
    p.curveTo({120, 30}, {60, 90}, {100, 100});
    p.lineTo({20, 70});
    const double w = 12;
    const Path outline = p.strokedOutline(w, LineCap::Round, LineJoin::Round, 10);
    EXPECT_EQ(outline.windingRule(), WindingRule::NonZero);
    const Path flat = p.flattened(1e-3);
    int inside = 0, outside = 0;
    for (double x = -5; x <= 125; x += 1.3) {
        for (double y = -5; y <= 115; y += 1.1) {
            const double d = distanceToPath(flat, {x, y});
            if (d < w / 2 - 0.05) {
                EXPECT_TRUE(outline.containsPoint({x, y})) << x << ", " << y << " at " << d;
                ++inside;
            } else if (d > w / 2 + 0.05) {
                EXPECT_FALSE(outline.containsPoint({x, y})) << x << ", " << y << " at " << d;
                ++outside;
            }
        }
    }
    EXPECT_GT(inside, 500);
    EXPECT_GT(outside, 500);
}

TEST(PathStroke, CapsAndMiterLimit)
{
    // A right-angle corner: the miter is √2 widths long.
    Path corner;
    corner.moveTo({0, 0});
    corner.lineTo({100, 0});
    corner.lineTo({100, 100});
    const double w = 10;
    const Point miterTip(104.5, -4.5); // inside the miter, outside the bevel
    struct Case {
        LineJoin join;
        double limit;
        bool tip;
    };
    const Case cases[] = {
        {LineJoin::Miter, 10, true}, {LineJoin::Miter, 1.5, true}, {LineJoin::Miter, 1.4, false},
        {LineJoin::Miter, 0, false}, {LineJoin::Bevel, 10, false}, {LineJoin::Round, 10, false},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(testing::Message() << int(tc.join) << " limit " << tc.limit);
        const Path o = corner.strokedOutline(w, LineCap::Butt, tc.join, tc.limit);
        EXPECT_EQ(o.containsPoint(miterTip), tc.tip);
        EXPECT_TRUE(o.containsPoint({101, -1})); // every join covers the corner itself
    }
    // Caps: beyond the start, within half the width.
    const Point beyond(-3, 3);
    EXPECT_FALSE(corner.strokedOutline(w, LineCap::Butt, LineJoin::Miter, 10).containsPoint(beyond));
    EXPECT_TRUE(corner.strokedOutline(w, LineCap::Square, LineJoin::Miter, 10).containsPoint(beyond));
    EXPECT_TRUE(corner.strokedOutline(w, LineCap::Round, LineJoin::Miter, 10).containsPoint(beyond));
    EXPECT_FALSE(corner.strokedOutline(w, LineCap::Round, LineJoin::Miter, 10).containsPoint({-4, 4}));
    // The path's own style is the default.
    Path styled = corner;
    styled.lineStyle().width = 20;
    EXPECT_TRUE(styled.strokedOutline().containsPoint({50, 9}));
    EXPECT_TRUE(corner.strokedOutline(0, LineCap::Round, LineJoin::Round, 10).isEmpty());
    EXPECT_TRUE(Path().strokedOutline(4, LineCap::Round, LineJoin::Round, 10).isEmpty());
}

TEST(PathStroke, ClosedSubpathHasNoCaps)
{
    const Path square = Path::rect(Rect(0, 0, 50, 50));
    const Path o = square.strokedOutline(10, LineCap::Butt, LineJoin::Miter, 10);
    EXPECT_TRUE(o.containsPoint({-4, -4})); // the start corner is joined, not capped
    EXPECT_FALSE(o.containsPoint({25, 25}));
    EXPECT_TRUE(o.containsPoint({25, 4}));
}
