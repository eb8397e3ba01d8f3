#include "PictureKindsTestSupport.h"

#include "platform/foundation/ThreadDictionary.h"

#include <QFile>
#include <QPainter>

namespace {

const pf::Color black(0, 0, 0, 1);
const pf::Color red(1, 0, 0, 1);
const pf::Color blue(0, 0, 1, 1);

// ======================= Image =======================

TEST_F(PictureKindsTest, ImageKindCatalogue)
{
    const ShapeClass& c = Image::staticClass();
    EXPECT_EQ(c.className(), "Image");
    EXPECT_EQ(c.title(), "Image (I)");
    EXPECT_EQ(c.shortTitle(), "Image");
    EXPECT_EQ(c.longDescription(), "A graphic Image.");
    EXPECT_EQ(c.iconImageName(), "lib_image32x32");
    EXPECT_EQ(c.extraSearchString(), "graphics images pictures pics");
    EXPECT_EQ(c.defaultSize(), pf::Size(64, 64));
    EXPECT_EQ(c.facetClassNames(), QStringList({"OpacityFacet", "FilterFacet", "GeometryFacet", "ImageImageFacet",
                                                "FillFacet", "StrokeFacet", "TextFacet"}));
    EXPECT_EQ(c.stickyPhylumName(), "Image");
    auto shape = c.newShape();
    EXPECT_TRUE(shape->isImage());
    EXPECT_TRUE(shape->wantsSizeToFitImage());
    EXPECT_FALSE(shape->canConvertToBezier());
    EXPECT_FALSE(shape->canInvert());
    EXPECT_FALSE(shape->canIntersect());
    EXPECT_EQ(shape->fillType(), 5u);
    EXPECT_EQ(shape->strokeType(), 3u);
    EXPECT_TRUE(shape->fillShadowHidden());
    EXPECT_TRUE(shape->strokeShadowHidden());
}

TEST_F(PictureKindsTest, AnImageWithoutPictureDrawsTheCentredPlaceholderWhateverItsSize)
{
    for (const pf::Rect frame : {pf::Rect(0, 0, 64, 64), pf::Rect(10, 20, 200, 100)}) {
        auto shape = Shape::make<Image>(frame);
        page->add(shape);
        EXPECT_TRUE(shape->isMissingImage());
        auto recording = record(*shape);
        const auto& calls = recording->calls();
        const pf::Rect square = QVRectRoundPlusHalf(QVSquareAroundPoint(shape->center(), 24));
        ASSERT_GE(calls.size(), 4u);
        EXPECT_EQ(calls[0].operation, "fill");
        EXPECT_EQ(calls[0].path.bounds(), square);
        EXPECT_EQ(calls[1].operation, "gradient");
        EXPECT_EQ(calls[2].path.bounds(), square.insetBy(0.5, 0.5));
        EXPECT_EQ(calls[3].path.bounds(), square.insetBy(2.5, 2.5));
        EXPECT_EQ(count(*recording, "glyphs"), 1) << "the question mark";
    }
    EXPECT_EQ(Image::placeholderText().string(), "?");
}

TEST_F(PictureKindsTest, APictureReplacesThePlaceholderAndAHiddenImageDrawsNothing)
{
    QImage bitmap(30, 20, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::red);
    page->images["PIC"] = pf::Image(bitmap);
    auto shape = Shape::make<Image>(pf::Rect(0, 0, 64, 64));
    page->add(shape);
    shape->setImageIdentifier("PIC");
    EXPECT_EQ(page->refCounts["PIC"], 1);
    EXPECT_FALSE(shape->isMissingImage());
    auto recording = record(*shape);
    EXPECT_EQ(count(*recording, "image"), 1);
    EXPECT_EQ(count(*recording, "gradient"), 0);
    EXPECT_EQ(count(*recording, "glyphs"), 0);

    shape->setImageIdentifier("GONE");
    shape->setHidden(true);
    EXPECT_TRUE(shape->isMissingImage());
    EXPECT_TRUE(record(*shape)->calls().empty());
}

TEST_F(PictureKindsTest, ImageWithImageTakesThePicturesSizeAndWritesNoStyle)
{
    QImage bitmap(300, 200, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::blue);
    const pf::Value before = pf::UserDefaultsStore::standard().persistentDomain();
    auto shape = Image::imageWithImage(pf::Image(bitmap), "ID-1", 2);
    EXPECT_EQ(shape->frame(), pf::Rect(0, 0, 300, 200));
    EXPECT_EQ(shape->imageIdentifier(), "ID-1");
    EXPECT_EQ(shape->imageType(), 2);
    EXPECT_EQ(shape->image().size(), pf::Size(300, 200));
    EXPECT_EQ(pf::UserDefaultsStore::standard().persistentDomain(), before);

    // The user's last image style is not taken either: a picture comes in with the class's own style.
    const double builtIn = Shape::make<Image>(pf::Rect(0, 0, 10, 10))->strokeLineWidth();
    pf::UserDefaultsStore::standard().setObjectForKey(builtIn + 6.0, "User-Image-strokeLineWidth");
    ASSERT_EQ(Shape::make<Image>(pf::Rect(0, 0, 10, 10))->strokeLineWidth(), builtIn + 6.0);
    EXPECT_EQ(Image::imageWithImage(pf::Image(bitmap), "ID-2", 0)->strokeLineWidth(), builtIn);
    pf::UserDefaultsStore::standard().removeObjectForKey("User-Image-strokeLineWidth");
}

// A PDF picture (written by cairo) from the image store draws in an image shape, upright.
TEST_F(PictureKindsTest, APdfPictureDraws)
{
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/images/red-blue-cairo.pdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    page->images["PDF"] = ShapeClass::imageFromData(file.readAll());
    auto shape = Shape::make<Image>(pf::Rect(10, 10, 40, 20));
    page->add(shape);
    shape->setImageIdentifier("PDF");
    shape->setScaleImage(true);
    const QImage out = draw(*shape, pf::Size(60, 40));
    EXPECT_EQ(out.pixelColor(20, 20), QColor(255, 0, 0));
    EXPECT_EQ(out.pixelColor(40, 25), QColor(0, 0, 255));
    EXPECT_EQ(out.pixelColor(40, 14).alpha(), 0);
}

// ======================= Loupe =======================

TEST_F(PictureKindsTest, LoupeAndRedactCatalogue)
{
    const ShapeClass& loupe = Loupe::staticClass();
    const ShapeClass& redact = Redact::staticClass();
    EXPECT_EQ(loupe.title(), "Loupe (M)");
    EXPECT_EQ(redact.title(), "Redaction");
    EXPECT_EQ(loupe.manipulatorClassName(), "LoupeManipulator");
    EXPECT_EQ(redact.manipulatorClassName(), "RedactManipulator");
    EXPECT_EQ(loupe.defaultSize(), pf::Size(100, 70));
    EXPECT_EQ(redact.defaultSize(), pf::Size(100, 70));
    EXPECT_EQ(loupe.libraryListItemShapeStrokeLineWidth(), 2.0);
    EXPECT_EQ(redact.iconImageName(), "lib_redact32x32");
    EXPECT_EQ(loupe.iconImage().size(), pf::Size(32, 32));
    EXPECT_TRUE(loupe.facetClassNames().contains("FilterFacet"));
    EXPECT_EQ(redact.facetClassNames(),
              QStringList({"OpacityFacet", "LoupeGeometryFacet", "RedactFacet", "FillFacet", "StrokeFacet"}));
    EXPECT_EQ(redact.stickyPhylumName(), "Redact");
    EXPECT_TRUE(Shape::make<Redact>(pf::Rect(0, 0, 10, 10))->isLoupe());
}

TEST_F(PictureKindsTest, ANewLoupeTargetsItsCentreAtScaleFifteenWithASquarePicture)
{
    auto loupe = onPage<Loupe>(pf::Rect(0, 0, 100, 70));
    EXPECT_EQ(loupe->zoomTargetPoint(), pf::Point(50, 35));
    EXPECT_EQ(loupe->zoomTargetScale(), 15.0);
    EXPECT_FALSE(loupe->scaleImage());
    EXPECT_EQ(loupe->image().size(), pf::Size(100, 100));
}

// A 1-point line under the target appears 15 pixels wide in the loupe's picture.
TEST_F(PictureKindsTest, LoupeMagnifiesThePageAroundItsTarget)
{
    box(pf::Rect(50, 0, 1, 70), black);
    auto loupe = onPage<Loupe>(pf::Rect(200, 0, 100, 70));
    loupe->setZoomTargetPoint(pf::Point(50.5, 35));
    const QImage out = draw(*loupe, pf::Size(320, 80));
    double darkness = 0;
    for (int x = 200; x < 300; ++x) {
        const QColor c = out.pixelColor(x, 35);
        darkness += c.alpha() / 255.0 * (1.0 - c.redF());
    }
    EXPECT_NEAR(darkness, 15.0, 0.5);
    EXPECT_EQ(out.pixelColor(243, 35).alpha(), 255);
    EXPECT_EQ(out.pixelColor(201, 2).alpha(), 0) << "clipped to the ellipse";
}

TEST_F(PictureKindsTest, NoLoupeInsideALoupesPicture)
{
    box(pf::Rect(0, 0, 20, 20), blue);
    auto inner = onPage<Loupe>(pf::Rect(20, 0, 20, 20));
    inner->setFillType(0);
    inner->setFillColor(red);
    auto outer = onPage<Loupe>(pf::Rect(100, 100, 40, 40));
    outer->setZoomTargetScale(1);
    outer->setZoomTargetPoint(pf::Point(20, 10));
    const QImage picture = outer->image().rendered(1.0);
    ASSERT_EQ(picture.size(), QSize(40, 40));
    EXPECT_EQ(picture.pixelColor(10, 20), QColor(0, 0, 255)) << "the box left of the target shows";
    EXPECT_EQ(picture.pixelColor(30, 20).alpha(), 0) << "the inner loupe does not";
    EXPECT_FALSE(page->drawingLoupe);
    EXPECT_EQ(draw(*inner, pf::Size(60, 30)).pixelColor(30, 10), QColor(255, 0, 0)) << "on the page it draws";
}

TEST_F(PictureKindsTest, DraggingTheTargetIsOneZoomLocationUndo)
{
    auto loupe = onPage<Loupe>(pf::Rect(0, 0, 100, 70));
    const pf::Point a = loupe->zoomTargetPoint();
    loupe->beginDrag();
    page->undo.disableUndoRegistration();
    loupe->setZoomTargetPoint(pf::Point(10, 10));
    loupe->setZoomTargetPoint(pf::Point(20, 30));
    page->undo.enableUndoRegistration();
    loupe->endAdjust1Drag(pf::Event());
    EXPECT_EQ(loupe->zoomTargetPoint(), pf::Point(20, 30));
    EXPECT_EQ(page->undo.undoActionName(), "Zoom Location");
    page->undo.undo();
    EXPECT_EQ(loupe->zoomTargetPoint(), a);
    EXPECT_FALSE(page->undo.canUndo());
}

TEST_F(PictureKindsTest, TheScaleIsAlwaysFinitePositiveWhateverIsStoredOrSent)
{
    auto loupe = onPage<Loupe>(pf::Rect(0, 0, 100, 70));
    for (double bad : {0.0, -2.0, std::nan(""), double(INFINITY)})
        loupe->setZoomTargetScale(bad);
    EXPECT_EQ(loupe->zoomTargetScale(), 15.0);
    EXPECT_FALSE(page->undo.canUndo());
    loupe->setZoomTargetScale(4);
    EXPECT_EQ(page->undo.undoActionName(), "Zoom");

    pf::Value plist = loupe->asPlist();
    for (double stored : {0.0, -3.0}) {
        plist.set("zoomTargetScale", stored);
        auto read = std::dynamic_pointer_cast<Loupe>(Shape::fromPlist(plist));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->zoomTargetScale(), 15.0) << stored;
    }
}

TEST_F(PictureKindsTest, StoredFormRoundTripsAndOldDocumentsKeptTheScaleInTheRatio)
{
    auto loupe = onPage<Loupe>(pf::Rect(10, 20, 100, 70));
    loupe->setZoomTargetPoint(pf::Point(3, 4));
    loupe->setZoomTargetScale(3);
    loupe->setAdjustmentRatioX(8);
    const pf::Value plist = loupe->asPlist();
    EXPECT_EQ(plist.stringForKey("zoomTargetPoint"), "{3, 4}");
    EXPECT_EQ(plist.doubleForKey("zoomTargetScale"), 3.0);
    auto same = Shape::fromPlist(plist);
    ASSERT_TRUE(same);
    EXPECT_TRUE(same->isEqual(*loupe));

    struct Case {
        std::optional<std::int64_t> version;
        double scale;
    };
    for (const Case c : {Case{6, 8.0}, Case{7, 8.0}, Case{8, 3.0}, Case{std::nullopt, 3.0}}) {
        std::optional<pf::ThreadValueScope> scope;
        if (c.version)
            scope.emplace(QString::fromLatin1(pf::TlsVersionKey), pf::Variant(*c.version));
        auto read = std::dynamic_pointer_cast<Loupe>(Shape::fromPlist(plist));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->zoomTargetScale(), c.scale) << (c.version ? *c.version : -1);
    }
}

TEST_F(PictureKindsTest, APictureIsKeptWhileUnselectedParkedDuringDragsAndRemadeWhileSelected)
{
    auto loupe = onPage<Loupe>(pf::Rect(0, 0, 100, 70));
    const pf::Image first = loupe->image();
    EXPECT_EQ(&loupe->image().drawingHandler(), &first.drawingHandler()) << "kept";

    page->mouseDragging = true;
    EXPECT_EQ(&loupe->image().drawingHandler(), &first.drawingHandler()) << "the parked picture";
    EXPECT_EQ(&loupe->cachedImage().drawingHandler(), &first.drawingHandler());
    page->mouseDragging = false;

    const pf::Image afterDrag = loupe->image();
    EXPECT_NE(&afterDrag.drawingHandler(), &first.drawingHandler()) << "made afresh after the drag";
    EXPECT_TRUE(loupe->cachedImage().isNull());

    loupe->setSelected(true);
    const pf::Image selected = loupe->image();
    EXPECT_NE(&loupe->image().drawingHandler(), &selected.drawingHandler()) << "remade at each request";
    loupe->setSelected(false);

    // A change of target made while unselected (an undo, say) shows at once.
    const pf::Image before = loupe->image();
    loupe->setZoomTargetPoint(pf::Point(5, 5));
    EXPECT_NE(&loupe->image().drawingHandler(), &before.drawingHandler());
}

// ======================= Redact =======================

TEST_F(PictureKindsTest, ARedactionStaysAtScaleOneOverItsOwnCentre)
{
    auto redact = onPage<Redact>(pf::Rect(0, 0, 100, 70));
    EXPECT_EQ(redact->adjustmentRatioX(), 10.0);
    EXPECT_EQ(redact->zoomTargetScale(), 1.0);
    redact->setZoomTargetScale(4);
    EXPECT_EQ(redact->zoomTargetScale(), 1.0);
    redact->setZoomTargetPoint(pf::Point(500, 500));
    EXPECT_EQ(redact->zoomTargetPoint(), pf::Point(50, 35));
    redact->setFrame(pf::Rect(10, 10, 100, 70));
    EXPECT_EQ(redact->zoomTargetPoint(), pf::Point(60, 45));

    auto mirrored = Shape::make<Redact>(pf::Rect(100, 0, -40, 20));
    pf::Path outline;
    mirrored->appendPath(outline);
    EXPECT_EQ(outline.bounds(), pf::Rect(60, 0, 40, 20));
    for (const auto& entry : pf::UserDefaultsStore::standard().persistentDomain().asDictionary())
        EXPECT_FALSE(entry.first.contains("adjustmentRatioX")) << "a new redaction keeps its cell size to itself";
}

// Cells of the pixel size, aligned on the picture's centre, each one colour.
TEST_F(PictureKindsTest, RedactionPixellatesThePageUnderItInCellsOfThePixelSize)
{
    box(pf::Rect(0, 0, 5, 40), black);
    auto redact = onPage<Redact>(pf::Rect(0, 0, 40, 40));
    struct Case {
        double ratio;
        int cell;
    };
    for (const Case c : {Case{10, 10}, Case{20, 20}, Case{0, 10}, Case{-5, 10}}) {
        redact->setAdjustmentRatioX(c.ratio);
        redact->setSelected(true);  // made again at each request
        const QImage picture = redact->image().rendered(1.0);
        redact->setSelected(false);
        ASSERT_EQ(picture.size(), QSize(40, 40));
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(picture.pixel(x, y), picture.pixel(x - x % c.cell, y - y % c.cell))
                    << "cell " << c.cell << " at " << x << "," << y;
        EXPECT_GT(qAlpha(picture.pixel(0, 0)), 0) << "the stripe is averaged into the first cell";
        EXPECT_EQ(qAlpha(picture.pixel(c.cell, 0)), 0);
    }
}

// A loupe over a redaction shows the redaction, not what it hides.
TEST_F(PictureKindsTest, ALoupeShowsARedactionPixellated)
{
    for (int i = 0; i < 10; ++i)
        box(pf::Rect(i * 2, 0, 1, 20), black);  // one-point stripes, one point apart
    auto redact = onPage<Redact>(pf::Rect(0, 0, 20, 20));
    redact->setAdjustmentRatioX(20);
    redact->setFillType(0);
    redact->setFillColor(pf::Color(1, 1, 1, 1));
    auto loupe = onPage<Loupe>(pf::Rect(100, 100, 40, 40));
    loupe->setZoomTargetScale(2);
    loupe->setZoomTargetPoint(pf::Point(10, 10));
    const QImage picture = loupe->image().rendered(1.0);
    // The stripes are averaged into cells: grey, never the black or white of a stripe or a gap.
    for (int x = 2; x < 38; ++x) {
        const QColor c = picture.pixelColor(x, 20);
        EXPECT_EQ(c.alpha(), 255) << x;
        EXPECT_GT(c.red(), 60) << x;
        EXPECT_LT(c.red(), 200) << x;
    }
    EXPECT_FALSE(page->drawingLoupe);
}

} // namespace
