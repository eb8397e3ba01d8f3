// A multi-page PDF written through GraphicsContext. Each page has its own media box in points (72 per
// inch, no margins); its context is y-up with the origin at the media box's origin, as a Quartz PDF
// context, and does not draw to the screen. Shadows and transparency layers are rasterised at
// rasterScale pixels per point (shadow offsets and blurs are in points); everything else, clips included,
// stays vector.
#pragma once

#include "platform/graphics/PainterContext.h"

#include <QString>

#include <memory>

class QIODevice;
class QPdfWriter;

namespace pf {

class PdfContext {
public:
    static constexpr int rasterScale = 4;

    explicit PdfContext(const QString& fileName);
    explicit PdfContext(QIODevice* device);
    ~PdfContext();
    PdfContext(const PdfContext&) = delete;
    PdfContext& operator=(const PdfContext&) = delete;

    // Ends the page in progress, if any, and begins one; null when the file cannot be written or is closed.
    GraphicsContext* beginPage(const Rect& mediaBox);
    void endPage();
    // Finishes the file; answers whether it was written. Nothing can be drawn afterwards.
    bool close();

    int pageCount() const { return pageCount_; }

private:
    class PageContext;
    void setUp();

    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PageContext> context_;
    int pageCount_ = 0;
    bool pageOpen_ = false;
    bool closed_ = false;
    bool failed_ = false;
};

} // namespace pf
