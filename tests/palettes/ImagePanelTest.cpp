// The picture panel: the anchor dragged on its control (every move to every selected shape, one undo step
// per drag), the corner buttons (the anchor's point in one step; the grid shows the corner it stands on),
// scaling turning the anchor off and on at once, size to fit for one shape, browse, and a locked
// selection that no control edits.
#include "PanelFixture.h"

#include "geometry/QVRect.h"
#include "platform/foundation/UndoManager.h"
#include "shell/AnchorButton.h"
#include "shell/QVAnchorControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

class ImagePanelTest : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        QImage bitmap(60, 40, QImage::Format_ARGB32);
        bitmap.fill(QColor(40, 120, 200));
        document.images[QStringLiteral("photo")] = {QByteArray(), pf::Image(bitmap), 0};
        // Two of one kind: the panel is for one kind of shape.
        second = addShape("Rectangle", pf::Rect(420, 300, 120, 90));
        for (const auto& shape : {rectangle, second}) {
            // Turning scaling off fits the shape to its picture: the frame is put back.
            const pf::Rect frame = shape->frame();
            shape->setImageIdentifier(QStringLiteral("photo"));
            shape->setScaleImage(false);
            shape->setImageAnchorRatio(pf::Point(0.5, 0.5));
            shape->setFrame(frame);
        }
        // The picture panel comes last: the panels above it are folded so that its row is in sight.
        for (const char* above : {"OpacityFacet", "FilterFacet", "GeometryFacet", "FillFacet", "StrokeFacet", "TextFacet"})
            facet(above).setCollapsed(true);
        endTurn();
        undo.removeAllActions();
    }

    std::shared_ptr<Shape> second;

    ImageFacet& pictures() const { return static_cast<ImageFacet&>(facet("ImageFacet")); }

    // A mouse event as the user makes it, at a point of the widget.
    static void mouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::KeyboardModifiers modifiers = {})
    {
        static ulong time = 1000;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent e(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, modifiers);
        e.setTimestamp(time += 1000);
        QApplication::sendEvent(widget, &e);
    }
    static void clickCorner(AnchorButton* button)
    {
        ASSERT_TRUE(button);
        const QPointF centre(button->width() / 2.0, button->height() / 2.0);
        mouse(button, QEvent::MouseButtonPress, centre);
        mouse(button, QEvent::MouseButtonRelease, centre);
    }
    // The anchor control's point at a fraction of its well.
    QPointF onWell(double x, double y) const
    {
        const pf::Rect well = QVAnchorControl::canvasRectForBounds(pictures().anchorControl()->bounds());
        return {well.minX() + x * well.width(), well.minY() + y * well.height()};
    }
    // The corner every button of the grid shows as chosen; -2 when they disagree.
    std::int64_t gridCorner() const
    {
        const std::int64_t first = pictures().anchorButton(0)->anchorCorner();
        for (std::int64_t corner = 1; corner < 9; ++corner)
            if (pictures().anchorButton(corner)->anchorCorner() != first)
                return -2;
        return first;
    }
    bool gridEnabled() const
    {
        for (std::int64_t corner = 0; corner < 9; ++corner)
            if (!pictures().anchorButton(corner)->isEnabled())
                return false;
        return true;
    }
};

TEST_F(ImagePanelTest, DraggingTheAnchorWritesEveryMoveToEveryShapeAsOneUndoStep)
{
    select({rectangle, second});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("ImageFacet")));
    QVAnchorControl* control = pictures().anchorControl();
    ASSERT_TRUE(control && control->isEnabled());

    const std::pair<double, double> moves[] = {{0.2, 0.3}, {0.6, 0.1}, {1.0, 0.9}};
    mouse(control, QEvent::MouseButtonPress, onWell(0.1, 0.1));
    endTurn();
    for (const auto& [x, y] : moves) {
        mouse(control, QEvent::MouseMove, onWell(x, y));
        for (const auto& shape : {rectangle, second}) {
            EXPECT_NEAR(shape->imageAnchorRatio().x, x, 0.02);
            EXPECT_NEAR(shape->imageAnchorRatio().y, y, 0.02);
        }
        // The drag spans turns of the event loop.
        endTurn();
    }
    mouse(control, QEvent::MouseButtonRelease, onWell(1.0, 0.9));
    endTurn();
    EXPECT_EQ(rectangle->imageAnchorRatio(), control->ratioPoint());

    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(rectangle->imageAnchorRatio(), pf::Point(0.5, 0.5));
    EXPECT_EQ(second->imageAnchorRatio(), pf::Point(0.5, 0.5));
}

TEST_F(ImagePanelTest, ACornerButtonSetsTheAnchorToItsPointInOneStepAndTheGridShowsIt)
{
    select({rectangle, second});
    const std::pair<std::int64_t, pf::Point> corners[] = {{QVRectCornerTopLef, {0, 0}},     {QVRectCornerTopRit, {1, 0}},
                                                          {QVRectCornerMidMid, {0.5, 0.5}}, {QVRectCornerBotLef, {0, 1}},
                                                          {QVRectCornerBotMid, {0.5, 1}},   {QVRectCornerBotRit, {1, 1}}};
    for (const auto& [corner, point] : corners) {
        const pf::Point before = rectangle->imageAnchorRatio();
        clickCorner(pictures().anchorButton(corner));
        EXPECT_EQ(rectangle->imageAnchorRatio(), point) << "corner " << corner;
        EXPECT_EQ(second->imageAnchorRatio(), point) << "corner " << corner;
        EXPECT_EQ(gridCorner(), corner);
        EXPECT_EQ(pictures().anchorControl()->ratioPoint(), point);
        endTurn();
        ASSERT_TRUE(undo.undo());
        EXPECT_FALSE(undo.canUndo());
        EXPECT_EQ(rectangle->imageAnchorRatio(), before);
        ASSERT_TRUE(undo.redo());
        feed();
        undo.removeAllActions();
    }
    // Between corners none is chosen, nor when the shapes differ.
    rectangle->setImageAnchorRatio(pf::Point(0.3, 0.7));
    second->setImageAnchorRatio(pf::Point(0.3, 0.7));
    feed();
    EXPECT_EQ(gridCorner(), QVRectCornerNone);
    EXPECT_EQ(pictures().anchorControl()->ratioPoint(), pf::Point(0.3, 0.7));
    rectangle->setImageAnchorRatio(pf::Point(0, 0));
    feed();
    EXPECT_EQ(gridCorner(), QVRectCornerNone);
    select({rectangle});
    EXPECT_EQ(gridCorner(), QVRectCornerTopLef);
}

TEST_F(ImagePanelTest, CornersAndTheirPoints)
{
    for (std::int64_t corner = QVRectCornerTopLef; corner <= QVRectCornerBotRit; ++corner) {
        const pf::Point point = ImageFacet::ratioForCorner(corner);
        EXPECT_EQ(point, pf::Point(0.5 * double(corner % 3), 0.5 * double(corner / 3)));
        EXPECT_EQ(ImageFacet::cornerForRatio(point), corner);
    }
    // A point on tenths that lands on a corner after rounding still names it.
    EXPECT_EQ(ImageFacet::cornerForRatio(pf::Point(0.1 * 5, 0.1 + 0.2 + 0.7)), QVRectCornerBotMid);
    EXPECT_EQ(ImageFacet::cornerForRatio(pf::Point(0.5, 0.51)), QVRectCornerNone);
    EXPECT_EQ(ImageFacet::cornerForRatio(pf::Point(-0.5, 1.5)), QVRectCornerNone);
    EXPECT_EQ(ImageFacet::cornerForRatio(std::nullopt), QVRectCornerNone);
}

TEST_F(ImagePanelTest, AScaledPictureHasNoAnchorUntilScalingIsTurnedOff)
{
    rectangle->setScaleImage(true);
    select({rectangle});
    QVAnchorControl* control = pictures().anchorControl();
    EXPECT_FALSE(control->isEnabled());
    EXPECT_FALSE(gridEnabled());
    EXPECT_TRUE(pictures().scaleButton()->isEnabled());
    // Nothing moves the anchor of a scaled picture.
    pictures().anchorImage(QVRectCornerTopLef);
    EXPECT_EQ(rectangle->imageAnchorRatio(), pf::Point(0.5, 0.5));

    // Unchecking the box enables the anchor at once, within the same turn.
    pictures().scaleButton()->click();
    EXPECT_FALSE(rectangle->scaleImage());
    EXPECT_TRUE(control->isEnabled());
    EXPECT_TRUE(gridEnabled());
    pictures().scaleButton()->click();
    EXPECT_TRUE(rectangle->scaleImage());
    EXPECT_FALSE(control->isEnabled());
}

TEST_F(ImagePanelTest, SizeToFitIsForOneShapeAndOptionHalvesAScaledPicture)
{
    select({rectangle, second});
    EXPECT_FALSE(pictures().sizeToFitButton()->isEnabled());
    const pf::Rect before = rectangle->frame();
    pictures().sizeToFit(false);
    EXPECT_EQ(rectangle->frame(), before);

    select({rectangle});
    ASSERT_TRUE(pictures().sizeToFitButton()->isEnabled());
    const pf::Point centre = rectangle->center();
    pictures().sizeToFitButton()->click();
    EXPECT_EQ(rectangle->frame().size, pf::Size(60, 40));
    EXPECT_EQ(rectangle->center(), centre);
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rectangle->frame(), before);

    rectangle->setScaleImage(true);
    feed();
    pictures().sizeToFit(true);
    EXPECT_EQ(rectangle->frame().size, pf::Size(30, 20));
}

TEST_F(ImagePanelTest, BrowseAsksTheWindowForAPicture)
{
    select({rectangle});
    windowServices.calls.clear();
    pictures().browseButton()->click();
    EXPECT_EQ(windowServices.calls.count(QStringLiteral("browseForImage")), 1);
}

TEST_F(ImagePanelTest, ALockedShapeLeavesEveryControlDisabledAndEveryActionIdle)
{
    second->setLocked(true);
    endTurn();
    undo.removeAllActions();
    select({rectangle, second});
    EXPECT_FALSE(pictures().browseButton()->isEnabled());
    EXPECT_FALSE(pictures().sizeToFitButton()->isEnabled());
    EXPECT_FALSE(pictures().scaleButton()->isEnabled());
    EXPECT_FALSE(pictures().anchorControl()->isEnabled());
    EXPECT_FALSE(gridEnabled());

    windowServices.calls.clear();
    const pf::Rect frame = rectangle->frame();
    pictures().browseForImage();
    pictures().sizeToFit(false);
    pictures().anchorImage(QVRectCornerBotRit);
    pictures().anchorControl()->setRatioPoint(pf::Point(0, 0));
    endTurn();
    EXPECT_FALSE(windowServices.calls.contains(QStringLiteral("browseForImage")));
    EXPECT_EQ(rectangle->frame(), frame);
    EXPECT_EQ(rectangle->imageAnchorRatio(), pf::Point(0.5, 0.5));
    EXPECT_EQ(second->imageAnchorRatio(), pf::Point(0.5, 0.5));
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(ImagePanelTest, ANewPictureThroughTheSelectionShowsItsAnchor)
{
    select({rectangle});
    ASSERT_EQ(canvas->manipulator()->valueForKeyPath(QStringLiteral("image")), pf::Variant(QStringLiteral("photo")));
    // The shape's anchor changed behind the panel's back; the picture's change brings it up to date.
    rectangle->setImageAnchorRatio(pf::Point(1, 0));
    QImage other(10, 10, QImage::Format_ARGB32);
    other.fill(Qt::red);
    document.images[QStringLiteral("other")] = {QByteArray(), pf::Image(other), 0};
    canvas->manipulator()->setValueForKeyPath(pf::Variant(QStringLiteral("other")), QStringLiteral("imageIdentifier"));
    EXPECT_EQ(pictures().anchorControl()->ratioPoint(), pf::Point(1, 0));
    EXPECT_EQ(gridCorner(), QVRectCornerTopRit);
    EXPECT_TRUE(second->valueForKeyPath(QStringLiteral("image")) == pf::Variant(QStringLiteral("photo")));
    second->setImageIdentifier(QString());
    EXPECT_TRUE(second->valueForKeyPath(QStringLiteral("image")).isNull());
}

} // namespace
