// The selection's handles as the canvas's overlay draws them: which show, where (whole view points, fixed
// sizes, turned places), in what colours, and that the redisplay rect covers them.
#include "ManipulatorTestSupport.h"

#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"

#include <QImage>

#include <cmath>

namespace {

// What the overlay drew, read back from the recorded calls.
struct DrawnHandles {
    // Resize squares: their fill colours' gray and their outline colours, in drawing order.
    std::vector<pf::Rect> squares;
    std::vector<double> squareFills;
    std::vector<pf::Color> squareOutlines;
    // Round handles (10 x 10) by centre, with their outline colour.
    std::vector<std::pair<pf::Point, pf::Color>> rounds;
    int options = 0;
    int gradients = 0;
    std::vector<pf::Gradient> faces;
};

bool sameColor(const pf::Color& a, const pf::Color& b)
{
    return std::fabs(a.red - b.red) < 1e-9 && std::fabs(a.green - b.green) < 1e-9
        && std::fabs(a.blue - b.blue) < 1e-9 && std::fabs(a.alpha - b.alpha) < 1e-9;
}

DrawnHandles readHandles(const pf::RecordingContext& context)
{
    DrawnHandles d;
    const auto& calls = context.calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const pf::RecordedCall& c = calls[i];
        const pf::Rect b = c.path.bounds();
        if (c.operation == "fill" && b.width() == 10 && b.height() == 10 && c.path.elementCount() == 5) {
            d.squares.push_back(b);
            d.squareFills.push_back(c.state.fillColor.red);
        } else if (c.operation == "stroke" && b.width() == 10 && b.height() == 10 && c.path.elementCount() == 5) {
            d.squareOutlines.push_back(c.state.strokeColor);
        } else if (c.operation == "stroke" && b.width() == 10 && b.height() == 10) {
            d.rounds.emplace_back(pf::Point(b.midX(), b.midY()), c.state.strokeColor);
        } else if (c.operation == "stroke" && b.width() == 30) {
            ++d.options;
        } else if (c.operation == "gradient") {
            ++d.gradients;
            d.faces.push_back(c.gradient);
        }
    }
    return d;
}

class ManipulatorDrawingTest : public ManipulatorTest {
protected:
    // The overlay of the selection at the page's zoom, the page at (50, 50) of the view.
    DrawnHandles draw(const Manipulator& m, bool onScreen = true)
    {
        pf::RecordingContext context(QRectF(0, 0, 1200, 1000), onScreen);
        const double s = m.currentScale();
        m.drawHandlesInContext(context, Manipulator::HandleOverlay{pf::AffineTransform{s, 0, 0, s, 50, 50}, s});
        return readHandles(context);
    }
};

TEST_F(ManipulatorDrawingTest, HandlesShowUnderTheConditionsTheHitTestUses)
{
    struct Case {
        const char* what;
        std::function<void(Manipulator&, Shape&)> set;
        std::size_t squares;
        bool rotation;
        bool connection;
    };
    const Case cases[] = {
        {"idle", [](Manipulator&, Shape&) {}, 8, true, true},
        {"locked", [](Manipulator&, Shape& s) { s.setLocked(true); }, 8, false, false},
        {"zoom 10", [this](Manipulator&, Shape&) { page->setOverrideZoomScale(10); }, 8, false, false},
        {"moving", [](Manipulator& m, Shape&) { m.setDragMoving(true); }, 8, false, false},
        {"resizing", [](Manipulator& m, Shape&) { m.setDragResizing(true); }, 8, false, false},
        {"rotating", [](Manipulator& m, Shape&) { m.setDragRotating(true); }, 8, true, false},
        {"handles off", [](Manipulator&, Shape&) { UserDefaults::instance().setSelectionHandlesVisible(false); }, 0,
         true, true},
        {"rotation handles off",
         [](Manipulator&, Shape&) { UserDefaults::instance().setRotationHandlesVisible(false); }, 8, false, true},
        {"connection handles off",
         [](Manipulator&, Shape&) { UserDefaults::instance().setConnectionHandlesVisible(false); }, 8, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page->setOverrideZoomScale(0);
        UserDefaults::instance().setSelectionHandlesVisible(true);
        UserDefaults::instance().setRotationHandlesVisible(true);
        UserDefaults::instance().setConnectionHandlesVisible(true);
        const auto shape = box({100, 100, 60, 40});
        const auto m = select({shape});
        c.set(*m, *shape);
        const DrawnHandles d = draw(*m);
        EXPECT_EQ(d.squares.size(), c.squares);
        const auto roundAt = [&](const pf::Rect& handle) {
            const double s = m->currentScale();
            const pf::Point centre(50 + s * handle.midX(), 50 + s * handle.midY());
            return std::any_of(d.rounds.begin(), d.rounds.end(), [&](const auto& r) {
                return std::fabs(r.first.x - centre.x) <= 0.5 && std::fabs(r.first.y - centre.y) <= 0.5;
            });
        };
        EXPECT_EQ(roundAt(m->rotationHandle()), c.rotation);
        EXPECT_EQ(roundAt(m->connectionHandle()), c.connection);
        EXPECT_EQ(c.rotation, m->showsRotationHandle());
        EXPECT_EQ(c.connection, m->showsConnectionHandle());
        page->removeShape(m);
        page->removeShape(shape);
    }
}

TEST_F(ManipulatorDrawingTest, ResizeHandlesAreWholePointSquaresInTheirOrderAndColours)
{
    // Zoom 2: the handles keep 10 view points, edges on half points so the outline is crisp.
    page->setOverrideZoomScale(2);
    const auto shape = box({100, 100, 61, 41});
    const auto m = select({shape});
    DrawnHandles d = draw(*m);
    ASSERT_EQ(d.squares.size(), 8u);
    for (const pf::Rect& r : d.squares) {
        EXPECT_EQ(r.x() - std::floor(r.x()), 0.5) << pf::toString(r).toStdString();
        EXPECT_EQ(r.y() - std::floor(r.y()), 0.5) << pf::toString(r).toStdString();
    }
    // Corners first (0, 2, 6, 8), then the middles of the edges (1, 3, 5, 7).
    const pf::Rect f = shape->frame();
    const pf::Point expected[] = {{f.minX(), f.minY()}, {f.maxX(), f.minY()}, {f.minX(), f.maxY()},
                                  {f.maxX(), f.maxY()}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(d.squares[i].midX(), 50 + 2 * expected[i].x, 0.5) << i;
        EXPECT_NEAR(d.squares[i].midY(), 50 + 2 * expected[i].y, 0.5) << i;
    }
    for (const double fill : d.squareFills)
        EXPECT_EQ(fill, 1.0);
    for (const pf::Color& c : d.squareOutlines)
        EXPECT_TRUE(sameColor(c, ManipulatorClass::handleStrokeColor()));

    // The handle being dragged: filled darker and outlined cyan; the others unchanged.
    m->setDragResizing(true);
    m->setActiveHandle(QVRectCornerBotRit);
    d = draw(*m);
    ASSERT_EQ(d.squares.size(), 8u);
    EXPECT_EQ(d.squareFills[3], ManipulatorClass::draggingFillColor().red);
    EXPECT_TRUE(sameColor(d.squareOutlines[3], ManipulatorClass::activeStrokeColor()));
    EXPECT_EQ(d.squareFills[0], 1.0);

    // Locked: the locked face, and no cyan even for the active handle.
    shape->setLocked(true);
    d = draw(*m);
    EXPECT_TRUE(sameColor(d.squareOutlines[3], ManipulatorClass::handleStrokeColor()));
    ASSERT_FALSE(d.faces.empty());
    for (const pf::Gradient& g : d.faces)
        EXPECT_EQ(g.stops(), ManipulatorClass::lockedHandleGradient().stops());
}

TEST_F(ManipulatorDrawingTest, ATurnedSelectionKeepsItsHandlesUprightAtTheirTurnedPlaces)
{
    const auto shape = box({100, 100, 80, 40});
    shape->setRotationAngle(30);
    const auto m = select({shape});
    const DrawnHandles d = draw(*m);
    ASSERT_EQ(d.squares.size(), 8u);
    const pf::AffineTransform turn = m->rotationTransform(30);
    const pf::Point corner = turn.apply(pf::Point(100, 100));
    EXPECT_NEAR(d.squares[0].midX(), 50 + corner.x, 0.5);
    EXPECT_NEAR(d.squares[0].midY(), 50 + corner.y, 0.5);
    // Upright: every square is 10 x 10 on screen (a turned one would be wider).
    for (const pf::Rect& r : d.squares)
        EXPECT_EQ(r.size, pf::Size(10, 10));
}

TEST_F(ManipulatorDrawingTest, OptionsShowAroundTheConnectionHandleWhenAskedFor)
{
    const auto shape = box({100, 100, 60, 40});
    const auto m = select({shape});
    EXPECT_EQ(draw(*m).options, 0);
    m->setConnectionOptionsVisible(true);
    EXPECT_EQ(draw(*m).options, 5);
    m->setDragRotating(true);
    EXPECT_EQ(draw(*m).options, 0);
}

TEST_F(ManipulatorDrawingTest, NothingIsDrawnOffScreenOrInExportsThumbnailsAndLoupes)
{
    const auto shape = box({100, 100, 60, 40});
    const auto m = select({shape});
    const auto count = [&](bool onScreen) {
        pf::RecordingContext context(QRectF(0, 0, 1000, 1000), onScreen);
        m->drawHandlesInContext(context, Manipulator::HandleOverlay{pf::AffineTransform{}, 1});
        return context.calls().size();
    };
    EXPECT_GT(count(true), 0u);
    EXPECT_EQ(count(false), 0u);
    const std::pair<const char*, void (Composition::*)(bool)> flags[] = {
        {"exporting", &Composition::setExporting},
        {"thumbnail", &Composition::setDrawingThumbnail},
        {"loupe", &Composition::setDrawingLoupe},
    };
    for (const auto& [what, set] : flags) {
        ((*page).*set)(true);
        EXPECT_EQ(count(true), 0u) << what;
        ((*page).*set)(false);
    }
}

// The redisplay rect of the selection covers every pixel its overlay paints: turned or not, at any zoom,
// with the options out.
TEST_F(ManipulatorDrawingTest, TheRedisplayRectCoversEveryPixelTheOverlayPaints)
{
    for (const double zoom : {0.5, 1.0, 2.0})
        for (const std::int64_t angle : {0, 30, 135}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", angle " << angle);
            page->setOverrideZoomScale(zoom);
            const auto shape = box({200, 150, 90, 50});
            shape->setRotationAngle(angle);
            const auto m = select({shape});
            m->setConnectionOptionsVisible(true);
            m->setDirtyRectFlag();
            const pf::Size view(600 * zoom + 200, 400 * zoom + 200);
            pf::BitmapContext context(view, 1.0, true, true);
            const pf::AffineTransform pageToView{zoom, 0, 0, zoom, 100, 100};
            m->drawHandlesInContext(context, Manipulator::HandleOverlay{pageToView, zoom});
            const QImage image = context.bitmap();
            const pf::Rect covered = pageToView.apply(m->dirtyRect());
            int outside = 0, painted = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) != 0) {
                        ++painted;
                        if (!covered.contains(pf::Rect(x, y, 1, 1)))
                            ++outside;
                    }
            EXPECT_GT(painted, 0);
            EXPECT_EQ(outside, 0) << "covered " << pf::toString(covered).toStdString();
            page->removeShape(m);
            page->removeShape(shape);
        }
}

} // namespace
