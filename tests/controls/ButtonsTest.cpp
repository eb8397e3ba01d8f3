// Buttons: the presets of each kind, the icon rect against the text's bounds, the text rect making room
// for the icon, the icon's drawing, snapping, the back button's placement, library samples, and the
// stored form, copy and setters.
#include "ControlKindTestSupport.h"

#include "controls/IconRenderer.h"
#include "controls/UIButton.h"
#include "geometry/QVColor.h"

#include <functional>

namespace {

using ButtonTest = ControlKindTest;

QString labelOf(const Shape& s) { return s.attributedText() ? s.attributedText()->string() : QString(); }

TEST_F(ButtonTest, EachKindStartsFromItsPreset)
{
    struct Case {
        const char* kind;
        pf::Size size;
        std::int64_t icon, position, iconSize;
        double margin;
        bool highlighted;
        std::uint64_t fill, stroke, align;
        const char* label; // null: no text
        bool rounded;
        const char* manipulator;
        const char* ownFacet;
    };
    const Case cases[] = {
        {"UIButton", {80, 44}, 35, 1, 0, 1, false, 5, 3, 2, "Title", true, "UIButtonManipulator", "UIButtonFacet"},
        {"UIGradientButton", {76, 44}, 0, 1, 0, 1, false, 1, 0, 2, "Title", true, "UIButtonManipulator",
         "UIButtonFacet"},
        {"UIBackButton", {76, 44}, 5, 1, 0, -3, true, 5, 3, 0, "Back", true, "UIButtonManipulator", "UIButtonFacet"},
        {"UIIcon", {60, 44}, 35, 0, 0, 1, false, 5, 3, 2, nullptr, false, "UIControlManipulator", "UIIconFacet"},
        {"UISearchField", {90, 30}, 34, 1, 1, 1, true, 0, 0, 0, "Search", false, "UIControlManipulator",
         "UISearchFieldFacet"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.kind);
        const auto* kind = pf::ClassRegistry::shared().lookup<UIControlClass>(QString::fromLatin1(k.kind));
        ASSERT_TRUE(kind);
        EXPECT_EQ(kind->defaultSize(), k.size);
        EXPECT_EQ(kind->hasRoundedCorners(), k.rounded);
        EXPECT_EQ(kind->manipulatorClassName(), QString::fromLatin1(k.manipulator));
        ASSERT_GE(kind->facetClassNames().size(), 3);
        EXPECT_EQ(kind->facetClassNames()[2], QString::fromLatin1(k.ownFacet));
        EXPECT_EQ(kind->title(), kind->shortTitle());
        EXPECT_EQ(kind->negativeSearchString(), QStringLiteral(""));
        auto b = std::static_pointer_cast<UIButton>(kind->newShape(pf::Rect(0, 0, 100, 44)));
        EXPECT_EQ(b->iconType(), k.icon);
        EXPECT_EQ(b->iconPosition(), k.position);
        EXPECT_EQ(b->iconSize(), k.iconSize);
        EXPECT_EQ(b->iconMargin(), k.margin);
        EXPECT_EQ(b->isHighlighted(), k.highlighted);
        EXPECT_FALSE(b->isBordered());
        EXPECT_EQ(b->fillType(), k.fill);
        EXPECT_EQ(b->strokeType(), k.stroke);
        EXPECT_EQ(b->textAlign(), k.align);
        EXPECT_EQ(labelOf(*b), k.label ? QString::fromLatin1(k.label) : QString());
    }
    auto gradient = Shape::make<UIGradientButton>(pf::Rect(0, 0, 76, 44));
    EXPECT_EQ(gradient->fillAngle(), 90);
    EXPECT_EQ(gradient->fillGradientElements(),
              (GradientElements{{pf::Color::white(), 0.0}, {QVHexColor(0xCCCCCC), 1.0}}));
    EXPECT_EQ(gradient->strokeColor(), QVHexColor(0x999999));
    EXPECT_EQ(gradient->adjustmentRatioX(), 0.25);
    auto search = Shape::make<UISearchField>(pf::Rect(0, 0, 90, 30));
    EXPECT_EQ(search->tintColor(), pf::Color(0.6, 0.6, 0.6, 1));
    EXPECT_EQ(search->fillColor(), pf::Color::white());
    EXPECT_EQ(search->strokeColor(), pf::Color(0.7, 0.7, 0.7, 1));
    EXPECT_EQ(UISearchField::staticClass().iconImageName(), QStringLiteral("lib_uisearchfield32x32"));
    EXPECT_EQ(UIButton::staticClass().iconImageName(), QString());
}

// The icon's place for every position against one text bounding rect (40, 10, 30, 20) in the frame
// (0, 0, 100, 44), normal icon (28) and margin 1.
TEST_F(ButtonTest, IconRectFollowsThePositionAgainstTheTextBounds)
{
    auto b = make<UIButton>(pf::Rect(0, 0, 100, 44));
    const pf::Rect frame(0, 0, 100, 44), text(40, 10, 30, 20);
    const struct {
        std::int64_t position;
        pf::Rect expected;
    } cases[] = {
        {0, {36, 8, 28, 28}},   // centred in the frame
        {1, {11, 6, 28, 28}},   // left: 40 - (1 + 28)
        {2, {71, 6, 28, 28}},   // right: 70 + 1
        {3, {41, -19, 28, 28}}, // above: 10 - (1 + 28)
        {4, {41, 31, 28, 28}},  // below: 30 + 1
        {7, {0, 0, 28, 28}},    // unknown: at the origin
    };
    for (const auto& k : cases) {
        b->setIconPosition(k.position);
        EXPECT_EQ(b->iconRectForFrameTextBounds(frame, text), k.expected) << k.position;
    }
    // Halves round away from zero; a small icon is 20.
    b->setIconPosition(1);
    b->setIconSize(1);
    b->setIconMargin(0.5);
    EXPECT_EQ(b->iconRectForFrameTextBounds(frame, text), pf::Rect(20, 10, 20, 20)); // 19.5, 10
    // Without an icon the rect has no size.
    b->setIconType(0);
    EXPECT_EQ(b->currentIconSize(), pf::Size());
    b->setIconPosition(0);
    EXPECT_EQ(b->iconRectForFrameTextBounds(frame, text), pf::Rect(50, 22, 0, 0));
}

// The padded frame (6, 3, 88, 38) of a 100 × 44 button without stroke, and the room made for a 28-point
// icon with margin 1 (29): the whole room on the icon's side, or half of it on the far side when the
// text is centred that way.
TEST_F(ButtonTest, TextRectMakesRoomForTheIcon)
{
    const struct {
        std::int64_t position;
        std::uint64_t align, verticalAlign;
        pf::Rect expected;
    } cases[] = {
        {0, 2, 0, {6, 3, 88, 38}},
        {1, 2, 0, {20.5, 3, 88, 38}}, // centred: shifted 14.5, not narrowed
        {1, 0, 0, {35, 3, 59, 38}},
        {2, 2, 0, {-8.5, 3, 88, 38}},
        {2, 1, 0, {6, 3, 59, 38}},
        {3, 2, 0, {6, 17.5, 88, 38}},
        {3, 2, 1, {6, 32, 88, 9}},
        {4, 2, 0, {6, -11.5, 88, 38}},
        {4, 2, 2, {6, 3, 88, 9}},
    };
    for (const auto& k : cases) {
        auto b = make<UIButton>(pf::Rect(0, 0, 100, 44));
        b->setStrokeLineWidth(0);
        b->setIconPosition(k.position);
        b->setTextAlign(k.align);
        b->setTextVerticalAlign(k.verticalAlign);
        EXPECT_EQ(b->textRect(), k.expected) << k.position << " " << k.align << " " << k.verticalAlign;
    }
    // Half the stroke width pads too, and a mirrored frame is normalised first.
    auto b = make<UIButton>(pf::Rect(100, 44, -100, -44));
    b->setStrokeLineWidth(4);
    b->setIconType(0);
    EXPECT_EQ(b->textRect(), pf::Rect(8, 5, 84, 34)) << "without an icon the text takes the whole padded frame";
}

TEST_F(ButtonTest, IconIsDrawnBesideTheLabelClippedToFrameAndOutline)
{
    auto b = make<UIButton>(pf::Rect(10, 20, 120, 44));
    b->setAdjustmentRatioX(0.2);
    const pf::Rect icon = b->iconRectForFrame(b->frame());
    // Left of the label, which stays centred on the button: the margin (1) from the label's bounding rect.
    const pf::Rect label = b->textBoundingRect();
    EXPECT_LT(icon.maxX(), b->frame().midX());
    EXPECT_EQ(icon.size, pf::Size(28, 28));
    EXPECT_EQ(icon.midY(), b->frame().midY());
    EXPECT_EQ(icon.maxX(), std::round(label.minX() - 1));

    pf::RecordingContext context;
    b->drawControlInContextDirtyRect(context, b->frame());
    const auto calls = context.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].operation, "clipToRect");
    EXPECT_EQ(calls[0].path.bounds(), b->frame());
    EXPECT_EQ(calls[1].operation, "clip");
    EXPECT_TRUE(calls[1].path.sameElements(b->path()));
    // The icon's drawing stands in the icon rect: its CTM is translated to the rect's origin.
    pf::RecordingContext alone;
    IconRenderer::instance().renderIcon(alone, b->iconType(), 0, false, *b->tintColor(), icon);
    ASSERT_EQ(calls.size() - 2, alone.calls().size());
    for (std::size_t i = 0; i < alone.calls().size(); ++i) {
        EXPECT_EQ(calls[i + 2].operation, alone.calls()[i].operation) << i;
        EXPECT_EQ(calls[i + 2].state.ctm, alone.calls()[i].state.ctm) << i;
    }
    EXPECT_EQ(context.gstateDepth(), 0);

    // While the label is edited (its rect is then the whole text rect) the icon stays where it was.
    b->setEditingText(true);
    EXPECT_NE(b->iconRectForFrame(b->frame()), icon);
    pf::RecordingContext editing;
    b->drawControlInContextDirtyRect(editing, b->frame());
    ASSERT_EQ(editing.calls().size(), calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(editing.calls()[i].state.ctm, calls[i].state.ctm) << i;
    EXPECT_TRUE(b->isEditingText());
}

TEST_F(ButtonTest, SearchFieldKeepsItsHeightAndRoundedOutline)
{
    auto s = make<UISearchField>(pf::Rect(0, 0, 90, 30));
    s->setFrame(pf::Rect(5, 6, 90, 50));
    EXPECT_EQ(s->frame(), pf::Rect(5, 6, 90, 30));
    EXPECT_FALSE(s->isVerticallyFlexible());
    EXPECT_TRUE(s->isHorizontallyFlexible());
    pf::Path expected;
    expected.appendRoundedRect(pf::Rect(5, 6, 90, 30), 7, 7);
    EXPECT_TRUE(s->path().sameElements(expected));
    // The icon outline is the plain frame.
    auto icon = make<UIIcon>(pf::Rect(0, 0, 60, 44));
    icon->setAdjustmentRatioX(0.5);
    EXPECT_TRUE(icon->path().sameElements(pf::Path::rect(pf::Rect(0, 0, 60, 44))));
    // An icon has no text: no attributes, and its text rects are the frame, so an icon set beside the
    // text goes beside the frame.
    EXPECT_EQ(icon->textAttributes(), pf::TextAttributes{});
    EXPECT_EQ(icon->verticalTextRect(), icon->frame());
    EXPECT_EQ(icon->textBoundingRect(), pf::Rect(-2, 0, 64, 44));
    icon->setIconPosition(UIButton::IconLeft);
    EXPECT_EQ(icon->iconRectForFrame(icon->frame()), pf::Rect(-31, 8, 28, 28));
}

TEST_F(ButtonTest, OnlyAButtonThatShowsSomethingIsASnapTarget)
{
    const std::vector<std::pair<const char*, std::function<void(UIButton&)>>> visible = {
        {"icon", [](UIButton& b) { b.setIconType(1); }},
        {"stroke", [](UIButton& b) { b.setStrokeType(0); }},
        {"fill", [](UIButton& b) { b.setFillType(0); }},
        {"image", [](UIButton& b) { b.setImageIdentifier(QStringLiteral("picture")); }},
        {"text", [](UIButton& b) { b.setAttributedText(pf::AttributedString(QStringLiteral("Go"))); }},
    };
    const auto invisible = [&] {
        auto b = make<UIButton>(pf::Rect(0, 0, 80, 44));
        b->setIconType(0);
        b->setAttributedText(nullptr);
        return b;
    };
    EXPECT_FALSE(invisible()->isSnapable());
    for (const auto& [name, show] : visible) {
        auto b = invisible();
        show(*b);
        EXPECT_TRUE(b->isSnapable()) << name;
        b->setHidden(true);
        EXPECT_FALSE(b->isSnapable()) << name;
    }
}

TEST_F(ButtonTest, BackButtonLandsBelowTheStatusBarAtThePageEdge)
{
    const pf::Rect page(0, 0, 320, 568);
    pf::Value stored = pf::Value::dictionary();
    stored.set(QStringLiteral("className"), QStringLiteral("UIBackButton"));
    const pf::Value placed = Shape::plistByEnsuringFrameToPlistInRect(stored, page);
    EXPECT_EQ(pf::rectFromString(placed.stringForKey("frame")), pf::Rect(0, 20, 76, 44));
    stored.set(QStringLiteral("frame"), pf::toString(pf::Rect(100, 300, 90, 40)));
    EXPECT_EQ(pf::rectFromString(Shape::plistByEnsuringFrameToPlistInRect(stored, pf::Rect(10, 30, 320, 568))
                                     .stringForKey("frame")),
              pf::Rect(10, 50, 90, 40));
    // A plain button keeps its stored frame.
    stored.set(QStringLiteral("className"), QStringLiteral("UIButton"));
    EXPECT_EQ(pf::rectFromString(Shape::plistByEnsuringFrameToPlistInRect(stored, page).stringForKey("frame")),
              pf::Rect(100, 300, 90, 40));
}

TEST_F(ButtonTest, LibrarySamplesShowTheKindWithoutText)
{
    auto plain = std::static_pointer_cast<UIButton>(
        UIButton::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 40, 30)));
    EXPECT_EQ(plain->fillType(), 0u);
    EXPECT_EQ(plain->fillColor(), pf::Color::white());
    EXPECT_EQ(plain->strokeType(), 0u);
    EXPECT_EQ(plain->strokeColor(), QVHexColor(0xBBBBBB));
    EXPECT_EQ(plain->strokeLineWidth(), UIButton::staticClass().libraryListItemShapeStrokeLineWidth());
    EXPECT_EQ(plain->adjustmentRatioX(), 0.33);
    EXPECT_TRUE(plain->isHighlighted());
    EXPECT_EQ(plain->iconType(), 0);
    EXPECT_FALSE(plain->hasText());
    auto back = std::static_pointer_cast<UIButton>(
        UIBackButton::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 40, 30)));
    EXPECT_EQ(back->iconType(), IconRenderer::IconBack);
    EXPECT_EQ(back->iconPosition(), UIButton::IconCentered);
    EXPECT_FALSE(back->hasText());
    auto icon = UIIcon::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 40, 30));
    EXPECT_EQ(icon->fillType(), 5u);
    EXPECT_EQ(icon->strokeType(), 3u);
}

TEST_F(ButtonTest, EveryKindRoundTripsThroughItsStoredFormAndCopies)
{
    for (const ShapeClass* kind : {&UIButton::staticClass(), &UIGradientButton::staticClass(),
                                   &UIBackButton::staticClass(), &UIIcon::staticClass(), &UISearchField::staticClass()}) {
        SCOPED_TRACE(kind->className().toStdString());
        auto b = std::static_pointer_cast<UIButton>(kind->newShape(pf::Rect(4, 5, 100, 30)));
        expectRoundTrip(*b);
        b->setIconType(12);
        b->setIconPosition(4);
        b->setIconSize(1);
        b->setBordered(true);
        b->setIconMargin(2.5);
        b->setThemeType(1);
        const auto read = std::static_pointer_cast<UIButton>(expectRoundTrip(*b));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->iconMargin(), 2.5);
        EXPECT_TRUE(read->isBordered());
        EXPECT_EQ(read->iconPosition(), 4);
    }
    // Each field takes part in equality.
    const std::vector<std::pair<const char*, std::function<void(UIButton&)>>> differences = {
        {"icon", [](UIButton& b) { b.setIconType(3); }},
        {"position", [](UIButton& b) { b.setIconPosition(2); }},
        {"size", [](UIButton& b) { b.setIconSize(1); }},
        {"border", [](UIButton& b) { b.setBordered(true); }},
        {"margin", [](UIButton& b) { b.setIconMargin(4); }},
    };
    for (const auto& [name, change] : differences) {
        auto a = make<UIButton>(pf::Rect(0, 0, 80, 44));
        auto b = std::static_pointer_cast<UIButton>(a->copy());
        change(*b);
        EXPECT_FALSE(a->isEqual(*b)) << name;
    }
}

TEST_F(ButtonTest, StoredValuesOutOfRangeReadAsNone)
{
    pf::Value plist = make<UIButton>(pf::Rect(0, 0, 80, 44))->asPlist();
    plist.set(QStringLiteral("iconType"), 41);
    plist.set(QStringLiteral("iconPosition"), -1);
    plist.remove(QStringLiteral("iconMargin"));
    auto read = std::static_pointer_cast<UIButton>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->iconType(), 0);
    EXPECT_EQ(read->iconPosition(), 0);
    EXPECT_EQ(read->iconMargin(), 0.0);
    // An icon has no text, even when its stored form brings one.
    pf::Value icon = make<UIIcon>(pf::Rect(0, 0, 60, 44))->asPlist();
    pf::Value withText = make<UIButton>(pf::Rect(0, 0, 80, 44))->asPlist();
    for (const auto& [key, value] : withText.asDictionary())
        if (key.startsWith(QStringLiteral("text")) || key.startsWith(QStringLiteral("attributed")))
            icon.set(key, value);
    auto readIcon = Shape::fromPlist(icon);
    ASSERT_TRUE(readIcon);
    EXPECT_FALSE(readIcon->hasText());
    EXPECT_FALSE(readIcon->canEditText());
    EXPECT_EQ(readIcon->textRect(), readIcon->frame());
}

TEST_F(ButtonTest, EachSetterIsOneUndoStepUnderItsName)
{
    const struct {
        const char* key;
        std::function<void(UIButton&)> set;
        const char* action;
    } cases[] = {
        {"iconType", [](UIButton& b) { b.setIconType(7); }, "Icon"},
        {"iconPosition", [](UIButton& b) { b.setIconPosition(3); }, "Icon Position"},
        {"iconSize", [](UIButton& b) { b.setIconSize(1); }, "Icon Size"},
        {"bordered", [](UIButton& b) { b.setBordered(true); }, "Border"},
        {"iconMargin", [](UIButton& b) { b.setIconMargin(6); }, "Icon Margin"},
    };
    for (const auto& k : cases) {
        auto b = make<UIButton>(pf::Rect(0, 0, 80, 44));
        const pf::Variant before = b->valueForKey(k.key);
        k.set(*b);
        EXPECT_FALSE(b->valueForKey(k.key) == before) << k.key;
        ASSERT_TRUE(page.undo.canUndo()) << k.key;
        EXPECT_EQ(page.undo.undoActionName(), QString::fromLatin1(k.action)) << k.key;
        page.undo.undo();
        EXPECT_TRUE(b->valueForKey(k.key) == before) << k.key;
        // The same value again is no change.
        page.undo.removeAllActions();
        b->setValueForKey(before, k.key);
        EXPECT_FALSE(page.undo.canUndo()) << k.key;
    }
}

} // namespace
