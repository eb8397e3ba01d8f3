// The preferences window: a registry of panes declared in the application's information dictionary
// ("OFRegistrations" → "OAPreferenceController": pane class name → description), and one window
// controller that shows one pane at a time under a toolbar of one exclusive button per pane (no toolbar for
// a single pane). The window keeps its top edge as it fits each pane, remembers its frame under
// "Preferences", and resets settings on request: the current pane's, every pane's (Alt), or every setting
// of the application, window frames included (Alt+Shift), each after a window-modal question.
//
// An overview of all panes (one icon grid per category) can be built and shown in place of a pane; the
// toolbar does not offer it.
//
// Main thread only. The shared controller and its panes live for the process.
#pragma once

#include "platform/docs/WindowController.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QPointer>
#include <QString>
#include <QToolBar>

#include <map>
#include <memory>
#include <vector>

class OAPreferenceClient;
class OAPreferenceClientRecord;
class OAPreferencesIconView;

namespace pf {
class View;
}

// The preferences window's toolbar: never customised, never hidden or moved by the user.
class OAPreferencesToolbar : public QToolBar {
public:
    OAPreferencesToolbar();
};

class OAPreferenceController : public pf::WindowController {
public:
    using RecordPointer = std::shared_ptr<const OAPreferenceClientRecord>;
    using Records = std::vector<RecordPointer>;

    static const QString windowNibName;     // "OAPreferencesWindow"
    static const QString frameAutosaveName; // "Preferences"
    static const QString restoreEverythingContext;

    // ---- the registry of panes (filled from the information dictionary on first use) ----
    static void registerItemName(const QString& className, const pf::Value& description);
    static const Records& allClientRecords();
    static RecordPointer clientRecordWithShortTitle(const QString& shortTitle);
    static RecordPointer clientRecordWithIdentifier(const QString& identifier);
    static QString overrideNameForCategoryName(const QString& name) { return name; }
    static QString localizedCategoryName(const QString& name);
    static float priorityForCategoryName(const QString& name);
    // Tests: an empty registry (not filled from the information dictionary) for the scope.
    class ScopedRegistry {
    public:
        ScopedRegistry();
        ~ScopedRegistry();
        ScopedRegistry(const ScopedRegistry&) = delete;
        ScopedRegistry& operator=(const ScopedRegistry&) = delete;

    private:
        void* previous_;
    };

    static OAPreferenceController& sharedPreferenceController();
    // Registers the window's builder (done by the first controller that loads its window otherwise).
    static void registerInterfaceFiles();

    // Every registered pane, no key suffix.
    OAPreferenceController();
    OAPreferenceController(Records records, const QString& defaultKeySuffix);
    ~OAPreferenceController() override;

    // ---- actions ----
    void showPreferencesPanel();
    // Reset, by the modifier keys held: Option and Shift everything, Option every pane's keys, none the
    // current pane's; each asks first.
    void restoreDefaults(pf::ModifierFlags modifiers);
    void showNextClient();
    void showPreviousClient();
    void setCurrentClientFromToolbarItem(const QString& identifier);
    void showHelpForClient() {}
    // Shows the overview of every pane in place of the current pane.
    void showAllIcons();

    // ---- panes ----
    void setCurrentClientRecord(const OAPreferenceClientRecord* record);
    void setCurrentClientByClassName(const QString& className);
    const Records& clientRecords() const { return clientRecords_; }
    const QString& defaultKeySuffix() const { return defaultKeySuffix_; }
    RecordPointer recordWithShortTitle(const QString& shortTitle) const;
    RecordPointer recordWithIdentifier(const QString& identifier) const;
    OAPreferenceClient* clientWithShortTitle(const QString& shortTitle);
    OAPreferenceClient* clientWithIdentifier(const QString& identifier);
    OAPreferenceClient* currentClient() const { return currentClient_; }
    const OAPreferenceClientRecord* currentClientRecord() const { return currentRecord_; }
    void iconViewButtonHitAtIndex(const OAPreferencesIconView& view, std::size_t index);
    // The reset button stays hidden; its actions are the restore calls above.
    void validateRestoreDefaultsButton();

    // Category names, higher priority first, ties by localised name ignoring case.
    QStringList categoryNames() const;
    // Every record, category after category, each in its ordering.
    Records sortedClientRecords() const;
    const std::map<QString, Records>& categoryNamesToClientRecordsArrays() const { return categories_; }

    // ---- the window ----
    void setTitle(const QString& title);
    // 0: one pane and no toolbar; 1: up to ten panes in one category; 2: more (1 and 2 behave alike).
    int viewStyle() const { return viewStyle_; }
    float idealWidth() const { return idealWidth_; }
    pf::View* preferenceBox() const { return preferenceBox_; }
    pf::View* globalControlsView() const { return globalControlsView_; }
    QAbstractButton* returnToOriginalValuesButton() const { return resetButton_; }
    QToolBar* preferencesToolbar() const;
    bool isWindowVisible() const;
    // The overview, once built.
    pf::View* showAllIconsView() const { return showAllIconsView_; }
    const std::vector<OAPreferencesIconView*>& preferencesIconViews() const { return iconViews_; }
    void createShowAllItemsView();

    void windowDidLoad() override;
    void windowWillClose() override;
    void windowDidResignKey() override;

private:
    struct Outlets;
    static pf::View* buildWindow(pf::Responder* owner);

    OAPreferenceClient* clientForRecord(const OAPreferenceClientRecord* record);
    void setupMultipleToolbar();
    void resetWindowTitle();
    // Sets the window's content size (the toolbar included), keeping its top-left corner.
    void setContentSize(double width, double height);
    double toolbarHeight() const;
    void restoreDefaultsSheetDidEnd(int button, bool everything);
    void saveFrame();

    Records clientRecords_;
    QString defaultKeySuffix_;
    std::map<QString, Records> categories_;
    std::map<QString, std::unique_ptr<OAPreferenceClient>> clientByRecordIdentifier_;
    const OAPreferenceClientRecord* currentRecord_ = nullptr;
    OAPreferenceClient* currentClient_ = nullptr;
    int viewStyle_ = 0;
    float idealWidth_ = 0;
    QPointer<pf::View> preferenceBox_;
    QPointer<pf::View> globalControlsView_;
    QPointer<QAbstractButton> resetButton_;
    QPointer<OAPreferencesToolbar> toolbar_;
    QPointer<QActionGroup> toolbarGroup_;
    QPointer<pf::View> shownView_;
    QPointer<pf::View> showAllIconsView_;
    std::vector<OAPreferencesIconView*> iconViews_;
    pf::NotificationToken defaultsToken_;
    pf::DelayedCallOwner delayedCalls_;
};

// Shows a pane of the desktop's own settings application. The desktops this runs on share no way to open
// one by identifier, so it answers false, as when no such pane exists.
bool OARevealSystemPreferencesPane(const QString& identifier, const QString& anchor = {});
