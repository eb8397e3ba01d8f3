#include "ShapeDrawingTestSupport.h"

#include "platform/filters/ImageFilter.h"

#include <QLoggingCategory>
#include <QPainter>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color white(1, 1, 1, 1);

// Catalogue positions of the filters used here.
constexpr unsigned blurType = 1;
constexpr unsigned pixellateType = 2;
constexpr unsigned sepiaType = 3;
constexpr unsigned invertType = 5;

std::shared_ptr<FilterSpec> spec(unsigned type, bool enabled = true)
{
    auto s = FilterSpec::filterSpec();
    s->setType(type);
    s->setEnabled(enabled);
    return s;
}

// 20 × 10 points in four quadrants: red, green (top), blue, white (bottom).
pf::Image quadrants()
{
    QImage bitmap(20, 10, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&bitmap);
    p.fillRect(0, 0, 10, 5, Qt::red);
    p.fillRect(10, 0, 10, 5, Qt::green);
    p.fillRect(0, 5, 10, 5, Qt::blue);
    p.fillRect(10, 5, 10, 5, Qt::white);
    return pf::Image(bitmap);
}

class ShapeContentImageTest : public ShapeDrawingTest {
protected:
    std::shared_ptr<Rectangle> filled(const pf::Rect& frame, const pf::Color& colour = red)
    {
        auto shape = box(frame);
        shape->setFillType(0);
        shape->setFillColor(colour);
        return shape;
    }
    std::shared_ptr<Rectangle> picture(const pf::Rect& frame, bool scale)
    {
        auto shape = box(frame);
        shape->setScaleImage(scale);
        shape->setImage(quadrants());
        return shape;
    }
    static QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
};

TEST_F(ShapeContentImageTest, CachesAreDroppedAlongTheChainAndRebuiltOnTheNextDraw)
{
    auto shape = filled(pf::Rect(10, 10, 40, 20));
    shape->setContentFilterSpecs({spec(blurType)});
    render(*shape, pf::Size(80, 80));
    ASSERT_FALSE(shape->contentImage().isNull());
    ASSERT_FALSE(shape->filteredContentImage().isNull());
    const pf::Image filtered = shape->filteredContentImage();

    // A style change drops the content image, which drops the filtered image and redraws.
    canvasPage.redisplays.clear();
    shape->setFillColor(pf::Color(0, 0, 1, 1));
    EXPECT_TRUE(shape->filteredContentImage().size() == filtered.size());
    render(*shape, pf::Size(80, 80));
    EXPECT_NE(shape->filteredContentImage().bitmap(0), filtered.bitmap(0)) << "rebuilt with the new colour";
    EXPECT_FALSE(canvasPage.redisplays.empty());

    // New specs drop the chain and the filtered image, and keep the content image.
    const pf::Image content = shape->contentImage();
    shape->setContentFilterSpecs({spec(invertType)});
    EXPECT_EQ(shape->contentFilters().front()->name(), "CIColorInvert");
    EXPECT_TRUE(shape->contentImage().drawingHandler() ? true : false);
    render(*shape, pf::Size(80, 80));
    EXPECT_EQ(&shape->contentImage().drawingHandler(), &content.drawingHandler()) << "content image kept";

    // A resize drops the content image (its size changes); update drops everything.
    shape->setFrame(pf::Rect(10, 10, 60, 20));
    EXPECT_EQ(shape->contentImage().size(), pf::Size(60, 20));
    EXPECT_EQ(shape->filteredContentImage().size(), pf::Size(90, 90));
    shape->update();
    EXPECT_EQ(shape->offscreenImageRect(), pf::Rect(-5, -25, 90, 90));
}

TEST_F(ShapeContentImageTest, AFilterWorksInASquareOneAndAHalfTimesTheLargerSideWithItsCentreInTheMiddle)
{
    auto shape = filled(pf::Rect(0, 0, 100, 40));
    auto pixellate = spec(pixellateType);
    pixellate->setSliderValue(12);
    shape->setContentFilterSpecs({pixellate});
    EXPECT_EQ(shape->offscreenImageSize(), pf::Size(150, 150));
    EXPECT_EQ(shape->offscreenImageRect(), pf::Rect(-25, -55, 150, 150));
    const pf::Image filtered = shape->filteredContentImage();
    EXPECT_EQ(filtered.size(), pf::Size(150, 150));
    const auto& filters = shape->contentFilters();
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(std::get<pf::Point>(*filters[0]->value(pf::kInputCenterKey)), pf::Point(75, 75));
    EXPECT_EQ(std::get<double>(*filters[0]->value("inputScale")), 12.0);
    // The content sits in the middle of the square: red inside, clear around it.
    const QImage pixels = filtered.bitmap(0);
    EXPECT_EQ(at(pixels, 75, 75), QColor(255, 0, 0));
    EXPECT_EQ(pixels.pixelColor(5, 5).alpha(), 0);
}

TEST_F(ShapeContentImageTest, TheChainTakesEnabledKnownFiltersInOrderWithTheirSliderValues)
{
    auto shape = filled(pf::Rect(0, 0, 20, 20));
    auto sepia = spec(sepiaType);
    sepia->setSliderValue(50);  // the catalogue divides by 100
    shape->setContentFilterSpecs({spec(blurType, false), spec(0), sepia, spec(invertType)});
    const auto& filters = shape->contentFilters();
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0]->name(), "CISepiaTone");
    EXPECT_EQ(std::get<double>(*filters[0]->value("inputIntensity")), 0.5);
    EXPECT_EQ(filters[1]->name(), "CIColorInvert");

    shape->setContentFilterSpecs({spec(blurType, false), spec(0)});
    EXPECT_TRUE(shape->contentFilters().empty());
    EXPECT_FALSE(shape->hasContentFilters());

    // The inspector edits specs in place: the chain and the picture follow.
    auto pixellate = spec(pixellateType);
    shape->setContentFilterSpecs({pixellate});
    const pf::Image before = shape->filteredContentImage();
    pixellate->setSliderValue(3);
    EXPECT_EQ(std::get<double>(*shape->contentFilters().front()->value("inputScale")), 3.0);
    EXPECT_TRUE(shape->filteredContentImage().bitmap(0).constBits() != before.bitmap(0).constBits());
    pixellate->setEnabled(false);
    EXPECT_FALSE(shape->hasContentFilters());
}

// Without filters the fill has its own shadow; with them one shadow falls under the filtered picture.
TEST_F(ShapeContentImageTest, FilteredContentIsDrawnOnceUnderOneShadowAndTheTextOverIt)
{
    class Labelled : public Rectangle {
    public:
        void drawTextInContext(pf::GraphicsContext& context) override { context.fillRect(pf::Rect(1, 2, 3, 4)); }
    };
    auto shape = Shape::make<Labelled>(pf::Rect(10, 10, 40, 20));
    shape->setComposition(&canvasPage);
    shape->setFillType(0);
    shape->setFillColor(red);
    shape->setStrokeType(3);
    shape->setFillShadowHidden(false);
    shape->setFillShadowColor(pf::Color(0, 0, 0, 0.5));
    shape->setFillShadowOffsetX(2);

    auto plain = record(*shape);
    ASSERT_EQ(plain->calls().size(), 2u);
    EXPECT_EQ(plain->calls()[0].operation, "fill");
    EXPECT_TRUE(plain->calls()[0].state.shadow.has_value());

    shape->setContentFilterSpecs({spec(invertType)});
    auto filtered = record(*shape);
    const auto& calls = filtered->calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].operation, "image");
    EXPECT_TRUE(calls[0].state.shadow.has_value());
    EXPECT_EQ(calls[0].rect, pf::Rect(0, -10, 60, 60)) << "the square about the content's centre";
    EXPECT_EQ(calls[1].operation, "fill") << "text is drawn over the picture, unfiltered";
    EXPECT_EQ(calls[1].path.bounds(), pf::Rect(1, 2, 3, 4));
    EXPECT_FALSE(calls[1].state.shadow.has_value());
}

TEST_F(ShapeContentImageTest, FilteredContentShowsTheFilterAndTheShapesOpacityOnce)
{
    auto shape = filled(pf::Rect(10, 10, 40, 20), white);
    shape->setContentFilterSpecs({spec(invertType)});
    const QImage out = render(*shape, pf::Size(80, 80));
    EXPECT_EQ(at(out, 30, 20), QColor(0, 0, 0));
    EXPECT_EQ(alpha(out, 5, 5), 0);

    // The same opacity as the unfiltered shape, not its square or cube.
    auto unfiltered = filled(pf::Rect(10, 10, 40, 20), white);
    for (Shape* s : {static_cast<Shape*>(shape.get()), static_cast<Shape*>(unfiltered.get())})
        s->setOpacity(0.5);
    EXPECT_NEAR(alpha(render(*shape, pf::Size(80, 80)), 30, 20), alpha(render(*unfiltered, pf::Size(80, 80)), 30, 20), 1);
}

TEST_F(ShapeContentImageTest, ContentWithoutAreaOrWithoutPixelsLeftIsDrawnUnfiltered)
{
    for (const pf::Rect frame : {pf::Rect(10, 10, 0, 20), pf::Rect(0, 0, 1e300, 1e300)}) {
        auto shape = filled(frame);
        shape->setContentFilterSpecs({spec(invertType)});
        EXPECT_EQ(&shape->filteredContentImage().drawingHandler(), &shape->contentImage().drawingHandler());
    }
    // A large shape is filtered at fewer pixels than points, with its lengths scaled alike.
    auto large = filled(pf::Rect(0, 0, 4000, 100));
    auto pixellate = spec(pixellateType);
    pixellate->setSliderValue(10);
    large->setContentFilterSpecs({pixellate});
    const pf::Image filtered = large->filteredContentImage();
    EXPECT_EQ(filtered.size(), pf::Size(6000, 6000));
    EXPECT_EQ(filtered.bitmap(0).width(), 3072);
    EXPECT_EQ(filtered.bitmap(0).pixelColor(1536, 1536), QColor(255, 0, 0));
}

// Pixel checks of the image layer with a picture of four coloured quadrants.
TEST_F(ShapeContentImageTest, ImageLayerScalesOrAnchorsAndFlipsByTheFrame)
{
    struct Case {
        const char* what;
        pf::Rect frame;
        bool scale;
        pf::Point anchor;
        // Where the red (top-left) and green (top-right) quadrants show.
        pf::Point redAt, greenAt;
        pf::Point clearAt;
    };
    const Case cases[] = {
        {"scaled to the frame", {10, 10, 40, 20}, true, {0.5, 0.5}, {20, 14}, {40, 14}, {5, 5}},
        {"natural size about the centre", {10, 10, 40, 20}, false, {0.5, 0.5}, {25, 17}, {35, 17}, {12, 12}},
        {"anchor (0, 0)", {10, 10, 40, 20}, false, {0, 0}, {15, 12}, {25, 12}, {45, 25}},
        {"negative width mirrors", {50, 10, -40, 20}, true, {0.5, 0.5}, {40, 14}, {20, 14}, {5, 5}},
        {"negative height turns upside down", {10, 30, 40, -20}, true, {0.5, 0.5}, {20, 26}, {40, 26}, {5, 5}},
    };
    for (const Case& c : cases) {
        auto shape = picture(c.frame, c.scale);
        shape->setImageAnchorRatio(c.anchor);
        const QImage out = render(*shape, pf::Size(60, 40));
        EXPECT_EQ(at(out, int(c.redAt.x), int(c.redAt.y)), QColor(255, 0, 0)) << c.what;
        EXPECT_EQ(at(out, int(c.greenAt.x), int(c.greenAt.y)), QColor(0, 255, 0)) << c.what;
        EXPECT_EQ(alpha(out, int(c.clearAt.x), int(c.clearAt.y)), 0) << c.what;
    }
}

TEST_F(ShapeContentImageTest, ImagesAreClippedToTheOutlineAndDrawnWithTheScreenOrExportQuality)
{
    auto shape = picture(pf::Rect(10, 10, 10, 10), false);  // the picture is larger than the frame
    auto recording = record(*shape);
    const auto& calls = recording->calls();
    ASSERT_FALSE(calls.empty());
    const auto& image = calls.back();
    EXPECT_EQ(image.operation, "image");
    EXPECT_EQ(image.state.interpolation, pf::InterpolationQuality::Low);
    EXPECT_FALSE(image.state.clip.unbounded);
    EXPECT_EQ(image.state.clip.bounds(), QRectF(10, 10, 10, 10));
    canvasPage.exporting = true;
    EXPECT_EQ(record(*shape)->calls().back().state.interpolation, pf::InterpolationQuality::High);
    // The clip and the quality end with the image's layer: the stroke over it has neither.
    canvasPage.exporting = false;
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(1);
    shape->setStrokeColor(pf::Color(0, 0, 0, 1));
    const auto stroked = record(*shape);
    const pf::RecordedCall& stroke = stroked->calls().back();
    EXPECT_EQ(stroke.operation, "stroke");
    EXPECT_TRUE(stroke.state.clip.unbounded);
    EXPECT_EQ(stroke.state.interpolation, pf::InterpolationQuality::Default);
}

// Pictures are shared between copies: drawing one scaled must not change how its twin draws.
TEST_F(ShapeContentImageTest, ACopysDrawnSizeIsUnaffectedByItsTwin)
{
    auto scaled = picture(pf::Rect(0, 0, 200, 100), true);
    scaled->setImageIdentifier("PIC");
    scaled->setImage(quadrants());
    auto twin = std::static_pointer_cast<Rectangle>(scaled->copy());
    twin->setComposition(&canvasPage);
    twin->setScaleImage(false);
    twin->setImage(scaled->image());
    twin->setFrame(pf::Rect(0, 0, 200, 100));
    EXPECT_EQ(record(*scaled)->calls().back().rect.size, pf::Size(200, 100));
    EXPECT_EQ(record(*twin)->calls().back().rect.size, pf::Size(20, 10));
    EXPECT_EQ(scaled->image().size(), pf::Size(20, 10));
}

TEST_F(ShapeContentImageTest, SizeToFitImageKeepsTheCentreAndHalvesScaledPictures)
{
    QImage bitmap(200, 100, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::red);
    auto shape = box(pf::Rect(50, 50, 40, 40));
    shape->setScaleImage(true);
    shape->setImage(pf::Image(bitmap));
    shape->sizeToFitImage(true);
    EXPECT_EQ(shape->frame(), pf::Rect(20, 45, 100, 50));
    shape->sizeToFitImage(false);
    EXPECT_EQ(shape->frame(), pf::Rect(-30, 20, 200, 100));
    auto bare = box(pf::Rect(50, 50, 40, 40));
    bare->sizeToFitImage(true);
    EXPECT_EQ(bare->frame(), pf::Rect(50, 50, 40, 40)) << "no picture, no change";
}

} // namespace

namespace {

QStringList& debugMessages()
{
    static QStringList messages;
    return messages;
}

void collectDebug(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg && QByteArray(context.category) == "quorvel.model.shape.image")
        debugMessages() << message;
}

// Filtered shapes are drawn on every canvas frame: their image log is at debug level, off by default.
TEST_F(ShapeContentImageTest, TheImageLogIsDebugOnlyAndOffByDefault)
{
    auto shape = filled(pf::Rect(10, 10, 40, 20));
    shape->setImageIdentifier("IMG");
    shape->setContentFilterSpecs({spec(invertType)});
    debugMessages().clear();
    const QtMessageHandler previous = qInstallMessageHandler(&collectDebug);
    render(*shape, pf::Size(80, 80));
    EXPECT_TRUE(debugMessages().isEmpty());
    QLoggingCategory::setFilterRules(QStringLiteral("quorvel.model.shape.image.debug=true"));
    render(*shape, pf::Size(80, 80));
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    ASSERT_FALSE(debugMessages().isEmpty());
    EXPECT_EQ(debugMessages().back(), "IMG: s:{{0, 0}, {60, 60}}, d:{{0, -10}, {60, 60}}");
}

} // namespace
