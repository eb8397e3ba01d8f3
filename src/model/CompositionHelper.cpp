#include "model/CompositionHelper.h"

#include "model/Composition.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/PdfContext.h"

namespace {

void fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

// The export fill goes on and comes off without an undo step or a sticky value.
void setFillSilently(Composition& page, const pf::OptionalColor& color)
{
    pf::UndoManager* undo = page.undoManager();
    if (undo)
        undo->disableUndoRegistration();
    StickyDefaults::doWithoutStickySetting([&] { page.setFillColor(color); });
    if (undo)
        undo->enableUndoRegistration();
}

} // namespace

std::vector<std::shared_ptr<Composition>> CompositionHelper::compositionsFromData(const QByteArray& data, QString* error)
{
    const pf::PropertyListReadResult read = pf::readPropertyList(data);
    if (!read.ok()) {
        fail(error, read.error);
        return {};
    }
    const pf::Value& plist = *read.value;
    if (!plist.isDictionary()) {
        fail(error, QStringLiteral("the document data is not a dictionary"));
        return {};
    }
    const pf::Value& entries = plist.objectForKey(QStringLiteral("compositions"));
    if (!entries.isNull() && !entries.isArray()) {
        fail(error, QStringLiteral("the document's \"compositions\" is not a list"));
        return {};
    }

    std::optional<pf::ThreadValueScope> version;
    if (plist.contains(QStringLiteral("version")))
        version.emplace(QString::fromLatin1(pf::TlsVersionKey), pf::Variant(plist.integerForKey(QStringLiteral("version"))));
    std::vector<std::shared_ptr<Composition>> pages;
    for (const pf::Value& entry : entries.asArray()) {
        if (!entry.isDictionary()) {
            qWarning("Document page skipped: its stored form is not a dictionary");
            continue;
        }
        if (std::shared_ptr<Composition> page = Composition::fromPlist(entry))
            pages.push_back(std::move(page));
    }
    return pages;
}

void CompositionHelper::drawCompositionsAsMultiPagePDFCanvasInContext(const std::vector<std::shared_ptr<Composition>>& pages,
                                                                      pf::PdfContext& context, double scale, bool alphaEnabled)
{
    for (const auto& page : pages) {
        double s = scale;
        if (const Metrics* metrics = page->metrics(); metrics && metrics->resolution() > metrics->baseResolution())
            s *= metrics->baseResolution() / metrics->resolution();

        const std::int64_t zoomIndex = page->zoomScaleIndex();
        const pf::OptionalColor fill = page->fillColor();
        page->setExporting(true);
        page->setZoomScaleIndex(0);
        page->setOverrideZoomScale(1.0);
        setFillSilently(*page, alphaEnabled ? pf::Color(0, 0, 0, 0) : pf::Color::white());

        const pf::Rect frame = page->frame();
        const pf::Rect mediaBox(frame.origin.x * s, frame.origin.y * s, frame.size.width * s, frame.size.height * s);
        if (pf::GraphicsContext* pdf = context.beginPage(mediaBox)) {
            pdf->saveGState();
            pdf->translate(0, mediaBox.size.height);
            pdf->scale(1, -1);
            pdf->scale(s, s);
            page->drawInContextDirtyRect(*pdf, frame);
            pdf->restoreGState();
            context.endPage();
        }

        setFillSilently(*page, fill);
        page->setOverrideZoomScale(0);
        page->setZoomScaleIndex(zoomIndex);
        page->setExporting(false);
    }
}
