// Rolling the wheel over the inspector scrolls it: a pop-up, number field or slider under the pointer
// edits the shape only once the user has given it the keyboard focus.
#include "ItemPanelFixture.h"

#include "platform/kit/ScrollView.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class InspectorWheelTest : public ItemPanelFixture {
protected:
    // Notches of the wheel over the middle of the widget, as from the platform: only such events go on to
    // the parents while ignored (a synthetic one stops at its receiver).
    static void roll(QWidget* widget, int notches)
    {
        const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
        QWheelEvent wheel(local, widget->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(widget, &wheel);
    }

    static bool editsByWheel(const QWidget* w)
    {
        return !qobject_cast<const QScrollBar*>(w)
               && (qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w)
                   || qobject_cast<const QAbstractSlider*>(w));
    }

    // Every facet shown for the selection opened, and the controls of their rows that can take the wheel.
    std::vector<QPointer<QWidget>> shownControls()
    {
        for (const auto& shown : *inspector->facets())
            if (shown->isCollapsed())
                if (InspectorListItem* row = rowOf(*shown))
                    row->disclosureButton()->performClick();
        drainTurn();
        std::vector<QPointer<QWidget>> controls;
        for (const auto& shown : *inspector->facets())
            if (pf::View* content = shown->contentView(); content && content->isVisible())
                for (QWidget* w : content->findChildren<QWidget*>())
                    if (editsByWheel(w) && w->isVisible() && w->isEnabled())
                        controls.emplace_back(w);
        return controls;
    }
};

TEST_F(InspectorWheelTest, TheWheelOverAnyControlScrollsThePaletteAndLeavesTheShapeAsItWas)
{
    // Short enough that every selection's panels scroll.
    inspector->view()->window()->resize(250, 220);
    inspector->view()->setFrame(pf::Rect(0, 0, 250, 220));
    drainTurn();
    pf::ScrollView* palette = inspector->listView()->scrollView();
    ASSERT_TRUE(palette);

    struct Kind {
        const char* name;
        pf::Rect frame;
    };
    const Kind kinds[] = {{"Rectangle", pf::Rect(100, 100, 75, 60)}, {"Text", pf::Rect(100, 100, 120, 40)},
                          {"Line", pf::Rect(100, 100, 120, 40)},      {"Image", pf::Rect(100, 100, 80, 60)},
                          {"Loupe", pf::Rect(100, 100, 80, 80)},      {"Redact", pf::Rect(100, 100, 80, 40)},
                          {"UIButton", pf::Rect(100, 100, 120, 44)},  {"UISegmentedControl", pf::Rect(100, 100, 240, 30)},
                          {"UITableView", pf::Rect(100, 100, 240, 200)}};
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const auto shape = addShape(kind.name, kind.frame);
        ASSERT_TRUE(shape);
        // Give the shape a filter, so the filter table shows its pop-up and slider too.
        undo.disableUndoRegistration();
        shape->setContentFilterSpecs({spec(1, 3)});
        undo.enableUndoRegistration();
        select({shape});
        endTurn();
        undo.removeAllActions();
        const pf::Value before = shape->asPlist();

        const auto controls = shownControls();
        ASSERT_FALSE(controls.empty());
        for (const QPointer<QWidget>& control : controls) {
            ASSERT_TRUE(control);
            SCOPED_TRACE(control->metaObject()->className());
            ASSERT_FALSE(control->hasFocus());
            // The control in view with room to scroll one way or the other.
            const QPoint at = control->mapTo(palette->documentView(), QPoint(0, 0));
            palette->scrollRectToVisible(pf::Rect(at.x(), at.y(), control->width(), control->height()));
            const double from = palette->scrollOrigin().y;
            const bool down = from <= 0;
            for (int notch = 0; notch < 2; ++notch)
                roll(control, down ? -1 : 1);
            endTurn();
            EXPECT_TRUE(down ? palette->scrollOrigin().y > from : palette->scrollOrigin().y < from)
                << "the palette did not scroll";
            EXPECT_EQ(shape->asPlist(), before);
            EXPECT_FALSE(undo.canUndo()) << undo.undoActionName().toStdString();
            // Back where it was: a notch scrolls far enough for the list to put panels out of view aside.
            palette->scrollPoint(pf::Point(0, from));
            endTurn();
        }
    }
}

TEST_F(InspectorWheelTest, AFieldWithTheFocusTakesTheWheel)
{
    select({rectangle});
    QDoubleSpinBox* width = field("GeometryFacet", "widthField");
    ASSERT_TRUE(width);
    const double was = rectangle->frame().width();
    QWidget* palette = width->window();
    palette->activateWindow();
    QApplication::setActiveWindow(palette);
    // The user clicks into the field, which gives it the focus.
    QTest::mouseClick(width->findChild<QLineEdit*>(), Qt::LeftButton);
    ASSERT_TRUE(width->hasFocus());
    roll(width, 1);
    endTurn();
    EXPECT_EQ(rectangle->frame().width(), was + width->singleStep());
    EXPECT_TRUE(undo.canUndo());
}

} // namespace
