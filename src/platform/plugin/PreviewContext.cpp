#include "platform/plugin/PreviewContext.h"

#include "platform/graphics/PdfContext.h"

namespace pf {

std::unique_ptr<PreviewPdfContext> PreviewPdfContext::create(PFQLPreviewRequest* request, const Rect& mediaBox,
                                                             const PFQLPreviewProperties& properties)
{
    if (!request || !request->acceptsPDF || !request->deliverPDF)
        return nullptr;
    if (!request->acceptsPDF(request->host, mediaBox.origin.x, mediaBox.origin.y, mediaBox.size.width,
                             mediaBox.size.height, &properties))
        return nullptr;
    return std::unique_ptr<PreviewPdfContext>(new PreviewPdfContext(request, mediaBox));
}

PreviewPdfContext::PreviewPdfContext(PFQLPreviewRequest* request, const Rect& mediaBox)
    : request_(request), mediaBox_(mediaBox), buffer_(&bytes_)
{
    buffer_.open(QIODevice::WriteOnly);
    pdf_ = std::make_unique<PdfContext>(&buffer_);
}

PreviewPdfContext::~PreviewPdfContext() = default;

bool PreviewPdfContext::flush()
{
    if (flushed_)
        return false;
    flushed_ = true;
    if (!pdf_->close())
        return false;
    buffer_.close();
    request_->deliverPDF(request_->host, bytes_.constData(), static_cast<size_t>(bytes_.size()));
    return true;
}

} // namespace pf
