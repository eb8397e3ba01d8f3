#include "platform/graphics/PdfPicture.h"

#include "platform/graphics/GraphicsContext.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QPicture>

#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace pf {

namespace {

Q_LOGGING_CATEGORY(lcPdfPicture, "quorvel.platform.pdf", QtInfoMsg)

// The decoder's complaints about damaged files are for debugging; the caller gets one clear error.
void debugOnly(const QString& message, const QVariant&) { qCDebug(lcPdfPicture, "%s", qUtf8Printable(message)); }

// Drawings that are not for a screen (print, PDF export) get at least this many pixels per point.
constexpr double minimumPrintScale = 4.0;
// Pages are never rendered larger than this many pixels, whatever the zoom.
constexpr double maxRenderPixels = 8192.0 * 8192.0;

// The page and its last rendering, shared by the copies of the image.
struct PdfPage {
    std::unique_ptr<Poppler::Document> document;
    std::unique_ptr<Poppler::Page> page;
    Size size;
    double renderedScale = 0;
    QImage rendered;

    const QImage& renderAt(double scale)
    {
        if (scale != renderedScale || rendered.isNull()) {
            rendered = page->renderToImage(72.0 * scale, 72.0 * scale)
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            renderedScale = scale;
        }
        return rendered;
    }

    // The page as recorded painter commands, in points, made once. The renderer sets its transforms
    // outright, so it records into a picture that is then played under the caller's transform.
    const QPicture* vectors()
    {
        if (!recorded) {
            recorded = true;
            QPainter recorder(&picture);
            document->setRenderBackend(Poppler::Document::QPainterBackend);
            const bool drawn = page->renderToPainter(&recorder, 72.0, 72.0);
            document->setRenderBackend(Poppler::Document::SplashBackend);
            recorder.end();
            vectorsDrawn = drawn;
        }
        return vectorsDrawn ? &picture : nullptr;
    }
    bool recorded = false;
    bool vectorsDrawn = false;
    QPicture picture;
};

} // namespace

bool isPdfData(const QByteArray& data) { return data.startsWith("%PDF-"); }

Image pdfPicture(const QByteArray& data, QString* errorOut)
{
    const auto fail = [errorOut](const char* message) {
        if (errorOut)
            *errorOut = QString::fromLatin1(message);
        return Image();
    };
    static const bool quiet = [] {
        Poppler::setDebugErrorFunction(&debugOnly, QVariant());
        return true;
    }();
    (void)quiet;
    auto pdf = std::make_shared<PdfPage>();
    pdf->document = Poppler::Document::loadFromData(data);
    if (!pdf->document || pdf->document->isLocked())
        return fail("not a readable PDF document");
    if (pdf->document->numPages() < 1)
        return fail("the PDF document has no page");
    pdf->page = pdf->document->page(0);
    if (!pdf->page)
        return fail("the PDF document has no page");
    const QSizeF points = pdf->page->pageSizeF();
    if (!(points.width() > 0 && points.height() > 0))
        return fail("the PDF page has no size");
    pdf->size = Size(points.width(), points.height());
    pdf->document->setRenderHint(Poppler::Document::Antialiasing);
    pdf->document->setRenderHint(Poppler::Document::TextAntialiasing);
    // A picture shows what lies under the page's empty parts, as a pasted PDF does.
    pdf->document->setRenderHint(Poppler::Document::IgnorePaperColor);
    return Image::withDrawingHandler(pdf->size, [pdf](GraphicsContext& context, const Rect& rect) {
        // A PDF page takes the picture as vectors: nothing is rasterised.
        if (context.paintVectorDrawing([&pdf, &rect](QPainter& painter) {
                const QPicture* vectors = pdf->vectors();
                if (!vectors)
                    return false;
                painter.translate(rect.x(), rect.y());
                painter.scale(rect.width() / pdf->size.width, rect.height() / pdf->size.height);
                // Playing scales by the ratio of the device's resolution to the picture's: undone here.
                if (const QPaintDevice* device = painter.device(); device && device->logicalDpiX() > 0 &&
                                                                 device->logicalDpiY() > 0)
                    painter.scale(double(vectors->logicalDpiX()) / device->logicalDpiX(),
                                  double(vectors->logicalDpiY()) / device->logicalDpiY());
                return const_cast<QPicture*>(vectors)->play(&painter);
            }))
            return true;
        // Pixels per point of the device at this drawing.
        const AffineTransform m = context.getCTM();
        double scale = std::sqrt(std::abs(m.a * m.d - m.b * m.c));
        if (!context.drawsToScreen())
            scale = std::max(scale, minimumPrintScale);
        scale = std::min(scale, std::sqrt(maxRenderPixels / (pdf->size.width * pdf->size.height)));
        // Whole steps of a quarter, so small zoom changes reuse the last rendering.
        scale = std::max(0.25, std::ceil(scale * 4.0) / 4.0);
        const QImage& pixels = pdf->renderAt(scale);
        if (pixels.isNull())
            return false;
        context.drawImage(Image(pixels, pdf->size), rect);
        return true;
    });
}

} // namespace pf
