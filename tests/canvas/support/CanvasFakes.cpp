#include "canvas/support/CanvasFakes.h"

#include "canvas/Canvas.h"
#include "platform/foundation/Identifier.h"

#include <QFile>

#include <chrono>

// ---- document ----

pf::Image FakeCanvasDocument::imageForIdentifier(const QString& identifier)
{
    const auto it = images.find(identifier);
    return it == images.end() ? pf::Image() : it->second.image;
}

QByteArray FakeCanvasDocument::imageDataForIdentifier(const QString& identifier)
{
    const auto it = images.find(identifier);
    return it == images.end() ? QByteArray() : it->second.bytes;
}

void FakeCanvasDocument::incrementRefCountForImageIdentifier(const QString& identifier)
{
    if (const auto it = images.find(identifier); it != images.end())
        ++it->second.count;
}

void FakeCanvasDocument::decrementRefCountForImageIdentifier(const QString& identifier)
{
    if (const auto it = images.find(identifier); it != images.end())
        --it->second.count;
}

QString FakeCanvasDocument::store(const QByteArray& bytes, QString& identifier)
{
    if (bytes.isEmpty())
        return QStringLiteral("The picture is empty.");
    const pf::Image image = pf::Image::fromData(bytes);
    if (image.isNull())
        return QStringLiteral("The file is not a picture.");
    // A name stands for one file of the package: never a path, never a name that holds other bytes.
    const bool plainName = !identifier.isEmpty() && !identifier.contains(u'/') && identifier != u"."
                           && identifier != u"..";
    const auto existing = plainName ? images.find(identifier) : images.end();
    if (existing != images.end() && existing->second.bytes == bytes)
        return {};
    if (!plainName || existing != images.end())
        identifier = pf::newIdentifier();
    images[identifier] = StoredImage{bytes, image, 0};
    return {};
}

void FakeCanvasDocument::complete(ImageCompletion completion, const QString& identifier, const QString& error)
{
    // On a later turn, and never once the document has gone.
    delayed_.performAfterDelay([completion = std::move(completion), identifier, error] { completion(identifier, error); },
                               std::chrono::nanoseconds(0));
}

void FakeCanvasDocument::provisionImageAtPath(const QString& path, const QString& preferredIdentifier,
                                              ImageCompletion completion)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        complete(std::move(completion), {}, QStringLiteral("The file cannot be read."));
        return;
    }
    QString identifier = preferredIdentifier;
    const QString error = store(file.readAll(), identifier);
    complete(std::move(completion), error.isNull() ? identifier : QString(), error);
}

void FakeCanvasDocument::provisionImageWithData(const QByteArray& data, ImageCompletion completion)
{
    QString identifier;
    const QString error = store(data, identifier);
    complete(std::move(completion), error.isNull() ? identifier : QString(), error);
}

QString FakeCanvasDocument::adoptImageData(const QByteArray& data, const QString& preferredIdentifier, QString* error)
{
    QString identifier = preferredIdentifier;
    const QString why = store(data, identifier);
    if (error)
        *error = why;
    return why.isNull() ? identifier : QString();
}

void FakeCanvasDocument::observeCanvas(const void* canvas)
{
    observers_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Canvas::DidRemoveImageNotification), canvas,
        [this](const pf::Notification&) { collectUnusedImages(); }));
}

void FakeCanvasDocument::collectUnusedImages()
{
    ++collections;
    bool removed = false;
    for (auto it = images.begin(); it != images.end();) {
        if (it->second.count <= 0) {
            it = images.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    // The document is edited by the collection; saving stays the user's choice.
    if (removed)
        updateChangeCount();
}

// ---- library ----

FakeLibrary::FakeLibrary(const void* window)
{
    auto& center = pf::NotificationCenter::defaultCenter();
    observers_.push_back(center.addObserver(
        QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), window,
        [this, window](const pf::Notification& n) {
            const QString name = n.userInfo.count(QStringLiteral("ShapeClassName"))
                                     ? n.userInfo.at(QStringLiteral("ShapeClassName")).toString()
                                     : QString();
            QString notice = QString::fromLatin1(Canvas::ShapeModeWasActivatedNotification);
            if (name == u"Bezier")
                notice = QString::fromLatin1(Canvas::BezierModeWasActivatedNotification);
            else if (name == u"Brush")
                notice = QString::fromLatin1(Canvas::BrushModeWasActivatedNotification);
            else if (name == u"Path")
                notice = QString::fromLatin1(Canvas::PathModeWasActivatedNotification);
            posted << notice + u' ' + name;
            pf::VariantMap info;
            if (notice == QString::fromLatin1(Canvas::ShapeModeWasActivatedNotification))
                info[QStringLiteral("ShapeClassName")] = name;
            pf::NotificationCenter::defaultCenter().post(notice, window, info);
        }));
    observers_.push_back(center.addObserver(QStringLiteral("CanvasDidClearListSelectionNotification"), window,
                                            [this](const pf::Notification&) { ++listSelectionClears; }));
}
