#include "shell/TKTabListItem.h"

#include "shell/TKTabModel.h"
#include "shell/TKTabsListViewController.h"

#include "geometry/QVColor.h"
#include "model/Composition.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Window.h"
#include "platform/text/StringDrawing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Halves away from zero, as the platform's rounding of points.
double roundPoint(double v)
{
    return std::round(v);
}

std::vector<pf::NotificationToken> observeMainState(const QWidget* view, std::function<void()> changed)
{
    std::vector<pf::NotificationToken> tokens;
    pf::Window* window = pf::Window::of(view);
    if (!window)
        return tokens;
    for (const QString& name : {pf::Window::didBecomeMainNotification, pf::Window::didResignMainNotification})
        tokens.push_back(pf::NotificationCenter::defaultCenter().addObserver(
            name, window, [changed](const pf::Notification&) { changed(); }));
    return tokens;
}

} // namespace

// ---- buttons ----

TKOverflowButton::TKOverflowButton(const pf::Rect& frame, QWidget* parent) : QVView(frame, parent) {}

void TKOverflowButton::performClick(const pf::Event& e)
{
    if (action_)
        action_(e);
}

void TKOverflowButton::mouseDown(const pf::Event&)
{
    highlighted_ = true;
    setNeedsDisplay();
}

void TKOverflowButton::mouseDragged(const pf::Event& e)
{
    const bool inside = bounds().contains(e.location);
    if (inside != highlighted_) {
        highlighted_ = inside;
        setNeedsDisplay();
    }
}

void TKOverflowButton::mouseUp(const pf::Event& e)
{
    const bool wasHighlighted = highlighted_;
    highlighted_ = false;
    setNeedsDisplay();
    if (wasHighlighted && bounds().contains(e.location))
        performClick(e);
}

void TKOverflowButton::viewDidMoveToWindow()
{
    QVView::viewDidMoveToWindow();
    setNeedsDisplay();
    windowObservations_ = observeMainState(this, [this] { setNeedsDisplay(); });
}

bool TKOverflowButton::drawsAsMain() const
{
    const pf::Window* window = pf::Window::of(this);
    return !window || window->isMainWindow();
}

namespace {

struct ButtonColors {
    pf::Gradient background;
    pf::Color line;
    pf::Color glyph;
};

const ButtonColors& buttonColors(bool pressed, bool main)
{
    static const ButtonColors pressedColors{pf::Gradient(QVHexColor(0xCCCCCC), QVHexColor(0xBBBBBB)),
                                            QVHexColor(0x999999), QVHexColor(0x222222)};
    static const ButtonColors mainColors{pf::Gradient(QVHexColor(0xDDDDDD), QVHexColor(0xCCCCCC)),
                                         QVHexColor(0x999999), QVHexColor(0x444444)};
    static const ButtonColors otherColors{pf::Gradient(QVHexColor(0xEFEFEF), QVHexColor(0xDFDFDF)),
                                          QVHexColor(0xBBBBBB), QVHexColor(0x666666)};
    return pressed ? pressedColors : main ? mainColors : otherColors;
}

// Two chevrons in a 12-point square, built once.
const pf::Path& chevrons()
{
    static const pf::Path path = [] {
        pf::Path p;
        const auto polygon = [&p](std::initializer_list<pf::Point> points) {
            bool first = true;
            for (const pf::Point& point : points) {
                if (first)
                    p.moveTo(point);
                else
                    p.lineTo(point);
                first = false;
            }
            p.close();
        };
        polygon({{0, 0}, {3, 0}, {7, 6}, {3, 12}, {0, 12}, {4, 6}});
        polygon({{5, 0}, {8, 0}, {12, 6}, {8, 12}, {5, 12}, {9, 6}});
        return p;
    }();
    return path;
}

void strokeLine(pf::GraphicsContext& context, pf::Point from, pf::Point to)
{
    pf::Path line;
    line.moveTo(from);
    line.lineTo(to);
    context.strokePath(line);
}

} // namespace

void PageStyleOverflowButton::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    const pf::Rect b = bounds();
    const ButtonColors& colors = buttonColors(isHighlighted(), drawsAsMain());
    context.drawLinearGradientInRect(colors.background, b, 90);

    // The separator towards the list, and for the overflow button the one towards the add button too.
    context.setStrokeColor(colors.line);
    context.setLineWidth(1);
    const double horizontalY = std::ceil(b.minY()) + 0.5;
    const double verticalX = std::floor(b.minX()) + 0.5;
    const bool horizontal = isPortrait();
    if (horizontal || !isAdd())
        strokeLine(context, {b.minX(), horizontalY}, {b.maxX(), horizontalY});
    if (!horizontal || !isAdd())
        strokeLine(context, {verticalX, b.minY()}, {verticalX, b.maxY()});

    context.setColor(colors.glyph);
    context.setLineWidth(2);
    const double midX = b.minX() + b.width() / 2;
    const double midY = b.minY() + b.height() / 2;
    if (isAdd()) {
        strokeLine(context, {std::ceil(midX - 6), std::ceil(midY)}, {std::ceil(midX + 6), std::ceil(midY)});
        strokeLine(context, {std::ceil(midX), std::ceil(midY - 6)}, {std::ceil(midX), std::ceil(midY + 6)});
        return;
    }
    context.saveGState();
    context.translate(roundPoint(midX - 6), roundPoint(midY - 6));
    context.setLineCap(pf::LineCap::Butt);
    context.setLineJoin(pf::LineJoin::Miter);
    context.fillPath(chevrons());
    context.restoreGState();
}

namespace {

// The close button's pictures: a cross on a disc, by state.
pf::Image closePicture(const pf::Color& disc, const pf::Color& cross)
{
    return pf::Image::drawn(pf::Size(10, 10), 2, [disc, cross](pf::GraphicsContext& context) {
        context.setFillColor(disc);
        context.fillPath(pf::Path::oval(pf::Rect(0, 0, 10, 10)));
        context.setStrokeColor(cross);
        context.setLineWidth(1.5);
        strokeLine(context, {3, 3}, {7, 7});
        strokeLine(context, {7, 3}, {3, 7});
    });
}

struct ClosePictures {
    pf::Image normal, selected, nonMainNormal, pressed;
};

const ClosePictures& closePictures()
{
    static const ClosePictures pictures{closePicture(pf::Color(0, 0, 0, 0.25), pf::Color::white()),
                                        closePicture(pf::Color(1, 1, 1, 0.6), QVHexColor(0x4086D5)),
                                        closePicture(pf::Color(0, 0, 0, 0.12), pf::Color::white()),
                                        closePicture(pf::Color(0, 0, 0, 0.5), pf::Color::white())};
    return pictures;
}

} // namespace

TKTabListItemFlatStyleCloseButton::TKTabListItemFlatStyleCloseButton(const pf::Rect& frame, QWidget* parent)
    : TKOverflowButton(frame, parent)
{
}

void TKTabListItemFlatStyleCloseButton::setSelected(bool selected)
{
    if (selected == selected_)
        return;
    selected_ = selected;
    setNeedsDisplay();
}

const pf::Image& TKTabListItemFlatStyleCloseButton::currentImage() const
{
    const ClosePictures& pictures = closePictures();
    if (isHighlighted())
        return pictures.pressed;
    if (!drawsAsMain())
        return pictures.nonMainNormal;
    return selected_ ? pictures.selected : pictures.normal;
}

void TKTabListItemFlatStyleCloseButton::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    context.drawImage(currentImage(), bounds());
}

// ---- the base style ----

QString TKTabListItemStyle::editableKeyPathForDoubleClick(const TKTabListItem& item, pf::Point point) const
{
    return titleRectForBounds(item, item.bounds()).contains(point) ? QStringLiteral("title") : QString();
}

pf::Rect TKTabListItemStyle::fieldEditorRectForEditableKeyPath(const TKTabListItem& item, const QString& keyPath) const
{
    return keyPath == QLatin1String("title") ? titleRectForBounds(item, item.bounds()) : pf::Rect();
}

// ---- the page picture ----

TKPageThumbnailGeometry TKPageThumbnailGeometry::forPage(pf::Size page, const pf::Rect& square)
{
    TKPageThumbnailGeometry g;
    // A page without area has no scale: its square stays white.
    if (!(page.width > 0) || !(page.height > 0) || !std::isfinite(page.width) || !std::isfinite(page.height)
        || !(square.height() > 0)) {
        g.pictureRect = pf::Rect(roundPoint(square.minX()) + 0.5, roundPoint(square.minY()) + 0.5,
                                 roundPoint(std::max(0.0, square.width())), roundPoint(std::max(0.0, square.height())));
        return g;
    }
    const double s = page.height > page.width ? square.height() / page.height : square.width() / page.width;
    const double sw = std::floor(page.width * s);
    const double sh = std::floor(page.height * s);
    double x = square.minX();
    double y = square.minY();
    if (page.height > page.width)
        x += (square.width() - sw) / 2;
    else
        y += (square.height() - sh) / 2;
    g.scale = s;
    g.pictureRect = pf::Rect(roundPoint(x) + 0.5, roundPoint(y) + 0.5, roundPoint(sw), roundPoint(sh));
    return g;
}

namespace {

// Where the picture's page is drawn: the whole device pixels inside P (a clip on a half pixel would send
// every shape through a coverage mask, and the frame covers P's edge anyway), in the picture's points.
pf::Rect innerPixels(const pf::Rect& local, double pixelRatio)
{
    const double left = std::ceil(local.minX() * pixelRatio) / pixelRatio;
    const double top = std::ceil(local.minY() * pixelRatio) / pixelRatio;
    return pf::Rect(left, top, std::floor(local.maxX() * pixelRatio) / pixelRatio - left,
                    std::floor(local.maxY() * pixelRatio) / pixelRatio - top);
}

// The page, scaled into P, drawn inside the clip (the picture's points): the whole page, or with a part
// (page points) only the shapes whose paint bounds meet it, taken before the picture's zoom is set: at its
// tiny zoom a shape's bounds hold its handles' reach, which meets nearly any area. (The rects the canvas
// keeps are too tight: a picture widens thin strokes.)
void drawPageClipped(pf::GraphicsContext& context, Composition& page, const pf::Rect& local, double scale,
                     const pf::Rect& clip, const std::optional<pf::Rect>& part)
{
    std::vector<std::shared_ptr<Shape>> reaching;
    if (part)
        for (const auto& kid : page.children())
            if (kid->paintBounds().intersects(*part))
                reaching.push_back(kid);
    context.saveGState();
    context.clipToRect(clip);
    context.translate(local.minX(), local.minY());
    context.scale(scale, scale);
    page.setOverrideZoomScale(scale);
    page.setDrawingThumbnail(true);
    if (part) {
        for (const auto& kid : reaching)
            kid->drawInContextDirtyRect(context, *part);
    } else {
        page.drawInContextDirtyRect(context, pf::Rect(pf::Point(), page.frame().size));
    }
    page.setDrawingThumbnail(false);
    page.setOverrideZoomScale(0);
    context.restoreGState();
}

} // namespace

TKPageThumbnailImage TKPageThumbnailImage::render(Composition& page, const TKPageThumbnailGeometry& g,
                                                  double pixelRatio)
{
    TKPageThumbnailImage out;
    const pf::Rect p = g.pictureRect;
    // Whole points round P, so that the picture lands on the pixels P's own drawing would touch.
    out.rect = pf::Rect(std::floor(p.minX()), std::floor(p.minY()), std::ceil(p.maxX()) - std::floor(p.minX()),
                        std::ceil(p.maxY()) - std::floor(p.minY()));
    if (out.rect.width() <= 0 || out.rect.height() <= 0)
        return out;
    pf::BitmapContext context(out.rect.size, pixelRatio);
    const pf::Rect local = p.offsetBy(-out.rect.minX(), -out.rect.minY());
    context.setFillColor(pf::Color::white());
    context.fillRect(local);
    if (g.scale > 0)
        drawPageClipped(context, page, local, g.scale, innerPixels(local, pixelRatio), std::nullopt);
    out.image = context.bitmap();
    out.image.setDevicePixelRatio(pixelRatio);
    return out;
}

bool TKPageThumbnailImage::redrawArea(Composition& page, const TKPageThumbnailGeometry& g, double pixelRatio,
                                      const pf::Rect& area)
{
    if (image.isNull() || !(g.scale > 0))
        return false;
    if (area.isNull())
        return true;
    const pf::Rect local = g.pictureRect.offsetBy(-rect.minX(), -rect.minY());
    const pf::Rect inner = innerPixels(local, pixelRatio);
    // The area in device pixels, grown to whole ones and by one more (a picture widens thin strokes past
    // what the canvas paints): every pixel a changed shape touched, before or after, lies inside, and every
    // shape that reaches into these pixels draws again, so none is left half done.
    const double left = std::floor((local.minX() + area.minX() * g.scale) * pixelRatio) - 1;
    const double top = std::floor((local.minY() + area.minY() * g.scale) * pixelRatio) - 1;
    const double right = std::ceil((local.minX() + area.maxX() * g.scale) * pixelRatio) + 1;
    const double bottom = std::ceil((local.minY() + area.maxY() * g.scale) * pixelRatio) + 1;
    const pf::Rect clip =
        pf::Rect(left / pixelRatio, top / pixelRatio, (right - left) / pixelRatio, (bottom - top) / pixelRatio)
            .intersected(inner);
    if (clip.isNull() || clip.isEmpty())
        return true; // off the picture
    if (clip.width() * clip.height() > inner.width() * inner.height() / 2)
        return false;
    // The shapes to draw: those that can paint into the clip's pixels, in page points.
    const pf::Rect dirty((clip.minX() - local.minX()) / g.scale, (clip.minY() - local.minY()) / g.scale,
                         clip.width() / g.scale, clip.height() / g.scale);
    // Painted at the device's pixels, as render's context does; the ratio is put back for the strip.
    image.setDevicePixelRatio(1);
    {
        QPainter painter(&image);
        pf::PainterContext context(painter, image.rect(), pf::AffineTransform::scale(pixelRatio, pixelRatio), 1.0,
                                   false);
        context.setFillColor(pf::Color::white());
        context.fillRect(clip);
        drawPageClipped(context, page, local, g.scale, clip, dirty);
    }
    image.setDevicePixelRatio(pixelRatio);
    return true;
}

// ---- the Page style ----

double TabListItemStylePage::tabItemExtentForScrollSize(pf::Size size, bool portrait) const
{
    return portrait ? size.width + 13 : size.height - 13;
}

const pf::TextAttributes& TabListItemStylePage::selectedTitleAttributes()
{
    static const pf::TextAttributes attributes = [] {
        pf::TextAttributes a = normalTitleAttributes();
        a.foregroundColor = pf::Color::white();
        return a;
    }();
    return attributes;
}

const pf::TextAttributes& TabListItemStylePage::normalTitleAttributes()
{
    static const pf::TextAttributes attributes = [] {
        pf::TextAttributes a;
        a.font = pf::Font::boldSystemFont(10);
        a.foregroundColor = pf::Color(0.3, 0.3, 0.3, 1);
        pf::ParagraphStyle paragraph;
        paragraph.alignment = pf::TextAlignment::Left;
        paragraph.lineBreakMode = pf::LineBreakMode::TruncatingTail;
        a.paragraphStyle = paragraph;
        return a;
    }();
    return attributes;
}

const pf::Color& TabListItemStylePage::selectedBorderColor()
{
    static const pf::Color color(91.0 / 255, 100.0 / 255, 115.0 / 255, 0.8);
    return color;
}

const pf::Color& TabListItemStylePage::focusBorderColor()
{
    static const pf::Color color(1, 1, 0, 1);
    return color;
}

const pf::Color& TabListItemStylePage::normalBorderColor()
{
    static const pf::Color color(0.7, 0.7, 0.7, 1);
    return color;
}

std::optional<pf::Font> TabListItemStylePage::titleFont() const
{
    return normalTitleAttributes().font;
}

TKOverflowButton* TabListItemStylePage::newAddButtonWithFrame(const pf::Rect& frame) const
{
    auto* button = new PageStyleOverflowButton(frame);
    button->setIsAdd(true);
    return button;
}

TKOverflowButton* TabListItemStylePage::newOverflowButtonWithFrame(const pf::Rect& frame) const
{
    return new PageStyleOverflowButton(frame);
}

pf::Rect TabListItemStylePage::borderRectForBounds(const TKTabListItem&, const pf::Rect& b) const
{
    return b.insetBy(2.5, 1.5);
}

pf::Rect TabListItemStylePage::titleRectForBounds(const TKTabListItem& item, const pf::Rect& b) const
{
    pf::Rect r = b.insetBy(3, 3.5);
    r.size.height = 13;
    if (item.showsCloseButton()) {
        r.origin.x += 8;
        r.size.width -= 8;
    }
    return r;
}

pf::Rect TabListItemStylePage::titleTextRectForBounds(const TKTabListItem& item, const pf::Rect& b,
                                                      const QString& text, const pf::TextAttributes& attributes) const
{
    pf::Rect r = titleRectForBounds(item, b);
    const double textWidth = pf::sizeOfAttributedString(pf::AttributedString(text, attributes)).width;
    r.size.width = std::max(0.0, std::min(r.width(), textWidth));
    r.origin.x = std::ceil(b.minX() + b.width() / 2 - r.width() / 2);
    return r;
}

pf::Rect TabListItemStylePage::closeButtonRectForBounds(const TKTabListItem&, const pf::Rect&) const
{
    return pf::Rect(7, 5, 10, 10);
}

pf::Rect TabListItemStylePage::thumbnailRectForBounds(const TKTabListItem&, const pf::Rect& b) const
{
    pf::Rect r = b.insetBy(6.5, 5.5).offsetBy(0, 12);
    const double side = std::floor(r.height() - 11);
    r.size = pf::Size(side, side);
    r.origin.x = std::floor(b.midX() - side / 2);
    return r;
}

void TabListItemStylePage::layoutSubviewsInTabListItem(TKTabListItem& item) const
{
    if (item.showsCloseButton())
        if (auto* button = item.closeButton())
            button->setFrame(closeButtonRectForBounds(item, item.bounds()));
}

void TabListItemStylePage::drawTabListItem(TKTabListItem& item, pf::GraphicsContext& context) const
{
    const pf::Rect b = item.bounds();
    if (item.isSelected()) {
        static const pf::Gradient selected(QVHexColor(0x4086D5), QVHexColor(0x4086D5));
        context.drawLinearGradientInRect(selected, b, 270);
    }

    const pf::TextAttributes& attributes = item.isSelected() ? selectedTitleAttributes() : normalTitleAttributes();
    const pf::Rect textRect = titleTextRectForBounds(item, b, item.title(), attributes);
    pf::drawAttributedString(context, pf::AttributedString(item.title(), attributes), textRect,
                             pf::UsesLineFragmentOrigin | pf::TruncatesLastVisibleLine);

    const pf::Rect square = thumbnailRectForBounds(item, b);
    auto* page = dynamic_cast<Composition*>(item.representedObject().get());
    const pf::Size pageSize = page ? page->frame().size : pf::Size();
    const TKPageThumbnailGeometry geometry = TKPageThumbnailGeometry::forPage(pageSize, square);
    const pf::Rect p = geometry.pictureRect;
    if (page) {
        const TKPageThumbnailImage& picture = item.pageThumbnail(*page, geometry);
        if (!picture.image.isNull())
            context.drawImage(pf::Image(picture.image, picture.rect.size), picture.rect);
    } else {
        context.setFillColor(pf::Color::white());
        context.fillRect(p);
    }

    const TKTabsListViewController* controller = item.tabsListViewController();
    const pf::Window* window = pf::Window::of(&item);
    const bool focused = controller && controller->listView() && window
                         && window->firstResponder() == controller->listView();
    pf::Rect frame = p;
    double lineWidth = 1;
    pf::Color color = normalBorderColor();
    if (item.isSelected()) {
        if (focused) {
            frame = p.insetBy(0.5, 0.5);
            lineWidth = 2;
            color = focusBorderColor();
        } else {
            color = selectedBorderColor();
        }
    }
    context.setStrokeColor(color);
    context.setLineWidth(lineWidth);
    context.strokePath(pf::Path::rect(frame));

    if (item.showsCloseButton())
        if (auto* button = item.closeButton())
            button->setNeedsDisplay();
}

// ---- the item ----

const QString TKTabListItem::reuseIdentifierName = QStringLiteral("TKTabListItem");

TKTabListItem::TKTabListItem() : QVListItem(pf::Rect(), reuseIdentifierName) {}

TKTabListItem::~TKTabListItem()
{
    observations_.clear();
}

void TKTabListItem::setRepresentedObject(std::shared_ptr<pf::Object> object)
{
    if (object != representedObject_) {
        thumbnailStale_ = true;
        thumbnailPage_ = nullptr;
    }
    representedObject_ = std::move(object);
}

TKTabsListViewController* TKTabListItem::tabsListViewController() const
{
    return controllerAlive_.expired() ? nullptr : controller_;
}

void TKTabListItem::setTabsListViewController(TKTabsListViewController* controller)
{
    controller_ = controller;
    controllerAlive_ = controller ? controller->weakReference() : std::weak_ptr<pf::Responder*>();
}

const TKTabListItemStyle* TKTabListItem::style() const
{
    const TKTabsListViewController* controller = tabsListViewController();
    return controller ? controller->listItemStyle() : nullptr;
}

TKTabListItemFlatStyleCloseButton* TKTabListItem::closeButton()
{
    if (closeButton_)
        return closeButton_;
    const TKTabListItemStyle* s = style();
    if (!s || !s->wantsCloseButton())
        return nullptr;
    TKTabListItemFlatStyleCloseButton* button = s->newCloseTabButtonWithFrame(pf::Rect());
    if (!button)
        button = new TKTabListItemFlatStyleCloseButton(pf::Rect());
    closeButton_ = button;
    addSubview(button, pf::Rect());
    return button;
}

pf::Rect TKTabListItem::borderRectForBounds(const pf::Rect& b) const
{
    return style() ? style()->borderRectForBounds(*this, b) : pf::Rect();
}

pf::Rect TKTabListItem::titleRectForBounds(const pf::Rect& b) const
{
    return style() ? style()->titleRectForBounds(*this, b) : pf::Rect();
}

pf::Rect TKTabListItem::closeButtonRectForBounds(const pf::Rect& b) const
{
    return style() ? style()->closeButtonRectForBounds(*this, b) : pf::Rect();
}

pf::Rect TKTabListItem::thumbnailRectForBounds(const pf::Rect& b) const
{
    return style() ? style()->thumbnailRectForBounds(*this, b) : pf::Rect();
}

QString TKTabListItem::editableKeyPathForDoubleClick(pf::Point point) const
{
    return style() ? style()->editableKeyPathForDoubleClick(*this, point) : QString();
}

pf::Rect TKTabListItem::fieldEditorRectForEditableKeyPath(const QString& keyPath) const
{
    return style() ? style()->fieldEditorRectForEditableKeyPath(*this, keyPath) : pf::Rect();
}

void TKTabListItem::setNeedsDisplay(bool needsDisplay)
{
    if (!needsDisplay)
        return;
    QVListItem::setNeedsDisplay();
    if (const TKTabListItemStyle* s = style())
        s->needsDisplayInListItem(*this);
}

const TKPageThumbnailImage& TKTabListItem::pageThumbnail(Composition& page, const TKPageThumbnailGeometry& geometry)
{
    const double ratio = devicePixelRatioF();
    const bool samePicture = ratio == thumbnailPixelRatio_ && geometry.pictureRect == thumbnailGeometryRect_
                             && &page == thumbnailPage_ && page.frame().size == thumbnailPageSize_;
    if (!thumbnailStale_ && samePicture)
        return thumbnail_;
    // After edits, only their area; none when the page asked no redisplay (a new selection, which the
    // picture does not show). The whole page when the page no longer knows the area, and for any other
    // change of what the picture is of.
    const std::optional<pf::Rect> changed = page.displayChangesSince(thumbnailChangeCount_);
    thumbnailChangeCount_ = page.displayChangeCount();
    thumbnailStale_ = false;
    if (samePicture && changed && changed->isNull())
        return thumbnail_;
    if (!(samePicture && changed && thumbnail_.redrawArea(page, geometry, ratio, *changed))) {
        thumbnail_ = TKPageThumbnailImage::render(page, geometry, ratio);
        thumbnailGeometryRect_ = geometry.pictureRect;
        thumbnailPixelRatio_ = ratio;
        thumbnailPage_ = &page;
        thumbnailPageSize_ = page.frame().size;
        if (geometry.scale > 0)
            ++wholePageDraws_;
    }
    if (geometry.scale > 0) {
        ++pageDraws_;
        lastPageDraw_ = pf::currentClock().now();
    }
    return thumbnail_;
}

QString TKTabListItem::description() const
{
    return QStringLiteral("<TKTabListItem 0x%1 %2>").arg(reinterpret_cast<quintptr>(this), 0, 16).arg(title_);
}

void TKTabListItem::layoutSubviews()
{
    if (const TKTabListItemStyle* s = style())
        s->layoutSubviewsInTabListItem(*this);
}

void TKTabListItem::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    if (const TKTabListItemStyle* s = style())
        s->drawTabListItem(*this, context);
}

void TKTabListItem::viewDidMoveToWindow()
{
    QVListItem::viewDidMoveToWindow();
    observations_ = observeMainState(this, [this] { setNeedsDisplay(true); });
    if (!pf::Window::of(this))
        return;
    observations_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(modelDidChangeNotification), nullptr,
        [this](const pf::Notification& n) { tabModelDidChange(n); }));
    observations_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(TKTabModel::titleDidChangeNotification), nullptr,
        [this](const pf::Notification& n) { tabModelTitleDidChange(n); }));
}

void TKTabListItem::tabModelTitleDidChange(const pf::Notification& n)
{
    // A rename, an undone rename or a new page's first title: the picture stays, only the words change.
    const auto* model = static_cast<const TKTabModel*>(n.object);
    if (!model || !representedObject_ || model->representedObject() != representedObject_ || model->title() == title_)
        return;
    title_ = model->title();
    setNeedsDisplay(true);
}

void TKTabListItem::tabModelDidChange(const pf::Notification& n)
{
    // The notice's object is the tab model whose page changed.
    const auto* model = static_cast<const TKTabModel*>(n.object);
    if (!model || !representedObject_ || model->representedObject() != representedObject_)
        return;
    if (refreshPending_)
        return; // the refresh already waiting will show this change too
    const std::int64_t interval = pictureRefreshInterval.count();
    const std::int64_t sinceDrawn = lastPageDraw_ ? pf::currentClock().now() - *lastPageDraw_ : interval;
    // (A time before the last drawing means another clock took over: nothing to wait for.)
    if (sinceDrawn >= interval || sinceDrawn < 0) {
        pictureIsStale();
        return;
    }
    refreshPending_ = true;
    refreshes_.performAfterDelay(
        [this] {
            refreshPending_ = false;
            pictureIsStale();
        },
        pf::Nanoseconds(interval - sinceDrawn));
}

void TKTabListItem::pictureIsStale()
{
    // Only marks: the page is drawn again once, when the item next paints.
    thumbnailStale_ = true;
    setNeedsDisplay(true);
}
