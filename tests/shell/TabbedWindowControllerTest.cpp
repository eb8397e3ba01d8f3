#include "shell/TabbedWindowTestSupport.h"

#include "platform/docs/DocumentController.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Window.h"

#include <QDialog>
#include <QWidget>

namespace {

using namespace tabbed_test;

class CloseTabRecorder : public pf::DocumentController {
public:
    void closeTab() override { ++closeTabs; }
    int closeTabs = 0;
};

using TabbedWindowControllerTest = TabbedWindowTest;

TEST_F(TabbedWindowControllerTest, HooksRunInOrderAndEverySelectionIsInsideItsChangeNotice)
{
    auto controller = makeWindow({"A", "B"});
    RecordingWindowController& c = *controller;
    auto observation = c.addObserver("selectedTabIndex", [&](pf::Object&, const QString&, pf::ChangePhase phase) {
        c.log << (phase == pf::ChangePhase::Will ? "notice will" : "notice did");
    });

    c.addTabModelAtIndex(1);
    EXPECT_EQ(c.log, (QStringList{"willAdd 1", "notice will", "selectionWillChange 0", "selectionDidChange 1",
                                  "notice did", "didAdd 1"}));
    EXPECT_EQ(c.titles(), (QStringList{"A", "", "B"}));
    EXPECT_EQ(std::dynamic_pointer_cast<Sheet>(c.tabModelAtIndex(1)->representedObject())->name, "Page 3");
    EXPECT_EQ(c.tabModelAtIndex(1)->type(), "sheet");
    EXPECT_EQ(stripLog, (QStringList{"reload", "scroll {{0, 30}, {80, 30}}"}));

    c.log.clear();
    c.removeTabModelAtIndex(0);
    EXPECT_EQ(c.log, (QStringList{"willRemove 0", "notice will", "selectionWillChange 1", "selectionDidChange 0",
                                  "notice did", "didRemove"}));

    c.log.clear();
    c.swapTabModelsAtIndex(0, 1);
    EXPECT_EQ(c.log, (QStringList{"willSwap 0 1", "notice will", "selectionWillChange 0", "selectionDidChange 0",
                                  "notice did", "didSwap 0 1"}));
    EXPECT_EQ(c.titles(), (QStringList{"B", ""}));
    EXPECT_EQ(c.tabModelAtIndex(0)->index(), 0u);
    EXPECT_EQ(c.tabModelAtIndex(1)->index(), 1u);
    EXPECT_TRUE(c.tabModelAtIndex(0)->isSelected());
    EXPECT_FALSE(c.tabModelAtIndex(1)->isSelected());

    c.log.clear();
    c.duplicateTabModelAtIndex(0);
    EXPECT_EQ(c.log, (QStringList{"willAdd 1", "notice will", "selectionWillChange 0", "selectionDidChange 1",
                                  "notice did", "didAdd 1"}));
}

TEST_F(TabbedWindowControllerTest, IdentifiersCountUpAndEntriesLeaveWithTheirWindowOrController)
{
    auto first = std::make_shared<RecordingWindowController>();
    auto second = std::make_shared<RecordingWindowController>();
    auto third = std::make_shared<RecordingWindowController>();
    const int n = first->identifier().toInt();
    EXPECT_GE(n, 1);
    EXPECT_EQ(second->identifier(), QString::number(n + 1));
    EXPECT_EQ(third->identifier(), QString::number(n + 2));
    EXPECT_EQ(TKMainWindowController::windowControllerForIdentifier(second->identifier()), second.get());
    EXPECT_TRUE(first->description().contains("RecordingWindowController"));
    EXPECT_TRUE(first->description().endsWith(" " + first->identifier() + ">"));

    const QString secondId = second->identifier(), thirdId = third->identifier();
    second->window();
    second->close();
    EXPECT_EQ(TKMainWindowController::windowControllerForIdentifier(secondId), nullptr);
    third.reset();
    EXPECT_EQ(TKMainWindowController::windowControllerForIdentifier(thirdId), nullptr);
    EXPECT_EQ(TKMainWindowController::windowControllerForIdentifier(first->identifier()), first.get());
    EXPECT_EQ(TKMainWindowController::windowControllerForIdentifier("0"), nullptr);
}

struct SelectionCase {
    const char* name;
    int tabs;
    std::size_t selected;
    std::function<void(RecordingWindowController&)> operation;
    QStringList titlesAfter;
    std::size_t selectedAfter;
    int beeps;
};

TEST_F(TabbedWindowControllerTest, SelectionAfterEachOperation)
{
    auto tag = [](std::int64_t value) {
        auto item = std::make_shared<pf::MenuItem>();
        item->setTag(value);
        return item;
    };
    const std::vector<SelectionCase> cases = {
        {"remove 1 of 3, 0 selected", 3, 0, [](auto& c) { c.removeTabModelAtIndex(1); }, {"T0", "T2"}, 1, 0},
        {"remove the last of 3", 3, 2, [](auto& c) { c.removeTabModelAtIndex(2); }, {"T0", "T1"}, 1, 0},
        {"remove 0 of 2", 2, 1, [](auto& c) { c.removeTabModelAtIndex(0); }, {"T1"}, 0, 0},
        {"remove the only tab", 1, 0, [](auto& c) { c.removeTabModelAtIndex(0); }, {}, pf::NotFound, 0},
        {"select 7 of 3", 3, 1, [](auto& c) { c.setSelectedTabIndex(7); }, {"T0", "T1", "T2"}, 0, 0},
        {"previous on 0 of 4", 4, 0, [](auto& c) { c.selectPreviousTab(); }, {"T0", "T1", "T2", "T3"}, 3, 0},
        {"next on 3 of 4", 4, 3, [](auto& c) { c.selectNextTab(); }, {"T0", "T1", "T2", "T3"}, 0, 0},
        {"close others, 2 of 5", 5, 2, [](auto& c) { c.closeOtherTabs(); }, {"T2"}, 0, 0},
        {"close tag 9 of 3", 3, 1, [tag](auto& c) { c.takeTabIndexToCloseFrom(tag(9).get()); }, {"T0", "T1", "T2"}, 1, 1},
        {"close tag -1", 3, 1, [tag](auto& c) { c.takeTabIndexToCloseFrom(tag(-1).get()); }, {"T0", "T1", "T2"}, 1, 1},
        {"duplicate tag 3 of 3", 3, 0, [tag](auto& c) { c.takeTabIndexToDuplicateFrom(tag(3).get()); }, {"T0", "T1", "T2"}, 0, 1},
        {"edit title tag 5", 3, 0, [tag](auto& c) { c.takeTabIndexToEditTitleFrom(tag(5).get()); }, {"T0", "T1", "T2"}, 0, 1},
        {"move tag 4", 3, 0, [tag](auto& c) { c.takeTabIndexToMoveToNewWindowFrom(tag(4).get()); }, {"T0", "T1", "T2"}, 0, 1},
        {"remove 3 of 3", 3, 0, [](auto& c) { c.removeTabModelAtIndex(3); }, {"T0", "T1", "T2"}, 0, 1},
        {"swap 0 and 3", 3, 0, [](auto& c) { c.swapTabModelsAtIndex(0, 3); }, {"T0", "T1", "T2"}, 0, 1},
        {"add at 4 of 3", 3, 0, [](auto& c) { c.addTabModelAtIndex(4); }, {"T0", "T1", "T2"}, 0, 1},
        {"strip closes 6", 3, 0, [](auto& c) { c.tabsViewControllerDidCloseTabModelAtIndex(*c.tabsListViewController(), 6); }, {"T0", "T1", "T2"}, 0, 1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        QStringList names;
        for (int i = 0; i < testCase.tabs; ++i)
            names << QString("T%1").arg(i);
        auto controller = makeWindow(names);
        controller->setSelectedTabIndex(testCase.selected);
        beeps = 0;
        testCase.operation(*controller);
        EXPECT_EQ(controller->titles(), testCase.titlesAfter);
        EXPECT_EQ(controller->selectedTabIndex(), testCase.selectedAfter);
        EXPECT_EQ(beeps, testCase.beeps);
        if (testCase.selectedAfter == pf::NotFound) {
            EXPECT_EQ(controller->selectedTabModel(), nullptr);
        } else {
            ASSERT_NE(controller->selectedTabModel(), nullptr);
            EXPECT_EQ(controller->selectedTabModel(), controller->tabModelAtIndex(testCase.selectedAfter));
            int selectedCount = 0;
            for (const auto& model : controller->tabModels())
                selectedCount += model->isSelected();
            EXPECT_EQ(selectedCount, 1);
        }
    }
}

TEST_F(TabbedWindowControllerTest, DuplicatesAreTitledAfterTheirSourceOrAsANewPageAtTheEnd)
{
    auto controller = makeWindow({"Home", "Shop"});
    controller->duplicateTabModelAtIndex(0);
    EXPECT_EQ(controller->titles(), (QStringList{"Home", "Home (copy)", "Shop"}));
    EXPECT_EQ(controller->selectedTabIndex(), 1u);
    EXPECT_EQ(std::dynamic_pointer_cast<Sheet>(controller->tabModelAtIndex(1)->representedObject())->name, "Home copied");

    auto two = makeWindow({"Home", "Shop"});
    two->setSelectedTabIndex(1);
    two->duplicateTab();
    EXPECT_EQ(two->titles(), (QStringList{"Home", "Shop", "Page 3"}));
}

TEST_F(TabbedWindowControllerTest, TabsAreFoundByTheirVeryRepresentedObject)
{
    auto empty = makeWindow({});
    Sheet stranger("A");
    EXPECT_EQ(empty->indexOfTabModelWithRepresentedObject(&stranger), pf::NotFound);
    EXPECT_EQ(empty->indexOfTabModelWithRepresentedObject(nullptr), pf::NotFound);
    auto controller = makeWindow({"A", "B"});
    EXPECT_EQ(controller->indexOfTabModelWithRepresentedObject(&stranger), pf::NotFound);
    EXPECT_EQ(controller->indexOfTabModelWithRepresentedObject(controller->tabModelAtIndex(1)->representedObject().get()), 1u);
    EXPECT_EQ(controller->tabModelAtIndex(2), nullptr);
}

TEST_F(TabbedWindowControllerTest, ClosingATabAsksFirstWhenConfirmationIsWantedAndTheOnlyTabClosesTheWindow)
{
    auto controller = makeWindow({"A", "B", "C"});
    controller->showWindow();
    controller->setUserMustConfirmTabClose(true);

    controller->closeTabAtIndex(1);
    QDialog* sheet = controller->attachedSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(controller->selectedTabIndex(), 1u);
    EXPECT_EQ(controller->titles().size(), 3);
    controller->endSheet(sheet, 0);
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B", "C"}));

    controller->closeTabAtIndex(2);
    pf::MenuItem closeButton;
    closeButton.setTag(1);
    controller->orderOutConfirmTabCloseSheet(&closeButton);
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B"}));
    EXPECT_EQ(controller->attachedSheet(), nullptr);

    // A sheet run from a menu item closes the item's tab.
    pf::MenuItem item;
    item.setTag(0);
    controller->runConfirmTabCloseSheet(&item);
    controller->endSheet(controller->attachedSheet(), 1);
    EXPECT_EQ(controller->titles(), QStringList{"B"});

    // Without confirmation: several tabs lose one, the only one closes the window.
    controller->setUserMustConfirmTabClose(false);
    controller->newTab();
    controller->closeTabAtIndex(0);
    EXPECT_EQ(controller->titles(), QStringList{""});
    EXPECT_FALSE(controller->isClosed());
    controller->closeTabAtIndex(0);
    EXPECT_TRUE(controller->isClosed());
    EXPECT_EQ(controller->titles().size(), 1);
}

TEST_F(TabbedWindowControllerTest, CloseTabInAWindowThatIsNotKeyGoesToTheDocumentController)
{
    CloseTabRecorder documents;
    auto controller = makeWindow({"A", "B"});
    controller->closeTab();
    EXPECT_EQ(documents.closeTabs, 1);
    EXPECT_EQ(controller->titles().size(), 2);

    controller->window()->becomeKeyWindow();
    controller->setSelectedTabIndex(1);
    controller->closeTab();
    EXPECT_EQ(controller->titles(), QStringList{"A"});
    EXPECT_EQ(documents.closeTabs, 1);
    controller->window()->resignKeyWindow();
}

TEST_F(TabbedWindowControllerTest, TheContextMenuAndTheStripsQuestionsAndActions)
{
    auto controller = makeWindow({"A", "B", "C"});
    TKTabsList& strip = *controller->tabsListViewController();
    EXPECT_EQ(strip.delegate(), controller.get());

    auto menu = controller->tabsViewControllerContextMenuForTabModelAtIndex(strip, 2);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->numberOfItems(), 1);
    const pf::MenuItem& close = menu->itemAt(0);
    EXPECT_EQ(close.title(), "Close");
    EXPECT_EQ(close.action(), "takeTabIndexToCloseFrom:");
    EXPECT_EQ(close.target(), controller.get());
    EXPECT_EQ(close.tag(), 2);
    EXPECT_EQ(close.representedObject().get<std::shared_ptr<pf::Object>>().value_or(nullptr),
              controller->tabModelAtIndex(2)->representedObject());
    EXPECT_EQ(controller->contextMenuForTabModelAtIndex(3), nullptr);
    EXPECT_TRUE(close.perform());
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B"}));

    EXPECT_EQ(controller->numberOfTabsInTabsViewController(strip), 2u);
    EXPECT_EQ(controller->tabsViewControllerTabModelAtIndex(strip, 1), controller->tabModelAtIndex(1));
    EXPECT_EQ(controller->tabsViewControllerTabModelAtIndex(strip, 2), nullptr);
    controller->tabsViewControllerDidSelectTabModelAtIndex(strip, 0);
    EXPECT_EQ(controller->selectedTabIndex(), 0u);
    controller->tabsViewControllerWantsNewTab(strip);
    EXPECT_EQ(controller->titles().size(), 3);
    EXPECT_EQ(controller->selectedTabIndex(), 2u);

    stripLog.clear();
    pf::MenuItem edit;
    edit.setTag(1);
    controller->takeTabIndexToEditTitleFrom(&edit);
    controller->takeTabIndexToEditTitleFrom(nullptr);
    EXPECT_EQ(stripLog, (QStringList{"edit 1 title", "edit 2 title"}));
    EXPECT_EQ(controller->localizedDisplayNameForTab(), "Tab");
    EXPECT_EQ(controller->localizedDisplayNameForTabPlural(), "Tabs");
}

TEST_F(TabbedWindowControllerTest, TabsHeldBeforeTheWindowLoadsJoinTheStripWithTheirSelection)
{
    auto controller = std::make_shared<RecordingWindowController>();
    controller->addSheets({"A", "B", "C"});
    controller->setSelectedTabIndex(2);
    EXPECT_EQ(controller->tabsListViewController(), nullptr);
    EXPECT_FALSE(controller->hasSetUpTabsList());
    controller->log.clear();
    controller->window();
    EXPECT_TRUE(controller->hasSetUpTabsList());
    ASSERT_NE(controller->tabsListViewController(), nullptr);
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(controller->selectedTabIndex(), 2u);
    EXPECT_EQ(controller->log.filter("didAdd"), (QStringList{"didAdd 0", "didAdd 1", "didAdd 2"}));
    EXPECT_EQ(stripLog.last(), "scroll {{0, 60}, {80, 30}}");
}

TEST_F(TabbedWindowControllerTest, AddingTabsReportsWhatCouldNotBeMade)
{
    // The base class has no kind of tab: nothing is made, the add beeps and logs.
    QStringList logged;
    pf::ScopedLogSink log([&](const QString& message) { logged << message; });
    TKMainWindowController plain("TestTabbedWindow");
    plain.window();
    plain.newTab();
    EXPECT_TRUE(plain.tabModels().empty());
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(logged.size(), 1);
    QString error;
    EXPECT_EQ(plain.addTabWithRepresentedObject(std::make_shared<Sheet>("A"), QString(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(plain.addTabWithContentsOfURLString("/tmp/a.png", QString(), &error));

    auto controller = makeWindow({});
    auto model = controller->addTabWithRepresentedObject(std::make_shared<Sheet>("A"), QString(), &error);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->type(), "sheet");
    EXPECT_TRUE(controller->addTabWithContentsOfURLString("/tmp/b.png", "picture", &error));
    EXPECT_EQ(controller->titles(), (QStringList{"", "b.png"}));
    EXPECT_EQ(controller->tabModelAtIndex(1)->type(), "picture");
}

TEST_F(TabbedWindowControllerTest, AnOffscreenTabbedWindowWorkedThroughItsActions)
{
    auto controller = std::make_shared<RecordingWindowController>();
    pf::ApplicationResponder inChain(*controller);
    controller->showWindow();
    pf::Window* window = controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(controller->windowWidget()->isVisible());
    window->becomeKeyWindow();
    window->becomeMainWindow();

    // Tabs are added, and selected as they come, through the chain's actions.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pf::sendAction("newTab:"));
    EXPECT_TRUE(pf::sendAction("newBackgroundTab:"));
    ASSERT_EQ(controller->numberOfTabs(), 4u);
    EXPECT_EQ(controller->selectedTabIndex(), 3u);
    QStringList pages;
    for (const auto& model : controller->tabModels())
        pages << std::dynamic_pointer_cast<Sheet>(model->representedObject())->name;
    EXPECT_EQ(pages, (QStringList{"Page 1", "Page 2", "Page 3", "Page 4"}));

    EXPECT_TRUE(pf::sendAction("selectNextTab:"));
    EXPECT_EQ(controller->selectedTabIndex(), 0u);
    EXPECT_TRUE(pf::sendAction("selectPreviousTab:"));
    EXPECT_EQ(controller->selectedTabIndex(), 3u);
    EXPECT_TRUE(pf::sendAction("duplicateTab:"));
    EXPECT_EQ(controller->numberOfTabs(), 5u);

    // Closing: the selected tab, one named by a menu item's tag, the others, then the window.
    pf::MenuItem closeSecond("Close", "takeTabIndexToCloseFrom:");
    closeSecond.setTag(1);
    EXPECT_TRUE(closeSecond.perform());
    EXPECT_EQ(controller->numberOfTabs(), 4u);
    EXPECT_TRUE(pf::sendAction("closeTab:"));
    EXPECT_EQ(controller->numberOfTabs(), 3u);
    controller->setSelectedTabIndex(1);
    const auto kept = controller->selectedTabModel();
    EXPECT_TRUE(pf::sendAction("closeOtherTabs:"));
    ASSERT_EQ(controller->numberOfTabs(), 1u);
    EXPECT_EQ(controller->selectedTabModel(), kept);
    EXPECT_TRUE(pf::sendAction("closeTab:"));
    EXPECT_TRUE(controller->isClosed());
    EXPECT_FALSE(controller->windowWidget()->isVisible());
    EXPECT_EQ(TKMainWindowController::windowControllerForIdentifier(controller->identifier()), nullptr);
    EXPECT_EQ(beeps, 0);
}

} // namespace
