// Pages for programs without an editor (the preview generator): rebuilt from the data of a document's
// "composition_data.plist", and drawn into a multi-page PDF, one media box per page.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace pf {
class PdfContext;
}
class Composition;

class CompositionHelper {
public:
    using Pages = std::vector<std::shared_ptr<Composition>>;

    // The pages of "compositions", in order, read with the document's stored "version" published on this
    // thread (under "PLOVIX_TLS_VERSION_KEY", removed afterwards); none and an error when the data does not
    // parse, is not a dictionary, or its "compositions" is not an array. Entries that are not pages are
    // skipped; data without "compositions" has no pages.
    static std::optional<Pages> compositionsFromData(const QByteArray& data, QString* error = nullptr);

    // One PDF page per page at scale (a page of a higher resolution than 72 at its size in points), drawn
    // for export on white, or on nothing when alphaEnabled. The pages' own settings are put back after.
    static void drawCompositionsAsMultiPagePDFCanvasInContext(const Pages& pages, pf::PdfContext& context, double scale,
                                                              bool alphaEnabled);
};
