#include "OutlineTestSupport.h"
#include "../model/ShapeTestSupport.h"

#include "shapes/Brush.h"
#include "shapes/PathData.h"

#include "platform/foundation/PropertyList.h"
#include "platform/graphics/PainterContext.h"
#include "support/ReferencePicture.h"

#include <cmath>

namespace {

class BrushTest : public OutlineTest {
protected:
    // An empty brush on the frame, then the path set as the brush tool sets a finished stroke.
    static std::shared_ptr<Brush> brushWithPath(const pf::Rect& frame, const pf::Path& path)
    {
        auto brush = std::make_shared<Brush>();
        brush->initWithFrameFromFile(frame, false);
        brush->setPath(path);
        return brush;
    }
    static pf::Path zigzag()
    {
        pf::Path p;
        p.moveTo({10, 60});
        p.lineTo({35, 20});
        p.curveTo({40, 30}, {50, 50}, {60, 20});
        return p;
    }
};

TEST_F(BrushTest, PathFollowsTheFrame)
{
    const pf::Rect start(10, 20, 50, 40);
    struct Case {
        const char* name;
        pf::Rect frame;
        // Where a path point (x, y) of the start frame must land.
        pf::Point (*map)(pf::Point);
    };
    const Case cases[] = {
        {"moved", pf::Rect(15, 12, 50, 40), [](pf::Point p) { return pf::Point(p.x + 5, p.y - 8); }},
        {"twice as wide", pf::Rect(10, 20, 100, 40), [](pf::Point p) { return pf::Point(10 + 2 * (p.x - 10), p.y); }},
        {"moved and resized", pf::Rect(0, 0, 25, 80),
         [](pf::Point p) { return pf::Point(0.5 * (p.x - 10), 2 * (p.y - 20)); }},
        {"far away", pf::Rect(1e6, -1e6, 5e5, 40),
         [](pf::Point p) { return pf::Point(1e6 + 1e4 * (p.x - 10), -1e6 + (p.y - 20)); }},
    };
    for (const Case& c : cases) {
        auto brush = brushWithPath(start, zigzag());
        brush->setFrame(c.frame);
        ASSERT_EQ(brush->frame(), c.frame) << c.name;
        const pf::Path& moved = brush->path();
        ASSERT_EQ(moved.elementCount(), zigzag().elementCount()) << c.name;
        const double tolerance =
            1e-9 * std::max({1.0, std::fabs(c.frame.x()), std::fabs(c.frame.y()), c.frame.width(), c.frame.height()});
        for (int e = 0; e < moved.elementCount(); ++e)
            for (int i = 0; i < moved.element(e).pointCount(); ++i) {
                const pf::Point want = c.map(zigzag().element(e).points[i]);
                EXPECT_NEAR(moved.element(e).points[i].x, want.x, tolerance) << c.name;
                EXPECT_NEAR(moved.element(e).points[i].y, want.y, tolerance) << c.name;
            }
    }
}

TEST_F(BrushTest, ChangesUnderOnePointLeaveThePathExactly)
{
    auto brush = brushWithPath(pf::Rect(10, 20, 50, 40), zigzag());
    // The old frame differs from the frame by less than a point in origin and size.
    brush->regeneratePathWithOldFrame(pf::Rect(10.6, 19.3, 50.9, 39.2));
    EXPECT_TRUE(brush->path().sameElements(zigzag()));
}

TEST_F(BrushTest, EndOfADragKeepsThePathFittedDuringIt)
{
    auto brush = brushWithPath(pf::Rect(10, 20, 50, 40), zigzag());
    FakePage page;
    brush->setComposition(&page);
    brush->beginDrag();
    brush->setFrame(pf::Rect(10, 20, 100, 40));
    const pf::Path dragged = brush->path();
    brush->endDrag(pf::Event());
    EXPECT_EQ(brush->frame(), pf::Rect(10, 20, 100, 40));
    EXPECT_TRUE(brush->path().sameElements(dragged));
    EXPECT_FALSE(brush->preventAppendPath());
    // Undo puts the frame back, and the path with it.
    page.undo.undo();
    EXPECT_EQ(brush->frame(), pf::Rect(10, 20, 50, 40));
    EXPECT_EQ(brush->path().element(1).points[0], pf::Point(35, 20));
    brush->setComposition(nullptr);
}

TEST_F(BrushTest, UnfilledBrushIsHitWithinFiveScreenPointsOfItsStrokeAtAnyZoom)
{
    // An open V: the chord between its ends is not drawn, so it is no hit.
    pf::Path v;
    v.moveTo({0, 0});
    v.lineTo({50, 100});
    v.lineTo({100, 0});
    auto brush = brushWithPath(pf::Rect(0, 0, 100, 100), v);
    brush->setFillType(5);
    brush->setStrokeLineWidth(2);
    FakePage page;
    brush->setComposition(&page);
    // Half of (line width + 10 / zoom) across the first leg, from its middle; the zoom changes after
    // the first hit test, as it does on a canvas.
    const pf::Point across(2 / std::sqrt(5.0), -1 / std::sqrt(5.0));
    for (const double zoom : {1.0, 4.0, 0.25, 1.0}) {
        page.zoom = zoom;
        const double reach = (2 + 10 / zoom) / 2;
        for (const double side : {1.0, -1.0}) {
            const auto at = [&](double k) { return pf::Point(25 + side * k * across.x, 50 + side * k * across.y); };
            EXPECT_TRUE(brush->containsPoint(at(0.98 * reach))) << zoom;
            EXPECT_FALSE(brush->containsPoint(at(1.02 * reach))) << zoom;
        }
    }
    page.zoom = 1;
    EXPECT_FALSE(brush->containsPoint(pf::Point(50, 0)));
    EXPECT_FALSE(brush->containsPoint(pf::Point(50, 50)));
    // Filled, the inside counts.
    brush->setFillType(0);
    EXPECT_TRUE(brush->containsPoint(pf::Point(50, 50)));
    brush->setHidden(true);
    EXPECT_FALSE(brush->containsPoint(pf::Point(50, 100)));
    brush->setComposition(nullptr);
}

TEST_F(BrushTest, IsNeverRotated)
{
    auto brush = brushWithPath(pf::Rect(10, 20, 50, 40), zigzag());
    brush->setRotationAngle(45);
    EXPECT_EQ(brush->rotationAngle(), 0);
    EXPECT_TRUE(brush->path().sameElements(zigzag()));
    pf::Value stored = brush->asPlist();
    stored.set(QStringLiteral("rotationAngle"), pf::Value(90));
    auto read = Shape::fromPlist(stored);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->rotationAngle(), 0);
    EXPECT_TRUE(read->path().sameElements(zigzag()));
}

TEST_F(BrushTest, StoredPathReadsBackThroughTheDocumentFormat)
{
    pf::Path path = zigzag();
    path.close();
    path.moveTo({0.1, 1e-9});
    path.quadTo({3e5, -2}, {7, 8});
    path.setWindingRule(pf::WindingRule::EvenOdd);
    auto brush = brushWithPath(pf::Rect(0, 0, 100, 100), path);
    const auto written = pf::writePropertyList(brush->asPlist());
    ASSERT_TRUE(written.ok());
    const auto reread = pf::readPropertyList(*written.data);
    ASSERT_TRUE(reread.ok());
    auto read = Shape::fromPlist(*reread.value);
    ASSERT_NE(read, nullptr);
    ASSERT_TRUE(read->isBrush());
    EXPECT_EQ(elementTexts(read->path()), elementTexts(path));
    EXPECT_TRUE(read->path().sameElements(path));
    EXPECT_EQ(read->path().windingRule(), pf::WindingRule::EvenOdd);
    // A copy keeps it too.
    EXPECT_EQ(elementTexts(read->copy()->path()), elementTexts(path));
}

// Stored path data of our format with parts replaced.
QByteArray pathData(const pf::Value& version, const pf::Value& types, const pf::Value& points,
                    const pf::Value& winding = pf::Value(0))
{
    pf::Value::Dictionary d;
    if (!version.isNull())
        d[QStringLiteral("version")] = version;
    d[QStringLiteral("windingRule")] = winding;
    d[QStringLiteral("elementTypes")] = types;
    d[QStringLiteral("points")] = points;
    return *pf::writePropertyList(pf::Value(std::move(d))).data;
}

pf::Value numbers(std::initializer_list<double> values)
{
    pf::Value::Array a;
    for (double v : values)
        a.emplace_back(v);
    return pf::Value(std::move(a));
}

pf::Value integers(std::initializer_list<int> values)
{
    pf::Value::Array a;
    for (int v : values)
        a.emplace_back(v);
    return pf::Value(std::move(a));
}

TEST_F(BrushTest, PathDataRefusesForeignAndDamagedData)
{
    const pf::Value v1(1);
    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"empty", QByteArray()},
        {"binary property list", QByteArray("bplist00\xd1\x01\x02Tpath", 14)},
        {"foreign bytes", QByteArray("\x04\x0b\x00\x81\xe8\x03\x84\x01@", 9)},
        {"not a dictionary", *pf::writePropertyList(integers({1, 2})).data},
        {"no version", pathData(pf::Value(), integers({0}), numbers({1, 2}))},
        {"newer version", pathData(pf::Value(2), integers({0}), numbers({1, 2}))},
        {"version as text", pathData(pf::Value(QStringLiteral("1")), integers({0}), numbers({1, 2}))},
        {"unknown element", pathData(v1, integers({0, 5}), numbers({1, 2, 3, 4}))},
        {"element as text", pathData(v1, pf::Value(pf::Value::Array{pf::Value(QStringLiteral("0"))}), numbers({1, 2}))},
        {"starts with a line", pathData(v1, integers({1}), numbers({1, 2}))},
        {"points missing", pathData(v1, integers({0, 3}), numbers({1, 2, 3, 4, 5, 6}))},
        {"points left over", pathData(v1, integers({0}), numbers({1, 2, 3}))},
        {"point as text", pathData(v1, integers({0}), pf::Value(pf::Value::Array{pf::Value(1), pf::Value(QStringLiteral("2"))}))},
        {"winding rule 2", pathData(v1, integers({0}), numbers({1, 2}), pf::Value(2))},
        {"points not a list", pathData(v1, integers({0}), pf::Value(QStringLiteral("1 2")))},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(pathdata::decode(c.data, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    // The same form, whole, reads.
    const auto good = pathdata::decode(pathData(v1, integers({0, 1, 4}), numbers({1, 2, 3, 4})));
    ASSERT_TRUE(good);
    EXPECT_EQ(elementTexts(*good), (std::vector<std::string>{"M 1 2", "L 3 4", "Z"}));
}

TEST_F(BrushTest, UnreadableStoredPathLeavesTheBrushEmpty)
{
    auto brush = brushWithPath(pf::Rect(10, 20, 50, 40), zigzag());
    for (const pf::Value& damaged : {pf::Value(QByteArray("bplist00garbage")), pf::Value(QStringLiteral("path"))}) {
        pf::Value stored = brush->asPlist();
        stored.set(QStringLiteral("pathData"), damaged);
        auto read = Shape::fromPlist(stored);
        ASSERT_NE(read, nullptr);
        EXPECT_TRUE(read->path().isEmpty());
        EXPECT_EQ(read->frame(), pf::Rect(10, 20, 50, 40));
    }
}

TEST_F(BrushTest, NewBrushStartsFromTheSampleFittedToItsFrame)
{
    const pf::Rect frame(100, 50, 200, 150);
    auto brush = Shape::make<Brush>(frame);
    ASSERT_FALSE(brush->path().isEmpty());
    // Fitted from the sample's own bounds.
    const pf::Rect bounds = brush->path().bounds();
    const double tolerance = 1e-9 * frame.maxX();
    EXPECT_NEAR(bounds.x(), frame.x(), tolerance);
    EXPECT_NEAR(bounds.y(), frame.y(), tolerance);
    EXPECT_NEAR(bounds.maxX(), frame.maxX(), tolerance);
    EXPECT_NEAR(bounds.maxY(), frame.maxY(), tolerance);
    // A stored brush without a path takes the sample at its stored frame.
    pf::Value stored = brush->asPlist();
    stored.remove(QStringLiteral("pathData"));
    auto read = Shape::fromPlist(stored);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->path().sameElements(brush->path()));
}

TEST_F(BrushTest, WithoutTheSampleANewBrushIsEmpty)
{
    EXPECT_TRUE(Brush::samplePathFromResource(std::nullopt).isEmpty());
    EXPECT_TRUE(Brush::samplePathFromResource(pf::Value::dictionary()).isEmpty());
    Brush::setLoadsSamplePath(false);
    auto brush = Shape::make<Brush>(pf::Rect(0, 0, 100, 100));
    Brush::setLoadsSamplePath(true);
    EXPECT_TRUE(brush->path().isEmpty());
    EXPECT_FALSE(brush->containsPoint(pf::Point(50, 50)));
}

TEST_F(BrushTest, ClassRow)
{
    const ShapeClass& k = Brush::staticClass();
    EXPECT_EQ(k.manipulatorClassName(), QStringLiteral("BrushManipulator"));
    EXPECT_EQ(k.stickyPhylumName(), QStringLiteral("Brush"));
    EXPECT_EQ(k.facetClassNames().at(2), QStringLiteral("GeometryNoConstrainNoRotationFacet"));
    const pf::Image icon = k.iconImage();
    ASSERT_TRUE(icon.isValid());
    EXPECT_EQ(icon.size(), pf::Size(32, 32));
    // Mirrored: the handle ends in the top left corner; the top right corner is empty.
    const QImage pixels = icon.rendered(1.0);
    const auto alphaIn = [&pixels](int x0, int y0) {
        int sum = 0;
        for (int y = y0; y < y0 + 8; ++y)
            for (int x = x0; x < x0 + 8; ++x)
                sum += qAlpha(pixels.pixel(x, y));
        return sum;
    };
    EXPECT_GT(alphaIn(0, 0), 0);
    EXPECT_EQ(alphaIn(24, 0), 0);
}

} // namespace

namespace {

// The sample stroke at three frames: unfilled and thick, filled, and stretched wide and flat.
TEST_F(BrushTest, SamplesMatchTheReferencePicture)
{
    pf::BitmapContext context(pf::Size(380, 130), 1.0, true, false);
    context.setFillColor(pf::Color(1, 1, 1, 1));
    context.fillPath(pf::Path::rect(pf::Rect(0, 0, 380, 130)));
    context.translate(0.5, 0.5);
    const struct {
        pf::Rect frame;
        std::uint64_t fillType;
        double width;
    } brushes[] = {{pf::Rect(10, 10, 100, 110), 5, 6}, {pf::Rect(130, 10, 100, 110), 0, 1}, {pf::Rect(250, 40, 120, 50), 5, 2}};
    for (const auto& b : brushes) {
        auto brush = Shape::make<Brush>(b.frame);
        brush->setFillType(b.fillType);
        brush->setFillColor(pf::Color(0.55, 0.75, 0.95, 1));
        brush->setFillShadowHidden(true);
        brush->setStrokeType(0);
        brush->setStrokeLineWidth(b.width);
        brush->setStrokeLineCap(1);
        brush->setStrokeLineJoin(1);
        brush->setStrokeColor(pf::Color(0.1, 0.1, 0.3, 1));
        brush->setStrokeShadowHidden(true);
        brush->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    }
    expectMatchesReferencePicture(context.bitmap(), QStringLiteral(QUORVEL_TEST_DATA "/shapes/brushes.png"));
}

} // namespace
