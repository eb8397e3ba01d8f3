#include "model/CompositionHelper.h"

#include "model/Composition.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/graphics/PdfContext.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcCompositionHelper, "quorvel.model.compositionhelper")

std::nullopt_t failure(QString* error, const QString& why)
{
    qCWarning(lcCompositionHelper, "%s", qUtf8Printable(why));
    if (error)
        *error = why;
    return std::nullopt;
}

} // namespace

std::optional<CompositionHelper::Pages> CompositionHelper::compositionsFromData(const QByteArray& data, QString* error)
{
    const pf::PropertyListReadResult read = pf::readPropertyList(data);
    if (!read.ok())
        return failure(error, read.error);
    const pf::Value& root = *read.value;
    if (!root.isDictionary())
        return failure(error, QStringLiteral("The page data is not a dictionary."));
    const pf::Value& compositions = root.objectForKey("compositions");
    if (!compositions.isNull() && !compositions.isArray())
        return failure(error, QStringLiteral("The page data's \"compositions\" is not a list."));

    std::optional<pf::ThreadValueScope> version;
    if (root.objectForKey("version").isNumber())
        version.emplace(QString::fromLatin1(pf::TlsVersionKey), pf::Variant(root.integerForKey("version")));
    Pages pages;
    for (const pf::Value& entry : compositions.asArray())
        if (auto page = Composition::fromPlist(entry))
            pages.push_back(std::move(page));
    return pages;
}

void CompositionHelper::drawCompositionsAsMultiPagePDFCanvasInContext(const Pages& pages, pf::PdfContext& context,
                                                                      double scale, bool alphaEnabled)
{
    for (const auto& page : pages) {
        if (!page)
            continue;
        double s = scale;
        if (const Metrics* metrics = page->metrics(); metrics && metrics->resolution() > metrics->baseResolution())
            s *= metrics->baseResolution() / metrics->resolution();

        // Export settings, put back afterwards; none of it is an edit of the page.
        const bool undoDisabled = page->disableUndo();
        const std::int64_t zoomStep = page->zoomScaleIndex();
        const pf::OptionalColor fill = page->fillColor();
        page->setExporting(true);
        page->setZoomScaleIndex(0);
        page->setOverrideZoomScale(1.0);
        page->setFillColor(alphaEnabled ? pf::Color{0, 0, 0, 0} : pf::Color{1, 1, 1, 1});

        const pf::Rect frame = page->frame();
        const pf::Rect box(frame.x() * s, frame.y() * s, frame.width() * s, frame.height() * s);
        if (pf::GraphicsContext* pdf = context.beginPage(box)) {
            pdf->saveGState();
            pdf->translate(0, box.height());
            pdf->scale(1, -1);
            pdf->scale(s, s);
            page->drawInContextDirtyRect(*pdf, frame);
            pdf->restoreGState();
            context.endPage();
        }

        page->setFillColor(fill);
        page->setOverrideZoomScale(0);
        page->setZoomScaleIndex(zoomStep);
        page->setExporting(false);
        page->reenableUndoIf(undoDisabled);
    }
}
