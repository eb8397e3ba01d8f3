// The inspector palette: a list of collapsible panels (facets) that edit the current selection. After
// every change of selection it chooses the panels afresh: each selected shape's kind names the facet classes
// that suit it, facets whose rule does not admit the selection as a whole drop out, facets of one group
// (collapsed key) compete and one wins, and the winners are shown by sort order. With nothing selected the
// list is empty and shows the hint "Inspector".
//
// The canvas view controller feeds it through InspectorPalette; the canvas is reached through the window
// (a provider the window installs; the selection's own canvas otherwise).
#pragma once

#include "canvas/CanvasServices.h"
#include "palettes/Facet.h"
#include "platform/kit/ScrollView.h"
#include "shell/IDEPaletteListView.h"
#include "shell/IDEPaletteViewController.h"
#include "shell/QVListView.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Canvas;
class Composition;
class Manipulator;

class InspectorViewController : public IDEPaletteViewController,
                                public InspectorPalette,
                                public QVListViewDataSource,
                                public QVListViewDelegate {
public:
    static constexpr char InterfaceFileName[] = "InspectorViewController";
    using FacetList = std::vector<std::shared_ptr<Facet>>;

    // Registers the palette's interface file (the palette view of the base).
    static void registerInterfaceFile();

    InspectorViewController();
    // Facets lose their back-reference first: one still held elsewhere must not reach a gone inspector.
    ~InspectorViewController() override;

    // Makes one facet of every class the inspector shows, then asks for an update.
    void viewDidLoad() override;

    // ---- fed by the canvas view controller ----
    void setSelectedComposition(Composition* page) override;
    // A new selection ends every panel's hold on the colour panel, and (once facets were chosen) asks
    // for an update.
    void setSelectedObject(Manipulator* selection) override;
    void setNeedsUpdate() override { IDEPaletteViewController::setNeedsUpdate(); }
    Composition* selectedComposition() const { return selectedComposition_.lock().get(); }
    Manipulator* selectedObject() const { return selectedObject_.get(); }

    // The facets on show in order; none before the first update and while nothing gives a list.
    const std::optional<FacetList>& facets() const { return facets_; }
    void setFacets(std::optional<FacetList> facets) { facets_ = std::move(facets); }
    const std::map<QString, std::shared_ptr<Facet>>& allFacets() const { return allFacets_; }
    Facet* facetNamed(const QString& name) const;
    const FacetList& fallbackGeometryFacets() const { return fallbackGeometryFacets_; }

    // Chooses the facets for the selection and reloads the list.
    void update() override;
    // The facets update() would choose, without storing them.
    std::optional<FacetList> chooseFacets() const;

    // A shown panel changed its height (a row appeared or went): the rows are laid out again on the next
    // turn, as the change comes while the list asks for its rows.
    void facetHeightDidChange();

    // The disclosure triangle of a row: toggles that facet only, and reloads.
    void disclosureButtonClicked(std::size_t index);

    // ---- the canvas of the window ----
    void setCanvasProvider(std::function<Canvas*()> provider) { canvasProvider_ = std::move(provider); }
    Canvas* canvas() const;
    bool isSelectionCompletelyUnlocked() const;
    bool isSelectionGrouped() const;

    // ---- list data source and delegate ----
    std::size_t numberOfItemsInListView(QVListView& list) override;
    QVListItem* listViewItemAtIndex(QVListView& list, std::size_t index) override;
    bool implements(Operation operation) const override;
    double listViewExtentForItemAtIndex(QVListView& list, std::size_t index) override;
    bool listViewCanDragItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&, bool*) override { return false; }

private:
    void reloadList();

    std::weak_ptr<Composition> selectedComposition_;
    std::shared_ptr<Manipulator> selectedObject_;
    std::optional<FacetList> facets_;
    std::map<QString, std::shared_ptr<Facet>> allFacets_;
    FacetList fallbackGeometryFacets_;
    std::function<Canvas*()> canvasProvider_;
    pf::DelayedCallOwner relayout_;
};
