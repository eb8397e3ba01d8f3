// The canvas as a drop destination: a library entry becomes a shape of its kind at the drop point, at its
// default size on screen; pictures (data or files) become image shapes whose bytes the document stores; a
// colour recolours the shape under it (or the frontmost one near it) by the shape's own choice of fill,
// stroke or text.
//
// Everything dropped comes from other programs. A drop answers YES only when it added or changed something,
// or asked the document for a picture it will add: a source that deletes what it moved must never lose
// items we did not take. A moved file is only ever copied into the document.
#include "canvas/Canvas.h"

#include "canvas/Lasso.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Localized.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/PasteboardRecords.h"
#include "platform/kit/Services.h"

#include <QFileInfo>
#include <QImage>
#include <QBuffer>

namespace {

// What a drag carries, as the operation rule and the drop read it.
struct DragContent {
    bool info = false;
    bool shape = false;
    bool colour = false;
    bool image = false;
    bool file = false;
};

DragContent contentOf(const pf::Pasteboard& board)
{
    const QStringList types = board.types();
    DragContent c;
    c.info = types.contains(pf::PasteboardType::shapeInfo);
    c.shape = types.contains(pf::PasteboardType::shape);
    c.colour = types.contains(pf::PasteboardType::color);
    for (const QString& type : pf::pictureTypes())
        c.image = c.image || types.contains(type);
    // Only local files count: a list of web addresses alone is nothing we can place.
    c.file = types.contains(pf::PasteboardType::fileNames) && !board.fileNames().isEmpty();
    return c;
}

// The image type code the bytes are kept under; other formats are stored as PNG.
std::int64_t storedImageType(const QString& pasteboardType)
{
    if (pasteboardType == pf::PasteboardType::png)
        return 1;
    if (pasteboardType == pf::PasteboardType::tiff)
        return 0;
    if (pasteboardType == pf::PasteboardType::jpeg)
        return 2;
    if (pasteboardType == pf::PasteboardType::gif)
        return 4;
    return -1;
}

// A kind a page holds: stored, and no page, selection object or rubber band.
bool isPlaceableKind(const ShapeClass& kind)
{
    return kind.isSavableKind() && !kind.isSubclassOf(Composition::staticClass())
           && !kind.isSubclassOf(Manipulator::staticClass()) && !kind.isSubclassOf(Lasso::staticClass());
}

QByteArray pngOf(const QByteArray& bytes)
{
    const QImage image = QImage::fromData(bytes);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

} // namespace

// ---- the operation rule ----

std::shared_ptr<Shape> Canvas::colorDropTargetAtPoint(const pf::Point& pagePoint) const
{
    const auto page = composition();
    if (!page)
        return nullptr;
    if (auto under = shapeAtPoint(pagePoint))
        return under;
    // The frontmost of those near: one answer for one place, so the mark does not flicker between them.
    const auto near = page->shapesInProximityTo(pagePoint);
    return near.empty() ? nullptr : near.back();
}

namespace {

pf::DragOperation imageOrFileOperation(const DragContent& c, pf::DragOperation mask)
{
    if (mask & pf::DragOp::Copy)
        return c.image || c.file ? pf::DragOp::Copy : pf::DragOp::None;
    return (mask & pf::DragOp::Move) && (c.image || c.file) ? pf::DragOp::Move : pf::DragOp::None;
}

} // namespace

pf::DragOperation Canvas::draggingEntered(const pf::DraggingInfo& info)
{
    const DragContent c = contentOf(info.pasteboard);
    if (c.info)
        return pf::DragOp::Copy;
    // A colour's answer depends on the shape under it, which the first move finds.
    if (c.colour)
        return pf::DragOp::None;
    if ((info.sourceOperationMask & pf::DragOp::Move) && c.shape)
        return pf::DragOp::Move;
    return imageOrFileOperation(c, info.sourceOperationMask);
}

pf::DragOperation Canvas::draggingUpdated(const pf::DraggingInfo& info)
{
    setNeedsDisplayInCompositionRect(clearSnappedSet());
    const DragContent c = contentOf(info.pasteboard);
    if (c.info)
        return pf::DragOp::Copy;
    if (c.colour) {
        const auto target = colorDropTargetAtPoint(convertPointToComposition(info.draggingLocation));
        if (!target)
            return pf::DragOp::None;
        addSnappedShape(target);
        setNeedsDisplayInCompositionRect(snappedSetDirtyRect());
        return pf::DragOp::Copy;
    }
    if ((info.sourceOperationMask & pf::DragOp::Move) && c.shape)
        return pf::DragOp::Move;
    return imageOrFileOperation(c, info.sourceOperationMask);
}

void Canvas::draggingExited(const pf::DraggingInfo&)
{
    setNeedsDisplayInCompositionRect(clearSnappedSet());
}

void Canvas::draggingEnded(const pf::DraggingInfo&)
{
    setNeedsDisplayInCompositionRect(clearSnappedSet());
}

// ---- the drop ----

bool Canvas::performDragOperation(const pf::DraggingInfo& info)
{
    const auto page = composition();
    if (!page)
        return false;
    const pf::Pasteboard& board = info.pasteboard;
    const DragContent c = contentOf(board);
    const pf::DragOperation mask = info.sourceOperationMask;
    const pf::Point pagePoint = convertPointToComposition(info.draggingLocation);

    if (c.info) {
        QString error;
        std::optional<pf::Value> entry = board.propertyListForType(pf::PasteboardType::shapeInfo, &error);
        if (entry)
            entry = pf::readShapeInfo(*entry, &error);
        const ShapeClass* kind =
            entry ? pf::ClassRegistry::shared().lookup<ShapeClass>(entry->stringForKey("className")) : nullptr;
        const bool placeable = kind && isPlaceableKind(*kind);
        if (entry && !placeable)
            error = QStringLiteral("the library entry names no kind of shape: %1")
                        .arg(entry->stringForKey("className").left(200));
        if (!placeable) {
            pf::logMessage(QStringLiteral("Drop: %1; nothing added").arg(error));
            pf::beep();
            return false;
        }
        // Its default size on screen: the page size shrinks as the zoom grows.
        entry->set(QStringLiteral("frame"),
                   pf::toString(kind->defaultFrameForPointZoomScale(pagePoint, currentScale())));
        addShapeFromPlist(*entry);
        return true;
    }
    // Shapes moved here from elsewhere in the program are not taken: the source keeps them.
    if ((mask & pf::DragOp::Move) && c.shape)
        return false;

    if (!c.colour) {
        if (!(mask & pf::DragOp::Copy))
            return false;
        if (c.image) {
            if (const std::optional<pf::PictureData> picture = board.firstDecodablePicture()) {
                const std::int64_t type = storedImageType(picture->type);
                handlePasteImageData(type < 0 ? pngOf(picture->bytes) : picture->bytes, type < 0 ? 1 : type, false);
                return true;
            }
            pf::logMessage(QStringLiteral("Drop: the picture offered does not decode"));
        }
        // Each file that is no picture beeps on its own.
        if (c.file)
            return addImagesForFilesAtPaths(board.fileNames(), info.draggingLocation, false);
        pf::beep();
        return false;
    }

    const auto target = colorDropTargetAtPoint(pagePoint);
    const pf::OptionalColor colour = board.color();
    if (!target || !colour)
        return false;
    switch (target->dropColorType()) {
    case 0:
        target->setFillColor(colour);
        return true;
    case 1:
        target->setStrokeColor(colour);
        return true;
    case 2: {
        const pf::AttributedString* text = target->attributedText();
        if (!text)
            return false;
        pf::TextAttributes change;
        change.foregroundColor = colour;
        target->setAttributedText(Shape::textWithAttributes(*text, change));
        return true;
    }
    default:
        return false;
    }
}

// ---- a picture into the selection ----

void Canvas::insertImageIntoSelectionForFileAtPath(const QString& path)
{
    CanvasDocument* doc = document();
    if (!doc || !manipulator_)
        return;
    const auto fail = [](const QString& error) {
        if (!error.isEmpty())
            pf::logMessage(error);
        pf::Alert alert;
        alert.messageText = pf::localized(QStringLiteral("Could not load image"));
        alert.informativeText =
            !error.isEmpty() ? error
                             : pf::localized(QStringLiteral("An unknown error occurred while attempting to load the image."));
        alert.buttons = {pf::localized(QStringLiteral("OK"))};
        pf::runAlert(alert);
    };
    // Checked before anything is stored: a file of another kind must leave nothing in the document.
    const std::int64_t type = imageTypeForExtention(pf::lowercasedPathExtension(path));
    if (type < 0) {
        fail(QStringLiteral("The file \"%1\" is not a picture Quorvel can read.").arg(QFileInfo(path).fileName()));
        return;
    }
    const QPointer<Canvas> self(this);
    doc->disableSuddenTermination();
    doc->provisionImageAtPath(path, QFileInfo(path).fileName(),
                              [self, type, fail](const QString& identifier, const QString& error) {
                                  if (!self)
                                      return;
                                  if (identifier.isEmpty()) {
                                      fail(error);
                                      return;
                                  }
                                  const auto selection = self->manipulator();
                                  const auto page = self->composition();
                                  if (!selection || !page)
                                      return;
                                  // The shapes fetch the picture from the page by its identifier.
                                  const pf::UndoGrouping group(page->undoManager());
                                  selection->setValueForKeyPath(identifier, QStringLiteral("imageIdentifier"));
                                  selection->setValueForKeyPath(type, QStringLiteral("imageType"));
                                  if (selection->wantsSizeToFitImage() && !selection->children().empty()
                                      && !selection->children().front()->image().isNull())
                                      selection->sizeToFitImage(false);
                              });
    doc->enableSuddenTermination();
}
