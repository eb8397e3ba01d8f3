#include "palettes/UIControlFacet.h"

#include "controls/EntryControls.h"
#include "controls/IconRenderer.h"
#include "controls/MenuModel.h"
#include "controls/UIControl.h"
#include "controls/UIControlItem.h"
#include "manipulators/Manipulator.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QTableView>

#include <optional>

using namespace facetcontrols;

namespace {

const QString tintKey = QStringLiteral("tintColor");
const QString unlockedKey = QStringLiteral("selectionCompletelyUnlocked");

constexpr double labelX = 10;
constexpr double fieldX = 84;
constexpr double fieldWidth = 126;
constexpr double rowStep = 26;

// What a panel holds beyond the rows every control has.
enum Part : unsigned {
    IconPart = 1,       // icon type, position, size, margin, border (buttons and icons)
    ItemIconSizePart = 2, // the items' icon size and border (item bars)
    TablePart = 4,      // cell padding, icon size and margin (table views)
    SensorPart = 8,     // the status bar's sensor array
    KeyboardPart = 16,  // the keyboard type; device changes refit
    ItemsPart = 32,     // the item table
};

struct PanelKind {
    const char* nibName;
    unsigned parts;
    // The item table's columns beyond the title.
    bool iconColumn;
    bool accessoryColumn;
};

constexpr PanelKind panelKinds[] = {
    {"UITableViewFacet", TablePart | ItemsPart, true, true},
    {"UISwitchFacet", 0, false, false},
    {"UIStatusBarFacet", SensorPart, false, false},
    {"UIAlertDialogFacet", ItemsPart, false, false},
    {"UIToolbarFacet", ItemIconSizePart | ItemsPart, true, false},
    {"UITabBarFacet", ItemIconSizePart | ItemsPart, true, false},
    {"UISegmentedControlFacet", ItemIconSizePart | ItemsPart, true, false},
    {"UIButtonFacet", IconPart, false, false},
    {"UIIconFacet", IconPart, false, false},
    {"UISearchFieldFacet", 0, false, false},
    {"UIActivityIndicatorFacet", 0, false, false},
    {"UIKeyboardFacet", KeyboardPart, false, false},
    {"UIActionSheetFacet", ItemsPart, false, false},
};

std::vector<std::pair<QString, std::int64_t>> iconChoices()
{
    MenuModel menu;
    IconRenderer::instance().populateMenuWithAllIconTypes(menu);
    std::vector<std::pair<QString, std::int64_t>> choices;
    for (const MenuItemModel& item : menu.items())
        choices.emplace_back(item.title, item.tag);
    return choices;
}

// A labelled row; answers the y of the next one.
double labelled(QWidget* panel, double y, const char* title)
{
    label(panel, QString::fromUtf8(title), pf::Rect(labelX, y, fieldX - labelX - 4, 22));
    return y + rowStep;
}

pf::View* buildControlPanel(UIControlFacet& facet, const PanelKind& kind)
{
    double height = 6 + 4 * rowStep + 4;
    if (kind.parts & IconPart)
        height += 4 * rowStep + 22;
    if (kind.parts & ItemIconSizePart)
        height += rowStep;
    if (kind.parts & TablePart)
        height += 3 * rowStep;
    if (kind.parts & (SensorPart | KeyboardPart))
        height += rowStep;
    constexpr double itemsHeight = 150;
    if (kind.parts & ItemsPart)
        height += itemsHeight + 6;
    pf::View* panel = makePanel(height);

    std::vector<QWidget*> enabled;
    double y = 6;
    labelled(panel, y, "Device");
    QComboBox* device = popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("deviceType"),
                              {{"Phone", 0}, {"Pad", 1}});
    y += rowStep;
    labelled(panel, y, "Orientation");
    QComboBox* orientation = popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("deviceOrientation"),
                                   {{"Portrait", 0}, {"Landscape", 1}});
    y += rowStep;
    labelled(panel, y, "Theme");
    QComboBox* theme = popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("themeType"),
                             {{"Light", 0}, {"Dark", 1}});
    y += rowStep;
    labelled(panel, y, "Tint");
    auto* tint = new ColorButton(pf::Rect(fieldX, y, 44, 22), panel);
    tint->setTag(909);
    tint->setAction([&facet](ColorButton& b) { facet.showColorPanel(b); });
    facet.setOutlet(QStringLiteral("tintColorButton"), tint);
    QCheckBox* highlighted = checkBox(facet, panel, pf::Rect(fieldX + 54, y, 80, 22), QStringLiteral("Highlighted"),
                                      selected("highlighted"));
    y += rowStep;
    enabled.insert(enabled.end(), {device, orientation, theme, static_cast<QWidget*>(highlighted)});
    facet.setOutlet(QStringLiteral("deviceTypePopUpButton"), device);
    facet.setOutlet(QStringLiteral("deviceOrientationPopUpButton"), orientation);

    if (kind.parts & KeyboardPart) {
        labelled(panel, y, "Keyboard");
        QComboBox* type = popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("keyboardType"),
                                {{"Standard", 0}, {"Numeric", 1}, {"Number Pad", 2}, {"Emoji", 3}});
        enabled.push_back(type);
        y += rowStep;
        // The pop-ups write the selection first (connected before), then the keyboards refit.
        auto* keyboardFacet = dynamic_cast<UIKeyboardFacet*>(&facet);
        for (QComboBox* box : {device, orientation})
            QObject::connect(box, &QComboBox::activated, box, [keyboardFacet] {
                if (keyboardFacet)
                    keyboardFacet->deviceChanged();
            });
    }
    if (kind.parts & SensorPart) {
        labelled(panel, y, "Sensors");
        enabled.push_back(popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("sensorArrayType"),
                                {{"None", 0}, {"Notch", 1}}));
        y += rowStep;
    }
    if (kind.parts & IconPart) {
        labelled(panel, y, "Icon");
        // Filled with every icon type when the panel has loaded (UIButtonFacet).
        QComboBox* icon = popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("iconType"), {});
        facet.setOutlet(QStringLiteral("iconTypePopUpButton"), icon);
        y += rowStep;
        labelled(panel, y, "Position");
        y += rowStep - 4;
        QWidget* position = segments(facet, panel, pf::Rect(labelX, y, 200, 22), selected("iconPosition"),
                                     {{"Centre", 0}, {"Left", 1}, {"Right", 2}, {"Above", 3}, {"Below", 4}});
        facet.setOutlet(QStringLiteral("iconPositionControl"), position);
        y += rowStep;
        labelled(panel, y, "Icon Size");
        QComboBox* size = popUp(facet, panel, pf::Rect(fieldX, y, fieldWidth, 22), selected("iconSize"),
                                {{"Normal", 0}, {"Small", 1}});
        y += rowStep;
        labelled(panel, y, "Margin");
        QDoubleSpinBox* margin = numberField(facet, panel, pf::Rect(fieldX, y, 70, 22), selected("iconMargin"),
                                             NumberFormat{-100, 100, 0, 1, QStringLiteral(" pt")});
        QCheckBox* border = checkBox(facet, panel, pf::Rect(fieldX + 76, y, 60, 22), QStringLiteral("Border"),
                                     selected("bordered"));
        y += rowStep + 4;
        enabled.insert(enabled.end(), {icon, position, size, margin, static_cast<QWidget*>(border)});
    }
    if (kind.parts & ItemIconSizePart) {
        labelled(panel, y, "Icon Size");
        QComboBox* size = popUp(facet, panel, pf::Rect(fieldX, y, 70, 22), selected("iconSize"),
                                {{"Normal", 0}, {"Small", 1}});
        QCheckBox* border = checkBox(facet, panel, pf::Rect(fieldX + 76, y, 60, 22), QStringLiteral("Border"),
                                     selected("highlightBorderEnabled"));
        enabled.insert(enabled.end(), {size, static_cast<QWidget*>(border)});
        y += rowStep;
    }
    if (kind.parts & TablePart) {
        labelled(panel, y, "Padding");
        enabled.push_back(numberField(facet, panel, pf::Rect(fieldX, y, 70, 22), selected("cellPaddingWidth"),
                                      NumberFormat{0, 200, 0, 1, QStringLiteral(" pt")}));
        y += rowStep;
        labelled(panel, y, "Icon Size");
        enabled.push_back(popUp(facet, panel, pf::Rect(fieldX, y, 70, 22), selected("iconSize"),
                                {{"Normal", 0}, {"Small", 1}}));
        y += rowStep;
        labelled(panel, y, "Icon Margin");
        enabled.push_back(numberField(facet, panel, pf::Rect(fieldX, y, 70, 22), selected("iconMargin"),
                                      NumberFormat{0, 200, 0, 1, QStringLiteral(" pt")}));
        y += rowStep;
    }
    for (QWidget* control : enabled)
        facet.bindings().bindEnabled(*control, facet, unlockedKey);
    if (kind.parts & ItemsPart) {
        std::vector<ItemTableColumn> columns{
            {QStringLiteral("title"), QStringLiteral("Title"), ItemTableColumn::Kind::Text, 84, {}}};
        if (kind.iconColumn)
            columns.push_back({QStringLiteral("iconType"), QStringLiteral("Icon"), ItemTableColumn::Kind::Choice, 58,
                               iconChoices()});
        if (kind.accessoryColumn)
            columns.push_back({QStringLiteral("accessory"), QStringLiteral("Accessory"), ItemTableColumn::Kind::Choice,
                               58, {{QStringLiteral("None"), 0}, {QStringLiteral("Chevron"), 1},
                                    {QStringLiteral("Menu"), 2}, {QStringLiteral("Info"), 3}}});
        columns.push_back({QStringLiteral("highlighted"), QStringLiteral("On"), ItemTableColumn::Kind::Check, 28, {}});
        auto* table = new ItemTable(facet, pf::Rect(labelX, y + 2, 200, itemsHeight), std::move(columns),
                                    QString::fromLatin1(UIControlFacet::RowPasteboardType), panel);
        facet.setOutlet(QStringLiteral("tableView"), table);
    }
    facet.setFirstKeyView(device);
    return panel;
}

} // namespace

UIControlFacet::~UIControlFacet() = default;

ColorButton* UIControlFacet::tintColorButton() const
{
    return dynamic_cast<ColorButton*>(outlet(QStringLiteral("tintColorButton")));
}

ItemTable* UIControlFacet::tableView() const { return dynamic_cast<ItemTable*>(outlet(QStringLiteral("tableView"))); }

void UIControlFacet::startObservingObject(Manipulator* selection)
{
    const std::shared_ptr<UIControl> previous = previousControl_.lock();
    control_.reset();
    if (!selection) {
        setCurrentColorPanelKey({});
        if (ColorButton* tint = tintColorButton()) {
            tint->setState(false);
            tint->setEnabled(false);
            tint->setColor(std::nullopt);
        }
    } else {
        observeSelectedObjectKeyPaths({tintKey});
        observeValueForSelectedObjectKeyPath(tintKey);
        // One control's items; several controls have no one list the table could show.
        if (selection->children().size() == 1)
            if (auto control = std::dynamic_pointer_cast<UIControl>(selection->children().front())) {
                control_ = control;
                itemsToken_ = control->addObserver(QStringLiteral("controlItems"),
                                                   [this](pf::Object&, const QString&, pf::ChangePhase phase) {
                                                       if (phase == pf::ChangePhase::Did)
                                                           controlItemChanged();
                                                   });
            }
    }
    previousControl_ = control_;
    if (ItemTable* table = tableView()) {
        if (control_.lock() != previous)
            table->controller().setSelectionIndex(std::nullopt);
        table->reload();
    }
}

void UIControlFacet::stopObservingObject(Manipulator*)
{
    itemsToken_.reset();
    control_.reset();
}

void UIControlFacet::observeValueForSelectedObjectKeyPath(const QString& keyPath)
{
    Manipulator* selection = selectedObject();
    ColorButton* tint = tintColorButton();
    if (!selection || !tint || keyPath != tintKey)
        return;
    if (colorKeyForButton(*tint) != currentColorPanelKey())
        tint->setState(false);
    tint->setEnabled(isSelectionCompletelyUnlocked());
    tint->setColor(selection->valueForKeyPath(tintKey).get<pf::OptionalColor>().value_or(std::nullopt));
}

void UIControlFacet::insertControlItem()
{
    if (ItemTable* table = tableView())
        table->addItem();
    else
        ItemArrayController(*this).add();
}

void UIControlFacet::removeControlItem()
{
    if (ItemTable* table = tableView())
        table->removeItem();
    else
        ItemArrayController(*this).remove();
}

void UIControlFacet::controlItemChanged()
{
    if (ItemTable* table = tableView())
        table->reload();
}

std::size_t UIControlFacet::itemCount() const
{
    const auto control = control_.lock();
    return control ? control->controlItems().size() : 0;
}

std::shared_ptr<pf::Object> UIControlFacet::itemAtIndex(std::size_t index) const
{
    const auto control = control_.lock();
    if (!control || index >= control->controlItems().size())
        return nullptr;
    return control->controlItems()[index];
}

std::shared_ptr<pf::Object> UIControlFacet::newItem() const
{
    const auto control = control_.lock();
    return control ? control->makeControlItem() : nullptr;
}

std::shared_ptr<pf::Object> UIControlFacet::copyOfItem(const pf::Object& item) const
{
    const auto* controlItem = dynamic_cast<const UIControlItem*>(&item);
    return controlItem ? controlItem->copy() : nullptr;
}

std::int64_t UIControlFacet::maximumItemCount() const
{
    const auto control = control_.lock();
    return control ? control->controlClass().maxControlItems() : 0;
}

std::int64_t UIControlFacet::minimumItemCount() const
{
    const auto control = control_.lock();
    return control ? control->controlClass().minControlItems() : 0;
}

bool UIControlFacet::insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index)
{
    const auto control = control_.lock();
    const auto* controlItem = dynamic_cast<const UIControlItem*>(item.get());
    return control && controlItem && control->insertControlItemAtIndex(*controlItem, index);
}

bool UIControlFacet::removeItemAtIndex(std::size_t index)
{
    const auto control = control_.lock();
    return control && control->removeControlItemAtIndex(index);
}

bool UIControlFacet::setItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key)
{
    const auto control = control_.lock();
    return control && control->setControlItemValueForKey(index, value, key);
}

pf::UndoManager* UIControlFacet::itemUndoManager() const
{
    const auto control = control_.lock();
    return control ? control->undoManager() : nullptr;
}

// ---- buttons and keyboards ----

QComboBox* UIButtonFacet::iconTypePopUpButton() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("iconTypePopUpButton")));
}

void UIButtonFacet::loadContentView()
{
    UIControlFacet::loadContentView();
    QComboBox* popUp = iconTypePopUpButton();
    if (!popUp)
        return;
    const QSignalBlocker quiet(popUp);
    popUp->clear();
    MenuModel menu;
    IconRenderer::instance().populateMenuWithAllIconTypes(menu);
    for (const MenuItemModel& item : menu.items())
        popUp->addItem(item.title, int(item.tag));
    bindings().refreshAll();
}

void UIKeyboardFacet::deviceChanged()
{
    Manipulator* selection = selectedObject();
    if (!selection)
        return;
    for (const auto& child : selection->children())
        if (auto* keyboard = dynamic_cast<UIKeyboard*>(child.get()))
            keyboard->deviceDidChange();
    selection->sizeToFitChildren();
}

// ---- registration ----

void UIControlFacet::registerFacets()
{
    for (const PanelKind& kind : panelKinds) {
        const QString name = QString::fromLatin1(kind.nibName);
        FacetRegistry::registerMaker(name, [name](InspectorViewController* inspector,
                                                  const FacetClassInfo& info) -> std::shared_ptr<Facet> {
            if (name == QLatin1String("UIButtonFacet") || name == QLatin1String("UIIconFacet"))
                return std::make_shared<UIButtonFacet>(inspector, info);
            if (name == QLatin1String("UIKeyboardFacet"))
                return std::make_shared<UIKeyboardFacet>(inspector, info);
            return std::make_shared<UIControlFacet>(inspector, info);
        });
        pf::registerViewBuilder(name, [&kind](pf::Responder* owner) -> pf::View* {
            auto* facet = dynamic_cast<UIControlFacet*>(owner);
            return facet ? buildControlPanel(*facet, kind) : nullptr;
        });
    }
}
