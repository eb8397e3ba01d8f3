#include "app/Document.h"

#include "app/CompositionPrintView.h"
#include "app/ExportPanel.h"

#include "canvas/Canvas.h"
#include "geometry/QVPropertyList.h"
#include "model/Composition.h"
#include "model/StoredForms.h"
#include "platform/docs/WindowController.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/FreedMemory.h"
#include "platform/foundation/Identifier.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/kit/Services.h"

#include <QFile>
#include <QHash>
#include <QWidget>
#include <QFileInfo>

#include <exception>
#include <thread>

namespace {

QString pagesNotWritten(const QString& why)
{
    return QStringLiteral("The pages could not be written: %1").arg(why);
}

} // namespace

Document::WindowControllerFactory& Document::windowControllerFactory()
{
    static WindowControllerFactory factory;
    return factory;
}

Document::Document() { setFileType(QString::fromLatin1(TypeName)); }

Document::~Document()
{
    if (canvasWindowController_)
        for (const auto& model : canvasWindowController_->tabModels())
            model->setDocument(nullptr);
}

// ---- window ----

void Document::makeWindowControllers()
{
    if (canvasWindowController_ || !windowControllerFactory())
        return;
    setCanvasWindowController(windowControllerFactory()(*this));
}

void Document::showWindows()
{
    auto* controller = dynamic_cast<pf::WindowController*>(canvasWindowController_.get());
    if (!controller)
        return;
    controller->showWindow();
    // The document shown is the one the user works in next: its window comes to the front with the keys.
    if (QWidget* widget = controller->windowWidget()) {
        widget->raise();
        widget->activateWindow();
    }
}

void Document::adoptRepresentedObjectFromDocument(const std::shared_ptr<pf::Object>& object, pf::Document* source)
{
    auto page = std::dynamic_pointer_cast<Composition>(object);
    if (!page)
        return;
    auto* from = dynamic_cast<Document*>(source);
    // A copied page counts its pictures itself when it first gets its owner; without one, count here.
    CompositionDelegate* owner = canvasWindowController_ ? canvasWindowController_->compositionDelegate() : nullptr;
    // A picture here under the same identifier with other bytes is another picture: the page's shapes take
    // the identifier its copy was stored under (the page has no owner yet, so nothing counts twice).
    QHash<QString, QString> adopted;
    for (const auto& shape : page->registeredShapes()) {
        const QString identifier = shape->imageIdentifier();
        if (identifier.isNull())
            continue;
        if (from && from != this) {
            auto stored = adopted.constFind(identifier);
            if (stored == adopted.cend()) {
                const QByteArray data = from->imageDataForIdentifier(identifier);
                QString error;
                const QString name = data.isEmpty() ? QString() : adoptImageData(data, identifier, &error);
                if (name.isEmpty())
                    pf::logMessage(QStringLiteral("The picture \"%1\" of a moved page was missing.").arg(identifier));
                stored = adopted.insert(identifier, name.isEmpty() ? identifier : name);
            }
            if (*stored != identifier)
                shape->setImageIdentifier(*stored);
        }
        if (!owner)
            incrementRefCountForImageIdentifier(shape->imageIdentifier());
    }
    if (owner)
        page->setCompositionDelegate(owner);
    updateChangeCount(ChangeType::Done);
}

void Document::setCanvasWindowController(std::shared_ptr<TabHost> controller)
{
    canvasWindowController_ = std::move(controller);
    canvasObservation_.reset();
}

void Document::canvasWindowControllerDidLoadWindow()
{
    setUpCompositionsInCanvasWindowController();
    if (!canvasWindowController_)
        return;
    std::weak_ptr<pf::Document> weak = weak_from_this();
    canvasObservation_ = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Canvas::DidRemoveImageNotification), canvasWindowController_->canvas(),
        [weak](const pf::Notification&) {
            if (auto self = weak.lock())
                static_cast<Document&>(*self).imageGC();
        });
}

void Document::setUpCompositionsInCanvasWindowController()
{
    TabHost* host = canvasWindowController_.get();
    if (!host)
        return;
    // Nothing the hand-over does is a change the user made.
    undoManager().disableUndoRegistration();
    if (tempCompositions_ && !tempCompositions_->empty()) {
        const auto existing = host->tabModels();
        for (auto it = existing.rbegin(); it != existing.rend(); ++it)
            host->removeTabModel(*it);
        for (const auto& page : *tempCompositions_) {
            QString error;
            if (auto model = host->addTabWithRepresentedObject(page, host->defaultType(), &error)) {
                model->setDocument(this);
                page->setCompositionDelegate(host->compositionDelegate());
            } else {
                pf::logMessage(QStringLiteral("A page could not be shown: %1").arg(error));
            }
        }
        host->selectTabAtIndex(0);
        // The first save finds the pages' stored forms made while the user looked at them.
        for (const auto& page : *tempCompositions_)
            storedForms::makeInIdleTime(page);
    } else if (host->tabModels().empty()) {
        host->addTabModelAtIndex(0);
    }
    host->reloadTabs();
    tempCompositions_.reset();
    undoManager().enableUndoRegistration();
}

void Document::titleDidChange()
{
    if (canvasWindowController_)
        canvasWindowController_->synchronizeWindowTitleWithDocumentName();
}

void Document::closeWindows()
{
    canvasObservation_.reset();
    if (!canvasWindowController_)
        return;
    // The window goes with its document (it records what it shows as it closes).
    if (auto* window = dynamic_cast<pf::WindowController*>(canvasWindowController_.get()))
        window->close();
    for (const auto& model : canvasWindowController_->tabModels())
        if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject()))
            page->setCompositionDelegate(nullptr);
}

// ---- the format ----

std::shared_ptr<pf::FileWrapper> Document::fileWrapperOfType(const QString& type, QString* error)
{
    std::optional<SaveSnapshot> snapshot = snapshotForSave(type, error);
    return snapshot ? snapshot->makePackage(error) : nullptr;
}

std::optional<pf::Document::SaveSnapshot> Document::snapshotForSave(const QString& type, QString* error)
{
    if (type != QLatin1String(TypeName)) {
        if (error)
            *error = QStringLiteral("Quorvel cannot save documents of the type \"%1\".").arg(type);
        return std::nullopt;
    }
    // The values share their strings and containers with nothing the pages change later: the worker
    // reads them while the user goes on editing. The pages' children stay in their kept, packed forms and
    // are unpacked one at a time as the worker writes them: the main thread neither builds nor frees them.
    std::vector<std::shared_ptr<const storedForms::Taken>> children;
    pf::Value plist = compositionPlist(&children);
    std::vector<pf::ElementsMadeWhileWriting> made;
    const pf::Value::Array& pages = plist.arrayForKey("compositions");
    for (std::size_t i = 0; i < children.size(); ++i)
        made.push_back({&pages[i].arrayForKey("children"), children[i]->size(),
                         [forms = children[i]](std::size_t index) { return forms->at(index); }});
    auto copy = std::make_shared<pf::FileWrapper::SaveCopy>(pf::FileWrapper::copyForSave(documentFileWrapper()));
    copy->root->removeChild(QString::fromLatin1(PlistName));
    SaveSnapshot snapshot;
    // The bytes are made as the package is written, a piece at a time straight into the file: a large
    // document's bytes are never whole in memory. A plist that cannot be written fails the save there,
    // and the package on disk stays as it was.
    snapshot.makePackage = [plist = std::move(plist), made = std::move(made), root = copy->root](QString*) -> std::shared_ptr<pf::FileWrapper> {
        root->setChild(QString::fromLatin1(PlistName),
                       pf::FileWrapper::regularFileWrittenBy([plist, made](const pf::ByteSink& sink, QString* error) {
                           QString why;
                           if (pf::writePropertyList(plist, sink, &why, made))
                               return true;
                           if (error && !why.isEmpty())
                               *error = pagesNotWritten(why);
                           return false;
                       }));
        return root;
    };
    std::weak_ptr<pf::Document> weak = weak_from_this();
    snapshot.didWrite = [weak, copy](const pf::FileWrapper& written) {
        copy->adoptSources();
        auto self = std::static_pointer_cast<Document>(weak.lock());
        const auto plistFile = written.child(QString::fromLatin1(PlistName));
        if (!self || !plistFile || plistFile->sourcePath().isEmpty())
            return;
        // The bytes stay on disk, read again only by a later revert or copy: a large document keeps no
        // copy of them in memory.
        if (auto onDisk = pf::FileWrapper::readFromPath(plistFile->sourcePath()); onDisk && onDisk->isRegularFile())
            self->documentFileWrapper()->setChild(QString::fromLatin1(PlistName), onDisk);
        else
            self->documentFileWrapper()->removeChild(QString::fromLatin1(PlistName));
    };
    return snapshot;
}

pf::Value Document::compositionPlist(std::vector<std::shared_ptr<const storedForms::Taken>>* children) const
{
    pf::Value plist = pf::Value::dictionary();
    plist.set(QStringLiteral("version"), CurrentVersion);
    pf::Value counts = pf::Value::dictionary();
    for (const auto& [identifier, count] : imageRefCountTab_) {
        // A count is a promise that "Resources" holds the file.
        if (!storedImageFile(identifier)) {
            pf::logMessage(QStringLiteral("The count of the missing picture \"%1\" is left out").arg(identifier));
            continue;
        }
        counts.set(identifier, count);
    }
    plist.set(QStringLiteral("image_ref_counts"), counts);
    writeCompositionsToPlist(plist, children);
    return plist;
}

std::optional<QByteArray> Document::serialisedCompositionData(const pf::Value& plist, QString* error)
{
    QString why;
    auto data = QVDataFromPlist(plist, &why);
    if (!data && error)
        *error = pagesNotWritten(why);
    return data;
}

std::optional<QByteArray> Document::compositionData(QString* error) const
{
    return serialisedCompositionData(compositionPlist(), error);
}

void Document::writeCompositionsToPlist(pf::Value& plist,
                                        std::vector<std::shared_ptr<const storedForms::Taken>>* children) const
{
    pf::Value pages = pf::Value::array();
    if (canvasWindowController_)
        for (const auto& model : canvasWindowController_->tabModels())
            if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject())) {
                if (!children) {
                    pages.append(page->asPlist());
                    continue;
                }
                pages.append(page->asPlistTakingChildren(children->emplace_back()));
            }
    plist.set(QStringLiteral("compositions"), pages);
}

bool Document::readFromFileWrapper(const std::shared_ptr<pf::FileWrapper>& wrapper, const QString& type,
                                   QString* error)
{
    if (type != QLatin1String(TypeName) || !wrapper || !wrapper->isDirectory()) {
        if (error)
            *error = QStringLiteral("The file is not a Quorvel document.");
        return false;
    }
    pf::SuddenTerminationGuard guard;
    undoManager().disableUndoRegistration();
    struct Enable {
        pf::UndoManager& undo;
        ~Enable() { undo.enableUndoRegistration(); }
    } enable{undoManager()};

    const auto plistFile = wrapper->child(QString::fromLatin1(PlistName));
    if (!plistFile || !plistFile->isRegularFile()) {
        if (error)
            *error = QStringLiteral("The document has no \"composition_data.plist\".");
        return false;
    }
    QString readError;
    const QByteArray data = plistFile->regularFileContents(&readError);
    if (!readError.isEmpty()) {
        if (error)
            *error = readError;
        return false;
    }
    // The package becomes the image store only once its pages have been read.
    auto previous = std::exchange(documentFileWrapper_, wrapper);
    if (!readFromCompositionData(data, error)) {
        documentFileWrapper_ = std::move(previous);
        return false;
    }
    collectedImages_.clear();
    // The pages are read: a large document keeps no copy of their bytes or of the values read from them.
    plistFile->forgetContents();
    pf::returnFreedMemoryInBackground();
    return true;
}

namespace {

// The document's value tree, read on a thread of its own: its blocks then lie in that thread's heap
// rather than between the blocks of the shapes made from it, so once it is freed the system gets whole
// pages back instead of a heap full of holes among the shapes.
pf::Value readInOwnHeap(const QByteArray& data, QString* error)
{
    pf::Value plist;
    std::exception_ptr failure;
    std::thread([&] {
        try {
            plist = QVPlistFromData(data, error);
        } catch (...) {
            failure = std::current_exception();
        }
    }).join();
    if (failure)
        std::rethrow_exception(failure);
    return plist;
}

} // namespace

bool Document::readFromCompositionData(const QByteArray& data, QString* error)
{
    QString parseError;
    pf::Value plist = readInOwnHeap(data, &parseError);
    if (!plist.isDictionary()) {
        if (error)
            *error = parseError.isEmpty() ? QStringLiteral("\"composition_data.plist\" is not a dictionary.") : parseError;
        return false;
    }
    const pf::Value& version = plist.objectForKey("version");
    if (!version.isNull() && !version.isNumber()) {
        if (error)
            *error = QStringLiteral("The document's format version is not a number.");
        return false;
    }
    if (version.integerValue() > CurrentVersion) {
        if (error)
            *error = QStringLiteral("The document was made by a newer version of Quorvel.");
        return false;
    }

    std::map<QString, std::int64_t> counts;
    for (const auto& [identifier, count] : plist.dictionaryForKey("image_ref_counts")) {
        if (!pf::FileWrapper::isSafeName(identifier)) {
            pf::logMessage(QStringLiteral("Image count of a bad identifier dropped"));
            continue;
        }
        // A package saved with the count of a picture it never stored heals here: the count goes, the
        // shapes naming the picture show it missing.
        if (!storedImageFile(identifier)) {
            pf::logMessage(QStringLiteral("The count of the missing picture \"%1\" dropped").arg(identifier));
            continue;
        }
        counts[identifier] = count.isInteger() ? count.integerValue() : 0;
    }

    std::vector<std::shared_ptr<Composition>> pages;
    {
        // Readers of older versions convert as they read; no version is the current format.
        std::optional<pf::ThreadValueScope> versionScope;
        if (!version.isNull())
            versionScope.emplace(QString::fromLatin1(pf::TlsVersionKey), pf::Variant(version.integerValue()));
        for (const pf::Value& entry : plist.arrayForKey("compositions")) {
            if (auto page = Composition::fromPlist(entry))
                pages.push_back(std::move(page));
            else
                pf::logMessage(QStringLiteral("A stored page could not be read; skipped"));
        }
    }

    // The pages hold nothing of the tree that matters for memory: it goes where it was made.
    pf::freeInBackground(std::move(plist));
    imageRefCountTab_ = std::move(counts);
    tempCompositions_ = std::move(pages);
    if (canvasWindowController_)
        setUpCompositionsInCanvasWindowController();
    return true;
}

// ---- the package in memory ----

const std::shared_ptr<pf::FileWrapper>& Document::documentFileWrapper()
{
    if (!documentFileWrapper_)
        documentFileWrapper_ = pf::FileWrapper::directory();
    return documentFileWrapper_;
}

std::shared_ptr<pf::FileWrapper> Document::resourceDirWrapper()
{
    const QString name = QString::fromLatin1(ResourcesName);
    auto resources = documentFileWrapper()->child(name);
    if (!resources || !resources->isDirectory()) {
        // A file or link in its place is no image folder: images never go through it.
        documentFileWrapper_->setChild(name, pf::FileWrapper::directory());
    }
    return documentFileWrapper_->child(name);
}

// ---- the image store ----

QString Document::setImageDataForIdentifier(const QByteArray& data, const QString& identifier)
{
    if (!pf::FileWrapper::isSafeName(identifier))
        return {};
    return resourceDirWrapper()->addChild(identifier, pf::FileWrapper::regularFile(data));
}

std::shared_ptr<pf::FileWrapper> Document::storedImageFile(const QString& identifier) const
{
    if (!pf::FileWrapper::isSafeName(identifier) || !documentFileWrapper_)
        return nullptr;
    const auto resources = documentFileWrapper_->child(QString::fromLatin1(ResourcesName));
    if (!resources || !resources->isDirectory())
        return nullptr;
    auto file = resources->child(identifier);
    return file && file->isRegularFile() ? file : nullptr;
}

QByteArray Document::imageDataForIdentifier(const QString& identifier)
{
    if (!pf::FileWrapper::isSafeName(identifier))
        return {};
    auto file = resourceDirWrapper()->child(identifier);
    if (!file) {
        const auto collected = collectedImages_.find(identifier);
        if (collected != collectedImages_.end())
            file = collected->second;
    }
    if (!file || !file->isRegularFile())
        return {};
    return file->regularFileContents();
}

bool Document::imageExistsForIdentifier(const QString& identifier) const
{
    return storedImageFile(identifier) != nullptr;
}

pf::Image Document::imageForIdentifier(const QString& identifier)
{
    const QByteArray data = imageDataForIdentifier(identifier);
    return data.isEmpty() ? pf::Image() : pf::Image::fromData(data);
}

void Document::incrementRefCountForImageIdentifier(const QString& identifier)
{
    if (!pf::FileWrapper::isSafeName(identifier))
        return;
    const auto collected = collectedImages_.find(identifier);
    // A picture this package does not hold is shown missing and never counted.
    if (collected == collectedImages_.end() && !storedImageFile(identifier))
        return;
    ++imageRefCountTab_[identifier];
    // A shape brought back by undo brings its collected picture back.
    if (collected != collectedImages_.end()) {
        if (!resourceDirWrapper()->child(identifier))
            resourceDirWrapper()->setChild(identifier, collected->second);
        collectedImages_.erase(collected);
    }
}

void Document::decrementRefCountForImageIdentifier(const QString& identifier)
{
    if (!pf::FileWrapper::isSafeName(identifier))
        return;
    // An identifier without an entry gets one at 0, which the next collection removes.
    const auto it = imageRefCountTab_.find(identifier);
    if (it == imageRefCountTab_.end())
        imageRefCountTab_[identifier] = 0;
    else
        --it->second;
}

bool Document::imageGC()
{
    bool collected = false;
    const auto counts = imageRefCountTab_;
    for (const auto& [identifier, count] : counts) {
        if (count >= 1)
            continue;
        imageRefCountTab_.erase(identifier);
        collected = true;
        auto resources = resourceDirWrapper();
        if (auto file = resources->child(identifier)) {
            collectedImages_[identifier] = file;
            resources->removeChild(identifier);
        }
    }
    if (collected)
        updateChangeCount(ChangeType::Done);
    return collected;
}

QString Document::storeNewImage(const QByteArray& data, const QString& identifier)
{
    const QString stored = setImageDataForIdentifier(data, identifier);
    // Counted from 0: the shape that shows it counts it, and a picture no shape takes is collected.
    if (!stored.isEmpty())
        imageRefCountTab_.try_emplace(stored, 0);
    return stored;
}

bool Document::isKnownImage(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        *error = QStringLiteral("The picture is empty.");
        return false;
    }
    QString why;
    if (pf::Image::fromData(data, &why).isNull()) {
        *error = QStringLiteral("The file is not a picture Quorvel can read.");
        return false;
    }
    return true;
}

void Document::provisionImageWithData(const QByteArray& data, ImageCompletion completion)
{
    pf::SuddenTerminationGuard guard;
    QString error;
    QString stored;
    if (isKnownImage(data, &error))
        stored = storeNewImage(data, pf::newIdentifier());
    std::weak_ptr<pf::Document> weak = weak_from_this();
    pf::performOnMainThread([weak, completion = std::move(completion), stored, error] {
        if (weak.lock() && completion)
            completion(stored, error);
    });
}

void Document::provisionImageAtPath(const QString& path, const QString& preferredIdentifier,
                                    ImageCompletion completion)
{
    struct Read {
        QByteArray bytes;
        QString error;
    };
    // Held until the bytes are stored (or the document went).
    pf::suddenTermination::disable();
    std::weak_ptr<pf::Document> weak = weak_from_this();
    pf::performInBackground(
        [path] {
            Read read;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                read.error = QStringLiteral("The file \"%1\" could not be read: %2").arg(QFileInfo(path).fileName(), file.errorString());
            else
                read.bytes = file.readAll();
            return read;
        },
        [weak, preferredIdentifier, completion = std::move(completion)](Read read) {
            struct Enable {
                ~Enable() { pf::suddenTermination::enable(); }
            } enable;
            auto self = weak.lock();
            // A document closed meanwhile takes nothing.
            if (!self)
                return;
            auto& document = static_cast<Document&>(*self);
            if (!read.error.isEmpty()) {
                if (completion)
                    completion(QString(), read.error);
                return;
            }
            QString error;
            const QString identifier = document.adoptImageData(read.bytes, preferredIdentifier, &error);
            if (completion)
                completion(identifier, error);
        });
}

QString Document::adoptImageData(const QByteArray& bytes, const QString& preferred, QString* error)
{
    pf::SuddenTerminationGuard guard;
    QString why;
    if (!isKnownImage(bytes, &why)) {
        if (error)
            *error = why;
        return {};
    }
    QString identifier;
    if (pf::FileWrapper::isSafeName(preferred)) {
        const QByteArray existing = imageDataForIdentifier(preferred);
        const bool taken = resourceDirWrapper()->child(preferred) || collectedImages_.count(preferred);
        if (taken && existing == bytes) {
            // The same picture again: one file serves both.
            if (!resourceDirWrapper()->child(preferred))
                resourceDirWrapper()->setChild(preferred, collectedImages_[preferred]);
            collectedImages_.erase(preferred);
            // Listed again when it had been collected, so that it goes again if nothing shows it.
            imageRefCountTab_.try_emplace(preferred, 0);
            identifier = preferred;
        } else if (!taken) {
            identifier = storeNewImage(bytes, preferred);
        }
    }
    if (identifier.isEmpty())
        identifier = storeNewImage(bytes, pf::newIdentifier());
    return identifier;
}
