// Printing: the print settings a document keeps, the view that lays every page out for printing (side by
// side, each centred on its own sheet), and the presenters of the print and page-setup panels.
//
// Layout: each page is drawn at the ratio of its metrics' base resolution to its resolution, made smaller
// still when it does not fit the paper (the smaller of the two fitting ratios), so no page is ever cut.
// Sheet i draws page i only, centred on the paper.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/kit/Sink.h"
#include "shell/QVView.h"

#include <QByteArray>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Composition;
class QPrinter;
class QWidget;

// What a print panel may change and a document keeps: printer, paper, orientation, copies.
struct PrintSettings {
    QString printerName;
    QPageSize pageSize = QPageSize(QPageSize::Letter);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int copies = 1;

    // The paper in points, turned by the orientation.
    pf::Size paperSize() const;
    // Applies the settings to the printer, full page (the layout centres the pages itself).
    void applyTo(QPrinter& printer) const;
    static PrintSettings of(const QPrinter& printer);
    // The archived form kept in memory (printInfoData); nothing from data that is not one.
    QByteArray archived() const;
    static std::optional<PrintSettings> fromArchive(const QByteArray& data);

    bool operator==(const PrintSettings&) const = default;
};

class CompositionPrintView : public QVFlippedView {
public:
    using QVFlippedView::QVFlippedView;

    const std::vector<std::shared_ptr<Composition>>& compositions() const { return compositions_; }
    void setCompositions(std::vector<std::shared_ptr<Composition>> pages) { compositions_ = std::move(pages); }
    // Per page, its rectangle in the view in the rectangle string form, and its scale.
    const std::vector<QString>& pageRects() const { return pageRects_; }
    const std::vector<double>& zoomScales() const { return zoomScales_; }

    // Lays the pages out on paper of this size in points.
    void prepareWithPaperSize(const pf::Size& paper);
    void prepareWithPrintInfo(const PrintSettings& settings) { prepareWithPaperSize(settings.paperSize()); }
    // The page range: first page 1, one printed page a page.
    std::size_t numberOfPrintedPages() const { return pageRects_.size(); }
    bool knowsPageRange(std::size_t& first, std::size_t& length) const;
    // The rectangle of a page numbered from 1; empty for a number out of range.
    pf::Rect rectForPage(std::size_t pageNumber) const;
    pf::Rect rectForAllPages() const { return bounds(); }
    // Where the view's origin goes on the sheet to centre that rectangle on the paper.
    pf::Point locationOfPrintRect(const pf::Rect& rect) const;
    const pf::Size& paperSize() const { return paper_; }

    // Draws one page (index from 0) into its rectangle, clipped to it, as it prints.
    void drawPage(pf::GraphicsContext& context, std::size_t index);
    // Prints every page, one a sheet, through the printer; false when the printer cannot be drawn on.
    bool printWithPrinter(QPrinter& printer);

protected:
    // Every page; the clip chooses what shows.
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;

private:
    std::vector<std::shared_ptr<Composition>> compositions_;
    std::vector<QString> pageRects_;
    std::vector<double> zoomScales_;
    pf::Size paper_;
};

// The print panel on the printer: true to print with what it was left at. The page-setup panel likewise.
struct PrintPanelSinks {
    using Panel = std::function<bool(QPrinter& printer, QWidget* parent)>;
    Panel print;
    Panel pageSetup;
};
namespace pf {
template <>
PrintPanelSinks& sinkOf<PrintPanelSinks>();
}
using ScopedPrintPanelSinks = pf::ScopedSink<PrintPanelSinks>;
