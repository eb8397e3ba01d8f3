// The toolbar of a real document window: its items follow the canvas's selection on the turn after the
// user's input, and a click on an item reaches the canvas through the responder chain.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "platform/foundation/Dispatch.h"
#include "shell/CanvasWindowToolbar.h"

#include <QMouseEvent>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WindowToolbarTest : public DocumentWindowFixture {
protected:
    AppWindowController& openFixture()
    {
        return *openFixtureWindow().second;
    }

    static void releaseMouseOn(QWidget* widget)
    {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
    }
};

} // namespace

TEST_F(WindowToolbarTest, ItemsFollowTheSelectionATurnAfterInputAndAClickReachesTheCanvas)
{
    AppWindowController& window = openFixture();
    QWidget* top = window.windowWidget();
    top->show();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    CanvasWindowToolbar* toolbar = window.canvasToolbar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(window.toolbar(), toolbar);
    Canvas& canvas = *window.canvasView();
    ToolbarItem& duplicate = *toolbar->itemWithIdentifier(QStringLiteral("Duplicate"));
    ToolbarItem& lock = *toolbar->itemWithIdentifier(QStringLiteral("Lock"));

    canvas.selectNone();
    releaseMouseOn(&canvas);
    pf::drainMainQueue();
    EXPECT_FALSE(duplicate.isEnabled());
    EXPECT_FALSE(lock.isEnabled());

    canvas.selectAll();
    releaseMouseOn(&canvas);
    EXPECT_FALSE(duplicate.isEnabled());  // not inside the turn of the input
    pf::drainMainQueue();
    EXPECT_TRUE(duplicate.isEnabled());
    EXPECT_TRUE(lock.isEnabled());

    const std::size_t before = window.selectedComposition()->children().size();
    const std::size_t selected = canvas.selectedShapes().size();
    duplicate.qAction()->trigger();
    pf::drainMainQueue();
    EXPECT_EQ(window.selectedComposition()->children().size(), before + selected);
}
