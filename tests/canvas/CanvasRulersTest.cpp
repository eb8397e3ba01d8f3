// The canvas as the rulers' client: guides pulled out of the rulers by real presses, drags and releases,
// the unit and origin menu, and the rulers' zero on the page's origin corner.
#include "canvas/support/CanvasFixture.h"

#include "model/Guide.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/kit/Menu.h"
#include "platform/kit/RulerView.h"
#include "platform/kit/ScrollView.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

class CanvasRulersTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        scrollView->setHasHorizontalRuler(true);
        scrollView->setHasVerticalRuler(true);
        top().setClientView(canvas);
        left().setClientView(canvas);
        scrollView->setRulersVisible(true);
        endTurn();
        canvas->updateRulersOrigin();
        undo.removeAllActions();
    }

    pf::RulerView& top() { return *scrollView->horizontalRulerView(); }
    pf::RulerView& left() { return *scrollView->verticalRulerView(); }

    // Where a page point lies in the ruler's own points (outside it, for points on the page).
    QPointF rulerPoint(pf::RulerView& ruler, const pf::Point& pagePoint)
    {
        const QPointF global = canvas->mapToGlobal(viewPoint(pagePoint).toQt());
        return ruler.mapFromGlobal(global);
    }

    void rulerMouse(pf::RulerView& ruler, QEvent::Type type, QPointF at, Qt::MouseButton button,
                    Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = {})
    {
        QMouseEvent e(type, at, ruler.mapToGlobal(at), button, held, modifiers);
        e.setTimestamp(milliseconds_ += 5000);
        QCoreApplication::sendEvent(&ruler, &e);
    }

    // Press in the ruler, drag through the page points, release at the last one.
    void pullOut(pf::RulerView& ruler, QPointF press, const std::vector<QPointF>& path)
    {
        rulerMouse(ruler, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
        endTurn();
        for (const QPointF& p : path) {
            rulerMouse(ruler, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
            endTurn();
        }
        rulerMouse(ruler, QEvent::MouseButtonRelease, path.empty() ? press : path.back(), Qt::LeftButton,
                   Qt::NoButton);
        endTurn();
    }

    quint64 milliseconds_ = 100000;
};

TEST_F(CanvasRulersTest, AGuidePulledFromTheTopRulerLandsOnTheGridAsOneUndoStep)
{
    page->setGridEnabled(true);
    page->setGridTolerance(10);
    undo.removeAllActions();
    pullOut(top(), {300, 8}, {rulerPoint(top(), {300, 120}), rulerPoint(top(), {300, 203.7})});
    ASSERT_EQ(page->userGuides().size(), 1u);
    const auto guide = page->userGuides().front();
    EXPECT_FALSE(guide->isVertical());
    EXPECT_EQ(guide->type(), 2u);
    EXPECT_EQ(guide->p1().y, 200.0);
    EXPECT_FALSE(canvas->isPullingOutGuide());
    EXPECT_FALSE(canvas->draggingUserGuide());
    EXPECT_FALSE(top().rulerlineLocation());
    EXPECT_FALSE(left().rulerlineLocation());

    EXPECT_EQ(undo.undoActionName(), "Add Guide");
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(page->userGuides().empty());
    EXPECT_FALSE(undo.canUndo());
    ASSERT_TRUE(undo.redo());
    ASSERT_EQ(page->userGuides().size(), 1u);
    EXPECT_EQ(page->userGuides().front()->p1().y, 200.0);
}

TEST_F(CanvasRulersTest, AGuideReleasedBackOnTheRulerLeavesNothing)
{
    pullOut(top(), {300, 8}, {rulerPoint(top(), {300, 150}), QPointF(310, 6)});
    EXPECT_TRUE(page->userGuides().empty());
    EXPECT_FALSE(undo.canUndo());
    // A click without a drag too.
    pullOut(left(), {8, 300}, {});
    EXPECT_TRUE(page->userGuides().empty());
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(CanvasRulersTest, TheLeftRulerGivesAVerticalGuideAndShowsHiddenGuides)
{
    UserDefaults::instance().setGuidesVisible(false);
    pullOut(left(), {8, 300}, {rulerPoint(left(), {250.6, 100})});
    EXPECT_TRUE(UserDefaults::instance().guidesVisible());
    ASSERT_EQ(page->userGuides().size(), 1u);
    EXPECT_TRUE(page->userGuides().front()->isVertical());
    EXPECT_EQ(page->userGuides().front()->p1().x, 250.0); // no grid: the whole point under the pointer
}

TEST_F(CanvasRulersTest, RightClickAndControlClickOpenTheMenuWithChecksOnTheCurrentChoices)
{
    struct Shown {
        QStringList checked;
        QStringList titles;
    };
    std::vector<Shown> shown;
    pf::MenuPresenter::ScopedRunner runner([&](QMenu& menu, pf::Point) {
        Shown s;
        for (QAction* a : menu.actions()) {
            s.titles << (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (a->isChecked())
                s.checked << a->text();
            if (a->menu())
                for (QAction* sub : a->menu()->actions())
                    if (sub->isChecked())
                        s.checked << sub->text();
        }
        shown.push_back(s);
    });
    page->setRulerOriginCorner(4);
    rulerMouse(top(), QEvent::MouseButtonPress, {300, 8}, Qt::RightButton, Qt::RightButton);
    rulerMouse(top(), QEvent::MouseButtonRelease, {300, 8}, Qt::RightButton, Qt::NoButton);
    EXPECT_TRUE(shown.empty()); // one turn later
    endTurn();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].titles, (QStringList{"Points", "Inches", "Centimeters", "-", "Ruler Origin"}));
    EXPECT_EQ(shown[0].checked, (QStringList{"Points", "Center"}));

    // Control is the Meta key here; a Control-click opens the menu and pulls nothing out.
    canvas->changeRulerUnitType(Metrics::Centimeters);
    rulerMouse(left(), QEvent::MouseButtonPress, {8, 300}, Qt::LeftButton, Qt::LeftButton, Qt::MetaModifier);
    EXPECT_FALSE(canvas->isPullingOutGuide());
    rulerMouse(left(), QEvent::MouseMove, rulerPoint(left(), {200, 200}), Qt::NoButton, Qt::LeftButton,
               Qt::MetaModifier);
    rulerMouse(left(), QEvent::MouseButtonRelease, rulerPoint(left(), {200, 200}), Qt::LeftButton, Qt::NoButton,
               Qt::MetaModifier);
    endTurn();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].checked, (QStringList{"Centimeters", "Center"}));
    EXPECT_TRUE(page->userGuides().empty());

    // The model: tags are the unit types and the corners, the actions go to the canvas.
    const auto menu = canvas->rulerMenu();
    ASSERT_EQ(menu->numberOfItems(), 5);
    EXPECT_EQ(menu->itemAt(1).tag(), Metrics::Inches);
    EXPECT_EQ(menu->itemAt(1).action(), "changeRulerUnitType:");
    const auto& origins = *menu->itemAt(4).submenu();
    ASSERT_EQ(origins.numberOfItems(), 9);
    EXPECT_EQ(origins.itemAt(8).title(), "Bottom Right");
    EXPECT_EQ(origins.itemAt(8).tag(), 8);
    EXPECT_EQ(origins.itemAt(4).state(), pf::MenuItemState::On);
}

TEST_F(CanvasRulersTest, ChoosingInchesTurnsTheGuideToolTipsToInches)
{
    int notices = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Canvas::MetricsUnitTypeDidChangeNotification), page.get(),
        [&](const pf::Notification&) { ++notices; });
    const auto menu = canvas->rulerMenu();
    ASSERT_TRUE(menu->itemAt(1).perform());
    EXPECT_EQ(page->metrics()->unitType(), Metrics::Inches);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(canvas->guideToolTipTextForPosition(108, false), "1.5\"");
    // Unit types the menu does not offer are refused.
    canvas->changeRulerUnitType(7);
    EXPECT_EQ(page->metrics()->unitType(), Metrics::Inches);
}

TEST_F(CanvasRulersTest, TheCenterOriginStaysOnThePageCentreThroughZoomAndResize)
{
    const auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        const pf::Rect f = canvas->scaledCompositionFrame();
        EXPECT_DOUBLE_EQ(top().originOffset(), f.midX());
        EXPECT_DOUBLE_EQ(left().originOffset(), f.midY());
        // The zero label stands at the page centre as the ruler shows it.
        const double at = top().locationForClientCoordinate(f.midX());
        const auto marks = top().marksInRange(0, top().frame().size.width, 1.0);
        const bool zero = std::any_of(marks.labels.begin(), marks.labels.end(), [&](const auto& l) {
            return l.text == "0" && std::fabs(l.location - at) <= 0.5;
        });
        EXPECT_TRUE(zero);
    };
    canvas->changeRulerOriginCorner(4);
    check("centre");
    page->setZoomScaleIndex(-1);
    endTurn();
    check("zoomed out");
    scrollView->setGeometry(0, 0, 700, 500);
    endTurn();
    check("resized");
    canvas->changeRulerOriginCorner(0);
    EXPECT_DOUBLE_EQ(top().originOffset(), canvas->scaledCompositionFrame().x());
}

} // namespace
