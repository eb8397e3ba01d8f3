// One page holding every outline kind, drawn and compared with the reference picture, so that a change
// of any outline shows. Set QUORVEL_WRITE_REFERENCE_PICTURES=1 to write the picture afresh after a
// change that is meant.
#include "OutlineTestSupport.h"

#include "platform/graphics/PainterContext.h"

#include <QDir>
#include <QImage>

#include <cstdlib>

namespace {

constexpr int columns = 7;
constexpr double cell = 110;

QString referencePath() { return QStringLiteral(QUORVEL_TEST_DATA "/shapes/outline-kinds.png"); }

// Pixels whose channels differ by more than `level` out of 255.
int differingPixels(const QImage& a, const QImage& b, int level)
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

} // namespace

TEST_F(OutlineTest, EveryKindOnOnePageMatchesTheReferencePicture)
{
    const int rows = int((std::size(allOutlineKinds) + columns - 1) / columns);
    pf::BitmapContext context(pf::Size(columns * cell, rows * cell), 1.0, true, false);
    context.setFillColor(pf::Color(1, 1, 1, 1));
    context.fillPath(pf::Path::rect(pf::Rect(0, 0, columns * cell, rows * cell)));
    // The canvas's half-point offset, so strokes of odd widths land on whole pixels.
    context.translate(0.5, 0.5);
    for (std::size_t i = 0; i < std::size(allOutlineKinds); ++i) {
        const double x = double(i % columns) * cell + 10, y = double(i / columns) * cell + 15;
        auto shape = make(allOutlineKinds[i], pf::Rect(x, y, 90, 80));
        ASSERT_TRUE(shape) << allOutlineKinds[i];
        shape->setFillType(0);
        shape->setFillColor(pf::Color(0.55, 0.75, 0.95, 1));
        shape->setFillShadowHidden(true);
        shape->setStrokeType(0);
        shape->setStrokeLineWidth(1);
        shape->setStrokeColor(pf::Color(0.1, 0.1, 0.3, 1));
        shape->setStrokeShadowHidden(true);
        shape->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    }
    const QImage picture = context.bitmap().convertToFormat(QImage::Format_ARGB32);

    if (std::getenv("QUORVEL_WRITE_REFERENCE_PICTURES")) {
        QDir().mkpath(QFileInfo(referencePath()).path());
        ASSERT_TRUE(picture.save(referencePath()));
        GTEST_SKIP() << "wrote " << referencePath().toStdString();
    }
    const QImage reference = QImage(referencePath()).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(reference.isNull()) << "no reference picture at " << referencePath().toStdString();
    ASSERT_EQ(reference.size(), picture.size());
    // Antialiasing may differ by a few levels between rasterisers; a moved outline changes whole edges.
    const int differing = differingPixels(picture, reference, 24);
    if (differing > 0) {
        const QString actual = QDir::temp().filePath(QStringLiteral("outline-kinds-actual.png"));
        picture.save(actual);
        EXPECT_LE(differing, picture.width() * picture.height() / 5000)
            << "the drawing differs from " << referencePath().toStdString() << "; see " << actual.toStdString();
    }
}
