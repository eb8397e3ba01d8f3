#include "palettes/ArrowFacet.h"

#include "manipulators/Manipulator.h"
#include "model/StickyDefaults.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorViewController.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Menu.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "shapes/Line.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>

using namespace facetcontrols;

namespace {

const QString arrowTypeAKey = QStringLiteral("arrowTypeA");
const QString arrowTypeBKey = QStringLiteral("arrowTypeB");
const QString actionA = QStringLiteral("arrowTypeAChanged:");
const QString actionB = QStringLiteral("arrowTypeBChanged:");
constexpr pf::Size pictureSize(96, 14);

double screenScale()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1.0, screen->devicePixelRatio()) : 1.0;
}

pf::View* buildArrowPanel(ArrowFacet& facet)
{
    pf::View* panel = makePanel(66);
    const auto arrowPopUp = [&](double y, const char* title, const char* outlet) {
        label(panel, QString::fromLatin1(title), pf::Rect(10, y, 40, 22));
        auto* box = new QComboBox(panel);
        box->setGeometry(52, int(y), 130, 24);
        box->setIconSize(QSize(int(pictureSize.width), int(pictureSize.height)));
        facet.setOutlet(QString::fromLatin1(outlet), box);
        enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {box});
        return box;
    };
    QComboBox* first = arrowPopUp(6, "Start", "arrowPopUpButtonA");
    arrowPopUp(36, "End", "arrowPopUpButtonB");
    auto* swap = new QPushButton(QStringLiteral("⇄"), panel);
    swap->setToolTip(QStringLiteral("Swap Arrows"));
    swap->setGeometry(188, 20, 26, 26);
    facet.setOutlet(QStringLiteral("swapButton"), swap);
    QObject::connect(swap, &QPushButton::clicked, swap, [&facet] { facet.swapArrow(); });
    enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {swap});
    facet.setFirstKeyView(first);
    return panel;
}

// The pop-up shows its menu's pictures; the item whose tag is the selection's type is shown chosen, none
// while the selected connectors differ. Choosing an item sends the item's action.
void showMenuInPopUp(ArrowFacet& facet, QComboBox& box, const std::shared_ptr<pf::Menu>& menu, const QString& key)
{
    box.clear();
    for (const pf::MenuItem& item : menu->items())
        box.addItem(pf::MenuPresenter::iconForItem(item), item.title(), QVariant::fromValue<qint64>(item.tag()));
    QPointer<QComboBox> guard(&box);
    facet.bindings().bind(facet, selected(key.toLatin1().constData()), [guard](const pf::Variant& v) {
        if (!guard)
            return;
        const QSignalBlocker quiet(guard.data());
        const auto type = v.get<std::int64_t>();
        guard->setCurrentIndex(type ? guard->findData(QVariant::fromValue<qint64>(*type)) : -1);
    });
    QObject::connect(&box, &QComboBox::activated, &box, [menu](int index) {
        if (index >= 0 && index < menu->numberOfItems())
            menu->itemAt(index).perform();
    });
}

} // namespace

ArrowFacet::ArrowFacet(InspectorViewController* inspector, const FacetClassInfo& info) : Facet(inspector, info)
{
    setAction(actionA, [this](const pf::MenuItem*) { arrowTypeAChanged(); });
    setAction(actionB, [this](const pf::MenuItem*) { arrowTypeBChanged(); });
    setAction(QStringLiteral("swapArrow:"), [this](const pf::MenuItem*) { swapArrow(); });
}

const std::vector<std::uint64_t>& ArrowFacet::arrowTypesForEndA(bool endA)
{
    // End B lists the four heads after 43 the other way round, so both menus picture them in one order.
    static const std::vector<std::uint64_t> typesA{0,  1,  4,  7,  10, 13, 16, 19, 22, 3,  6,  2,  5,  25,
                                                   26, 44, 27, 28, 29, 30, 31, 32, 33, 34, 45, 46, 47, 43,
                                                   39, 40, 37, 38, 48, 49, 50, 51, 52, 53, 54, 55, 56};
    static const std::vector<std::uint64_t> typesB = [] {
        std::vector<std::uint64_t> types = typesA;
        const auto at = std::find(types.begin(), types.end(), 43u) + 1;
        std::copy_n(std::initializer_list<std::uint64_t>{40, 39, 38, 37}.begin(), 4, at);
        return types;
    }();
    return endA ? typesA : typesB;
}

std::int64_t ArrowFacet::tagForArrowType(std::uint64_t type)
{
    if (type >= 35 && type <= 42)
        return std::int64_t(type % 2 == 1 ? type + 1 : type - 1);
    return std::int64_t(type);
}

std::shared_ptr<pf::Menu> ArrowFacet::menuForArrowTypeA(bool endA)
{
    auto menu = std::make_shared<pf::Menu>();
    StickyDefaults::doWithoutStickySetting([&] {
        const auto line = std::static_pointer_cast<AbstractPointer>(
            Line::staticClass().newShape(pf::Rect(0.5, 6.5, 93, 0)));
        line->setDrawingMenuItem(true);
        line->setStrokeLineWidth(1.0);
        line->setStrokeColor(pf::Color::black());
        const double scale = screenScale();
        for (const std::uint64_t type : arrowTypesForEndA(endA)) {
            if (endA)
                line->setArrowTypeA(type);
            else
                line->setArrowTypeB(type);
            pf::Image picture = pf::Image::drawn(pictureSize, scale, [&](pf::GraphicsContext& context) {
                context.saveGState();
                context.setInterpolationQuality(pf::InterpolationQuality::High);
                line->drawInContextDirtyRect(context, line->frame());
                context.restoreGState();
            });
            pf::MenuItem& item = menu->addItem(QString(), endA ? actionA : actionB, this);
            item.setImage(std::move(picture));
            item.setTag(tagForArrowType(type));
        }
    });
    return menu;
}

const std::shared_ptr<pf::Menu>& ArrowFacet::menuA()
{
    if (!menuA_)
        menuA_ = menuForArrowTypeA(true);
    return menuA_;
}

const std::shared_ptr<pf::Menu>& ArrowFacet::menuB()
{
    if (!menuB_)
        menuB_ = menuForArrowTypeA(false);
    return menuB_;
}

void ArrowFacet::loadContentView()
{
    Facet::loadContentView();
    if (QComboBox* a = arrowPopUpButtonA())
        showMenuInPopUp(*this, *a, menuA(), arrowTypeAKey);
    if (QComboBox* b = arrowPopUpButtonB())
        showMenuInPopUp(*this, *b, menuB(), arrowTypeBKey);
}

QComboBox* ArrowFacet::arrowPopUpButtonA() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("arrowPopUpButtonA")));
}

QComboBox* ArrowFacet::arrowPopUpButtonB() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("arrowPopUpButtonB")));
}

void ArrowFacet::arrowTypeAChanged() { arrowTypeChanged(true); }

void ArrowFacet::arrowTypeBChanged() { arrowTypeChanged(false); }

void ArrowFacet::arrowTypeChanged(bool endA)
{
    QComboBox* box = endA ? arrowPopUpButtonA() : arrowPopUpButtonB();
    if (!box || box->currentIndex() < 0 || !selectedObject() || !isSelectionCompletelyUnlocked())
        return;
    const qint64 tag = box->currentData().value<qint64>();
    selectedObject()->setValueForKeyPath(pf::Variant(std::int64_t(tag)), endA ? arrowTypeAKey : arrowTypeBKey);
    if (inspector())
        inspector()->setNeedsUpdate();
}

void ArrowFacet::swapArrow()
{
    // Like every other edit of the panel, a locked connector is left alone.
    if (!selectedObject() || !isSelectionCompletelyUnlocked())
        return;
    {
        pf::UndoGrouping group(undoManagerOf(*this));
        for (const auto& shape : selectedObject()->children())
            if (auto* pointer = dynamic_cast<AbstractPointer*>(shape.get())) {
                const std::uint64_t a = pointer->arrowTypeA();
                const std::uint64_t b = pointer->arrowTypeB();
                pointer->setArrowTypeA(b);
                pointer->setArrowTypeB(a);
            }
    }
    if (inspector())
        inspector()->setNeedsUpdate();
}

void ArrowFacet::registerFacet()
{
    FacetRegistry::registerMaker(QStringLiteral("ArrowFacet"), [](InspectorViewController* inspector,
                                                                  const FacetClassInfo& info) {
        return std::make_shared<ArrowFacet>(inspector, info);
    });
    pf::registerViewBuilder(QStringLiteral("ArrowFacet"), [](pf::Responder* owner) -> pf::View* {
        auto* facet = dynamic_cast<ArrowFacet*>(owner);
        return facet ? buildArrowPanel(*facet) : nullptr;
    });
}
