// The split container: proportional layout, divider moves, drags that consult the delegate at each step,
// a delegate that lays out on resize, and the divider drawing hook.
#include "platform/kit/SplitView.h"

#include "KitTestSupport.h"

#include "platform/foundation/Dispatch.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pf;

namespace {

struct RecordingDelegate : SplitViewDelegate {
    std::vector<std::string> calls;
    std::function<double(double)> constrain = [](double p) { return p; };
    bool laysOut = false;
    Size oldSize;

    double splitViewConstrainMinCoordinate(SplitView&, double proposed, int index) override
    {
        calls.push_back("min " + std::to_string(index) + " " + std::to_string(int(proposed)));
        return proposed;
    }
    double splitViewConstrainMaxCoordinate(SplitView&, double proposed, int index) override
    {
        calls.push_back("max " + std::to_string(index) + " " + std::to_string(int(proposed)));
        return proposed;
    }
    double splitViewConstrainSplitPosition(SplitView&, double proposed, int index) override
    {
        calls.push_back("step " + std::to_string(index) + " " + std::to_string(int(proposed)));
        return constrain(proposed);
    }
    bool splitViewResizeSubviews(SplitView& s, Size old) override
    {
        calls.push_back("resize");
        oldSize = old;
        if (!laysOut)
            return false;
        // Everything to the last subview.
        const auto& views = s.arrangedSubviews();
        for (std::size_t i = 0; i + 1 < views.size(); ++i)
            views[i]->setFrame(Rect(0, 0, 0, s.bounds().height()));
        views.back()->setFrame(Rect(s.dividerThickness() * double(views.size() - 1), 0,
                                    s.bounds().width() - s.dividerThickness() * double(views.size() - 1),
                                    s.bounds().height()));
        return true;
    }
    void splitViewDidResizeSubviews(SplitView&) override { calls.push_back("did"); }
};

class SplitViewTest : public ::testing::Test {
protected:
    VirtualClock clock;
    SplitView split{Rect(0, 0, 309, 100)};
    View* a = new View(Rect(0, 0, 100, 10));
    View* b = new View(Rect(0, 0, 100, 10));
    View* c = new View(Rect(0, 0, 100, 10));

    void SetUp() override
    {
        split.setVertical(true);
        split.addArrangedSubview(a);
        split.addArrangedSubview(b);
        split.addArrangedSubview(c);
        split.layoutNow();
    }
};

TEST_F(SplitViewTest, SubviewsShareTheExtentInProportionAcrossTheDividers)
{
    EXPECT_EQ(split.dividerThickness(), 9);
    EXPECT_EQ(a->frame(), Rect(0, 0, 97, 100));
    EXPECT_EQ(b->frame(), Rect(106, 0, 97, 100));
    EXPECT_EQ(c->frame(), Rect(212, 0, 97, 100));
    EXPECT_EQ(split.dividerRect(1), Rect(203, 0, 9, 100));
    ASSERT_NE(split.dividerWidget(1), nullptr);
    EXPECT_EQ(split.dividerWidget(1)->geometry(), QRect(203, 0, 9, 100));

    split.setDividerStyle(SplitViewDividerStyle::Thin);
    split.setFrameSize(Size(602, 50));
    EXPECT_EQ(a->frame(), Rect(0, 0, 200, 50));
    EXPECT_EQ(c->frame(), Rect(402, 0, 200, 50));

    // Stacked, the same along y.
    split.setVertical(false);
    split.layoutNow();
    EXPECT_EQ(b->frame(), Rect(0, 17, 602, 16));
}

TEST_F(SplitViewTest, MovingADividerResizesOnlyItsNeighboursAndStaysWithinThem)
{
    struct Case {
        double position, aWidth, bOrigin, bWidth;
    } const cases[] = {{50, 50, 59, 144}, {-40, 0, 9, 194}, {500, 194, 203, 0}, {150, 150, 159, 44}};
    for (const Case& k : cases) {
        split.layoutNow();
        split.setPosition(k.position, 0);
        SCOPED_TRACE(k.position);
        EXPECT_EQ(a->frame().width(), k.aWidth);
        EXPECT_EQ(b->frame().x(), k.bOrigin);
        EXPECT_EQ(b->frame().width(), k.bWidth);
        EXPECT_EQ(c->frame(), Rect(212, 0, 97, 100));
        EXPECT_EQ(split.dividerWidget(0)->geometry().x(), int(k.aWidth));
    }
}

TEST_F(SplitViewTest, ADragAsksTheDelegateAtItsStartAndAtEachStep)
{
    RecordingDelegate delegate;
    delegate.constrain = [](double p) { return p < 70 ? 60.0 : p; }; // a snap
    split.setDelegate(&delegate);
    QWidget& divider = *split.dividerWidget(0);
    const QPointF grab(4, 50); // 4 points into the divider at 97
    kittest::sendMouse(divider, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton, 1000);
    kittest::sendMouse(divider, QEvent::MouseMove, grab + QPointF(-20, 0), Qt::NoButton, Qt::LeftButton, 1010);
    EXPECT_EQ(a->frame().width(), 77);
    // Moves come in the divider's own coordinates, which follow it.
    kittest::sendMouse(*split.dividerWidget(0), QEvent::MouseMove, grab + QPointF(-10, 0), Qt::NoButton,
                       Qt::LeftButton, 1020);
    EXPECT_EQ(a->frame().width(), 60);
    kittest::sendMouse(*split.dividerWidget(0), QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton, 1030);
    const std::vector<std::string> expected = {"min 0 0", "max 0 194", "step 0 77", "did", "step 0 67", "did"};
    EXPECT_EQ(delegate.calls, expected);
    EXPECT_EQ(b->frame(), Rect(69, 0, 134, 100));
    split.setDelegate(nullptr);
}

TEST_F(SplitViewTest, TheDelegateLaysOutOnResizeWithTheOldSize)
{
    RecordingDelegate delegate;
    delegate.laysOut = true;
    split.setDelegate(&delegate);
    split.setFrameSize(Size(500, 80));
    EXPECT_EQ(delegate.oldSize, Size(309, 100));
    EXPECT_EQ((std::vector<std::string>{"resize", "did"}), delegate.calls);
    EXPECT_EQ(c->frame(), Rect(18, 0, 482, 80));
    split.setDelegate(nullptr);
}

TEST_F(SplitViewTest, SubviewsComeAndGoAndSort)
{
    split.removeArrangedSubview(b);
    EXPECT_EQ(b->parentWidget(), nullptr);
    EXPECT_EQ(split.dividerCount(), 1);
    drainMainQueue(); // the layout follows on the next turn
    EXPECT_EQ(a->frame(), Rect(0, 0, 150, 100));
    EXPECT_EQ(c->frame(), Rect(159, 0, 150, 100));

    split.insertArrangedSubview(b, 0);
    split.sortArrangedSubviews([this](const View* x, const View*) { return x == a ? -1 : 0; });
    EXPECT_EQ((std::vector<View*>{a, b, c}), split.arrangedSubviews());
    EXPECT_EQ(b->parentWidget(), &split);
    delete b; // no longer ours once removed; here it is the split's again, and it lets go when deleted
    b = nullptr;
}

struct RedDividers : SplitView {
    using SplitView::SplitView;
    std::vector<Rect> drawn;
    void drawDividerInRect(GraphicsContext& context, const Rect& r) override
    {
        drawn.push_back(r);
        context.setFillColor(Color(1, 0, 0));
        context.fillRect(r);
    }
};

TEST(SplitViewDrawing, DividersDrawThroughTheHookInTheContainersPoints)
{
    VirtualClock clock;
    RedDividers split(Rect(0, 0, 100, 40));
    split.setDividerStyle(SplitViewDividerStyle::Thin);
    split.setVertical(true);
    split.addArrangedSubview(new View(Rect(0, 0, 30, 40)));
    split.addArrangedSubview(new View(Rect(0, 0, 69, 40)));
    split.layoutNow();
    const QImage image = split.grab().toImage();
    ASSERT_EQ(split.drawn.size(), 1u);
    EXPECT_EQ(split.drawn[0], Rect(30, 0, 1, 40));
    EXPECT_EQ(QColor(image.pixel(30, 20)), QColor(Qt::red));
}

} // namespace
