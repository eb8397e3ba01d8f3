#include "palettes/InspectorViewController.h"

#include "canvas/Canvas.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorListItem.h"
#include "palettes/SelectionDescriptor.h"
#include "platform/kit/Services.h"
#include "platform/kit/ViewBuilders.h"
#include "shell/IDEPaletteListView.h"

#include <QCoreApplication>

#include <algorithm>
#include <set>

namespace {

const QString geometryGroupKey = QStringLiteral("InspectorGeometryFacetCollapsed");

template <class T>
std::shared_ptr<T> heldPointer(T* object)
{
    if (!object)
        return nullptr;
    return std::static_pointer_cast<T>(object->weak_from_this().lock());
}

} // namespace

void InspectorViewController::registerInterfaceFile()
{
    pf::registerViewBuilder(QString::fromLatin1(InterfaceFileName), &IDEPaletteViewController::buildPaletteView);
}

InspectorViewController::InspectorViewController() : IDEPaletteViewController(QString::fromLatin1(InterfaceFileName)) {}

InspectorViewController::~InspectorViewController()
{
    if (listView()) {
        listView()->setDataSource(nullptr);
        listView()->setDelegate(nullptr);
    }
    for (const auto& [name, facet] : allFacets_)
        facet->setInspector(nullptr);
}

void InspectorViewController::viewDidLoad()
{
    IDEPaletteViewController::viewDidLoad();
    std::map<QString, std::shared_ptr<Facet>> made;
    for (const QString& name : FacetRegistry::inspectorFacetNames())
        if (auto facet = FacetRegistry::makeFacet(name, this))
            made[facet->facetName()] = std::move(facet);
    allFacets_ = std::move(made);
    fallbackGeometryFacets_.clear();
    if (auto it = allFacets_.find(QStringLiteral("GeometryNoConstrainNoRotationFacet")); it != allFacets_.end())
        fallbackGeometryFacets_.push_back(it->second);
    if (IDEPaletteListView* list = listView()) {
        list->setBackgroundColor(pf::Color(0.97, 0.97, 0.97, 1));
        list->setDataSource(this);
        list->setDelegate(this);
    }
    setNeedsUpdate();
}

Facet* InspectorViewController::facetNamed(const QString& name) const
{
    const auto it = allFacets_.find(name);
    return it == allFacets_.end() ? nullptr : it->second.get();
}

void InspectorViewController::setSelectedComposition(Composition* page)
{
    selectedComposition_ = heldPointer(page);
}

void InspectorViewController::setSelectedObject(Manipulator* selection)
{
    if (selection == selectedObject_.get())
        return;
    // The colour panel edits only the selection it was opened for: a panel no longer listed, or collapsed,
    // never gets the next hand-over that would end its hold.
    for (const auto& [name, facet] : allFacets_) {
        facet->clearActiveButton();
        InspectorColorPanel::shared().resignTarget(facet.get());
    }
    selectedObject_ = heldPointer(selection);
    if (facets_)
        setNeedsUpdate();
}

std::optional<InspectorViewController::FacetList> InspectorViewController::chooseFacets() const
{
    std::optional<FacetList> list;
    const Manipulator* selection = selectedObject_.get();
    if (selection && !selection->children().empty()) {
        SelectionDescriptor descriptor;
        descriptor.hasMultiple = selection->hasMultiple();
        descriptor.hasMixed = selection->hasMixed();
        std::set<QString> names;
        for (const auto& shape : selection->children()) {
            for (const QString& name : shape->shapeClass().facetClassNames())
                names.insert(name);
            if (!shape->isPointer())
                descriptor.hasShape = true;
            if (shape->isLine())
                descriptor.hasLine = true;
        }
        std::map<QString, FacetList> groups;
        for (const QString& name : names) {
            const auto it = allFacets_.find(name);
            if (it == allFacets_.end())
                continue;
            if (it->second->displayForSelection(descriptor))
                groups[it->second->collapsedKey()].push_back(it->second);
        }
        // A selection whose own geometry panels all dropped out still gets the rotation-free one.
        if (!names.empty() && !groups.count(geometryGroupKey))
            groups[geometryGroupKey] = fallbackGeometryFacets_;
        list.emplace();
        const bool mixed = selection->hasMixed();
        for (auto& [key, group] : groups) {
            if (group.empty())
                continue;
            std::stable_sort(group.begin(), group.end(),
                             [](const auto& a, const auto& b) { return a->groupPriority() < b->groupPriority(); });
            list->push_back(mixed ? group.front() : group.back());
        }
    } else if (Composition* page = selectedComposition()) {
        const QStringList names = page->instanceFacetClassNames();
        if (!names.isEmpty()) {
            list.emplace();
            for (const QString& name : names)
                if (auto it = allFacets_.find(name); it != allFacets_.end())
                    list->push_back(it->second);
        }
    }
    if (list)
        std::stable_sort(list->begin(), list->end(),
                         [](const auto& a, const auto& b) { return a->sortOrder() < b->sortOrder(); });
    return list;
}

void InspectorViewController::update()
{
    facets_ = chooseFacets();
    reloadList();
}

void InspectorViewController::reloadList()
{
    if (!listView())
        return;
    try {
        listView()->reloadData();
    } catch (const QVListViewDataSourceException& e) {
        pf::logMessage(e.logLine());
    }
}

void InspectorViewController::facetHeightDidChange()
{
    const QString tag = QStringLiteral("facetHeightDidChange");
    relayout_.cancelPreviousPerformRequests(tag);
    relayout_.performAfterDelay([this] { reloadList(); }, pf::Nanoseconds(0), tag);
}

void InspectorViewController::disclosureButtonClicked(std::size_t index)
{
    if (!facets_ || index >= facets_->size())
        return;
    Facet& facet = *(*facets_)[index];
    facet.setCollapsed(!facet.isCollapsed());
    reloadList();
}

Canvas* InspectorViewController::canvas() const
{
    if (canvasProvider_)
        return canvasProvider_();
    return selectedObject_ ? dynamic_cast<Canvas*>(selectedObject_->canvas()) : nullptr;
}

bool InspectorViewController::isSelectionCompletelyUnlocked() const
{
    if (const Canvas* c = canvas())
        return c->isSelectionCompletelyUnlocked();
    // Without a canvas, the selection in hand answers.
    if (!selectedObject_)
        return true;
    const auto& children = selectedObject_->children();
    return std::none_of(children.begin(), children.end(), [](const auto& s) { return s->isLocked(); });
}

bool InspectorViewController::isSelectionGrouped() const
{
    const Canvas* c = canvas();
    return c && c->isSelectionGrouped();
}

// ---- list data source and delegate ----

std::size_t InspectorViewController::numberOfItemsInListView(QVListView& list)
{
    const std::size_t count = facets_ ? facets_->size() : 0;
    if (auto* palette = dynamic_cast<IDEPaletteListView*>(&list))
        palette->setHintText(count == 0 ? QCoreApplication::translate("InspectorViewController", "Inspector")
                                        : QString());
    return count;
}

QVListItem* InspectorViewController::listViewItemAtIndex(QVListView& list, std::size_t index)
{
    auto* item = dynamic_cast<InspectorListItem*>(list.dequeueReusableItemWithIdentifier(
        InspectorListItem::reuseIdentifierName()));
    if (!item)
        item = new InspectorListItem();
    if (!facets_ || index >= facets_->size()) {
        item->setFacet(nullptr);
        return item;
    }
    Facet& facet = *(*facets_)[index];
    // Only an expanded panel follows the selection; a collapsed one is handed nothing until it opens.
    if (!facet.isCollapsed())
        facet.setSelectedObject(selectedObject_);
    item->setFacet(&facet);
    item->setLast(index + 1 == facets_->size());
    item->disclosureButton()->setTag(index);
    item->disclosureButton()->setAction(
        [this](InspectorListItem::DisclosureButton& button) { disclosureButtonClicked(button.tag()); });
    item->setNeedsDisplay();
    return item;
}

bool InspectorViewController::implements(Operation operation) const
{
    return operation == Operation::ExtentForItemAtIndex || operation == Operation::CanDragItemsAtIndexes;
}

double InspectorViewController::listViewExtentForItemAtIndex(QVListView&, std::size_t index)
{
    if (!facets_ || index >= facets_->size())
        return InspectorListItem::defaultHeight;
    Facet& facet = *(*facets_)[index];
    if (facet.isCollapsed() || !facet.contentView())
        return InspectorListItem::defaultHeight;
    return InspectorListItem::defaultHeight + facet.contentViewHeight();
}
