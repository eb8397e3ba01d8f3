// The pictures in resources/images are the picture generator's output: a change of its drawing, or of the
// text and drawing code under it, that is not written out again shows here.
#include "support/ReferencePicture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

TEST(GeneratedPictures, TheCommittedPicturesAreWhatTheGeneratorDraws)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess generator;
    generator.start(QStringLiteral(QUORVEL_IMAGEGEN), {folder.path()});
    ASSERT_TRUE(generator.waitForFinished(120000));
    ASSERT_EQ(generator.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    const QDir committed(QStringLiteral(QUORVEL_RESOURCES "/images"));
    const QStringList drawn = QDir(folder.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
    ASSERT_GT(drawn.size(), 40);
    for (const QString& name : drawn) {
        SCOPED_TRACE(name.toStdString());
        const QImage fresh = QImage(QDir(folder.path()).filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QImage kept = QImage(committed.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(kept.isNull()) << "not in resources/images: run quorvel_imagegen and commit what it writes";
        ASSERT_EQ(fresh.size(), kept.size());
        // A level or two of glyph rasterising; a moved label or edge changes runs of pixels.
        EXPECT_LE(differingPixels(fresh, kept, 8), fresh.width() * fresh.height() / 10000)
            << "differs from resources/images: run quorvel_imagegen and commit what it writes";
    }
}

} // namespace
