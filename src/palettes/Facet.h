// One collapsible panel of the inspector. A facet loads its content view from the builder of its interface
// file on first request, keeps its collapsed state in the user defaults under its collapsed key (shared by
// every facet of that key and every window), is handed the selection by the inspector when its row is
// shown expanded, and drives the colour buttons of its panel with the one shared colour panel.
//
// A facet reads and writes the selection only through the selection object it is handed: reads answer the
// value common to the selected shapes (null when they differ), writes go to every selected shape, each
// recording its own undo. Panel controls bind to "selectedObject.<key path>" of the facet (pf::Binding).
//
// Every facet class is listed in the registry (FacetRegistry.h) with its title, interface file, collapsed
// key, order and display rule; a class with code of its own registers a maker for its name there.
#pragma once

#include "palettes/ColorButton.h"
#include "palettes/InspectorColorPanel.h"
#include "palettes/SelectionDescriptor.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Binding.h"
#include "platform/kit/Responder.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

class InspectorViewController;
class Manipulator;
struct FacetClassInfo;
namespace pf {
class View;
}

// A facet whose interface file has no builder: a programming error.
class FacetException : public std::runtime_error {
public:
    explicit FacetException(const QString& reason);
    static constexpr char name[] = "FacetException";
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

class Facet : public pf::Object, public pf::Responder, public InspectorColorPanel::Target {
public:
    // Posted by the canvas's in-place text editor, with the canvas as object, when the colour panel
    // recolours the text being edited.
    static constexpr char TextColorDidChangeNotification[] = "TextColorDidChangeNotification";

    // The facet of a registered class, set up from its registry entry; the inspector is not held.
    Facet(InspectorViewController* inspector, const FacetClassInfo& info);
    ~Facet() override;

    const pf::PropertyTable& propertyTable() const override;

    // The class name under which the inspector keeps the facet and shapes list it.
    const QString& facetName() const { return facetName_; }

    bool isDisabled() const { return disabled_; }
    void setDisabled(bool disabled) { disabled_ = disabled; }
    InspectorViewController* inspector() const { return inspector_; }
    void setInspector(InspectorViewController* inspector) { inspector_ = inspector; }
    const QString& nibName() const { return nibName_; }
    void setNibName(const QString& name) { nibName_ = name; }
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    const QString& collapsedKey() const { return collapsedKey_; }
    void setCollapsedKey(const QString& key) { collapsedKey_ = key; }
    double contentViewHeight() const { return contentViewHeight_; }
    void setContentViewHeight(double height) { contentViewHeight_ = height; }
    std::int64_t groupPriority() const { return groupPriority_; }
    void setGroupPriority(std::int64_t priority) { groupPriority_ = priority; }
    std::int64_t sortOrder() const { return sortOrder_; }
    void setSortOrder(std::int64_t order) { sortOrder_ = order; }

    // ---- the content view ----
    // Loads the interface file on first request; null for a facet without one.
    pf::View* contentView();
    // Set by the interface file's builder (the view it answers otherwise).
    void setContentView(pf::View* view);
    bool isContentViewLoaded() const { return contentViewLoaded_; }
    void setContentViewLoaded(bool loaded) { contentViewLoaded_ = loaded; }
    // Builds the view from the builder named by nibName; raises FacetException when there is none.
    virtual void loadContentView();
    QWidget* firstKeyView() const { return firstKeyView_; }
    void setFirstKeyView(QWidget* view) { firstKeyView_ = view; }
    QWidget* lastKeyView() const { return lastKeyView_; }
    void setLastKeyView(QWidget* view) { lastKeyView_ = view; }

    // Outlets by name, set by the builder ("fillColorButton" and the like); null when unset or gone.
    void setOutlet(const QString& name, QWidget* widget);
    QWidget* outlet(const QString& name) const;
    // The bindings of the panel's controls, made by the builder; dropped with the facet.
    pf::BindingSet& bindings() { return bindings_; }

    // ---- collapsed state, in the user defaults ----
    bool isCollapsed() const;
    // Stores the state (only when it differs) and hides or shows the content view.
    void setCollapsed(bool collapsed);

    // Whether the facet suits the selection as a whole; by the class's rule in the registry.
    virtual bool displayForSelection(const SelectionDescriptor& selection) const;

    // ---- the selection ----
    Manipulator* selectedObject() const { return selectedObject_.get(); }
    // Hands the selection over, even the one already held, so the panel reads its state again: stops
    // observing the old one, observes the new one; a new one ends the panel's hold on the colour panel.
    void setSelectedObject(const std::shared_ptr<Manipulator>& selection);
    // Hooks, empty here: observe chosen key paths of the selection; refresh controls when one changes.
    virtual void startObservingObject(Manipulator* selection) { (void)selection; }
    virtual void stopObservingObject(Manipulator* selection) { (void)selection; }
    virtual void observeValueForSelectedObjectKeyPath(const QString& keyPath) { (void)keyPath; }
    // For startObservingObject: each change of these key paths of the selection reaches
    // observeValueForSelectedObjectKeyPath until the next hand-over.
    void observeSelectedObjectKeyPaths(const QStringList& keyPaths);

    // ---- colour buttons and the shared colour panel ----
    // The panel's colour buttons: the colour outlets of the tag table that are set.
    virtual std::vector<ColorButton*> allColorButtons() const;
    // The key a colour tag edits (none outside 901 to 911, or for 903), and the outlet that edits a key.
    static QString colorKeyForTag(int tag);
    static QString outletNameForColorKey(const QString& key);
    QString colorKeyForButton(const ColorButton& button) const { return colorKeyForTag(button.tag()); }
    ColorButton* colorButtonForTag(int tag) const { return colorButtonForKey(colorKeyForTag(tag)); }
    ColorButton* colorButtonForKey(const QString& key) const;
    void startObservingColorButtons();
    void stopObservingColorButtons();

    // A colour control asks for the panel: its tag, its state after the click, and for the gradient
    // control the element chosen in it.
    struct ColorPanelRequest {
        int tag = 0;
        bool on = false;
        std::int64_t selectedIndex = -1;
        ColorButton* button = nullptr;
    };
    void showColorPanel(const ColorPanelRequest& request);
    // The action of every colour button.
    void showColorPanel(ColorButton& sender) { showColorPanel({sender.tag(), sender.state(), -1, &sender}); }
    // The panel's colour, to the key the facet holds the panel for. Nothing without a key, while the
    // selection is edited in place (the editor takes the colour) or while a selected shape is locked.
    void changeColor(InspectorColorPanel& panel) override;
    // Gives the panel up: no key, no element, every colour button off.
    void clearActiveButton();
    // The in-place editor's colour change; only the canvas of this facet's window counts, and only while
    // the facet is on show and expanded.
    void textColorDidChange(const pf::Notification& notification);

    const QString& currentColorPanelKey() const { return currentColorPanelKey_; }
    void setCurrentColorPanelKey(const QString& key) { currentColorPanelKey_ = key; }
    std::int64_t currentSelectedIndex() const { return currentSelectedIndex_; }
    void setCurrentSelectedIndex(std::int64_t index) { currentSelectedIndex_ = index; }

    // ---- the inspector and the selection, for panels and their bindings ----
    // Panels bind enabled states to the keys "selectionCompletelyUnlocked", "multipleSelection" and
    // "sizeEditable", which follow every hand-over.
    // Every other facet of the inspector.
    std::vector<Facet*> peerFacets() const;
    // No selected shape is locked (true without an inspector's canvas).
    bool isSelectionCompletelyUnlocked() const;
    bool hasMultipleSelection() const;
    bool isSizeEditable() const;

private:
    void draggedColorDidChange(ColorButton& button);
    void writeToSelection(const pf::Variant& value, const QString& keyPath);
    // The facet is among the inspector's rows and expanded.
    bool isOnShowAndExpanded() const;

    QString facetName_;
    const FacetClassInfo& info_;
    bool disabled_ = false;
    bool contentViewLoaded_ = false;
    InspectorViewController* inspector_ = nullptr;
    QString nibName_;
    QString title_;
    QString collapsedKey_;
    double contentViewHeight_ = 0;
    QPointer<QWidget> firstKeyView_;
    QPointer<QWidget> lastKeyView_;
    std::shared_ptr<Manipulator> selectedObject_;
    QString currentColorPanelKey_;
    std::int64_t currentSelectedIndex_ = -1;
    std::int64_t groupPriority_ = 0;
    std::int64_t sortOrder_ = 0;
    QPointer<pf::View> contentView_;
    std::map<QString, QPointer<QWidget>> outlets_;
    pf::BindingSet bindings_;
    std::vector<pf::ObserverToken> colorButtonTokens_;
    std::vector<pf::ObservationToken> selectionTokens_;
    pf::NotificationToken textColorToken_;
};
