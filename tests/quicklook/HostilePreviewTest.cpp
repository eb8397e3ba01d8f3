// A package written by someone hostile: every number a shape stores pushed to what breaks arithmetic,
// allocation or loops. The preview must come back (how fast is bench/preview.cpp's question), skip or harmlessly
// draw those shapes, and draw the rest as usual.
#include "quicklook/host/PreviewHost.h"
#include "quicklook/support/HostileDocument.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using namespace hostile;

struct Previewed {
    bool ok = false;
    qint64 milliseconds = 0;
    QColor marker;
    QImage page;  // at 36 dpi: 160 × 240
};

// A package of one page holding the shapes, then a sound red rectangle above them, previewed through the
// plug-in: whether it came back, how long it took and the colour where the rectangle is.
Previewed previewPages(const pf::Value::Array& pages)
{
    QTemporaryDir dir;
    const QString package = writePages(dir.path(), pages);
    if (package.isEmpty())
        return {};
    const QString pdf = dir.filePath(QStringLiteral("hostile.pdf"));
    Previewed result;
    QElapsedTimer clock;
    clock.start();
    result.ok = renderPreview(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN), package, pdf).ok;
    result.milliseconds = clock.elapsed();
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("36"),
                                              QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    render.waitForFinished(60000);
    const QImage image(dir.filePath(QStringLiteral("page.png")));
    if (image.size() == QSize(160, 240))
        result.marker = image.pixelColor(120, 165);
    result.page = image;
    return result;
}

Previewed previewWithMarker(pf::Value children) { return previewPages({pageWithMarker(std::move(children))}); }

// Each hostile value on a kind of each family, one package per value: it comes back, and the
// sound shape above the hostile ones is drawn as usual.
TEST(HostilePreview, HostileNumbersPreviewAndLeaveSoundShapesDrawn)
{
    registerControlKinds(pf::ClassRegistry::shared());
    const std::vector<const ShapeClass*> kinds = listedKinds();
    ASSERT_GT(kinds.size(), 30u);
    // Only a hang fails here: how fast a hostile page previews is measured against the sample document's
    // preview in bench/preview.cpp (BM_HostilePreview), where a loaded machine slows both alike.
    constexpr qint64 allowed = 60'000;
    const auto all = hostileCases();
    // HOSTILE_ONLY=n previews the n-th case alone; HOSTILE_TOGETHER, only the page of every case.
    const int only = qEnvironmentVariableIntValue("HOSTILE_ONLY") - 1;
    const bool togetherOnly = qEnvironmentVariableIsSet("HOSTILE_TOGETHER");
    int hostileShapes = 0;
    for (int index = 0; index < int(all.size()); ++index) {
        const Hostile& hostile = all[size_t(index)];
        if ((only >= 0 && index != only) || togetherOnly)
            continue;
        const pf::Value children = shapesOf(hostile, kinds);
        hostileShapes += int(children.asArray().size());
        const Previewed previewed = previewWithMarker(children);
        EXPECT_TRUE(previewed.ok) << hostile.what;
        EXPECT_LT(previewed.milliseconds, allowed) << hostile.what;
        EXPECT_EQ(previewed.marker, QColor(255, 0, 0)) << hostile.what;
    }
    EXPECT_GT(hostileShapes, only >= 0 || togetherOnly ? -1 : 400);
    if (only >= 0)
        return;
    // Every hostile shape of every case, on one page: the page still previews, the sound shape drawn.
    // About 470 shapes under 23 loupes and 23 redactions, each of which draws the shapes beneath it again.
    const Previewed together = previewWithMarker(everyHostileShape());
    EXPECT_TRUE(together.ok);
    EXPECT_LT(together.milliseconds, allowed) << "every hostile shape together";
    EXPECT_EQ(together.marker, QColor(255, 0, 0));
}

// A gradient fill reaching billions of points past the page: the part on the page is drawn as it is, and
// so is the sound shape above it. Today's writer garbles such numbers, and with them the page.
TEST(HostilePreview, FarGradientsShowTheirPartOnThePage)
{
    registerControlKinds(pf::ClassRegistry::shared());
    pf::Value blackToWhite = pf::Value::array();
    for (const auto& [colour, ratio] : {std::pair{"0:0:0:1", 0.0}, std::pair{"1:1:1:1", 1.0}}) {
        pf::Value element = pf::Value::dictionary();
        element.set(QStringLiteral("color"), QString::fromLatin1(colour));
        element.set(QStringLiteral("ratio"), ratio);
        blackToWhite.append(element);
    }
    for (const double far : {1e10, 1e14}) {
        for (const int fillType : {1, 2}) {
            // From far left of the page to four times as far right, as high again about its middle.
            auto shape = Shape::make<Rectangle>(pf::Rect(80 - far, 240 - far, 4 * far, 2 * far));
            shape->setStrokeType(3);
            pf::Value plist = shape->asPlist();
            plist.set(QStringLiteral("fillType"), fillType);
            plist.set(QStringLiteral("fillAngle"), 0.0);
            plist.set(QStringLiteral("fillGradientElements"), blackToWhite);
            const Previewed previewed = previewWithMarker(pf::Value(pf::Value::Array{plist}));
            const QString what = QStringLiteral("%1 gradient reaching %2").arg(fillType == 1 ? "linear" : "radial").arg(far);
            ASSERT_TRUE(previewed.ok) << qPrintable(what);
            EXPECT_EQ(previewed.marker, QColor(255, 0, 0)) << qPrintable(what);
            ASSERT_EQ(previewed.page.size(), QSize(160, 240)) << qPrintable(what);
            // The linear from its left end (black) to its right (white): a quarter of the way where the
            // page lies. The radial from its centre out to its farthest corner, 2.24 times as far.
            const QColor middle = previewed.page.pixelColor(40, 120);
            const int expected = fillType == 1 ? 64 : int(std::lround(255 / std::sqrt(5.0)));
            EXPECT_NEAR(middle.red(), expected, 4) << qPrintable(what);
            EXPECT_EQ(middle.red(), middle.blue()) << qPrintable(what);
            EXPECT_NEAR(previewed.page.pixelColor(5, 5).red(), expected, 4) << qPrintable(what) << ": the page's corner";
        }
    }
}

// A loupe over the sound shape's part of the page, at opacities in and out of [0, 1]: it takes its opacity
// as every shape does (below 0 as 0, a stored NaN read as 0), its picture at that opacity over the page.
// Each shape the picture draws sets its own opacity, which must not replace the loupe's.
TEST(HostilePreview, LoupesTakeOpacityAsOtherShapes)
{
    registerControlKinds(pf::ClassRegistry::shared());
    const ShapeClass* loupeClass = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Loupe"));
    ASSERT_NE(loupeClass, nullptr);
    // The green left of the red magnified over white: 255 where nothing shows, 0 where red does.
    for (const auto& [opacity, green] : {std::pair{pf::Value(-1.0), 255}, std::pair{pf::Value(-1e308), 255},
                                         std::pair{pf::Value("nan"), 255}, std::pair{pf::Value(0.0), 255},
                                         std::pair{pf::Value(0.5), 128}, std::pair{pf::Value(1.0), 0},
                                         std::pair{pf::Value(7.0), 0}}) {
        // Left of the sound red rectangle, magnifying its middle.
        pf::Value loupe = loupeClass->newShape(pf::Rect(40, 300, 100, 100))->asPlist();
        loupe.set(QStringLiteral("zoomTargetPoint"), QStringLiteral("{240, 330}"));
        loupe.set(QStringLiteral("zoomTargetScale"), 2.0);
        loupe.set(QStringLiteral("strokeType"), 3);
        loupe.set(QStringLiteral("opacity"), opacity);
        const Previewed previewed = previewWithMarker(pf::Value(pf::Value::Array{loupe}));
        const QString what = opacity.isString() ? opacity.asString() : QString::number(opacity.doubleValue());
        ASSERT_TRUE(previewed.ok) << qPrintable(what);
        ASSERT_EQ(previewed.page.size(), QSize(160, 240)) << qPrintable(what);
        const QColor seen = previewed.page.pixelColor(45, 175);
        EXPECT_NEAR(seen.red(), 255, 3) << qPrintable(what);
        EXPECT_NEAR(seen.green(), green, 3) << qPrintable(what);
    }
}

// Pages of sizes no page can have (stored sizes, or a resolution that scales them to nothing or past
// any writer's reach) are left out of the preview; the sound page after them is drawn as usual.
TEST(HostilePreview, PagesOfImpossibleSizesAreLeftOut)
{
    registerControlKinds(pf::ClassRegistry::shared());
    const pf::Value sound = pageWithMarker(pf::Value::array());
    pf::Value::Array pages;
    for (const auto& [key, value] : {std::pair{"width", pf::Value(1e308)}, std::pair{"height", pf::Value(1e9)},
                                     std::pair{"width", pf::Value(1e-300)}, std::pair{"resolution", pf::Value(1e308)}}) {
        pf::Value page = sound;
        pf::Value metrics = page.objectForKey("metrics");
        metrics.set(QString::fromLatin1(key), value);
        page.set(QStringLiteral("metrics"), metrics);
        pages.push_back(page);
    }
    pages.push_back(sound);
    const Previewed previewed = previewPages(pages);
    ASSERT_TRUE(previewed.ok);
    ASSERT_EQ(previewed.page.size(), QSize(160, 240)) << "the sound page first";
    EXPECT_EQ(previewed.marker, QColor(255, 0, 0));
}

} // namespace
