// Table view, action sheet, alert, navigation bar, text field, keyboard, status bar, home indicator,
// switch and activity indicator on one page, in the light and the dark theme, plain and highlighted,
// compared with the reference picture: the controls' layers and then the text pass, which draws the
// labels that are the shape's text (bar title, clock, alert message).
#include "PhoneControlTestSupport.h"

#include "platform/graphics/PainterContext.h"
#include "support/ReferencePicture.h"

#include <functional>

namespace {

constexpr double cellWidth = 360;

struct Row {
    double height;
    std::function<std::shared_ptr<UIControl>(const pf::Point& origin)> make;
};

template <class Kind>
std::shared_ptr<UIControl> at(const pf::Point& origin, pf::Size size)
{
    return Shape::make<Kind>(pf::Rect(origin.x + 20, origin.y + 10, size.width, size.height));
}

std::shared_ptr<UIControlItem> item(const char* title, std::int64_t icon, std::int64_t accessory, bool highlighted)
{
    auto i = UIControlItem::make();
    i->setTitle(QString::fromLatin1(title));
    i->setIconType(icon);
    i->setAccessory(accessory);
    i->setHighlighted(highlighted);
    return i;
}

const std::vector<Row>& rows()
{
    static const std::vector<Row> table = {
        {196, [](const pf::Point& o) {
             auto table = at<UITableView>(o, {320, 132});
             table->setControlItems({item("Cupertino", 2, 1, false), item("Mountain View", 27, 2, true),
                                     item("Sunnyvale", 6, 3, false), item("Plain", 0, 0, false)});
             return table;
         }},
        {168, [](const pf::Point& o) { return at<UIActionSheet>(o, {320, 46}); }},
        {170, [](const pf::Point& o) {
             auto alert = at<UIAlertDialog>(o, {220, 150});
             alert->setControlItems({item("One", 0, 0, false), item("Two", 0, 0, false), item("Three", 0, 0, true)});
             alert->setAttributedText(pf::AttributedString(QStringLiteral("Message"), alert->textAttributes()));
             return alert;
         }},
        {64, [](const pf::Point& o) { return at<UINavigationBar>(o, {320, 44}); }},
        {50, [](const pf::Point& o) { return at<UITextField>(o, {200, 30}); }},
        {235, [](const pf::Point& o) { return at<UIKeyboard>(o, {320, 215}); }},
        {40, [](const pf::Point& o) { return at<UIStatusBar>(o, {320, 20}); }},
        {64, [](const pf::Point& o) {
             auto bar = at<UIStatusBar>(o, {320, 20});
             static_cast<UIStatusBar&>(*bar).setSensorArrayType(1);
             return bar;
         }},
        {64, [](const pf::Point& o) { return at<UIHomeIndicator>(o, {320, 44}); }},
        {51, [](const pf::Point& o) { return at<UISwitch>(o, {51, 31}); }},
        {57, [](const pf::Point& o) { return at<UIActivityIndicator>(o, {37, 37}); }},
    };
    return table;
}

} // namespace

TEST_F(PhoneControlTest, EveryKindInBothThemesMatchesTheReferencePicture)
{
    constexpr int columns = 4;
    double height = 0;
    for (const Row& row : rows())
        height += row.height;
    pf::BitmapContext context(pf::Size(columns * cellWidth, height), 1.0, true, false);
    // The canvas's half-point offset, so strokes of odd widths land on whole pixels.
    context.translate(0.5, 0.5);
    double y = 0;
    for (const Row& row : rows()) {
        for (int column = 0; column < columns; ++column) {
            const bool dark = column >= 2, highlighted = column % 2 == 1;
            const pf::Rect cell(column * cellWidth, y, cellWidth, row.height);
            context.setFillColor(dark ? pf::Color(0.12, 0.12, 0.14, 1) : pf::Color(0.97, 0.97, 0.97, 1));
            context.fillRect(cell.offsetBy(-0.5, -0.5));
            auto control = row.make(cell.origin);
            control->setThemeType(dark ? 1 : 0);
            control->setHighlighted(highlighted);
            control->drawContentInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
            context.saveGState();
            control->drawTextInContext(context);
            context.restoreGState();
        }
        y += row.height;
    }
    expectMatchesReferencePicture(context.bitmap(), QStringLiteral(QUORVEL_TEST_DATA "/controls/phone-chrome.png"));
}
