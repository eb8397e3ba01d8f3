#include "app/OAPreferencesIconView.h"

#include "app/OAPreferenceClientRecord.h"
#include "app/OAPreferenceController.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

OAPreferencesIconView::OAPreferencesIconView(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void OAPreferencesIconView::setPreferenceController(OAPreferenceController* controller)
{
    controller_ = controller;
    setNeedsDisplay();
}

void OAPreferencesIconView::setPreferenceClientRecords(std::vector<const OAPreferenceClientRecord*> records)
{
    records_ = std::move(records);
    pressed_ = tracked_ = none;
    sizeToFit();
    setNeedsDisplay();
}

void OAPreferencesIconView::setSelectedClientRecord(const OAPreferenceClientRecord* record)
{
    selected_ = record;
    setNeedsDisplay();
}

std::size_t OAPreferencesIconView::iconsWide() const
{
    // A view narrower than one cell still shows its icons, one a row.
    const double whole = std::floor((bounds().size.width - leftMargin) / cellWidth);
    return whole >= 1 ? std::size_t(whole) : 1;
}

pf::Rect OAPreferencesIconView::cellRect(std::size_t index) const
{
    if (index >= records_.size())
        return {};
    const std::size_t wide = iconsWide();
    return pf::Rect(pf::Point(leftMargin + double(index % wide) * cellWidth, double(index / wide) * cellHeight),
                    pf::Size(cellWidth, cellHeight));
}

std::size_t OAPreferencesIconView::iconIndexAtPoint(pf::Point p) const
{
    const double column = std::floor((p.x - leftMargin) / cellWidth);
    const double row = std::floor(p.y / cellHeight);
    if (column < 0 || column >= double(iconsWide()) || row < 0)
        return none;
    const double index = double(iconsWide()) * row + column;
    return index < double(records_.size()) ? std::size_t(index) : none;
}

void OAPreferencesIconView::sizeToFit()
{
    const double height = records_.empty() ? 0 : cellRect(records_.size() - 1).maxY();
    setFrameSize(pf::Size(frame().size.width, height));
}

void OAPreferencesIconView::setPressed(std::size_t index)
{
    if (pressed_ == index)
        return;
    for (std::size_t changed : {pressed_, index})
        if (changed != none)
            setNeedsDisplayInRect(cellRect(changed));
    pressed_ = index;
}

void OAPreferencesIconView::endTracking()
{
    tracked_ = none;
    setPressed(none);
}

void OAPreferencesIconView::mouseDown(const pf::Event& e)
{
    const std::size_t index = iconIndexAtPoint(e.location);
    if (index == none)
        return;
    tracked_ = index;
    pressPoint_ = e.location;
    setPressed(index);
}

void OAPreferencesIconView::mouseDragged(const pf::Event& e)
{
    if (tracked_ == none)
        return;
    // Past 4 points from the press the gesture is a drag of the icon, which takes it away from the click.
    if (std::abs(e.location.x - pressPoint_.x) > 4 || std::abs(e.location.y - pressPoint_.y) > 4) {
        endTracking();
        return;
    }
    setPressed(cellRect(tracked_).contains(e.location) ? tracked_ : none);
}

void OAPreferencesIconView::mouseUp(const pf::Event& e)
{
    if (tracked_ == none)
        return;
    const std::size_t index = tracked_;
    const bool inside = cellRect(index).contains(e.location);
    endTracking();
    if (inside && controller_)
        controller_->iconViewButtonHitAtIndex(*this, index);
}

void OAPreferencesIconView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont labelFont = font();
    labelFont.setPixelSize(11);
    painter.setFont(labelFont);
    const QRectF dirty = event->rect();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const pf::Rect cell = cellRect(i);
        const QRectF cellF(cell.origin.x, cell.origin.y, cell.size.width, cell.size.height);
        if (!cellF.intersects(dirty))
            continue;
        const OAPreferenceClientRecord* record = records_[i];
        if (record == selected_)
            painter.fillRect(cellF, QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.75f));
        const QRectF iconRect(std::round(cell.origin.x + cell.size.width * 0.5 - iconSize / 2),
                              std::round(cell.origin.y + cell.size.height - 36 - iconSize), iconSize, iconSize);
        if (const pf::Image* icon = record->iconImage()) {
            const QImage bitmap = icon->bestBitmap(devicePixelRatioF());
            if (i == pressed_) {
                // A dark silhouette under the icon at two thirds: the icon looks pushed in.
                QImage silhouette = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                QPainter fill(&silhouette);
                fill.setCompositionMode(QPainter::CompositionMode_SourceIn);
                fill.fillRect(silhouette.rect(), Qt::black);
                fill.end();
                painter.drawImage(iconRect, silhouette);
                painter.setOpacity(0.6666);
                painter.drawImage(iconRect, bitmap);
                painter.setOpacity(1);
            } else {
                painter.drawImage(iconRect, bitmap);
            }
        }
        const QRectF labelRect(cell.origin.x, cell.origin.y + cell.size.height - labelHeight, cellWidth, labelHeight);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(labelRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, record->shortTitle());
    }
}
