// Item bars: the layout tables of items, icons and titles, docking on a page, the per-item drawing with
// tint and highlight, the stored titles' font, copy, equality and stored form.
#include "ControlKindTestSupport.h"

#include "controls/IconRenderer.h"
#include "controls/ItemBars.h"
#include "platform/text/StringDrawing.h"

#include <cmath>
#include <limits>

namespace {

using ItemBarTest = ControlKindTest;

std::vector<pf::Rect> itemRects(const UIItemBar& bar, const pf::Rect& frame, std::size_t count)
{
    std::vector<pf::Rect> rects;
    for (std::size_t i = 0; i < count; ++i)
        rects.push_back(bar.itemRectForFrameAtIndexCount(frame, i, count));
    return rects;
}

// The recorded glyph runs (titles) with the colour they were drawn in.
std::vector<const pf::RecordedCall*> glyphCalls(const pf::RecordingContext& context)
{
    return callsNamed(context, "glyphs");
}

// Fills in the tint at alpha 0.25: item highlight backgrounds.
std::vector<const pf::RecordedCall*> highlightFills(const pf::RecordingContext& context)
{
    std::vector<const pf::RecordedCall*> fills;
    for (const auto& call : context.calls())
        if (call.operation == "fill" && call.state.fillColor.alpha == 0.25)
            fills.push_back(&call);
    return fills;
}

TEST_F(ItemBarTest, ItemLayoutTables)
{
    auto tabs = make<UITabBar>(pf::Rect(0, 0, 320, 50));
    EXPECT_EQ(itemRects(*tabs, tabs->frame(), 2),
              (std::vector<pf::Rect>{{0, 0, 160, 49}, {160, 0, 159, 49}}));
    auto tools = make<UIToolbar>(pf::Rect(0, 0, 320, 44));
    EXPECT_EQ(itemRects(*tools, tools->frame(), 3),
              (std::vector<pf::Rect>{{0, 0, 107, 43}, {107, 0, 107, 43}, {214, 0, 106, 43}}));
    // Fractional frames land on whole points.
    EXPECT_EQ(itemRects(*tools, pf::Rect(10.5, 4.7, 100, 44.5), 3),
              (std::vector<pf::Rect>{{10, 4, 34, 43}, {44, 4, 34, 43}, {78, 4, 33, 43}}));
    auto segments = make<UISegmentedControl>(pf::Rect(0, 0, 320, 40));
    EXPECT_EQ(itemRects(*segments, segments->frame(), 2),
              (std::vector<pf::Rect>{{8, 0, 152, 39}, {160, 0, 152, 39}}));
    EXPECT_EQ(itemRects(*segments, pf::Rect(0, 0, 100, 40), 3),
              (std::vector<pf::Rect>{{8, 0, 28, 39}, {36, 0, 28, 39}, {64, 0, 28, 39}}));

    // Icons and titles inside an item (100, 0, 80, 50) for a string 12 high.
    const pf::Rect item(100, 0, 80, 50);
    const pf::Size text(30, 12);
    EXPECT_EQ(segments->iconRectForItemRect(item), pf::Rect(130, 15, 20, 20)) << "small icons";
    EXPECT_EQ(UISegmentedControl::titleRectForItemRectStringSize(item, text), pf::Rect(100, 18, 80, 12));
    EXPECT_EQ(tabs->iconRectForItemRectStringSize(item, text), pf::Rect(126, 7, 28, 28)) << "above the title";
    EXPECT_EQ(tabs->iconRectForItemRectStringSize(item, pf::Size()), pf::Rect(126, 13, 28, 28));
    EXPECT_EQ(UITabBar::titleRectForItemRectStringSize(item, text), pf::Rect(100, 37, 80, 12));
    EXPECT_EQ(tools->iconRectForItemRect(item), pf::Rect(126, 11, 28, 28));
    EXPECT_EQ(UIToolbar::titleRectForItemRectStringSize(item, text), pf::Rect(100, 17, 80, 12));
}

TEST_F(ItemBarTest, BarsSpanThePageAndTheTabBarDocksAtTheBottom)
{
    const pf::Rect page(0, 0, 320, 568);
    const auto placed = [&](const char* kind, const pf::Value& frame) {
        pf::Value stored = pf::Value::dictionary();
        stored.set(QStringLiteral("className"), QString::fromLatin1(kind));
        if (!frame.isNull())
            stored.set(QStringLiteral("frame"), frame);
        return pf::rectFromString(Shape::plistByEnsuringFrameToPlistInRect(stored, page).stringForKey("frame"));
    };
    const pf::Value none;
    EXPECT_EQ(placed("UITabBar", none), pf::Rect(0, 518, 320, 50));
    EXPECT_EQ(placed("UITabBar", pf::toString(pf::Rect(40, 30, 200, 60))), pf::Rect(0, 508, 320, 60));
    EXPECT_EQ(placed("UIToolbar", pf::toString(pf::Rect(40, 30, 200, 60))), pf::Rect(0, 30, 320, 60));
    EXPECT_EQ(placed("UISegmentedControl", pf::toString(pf::Rect(40, 30, 200, 60))), pf::Rect(0, 30, 320, 60));
    EXPECT_EQ(placed("UIToolbar", none), pf::Rect(0, 262, 320, 44)) << "centred vertically, as any kind";
}

TEST_F(ItemBarTest, NewBarsHoldTwoItemsAndTheirClassSettings)
{
    for (const UIControlClass* kind :
         {&UISegmentedControl::staticClass(), &UITabBar::staticClass(), &UIToolbar::staticClass()}) {
        SCOPED_TRACE(kind->className().toStdString());
        auto bar = std::static_pointer_cast<UIItemBar>(kind->newShape(pf::Rect(0, 0, 320, 44)));
        ASSERT_EQ(bar->controlItems().size(), 2u);
        EXPECT_EQ(bar->controlItems()[0]->title(), QStringLiteral("Albums"));
        EXPECT_EQ(bar->controlItems()[0]->iconType(), IconRenderer::IconAlbums);
        EXPECT_TRUE(bar->controlItems()[0]->isHighlighted());
        EXPECT_EQ(bar->controlItems()[1]->title(), QStringLiteral("Photos"));
        EXPECT_EQ(bar->controlItems()[1]->iconType(), IconRenderer::IconPhotos);
        EXPECT_FALSE(bar->controlItems()[1]->isHighlighted());
        EXPECT_EQ(bar->strokeType(), 3u);
        EXPECT_TRUE(bar->fillShadowHidden());
        EXPECT_FALSE(bar->canEditText());
        EXPECT_EQ(kind->maxControlItems(), 12);
        EXPECT_FALSE(kind->hasRoundedCorners());
        EXPECT_EQ(kind->title(), kind->shortTitle());
    }
    EXPECT_EQ(Shape::make<UISegmentedControl>(pf::Rect(0, 0, 320, 40))->iconSize(), 1);
    EXPECT_EQ(Shape::make<UITabBar>(pf::Rect(0, 0, 320, 50))->iconSize(), 0);
    EXPECT_EQ(Shape::make<UITabBar>(pf::Rect(0, 0, 320, 50))->itemFont().pointSize(), 10);
    EXPECT_EQ(Shape::make<UIToolbar>(pf::Rect(0, 0, 320, 44))->itemFont().pointSize(),
              UIToolbar::staticClass().defaultTextFontSize());
    EXPECT_FALSE(Shape::make<UIToolbar>(pf::Rect(0, 0, 320, 44))->canEditFontColor());
    EXPECT_TRUE(Shape::make<UITabBar>(pf::Rect(0, 0, 320, 50))->canEditFontColor());
    EXPECT_EQ(UITabBar::staticClass().iconImageName(), QStringLiteral("lib_uitabbarbutton32x32"));
    EXPECT_EQ(UIToolbar::staticClass().manipulatorClassName(), QStringLiteral("UIToolbarManipulator"));
    EXPECT_EQ(UISegmentedControl::staticClass().manipulatorClassName(), QStringLiteral("UISegmentedControlManipulator"));
}

TEST_F(ItemBarTest, TabBarItemsShowIconAboveTitleInTintWhenHighlighted)
{
    auto tabs = make<UITabBar>(pf::Rect(0, 0, 320, 50));
    const pf::Color tint = *tabs->tintColor();
    const pf::Color text = tabs->textAttributes().colorOrDefault();
    pf::RecordingContext context;
    tabs->drawControlInContextDirtyRect(context, tabs->frame());
    ASSERT_FALSE(context.calls().empty());
    EXPECT_EQ(context.calls()[0].operation, "clipToRect");
    EXPECT_TRUE(highlightFills(context).empty()) << "no background while item borders are off";
    // Both titles, the highlighted one in the tint, at the bottom of their items.
    const auto runs = glyphCalls(context);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]->state.fillColor, tint);
    EXPECT_EQ(runs[1]->state.fillColor, text);
    const pf::AttributedString albums(QStringLiteral("Albums"), tabs->textAttributes());
    const pf::Size s = pf::sizeOfAttributedString(
        pf::AttributedString(QStringLiteral("Albums"), pf::TextAttributes{.font = tabs->itemFont()}));
    EXPECT_LT(runs[0]->rect.maxY(), 49.0);
    EXPECT_GT(runs[0]->rect.minY(), 49.0 - s.height - 1 - 1);
    // Each icon sits above its title, in the title's colour: the icon call's CTM is at its rect.
    const pf::Rect icon0 = tabs->iconRectForItemRectStringSize(pf::Rect(0, 0, 160, 49), s);
    bool found = false;
    for (const auto& call : context.calls())
        if (call.operation == "fill" && call.state.ctm.tx == icon0.x() && call.state.ctm.ty == icon0.y()) {
            EXPECT_EQ(call.state.fillColor, tint);
            found = true;
        }
    EXPECT_TRUE(found) << "the highlighted item's icon at " << pf::toString(icon0).toStdString();

    // With item borders on, the highlighted item gets a rounded tinted background inside its rect.
    tabs->setHighlightBorderEnabled(true);
    pf::RecordingContext bordered;
    tabs->drawControlInContextDirtyRect(bordered, tabs->frame());
    const auto fills = highlightFills(bordered);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->state.fillColor, tint.withAlpha(0.25));
    EXPECT_EQ(fills[0]->path.bounds(), pf::Rect(1.5, 1.5, 158, 47));
}

TEST_F(ItemBarTest, ToolbarItemsShowTheirIconOrElseTheirTitleInGreyOrTint)
{
    auto tools = make<UIToolbar>(pf::Rect(0, 0, 320, 44));
    auto withIcon = UIControlItem::make();
    withIcon->setTitle(QStringLiteral("Hidden"));
    withIcon->setIconType(IconRenderer::IconTrash);
    auto titled = UIControlItem::make();
    titled->setTitle(QStringLiteral("Edit"));
    auto highlighted = titled->copy();
    highlighted->setHighlighted(true);
    tools->setControlItems({withIcon, titled, highlighted});
    pf::RecordingContext context;
    tools->drawControlInContextDirtyRect(context, tools->frame());
    EXPECT_NE(context.calls()[0].operation, "clipToRect") << "the toolbar does not clip";
    const auto runs = glyphCalls(context);
    ASSERT_EQ(runs.size(), 2u) << "an item with an icon shows no title";
    EXPECT_EQ(runs[0]->state.fillColor, UIToolbar::plainItemColor());
    EXPECT_EQ(runs[1]->state.fillColor, *tools->tintColor());
    EXPECT_GE(runs[0]->rect.minX(), 107.0);
    EXPECT_GE(runs[1]->rect.minX(), 214.0);
    // The icon centred in the first item, grey.
    const pf::Rect icon = tools->iconRectForItemRect(pf::Rect(0, 0, 107, 43));
    EXPECT_EQ(icon, pf::Rect(40, 8, 28, 28));
    bool found = false;
    for (const auto& call : context.calls())
        if (call.state.ctm.tx == icon.x() && call.state.ctm.ty == icon.y() && call.operation != "glyphs") {
            EXPECT_EQ(call.state.fillColor.alpha == 1 ? call.state.fillColor : UIToolbar::plainItemColor(),
                      UIToolbar::plainItemColor());
            found = true;
        }
    EXPECT_TRUE(found);
}

TEST_F(ItemBarTest, SegmentedControlDrawsBorderSegmentsAndSeparators)
{
    auto segments = make<UISegmentedControl>(pf::Rect(0, 0, 320, 40));
    auto first = UIControlItem::make();
    first->setTitle(QStringLiteral("One"));
    first->setHighlighted(true);
    auto second = UIControlItem::make();
    second->setTitle(QStringLiteral("Two"));
    segments->setControlItems({first, second});
    const pf::Color tint = *segments->tintColor();
    pf::RecordingContext context;
    segments->drawControlInContextDirtyRect(context, segments->frame());
    const auto& calls = context.calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[0].operation, "clipToRect");
    // The rounded border inside 8-point margins, stroked in the tint at width 1, then clipped to.
    EXPECT_EQ(calls[1].operation, "stroke");
    EXPECT_EQ(calls[1].path.bounds(), pf::Rect(8, 8, 304, 24));
    EXPECT_EQ(calls[1].state.strokeColor, tint);
    EXPECT_EQ(calls[1].line.width, 1);
    EXPECT_EQ(calls[2].operation, "clip");
    // The highlighted segment filled with the tint, its title in the fill colour; the other in the tint.
    EXPECT_EQ(calls[3].operation, "fill");
    EXPECT_EQ(calls[3].path.bounds(), pf::Rect(8, 0, 152, 39));
    EXPECT_EQ(calls[3].state.fillColor, tint);
    const auto runs = glyphCalls(context);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]->state.fillColor, segments->fillColor().value_or(pf::Color::white()));
    EXPECT_EQ(runs[1]->state.fillColor, tint);
    // One separator, at the first segment's right edge.
    int separators = 0;
    for (const auto& call : calls)
        if (call.operation == "stroke" && call.path.bounds() == pf::Rect(160, 0, 0, 39))
            ++separators;
    EXPECT_EQ(separators, 1);
}

TEST_F(ItemBarTest, BarsWithoutItemsOrRoomDrawSafely)
{
    for (const UIControlClass* kind :
         {&UISegmentedControl::staticClass(), &UITabBar::staticClass(), &UIToolbar::staticClass()}) {
        for (const pf::Rect& frame : {pf::Rect(0, 0, 320, 44), pf::Rect(5, 5, 1, 1), pf::Rect(5, 5, 0, 0)}) {
            auto bar = std::static_pointer_cast<UIItemBar>(kind->newShape(frame));
            bar->setHighlightBorderEnabled(true);
            pf::RecordingContext context;
            bar->drawControlInContextDirtyRect(context, frame);
            bar->setControlItems({});
            bar->drawControlInContextDirtyRect(context, frame);
            EXPECT_EQ(context.gstateDepth(), 0);
        }
    }
}

TEST_F(ItemBarTest, TitlesFontIsStoredByNameWithASmallestSize)
{
    auto tabs = make<UITabBar>(pf::Rect(0, 0, 320, 50));
    pf::Value plist = tabs->asPlist();
    EXPECT_EQ(plist.stringForKey("textFontName"), tabs->itemFont().familyName());
    EXPECT_EQ(plist.doubleForKey("textFontSize"), 10);
    EXPECT_FALSE(make<UISegmentedControl>(pf::Rect(0, 0, 320, 40))->asPlist().contains("textFontName"));

    const struct {
        const char* name;
        double size;
        const char* expectedName;
        double expectedSize;
    } cases[] = {
        {"Times", 14, "Times", 14},
        {"Times", 2, "Times", 6},
        {"Times", -3, "Times", 6},
        {"Times", std::numeric_limits<double>::quiet_NaN(), "Times", 6},
        {"No Such Font Family", 14, nullptr, 10}, // nothing changes
        {"", 14, nullptr, 10},
    };
    for (const auto& k : cases) {
        for (const UIControlClass* kind : {&UITabBar::staticClass(), &UIToolbar::staticClass()}) {
            pf::Value stored = kind->newShape(pf::Rect(0, 0, 320, 50))->asPlist();
            stored.set(QStringLiteral("textFontName"), QString::fromLatin1(k.name));
            stored.set(QStringLiteral("textFontSize"), k.size);
            auto read = std::static_pointer_cast<UIItemBar>(Shape::fromPlist(stored));
            ASSERT_TRUE(read);
            const pf::Font expected = k.expectedName
                ? pf::Font(QString::fromLatin1(k.expectedName), k.expectedSize)
                : read->shapeClass().currentFont();
            EXPECT_EQ(read->itemFont(), expected) << kind->className().toStdString() << " " << k.name << " " << k.size;
            // A copy keeps the font, and what is stored reads back the same.
            EXPECT_EQ(std::static_pointer_cast<UIItemBar>(read->copy())->itemFont(), read->itemFont());
            expectRoundTrip(*read);
        }
    }
    EXPECT_EQ(UITabBar::minimumStoredFontSize, 6);
}

TEST_F(ItemBarTest, TitlesTakeTheFontPanelsFontWithUndo)
{
    const pf::Font big(QStringLiteral("Helvetica"), 30);
    for (const UIControlClass* kind : {&UITabBar::staticClass(), &UIToolbar::staticClass()}) {
        SCOPED_TRACE(kind->className().toStdString());
        // One bar with the class's font, one read with a stored font: both follow the panel.
        pf::Value stored = kind->newShape(pf::Rect(0, 0, 320, 50))->asPlist();
        stored.set(QStringLiteral("textFontName"), QStringLiteral("Times"));
        stored.set(QStringLiteral("textFontSize"), 14.0);
        auto fresh = std::static_pointer_cast<UIItemBar>(kind->newShape(pf::Rect(0, 0, 320, 50)));
        auto read = std::static_pointer_cast<UIItemBar>(Shape::fromPlist(stored));
        ASSERT_TRUE(read);
        for (const auto& bar : {fresh, read}) {
            // A title without an icon, which both kinds draw.
            auto titled = UIControlItem::make();
            titled->setTitle(QStringLiteral("Edit"));
            bar->setControlItems({titled});
            bar->setComposition(&page);
            page.undo.removeAllActions();
            const pf::Font before = bar->itemFont();
            bar->setTextFont(big);
            EXPECT_EQ(bar->itemFont(), big);
            EXPECT_EQ(bar->asPlist().doubleForKey("textFontSize"), 30);
            // The title is drawn in it (a 30-point run is taller than 20).
            pf::RecordingContext context;
            bar->drawControlInContextDirtyRect(context, bar->frame());
            const auto runs = glyphCalls(context);
            ASSERT_FALSE(runs.empty());
            for (const auto* run : runs)
                EXPECT_GT(run->rect.height(), 20);
            EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Edit Text"));
            page.undo.undo();
            EXPECT_EQ(bar->itemFont(), before);
        }
    }
}

TEST_F(ItemBarTest, StoredFormCopyAndEquality)
{
    for (const UIControlClass* kind :
         {&UISegmentedControl::staticClass(), &UITabBar::staticClass(), &UIToolbar::staticClass()}) {
        SCOPED_TRACE(kind->className().toStdString());
        auto bar = std::static_pointer_cast<UIItemBar>(kind->newShape(pf::Rect(3, 4, 320, 44)));
        bar->setComposition(&page);
        bar->setThemeType(1);
        bar->setHighlightBorderEnabled(true);
        expectRoundTrip(*bar);
        bar->setIconSize(bar->iconSize() == 0 ? 1 : 0);
        auto read = std::static_pointer_cast<UIItemBar>(expectRoundTrip(*bar));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->iconSize(), bar->iconSize());
        auto other = std::static_pointer_cast<UIItemBar>(bar->copy());
        other->setIconSize(bar->iconSize() + 1);
        EXPECT_FALSE(bar->isEqual(*other));
        // The setter is one undo step, and redraws without rebuilding.
        page.undo.removeAllActions();
        bar->setIconSize(5);
        EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Icon Size"));
        page.undo.undo();
        EXPECT_NE(bar->iconSize(), 5);
    }
    // Bars of different kinds with the same state are not equal.
    auto tools = Shape::make<UIToolbar>(pf::Rect(0, 0, 320, 44));
    auto tabs = Shape::make<UITabBar>(pf::Rect(0, 0, 320, 44));
    EXPECT_FALSE(tools->isEqualToShape(*tabs));
    EXPECT_FALSE(tabs->isEqualToShape(*tools));
}

} // namespace
