// Pictures travel with their shapes between documents: copied, cut and pasted through the real clipboard
// from one document window into another (or from another process, which sees only the clipboard's bytes),
// saved, and opened again.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "app/Document.h"
#include "canvas/Canvas.h"
#include "canvas/support/CanvasFixture.h"
#include "docs/DocsTestSupport.h"
#include "geometry/QVPropertyList.h"
#include "model/Composition.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/PropertyList.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Services.h"
#include "shapes/PictureKinds.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

using namespace docs_test;

namespace {

class PictureTransferTest : public DocumentWindowFixture {
protected:
    // A picture stored in the document and shown by an image shape on its page.
    static QString addPictureShape(Document& document, AppWindowController& window, const QColor& colour)
    {
        QString identifier;
        document.provisionImageWithData(pngBytes(colour), [&](const QString& id, const QString&) { identifier = id; });
        pf::drainMainQueue();
        EXPECT_FALSE(identifier.isEmpty());
        auto shape = Image::imageWithImage(document.imageForIdentifier(identifier), identifier, 1);
        shape->setFrame(pf::Rect(40, 40, 80, 60));
        window.selectedComposition()->addShape(shape);
        pf::drainMainQueue();
        return identifier;
    }

    // The Edit menu's command as the user gives it: the window in front, its canvas with the keys.
    static void choose(AppWindowController& window, const char* command)
    {
        QWidget* top = window.windowWidget();
        top->show();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top));
        window.canvasView()->setFocus();
        QAction* item = window.menuAction(QString::fromLatin1(command));
        ASSERT_TRUE(item) << command;
        item->trigger();
        pf::drainMainQueue();
    }

    static std::vector<std::shared_ptr<Shape>> pictureShapes(const Composition& page)
    {
        std::vector<std::shared_ptr<Shape>> found;
        for (const auto& child : page.children())
            if (child->isImage())
                found.push_back(child);
        return found;
    }

    static QString save(Document& document, const QString& path)
    {
        QString error;
        EXPECT_TRUE(document.saveToPath(path, document.fileType(), pf::Document::SaveOperation::SaveAs, &error))
            << error.toStdString();
        return path;
    }

    static std::map<QString, std::int64_t> savedCounts(const QString& package)
    {
        std::map<QString, std::int64_t> counts;
        const pf::Value plist = QVPlistFromData(readFile(package + "/composition_data.plist"));
        for (const auto& [identifier, count] : plist.dictionaryForKey("image_ref_counts"))
            counts[identifier] = count.integerValue();
        return counts;
    }

    // Replaces the clipboard's content by a copy of its bytes: what another process reads.
    static void clipboardAsAnotherProcessSeesIt(bool withPictureBytes)
    {
        const QMimeData* source = QGuiApplication::clipboard()->mimeData();
        ASSERT_TRUE(source);
        auto* bytes = new QMimeData;
        const QString recordMime = pf::mimeTypeForPasteboardType(pf::PasteboardType::shape);
        for (const QString& format : source->formats()) {
            QByteArray data = source->data(format);
            if (format == recordMime && !withPictureBytes) {
                // A copy made before records carried their pictures.
                pf::Value record = QVPlistFromData(data);
                ASSERT_TRUE(record.objectForKey("images").isDictionary());
                record.remove("images");
                data = *pf::writePropertyList(record).data;
            }
            bytes->setData(format, data);
        }
        QGuiApplication::clipboard()->setMimeData(bytes);
    }

    pf::ScopedLogSink quiet{[](const QString&) {}};
};

} // namespace

TEST_F(PictureTransferTest, APastedPictureShapeBringsItsPictureWhichTheOtherDocumentSavesAndShowsAgain)
{
    struct Route {
        const char* what;
        bool byteCopy;          // the paste reads only the clipboard's bytes, the source document closed
        bool withPictureBytes;  // false: the record of an older version
    };
    const Route routes[] = {
        {"another window of this process", false, true},
        {"another process", true, true},
        {"an older copy without the picture's bytes", true, false},
    };
    int round = 0;
    for (const Route& route : routes) {
        SCOPED_TRACE(route.what);
        auto [source, sourceWindow] = newDocumentWindow();
        auto [target, targetWindow] = newDocumentWindow();
        ASSERT_TRUE(source && target);
        const QByteArray bytes = pngBytes(QColor(200, 40, 40));
        const QString picture = addPictureShape(*source, *sourceWindow, QColor(200, 40, 40));
        ASSERT_EQ(source->imageRefCountTab().at(picture), 1);

        choose(*sourceWindow, "copy");
        if (route.byteCopy) {
            clipboardAsAnotherProcessSeesIt(route.withPictureBytes);
            source->close();
        }
        choose(*targetWindow, "paste");
        const auto pasted = pictureShapes(*targetWindow->selectedComposition());
        ASSERT_EQ(pasted.size(), 1u);
        EXPECT_EQ(pasted.front()->imageIdentifier(), picture);
        EXPECT_EQ(pasted.front()->isMissingImage(), !route.withPictureBytes);
        // Counted exactly when stored: an older copy's picture shows missing and leaves no count behind.
        const auto expected = route.withPictureBytes ? std::map<QString, std::int64_t>{{picture, 1}}
                                                     : std::map<QString, std::int64_t>{};
        EXPECT_EQ(target->imageRefCountTab(), expected);

        const QString package = save(*target, dir.filePath(QString("Target%1.quorveldoc").arg(++round)));
        if (!route.byteCopy)
            source->close();
        target->close();
        EXPECT_EQ(savedCounts(package), expected);
        EXPECT_EQ(readFile(package + "/Resources/" + picture), route.withPictureBytes ? bytes : QByteArray());

        QString error;
        auto reopened = controller.openDocumentAtPath(package, &error);
        ASSERT_TRUE(reopened) << error.toStdString();
        pf::drainMainQueue();
        auto& window = *static_cast<AppWindowController*>(static_cast<Document&>(*reopened).canvasWindowController().get());
        const auto shown = pictureShapes(*window.selectedComposition());
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown.front()->isMissingImage(), !route.withPictureBytes);
        reopened->close();
    }
}

TEST_F(PictureTransferTest, CutInOneDocumentPastedInAnotherAndUndoneInTheFirstLosesNothing)
{
    auto [source, sourceWindow] = newDocumentWindow();
    auto [target, targetWindow] = newDocumentWindow();
    ASSERT_TRUE(source && target);
    const QString picture = addPictureShape(*source, *sourceWindow, QColor(30, 90, 220));
    const QByteArray bytes = source->imageDataForIdentifier(picture);

    choose(*sourceWindow, "cut");
    EXPECT_TRUE(pictureShapes(*sourceWindow->selectedComposition()).empty());
    // The canvas's removal collected the picture from the source's package.
    EXPECT_FALSE(source->imageExistsForIdentifier(picture));
    choose(*targetWindow, "paste");
    choose(*sourceWindow, "undo");

    for (auto [document, window] : {std::pair(source, sourceWindow), std::pair(target, targetWindow)}) {
        const auto shapes = pictureShapes(*window->selectedComposition());
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_FALSE(shapes.front()->isMissingImage());
        EXPECT_EQ(document->imageRefCountTab(), (std::map<QString, std::int64_t>{{picture, 1}}));
        const QString package = save(*document, dir.filePath(document == source ? "Source.quorveldoc" : "Target.quorveldoc"));
        EXPECT_EQ(readFile(package + "/Resources/" + picture), bytes);
        EXPECT_EQ(savedCounts(package), (std::map<QString, std::int64_t>{{picture, 1}}));
    }
}
