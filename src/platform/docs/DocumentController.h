// The document controller: the table of document types, making new documents, opening files, the open
// documents front to back, reopening drafts left by a crash, and closing everything at quit. The
// application's controller derives from it (it is also the application's delegate).
//
// Types: a file's extension is compared with each type's extensions regardless of case ("A.QuorvelDoc"
// is a package, "Photo.PNG" an image). A type may open its files itself instead of making a document of
// them (the app turns an image file into a new untitled document): the controller asks it before any
// document exists, so no empty document is left behind.
//
// Main thread only.
#pragma once

#include "platform/docs/Document.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace pf {

struct DocumentType {
    QString name;           // "com.thistlewick.quorveldoc", "PNG image" …
    QStringList extensions; // lower case, without the dot
    bool isPackage = false; // a folder shown as one file
    QString mimeType;
    // Makes an empty document of the type (editor types).
    std::function<std::shared_ptr<Document>()> make;
    // Opens a file of the type without a document of its own; answers the document that shows it.
    std::function<std::shared_ptr<Document>(const QString& path, QString* error)> openFile;
};

class DocumentController {
public:
    DocumentController();
    virtual ~DocumentController();
    DocumentController(const DocumentController&) = delete;
    DocumentController& operator=(const DocumentController&) = delete;

    // The first controller made, while it exists.
    static DocumentController* shared();

    // ---- types ----
    // The first type added is the default type of new documents.
    void addDocumentType(DocumentType type);
    const std::vector<DocumentType>& documentTypes() const { return types_; }
    const DocumentType* typeNamed(const QString& name) const;
    // The type whose extensions hold the path's extension (any case); null for none.
    const DocumentType* typeForPath(const QString& path) const;

    // ---- documents ----
    // A new untitled document of the default type, shown.
    std::shared_ptr<Document> newDocument(QString* error = nullptr);
    // Opens the file (or brings its document to the front when it is open already); null with an error
    // when it cannot be opened, also for a file the type opens without a document of its own that fails.
    std::shared_ptr<Document> openDocumentAtPath(const QString& path, QString* error = nullptr);
    // Asks for files with the open panel and opens them; errors are shown.
    void openDocument();
    // Adds a document made elsewhere (a new document from an image).
    void addDocument(const std::shared_ptr<Document>& document);
    void removeDocument(Document* document);
    // Front to back.
    const std::vector<std::shared_ptr<Document>>& documents() const { return documents_; }
    std::shared_ptr<Document> frontDocument() const;
    // The document's window became the main window.
    void documentBecameFront(Document* document);
    std::shared_ptr<Document> documentForPath(const QString& path) const;
    // The next free untitled name: "Untitled", "Untitled 2" …
    QString nextUntitledName();

    // Opens every draft of the drafts folder as an untitled, edited document.
    void reopenDrafts();

    // Asks every document, front to back, whether it may close and closes it; false when one refused
    // (the rest stay open).
    bool closeAllDocuments();
    // Quitting in two halves, so that the documents stay open for the shut-down work between them: asks
    // every document whether it may close (saving or discarding it) without closing it; false when one
    // refused. Then closes them all without asking again, saving in place what changed since.
    bool reviewUnsavedDocuments();
    void closeReviewedDocuments();

    // ---- hooks for the application's controller ----
    virtual void applicationDidFinishLaunching() {}
    virtual void applicationWillTerminate() {}
    virtual void willEnterFullScreenMode() {}
    virtual void didEnterFullScreenMode() { fullScreen_ = true; }
    virtual void willExitFullScreenMode() {}
    virtual void didExitFullScreenMode() { fullScreen_ = false; }
    bool isFullScreen() const { return fullScreen_; }
    // The close-tab command reaching the controller (the document window answers it first).
    virtual void closeTab() {}

private:
    std::shared_ptr<Document> openPackageOrFile(const DocumentType& type, const QString& path, QString* error);

    std::vector<DocumentType> types_;
    std::vector<std::shared_ptr<Document>> documents_;
    bool fullScreen_ = false;
};

} // namespace pf
