#include "platform/graphics/PdfContext.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cmath>

namespace pf {

class PdfContext::PageContext final : public PainterContext {
public:
    PageContext(QPainter& painter, const QRect& bounds, const AffineTransform& base)
        : PainterContext(painter, bounds, base, rasterScale, false)
    {
    }
    void newPage(const QRect& bounds, const AffineTransform& base) { restart(bounds, base); }
};

PdfContext::PdfContext(const QString& fileName) : writer_(std::make_unique<QPdfWriter>(fileName)) { setUp(); }

PdfContext::PdfContext(QIODevice* device) : writer_(std::make_unique<QPdfWriter>(device)) { setUp(); }

PdfContext::~PdfContext() { close(); }

void PdfContext::setUp()
{
    writer_->setResolution(72 * rasterScale);
    writer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

GraphicsContext* PdfContext::beginPage(const Rect& mediaBoxIn)
{
    if (closed_ || failed_)
        return nullptr;
    endPage();
    const Rect box = mediaBoxIn.standardized();
    // Stored pages may be any size (and scaled by any resolution): one past what the writer can write (it
    // writes reals through 32-bit integers) and the page's pixel bounds can hold is not begun.
    // Nor one under a point a side: the writer keeps page sizes in whole points, and would write its
    // default size instead.
    constexpr double farthest = 1e7;
    if (!(box.width() >= 1 && box.height() >= 1) || !(box.maxX() <= farthest && box.maxY() <= farthest) ||
        !(box.minX() >= -farthest && box.minY() >= -farthest))
        return nullptr;
    const QPageSize size(QSizeF(box.width(), box.height()), QPageSize::Point, QString(), QPageSize::ExactMatch);
    writer_->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) {
            failed_ = true;
            return nullptr;
        }
    }
    else if (!writer_->newPage()) {
        failed_ = true;
        return nullptr;
    }
    // User space: points, y up, origin at the media box's origin.
    const double s = rasterScale;
    const AffineTransform base{s, 0, 0, -s, -box.x() * s, (box.y() + box.height()) * s};
    const QRect bounds(0, 0, int(std::ceil(box.width() * s)), int(std::ceil(box.height() * s)));
    if (!context_)
        context_ = std::make_unique<PageContext>(*painter_, bounds, base);
    else
        context_->newPage(bounds, base);
    ++pageCount_;
    pageOpen_ = true;
    return context_.get();
}

void PdfContext::endPage() { pageOpen_ = false; }

bool PdfContext::close()
{
    if (closed_)
        return !failed_;
    closed_ = true;
    endPage();
    context_.reset();
    if (painter_ && painter_->isActive() && !painter_->end())
        failed_ = true;
    painter_.reset();
    return !failed_ && pageCount_ > 0;
}

} // namespace pf
