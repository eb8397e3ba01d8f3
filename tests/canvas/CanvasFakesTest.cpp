// The fakes keep the contracts the real window, document and library keep, so tests built on them mean
// something.
#include "canvas/support/CanvasFixture.h"

#include <QTemporaryDir>

namespace {


struct Result {
    QString identifier, error;
    int calls = 0;
};

CanvasDocument::ImageCompletion recordInto(Result& r)
{
    return [&r](const QString& identifier, const QString& error) {
        r.identifier = identifier;
        r.error = error;
        ++r.calls;
    };
}

} // namespace

class CanvasFakesTest : public CanvasFixture {};

TEST_F(CanvasFakesTest, AToolShortcutComesBackAsTheModeNoticeOfItsWindow)
{
    QStringList heard;
    std::vector<pf::NotificationToken> tokens;
    for (const char* name : {Canvas::ShapeModeWasActivatedNotification, Canvas::BezierModeWasActivatedNotification,
                             Canvas::BrushModeWasActivatedNotification, Canvas::PathModeWasActivatedNotification})
        tokens.push_back(pf::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(name), window.get(), [&heard](const pf::Notification& n) {
                const auto it = n.userInfo.find(QStringLiteral("ShapeClassName"));
                heard << n.name + u' ' + (it == n.userInfo.end() ? QString() : it->second.toString());
            }));
    for (const char* name : {"Bezier", "Brush", "Path", "Ellipse"})
        pf::NotificationCenter::defaultCenter().post(
            QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), window.get(),
            {{QStringLiteral("ShapeClassName"), QString::fromLatin1(name)}});
    // Another window's shortcut is not this library's business.
    QWidget elsewhere;
    pf::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), &elsewhere,
        {{QStringLiteral("ShapeClassName"), QStringLiteral("Rectangle")}});
    EXPECT_EQ(heard, (QStringList{QStringLiteral("CanvasBezierModeWasActivatedNotification "),
                                  QStringLiteral("CanvasBrushModeWasActivatedNotification "),
                                  QStringLiteral("CanvasPathModeWasActivatedNotification "),
                                  QStringLiteral("CanvasShapeModeWasActivatedNotification Ellipse")}));
}

TEST_F(CanvasFakesTest, APreferredIdentifierIsReusedOnlyForTheSameBytes)
{
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString red = write(QStringLiteral("red.png"), pngBytes(Qt::red));
    const QString blue = write(QStringLiteral("blue.png"), pngBytes(Qt::blue));
    const QString text = write(QStringLiteral("notes.png"), QByteArrayLiteral("not a picture"));

    Result first, same, other, bad, path;
    document.provisionImageAtPath(red, QStringLiteral("pic"), recordInto(first));
    EXPECT_EQ(first.calls, 0); // later, never at once
    endTurn();
    EXPECT_EQ(first.identifier, QStringLiteral("pic"));
    document.provisionImageAtPath(red, QStringLiteral("pic"), recordInto(same));
    document.provisionImageAtPath(blue, QStringLiteral("pic"), recordInto(other));
    document.provisionImageAtPath(text, QStringLiteral("text"), recordInto(bad));
    document.provisionImageAtPath(blue, QStringLiteral("../escape"), recordInto(path));
    endTurn();
    EXPECT_EQ(same.identifier, QStringLiteral("pic"));
    EXPECT_FALSE(other.identifier.isEmpty());
    EXPECT_NE(other.identifier, QStringLiteral("pic"));
    EXPECT_TRUE(bad.identifier.isNull());
    EXPECT_FALSE(bad.error.isEmpty());
    EXPECT_NE(path.identifier, QStringLiteral("../escape"));
    EXPECT_EQ(document.images.at(QStringLiteral("pic")).bytes, pngBytes(Qt::red));
    for (const auto& [id, stored] : document.images)
        EXPECT_EQ(stored.count, 0) << qPrintable(id); // counted by the shapes that show them
    EXPECT_FALSE(document.images.count(QStringLiteral("text")));
}

TEST_F(CanvasFakesTest, DataThatIsNoPictureIsAnErrorAndNoCompletionOutlivesTheDocument)
{
    Result empty, junk;
    document.provisionImageWithData({}, recordInto(empty));
    document.provisionImageWithData(QByteArrayLiteral("junk"), recordInto(junk));
    endTurn();
    EXPECT_FALSE(empty.error.isEmpty());
    EXPECT_FALSE(junk.error.isEmpty());
    EXPECT_TRUE(document.images.empty());

    Result late;
    {
        FakeCanvasDocument gone;
        gone.provisionImageWithData(pngBytes(Qt::red), recordInto(late));
    }
    endTurn();
    EXPECT_EQ(late.calls, 0);
}

TEST_F(CanvasFakesTest, CollectingDropsOnlyUncountedPicturesAndMarksTheDocumentEdited)
{
    Result kept, dropped;
    document.provisionImageWithData(pngBytes(Qt::red), recordInto(kept));
    document.provisionImageWithData(pngBytes(Qt::blue), recordInto(dropped));
    endTurn();
    document.incrementRefCountForImageIdentifier(kept.identifier);
    document.changeCount = 0;
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::DidRemoveImageNotification), canvas);
    EXPECT_TRUE(document.images.count(kept.identifier));
    EXPECT_FALSE(document.images.count(dropped.identifier));
    EXPECT_EQ(document.changeCount, 1);
    // Nothing to drop: not edited again.
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::DidRemoveImageNotification), canvas);
    EXPECT_EQ(document.changeCount, 1);
}
