// The pasteboard over the clipboard, the checked readers of the editor's records, and drops onto a view.
#include "KitTestSupport.h"

#include "platform/foundation/PropertyList.h"
#include "platform/kit/Dragging.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/PasteboardRecords.h"

#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <limits>

namespace {

namespace Type = pf::PasteboardType;

pf::Value plistFrom(const char* xmlBody)
{
    const QByteArray xml = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">") + xmlBody
        + "</plist>";
    const pf::PropertyListReadResult read = pf::readPropertyList(xml);
    EXPECT_TRUE(read.ok()) << qPrintable(read.error);
    return read.value.value_or(pf::Value());
}

pf::Value shapeRecord()
{
    return plistFrom("<dict><key>shapes</key><array><dict><key>className</key><string>Rectangle</string>"
                     "<key>identifier</key><string>A</string><key>frame</key><string>{{1, 2}, {3, 4}}</string></dict>"
                     "</array><key>peerIds</key><array><string>P</string></array>"
                     "<key>connections</key><array/></dict>");
}

QByteArray pngBytes()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(PasteboardTest, EveryKindOfDataRoundTripsThroughTheClipboardInDeclaredOrder)
{
    const QStringList declared = {Type::shape, Type::png, Type::tiff, Type::color, Type::fileNames, Type::shapeStyle};
    pf::PasteboardContent content(declared);
    EXPECT_TRUE(content.setPropertyList(Type::shape, shapeRecord()));
    EXPECT_TRUE(content.setData(Type::png, pngBytes()));
    EXPECT_TRUE(content.setData(Type::tiff, QByteArray("II*\0tiff", 8)));
    // A colour whose channels Qt's 16 bits would not keep.
    const pf::Color color(0.1, 0.2, 0.30000000000000004, 0.123456789);
    EXPECT_TRUE(content.setColor(color));
    EXPECT_TRUE(content.setFileNames({QStringLiteral("/tmp/a picture.png"), QStringLiteral("/tmp/b.TIFF")}));
    EXPECT_TRUE(content.setPropertyList(Type::shapeStyle, plistFrom("<dict><key>fillType</key><integer>1</integer></dict>")));
    // Not declared: refused, and nothing of it is written.
    EXPECT_FALSE(content.setData(Type::shapeInfo, QByteArray("x")));

    const pf::Pasteboard board = pf::Pasteboard::general();
    board.write(content);
    EXPECT_EQ(board.types(), declared);
    EXPECT_EQ(board.propertyListForType(Type::shape), shapeRecord());
    EXPECT_EQ(board.dataForType(Type::png), pngBytes());
    EXPECT_EQ(board.dataForType(Type::tiff), QByteArray("II*\0tiff", 8));
    EXPECT_EQ(board.color(), color);
    EXPECT_EQ(board.fileNames(), (QStringList{QStringLiteral("/tmp/a picture.png"), QStringLiteral("/tmp/b.TIFF")}));
    EXPECT_EQ(board.propertyListForType(Type::shapeStyle)->intForKey(u"fillType"), 1);
    EXPECT_FALSE(board.hasType(Type::shapeInfo));
    // Other programs see the standard MIME types.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(mime->hasFormat(QStringLiteral("image/png")));
    EXPECT_TRUE(mime->hasColor());
    EXPECT_TRUE(mime->hasUrls());
}

TEST(PasteboardTest, ReadersChooseByTheirOwnOrderOfPreference)
{
    pf::PasteboardContent content({Type::png, Type::tiff, Type::shape});
    content.setData(Type::png, pngBytes());
    content.setData(Type::tiff, QByteArray("tiff"));
    content.setPropertyList(Type::shape, shapeRecord());
    const pf::Pasteboard board = pf::Pasteboard::general();
    board.write(content);
    EXPECT_EQ(board.availableType({Type::shape, Type::tiff, Type::png}), Type::shape);
    EXPECT_EQ(board.availableType({Type::tiff, Type::png}), Type::tiff);
    EXPECT_EQ(board.availableType({Type::color, Type::png}), Type::png);
    EXPECT_EQ(board.availableType({Type::color, Type::fileNames}), QString());
}

TEST(PasteboardTest, ForeignOrBrokenDataReadsAsNothing)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData(pf::mimeTypeForPasteboardType(Type::shape), QByteArray("<plist><dict><key>x</key></dict>"));
    mime->setData(QStringLiteral("application/x-quorvel-color"), QByteArray("2:0:0:1")); // out of range
    mime->setColorData(QColor(255, 0, 0));
    mime->setUrls({QUrl(QStringLiteral("https://example.org/a.png")), QUrl::fromLocalFile(QStringLiteral("/tmp/c.png"))});
    mime->setData(QStringLiteral("text/html"), QByteArray("<b>x</b>"));
    const pf::Pasteboard board(mime.get());
    QString error;
    EXPECT_FALSE(board.propertyListForType(Type::shape, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(board.propertyListForType(Type::shapeStyle, &error));
    // The exact colour is refused; the desktop's colour beside it is read instead.
    EXPECT_EQ(board.color(), pf::Color(1, 0, 0, 1));
    EXPECT_EQ(board.fileNames(), QStringList{QStringLiteral("/tmp/c.png")});
    EXPECT_FALSE(board.types().contains(QString()));
}

TEST(PasteboardTest, AFileManagersOwnListIsReadWhenItComesAlone)
{
    const QByteArray list = "copy\nfile:///tmp/a%20picture.png\n\nfile:///tmp/b.jpg\nhttps://example.org/c.png";
    const std::pair<QByteArray, QStringList> cases[] = {
        {list, {QStringLiteral("/tmp/a picture.png"), QStringLiteral("/tmp/b.jpg")}},
        {"cut\nfile:///tmp/d.png", {QStringLiteral("/tmp/d.png")}},
        // Not a list of copied files: no verb first.
        {"file:///tmp/a.png\nfile:///tmp/b.png", {}},
        {"", {}},
    };
    for (const auto& [bytes, paths] : cases) {
        auto mime = std::make_unique<QMimeData>();
        mime->setData(QStringLiteral("x-special/gnome-copied-files"), bytes);
        const pf::Pasteboard board(mime.get());
        EXPECT_TRUE(board.hasType(Type::fileNames));
        EXPECT_EQ(board.fileNames(), paths) << bytes.constData();
        // The URI list wins when both are there.
        mime->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/e.png"))});
        EXPECT_EQ(board.fileNames(), QStringList{QStringLiteral("/tmp/e.png")});
    }
    auto jpeg = std::make_unique<QMimeData>();
    jpeg->setData(QStringLiteral("image/jpeg"), QByteArray("\xff\xd8"));
    jpeg->setData(QStringLiteral("image/bmp"), QByteArray("BM"));
    EXPECT_EQ(pf::Pasteboard(jpeg.get()).types(), (QStringList{Type::jpeg, Type::bmp}));
}

TEST(PasteboardTest, WhatOtherDesktopProgramsDragIsRead)
{
    // A file manager's URI list: CRLF, comment lines, percent-encoding, web addresses left out.
    auto files = std::make_unique<QMimeData>();
    files->setData(QStringLiteral("text/uri-list"),
                   "# from the file manager\r\nfile:///tmp/%C3%A9t%C3%A9%201.JPG\r\n\r\nhttps://example.org/x.png\r\n"
                   "file:///tmp/b.png");
    EXPECT_EQ(pf::Pasteboard(files.get()).fileNames(),
              (QStringList{QStringLiteral("/tmp/été 1.JPG"), QStringLiteral("/tmp/b.png")}));

    // Colours: the raw desktop form in the host's byte order, and one Qt decoded.
    const std::uint16_t raw[4] = {0xffff, 0x8000, 0x0000, 0xffff};
    auto gtk = std::make_unique<QMimeData>();
    gtk->setData(QStringLiteral("application/x-color"), QByteArray(reinterpret_cast<const char*>(raw), sizeof raw));
    EXPECT_EQ(pf::Pasteboard(gtk.get()).color(), pf::Color(1, 0x8000 / 65535.0, 0, 1));
    gtk->setData(QStringLiteral("application/x-color"), QByteArray("\x01\x02\x03"));
    EXPECT_FALSE(pf::Pasteboard(gtk.get()).color());

    // Pictures: the first type whose bytes decode, in the readers' order.
    auto pictures = std::make_unique<QMimeData>();
    pictures->setData(QStringLiteral("image/webp"), pngBytes()); // decodes whatever its label
    pictures->setData(QStringLiteral("image/png"), QByteArray("not a picture"));
    EXPECT_EQ(pf::Pasteboard(pictures.get()).types(), (QStringList{Type::webp, Type::png}));
    const auto first = pf::Pasteboard(pictures.get()).firstDecodablePicture();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, Type::webp);
    pictures->setData(QStringLiteral("image/gif"), pngBytes());
    EXPECT_EQ(pf::Pasteboard(pictures.get()).firstDecodablePicture()->type, Type::gif);
    pictures->removeFormat(QStringLiteral("image/gif"));
    pictures->removeFormat(QStringLiteral("image/webp"));
    EXPECT_FALSE(pf::Pasteboard(pictures.get()).firstDecodablePicture());
}

TEST(PasteboardTest, FileExtensionsCompareLowerCased)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("/tmp/Photo.JPG"), QStringLiteral("jpg")},
        {QStringLiteral("/tmp/scan.TiFf"), QStringLiteral("tiff")},
        {QStringLiteral("/tmp/archive.tar.GZ"), QStringLiteral("gz")},
        {QStringLiteral("/tmp/README"), QString()},
        {QStringLiteral("/tmp/dir.d/file"), QString()},
    };
    for (const auto& [path, extension] : cases)
        EXPECT_EQ(pf::lowercasedPathExtension(path), extension) << qPrintable(path);
}

TEST(PasteboardRecordsTest, ShapeRecordsAreCheckedBeforeUse)
{
    QString error;
    const auto good = pf::readShapeRecord(shapeRecord(), &error);
    ASSERT_TRUE(good) << qPrintable(error);
    EXPECT_EQ(good->shapes.size(), 1u);
    EXPECT_EQ(good->peerIds, QStringList{QStringLiteral("P")});
    EXPECT_EQ(pf::readShapeRecord(good->toPropertyList())->toPropertyList(), good->toPropertyList());

    struct Case {
        const char* what;
        const char* body;
    };
    const std::vector<Case> refused = {
        {"not a dictionary", "<array/>"},
        {"no shapes", "<dict><key>shapes</key><string>x</string></dict>"},
        {"a shape that is not a dictionary", "<dict><key>shapes</key><array><string>x</string></array></dict>"},
        {"a shape without class", "<dict><key>shapes</key><array><dict/></array></dict>"},
        {"an empty class name", "<dict><key>shapes</key><array><dict><key>className</key><string></string></dict></array></dict>"},
        {"a numeric identifier", "<dict><key>shapes</key><array><dict><key>className</key><string>A</string>"
                                 "<key>identifier</key><integer>3</integer></dict></array></dict>"},
        {"peer ids not a list", "<dict><key>shapes</key><array/><key>peerIds</key><dict/></dict>"},
        {"a peer id not text", "<dict><key>shapes</key><array/><key>peerIds</key><array><real>1</real></array></dict>"},
        {"a connection not a dictionary", "<dict><key>shapes</key><array/><key>connections</key><array><true/></array></dict>"},
        {"a connection end not text", "<dict><key>shapes</key><array/><key>connections</key><array><dict>"
                                      "<key>shapeIdentifier</key><array/></dict></array></dict>"},
        {"pictures not a dictionary", "<dict><key>shapes</key><array/><key>images</key><array/></dict>"},
        {"a picture without bytes", "<dict><key>shapes</key><array/><key>images</key><dict><key>A</key><dict>"
                                    "<key>type</key><string>public.png</string></dict></dict></dict>"},
        {"a picture of no bytes", "<dict><key>shapes</key><array/><key>images</key><dict><key>A</key><dict>"
                                  "<key>data</key><data></data></dict></dict></dict>"},
        {"a picture's type not text", "<dict><key>shapes</key><array/><key>images</key><dict><key>A</key><dict>"
                                      "<key>data</key><data>iVBORw==</data><key>type</key><integer>1</integer>"
                                      "</dict></dict></dict>"},
    };
    for (const Case& c : refused) {
        error.clear();
        EXPECT_FALSE(pf::readShapeRecord(plistFrom(c.body), &error)) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
    }
    // A peer list of another length is dropped, not trusted.
    const auto unpaired = pf::readShapeRecord(plistFrom(
        "<dict><key>shapes</key><array><dict><key>className</key><string>A</string></dict></array>"
        "<key>peerIds</key><array><string>P</string><string>Q</string></array></dict>"));
    ASSERT_TRUE(unpaired);
    EXPECT_TRUE(unpaired->peerIds.isEmpty());
    // Numbers built in memory may not be finite; such a record is refused.
    pf::Value infinite = shapeRecord();
    infinite.set(QStringLiteral("extra"), std::numeric_limits<double>::infinity());
    EXPECT_FALSE(pf::readShapeRecord(infinite));
}

// The type a record gives its pictures' bytes comes from the bytes themselves, whatever they are named.
TEST(PasteboardTest, PictureBytesAreTypedByTheirContent)
{
    const auto encoded = [](const char* format) {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    };
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {encoded("PNG"), Type::png},   {encoded("JPEG"), Type::jpeg},
        {encoded("TIFF"), Type::tiff}, {encoded("BMP"), Type::bmp},
        {QByteArray("%PDF-1.4\n"), Type::pdf}, {QByteArray("plain text"), QString()},
        {QByteArray(), QString()},
    };
    for (const auto& [bytes, type] : cases)
        EXPECT_EQ(pf::pictureTypeForData(bytes), type) << bytes.left(8).toHex().toStdString();
}

TEST(PasteboardRecordsTest, StyleRecordsAndLibraryEntriesAreChecked)
{
    EXPECT_TRUE(pf::readStyleRecord(plistFrom("<dict><key>textFontName</key><string>Helvetica</string>"
                                              "<key>textFontSize</key><real>12.5</real></dict>")));
    EXPECT_FALSE(pf::readStyleRecord(plistFrom("<dict><key>textFontSize</key><real>-3</real></dict>")));
    EXPECT_FALSE(pf::readStyleRecord(plistFrom("<dict><key>textColor</key><integer>1</integer></dict>")));
    EXPECT_FALSE(pf::readStyleRecord(plistFrom("<string>x</string>")));

    EXPECT_TRUE(pf::readShapeInfo(plistFrom("<dict><key>className</key><string>Star</string>"
                                            "<key>frame</key><string>{{-1.5, 2}, {3e2, 4}}</string></dict>")));
    EXPECT_TRUE(pf::readShapeInfo(plistFrom("<dict><key>className</key><string>Star</string></dict>")));
    EXPECT_FALSE(pf::readShapeInfo(plistFrom("<dict><key>className</key><string>Star</string>"
                                             "<key>frame</key><string>{{1, 2}, {3}}</string></dict>")));
    EXPECT_FALSE(pf::readShapeInfo(plistFrom("<dict><key>frame</key><string>{{1, 2}, {3, 4}}</string></dict>")));
}

TEST(PasteboardRecordsTest, RectStringsMustParseWhole)
{
    const std::vector<std::pair<const char*, std::optional<pf::Rect>>> cases = {
        {"{{1, 2}, {3, 4}}", pf::Rect(1, 2, 3, 4)},
        {" { {-1.5,2e1} , {0.25, 4} } ", pf::Rect(-1.5, 20, 0.25, 4)},
        {"{{1, 2}, {3, 4}} trailing", std::nullopt},
        {"{{1, 2}, {3, x}}", std::nullopt},
        {"{{1, 2}, {3, 1e999}}", std::nullopt},
        {"{{nan, 2}, {3, 4}}", std::nullopt},
        {"{{1, 2}, {3, 4}", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, rect] : cases)
        EXPECT_EQ(pf::parseRectStrictly(QString::fromUtf8(text)), rect) << text;
}

// A drop target that answers as the canvas does: a library entry copies; a colour only over a target;
// pictures and files copy when the source allows it.
class DropView : public kittest::RecordingView {
public:
    DropView() : kittest::RecordingView(pf::Rect(0, 0, 400, 300))
    {
        registerForDraggedTypes({Type::shapeInfo, Type::color, Type::png, Type::fileNames});
    }

    std::vector<std::string> calls;
    std::vector<pf::Point> locations;
    pf::Rect colourTarget{100, 100, 50, 50};
    QString droppedClass;
    QByteArray droppedPng;
    std::optional<pf::Color> droppedColour;
    QStringList droppedFiles;

protected:
    pf::DragOperation answer(const pf::DraggingInfo& info, bool entering)
    {
        locations.push_back(info.draggingLocation);
        if (info.pasteboard.hasType(Type::shapeInfo))
            return pf::DragOp::Copy;
        if (info.pasteboard.hasType(Type::color))
            return !entering && colourTarget.contains(info.draggingLocation) ? pf::DragOp::Copy : pf::DragOp::None;
        return (info.sourceOperationMask & pf::DragOp::Copy) ? pf::DragOp::Copy : pf::DragOp::None;
    }
    pf::DragOperation draggingEntered(const pf::DraggingInfo& info) override
    {
        calls.push_back("entered");
        return answer(info, true);
    }
    pf::DragOperation draggingUpdated(const pf::DraggingInfo& info) override
    {
        calls.push_back("updated");
        return answer(info, false);
    }
    void draggingExited(const pf::DraggingInfo&) override { calls.push_back("exited"); }
    void draggingEnded(const pf::DraggingInfo&) override { calls.push_back("ended"); }
    bool performDragOperation(const pf::DraggingInfo& info) override
    {
        calls.push_back("perform");
        if (auto plist = info.pasteboard.propertyListForType(Type::shapeInfo))
            if (auto entry = pf::readShapeInfo(*plist))
                droppedClass = entry->stringForKey(u"className");
        droppedPng = info.pasteboard.dataForType(Type::png);
        droppedColour = info.pasteboard.color();
        droppedFiles = info.pasteboard.fileNames();
        return true;
    }
};

// Enter, one move, then a drop; answers whether Qt was told the drop was taken.
struct DragResult {
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};

DragResult dragAndDrop(QWidget& view, const QMimeData& mime, QPoint at, Qt::DropActions allowed)
{
    DragResult result;
    QDragEnterEvent enter(at, allowed, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &enter);
    result.enterAccepted = enter.isAccepted();
    QDragMoveEvent move(at, allowed, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &move);
    result.moveAccepted = move.isAccepted();
    QDropEvent drop(QPointF(at), allowed, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &drop);
    result.dropAccepted = drop.isAccepted();
    result.dropAction = drop.dropAction();
    return result;
}

std::unique_ptr<QMimeData> mimeOf(const pf::PasteboardContent& content)
{
    return content.makeMimeData();
}

TEST(DragDestinationTest, ALibraryRecordIsDroppedWithItsLocationAndOperation)
{
    DropView view;
    pf::PasteboardContent content({Type::shapeInfo});
    content.setPropertyList(Type::shapeInfo, plistFrom("<dict><key>className</key><string>Star</string></dict>"));
    const auto mime = mimeOf(content);
    const DragResult r = dragAndDrop(view, *mime, QPoint(30, 40), Qt::CopyAction);
    EXPECT_TRUE(r.enterAccepted && r.moveAccepted && r.dropAccepted);
    EXPECT_EQ(r.dropAction, Qt::CopyAction);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"entered", "updated", "perform", "ended"}));
    EXPECT_EQ(view.locations.back(), pf::Point(30, 40));
    EXPECT_EQ(view.droppedClass, QStringLiteral("Star"));
}

TEST(DragDestinationTest, PicturesAndFilesAreDroppedWhenTheSourceAllowsCopy)
{
    DropView view;
    pf::PasteboardContent content({Type::png, Type::fileNames});
    content.setData(Type::png, pngBytes());
    content.setFileNames({QStringLiteral("/tmp/one.png"), QStringLiteral("/tmp/two.JPG")});
    const auto mime = mimeOf(content);

    const DragResult moveOnly = dragAndDrop(view, *mime, QPoint(10, 10), Qt::MoveAction);
    EXPECT_TRUE(moveOnly.enterAccepted); // entered whatever the answer, so that moves keep coming
    EXPECT_FALSE(moveOnly.moveAccepted);
    EXPECT_FALSE(moveOnly.dropAccepted);
    EXPECT_TRUE(view.droppedPng.isEmpty()); // never performed

    view.calls.clear();
    const DragResult copy = dragAndDrop(view, *mime, QPoint(10, 10), Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(copy.dropAccepted);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"entered", "updated", "perform", "ended"}));
    EXPECT_EQ(view.droppedPng, pngBytes());
    EXPECT_EQ(view.droppedFiles, (QStringList{QStringLiteral("/tmp/one.png"), QStringLiteral("/tmp/two.JPG")}));
}

TEST(DragDestinationTest, AColourIsTakenOnlyOverATargetAndTheAnswerFollowsEachMove)
{
    DropView view;
    pf::PasteboardContent content({Type::color});
    content.setColor(pf::Color(0.5, 0.25, 0.125, 1));
    const auto mime = mimeOf(content);

    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(enter.isAccepted()); // the entry answers none, but moves must still come
    QDragMoveEvent away(QPoint(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &away);
    EXPECT_FALSE(away.isAccepted());
    QDragMoveEvent over(QPoint(120, 120), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &over);
    EXPECT_TRUE(over.isAccepted());
    EXPECT_EQ(over.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(120, 120), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(view.droppedColour, pf::Color(0.5, 0.25, 0.125, 1));

    // Leaving ends with an exit and no drop.
    view.calls.clear();
    QDragEnterEvent again(QPoint(120, 120), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &again);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&view, &leave);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"entered", "exited"}));
}

TEST(DragDestinationTest, DragsWithoutARegisteredTypeAreRefusedAtTheDoor)
{
    DropView view;
    QMimeData mime;
    mime.setText(QStringLiteral("plain text"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_TRUE(view.calls.empty());
}

} // namespace
