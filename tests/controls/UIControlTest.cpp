// The control base: class catalogue, fixed sides, the update chain, outline and handle, rotated drawing,
// copy, equality, the stored form (with untrusted numbers) and the undoable setters.
#include "ControlTestSupport.h"

#include "geometry/QVColor.h"
#include "geometry/QVImageAdditions.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

TEST_F(ControlTest, ClassCatalogueOfTheBase)
{
    const UIControlClass& base = UIControl::staticClass();
    EXPECT_EQ(base.stickyPhylumName(), QStringLiteral("UIControl"));
    EXPECT_EQ(TestControl::staticClass().stickyPhylumName(), QStringLiteral("TestControl"));
    EXPECT_FALSE(base.isStickySettingEnabled());
    EXPECT_FALSE(base.hasRoundedCorners());
    EXPECT_FALSE(base.allowsShapeMode());
    EXPECT_EQ(base.manipulatorClassName(), QStringLiteral("UIControlManipulator"));
    EXPECT_EQ(TestControl::staticClass().provisionalSize(), pf::Size(80, 44));
    EXPECT_EQ(base.minControlItems(), 0);
    EXPECT_EQ(base.maxControlItems(), 0);
    EXPECT_EQ(base.defaultTintColor(), pf::Color(0, 0x66 / 255.0, 1, 1));
    EXPECT_EQ(base.controlBackgroundColor(), pf::Color(1, 1, 1, 0.9));
    EXPECT_EQ(base.controlBorderColor(), QVHexColor(0xCCCCCC));
}

TEST_F(ControlTest, NewControlTakesTheClassTintAndBorderAndNoStickyStyle)
{
    registerDefault("User-TestControl-strokeColor", "1:0:0:1");
    auto c = control();
    EXPECT_EQ(c->tintColor(), UIControl::staticClass().defaultTintColor());
    EXPECT_EQ(c->strokeColor(), UIControl::staticClass().controlBorderColor());
    EXPECT_TRUE(c->controlItems().empty());
    EXPECT_TRUE(c->isControl());
    EXPECT_FALSE(c->canEditImage());
    EXPECT_FALSE(c->canIntersect());
    EXPECT_FALSE(c->canConvertToBezier());
    // Setting styles writes nothing remembered.
    c->setFillColor(pf::Color(0, 1, 0, 1));
    EXPECT_TRUE(userValues().empty());
}

TEST_F(ControlTest, FixedSidesAreForcedOnEveryFrameChange)
{
    auto c = control(pf::Rect(0, 0, 100, 50));
    c->setFixedHeight(30);
    EXPECT_EQ(c->frame(), pf::Rect(0, 0, 100, 50)) << "setting a fixed side does not re-apply the frame";
    c->setFrame(pf::Rect(5, 6, 120, 200));
    EXPECT_EQ(c->frame(), pf::Rect(5, 6, 120, 30));
    c->setFixedWidth(44);
    c->setFrame(pf::Rect(5, 6, 120, 200));
    EXPECT_EQ(c->frame(), pf::Rect(5, 6, 44, 30));
    EXPECT_FALSE(c->isHorizontallyFlexible());
    EXPECT_FALSE(c->isVerticallyFlexible());
    // A fixed side that is not finite would make every frame invalid: it frees the side instead.
    c->setFixedWidth(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(c->fixedWidth(), 0);
    c->setFrame(pf::Rect(5, 6, 70, 200));
    EXPECT_EQ(c->frame(), pf::Rect(5, 6, 70, 30));
}

TEST_F(ControlTest, KindsFixingASideBeforeInitialisationKeepTheInitialFrameUntilTheNextChange)
{
    auto c = Shape::make<FixedControl>(pf::Rect(0, 0, 100, 200));
    EXPECT_EQ(c->frame(), pf::Rect(0, 0, 100, 200));
    c->setFrame(pf::Rect(0, 0, 100, 201));
    EXPECT_EQ(c->frame(), pf::Rect(0, 0, 100, 30));
}

TEST_F(ControlTest, UpdateRunsIdentifierImageFrameThenTheShapeUpdate)
{
    auto c = control();
    c->calls.clear();
    c->setThemeType(1);
    EXPECT_EQ(c->calls, (std::vector<std::string>{"identifier", "image", "frame", "content"}));
    c->calls.clear();
    c->setThemeType(1);
    EXPECT_TRUE(c->calls.empty()) << "an unchanged value does nothing";
}

TEST_F(ControlTest, ThePictureIsLoadedByNameAndAMissingOneIsNone)
{
    auto c = control();
    c->pictureName = QStringLiteral("test-swatch.png");
    c->update();
    EXPECT_TRUE(c->controlImage().isValid());
    c->pictureName = QStringLiteral("no-such-picture");
    c->update();
    EXPECT_TRUE(c->controlImage().isNull());
    EXPECT_EQ(c->controlImageIdentifier(), QStringLiteral("no-such-picture"));
}

TEST_F(ControlTest, OutlineAndCornerHandle)
{
    auto c = control(pf::Rect(10, 20, 80, 44));
    EXPECT_TRUE(c->path().sameElements(pf::Path::rect(pf::Rect(10, 20, 80, 44))));
    c->setAdjustmentRatioX(0.5);
    EXPECT_TRUE(c->path().sameElements(pf::Path::roundedRect(pf::Rect(10, 20, 80, 44), 20, 20)))
        << "radius = ratio × width / 2";
    EXPECT_EQ(c->adjustPoint(), pf::Point(70, 20));
    // The base class has no rounded corners: the ratio leaves the outline a rect.
    auto plain = Shape::make<FixedControl>(pf::Rect(0, 0, 80, 30));
    plain->setAdjustmentRatioX(0.5);
    EXPECT_TRUE(plain->path().sameElements(pf::Path::rect(pf::Rect(0, 0, 80, 30))));
}

TEST_F(ControlTest, SnapsUnlessSelectedOrHidden)
{
    auto c = control();
    c->setFillType(5);
    c->setStrokeType(3);
    EXPECT_TRUE(c->isSnapable()) << "a control always shows something";
    c->setSelected(true);
    EXPECT_FALSE(c->isSnapable());
    c->setSelected(false);
    c->setHidden(true);
    EXPECT_FALSE(c->isSnapable());
}

TEST_F(ControlTest, TheControlIsDrawnTurnedAboutTheCentreAfterTheShapeLayers)
{
    auto c = control(pf::Rect(0, 0, 100, 40));
    c->setFillType(0);
    c->setFillColor(pf::Color(0, 1, 0, 1));
    c->setFillShadowHidden(true);
    c->setStrokeType(3);
    c->setRotationAngle(90);
    pf::RecordingContext context;
    c->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    ASSERT_EQ(context.calls().size(), 2u);
    // The shape's fill first, its outline turned and the context not.
    EXPECT_EQ(context.calls()[0].operation, "fill");
    EXPECT_TRUE(context.calls()[0].state.ctm.isIdentity());
    // Then the control, drawn in its own frame with the context turned a quarter about (50, 20): the
    // frame's corner (0, 0) lands at (70, -30).
    const pf::AffineTransform& ctm = context.calls()[1].state.ctm;
    const pf::Point corner = ctm.apply(pf::Point(0, 0));
    EXPECT_NEAR(corner.x, 70, 1e-12);
    EXPECT_NEAR(corner.y, -30, 1e-12);
    EXPECT_EQ(context.calls()[1].path.bounds(), pf::Rect(0, 0, 100, 40));
    // The text pass comes after, not turned by the control.
    ASSERT_EQ(c->textCTMs.size(), 1u);
    EXPECT_TRUE(c->textCTMs[0].isIdentity());
    EXPECT_EQ(context.gstateDepth(), 0);
}

TEST_F(ControlTest, CopiesAreEqualAndOwnTheirItems)
{
    auto c = control();
    c->setControlItems({item("One", 3), item("Two", 0, true)});
    c->setThemeType(1);
    c->setFixedWidth(80);
    c->pictureName = QStringLiteral("test-swatch.png");
    auto copy = std::static_pointer_cast<TestControl>(c->copy());
    EXPECT_TRUE(copy->isEqual(*c));
    EXPECT_EQ(copy->fixedWidth(), 80);
    ASSERT_EQ(copy->controlItems().size(), 2u);
    EXPECT_NE(copy->controlItems()[0], c->controlItems()[0]) << "the copy holds its own items";
    // The item table edits items in place: an edit of the copy's item leaves the original alone.
    copy->controlItems()[0]->setTitle("Edited");
    EXPECT_EQ(c->controlItems()[0]->title(), QStringLiteral("One"));
    EXPECT_FALSE(copy->isEqual(*c));
    // The copy was updated.
    EXPECT_EQ(copy->calls.front(), "identifier");
}

TEST_F(ControlTest, EqualityCoversTheControlStateButNotTheSizeClassOrPicture)
{
    const std::vector<std::pair<const char*, std::function<void(UIControl&)>>> differences = {
        {"device", [](UIControl& c) { c.setDeviceType(1); }},
        {"orientation", [](UIControl& c) { c.setDeviceOrientation(1); }},
        {"theme", [](UIControl& c) { c.setThemeType(1); }},
        {"tint", [](UIControl& c) { c.setTintColor(pf::Color(1, 0, 0, 1)); }},
        {"highlighted", [](UIControl& c) { c.setHighlighted(true); }},
        {"border", [](UIControl& c) { c.setHighlightBorderEnabled(true); }},
        {"fixed width", [](UIControl& c) { c.setFixedWidth(3); }},
        {"fixed height", [](UIControl& c) { c.setFixedHeight(3); }},
        {"item count", [](UIControl& c) { c.setControlItems({item("A"), item("B")}); }},
        {"item title", [](UIControl& c) { c.setControlItems({item("B")}); }},
        {"item icon", [](UIControl& c) { c.setControlItems({item("A", 2)}); }},
        {"item highlight", [](UIControl& c) { c.setControlItems({item("A", 0, true)}); }},
        {"shape", [](UIControl& c) { c.setOpacity(0.5); }},
    };
    for (const auto& [name, change] : differences) {
        auto a = control();
        a->setControlItems({item("A")});
        auto b = std::static_pointer_cast<TestControl>(a->copy());
        EXPECT_TRUE(a->isEqual(*b)) << name;
        change(*b);
        EXPECT_FALSE(a->isEqual(*b)) << name;
        EXPECT_FALSE(b->isEqual(*a)) << name;
    }
    auto a = control();
    auto b = std::static_pointer_cast<TestControl>(a->copy());
    b->setControlSize(2);
    b->pictureName = QStringLiteral("test-swatch.png");
    b->update();
    EXPECT_TRUE(a->isEqual(*b));
    // Another kind with the same state is not equal.
    auto plain = Shape::make<Rectangle>(a->frame());
    EXPECT_FALSE(a->isEqualToShape(*plain));
}

TEST_F(ControlTest, StoredFormRoundTripsWithItems)
{
    auto c = control();
    c->setDeviceType(1);
    c->setDeviceOrientation(1);
    c->setThemeType(1);
    c->setTintColor(pf::Color(0.25, 0.5, 0.75, 1));
    c->setHighlighted(true);
    c->setHighlightBorderEnabled(true);
    c->setControlItems({item("One", 3), item("Two", 40, true)});
    c->controlItems()[1]->setAccessory(UIControlItem::AccessoryInfo);
    c->setFixedWidth(80);
    c->setFixedHeight(44);
    const pf::Value plist = c->asPlist();
    EXPECT_EQ(plist.integerForKey("deviceType"), 1);
    EXPECT_EQ(plist.stringForKey("tintColor"), QStringLiteral("0.250000:0.500000:0.750000:1.000000"));
    EXPECT_EQ(plist.arrayForKey("controlItems").size(), 2u);
    EXPECT_EQ(plist.doubleForKey("fixedHeight"), 44);

    auto read = std::dynamic_pointer_cast<TestControl>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqual(*c));
    EXPECT_EQ(read->asPlist(), plist);
}

TEST_F(ControlTest, MissingAndMalformedKeysReadAsTheirDefaults)
{
    pf::Value plist = control()->asPlist();
    plist.remove("controlItems");
    plist.set(QStringLiteral("tintColor"), "1:0:0");
    auto read = std::dynamic_pointer_cast<UIControl>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->controlItems().empty());
    EXPECT_EQ(read->asPlist().arrayForKey("controlItems").size(), 0u);
    EXPECT_TRUE(read->asPlist()["controlItems"].isArray());
    EXPECT_EQ(read->tintColor(), UIControl::staticClass().defaultTintColor());
}

TEST_F(ControlTest, StoredNumbersOutOfRangeReadAsTheirDefaults)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* key;
        pf::Value stored;
        double expected;
    };
    const std::vector<Case> cases = {
        {"deviceType", 1, 1},         {"deviceType", 2, 0},          {"deviceType", -1, 0},
        {"deviceType", nan, 0},       {"deviceType", "1", 1},        {"deviceOrientation", 7, 0},
        {"themeType", 1.5, 1},        {"themeType", 1e300, 0},       {"fixedWidth", 40.5, 40.5},
        {"fixedWidth", -3, 0},        {"fixedWidth", inf, 0},        {"fixedHeight", nan, 0},
        {"fixedHeight", "12", 12},
    };
    const pf::Value base = control()->asPlist();
    for (const Case& k : cases) {
        pf::Value plist = base;
        plist.set(QString::fromLatin1(k.key), k.stored);
        auto read = std::dynamic_pointer_cast<UIControl>(Shape::fromPlist(plist));
        ASSERT_TRUE(read);
        const double value = read->valueForKey(QString::fromLatin1(k.key)).toDouble();
        EXPECT_EQ(value, k.expected) << k.key << " " << qPrintable(read->valueForKey(k.key).description());
    }
}

TEST_F(ControlTest, ItemsStoreTheirFourFieldsAndUnreadableEntriesAreSkipped)
{
    auto i = item("Row", 12);
    i->setAccessory(UIControlItem::AccessoryChevron);
    const pf::Value stored = i->asPlist();
    EXPECT_EQ(stored.stringForKey("title"), QStringLiteral("Row"));
    auto back = UIControlItem::fromPlist(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *i);

    // Without a title the item has none, and writes none.
    pf::Value untitled = stored;
    untitled.remove("title");
    auto bare = UIControlItem::fromPlist(untitled);
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->title().isNull());
    EXPECT_FALSE(bare->asPlist().contains("title"));
    EXPECT_FALSE(*bare == *UIControlItem::make()) << "no title differs from the default \"Untitled\"";
    EXPECT_EQ(UIControlItem::make()->title(), QStringLiteral("Untitled"));

    // Enumerations out of range read as none.
    pf::Value odd = stored;
    odd.set(QStringLiteral("iconType"), 41);
    odd.set(QStringLiteral("accessory"), -2);
    auto oddItem = UIControlItem::fromPlist(odd);
    EXPECT_EQ(oddItem->iconType(), 0);
    EXPECT_EQ(oddItem->accessory(), 0);

    pf::Value plist = control()->asPlist();
    plist.set(QStringLiteral("controlItems"), pf::Value::Array{stored, pf::Value(3), untitled});
    auto read = std::dynamic_pointer_cast<UIControl>(Shape::fromPlist(plist));
    ASSERT_EQ(read->controlItems().size(), 2u);
    EXPECT_EQ(*read->controlItems()[0], *i);
    EXPECT_TRUE(read->controlItems()[1]->title().isNull());
}

TEST_F(ControlTest, EachSetterIsOneUndoStepUnderItsName)
{
    struct Case {
        const char* key;
        std::function<void(UIControl&)> set;
        const char* action;
    };
    const std::vector<Case> cases = {
        {"deviceType", [](UIControl& c) { c.setDeviceType(1); }, "Device Type"},
        {"deviceOrientation", [](UIControl& c) { c.setDeviceOrientation(1); }, "Device Orientation"},
        {"controlSize", [](UIControl& c) { c.setControlSize(2); }, "Control Size"},
        {"themeType", [](UIControl& c) { c.setThemeType(1); }, "Theme Type"},
        {"tintColor", [](UIControl& c) { c.setTintColor(pf::Color(1, 0, 0, 1)); }, "Tint Color"},
        {"highlighted", [](UIControl& c) { c.setHighlighted(true); }, "Highlighted"},
        {"highlightBorderEnabled", [](UIControl& c) { c.setHighlightBorderEnabled(true); }, "Item Border"},
        {"controlItems", [](UIControl& c) { c.setControlItems({item("A")}); }, "Control Items"},
    };
    for (const Case& k : cases) {
        auto c = control();
        const pf::Variant before = c->valueForKey(k.key);
        std::vector<pf::ChangePhase> notices;
        auto token = c->addObserver(k.key, [&](pf::Object&, const QString&, pf::ChangePhase phase) {
            notices.push_back(phase);
        });
        k.set(*c);
        EXPECT_EQ(notices, (std::vector<pf::ChangePhase>{pf::ChangePhase::Will, pf::ChangePhase::Did})) << k.key;
        EXPECT_FALSE(c->valueForKey(k.key) == before) << k.key;
        ASSERT_TRUE(page.undo.canUndo()) << k.key;
        EXPECT_EQ(page.undo.undoActionName(), QString::fromLatin1(k.action)) << k.key;
        page.undo.undo();
        if (std::string(k.key) == "controlItems")
            EXPECT_TRUE(c->controlItems().empty());
        else
            EXPECT_TRUE(c->valueForKey(k.key) == before) << k.key;
        page.undo.redo();
        EXPECT_FALSE(c->valueForKey(k.key) == before) << k.key;
        page.undo.removeAllActions();
    }
}

TEST_F(ControlTest, UndoOfItemsRestoresTheListAsItWasWhateverIsEditedLater)
{
    auto c = control();
    ControlItems mine = {item("One")};
    c->setControlItems(mine);
    // The caller's list is not the control's: editing it in place changes nothing.
    mine[0]->setTitle("Changed behind the control's back");
    EXPECT_EQ(c->controlItems()[0]->title(), QStringLiteral("One"));

    // The usual edit: copy, change, hand back. Undo brings back exactly the old items.
    ControlItems edited = copiedControlItems(c->controlItems());
    edited[0]->setTitle("Two");
    c->setControlItems(edited);
    c->controlItems()[0]->setTitle("Three");
    page.undo.undo();
    ASSERT_EQ(c->controlItems().size(), 1u);
    EXPECT_EQ(c->controlItems()[0]->title(), QStringLiteral("One"));
}

TEST_F(ControlTest, ItemOperationsAreOneUndoStepEachOnTheControlAndRefuseBadIndexes)
{
    auto c = control();
    c->setControlItems({item("A"), item("B")});
    page.undo.removeAllActions();
    int notices = 0;
    auto token = c->addObserver("controlItems", [&](pf::Object&, const QString&, pf::ChangePhase phase) {
        notices += phase == pf::ChangePhase::Did;
    });
    const auto titles = [&] {
        QStringList t;
        for (const auto& i : c->controlItems())
            t << i->title();
        return t;
    };

    // Out of range, an unknown key or an unchanged value: nothing, no step, no notice.
    const auto mine = item("C");
    EXPECT_FALSE(c->insertControlItemAtIndex(*mine, 3));
    EXPECT_FALSE(c->removeControlItemAtIndex(2));
    EXPECT_FALSE(c->setControlItemValueForKey(2, pf::Variant("X"), "title"));
    EXPECT_FALSE(c->setControlItemValueForKey(0, pf::Variant("X"), "frame"));
    EXPECT_FALSE(c->setControlItemValueForKey(0, pf::Variant("A"), "title"));
    EXPECT_FALSE(page.undo.canUndo());
    EXPECT_EQ(notices, 0);

    // The control keeps a copy of an inserted item.
    ASSERT_TRUE(c->insertControlItemAtIndex(*mine, 2));
    mine->setTitle("Changed behind the control's back");
    ASSERT_TRUE(c->setControlItemValueForKey(0, pf::Variant("Z"), "title"));
    ASSERT_TRUE(c->removeControlItemAtIndex(1));
    EXPECT_EQ(titles(), (QStringList{"Z", "C"}));
    EXPECT_EQ(notices, 3);
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Control Items"));
    page.undo.undo();
    EXPECT_EQ(titles(), (QStringList{"Z", "B", "C"}));
    page.undo.undo();
    EXPECT_EQ(titles(), (QStringList{"A", "B", "C"}));
    page.undo.undo();
    EXPECT_EQ(titles(), (QStringList{"A", "B"}));
    page.undo.redo();
    page.undo.redo();
    page.undo.redo();
    EXPECT_EQ(titles(), (QStringList{"Z", "C"}));
}

TEST_F(ControlTest, KeyValueCodingCarriesItemsAsObjects)
{
    auto c = control();
    pf::VariantArray items{pf::Variant(item("A", 5)), pf::Variant(item("B"))};
    c->setValueForKey(pf::Variant(items), "controlItems");
    ASSERT_EQ(c->controlItems().size(), 2u);
    EXPECT_EQ(c->controlItems()[0]->iconType(), 5);
    const pf::Variant read = c->valueForKey("controlItems");
    ASSERT_TRUE(read.array());
    EXPECT_EQ(read.array()->size(), 2u);
    EXPECT_EQ(c->controlItems()[1]->valueForKey("title").toString(), QStringLiteral("B"));
    c->setValueForKey(pf::Variant(pf::Color(1, 0, 0, 1)), "tintColor");
    EXPECT_EQ(c->tintColor(), pf::Color(1, 0, 0, 1));
}

} // namespace

namespace {

// The library shows each control by a picture of this name; the pictures are drawn by tools/imagegen.
TEST(ControlPictures, LibraryPicturesExistAtTheirPointSize)
{
    for (const char* name : {"lib_uiactionsheet32x32", "lib_uiactivityindicator32x32", "lib_uialertdialog32x32",
                             "lib_uikeyboard32x32", "lib_uinavbar32x32", "lib_uisearchfield32x32",
                             "lib_uisegmentedcontrol32x32", "lib_uistatusbar32x32", "lib_uiswitch32x32",
                             "lib_uitabbarbutton32x32", "lib_uitableview32x32", "lib_uitextfield32x32",
                             "lib_uitoolbar32x32"}) {
        const pf::Image image = imageNamedInBundleForClass(QString::fromLatin1(name));
        ASSERT_TRUE(image.isValid()) << name;
        EXPECT_EQ(image.size(), pf::Size(32, 32)) << name;
        EXPECT_EQ(image.bitmap(0).width(), 64) << name;
    }
}

} // namespace
