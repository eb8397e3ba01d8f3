#include "palettes/LibraryListItem.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Resources.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Window.h"
#include "platform/text/StringDrawing.h"

#include <QGuiApplication>
#include <QPalette>

#include <cmath>
#include <map>

namespace {

pf::Color deviceWhite(double white, double alpha = 1.0)
{
    return pf::Color(white, white, white, alpha);
}

// Each picture is read once for all rows. Main thread only, as every view.
std::map<QString, pf::Image>& iconCache()
{
    static std::map<QString, pf::Image> cache;
    return cache;
}

// The rows and the bar redraw when their window gains or loses main state.
std::vector<pf::NotificationToken> observeMainState(pf::View& view)
{
    std::vector<pf::NotificationToken> tokens;
    pf::Window* window = view.enclosingWindow();
    if (!window)
        return tokens;
    for (const QString& name : {pf::Window::didBecomeMainNotification, pf::Window::didResignMainNotification})
        tokens.push_back(pf::NotificationCenter::defaultCenter().addObserver(
            name, window, [&view](const pf::Notification&) {
                if (view.enclosingWindow())
                    view.setNeedsDisplay();
            }));
    return tokens;
}

bool isInMainWindow(const pf::View& view)
{
    const pf::Window* window = view.enclosingWindow();
    return window && window->isMainWindow();
}

} // namespace

// ---- LibraryListItem ----

LibraryListItem::LibraryListItem() : LibraryListItem(reuseIdentifier()) {}

LibraryListItem::LibraryListItem(const QString& reuseIdentifier) : QVListItem(pf::Rect(), reuseIdentifier) {}

LibraryListItem::~LibraryListItem() = default;

void LibraryListItem::setShapeInfo(const pf::Value& info)
{
    if (info == shapeInfo_ && info.isNull() == shapeInfo_.isNull())
        return;
    shapeInfo_ = info;
    if (info.isDictionary() && info.count() > 0)
        displayString_ = pf::AttributedString(info.stringForKey(u"title"), titleAttributes());
    else
        displayString_.reset();
}

pf::Image LibraryListItem::iconImage() const
{
    const QString& name = shapeInfo_.stringForKey(u"iconImageName");
    if (name.isEmpty()) {
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(shapeInfo_.stringForKey(u"className"));
        return kind ? kind->iconImage() : pf::Image();
    }
    auto& cache = iconCache();
    if (const auto it = cache.find(name); it != cache.end())
        return it->second;
    const std::optional<QByteArray> data = pf::resourceData(name, QStringLiteral("png"));
    if (!data)
        return {};
    const pf::Image image = pf::Image::fromData(*data);
    if (image.isNull())
        return {};
    cache.emplace(name, image);
    return image;
}

pf::Rect LibraryListItem::iconBackgroundRectForBounds(const pf::Rect&)
{
    return pf::Rect(4, 4, 44, 44);
}

pf::Rect LibraryListItem::iconRectForBounds(const pf::Rect&)
{
    // On whole points, so that a picture of 32 pixels a side lands on its pixels.
    return pf::Rect(std::ceil(9.5), std::ceil(9.5), 32, 32);
}

pf::Rect LibraryListItem::displayStringRectForBounds(const pf::Rect& bounds)
{
    return pf::Rect(57, 5, bounds.width() - 62, bounds.height() - 10);
}

const pf::TextAttributes& LibraryListItem::titleAttributes()
{
    static const pf::TextAttributes attributes = [] {
        pf::TextAttributes a;
        a.font = pf::Font::boldSystemFont(11);
        a.foregroundColor = pf::Color::black();
        return a;
    }();
    return attributes;
}

pf::Color LibraryListItem::rowBackgroundColor()
{
    return deviceWhite(1.0);
}

pf::Color LibraryListItem::selectedRowBackgroundColor()
{
    static const pf::Color color = pf::Color::fromQt(QGuiApplication::palette().color(QPalette::Button));
    return color;
}

pf::Color LibraryListItem::separatorColor()
{
    return deviceWhite(0.9);
}

pf::Color LibraryListItem::separatorAtSelectionColor()
{
    return deviceWhite(0.75);
}

pf::Color LibraryListItem::iconWellColor()
{
    return deviceWhite(0.9);
}

pf::Color LibraryListItem::selectedIconWellColor()
{
    static const pf::Color color = pf::Color::fromQt(QGuiApplication::palette().color(QPalette::Highlight));
    return color;
}

void LibraryListItem::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    const pf::Rect b = bounds();
    context.setFillColor(pf::Color::white());
    context.fillRect(b);
    context.setFillColor(selected_ ? selectedRowBackgroundColor() : rowBackgroundColor());
    context.fillRect(b);

    context.setFillColor(selected_ ? selectedIconWellColor() : iconWellColor());
    context.fillPath(pf::Path::roundedRect(iconBackgroundRectForBounds(b), 5, 5));

    drawIcon(context, dirtyRect);

    if (displayString_)
        pf::drawAttributedString(context, *displayString_, displayStringRectForBounds(b),
                                 pf::UsesLineFragmentOrigin | pf::TruncatesLastVisibleLine);

    if (!isDrawingDragImage()) {
        pf::Path separator;
        separator.moveTo(pf::Point(0, b.height() - 0.5));
        separator.lineTo(pf::Point(b.width(), b.height() - 0.5));
        context.setStrokeColor(selected_ || beforeSelected_ ? separatorAtSelectionColor() : separatorColor());
        context.setLineWidth(1.0);
        context.strokePath(separator);
    }

    if (!isInMainWindow(*this)) {
        context.setFillColor(deviceWhite(1.0, 0.25));
        context.fillRect(b);
    }
}

void LibraryListItem::drawIcon(pf::GraphicsContext& context, const pf::Rect&)
{
    const pf::Image image = iconImage();
    if (image.isNull())
        return;
    context.drawImage(image, iconRectForBounds(bounds()), pf::Rect(), pf::BlendMode::Normal, 1.0, true);
}

void LibraryListItem::viewDidMoveToWindow()
{
    QVListItem::viewDidMoveToWindow();
    windowObservations_ = observeMainState(*this);
}

// ---- LibraryVectorListItem ----

LibraryVectorListItem::LibraryVectorListItem() : LibraryListItem(reuseIdentifier()) {}

pf::Rect LibraryVectorListItem::shapeRectForIconRect(const pf::Rect& iconRect)
{
    return iconRect.insetBy(2, 2);
}

void LibraryVectorListItem::drawIcon(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    if (!shape())
        return;
    pf::SavedGState saved(context);
    context.translate(0.5, 0.5);
    shape()->drawInContextDirtyRect(context, dirtyRect);
}

// ---- LibrarySearchView ----

pf::Color LibrarySearchView::activeLineColor()
{
    return QVHexColor(0x9e9e9e);
}

pf::Color LibrarySearchView::inactiveLineColor()
{
    return QVHexColor(0xbbbbbb);
}

void LibrarySearchView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    QVColorView::drawRect(context, dirtyRect);
    // On the bar's first row of pixels, not across its edge, where half of it would be cut away.
    const pf::Rect b = bounds().offsetBy(0, 0.5);
    pf::Path line;
    line.moveTo(QVRectGetTopLefPoint(b));
    line.lineTo(QVRectGetTopRitPoint(b));
    context.setStrokeColor(isInMainWindow(*this) ? activeLineColor() : inactiveLineColor());
    context.setLineWidth(1.0);
    context.strokePath(line);
}

void LibrarySearchView::viewDidMoveToWindow()
{
    QVColorView::viewDidMoveToWindow();
    windowObservations_ = observeMainState(*this);
}
