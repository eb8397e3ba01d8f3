// The anchor control on its own (the point under clicks and drags, Shift's tenths, Control's stillness,
// one undo step per drag, balanced groups, a disabled control, its pixels) and the anchor button.
#include "shell/AnchorButton.h"
#include "shell/QVAnchorControl.h"

#include "support/ReferencePicture.h"

#include "platform/foundation/UndoManager.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Window.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace {

QImage render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

class AnchorControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        undo.setGroupsByEvent(false);
        top = std::make_unique<QWidget>();
        window = pf::Window::attach(top.get());
        top->resize(100, 100);
        control = new QVAnchorControl(pf::Rect(10, 10, 80, 80), top.get());
        control->setUndoManagerProvider([this] { return &undo; });
        // As the picture panel does: every move of the point is one undoable write.
        observation = control->addObserver("ratioPoint", [this](pf::Object&, const QString&, pf::ChangePhase phase) {
            if (phase != pf::ChangePhase::Will)
                return;
            const pf::Point before = control->ratioPoint();
            undo.registerUndo([this, before] { control->setRatioPoint(before); });
            ++moves;
        });
        top->show();
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {})
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, at, control->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      modifiers);
        e.setTimestamp(time += 1000);
        QApplication::sendEvent(control, &e);
    }
    void click(QPointF at, Qt::KeyboardModifiers modifiers = {})
    {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, modifiers);
    }
    // The control's point at a fraction of the well.
    QPointF at(double x, double y) const
    {
        const pf::Rect c = QVAnchorControl::canvasRectForBounds(control->bounds());
        return {c.minX() + x * c.width(), c.minY() + y * c.height()};
    }

    pf::UndoManager undo;
    std::unique_ptr<QWidget> top;
    pf::Window* window = nullptr;
    QVAnchorControl* control = nullptr;
    pf::ObservationToken observation;
    int moves = 0;
    ulong time = 1000;
};

TEST_F(AnchorControlTest, TheWellIsTheMiddleHalfAndTheTargetTenPointsAboutThePoint)
{
    EXPECT_EQ(control->ratioPoint(), pf::Point(0.5, 0.5));
    const pf::Rect well = QVAnchorControl::canvasRectForBounds(control->bounds());
    EXPECT_EQ(well, pf::Rect(20.5, 20.5, 40, 40));
    EXPECT_EQ(control->targetRectForCanvasRect(well), pf::Rect(35.5, 35.5, 10, 10));
    control->setRatioPoint({0, 1});
    EXPECT_EQ(control->targetRectForCanvasRect(well), pf::Rect(15.5, 55.5, 10, 10));
    // An odd size: the well's origin on a half point, its size whole.
    EXPECT_EQ(QVAnchorControl::canvasRectForBounds({0, 0, 61, 47}), pf::Rect(15.5, 11.5, 31, 24));
}

TEST_F(AnchorControlTest, ClicksPlaceThePointClampedToTheControl)
{
    const struct {
        QPointF click;
        pf::Point expected;
    } cases[] = {
        {at(0.5, 0.5), {0.5, 0.5}},     // the well's centre
        {at(0, 1), {0, 1}},             // its bottom-left corner
        {QPointF(0, 0), {-0.5, -0.5}},  // the control's top-left corner
        {QPointF(-40, 300), {-0.5, 1.5}}, // beyond the control
        {QPointF(500, -9), {1.5, -0.5}},
    };
    for (const auto& c : cases) {
        click(c.click);
        EXPECT_NEAR(control->ratioPoint().x, c.expected.x, 0.02) << c.click.x() << ", " << c.click.y();
        EXPECT_NEAR(control->ratioPoint().y, c.expected.y, 0.02) << c.click.x() << ", " << c.click.y();
    }
    // The edges are exact.
    click(QPointF(-40, 300));
    EXPECT_EQ(control->ratioPoint(), pf::Point(-0.5, 1.5));
}

TEST_F(AnchorControlTest, ShiftKeepsThePointOnTenthsAndControlLeavesItWhereItIs)
{
    mouse(QEvent::MouseButtonPress, at(0.33, 0.44), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(control->ratioPoint(), pf::Point(0.3, 0.4));
    mouse(QEvent::MouseMove, at(0.57, 0.91), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_NEAR(control->ratioPoint().x, 0.6, 1e-12);
    EXPECT_NEAR(control->ratioPoint().y, 0.9, 1e-12);
    mouse(QEvent::MouseButtonRelease, at(0.57, 0.91), Qt::LeftButton, Qt::ShiftModifier);

    // Control (the Meta key here): neither the press nor the drag moves the target.
    const pf::Point before = control->ratioPoint();
    const int movesBefore = moves;
    mouse(QEvent::MouseButtonPress, at(0.1, 0.1), Qt::LeftButton, Qt::MetaModifier);
    mouse(QEvent::MouseMove, at(0.2, 0.9), Qt::LeftButton, Qt::MetaModifier);
    mouse(QEvent::MouseButtonRelease, at(0.2, 0.9), Qt::LeftButton, Qt::MetaModifier);
    EXPECT_EQ(control->ratioPoint(), before);
    EXPECT_EQ(moves, movesBefore);
}

TEST_F(AnchorControlTest, OneDragIsOneUndoStepAndEveryGroupCloses)
{
    mouse(QEvent::MouseButtonPress, at(0.1, 0.2));
    EXPECT_TRUE(control->hasOpenGesture());
    mouse(QEvent::MouseMove, at(0.3, 0.4));
    mouse(QEvent::MouseMove, at(0.9, 0.8));
    mouse(QEvent::MouseButtonRelease, at(0.9, 0.8));
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_GE(moves, 3);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(control->ratioPoint(), pf::Point(0.5, 0.5)) << "the whole drag went back at once";

    // A right press moves nothing and leaves no group open.
    mouse(QEvent::MouseButtonPress, at(0.2, 0.2), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, at(0.2, 0.2), Qt::RightButton);
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(control->ratioPoint(), pf::Point(0.5, 0.5));

    // A press whose release never comes (the window lost, the focus taken) closes its group.
    for (QEvent::Type loss : {QEvent::FocusOut, QEvent::WindowDeactivate}) {
        mouse(QEvent::MouseButtonPress, at(0.7, 0.7));
        ASSERT_EQ(undo.groupingLevel(), 1);
        if (loss == QEvent::FocusOut) {
            QFocusEvent e(loss);
            QApplication::sendEvent(control, &e);
        } else {
            QEvent e(loss);
            QApplication::sendEvent(control, &e);
        }
        EXPECT_EQ(undo.groupingLevel(), 0);
        EXPECT_FALSE(control->hasOpenGesture());
        // A drag after that is no gesture.
        mouse(QEvent::MouseMove, at(0.1, 0.1));
        EXPECT_NE(control->ratioPoint(), pf::Point(0.1, 0.1));
        mouse(QEvent::MouseButtonRelease, at(0.1, 0.1));
    }
    // Disabling the control mid-drag closes the group too.
    mouse(QEvent::MouseButtonPress, at(0.4, 0.4));
    control->setEnabled(false);
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST_F(AnchorControlTest, ADisabledControlIgnoresTheMouseAndShowsNoTarget)
{
    window->becomeMainWindow();
    const QImage enabled = render(*control);
    control->setEnabled(false);
    click(at(0.1, 0.1));
    EXPECT_EQ(control->ratioPoint(), pf::Point(0.5, 0.5));
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(undo.groupingLevel(), 0);
    const QImage disabled = render(*control);

    // The target's cross runs through the well's centre: dark when enabled, nothing when not.
    const auto dark = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 0x90; };
    const pf::Rect target = control->targetRectForCanvasRect(QVAnchorControl::canvasRectForBounds(control->bounds()));
    const int y = int(target.midY());
    int enabledDark = 0, disabledDark = 0;
    for (int x = int(target.minX()) - 4; x < int(target.maxX()) + 4; ++x) {
        enabledDark += dark(enabled, x, y);
        disabledDark += dark(disabled, x, y);
    }
    EXPECT_GE(enabledDark, 12);
    EXPECT_EQ(disabledDark, 0);
    // The frame is drawn either way: the outer border in the main window's colour (0x9E9E9E).
    EXPECT_EQ(QColor(disabled.pixel(40, 0)).name(), QColor(0x9e, 0x9e, 0x9e).name());
}

TEST_F(AnchorControlTest, ThePictureShowsTheCheckerboardTheWellAndTheTarget)
{
    window->becomeMainWindow();
    control->setRatioPoint({0.25, 0.75});
    QImage picture(200, 100, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.drawImage(10, 10, render(*control));
        window->resignMainWindow();
        control->setEnabled(false);
        painter.drawImage(110, 10, render(*control));
    }
    expectMatchesReferencePicture(picture, QStringLiteral(QUORVEL_TEST_DATA "/shell/anchor-control.png"));
}

TEST(AnchorButton, TheCornerRedisplaysOnlyWhenItChangesAndAClickSendsTheButtonsPlace)
{
    class Target : public pf::Responder {
    public:
        Target()
        {
            setAction("anchorChanged:", [this](const pf::MenuItem* sender) { tags.push_back(sender ? sender->tag() : -1); });
        }
        std::vector<std::int64_t> tags;
    } target;
    QWidget top;
    auto* button = new AnchorButton(pf::Rect(0, 0, 24, 24), &top);
    button->setTag(5);
    button->setAction("anchorChanged:", &target);
    top.show();
    EXPECT_EQ(button->anchorCorner(), 0);
    button->setAnchorCorner(4);
    EXPECT_EQ(button->anchorCorner(), 4);

    const auto send = [&](QEvent::Type type, QPointF where) {
        QMouseEvent e(type, where, button->mapToGlobal(where), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(button, &e);
    };
    send(QEvent::MouseButtonPress, {12, 12});
    EXPECT_TRUE(button->isHighlighted());
    send(QEvent::MouseButtonRelease, {12, 12});
    EXPECT_FALSE(button->isHighlighted());
    // Released outside: no action.
    send(QEvent::MouseButtonPress, {12, 12});
    send(QEvent::MouseButtonRelease, {40, 40});
    EXPECT_EQ(target.tags, std::vector<std::int64_t>{5});
}

} // namespace
