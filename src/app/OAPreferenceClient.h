// The base of every preference pane. A pane is its own user-defaults controller whose defaults object is
// the shared preference wrapper, so the controls of its interface file, bound to "values.<key>", read and
// write through the preference objects; each of its keys' preference objects keeps the pane's controls in
// step. Its view (the control box) comes from the builder named by its record's interface file.
//
// Pane classes are found by name: each registers its class object (OAPreferenceClientClassOf<Pane>) with
// the class registry, and the registration names it.
#pragma once

#include "platform/foundation/ClassRegistry.h"
#include "platform/kit/Responder.h"
#include "platform/kit/UserDefaultsController.h"
#include "platform/kit/View.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class OAPreferenceClient;
class OAPreferenceClientRecord;
class OAPreferenceController;
class OFPreference;
class QLineEdit;
class QWidget;

// The preference framework's own user-facing text (its string table; the key itself when untranslated).
QString preferenceFrameworkText(const char* key);

class OAPreferenceClientClass : public pf::ClassObject {
public:
    using ClassObject::ClassObject;
    virtual std::unique_ptr<OAPreferenceClient> makeClient(const OAPreferenceClientRecord& record,
                                                           OAPreferenceController* controller) const;
};

template <class Pane>
class OAPreferenceClientClassOf : public OAPreferenceClientClass {
public:
    using OAPreferenceClientClass::OAPreferenceClientClass;
    std::unique_ptr<OAPreferenceClient> makeClient(const OAPreferenceClientRecord& record,
                                                   OAPreferenceController* controller) const override
    {
        return std::make_unique<Pane>(record, controller);
    }
};

class OAPreferenceClient : public pf::UserDefaultsController, public pf::Responder {
public:
    static const OAPreferenceClientClass& staticClass();

    // The pane of a record: its keys are the defaults dictionary's then the defaults array's. Its view comes
    // with loadInterfaceFile, once the pane is whole (the record's newClientInstanceInController does both).
    OAPreferenceClient(const OAPreferenceClientRecord& record, OAPreferenceController* controller);
    // keys: the settings keys the pane edits. With the controller's key suffix, each key becomes
    // "<key>-<suffix>", whose default is registered as the plain key's.
    OAPreferenceClient(const QString& title, const QStringList& keys, OAPreferenceController* controller);
    ~OAPreferenceClient() override;

    const QString& title() const { return title_; }
    OAPreferenceController* controller() const { return controller_; }
    const std::vector<OFPreference*>& preferences() const { return preferences_; }
    // Adds the preference once and makes this pane its controller under "values".
    void addPreference(OFPreference& preference);

    // Outlets, which the interface file's builder connects. The control box is the pane's whole view,
    // owned by the pane; null when the pane has none (it then counts as size zero).
    pf::View* controlBox() const { return controlBox_; }
    void setControlBox(pf::View* box);
    QWidget* initialFirstResponder() const { return initialFirstResponder_; }
    void setInitialFirstResponder(QWidget* view) { initialFirstResponder_ = view; }
    QWidget* lastKeyView() const { return lastKeyView_; }
    void setLastKeyView(QWidget* view) { lastKeyView_ = view; }

    // Builds the pane's view from the builder of that name (none when no builder has it), then
    // awakeFromNib.
    void loadInterfaceFile(const QString& nibName);
    // Runs once the interface file is loaded; does nothing here.
    virtual void awakeFromNib() {}

    // Hooks for the panes; they do nothing here.
    virtual void updateUI() {}
    virtual void setValueForSender(QWidget* sender) { (void)sender; }
    virtual void willBecomeCurrentPreferenceClient() {}
    virtual void didBecomeCurrentPreferenceClient() {}
    virtual void resignCurrentPreferenceClient() {}

    // Asks, window-modally, whether to reset the pane's settings; on "Reset", restoreDefaultsNoPrompt and
    // valuesHaveChanged.
    void restoreDefaults();
    void restoreDefaultsNoPrompt() { revertToInitialValues(); }
    void valuesHaveChanged();
    bool haveAnyDefaultsChanged() const;

    // Restores the key's default, shows it in the field and beeps.
    void resetFloatValueToDefaultNamed(const QString& key, QLineEdit* field);
    void resetIntValueToDefaultNamed(const QString& key, QLineEdit* field);

private:
    void initialize(const QString& title, QStringList keys, OAPreferenceController* controller);

    QPointer<pf::View> controlBox_;
    QPointer<QWidget> initialFirstResponder_;
    QPointer<QWidget> lastKeyView_;
    OAPreferenceController* controller_ = nullptr;
    QString title_;
    std::vector<OFPreference*> preferences_;
};
