// Rulers: the unit registry, ticks and labels at every zoom, the guide's ruler line, the mouse handed to
// the client view, and the scroll view's margins for them.
#include "KitTestSupport.h"

#include "platform/graphics/RecordingContext.h"
#include "platform/kit/RulerView.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

class DrawnRuler : public pf::RulerView {
public:
    using pf::RulerView::RulerView;
    using pf::RulerView::drawRect;
};

// A client that records what the ruler hands it.
class Client : public pf::View, public pf::RulerClient {
public:
    using pf::View::View;
    void rulerViewHandleMouseDown(pf::RulerView&, const pf::Event& e) override
    {
        calls.push_back(QStringLiteral("down %1").arg(int(e.type)));
    }
    void rulerViewHandleMouseDragged(pf::RulerView&, const pf::Event&, const pf::Point& p) override
    {
        calls.push_back(QStringLiteral("dragged %1,%2").arg(p.x).arg(p.y));
    }
    void rulerViewHandleMouseUp(pf::RulerView&, const pf::Event&, const pf::Point& p) override
    {
        calls.push_back(QStringLiteral("up %1,%2").arg(p.x).arg(p.y));
    }
    QStringList calls;
};

// A horizontal ruler of 1000 points along the top and a vertical one down the left, below it, over a client
// view whose origin lies 24 points up and left of the host's: horizontal location L shows client x L + 24,
// vertical location L client y L + 40.
class RulerViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.resize(1100, 700);
        ruler = new DrawnRuler(pf::RulerOrientation::Horizontal, &host);
        ruler->setFrame(pf::Rect(0, 0, 1000, 16));
        vertical = new DrawnRuler(pf::RulerOrientation::Vertical, &host);
        vertical->setFrame(pf::Rect(0, 16, 16, 600));
        client = new Client(pf::Rect(-24, -24, 2000, 2000), &host);
        ruler->setClientView(client);
        vertical->setClientView(client);
    }

    QWidget host;
    DrawnRuler* ruler = nullptr;
    DrawnRuler* vertical = nullptr;
    Client* client = nullptr;
};

TEST_F(RulerViewTest, UnitsRegisterByNameAndUnusableOnesAreRefused)
{
    QStringList logged;
    pf::ScopedLogSink log([&](const QString& m) { logged << m; });
    EXPECT_TRUE(pf::RulerView::registerUnitWithName("Test3@72", "t", 3.0, {2.0, 5.0}, {0.5}));
    const auto unit = pf::RulerView::unitNamed("Test3@72");
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->pointsPerUnit, 3.0);
    EXPECT_EQ(unit->stepUpCycle, (std::vector<double>{2.0, 5.0}));
    for (const double factor : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(pf::RulerView::registerUnitWithName("Bad", "b", factor, {2.0}, {0.5}));
    EXPECT_FALSE(pf::RulerView::registerUnitWithName("Bad", "b", 1.0, {1.0}, {0.5}));  // no step up
    EXPECT_FALSE(pf::RulerView::registerUnitWithName("Bad", "b", 1.0, {2.0}, {1.5})); // no step down
    EXPECT_FALSE(pf::RulerView::unitNamed("Bad"));
    EXPECT_EQ(logged.size(), 6);

    logged.clear();
    ruler->setMeasurementUnits("Test3@72");
    EXPECT_EQ(ruler->measurementUnits(), "Test3@72");
    ruler->setMeasurementUnits("Furlongs");
    EXPECT_EQ(ruler->measurementUnits(), "Points");
    EXPECT_EQ(ruler->unit().pointsPerUnit, 1.0);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].contains("Furlongs"));
}

TEST_F(RulerViewTest, RulerLocationsMapToTheClientsCoordinates)
{
    EXPECT_DOUBLE_EQ(ruler->clientCoordinateForLocation(0), 24.0);
    EXPECT_DOUBLE_EQ(ruler->locationForClientCoordinate(124.0), 100.0);
    EXPECT_DOUBLE_EQ(vertical->clientCoordinateForLocation(0), 40.0);
}

// Points, inches and centimetres at zoom codes -4, 0, 2 and 50 (scales 0.1, 1, 2, 50), with the origin at
// a fractional place: ticks on the unit grid counted from the origin, at least the minimum apart, labels
// reading the value at their tick and never overlapping, on 1x and 2x screens.
TEST_F(RulerViewTest, TicksLieOnTheUnitGridAndLabelsNeverOverlap)
{
    struct Unit {
        const char* name;
        double points;
        std::vector<double> up, down;
    };
    const Unit units[] = {{"Points", 1.0, {10.0}, {0.5}}, {"Inches", 72.0, {2.0}, {0.5}},
                          {"Centimeters", 28.35, {2.0}, {0.5}}};
    for (const Unit& u : units)
        for (const double scale : {0.1, 1.0, 2.0, 50.0})
            for (const double dpr : {1.0, 2.0})
                for (auto* r : {static_cast<DrawnRuler*>(ruler), static_cast<DrawnRuler*>(vertical)}) {
                    SCOPED_TRACE(QStringLiteral("%1 ×%2 dpr %3 %4")
                                     .arg(u.name)
                                     .arg(scale)
                                     .arg(dpr)
                                     .arg(r->isHorizontal() ? "horizontal" : "vertical")
                                     .toStdString());
                    const QString name = QStringLiteral("%1-test-%2").arg(u.name).arg(scale);
                    ASSERT_TRUE(pf::RulerView::registerUnitWithName(name, "u", u.points * scale, u.up, u.down));
                    r->setMeasurementUnits(name);
                    r->setOriginOffset(317.3);
                    const double f = u.points * scale;
                    const double c0 = r->clientCoordinateForLocation(0);
                    const auto marks = r->marksInRange(0, 1000, dpr);
                    ASSERT_FALSE(marks.ticks.empty());
                    EXPECT_GE(marks.tickSpacing, pf::RulerView::MinimumTickSpacing);
                    ASSERT_FALSE(marks.labels.empty());
                    for (const auto& tick : marks.ticks) {
                        // On a whole device pixel, and within half a pixel of a multiple of the finest step.
                        EXPECT_DOUBLE_EQ(tick.location * dpr, std::round(tick.location * dpr));
                        const double k = (tick.location + c0 - 317.3) / marks.tickSpacing;
                        EXPECT_NEAR(k, std::round(k), 0.5 / dpr / marks.tickSpacing + 1e-9);
                    }
                    for (std::size_t i = 0; i < marks.labels.size(); ++i) {
                        const auto& label = marks.labels[i];
                        const double value = (label.location + c0 - 317.3) / f;
                        EXPECT_NEAR(label.text.toDouble(), value, 0.5 / dpr / f + 1e-6) << label.text.toStdString();
                        if (value < -0.5 / dpr / f - 1e-9) {
                            EXPECT_TRUE(label.text.startsWith('-')) << label.text.toStdString();
                        }
                        if (i > 0) {
                            const auto& before = marks.labels[i - 1];
                            const double gap = label.start - before.end;
                            EXPECT_GE(gap, -1e-9) << before.text.toStdString() << " / " << label.text.toStdString();
                        }
                    }
                    // Zero is labelled at the origin (when it is in range): signed values count from it.
                    const double zeroAt = r->locationForClientCoordinate(317.3);
                    if (zeroAt >= 0 && zeroAt <= 1000) {
                        const bool labelled = std::any_of(marks.labels.begin(), marks.labels.end(), [&](const auto& l) {
                            return std::fabs(l.location - zeroAt) <= 0.5 / dpr + 1e-9;
                        });
                        EXPECT_TRUE(labelled);
                    }
                }
}

TEST_F(RulerViewTest, TicksGrowLongerByLevel)
{
    ruler->setMeasurementUnits("Points");
    ruler->setOriginOffset(24.0); // zero at the ruler's left edge
    const auto marks = ruler->marksInRange(0, 1000, 1.0);
    // Points at zoom 1 (up by 10): single points are too close, so ticks every 10, labelled every 100.
    EXPECT_DOUBLE_EQ(marks.tickSpacing, 10.0);
    EXPECT_DOUBLE_EQ(marks.labelSpacing, 100.0);
    double at0 = 0, at10 = 0, at100 = 0;
    for (const auto& t : marks.ticks) {
        if (t.location == 0)
            at0 = t.length;
        if (t.location == 10)
            at10 = t.length;
        if (t.location == 100)
            at100 = t.length;
    }
    EXPECT_LT(at10, at100);
    EXPECT_EQ(at100, at0);
    // Inches at zoom 1: halves, quarters and eighths (9 points) get their own, shorter ticks.
    ruler->setMeasurementUnits("Inches");
    const auto inches = ruler->marksInRange(0, 1000, 1.0);
    EXPECT_DOUBLE_EQ(inches.tickSpacing, 9.0);
    std::map<int, double> lengths;
    for (const auto& t : inches.ticks)
        lengths[t.level] = t.length;
    for (int level = 1; level < int(lengths.size()); ++level)
        EXPECT_GE(lengths[level], lengths[level - 1]);
    EXPECT_LT(lengths[0], lengths[2]);
    EXPECT_EQ(marks.labels.front().text, "0");
    EXPECT_EQ(marks.labels[1].text, "100");
}

// The line that follows a dragged guide: drawn from the first move, moved, and gone at the end.
TEST_F(RulerViewTest, TheRulerLineIsDrawnWhileAGuideIsDragged)
{
    const auto linesAt = [&](double x) {
        pf::RecordingContext context(QRectF(0, 0, 1000, 16));
        ruler->drawRect(context, ruler->bounds());
        int n = 0;
        for (const auto& call : context.calls())
            if (call.operation == "fill" && call.state.fillColor == pf::Color(0, 0, 0, 1)
                && call.path.bounds() == pf::Rect(x, 0, 1, 16))
                ++n;
        return n;
    };
    EXPECT_FALSE(ruler->rulerlineLocation());
    ruler->moveRulerlineFromLocation(-1, 200);
    EXPECT_EQ(linesAt(200), 1);
    ruler->moveRulerlineFromLocation(200, 250);
    EXPECT_EQ(linesAt(200), 0);
    EXPECT_EQ(linesAt(250), 1);
    ruler->moveRulerlineFromLocation(250, -1);
    EXPECT_FALSE(ruler->rulerlineLocation());
    EXPECT_EQ(linesAt(250), 0);
}

TEST_F(RulerViewTest, VerticalLabelsReadUpward)
{
    vertical->setMeasurementUnits("Points");
    pf::RecordingContext context(QRectF(0, 0, 16, 600));
    vertical->drawRect(context, vertical->bounds());
    int glyphRuns = 0;
    for (const auto& call : context.calls())
        if (call.operation == "glyphs") {
            ++glyphRuns;
            // The text's x axis points up the screen.
            EXPECT_NEAR(call.state.ctm.b, -1.0, 1e-12);
            EXPECT_NEAR(call.state.ctm.a, 0.0, 1e-12);
        }
    EXPECT_GT(glyphRuns, 0);
}

// Press, drags and release go to the client in its own points, also past the ruler's edge; a release that
// never comes ends the press where the pointer was last.
TEST_F(RulerViewTest, ThePressIsTrackedForTheClient)
{
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    kittest::sendMouse(*ruler, QEvent::MouseButtonPress, {100, 8}, Qt::LeftButton, Qt::LeftButton, 1000);
    kittest::sendMouse(*ruler, QEvent::MouseMove, {110, 60}, Qt::NoButton, Qt::LeftButton, 1010);
    kittest::sendMouse(*ruler, QEvent::MouseButtonRelease, {120, 300}, Qt::LeftButton, Qt::NoButton, 1020);
    EXPECT_EQ(client->calls, (QStringList{"down 1", "dragged 134,84", "up 144,324"}));

    client->calls.clear();
    kittest::sendMouse(*ruler, QEvent::MouseButtonPress, {100, 8}, Qt::LeftButton, Qt::LeftButton, 2000);
    kittest::sendMouse(*ruler, QEvent::MouseMove, {130, 40}, Qt::NoButton, Qt::LeftButton, 2010);
    ruler->hide();
    kittest::sendMouse(*ruler, QEvent::MouseButtonRelease, {120, 300}, Qt::LeftButton, Qt::NoButton, 2020);
    EXPECT_EQ(client->calls, (QStringList{"down 1", "dragged 154,64", "up 154,64"}));

    // A right press goes to the client and starts no tracking.
    ruler->show();
    client->calls.clear();
    kittest::sendMouse(*ruler, QEvent::MouseButtonPress, {100, 8}, Qt::RightButton, Qt::RightButton, 3000);
    kittest::sendMouse(*ruler, QEvent::MouseMove, {130, 40}, Qt::NoButton, Qt::RightButton, 3010);
    kittest::sendMouse(*ruler, QEvent::MouseButtonRelease, {130, 40}, Qt::RightButton, Qt::NoButton, 3020);
    EXPECT_EQ(client->calls, (QStringList{"down 3"}));
}

TEST(RulerScrollView, RulersTakeTheirMarginsWhileVisible)
{
    pf::ScrollView scroll;
    scroll.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll.setFrameShape(QFrame::NoFrame);
    scroll.resize(300, 200);
    scroll.setDocumentView(new pf::View(pf::Rect(0, 0, 1000, 800)));
    scroll.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scroll));
    scroll.setHasHorizontalRuler(true);
    scroll.setHasVerticalRuler(true);
    EXPECT_EQ(scroll.contentSize(), pf::Size(300, 200)); // made, not shown
    scroll.setRulersVisible(true);
    EXPECT_EQ(scroll.contentSize(), pf::Size(284, 184));
    EXPECT_EQ(scroll.horizontalRulerView()->frame(), pf::Rect(0, 0, 300, 16));
    EXPECT_EQ(scroll.verticalRulerView()->frame(), pf::Rect(0, 16, 16, 184));
    EXPECT_TRUE(scroll.horizontalRulerView()->isVisible());
    scroll.resize(400, 300);
    EXPECT_EQ(scroll.horizontalRulerView()->frame(), pf::Rect(0, 0, 400, 16));
    EXPECT_EQ(scroll.verticalRulerView()->frame(), pf::Rect(0, 16, 16, 284));
    scroll.setRulersVisible(false);
    EXPECT_EQ(scroll.contentSize(), pf::Size(400, 300));
    EXPECT_FALSE(scroll.horizontalRulerView()->isVisible());
}

} // namespace
