#include "palettes/UIControlFacet.h"

#include "controls/EntryControls.h"
#include "controls/IconRenderer.h"
#include "controls/MenuModel.h"
#include "controls/UIControl.h"
#include "controls/UIControlItem.h"
#include "manipulators/Manipulator.h"
#include "palettes/FacetControls.h"
#include "palettes/InspectorCells.h"
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
constexpr double fieldX = 96;
constexpr double fieldWidth = 114;
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

pf::View* buildControlPanel(UIControlFacet& facet, const PanelKind& kind)
{
    constexpr double itemsHeight = 150;
    // Device, orientation, theme, tint, highlighted; then the kind's own rows.
    int rows = 5;
    if (kind.parts & IconPart)
        rows += 6;
    if (kind.parts & ItemIconSizePart)
        rows += 2;
    if (kind.parts & TablePart)
        rows += 3;
    if (kind.parts & (SensorPart | KeyboardPart))
        rows += 1;
    const double height = 6 + rows * rowStep + ((kind.parts & ItemsPart) ? itemsHeight + 6 : 0) + 4;
    pf::View* panel = makePanel(height);

    std::vector<QWidget*> enabled;
    double y = 6;
    const auto field = [&](const char* title) {
        if (title)
            label(panel, QString::fromUtf8(title), pf::Rect(labelX, y, fieldX - labelX - 2, 22));
        const pf::Rect frame(fieldX, y, fieldWidth, 22);
        y += rowStep;
        return frame;
    };
    const auto choice = [&](const char* title, const char* key, std::initializer_list<std::pair<const char*, int>> items) {
        QComboBox* box = popUp(facet, panel, field(title), selected(key), items);
        enabled.push_back(box);
        return box;
    };
    const auto check = [&](const char* title, const char* key) {
        QCheckBox* box = checkBox(facet, panel, field(nullptr), QString::fromUtf8(title), selected(key));
        enabled.push_back(box);
        return box;
    };

    QComboBox* device = choice("Device", "deviceType", {{"Phone", 0}, {"Pad", 1}});
    QComboBox* orientation = choice("Orientation", "deviceOrientation", {{"Portrait", 0}, {"Landscape", 1}});
    choice("Theme", "themeType", {{"Light", 0}, {"Dark", 1}});
    const pf::Rect tintFrame = field("Tint");
    auto* tint = new ColorButton(pf::Rect(tintFrame.x(), tintFrame.y(), 44, 22), panel);
    tint->setTag(909);
    tint->setAction([&facet](ColorButton& b) { facet.showColorPanel(b); });
    facet.setOutlet(QStringLiteral("tintColorButton"), tint);
    check("Highlighted", "highlighted");
    facet.setOutlet(QStringLiteral("deviceTypePopUpButton"), device);
    facet.setOutlet(QStringLiteral("deviceOrientationPopUpButton"), orientation);

    if (kind.parts & KeyboardPart) {
        choice("Keyboard", "keyboardType", {{"Standard", 0}, {"Numeric", 1}, {"Number Pad", 2}, {"Emoji", 3}});
        // The pop-ups write the selection first (connected before), then the keyboards refit.
        auto* keyboardFacet = dynamic_cast<UIKeyboardFacet*>(&facet);
        for (QComboBox* box : {device, orientation})
            QObject::connect(box, &QComboBox::activated, box, [keyboardFacet] {
                if (keyboardFacet)
                    keyboardFacet->deviceChanged();
            });
    }
    if (kind.parts & SensorPart)
        choice("Sensors", "sensorArrayType", {{"None", 0}, {"Notch", 1}});
    if (kind.parts & IconPart) {
        // Filled with every icon type when the panel has loaded (UIButtonFacet).
        facet.setOutlet(QStringLiteral("iconTypePopUpButton"), choice("Icon", "iconType", {}));
        field("Position");
        y -= 4;
        const pf::Rect strip(labelX, y, 200, 22);
        y += rowStep + 4;
        QWidget* position = segments(facet, panel, strip, selected("iconPosition"),
                                     {{"Centre", 0}, {"Left", 1}, {"Right", 2}, {"Above", 3}, {"Below", 4}},
                                     ButtonPositionSegmentedCell::drawSegment);
        facet.setOutlet(QStringLiteral("iconPositionControl"), position);
        enabled.push_back(position);
        choice("Icon Size", "iconSize", {{"Normal", 0}, {"Small", 1}});
        enabled.push_back(numberField(facet, panel, field("Margin"), selected("iconMargin"),
                                      NumberFormat{-100, 100, 0, 1, QStringLiteral(" pt")}));
        check("Border", "bordered");
    }
    if (kind.parts & ItemIconSizePart) {
        choice("Icon Size", "iconSize", {{"Normal", 0}, {"Small", 1}});
        check("Item Border", "highlightBorderEnabled");
    }
    if (kind.parts & TablePart) {
        enabled.push_back(numberField(facet, panel, field("Padding"), selected("cellPaddingWidth"),
                                      NumberFormat{0, 200, 0, 1, QStringLiteral(" pt")}));
        choice("Icon Size", "iconSize", {{"Normal", 0}, {"Small", 1}});
        enabled.push_back(numberField(facet, panel, field("Icon Margin"), selected("iconMargin"),
                                      NumberFormat{0, 200, 0, 1, QStringLiteral(" pt")}));
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

std::shared_ptr<UIControl> UIControlFacet::editedControl() const
{
    return std::dynamic_pointer_cast<UIControl>(edited_.shape());
}

void UIControlFacet::startObservingObject(Manipulator* selection)
{
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
    }
    // One control's items; several controls have no one list the table could show.
    const bool same = edited_.take(selection, QStringLiteral("controlItems"), [this] { controlItemChanged(); });
    if (ItemTable* table = tableView())
        table->showList(same);
}

void UIControlFacet::stopObservingObject(Manipulator*) { edited_.drop(); }

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
    const auto control = editedControl();
    return control ? control->controlItems().size() : 0;
}

std::shared_ptr<pf::Object> UIControlFacet::itemAtIndex(std::size_t index) const
{
    const auto control = editedControl();
    if (!control || index >= control->controlItems().size())
        return nullptr;
    return control->controlItems()[index];
}

std::shared_ptr<pf::Object> UIControlFacet::newItem() const
{
    const auto control = editedControl();
    return control ? control->makeControlItem() : nullptr;
}

std::shared_ptr<pf::Object> UIControlFacet::copyOfItem(const pf::Object& item) const
{
    const auto* controlItem = dynamic_cast<const UIControlItem*>(&item);
    return controlItem ? controlItem->copy() : nullptr;
}

std::int64_t UIControlFacet::maximumItemCount() const
{
    const auto control = editedControl();
    return control ? control->controlClass().maxControlItems() : 0;
}

std::int64_t UIControlFacet::minimumItemCount() const
{
    const auto control = editedControl();
    return control ? control->controlClass().minControlItems() : 0;
}

bool UIControlFacet::insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index)
{
    const auto control = editedControl();
    const auto* controlItem = dynamic_cast<const UIControlItem*>(item.get());
    return control && controlItem && control->insertControlItemAtIndex(*controlItem, index);
}

bool UIControlFacet::removeItemAtIndex(std::size_t index)
{
    const auto control = editedControl();
    return control && control->removeControlItemAtIndex(index);
}

bool UIControlFacet::setItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key)
{
    const auto control = editedControl();
    return control && control->setControlItemValueForKey(index, value, key);
}

pf::UndoManager* UIControlFacet::itemUndoManager() const
{
    const auto control = editedControl();
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
