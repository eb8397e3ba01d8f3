#include "palettes/Facet.h"

#include "canvas/Canvas.h"
#include "canvas/CanvasFieldEditorTextView.h"
#include "manipulators/Manipulator.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorViewController.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// Colour tags 901 to 911: the selection key each edits and the outlet that shows it.
struct ColorTag {
    int tag;
    const char* key;
    const char* outlet;
};

constexpr ColorTag colorTags[] = {
    {901, "fillColor", "fillColorButton"},
    {902, "fillGradientElements", "fillGradientControl"},
    {904, "strokeColor", "strokeColorButton"},
    {905, "strokeShadowColor", "shadowColorButton"},
    {906, "fillShadowColor", "shadowColorButton"},
    {907, "textColor", "textColorButton"},
    {908, "textShadowColor", "shadowColorButton"},
    {909, "tintColor", "tintColorButton"},
    {910, "stroke1Color", "stroke1ColorButton"},
    {911, "stroke2Color", "stroke2ColorButton"},
};

const QString gradientKey = QStringLiteral("fillGradientElements");
const QString selectedObjectKey = QStringLiteral("selectedObject");

} // namespace

FacetException::FacetException(const QString& reason) : std::runtime_error(reason.toStdString()), reason_(reason) {}

Facet::Facet(InspectorViewController* inspector, const FacetClassInfo& info)
    : facetName_(info.name),
      info_(info),
      inspector_(inspector),
      nibName_(info.nibName),
      title_(QCoreApplication::translate("Facet", info.title.toUtf8().constData())),
      collapsedKey_(info.collapsedKey),
      groupPriority_(info.groupPriority),
      sortOrder_(info.sortOrder)
{
}

Facet::~Facet()
{
    InspectorColorPanel::shared().resignTarget(this);
    textColorToken_ = {};
    selectionTokens_.clear();
    stopObservingColorButtons();
    bindings_.clear();
    // A content view that no row holds is the facet's.
    if (contentView_ && !contentView_->parentWidget())
        delete contentView_.data();
}

const pf::PropertyTable& Facet::propertyTable() const
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&pf::Object::properties());
        t.add(selectedObjectKey, pf::Property{[](const pf::Object& o) {
                                                  const auto& facet = static_cast<const Facet&>(o);
                                                  return pf::Variant(facet.selectedObject_);
                                              },
                                              {}});
        t.add(QStringLiteral("collapsed"), &Facet::isCollapsed, &Facet::setCollapsed);
        t.add(QStringLiteral("selectionCompletelyUnlocked"), &Facet::isSelectionCompletelyUnlocked);
        t.add(QStringLiteral("multipleSelection"), &Facet::hasMultipleSelection);
        t.add(QStringLiteral("sizeEditable"), &Facet::isSizeEditable);
        for (const char* key : {"selectionCompletelyUnlocked", "multipleSelection", "sizeEditable"})
            t.addDependency(QString::fromLatin1(key), {selectedObjectKey});
        return t;
    }();
    return table;
}

// ---- the content view ----

pf::View* Facet::contentView()
{
    if (!contentViewLoaded_)
        loadContentView();
    return contentView_;
}

void Facet::setContentView(pf::View* view)
{
    contentView_ = view;
}

void Facet::loadContentView()
{
    if (!nibName_.isEmpty()) {
        if (!pf::hasViewBuilder(nibName_))
            throw FacetException(QStringLiteral("Could not load nib named %1 in %2")
                                     .arg(nibName_, QStringLiteral("-[Facet loadContentView]")));
        pf::View* top = pf::loadViewNamed(nibName_, this);
        if (!contentView_)
            contentView_ = top;
        else if (top && top != contentView_ && !top->parentWidget())
            delete top;
        contentViewHeight_ = contentView_ ? contentView_->frame().height() : 0;
        facetcontrols::takeWheelOnlyWithFocus(contentView_);
        if (contentView_ && isCollapsed())
            contentView_->hide();
        startObservingColorButtons();
    } else {
        contentView_ = nullptr;
    }
    if (colorButtonForKey(QStringLiteral("textColor"))) {
        // Every canvas posts it; the handler keeps only this window's.
        textColorToken_ = pf::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(TextColorDidChangeNotification), nullptr,
            [this](const pf::Notification& n) { textColorDidChange(n); });
    }
    contentViewLoaded_ = true;
}

void Facet::setOutlet(const QString& name, QWidget* widget)
{
    outlets_[name] = widget;
}

QWidget* Facet::outlet(const QString& name) const
{
    const auto it = outlets_.find(name);
    return it == outlets_.end() ? nullptr : it->second.data();
}

// ---- collapsed state ----

bool Facet::isCollapsed() const
{
    return !collapsedKey_.isEmpty() && pf::UserDefaultsStore::standard().boolForKey(collapsedKey_);
}

void Facet::setCollapsed(bool collapsed)
{
    if (collapsed == isCollapsed() || collapsedKey_.isEmpty())
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("collapsed"));
    pf::UserDefaultsStore::standard().setBoolForKey(collapsed, collapsedKey_);
    if (contentView_)
        contentView_->setVisible(!collapsed);
}

bool Facet::displayForSelection(const SelectionDescriptor& selection) const
{
    return info_.admits(selection);
}

// ---- the selection ----

void Facet::setSelectedObject(const std::shared_ptr<Manipulator>& selection)
{
    selectionTokens_.clear();
    stopObservingObject(selectedObject_.get());
    const bool changed = selection != selectedObject_;
    {
        pf::ChangeNotice notice(*this, selectedObjectKey);
        selectedObject_ = selection;
    }
    // A new selection is not edited by a colour panel opened for the old one. The same selection handed
    // over again (every refresh of the list does) keeps the panel: the user may be dragging in it.
    if (changed)
        clearActiveButton();
    startObservingObject(selectedObject_.get());
}

void Facet::observeSelectedObjectKeyPaths(const QStringList& keyPaths)
{
    if (!selectedObject_)
        return;
    for (const QString& keyPath : keyPaths)
        selectionTokens_.push_back(
            selectedObject_->addObserver(keyPath, [this](pf::Object&, const QString& key, pf::ChangePhase phase) {
                if (phase == pf::ChangePhase::Did)
                    observeValueForSelectedObjectKeyPath(key);
            }));
}

void Facet::writeToSelection(const pf::Variant& value, const QString& keyPath)
{
    if (selectedObject_)
        selectedObject_->setValueForKeyPath(value, keyPath);
}

// ---- colour buttons ----

QString Facet::colorKeyForTag(int tag)
{
    for (const ColorTag& t : colorTags)
        if (t.tag == tag)
            return QString::fromLatin1(t.key);
    return {};
}

QString Facet::outletNameForColorKey(const QString& key)
{
    for (const ColorTag& t : colorTags)
        if (key == QLatin1String(t.key))
            return QString::fromLatin1(t.outlet);
    return {};
}

ColorButton* Facet::colorButtonForKey(const QString& key) const
{
    const QString name = outletNameForColorKey(key);
    return name.isEmpty() ? nullptr : dynamic_cast<ColorButton*>(outlet(name));
}

std::vector<ColorButton*> Facet::allColorButtons() const
{
    std::vector<ColorButton*> buttons;
    for (const ColorTag& t : colorTags) {
        auto* button = dynamic_cast<ColorButton*>(outlet(QString::fromLatin1(t.outlet)));
        if (button && std::find(buttons.begin(), buttons.end(), button) == buttons.end())
            buttons.push_back(button);
    }
    return buttons;
}

void Facet::startObservingColorButtons()
{
    stopObservingColorButtons();
    for (ColorButton* button : allColorButtons())
        colorButtonTokens_.push_back(button->observeDraggedColor([this](ColorButton& b) { draggedColorDidChange(b); }));
}

void Facet::stopObservingColorButtons()
{
    colorButtonTokens_.clear();
}

void Facet::draggedColorDidChange(ColorButton& button)
{
    // A dropped colour applies at once, whoever holds the colour panel; never to a locked shape.
    const QString key = colorKeyForButton(button);
    if (key.isEmpty() || !selectedObject_ || !isSelectionCompletelyUnlocked())
        return;
    writeToSelection(pf::Variant(button.draggedColor()), key);
}

void Facet::showColorPanel(const ColorPanelRequest& request)
{
    InspectorColorPanel& panel = InspectorColorPanel::shared();
    if (!request.on) {
        currentColorPanelKey_.clear();
        currentSelectedIndex_ = -1;
        panel.resignTarget(this);
        return;
    }
    for (ColorButton* button : allColorButtons())
        if (button != request.button)
            button->setState(false);
    const QString key = colorKeyForTag(request.tag);
    if (key != currentColorPanelKey_)
        currentColorPanelKey_.clear();

    panel.setPickerMask(65535);
    panel.setShowsAlpha(true);
    panel.orderFront();

    // Only one colour button of the whole inspector is on.
    for (Facet* peer : peerFacets()) {
        peer->setCurrentColorPanelKey({});
        for (ColorButton* button : peer->allColorButtons())
            button->setState(false);
    }

    // Loading the colour must send nothing.
    panel.setTarget(nullptr);
    if (key == gradientKey) {
        const pf::Variant elements = selectedObject_ ? selectedObject_->valueForKeyPath(key) : pf::Variant();
        const pf::VariantArray* array = elements.array();
        if (array && !array->empty()) {
            if (request.selectedIndex >= 0 && request.selectedIndex < std::int64_t(array->size())) {
                const pf::VariantMap* element = (*array)[std::size_t(request.selectedIndex)].map();
                const auto color = element ? element->find(QStringLiteral("color")) : pf::VariantMap::const_iterator();
                if (element && color != element->end())
                    if (const auto c = color->second.get<pf::OptionalColor>(); c && *c)
                        panel.setColor(**c);
            }
            currentSelectedIndex_ = request.selectedIndex;
        } else {
            currentSelectedIndex_ = -1;
        }
    } else {
        currentSelectedIndex_ = -1;
        if (selectedObject_ && !key.isEmpty())
            if (const auto c = selectedObject_->valueForKeyPath(key).get<pf::OptionalColor>(); c && *c)
                panel.setColor(**c);
    }
    panel.setTarget(this);
    currentColorPanelKey_ = key;
}

void Facet::changeColor(InspectorColorPanel& panel)
{
    if (currentColorPanelKey_.isEmpty() || !selectedObject_)
        return;
    Canvas* canvas = inspector_ ? inspector_->canvas() : nullptr;
    if (canvas && canvas->isEditingText()) {
        // The text being edited takes a text colour itself; its editor's notice brings it back here.
        if (currentColorPanelKey_ == QLatin1String("textColor") && canvas->hasFieldEditor())
            canvas->fieldEditor().changeColor(panel.color());
        return;
    }
    // The colour controls of a locked selection are disabled; the panel must not edit it either.
    if (!isSelectionCompletelyUnlocked())
        return;

    // A cached gradient is dropped, where the selection keeps one.
    const QString cachedGradient = QStringLiteral("gradient");
    const auto& children = selectedObject_->children();
    if (selectedObject_->propertyTable().find(cachedGradient)
        || (!children.empty() && children.front()->propertyTable().find(cachedGradient)))
        writeToSelection(pf::Variant(), cachedGradient);
    if (currentColorPanelKey_ == gradientKey) {
        const pf::Variant elements = selectedObject_->valueForKeyPath(gradientKey);
        if (const pf::VariantArray* array = elements.array();
            array && currentSelectedIndex_ >= 0 && currentSelectedIndex_ < std::int64_t(array->size())) {
            pf::VariantArray changed = *array;
            if (const pf::VariantMap* element = changed[std::size_t(currentSelectedIndex_)].map()) {
                pf::VariantMap edited = *element;
                edited[QStringLiteral("color")] = panel.color();
                changed[std::size_t(currentSelectedIndex_)] = pf::Variant(std::move(edited));
                writeToSelection(pf::Variant(std::move(changed)), gradientKey);
            }
        }
    } else {
        writeToSelection(pf::Variant(panel.color()), currentColorPanelKey_);
    }
    selectedObject_->setNeedsDisplay();
}

void Facet::clearActiveButton()
{
    currentColorPanelKey_.clear();
    currentSelectedIndex_ = -1;
    for (ColorButton* button : allColorButtons())
        button->setState(false);
}

bool Facet::isOnShowAndExpanded() const
{
    if (!inspector_ || isCollapsed())
        return false;
    const auto& shown = inspector_->facets();
    return shown && std::find_if(shown->begin(), shown->end(), [this](const auto& f) { return f.get() == this; }) !=
                        shown->end();
}

void Facet::textColorDidChange(const pf::Notification& notification)
{
    // Another window's editor, or a facet not on show, must not recolour this selection.
    const Canvas* canvas = inspector_ ? inspector_->canvas() : nullptr;
    if (!canvas || notification.object != static_cast<const void*>(canvas) || !isOnShowAndExpanded())
        return;
    // The editor names the colour it took; a notice without one means the panel's.
    const auto named = notification.userInfo.find(QStringLiteral("color"));
    const pf::Color color = named != notification.userInfo.end()
                                ? named->second.get<pf::OptionalColor>().value_or(std::nullopt).value_or(
                                      InspectorColorPanel::shared().color())
                                : InspectorColorPanel::shared().color();
    if (ColorButton* button = colorButtonForKey(QStringLiteral("textColor")))
        button->setColor(color);
    if (selectedObject_)
        writeToSelection(pf::Variant(color), QStringLiteral("textColor"));
}

// ---- the inspector and the selection ----

std::vector<Facet*> Facet::peerFacets() const
{
    std::vector<Facet*> peers;
    if (!inspector_)
        return peers;
    for (const auto& [name, facet] : inspector_->allFacets())
        if (facet.get() != this)
            peers.push_back(facet.get());
    return peers;
}

bool Facet::isSelectionCompletelyUnlocked() const
{
    return inspector_ ? inspector_->isSelectionCompletelyUnlocked() : true;
}

bool Facet::hasMultipleSelection() const
{
    return selectedObject_ && selectedObject_->hasMultiple();
}

bool Facet::isSizeEditable() const
{
    return selectedObject_ && selectedObject_->isSizeEditable();
}
