// The filter panel: the ordered content filters of one selected shape in an item table (enabled, type
// from the "FilterInfos" catalogue, slider value), with add and remove buttons and row drags.
//
// The panel edits the shape it was handed, never a list of its own: every edit hands the shape a new list
// (its one undoable setter, "Change Filter"), so undo and redo act on that shape and rebuild its filtered
// picture whatever is selected by then. The filters in a shape's list are never changed in place; an edit
// replaces the filter it changes by an edited copy.
#pragma once

#include "model/FilterInfo.h"
#include "palettes/Facet.h"
#include "palettes/FacetItemTable.h"

#include <memory>

class Shape;

class FilterFacet : public Facet, public ItemTableOwner {
public:
    // The row drag's pasteboard type (distinct from the control items' type).
    static constexpr char RowPasteboardType[] = "com.thistlewick.plovix.controlItem.index";

    FilterFacet(InspectorViewController* inspector, const FacetClassInfo& info);
    ~FilterFacet() override;

    void startObservingObject(Manipulator* selection) override;
    void stopObservingObject(Manipulator* selection) override;

    // The catalogue, taken when the facet is made.
    const FilterInfo::Catalogue& allFilterInfos() const { return allFilterInfos_; }
    // The shape whose filters the panel shows; null without exactly one selected shape.
    std::shared_ptr<Shape> editedShape() const { return edited_.shape(); }
    ItemTable* tableView() const;

    // The add and remove buttons.
    void insertFilterSpec();
    void removeFilterSpec();
    // The edited shape's list changed (by the panel, undo, or anyone): the table shows it again.
    void filterChanged();

    // ---- ItemTableOwner ----
    bool hasItemList() const override { return !edited_.isEmpty(); }
    std::size_t itemCount() const override;
    std::shared_ptr<pf::Object> itemAtIndex(std::size_t index) const override;
    std::shared_ptr<pf::Object> newItem() const override;
    std::shared_ptr<pf::Object> copyOfItem(const pf::Object& item) const override;
    // The settings' "MaxFiltersPerObject".
    std::int64_t maximumItemCount() const override;
    bool insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index) override;
    bool removeItemAtIndex(std::size_t index) override;
    bool setItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key) override;
    pf::UndoManager* itemUndoManager() const override;
    std::pair<double, double> sliderRangeForItem(std::size_t index) const override;
    bool sliderEnabledForItem(std::size_t index) const override;

    // Registers the facet and the builder of its interface file.
    static void registerFacet();

private:
    FilterInfo::Catalogue allFilterInfos_;
    EditedListObject edited_;
};
