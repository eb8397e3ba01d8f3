// Comparison of a drawing with a reference picture kept in tests/data/. Set
// QUORVEL_WRITE_REFERENCE_PICTURES=1 to write the picture afresh after a change that is meant (the test
// is then skipped).
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cstdlib>

// Pixels whose channels differ by more than `level` out of 255.
inline int differingPixels(const QImage& a, const QImage& b, int level)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > level || std::abs(p.green() - q.green()) > level
                || std::abs(p.blue() - q.blue()) > level || std::abs(p.alpha() - q.alpha()) > level)
                ++count;
        }
    return count;
}

// Antialiasing and glyph rasterising may differ by a few levels between library versions; a moved edge
// changes whole runs of pixels. On a difference the drawing is saved in the temporary folder beside the
// reference's name.
inline void expectMatchesReferencePicture(const QImage& drawing, const QString& path)
{
    const QImage picture = drawing.convertToFormat(QImage::Format_ARGB32);
    if (std::getenv("QUORVEL_WRITE_REFERENCE_PICTURES")) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(picture.save(path));
        GTEST_SKIP() << "wrote " << path.toStdString();
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(reference.isNull()) << "no reference picture at " << path.toStdString();
    ASSERT_EQ(reference.size(), picture.size());
    const int differing = differingPixels(picture, reference, 24);
    if (differing > 0) {
        const QString actual = QDir::temp().filePath(QFileInfo(path).baseName() + QStringLiteral("-actual.png"));
        picture.save(actual);
        EXPECT_LE(differing, picture.width() * picture.height() / 5000)
            << "the drawing differs from " << path.toStdString() << "; see " << actual.toStdString();
    }
}
