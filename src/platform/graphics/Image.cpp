#include "platform/graphics/Image.h"

#include "platform/graphics/PainterContext.h"
#include "platform/graphics/PdfPicture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <QHash>

#include <cmath>
#include <mutex>

namespace pf {

namespace {

constexpr double metersPerInch = 0.0254;

// Qt gives an image without a stored resolution the screen's default: treat that as "none" (72 dpi,
// one point per pixel), as the platform image readers do.
int defaultDotsPerMeter()
{
    static const int dpm = QImage(1, 1, QImage::Format_ARGB32).dotsPerMeterX();
    return dpm;
}

Size pointSizeOf(const QImage& image)
{
    const auto points = [](int pixels, int dpm) {
        if (dpm <= 0 || std::abs(dpm - defaultDotsPerMeter()) <= 1)
            return double(pixels);
        // Files store dots per metre or per inch in whole numbers: a resolution within rounding of a
        // whole dpi is that dpi (5669 dots per metre is 144 dpi).
        double dpi = dpm * metersPerInch;
        if (std::abs(dpi - std::round(dpi)) < 0.05)
            dpi = std::round(dpi);
        return dpi == 72.0 ? double(pixels) : pixels * 72.0 / dpi;
    };
    return {points(image.width(), image.dotsPerMeterX()), points(image.height(), image.dotsPerMeterY())};
}

} // namespace

Image::Image(const QImage& bitmap, Size pointSize)
{
    if (bitmap.isNull())
        return;
    data_ = std::make_shared<Data>();
    data_->size = pointSize.width > 0 && pointSize.height > 0 ? pointSize : Size(bitmap.width(), bitmap.height());
    data_->bitmaps.push_back(bitmap);
}

Image Image::withDrawingHandler(Size pointSize, DrawingHandler handler)
{
    Image image;
    image.data_ = std::make_shared<Data>();
    image.data_->size = pointSize;
    image.data_->handler = std::move(handler);
    return image;
}

Image Image::fromData(const QByteArray& data, QString* errorOut)
{
    if (isPdfData(data))
        return pdfPicture(data, errorOut);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage bitmap = reader.read();
    if (bitmap.isNull()) {
        if (errorOut)
            *errorOut = reader.errorString();
        return {};
    }
    return Image(bitmap, pointSizeOf(bitmap));
}

Image Image::fromFile(const QString& path, QString* errorOut)
{
    // Compiled-in resources never change, and pages ask for the same control pictures over and over:
    // each is decoded once per process. Only bitmaps are kept (a PDF picture keeps its last rendering,
    // which is not to be shared between threads); images are values, so a change made to one taken
    // from here copies it first.
    const bool resource = path.startsWith(QLatin1String(":/"));
    static std::mutex mutex;
    static QHash<QString, Image> decoded;
    if (resource) {
        const std::lock_guard lock(mutex);
        if (const auto found = decoded.constFind(path); found != decoded.cend())
            return *found;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorOut)
            *errorOut = file.errorString();
        return {};
    }
    Image image = fromData(file.readAll(), errorOut);
    if (resource && !image.isNull() && !image.hasDrawingHandler()) {
        const std::lock_guard lock(mutex);
        decoded.insert(path, image);
    }
    return image;
}

Image Image::drawn(Size size, double scale, const std::function<void(GraphicsContext&)>& draw)
{
    BitmapContext context(size, scale, true);
    {
        CurrentContext current(context);
        draw(context);
    }
    return context.image();
}

Size Image::size() const { return data_ ? data_->size : Size(); }

Image::Data& Image::mutableData()
{
    if (!data_)
        data_ = std::make_shared<Data>();
    else if (data_.use_count() > 1)
        data_ = std::make_shared<Data>(*data_);
    return *data_;
}

void Image::setSize(Size pointSize) { mutableData().size = pointSize; }

void Image::addBitmap(const QImage& bitmap)
{
    if (bitmap.isNull())
        return;
    Data& d = mutableData();
    if (d.size.width <= 0 || d.size.height <= 0)
        d.size = Size(bitmap.width(), bitmap.height());
    d.bitmaps.push_back(bitmap);
}

const Image::DrawingHandler& Image::drawingHandler() const
{
    static const DrawingHandler none;
    return data_ ? data_->handler : none;
}

double Image::bitmapScale(int index) const
{
    const double w = size().width;
    return w > 0 ? bitmap(index).width() / w : 0;
}

QImage Image::bestBitmap(double scale) const
{
    if (!data_ || data_->bitmaps.empty())
        return {};
    int best = -1;
    int densest = 0;
    for (int i = 0; i < bitmapCount(); ++i) {
        const double s = bitmapScale(i);
        if (s > bitmapScale(densest))
            densest = i;
        if (s >= scale && (best < 0 || s < bitmapScale(best)))
            best = i;
    }
    return bitmap(best >= 0 ? best : densest);
}

QImage Image::rendered(double scale) const
{
    if (!isValid() || !(scale > 0))
        return {};
    BitmapContext context(size(), scale, true);
    context.drawImage(*this, Rect(0, 0, size().width, size().height));
    return context.bitmap();
}

QImage Image::encodable() const
{
    if (!isValid())
        return {};
    QImage image = hasDrawingHandler() || bitmapCount() == 0 ? rendered(1.0) : bestBitmap(1e9);
    const double scale = image.width() / size().width;
    const int dpm = int(std::lround(72.0 * scale / metersPerInch));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(int(std::lround(72.0 * (image.height() / size().height) / metersPerInch)));
    return image;
}

QByteArray Image::encode(const char* format, int quality) const
{
    const QImage image = encodable();
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

QByteArray Image::pngData() const { return encode("png", -1); }
QByteArray Image::tiffData() const { return encode("tiff", -1); }

QByteArray Image::jpegData(double quality) const
{
    const double q = std::isfinite(quality) ? std::clamp(quality, 0.0, 1.0) : 0.9;
    return encode("jpeg", int(std::lround(q * 100)));
}

} // namespace pf
