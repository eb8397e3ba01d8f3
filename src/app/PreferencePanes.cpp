#include "app/PreferencePanes.h"

#include "platform/kit/Panels.h"
#include "app/UpdateStandIn.h"

#include "canvas/Canvas.h"
#include "canvas/CanvasViewController.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Panels.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/UserDefaultsController.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "shell/CanvasWindowController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PreferencePanes", text);
}

// The property a widget's tag is kept under (interface files give controls a number to be found by).
constexpr char tagProperty[] = "tag";

void post(const char* name)
{
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(name));
}

QLabel* addLabel(pf::View* box, const QString& text, double y)
{
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->addSubview(label, pf::Rect(10, y, 130, 24));
    return label;
}

QComboBox* addPopUp(pf::View* box, double y, std::initializer_list<std::pair<int, QString>> items)
{
    auto* popUp = new QComboBox;
    for (const auto& [tag, title] : items)
        popUp->addItem(title, tag);
    box->addSubview(popUp, pf::Rect(148, y, 220, 24));
    return popUp;
}

pf::View* buildGeneralPane(pf::Responder* owner)
{
    auto* pane = dynamic_cast<IDEGeneralPreferences*>(owner);
    auto* box = new pf::View(pf::Rect(0, 0, 420, 132));
    addLabel(box, tr("Page tabs:"), 16);
    QComboBox* tabs = addPopUp(box, 16, {{0, tr("At the left")}, {1, tr("Above the page")}});
    tabs->setProperty(tagProperty, IDEGeneralPreferences::tabsPopUpTag);
    addLabel(box, tr("Inspector:"), 52);
    QComboBox* inspector = addPopUp(box, 52, {{0, tr("Below the outline")}, {1, tr("Beside the outline")}});
    addLabel(box, tr("Default font:"), 88);
    auto* sample = new IDEDefaultFontTextField;
    box->addSubview(sample, pf::Rect(148, 88, 180, 24));
    auto* change = new QPushButton(tr("Change…"));
    box->addSubview(change, pf::Rect(334, 88, 76, 24));
    if (pane) {
        QObject::connect(change, &QPushButton::clicked, change, [pane] { pane->editDefaultFont(); });
        pane->setInspectorPopUpButton(inspector);
        pane->setDefaultFontTextField(sample);
        QObject::connect(inspector, &QComboBox::activated, inspector,
                         [pane, inspector](int) { pane->inspectorViewPlacementChanged(inspector); });
        pane->setInitialFirstResponder(tabs);
        pane->setLastKeyView(inspector);
    }
    return box;
}

pf::View* buildGuidesPane(pf::Responder* owner)
{
    auto* pane = dynamic_cast<GuidesPreferences*>(owner);
    auto* box = new pf::View(pf::Rect(0, 0, 420, 140));
    const struct {
        QString title;
        const char* key;
        void (GuidesPreferences::*toggle)();
    } boxes[] = {
        {tr("Show selection handles"), "SelectionHandlesVisible", &GuidesPreferences::toggleSelectionHandlesVisible},
        {tr("Show rotation handles"), "RotationHandlesVisible", &GuidesPreferences::toggleRotationHandlesVisible},
        {tr("Show rulers"), "RulersVisible", &GuidesPreferences::toggleRulersVisible},
        {tr("Show grid"), "GridVisibility", &GuidesPreferences::toggleGridVisible},
    };
    double y = 16;
    QCheckBox* first = nullptr;
    QCheckBox* last = nullptr;
    for (const auto& b : boxes) {
        auto* check = new QCheckBox(b.title);
        check->setObjectName(QString::fromLatin1(b.key));
        box->addSubview(check, pf::Rect(100, y, 300, 24));
        y += 28;
        if (pane) {
            // The grid's setting is a number elsewhere (its kinds of grid): the box writes 0 or 1.
            const bool integers = QLatin1String(b.key) == QLatin1String("GridVisibility");
            pf::bindCheckBox(check, *pane, QStringLiteral("values.") + QString::fromLatin1(b.key),
                             [pane, toggle = b.toggle] { (pane->*toggle)(); }, integers);
        }
        if (!first)
            first = check;
        last = check;
    }
    if (pane) {
        pane->setInitialFirstResponder(first);
        pane->setLastKeyView(last);
    }
    return box;
}

pf::View* buildUpdatePane(pf::Responder* owner)
{
    auto* pane = dynamic_cast<UpdatePreferences*>(owner);
    auto* box = new pf::View(pf::Rect(0, 0, 420, 96));
    auto* note = new QLabel(tr("Quorvel is kept up to date by your system's package manager."));
    note->setWordWrap(true);
    box->addSubview(note, pf::Rect(20, 16, 380, 36));
    auto* check = new QPushButton(tr("Check Now"));
    check->setObjectName(QStringLiteral("checkForUpdates"));
    box->addSubview(check, pf::Rect(280, 56, 120, 28));
    if (pane) {
        QObject::connect(check, &QPushButton::clicked, check, [pane] { pane->checkForUpdates(); });
        pane->setInitialFirstResponder(check);
        pane->setLastKeyView(check);
    }
    return box;
}

} // namespace

void registerPreferencePanes(pf::ClassRegistry& registry)
{
    registry.add(OAPreferenceClient::staticClass());
    registry.add(IDEBasePreferences::staticClass());
    registry.add(IDEGeneralPreferences::staticClass());
    registry.add(GuidesPreferences::staticClass());
    pf::registerViewBuilder(QStringLiteral("IDEGeneralPreferences"), buildGeneralPane);
    pf::registerViewBuilder(QStringLiteral("GuidesPreferences"), buildGuidesPane);
    registry.add(UpdatePreferences::staticClass());
    pf::registerViewBuilder(QStringLiteral("UpdatePreferences"), buildUpdatePane);
}

const OAPreferenceClientClass& IDEBasePreferences::staticClass()
{
    static const OAPreferenceClientClassOf<IDEBasePreferences> cls(QStringLiteral("IDEBasePreferences"),
                                                                   &OAPreferenceClient::staticClass());
    return cls;
}

// ---- the font sample ----

const QString IDEDefaultFontTextField::didFocusNotification = QStringLiteral("IDEDefaultFontTextFieldDidFocusNotification");

IDEDefaultFontTextField::IDEDefaultFontTextField()
{
    setReadOnly(true);
}

void IDEDefaultFontTextField::mousePressEvent(QMouseEvent* e)
{
    QLineEdit::mousePressEvent(e);
    calls_.performAfterDelay([this] { pf::NotificationCenter::defaultCenter().post(didFocusNotification, this); }, {});
}

// ---- General ----

const QString IDEGeneralPreferences::sampleText = QStringLiteral("The quick brown fox jumps over the lazy dog.");

const OAPreferenceClientClassOf<IDEGeneralPreferences>& IDEGeneralPreferences::staticClass()
{
    static const OAPreferenceClientClassOf<IDEGeneralPreferences> cls(QStringLiteral("IDEGeneralPreferences"),
                                                                      &IDEBasePreferences::staticClass());
    return cls;
}

IDEGeneralPreferences::IDEGeneralPreferences(const OAPreferenceClientRecord& record, OAPreferenceController* controller)
    : IDEBasePreferences(record, controller)
{
}

void IDEGeneralPreferences::awakeFromNib()
{
    if (pf::View* box = controlBox()) {
        for (QComboBox* popUp : box->findChildren<QComboBox*>())
            if (popUp->property(tagProperty).toInt() == tabsPopUpTag)
                tabsPopUpButton_ = popUp;
    }
    if (QComboBox* tabs = tabsPopUpButton_)
        QObject::connect(tabs, &QComboBox::activated, tabs, [this, tabs](int) { tabsViewPlacementChanged(tabs); });
    updateUI();
}

void IDEGeneralPreferences::updateUI()
{
    const UserDefaults& defaults = UserDefaults::instance();
    if (tabsPopUpButton_)
        tabsPopUpButton_->setCurrentIndex(tabsPopUpButton_->findData(defaults.tabsPlacedOnTop() ? 1 : 0));
    if (inspectorPopUpButton_)
        inspectorPopUpButton_->setCurrentIndex(inspectorPopUpButton_->findData(defaults.inspectorPlacedBesideOutline() ? 1 : 0));
    if (defaultFontTextField_) {
        const pf::Font font = currentDisplayFont();
        QFont shown(font.substituteFamily());
        shown.setPixelSize(int(font.pointSize()));
        defaultFontTextField_->setFont(shown);
        defaultFontTextField_->setText(sampleText);
        defaultFontTextField_->setCursorPosition(0);
    }
}

void IDEGeneralPreferences::tabsViewPlacementChanged(QComboBox* sender)
{
    UserDefaults::instance().setTabsPlacedOnTop(sender->currentData().toInt() != 0);
    post(CanvasWindowController::TabsPlacementDidChangeNotification);
}

void IDEGeneralPreferences::inspectorViewPlacementChanged(QComboBox* sender)
{
    UserDefaults::instance().setInspectorPlacedBesideOutline(sender->currentData().toInt() != 0);
    post(CanvasWindowController::InspectorPalettePlacementDidChangeNotification);
}

void IDEGeneralPreferences::editDefaultFont()
{
    pf::FontPanel& panel = pf::FontPanel::shared();
    panel.setPanelFont(currentDefaultFont());
    panel.orderFront();
}

void IDEGeneralPreferences::changeFont(const pf::FontPanel& sender)
{
    const pf::Font font = sender.convertFont(currentDefaultFont());
    UserDefaults& defaults = UserDefaults::instance();
    if (!font.fontName().isEmpty())
        defaults.setDefaultFontName(font.fontName());
    if (font.pointSize() > 6.0)
        defaults.setDefaultFontSize(font.pointSize());
    updateUI();
}

pf::Font IDEGeneralPreferences::currentDefaultFont()
{
    const UserDefaults& defaults = UserDefaults::instance();
    const QString name = defaults.defaultFontName();
    if (!name.isEmpty()) {
        pf::Font font(name, defaults.defaultFontSize() > 0 ? defaults.defaultFontSize() : pf::Font::systemFontSize());
        if (font.isAvailable())
            return font;
    }
    return pf::Font::systemFont(pf::Font::systemFontSize());
}

pf::Font IDEGeneralPreferences::currentDisplayFont()
{
    return currentDefaultFont().withSize(12);
}

// ---- Guides ----

const OAPreferenceClientClassOf<GuidesPreferences>& GuidesPreferences::staticClass()
{
    static const OAPreferenceClientClassOf<GuidesPreferences> cls(QStringLiteral("GuidesPreferences"),
                                                                  &IDEBasePreferences::staticClass());
    return cls;
}

void GuidesPreferences::toggleSelectionHandlesVisible()
{
    post(CanvasViewController::SelectionHandlesVisibilityDidChangeNotification);
}

void GuidesPreferences::toggleRotationHandlesVisible()
{
    post(CanvasViewController::RotationHandlesVisibilityDidChangeNotification);
}

void GuidesPreferences::toggleRulersVisible()
{
    post(CanvasViewController::RulerVisibilityDidChangeNotification);
}

void GuidesPreferences::toggleGridVisible()
{
    post(CanvasViewController::GridVisibilityDidChangeNotification);
}

// ---- Update ----

const OAPreferenceClientClassOf<UpdatePreferences>& UpdatePreferences::staticClass()
{
    static const OAPreferenceClientClassOf<UpdatePreferences> cls(QStringLiteral("UpdatePreferences"),
                                                                  &IDEBasePreferences::staticClass());
    return cls;
}

void UpdatePreferences::checkForUpdates() { Updater::sharedUpdater().checkForUpdates(); }
