#include "platform/kit/Cursor.h"

#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

Qt::CursorShape qtShape(Cursor::Shape shape)
{
    switch (shape) {
    case Cursor::Shape::Arrow: return Qt::ArrowCursor;
    case Cursor::Shape::Crosshair: return Qt::CrossCursor;
    case Cursor::Shape::OpenHand: return Qt::OpenHandCursor;
    case Cursor::Shape::ClosedHand: return Qt::ClosedHandCursor;
    case Cursor::Shape::ResizeLeftRight: return Qt::SizeHorCursor;
    case Cursor::Shape::ResizeUpDown: return Qt::SizeVerCursor;
    case Cursor::Shape::ResizeDiagonalDown: return Qt::SizeFDiagCursor;
    case Cursor::Shape::ResizeDiagonalUp: return Qt::SizeBDiagCursor;
    case Cursor::Shape::DragCopy: return Qt::DragCopyCursor;
    case Cursor::Shape::Custom: break;
    }
    return Qt::ArrowCursor;
}

} // namespace

Cursor::Cursor(Shape shape) : data_(std::make_shared<Data>())
{
    data_->shape = shape;
}

Cursor::Cursor(Image image, Point hotSpot) : data_(std::make_shared<Data>())
{
    data_->image = std::move(image);
    data_->hotSpot = hotSpot;
}

// Made once each, so that asking again answers the same cursor.
const Cursor& Cursor::arrow() { static const Cursor c(Shape::Arrow); return c; }
const Cursor& Cursor::crosshair() { static const Cursor c(Shape::Crosshair); return c; }
const Cursor& Cursor::openHand() { static const Cursor c(Shape::OpenHand); return c; }
const Cursor& Cursor::closedHand() { static const Cursor c(Shape::ClosedHand); return c; }
const Cursor& Cursor::resizeLeftRight() { static const Cursor c(Shape::ResizeLeftRight); return c; }
const Cursor& Cursor::resizeUpDown() { static const Cursor c(Shape::ResizeUpDown); return c; }
const Cursor& Cursor::resizeDiagonalDown() { static const Cursor c(Shape::ResizeDiagonalDown); return c; }
const Cursor& Cursor::resizeDiagonalUp() { static const Cursor c(Shape::ResizeDiagonalUp); return c; }
const Cursor& Cursor::dragCopy() { static const Cursor c(Shape::DragCopy); return c; }

Cursor Cursor::drawn(Size size, Point hotSpot, const std::function<void(GraphicsContext&)>& draw)
{
    Image image = Image::drawn(size, 1.0, draw);
    const Image dense = Image::drawn(size, 2.0, draw);
    if (dense.bitmapCount() > 0)
        image.addBitmap(dense.bitmap(0));
    return Cursor(std::move(image), hotSpot);
}

QCursor Cursor::toQt(double devicePixelRatio) const
{
    if (data_->shape != Shape::Custom)
        return QCursor(qtShape(data_->shape));
    const double ratio = devicePixelRatio > 1 ? 2.0 : 1.0;
    if (auto it = data_->qt.find(ratio); it != data_->qt.end())
        return it->second;
    const QImage bitmap = data_->image.bestBitmap(ratio);
    if (bitmap.isNull())
        return QCursor(Qt::ArrowCursor);
    QPixmap pixmap = QPixmap::fromImage(bitmap);
    const double scale = data_->image.size().width > 0 ? bitmap.width() / data_->image.size().width : 1.0;
    pixmap.setDevicePixelRatio(scale);
    // Qt takes the hot spot in points of the picture: the whole point that holds the hot spot.
    const Size size = data_->image.size();
    const int hotX = int(std::clamp(std::floor(data_->hotSpot.x), 0.0, std::max(0.0, size.width - 1)));
    const int hotY = int(std::clamp(std::floor(data_->hotSpot.y), 0.0, std::max(0.0, size.height - 1)));
    const QCursor cursor(pixmap, hotX, hotY);
    data_->qt.emplace(ratio, cursor);
    return cursor;
}

} // namespace pf
