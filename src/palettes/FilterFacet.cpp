#include "palettes/FilterFacet.h"

#include "manipulators/Manipulator.h"
#include "model/Shape.h"
#include "model/UserDefaults.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QTableView>

namespace {

constexpr double tableHeight = 124;

pf::View* buildFilterPanel(FilterFacet& facet)
{
    pf::View* panel = facetcontrols::makePanel(tableHeight + 12);
    ItemTableColumn type{QStringLiteral("type"), QStringLiteral("Filter"), ItemTableColumn::Kind::Choice, 96, {}};
    for (const auto& info : facet.allFilterInfos())
        type.choices.emplace_back(info->localizedName(), std::int64_t(info->type()));
    auto* table = new ItemTable(facet, pf::Rect(10, 6, 200, tableHeight),
                                {{QStringLiteral("enabled"), QStringLiteral("On"), ItemTableColumn::Kind::Check, 30, {}},
                                 std::move(type),
                                 {QStringLiteral("sliderValue"), QStringLiteral("Value"), ItemTableColumn::Kind::Slider, 70, {}}},
                                QString::fromLatin1(FilterFacet::RowPasteboardType), panel);
    table->setAddEnabledTransformer(QStringLiteral("QVCollectionCountIsLessThanFilterMax"));
    table->setRemoveEnabledTransformer(QStringLiteral("QVCollectionCountIsGreaterThanZero"));
    facet.setOutlet(QStringLiteral("tableView"), table);
    facet.setFirstKeyView(table->tableView());
    return panel;
}

} // namespace

FilterFacet::FilterFacet(InspectorViewController* inspector, const FacetClassInfo& info)
    : Facet(inspector, info), allFilterInfos_(FilterInfo::allFilterInfos())
{
}

FilterFacet::~FilterFacet() = default;

ItemTable* FilterFacet::tableView() const { return dynamic_cast<ItemTable*>(outlet(QStringLiteral("tableView"))); }

void FilterFacet::startObservingObject(Manipulator* selection)
{
    // One shape's list: the facet is not offered for several, and a list of several is none of theirs.
    const bool same = edited_.take(selection, QStringLiteral("contentFilterSpecs"), [this] { filterChanged(); });
    if (ItemTable* table = tableView())
        table->showList(same);
}

void FilterFacet::stopObservingObject(Manipulator*) { edited_.drop(); }

void FilterFacet::insertFilterSpec()
{
    if (ItemTable* table = tableView())
        table->addItem();
    else if (ItemArrayController controller(*this); controller.add())
        filterChanged();
}

void FilterFacet::removeFilterSpec()
{
    if (ItemTable* table = tableView())
        table->removeItem();
    else if (ItemArrayController controller(*this); controller.remove())
        filterChanged();
}

void FilterFacet::filterChanged()
{
    if (ItemTable* table = tableView())
        table->reload();
    // The shape draws from a picture made with its filters: make it again and show it.
    if (const auto shape = edited_.shape())
        shape->update();
}

std::size_t FilterFacet::itemCount() const
{
    const auto shape = edited_.shape();
    return shape ? shape->contentFilterSpecs().size() : 0;
}

std::shared_ptr<pf::Object> FilterFacet::itemAtIndex(std::size_t index) const
{
    const auto shape = edited_.shape();
    if (!shape || index >= shape->contentFilterSpecs().size())
        return nullptr;
    return shape->contentFilterSpecs()[index];
}

std::shared_ptr<pf::Object> FilterFacet::newItem() const { return FilterSpec::filterSpec(); }

std::shared_ptr<pf::Object> FilterFacet::copyOfItem(const pf::Object& item) const
{
    const auto* spec = dynamic_cast<const FilterSpec*>(&item);
    return spec ? spec->copy() : nullptr;
}

std::int64_t FilterFacet::maximumItemCount() const { return UserDefaults::instance().maxFiltersPerObject(); }

bool FilterFacet::insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index)
{
    const auto shape = edited_.shape();
    auto spec = std::dynamic_pointer_cast<FilterSpec>(item);
    if (!shape || !spec || index > shape->contentFilterSpecs().size())
        return false;
    FilterSpecs specs = shape->contentFilterSpecs();
    specs.insert(specs.begin() + std::ptrdiff_t(index), std::move(spec));
    shape->setContentFilterSpecs(std::move(specs));
    return true;
}

bool FilterFacet::removeItemAtIndex(std::size_t index)
{
    const auto shape = edited_.shape();
    if (!shape || index >= shape->contentFilterSpecs().size())
        return false;
    FilterSpecs specs = shape->contentFilterSpecs();
    specs.erase(specs.begin() + std::ptrdiff_t(index));
    shape->setContentFilterSpecs(std::move(specs));
    return true;
}

bool FilterFacet::setItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key)
{
    const auto shape = edited_.shape();
    if (!shape || index >= shape->contentFilterSpecs().size()
        || (key != QLatin1String("enabled") && key != QLatin1String("type") && key != QLatin1String("sliderValue")))
        return false;
    const FilterSpec& current = *shape->contentFilterSpecs()[index];
    if (current.valueForKey(key) == value)
        return false;
    // The filter in the list stays as it was (undo hands it back); the list takes an edited copy.
    std::shared_ptr<FilterSpec> edited = current.copy();
    edited->setValueForKey(value, key);
    FilterSpecs specs = shape->contentFilterSpecs();
    specs[index] = std::move(edited);
    shape->setContentFilterSpecs(std::move(specs));
    return true;
}

pf::UndoManager* FilterFacet::itemUndoManager() const
{
    const auto shape = edited_.shape();
    return shape ? shape->undoManager() : nullptr;
}

std::pair<double, double> FilterFacet::sliderRangeForItem(std::size_t index) const
{
    const auto spec = std::dynamic_pointer_cast<FilterSpec>(itemAtIndex(index));
    return spec ? std::pair{spec->minSliderValue(), spec->maxSliderValue()} : std::pair{0.0, 1.0};
}

bool FilterFacet::sliderEnabledForItem(std::size_t index) const
{
    const auto spec = std::dynamic_pointer_cast<FilterSpec>(itemAtIndex(index));
    return spec && spec->sliderEnabled();
}

void FilterFacet::registerFacet()
{
    FacetRegistry::registerMaker(QStringLiteral("FilterFacet"), [](InspectorViewController* inspector,
                                                                   const FacetClassInfo& info) {
        return std::make_shared<FilterFacet>(inspector, info);
    });
    pf::registerViewBuilder(QStringLiteral("FilterFacet"), [](pf::Responder* owner) -> pf::View* {
        auto* facet = dynamic_cast<FilterFacet*>(owner);
        return facet ? buildFilterPanel(*facet) : nullptr;
    });
}
