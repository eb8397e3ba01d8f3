// The document window's validation by tag on a fake canvas: the tag table, a full-screen transition, the
// palette items, the lock item's three states, toolbar items, and items without an action.
#include "shell/CanvasWindowController.h"

#include "model/UserDefaults.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

// Answers YES to the queries it is given.
class FakeCanvas : public CanvasAbilities {
public:
    std::set<std::string> yes;
    bool is(const char* query) const { return yes.count(query) != 0; }
    bool canRemove() const override { return is("canRemove"); }
    bool canShowInfo() const override { return is("canShowInfo"); }
    bool canSelectAll() const override { return is("canSelectAll"); }
    bool canSelectNone() const override { return is("canSelectNone"); }
    bool canDuplicate() const override { return is("canDuplicate"); }
    bool canGroup() const override { return is("canGroup"); }
    bool canUngroup() const override { return is("canUngroup"); }
    bool canLock() const override { return is("canLock"); }
    bool canUnlock() const override { return is("canUnlock"); }
    bool canBringToFront() const override { return is("canBringToFront"); }
    bool canSendToBack() const override { return is("canSendToBack"); }
    bool canAlign() const override { return is("canAlign"); }
    bool canIntersect() const override { return is("canIntersect"); }
    bool canCopyStyle() const override { return is("canCopyStyle"); }
    bool canPasteStyle() const override { return is("canPasteStyle"); }
    bool canInvert() const override { return is("canInvert"); }
};

class FakeCanvasWindow : public CanvasWindowController {
public:
    const CanvasAbilities* canvasAbilities() const override { return &canvas; }
    FakeCanvas canvas;
};

class RecordingLockItem : public ValidatedLockItem {
public:
    std::int64_t tag() const override { return 757; }
    void setEnabled(bool on) override { enabled = on; }
    void setSizeMode(int mode) override { sizeMode = mode; }
    void setShowsUnlock(bool unlock) override { showsUnlock = unlock; }
    void myUpdate() override { ++updates; }
    bool enabled = false, showsUnlock = false;
    int sizeMode = -1, updates = 0;
};

class PlainItem : public ValidatedToolbarItem {
public:
    explicit PlainItem(std::int64_t tag) : tag_(tag) {}
    std::int64_t tag() const override { return tag_; }
    void setEnabled(bool) override {}

private:
    std::int64_t tag_;
};

class WindowValidationTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
        window = std::make_unique<FakeCanvasWindow>();
    }
    void TearDown() override
    {
        window.reset();
        pf::UserDefaultsStore::replaceStandard(std::move(previous_));
    }

    static pf::MenuItem item(std::int64_t tag, const char* action = "someAction:")
    {
        pf::MenuItem m(QStringLiteral("Item"), QString::fromLatin1(action));
        m.setTag(tag);
        return m;
    }

    std::unique_ptr<FakeCanvasWindow> window;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

TEST_F(WindowValidationTest, EachTagAsksItsCanvasQuery)
{
    const std::pair<std::int64_t, const char*> table[] = {
        {147, "canRemove"},       {247, "canShowInfo"},    {347, "canSelectAll"},   {447, "canSelectNone"},
        {547, "canDuplicate"},    {647, "canGroup"},       {747, "canUngroup"},     {767, "canUnlock"},
        {847, "canBringToFront"}, {947, "canSendToBack"},  {1047, "canAlign"},      {1147, "canAlign"},
        {1247, "canAlign"},       {1347, "canAlign"},      {1447, "canAlign"},      {1547, "canAlign"},
        {1647, "canIntersect"},   {1747, "canIntersect"},  {1847, "canIntersect"},  {1947, "canIntersect"},
        {2047, "canCopyStyle"},   {2147, "canPasteStyle"}, {2247, "canInvert"},
    };
    for (const auto& [tag, query] : table) {
        bool handled = false;
        window->canvas.yes = {};
        EXPECT_FALSE(window->validateUIItem(tag, handled)) << tag;
        EXPECT_TRUE(handled) << tag;
        window->canvas.yes = {query};
        EXPECT_TRUE(window->validateUIItem(tag, handled)) << tag;
        // Every other query answering YES does not enable the item.
        window->canvas.yes = {"canRemove", "canShowInfo", "canSelectAll", "canSelectNone", "canDuplicate",
                              "canGroup", "canUngroup", "canLock", "canUnlock", "canBringToFront",
                              "canSendToBack", "canAlign", "canIntersect", "canCopyStyle", "canPasteStyle",
                              "canInvert"};
        window->canvas.yes.erase(query);
        EXPECT_FALSE(window->validateUIItem(tag, handled)) << tag;
        EXPECT_FALSE(window->validateMenuItem(item(tag))) << tag;
        EXPECT_FALSE(window->validateToolbarItem(*std::make_unique<PlainItem>(tag))) << tag;
    }
    // A tag of no entry is not handled and enabled.
    bool handled = true;
    window->canvas.yes = {};
    EXPECT_TRUE(window->validateUIItem(12345, handled));
    EXPECT_FALSE(handled);
    EXPECT_TRUE(window->validateMenuItem(item(0)));
}

TEST_F(WindowValidationTest, AnItemWithoutAnActionIsNotValidatedByItsTag)
{
    // The Scripts menu's holder shares tag 447 with Select None; it has no action and stays enabled.
    window->canvas.yes = {};
    EXPECT_TRUE(window->validateMenuItem(item(447, "")));
    EXPECT_FALSE(window->validateMenuItem(item(447, "selectNone:")));
}

TEST_F(WindowValidationTest, TheLockItemShowsLockOrUnlock)
{
    const struct {
        std::set<std::string> yes;
        bool showsUnlock, enabled;
    } cases[] = {
        {{"canLock"}, false, true},
        {{"canLock", "canUnlock"}, false, true},
        {{"canUnlock"}, true, true},
        {{}, false, false},
    };
    for (const auto& c : cases) {
        window->canvas.yes = c.yes;
        RecordingLockItem lock;
        lock.showsUnlock = !c.showsUnlock;
        EXPECT_EQ(window->validateToolbarItem(lock), c.enabled);
        EXPECT_EQ(lock.showsUnlock, c.showsUnlock);
        EXPECT_EQ(lock.sizeMode, window->toolbarSizeMode());
        EXPECT_EQ(lock.updates, 1);
    }
}

TEST_F(WindowValidationTest, DuringAFullScreenTransitionOnlyThePaletteItemsAreEnabled)
{
    window->canvas.yes = {"canRemove", "canLock", "canAlign"};
    window->windowWillEnterFullScreen();
    ASSERT_TRUE(window->isFullScreenTransitioning());
    for (std::int64_t tag : {147, 757, 1047, 0, 9999}) {
        bool handled = false;
        EXPECT_FALSE(window->validateUIItem(tag, handled)) << tag;
        EXPECT_FALSE(window->validateMenuItem(item(tag))) << tag;
    }
    RecordingLockItem lock;
    EXPECT_FALSE(window->validateToolbarItem(lock));
    for (std::int64_t tag : {1211, 1212, 1213, 1214}) {
        EXPECT_TRUE(window->validateMenuItem(item(tag))) << tag;
        const auto title = window->paletteItemTitle(tag);
        ASSERT_TRUE(title) << tag;
        // No palette is open in a window without its layout: each offers to show.
        EXPECT_TRUE(title->startsWith("Show ")) << title->toStdString();
    }
    EXPECT_EQ(*window->paletteItemTitle(1212), "Show Page Palette");
    EXPECT_EQ(*window->paletteItemTitle(1214), "Show Inspector Palette");
    window->windowDidEnterFullScreen();
    EXPECT_TRUE(window->validateMenuItem(item(147)));
}

TEST(ZoomSteps, AnIndexBetweenTheStepsCountsAsTheStepShowingItsScale)
{
    EXPECT_EQ(CanvasWindowController::nextZoomStep(5, true), 10);
    EXPECT_EQ(CanvasWindowController::nextZoomStep(10, false), 5);
    EXPECT_EQ(CanvasWindowController::nextZoomStep(50, true), std::nullopt);
    EXPECT_EQ(CanvasWindowController::nextZoomStep(-4, false), std::nullopt);
    // 7 shows 100 %: in goes to 150 %, out to 75 %, never "8, still 100 %".
    EXPECT_EQ(CanvasWindowController::nextZoomStep(7, true), 1);
    EXPECT_EQ(CanvasWindowController::nextZoomStep(7, false), -1);
    EXPECT_EQ(CanvasWindowController::nextZoomStep(-100, true), 1);
}

} // namespace
