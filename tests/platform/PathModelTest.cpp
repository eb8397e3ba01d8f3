#include "platform/graphics/Path.h"

#include <gtest/gtest.h>

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
