#include "shell/QVStatusBarPopUpView.h"

#include "geometry/QVColor.h"
#include "model/Metrics.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/PopUpButton.h"
#include "platform/text/AttributedString.h"
#include "platform/text/StringDrawing.h"

#include <QAction>
#include <QMenu>

#include <cmath>

namespace {

constexpr double fontSize = 9;

pf::TextAttributes statusBarTextAttributes(double alpha)
{
    pf::TextAttributes a;
    a.font = pf::Font::systemFont(fontSize);
    a.foregroundColor = pf::Color(0, 0, 0, alpha);
    pf::ParagraphStyle paragraph;
    paragraph.alignment = pf::TextAlignment::Center;
    paragraph.lineBreakMode = pf::LineBreakMode::Clipping;
    a.paragraphStyle = paragraph;
    return a;
}

pf::Size measure(const QString& text, const pf::TextAttributes& attributes)
{
    return text.isEmpty() ? pf::Size() : pf::sizeOfAttributedString(pf::AttributedString(text, attributes));
}

// The rects of the status bar's controls are centred on the bar and start on whole points plus a half.
double centredY(const pf::Rect& bounds, double height)
{
    return std::round(bounds.y() + bounds.height() / 2 - height / 2) + 0.5;
}

} // namespace

const pf::TextAttributes& QVStatusBarPopUpView::defaultLabelTextAttributes()
{
    static const pf::TextAttributes a = statusBarTextAttributes(1);
    return a;
}

const pf::TextAttributes& QVStatusBarPopUpView::defaultValueTextAttributes()
{
    static const pf::TextAttributes a = statusBarTextAttributes(1);
    return a;
}

const pf::TextAttributes& QVStatusBarPopUpView::defaultNonMainLabelTextAttributes()
{
    static const pf::TextAttributes a = statusBarTextAttributes(0.6);
    return a;
}

const pf::TextAttributes& QVStatusBarPopUpView::defaultNonMainValueTextAttributes()
{
    static const pf::TextAttributes a = statusBarTextAttributes(0.6);
    return a;
}

void QVStatusBarPopUpView::applyStatusBarColors(QVBar& bar)
{
    bar.setMainTopBorderColor(QVHexColor(0x9E9E9E));
    bar.setMainTopBevelColor(std::nullopt);
    bar.setMainBgGradient(pf::Gradient(QVHexColor(0xDDDDDD), QVHexColor(0xBBBBBB)));
    bar.setMainBottomBevelColor(std::nullopt);
    bar.setHiBgGradient(pf::Gradient(QVHexColor(0xD0D0D0), QVHexColor(0xB0B0B0)));
    bar.setNonMainTopBorderColor(QVHexColor(0xBBBBBB));
    bar.setNonMainTopBevelColor(std::nullopt);
    bar.setNonMainBgGradient(pf::Gradient(QVHexColor(0xF4F4F4), QVHexColor(0xF4F4F4)));
    bar.setNonMainBottomBevelColor(std::nullopt);
}

QVStatusBarPopUpView::QVStatusBarPopUpView(const pf::Rect& frame, QWidget* parent) : QVBar(frame, parent)
{
    setUpSubviews();
}

QVStatusBarPopUpView::~QVStatusBarPopUpView()
{
    calls_.cancelPreviousPerformRequests();
    if (menu_) {
        menu_->disconnect();
        menu_->hide();
    }
}

void QVStatusBarPopUpView::awakeFromNib()
{
    QVBar::awakeFromNib();
    setUpSubviews();
    updateValue();
}

void QVStatusBarPopUpView::setUpSubviews()
{
    applyStatusBarColors(*this);
    if (popUpButton_)
        popUpButton_->hide();
    setNeedsDisplay();
}

void QVStatusBarPopUpView::setPopUpButton(pf::PopUpButton* button)
{
    if (popUpButton_ == button)
        return;
    popUpButton_ = button;
    if (button) {
        addSubview(button, popUpButtonRectForBounds(bounds()));
        button->hide();
    }
}

void QVStatusBarPopUpView::setMenuVisible(bool visible)
{
    if (menuVisible_ == visible)
        return;
    menuVisible_ = visible;
    setNeedsDisplay();
}

void QVStatusBarPopUpView::setLabelText(const QString& text)
{
    if (text == labelText_)
        return;
    labelText_ = text;
    labelTextSize_ = measure(text, defaultLabelTextAttributes());
    setNeedsDisplay();
}

void QVStatusBarPopUpView::setValueText(const QString& text)
{
    if (text == valueText_)
        return;
    valueText_ = text;
    valueTextSize_ = measure(text, defaultValueTextAttributes());
    setNeedsDisplay();
}

void QVStatusBarPopUpView::updateValue()
{
    calls_.performAfterDelay(
        [this] {
            if (popUpButton_) {
                popUpButton_->synchronizeTitleAndSelectedItem();
                const pf::MenuItem* item = popUpButton_->selectedItem();
                setValueText(item ? valueForSelectedTitle(item->title()) : QString());
            }
            setMenuVisible(false);
        },
        {});
}

void QVStatusBarPopUpView::menuDidClose()
{
    updateValue();
}

// ---- rects ----
// The layout is worked out as the bar is drawn upright (y up) and turned over into the view's points.

pf::Rect QVStatusBarPopUpView::labelTextRectForBounds(const pf::Rect& b) const
{
    return {8, centredY(b, labelTextSize_.height), std::round(labelTextSize_.width) + 0.5, labelTextSize_.height};
}

pf::Rect QVStatusBarPopUpView::valueTextRectForBounds(const pf::Rect& b) const
{
    const pf::Rect label = labelTextRectForBounds(b);
    const double gap = labelText_.isEmpty() ? 0 : 3;
    return {std::round(label.maxX() + gap) + 0.5, centredY(b, valueTextSize_.height),
            std::round(valueTextSize_.width) + 0.5, valueTextSize_.height};
}

pf::Rect QVStatusBarPopUpView::arrowsRectForBounds(const pf::Rect& b) const
{
    const pf::Rect value = valueTextRectForBounds(b);
    const double height = fontSize;
    // Upright, the arrows stand one point above the value's lower edge.
    return {std::round(value.maxX() + 3) + 0.5, value.maxY() - 1 - height, std::round(0.66 * fontSize), height};
}

pf::Rect QVStatusBarPopUpView::popUpButtonRectForBounds(const pf::Rect& b) const
{
    const double height = popUpButton_ ? popUpButton_->frame().height() : 0;
    return {3, centredY(b, height), std::round(b.width() - 6) + 0.5, height};
}

pf::Point QVStatusBarPopUpView::menuLocationForMenuWidth(double menuWidth) const
{
    const pf::Rect value = valueTextRectForBounds(bounds());
    // The item's top goes one point below the value's top edge.
    return {std::floor(value.midX() - menuWidth / 2) - 0.5, value.minY() + 1};
}

void QVStatusBarPopUpView::layoutSubviews()
{
    if (popUpButton_)
        popUpButton_->setFrame(popUpButtonRectForBounds(bounds()));
}

// ---- drawing ----

void QVStatusBarPopUpView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    QVBar::drawRect(context, dirtyRect);
    const pf::Rect b = bounds();
    const bool main = isInMainWindow();
    if (!labelText_.isEmpty())
        pf::drawAttributedString(
            context,
            pf::AttributedString(labelText_, main ? defaultLabelTextAttributes() : defaultNonMainLabelTextAttributes()),
            labelTextRectForBounds(b), pf::UsesLineFragmentOrigin);
    if (!valueText_.isEmpty()) {
        pf::drawAttributedString(
            context,
            pf::AttributedString(valueText_, main ? defaultValueTextAttributes() : defaultNonMainValueTextAttributes()),
            valueTextRectForBounds(b), pf::UsesLineFragmentOrigin);
        const pf::Rect arrows = arrowsRectForBounds(b);
        const double hw = arrows.width() / 2, hh = arrows.height() / 2;
        context.saveGState();
        context.setFillColor(pf::Color(0.2, 0.2, 0.2, 1));
        context.translate(arrows.midX(), arrows.midY());
        // Upright: the upper triangle points up.
        context.scale(1, -1);
        for (double side : {1.0, -1.0}) {
            pf::Path triangle;
            triangle.moveTo(pf::Point(std::floor(-hw) + 0.5, side));
            triangle.lineTo(pf::Point(std::floor(hw) + 0.5, side));
            triangle.lineTo(pf::Point(0.5, side * hh));
            triangle.close();
            context.fillPath(triangle);
        }
        context.restoreGState();
    }
    const pf::OptionalColor& border = main ? mainTopBorderColor() : nonMainTopBorderColor();
    if (border) {
        context.saveGState();
        context.setLineWidth(1);
        context.setStrokeColor(*border);
        for (double x : {std::round(b.minX()) + 0.5, std::round(b.maxX()) - 0.5}) {
            pf::Path line;
            line.moveTo(pf::Point(x, b.minY()));
            line.lineTo(pf::Point(x, b.maxY()));
            context.strokePath(line);
        }
        context.restoreGState();
    }
}

// ---- the menu ----

void QVStatusBarPopUpView::mouseDown(const pf::Event&)
{
    if (!popUpButton_ || popUpButton_->numberOfItems() == 0)
        return;
    setMenuVisible(true);
    calls_.performAfterDelay([this] { popUpMenu(); }, {});
}

void QVStatusBarPopUpView::popUpMenu()
{
    if (!popUpButton_ || !popUpButton_->menu())
        return;
    menu_ = pf::MenuPresenter::makeQMenu(popUpButton_->menu());
    // The value's font, a point to a pixel as everywhere in the window.
    QFont font = defaultValueTextAttributes().font->layoutFont();
    font.setPixelSize(int(fontSize));
    menu_->setFont(font);
    QMenu* menu = menu_.get();
    // The items have no actions of their own: choosing one is the pop-up's business.
    const QList<QAction*> items = menu->actions();
    for (int i = 0; i < items.size() && i < popUpButton_->numberOfItems(); ++i)
        items[i]->setEnabled(!items[i]->isSeparator() && popUpButton_->menu()->itemAt(i).isEnabled());
    QObject::connect(menu, &QMenu::triggered, menu, [this, menu](QAction* action) {
        if (popUpButton_)
            popUpButton_->chooseItemAtIndex(int(menu->actions().indexOf(action)));
    });
    // Qt hides the menu before it runs the chosen action (so the menu goes later), and the value is read
    // a turn later.
    QObject::connect(menu, &QMenu::aboutToHide, menu, [this] {
        if (menu_)
            menu_.release()->deleteLater();
        menuDidClose();
    });

    const int selected = popUpButton_->indexOfSelectedItem();
    const QPoint itemOffset =
        selected >= 0 && selected < items.size() ? menu->actionGeometry(items[selected]).topLeft() : QPoint();
    const pf::Point location = menuLocationForMenuWidth(menu->sizeHint().width());
    const QPoint global = mapToGlobal(QPoint(int(std::lround(location.x)), int(std::lround(location.y))));
    menu->popup(global - itemOffset);
}

QString GridStatusBarPopupView::valueForSelectedTitle(const QString& title) const
{
    for (unsigned unit : {1u, 2u})
        if (title == Metrics::unitNameForUnitType(unit))
            return Metrics::shortUnitNameForUnitType(unit);
    return title;
}
