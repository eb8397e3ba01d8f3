// Export of the page on show, the selection, or every page: the panel, the page's export state, the
// encoders and the atomic write.
#include "app/Document.h"

#include "app/ExportPanel.h"
#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "model/CompositionHelper.h"
#include "model/Group.h"
#include "model/UserDefaults.h"
#include "platform/graphics/GifWriter.h"
#include "platform/graphics/PdfContext.h"
#include "platform/kit/Services.h"
#include "shell/CanvasWindowController.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("Document", text); }

bool isBitmapType(std::int64_t type)
{
    return type == Document::ExportTIFF || type == Document::ExportPNG || type == Document::ExportJPEG ||
           type == Document::ExportGIF;
}

// What an export changes on the page, put back on every way out (an exception included): exporting,
// fill, zoom override, undo registration and the selection.
class PageExportState {
public:
    PageExportState(Composition& page, Canvas* canvas) : page_(page), canvas_(canvas)
    {
        page_.setExporting(true);
        fill_ = page_.fillColor();
        undoDisabled_ = page_.disableUndo();
    }
    // Clears the selection, remembering it.
    void clearSelection()
    {
        if (!canvas_)
            return;
        selection_ = canvas_->selectedShapes();
        canvas_->selectNone();
    }
    void restoreFill() { page_.setFillColor(fill_); }
    ~PageExportState()
    {
        page_.setOverrideZoomScale(0);
        page_.setFillColor(fill_);
        page_.setExporting(false);
        page_.reenableUndoIf(undoDisabled_);
        if (canvas_ && !selection_.empty())
            canvas_->addShapesToSelection(selection_);
    }
    PageExportState(const PageExportState&) = delete;
    PageExportState& operator=(const PageExportState&) = delete;

private:
    Composition& page_;
    Canvas* canvas_;
    pf::OptionalColor fill_;
    bool undoDisabled_ = false;
    Canvas::Shapes selection_;
};

QByteArray written(const QImage& image, const char* format, int quality, int compression = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (compression >= 0)
        writer.setCompression(compression);
    return writer.write(image) ? bytes : QByteArray();
}

// The rendered bitmap in the file format; its resolution is 72 dpi, so the file's size in points is its
// size in pixels. Empty when the encoder fails.
QByteArray encodedImage(QImage image, std::int64_t type, bool alpha, std::int64_t compressionMethod,
                        float compressionFactor)
{
    const int dotsPerMeter = int(std::lround(72.0 / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    switch (type) {
    case Document::ExportPNG: return written(image, "png", -1);
    case Document::ExportTIFF:
        // Method 1 is "no compression"; anything else gets the lossless one the writer has.
        return written(image, "tiff", -1, compressionMethod == 1 ? 0 : 1);
    case Document::ExportJPEG: {
        // JPEG has no alpha: whatever is clear shows white, not black.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.setDotsPerMeterX(dotsPerMeter);
        flat.setDotsPerMeterY(dotsPerMeter);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        const double factor = std::isfinite(compressionFactor) ? std::clamp(double(compressionFactor), 0.0, 1.0)
                                                                : Document::ExportJPEGQuality;
        return written(flat, "jpeg", int(std::lround(factor * 100)));
    }
    case Document::ExportGIF: return pf::gifData(image, alpha);
    default: return {};
    }
}

} // namespace

// ---- the commands ----

CanvasWindowController* Document::exportWindow() const
{
    return dynamic_cast<CanvasWindowController*>(canvasWindowController_.get());
}

void Document::exportDocument()
{
    exportSelectionOnly = false;
    SVGExportEnabled = true;
    PDFExportEnabled = true;
    doExport();
}

void Document::exportSelection()
{
    if (!canExportSelection()) {
        pf::beep();
        return;
    }
    exportSelectionOnly = true;
    SVGExportEnabled = false;
    PDFExportEnabled = false;
    doExport();
}

bool Document::canExportSelection() const
{
    CanvasWindowController* window = exportWindow();
    Canvas* canvas = window ? window->canvasView() : nullptr;
    return canvas && canvas->hasSelection();
}

std::int64_t Document::currentExportType() const
{
    const std::uint64_t stored = UserDefaults::instance().exportType();
    // SVG has no writer, and a code from elsewhere names nothing: both export PNG.
    if (stored > std::uint64_t(ExportGIF))
        return ExportPNG;
    if (exportSelectionOnly && stored == std::uint64_t(ExportPDF))
        return ExportPNG;
    return std::int64_t(stored);
}

QString Document::pathExtensionForExportType(std::int64_t type)
{
    switch (type) {
    case ExportTIFF: return QStringLiteral("tiff");
    case ExportPNG: return QStringLiteral("png");
    case ExportJPEG: return QStringLiteral("jpg");
    case ExportPDF: return QStringLiteral("pdf");
    case ExportGIF: return QStringLiteral("gif");
    case ExportSVG: return QStringLiteral("svg");
    default: return {};
    }
}

namespace {

// The format an extension names (lower case), -1 for none.
std::int64_t typeOfExtension(const QString& extension)
{
    static const std::pair<const char*, std::int64_t> known[] = {
        {"tiff", Document::ExportTIFF}, {"tif", Document::ExportTIFF}, {"png", Document::ExportPNG},
        {"jpeg", Document::ExportJPEG}, {"jpg", Document::ExportJPEG},  {"pdf", Document::ExportPDF},
        {"gif", Document::ExportGIF}};
    for (const auto& [name, type] : known)
        if (extension == QLatin1String(name))
            return type;
    return -1;
}

} // namespace

bool Document::hasSupportedPathExtension(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    return !extension.isEmpty() && typeOfExtension(extension) >= 0;
}

QString Document::exportPathForChosenPath(const QString& chosen, std::int64_t type)
{
    QString path = chosen;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path.replace(0, 1, QDir::homePath());
    path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QFileInfo info(path);
    const QString extension = info.suffix();
    const QString wanted = pathExtensionForExportType(type);
    if (wanted.isEmpty())
        return path;
    const std::int64_t named = typeOfExtension(extension.toLower());
    if (named == type)
        return path;
    // An image extension of another format goes; any other dot is part of the name.
    if (named >= 0)
        path.chop(extension.size() + 1);
    return path + u'.' + wanted;
}

// ---- the choices ----

void Document::setExportType(std::int64_t type)
{
    if (type == exportType)
        return;
    exportType = type;
    if (savePanel_)
        savePanel_->setAllowedFileType(pathExtensionForExportType(type));
    exportChoicesDidChange();
}

void Document::setExportZoomScaleIndex(std::int64_t index)
{
    if (index == exportZoomScaleIndex)
        return;
    exportZoomScaleIndex = index;
    exportChoicesDidChange();
}

void Document::setExportAlphaEnabled(bool enabled)
{
    if (enabled == exportAlphaEnabled)
        return;
    exportAlphaEnabled = enabled;
    exportChoicesDidChange();
}

void Document::setExportAllPages(bool all)
{
    if (all == exportAllPages)
        return;
    exportAllPages = all;
    exportChoicesDidChange();
}

ExportAccessory* Document::exportAccessory(bool make) const
{
    if (savePanel_ && savePanel_->accessoryView)
        return static_cast<ExportAccessory*>(savePanel_->accessoryView.data());
    CanvasWindowController* window = exportWindow();
    pf::View* home = window ? window->exportAccessoryView() : nullptr;
    if (!home)
        return nullptr;
    if (auto* found = home->findChild<ExportAccessory*>(QString(), Qt::FindDirectChildrenOnly))
        return found;
    if (!make)
        return nullptr;
    auto* accessory = new ExportAccessory(const_cast<Document&>(*this), home);
    accessory->hide();
    return accessory;
}

void Document::exportChoicesDidChange()
{
    if (ExportAccessory* accessory = exportAccessory(false)) {
        accessory->refresh();
        accessory->setScaledSizeLabelText(scaledSizeTextForIndex(exportZoomScaleIndex));
    }
}

QString Document::scaledSizeText(const pf::Rect& frame, double zoom, int backingFactor)
{
    const auto side = [&](double length) { return qint64(std::ceil(length * zoom * backingFactor)); };
    return QStringLiteral("(%1 x %2 px)").arg(side(frame.width())).arg(side(frame.height()));
}

QString Document::scaledSizeTextForIndex(std::int64_t index) const
{
    CanvasWindowController* window = exportWindow();
    int backing = 1;
    if (QWidget* widget = window ? window->windowWidget() : nullptr; widget && widget->screen())
        backing = std::max(1, int(std::lround(widget->screen()->devicePixelRatio())));
    pf::Rect frame;
    if (exportSelectionOnly) {
        Canvas* canvas = window ? window->canvasView() : nullptr;
        if (auto group = canvas && canvas->hasSelection() ? canvas->groupForSelection() : nullptr)
            frame = group->frame();
    } else if (auto page = window ? window->selectedComposition() : nullptr) {
        frame = page->frame();
    }
    return scaledSizeText(frame, Composition::zoomScaleForIndex(index), backing);
}

QSize Document::exportPixelSize(const pf::Size& points, double scale)
{
    const auto side = [scale](double length) {
        const double pixels = std::ceil(std::abs(length) * scale);
        return pixels < double(INT32_MAX) ? int(pixels) : INT32_MAX;
    };
    return QSize(side(points.width), side(points.height));
}

bool Document::isExportablePixelSize(const QSize& pixels)
{
    return pixels.width() > 0 && pixels.height() > 0 && pixels.width() <= MaxExportSide &&
           pixels.height() <= MaxExportSide && std::int64_t(pixels.width()) * pixels.height() <= MaxExportPixels;
}

// ---- the panel ----

void Document::doExport()
{
    pf::suddenTermination::disable();
    const UserDefaults& defaults = UserDefaults::instance();
    setExportAlphaEnabled(defaults.exportAlphaEnabled());
    setExportType(currentExportType());
    setExportZoomScaleIndex(defaults.exportZoomScaleIndex());
    setExportAllPages(defaults.exportAllPages());

    auto panel = std::make_shared<ExportPanel>();
    panel->canCreateDirectories = true;
    panel->allowsOtherFileTypes = false;
    panel->extensionHidden = false;
    panel->canSelectHiddenExtension = false;
    panel->setAllowedFileType(pathExtensionForExportType());
    panel->nameFieldLabel = tr("Export As:");
    panel->title = exportSelectionOnly ? tr("Export Selection As:") : tr("Export As:");
    panel->prompt = exportSelectionOnly ? tr("Export Selection") : tr("Export");
    panel->nameFieldStringValue = QFileInfo(displayName()).completeBaseName();
    if (ExportAccessory* accessory = exportAccessory(true)) {
        accessory->refresh();
        accessory->setScaledSizeLabelText(scaledSizeTextForIndex(exportZoomScaleIndex));
        panel->accessoryView = accessory;
    }
    savePanel_ = panel;

    CanvasWindowController* window = exportWindow();
    const std::optional<QString> chosen = pf::sinkOf<ExportPanelSink>()(*panel, window ? window->windowWidget() : nullptr);
    exportPanelDidEnd(chosen);
    if (CanvasWindowController* still = exportWindow())
        if (Canvas* canvas = still->canvasView())
            canvas->updateForZoomScale();
}

void Document::exportPanelDidEnd(const std::optional<QString>& chosenPath)
{
    if (!chosenPath) {
        pf::suddenTermination::enable();
        return;
    }
    struct Finish {
        Document& document;
        ~Finish()
        {
            document.savePanel_.reset();
            pf::suddenTermination::enable();
        }
    } finish{*this};

    UserDefaults& defaults = UserDefaults::instance();
    defaults.setExportAlphaEnabled(exportAlphaEnabled);
    defaults.setExportType(std::uint64_t(std::max<std::int64_t>(0, exportType)));
    defaults.setExportZoomScaleIndex(exportZoomScaleIndex);
    defaults.setExportAllPages(exportAllPages);

    // A code without an encoder (SVG, or one from elsewhere) writes PNG.
    const std::int64_t type = isBitmapType(exportType) || exportType == ExportPDF ? exportType : ExportPNG;
    const QString path = exportPathForChosenPath(*chosenPath, type);

    CanvasWindowController* window = exportWindow();
    Canvas* canvas = window ? window->canvasView() : nullptr;
    std::shared_ptr<Composition> page = canvas ? canvas->composition() : nullptr;
    if (!page && window)
        page = window->selectedComposition();
    if (!page)
        return;

    std::optional<QByteArray> data;
    QString failure;
    {
        PageExportState state(*page, canvas);
        std::shared_ptr<Shape> object = page;
        if (exportSelectionOnly) {
            if (canvas && canvas->hasSelection())
                object = canvas->groupForSelection();
            else
                object = nullptr;
        }
        state.clearSelection();
        page->setFillColor(exportAlphaEnabled ? pf::Color{0, 0, 0, 0} : pf::Color{1, 1, 1, 1});
        page->setOverrideZoomScale(Composition::zoomScaleForIndex(exportZoomScaleIndex));
        const double scale = page->overrideZoomScale();
        if (!object) {
            failure = tr("Nothing is selected.");
        } else if (isBitmapType(type)) {
            data = bitmapExportData(*object, scale, type, exportAlphaEnabled, exportCompressionMethod,
                                    exportCompressionFactor, &failure);
        } else {
            state.restoreFill();
            data = PDFDataForMultiPageDocument(exportAllPages, scale);
            if (!data)
                failure = tr("The PDF could not be made.");
        }
    }

    if (data) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(*data) != data->size() || !file.commit())
            failure = file.errorString();
    }
    if (!failure.isEmpty()) {
        pf::logMessage(QStringLiteral("%1").arg(QStringLiteral("Export to \"%1\" failed: %2").arg(path, failure)));
        pf::runAlert(pf::Alert{tr("Could not export image"), failure, {tr("OK")}});
    }
}

std::optional<QByteArray> Document::bitmapExportData(Shape& object, double scale, std::int64_t type, bool alpha,
                                                    std::int64_t compressionMethod, float compressionFactor,
                                                    QString* failure)
{
    const QSize pixels = exportPixelSize(object.renderRect().size, scale);
    if (!isExportablePixelSize(pixels)) {
        if (failure)
            *failure = tr("The image would be %1 by %2 pixels, more than can be exported (%3 pixels a side and %4 "
                          "million pixels). Choose a smaller zoom.")
                           .arg(pixels.width())
                           .arg(pixels.height())
                           .arg(MaxExportSide)
                           .arg(MaxExportPixels / 1000000);
        return std::nullopt;
    }
    const pf::Image image = object.renderedImageAtScale(scale);
    const QImage bitmap = image.bitmapCount() > 0 ? image.bitmap(0) : QImage();
    const QByteArray bytes =
        bitmap.isNull() ? QByteArray() : encodedImage(bitmap, type, alpha, compressionMethod, compressionFactor);
    if (bytes.isEmpty()) {
        if (failure)
            *failure = tr("The image could not be encoded.");
        return std::nullopt;
    }
    return bytes;
}

// ---- PDF ----

std::optional<QByteArray> Document::PDFDataForMultiPageDocument(bool allPages, double scale)
{
    CompositionHelper::Pages pages;
    if (CanvasWindowController* window = exportWindow()) {
        if (allPages) {
            for (const auto& model : window->tabModels())
                if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject()))
                    pages.push_back(page);
        } else if (auto page = window->selectedComposition()) {
            pages.push_back(page);
        }
    }
    if (pages.empty())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        pf::logMessage(QStringLiteral("could not create consumer"));
        return std::nullopt;
    }
    pf::PdfContext context(&buffer);
    CompositionHelper::drawCompositionsAsMultiPagePDFCanvasInContext(pages, context, scale, exportAlphaEnabled);
    if (!context.close())
        return std::nullopt;
    return bytes;
}
