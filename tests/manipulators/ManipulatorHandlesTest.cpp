// Where the selection's handles stand and which one a point hits.
#include "ManipulatorTestSupport.h"

#include "model/Group.h"
#include "platform/WarningCapture.h"

#include <functional>
#include <set>

namespace {

// The rect of any handle number; 12 to 16 around the connection handle.
pf::Rect handleRect(const Manipulator& m, std::int64_t handle)
{
    switch (handle) {
    case ManipulatorHandleAdjust:
        return m.adjustHandle();
    case ManipulatorHandleRotation:
        return m.rotationHandle();
    case ManipulatorHandleConnection:
        return m.connectionHandle();
    default:
        if (handle >= ManipulatorHandleConnectionOption)
            return m.connectionOptionRects(m.connectionHandle())[static_cast<std::size_t>(handle - ManipulatorHandleConnectionOption)];
        return m.resizeHandle(handle);
    }
}

TEST_F(ManipulatorTest, HandlesKeepTheirScreenSizeAtEveryZoom)
{
    struct Case {
        std::int64_t zoomStep;
        std::vector<std::pair<std::int64_t, pf::Rect>> handles;
    };
    const Case cases[] = {
        {0,
         {{0, {95, 95, 10, 10}},
          {1, {125, 95, 10, 10}},
          {2, {155, 95, 10, 10}},
          {3, {95, 115, 10, 10}},
          {4, pf::Rect::zero()},
          {5, {155, 115, 10, 10}},
          {6, {95, 135, 10, 10}},
          {7, {125, 135, 10, 10}},
          {8, {155, 135, 10, 10}},
          {9, pf::Rect::zero()},
          {10, {225, 115, 10, 10}},   // the child's radius 100 right of the centre
          {11, {125, 168, 10, 10}}}}, // 32.5 + 20 below the centre, rounded
        {2, // scale 2: 5 page points a side; side handles snapped outward to whole points
         {{0, {97.5, 97.5, 5, 5}},
          {1, {128, 97, 5, 5}},
          {2, {157.5, 97.5, 5, 5}},
          {3, {97, 118, 5, 5}},
          {4, pf::Rect::zero()},
          {5, {158, 118, 5, 5}},
          {6, {97.5, 137.5, 5, 5}},
          {7, {128, 138, 5, 5}},
          {8, {157.5, 137.5, 5, 5}},
          {9, pf::Rect::zero()},
          {10, {178, 118, 5, 5}},    // radius 50
          {11, {128, 154, 5, 5}}}}, // 16.25 + 20 below the centre, rounded
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoomStep);
        page->setZoomScaleIndex(c.zoomStep);
        auto m = select({box(pf::Rect(100, 100, 60, 40))});
        for (const auto& [handle, rect] : c.handles) {
            SCOPED_TRACE(handle);
            EXPECT_EQ(handleRect(*m, handle), rect);
            if (QVRectIsZero(rect))
                continue;
            EXPECT_EQ(m->handleForPoint(centreOf(*m, rect)), handle);
        }
        EXPECT_EQ(m->handleForPoint(pf::Point(130, 120)), -1) << "inside the frame, away from handles";
        EXPECT_EQ(m->handleForPoint(pf::Point(300, 300)), -1);
    }
}

TEST_F(ManipulatorTest, BottomRightWinsOnAFrameSmallerThanItsHandles)
{
    auto m = select({box(pf::Rect(100, 100, 4, 4))});
    const pf::Point p(102, 102);
    for (const std::int64_t corner : {0, 2, 6, 8})
        ASSERT_TRUE(m->pathForHandleRect(m->resizeHandle(corner)).containsPoint(p)) << corner;
    EXPECT_EQ(m->handleForPoint(p), 8);
}

TEST_F(ManipulatorTest, AShapeBeingDrawnOffersOnlyResizeAndOptionHandles)
{
    auto m = selectAs<KnobManipulator>({add("Knob", pf::Rect(200, 200, 100, 60))});
    m->setConnectionOptionsVisible(true);
    for (const std::int64_t handle : {11, 9, 10, 4, 8, 12}) {
        SCOPED_TRACE(handle);
        const pf::Point p = centreOf(*m, handleRect(*m, handle));
        m->setProvisional(false);
        EXPECT_EQ(m->handleForPoint(p), handle);
        m->setProvisional(true);
        const bool offered = handle == 8 || handle == 12;
        EXPECT_EQ(m->handleForPoint(p) == handle, offered);
    }
}

TEST_F(ManipulatorTest, ConnectionOptionsRingTheConnectionHandle)
{
    auto m = select({box(pf::Rect(200, 200, 100, 60))});
    const pf::Rect connection = m->connectionHandle();
    ASSERT_EQ(connection, pf::Rect(245, 288, 10, 10));
    // 28 points from (250, 293) at -17, 54, 126, 198 and 270 degrees, floored, 30 points a side.
    const std::array<pf::Rect, 5> expected{
        pf::Rect(261, 269, 30, 30), pf::Rect(251, 300, 30, 30), pf::Rect(218, 300, 30, 30),
        pf::Rect(208, 269, 30, 30), pf::Rect(235, 250, 30, 30)};
    EXPECT_EQ(m->connectionOptionRects(connection), expected);

    for (const bool visible : {false, true}) {
        SCOPED_TRACE(visible);
        m->setConnectionOptionsVisible(visible);
        for (std::int64_t i = 0; i < 5; ++i) {
            const pf::Point p = centreOf(*m, expected[static_cast<std::size_t>(i)]);
            EXPECT_EQ(m->handleForPoint(p) == ManipulatorHandleConnectionOption + i, visible) << i;
        }
        EXPECT_EQ(m->handleForPoint(pf::Point(250, 293)), ManipulatorHandleConnection);
        // The option above the connection handle reaches over the bottom edge and its handle.
        EXPECT_EQ(m->handleForPoint(pf::Point(250, 258)), visible ? 16 : 7);
    }
}

TEST_F(ManipulatorTest, TheOptionStraightAboveStaysCentredAnywhereOnThePage)
{
    // Whole-degree turns by the quarter are exact: rounding noise must not floor the centre a point aside.
    for (const double x : {10.0, 60.0, 1.0e6, -1.0e6 - 50}) {
        SCOPED_TRACE(x);
        auto m = select({box(pf::Rect(x, 100, 60, 40))});
        const pf::Rect connection = m->connectionHandle();
        const pf::Rect above = m->connectionOptionRects(connection)[4];
        EXPECT_EQ(above.midX(), connection.midX());
        EXPECT_EQ(above.midY(), connection.midY() - 28);
    }
}

TEST_F(ManipulatorTest, OnATurnedSelectionHandlesStayUprightWhereTheTurnedFrameHasThem)
{
    auto child = box(pf::Rect(100, 100, 80, 40));
    child->setRotationAngle(90);
    auto m = select({child});
    ASSERT_EQ(m->frame(), pf::Rect(100, 100, 80, 40));
    // The frame's points turned a quarter about its centre (140, 120), y down.
    const std::pair<std::int64_t, pf::Point> cases[] = {
        {0, {160, 80}},  {1, {160, 120}}, {2, {160, 160}}, {3, {140, 80}},   {5, {140, 160}},
        {6, {120, 80}},  {7, {120, 120}}, {8, {120, 160}}, {10, {140, 220}}, {11, {87, 120}},
    };
    for (const auto& [handle, centre] : cases) {
        SCOPED_TRACE(handle);
        const pf::Rect unturned = handleRect(*m, handle);
        const pf::Path path = m->pathForHandleRect(unturned);
        const std::optional<pf::Rect> upright = path.rectAfter(pf::AffineTransform::identity());
        ASSERT_TRUE(upright.has_value()) << "still an axis-aligned square";
        EXPECT_EQ(upright->size, unturned.size);
        EXPECT_EQ(pf::Point(upright->midX(), upright->midY()), centre);
        EXPECT_EQ(m->handleForPoint(centre), handle);
    }
    EXPECT_EQ(m->handleForPoint(pf::Point(100, 100)), -1) << "where the corner would be unturned";
}

TEST_F(ManipulatorTest, SideHandlesSnapToWholePointsOnlyUprightAndUpToStep9)
{
    struct Origins {
        pf::Point top, left, right, bottom;
    };
    struct Case {
        std::int64_t angle;
        std::int64_t zoomStep;
        Origins expected;
    };
    // The frame (10, 20, 51, 31): the side handles' centres fall on half points.
    const Origins roundedAtScale1{{31, 15}, {5, 31}, {56, 31}, {31, 46}};
    const Origins roundedAtScale2{{33, 17}, {7, 33}, {59, 33}, {33, 49}};
    const Origins unroundedAtScale2{{33, 17.5}, {7.5, 33}, {58.5, 33}, {33, 48.5}};
    const Origins unroundedAtScale10{{35, 19.5}, {9.5, 35}, {60.5, 35}, {35, 50.5}};
    const Case cases[] = {
        {0, 0, roundedAtScale1},
        {0, 9, roundedAtScale1}, // a step of its own scale 1, still at most 9
        {0, 2, roundedAtScale2},
        {180, 2, roundedAtScale2},
        {90, 2, unroundedAtScale2},
        {0, 10, unroundedAtScale10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angle << " degrees, step " << c.zoomStep);
        page->setZoomScaleIndex(c.zoomStep);
        auto child = box(pf::Rect(10, 20, 51, 31));
        child->setRotationAngle(c.angle);
        auto m = select({child});
        ASSERT_EQ(m->frame(), pf::Rect(10, 20, 51, 31));
        EXPECT_EQ(m->topMidHandle().origin, c.expected.top);
        EXPECT_EQ(m->midLefHandle().origin, c.expected.left);
        EXPECT_EQ(m->midRitHandle().origin, c.expected.right);
        EXPECT_EQ(m->botMidHandle().origin, c.expected.bottom);
        EXPECT_EQ(m->topMidHandle().size, pf::Size(m->handleSide(), m->handleSide()));
    }
}

TEST_F(ManipulatorTest, AShapeInsideAGroupOffersNoHandles)
{
    auto inner = box(pf::Rect(100, 100, 60, 40));
    auto other = box(pf::Rect(200, 100, 60, 40));
    auto group = Group::groupWithShapes({inner, other});
    page->insertGroupInParentAtIndex(group, page, 0);
    ASSERT_TRUE(inner->isGrouped());

    auto m = select({inner});
    m->setConnectionOptionsVisible(true);
    for (const std::int64_t handle : {0, 2, 5, 8, 10, 11, 12}) {
        const pf::Rect rect = handleRect(*m, handle);
        ASSERT_FALSE(QVRectIsZero(rect)) << handle;
        EXPECT_EQ(m->handleForPoint(centreOf(*m, rect)), -1) << handle;
    }
    EXPECT_FALSE(m->showsRotationHandle());
    EXPECT_FALSE(m->showsConnectionHandle());
    EXPECT_FALSE(m->showsAdjustmentHandles());

    WarningCapture quiet;
    auto whole = select({group});
    EXPECT_EQ(whole->handleForPoint(pf::Point(260, 140)), 8) << "the group itself is not grouped";
}

// Every handle is hit only while it is shown; the cases switch single conditions off.
TEST_F(ManipulatorTest, HiddenHandlesAreNeverHit)
{
    struct Selection {
        std::shared_ptr<Shape> knob;
        std::shared_ptr<KnobManipulator> m;
    };
    struct Case {
        const char* what;
        std::function<void(Selection&)> setup;
        std::set<std::int64_t> hidden;
    };
    UserDefaults& preferences = UserDefaults::instance();
    const Case cases[] = {
        {"everything shown", [](Selection&) {}, {}},
        {"selection handles off", [&](Selection&) { preferences.setSelectionHandlesVisible(false); }, {0, 5, 9, 4}},
        {"rotation handles off", [&](Selection&) { preferences.setRotationHandlesVisible(false); }, {10}},
        {"connection handles off", [&](Selection&) { preferences.setConnectionHandlesVisible(false); }, {11, 12}},
        {"locked", [](Selection& s) { s.knob->setLocked(true); }, {10, 11, 12}},
        {"zoom step 10", [this](Selection&) { page->setZoomScaleIndex(10); }, {10, 11, 12}},
        {"two children",
         [this](Selection& s) { s.m->addShape(add("Knob", pf::Rect(220, 210, 20, 20))); },
         {9, 4, 10, 11, 12}},
        {"rotation not allowed", [](Selection& s) { s.m->rotates = false; }, {10}},
        {"moving", [](Selection& s) { s.m->setDragMoving(true); }, {9, 4, 10, 11, 12}},
        {"resizing", [](Selection& s) { s.m->setDragResizing(true); }, {9, 4, 10, 11, 12}},
        {"adjusting", [](Selection& s) { s.m->setDragAdjusting(true); }, {10, 11, 12}},
        {"rotating", [](Selection& s) { s.m->setDragRotating(true); }, {11, 12}},
        {"editing text", [](Selection& s) { s.knob->setEditingText(true); }, {9, 4, 10, 11, 12}},
        {"options closed", [](Selection& s) { s.m->setConnectionOptionsVisible(false); }, {12}},
        {"being drawn", [](Selection& s) { s.m->setProvisional(true); }, {9, 4, 10, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        preferences.setSelectionHandlesVisible(true);
        preferences.setRotationHandlesVisible(true);
        preferences.setConnectionHandlesVisible(true);
        page->setZoomScaleIndex(0);
        Selection s;
        s.knob = add("Knob", pf::Rect(200, 200, 100, 60));
        s.m = selectAs<KnobManipulator>({s.knob});
        ASSERT_NE(s.m, nullptr);
        s.m->setConnectionOptionsVisible(true);
        c.setup(s);

        for (const std::int64_t handle : {0, 5, 9, 4, 10, 11, 12}) {
            SCOPED_TRACE(handle);
            const pf::Rect rect = handleRect(*s.m, handle);
            if (QVRectIsZero(rect)) {
                EXPECT_TRUE(c.hidden.count(handle)) << "a shown handle needs a place";
                continue;
            }
            const std::int64_t hit = s.m->handleForPoint(centreOf(*s.m, rect));
            if (c.hidden.count(handle))
                EXPECT_NE(hit, handle);
            else
                EXPECT_EQ(hit, handle);
        }
    }
}

} // namespace
