// Pages for a program with no editor (the preview generator): rebuilt from a document's stored data and
// drawn into a multi-page PDF. The pages have no owner, so nothing is registered for undo.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace pf {
class PdfContext;
}
class Composition;

class CompositionHelper {
public:
    // The pages of "composition_data.plist" data, in order. The stored "version" is published on this
    // thread while they are built and removed afterwards. Data that is not a property-list dictionary, or
    // whose "compositions" is present but not an array, answers no pages and the reason; entries that are
    // not dictionaries are skipped; no "compositions" answers no pages and no error.
    static std::vector<std::shared_ptr<Composition>> compositionsFromData(const QByteArray& data, QString* error = nullptr);

    // Each page one PDF page the size of its frame in points (a page above 72 dpi shrinks to its size in
    // points) times scale, filled white, or left transparent when alphaEnabled. Each page's fill colour,
    // zoom and export state are as before afterwards.
    static void drawCompositionsAsMultiPagePDFCanvasInContext(const std::vector<std::shared_ptr<Composition>>& pages,
                                                              pf::PdfContext& context, double scale, bool alphaEnabled);
};
