// The shape record on the pasteboard and in Duplicate: the writer turns the selection into copies and the
// connections among them, the reader turns a record back into new shapes on the page. Pictures pasted or
// dropped become image shapes whose data the document stores.
//
// A shape names its picture by an identifier of its document's store, which means nothing to another
// document (or another process): the record carries the bytes of every picture its shapes show, and the
// reader has the target document take them in before the shapes join the page and count them.
//
// A record may come from another program or another version: it is checked as a whole first, then each
// entry is built on its own, so one bad entry costs only itself. The reader works on copies of the entries.
#include "canvas/Canvas.h"

#include "canvas/ShapeRecordReader.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Connection.h"
#include "model/Group.h"
#include "model/Metrics.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/PasteboardRecords.h"
#include "platform/kit/Services.h"
#include "shapes/PictureKinds.h"

#include <QFileInfo>
#include <QImage>
#include <QBuffer>

#include <set>
#include <unordered_map>

namespace {

// Raises the page's sudden-termination count for a scope.
class SuddenTerminationGuard {
public:
    explicit SuddenTerminationGuard(const Composition& page) : page_(page) { page_.disableSuddenTermination(); }
    ~SuddenTerminationGuard() { page_.enableSuddenTermination(); }
    SuddenTerminationGuard(const SuddenTerminationGuard&) = delete;
    SuddenTerminationGuard& operator=(const SuddenTerminationGuard&) = delete;

private:
    const Composition& page_;
};

// The document's sudden termination off while the pictures are requested (not until they are stored).
class DocumentTerminationGuard {
public:
    explicit DocumentTerminationGuard(CanvasDocument& document) : document_(document)
    {
        document_.disableSuddenTermination();
    }
    ~DocumentTerminationGuard() { document_.enableSuddenTermination(); }
    DocumentTerminationGuard(const DocumentTerminationGuard&) = delete;
    DocumentTerminationGuard& operator=(const DocumentTerminationGuard&) = delete;

private:
    CanvasDocument& document_;
};

// Image bytes of another format as PNG; empty when they do not decode.
QByteArray pngFromImageData(const QByteArray& data)
{
    const QImage image = QImage::fromData(data);
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}

// The target document takes in the record's pictures that its shapes show (one it already holds with the
// same bytes is not stored again). Answers the identifiers that changed: one used here for other bytes,
// or a name no file may have. A picture that is not taken shows as missing in its shapes.
QHash<QString, QString> adoptRecordImages(const pf::ShapeRecord& record, CanvasDocument* document)
{
    QHash<QString, QString> renamed;
    if (!document || record.images.empty())
        return renamed;
    for (const QString& identifier : imageIdentifiersInRecord(record)) {
        const auto picture = record.images.find(identifier);
        if (picture == record.images.end())
            continue;
        QString error;
        const QString stored = document->adoptImageData(picture->second.data, identifier, &error);
        if (stored.isEmpty())
            pf::logMessage(QStringLiteral("Paste: the picture \"%1\" was not taken (%2); its shapes show it missing")
                               .arg(identifier.left(200), error));
        else if (stored != identifier)
            renamed.insert(identifier, stored);
    }
    return renamed;
}

} // namespace

// ---- writer and reader ----

pf::Value Canvas::plistCopyFromSelectedShapesAndConnections() const
{
    pf::ShapeRecord record;
    const auto page = composition();
    if (!page)
        return record.toPropertyList();
    const SuddenTerminationGuard guard(*page);
    const Shapes selected = orderedSelectedShapes();
    std::unordered_map<const Shape*, std::shared_ptr<Shape>> copies;
    // By address: a set of identifiers would merge two connections that a hostile document gave one name.
    std::set<std::shared_ptr<Connection>> connections;
    for (const auto& shape : selected) {
        copies[shape.get()] = shape->copy();
        for (const auto& c : shape->connections())
            if (auto connection = std::dynamic_pointer_cast<Connection>(c))
                connections.insert(connection);
    }
    std::vector<std::shared_ptr<Connection>> kept;
    for (const auto& connection : connections) {
        const auto shape = connection->shape();
        const auto shapeCopy = shape ? copies.find(shape.get()) : copies.end();
        const auto pointerCopy = copies.find(connection->pointer());
        if (shapeCopy == copies.end() || pointerCopy == copies.end())
            continue;
        auto copied = connection->copy();
        copied->setShape(shapeCopy->second);
        shapeCopy->second->setProvisionalConnection(nullptr);
        copied->setPointer(pointerCopy->second);
        kept.push_back(std::move(copied));
    }
    for (const auto& shape : selected) {
        record.shapes.push_back(copies[shape.get()]->asPlist());
        record.peerIds.append(shape->identifier());
    }
    for (const auto& connection : kept)
        record.connections.push_back(connection->asPlist());
    if (CanvasDocument* doc = document())
        for (const QString& identifier : imageIdentifiersInRecord(record)) {
            const QByteArray bytes = doc->imageDataForIdentifier(identifier);
            if (!bytes.isEmpty())
                record.images[identifier] = pf::RecordPicture{bytes, pf::pictureTypeForData(bytes)};
        }
    return record.toPropertyList();
}

Canvas::Shapes Canvas::handlePasteShapeData(const pf::Value& plist, bool position)
{
    const auto page = composition();
    if (!page)
        return {};
    QString error;
    const std::optional<pf::ShapeRecord> record = pf::readShapeRecord(plist, &error);
    if (!record) {
        pf::logMessage(QStringLiteral("Paste: %1; nothing pasted").arg(error));
        pf::beep();
        return {};
    }

    PastedShapes made = buildShapesFromRecord(*record, page, adoptRecordImages(*record, document()));
    for (const QString& reason : made.skipped)
        pf::logMessage(QStringLiteral("Paste: %1; skipped").arg(reason));
    if (made.shapes.empty()) {
        pf::beep();
        return {};
    }

    Shapes added;
    if (!position) {
        // Each copy just above its source when that is still a child of the page itself; the grid leaves
        // duplicates exactly on their sources.
        page->setDuplicating(true);
        struct Done {
            Composition& page;
            ~Done() { page.setDuplicating(false); }
        } done{*page};
        for (std::size_t i = 0; i < made.shapes.size(); ++i) {
            const auto& shape = made.shapes[i];
            const QString& peer = made.peers[qsizetype(i)];
            const auto source = peer.isEmpty() ? nullptr : page->shapeForIdentifier(peer);
            const std::size_t index = source && source->parent() == page.get() ? page->indexOfShape(source.get())
                                                                             : pf::NotFound;
            if (index == pf::NotFound)
                page->addShape(shape);
            else
                page->insertShapeAtIndex(shape, index + 1);
            added.push_back(shape);
        }
    } else {
        const pf::Point target = dragStartCanvasPoint_ == pf::Point() ? page->center()
                                                                      : convertPointToComposition(dragStartCanvasPoint_);
        pf::Rect block;
        for (const auto& shape : made.shapes)
            block = QVCombineRects(block, shape->frame());
        const pf::Point offset(target.x - block.width() / 2 - block.x(), target.y - block.height() / 2 - block.y());
        for (const auto& shape : made.shapes) {
            pf::Rect frame = shape->frame();
            shape->dragStart().frame = frame;
            frame.origin = pf::Point(frame.x() + offset.x, frame.y() + offset.y);
            shape->setFrame(frame);
            page->addShape(shape);
            added.push_back(shape);
        }
    }

    for (const QString& reason : addRecordConnections(*record, made.freshIdentifiers, *page))
        pf::logMessage(QStringLiteral("Paste: %1; skipped").arg(reason));
    addShapesToSelection(added);
    return added;
}

// ---- commands ----

void Canvas::copy()
{
    if (!canCopy()) {
        pf::beep();
        return;
    }
    const auto page = composition();
    pf::PasteboardContent content({pf::PasteboardType::shape, pf::PasteboardType::png});
    if (const auto group = groupForSelection()) {
        // Decorations stay out of the picture; the flag goes down also when drawing throws.
        page->setExporting(true);
        struct Done {
            Composition& page;
            ~Done() { page.setExporting(false); }
        } done{*page};
        const QByteArray png = group->renderedImage().pngData();
        if (!png.isEmpty())
            content.setData(pf::PasteboardType::png, png);
    }
    QString error;
    if (!content.setPropertyList(pf::PasteboardType::shape, plistCopyFromSelectedShapesAndConnections(), &error))
        pf::logMessage(QStringLiteral("Copy: the shapes could not be written: %1").arg(error));
    pf::Pasteboard::general().write(content);
}

void Canvas::cut()
{
    if (!canCut()) {
        pf::beep();
        return;
    }
    copy();
    remove();
}

void Canvas::paste()
{
    const auto page = composition();
    if (!page)
        return;
    const pf::Pasteboard board = pf::Pasteboard::general();
    if (board.hasType(pf::PasteboardType::shape)) {
        QString error;
        if (const auto record = board.propertyListForType(pf::PasteboardType::shape, &error)) {
            handlePasteShapeData(*record, true);
            return;
        }
        // A broken record does not hide the pictures offered beside it.
        pf::logMessage(QStringLiteral("Paste: %1").arg(error));
    }
    if (board.hasType(pf::PasteboardType::tiff)) {
        handlePasteImageData(board.dataForType(pf::PasteboardType::tiff), 0, false);
        return;
    }
    if (board.hasType(pf::PasteboardType::png)) {
        handlePasteImageData(board.dataForType(pf::PasteboardType::png), 1, false);
        return;
    }
    const QStringList files = board.fileNames();
    if (!files.isEmpty()) {
        // Placed as a drop at the paste point.
        const pf::Point at = dragStartCanvasPoint_ == pf::Point() ? convertPointFromComposition(page->center())
                                                                  : dragStartCanvasPoint_;
        addImagesForFilesAtPaths(files, at, false);
        return;
    }
    for (const QString& type : {pf::PasteboardType::jpeg, pf::PasteboardType::bmp}) {
        if (!board.hasType(type))
            continue;
        const QByteArray png = pngFromImageData(board.dataForType(type));
        if (png.isEmpty()) {
            pf::logMessage(QStringLiteral("Paste: the picture on the pasteboard does not decode"));
            pf::beep();
            return;
        }
        handlePasteImageData(png, 1, false);
        return;
    }
}

bool Canvas::canPaste() const
{
    if (!composition())
        return false;
    const pf::Pasteboard board = pf::Pasteboard::general();
    for (const QString& type : {pf::PasteboardType::shape, pf::PasteboardType::tiff, pf::PasteboardType::png,
                                pf::PasteboardType::jpeg, pf::PasteboardType::bmp})
        if (board.hasType(type))
            return true;
    return !board.fileNames().isEmpty();
}

void Canvas::duplicate()
{
    if (!canDuplicate())
        return;
    handlePasteShapeData(plistCopyFromSelectedShapesAndConnections(), false);
}

void Canvas::copyStyle()
{
    if (!canCopyStyle())
        return;
    pf::PasteboardContent content({pf::PasteboardType::shapeStyle});
    QString error;
    if (!content.setPropertyList(pf::PasteboardType::shapeStyle, selectedShapes().front()->extractStyle(), &error))
        pf::logMessage(QStringLiteral("Copy Style: the style could not be written: %1").arg(error));
    pf::Pasteboard::general().write(content);
}

void Canvas::pasteStyle()
{
    if (!canPasteStyle())
        return;
    const auto page = composition();
    QString error;
    std::optional<pf::Value> style =
        pf::Pasteboard::general().propertyListForType(pf::PasteboardType::shapeStyle, &error);
    if (style)
        style = pf::readStyleRecord(*style, &error);
    if (!style) {
        pf::logMessage(QStringLiteral("Paste Style: %1").arg(error));
        pf::beep();
        return;
    }
    {
        const SuddenTerminationGuard guard(*page);
        const pf::UndoGrouping group(page->undoManager());
        for (const auto& shape : selectedShapes())
            shape->applyStyle(*style);
    }
    page->setNeedsDisplayInRect(manipulator_ ? manipulator_->dirtyRect() : pf::Rect());
    updatePalettes();
}

// ---- pictures ----

std::int64_t Canvas::imageTypeForExtention(const QString& extension)
{
    const QString ext = extension.toLower();
    if (ext == u"tif" || ext == u"tiff")
        return 0;
    if (ext == u"png")
        return 1;
    if (ext == u"jpg" || ext == u"jpeg")
        return 2;
    if (ext == u"pdf")
        return 3;
    if (ext == u"gif")
        return 4;
    return -1;
}

void Canvas::handlePasteImageData(const QByteArray& data, std::int64_t imageType, bool resizeToFit)
{
    CanvasDocument* doc = document();
    if (!doc || data.isEmpty()) {
        pf::beep();
        return;
    }
    const QPointer<Canvas> self(this);
    doc->provisionImageWithData(data, [self, imageType, resizeToFit](const QString& identifier, const QString& error) {
        if (!self)
            return;
        CanvasDocument* doc = self->document();
        if (identifier.isEmpty() || !doc) {
            if (!error.isEmpty())
                pf::logMessage(error);
            pf::beep();
            return;
        }
        self->addShape(Image::imageWithImage(doc->imageForIdentifier(identifier), identifier, imageType));
        if (resizeToFit)
            self->resizeCanvasToFitSelection();
    });
}

bool Canvas::addImagesForFilesAtPaths(const QStringList& paths, const pf::Point& viewPoint, bool resizeToFit)
{
    return addImagesForFiles(paths, viewPoint, resizeToFit, false);
}

void Canvas::addImageAndResizeForFileAtPath(const QString& path)
{
    // The page's size comes with its own flag: a drop may well land at view point (0, 0).
    addImagesForFiles({path}, pf::Point(), true, true);
}

bool Canvas::addImagesForFiles(const QStringList& paths, const pf::Point& viewPoint, bool resizeToFit,
                               bool pageTakesSize)
{
    CanvasDocument* doc = document();
    if (!doc) {
        pf::beep();
        return false;
    }
    // Shared by the completions of this call, in the order they arrive.
    struct Placement {
        pf::Point point;
        int placed = 0;
        bool pageTakesSize = false;
    };
    const auto placement = std::make_shared<Placement>();
    placement->point = convertPointToComposition(viewPoint);
    placement->pageTakesSize = pageTakesSize;
    const QPointer<Canvas> self(this);
    const DocumentTerminationGuard guard(*doc);
    bool requested = false;
    for (const QString& path : paths) {
        // Checked before anything is stored: a file of another kind must leave nothing in the document.
        const std::int64_t type = imageTypeForExtention(pf::lowercasedPathExtension(path));
        if (type < 0) {
            pf::logMessage(QStringLiteral("%1 is not a picture file").arg(path));
            pf::beep();
            continue;
        }
        requested = true;
        doc->provisionImageAtPath(
            path, QFileInfo(path).fileName(),
            [self, placement, type, resizeToFit](const QString& identifier, const QString& error) {
                if (!self)
                    return;
                CanvasDocument* doc = self->document();
                const auto page = self->composition();
                if (identifier.isEmpty() || !doc || !page) {
                    pf::logMessage(error);
                    pf::beep();
                    if (resizeToFit && page)
                        self->resizeCanvasToFitSelection();
                    return;
                }
                auto shape = Image::imageWithImage(doc->imageForIdentifier(identifier), identifier, type);
                pf::Rect frame = shape->frame();
                if (placement->pageTakesSize) {
                    auto metrics = page->metrics() ? page->metrics()->copy() : std::make_shared<Metrics>();
                    metrics->setWidth(frame.width());
                    metrics->setHeight(frame.height());
                    page->setMetrics(metrics);
                    placement->point = pf::Point();
                } else if (placement->placed > 0) {
                    placement->point = pf::Point(placement->point.x + 10, placement->point.y + 10);
                } else {
                    placement->point =
                        pf::Point(placement->point.x - frame.width() * 0.5, placement->point.y - frame.height() * 0.5);
                }
                frame.origin = placement->point;
                shape->setFrame(frame);
                self->addShape(shape);
                ++placement->placed;
                if (resizeToFit)
                    self->resizeCanvasToFitSelection();
            });
    }
    return requested;
}

// ---- Option-drag ----

void Canvas::beginDragCopy()
{
    const auto page = composition();
    if (!page || !hasSelection())
        return;
    endDragCopy();
    if (pf::UndoManager* undo = page->undoManager())
        dragCopyUndoGroup_.emplace(undo, undo->beginUndoGrouping());
    showCursor(pf::Cursor::dragCopy());
    handlePasteShapeData(plistCopyFromSelectedShapesAndConnections(), false);
}

void Canvas::endDragCopy()
{
    if (!dragCopyUndoGroup_)
        return;
    dragCopyUndoGroup_->first->endUndoGrouping(dragCopyUndoGroup_->second);
    dragCopyUndoGroup_.reset();
}
