#include "controls/ListControls.h"

#include "controls/ControlDocking.h"
#include "controls/IconRenderer.h"
#include "geometry/BezierPathAdditions.h"
#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/text/StringDrawing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using controls::Docking;
using controls::DockingCatalogueClass;

const Shape::PropertyChange iconSizeChange{"iconSize", "Icon Size", nullptr, Shape::Redisplay};
const Shape::PropertyChange iconMarginChange{"iconMargin", "Icon Margin", nullptr, Shape::Redisplay};
const Shape::PropertyChange cellPaddingWidthChange{"cellPaddingWidth", "Cell Padding", nullptr, Shape::Redisplay};
const Shape::PropertyChange rowFontChange{"rowFont", "Edit Text", nullptr, Shape::Redisplay};

std::shared_ptr<UIControlItem> newItem(const char* title, std::int64_t icon = 0, bool highlighted = false,
                                       std::int64_t accessory = 0)
{
    auto item = UIControlItem::make();
    item->setTitle(pf::localized(QString::fromLatin1(title)));
    item->setIconType(icon);
    item->setHighlighted(highlighted);
    item->setAccessory(accessory);
    return item;
}

pf::Color tintOf(const UIControl& control) { return control.tintColor().value_or(control.controlClass().defaultTintColor()); }

// A straight line from a to b.
pf::Path segment(pf::Point a, pf::Point b)
{
    pf::Path p;
    p.moveTo(a);
    p.lineTo(b);
    return p;
}

// Titles wrap at their rect's width and cut their last visible line.
void drawTitle(pf::GraphicsContext& context, const pf::AttributedString& title, const pf::Rect& rect)
{
    pf::drawAttributedString(context, title, rect, pf::UsesLineFragmentOrigin | pf::TruncatesLastVisibleLine);
}

pf::TextAttributes withColor(pf::TextAttributes attributes, const pf::OptionalColor& color)
{
    attributes.foregroundColor = color;
    return attributes;
}

} // namespace

// ==================== table view ====================

const UIControlClass& UITableView::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UITableView"), &UIControl::staticClass(), &Shape::allocate<UITableView>,
        {.title = "Table View", .longDescription = "iOS Table View.", .iconImageName = "lib_uitableview32x32",
         .extraSearchString = "table cell row column list tableviewcell uitableviewcell uitablecell tablerow row",
         .defaultSize = {320, 132}, .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UITableViewFacet", "TextGeometryFacet", "FillFacet",
                    "StrokeFacet", "TextFacet"},
         .maxControlItems = std::numeric_limits<std::int64_t>::max()},
        Docking::SpanWidth);
    return c;
}

const pf::PropertyTable& UITableView::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&UIControl::properties());
        t.add("iconSize", &UITableView::iconSize, &UITableView::setIconSize);
        t.add("iconMargin", &UITableView::iconMargin, &UITableView::setIconMargin);
        t.add("cellPaddingWidth", &UITableView::cellPaddingWidth, &UITableView::setCellPaddingWidth);
        return t;
    }();
    return table;
}

void UITableView::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillShadowHidden(true);
    setTextAlign(0);
    setControlItems({newItem("Cupertino", IconRenderer::IconAlbums, false, UIControlItem::AccessoryChevron),
                     newItem("Mountain View", IconRenderer::IconPhotos, false, UIControlItem::AccessoryChevron),
                     newItem("Sunnyvale", IconRenderer::IconBookmarks, false, UIControlItem::AccessoryChevron)});
    cellPaddingWidth_ = 48;
    update();
}

void UITableView::setIconSize(std::int64_t v) { setProperty(iconSize_, v, &UITableView::setIconSize, iconSizeChange); }

void UITableView::setIconMargin(double v)
{
    setProperty(iconMargin_, v, &UITableView::setIconMargin, iconMarginChange);
}

void UITableView::setCellPaddingWidth(double v)
{
    setProperty(cellPaddingWidth_, v, &UITableView::setCellPaddingWidth, cellPaddingWidthChange);
}

pf::Font UITableView::rowFont() const { return rowFont_ ? *rowFont_ : textAttributes().fontOrDefault(); }

void UITableView::setTextFont(const std::optional<pf::Font>& font)
{
    setTitleFont(rowFont_, font, &UITableView::setTextFont, rowFontChange);
}

void UITableView::sizeToFitText(bool option)
{
    (void)option;
    const double rows = static_cast<double>(std::max<std::size_t>(controlItems().size(), 1));
    pf::Rect r = frame();
    r.size.height = rowHeight * rows;
    setFrame(r);
}

void UITableView::updateFrame() { sizeToFitText(false); }

std::shared_ptr<UIControlItem> UITableView::makeControlItem() const
{
    auto item = UIControl::makeControlItem();
    if (!controlItems().empty())
        item->setAccessory(controlItems().back()->accessory());
    return item;
}

pf::Rect UITableView::itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count)
{
    const double h = std::round(frame.height() / static_cast<double>(count));
    return pf::Rect(std::floor(frame.x()), std::round(frame.y() + static_cast<double>(index) * h), frame.width(), h);
}

pf::Rect UITableView::iconRectForItemRect(const pf::Rect& r) const
{
    const pf::Size s = IconRenderer::sizeForIconSize(iconSize_);
    return QVRectRound(pf::Rect(r.x() + 10, r.midY() - s.height / 2, s.width, s.height));
}

pf::Rect UITableView::accessoryRectForItemRect(const pf::Rect& r)
{
    const pf::Size s = IconRenderer::smallIconSize();
    return QVRectRound(pf::Rect(r.maxX() - 10 - s.width, r.midY() - s.height / 2, s.width, s.height));
}

pf::Rect UITableView::titleRectForItemRectStringSizeItem(const pf::Rect& r, const pf::Size& s,
                                                         const UIControlItem& item) const
{
    double x = r.x() + 12 + iconMargin_;
    double width = r.width() - (iconMargin_ + 24);
    if (item.iconType() != 0) {
        const double room = IconRenderer::sizeForIconSize(iconSize_).width + 10;
        x += room;
        width -= room;
    }
    if (item.accessory() != 0)
        width -= IconRenderer::smallIconSize().width + 10;
    return pf::Rect(x, r.midY() - s.height / 2, width, s.height);
}

std::int64_t UITableView::iconTypeForAccessory(std::int64_t accessory)
{
    switch (accessory) {
    case UIControlItem::AccessoryChevron: return IconRenderer::IconForward;
    case UIControlItem::AccessoryMenu: return IconRenderer::IconMenu;
    case UIControlItem::AccessoryInfo: return IconRenderer::IconInfo;
    default: return IconRenderer::IconNone;
    }
}

void UITableView::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const ControlItems& items = controlItems();
    // An empty table keeps a row's height but shows no rows.
    if (items.empty())
        return;
    const pf::Rect n = QVRectGetNormalizedRect(frame());
    const double w = strokeLineWidth();
    const std::size_t count = items.size();
    const pf::Color tint = tintOf(*this);
    const pf::OptionalColor& fill = fillColor();
    const pf::OptionalColor& stroke = strokeColor();
    // Icons take the renderer's two sizes: anything but normal is small.
    const std::int64_t icons = iconSize_ == 0 ? IconRenderer::IconSizeNormal : IconRenderer::IconSizeSmall;

    context.saveGState();
    context.clipToRect(pf::Rect(n.x() - 0.5, n.y() - w, n.width(), n.height() + 2 * w));

    pf::TextAttributes plain = textAttributes();
    plain.font = rowFont();
    const pf::TextAttributes highlighted = withColor(plain, fill);

    for (std::size_t i = 0; i < count; ++i) {
        if (!items[i]->isHighlighted())
            continue;
        pf::Rect r = QVRectRoundMinusHalf(itemRectForFrameAtIndexCount(n, i, count));
        if (i + 1 == count)
            r.size.height += 1;
        context.setFillColor(tint);
        context.fillRect(r);
    }

    const double o = isStrokeEven() ? -1.0 : -0.5;
    const bool outerLines = strokeType() != 3;
    auto drawLine = [&](pf::Point a, pf::Point b) {
        if (!stroke)
            return;
        context.saveGState();
        setStrokeLineDashInContext(context);
        drawStrokeInContextColorPathLineWidth(context, *stroke, segment(a, b), w);
        context.restoreGState();
    };
    for (std::size_t i = 0; i < count; ++i) {
        const pf::Rect r = itemRectForFrameAtIndexCount(n, i, count);
        if (i == 0 && outerLines)
            drawLine(pf::Point(r.x() + o, r.y()), pf::Point(r.maxX() + o, r.y()));
        if (i + 1 < count) {
            // The separator runs the full width next to a highlighted row.
            const bool full = items[i]->isHighlighted() || items[i + 1]->isHighlighted();
            const double start = std::floor(r.x() + o) + (full ? 0 : cellPaddingWidth_);
            drawLine(pf::Point(start, r.maxY()), pf::Point(r.maxX() + o, r.maxY()));
        } else if (outerLines) {
            drawLine(pf::Point(std::floor(r.x() + o), n.maxY()), pf::Point(r.maxX() + o, n.maxY()));
        }
    }

    for (std::size_t i = 0; i < count; ++i) {
        const UIControlItem& item = *items[i];
        const pf::Rect r = itemRectForFrameAtIndexCount(n, i, count);
        const bool on = item.isHighlighted();
        if (item.iconType() != 0) {
            const pf::Rect iconRect = iconRectForItemRect(r);
            context.saveGState();
            context.clipToRect(iconRect);
            IconRenderer::instance().renderIcon(context, item.iconType(), icons, on,
                                                on ? fill.value_or(pf::Color::white()) : tint, iconRect);
            context.restoreGState();
        }
        if (item.accessory() != 0) {
            const pf::Rect accessoryRect = accessoryRectForItemRect(r);
            context.saveGState();
            context.clipToRect(accessoryRect);
            IconRenderer::instance().renderIcon(context, iconTypeForAccessory(item.accessory()),
                                                IconRenderer::IconSizeSmall, true,
                                                (on ? fill : stroke).value_or(pf::Color::black()), accessoryRect);
            context.restoreGState();
        }
        if (!item.title().isEmpty()) {
            const pf::AttributedString title(item.title(), on ? highlighted : plain);
            const pf::Rect titleRect =
                titleRectForItemRectStringSizeItem(r, pf::sizeOfAttributedString(title), item);
            if (titleRect.width() > 10)
                drawTitle(context, title, titleRect);
        }
    }
    context.restoreGState();
}

void UITableView::copyFrom(const Shape& source)
{
    UIControl::copyFrom(source);
    const auto& s = static_cast<const UITableView&>(source);
    rowFont_ = s.rowFont_;
    setIconSize(s.iconSize_);
    setIconMargin(s.iconMargin_);
    setCellPaddingWidth(s.cellPaddingWidth_);
    setFrame(s.frame());
}

bool UITableView::isEqualToControl(const UIControl& other) const
{
    const auto* o = dynamic_cast<const UITableView*>(&other);
    return o && UIControl::isEqualToControl(other) && cellPaddingWidth_ == o->cellPaddingWidth_
        && iconSize_ == o->iconSize_;
}

pf::Value UITableView::asPlist() const
{
    pf::Value plist = UIControl::asPlist();
    storeFont(plist, rowFont());
    plist.set(QStringLiteral("iconSize"), iconSize_);
    plist.set(QStringLiteral("iconMargin"), iconMargin_);
    plist.set(QStringLiteral("cellPaddingWidth"), cellPaddingWidth_);
    return plist;
}

void UITableView::readPlist(const pf::Value& plist)
{
    UIControl::readPlist(plist);
    if (auto font = storedFont(plist))
        rowFont_ = font;
    setIconSize(plist.integerForKey("iconSize"));
    setIconMargin(finiteOrZero(plist.doubleForKey("iconMargin")));
    setCellPaddingWidth(finiteOrZero(plist.doubleForKey("cellPaddingWidth")));
    const pf::Rect stored = pf::rectFromString(plist.stringForKey("frame"));
    if (isValidFrame(stored))
        setFrame(stored);
}

// ==================== action sheet ====================

const UIControlClass& UIActionSheet::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UIActionSheet"), &UIControl::staticClass(), &Shape::allocate<UIActionSheet>,
        {.title = "Action Sheet", .longDescription = "iOS Action Sheet.", .iconImageName = "lib_uiactionsheet32x32",
         .extraSearchString = "action actionsheet list", .defaultSize = {320, 46},
         .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIActionSheetFacet", "GeometryFacet", "FillFacet",
                    "StrokeFacet", "TextFacet"},
         .maxControlItems = 12},
        Docking::SpanWidth);
    return c;
}

void UIActionSheet::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillType(5);
    setFillShadowHidden(true);
    setStrokeType(3);
    setControlItems({newItem("First Action", 0, true), newItem("Second Action"), newItem("Third Action")});
    update();
}

void UIActionSheet::updateFrame()
{
    setFixedHeight(UITableView::rowHeight * static_cast<double>(controlItems().size()) + 16);
    pf::Rect r = frame();
    r.size.height = fixedHeight();
    setFrame(r);
}

pf::Rect UIActionSheet::itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count)
{
    (void)count;
    return QVRectRoundPlusHalf(
        pf::Rect(frame.x() + 8, frame.y() + 8 + 44 * static_cast<double>(index), frame.width() - 16, 43));
}

pf::Rect UIActionSheet::titleRectForItemRectStringSize(const pf::Rect& r, const pf::Size& s)
{
    return pf::Rect(r.x(), r.midY() - s.height / 2 - 1, r.width(), s.height);
}

unsigned UIActionSheet::roundedCornersAtIndexCount(std::size_t index, std::size_t count)
{
    if (count == 1)
        return geom::RoundedCornerAll;
    if (index == 0)
        return geom::RoundedCornerTopLeft | geom::RoundedCornerTopRight;
    if (index + 1 == count)
        return geom::RoundedCornerBottomLeft | geom::RoundedCornerBottomRight;
    return 0;
}

pf::Color UIActionSheet::destructiveColor()
{
    static const pf::Color red = QVHexColor(0xE53E3C);
    return red;
}

void UIActionSheet::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect n = QVRectGetNormalizedRect(frame());
    const ControlItems& items = controlItems();
    const pf::TextAttributes plain = withColor(textAttributes(), tintOf(*this));
    const pf::TextAttributes destructive = withColor(textAttributes(), destructiveColor());
    context.saveGState();
    context.clipToRect(n);
    context.setFillColor(controlClass().controlBackgroundColor());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const pf::Rect r = itemRectForFrameAtIndexCount(n, i, items.size());
        const unsigned corners = roundedCornersAtIndexCount(i, items.size());
        context.fillPath(corners ? geom::bezierPathWithRoundRectXRadiusYRadiusCorners(r, 6, 6, corners)
                                 : pf::Path::rect(r));
        const UIControlItem& item = *items[i];
        if (item.title().isEmpty())
            continue;
        const pf::AttributedString title(item.title(), item.isHighlighted() ? destructive : plain);
        const pf::Rect titleRect = titleRectForItemRectStringSize(r, pf::sizeOfAttributedString(title));
        if (titleRect.width() > 10)
            drawTitle(context, title, titleRect);
    }
    context.restoreGState();
}

// ==================== alert dialog ====================

const UIControlClass& UIAlertDialog::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UIAlertDialog"), &UIControl::staticClass(), &Shape::allocate<UIAlertDialog>,
        {.title = "Alert Dialog", .longDescription = "iOS Alert Dialog.", .iconImageName = "lib_uialertdialog32x32",
         .extraSearchString = "uialert alert dialog sheet", .defaultSize = {220, 150},
         .manipulatorClassName = "UIAlertDialogManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIAlertDialogFacet", "GeometryFacet", "FillFacet",
                    "StrokeFacet", "TextFacet"},
         .maxControlItems = 4},
        Docking::Free);
    return c;
}

void UIAlertDialog::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillColor(controlClass().controlBackgroundColor());
    setFillShadowOffsetX(0);
    setFillShadowOffsetY(0);
    setFillShadowBlur(12);
    setStrokeType(3);
    setControlItems({newItem("Cancel"), newItem("OK", 0, true)});
    clearTextAttributes();
    update();
}

void UIAlertDialog::appendPath(pf::Path& path) const
{
    path.appendRoundedRect(QVRectGetNormalizedRect(frame()), 8, 8);
}

pf::Rect UIAlertDialog::textRect() const
{
    pf::Rect r = QVRectGetNormalizedRect(frame());
    r.size.height -= buttonRowHeight;
    const pf::Size pad = textPadSize();
    const double halfStroke = strokeLineWidth() / 2;
    return QVRectRound(r.insetBy(pad.width + halfStroke, pad.height + halfStroke));
}

pf::Rect UIAlertDialog::itemsRectForFrame(const pf::Rect& f)
{
    return pf::Rect(f.x(), f.maxY() - buttonRowHeight, f.width(), buttonRowHeight);
}

pf::Rect UIAlertDialog::itemRectForItemsRectAtIndexCount(const pf::Rect& b, std::size_t index, std::size_t count)
{
    const double w = std::ceil(b.width() / static_cast<double>(count));
    return pf::Rect(std::floor(b.x() + static_cast<double>(index) * w), std::floor(b.y()),
                    index + 1 == count ? w - 1 : w, b.height());
}

pf::Rect UIAlertDialog::titleRectForItemRectStringSize(const pf::Rect& r, const pf::Size& s)
{
    return pf::Rect(r.x(), r.midY() - s.height / 2 - 2, r.width(), s.height);
}

void UIAlertDialog::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect n = QVRectGetNormalizedRect(frame());
    const pf::Rect row = itemsRectForFrame(n);
    const pf::Color border = controlClass().controlBorderColor();
    context.saveGState();
    context.clipToRect(n);
    context.setStrokeColor(border);
    context.strokePath(segment(pf::Point(row.x(), row.y()), pf::Point(row.maxX(), row.y())));

    pf::TextAttributes plain = withColor(textAttributes(), tintOf(*this));
    pf::ParagraphStyle centred = plain.paragraphStyleOrDefault();
    centred.alignment = pf::TextAlignment::Center;
    plain.paragraphStyle = centred;
    const ShapeClass& k = shapeClass();
    const double size = k.defaultTextFontSize();
    plain.font = k.defaultTextFontName().isEmpty() ? pf::Font::systemFont(size) : pf::Font(k.defaultTextFontName(), size);
    pf::TextAttributes bold = plain;
    bold.font = plain.font->isAvailable() ? plain.font->withTrait(pf::FontTrait::Bold) : pf::Font::boldSystemFont(size);

    const ControlItems& items = controlItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const pf::Rect r = itemRectForItemsRectAtIndexCount(row, i, items.size());
        const UIControlItem& item = *items[i];
        if (!item.title().isEmpty()) {
            const pf::AttributedString title(item.title(), item.isHighlighted() ? bold : plain);
            drawTitle(context, title, titleRectForItemRectStringSize(r, pf::sizeOfAttributedString(title)));
        }
        if (i + 1 < items.size())
            context.strokePath(segment(pf::Point(r.maxX(), row.y()), pf::Point(r.maxX(), row.maxY())));
    }
    context.restoreGState();
}
