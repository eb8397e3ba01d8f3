// The shell's base views and view controller: deferred layout, the colour view, the move hooks of a
// controller's view, and the hint view's pill.
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Services.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "shell/QVHintView.h"
#include "shell/QVView.h"
#include "shell/QVViewController.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class CountingView : public QVView {
public:
    using QVView::QVView;
    int layouts = 0;
    void layoutSubviews() override { ++layouts; }
};

QImage render(QWidget& w)
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(QVViewTest, EachSetNeedsLayoutRunsOneLayoutNextTurnUnlessTheViewIsGone)
{
    pf::VirtualClock clock;
    CountingView view(pf::Rect(0, 0, 10, 10));
    view.setNeedsLayout();
    view.setNeedsLayout();
    EXPECT_EQ(view.layouts, 0);
    pf::drainMainQueue();
    EXPECT_EQ(view.layouts, 2);

    // A resize lays out at once.
    view.setFrameSize(pf::Size(20, 20));
    EXPECT_EQ(view.layouts, 3);

    auto doomed = std::make_unique<CountingView>();
    doomed->setNeedsLayout();
    doomed.reset();
    pf::drainMainQueue(); // nothing runs on the freed view (the sanitizer would say)
}

TEST(QVViewTest, AColourViewFillsWhatItIsAskedToDrawOnlyOnceItHasAColour)
{
    QVColorView view(pf::Rect(0, 0, 20, 10));
    EXPECT_FALSE(view.color());
    QImage image = render(view);
    EXPECT_EQ(image.pixelColor(5, 5).alpha(), 0);

    view.setColor(pf::Color(1, 0, 0, 1));
    image = render(view);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(19, 9), QColor(255, 0, 0));
}

namespace {

class HookController : public QVViewController {
public:
    using QVViewController::QVViewController;
    std::vector<QString> calls;
    void viewDidLoad() override { calls.push_back("did load"); }
    void viewWillMoveToSuperview(QWidget* s) override { calls.push_back("will superview " + s->objectName()); }
    void viewDidMoveToSuperview() override { calls.push_back("did superview"); }
    void viewWillMoveToWindow(pf::Window* w) override { calls.push_back("will window " + w->widget()->objectName()); }
    void viewDidMoveToWindow() override { calls.push_back("did window"); }
};

struct ControllerFixture : ::testing::Test {
    QWidget top;
    pf::Window* window = pf::Window::attach(&top);
    QVView* content = new QVView;
    pf::ScopedViewBuilder controllerView{"TestControllerView", [](pf::Responder*) {
                                             return new QVViewControllerView(pf::Rect(0, 0, 40, 40));
                                         }};
    pf::ScopedViewBuilder plainView{"TestPlainView", [](pf::Responder*) { return new QVView(pf::Rect(0, 0, 40, 40)); }};

    void SetUp() override
    {
        top.setObjectName("window");
        content->setObjectName("content");
        window->setContentView(content);
    }
};

} // namespace

TEST_F(ControllerFixture, TheControllerHearsItsViewMoveInButOnlyTheDidMovesOnTheWayOut)
{
    HookController controller("TestControllerView");
    EXPECT_FALSE(controller.isViewLoaded());
    pf::View* view = controller.view();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(controller.isViewLoaded());
    EXPECT_EQ(controller.calls, (std::vector<QString>{"did load"}));

    controller.calls.clear();
    content->addSubview(view, pf::Rect(0, 0, 40, 40));
    EXPECT_EQ(controller.calls,
              (std::vector<QString>{"will superview content", "will window window", "did window", "did superview"}));

    controller.calls.clear();
    view->removeFromSuperview();
    EXPECT_EQ(controller.calls, (std::vector<QString>{"did window", "did superview"}));
}

TEST_F(ControllerFixture, AViewSetToNothingIsNotLoadedAndAViewOfAnotherKindIsNotObserved)
{
    {
        HookController controller("TestControllerView");
        controller.view();
        controller.setView(nullptr);
        EXPECT_FALSE(controller.isViewLoaded());
    }
    HookController plain("TestPlainView");
    content->addSubview(plain.view(), pf::Rect(0, 0, 40, 40));
    EXPECT_EQ(plain.calls, (std::vector<QString>{"did load"}));
}

TEST_F(ControllerFixture, AMissingInterfaceFileLeavesTheControllerWithoutAViewAndSaysSo)
{
    std::vector<QString> logged;
    const pf::ScopedLogSink log([&](const QString& m) { logged.push_back(m); });
    HookController controller("NoSuchInterface");
    EXPECT_EQ(controller.view(), nullptr);
    EXPECT_FALSE(controller.isViewLoaded());
    EXPECT_TRUE(controller.calls.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0].contains("NoSuchInterface"));
}

TEST(QVHintViewTest, TheTextIsCentredInItsRectangleOnAPillOfBoundedWidth)
{
    QVHintView view(pf::Rect(0, 0, 300, 200));
    view.setHintText("Outline");
    const pf::Rect text = view.hintTextRectForBounds(view.bounds());
    EXPECT_EQ(text.x(), 42);
    EXPECT_EQ(text.width(), 216);
    EXPECT_GT(text.height(), 10);
    EXPECT_NEAR(text.midY(), 100, text.height()); // centred (offset 0)
    const pf::Rect pill = QVHintPill::pillRect(text, view.bounds(), QVHintView::metrics);
    EXPECT_EQ(pill.x(), 20);
    EXPECT_EQ(pill.width(), 260);

    view.setHintTextOffsetY(30);
    EXPECT_EQ(view.hintTextRectForBounds(view.bounds()).y(), text.y() + 30);

    // Wide, with a long hint: the pill stops at 400 and is centred.
    QVHintView wide(pf::Rect(0, 0, 600, 200));
    wide.setHintText(QString("A hint long enough to wrap over more than one line of the panel ").repeated(4));
    const pf::Rect wideText = wide.hintTextRectForBounds(wide.bounds());
    EXPECT_EQ(wideText.width(), 516);
    EXPECT_GT(wideText.height(), 2 * text.height());
    const pf::Rect widePill = QVHintPill::pillRect(wideText, wide.bounds(), QVHintView::metrics);
    EXPECT_EQ(widePill.width(), 400);
    EXPECT_EQ(widePill.x(), 100);

    EXPECT_TRUE(view.description().startsWith("<QVHintView 0x"));
    EXPECT_TRUE(view.description().endsWith(" 'Outline'>"));
}

TEST(QVHintViewTest, AnEmptyHintDrawsOnlyTheBackground)
{
    QVHintView view(pf::Rect(0, 0, 300, 100));
    view.setColor(pf::Color(0, 0, 1, 1));
    QImage image = render(view);
    for (int x = 0; x < 300; x += 7)
        ASSERT_EQ(image.pixelColor(x, 50), QColor(0, 0, 255)) << x;

    view.setHintText("Empty");
    image = render(view);
    // The pill's grey in the middle row, left of the text, and the background beyond the pill.
    EXPECT_EQ(image.pixelColor(30, 50), QColor(191, 191, 191));
    EXPECT_EQ(image.pixelColor(10, 50), QColor(0, 0, 255));
}
