// The page's own selection: edge strips for resizing the page, and nothing else.
#include "ManipulatorTestSupport.h"

namespace {

class CompositionManipulatorTest : public ManipulatorTest {
protected:
    // As the canvas binds it, except that it is not put into the page's list: that would hold the page
    // from inside itself for the length of the test.
    std::shared_ptr<CompositionManipulator> pageSelection()
    {
        auto m = std::dynamic_pointer_cast<CompositionManipulator>(Manipulator::forShapes({page}));
        EXPECT_NE(m, nullptr);
        if (!m)
            return nullptr;
        m->setComposition(page.get());
        m->addShape(page);
        owner.takeCalls();
        return m;
    }
};

void expectSameRect(const pf::Rect& actual, const pf::Rect& expected)
{
    EXPECT_DOUBLE_EQ(actual.x(), expected.x()) << testing::PrintToString(actual);
    EXPECT_DOUBLE_EQ(actual.y(), expected.y()) << testing::PrintToString(actual);
    EXPECT_DOUBLE_EQ(actual.width(), expected.width()) << testing::PrintToString(actual);
    EXPECT_DOUBLE_EQ(actual.height(), expected.height()) << testing::PrintToString(actual);
}

TEST_F(CompositionManipulatorTest, EdgeStripsAreThreeScreenPointsThick)
{
    struct Case {
        std::int64_t zoomStep;
        pf::Rect top, left, right, bottom;
    };
    // The page is (0, 0, 600, 400). Up to step 9 the strips' origins are pushed outward to whole points.
    const Case cases[] = {
        {0, {0, -2, 598.5, 3}, {-2, 0, 3, 398.5}, {599, 0, 3, 398.5}, {0, 399, 598.5, 3}},
        {4, {0, -1, 599.625, 0.75}, {-1, 0, 0.75, 399.625}, {600, 0, 0.75, 399.625}, {0, 400, 599.625, 0.75}},
        {20, {0, -0.075, 599.925, 0.15}, {-0.075, 0, 0.15, 399.925}, {599.925, 0, 0.15, 399.925}, {0, 399.925, 599.925, 0.15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoomStep);
        page->setZoomScaleIndex(c.zoomStep);
        auto m = pageSelection();
        ASSERT_EQ(m->frame(), pf::Rect(0, 0, 600, 400));
        expectSameRect(m->topMidHandle(), c.top);
        expectSameRect(m->midLefHandle(), c.left);
        expectSameRect(m->midRitHandle(), c.right);
        expectSameRect(m->botMidHandle(), c.bottom);
        EXPECT_EQ(m->resizeHandle(3), m->midLefHandle());
    }
}

TEST_F(CompositionManipulatorTest, TheEdgesAreHitWhateverThePreferenceSays)
{
    UserDefaults::instance().setSelectionHandlesVisible(false);
    auto m = pageSelection();
    const std::pair<pf::Point, std::int64_t> cases[] = {
        {{-0.5, 200}, 3}, {{300, -0.5}, 1}, {{600, 200}, 5}, {{300, 400}, 7},
        {{0, 0}, 0},        // the corner square wins over both strips there
        {{600, 400}, 8},
        {{300, 200}, -1},
    };
    for (const auto& [point, handle] : cases)
        EXPECT_EQ(m->handleForPoint(point), handle) << testing::PrintToString(point);
}

TEST_F(CompositionManipulatorTest, OffersNoRotationConnectionOrCentredResize)
{
    auto m = pageSelection();
    m->setConnectionOptionsVisible(true);
    EXPECT_EQ(m->rotationHandle(), pf::Rect::zero());
    EXPECT_EQ(m->connectionHandle(), pf::Rect::zero());
    EXPECT_FALSE(m->showsRotationHandle());
    EXPECT_FALSE(m->showsConnectionHandle());
    EXPECT_EQ(m->adjustHandle(), pf::Rect::zero()) << "the page has no adjustment point";
    // Where a shape's rotation and connection handles and options would be.
    for (const pf::Point& p : {pf::Point(400, 200), pf::Point(300, 452), pf::Point(326, 443)}) {
        const std::int64_t hit = m->handleForPoint(p);
        EXPECT_TRUE(hit < ManipulatorHandleAdjust) << hit;
    }

    m->setOptionCenter(true);
    EXPECT_FALSE(m->isOptionCenter());
    auto shape = select({box(pf::Rect(10, 10, 40, 20))});
    shape->setOptionCenter(true);
    EXPECT_TRUE(shape->isOptionCenter());
}

} // namespace
