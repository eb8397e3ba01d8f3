// Drops onto the canvas as Qt delivers them from other programs and from the library: library entries at
// the zoom, pictures as data and as files, colours onto shapes, and what the drop answers (a source that
// deletes after a successful move must never lose what we did not take).
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "platform/foundation/PropertyList.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Services.h"
#include "platform/text/AttributedString.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QByteArray dataFile(const char* name)
{
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/drops/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

QByteArray libraryEntry(const QString& className)
{
    pf::Value entry = pf::Value::dictionary();
    entry.set(QStringLiteral("className"), className);
    entry.set(QStringLiteral("frame"), QStringLiteral("{{0, 0}, {1, 1}}"));
    entry.set(QStringLiteral("passedThrough"), QStringLiteral("kept"));
    return *pf::writePropertyList(entry).data;
}

pf::Point centre(const pf::Rect& r)
{
    return {r.midX(), r.midY()};
}

} // namespace

class CanvasDropsTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
        windowServices.documentShown = &document;
        ASSERT_TRUE(dir.isValid());
    }

    // The answer to the last move of a drag over the page point (Qt's accepted action, or ignore).
    Qt::DropAction moveOver(QMimeData& data, const pf::Point& pagePoint, Qt::DropActions actions)
    {
        const QPoint at = viewPoint(pagePoint).toQt().toPoint();
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &move);
        return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    }
    void enter(QMimeData& data, const pf::Point& pagePoint, Qt::DropActions actions)
    {
        QDragEnterEvent e(viewPoint(pagePoint).toQt().toPoint(), actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &e);
    }
    // Another program's drag entering, moving to the page point and dropped there; whether the drop was
    // taken. The document's completions run on the next turn.
    bool drop(QMimeData& data, const pf::Point& pagePoint, Qt::DropActions actions = Qt::CopyAction)
    {
        enter(data, pagePoint, actions);
        moveOver(data, pagePoint, actions);
        QDropEvent e(viewPoint(pagePoint).toQt(), actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &e);
        endTurn();
        return e.isAccepted();
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    std::unique_ptr<QMimeData> filesDrag(const QStringList& paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data->setUrls(urls);
        return data;
    }

    QTemporaryDir dir;
    int beeps = 0;
    QStringList logged;
    QStringList alerts;
    pf::ScopedBeepSink beepSink{[this] { ++beeps; }};
    pf::ScopedLogSink logSink{[this](const QString& m) { logged << m; }};
    pf::ScopedAlertSink alertSink{[this](const pf::Alert& a) {
        alerts << a.messageText + QStringLiteral(": ") + a.informativeText;
        return 0;
    }};
};

TEST_F(CanvasDropsTest, ALibraryEntryAtZoomTwoGetsHalfItsDefaultSizeCentredOnTheDropPoint)
{
    std::int64_t index = 0;
    while (Composition::zoomScaleForIndex(index) != 2.0 && index < 64)
        ++index;
    ASSERT_EQ(Composition::zoomScaleForIndex(index), 2.0);
    page->setZoomScaleIndex(index);
    endTurn();

    QMimeData data;
    data.setData(pf::mimeTypeForPasteboardType(pf::PasteboardType::shapeInfo), libraryEntry("Rectangle"));
    enter(data, pf::Point(200, 150), Qt::CopyAction);
    EXPECT_EQ(moveOver(data, pf::Point(200, 150), Qt::CopyAction), Qt::CopyAction);
    const std::size_t before = pageShapes().size();
    ASSERT_TRUE(drop(data, pf::Point(200, 150)));
    ASSERT_EQ(pageShapes().size(), before + 1);
    const auto added = pageShapes().back();
    EXPECT_EQ(added->frame(), pf::Rect(175, 125, 50, 50)); // the default 100 x 100 halved
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{added});
}

TEST_F(CanvasDropsTest, LibraryEntriesNamingNoShapeKindAreRefused)
{
    const std::size_t before = pageShapes().size();
    for (const QByteArray& entry : {libraryEntry("NoSuchKind"), libraryEntry("Composition"), QByteArray("<plist>")}) {
        QMimeData data;
        data.setData(pf::mimeTypeForPasteboardType(pf::PasteboardType::shapeInfo), entry);
        EXPECT_FALSE(drop(data, pf::Point(200, 150))) << entry.constData();
    }
    EXPECT_EQ(pageShapes().size(), before);
    EXPECT_EQ(beeps, 3);
}

TEST_F(CanvasDropsTest, ThreeFilesCascadeFromTheFirstCentredOnTheDropPoint)
{
    const QByteArray jpeg = dataFile("photo.jpg"); // 30 x 20
    const QString a = write(QStringLiteral("a.jpg"), jpeg);
    const QString b = write(QStringLiteral("b.JPEG"), jpeg);
    const QString c = write(QStringLiteral("c.Png"), pngBytes(Qt::red));
    const auto data = filesDrag({a, b, c});
    enter(*data, pf::Point(300, 250), Qt::CopyAction);
    EXPECT_EQ(moveOver(*data, pf::Point(300, 250), Qt::CopyAction), Qt::CopyAction);
    const std::size_t before = pageShapes().size();
    ASSERT_TRUE(drop(*data, pf::Point(300, 250)));
    const auto shapes = pageShapes();
    ASSERT_EQ(shapes.size(), before + 3);
    EXPECT_EQ(shapes[before]->frame(), pf::Rect(285, 240, 30, 20));
    EXPECT_EQ(shapes[before + 1]->frame().origin, pf::Point(295, 250));
    EXPECT_EQ(shapes[before + 2]->frame().origin, pf::Point(305, 260));
    EXPECT_EQ(shapes[before]->imageType(), 2);
    EXPECT_EQ(shapes[before + 1]->imageType(), 2);
    EXPECT_EQ(shapes[before + 2]->imageType(), 1);
    EXPECT_EQ(page->frame().size, pf::Size(800, 600));
    EXPECT_EQ(document.suddenTerminationDisabled, 0);
    EXPECT_EQ(beeps, 0);
}

TEST_F(CanvasDropsTest, AFileDroppedAtTheViewOriginDoesNotResizeThePage)
{
    const auto data = filesDrag({write(QStringLiteral("a.jpg"), dataFile("photo.jpg"))});
    const pf::Point origin = canvas->convertPointToComposition(pf::Point(0, 0));
    ASSERT_TRUE(drop(*data, origin));
    EXPECT_EQ(page->frame().size, pf::Size(800, 600));
    EXPECT_EQ(pageShapes().back()->frame(), pf::Rect(origin.x - 15, origin.y - 10, 30, 20));
}

TEST_F(CanvasDropsTest, APictureOpenedAsANewPageGivesThePageItsSize)
{
    canvas->addImageAndResizeForFileAtPath(write(QStringLiteral("photo.JPG"), dataFile("photo.jpg")));
    endTurn();
    EXPECT_EQ(page->frame().size, pf::Size(30, 20));
    EXPECT_EQ(pageShapes().back()->frame(), pf::Rect(0, 0, 30, 20));
    EXPECT_EQ(pageShapes().back()->imageType(), 2);
}

TEST_F(CanvasDropsTest, FilesThatAreNoPicturesBeepAndStoreNothing)
{
    const std::size_t before = pageShapes().size();
    const QString text = write(QStringLiteral("notes.txt"), "not a picture");
    const QString fake = write(QStringLiteral("fake.png"), "not a picture either");
    EXPECT_FALSE(drop(*filesDrag({text}), pf::Point(300, 250)));
    EXPECT_EQ(beeps, 1);
    // The extension says picture: the drop is taken, the store refuses the bytes later.
    drop(*filesDrag({fake}), pf::Point(300, 250));
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(pageShapes().size(), before);
    EXPECT_TRUE(document.images.empty());

    // A list naming only web addresses has nothing to place: refused from the first move.
    QMimeData remote;
    remote.setData(QStringLiteral("text/uri-list"), "https://example.org/a.png\r\n");
    enter(remote, pf::Point(300, 250), Qt::CopyAction);
    EXPECT_EQ(moveOver(remote, pf::Point(300, 250), Qt::CopyAction), Qt::IgnoreAction);
}

TEST_F(CanvasDropsTest, AFileManagersUriListWithAnAccentedCapitalisedName)
{
    write(QStringLiteral("été 1.JPG"), dataFile("photo.jpg"));
    QByteArray list = dataFile("files.uri-list");
    list.replace("@DIR@", QUrl::fromLocalFile(dir.path()).toEncoded().mid(int(qstrlen("file://"))));
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), list);
    ASSERT_TRUE(drop(data, pf::Point(300, 250)));
    ASSERT_EQ(document.images.count(QStringLiteral("été 1.JPG")), 1u);
    EXPECT_EQ(pageShapes().back()->imageIdentifier(), QStringLiteral("été 1.JPG"));
    EXPECT_EQ(pageShapes().back()->imageType(), 2);
}

TEST_F(CanvasDropsTest, ADroppedFileOfTheSameNameButOtherBytesIsStoredApart)
{
    const QString first = write(QStringLiteral("photo.png"), pngBytes(Qt::red));
    ASSERT_TRUE(drop(*filesDrag({first}), pf::Point(300, 250)));
    QDir(dir.path()).mkdir(QStringLiteral("other"));
    const QString second = write(QStringLiteral("other/photo.png"), pngBytes(Qt::blue));
    ASSERT_TRUE(drop(*filesDrag({second}), pf::Point(300, 250)));
    const auto shapes = pageShapes();
    const QString a = shapes[shapes.size() - 2]->imageIdentifier();
    const QString b = shapes.back()->imageIdentifier();
    EXPECT_EQ(a, QStringLiteral("photo.png"));
    EXPECT_NE(a, b);
    EXPECT_EQ(document.images.at(b).bytes, pngBytes(Qt::blue));
}

TEST_F(CanvasDropsTest, EachPictureDataTypeGivesOneImageShape)
{
    struct Case {
        const char* mime;
        QByteArray bytes;
        std::int64_t type;
        bool storedAsOffered;
    };
    const Case cases[] = {
        {"image/png", pngBytes(Qt::green), 1, true},
        {"image/tiff", [] {
             QByteArray bytes;
             QBuffer buffer(&bytes);
             buffer.open(QIODevice::WriteOnly);
             QImage(4, 3, QImage::Format_RGB32).save(&buffer, "TIFF");
             return bytes;
         }(),
         0, true},
        {"image/jpeg", dataFile("photo.jpg"), 2, true},
        {"image/gif", dataFile("pixel.gif"), 4, true},
        {"image/bmp", dataFile("picture.bmp"), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mime);
        QMimeData data;
        data.setData(QString::fromLatin1(c.mime), c.bytes);
        const std::size_t before = pageShapes().size();
        ASSERT_TRUE(drop(data, pf::Point(300, 250)));
        ASSERT_EQ(pageShapes().size(), before + 1);
        const auto added = pageShapes().back();
        EXPECT_EQ(added->imageType(), c.type);
        const QByteArray& stored = document.images.at(added->imageIdentifier()).bytes;
        if (c.storedAsOffered)
            EXPECT_EQ(stored, c.bytes);
        else
            EXPECT_TRUE(stored.startsWith("\x89PNG"));
    }
    // Data that does not decode is passed over for the next type; none decoding is refused.
    QMimeData broken;
    broken.setData(QStringLiteral("image/png"), "not a picture");
    broken.setData(QStringLiteral("image/gif"), dataFile("pixel.gif"));
    ASSERT_TRUE(drop(broken, pf::Point(300, 250)));
    EXPECT_EQ(pageShapes().back()->imageType(), 4);
    QMimeData nothing;
    nothing.setData(QStringLiteral("image/png"), "not a picture");
    EXPECT_FALSE(drop(nothing, pf::Point(300, 250)));
}

TEST_F(CanvasDropsTest, AColourRecoloursTheShapeUnderItOrNearIt)
{
    auto connector = addShape("Line", pf::Rect(500, 450, 100, 40));
    auto text = addShape("Text", pf::Rect(100, 450, 120, 40));
    text->setStrokeType(3);
    pf::MutableAttributedString words(QStringLiteral("Words"));
    text->setAttributedText(words);
    endTurn();
    const pf::Color orange(1, 32768 / 65535.0, 0, 1);

    QMimeData data;
    data.setData(QStringLiteral("application/x-color"), dataFile("colour.x-color")); // as GTK programs write it
    // Beside the rectangle, over empty page: the shape near the point takes the colour.
    ASSERT_TRUE(drop(data, pf::Point(98, 130)));
    EXPECT_EQ(rectangle->fillColor(), orange);
    ASSERT_TRUE(drop(data, centre(connector->frame())));
    EXPECT_EQ(connector->strokeColor(), orange);
    ASSERT_TRUE(drop(data, centre(text->frame())));
    ASSERT_TRUE(text->attributedText());
    EXPECT_EQ(text->attributedText()->attributesAtIndex(0).foregroundColor, orange);
    EXPECT_EQ(text->attributedText()->attributesAtIndex(4).foregroundColor, orange);

    // Decoded already by Qt, the same.
    QMimeData decoded;
    decoded.setColorData(QColor(0, 0, 255));
    ASSERT_TRUE(drop(decoded, centre(ellipse->frame())));
    EXPECT_EQ(ellipse->fillColor(), pf::Color(0, 0, 1, 1));

    // Away from every shape: refused, nothing changed.
    EXPECT_FALSE(drop(data, pf::Point(700, 560)));
}

TEST_F(CanvasDropsTest, OnlyTheShapeUnderAMovingColourDragIsMarked)
{
    QMimeData data;
    data.setColorData(QColor(Qt::red));
    enter(data, centre(rectangle->frame()), Qt::CopyAction);
    EXPECT_EQ(moveOver(data, centre(rectangle->frame()), Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(canvas->snappedSet(), Canvas::Shapes{rectangle});
    EXPECT_EQ(moveOver(data, centre(ellipse->frame()), Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(canvas->snappedSet(), Canvas::Shapes{ellipse});
    EXPECT_EQ(moveOver(data, pf::Point(700, 560), Qt::CopyAction), Qt::IgnoreAction);
    EXPECT_TRUE(canvas->snappedSet().empty());
    moveOver(data, centre(ellipse->frame()), Qt::CopyAction);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(canvas, &leave);
    EXPECT_TRUE(canvas->snappedSet().empty());
}

TEST_F(CanvasDropsTest, MovedShapesAndMoveOnlyPicturesAreNotTaken)
{
    canvas->replaceSelectionWithShape(ellipse);
    const QByteArray record = *pf::writePropertyList(canvas->plistCopyFromSelectedShapesAndConnections()).data;
    canvas->selectNone();
    const std::size_t before = pageShapes().size();

    QMimeData shapes;
    shapes.setData(pf::mimeTypeForPasteboardType(pf::PasteboardType::shape), record);
    enter(shapes, pf::Point(300, 250), Qt::MoveAction);
    EXPECT_EQ(moveOver(shapes, pf::Point(300, 250), Qt::MoveAction), Qt::MoveAction);
    EXPECT_FALSE(drop(shapes, pf::Point(300, 250), Qt::MoveAction));

    // A file manager moving a file: it would delete the original on YES.
    const auto file = filesDrag({write(QStringLiteral("a.png"), pngBytes(Qt::red))});
    EXPECT_FALSE(drop(*file, pf::Point(300, 250), Qt::MoveAction));
    EXPECT_EQ(pageShapes().size(), before);
    EXPECT_TRUE(document.images.empty());
}

TEST_F(CanvasDropsTest, AChosenPictureGoesIntoTheSelectedShapes)
{
    auto picture = addShape("Image", pf::Rect(100, 400, 10, 10));
    canvas->replaceSelectionWithShape(picture);
    canvas->insertImageIntoSelectionForFileAtPath(write(QStringLiteral("photo.jpg"), dataFile("photo.jpg")));
    endTurn();
    EXPECT_EQ(picture->imageIdentifier(), QStringLiteral("photo.jpg"));
    EXPECT_EQ(picture->imageType(), 2);
    EXPECT_EQ(picture->frame().size, pf::Size(30, 20)); // an image shape takes its picture's size
    EXPECT_EQ(document.images.at(QStringLiteral("photo.jpg")).count, 1);
    undo.undo();
    EXPECT_TRUE(picture->imageIdentifier().isNull());

    // A file of no picture kind, and a picture file that is no picture: an alert each, nothing stored.
    canvas->insertImageIntoSelectionForFileAtPath(write(QStringLiteral("notes.txt"), "text"));
    canvas->insertImageIntoSelectionForFileAtPath(write(QStringLiteral("fake.png"), "text"));
    canvas->insertImageIntoSelectionForFileAtPath(dir.filePath(QStringLiteral("missing.png")));
    endTurn();
    ASSERT_EQ(alerts.size(), 3);
    for (const QString& alert : alerts)
        EXPECT_TRUE(alert.startsWith(QStringLiteral("Could not load image: "))) << alert.toStdString();
    EXPECT_EQ(document.images.size(), 1u);
}
