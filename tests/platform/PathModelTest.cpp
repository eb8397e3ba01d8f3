#include "platform/graphics/Path.h"

#include <QPainterPath>
#include <gtest/gtest.h>

#include <optional>

using namespace pf;

TEST(PathModel, CloseIsAnElementAndMovesTheCurrentPointToTheSubpathStart)
{
    Path p;
    p.moveTo({1, 1});
    p.lineTo({5, 1});
    p.lineTo({5, 5});
    p.close();
    ASSERT_EQ(p.elementCount(), 4);
    EXPECT_EQ(p.element(3).type, PathElementType::Close);
    EXPECT_EQ(p.element(3).endPoint(), Point(1, 1));
    EXPECT_EQ(p.currentPoint(), Point(1, 1));
    // A line after a close, without a move, starts a new subpath at the closed one's start.
    p.lineTo({9, 9});
    ASSERT_EQ(p.elementCount(), 6);
    EXPECT_EQ(p.element(4).type, PathElementType::MoveTo);
    EXPECT_EQ(p.element(4).points[0], Point(1, 1));
    // A second close of a closed subpath adds nothing.
    Path q;
    q.moveTo({0, 0});
    q.lineTo({1, 0});
    q.close();
    q.close();
    EXPECT_EQ(q.elementCount(), 3);
}

TEST(PathModel, SegmentWithoutCurrentPointStartsItsOwnSubpath)
{
    Path p;
    p.lineTo({3, 4});
    ASSERT_EQ(p.elementCount(), 2);
    EXPECT_EQ(p.element(0).type, PathElementType::MoveTo);
    EXPECT_EQ(p.element(0).points[0], Point(3, 4));
    EXPECT_FALSE(Path().hasCurrentPoint());
}

// The painting forms are kept with the path: every change must drop them, or a path would paint as it was.
TEST(PathModel, PaintingFormsFollowEveryChange)
{
    struct Case {
        const char* change;
        void (*apply)(Path&);
    };
    const Case cases[] = {
        {"lineTo", [](Path& p) { p.lineTo({30, 40}); }},
        {"curveTo", [](Path& p) { p.curveTo({1, 2}, {3, 4}, {5, 6}); }},
        {"moveTo", [](Path& p) { p.moveTo({7, 7}); }},
        {"setElementPoints", [](Path& p) { const Point to[] = {{12, 0}}; p.setElementPoints(1, to); }},
        {"transform", [](Path& p) { p.transform(AffineTransform::translation(0.5, 0)); }},
        {"clear", [](Path& p) { p.clear(); }},
        {"append", [](Path& p) { p.append(Path::rect(Rect(50, 50, 5, 5))); }},
    };
    for (const Case& c : cases) {
        Path p = Path::rect(Rect(0, 0, 10, 20));
        ASSERT_TRUE(p.asRect()) << c.change;
        (void)p.toQt();
        const Path before = p;
        c.apply(p);
        Path fresh;
        fresh.append(p);
        EXPECT_EQ(p.toQt(), fresh.toQt()) << c.change;
        EXPECT_EQ(p.asRect().has_value(), fresh.asRect().has_value()) << c.change;
        // A copy made before the change keeps what it had.
        EXPECT_EQ(before.toQt(), Path::rect(Rect(0, 0, 10, 20)).toQt()) << c.change;
    }
    Path open;
    open.moveTo({0, 0});
    open.lineTo({10, 0});
    (void)open.toQt();
    open.close();
    EXPECT_EQ(open.toQt().elementCount(), 3) << "a close adds the line back to the start";
    open.setWindingRule(WindingRule::EvenOdd);
    EXPECT_EQ(open.toQt().fillRule(), Qt::OddEvenFill);
}

TEST(PathModel, RectsAndLinesAreFoundOnlyWhereTheyAre)
{
    const auto polyline = [](std::initializer_list<Point> points, bool close) {
        Path p;
        for (const Point& pt : points)
            p.hasCurrentPoint() ? p.lineTo(pt) : p.moveTo(pt);
        if (close)
            p.close();
        return p;
    };
    struct Case {
        const char* name;
        Path path;
        std::optional<Rect> rect;
        bool closed;
        bool line;
        bool inQtOrder = false;
    };
    const Case cases[] = {
        {"builder rect", Path::rect(Rect(5, 6, -4, 10)), Rect(1, 6, 4, 10), true, false, true},
        {"back to the start, closed", polyline({{0, 0}, {3, 0}, {3, 5}, {0, 5}, {0, 0}}, true), Rect(0, 0, 3, 5), true,
         false, true},
        {"counter-clockwise", polyline({{0, 0}, {0, 5}, {3, 5}, {3, 0}}, true), Rect(0, 0, 3, 5), true, false},
        {"from another corner", polyline({{3, 0}, {3, 5}, {0, 5}, {0, 0}}, true), Rect(0, 0, 3, 5), true, false},
        // 0.3 + (0.9 - 0.3) is not 0.9 in doubles: Qt would put that corner a little elsewhere.
        {"far corner not at x + width", polyline({{0.3, 0}, {0.9, 0}, {0.9, 5}, {0.3, 5}}, true),
         Rect(0.3, 0, 0.9 - 0.3, 5), true, false, false},
        {"back to the start, open", polyline({{0, 0}, {3, 0}, {3, 5}, {0, 5}, {0, 0}}, false), Rect(0, 0, 3, 5), false,
         false},
        {"no width", Path::rect(Rect(0, 0, 0, 5)), std::nullopt, false, false},
        {"not square corners", polyline({{0, 0}, {3, 0}, {3, 5}, {1, 5}}, true), std::nullopt, false, false},
        {"turned", Path::rect(Rect(0, 0, 3, 5)).transformed(AffineTransform::rotation(0.3)), std::nullopt, false,
         false},
        {"two rects", [] { Path p = Path::rect(Rect(0, 0, 1, 1)); p.appendRect(Rect(2, 2, 1, 1)); return p; }(),
         std::nullopt, false, false},
        {"oval", Path::oval(Rect(0, 0, 3, 5)), std::nullopt, false, false},
        {"line", polyline({{1, 1}, {1, 9}}, false), std::nullopt, false, true},
        {"closed line", polyline({{1, 1}, {1, 9}}, true), std::nullopt, false, false},
        {"point", polyline({{1, 1}, {1, 1}}, false), std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        const auto& rect = c.path.asRect();
        ASSERT_EQ(rect.has_value(), c.rect.has_value()) << c.name;
        if (rect) {
            EXPECT_EQ(rect->rect, *c.rect) << c.name;
            EXPECT_EQ(rect->closed, c.closed) << c.name;
            EXPECT_EQ(rect->inQtOrder, c.inQtOrder) << c.name;
        }
        EXPECT_EQ(c.path.asLine().has_value(), c.line) << c.name;
    }
    // After a transform: quarter turns keep a rect on the axes.
    EXPECT_EQ(Path::rect(Rect(0, 0, 3, 5)).rectAfter(AffineTransform{0, 1, -1, 0, 0, 0}), Rect(-5, 0, 5, 3));
    EXPECT_FALSE(Path::rect(Rect(0, 0, 3, 5)).rectAfter(AffineTransform::rotation(0.1)));
}
