#include "platform/docs/DocumentController.h"

#include "platform/docs/PackageWriter.h"
#include "platform/kit/Services.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace pf {

namespace {
DocumentController* sharedController = nullptr;
}

DocumentController::DocumentController()
{
    if (!sharedController)
        sharedController = this;
}

DocumentController::~DocumentController()
{
    for (const auto& document : documents_)
        document->controller_ = nullptr;
    if (sharedController == this)
        sharedController = nullptr;
}

DocumentController* DocumentController::shared() { return sharedController; }

void DocumentController::addDocumentType(DocumentType type)
{
    for (QString& extension : type.extensions)
        extension = extension.toLower();
    types_.push_back(std::move(type));
}

const DocumentType* DocumentController::typeNamed(const QString& name) const
{
    for (const DocumentType& type : types_)
        if (type.name == name)
            return &type;
    return nullptr;
}

const DocumentType* DocumentController::typeForPath(const QString& path) const
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension.isEmpty())
        return nullptr;
    for (const DocumentType& type : types_)
        if (type.extensions.contains(extension))
            return &type;
    return nullptr;
}

std::shared_ptr<Document> DocumentController::newDocument(QString* error)
{
    if (types_.empty() || !types_.front().make) {
        if (error)
            *error = QStringLiteral("No document type can be made.");
        return nullptr;
    }
    auto document = types_.front().make();
    document->setFileType(types_.front().name);
    document->setUntitledName(nextUntitledName());
    addDocument(document);
    document->makeWindowControllers();
    document->showWindows();
    return document;
}

std::shared_ptr<Document> DocumentController::documentForPath(const QString& path) const
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const auto& document : documents_)
        if (!document->filePath().isEmpty() && document->filePath() == absolute)
            return document;
    return nullptr;
}

std::shared_ptr<Document> DocumentController::openDocumentAtPath(const QString& path, QString* error)
{
    QString localError;
    QString* err = error ? error : &localError;
    if (auto open = documentForPath(path)) {
        documentBecameFront(open.get());
        open->showWindows();
        return open;
    }
    const DocumentType* type = typeForPath(path);
    if (!type) {
        *err = QStringLiteral("The document \"%1\" could not be opened. Quorvel cannot open files of this kind.")
                   .arg(QFileInfo(path).fileName());
        return nullptr;
    }
    // Files a type opens itself never become documents of their own.
    if (type->openFile)
        return type->openFile(path, err);
    return openPackageOrFile(*type, path, err);
}

std::shared_ptr<Document> DocumentController::openPackageOrFile(const DocumentType& type, const QString& path,
                                                               QString* error)
{
    const QFileInfo info(path);
    if (!type.make || (type.isPackage ? !info.isDir() : !info.isFile())) {
        *error = QStringLiteral("The document \"%1\" could not be opened.").arg(info.fileName());
        return nullptr;
    }
    QString readError;
    auto wrapper = FileWrapper::readFromPath(info.absoluteFilePath(), &readError);
    auto document = type.make();
    document->controller_ = this;
    document->setFileType(type.name);
    if (!wrapper || !document->readFromFileWrapper(wrapper, type.name, &readError)) {
        document->controller_ = nullptr;
        *error = QStringLiteral("The document \"%1\" could not be opened.").arg(info.fileName());
        if (!readError.isEmpty())
            *error += QLatin1Char(' ') + readError;
        return nullptr;
    }
    document->setFilePath(info.absoluteFilePath());
    document->takeSnapshot();
    addDocument(document);
    document->makeWindowControllers();
    document->showWindows();
    return document;
}

void DocumentController::openDocument()
{
    QStringList extensions;
    for (const DocumentType& type : types_)
        extensions << type.extensions;
    for (const QString& path : sinkOf<OpenPanelSink>()(extensions)) {
        QString error;
        if (!openDocumentAtPath(path, &error))
            runAlert(Alert{error, {}, {}});
    }
}

void DocumentController::addDocument(const std::shared_ptr<Document>& document)
{
    if (!document || std::find(documents_.begin(), documents_.end(), document) != documents_.end())
        return;
    document->controller_ = this;
    documents_.insert(documents_.begin(), document);
}

void DocumentController::removeDocument(Document* document)
{
    const auto it = std::find_if(documents_.begin(), documents_.end(),
                                 [&](const auto& d) { return d.get() == document; });
    if (it == documents_.end())
        return;
    auto keep = *it; // the document may be running its own close
    documents_.erase(it);
    keep->controller_ = nullptr;
}

std::shared_ptr<Document> DocumentController::frontDocument() const
{
    return documents_.empty() ? nullptr : documents_.front();
}

void DocumentController::documentBecameFront(Document* document)
{
    const auto it = std::find_if(documents_.begin(), documents_.end(),
                                 [&](const auto& d) { return d.get() == document; });
    if (it != documents_.end())
        std::rotate(documents_.begin(), it, it + 1);
}

QString DocumentController::nextUntitledName()
{
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? QStringLiteral("Untitled") : QStringLiteral("Untitled %1").arg(n);
        const bool taken = std::any_of(documents_.begin(), documents_.end(),
                                       [&](const auto& d) { return d->isUntitled() && d->displayName() == name; });
        if (!taken)
            return name;
    }
}

void DocumentController::reopenDrafts()
{
    const QDir folder(Document::draftsFolder());
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        const QString path = folder.filePath(entry);
        if (entry.startsWith(QLatin1Char('.'))) {
            // A save cut short by the crash.
            packageWriter::removeTree(path);
            continue;
        }
        const DocumentType* type = typeForPath(path);
        if (!type || !type->make || type->openFile)
            continue;
        QString error;
        auto wrapper = FileWrapper::readFromPath(path, &error);
        auto document = type->make();
        document->controller_ = this;
        document->setFileType(type->name);
        if (!wrapper || !document->readFromFileWrapper(wrapper, type->name, &error)) {
            document->controller_ = nullptr;
            // Kept where it is: the user's work is not thrown away because this version cannot read it.
            logMessage(QStringLiteral("The draft \"%1\" could not be reopened: %2").arg(path, error));
            continue;
        }
        document->setUntitledName(nextUntitledName());
        addDocument(document);
        document->adoptDraft(path);
        document->makeWindowControllers();
        document->showWindows();
    }
}

bool DocumentController::closeAllDocuments()
{
    const std::vector<std::shared_ptr<Document>> open = documents_;
    for (const auto& document : open) {
        if (!document->canCloseDocument())
            return false;
        document->close();
    }
    return true;
}

bool DocumentController::reviewUnsavedDocuments()
{
    const std::vector<std::shared_ptr<Document>> open = documents_;
    return std::all_of(open.begin(), open.end(), [](const auto& document) { return document->canCloseDocument(); });
}

void DocumentController::closeReviewedDocuments()
{
    const std::vector<std::shared_ptr<Document>> open = documents_;
    for (const auto& document : open) {
        QString error;
        if (document->isDocumentEdited() && !document->isUntitled() && !document->autosave(&error))
            logMessage(QStringLiteral("Saving \"%1\" on quitting failed: %2").arg(document->displayName(), error));
        document->close();
    }
}

} // namespace pf
