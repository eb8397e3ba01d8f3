// The application's document: one package ("NAME.quorveldoc") shown in one window whose tabs are its
// pages. It writes and reads the package, keeps the pictures the shapes show in the package's "Resources"
// folder with a count per picture, and collects the pictures nothing shows any more.
//
// Package: "composition_data.plist" ({"version": 8, "image_ref_counts": identifier → count,
// "compositions": the pages in tab order}) and "Resources/<identifier>" (a picture's bytes as given).
// Every other entry of a package that was read is written back unchanged.
//
// Pictures: an identifier names one safe file name (FileWrapper::isSafeName) looked up among the
// "Resources" entries, never a path; an entry that is not a regular file is never read. Counts follow
// registration: a stored picture starts at 0 and the shape that shows it counts it when it joins a page.
// Only stored pictures are counted: a shape naming a picture the package lacks (from a copy of an older
// version, or a damaged package) shows it missing and counts nothing, and a count read or kept for a
// missing picture is left out of the package (logged).
// Collecting drops pictures whose count is below 1 from the table and from the next package and marks
// the document edited; the bytes stay in memory until the document closes, so undo can bring them back.
//
// The window is reached only through TabHost; the controller's factory makes it.
#pragma once

#include "canvas/CanvasServices.h"
#include "platform/docs/Document.h"
#include "platform/docs/FileWrapper.h"
#include "platform/foundation/NotificationCenter.h"
#include "shell/TabHost.h"
#include "shell/WindowDocumentExport.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Composition;
class Shape;
class CompositionPrintView;
class ExportAccessory;
class ExportPanel;
struct PrintSettings;
namespace storedForms {
class Taken;
}

class Document : public pf::Document, public CanvasDocument, public TabHostOwner, public WindowDocumentExport {
public:
    static constexpr char TypeName[] = "com.thistlewick.quorveldoc";
    static constexpr char PlistName[] = "composition_data.plist";
    static constexpr char ResourcesName[] = "Resources";
    static constexpr std::int64_t CurrentVersion = 8;

    // Makes the document's window controller ("CanvasWindowController"); the shell installs it, tests a fake.
    using WindowControllerFactory = std::function<std::shared_ptr<TabHost>(Document&)>;
    static WindowControllerFactory& windowControllerFactory();

    Document();
    ~Document() override;

    // ---- export (DocumentExport.cpp) ----
    // Format codes, as stored under "ExportType".
    enum ExportTypeCode : std::int64_t { ExportTIFF = 0, ExportPNG = 1, ExportJPEG = 2, ExportPDF = 3, ExportGIF = 4, ExportSVG = 5 };
    // The largest bitmap an export renders: a side the encoders take, and pixels that fit in memory.
    static constexpr std::int64_t MaxExportSide = 32767;
    static constexpr std::int64_t MaxExportPixels = std::int64_t(1) << 28;
    static constexpr double ExportJPEGQuality = 0.8;

    // The Export… command: the page on show, or (as PDF) every page.
    void exportDocument() override;
    // Export Selection…: the selected shapes as one picture; a beep when nothing is selected.
    void exportSelection() override;
    // The window's share menu and export switches.
    bool exportsSelectionOnly() const override { return exportSelectionOnly; }
    bool isPDFExportEnabled() const override { return PDFExportEnabled; }
    QString pathExtensionForExportTypeCode(std::int64_t type) const override { return pathExtensionForExportType(type); }
    bool canExportSelection() const;
    // The stored "ExportType"; PNG for the selection when it names PDF, and for a code no encoder writes.
    std::int64_t currentExportType() const;
    // "tiff", "png", "jpg", "pdf", "gif", "svg"; null for other codes.
    static QString pathExtensionForExportType(std::int64_t type);
    QString pathExtensionForExportType() const { return pathExtensionForExportType(exportType); }
    // The lower-cased extension is one of the image extensions an export accepts as already right.
    static bool hasSupportedPathExtension(const QString& path);
    // The file an export writes for the chosen one: absolute; an extension naming the format is kept (any
    // case), one naming another format is replaced, any other extension is kept and the format's appended.
    static QString exportPathForChosenPath(const QString& chosen, std::int64_t type);
    // Setters the open panel and its accessory follow.
    void setExportType(std::int64_t type);
    void setExportZoomScaleIndex(std::int64_t index);
    void setExportAlphaEnabled(bool enabled);
    void setExportAllPages(bool all);
    // "(w x h px)": the frame at the zoom of the index, in the window's screen's pixels.
    QString scaledSizeTextForIndex(std::int64_t index) const;
    static QString scaledSizeText(const pf::Rect& frame, double zoom, int backingFactor);
    // The pixel size a bitmap export of the size in points at the scale renders, and whether it may.
    static QSize exportPixelSize(const pf::Size& points, double scale);
    static bool isExportablePixelSize(const QSize& pixels);
    // The bytes of a bitmap export of the object (on a page in exporting state) at the scale: refused with
    // a failure text, before any pixel is made, beyond the largest exportable size.
    static std::optional<QByteArray> bitmapExportData(Shape& object, double scale, std::int64_t type, bool alpha,
                                                      std::int64_t compressionMethod, float compressionFactor,
                                                      QString* failure);
    // Shows the export panel (through the export panel presenter) and exports what it answers.
    void doExport();
    // The panel's answer: the chosen file, nothing when cancelled.
    void exportPanelDidEnd(const std::optional<QString>& chosenPath);
    // The shown page, or every page, as a PDF, one media box per page; nothing when it cannot be made.
    std::optional<QByteArray> PDFDataForMultiPageDocument(bool allPages, double scale);
    // The export panel while it is up; kept after a cancel until the next export.
    const std::shared_ptr<ExportPanel>& savePanel() const { return savePanel_; }

    // ---- printing (DocumentPrint.cpp) ----
    // Prints every page, one a sheet, through the print panel presenter.
    void printDocument();
    // Page Setup…: the page layout panel; the orientation chosen becomes the default of new settings.
    void runPageLayout();
    // New print settings: the document's last accepted ones, else the defaults with the stored orientation.
    PrintSettings printInfo() const;
    // Stores the orientation as "PageLayoutPageOrientation" (0 portrait, 1 landscape).
    bool shouldChangePrintInfo(const PrintSettings& settings);
    // After the print panel: on success the settings become the document's, kept in memory (printInfoData).
    void printOperationDidRun(bool success, const PrintSettings& settings);
    const std::unique_ptr<CompositionPrintView>& printView() const { return printView_; }
    void setUpPrintView();

    // ---- export state ----
    bool exportAlphaEnabled = false;
    bool exportAllPages = false;
    bool SVGExportEnabled = false;
    bool PDFExportEnabled = false;
    bool exportSelectionOnly = false;
    float exportCompressionFactor = 0.8f;
    std::int64_t exportType = 0;
    std::int64_t exportZoomScaleIndex = 0;
    std::int64_t exportCompressionMethod = 1;
    QByteArray printInfoData;

    // ---- window ----
    void makeWindowControllers() override;
    const std::shared_ptr<TabHost>& canvasWindowController() const { return canvasWindowController_; }
    void setCanvasWindowController(std::shared_ptr<TabHost> controller);
    TabHost* firstTabHost() override { return canvasWindowController_.get(); }
    // Shows the window controller's window (loading it hands the pages over).
    void showWindows() override;
    // A page moved in from another document: its pictures are copied from there and counted here, and it
    // takes this window's page delegate. The move is content the user has not saved: the document is edited.
    void adoptRepresentedObjectFromDocument(const std::shared_ptr<pf::Object>& object, pf::Document* source) override;
    // Sent by the window controller when its window has loaded: hands the pages over, follows its canvas.
    void canvasWindowControllerDidLoadWindow() override;
    void setUpCompositionsInCanvasWindowController();
    void titleDidChange() override;
    void closeWindows() override;

    // ---- the format ----
    std::shared_ptr<pf::FileWrapper> fileWrapperOfType(const QString& type, QString* error) override;
    // Takes the property-list values of the pages and a copy of the package; the bytes are made with the
    // package (off the main thread). Once written, the package in memory names the written
    // "composition_data.plist" instead of holding its bytes.
    std::optional<SaveSnapshot> snapshotForSave(const QString& type, QString* error) override;
    bool readFromFileWrapper(const std::shared_ptr<pf::FileWrapper>& wrapper, const QString& type,
                             QString* error) override;
    // The serialised "composition_data.plist"; nothing (with the serialiser's error) when it has no form.
    std::optional<QByteArray> compositionData(QString* error) const;
    // Its two halves: the value (main thread), and its bytes (any thread). Given `children`, each page's
    // "children" array is left empty and its children's kept forms go there instead, page by page.
    pf::Value compositionPlist(std::vector<std::shared_ptr<const storedForms::Taken>>* children = nullptr) const;
    static std::optional<QByteArray> serialisedCompositionData(const pf::Value& plist, QString* error);
    void writeCompositionsToPlist(pf::Value& plist,
                                  std::vector<std::shared_ptr<const storedForms::Taken>>* children = nullptr) const;
    bool readFromCompositionData(const QByteArray& data, QString* error);
    // The pages read and not yet handed to the window; nothing outside that time.
    const std::optional<std::vector<std::shared_ptr<Composition>>>& tempCompositions() const { return tempCompositions_; }

    // ---- the package in memory ----
    const std::shared_ptr<pf::FileWrapper>& documentFileWrapper();
    // The real "Resources" folder of the package, made when missing (or when the entry is not a folder).
    std::shared_ptr<pf::FileWrapper> resourceDirWrapper();

    // ---- the image store ----
    // Stores data under the identifier, or under a free variant of it; answers the name used (empty when
    // the identifier is not a safe name).
    QString setImageDataForIdentifier(const QByteArray& data, const QString& identifier);
    QByteArray imageDataForIdentifier(const QString& identifier) override;
    bool imageExistsForIdentifier(const QString& identifier) const;
    pf::Image imageForIdentifier(const QString& identifier) override;
    void incrementRefCountForImageIdentifier(const QString& identifier) override;
    void decrementRefCountForImageIdentifier(const QString& identifier) override;
    void provisionImageAtPath(const QString& path, const QString& preferredIdentifier,
                              ImageCompletion completion) override;
    void provisionImageWithData(const QByteArray& data, ImageCompletion completion) override;
    QString adoptImageData(const QByteArray& data, const QString& preferredIdentifier, QString* error) override;
    // Drops the pictures whose count is below 1; true when one went.
    bool imageGC();
    const std::map<QString, std::int64_t>& imageRefCountTab() const { return imageRefCountTab_; }

    // ---- the rest of the canvas's document services ----
    using pf::Document::updateChangeCount;
    // An edit that an undo or redo makes is counted by the undo manager's own notice: counting it here too
    // would cancel that notice, and the undone document would look unedited.
    void updateChangeCount() override
    {
        if (!undoManager().isUndoing() && !undoManager().isRedoing())
            updateChangeCount(ChangeType::Done);
    }
    void disableSuddenTermination() override { pf::suddenTermination::disable(); }
    void enableSuddenTermination() override { pf::suddenTermination::enable(); }
    pf::Variant objectSpecifier() override { return {}; }

    // ---- closing ----
    void documentWillClose() override { imageGC(); }

private:
    static bool isKnownImage(const QByteArray& data, QString* error);
    QString storeNewImage(const QByteArray& data, const QString& identifier);
    // The regular file of the identifier in the package's "Resources"; null when there is none (nothing is
    // made on the way).
    std::shared_ptr<pf::FileWrapper> storedImageFile(const QString& identifier) const;

    std::shared_ptr<pf::FileWrapper> documentFileWrapper_;
    std::shared_ptr<TabHost> canvasWindowController_;
    std::optional<std::vector<std::shared_ptr<Composition>>> tempCompositions_;
    std::map<QString, std::int64_t> imageRefCountTab_;
    // Pictures collected while the document is open, kept for undo.
    std::map<QString, std::shared_ptr<pf::FileWrapper>> collectedImages_;
    pf::NotificationToken canvasObservation_;

    // ---- export and printing ----
    class CanvasWindowController* exportWindow() const;
    ExportAccessory* exportAccessory(bool make) const;
    void exportChoicesDidChange();
    std::shared_ptr<ExportPanel> savePanel_;
    std::unique_ptr<CompositionPrintView> printView_;
    // The document's own print settings (archived): the last accepted print or page setup.
    QByteArray documentPrintInfo_;
};
