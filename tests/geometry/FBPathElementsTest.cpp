// Element records of paths and the helpers that build paths from them.
#include "FBTestPaths.h"
#include "geometry/FBPathElements.h"

#include <gtest/gtest.h>

namespace {

TEST(FBPathElements, RecordsCarryTypeEndPointAndControlPoints)
{
    pf::Path path;
    path.moveTo({1, 2});
    path.curveTo({3, 4}, {5, 6}, {7, 8});
    path.quadTo({9, 10}, {11, 12});
    path.close();
    ASSERT_EQ(CGPath_MWElementCount(path), 4u);
    const FBBezierElement curve = CGPath_FBElementAtIndex(path, 1);
    EXPECT_EQ(curve.type, FBBezierElementCurveTo);
    EXPECT_EQ(curve.point, MWPoint(7, 8));
    EXPECT_EQ(curve.controlPoints[1], MWPoint(5, 6));
    EXPECT_EQ(CGPath_FBElementAtIndex(path, 2).controlPoints[0], MWPoint(9, 10));
    EXPECT_EQ(CGPath_FBPointAtIndex(path, 3), MWPoint(1, 2)); // a close ends at the subpath start
    const FBBezierElement past = CGPath_FBElementAtIndex(path, 9);
    EXPECT_EQ(past.type, FBBezierElementMoveTo);
    EXPECT_EQ(past.point, MWPoint());
}

TEST(FBPathElements, SubpathsAndAppending)
{
    const pf::Path square = fbtest::rect(0, 0, 10, 10);
    const pf::Path tail = CGPath_FBCreateSubpathWithRange(square, {2, 2});
    ASSERT_EQ(tail.elementCount(), 2);
    EXPECT_EQ(tail.element(0).type, pf::PathElementType::MoveTo);
    EXPECT_EQ(tail.element(0).points[0], pf::Point(10, 10));
    EXPECT_TRUE(CGPath_FBCreateSubpathWithRange(square, {1, 0}).isEmpty());

    pf::Path joined;
    joined.moveTo({0, 0});
    joined.lineTo({5, 0});
    pf::Path more;
    more.moveTo({5, 0}); // the last point: skipped
    more.lineTo({5, 5});
    more.moveTo({9, 9}); // elsewhere: a line-to
    CGPath_FBAppendPath(joined, more);
    ASSERT_EQ(joined.elementCount(), 4);
    EXPECT_EQ(joined.element(2).type, pf::PathElementType::LineTo);
    EXPECT_EQ(joined.element(3).type, pf::PathElementType::LineTo);
    EXPECT_EQ(joined.element(3).points[0], pf::Point(9, 9));
}

TEST(FBPathElements, LogListsBoundsAndElements)
{
    pf::Path arch;
    arch.moveTo({0, 0});
    arch.curveTo({0, 20}, {10, 20}, {10, 0});
    arch.close();
    const std::string text = CGPath_MWLog(arch);
    EXPECT_EQ(text.rfind("CGPath <0x", 0), 0u);
    EXPECT_NE(text.find("\n  Bounds: {{0.000000, 0.000000}, {10.000000, 15.000000}}"), std::string::npos) << text;
    EXPECT_NE(text.find("\n  Control point bounds: {{0.000000, 0.000000}, {10.000000, 20.000000}}"), std::string::npos);
    EXPECT_NE(text.find("\n    0.000000 0.000000 moveto"), std::string::npos);
    EXPECT_NE(text.find("10.000000 0.000000 curveto\n    closepath"), std::string::npos);
}

} // namespace
