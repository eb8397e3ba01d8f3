#include "app/CompositionPrintView.h"

#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/graphics/PainterContext.h"

#include <QDataStream>
#include <QIODevice>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

// ---- settings ----

pf::Size PrintSettings::paperSize() const
{
    const QSizeF points = pageSize.size(QPageSize::Point);
    return orientation == QPageLayout::Landscape ? pf::Size(points.height(), points.width())
                                                 : pf::Size(points.width(), points.height());
}

void PrintSettings::applyTo(QPrinter& printer) const
{
    if (!printerName.isEmpty() && printer.outputFormat() == QPrinter::NativeFormat)
        printer.setPrinterName(printerName);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(pageSize, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    printer.setCopyCount(std::max(1, copies));
}

PrintSettings PrintSettings::of(const QPrinter& printer)
{
    PrintSettings settings;
    settings.printerName = printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
    const QPageLayout layout = printer.pageLayout();
    settings.pageSize = layout.pageSize();
    settings.orientation = layout.orientation();
    settings.copies = printer.copyCount();
    return settings;
}

namespace {
constexpr quint32 archiveTag = 0x51505331;  // "QPS1"
}

QByteArray PrintSettings::archived() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    const QSizeF points = pageSize.size(QPageSize::Point);
    out << archiveTag << printerName << pageSize.key() << points << qint32(orientation) << qint32(copies);
    return data;
}

std::optional<PrintSettings> PrintSettings::fromArchive(const QByteArray& data)
{
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    PrintSettings settings;
    QString key;
    QSizeF points;
    qint32 orientation = 0, copies = 1;
    in >> tag >> settings.printerName >> key >> points >> orientation >> copies;
    if (in.status() != QDataStream::Ok || tag != archiveTag || !(points.width() > 0 && points.height() > 0) ||
        (orientation != QPageLayout::Portrait && orientation != QPageLayout::Landscape))
        return std::nullopt;
    settings.pageSize = QPageSize(points, QPageSize::Point, QString(), QPageSize::FuzzyMatch);
    settings.orientation = QPageLayout::Orientation(orientation);
    settings.copies = std::max(1, int(copies));
    return settings;
}

// ---- layout ----

void CompositionPrintView::prepareWithPaperSize(const pf::Size& paper)
{
    paper_ = paper;
    double x = 0, tallest = 0;
    std::vector<QString> rects;
    std::vector<double> scales;
    for (const auto& page : compositions_) {
        const pf::Size size = page ? page->frame().size : pf::Size();
        double scale = 1;
        if (const Metrics* metrics = page ? page->metrics() : nullptr; metrics && metrics->resolution() > 0)
            scale = metrics->baseResolution() / metrics->resolution();
        // Smaller still when a side does not fit, so that neither side is cut.
        if (size.width > paper.width && size.width > 0)
            scale = std::min(scale, paper.width / size.width);
        if (size.height > paper.height && size.height > 0)
            scale = std::min(scale, paper.height / size.height);
        const pf::Size scaled(size.width * scale, size.height * scale);
        rects.push_back(pf::toString(pf::Rect(x, (paper.height - scaled.height) / 2, scaled.width, scaled.height)));
        scales.push_back(scale);
        x += scaled.width;
        tallest = std::max(tallest, scaled.height);
    }
    pageRects_ = std::move(rects);
    zoomScales_ = std::move(scales);
    setFrame(pf::Rect(0, 0, x, tallest + 1000));
}

bool CompositionPrintView::knowsPageRange(std::size_t& first, std::size_t& length) const
{
    first = 1;
    length = numberOfPrintedPages();
    return true;
}

pf::Rect CompositionPrintView::rectForPage(std::size_t pageNumber) const
{
    if (pageNumber < 1 || pageNumber > pageRects_.size())
        return pf::Rect();
    return pf::rectFromString(pageRects_[pageNumber - 1]);
}

pf::Point CompositionPrintView::locationOfPrintRect(const pf::Rect& rect) const
{
    return pf::Point(paper_.width / 2 - (rect.width() / 2 + rect.x()),
                     paper_.height / 2 - (rect.height() / 2 + rect.y()));
}

// ---- drawing ----

void CompositionPrintView::drawPage(pf::GraphicsContext& context, std::size_t index)
{
    const auto& page = index < compositions_.size() ? compositions_[index] : nullptr;
    if (!page)
        return;
    const pf::Rect rect = rectForPage(index + 1);
    const double scale = zoomScales_[index];
    pf::SavedGState saved(context);
    context.clipToRect(rect);
    context.translate(rect.x(), rect.y());
    context.scale(scale, scale);
    // Printed as exported: no selection halos or other on-screen marks, the page's own fill under it.
    const bool exporting = page->isExporting();
    page->setExporting(true);
    page->setOverrideZoomScale(scale);
    page->drawInContextDirtyRect(context, page->frame());
    page->setOverrideZoomScale(0);
    page->setExporting(exporting);
}

void CompositionPrintView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    (void)dirtyRect;
    pf::SavedGState saved(context);
    for (std::size_t i = 0; i < compositions_.size(); ++i)
        drawPage(context, i);
}

bool CompositionPrintView::printWithPrinter(QPrinter& printer)
{
    if (compositions_.empty())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double s = printer.resolution() / 72.0;
    const QRect device(0, 0, int(std::ceil(paper_.width * s)), int(std::ceil(paper_.height * s)));
    for (std::size_t i = 0; i < compositions_.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        // The sheet's user space: points, y down, the view's origin placed so the page is centred.
        const pf::Point origin = locationOfPrintRect(rectForPage(i + 1));
        pf::PainterContext context(painter, device, pf::AffineTransform{s, 0, 0, s, origin.x * s, origin.y * s}, s,
                                   false);
        drawPage(context, i);
    }
    return painter.end();
}

// ---- presenters ----

template <>
PrintPanelSinks& pf::sinkOf<PrintPanelSinks>()
{
    static PrintPanelSinks sinks{
        [](QPrinter& printer, QWidget* parent) {
            QPrintDialog dialog(&printer, parent);
            dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
            return dialog.exec() == QDialog::Accepted;
        },
        [](QPrinter& printer, QWidget* parent) {
            QPageSetupDialog dialog(&printer, parent);
            dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
            return dialog.exec() == QDialog::Accepted;
        }};
    return sinks;
}
