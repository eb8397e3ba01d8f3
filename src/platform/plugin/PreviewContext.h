// Plug-in side of a preview request: the PDF context the request hands out, drawn into memory and
// delivered to the host when flushed.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/plugin/QuickLookAbi.h"

#include <QBuffer>
#include <QByteArray>

#include <memory>

namespace pf {

class PdfContext;

class PreviewPdfContext {
public:
    // Nothing when the host refuses a PDF of that media box.
    static std::unique_ptr<PreviewPdfContext> create(PFQLPreviewRequest* request, const Rect& mediaBox,
                                                     const PFQLPreviewProperties& properties);
    ~PreviewPdfContext();
    PreviewPdfContext(const PreviewPdfContext&) = delete;
    PreviewPdfContext& operator=(const PreviewPdfContext&) = delete;

    PdfContext& pdf() { return *pdf_; }
    const Rect& mediaBox() const { return mediaBox_; }
    // Finishes the document and hands it to the host; answers whether it was written.
    bool flush();

private:
    PreviewPdfContext(PFQLPreviewRequest* request, const Rect& mediaBox);

    PFQLPreviewRequest* request_;
    Rect mediaBox_;
    QByteArray bytes_;
    QBuffer buffer_;
    std::unique_ptr<PdfContext> pdf_;
    bool flushed_ = false;
};

} // namespace pf
