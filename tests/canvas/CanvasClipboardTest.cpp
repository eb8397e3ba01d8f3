// The shape record and the clipboard commands: what the writer copies, what the reader makes of good and
// hostile records, where pastes and duplicates land, the clipboard as other programs fill it, and the
// Option-drag copy.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Connection.h"
#include "model/Group.h"
#include "model/Rectangle.h"
#include "platform/foundation/PropertyList.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/PasteboardRecords.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Services.h"
#include "shapes/PictureKinds.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <set>
#include <stdexcept>

namespace {

// A box whose drawing fails, for the exporting flag's reset. Not registered: tests of every kind would
// draw it.
class ThrowingBox : public Rectangle {
public:
    static const RectangleClass& staticClass()
    {
        static const RectangleClass c(QStringLiteral("ThrowingBox"), &Rectangle::staticClass(),
                                      &Shape::allocate<ThrowingBox>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void drawInContextDirtyRect(pf::GraphicsContext&, const pf::Rect&) override
    {
        throw std::runtime_error("drawing failed");
    }
};

QByteArray imageBytes(const QColor& colour, const char* format, QSize size = {4, 3})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

pf::Value shapeEntry(const QString& className, const QString& identifier, const pf::Rect& frame)
{
    pf::Value entry = pf::Value::dictionary();
    entry.set(QStringLiteral("className"), className);
    entry.set(QStringLiteral("identifier"), identifier);
    entry.set(QStringLiteral("frame"), pf::toString(frame));
    return entry;
}

} // namespace

class CanvasClipboardTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
    }

    // The line's first end tied to the rectangle's right edge.
    std::shared_ptr<Connection> connectLineToRectangle()
    {
        auto c = Connection::make(page.get());
        c->setShape(rectangle);
        c->setPointer(line);
        c->setShapeEdge(QVRectEdgeRight);
        c->setCommitted(true);
        page->addConnection(c);
        return c;
    }

    static void putOnClipboard(QMimeData* data) { QGuiApplication::clipboard()->setMimeData(data); }
    // A command as the user gives it: from the menu, to the canvas that has the keys.
    void send(const char* action)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        canvas->setFocus();
        ASSERT_TRUE(pf::sendAction(QString::fromLatin1(action))) << action;
        endTurn();
    }

    int beeps = 0;
    QStringList logged;
    pf::ScopedBeepSink beepSink{[this] { ++beeps; }};
    pf::ScopedLogSink logSink{[this](const QString& m) { logged << m; }};
};

TEST_F(CanvasClipboardTest, TheWriterCopiesAConnectionOnlyWithBothItsEnds)
{
    connectLineToRectangle();
    canvas->replaceSelectionWithShapes({line, rectangle});
    const pf::Value both = canvas->plistCopyFromSelectedShapesAndConnections();
    const auto record = pf::readShapeRecord(both);
    ASSERT_TRUE(record);
    ASSERT_EQ(record->shapes.size(), 2u);
    // Page order, with the sources' identifiers beside copies of their own.
    EXPECT_EQ(record->peerIds, (QStringList{rectangle->identifier(), line->identifier()}));
    const QString boxCopy = record->shapes[0].stringForKey(u"identifier");
    const QString lineCopy = record->shapes[1].stringForKey(u"identifier");
    EXPECT_NE(boxCopy, rectangle->identifier());
    EXPECT_NE(lineCopy, line->identifier());
    ASSERT_EQ(record->connections.size(), 1u);
    EXPECT_EQ(record->connections[0].stringForKey(u"shapeIdentifier"), boxCopy);
    EXPECT_EQ(record->connections[0].stringForKey(u"pointerIdentifier"), lineCopy);
    // The sources keep their own connection and the page its sudden-termination count.
    EXPECT_EQ(rectangle->connections().size(), 1u);
    EXPECT_EQ(document.suddenTerminationDisabled, 0);

    for (const auto& alone : {rectangle, line}) {
        canvas->replaceSelectionWithShape(alone);
        const auto one = pf::readShapeRecord(canvas->plistCopyFromSelectedShapesAndConnections());
        ASSERT_TRUE(one);
        EXPECT_EQ(one->shapes.size(), 1u);
        EXPECT_TRUE(one->connections.empty());
    }
}

TEST_F(CanvasClipboardTest, TwoPastesMakeTwoSeparateSetsAndOneUndoTakesOneAway)
{
    connectLineToRectangle();
    canvas->replaceSelectionWithShapes({rectangle, line, group});
    const pf::Value record = canvas->plistCopyFromSelectedShapesAndConnections();
    const pf::Value untouched = record;
    const std::size_t before = pageShapes().size();

    const auto first = canvas->handlePasteShapeData(record, true);
    endTurn();
    const auto second = canvas->handlePasteShapeData(record, true);
    endTurn();
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(record, untouched);
    const auto selected = canvas->selectedShapes();
    EXPECT_EQ(std::set<std::shared_ptr<Shape>>(selected.begin(), selected.end()),
              std::set<std::shared_ptr<Shape>>(second.begin(), second.end()));

    // Every identifier on the page, nested ones too, is its own, and each registers its own shape.
    std::set<QString> identifiers;
    std::size_t shapes = 0;
    std::function<void(const Shape&)> collect = [&](const Shape& shape) {
        identifiers.insert(shape.identifier());
        ++shapes;
        EXPECT_EQ(page->shapeForIdentifier(shape.identifier()).get(), &shape);
        if (const auto* g = dynamic_cast<const Group*>(&shape))
            for (const auto& child : g->children())
                collect(*child);
    };
    for (const auto& shape : pageShapes())
        collect(*shape);
    EXPECT_EQ(identifiers.size(), shapes);

    // Each set's arrow is tied to its own box.
    for (const auto* set : {&first, &second}) {
        const auto& box = (*set)[0];
        const auto& arrow = (*set)[1];
        ASSERT_EQ(box->connections().size(), 1u);
        const auto c = std::dynamic_pointer_cast<Connection>(box->connections().front());
        ASSERT_TRUE(c);
        EXPECT_EQ(c->pointer(), arrow.get());
    }

    undo.undo();
    endTurn();
    EXPECT_EQ(pageShapes().size(), before + 3);
    for (const auto& shape : second)
        EXPECT_FALSE(shape->composition());
}

TEST_F(CanvasClipboardTest, APasteIsCentredOnTheLastPressOrElseOnThePage)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    const pf::Value record = canvas->plistCopyFromSelectedShapesAndConnections();
    // The block spans (100, 100) to (380, 180): 280 x 80.
    const auto centred = canvas->handlePasteShapeData(record, true);
    ASSERT_EQ(centred.size(), 2u);
    EXPECT_EQ(centred[0]->frame(), pf::Rect(400 - 140, 300 - 40, 100, 60));
    EXPECT_EQ(centred[1]->frame(), pf::Rect(400 + 60, 300 - 40, 80, 80));

    canvas->setDragStartCanvasPoint(viewPoint(pf::Point(200, 500)));
    const auto atPress = canvas->handlePasteShapeData(record, true);
    ASSERT_EQ(atPress.size(), 2u);
    EXPECT_EQ(atPress[0]->frame().origin, pf::Point(200 - 140, 500 - 40));
}

TEST_F(CanvasClipboardTest, DuplicatesStandJustAboveTheirSourcesOnTheirFramesWhateverTheGrid)
{
    // Off the grid on purpose: the duplicates must not snap.
    const auto a = rectangle;
    a->setFrame(pf::Rect(13, 17, 31, 29));
    auto b = addShape("Ellipse", pf::Rect(211, 93, 47, 21));
    page->setGridEnabled(true);
    ASSERT_NE(page->gridAlignedPointForPoint(b->frame().origin), b->frame().origin);
    endTurn();
    undo.removeAllActions();
    const std::size_t aIndex = page->indexOfShape(a.get());
    const std::size_t bIndex = page->indexOfShape(b.get());
    ASSERT_LT(aIndex + 1, bIndex);

    canvas->replaceSelectionWithShapes({b, a});
    canvas->duplicate();
    endTurn();
    auto copies = canvas->selectedShapes();
    ASSERT_EQ(copies.size(), 2u);
    if (copies[0]->frame() != a->frame())
        std::swap(copies[0], copies[1]);
    EXPECT_EQ(page->indexOfShape(copies[0].get()), aIndex + 1);
    EXPECT_EQ(page->indexOfShape(copies[1].get()), bIndex + 2); // above B, which moved up by A's copy
    EXPECT_EQ(copies[0]->frame(), a->frame());
    EXPECT_EQ(copies[1]->frame(), b->frame());
    EXPECT_TRUE(page->isGridEnabled());
    EXPECT_FALSE(page->isDuplicating());

    // One step, and not one of the grid's.
    EXPECT_EQ(undo.undoActionName().contains(QStringLiteral("Grid")), false);
    undo.undo();
    endTurn();
    EXPECT_FALSE(copies[0]->composition());
    EXPECT_FALSE(copies[1]->composition());
    EXPECT_FALSE(undo.canUndo());
    EXPECT_TRUE(page->isGridEnabled());
}

TEST_F(CanvasClipboardTest, BadEntriesAreSkippedAndTheRestPasted)
{
    const pf::Rect frame(10, 10, 30, 30);
    struct Case {
        const char* what;
        pf::Value::Array shapes;
        QStringList peers;
        pf::Value::Array connections;
        std::size_t pasted;
    };
    pf::Value dangling = pf::Value::dictionary();
    dangling.set(QStringLiteral("shapeIdentifier"), QStringLiteral("box"));
    dangling.set(QStringLiteral("pointerIdentifier"), rectangle->identifier()); // a shape not in the record
    pf::Value joined = dangling;
    joined.set(QStringLiteral("pointerIdentifier"), QStringLiteral("arrow"));
    const Case cases[] = {
        {"unknown class", {shapeEntry("NoSuchShape", "x", frame), shapeEntry("Rectangle", "box", frame)},
         {"p1", "p2"}, {}, 1},
        {"selection class", {shapeEntry("Manipulator", "m", frame), shapeEntry("Rectangle", "box", frame)}, {}, {}, 1},
        {"page class", {shapeEntry("Composition", "c", frame), shapeEntry("Rectangle", "box", frame)}, {}, {}, 1},
        {"dangling connection", {shapeEntry("Rectangle", "box", frame)}, {}, {dangling}, 1},
        {"connection to a skipped entry",
         {shapeEntry("Rectangle", "box", frame), shapeEntry("NoSuchShape", "arrow", frame)}, {}, {joined}, 1},
        {"peers of another length", {shapeEntry("Rectangle", "box", frame), shapeEntry("Ellipse", "e", frame)},
         {rectangle->identifier()}, {}, 2},
        {"nothing pastable", {shapeEntry("NoSuchShape", "x", frame)}, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        beeps = 0;
        const std::size_t shapesBefore = pageShapes().size();
        const std::size_t connectionsBefore = page->pageConnections().size();
        pf::ShapeRecord record{c.shapes, c.peers, c.connections};
        const auto pasted = canvas->handlePasteShapeData(record.toPropertyList(), false);
        EXPECT_EQ(pasted.size(), c.pasted);
        EXPECT_EQ(pageShapes().size(), shapesBefore + c.pasted);
        EXPECT_EQ(page->pageConnections().size(), connectionsBefore);
        EXPECT_EQ(beeps, c.pasted == 0 ? 1 : 0);
        for (const auto& shape : pasted)
            EXPECT_FALSE(shape->isManipulator());
        // Peers of another length are ignored: the copies go on top, not above the rectangle.
        if (c.peers.size() == 1) {
            EXPECT_EQ(page->indexOfShape(pasted[0].get()), page->children().size() - 3);
        }
    }
    EXPECT_FALSE(logged.isEmpty());

    // A record that is not one at all: nothing, a beep and the reason.
    beeps = 0;
    logged.clear();
    EXPECT_TRUE(canvas->handlePasteShapeData(pf::Value(QStringLiteral("shapes")), true).empty());
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(logged.size(), 1);
}

TEST_F(CanvasClipboardTest, CopyOffersTheRecordAndAPictureOfTheSelection)
{
    rectangle->setFillColor(pf::Color(1, 0, 0, 1));
    rectangle->setStrokeType(3);
    canvas->replaceSelectionWithShape(rectangle);
    canvas->copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    const QStringList formats = data->formats();
    EXPECT_TRUE(formats.contains(QStringLiteral("image/png")));
    EXPECT_TRUE(formats.contains(pf::mimeTypeForPasteboardType(pf::PasteboardType::shape)));
    EXPECT_LT(formats.indexOf(pf::mimeTypeForPasteboardType(pf::PasteboardType::shape)),
              formats.indexOf(QStringLiteral("image/png")));
    const QImage picture = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    ASSERT_FALSE(picture.isNull());
    const double ratio = picture.width() / 100.0;
    EXPECT_NEAR(picture.height(), 60 * ratio, ratio);
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(255, 0, 0));
    EXPECT_FALSE(page->isExporting());
    EXPECT_EQ(beeps, 0);

    // Pasting it back gives shapes, not a picture.
    const std::size_t before = pageShapes().size();
    canvas->paste();
    endTurn();
    EXPECT_EQ(pageShapes().size(), before + 1);
    EXPECT_FALSE(pageShapes().back()->isImage());

    auto failing = Shape::make<ThrowingBox>(pf::Rect(10, 10, 20, 20));
    page->addShape(failing);
    canvas->replaceSelectionWithShape(failing);
    EXPECT_THROW(canvas->copy(), std::runtime_error);
    EXPECT_FALSE(page->isExporting());
}

TEST_F(CanvasClipboardTest, CutAndCopyBeepWhenTheyDoNotApply)
{
    rectangle->setLocked(true);
    canvas->replaceSelectionWithShape(rectangle);
    canvas->copy();
    canvas->cut();
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(rectangle->composition());

    rectangle->setLocked(false);
    canvas->replaceSelectionWithShape(rectangle);
    canvas->cut();
    endTurn();
    EXPECT_FALSE(rectangle->composition());
    EXPECT_TRUE(pf::Pasteboard::general().hasType(pf::PasteboardType::shape));
}

TEST_F(CanvasClipboardTest, TheClipboardAsOtherProgramsFillIt)
{
    const QByteArray png = imageBytes(Qt::green, "PNG");
    const QByteArray tiff = imageBytes(Qt::blue, "TIFF");
    struct Case {
        const char* what;
        std::map<QString, QByteArray> formats;
        bool shapes;
        std::int64_t imageType;
        QByteArray stored; // empty: what was offered, converted
    };
    canvas->replaceSelectionWithShape(ellipse);
    const QByteArray record = *pf::writePropertyList(canvas->plistCopyFromSelectedShapesAndConnections()).data;
    const QString shapeMime = pf::mimeTypeForPasteboardType(pf::PasteboardType::shape);
    const Case cases[] = {
        {"shapes and PNG", {{shapeMime, record}, {"image/png", png}}, true, -1, {}},
        {"TIFF and PNG", {{"image/tiff", tiff}, {"image/png", png}}, false, 0, tiff},
        {"PNG alone", {{"image/png", png}}, false, 1, png},
        {"JPEG alone", {{"image/jpeg", imageBytes(Qt::red, "JPEG")}}, false, 1, {}},
        {"BMP alone", {{"image/bmp", imageBytes(Qt::red, "BMP")}}, false, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        canvas->selectNone();
        auto* data = new QMimeData;
        for (const auto& [mime, bytes] : c.formats)
            data->setData(mime, bytes);
        putOnClipboard(data);
        const std::size_t before = pageShapes().size();
        canvas->paste();
        endTurn();
        ASSERT_EQ(pageShapes().size(), before + 1);
        const auto pasted = pageShapes().back();
        EXPECT_EQ(pasted->isImage(), !c.shapes);
        if (c.shapes)
            continue;
        EXPECT_EQ(pasted->imageType(), c.imageType);
        const auto stored = document.images.find(pasted->imageIdentifier());
        ASSERT_NE(stored, document.images.end());
        if (!c.stored.isEmpty())
            EXPECT_EQ(stored->second.bytes, c.stored);
        else
            EXPECT_TRUE(stored->second.bytes.startsWith("\x89PNG"));
    }
    EXPECT_EQ(beeps, 0);
}

// A shape names its picture by an identifier of its document's store: the record carries the bytes, and
// the document pasted into takes each picture in once, under the same name when that is free there or holds
// the same bytes, else under a new one the pasted shapes then show.
TEST_F(CanvasClipboardTest, PicturesTravelWithTheirShapesAndArriveOnceUnderAFreeName)
{
    const QByteArray red = imageBytes(Qt::red, "PNG");
    const QByteArray blue = imageBytes(Qt::blue, "PNG");
    const auto provide = [&](const QByteArray& bytes) {
        QString identifier;
        document.provisionImageWithData(bytes, [&](const QString& id, const QString&) { identifier = id; });
        endTurn();
        return identifier;
    };
    const QString picture = provide(red);
    const QString nested = provide(blue);
    page->addShape(Image::imageWithImage(document.imageForIdentifier(picture), picture, 1));
    const auto image = pageShapes().back();
    // A picture fill inside a group travels too.
    static_cast<const Parent&>(*group).children().front()->setImageIdentifier(nested);
    canvas->replaceSelectionWithShapes({image, group});
    send("copy:");

    // The record keeps its keys and adds the pictures' bytes and types.
    const QString shapeMime = pf::mimeTypeForPasteboardType(pf::PasteboardType::shape);
    const QByteArray copied = QGuiApplication::clipboard()->mimeData()->data(shapeMime);
    const pf::Value record = *pf::readPropertyList(copied).value;
    for (const char* key : {"shapes", "peerIds", "connections"})
        EXPECT_TRUE(record.objectForKey(key).isArray()) << key;
    const pf::Value& images = record.objectForKey("images");
    ASSERT_EQ(images.asDictionary().size(), 2u);
    EXPECT_EQ(images.objectForKey(picture).dataForKey("data"), red);
    EXPECT_EQ(images.objectForKey(picture).stringForKey("type"), pf::PasteboardType::png);
    EXPECT_EQ(images.objectForKey(nested).dataForKey("data"), blue);

    enum Arrival { SameName, NewName, Missing };
    struct Case {
        const char* what;
        const char* action;
        bool otherDocument;
        std::function<void(FakeCanvasDocument&)> holding; // what the target holds before
        std::function<void(pf::Value&)> recordChange;     // the record as another program or version gives it
        Arrival arrival;
        std::size_t storedAfter; // pictures the target holds after
    };
    const auto nothing = [](auto&) {};
    const Case cases[] = {
        {"pasted into the same document", "paste:", false, nothing, nothing, SameName, 2},
        {"duplicated", "duplicate:", false, nothing, nothing, SameName, 2},
        {"pasted into a document without them", "paste:", true, nothing, nothing, SameName, 2},
        {"pasted into a document holding the same picture", "paste:", true,
         [&](FakeCanvasDocument& d) { d.images[picture] = {red, pf::Image::fromData(red), 1}; }, nothing, SameName, 2},
        {"pasted into a document holding other bytes under the name", "paste:", true,
         [&](FakeCanvasDocument& d) { d.images[picture] = {blue, pf::Image::fromData(blue), 1}; }, nothing, NewName, 3},
        {"pasted from a copy of an older version", "paste:", true, nothing,
         [](pf::Value& r) { r.remove("images"); }, Missing, 0},
        {"pasted with bytes that are no picture", "paste:", true, nothing,
         [&](pf::Value& r) {
             pf::Value junk = pf::Value::dictionary();
             junk.set("data", QByteArray("no picture"));
             pf::Value pictures = r.objectForKey("images");
             pictures.set(picture, junk);
             pictures.set(nested, junk);
             r.set("images", pictures);
         },
         Missing, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeCanvasDocument other;
        FakeCanvasDocument& target = c.otherDocument ? other : document;
        c.holding(target);
        windowServices.documentShown = owner.document = &target;
        std::map<QString, FakeCanvasDocument::StoredImage> before = target.images;
        pf::Value changed = record;
        c.recordChange(changed);
        auto* data = new QMimeData;
        data->setData(shapeMime, *pf::writePropertyList(changed).data);
        putOnClipboard(data);
        canvas->replaceSelectionWithShapes({image, group});
        send(c.action);

        const auto pasted = canvas->selectedShapes();
        ASSERT_EQ(pasted.size(), 2u);
        const auto pastedNested = static_cast<const Parent&>(*pasted.back()).children().front();
        const QString shown = pasted.front()->imageIdentifier();
        EXPECT_EQ(shown == picture, c.arrival != NewName);
        EXPECT_EQ(pastedNested->imageIdentifier(), nested);
        EXPECT_EQ(pasted.front()->isMissingImage(), c.arrival == Missing);
        EXPECT_EQ(pastedNested->image().isNull(), c.arrival == Missing);
        EXPECT_EQ(target.images.size(), c.storedAfter);
        if (c.arrival != Missing) {
            EXPECT_EQ(target.images.at(shown).bytes, red);
            EXPECT_EQ(target.images.at(shown).count, before.count(shown) ? before.at(shown).count + 1 : 1);
            EXPECT_EQ(target.images.at(nested).bytes, blue);
        }
        // A picture held before under the name is left as it was.
        if (c.arrival == NewName) {
            EXPECT_EQ(target.images.at(picture).bytes, blue);
        }
        windowServices.documentShown = owner.document = &document;
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(CanvasClipboardTest, CopiedFilesArePlacedAsADropAtThePastePoint)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString a = write(QStringLiteral("a.png"), imageBytes(Qt::green, "PNG", {40, 20}));
    const QString photo = write(QStringLiteral("photo.JPG"), imageBytes(Qt::red, "JPEG", {40, 20}));
    const QString text = write(QStringLiteral("notes.txt"), QByteArray("not a picture"));

    canvas->setDragStartCanvasPoint(viewPoint(pf::Point(300, 200)));
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text), QUrl::fromLocalFile(photo)});
    putOnClipboard(data);
    const std::size_t before = pageShapes().size();
    canvas->paste();
    endTurn();
    const auto shapes = pageShapes();
    ASSERT_EQ(shapes.size(), before + 2);
    EXPECT_EQ(shapes[before]->frame(), pf::Rect(280, 190, 40, 20));
    EXPECT_EQ(shapes[before + 1]->frame(), pf::Rect(290, 200, 40, 20));
    EXPECT_EQ(shapes[before + 1]->imageType(), 2);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(document.images.size(), 2u);
    EXPECT_EQ(document.images.count(QStringLiteral("notes.txt")), 0u);
    EXPECT_EQ(page->frame().size, pf::Size(800, 600));
    EXPECT_EQ(document.suddenTerminationDisabled, 0);

    // A file manager's own list, alone.
    auto* gnome = new QMimeData;
    gnome->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + QUrl::fromLocalFile(a).toEncoded());
    putOnClipboard(gnome);
    canvas->paste();
    endTurn();
    EXPECT_EQ(pageShapes().size(), before + 3);
}

TEST_F(CanvasClipboardTest, PastedStyleOnThreeShapesIsOneUndo)
{
    rectangle->setFillColor(pf::Color(0, 0, 1, 1));
    canvas->replaceSelectionWithShape(rectangle);
    canvas->copyStyle();
    endTurn();
    undo.removeAllActions();
    auto other = addShape("Rectangle", pf::Rect(600, 400, 20, 20));
    const std::vector<std::shared_ptr<Shape>> targets{ellipse, line, other};
    std::vector<pf::OptionalColor> before;
    for (const auto& shape : targets)
        before.push_back(shape->fillColor());
    endTurn();
    undo.removeAllActions();

    canvas->replaceSelectionWithShapes({ellipse, line, other});
    ASSERT_TRUE(canvas->canPasteStyle());
    canvas->pasteStyle();
    endTurn();
    for (const auto& shape : {ellipse, other})
        EXPECT_EQ(shape->fillColor(), pf::OptionalColor(pf::Color(0, 0, 1, 1)));
    EXPECT_EQ(document.suddenTerminationDisabled, 0);

    undo.undo();
    endTurn();
    for (std::size_t i = 0; i < targets.size(); ++i)
        EXPECT_EQ(targets[i]->fillColor(), before[i]);
    EXPECT_FALSE(undo.canUndo());

    // A group copies no style, and a broken style record is refused.
    canvas->replaceSelectionWithShape(group);
    EXPECT_FALSE(canvas->canCopyStyle());
    auto* broken = new QMimeData;
    broken->setData(pf::mimeTypeForPasteboardType(pf::PasteboardType::shapeStyle),
                    "<plist><dict><key>textFontSize</key><real>-3</real></dict></plist>");
    putOnClipboard(broken);
    canvas->replaceSelectionWithShape(ellipse);
    canvas->pasteStyle();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(ellipse->fillColor(), before[0]);
}

TEST_F(CanvasClipboardTest, AnOptionDragMovesCopiesAndOneUndoTakesThemAway)
{
    const pf::Rect start = rectangle->frame();
    const std::size_t before = pageShapes().size();
    drag(pf::Point(150, 130), pf::Point(250, 230), Qt::AltModifier);
    endTurn();
    EXPECT_EQ(rectangle->frame(), start);
    ASSERT_EQ(pageShapes().size(), before + 1);
    ASSERT_EQ(canvas->selectedShapes().size(), 1u);
    const auto copy = canvas->selectedShapes().front();
    EXPECT_NE(copy, rectangle);
    EXPECT_EQ(copy->frame(), pf::Rect(200, 200, 100, 60));
    // Just above its source.
    EXPECT_EQ(page->indexOfShape(copy.get()), page->indexOfShape(rectangle.get()) + 1);
    EXPECT_EQ(canvas->shownCursor(), pf::Cursor::arrow());

    undo.undo();
    endTurn();
    EXPECT_EQ(pageShapes().size(), before);
    EXPECT_FALSE(copy->composition());
    EXPECT_EQ(rectangle->frame(), start);
    EXPECT_FALSE(undo.canUndo());
}
