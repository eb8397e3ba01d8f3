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

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Composition;

class Document : public pf::Document, public CanvasDocument, public TabHostOwner {
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

    // ---- export state (kept for export) ----
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
    bool readFromFileWrapper(const std::shared_ptr<pf::FileWrapper>& wrapper, const QString& type,
                             QString* error) override;
    // The serialised "composition_data.plist"; nothing (with the serialiser's error) when it has no form.
    std::optional<QByteArray> compositionData(QString* error) const;
    void writeCompositionsToPlist(pf::Value& plist) const;
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
    QByteArray imageDataForIdentifier(const QString& identifier);
    bool imageExistsForIdentifier(const QString& identifier);
    pf::Image imageForIdentifier(const QString& identifier) override;
    void incrementRefCountForImageIdentifier(const QString& identifier) override;
    void decrementRefCountForImageIdentifier(const QString& identifier) override;
    void provisionImageAtPath(const QString& path, const QString& preferredIdentifier,
                              ImageCompletion completion) override;
    void provisionImageWithData(const QByteArray& data, ImageCompletion completion) override;
    // Drops the pictures whose count is below 1; true when one went.
    bool imageGC();
    const std::map<QString, std::int64_t>& imageRefCountTab() const { return imageRefCountTab_; }

    // ---- the rest of the canvas's document services ----
    using pf::Document::updateChangeCount;
    void updateChangeCount() override { updateChangeCount(ChangeType::Done); }
    void disableSuddenTermination() override { pf::suddenTermination::disable(); }
    void enableSuddenTermination() override { pf::suddenTermination::enable(); }
    pf::Variant objectSpecifier() override { return {}; }

    // ---- closing ----
    void documentWillClose() override { imageGC(); }

private:
    static bool isKnownImage(const QByteArray& data, QString* error);
    QString storeNewImage(const QByteArray& data, const QString& identifier);
    void storeProvisionedImage(const QByteArray& bytes, const QString& preferred, const ImageCompletion& completion);

    std::shared_ptr<pf::FileWrapper> documentFileWrapper_;
    std::shared_ptr<TabHost> canvasWindowController_;
    std::optional<std::vector<std::shared_ptr<Composition>>> tempCompositions_;
    std::map<QString, std::int64_t> imageRefCountTab_;
    // Pictures collected while the document is open, kept for undo.
    std::map<QString, std::shared_ptr<pf::FileWrapper>> collectedImages_;
    pf::NotificationToken canvasObservation_;
};
