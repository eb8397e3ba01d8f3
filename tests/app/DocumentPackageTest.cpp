#include "app/DocumentFixture.h"
#include "canvas/support/CanvasFixture.h"
#include "app/RecordingTabHost.h"
#include "docs/DocsTestSupport.h"

#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "controls/ControlKinds.h"
#include "geometry/QVPropertyList.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/docs/PackageWriter.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Services.h"
#include "quicklook/PreviewGenerator.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <filesystem>

using namespace docs_test;

namespace {

const QString fixturePicture = "5B0C3E58-8C1A-4E7B-9D2F-3A6E1F0B7C41";

pf::Value parsedPlist(const QString& package)
{
    return QVPlistFromData(readFile(package + "/composition_data.plist"));
}

class DocumentPackageTest : public DocumentFixture {
protected:
    static void SetUpTestSuite() { registerControlKinds(pf::ClassRegistry::shared()); }

    void SetUp() override
    {
        Document::windowControllerFactory() = [](Document& document) {
            return std::make_shared<RecordingTabHost>(document);
        };
        setUpDocuments([this](const QString& path, QString*) {
            openedImages << path;
            return controller.newDocument();
        });
        package = copyFixturePackage();
        writeFile(dir.filePath("outside.txt"), "beside the package");
    }

    std::shared_ptr<Document> open(const QString& path, QString* error = nullptr)
    {
        QString why;
        auto document = std::dynamic_pointer_cast<Document>(controller.openDocumentAtPath(path, &why));
        if (error)
            *error = why;
        if (!document)
            return nullptr;
        document->undoManager().setGroupsByEvent(false);
        document->canvasWindowControllerDidLoadWindow();
        return document;
    }
    static RecordingTabHost& hostOf(const std::shared_ptr<Document>& document)
    {
        return static_cast<RecordingTabHost&>(*document->canvasWindowController());
    }
    // Provides a picture and answers its identifier once the completion ran.
    static QString provide(Document& document, const QByteArray& bytes, QString* error = nullptr)
    {
        QString identifier = "not called";
        document.provisionImageWithData(bytes, [&](const QString& id, const QString& why) {
            identifier = id;
            if (error)
                *error = why;
        });
        pf::drainMainQueue();
        return identifier;
    }
    static void finishBackgroundWork()
    {
        QThreadPool::globalInstance()->waitForDone();
        pf::drainMainQueue();
    }

    pf::VirtualClock clock;
    QString package;
    QStringList openedImages;
    pf::ScopedLogSink quiet{[](const QString&) {}};
};

} // namespace

TEST_F(DocumentPackageTest, RoundTrip)
{
    const auto unknownBefore = treeOf(package + "/Extra");
    const QByteArray notesBefore = readFile(package + "/notes.txt");
    const QByteArray pictureBefore = readFile(package + "/Resources/" + fixturePicture);

    auto document = open(package);
    ASSERT_TRUE(document);
    RecordingTabHost& host = hostOf(document);
    EXPECT_EQ(host.titles(), QStringList({"Home", "Settings"}));
    EXPECT_EQ(host.calls, QStringList({"add Home", "add Settings", "select 0", "reload"}));
    EXPECT_FALSE(document->isDocumentEdited());

    // Edits: a shape, a picture shown by a new shape, a page renamed.
    host.page(0)->addShape(Shape::make<Rectangle>(pf::Rect(10, 10, 50, 50)));
    const QString picture = provide(*document, pngBytes(qRgb(0, 128, 255)));
    ASSERT_EQ(picture.size(), 36);
    auto framed = Shape::make<Rectangle>(pf::Rect(100, 100, 40, 30));
    framed->setImageIdentifier(picture);
    host.page(1)->addShape(framed);
    host.models.at(1)->setTitle("Preferences");
    EXPECT_EQ(host.page(1)->title(), "Preferences");
    EXPECT_TRUE(document->isDocumentEdited());
    ASSERT_TRUE(document->saveDocument());
    EXPECT_FALSE(document->isDocumentEdited());

    const pf::Value saved = parsedPlist(package);
    EXPECT_EQ(saved.integerForKey("version"), 8);
    EXPECT_EQ(saved.objectForKey("image_ref_counts"),
              pf::Value(pf::Value::Dictionary{{fixturePicture, pf::Value(1)}, {picture, pf::Value(1)}}));
    EXPECT_EQ(readFile(package + "/Resources/" + fixturePicture), pictureBefore);
    EXPECT_EQ(readFile(package + "/Resources/" + picture), pngBytes(qRgb(0, 128, 255)));
    EXPECT_EQ(readFile(package + "/notes.txt"), notesBefore);
    EXPECT_EQ(treeOf(package + "/Extra"), unknownBefore);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"Fixture.quorveldoc", "outside.txt"}));

    // Reopened, the pages come back in tab order and write the same property list again.
    document->close();
    auto reopened = open(package);
    ASSERT_TRUE(reopened);
    RecordingTabHost& again = hostOf(reopened);
    EXPECT_EQ(again.titles(), QStringList({"Home", "Preferences"}));
    EXPECT_EQ(again.page(0)->children().size(), host.page(0)->children().size());
    EXPECT_EQ(reopened->imageRefCountTab(), (std::map<QString, std::int64_t>{{fixturePicture, 1}, {picture, 1}}));
    EXPECT_FALSE(reopened->imageForIdentifier(picture).isNull());
    const auto rewritten = reopened->compositionData(nullptr);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(QVPlistFromData(*rewritten), saved);
}

TEST_F(DocumentPackageTest, AFailedSaveLeavesThePackageAndTheEditedState)
{
    auto document = open(package);
    ASSERT_TRUE(document);
    RecordingTabHost& host = hostOf(document);
    host.page(0)->addShape(Shape::make<Rectangle>(pf::Rect(10, 10, 50, 50)));
    const auto before = treeOf(package);
    const auto entries = entriesOf(dir.path());
    QString error;

    // A title no property list can carry: serialising fails, and with it the save.
    host.models.at(1)->setTitle(QString("bad") + QChar(1));
    EXPECT_FALSE(document->saveToPath(package, document->fileType(), pf::Document::SaveOperation::Save, &error));
    EXPECT_TRUE(error.contains("could not be written")) << error.toStdString();
    host.models.at(1)->setTitle("fine");

    for (const auto stage : {pf::packageWriter::Stage::Write, pf::packageWriter::Stage::Sync,
                             pf::packageWriter::Stage::Swap}) {
        pf::ScopedPackageWriteFault fault(stage);
        EXPECT_FALSE(document->saveToPath(package, document->fileType(), pf::Document::SaveOperation::Save, &error));
    }
    EXPECT_EQ(treeOf(package), before);
    EXPECT_EQ(entriesOf(dir.path()), entries);
    EXPECT_TRUE(document->isDocumentEdited());
    // And the next save, without faults, still writes everything.
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(package + "/Resources/" + fixturePicture), readFile(QUORVEL_TEST_DATA "/package/Fixture.quorveldoc/Resources/" + fixturePicture));
    EXPECT_EQ(parsedPlist(package).arrayForKey("compositions").size(), 2u);
}

TEST_F(DocumentPackageTest, ASaveWritesThePagesAsTheyWereWhenItBegan)
{
    const QByteArray picture = readFile(package + "/Resources/" + fixturePicture);
    auto document = open(package);
    ASSERT_TRUE(document);
    RecordingTabHost& host = hostOf(document);
    auto box = Shape::make<Rectangle>(pf::Rect(10, 10, 50, 50));
    box->setFillColor(pf::Color(1, 0, 0, 1));
    host.page(0)->addShape(box);
    const QByteArray asked = *document->compositionData(nullptr);

    ASSERT_TRUE(document->saveDocument(pf::Document::SaveMode::Background));
    // The user goes on while the bytes are made and written: a style, a move, a new shape, a page renamed.
    box->setFillColor(pf::Color(0, 0, 1, 1));
    box->setFrame(pf::Rect(200, 200, 10, 10));
    host.page(0)->addShape(Shape::make<Rectangle>(pf::Rect(300, 300, 5, 5)));
    host.models.at(1)->setTitle("Renamed");
    finishBackgroundWork();
    EXPECT_EQ(readFile(package + "/composition_data.plist"), asked);
    EXPECT_TRUE(document->isDocumentEdited());
    // The package in memory follows the files to their new place: pictures still read, and the next save
    // links them again.
    EXPECT_EQ(document->imageDataForIdentifier(fixturePicture), picture);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"Fixture.quorveldoc", "outside.txt"}));

    ASSERT_TRUE(document->saveDocument(pf::Document::SaveMode::Background));
    finishBackgroundWork();
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(readFile(package + "/composition_data.plist"), *document->compositionData(nullptr));
    EXPECT_EQ(readFile(package + "/Resources/" + fixturePicture), picture);
    const pf::Value saved = parsedPlist(package);
    EXPECT_EQ(saved.arrayForKey("compositions").at(1).stringForKey("title"), "Renamed");
}

TEST_F(DocumentPackageTest, ALargePageIsWrittenInPiecesAsTheWholeBytesWouldBe)
{
    // Hundreds of kilobytes: the save hands them to the file in many pieces, and they are the bytes the
    // property-list writer makes of the same pages in one go.
    auto document = open(package);
    ASSERT_TRUE(document);
    RecordingTabHost& host = hostOf(document);
    for (int i = 0; i < 400; ++i) {
        auto box = Shape::make<Rectangle>(pf::Rect(i % 20 * 30.0, i / 20 * 30.0, 20 + i % 7, 20));
        box->setFillColor(pf::Color(i % 10 / 10.0, 0.5, 1, 1));
        box->setTitle(QStringLiteral("Box \u00e9 & %1").arg(i));
        host.page(i % 2)->addShape(box);
    }
    ASSERT_TRUE(document->saveDocument(pf::Document::SaveMode::Background));
    finishBackgroundWork();
    const QByteArray written = readFile(package + "/composition_data.plist");
    EXPECT_GT(written.size(), 512 * 1024);
    EXPECT_EQ(written, *document->compositionData(nullptr));
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentPackageTest, HostileIdentifiersNameNoFile)
{
    const QString beside = dir.filePath("outside.txt");
    const QStringList hostile = {"../outside.txt", beside, "a/b", "..", "", QString(300, 'x'),
                                 QString("A") + QChar(0) + "B", "."};
    pf::Value plist = parsedPlist(package);
    pf::Value counts = pf::Value::dictionary();
    for (const QString& identifier : hostile)
        if (!identifier.contains(QChar(0))) // no XML carries it
            counts.set(identifier, 0);
    counts.set(fixturePicture, 1);
    counts.set("COUNTED-AS-TEXT", "3");
    counts.set("COUNTED-AS-REAL", 2.5);
    plist.set("image_ref_counts", counts);
    writeFile(package + "/composition_data.plist", *QVDataFromPlist(plist));
    // Stored, so that their counts are read at all.
    for (const QString name : {"COUNTED-AS-TEXT", "COUNTED-AS-REAL"})
        writeFile(package + "/Resources/" + name, pngBytes(Qt::gray));

    QString error;
    auto document = open(package, &error);
    ASSERT_TRUE(document) << error.toStdString();
    // Bad keys dropped; counts that are not integers read as 0.
    EXPECT_EQ(document->imageRefCountTab(),
              (std::map<QString, std::int64_t>{{fixturePicture, 1}, {"COUNTED-AS-TEXT", 0}, {"COUNTED-AS-REAL", 0}}));
    for (const QString& identifier : hostile) {
        EXPECT_TRUE(document->imageDataForIdentifier(identifier).isEmpty());
        EXPECT_FALSE(document->imageExistsForIdentifier(identifier));
        EXPECT_TRUE(document->setImageDataForIdentifier("x", identifier).isEmpty());
        document->decrementRefCountForImageIdentifier(identifier);
        document->incrementRefCountForImageIdentifier(identifier);
    }
    document->imageGC();
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(beside), "beside the package");
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"Fixture.quorveldoc", "outside.txt"}));
    EXPECT_EQ(entriesOf(package + "/Resources"), QStringList{fixturePicture});
}

// A package saved with the count of a picture it never stored (what pasting a shape from another document
// once left behind) opens with the shape showing the picture missing, saves without the count, and previews.
TEST_F(DocumentPackageTest, ACountOfAMissingPictureIsLeftOutAtTheNextSave)
{
    pf::Value plist = parsedPlist(package);
    pf::Value counts = plist.objectForKey("image_ref_counts");
    counts.set("MISSING-PICTURE", 1);
    plist.set("image_ref_counts", counts);
    auto framed = Shape::make<Rectangle>(pf::Rect(10, 10, 40, 30));
    framed->setImageIdentifier("MISSING-PICTURE");
    pf::Value::Array pages = plist.arrayForKey("compositions");
    pf::Value::Array children = pages.at(0).arrayForKey("children");
    children.push_back(framed->asPlist());
    pages.at(0).set("children", pf::Value(std::move(children)));
    plist.set("compositions", pf::Value(std::move(pages)));
    writeFile(package + "/composition_data.plist", *QVDataFromPlist(plist));

    QStringList logged;
    pf::ScopedLogSink log{[&](const QString& message) { logged << message; }};
    auto document = open(package);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->imageRefCountTab(), (std::map<QString, std::int64_t>{{fixturePicture, 1}}));
    EXPECT_TRUE(logged.join('\n').contains("MISSING-PICTURE")) << logged.join('\n').toStdString();
    const auto shown = hostOf(document).page(0)->children().back();
    ASSERT_EQ(shown->imageIdentifier(), "MISSING-PICTURE");
    // Shown again after a removal and its undo, it still counts nothing.
    hostOf(document).page(0)->removeShape(shown);
    ASSERT_TRUE(document->undoManager().undo());
    const auto& tab = document->imageRefCountTab();
    EXPECT_TRUE(!tab.count("MISSING-PICTURE") || tab.at("MISSING-PICTURE") == 0);

    document->updateChangeCount(pf::Document::ChangeType::Done);
    ASSERT_TRUE(document->saveDocument());
    const pf::Value saved = parsedPlist(package);
    EXPECT_EQ(saved.objectForKey("image_ref_counts"), pf::Value(pf::Value::Dictionary{{fixturePicture, pf::Value(1)}}));
    EXPECT_EQ(saved.arrayForKey("compositions").at(0).arrayForKey("children").back().stringForKey("imageIdentifier"),
              "MISSING-PICTURE");
    EXPECT_EQ(entriesOf(package + "/Resources"), QStringList{fixturePicture});

    struct Delivered {
        QByteArray pdf;
    } delivered;
    PFQLPreviewRequest request{
        &delivered, [](void*, double, double, double, double, const PFQLPreviewProperties*) { return 1; },
        [](void* host, const char* bytes, size_t length) {
            static_cast<Delivered*>(host)->pdf = QByteArray(bytes, qsizetype(length));
        }};
    EXPECT_EQ(generatePreview(&request, QFile::encodeName(package).constData()), PF_S_OK);
    EXPECT_TRUE(delivered.pdf.startsWith("%PDF"));
}

TEST_F(DocumentPackageTest, AResourcesLinkIsNeverFollowed)
{
    writeFile(dir.filePath("elsewhere/" + fixturePicture), pngBytes(qRgb(255, 0, 0)));
    pf::packageWriter::removeTree(package + "/Resources");
    ASSERT_EQ(::symlink("../elsewhere", QFile::encodeName(package + "/Resources").constData()), 0);
    QString error;
    auto document = open(package, &error);
    ASSERT_TRUE(document) << error.toStdString();
    EXPECT_TRUE(document->imageDataForIdentifier(fixturePicture).isEmpty());
    const QString picture = provide(*document, pngBytes(qRgb(0, 0, 255)));
    ASSERT_EQ(picture.size(), 36);
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(entriesOf(dir.filePath("elsewhere")), QStringList{fixturePicture});
    EXPECT_TRUE(QFileInfo(package + "/Resources").isDir());
    EXPECT_FALSE(QFileInfo(package + "/Resources").isSymLink());
}

TEST_F(DocumentPackageTest, VersionsAndEmptyPackages)
{
    pf::Value plist = parsedPlist(package);
    plist.set("version", 9);
    writeFile(package + "/composition_data.plist", *QVDataFromPlist(plist));
    QString error;
    EXPECT_FALSE(open(package, &error));
    EXPECT_TRUE(error.contains("made by a newer version of Quorvel")) << error.toStdString();
    EXPECT_TRUE(controller.documents().empty());
    plist.set("version", "eight");
    writeFile(package + "/composition_data.plist", *QVDataFromPlist(plist));
    EXPECT_FALSE(open(package, &error));
    EXPECT_TRUE(error.contains("not a number")) << error.toStdString();

    // No version: the current format, and nothing left in the thread dictionary.
    plist.remove("version");
    plist.set("compositions", pf::Value::array());
    writeFile(package + "/composition_data.plist", *QVDataFromPlist(plist));
    auto document = open(package, &error);
    ASSERT_TRUE(document) << error.toStdString();
    EXPECT_FALSE(pf::threadDictionary::contains(QString::fromLatin1(pf::TlsVersionKey)));
    // No pages: one new empty page.
    EXPECT_EQ(hostOf(document).calls, QStringList({"new page at 0", "reload"}));
    EXPECT_EQ(hostOf(document).models.size(), 1u);
    document->close();

    // No property list at all: refused with a reason.
    ::unlink(QFile::encodeName(package + "/composition_data.plist").constData());
    EXPECT_FALSE(open(package, &error));
    EXPECT_TRUE(error.contains("composition_data.plist")) << error.toStdString();
    writeFile(package + "/composition_data.plist", "<plist><dict><key>");
    EXPECT_FALSE(open(package, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(DocumentPackageTest, ProvidingPictures)
{
    auto document = open(package);
    ASSERT_TRUE(document);
    const QByteArray blue = pngBytes(qRgb(0, 0, 255));
    QString error;
    const QString identifier = provide(*document, blue, &error);
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$").match(identifier).hasMatch())
        << identifier.toStdString();
    EXPECT_EQ(document->imageRefCountTab().at(identifier), 0);
    EXPECT_EQ(document->imageDataForIdentifier(identifier), blue);

    for (const QByteArray& bad : {QByteArray(), QByteArray("plain text, no picture")}) {
        EXPECT_TRUE(provide(*document, bad, &error).isNull());
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(document->imageRefCountTab().size(), 2u);

    // From a file: read in the background, stored on the main queue.
    writeFile(dir.filePath("same.png"), blue);
    writeFile(dir.filePath("other.png"), pngBytes(qRgb(255, 255, 0)));
    writeFile(dir.filePath("text.png"), "not a picture");
    struct Case {
        QString file;
        QString preferred;
        bool reused;
    };
    const Case cases[] = {
        {"same.png", identifier, true},         // the same bytes under that name: one file serves
        {"other.png", identifier, false},       // other bytes: a fresh identifier
        {"other.png", "../outside.txt", false}, // a name no file may have: a fresh identifier
        {"other.png", "FREE-NAME", true},       // a free name is used
    };
    for (const Case& c : cases) {
        QString stored = "not called";
        document->provisionImageAtPath(dir.filePath(c.file), c.preferred, [&](const QString& id, const QString&) { stored = id; });
        EXPECT_EQ(stored, "not called"); // never inside the call
        finishBackgroundWork();
        EXPECT_EQ(stored == c.preferred, c.reused) << c.file.toStdString() << " " << c.preferred.toStdString();
        EXPECT_EQ(document->imageDataForIdentifier(stored), readFile(dir.filePath(c.file)));
    }
    EXPECT_EQ(document->imageDataForIdentifier(identifier), blue);
    QString stored = "not called";
    document->provisionImageAtPath(dir.filePath("text.png"), "X", [&](const QString& id, const QString& why) {
        stored = id;
        error = why;
    });
    finishBackgroundWork();
    EXPECT_TRUE(stored.isNull());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(pf::suddenTermination::isDisabled());

    // A document closed before the read finished takes nothing and calls nothing.
    bool called = false;
    document->provisionImageAtPath(dir.filePath("other.png"), "LATE", [&](const QString&, const QString&) { called = true; });
    document->close();
    document.reset();
    finishBackgroundWork();
    EXPECT_FALSE(called);
    EXPECT_FALSE(pf::suddenTermination::isDisabled());
}

TEST_F(DocumentPackageTest, CollectingUnusedPicturesMarksTheDocumentAndKeepsTheBytesForUndo)
{
    auto document = open(package);
    ASSERT_TRUE(document);
    RecordingTabHost& host = hostOf(document);
    const auto framed = host.page(0)->children().back();
    ASSERT_EQ(framed->imageIdentifier(), fixturePicture);
    document->decrementRefCountForImageIdentifier("NO-ENTRY");
    EXPECT_EQ(document->imageRefCountTab().at("NO-ENTRY"), 0);

    host.page(0)->removeShape(framed);
    EXPECT_EQ(document->imageRefCountTab().at(fixturePicture), 0);
    const auto savedBefore = treeOf(package);
    // The canvas's notice that a picture went starts the collection; another canvas's does not.
    int otherCanvas = 0;
    pf::NotificationCenter::defaultCenter().post("CanvasDidRemoveImageNotification", &otherCanvas);
    EXPECT_EQ(document->imageRefCountTab().count(fixturePicture), 1u);
    pf::NotificationCenter::defaultCenter().post("CanvasDidRemoveImageNotification", host.canvas());
    EXPECT_FALSE(document->imageGC()); // nothing left to collect
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(document->imageRefCountTab().count(fixturePicture), 0u);
    EXPECT_EQ(document->imageRefCountTab().count("NO-ENTRY"), 0u);
    EXPECT_FALSE(document->imageExistsForIdentifier(fixturePicture));
    EXPECT_EQ(treeOf(package), savedBefore); // collecting never saves by itself

    // Undo puts the shape back, and its picture with it.
    ASSERT_TRUE(document->undoManager().undo());
    EXPECT_EQ(document->imageRefCountTab().at(fixturePicture), 1);
    EXPECT_TRUE(document->imageExistsForIdentifier(fixturePicture));
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(entriesOf(package + "/Resources"), QStringList{fixturePicture});

    // Removed again and closed: the picture leaves the package.
    host.page(0)->removeShape(host.page(0)->children().back());
    ASSERT_TRUE(document->canCloseDocument());
    document->close();
    EXPECT_TRUE(entriesOf(package + "/Resources").isEmpty());
    EXPECT_TRUE(parsedPlist(package).dictionaryForKey("image_ref_counts").empty());
}

TEST_F(DocumentPackageTest, ImageFilesOpenAsNewDocumentsAndPackagesRegardlessOfCase)
{
    writeFile(dir.filePath("Photo.PNG"), pngBytes(qRgb(1, 2, 3)));
    ASSERT_TRUE(pf::packageWriter::linkCopyTree(package, dir.filePath("A.QuorvelDoc")));
    auto shown = controller.openDocumentAtPath(dir.filePath("Photo.PNG"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(openedImages, QStringList{dir.filePath("Photo.PNG")});
    EXPECT_TRUE(shown->isUntitled());
    EXPECT_EQ(controller.documents().size(), 1u); // no document of the picture file itself
    auto opened = open(dir.filePath("A.QuorvelDoc"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->fileType(), "com.thistlewick.quorveldoc");
    EXPECT_EQ(hostOf(opened).titles(), QStringList({"Home", "Settings"}));
}
