#include "PreferencesFixture.h"

#include "platform/kit/Services.h"
#include "platform/kit/UserDefaultsController.h"
#include "platform/kit/Window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <cmath>

namespace {

using preftest::lifeLog;
using preftest::PreferencesFixture;
using pf::Value;

class PreferencesWindowTest : public PreferencesFixture {
protected:
    // Stub panes' views: "Small" 200×100, "Wide" 600×250, "Tall" 300×400.
    pf::ScopedViewBuilder small_{"Small", [](pf::Responder*) { return new pf::View(pf::Rect(0, 0, 200, 100)); }};
    pf::ScopedViewBuilder wide_{"Wide", [](pf::Responder*) { return new pf::View(pf::Rect(0, 0, 600, 250)); }};
    pf::ScopedViewBuilder tall_{"Tall", [](pf::Responder*) { return new pf::View(pf::Rect(0, 0, 300, 400)); }};

    static QString windowTitle(OAPreferenceController& c) { return c.windowWidget()->windowTitle(); }
};

TEST_F(PreferencesWindowTest, OnePaneHasNoToolbarAndIsTitledByTheProgram)
{
    OAPreferenceController controller({record("Only", 0, "General", "Small")}, {});
    controller.showPreferencesPanel();
    EXPECT_EQ(controller.viewStyle(), 0);
    EXPECT_EQ(controller.preferencesToolbar(), nullptr);
    EXPECT_EQ(windowTitle(controller), QCoreApplication::applicationName() + " Preferences");
    ASSERT_NE(controller.currentClient(), nullptr);
    EXPECT_EQ(controller.currentClient()->title(), "Only");
    EXPECT_TRUE(controller.returnToOriginalValuesButton()->isHidden());
}

TEST_F(PreferencesWindowTest, SeveralPanesGetOneExclusiveButtonEach)
{
    OAPreferenceController controller({record("Second", 1, "General", "Wide"), record("First", 0, "General", "Small")}, {});
    controller.showPreferencesPanel();
    EXPECT_EQ(controller.viewStyle(), 1);
    QToolBar* toolbar = controller.preferencesToolbar();
    ASSERT_NE(toolbar, nullptr);
    ASSERT_EQ(toolbar->actions().size(), 2);
    EXPECT_EQ(toolbar->actions()[0]->text(), "First") << "in ordering";
    EXPECT_EQ(toolbar->actions()[1]->text(), "Second");
    EXPECT_TRUE(toolbar->actions()[0]->isChecked());
    EXPECT_EQ(windowTitle(controller), "First Preferences");
    EXPECT_FALSE(toolbar->isMovable());
    EXPECT_EQ(toolbar->contextMenuPolicy(), Qt::PreventContextMenu) << "never customised";

    toolbar->actions()[1]->trigger();
    EXPECT_EQ(controller.currentClientRecord()->identifier(), "Second");
    EXPECT_TRUE(toolbar->actions()[1]->isChecked());
    EXPECT_FALSE(toolbar->actions()[0]->isChecked());
    EXPECT_EQ(windowTitle(controller), "Second Preferences");
}

TEST_F(PreferencesWindowTest, ElevenPanesOrTwoCategoriesMakeTheLargerStyle)
{
    OAPreferenceController::Records ten, eleven;
    for (int i = 0; i < 11; ++i) {
        auto r = record(QStringLiteral("Pane%1").arg(i), i);
        if (i < 10)
            ten.push_back(r);
        eleven.push_back(r);
    }
    const struct {
        OAPreferenceController::Records records;
        int style;
    } cases[] = {
        {ten, 1},
        {eleven, 2},
        {{record("A", 0, "One"), record("B", 0, "Two")}, 2},
    };
    for (const auto& c : cases) {
        OAPreferenceController controller(c.records, {});
        controller.window();
        EXPECT_EQ(controller.viewStyle(), c.style) << c.records.size() << " panes";
        EXPECT_NE(controller.preferencesToolbar(), nullptr);
    }
}

TEST_F(PreferencesWindowTest, SwitchingPanesTellsThemInOrder)
{
    OAPreferenceController controller({record("A", 0, "General", "Small"), record("B", 1, "General", "Wide")}, {});
    controller.showPreferencesPanel();
    EXPECT_EQ(lifeLog(), (QStringList{"A updateUI", "A willBecome", "A updateUI", "A didBecome"}))
        << "made current while loading (hidden: no will/did), then shown";
    lifeLog().clear();
    controller.setCurrentClientFromToolbarItem("B");
    EXPECT_EQ(lifeLog(), (QStringList{"A resign", "B willBecome", "B updateUI", "B didBecome"}));
    lifeLog().clear();
    controller.setCurrentClientFromToolbarItem("B");
    EXPECT_TRUE(lifeLog().isEmpty()) << "already current";
}

TEST_F(PreferencesWindowTest, TheWindowFitsEachPaneKeepingItsTopEdge)
{
    OAPreferenceController controller(
        {record("Small", 0, "General", "Small"), record("Wide", 1, "General", "Wide"), record("Tall", 2, "General", "Tall")}, {});
    controller.showPreferencesPanel();
    QWidget* window = controller.windowWidget();
    const double global = controller.globalControlsView()->frame().size.height;
    const double toolbar = controller.preferencesToolbar()->sizeHint().height();
    const double ideal = controller.idealWidth();
    ASSERT_GT(ideal, 200.0) << "the global controls are wider than the small pane";
    const int top = window->y();

    struct Case {
        const char* pane;
        double width, height;
    };
    for (const Case& c : {Case{"Small", 200, 100}, Case{"Wide", 600, 250}, Case{"Tall", 300, 400}, Case{"Small", 200, 100}}) {
        SCOPED_TRACE(c.pane);
        controller.setCurrentClientFromToolbarItem(c.pane);
        const double width = std::max(c.width, ideal);
        EXPECT_EQ(window->width(), int(width));
        EXPECT_EQ(window->height(), int(std::trunc(c.height + global) + toolbar));
        EXPECT_EQ(window->y(), top) << "the top edge stays";
        pf::View* box = controller.currentClient()->controlBox();
        EXPECT_EQ(box->frame(), pf::Rect(std::floor((width - c.width) / 2), 0, c.width, c.height));
        EXPECT_EQ(controller.globalControlsView()->frame().origin.y, c.height) << "under the pane";
        EXPECT_TRUE(box->isVisibleTo(window));
    }
}

TEST_F(PreferencesWindowTest, APaneWithoutAViewOrAClassShowsNothingAndDoesNotCrash)
{
    pf::ScopedLogSink log([](const QString&) {});
    auto unknown = record("Ghost", 1);
    std::const_pointer_cast<OAPreferenceClientRecord>(unknown)->setClassName("NoSuchPane");
    OAPreferenceController controller({record("Empty", 0, "General", "NoBuilder"), unknown}, {});
    controller.showPreferencesPanel();
    ASSERT_NE(controller.currentClient(), nullptr);
    EXPECT_EQ(controller.currentClient()->controlBox(), nullptr);
    EXPECT_EQ(controller.windowWidget()->width(), int(controller.idealWidth())) << "a pane of size zero";
    controller.setCurrentClientFromToolbarItem("Ghost");
    EXPECT_EQ(controller.currentClient(), nullptr);
    EXPECT_EQ(controller.currentClientRecord()->identifier(), "Ghost");
}

TEST_F(PreferencesWindowTest, NextAndPreviousWrapAround)
{
    OAPreferenceController controller({record("A", 0), record("B", 1), record("C", 2)}, {});
    controller.window();
    const auto current = [&controller] { return controller.currentClientRecord()->identifier(); };
    EXPECT_EQ(current(), "A");
    controller.showNextClient();
    EXPECT_EQ(current(), "B");
    controller.showNextClient();
    controller.showNextClient();
    EXPECT_EQ(current(), "A") << "past the last comes the first";
    controller.showPreviousClient();
    EXPECT_EQ(current(), "C") << "before the first comes the last";
    controller.showAllIcons();
    EXPECT_EQ(controller.currentClientRecord(), nullptr);
    controller.showPreviousClient();
    EXPECT_EQ(current(), "C") << "with none current, previous shows the last";
}

TEST_F(PreferencesWindowTest, RestoringDefaultsFollowsTheModifierKeys)
{
    store().registerDefaults({{"PrefTest-Other", 0}});
    auto a = record("A", 0, "General", "Small", {{"PrefTest-A", 1}});
    auto b = record("B", 1, "General", "Small", {}, {"PrefTest-B"});
    OAPreferenceController controller({a, b}, {});
    controller.showPreferencesPanel();
    controller.clientWithIdentifier("B"); // made, so that B's keys have their pane

    std::vector<pf::Alert> asked;
    int answer = 0;
    pf::ScopedAlertSheetSink sheets([&](QWidget* window, const pf::Alert& alert, pf::AlertSheetCompletion done) {
        EXPECT_NE(window, nullptr) << "window-modal";
        asked.push_back(alert);
        done(answer);
    });
    const auto change = [this] {
        store().setIntegerForKey(5, "PrefTest-A");
        store().setIntegerForKey(6, "PrefTest-B");
        store().setIntegerForKey(7, "PrefTest-Other");
        store().setObjectForKey(Value("{{1, 2}, {3, 4}}"), "NSWindow Frame Preferences");
    };
    const auto stored = [this] {
        QStringList keys;
        for (const auto& [key, value] : store().persistentDomain().asDictionary())
            keys.push_back(key);
        return keys;
    };

    const struct {
        pf::ModifierFlags modifiers;
        int answer;
        QStringList left;
        const char* question;
    } cases[] = {
        {pf::OptionKeyMask | pf::ShiftKeyMask, 0, {}, "Reset all preferences and other settings to their original values?"},
        {pf::OptionKeyMask, 0, {"NSWindow Frame Preferences", "PrefTest-Other"}, "Reset all preferences to their original values?"},
        {0, 0, {"NSWindow Frame Preferences", "PrefTest-B", "PrefTest-Other"}, "Reset A preferences to their original values?"},
        {pf::OptionKeyMask | pf::ShiftKeyMask, 1, {"NSWindow Frame Preferences", "PrefTest-A", "PrefTest-B", "PrefTest-Other"}, "Reset all preferences and other settings to their original values?"},
        {pf::OptionKeyMask, 1, {"NSWindow Frame Preferences", "PrefTest-A", "PrefTest-B", "PrefTest-Other"}, "Reset all preferences to their original values?"},
        {0, 1, {"NSWindow Frame Preferences", "PrefTest-A", "PrefTest-B", "PrefTest-Other"}, "Reset A preferences to their original values?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question);
        SCOPED_TRACE(c.answer);
        change();
        asked.clear();
        lifeLog().clear();
        answer = c.answer;
        controller.restoreDefaults(c.modifiers);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].messageText, c.question);
        EXPECT_EQ(asked[0].buttons, (QStringList{"Reset", "Cancel"}));
        QStringList left = stored();
        // The current pane's reset stores its keys' initial values, which equal their defaults.
        if (c.modifiers == 0 && c.answer == 0) {
            EXPECT_EQ(store().integerForKey(u"PrefTest-A"), 1);
            EXPECT_FALSE(OFPreference::preferenceForKey("PrefTest-A").hasNonDefaultValue());
            left.removeAll("PrefTest-A");
        }
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(lifeLog().contains("A updateUI"), c.answer == 0) << "the pane hears of the change";
    }
}

TEST_F(PreferencesWindowTest, ClosingCommitsTheEditResignsAndSaves)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Quorvel.plist");
    auto memory = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>(path));
    OFPreference::recacheRegisteredKeys();
    pf::ScopedViewBuilder field("Field", [](pf::Responder* owner) {
        auto* box = new pf::View(pf::Rect(0, 0, 300, 60));
        auto* edit = new QLineEdit;
        box->addSubview(edit, pf::Rect(10, 10, 200, 24));
        auto* pane = dynamic_cast<OAPreferenceClient*>(owner);
        pf::bindTextField(edit, *pane, "values.PrefTest-Name");
        pane->setInitialFirstResponder(edit);
        return box;
    });
    {
        OAPreferenceController controller({record("Text", 0, "General", "Field", {{"PrefTest-Name", "old"}})}, {});
        controller.showPreferencesPanel();
        QWidget* window = controller.windowWidget();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        auto* edit = window->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), "old");
        EXPECT_EQ(QApplication::focusWidget(), edit) << "the pane's first field has the keyboard";
        edit->selectAll();
        QTest::keyClicks(edit, "typed");
        EXPECT_TRUE(store().stringForKey(u"PrefTest-Name") == "old") << "not stored while editing";
        lifeLog().clear();

        controller.performClose();
        EXPECT_EQ(lifeLog(), QStringList{"Text resign"});
        EXPECT_FALSE(window->isVisible());
    }
    pf::UserDefaultsStore reread(path);
    EXPECT_EQ(reread.stringForKey(u"PrefTest-Name"), "typed") << "the edit was committed and the file written";
    EXPECT_FALSE(reread.stringForKey(u"NSWindow Frame Preferences").isEmpty()) << "the frame is kept";
    pf::UserDefaultsStore::replaceStandard(std::move(memory));
}

TEST_F(PreferencesWindowTest, ABoundControlFollowsAChangeMadeElsewhere)
{
    pf::ScopedViewBuilder check("Check", [](pf::Responder* owner) {
        auto* box = new pf::View(pf::Rect(0, 0, 300, 60));
        auto* button = new QCheckBox("Rulers");
        box->addSubview(button, pf::Rect(10, 10, 200, 24));
        pf::bindCheckBox(button, *dynamic_cast<OAPreferenceClient*>(owner), "values.PrefTest-Rulers");
        return box;
    });
    OAPreferenceController controller({record("Check", 0, "General", "Check", {{"PrefTest-Rulers", false}})}, {});
    controller.showPreferencesPanel();
    auto* box = controller.windowWidget()->findChild<QCheckBox*>();
    ASSERT_NE(box, nullptr);
    OFPreference& rulers = OFPreference::preferenceForKey("PrefTest-Rulers");
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(rulers.boolValue());

    store().setBoolForKey(true, "PrefTest-Rulers"); // a menu command
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(rulers.boolValue());

    box->click(); // the user
    EXPECT_FALSE(store().boolForKey(u"PrefTest-Rulers"));
    rulers.setBoolValue(true); // the preference, which keeps its pane in step
    EXPECT_TRUE(box->isChecked());
    store().removePersistentDomain();
    EXPECT_FALSE(box->isChecked());
}

TEST_F(PreferencesWindowTest, TheWindowComesBackWhereItWasLeftWhenAScreenShowsIt)
{
    QPoint centred;
    {
        OAPreferenceController controller({record("A", 0, "General", "Small")}, {});
        controller.showPreferencesPanel();
        centred = controller.windowWidget()->pos();
        controller.windowWidget()->move(centred + QPoint(37, 21));
        controller.performClose();
    }
    EXPECT_FALSE(store().stringForKey(u"NSWindow Frame Preferences").isEmpty());
    const struct {
        const char* stored; // null: what the last close kept
        QPoint expected;
    } cases[] = {
        {nullptr, centred + QPoint(37, 21)},
        {"{{-90000, 40}, {420, 200}}", centred}, // off every screen
        {"garbage", centred},
        {"{{10, 10}, {0, 0}}", centred},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "kept");
        if (c.stored)
            store().setObjectForKey(Value(c.stored), "NSWindow Frame Preferences");
        OAPreferenceController controller({record("A", 0, "General", "Small")}, {});
        controller.window();
        EXPECT_EQ(controller.windowWidget()->pos(), c.expected);
    }
}

} // namespace
