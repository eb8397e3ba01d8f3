// Table view, action sheet and alert dialog: self-sizing, layout rects, the lines, fills and titles they
// draw, placement on a page and their stored form.
#include "PhoneControlTestSupport.h"

#include "controls/IconRenderer.h"
#include "geometry/BezierPathAdditions.h"
#include "geometry/QVColor.h"

namespace {

std::shared_ptr<UIControlItem> row(const char* title, bool highlighted = false, std::int64_t accessory = 0)
{
    auto i = UIControlItem::make();
    i->setTitle(QString::fromLatin1(title));
    i->setHighlighted(highlighted);
    i->setAccessory(accessory);
    return i;
}

using Line = std::pair<pf::Point, pf::Point>;

TEST_F(PhoneControlTest, TableRowsAre44HighAndANewRowCopiesTheLastAccessory)
{
    auto table = make<UITableView>(pf::Rect(0, 0, 320, 100));
    EXPECT_EQ(table->frame(), pf::Rect(0, 0, 320, 132));
    EXPECT_EQ(table->cellPaddingWidth(), 48);
    EXPECT_EQ(table->textAttributes().fontOrDefault().pointSize(), 16);

    ControlItems items = copiedControlItems(table->controlItems());
    auto fourth = table->makeControlItem();
    EXPECT_EQ(fourth->accessory(), UIControlItem::AccessoryChevron);
    items.push_back(fourth);
    table->setControlItems(items);
    EXPECT_EQ(table->frame(), pf::Rect(0, 0, 320, 176));

    // Fitting to the text (the editor's command, through the shape) fits the rows, not a label.
    table->setFrame(pf::Rect(0, 0, 320, 300));
    static_cast<Shape&>(*table).sizeToFitText(true);
    EXPECT_EQ(table->frame(), pf::Rect(0, 0, 320, 176));

    // An empty table keeps one row's height, so it can still be seen and picked; it draws no rows.
    table->setControlItems({});
    EXPECT_EQ(table->frame(), pf::Rect(0, 0, 320, 44));
    EXPECT_TRUE(controlCalls(*table).empty());
    EXPECT_EQ(table->makeControlItem()->accessory(), UIControlItem::AccessoryNone);
}

TEST_F(PhoneControlTest, TableRowIconAccessoryAndTitleRects)
{
    auto table = make<UITableView>(pf::Rect(10.5, 20, 320, 132));
    const pf::Rect r = UITableView::itemRectForFrameAtIndexCount(pf::Rect(10.5, 20, 320, 132), 1, 3);
    EXPECT_EQ(r, pf::Rect(10, 64, 320, 44));
    EXPECT_EQ(table->iconRectForItemRect(r), pf::Rect(20, 72, 28, 28));
    EXPECT_EQ(UITableView::accessoryRectForItemRect(r), pf::Rect(300, 76, 20, 20));

    struct Case {
        std::int64_t icon, accessory, iconSize;
        double margin;
        pf::Rect expected;
    };
    for (const Case& k : std::vector<Case>{
             {0, 0, 0, 0, pf::Rect(22, 77, 296, 18)},
             {5, 0, 0, 0, pf::Rect(60, 77, 258, 18)},
             {5, 1, 0, 0, pf::Rect(60, 77, 228, 18)},
             {5, 1, 1, 0, pf::Rect(52, 77, 236, 18)},
             {0, 3, 0, 6, pf::Rect(28, 77, 260, 18)},
         }) {
        table->setIconSize(k.iconSize);
        table->setIconMargin(k.margin);
        auto item = row("Row", false, k.accessory);
        item->setIconType(k.icon);
        EXPECT_EQ(table->titleRectForItemRectStringSizeItem(r, pf::Size(50, 18), *item), k.expected)
            << k.icon << " " << k.accessory << " " << k.iconSize << " " << k.margin;
    }
    EXPECT_EQ(UITableView::iconTypeForAccessory(1), IconRenderer::IconForward);
    EXPECT_EQ(UITableView::iconTypeForAccessory(2), IconRenderer::IconMenu);
    EXPECT_EQ(UITableView::iconTypeForAccessory(3), IconRenderer::IconInfo);
    EXPECT_EQ(UITableView::iconTypeForAccessory(4), IconRenderer::IconNone);
}

TEST_F(PhoneControlTest, TableSeparatorsAreIndentedExceptNextToAHighlightedRow)
{
    auto table = make<UITableView>(pf::Rect(0, 0, 320, 100));
    table->setControlItems({row("A"), row("B", true), row("C"), row("D")});
    ASSERT_EQ(table->frame(), pf::Rect(0, 0, 320, 176));

    auto lines = [&] {
        std::vector<Line> result;
        for (const auto& call : only(controlCalls(*table), "stroke"))
            result.push_back(lineEnds(call));
        return result;
    };
    // Width 1 is odd: lines start half a point left and the indent counts from the floored start.
    const std::vector<Line> expected = {
        {{-0.5, 0}, {319.5, 0}},    // top
        {{-1, 44}, {319.5, 44}},    // beside the highlighted row: full width
        {{-1, 88}, {319.5, 88}},    // likewise
        {{47, 132}, {319.5, 132}},  // between plain rows: cellPaddingWidth in
        {{-1, 176}, {319.5, 176}},  // bottom
    };
    EXPECT_EQ(lines(), expected);

    // The highlighted row's background, on half points.
    const auto fills = only(controlCalls(*table), "fill");
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].path.bounds(), pf::Rect(-0.5, 43.5, 320, 44));
    EXPECT_EQ(fills[0].state.fillColor, table->tintColor());

    // No stroke: no top and bottom lines, but the separators stay.
    table->setStrokeType(3);
    const std::vector<Line> inner(expected.begin() + 1, expected.end() - 1);
    EXPECT_EQ(lines(), inner);

    // An even width starts a full point left; the stroke then shifts it by half a point onto pixels.
    table->setStrokeType(0);
    table->setStrokeLineWidth(2);
    EXPECT_EQ(lines().front(), Line({-0.5, 0.5}, {319.5, 0.5}));
    EXPECT_EQ(lines()[3], Line({47.5, 132.5}, {319.5, 132.5}));
}

TEST_F(PhoneControlTest, TableTitlesInTheirColoursAndNoneInATooNarrowRect)
{
    auto table = make<UITableView>(pf::Rect(0, 0, 320, 100));
    table->setFillColor(pf::Color(0, 1, 0, 1));
    table->setControlItems({row("Plain"), row("Chosen", true)});
    const auto glyphs = only(controlCalls(*table), "glyphs");
    ASSERT_FALSE(glyphs.empty());
    EXPECT_EQ(glyphs.front().state.fillColor, pf::Color::black());
    EXPECT_EQ(glyphs.back().state.fillColor, pf::Color(0, 1, 0, 1)) << "highlighted titles take the fill colour";

    // A margin that leaves a title 10 points or less draws none.
    table->setIconMargin(286);
    EXPECT_TRUE(only(controlCalls(*table), "glyphs").empty());
    table->setIconMargin(285);
    EXPECT_FALSE(only(controlCalls(*table), "glyphs").empty());
}

TEST_F(PhoneControlTest, TableIconsAndAccessoriesPaintInTheirBoxesInTheRowsColours)
{
    auto table = make<UITableView>(pf::Rect(0, 0, 320, 100));
    auto plain = row("Plain", false, UIControlItem::AccessoryChevron);
    plain->setIconType(IconRenderer::IconAlbums);
    auto chosen = row("Chosen", true, UIControlItem::AccessoryMenu);
    chosen->setIconType(IconRenderer::IconPhotos);
    table->setControlItems({plain, chosen});
    table->setFillColor(pf::Color(0, 1, 0, 1));

    // The colour of the first paint after each clip to a box, by box.
    std::vector<std::pair<pf::Rect, pf::Color>> painted;
    bool waiting = false;
    for (const auto& call : controlCalls(*table)) {
        if (call.operation == "clipToRect") {
            painted.emplace_back(call.path.bounds(), pf::Color());
            waiting = true;
        } else if (waiting && (call.operation == "fill" || call.operation == "stroke")) {
            painted.back().second = call.operation == "fill" ? call.state.fillColor : call.state.strokeColor;
            waiting = false;
        }
    }
    const pf::Color tint = *table->tintColor();
    const std::vector<std::pair<pf::Rect, pf::Color>> expected = {
        {pf::Rect(-0.5, -1, 320, 90), tint},                     // the table grown by the stroke: the highlight
        {pf::Rect(10, 8, 28, 28), tint},                         // plain icon: the tint
        {pf::Rect(290, 12, 20, 20), QVHexColor(0xCCCCCC)},       // plain accessory: the stroke colour
        {pf::Rect(10, 52, 28, 28), pf::Color(0, 1, 0, 1)},       // highlighted: the fill colour
        {pf::Rect(290, 56, 20, 20), pf::Color(0, 1, 0, 1)},
    };
    ASSERT_EQ(painted.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(painted[i].first, expected[i].first) << i;
        EXPECT_EQ(painted[i].second, expected[i].second) << i;
    }
}

TEST_F(PhoneControlTest, ActionSheetHeightFollowsItsRowsWithRoundedEnds)
{
    auto sheet = make<UIActionSheet>(pf::Rect(0, 0, 320, 46));
    EXPECT_EQ(sheet->frame().height(), 148);
    EXPECT_FALSE(sheet->isVerticallyFlexible());
    sheet->setFrame(pf::Rect(0, 0, 320, 400));
    EXPECT_EQ(sheet->frame().height(), 148) << "the height is fixed to the rows";

    sheet->setControlItems({row("Only")});
    EXPECT_EQ(sheet->frame().height(), 60);
    const auto single = only(controlCalls(*sheet), "fill");
    ASSERT_EQ(single.size(), 1u);
    const pf::Rect r(8.5, 8.5, 304, 43);
    EXPECT_EQ(UIActionSheet::itemRectForFrameAtIndexCount(sheet->frame(), 0, 1), r);
    EXPECT_TRUE(single[0].path.sameElements(geom::bezierPathWithRoundRectXRadiusYRadiusCorners(r, 6, 6, 15)));
    EXPECT_EQ(single[0].state.fillColor, pf::Color(1, 1, 1, 0.9));

    ControlItems twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back(row("Action"));
    sheet->setControlItems(twelve);
    EXPECT_EQ(sheet->frame().height(), 544);
    EXPECT_EQ(UIActionSheet::roundedCornersAtIndexCount(0, 12), 5u);
    EXPECT_EQ(UIActionSheet::roundedCornersAtIndexCount(5, 12), 0u);
    EXPECT_EQ(UIActionSheet::roundedCornersAtIndexCount(11, 12), 10u);
    const auto fills = only(controlCalls(*sheet), "fill");
    ASSERT_EQ(fills.size(), 12u);
    EXPECT_TRUE(fills[5].path.sameElements(pf::Path::rect(pf::Rect(8.5, 228.5, 304, 43))));
}

TEST_F(PhoneControlTest, ActionSheetHighlightedTitleIsRed)
{
    auto sheet = make<UIActionSheet>(pf::Rect(0, 0, 320, 46));
    std::vector<pf::Color> colours;
    for (const auto& call : only(controlCalls(*sheet), "glyphs"))
        if (colours.empty() || colours.back() != call.state.fillColor)
            colours.push_back(call.state.fillColor);
    const pf::Color tint = *sheet->tintColor();
    EXPECT_EQ(colours, (std::vector<pf::Color>{QVHexColor(0xE53E3C), tint}));
}

TEST_F(PhoneControlTest, AlertButtonsShareTheRowAndTheMessageSitsAbove)
{
    auto alert = make<UIAlertDialog>(pf::Rect(0, 0, 220, 150));
    EXPECT_EQ(alert->fillColor(), pf::Color(1, 1, 1, 0.9));
    EXPECT_EQ(alert->fillShadowBlur(), 12);
    EXPECT_TRUE(alert->path().sameElements(pf::Path::roundedRect(pf::Rect(0, 0, 220, 150), 8, 8)));
    const pf::Rect row = UIAlertDialog::itemsRectForFrame(alert->frame());
    EXPECT_EQ(row, pf::Rect(0, 114, 220, 36));
    std::vector<double> widths;
    for (std::size_t i = 0; i < 4; ++i)
        widths.push_back(UIAlertDialog::itemRectForItemsRectAtIndexCount(row, i, 4).width());
    EXPECT_EQ(widths, (std::vector<double>{55, 55, 55, 54}));
    EXPECT_EQ(UIAlertDialog::itemRectForItemsRectAtIndexCount(row, 3, 4).x(), 165);
    // The message: above the buttons, inset by the pads (6, 3) and half the stroke.
    EXPECT_EQ(alert->textRect(), QVRectRound(pf::Rect(6.5, 3.5, 207, 107)));

    // The top line of the row and one divider per button but the last; all titles drawn.
    const auto calls = controlCalls(*alert);
    const auto strokes = only(calls, "stroke");
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_EQ(lineEnds(strokes[0]), Line({0, 114}, {220, 114}));
    EXPECT_EQ(lineEnds(strokes[1]), Line({110, 114}, {110, 150}));
    EXPECT_EQ(strokes[0].state.strokeColor, QVHexColor(0xCCCCCC));
    EXPECT_FALSE(only(calls, "glyphs").empty());
    // An alert without buttons draws only the line.
    alert->setControlItems({});
    EXPECT_EQ(only(controlCalls(*alert), "stroke").size(), 1u);
}

TEST_F(PhoneControlTest, TableAndSheetSpanThePageTheyAreAddedTo)
{
    const pf::Rect page(0, 0, 375, 812);
    for (const ShapeClass* kind : {&UITableView::staticClass(), &UIActionSheet::staticClass()}) {
        pf::Value plist = kind->plist();
        plist.set(QStringLiteral("frame"), pf::toString(pf::Rect(30, 200, 100, 132)));
        const pf::Value placed = kind->plistByEnsuringFrameToPlistInRect(plist, page);
        EXPECT_EQ(pf::rectFromString(placed.stringForKey("frame")), pf::Rect(0, 200, 375, 132))
            << kind->className().toStdString();
    }
    // The alert keeps the general rule: its default size centred.
    const pf::Value alert = UIAlertDialog::staticClass().plistByEnsuringFrameToPlistInRect(
        UIAlertDialog::staticClass().plist(), page);
    EXPECT_EQ(pf::rectFromString(alert.stringForKey("frame")).size, pf::Size(220, 150));
}

TEST_F(PhoneControlTest, ListKindsRoundTripThroughTheirStoredForm)
{
    auto table = make<UITableView>(pf::Rect(0, 0, 320, 132));
    table->setIconSize(1);
    table->setIconMargin(4);
    table->setCellPaddingWidth(20);
    table->setControlItems({row("A", true, 2), row("B")});
    auto read = std::static_pointer_cast<UITableView>(expectRoundTrip(*table));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->iconMargin(), 4);
    EXPECT_EQ(read->frame(), pf::Rect(0, 0, 320, 88));
    EXPECT_EQ(table->asPlist().stringForKey("textFontName"), QStringLiteral("Helvetica"));
    EXPECT_EQ(table->asPlist().doubleForKey("textFontSize"), 16);

    auto sheet = make<UIActionSheet>(pf::Rect(0, 0, 320, 46));
    sheet->setThemeType(1);
    expectRoundTrip(*sheet);
    auto alert = make<UIAlertDialog>(pf::Rect(0, 0, 220, 150));
    alert->setControlItems({row("One"), row("Two"), row("Three", true)});
    expectRoundTrip(*alert);

    // Equality: icon margin takes no part, padding and icon size do.
    auto copy = std::static_pointer_cast<UITableView>(table->copy());
    copy->setIconMargin(9);
    EXPECT_TRUE(copy->isEqual(*table));
    copy->setCellPaddingWidth(1);
    EXPECT_FALSE(copy->isEqual(*table));
    EXPECT_FALSE(sheet->isEqualToShape(*alert));
}

TEST_F(PhoneControlTest, StoredTableFontAndNumbersAreChecked)
{
    auto table = make<UITableView>(pf::Rect(0, 0, 320, 132));
    pf::Value plist = table->asPlist();
    plist.set(QStringLiteral("textFontName"), "Times");
    plist.set(QStringLiteral("textFontSize"), 2);
    plist.set(QStringLiteral("iconMargin"), std::numeric_limits<double>::infinity());
    auto read = std::dynamic_pointer_cast<UITableView>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->rowFont().familyName(), QStringLiteral("Times"));
    EXPECT_EQ(read->rowFont().pointSize(), UITableView::minimumStoredFontSize);
    EXPECT_EQ(read->iconMargin(), 0);
    // An unknown font name keeps the shape's own font.
    plist.set(QStringLiteral("textFontName"), "No Such Font Family");
    read = std::dynamic_pointer_cast<UITableView>(Shape::fromPlist(plist));
    EXPECT_EQ(read->rowFont().familyName(), QStringLiteral("Helvetica"));

    // The font panel sets the rows' font, a stored one too; one undo step puts the old one back.
    plist.set(QStringLiteral("textFontName"), "Times");
    read = std::dynamic_pointer_cast<UITableView>(Shape::fromPlist(plist));
    read->setComposition(&page);
    page.undo.removeAllActions();
    read->setTextFont(pf::Font(QStringLiteral("Helvetica"), 20));
    EXPECT_EQ(read->rowFont(), pf::Font(QStringLiteral("Helvetica"), 20));
    EXPECT_EQ(read->asPlist().doubleForKey("textFontSize"), 20);
    page.undo.undo();
    EXPECT_EQ(read->rowFont(), pf::Font(QStringLiteral("Times"), UITableView::minimumStoredFontSize));
}

} // namespace
