#include "PreferencesFixture.h"

#include "app/PreferencePanes.h"
#include "app/UpdateStandIn.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Resources.h"

#include <QCheckBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolBar>

namespace {

using preftest::PreferencesFixture;
using pf::Value;

// The application's own registrations, with its settings' built-in values.
class PreferencePanesTest : public PreferencesFixture {
protected:
    PreferencePanesTest()
    {
        UserDefaults::registerDefaultValues(store());
        OFPreference::recacheRegisteredKeys();
        registerPreferencePanes(pf::ClassRegistry::shared());
        const Value& registrations =
            pf::mainBundleInfoDictionary()["OFRegistrations"]["OAPreferenceController"];
        for (const auto& [className, description] : registrations.asDictionary())
            OAPreferenceController::registerItemName(className, description);
    }

    // Counts the posts of a notification and what the setting held when each came.
    struct Posts {
        Posts(const char* name, std::function<Value()> read)
            : token(pf::NotificationCenter::defaultCenter().addObserver(
                  QString::fromLatin1(name), nullptr, [this, read](const pf::Notification&) { seen.push_back(read()); }))
        {
        }
        pf::NotificationToken token;
        std::vector<Value> seen;
    };
};

TEST_F(PreferencePanesTest, TheApplicationRegistersGeneralGuidesThenUpdate)
{
    OAPreferenceController controller;
    controller.window();
    QStringList titles;
    for (QAction* action : controller.preferencesToolbar()->actions()) {
        titles.push_back(action->text());
        EXPECT_FALSE(action->icon().isNull()) << "each pane has its picture";
    }
    EXPECT_EQ(titles, (QStringList{"General", "Guides", "Update"}));
    EXPECT_EQ(controller.viewStyle(), 1);
    EXPECT_EQ(controller.currentClientRecord()->identifier(), "General");
    EXPECT_NE(dynamic_cast<IDEGeneralPreferences*>(controller.currentClient()), nullptr);
    EXPECT_NE(dynamic_cast<GuidesPreferences*>(controller.clientWithIdentifier("Guides")), nullptr);
    EXPECT_NE(dynamic_cast<UpdatePreferences*>(controller.clientWithIdentifier("Update")), nullptr);
}

TEST_F(PreferencePanesTest, CheckNowAsksTheUpdaterOnce)
{
    struct Counting : Updater {
        void checkForUpdates() override { ++asked; }
        int asked = 0;
    } updater;
    ScopedUpdater scoped(updater);
    OAPreferenceController controller;
    auto* update = controller.clientWithIdentifier("Update");
    ASSERT_NE(update, nullptr);
    auto* button = update->controlBox()->findChild<QPushButton*>("checkForUpdates");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Check Now");
    button->click();
    EXPECT_EQ(updater.asked, 1);
}

TEST_F(PreferencePanesTest, PlacementPopUpsStartFromTheSettingsAndStoreAndAnnounceEachChoice)
{
    UserDefaults::instance().setTabsPlacedOnTop(true);
    UserDefaults::instance().setInspectorPlacedBesideOutline(false);
    OAPreferenceController controller;
    auto* general = dynamic_cast<IDEGeneralPreferences*>(controller.clientWithIdentifier("General"));
    ASSERT_NE(general, nullptr);
    QComboBox* tabs = general->tabsPopUpButton();
    QComboBox* inspector = general->inspectorPopUpButton();
    ASSERT_NE(tabs, nullptr) << "found by its tag";
    ASSERT_NE(inspector, nullptr);
    EXPECT_EQ(tabs->currentData().toInt(), 1);
    EXPECT_EQ(inspector->currentData().toInt(), 0);
    EXPECT_EQ(general->defaultFontTextField()->text(), IDEGeneralPreferences::sampleText);
    EXPECT_TRUE(general->defaultFontTextField()->isReadOnly());

    const struct {
        QComboBox* popUp;
        const char* notification;
        bool (UserDefaults::*setting)() const;
    } cases[] = {
        {tabs, "TabsPlacementDidChangeNotification", &UserDefaults::tabsPlacedOnTop},
        {inspector, "InspectorPalettePlacementDidChangeNotification", &UserDefaults::inspectorPlacedBesideOutline},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notification);
        const auto setting = c.setting;
        Posts posts(c.notification, [setting] { return Value((UserDefaults::instance().*setting)()); });
        for (int tag : {0, 1, 1}) {
            const int index = c.popUp->findData(tag);
            c.popUp->setCurrentIndex(index);
            c.popUp->activated(index);
        }
        EXPECT_EQ(posts.seen, (std::vector<Value>{Value(false), Value(true), Value(true)}))
            << "stored before it is announced, and announced again for the same choice";
    }
}

TEST_F(PreferencePanesTest, GuideBoxesStoreThenAnnounceAndFollowOtherChanges)
{
    OAPreferenceController controller;
    auto* guides = controller.clientWithIdentifier("Guides");
    ASSERT_NE(guides, nullptr);
    const struct {
        const char* key;
        const char* notification;
    } cases[] = {
        {"SelectionHandlesVisible", "SelectionHandlesVisibilityDidChangeNotification"},
        {"RotationHandlesVisible", "RotationHandlesVisibilityDidChangeNotification"},
        {"RulersVisible", "RulerVisibilityDidChangeNotification"},
        {"GridVisibility", "GridVisibilityDidChangeNotification"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        auto* box = guides->controlBox()->findChild<QCheckBox*>(QString::fromLatin1(c.key));
        ASSERT_NE(box, nullptr);
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(box->isChecked(), store().boolForKey(key)) << "starts from the setting";
        Posts posts(c.notification, [key] { return pf::UserDefaultsStore::standard().objectForKey(key); });
        const bool before = box->isChecked();
        box->click();
        ASSERT_EQ(posts.seen.size(), 1u);
        EXPECT_EQ(posts.seen[0].boolValue(), !before) << "the value is stored when the notice comes";
        if (key == "GridVisibility") {
            EXPECT_TRUE(posts.seen[0].isInteger()) << "the grid's setting stays a number";
        }
    }
    auto* rulers = guides->controlBox()->findChild<QCheckBox*>("RulersVisible");
    const bool shown = rulers->isChecked();
    UserDefaults::instance().setRulersVisible(!shown); // the View menu, say
    EXPECT_EQ(rulers->isChecked(), !shown);
    store().setIntegerForKey(2, "GridVisibility");
    EXPECT_TRUE(guides->controlBox()->findChild<QCheckBox*>("GridVisibility")->isChecked()) << "any kind of grid is on";
}

TEST_F(PreferencePanesTest, TheFontSampleAnnouncesItsFocusOnTheNextTurn)
{
    IDEDefaultFontTextField field;
    field.resize(200, 24);
    int posted = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        IDEDefaultFontTextField::didFocusNotification, &field, [&posted](const pf::Notification&) { ++posted; });
    QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(posted, 0);
    pf::drainMainQueue();
    EXPECT_EQ(posted, 1);
}

TEST_F(PreferencePanesTest, TheWindowWithItsPanesLooksRight)
{
    OAPreferenceController controller;
    controller.showPreferencesPanel();
    const QString folder = QDir::temp().filePath("quorvel-preferences");
    QDir().mkpath(folder);
    for (const char* pane : {"General", "Guides", "Update"}) {
        controller.setCurrentClientFromToolbarItem(pane);
        QWidget* window = controller.windowWidget();
        QApplication::processEvents();
        QTest::qWait(50);
        const QImage image = window->screen()->grabWindow(window->winId()).toImage();
        EXPECT_EQ(image.width(), window->width());
        EXPECT_TRUE(image.save(QDir(folder).filePath(QString::fromLatin1(pane) + ".png")));
    }
}

} // namespace
