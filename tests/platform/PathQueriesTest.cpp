#include "platform/graphics/Path.h"

#include <QPainterPath>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace pf;

namespace {

Point cubicAt(const Point c[4], double t)
{
    const double m = 1 - t;
    return c[0] * (m * m * m) + c[1] * (3 * m * m * t) + c[2] * (3 * m * t * t) + c[3] * (t * t * t);
}

Point cubicTangent(const Point c[4], double t)
{
    const double m = 1 - t;
    return (c[1] - c[0]) * (3 * m * m) + (c[2] - c[1]) * (6 * m * t) + (c[3] - c[2]) * (3 * t * t);
}

Path pentagram()
{
    Path p;
    for (int i = 0; i < 5; ++i) {
        const double a = (-90 + 144.0 * i) * std::numbers::pi / 180;
        const Point v(100 + 100 * std::cos(a), 100 + 100 * std::sin(a));
        if (i == 0)
            p.moveTo(v);
        else
            p.lineTo(v);
    }
    p.close();
    return p;
}

} // namespace

TEST(PathQueries, BoundsFollowCurveExtremaNotControlPoints)
{
    Path cubic;
    cubic.moveTo({0, 0});
    cubic.curveTo({0, -10}, {10, -10}, {10, 0});
    EXPECT_EQ(cubic.bounds(), Rect(0, -7.5, 10, 7.5));
    EXPECT_EQ(cubic.controlPointBounds(), Rect(0, -10, 10, 10));

    // An S-curve bulging past both end points in x.
    Path s;
    s.moveTo({0, 0});
    s.curveTo({40, 0}, {-30, 10}, {10, 10});
    const Rect b = s.bounds();
    EXPECT_LT(b.minX(), 0);
    EXPECT_GT(b.maxX(), 10);
    double lo = 0, hi = 0;
    const Point c[4] = {{0, 0}, {40, 0}, {-30, 10}, {10, 10}};
    for (int i = 0; i <= 100000; ++i) {
        const Point q = cubicAt(c, i / 100000.0);
        lo = std::min(lo, q.x);
        hi = std::max(hi, q.x);
    }
    EXPECT_NEAR(b.minX(), lo, 1e-6);
    EXPECT_NEAR(b.maxX(), hi, 1e-6);
    EXPECT_EQ(b.minY(), 0);
    EXPECT_EQ(b.maxY(), 10);

    Path quad;
    quad.moveTo({0, 0});
    quad.quadTo({5, 10}, {10, 0});
    EXPECT_EQ(quad.bounds(), Rect(0, 0, 10, 5));
    EXPECT_EQ(quad.controlPointBounds(), Rect(0, 0, 10, 10));

    EXPECT_EQ(Path().bounds(), Rect::zero());
    EXPECT_EQ(Path().controlPointBounds(), Rect::zero());
    const Rect r(3, 4, 50, 20);
    const Rect ob = Path::oval(r).bounds();
    EXPECT_NEAR(ob.minX(), 3, 1e-12);
    EXPECT_NEAR(ob.maxY(), 24, 1e-12);
}

TEST(PathQueries, WindingAgainstEvenOddOnAPentagram)
{
    const Path star = pentagram();
    struct Case {
        Point p;
        bool nonZero, evenOdd;
    };
    const Case cases[] = {
        {{100, 100}, true, false}, // the pentagon in the middle winds twice
        {{100, 15}, true, true},   // a tip
        {{100, 190}, false, false},
        {{-5, 70}, false, false},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(testing::Message() << "(" << tc.p.x << ", " << tc.p.y << ")");
        EXPECT_EQ(star.containsPoint(tc.p, WindingRule::NonZero), tc.nonZero);
        EXPECT_EQ(star.containsPoint(tc.p, WindingRule::EvenOdd), tc.evenOdd);
        EXPECT_EQ(star.toQt(WindingRule::NonZero).contains(tc.p.toQt()), tc.nonZero);
        EXPECT_EQ(star.toQt(WindingRule::EvenOdd).contains(tc.p.toQt()), tc.evenOdd);
    }
    Path evenOdd = star;
    evenOdd.setWindingRule(WindingRule::EvenOdd);
    EXPECT_FALSE(evenOdd.containsPoint({100, 100}));
}

TEST(PathQueries, BoundaryAndVertexRaysAreHalfOpen)
{
    const Path square = Path::rect(Rect(0, 0, 10, 10));
    const Rect rect(0, 0, 10, 10);
    const Point points[] = {{0, 0}, {5, 0}, {0, 5}, {10, 5}, {5, 10}, {10, 10}, {0, 10}, {10, 0}, {5, 5}, {-1e-12, 5}};
    for (const Point& p : points) {
        SCOPED_TRACE(testing::Message() << "(" << p.x << ", " << p.y << ")");
        EXPECT_EQ(square.containsPoint(p), rect.contains(p));
        EXPECT_EQ(square.reversed().containsPoint(p), rect.contains(p));
    }
    // Rays through vertices: a diamond's side vertices, and a V whose bottom tip touches the ray.
    Path diamond;
    diamond.moveTo({10, 0});
    diamond.lineTo({20, 10});
    diamond.lineTo({10, 20});
    diamond.lineTo({0, 10});
    diamond.close();
    EXPECT_TRUE(diamond.containsPoint({10, 10}));
    EXPECT_FALSE(diamond.containsPoint({-1, 10}));
    EXPECT_FALSE(diamond.containsPoint({21, 10}));
    EXPECT_FALSE(diamond.containsPoint({5, 0}));
    EXPECT_FALSE(diamond.containsPoint({5, 20}));
    Path v; // a W: the ray at y = 10 grazes the middle peak
    v.moveTo({0, 0});
    v.lineTo({10, 20});
    v.lineTo({20, 10});
    v.lineTo({30, 20});
    v.lineTo({40, 0});
    v.close();
    EXPECT_TRUE(v.containsPoint({8, 10}));
    EXPECT_TRUE(v.containsPoint({20, 9.99}));
    EXPECT_TRUE(v.containsPoint({32, 10}));
    EXPECT_FALSE(v.containsPoint({20, 10.01}));
    EXPECT_FALSE(v.containsPoint({41, 10}));
    // A curve's vertical tangent exactly on the ray: the oval's left and right points.
    const Path oval = Path::oval(Rect(0, 0, 20, 10));
    EXPECT_TRUE(oval.containsPoint({10, 5}));
    EXPECT_FALSE(oval.containsPoint({-1, 5}));
    EXPECT_FALSE(oval.containsPoint({21, 5}));
    EXPECT_FALSE(oval.containsPoint({10, -1e-9}));
}

TEST(PathQueries, CurvesAreContainedExactlyNotByFlattening)
{
    // Points 1e-7 either side of each curve along its normal, where any flattening would misjudge them.
    Path path;
    const Point c1[4] = {{0, 0}, {60, -40}, {100, 80}, {40, 100}};
    path.moveTo(c1[0]);
    path.curveTo(c1[1], c1[2], c1[3]);
    path.quadTo({-30, 60}, {0, 0});
    path.close();
    const Point q[4] = {{40, 100}, {40 + 2 * (-70) / 3.0, 100 + 2 * (-40) / 3.0}, {2 * (-30) / 3.0, 2 * 60 / 3.0}, {0, 0}};
    int checked = 0;
    for (const Point* curve : {c1, q}) {
        for (int i = 1; i < 20; ++i) {
            const double t = i / 20.0;
            const Point on = cubicAt(curve, t);
            const Point d = cubicTangent(curve, t);
            const double len = std::hypot(d.x, d.y);
            // The region lies to the right of travel in y-down coordinates for this clockwise outline.
            const Point inward(-d.y / len, d.x / len);
            EXPECT_TRUE(path.containsPoint(on + inward * 1e-7)) << t;
            EXPECT_FALSE(path.containsPoint(on - inward * 1e-7)) << t;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 38);
    // Away from the boundary it agrees with Qt on a grid.
    const QPainterPath qt = path.toQt();
    for (double x = -30; x <= 110; x += 3.7) {
        for (double y = -20; y <= 110; y += 3.3) {
            const QPointF pt(x, y);
            bool nearEdge = false;
            for (double dx : {-0.3, 0.3}) {
                for (double dy : {-0.3, 0.3})
                    nearEdge |= qt.contains(pt + QPointF(dx, dy)) != qt.contains(pt);
            }
            if (!nearEdge) {
                EXPECT_EQ(path.containsPoint({x, y}), qt.contains(pt)) << x << ", " << y;
            }
        }
    }
}

TEST(PathQueries, OpenSubpathsAreClosedForContainment)
{
    Path open;
    open.moveTo({0, 0});
    open.lineTo({10, 0});
    open.lineTo({10, 10});
    open.moveTo({20, 0}); // a second open subpath
    open.lineTo({30, 0});
    open.lineTo({30, 10});
    EXPECT_TRUE(open.containsPoint({8, 2}));
    EXPECT_TRUE(open.containsPoint({28, 2}));
    EXPECT_FALSE(open.containsPoint({2, 8}));
    EXPECT_FALSE(open.containsPoint({15, 2}));
}

TEST(PathQueries, TransformMovesEveryPointAndTheCurrentPoint)
{
    Path p = Path::rect(Rect(0, 0, 10, 10));
    p.moveTo({1, 2});
    p.transform(AffineTransform::translation(5, 0).scaled(2, 3));
    EXPECT_EQ(p.bounds(), Rect(5, 0, 20, 30));
    EXPECT_EQ(p.element(4).points[0], Point(5, 0)); // the close's point too
    EXPECT_EQ(p.currentPoint(), Point(7, 6));
    p.lineTo({0, 0});
    EXPECT_EQ(p.element(5).points[0], Point(7, 6));
}

TEST(PathQueries, ReverseRunsEachSubpathBackwardsAndKeepsCloses)
{
    Path p;
    p.moveTo({0, 0});
    p.lineTo({10, 0});
    p.curveTo({12, 1}, {13, 2}, {14, 8});
    p.quadTo({5, 9}, {0, 5});
    p.close();
    p.moveTo({50, 50});
    p.lineTo({60, 50});
    p.moveTo({70, 70});
    const Path r = p.reversed();
    ASSERT_EQ(r.elementCount(), 8);
    using T = PathElementType;
    const PathElement expected[] = {
        {T::MoveTo, {{0, 5}}},           {T::QuadTo, {{5, 9}, {14, 8}}}, {T::CurveTo, {{13, 2}, {12, 1}, {10, 0}}},
        {T::LineTo, {{0, 0}}},           {T::Close, {{0, 5}}},           {T::MoveTo, {{60, 50}}},
        {T::LineTo, {{50, 50}}},         {T::MoveTo, {{70, 70}}},
    };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(r.element(i), expected[i]) << i;
    EXPECT_TRUE(r.reversed().reversed().sameElements(r));
}

TEST(PathQueries, FlatteningStaysWithinTheFlatness)
{
    Path p;
    const Point c[4] = {{0, 0}, {100, -80}, {-50, 120}, {200, 40}};
    p.moveTo(c[0]);
    p.curveTo(c[1], c[2], c[3]);
    p.close();
    for (double flatness : {2.0, 0.6, 0.01}) {
        const Path f = p.flattened(flatness);
        ASSERT_EQ(f.element(f.elementCount() - 1).type, PathElementType::Close);
        const int lines = f.elementCount() - 2;
        // Vertices are on the curve at t = i / lines; the curve between stays within the flatness.
        for (int i = 1; i <= lines; ++i) {
            ASSERT_EQ(f.element(i).type, PathElementType::LineTo);
            const Point a = f.element(i - 1).endPoint();
            const Point b = f.element(i).endPoint();
            for (int j = 1; j < 8; ++j) {
                const Point q = cubicAt(c, (i - 1 + j / 8.0) / lines);
                const double len = std::hypot(b.x - a.x, b.y - a.y);
                const double off = std::abs((q.x - a.x) * (b.y - a.y) - (q.y - a.y) * (b.x - a.x)) / len;
                EXPECT_LE(off, flatness);
            }
        }
        if (flatness == 0.01) {
            EXPECT_GT(lines, 50);
        }
    }
    // A flatness of 0 is clamped, not an endless subdivision.
    EXPECT_LE(p.flattened(0).elementCount(), 65536 + 3);
}

TEST(PathQueries, FromQtRecoversClosesAndStaysOpenOtherwise)
{
    QPainterPath q;
    q.moveTo(0, 0);
    q.lineTo(10, 0);
    q.lineTo(10, 10);
    q.closeSubpath();
    q.moveTo(20, 0);
    q.cubicTo(30, 0, 30, 10, 20, 0); // a loop ending on its start keeps its curve
    q.moveTo(40, 0);
    q.lineTo(50, 0);
    q.quadTo(55, 5, 50, 10);
    const Path p = Path::fromQt(q);
    using T = PathElementType;
    std::vector<T> types;
    for (const PathElement& e : p.elements())
        types.push_back(e.type);
    EXPECT_EQ(types, (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::Close, T::MoveTo, T::CurveTo, T::MoveTo,
                                     T::LineTo, T::CurveTo}));
    // Qt keeps quadratics as their exact cubic.
    EXPECT_EQ(p.element(8).points[0], Point(50 + 10 / 3.0, 10 / 3.0));
    EXPECT_EQ(p.windingRule(), WindingRule::EvenOdd);
    // Our closed rect survives the round trip through Qt.
    const Path rect = Path::rect(Rect(1, 2, 3, 4));
    EXPECT_TRUE(Path::fromQt(rect.toQt()).sameElements(rect));
}
