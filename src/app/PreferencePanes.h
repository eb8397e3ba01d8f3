// The application's preference panes: General (where the page tabs and the inspector sit, and a sample
// of the default text font), Guides (visibility of selection and rotation handles, rulers and grid) and
// Update (a check for a newer version on request).
// Each changes settings of UserDefaults, or lets its bound controls change them, and then announces the
// change on the default notification centre with no object; the document windows and canvases act on it.
#pragma once

#include "app/OAPreferenceClient.h"
#include "platform/foundation/Dispatch.h"
#include "platform/text/Font.h"

#include <QLineEdit>
#include <QPointer>

#include <QComboBox>

namespace pf {
class ClassRegistry;
class FontPanel;
}

// Registers the panes' classes and their interface files' builders.
void registerPreferencePanes(pf::ClassRegistry& registry);

class IDEBasePreferences : public OAPreferenceClient {
public:
    static const OAPreferenceClientClass& staticClass();
    using OAPreferenceClient::OAPreferenceClient;
};

// The font sample: not editable; a click announces, on the next turn, that it took the focus.
class IDEDefaultFontTextField : public QLineEdit {
public:
    static const QString didFocusNotification; // "IDEDefaultFontTextFieldDidFocusNotification"
    IDEDefaultFontTextField();

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    pf::DelayedCallOwner calls_;
};

class IDEGeneralPreferences : public IDEBasePreferences {
public:
    static const OAPreferenceClientClassOf<IDEGeneralPreferences>& staticClass();
    static const QString sampleText;
    // The tag of the tabs-placement pop-up in the pane's view.
    static constexpr int tabsPopUpTag = 500;

    IDEGeneralPreferences(const OAPreferenceClientRecord& record, OAPreferenceController* controller);

    // Builder outlets.
    void setInspectorPopUpButton(QComboBox* popUp) { inspectorPopUpButton_ = popUp; }
    void setDefaultFontTextField(QLineEdit* field) { defaultFontTextField_ = field; }
    QComboBox* tabsPopUpButton() const { return tabsPopUpButton_; }
    QComboBox* inspectorPopUpButton() const { return inspectorPopUpButton_; }
    QLineEdit* defaultFontTextField() const { return defaultFontTextField_; }

    void tabsViewPlacementChanged(QComboBox* sender);
    void inspectorViewPlacementChanged(QComboBox* sender);
    // The font panel, on the default font.
    void editDefaultFont();
    // The panel's change applied to the default font: a name is kept, a size only above 6 points.
    void changeFont(const pf::FontPanel& sender);

    // The default text font at its size; the system font when none is stored or none of that name is
    // installed.
    static pf::Font currentDefaultFont();
    // The same face at 12 points, for the sample.
    static pf::Font currentDisplayFont();

    // Finds the tabs pop-up (by its tag) and shows the settings.
    void awakeFromNib() override;
    // The pop-ups show the stored placements and the sample the font (again after a reset).
    void updateUI() override;

private:
    QPointer<QComboBox> tabsPopUpButton_;
    QPointer<QComboBox> inspectorPopUpButton_;
    QPointer<QLineEdit> defaultFontTextField_;
};

class GuidesPreferences : public IDEBasePreferences {
public:
    static const OAPreferenceClientClassOf<GuidesPreferences>& staticClass();
    using IDEBasePreferences::IDEBasePreferences;

    // Each only announces the change that its check box has stored.
    void toggleSelectionHandlesVisible();
    void toggleRotationHandlesVisible();
    void toggleRulersVisible();
    void toggleGridVisible();
};

class UpdatePreferences : public IDEBasePreferences {
public:
    static const OAPreferenceClientClassOf<UpdatePreferences>& staticClass();
    using IDEBasePreferences::IDEBasePreferences;

    // Asks the updater to check now (its "Check Now" button).
    void checkForUpdates();
};
