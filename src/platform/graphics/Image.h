// An image as the model sees it: a size in points, separate from the pixels of its representations.
// An image holds bitmaps at one or more scales (pixels per point), or a drawing handler that is run again
// each time the image is drawn. Images are values: copies share their representations.
//
// Image coordinates have their origin at the top-left corner with y growing downward, in points; source
// rects and drawing handlers use them.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QByteArray>
#include <QImage>

#include <functional>
#include <memory>
#include <vector>

namespace pf {

class GraphicsContext;

class Image {
public:
    // Draws the image's content into rect (its own bounds, (0, 0, size)) in y-down image coordinates.
    // Answers false when it drew nothing.
    using DrawingHandler = std::function<bool(GraphicsContext&, const Rect&)>;

    // The null image: no size, no representation.
    Image() = default;
    // One bitmap whose point size is pointSize; an empty pointSize takes the bitmap's pixel size.
    explicit Image(const QImage& bitmap, Size pointSize = {});
    static Image withDrawingHandler(Size pointSize, DrawingHandler handler);

    // Decodes PNG, JPEG, GIF, TIFF (and the other formats Qt reads), and the first page of a PDF (a
    // drawing, see PdfPicture.h). The point size follows the file's
    // resolution (pixels × 72 / dpi); a file without a resolution has one point per pixel. A null image
    // and errorOut set when the data is not an image.
    static Image fromData(const QByteArray& data, QString* errorOut = nullptr);
    static Image fromFile(const QString& path, QString* errorOut = nullptr);

    // A new bitmap of size × scale pixels (transparent), drawn through a y-down context; the image's
    // point size is size. draw runs with the context made current.
    static Image drawn(Size size, double scale, const std::function<void(GraphicsContext&)>& draw);

    bool isNull() const { return !data_; }
    bool isValid() const { return data_ && size().width > 0 && size().height > 0; }
    Size size() const;
    // Changes the point size only; the pixels stay (so the scale of every bitmap changes).
    void setSize(Size pointSize);

    bool hasDrawingHandler() const { return data_ && bool(data_->handler); }
    const DrawingHandler& drawingHandler() const;

    // Bitmaps, in the order they were added.
    int bitmapCount() const { return data_ ? int(data_->bitmaps.size()) : 0; }
    const QImage& bitmap(int index) const { return data_->bitmaps[size_t(index)]; }
    void addBitmap(const QImage& bitmap);
    // Pixels per point of one bitmap (its width over the point width).
    double bitmapScale(int index) const;
    // The bitmap best suited to a drawing at scale pixels per point: the smallest that is at least that
    // dense, else the densest. Null when there is none.
    QImage bestBitmap(double scale) const;

    // A premultiplied ARGB bitmap at the scale: the best bitmap resampled, or the drawing handler run.
    QImage rendered(double scale) const;

    // Encodings of rendered(1) or, for bitmap images, of the densest bitmap; the resolution written
    // keeps the point size (72 dpi × pixels per point). Empty on failure.
    QByteArray pngData() const;
    QByteArray tiffData() const;
    // quality 0 to 1.
    QByteArray jpegData(double quality) const;

private:
    struct Data {
        Size size;
        std::vector<QImage> bitmaps;
        DrawingHandler handler;
    };
    QImage encodable() const;
    QByteArray encode(const char* format, int quality) const;
    Data& mutableData();

    std::shared_ptr<Data> data_;
};

} // namespace pf
