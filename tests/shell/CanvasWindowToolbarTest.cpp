// The document window's toolbar: size modes and the plain items' named pictures, the lock item's states by
// validation, items following the canvas a turn after user input, and the padlock and delete drawings
// sampled at chosen points and kept as one contact sheet.
#include "shell/CanvasWindowToolbar.h"

#include "support/ReferencePicture.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/PainterContext.h"
#include "shell/CanvasWindowController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>

#include <cmath>
#include <memory>
#include <set>
#include <string>

namespace {

class FakeCanvas : public CanvasAbilities {
public:
    std::set<std::string> yes;
    bool is(const char* query) const { return yes.count(query) != 0; }
    bool canRemove() const override { return is("canRemove"); }
    bool canShowInfo() const override { return false; }
    bool canSelectAll() const override { return false; }
    bool canSelectNone() const override { return false; }
    bool canDuplicate() const override { return is("canDuplicate"); }
    bool canGroup() const override { return is("canGroup"); }
    bool canUngroup() const override { return false; }
    bool canLock() const override { return is("canLock"); }
    bool canUnlock() const override { return is("canUnlock"); }
    bool canBringToFront() const override { return false; }
    bool canSendToBack() const override { return false; }
    bool canAlign() const override { return false; }
    bool canIntersect() const override { return false; }
    bool canCopyStyle() const override { return false; }
    bool canPasteStyle() const override { return false; }
    bool canInvert() const override { return false; }
};

// The window's validation over a fake canvas, with the size mode of the toolbar under test.
class ToolbarWindow : public CanvasWindowController {
public:
    const CanvasAbilities* canvasAbilities() const override { return &canvas; }
    int toolbarSizeMode() const override { return toolbar ? toolbar->sizeMode() : 0; }
    FakeCanvas canvas;
    CanvasWindowToolbar* toolbar = nullptr;
};

class CanvasWindowToolbarTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
        toolbar = CanvasWindowToolbar::makeDefault();
        window.toolbar = toolbar.get();
        toolbar->setValidator([this](ValidatedToolbarItem& item) { return window.validateToolbarItem(item); });
        toolbar->show();
        pf::drainMainQueue();
    }
    void TearDown() override
    {
        toolbar.reset();
        pf::drainMainQueue();
        pf::UserDefaultsStore::replaceStandard(std::move(previous_));
    }

    LockToolbarItem& lock() { return dynamic_cast<LockToolbarItem&>(*toolbar->itemWithIdentifier(QStringLiteral("Lock"))); }
    ToolbarItem& item(const char* identifier) { return *toolbar->itemWithIdentifier(QString::fromLatin1(identifier)); }

    pf::VirtualClock clock;
    ToolbarWindow window;
    std::unique_ptr<CanvasWindowToolbar> toolbar;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

QColor sample(const QImage& image, double x, double y, double scale)
{
    return image.pixelColor(int(std::floor(x * scale)), int(std::floor(y * scale)));
}

void expectColor(const QColor& c, double r, double g, double b, const char* where)
{
    const double tolerance = 3.0 / 255;
    EXPECT_NEAR(c.redF(), r, tolerance) << where;
    EXPECT_NEAR(c.greenF(), g, tolerance) << where;
    EXPECT_NEAR(c.blueF(), b, tolerance) << where;
    EXPECT_EQ(c.alpha(), 255) << where;
}

} // namespace

TEST_F(CanvasWindowToolbarTest, TheWindowsItemsCarryTheirTagsAndPlainItemsTheirNamedPictures)
{
    const std::pair<const char*, std::int64_t> expected[] = {
        {"Delete", 147},       {"Duplicate", 547},    {"Group", 647},        {"Ungroup", 747},
        {"Lock", 757},         {"BringToFront", 847}, {"SendToBack", 947},   {"AlignLeft", 1047},
        {"AlignBottom", 1547}, {"Union", 1647},       {"Exclusion", 1947},   {"Share", 0},
    };
    for (const auto& [identifier, tag] : expected) {
        ASSERT_NE(toolbar->itemWithIdentifier(QString::fromLatin1(identifier)), nullptr) << identifier;
        EXPECT_EQ(item(identifier).tag(), tag) << identifier;
    }
    EXPECT_EQ(item("Share").action(), QStringLiteral("shareOptions:"));
    auto& share = dynamic_cast<ImageToolbarItem&>(item("Share"));
    EXPECT_EQ(share.imageName(), QStringLiteral("Share32x32"));
    EXPECT_EQ(share.image().size(), pf::Size(32, 32));
    EXPECT_EQ(item("Delete").image().size(), pf::Size(32, 32));
}

TEST_F(CanvasWindowToolbarTest, AnItemsPictureComesOneTurnAfterItIsMadeAndNeverAfterItIsGone)
{
    auto made = std::make_unique<ImageToolbarItem>(QStringLiteral("Share"), 0, QStringLiteral("Share"),
                                                   QStringLiteral("shareOptions:"));
    EXPECT_TRUE(made->image().isNull());
    pf::drainMainQueue();
    EXPECT_EQ(made->image().size(), pf::Size(32, 32));

    // A picture that is missing shows none.
    auto unnamed = std::make_unique<ImageToolbarItem>(QStringLiteral("NoSuchItem"), 0, QStringLiteral("None"), QString());
    pf::drainMainQueue();
    EXPECT_TRUE(unnamed->image().isNull());
    EXPECT_TRUE(unnamed->qAction()->icon().isNull());

    // The pending update dies with the item (the sanitizer sees a late call).
    auto gone = std::make_unique<ImageToolbarItem>(QStringLiteral("Share"), 0, QStringLiteral("Share"), QString());
    gone.reset();
    pf::drainMainQueue();
}

TEST_F(CanvasWindowToolbarTest, SmallSizeSwapsPlainItemsAtOnceAndTheLockItemAtTheNextValidation)
{
    ASSERT_EQ(lock().image().size(), pf::Size(32, 32));
    toolbar->setSizeMode(2);
    for (const char* identifier : {"Duplicate", "Group", "AlignLeft", "Union", "Share"}) {
        EXPECT_EQ(dynamic_cast<ImageToolbarItem&>(item(identifier)).imageName(),
                  QString::fromLatin1(identifier) + QStringLiteral("24x24"));
        EXPECT_EQ(item(identifier).image().size(), pf::Size(24, 24)) << identifier;
    }
    EXPECT_EQ(toolbar->iconSize(), QSize(24, 24));
    EXPECT_EQ(lock().image().size(), pf::Size(32, 32));
    pf::drainMainQueue();
    EXPECT_EQ(lock().image().size(), pf::Size(24, 24));
    // The size is kept in the settings and offered by the context menu.
    EXPECT_EQ(pf::UserDefaultsStore::standard().integerForKey(QString::fromLatin1(CanvasWindowToolbar::SizeModeKey)), 2);
    CanvasWindowToolbar another;
    EXPECT_EQ(another.sizeMode(), 2);
    const QList<QAction*> sizes = toolbar->sizeMenu()->actions();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_FALSE(sizes[0]->isChecked());
    EXPECT_TRUE(sizes[1]->isChecked());
    sizes[0]->trigger();
    EXPECT_EQ(toolbar->sizeMode(), 1);
    EXPECT_EQ(item("Share").image().size(), pf::Size(32, 32));
}

TEST_F(CanvasWindowToolbarTest, TheLockItemShowsLockOrUnlockByTheCanvas)
{
    window.canvas.yes = {};
    toolbar->validateVisibleItems();
    EXPECT_EQ(lock().label(), QStringLiteral("Lock"));
    EXPECT_EQ(lock().action(), QStringLiteral("lock:"));
    EXPECT_EQ(lock().image().hasDrawingHandler(), true);
    EXPECT_TRUE(lock().image().drawingHandler() ? true : false);
    EXPECT_FALSE(lock().isEnabled());

    window.canvas.yes = {"canUnlock"};
    toolbar->validateVisibleItems();
    EXPECT_EQ(lock().label(), QStringLiteral("Unlock"));
    EXPECT_EQ(lock().action(), QStringLiteral("unlock:"));
    EXPECT_TRUE(lock().isEnabled());
    EXPECT_EQ(lock().myImage().rendered(1).pixelColor(5, 6), LockToolbarItem::largeUnlockIconImage().rendered(1).pixelColor(5, 6));

    // Each picture is made once.
    EXPECT_EQ(&LockToolbarItem::largeLockIconImage(), &LockToolbarItem::largeLockIconImage());
    EXPECT_EQ(&DeleteToolbarItem::deleteIconImage(), &DeleteToolbarItem::deleteIconImage());
    lock().setSizeMode(7);
    EXPECT_TRUE(lock().myImage().isNull());
}

TEST_F(CanvasWindowToolbarTest, ItemsFollowTheCanvasOneTurnAfterUserInput)
{
    window.canvas.yes = {};
    toolbar->validateVisibleItems();
    EXPECT_FALSE(item("Duplicate").isEnabled());
    EXPECT_FALSE(item("Delete").isEnabled());
    EXPECT_TRUE(item("Share").isEnabled());

    // A click selects something: the items change on the turn after it, not inside it.
    window.canvas.yes = {"canDuplicate", "canRemove"};
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(toolbar.get(), &release);
    EXPECT_FALSE(item("Duplicate").isEnabled());
    pf::drainMainQueue();
    EXPECT_TRUE(item("Duplicate").isEnabled());
    EXPECT_TRUE(item("Delete").isEnabled());
    EXPECT_FALSE(item("Group").isEnabled());
}

// ---- drawings ----

TEST(ToolbarIcons, PadlockColoursAtChosenPoints)
{
    for (const double scale : {1.0, 2.0}) {
        const QImage lock = LockToolbarItem::largeLockIconImage().rendered(scale);
        ASSERT_EQ(lock.width(), int(32 * scale));
        expectColor(sample(lock, 6, 15, scale), 0.93, 0.73, 0.07, "body");
        expectColor(sample(lock, 27.6, 22, scale), 0.4, 0.4, 0.4, "body outline");
        expectColor(sample(lock, 16, 27, scale), 0.93, 0.54, 0.07, "face");
        expectColor(sample(lock, 16, 19.5, scale), 0.87, 0.41, 0.1, "stripe");
        expectColor(sample(lock, 8, 11, scale), 0.5, 0.5, 0.5, "shackle");
        EXPECT_EQ(sample(lock, 16, 10, scale).alpha(), 0) << "inside the shackle";

        const QImage unlock = LockToolbarItem::largeUnlockIconImage().rendered(scale);
        expectColor(sample(unlock, 16, 19.5, scale), 0.87, 0.41, 0.1, "stripe");
        // The left leg is open: clear where the closed shackle's leg stands.
        EXPECT_EQ(sample(unlock, 8, 12.5, scale).alpha(), 0) << "open leg";
        expectColor(sample(unlock, 23.5, 11, scale), 0.5, 0.5, 0.5, "right leg");

        const QImage small = LockToolbarItem::smallLockIconImage().rendered(scale);
        ASSERT_EQ(small.width(), int(24 * scale));
        expectColor(sample(small, 12, 20, scale), 0.93, 0.54, 0.07, "small face");
        expectColor(sample(small, 12, 14.5, scale), 0.87, 0.41, 0.1, "small stripe");
        const QImage smallOpen = LockToolbarItem::smallUnlockIconImage().rendered(scale);
        EXPECT_EQ(sample(smallOpen, 5.5, 5, scale).alpha(), 0) << "small open leg";
    }
}

TEST(ToolbarIcons, DeleteDiscRedPaleAtItsEndsAndClearInTheGaps)
{
    // Points of the drawing's own (rotated) space in the image's space.
    QTransform rotated;
    rotated.translate(16, 16);
    rotated.rotate(-45);
    rotated.translate(-16, -16);
    rotated.translate(0, 0.5);
    const auto at = [&](double x, double y) { return rotated.map(QPointF(x, y)); };
    for (const double scale : {1.0, 2.0}) {
        const QImage icon = DeleteToolbarItem::deleteIconImage().rendered(scale);
        const auto pixel = [&](QPointF p) { return sample(icon, p.x(), p.y(), scale); };
        // The gradient runs from red at (5.05, 19.19) to pale red at (18.95, 4.81) and on beyond.
        const QColor red = pixel(at(8, 22.5));
        EXPECT_GT(red.redF(), 0.97);
        EXPECT_LT(red.greenF(), 0.15);
        const QColor pale = pixel(at(21, 6.5));
        EXPECT_GT(pale.redF(), 0.97);
        EXPECT_GT(pale.greenF(), 0.8);
        EXPECT_EQ(pale.alpha(), 255);
        // Inside the half-discs the clip leaves the picture clear.
        EXPECT_EQ(pixel(at(11, 16)).alpha(), 0);
        EXPECT_EQ(pixel(at(21, 16)).alpha(), 0);
        // Between them the disc shows.
        EXPECT_EQ(pixel(at(16, 16)).alpha(), 255);
    }
}

TEST(ToolbarIcons, ContactSheetOfTheFiveDrawnPictures)
{
    const double scale = 2;
    pf::BitmapContext sheet(pf::Size(5 * 36, 36), scale);
    const pf::Image pictures[] = {LockToolbarItem::largeLockIconImage(), LockToolbarItem::largeUnlockIconImage(),
                                  LockToolbarItem::smallLockIconImage(), LockToolbarItem::smallUnlockIconImage(),
                                  DeleteToolbarItem::deleteIconImage()};
    double x = 2;
    for (const pf::Image& picture : pictures) {
        const pf::SavedGState saved(sheet);
        sheet.translate(x, 2);
        picture.drawingHandler()(sheet, pf::Rect(pf::Point(), picture.size()));
        x += 36;
    }
    expectMatchesReferencePicture(sheet.bitmap(), QStringLiteral(QUORVEL_TEST_DATA "/shell/toolbar_icons.png"));
}
