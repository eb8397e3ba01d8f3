// The canvas as the rulers' client: the mouse in a ruler (a guide pulled out, or the unit and origin menu),
// the unit and origin changes the menu makes, and the rulers' zero point on the page's origin corner.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"

pf::RulerView* Canvas::horizontalRuler() const
{
    const pf::ScrollView* scroll = enclosingScrollView();
    return scroll ? scroll->horizontalRulerView() : nullptr;
}

pf::RulerView* Canvas::verticalRuler() const
{
    const pf::ScrollView* scroll = enclosingScrollView();
    return scroll ? scroll->verticalRulerView() : nullptr;
}

void Canvas::rulerViewHandleMouseDown(pf::RulerView& ruler, const pf::Event& event)
{
    if (event.type == pf::EventType::LeftMouseDown && event.isControlKeyPressed())
        rulerViewHandleRightClick(ruler, event);
    else if (event.type != pf::EventType::RightMouseDown)
        rulerViewHandleLeftClick(ruler, event);
    else
        rulerViewHandleRightClick(ruler, event);
}

void Canvas::rulerViewHandleRightClick(pf::RulerView& ruler, const pf::Event& event)
{
    // The menu is built now for the page as it is and shown one turn later, after the press has returned.
    pf::MenuPresenter::popUpContextMenu(rulerMenu(), event, &ruler);
}

std::shared_ptr<pf::Menu> Canvas::rulerMenu()
{
    const auto page = composition();
    const unsigned unitType = page && page->metrics() ? page->metrics()->unitType() : unsigned(Metrics::Points);
    const QVRectCorner corner = page ? page->rulerOriginCorner() : 0;
    auto menu = std::make_shared<pf::Menu>();
    for (const unsigned type : {Metrics::Points, Metrics::Inches, Metrics::Centimeters}) {
        pf::MenuItem& item = menu->addItem(Metrics::unitNameForUnitType(type),
                                           QStringLiteral("changeRulerUnitType:"), this);
        item.setTag(type);
        item.setState(type == unitType ? pf::MenuItemState::On : pf::MenuItemState::Off);
    }
    menu->addSeparator();
    auto origins = std::make_shared<pf::Menu>();
    for (QVRectCorner c = 0; c <= 8; ++c) {
        pf::MenuItem& item = origins->addItem(QVRectCornerGetDisplayName(c).value_or(QString()),
                                              QStringLiteral("changeRulerOriginCorner:"), this);
        item.setTag(c);
        item.setState(c == corner ? pf::MenuItemState::On : pf::MenuItemState::Off);
    }
    pf::MenuItem& origin = menu->addItem(pf::localized(QStringLiteral("Ruler Origin")), QString());
    origin.setSubmenu(std::move(origins));
    return menu;
}

void Canvas::changeRulerUnitType(std::int64_t unitType)
{
    const auto page = composition();
    if (!page || !page->sharedMetrics() || unitType < 0 || Metrics::unitNameForUnitType(unsigned(unitType)).isNull())
        return;
    page->sharedMetrics()->setUnitType(unsigned(unitType));
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(MetricsUnitTypeDidChangeNotification),
                                                             page.get());
}

void Canvas::changeRulerOriginCorner(std::int64_t corner)
{
    const auto page = composition();
    if (!page || corner < 0 || corner > 8)
        return;
    page->setRulerOriginCorner(QVRectCorner(corner));
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(RulerOriginDidChangeNotification),
                                                             page.get());
}

void Canvas::updateRulersOrigin()
{
    const auto page = composition();
    if (!page)
        return;
    const pf::Point o = QVRectGetCornerPoint(page->rulerOriginCorner(), scaledCompositionFrame());
    if (pf::RulerView* ruler = horizontalRuler())
        ruler->setOriginOffset(o.x);
    if (pf::RulerView* ruler = verticalRuler())
        ruler->setOriginOffset(o.y);
}

void Canvas::clearRulerlines()
{
    for (pf::RulerView* ruler : {horizontalRuler(), verticalRuler()})
        if (ruler && ruler->rulerlineLocation())
            ruler->moveRulerlineFromLocation(*ruler->rulerlineLocation(), -1);
}
