// A tabbed window: the controller owns the tab models in order, the selection, the tab strip (whose
// delegate it is), and the tab operations (new, duplicate, close, close others, move to a new window,
// previous, next) with hooks around each that the document window fills (undo, bindings, layout).
//
// Every tabbed window controller is registered under an identifier ("1", "2", … from a process-wide
// counter) from its construction until its window closes or it goes; the tab strip finds the source of a
// dragged tab there.
//
// Selection: "selectedTabIndex" is NotFound until the first tab is added; a window with tabs always has
// a selection, and one whose last tab went has none. Every selection change is bracketed by a change
// notice of "selectedTabIndex", inside which selectedTabIndexWillChange (when a tab was selected) and
// selectedTabIndexDidChange run.
//
// Indexes that come from senders' tags, the strip or scripts are checked: one out of range does nothing
// and beeps. Main thread only.
#pragma once

#include "shell/IDEMainWindowController.h"
#include "shell/TKTabsList.h"
#include "shell/TabHost.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <vector>


namespace pf {
class MenuItem;
}

class TKMainWindowController : public IDEMainWindowController,
                               public TabHost,
                               public TKTabsListViewControllerDelegate {
public:
    explicit TKMainWindowController(QString windowNibName);
    ~TKMainWindowController() override;

    // ---- the registry ----
    static TKMainWindowController* windowControllerForIdentifier(const QString& identifier);
    static void addWindowController(TKMainWindowController* controller);
    static void removeWindowController(TKMainWindowController* controller);
    const QString& identifier() const { return identifier_; }
    // "<class 0x… identifier>".
    QString description() const;

    void windowWillClose() override;
    void windowDidLoad() override;
    // A TKMainWindow.
    QWidget* makeWindowWidget() override;
    // Makes the tab strip (once) and adds the tabs held so far again, keeping the selected index.
    void _setUpTabsListView();

    // ---- the class's kind of tab ----
    // The type of new tabs; none here.
    QString defaultType() const override { return {}; }
    // A new, empty model of the class of this window's tabs; none here.
    virtual std::shared_ptr<TKTabModel> makeTabModel() const { return nullptr; }
    // A new model of the type for this window's document; null, with the reason, when none can be made.
    std::shared_ptr<TKTabModel> makeTabModelOfType(const QString& type, QString* error) const;

    // ---- tabs ----
    const std::vector<std::shared_ptr<TKTabModel>>& tabModels() const override { return models_; }
    std::size_t numberOfTabs() const { return models_.size(); }
    // Null for an index out of range.
    std::shared_ptr<TKTabModel> tabModelAtIndex(std::size_t index) const;
    std::size_t indexOfTabModel(const TKTabModel* model) const;
    // The first tab showing that very object; NotFound when none does.
    std::size_t indexOfTabModelWithRepresentedObject(const pf::Object* object) const;

    void addTabModel(const std::shared_ptr<TKTabModel>& model);
    virtual void addTabModel(const std::shared_ptr<TKTabModel>& model, std::size_t index);
    virtual void removeTabModelAtIndex(std::size_t index);
    void removeTabModel(const std::shared_ptr<TKTabModel>& model) override;
    virtual void swapTabModelsAtIndex(std::size_t first, std::size_t second);
    virtual void duplicateTabModelAtIndex(std::size_t index);
    // A tab with a new represented object at index (beeps and logs when none can be made).
    void addTabModelAtIndex(std::size_t index) override;
    std::shared_ptr<TKTabModel> addTabWithRepresentedObject(std::shared_ptr<pf::Object> object, const QString& type,
                                                            QString* error) override;
    // True when no error was reported.
    bool addTabWithContentsOfURLString(const QString& URLString, const QString& type, QString* error);
    std::shared_ptr<TKTabModel> newTabModelWithContentsOfURLString(const QString& URLString, const QString& type,
                                                                   QString* error);
    std::shared_ptr<TKTabModel> newTabModelWithRepresentedObject(std::shared_ptr<pf::Object> object,
                                                                 const QString& type, QString* error);
    virtual std::shared_ptr<pf::Object> newRepresentedObjectWithContentsOfURLString(const QString& URLString,
                                                                                    const QString& type, QString* error);
    virtual QString nameForTabModels() const { return {}; }
    virtual QString newTitleForRepresentedObjectAtIndex(std::size_t index) const;
    QString localizedDisplayNameForTab() const;
    QString localizedDisplayNameForTabPlural() const;
    virtual std::shared_ptr<pf::Menu> contextMenuForTabModelAtIndex(std::size_t index);

    // ---- hooks ----
    virtual void willAddTabModelAtIndex(std::size_t) {}
    virtual void didAddTabModelAtIndex(std::size_t) {}
    virtual void willRemoveTabModelAtIndex(std::size_t) {}
    virtual void didRemoveTabModel() {}
    virtual void willSwapTabModelsAtIndex(std::size_t, std::size_t) {}
    virtual void didSwapTabModelsAtIndex(std::size_t, std::size_t) {}
    virtual void selectedTabIndexWillChange() {}
    virtual void selectedTabIndexDidChange() {}

    // ---- selection ----
    std::size_t selectedTabIndex() const { return selectedTabIndex_; }
    const std::shared_ptr<TKTabModel>& selectedTabModel() const { return selectedTabModel_; }
    // An index out of range selects the first tab; nothing happens in a window without tabs.
    void setSelectedTabIndex(std::size_t index);
    void selectTabAtIndex(std::size_t index) override { setSelectedTabIndex(index); }

    // ---- actions (a sender's tag carries a tab index; no sender means the selected tab) ----
    void newTab(const pf::MenuItem* sender = nullptr);
    void newBackgroundTab(const pf::MenuItem* sender = nullptr);
    void duplicateTab(const pf::MenuItem* sender = nullptr);
    void closeTab(const pf::MenuItem* sender = nullptr);
    void closeOtherTabs(const pf::MenuItem* sender = nullptr);
    void selectPreviousTab(const pf::MenuItem* sender = nullptr);
    void selectNextTab(const pf::MenuItem* sender = nullptr);
    void takeTabIndexToCloseFrom(const pf::MenuItem* sender);
    void takeTabIndexToDuplicateFrom(const pf::MenuItem* sender);
    void takeTabIndexToEditTitleFrom(const pf::MenuItem* sender);
    // Moves a copy of the tab into a new document's window; the source loses it as an ordinary removal.
    void takeTabIndexToMoveToNewWindowFrom(const pf::MenuItem* sender);
    // Asks first when userMustConfirmTabClose; the only tab closes the window.
    void closeTabAtIndex(std::size_t index);
    // Stepping to another tab, closing the others and moving one away need a second tab.
    bool validateMenuItem(const pf::MenuItem& item) const override;

    // ---- the confirmation sheet ----
    bool userMustConfirmTabClose() const { return userMustConfirmTabClose_; }
    void setUserMustConfirmTabClose(bool must) { userMustConfirmTabClose_ = must; }
    // The outlet; without one a plain question is made when needed. Not owned (the window holds it).
    QDialog* confirmTabCloseSheet() const { return confirmTabCloseSheet_; }
    void setConfirmTabCloseSheet(QDialog* sheet) { confirmTabCloseSheet_ = sheet; }
    void runConfirmTabCloseSheet(const pf::MenuItem* sender);
    // The sheet's buttons: ends the sheet with the button's tag (1 closes the tab).
    void orderOutConfirmTabCloseSheet(const pf::MenuItem* sender);
    void confirmTabCloseSheetDidEnd(int returnCode, std::optional<std::int64_t> contextTag);

    // ---- the tab strip ----
    bool hasSetUpTabsList() const { return hasSetUpTabsList_; }
    TKTabsList* tabsListViewController() const { return tabsList_.get(); }
    void reloadTabs() override;

    std::size_t numberOfTabsInTabsViewController(TKTabsList& controller) override;
    std::shared_ptr<TKTabModel> tabsViewControllerTabModelAtIndex(TKTabsList& controller, std::size_t index) override;
    std::shared_ptr<pf::Menu> tabsViewControllerContextMenuForTabModelAtIndex(TKTabsList& controller,
                                                                              std::size_t index) override;
    void tabsViewControllerDidSelectTabModelAtIndex(TKTabsList& controller, std::size_t index) override;
    void tabsViewControllerDidCloseTabModelAtIndex(TKTabsList& controller, std::size_t index) override;
    void tabsViewControllerWantsNewTab(TKTabsList& controller) override;

    // ---- the document's window ----
    CompositionDelegate* compositionDelegate() override { return nullptr; }
    const void* canvas() const override { return nullptr; }
    void synchronizeWindowTitleWithDocumentName() override;
    // The tabs changed in a way the window's saved state must record (a rename from the strip); none here.
    virtual void invalidateRestorableState() {}

private:
    // The index a sender names: its tag, or the selected index without a sender; NotFound for a negative tag.
    std::size_t indexFromSender(const pf::MenuItem* sender) const;
    bool isValidIndex(std::size_t index) const { return index < models_.size(); }
    // Removes the tab, or closes the window when it is the only one (the user's commands).
    void removeTabOrCloseWindow(std::size_t index);
    void clearSelection();
    QDialog* ensureConfirmTabCloseSheet();
    void registerActions();

    bool userMustConfirmTabClose_ = false;
    bool hasSetUpTabsList_ = false;
    QString identifier_;
    std::unique_ptr<TKTabsList> tabsList_;
    QPointer<QDialog> confirmTabCloseSheet_;
    std::size_t selectedTabIndex_;
    std::shared_ptr<TKTabModel> selectedTabModel_;
    std::vector<std::shared_ptr<TKTabModel>> models_;
};
