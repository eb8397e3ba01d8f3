// The split layout's rules without widgets: divider snapping, resize distribution and capture, and the
// settings keys, stores and reads.
#include "shell/IDEUberViewRules.h"

#include "platform/foundation/UserDefaultsStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace uber;

namespace {

SnapInput at(double p, double extent, double thickness = 1, double tolerance = 12)
{
    return SnapInput{p, extent, thickness, tolerance};
}

// ---- snapping ----

struct SnapCase {
    const char* what;
    double proposed;
    ExtentBounds bounds;
    double expected;
};

TEST(IDEUberViewRules, LeftDividerSnapsToBoundsTargetsAndTheEdges)
{
    const SnapCase cases[] = {
        {"near preferred snaps to it", 180, {170, 0, 0, 0}, 170},
        {"just beyond the tolerance stays", 183, {170, 0, 0, 0}, 183},
        {"below the tolerance collapses", 5, {170, 0, 0, 0}, 0},
        {"near the far edge opens fully", 990, {170, 0, 0, 0}, 1000},
        {"maximum clamps from above", 400, {170, 52, 170, 63}, 170},
        {"maximum wins over the edge", 995, {170, 52, 170, 63}, 170},
        {"minimum clamps from below", 20, {170, 52, 170, 63}, 52},
        {"alternate snaps", 66, {170, 52, 170, 63}, 63},
        {"outside every target stays", 120, {170, 52, 170, 63}, 120},
        // Bounds of 0 are not set: no rule pins the divider to 0 or to a bound of 0.
        {"no bounds: free position", 300, {0, 0, 0, 0}, 300},
        {"no preferred: near 0 still collapses", 3, {0, 0, 0, 0}, 0},
        {"no bounds: 11 collapses", 11, {0, 0, 0, 0}, 0},
        {"no bounds: 13 stays", 13, {0, 0, 0, 0}, 13},
    };
    for (const SnapCase& c : cases)
        EXPECT_EQ(snapLeadingDivider(at(c.proposed, 1000), c.bounds, std::nullopt), c.expected) << c.what;
}

TEST(IDEUberViewRules, LeftDividerClosesTheCentreUpNearAnOpenRightColumn)
{
    const ExtentBounds b{170, 0, 0, 0};
    EXPECT_EQ(snapLeadingDivider(at(770, 1000), b, 778.0), 778);
    EXPECT_EQ(snapLeadingDivider(at(760, 1000), b, 778.0), 760);
    EXPECT_EQ(snapLeadingDivider(at(770, 1000), b, std::nullopt), 770);
}

TEST(IDEUberViewRules, RightDividerMeasuresFromTheFarEdge)
{
    const double t = 1;
    const SnapCase cases[] = {
        // The maximum and minimum give extent - bound; preferred and alternate subtract T too.
        {"maximum 222: 770 snaps to 778", 770, {222, 10, 222, 0}, 778},
        {"minimum 10: 985 snaps to 990", 985, {222, 10, 222, 0}, 990},
        {"preferred 200 snaps to 800 - T", 795, {200, 0, 0, 0}, 800 - t},
        {"alternate 150 snaps to 850 - T", 845, {200, 0, 0, 150}, 850 - t},
        {"near the edge collapses to W - T", 995, {200, 0, 0, 0}, 1000 - t},
        {"free position", 600, {200, 0, 0, 0}, 600},
        // Unset bounds would snap to W - 0, pinning the divider at the edge.
        {"no bounds: free position", 600, {0, 0, 0, 0}, 600},
        {"no bounds: near edge still collapses", 995, {0, 0, 0, 0}, 1000 - t},
        {"no preferred: 800 stays", 800, {0, 0, 0, 0}, 800},
    };
    for (const SnapCase& c : cases)
        EXPECT_EQ(snapTrailingDivider(at(c.proposed, 1000, t), c.bounds, 0), c.expected) << c.what;
    // Near the centre's start the centre closes up.
    EXPECT_EQ(snapTrailingDivider(at(180, 1000, t), {200, 0, 0, 0}, 171), 171);
    EXPECT_EQ(snapTrailingDivider(at(183, 1000, t), {200, 0, 0, 0}, 171), 183);
}

TEST(IDEUberViewRules, ColumnSplitSnapsWithinTheColumn)
{
    const ExtentBounds b{200, 50, 500, 0};
    const double h = 700, t = 1;
    struct Case {
        const char* what;
        double proposed;
        bool topOpen, bottomOpen;
        double expected;
    } const cases[] = {
        {"top closed: stands", 300, false, true, 300},
        {"bottom closed: the whole column", 300, true, false, wholeColumn},
        {"near the minimum", 55, true, true, 50},
        {"near the maximum", 495, true, true, 500},
        {"beyond the maximum", 650, true, true, 500},
        {"near the preferred", 205, true, true, 200},
        {"free", 300, true, true, 300},
    };
    for (const Case& c : cases)
        EXPECT_EQ(snapColumnSplit(at(c.proposed, h, t), b, c.topOpen, c.bottomOpen), c.expected) << c.what;

    // A short column: the bottom region keeps its minimum.
    EXPECT_EQ(snapColumnSplit(at(340, 400, t), b, true, true), 350);
    // No maximum: only the minimum of the bottom limits (before, a maximum of 0 answered 0 for any position).
    EXPECT_EQ(snapColumnSplit(at(400, h, t), {200, 50, 0, 0}, true, true), 400);
    EXPECT_EQ(snapColumnSplit(at(645, h, t), {200, 50, 0, 0}, true, true), 650);
    // No minimum: nothing pins the divider to the top.
    EXPECT_EQ(snapColumnSplit(at(8, h, t), {200, 0, 500, 0}, true, true), 8);
}

// ---- resizing ----

struct ResizeFixture {
    AxisResize in;
    DragCapture capture;

    // Left 200, centre 578, right 220 in 1000 with T 1.
    ResizeFixture()
    {
        in.total = 1000;
        in.thickness = 1;
        in.leading = {0, 200};
        in.centre = {201, 578};
        in.trailing = {780, 220};
        in.leadingOpen = in.trailingOpen = true;
        in.storedLeading = 200;
        in.storedTrailing = 220;
    }
};

void expectSane(const AxisLayout& l)
{
    for (const Span& s : {l.leading, l.centre, l.trailing}) {
        EXPECT_TRUE(std::isfinite(s.origin) && std::isfinite(s.length));
        EXPECT_GE(s.length, 0);
    }
}

void expectTiles(const AxisLayout& l, double total, double t)
{
    EXPECT_DOUBLE_EQ(l.centre.origin, l.leading.length + t);
    EXPECT_DOUBLE_EQ(l.trailing.origin, l.centre.end() + t);
    EXPECT_DOUBLE_EQ(l.trailing.end(), total);
}

TEST(IDEUberViewRules, WideningKeepsTheSidesAndWidensTheCentre)
{
    ResizeFixture f;
    f.in.total = 1400;
    const AxisLayout l = resizeAxis(f.in, f.capture);
    EXPECT_EQ(f.capture.centreExtent, 578);
    EXPECT_EQ(l.leading.length, 200);
    EXPECT_EQ(l.trailing.length, 220);
    EXPECT_EQ(l.centre.length, 1400 - 200 - 220 - 2);
    expectTiles(l, 1400, 1);
}

TEST(IDEUberViewRules, NarrowingHoldsTheCentreAtItsLeastAndSharesTheRest)
{
    struct Case {
        double total, storedLeft, storedRight;
    } const cases[] = {{300, 200, 220}, {300, 100, 300}, {100, 60, 20}, {30, 200, 220}};
    for (const Case& c : cases) {
        ResizeFixture f;
        f.in.total = c.total;
        f.in.storedLeading = c.storedLeft;
        f.in.storedTrailing = c.storedRight;
        const AxisLayout l = resizeAxis(f.in, f.capture);
        SCOPED_TRACE(c.total);
        expectSane(l);
        EXPECT_EQ(l.centre.length, minimumCentreExtent);
        const double sides = std::max(0.0, c.total - minimumCentreExtent - 2);
        EXPECT_DOUBLE_EQ(l.leading.length + l.trailing.length, sides);
        // In proportion, to the whole point.
        EXPECT_NEAR(l.leading.length, sides * c.storedLeft / (c.storedLeft + c.storedRight), 1.0);
        if (sides > 0)
            expectTiles(l, c.total, 1);
    }
}

TEST(IDEUberViewRules, OneSideOpenGivesTheRestToThatSide)
{
    ResizeFixture f;
    f.in.trailingOpen = false;
    f.in.total = 150;
    AxisLayout l = resizeAxis(f.in, f.capture);
    EXPECT_EQ(l.leading.length, 150 - 24 - 1);
    EXPECT_EQ(l.centre.origin, 126);
    EXPECT_EQ(l.centre.length, 24);

    f.in.leadingOpen = false;
    f.in.trailingOpen = true;
    l = resizeAxis(f.in, f.capture);
    EXPECT_EQ(l.trailing.length, 150 - 24 - 1);
    EXPECT_EQ(l.trailing.origin, 25);
    EXPECT_EQ(l.centre.origin, 0);

    // Nothing beside the centre: it takes everything.
    f.in.trailingOpen = false;
    l = resizeAxis(f.in, f.capture);
    EXPECT_EQ(l.centre.origin, 0);
    EXPECT_EQ(l.centre.length, 150);
}

TEST(IDEUberViewRules, ACentreClosedAtCaptureStaysClosedAndTheSidesKeepTheirProportion)
{
    ResizeFixture f;
    // The drag closed the centre up: left 300, right 699 (1 : 2.33).
    f.in.leading = {0, 300};
    f.in.centre = {301, 0};
    f.in.trailing = {301, 699};
    resizeAxis(f.in, f.capture);
    EXPECT_EQ(f.capture.centreExtent, 0);

    for (const double total : {1400.0, 700.0, 10.0}) {
        f.in.total = total;
        const AxisLayout l = resizeAxis(f.in, f.capture);
        SCOPED_TRACE(total);
        expectSane(l);
        EXPECT_EQ(l.centre.length, 0);
        EXPECT_DOUBLE_EQ(l.leading.length + l.trailing.length, total - 2);
        EXPECT_NEAR(l.leading.length / (total - 2), 0.3, 1.0 / (total - 2) + 1e-9);
        // The frames of this resize are the next resize's current frames.
        f.in.leading = l.leading;
        f.in.centre = l.centre;
        f.in.trailing = l.trailing;
    }
    // Until the next drag begins.
    f.capture.reset();
    EXPECT_TRUE(f.capture.isPending());
}

TEST(IDEUberViewRules, ACollapsedSideGivesFiniteFrames)
{
    // A collapsed right column is stored as 0; dividing by its width gave infinities and NaN.
    for (const bool closedCentre : {false, true}) {
        ResizeFixture f;
        f.in.storedTrailing = 0;
        f.in.trailing = {1000, 0};
        if (closedCentre) {
            f.in.centre = {1000, 0};
            f.in.leading = {0, 999};
        }
        f.in.total = 200;
        const AxisLayout l = resizeAxis(f.in, f.capture);
        SCOPED_TRACE(closedCentre);
        expectSane(l);
        EXPECT_EQ(l.trailing.length, 0);
        EXPECT_EQ(l.leading.length, closedCentre ? 198 : 200 - 24 - 2);
    }
    // Nonsense in, sane out.
    ResizeFixture f;
    f.in.storedLeading = std::numeric_limits<double>::infinity();
    f.in.storedTrailing = std::numeric_limits<double>::quiet_NaN();
    f.in.total = 500;
    expectSane(resizeAxis(f.in, f.capture));
}

// ---- settings ----

class IDEUberViewDefaults : public ::testing::Test {
protected:
    pf::UserDefaultsStore store;
};

TEST_F(IDEUberViewDefaults, KeysArePrefixedByTheAutosaveName)
{
    LayoutDefaults outer(QStringLiteral("outer"), &store);
    outer.storeOpenState(Region::Left, false);
    EXPECT_TRUE(store.objectForKey(u"outer-IDEUberViewIsLeftViewOpen").isBool());
    EXPECT_EQ(outer.storedOpenState(Region::Left), false);

    LayoutDefaults plain(QString(), &store);
    plain.storeOpenState(Region::RightBottom, true);
    EXPECT_TRUE(store.boolForKey(u"IDEUberViewIsRightBottomViewOpen"));
    EXPECT_EQ(plain.storedOpenState(Region::Top), std::nullopt);
    EXPECT_EQ(plain.makeKey(QStringLiteral("IDEUberViewLeftViewWidth")), QStringLiteral("IDEUberViewLeftViewWidth"));
    EXPECT_EQ(outer.makeKey(QStringLiteral("IDEUberViewLeftViewWidth")), QStringLiteral("outer-IDEUberViewLeftViewWidth"));
}

TEST_F(IDEUberViewDefaults, ExtentsGoUnderThePlainKeyOrTheIdentifiersDictionary)
{
    LayoutDefaults d(QStringLiteral("inner"), &store);
    d.storeExtent(Extent::LeftWidth, 170.25, std::nullopt);
    d.storeExtent(Extent::LeftWidth, 90, QStringLiteral("library"));
    d.storeExtent(Extent::LeftWidth, 120, QStringLiteral("search"));
    EXPECT_EQ(store.doubleForKey(u"inner-IDEUberViewLeftViewWidth"), 170.25);
    const pf::Value::Dictionary& dict = store.dictionaryForKey(u"inner-IDEUberViewLeftViewWidthDictionary");
    ASSERT_EQ(dict.size(), 2u);
    EXPECT_EQ(dict.at(u"library").doubleValue(), 90);
    EXPECT_EQ(d.storedExtent(Extent::LeftWidth, QStringLiteral("search")), 120);
    EXPECT_EQ(d.storedExtent(Extent::LeftWidth, std::nullopt), 170.25);
    EXPECT_EQ(d.storedExtent(Extent::LeftWidth, QStringLiteral("other")), std::nullopt);

    // Written in single precision under the plain key.
    d.storeExtent(Extent::RightWidth, 0.1, std::nullopt);
    EXPECT_EQ(store.doubleForKey(u"inner-IDEUberViewRightViewWidth"), double(0.1f));

    d.removeExtent(Extent::LeftWidth);
    EXPECT_EQ(d.storedExtent(Extent::LeftWidth, std::nullopt), std::nullopt);
    EXPECT_EQ(d.storedExtent(Extent::LeftWidth, QStringLiteral("library")), std::nullopt);
}

TEST_F(IDEUberViewDefaults, CollapsedSidesStoreOneOrZeroAndBadValuesReadAsAbsent)
{
    LayoutDefaults d(QString(), &store);
    struct Case {
        Extent extent;
        double measured, stored;
    } const cases[] = {
        {Extent::LeftWidth, 0, 1},      {Extent::RightWidth, 0, 0},     {Extent::TopHeight, -0.0, 1},
        {Extent::BottomHeight, 0, 0},   {Extent::LeftTopHeight, 0.5, 1}, {Extent::RightTopHeight, -40, 40},
    };
    for (const Case& c : cases) {
        d.storeExtent(c.extent, c.measured, std::nullopt);
        EXPECT_EQ(d.storedExtent(c.extent, std::nullopt), c.stored) << extentKey(c.extent).toStdString();
    }
    // A measure that is not finite writes nothing.
    d.storeExtent(Extent::RightWidth, std::numeric_limits<double>::infinity(), std::nullopt);
    EXPECT_EQ(d.storedExtent(Extent::RightWidth, std::nullopt), 0);

    const pf::Value bad[] = {pf::Value(-5.0), pf::Value(std::numeric_limits<double>::infinity()),
                             pf::Value(std::numeric_limits<double>::quiet_NaN()), pf::Value("wide"),
                             pf::Value::dictionary()};
    for (const pf::Value& v : bad) {
        store.setObjectForKey(v, QStringLiteral("IDEUberViewLeftViewWidth"));
        EXPECT_EQ(d.storedExtent(Extent::LeftWidth, std::nullopt), std::nullopt);
    }
    store.setObjectForKey(pf::Value(pf::Value::Dictionary{{QStringLiteral("a"), pf::Value(-1.0)}}),
                          QStringLiteral("IDEUberViewLeftViewWidthDictionary"));
    EXPECT_EQ(d.storedExtent(Extent::LeftWidth, QStringLiteral("a")), std::nullopt);
}

} // namespace
