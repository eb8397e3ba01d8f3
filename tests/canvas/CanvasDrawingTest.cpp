// The canvas's paint, recorded and as pictures: grid lines per unit, decorations only on screen, guides cut
// to the dirty rect, and reference pictures of the page, the grids and the selection's handles.
#include "canvas/support/CanvasFixture.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Guide.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "support/ReferencePicture.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The fills of the grid: those at the view's own transform before the first shape call, in the grays of the
// patterns, with their rects.
struct GridFill {
    double gray;
    std::vector<QRectF> rects;
};

std::vector<GridFill> gridFills(const std::vector<pf::RecordedCall>& calls)
{
    std::vector<GridFill> fills;
    for (const pf::RecordedCall& c : calls) {
        if (!c.state.ctm.isIdentity())
            break; // the page's shapes begin
        const double gray = c.state.fillColor.red;
        if (c.operation != "fill" || (gray != 0.9 && gray != 0.85 && gray != 0.8) || c.path.elementCount() < 10)
            continue;
        GridFill f{gray, {}};
        for (const QPolygonF& polygon : c.path.toQt(pf::WindingRule::NonZero).toSubpathPolygons())
            f.rects.push_back(polygon.boundingRect());
        fills.push_back(f);
    }
    return fills;
}

class CanvasDrawingTest : public CanvasFixture {
protected:
    std::vector<pf::RecordedCall> record(const pf::Rect& dirty, bool onScreen = true)
    {
        pf::RecordingContext context(QRectF(0, 0, 2000, 2000), onScreen);
        canvas->drawRect(context, dirty);
        return context.calls();
    }
    // The canvas drawn into a picture of the view rect, on screen.
    QImage picture(const pf::Rect& viewRect)
    {
        pf::BitmapContext context(viewRect.size, 1.0, true, true);
        context.translate(-viewRect.x(), -viewRect.y());
        canvas->drawRect(context, viewRect);
        return context.bitmap();
    }
    void setZoom(double scale)
    {
        page->setOverrideZoomScale(scale);
        canvas->updateGridPattern();
        canvas->updateForZoomScale();
    }
    // Pictures of equal height, left to right.
    static QImage sideBySide(std::initializer_list<QImage> pictures)
    {
        int width = 0, height = 0;
        for (const QImage& p : pictures) {
            width += p.width();
            height = std::max(height, p.height());
        }
        QImage all(width, height, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&all);
        int x = 0;
        for (const QImage& p : pictures) {
            painter.drawImage(x, 0, p);
            x += p.width();
        }
        return all;
    }
    static QString reference(const char* name)
    {
        return QStringLiteral(QUORVEL_TEST_DATA "/canvas/") + QString::fromLatin1(name) + QStringLiteral(".png");
    }
};

TEST_F(CanvasDrawingTest, GridLinesFollowTheUnitAtThePatternsPlaces)
{
    struct Case {
        const char* what;
        unsigned unit;
        double tolerance;  // points and steps only
        double zoom;
        std::uint64_t visibility;
        bool gridOn;
        // Per fill: gray, spacing in view points, band width; and where the lines are phased.
        std::vector<std::tuple<double, double, double>> patterns;
        bool phaseAtCentre;
    };
    const Case cases[] = {
        {"points", Metrics::Points, 10, 1, 2, false, {{0.9, 10, 1}}, true},
        {"points at 0.75: fractional cells", Metrics::Points, 10, 0.75, 2, false, {{0.9, 7.5, 1}}, true},
        {"points of spacing 1 run through the corner", Metrics::Points, 1, 2, 2, false, {{0.9, 2, 1}}, false},
        {"inches: 1x, 4x, 8x", Metrics::Inches, 0, 1, 2, false, {{0.9, 9, 1}, {0.85, 36, 1}, {0.8, 72, 1}}, false},
        // Half centimetres and centimetres of the 72 dpi page, 72 / 2.54 points each.
        {"centimetres: 1x, 2x at width 1", Metrics::Centimeters, 0, 1, 2, false,
         {{0.9, 72 / 2.54 / 2, 0.5}, {0.85, 72 / 2.54, 0.5}}, false},
        {"steps: none", Metrics::Steps, 10, 1, 2, false, {}, false},
        {"cells under a view point: none", Metrics::Points, 1, 0.5, 2, false, {}, false},
        {"cells over 1000 view points: none", Metrics::Points, 600, 2, 2, false, {}, false},
        {"visibility 0: none", Metrics::Points, 10, 1, 0, true, {}, false},
        {"visibility 1 with the grid off: none", Metrics::Points, 10, 1, 1, false, {}, false},
        {"visibility 1 with the grid on", Metrics::Points, 10, 1, 1, true, {{0.9, 10, 1}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page->sharedMetrics()->setUnitType(c.unit);
        page->setGridTolerance(c.tolerance > 0 ? c.tolerance : 10);
        page->setGridEnabled(c.gridOn);
        UserDefaults::instance().setGridVisibility(c.visibility);
        setZoom(c.zoom);
        const pf::Rect p = canvas->scaledCompositionFrame();
        const pf::Rect dirty = QVRectOutset(p, -30, -40);
        const auto fills = gridFills(record(dirty));
        ASSERT_EQ(fills.size(), c.patterns.size());
        const pf::Point phase = c.phaseAtCentre ? QVRectGetMidMidPoint(p)
            : c.unit == Metrics::Points         ? p.origin
                                                : QVRectGetBotLefPoint(p);
        for (std::size_t i = 0; i < fills.size(); ++i) {
            const auto [gray, side, band] = c.patterns[i];
            EXPECT_EQ(fills[i].gray, gray);
            int vertical = 0, horizontal = 0;
            for (const QRectF& r : fills[i].rects) {
                const double scale = std::max(1.0, side);
                if (r.height() == dirty.height()) {
                    // A vertical band right of its line, the line on the pattern's spacing from the phase.
                    ++vertical;
                    if (r.left() > dirty.minX()) {
                        const double steps = (r.left() - phase.x) / side;
                        EXPECT_NEAR(steps, std::round(steps), 1e-9 * scale) << r.left();
                        EXPECT_NEAR(r.width(), band, 1e-9 * scale);
                    }
                } else {
                    ++horizontal;
                    EXPECT_EQ(r.width(), dirty.width());
                    if (r.bottom() < dirty.maxY()) {
                        const double steps = (r.bottom() - phase.y) / side;
                        EXPECT_NEAR(steps, std::round(steps), 1e-9 * scale) << r.bottom();
                        EXPECT_NEAR(r.height(), band, 1e-9 * scale);
                    }
                }
            }
            EXPECT_NEAR(vertical, dirty.width() / side, 1.5);
            EXPECT_NEAR(horizontal, dirty.height() / side, 1.5);
        }
    }
}

TEST_F(CanvasDrawingTest, DecorationsAreForTheScreenOnly)
{
    UserDefaults::instance().setGridVisibility(2);
    UserDefaults::instance().setGuidesVisible(true);
    page->setUserGuides({Guide::make(page.get(), Guide::UserGuide, {100, -1e7}, {100, 3.4028234663852886e38})});
    canvas->replaceSelectionWithShape(rectangle);
    canvas->updateGridPattern();
    const pf::Rect dirty = canvas->bounds();
    // After the page's shapes (drawn in page space) nothing more is drawn in view space.
    const auto decorationsAfterShapes = [](const std::vector<pf::RecordedCall>& calls) {
        bool inShapes = false;
        int after = 0;
        for (const pf::RecordedCall& c : calls) {
            if (!c.state.ctm.isIdentity())
                inShapes = true;
            else if (inShapes && c.operation != "clipToRect" && c.operation != "clip" && c.operation != "resetClip")
                ++after;
        }
        return after;
    };
    const auto onScreen = record(dirty);
    EXPECT_GT(decorationsAfterShapes(onScreen), 10);
    EXPECT_FALSE(gridFills(onScreen).empty());

    const auto offScreen = record(dirty, false);
    EXPECT_EQ(decorationsAfterShapes(offScreen), 0);
    EXPECT_TRUE(gridFills(offScreen).empty());
    const std::pair<const char*, void (Composition::*)(bool)> flags[] = {
        {"exporting", &Composition::setExporting},
        {"thumbnail", &Composition::setDrawingThumbnail},
        {"loupe", &Composition::setDrawingLoupe},
    };
    for (const auto& [what, set] : flags) {
        ((*page).*set)(true);
        const auto drawn = record(dirty);
        EXPECT_EQ(decorationsAfterShapes(drawn), 0) << what;
        EXPECT_TRUE(gridFills(drawn).empty()) << what;
        ((*page).*set)(false);
    }
}

TEST_F(CanvasDrawingTest, GuidesAreCutToTheDirtyRectAndUnplacedOnesAreNotDrawn)
{
    UserDefaults::instance().setGridVisibility(0);
    const auto unplaced = std::make_shared<Guide>();
    const auto vertical = Guide::make(page.get(), Guide::UserGuide, {100.3, -1e7}, {100.3, 3.4028234663852886e38});
    page->setUserGuides({unplaced, vertical});
    // A temporary guide shows whether or not user guides do.
    canvas->addTempGuide(0, {-1e7, 200}, {3.4028234663852886e38, 200});
    const pf::Rect dirty(100, 120, 400, 300);
    const auto strokesIn = [](const std::vector<pf::RecordedCall>& calls, const pf::Color& colour) {
        std::vector<pf::Rect> lines;
        for (const pf::RecordedCall& c : calls)
            if (c.operation == "stroke" && c.state.strokeColor == colour && c.state.ctm.isIdentity())
                lines.push_back(c.path.bounds());
        return lines;
    };
    const pf::Color userColour = *vertical->color();
    const pf::Color tempColour = *canvas->tempGuides().front()->color();
    const pf::Point x = QVPointRoundPlusHalf(canvas->convertPointFromComposition({100.3, 0}));
    const pf::Point y = QVPointRoundPlusHalf(canvas->convertPointFromComposition({0, 200}));

    UserDefaults::instance().setGuidesVisible(true);
    auto drawn = record(dirty);
    const auto user = strokesIn(drawn, userColour);
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(user[0].x(), x.x);
    EXPECT_EQ(user[0].width(), 0);
    // Cut to the dirty rect (grown by 2), far from 3.4e38.
    EXPECT_EQ(user[0].minY(), dirty.minY() - 2);
    EXPECT_EQ(user[0].maxY(), dirty.maxY() + 2);
    const auto temp = strokesIn(drawn, tempColour);
    ASSERT_EQ(temp.size(), 1u);
    EXPECT_EQ(temp[0].y(), y.y);
    EXPECT_EQ(temp[0].minX(), dirty.minX() - 2);
    EXPECT_EQ(temp[0].maxX(), dirty.maxX() + 2);

    UserDefaults::instance().setGuidesVisible(false);
    drawn = record(dirty);
    EXPECT_TRUE(strokesIn(drawn, userColour).empty());
    EXPECT_EQ(strokesIn(drawn, tempColour).size(), 1u);

    // A dirty rect the guide does not cross draws none of it.
    UserDefaults::instance().setGuidesVisible(true);
    EXPECT_TRUE(strokesIn(record(pf::Rect(x.x + 20, 0, 50, 50)), userColour).empty());
}

// ---- reference pictures ----

TEST_F(CanvasDrawingTest, PageAtZoomTwoWithVeilBorderGuidesAndPointGridMatchesTheReferencePicture)
{
    UserDefaults::instance().setGridVisibility(2);
    UserDefaults::instance().setGuidesVisible(true);
    page->setGridTolerance(10);
    setZoom(2);
    // A shape half off the page's top-left corner, veiled outside it.
    const auto outside = addShape("Ellipse", {-30, -20, 70, 50});
    outside->setFillColor(pf::Color(0.2, 0.5, 0.9, 1));
    canvas->selectNone();
    page->setUserGuides({Guide::make(page.get(), Guide::UserGuide, {60, -1e7}, {60, 3.4028234663852886e38})});
    canvas->addTempGuide(1, {-1e7, 45}, {3.4028234663852886e38, 45});
    const pf::Point corner = canvas->convertPointFromComposition({0, 0});
    expectMatchesReferencePicture(picture(pf::Rect(corner.x - 80, corner.y - 60, 320, 240)), reference("page-zoom2"));
}

TEST_F(CanvasDrawingTest, InchAndCentimetreGridsMatchTheReferencePicture)
{
    UserDefaults::instance().setGridVisibility(2);
    const pf::Point corner = canvas->convertPointFromComposition({0, 0});
    page->sharedMetrics()->setUnitType(Metrics::Inches);
    canvas->updateGridPattern();
    const QImage inches = picture(pf::Rect(corner.x - 10, corner.y + 300, 200, 150));
    page->sharedMetrics()->setUnitType(Metrics::Centimeters);
    canvas->updateGridPattern();
    const QImage centimetres = picture(pf::Rect(corner.x - 10, corner.y + 300, 200, 150));
    expectMatchesReferencePicture(sideBySide({inches, centimetres}), reference("grids-inch-centimetre"));
}

TEST_F(CanvasDrawingTest, SelectionHandlesMatchTheReferencePicture)
{
    UserDefaults::instance().setGridVisibility(0);
    // Left: resize, rotation, connection and option handles; middle: a locked one; right: a handle dragged.
    const auto shape = addShape("Rectangle", {40, 60, 90, 50});
    canvas->replaceSelectionWithShape(shape);
    canvas->manipulator()->setConnectionOptionsVisible(true);
    canvas->manipulator()->setActiveHandle(ManipulatorHandleConnectionOption + 2);
    const pf::Point corner = canvas->convertPointFromComposition({0, 0});
    const QImage open = picture(pf::Rect(corner.x, corner.y + 20, 200, 180));
    shape->setLocked(true);
    canvas->replaceSelectionWithShape(shape);
    const QImage locked = picture(pf::Rect(corner.x, corner.y + 20, 200, 180));
    shape->setLocked(false);
    canvas->replaceSelectionWithShape(shape);
    canvas->manipulator()->setDragResizing(true);
    canvas->manipulator()->setActiveHandle(QVRectCornerBotRit);
    const QImage dragged = picture(pf::Rect(corner.x, corner.y + 20, 200, 180));
    expectMatchesReferencePicture(sideBySide({open, locked, dragged}), reference("selection-handles"));
}

} // namespace

TEST_F(CanvasDrawingTest, ConnectorAndLoupeHandlesMatchTheReferencePicture)
{
    UserDefaults::instance().setGridVisibility(0);
    // Left: an elbow line's ends, bends and elbow; right: a loupe's target, away from the loupe.
    const auto elbow = addShape("SegmentedLine", {560, 400, 120, 80});
    canvas->replaceSelectionWithShape(elbow);
    const pf::Point corner = canvas->convertPointFromComposition({540, 380});
    const QImage segmented = picture(pf::Rect(corner.x, corner.y, 200, 160));
    const auto loupe = addShape("Loupe", {560, 400, 60, 60});
    loupe->setValueForKeyPath(pf::Point(660, 480), QStringLiteral("zoomTargetPoint"));
    canvas->replaceSelectionWithShape(loupe);
    const QImage target = picture(pf::Rect(corner.x, corner.y, 200, 160));
    expectMatchesReferencePicture(sideBySide({segmented, target}), reference("connector-and-loupe-handles"));
}
