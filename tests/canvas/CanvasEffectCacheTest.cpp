// The pictures of shadowed and filtered shapes kept between paints: made once, put back while nothing they
// show changed, made again when it did, kept within the budget by cost, and drawing what the shapes
// themselves draw.
#include "canvas/support/CanvasFixture.h"

#include "canvas/CanvasEffectCache.h"
#include "geometry/QVRect.h"
#include "model/FilterSpec.h"
#include "model/Group.h"
#include "model/Rectangle.h"
#include "platform/text/AttributedString.h"
#include "platform/graphics/PainterContext.h"

#include <QCoreApplication>

#include <algorithm>
#include <functional>
#include <random>

namespace {

// A rectangle that counts the times its content is drawn (fill, image, strokes).
class CountingRectangle : public Rectangle {
public:
    void drawContentInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override
    {
        ++draws;
        Rectangle::drawContentInContextDirtyRect(context, dirty);
    }
    int draws = 0;
};

class CanvasEffectCacheTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        // Only the shapes a test makes.
        for (const auto& shape : {rectangle, ellipse, line, group})
            page->removeShape(shape);
        canvas->selectNone();
        endTurn();
    }

    static void shadow(Shape& shape, double blur, double offset = 3)
    {
        shape.setFillShadowHidden(false);
        shape.setFillShadowColor(pf::Color(0, 0, 0, 0.4));
        shape.setFillShadowBlur(blur);
        shape.setFillShadowOffsetX(offset);
        shape.setFillShadowOffsetY(offset);
        shape.setStrokeShadowHidden(false);
        shape.setStrokeShadowColor(pf::Color(0.2, 0, 0.4, 0.5));
        shape.setStrokeShadowBlur(blur);
        shape.setStrokeShadowOffsetX(-offset);
        shape.setStrokeShadowOffsetY(offset);
    }
    static void unshadow(Shape& shape)
    {
        shape.setFillShadowHidden(true);
        shape.setStrokeShadowHidden(true);
        shape.setTextShadowHidden(true);
    }

    std::shared_ptr<Shape> addShadowed(const char* kind, const pf::Rect& frame, double blur = 4)
    {
        auto shape = addShape(kind, frame);
        shadow(*shape, blur);
        canvas->selectNone();
        return shape;
    }

    // Shadowed shapes of several kinds and styles scattered over the page (fixed seed), some turned, some
    // see-through, some with text, one group; some reach past the page, none with its shadow past the
    // canvas at 150 %.
    std::vector<std::shared_ptr<Shape>> scatter(int count)
    {
        std::mt19937 random(35);
        std::uniform_real_distribution<double> x(-8, 740), y(-8, 540), side(8, 90), blur(0, 9);
        const char* kinds[] = {"Rectangle", "Ellipse", "RoundRectangle", "Arrow", "Text", "Diamond"};
        std::vector<std::shared_ptr<Shape>> shapes;
        for (int i = 0; i < count; ++i) {
            auto shape = addShadowed(kinds[i % 6], QVRectRound(pf::Rect(x(random), y(random), side(random), side(random))),
                                     blur(random));
            shape->setStrokeLineWidth(1 + i % 3);
            if (i % 4 == 1) {
                shape->setFillType(1);
                shape->setFillGradientElements({{pf::Color(1, 0.9, 0.6), 0.0}, {pf::Color(0.2, 0.5, 0.9), 1.0}});
            } else {
                shape->setFillType(0);
                shape->setFillColor(pf::Color(0.3 + 0.1 * (i % 5), 0.6, 0.8 - 0.1 * (i % 4)));
            }
            if (i % 7 == 3)
                shape->setRotationAngle(25);
            if (i % 5 == 2)
                shape->setOpacity(0.6);
            if (i % 6 == 4) {
                shape->setAttributedText(pf::AttributedString("Quarterly"));
                shape->setTextShadowHidden(false);
                shape->setTextShadowColor(pf::Color(0, 0, 0, 0.5));
                shape->setTextShadowBlur(2);
            }
            shapes.push_back(shape);
        }
        auto a = addShadowed("Rectangle", pf::Rect(600, 420, 50, 40));
        auto b = addShadowed("Ellipse", pf::Rect(660, 440, 50, 40));
        auto grouped = Group::groupWithShapes({a, b});
        page->insertGroupInParentAtIndex(grouped, page, pf::NotFound);
        shapes.push_back(grouped);
        canvas->selectNone();
        endTurn();
        return shapes;
    }

    // A paint of the view rect into a bitmap of that many points at the scale, drawn as the screen is.
    QImage paint(const pf::Rect& viewRect, double scale = 1.0)
    {
        pf::BitmapContext context(viewRect.size, scale, true, true);
        context.translate(-viewRect.x(), -viewRect.y());
        canvas->drawRect(context, viewRect);
        return context.bitmap();
    }
    QImage paintWithoutPictures(const pf::Rect& viewRect, double scale = 1.0)
    {
        cache().setEnabled(false);
        QImage image = paint(viewRect, scale);
        cache().setEnabled(true);
        return image;
    }
    // Through the widget's own paint event, as the screen draws.
    void paintWidget()
    {
        QImage image(canvas->size(), QImage::Format_ARGB32_Premultiplied);
        canvas->render(&image);
    }
    pf::Rect whole() const { return canvas->bounds(); }
    CanvasEffectCache& cache() const { return canvas->effectCache(); }
    std::size_t shapesWantingPictures() const
    {
        std::size_t n = 0;
        for (const auto& child : page->children())
            n += CanvasEffectCache::wantsPicture(*child, page->zoomScale());
        return n;
    }
};

// The largest difference of any channel, and the pixels differing by more than level.
struct Difference {
    int largest = 0;
    int beyond = 0;
};
Difference difference(const QImage& a, const QImage& b, int level)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int most = std::max({std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                                       std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))});
            d.largest = std::max(d.largest, most);
            d.beyond += most > level;
        }
    }
    return d;
}

TEST_F(CanvasEffectCacheTest, ASecondFrameMakesNoPictureAndDrawsNoShape)
{
    scatter(60);
    auto counted = Shape::make<CountingRectangle>(pf::Rect(300, 200, 80, 50));
    shadow(*counted, 6);
    page->addShape(counted);
    canvas->selectNone();
    endTurn();
    const std::size_t wanting = shapesWantingPictures();
    ASSERT_GT(wanting, 55u);

    cache().resetStats();
    counted->draws = 0;
    paintWidget();
    EXPECT_EQ(cache().stats().built, cache().pictureCount());
    EXPECT_GE(cache().pictureCount(), wanting - 8) << "shapes off the canvas may be left out";
    EXPECT_EQ(counted->draws, 1);

    cache().resetStats();
    counted->draws = 0;
    paintWidget();
    EXPECT_EQ(cache().stats().built, 0u);
    EXPECT_EQ(cache().stats().reused, cache().pictureCount());
    EXPECT_EQ(counted->draws, 0);

    // Unshadowed shapes draw themselves every time.
    unshadow(*counted);
    endTurn();
    paintWidget();
    paintWidget();
    EXPECT_FALSE(cache().hasPicture(*counted));
    EXPECT_EQ(counted->draws, 2);
}

TEST_F(CanvasEffectCacheTest, APanByWholePixelsKeepsThePicturesAndAFractionalOneRemakesThem)
{
    scatter(40);
    const pf::Rect view = whole();
    paint(view);
    const std::size_t pictures = cache().pictureCount();
    ASSERT_GT(pictures, 20u);
    struct Case {
        const char* name;
        pf::Point pan;
        bool kept;
    };
    for (const Case& c : {Case{"whole", {13, -7}, true}, Case{"whole far", {-90, 41}, true},
                          Case{"half", {0.5, 0}, false}, Case{"quarter", {3, 2.25}, false}}) {
        SCOPED_TRACE(c.name);
        paint(view); // back to the pictures' phase
        cache().resetStats();
        paint(view.offsetBy(c.pan.x, c.pan.y));
        if (c.kept) {
            EXPECT_EQ(cache().stats().built, 0u);
            EXPECT_GT(cache().stats().reused, 0u);
        } else {
            EXPECT_EQ(cache().stats().reused, 0u);
            EXPECT_GT(cache().stats().built, 0u);
        }
    }
}

TEST_F(CanvasEffectCacheTest, AChangeRemakesThatShapesPictureOnly)
{
    const auto shapes = scatter(30);
    auto target = addShadowed("RoundRectangle", pf::Rect(320, 260, 90, 60), 5);
    auto a = addShadowed("Rectangle", pf::Rect(500, 100, 40, 30));
    auto b = addShadowed("Ellipse", pf::Rect(560, 100, 40, 30));
    auto grouped = Group::groupWithShapes({a, b});
    page->insertGroupInParentAtIndex(grouped, page, pf::NotFound);
    canvas->selectNone();
    endTurn();
    struct Case {
        const char* name;
        std::function<void()> change;
        const Shape* remade;
    };
    const Case cases[] = {
        {"blur", [&] { target->setFillShadowBlur(9); }, target.get()},
        {"shadow colour", [&] { target->setStrokeShadowColor(pf::Color(1, 0, 0, 0.5)); }, target.get()},
        {"fill", [&] { target->setFillColor(pf::Color(0.9, 0.1, 0.1)); }, target.get()},
        {"resize", [&] { target->setFrame(QVRectOutset(target->frame(), 5, 5)); }, target.get()},
        {"turn", [&] { target->setRotationAngle(30); }, target.get()},
        {"a grouped shape", [&] { b->setFillShadowBlur(8); }, grouped.get()},
        // A move keeps a picture of the shape moved, never of what holds it.
        {"a grouped shape moved", [&] { b->setFrame(b->frame().offsetBy(4, 3)); }, grouped.get()},
        {"the group moved", [&] { grouped->setFrame(grouped->frame().offsetBy(4, 3)); }, grouped.get()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        paint(whole());
        cache().resetStats();
        c.change();
        endTurn();
        const std::size_t pictures = cache().pictureCount();
        paint(whole());
        EXPECT_EQ(cache().stats().built, 1u);
        EXPECT_EQ(cache().stats().reused, pictures - 1);
        EXPECT_TRUE(cache().hasPicture(*c.remade));
        // And the remade picture is what the shape now draws.
        const pf::Rect around = canvas->convertRectFromComposition(c.remade->paintBounds()).integral();
        const Difference d = difference(paint(around), paintWithoutPictures(around), 3);
        EXPECT_EQ(d.beyond, 0) << "largest difference " << d.largest;
    }
}

// A shape moved by whole points that are whole pixels of its picture keeps it, put down where the shape now
// lies; any other move, or a kind whose drawing does not move with its frame, makes it again. Either way the
// paint is exactly the one a fresh picture gives.
TEST_F(CanvasEffectCacheTest, AMoveByWholePointsAndPixelsKeepsThePictureExactly)
{
    scatter(20);
    struct Case {
        const char* name;
        const char* kind;
        std::int64_t zoomStep;
        double density;
        std::int64_t angle;
        pf::Point move;
        bool kept;
        bool filtered = false; // a blurred content filter: pictures at any zoom
    };
    const Case cases[] = {
        {"100 %", "Rectangle", 0, 1, 0, {4, 3}, true},
        {"100 %, back", "Rectangle", 0, 1, 0, {-9, -1}, true},
        {"100 %, dense bitmap", "Ellipse", 0, 2, 0, {-5, 2}, true},
        {"200 %", "RoundRectangle", 2, 1, 0, {1, -1}, true},
        {"200 %, dense bitmap", "Rectangle", 2, 2, 0, {3, 0}, true},
        {"150 %, even points", "Diamond", 1, 1, 0, {2, -4}, true},
        {"150 %, an odd point: half a pixel", "Diamond", 1, 1, 0, {1, 0}, false},
        {"150 %, dense bitmap, an odd point: three pixels", "Ellipse", 1, 2, 0, {0, 1}, true},
        {"turned", "Rectangle", 0, 1, 25, {3, 3}, true},
        {"turned, a fraction of a point", "Rectangle", 0, 1, 25, {0.25, 0}, false},
        {"turned, 200 %, half a point: a whole pixel", "Rectangle", 2, 1, 25, {0.5, 0}, false},
        {"text", "Text", 0, 1, 0, {7, -2}, true},
        {"filtered, 50 %", "Ellipse", -2, 1, 0, {2, -4}, true, true},
        {"filtered, 50 %, an odd point: half a pixel", "Ellipse", -2, 1, 0, {1, 0}, false, true},
        {"callout: its tip is a place on the page", "Callout", 0, 1, 0, {4, 3}, false},
        {"arrow: a connector", "Line", 0, 1, 0, {4, 3}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->setZoomScaleIndex(c.zoomStep);
        auto shape = addShadowed(c.kind, pf::Rect(330, 240, 70, 44), 5);
        if (c.angle != 0)
            shape->setRotationAngle(c.angle);
        if (c.filtered) {
            auto blur = FilterSpec::filterSpec();
            blur->setType(1);
            blur->setEnabled(true);
            shape->setContentFilterSpecs({blur});
        }
        if (shape->isText()) {
            shape->setAttributedText(pf::AttributedString("Quarterly"));
            shape->setTextShadowHidden(false);
            shape->setTextShadowColor(pf::Color(0, 0, 0, 0.5));
            shape->setTextShadowBlur(2);
        }
        endTurn();
        paint(whole(), c.density);
        ASSERT_TRUE(cache().hasPicture(*shape));

        cache().resetStats();
        shape->setFrame(shape->frame().offsetBy(c.move.x, c.move.y));
        endTurn();
        const QImage moved = paint(whole(), c.density);
        EXPECT_EQ(cache().stats().built, c.kept ? 0u : 1u) << "the others are put back";
        EXPECT_TRUE(cache().hasPicture(*shape));
        cache().clear();
        const QImage fresh = paint(whole(), c.density);
        const Difference d = difference(moved, fresh, 0);
        EXPECT_EQ(d.beyond, 0) << "largest difference " << d.largest;

        page->removeShape(shape);
        endTurn();
    }
}

// The way a user moves a shape that is not selected: undo of a drag, after it was let go.
TEST_F(CanvasEffectCacheTest, UndoingADragPutsThePictureBackWhereTheShapeWas)
{
    scatter(10);
    auto shape = addShadowed("Ellipse", pf::Rect(330, 240, 70, 44), 5);
    endTurn();
    undo.removeAllActions();
    drag(pf::Point(365, 262), pf::Point(405, 292));
    endTurn();
    ASSERT_EQ(shape->frame(), pf::Rect(370, 270, 70, 44));
    click(pf::Point(780, 580)); // away from every shape: nothing selected
    endTurn();
    ASSERT_FALSE(shape->isSelected());
    paint(whole());
    ASSERT_TRUE(cache().hasPicture(*shape));

    cache().resetStats();
    ASSERT_TRUE(undo.undo());
    endTurn();
    ASSERT_EQ(shape->frame(), pf::Rect(330, 240, 70, 44));
    const QImage undone = paint(whole());
    EXPECT_EQ(cache().stats().built, 0u);
    cache().clear();
    EXPECT_EQ(difference(undone, paint(whole()), 0).beyond, 0);
}

// A shape selected by a click and dragged with the mouse keeps the picture of its look and draws its halo
// under it: each frame of the drag puts it back, and the paint is exactly what a fresh picture gives.
TEST_F(CanvasEffectCacheTest, ASelectedShapeDraggedKeepsThePictureOfItsLookUnderItsHalo)
{
    scatter(10);
    auto shape = addShadowed("Ellipse", pf::Rect(330, 240, 70, 44), 5);
    shape->setStrokeLineWidth(2);
    endTurn();
    click(pf::Point(365, 262));
    endTurn();
    ASSERT_TRUE(shape->isSelected());
    paint(whole());
    ASSERT_TRUE(cache().hasPicture(*shape));

    press(pf::Point(365, 262));
    QImage dragged;
    for (const pf::Point to : {pf::Point(375, 270), pf::Point(390, 281), pf::Point(405, 292)}) {
        dragTo(to);
        endTurn();
        // Starting the drag may make it once more; every frame after puts it back.
        if (to == pf::Point(390, 281))
            cache().resetStats();
        dragged = paint(whole());
    }
    ASSERT_EQ(shape->frame(), pf::Rect(370, 270, 70, 44));
    ASSERT_TRUE(shape->isSelected());
    EXPECT_EQ(cache().stats().built, 0u) << "no blur while dragging";
    EXPECT_GE(cache().stats().reused, 2u);
    const QImage selectedDirect = paintWithoutPictures(whole());
    cache().clear();
    const Difference fresh = difference(dragged, paint(whole()), 0);
    EXPECT_EQ(fresh.beyond, 0) << "largest difference " << fresh.largest;
    // As the shape draws itself, halo and all, but for a picture's premultiplied rounding.
    EXPECT_LE(difference(dragged, selectedDirect, 1).largest, 1);
    release(pf::Point(405, 292));
    endTurn();

    // Selecting changes no pixel of the look: let go and unselected there, the paint differs only where
    // the halo paints (found with the shape see-through) or the selection's handles do.
    click(pf::Point(780, 580));
    endTurn();
    ASSERT_FALSE(shape->isSelected());
    const QImage unselected = paint(whole());
    const QImage unselectedDirect = paintWithoutPictures(whole());
    const double opacity = shape->opacity();
    shape->setOpacity(0);
    endTurn();
    const QImage bare = paintWithoutPictures(whole());
    shape->setSelected(true);
    endTurn();
    const QImage haloAlone = paintWithoutPictures(whole());
    shape->setSelected(false);
    shape->setOpacity(opacity);
    endTurn();
    int halo = 0, elsewhere = 0;
    for (int y = 0; y < unselected.height(); ++y)
        for (int x = 0; x < unselected.width(); ++x)
            if (unselected.pixel(x, y) != dragged.pixel(x, y)) {
                const bool marked = haloAlone.pixel(x, y) != bare.pixel(x, y)
                    || selectedDirect.pixel(x, y) != unselectedDirect.pixel(x, y);
                ++(marked ? halo : elsewhere);
            }
    EXPECT_GT(halo, 100);
    EXPECT_EQ(elsewhere, 0);
}

TEST_F(CanvasEffectCacheTest, ZoomAndPixelRatioRemakeEveryPicture)
{
    scatter(30);
    paint(whole());
    const std::size_t pictures = cache().pictureCount();
    ASSERT_GT(pictures, 15u);

    // A zoom at which shadows still show: every picture again, at the new scale.
    const std::size_t bytesAtOne = cache().bytes();
    page->setZoomScaleIndex(1);
    endTurn();
    cache().resetStats();
    paint(whole());
    EXPECT_EQ(cache().stats().reused, 0u);
    EXPECT_GE(cache().stats().built, pictures);
    EXPECT_GT(cache().bytes(), bytesAtOne * 2);
    cache().resetStats();
    paint(whole());
    EXPECT_EQ(cache().stats().built, 0u);
    // A zoom at which none show: the shapes draw themselves.
    page->setZoomScaleIndex(-1);
    endTurn();
    cache().resetStats();
    paint(whole());
    EXPECT_EQ(cache().stats().built + cache().stats().reused, 0u);
    page->setZoomScaleIndex(0);
    endTurn();

    // A denser screen, with the same drawing context: pictures at its pixels.
    CanvasEffectCache own;
    const auto frame = [&](double ratio) {
        pf::BitmapContext context(pf::Size(900, 700), 1.0, true, true);
        context.translate(50.5, 50.5);
        own.beginFrame(context, *page, ratio);
        for (const auto& child : page->children())
            if (!own.drawShape(context, *child, page->frame()))
                child->drawInContextDirtyRect(context, page->frame());
        own.endFrame();
    };
    frame(1);
    const std::size_t bytesAtRatioOne = own.bytes();
    own.resetStats();
    frame(1);
    EXPECT_EQ(own.stats().built, 0u);
    own.resetStats();
    frame(2);
    EXPECT_EQ(own.stats().reused, 0u);
    EXPECT_EQ(own.stats().built, own.pictureCount());
    EXPECT_GT(own.bytes(), bytesAtRatioOne * 3);
}

// The view rendered into a bitmap denser than its screen (a print of the screen, a high-density grab) is
// painted at the bitmap's pixels: its pictures are made there, once, and copied back unchanged.
TEST_F(CanvasEffectCacheTest, ABitmapDenserThanTheScreenHasPicturesAtItsPixels)
{
    scatter(30);
    cache().setBudget(std::size_t(1) << 30);
    const auto rendered = [&](double ratio) {
        QImage image(canvas->size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        canvas->render(&image);
        return image;
    };
    rendered(1);
    const std::size_t pictures = cache().pictureCount();
    const std::size_t bytesAtOne = cache().bytes();
    ASSERT_GT(pictures, 15u);
    cache().resetStats();
    const QImage made = rendered(2);
    EXPECT_EQ(cache().stats().reused, 0u);
    EXPECT_EQ(cache().stats().built, pictures);
    EXPECT_GT(cache().bytes(), bytesAtOne * 3);
    cache().resetStats();
    const QImage kept = rendered(2);
    EXPECT_EQ(cache().stats().built, 0u);
    EXPECT_EQ(cache().stats().reused, pictures);
    EXPECT_EQ(difference(made, kept, 0).beyond, 0);
    // Their shadows lie where, and are as wide as, those the shapes draw themselves there: offsets and blurs
    // count the dense pixels twice. (Drawn directly, shadows and shapes under them go through layers of the
    // view's own pixels, scaled up: edges differ, a pixel wide. Shadows of half the size differ four times
    // as much.)
    cache().setEnabled(false);
    const QImage direct = rendered(2);
    cache().setEnabled(true);
    EXPECT_LE(difference(direct, kept, 24).beyond, direct.width() * direct.height() / 125);
}

TEST_F(CanvasEffectCacheTest, PastTheBudgetTheCheapestPicturesGo)
{
    // Equal sizes, blurs from 1 to 12: the cost grows with the blur.
    std::vector<std::shared_ptr<Shape>> shapes;
    for (int i = 0; i < 12; ++i)
        shapes.push_back(addShadowed("Rectangle", pf::Rect(30 + 60 * i, 200, 40, 40), 1 + i));
    endTurn();
    paint(whole());
    ASSERT_EQ(cache().pictureCount(), 12u);
    const std::size_t all = cache().bytes();
    const auto keptAreTheCostliest = [&] {
        bool keptSeen = false;
        for (const auto& shape : shapes) {
            // Blurs ascend: once one is kept, every costlier one is.
            if (cache().hasPicture(*shape))
                keptSeen = true;
            else
                EXPECT_FALSE(keptSeen) << "a cheaper picture was kept over blur " << shape->fillShadowBlur();
        }
    };

    cache().setBudget(all / 2);
    EXPECT_LE(cache().bytes(), all / 2);
    EXPECT_GT(cache().pictureCount(), 0u);
    EXPECT_LT(cache().pictureCount(), 12u);
    EXPECT_GT(cache().stats().evicted, 0u);
    keptAreTheCostliest();

    // The room left is taken on the next paint; after that the cheap ones draw themselves, and no picture
    // pushes out another or is made again.
    paint(whole());
    EXPECT_LE(cache().bytes(), all / 2);
    EXPECT_TRUE(cache().hasPicture(*shapes.back()));
    const std::size_t kept = cache().pictureCount();
    cache().resetStats();
    paint(whole());
    paint(whole());
    EXPECT_EQ(cache().stats().built, 0u);
    EXPECT_EQ(cache().stats().evicted, 0u);
    EXPECT_EQ(cache().stats().reused, 2 * kept);
    EXPECT_EQ(cache().stats().refused, 2 * (12 - kept));

    // A costly newcomer takes the place of cheap ones.
    shapes.front()->setFillShadowBlur(13);
    shapes.front()->setStrokeShadowBlur(13);
    endTurn();
    cache().resetStats();
    paint(whole());
    EXPECT_TRUE(cache().hasPicture(*shapes.front()));
    EXPECT_GT(cache().stats().evicted, 0u);
    EXPECT_LE(cache().bytes(), all / 2);
}

TEST_F(CanvasEffectCacheTest, PicturesDrawWhatTheShapesDraw)
{
    const auto shapes = scatter(120);
    // Room for every picture at four times the pixels.
    cache().setBudget(std::size_t(1) << 30);
    struct Case {
        const char* name;
        std::int64_t zoomStep;
        double density;
        pf::Rect part; // empty: the whole canvas
        bool solidFills;
    };
    const Case cases[] = {
        {"100 %", 0, 1, {}, false},
        {"200 %, dense", 2, 2, {}, false},
        {"100 %, dense", 0, 2, {}, false},
        // A part repainted from pictures made on a full paint. (Drawn directly, a layer's shadow lacks what
        // lies outside the repainted part: the reference is the full paint.)
        {"a part", 0, 1, {263, 187, 301, 222}, false},
        // At fractional zooms a gradient under a shadow, drawn directly, moves by a level or twenty with the
        // page's place in the device (its layer's clip is whole pixels or not by rounding): solid fills.
        {"150 %", 1, 1, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.solidFills)
            for (const auto& shape : shapes)
                if (shape->fillType() == 1)
                    shape->setFillType(0);
        page->setZoomScaleIndex(c.zoomStep);
        endTurn();
        const QImage full = paintWithoutPictures(whole(), c.density);
        paint(whole(), c.density);
        cache().resetStats();
        const pf::Rect view = c.part.isEmpty() ? whole() : c.part;
        const QImage cached = paint(view, c.density);
        EXPECT_GT(cache().stats().reused, 10u);
        EXPECT_EQ(cache().stats().built, 0u);
        const QImage direct =
            full.copy(QRectF(view.x() * c.density, view.y() * c.density, cached.width(), cached.height()).toRect());
        ASSERT_EQ(direct.size(), cached.size());
        // A picture rounds each premultiplied channel once more before it is put down: a level or two.
        const Difference d = difference(direct, cached, 2);
        EXPECT_LE(d.largest, 3);
        EXPECT_LE(d.beyond, direct.width() * direct.height() / 10000);
    }
}

} // namespace
