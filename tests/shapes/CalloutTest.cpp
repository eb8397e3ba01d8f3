// The callout: its tail tip kept as an absolute point (following moves, not resizes, reset for old
// documents) and its outline, the ellipse united with the tail.
#include "ConnectorTestSupport.h"

#include "platform/foundation/ThreadDictionary.h"
#include "shapes/Callout.h"

#include <optional>

namespace {

class CalloutTest : public ConnectorTest {
protected:
    std::shared_ptr<Callout> callout(const pf::Rect& frame)
    {
        auto shape = Shape::make<Callout>(frame);
        shape->setComposition(&page);
        page.undo.removeAllActions();
        return shape;
    }
};

} // namespace

TEST_F(CalloutTest, TheTipFollowsMovesButNotResizes)
{
    auto bubble = callout(pf::Rect(0, 0, 100, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(97, 80));
    EXPECT_EQ(bubble->adjustPoint(), pf::Point(97, 80));

    bubble->setFrame(pf::Rect(10, 20, 100, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(107, 100));
    bubble->setFrame(pf::Rect(10, 20, 200, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(107, 100));
    // A change of origin and size together moves the tip by the origin's change only.
    bubble->setFrame(pf::Rect(0, 0, 50, 50));
    EXPECT_EQ(bubble->tailTip(), pf::Point(97, 80));

    // Undoing the changes puts the tip back where each one found it.
    while (page.undo.canUndo())
        ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(bubble->frame(), pf::Rect(0, 0, 100, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(97, 80));
    ASSERT_TRUE(page.undo.redo());
    EXPECT_EQ(bubble->tailTip(), pf::Point(107, 100));

    // While disabled, and on a rebuild at the same frame, the tip stays.
    bubble->setDisableTailAdjustment(true);
    bubble->setFrame(pf::Rect(50, 50, 100, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(107, 100));
    bubble->setDisableTailAdjustment(false);
    bubble->jiggleFrameHandle();
    EXPECT_EQ(bubble->tailTip(), pf::Point(107, 100));
    // The tip is this bubble's own: it leaves the user's defaults alone.
    for (const auto& [key, value] : userValues())
        EXPECT_FALSE(key.contains(QStringLiteral("adjustmentRatio"))) << key.toStdString();
}

TEST_F(CalloutTest, ADragMovesTheTipOnce)
{
    auto bubble = callout(pf::Rect(0, 0, 100, 70));
    bubble->beginDrag();
    for (double x : {5.0, 10.0, 15.0})
        bubble->setFrame(pf::Rect(x, 2 * x, 100, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(112, 110));
    bubble->endDrag(pf::Event());
    EXPECT_EQ(bubble->frame(), pf::Rect(15, 30, 100, 70));
    EXPECT_EQ(bubble->tailTip(), pf::Point(112, 110));
    EXPECT_FALSE(bubble->disableTailAdjustment());
}

TEST_F(CalloutTest, OldDocumentsGetTheTipBelowTheBubble)
{
    auto bubble = callout(pf::Rect(10, 20, 100, 70));
    bubble->setTailTip({300, -40});
    const pf::Value stored = bubble->asPlist();
    // A copy keeps the tip where it is.
    EXPECT_EQ(std::dynamic_pointer_cast<Callout>(bubble->copy())->tailTip(), pf::Point(300, -40));
    struct Case {
        std::optional<std::int64_t> version;
        pf::Point tip;
    };
    for (const Case c : {Case{6, {12, 92}}, Case{7, {12, 92}}, Case{8, {300, -40}}, Case{std::nullopt, {300, -40}}}) {
        std::optional<pf::ThreadValueScope> scope;
        if (c.version)
            scope.emplace(QString::fromLatin1(pf::TlsVersionKey), pf::Variant(*c.version));
        auto read = std::dynamic_pointer_cast<Callout>(Shape::fromPlist(stored));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->tailTip(), c.tip) << (c.version ? *c.version : -1);
    }
}

TEST_F(CalloutTest, TheOutlineIsTheEllipseUnitedWithTheTail)
{
    struct Case {
        double strokeWidth;
        std::uint64_t strokeType;
        double halfBase;
    };
    // The tip straight right of the centre: just outside the ellipse, at x = 110, the tail is 0.6 of its
    // base's half-width wide; the traced edges are rounded to whole units.
    for (const Case c : {Case{2, 0, 10}, Case{0, 0, 6}, Case{-1, 1, 6}, Case{0, 3, 10}}) {
        auto bubble = callout(pf::Rect(0, 0, 100, 70));
        bubble->setStrokeLineWidth(c.strokeWidth);
        bubble->setStrokeType(c.strokeType);
        bubble->setTailTip({200, 35});
        SCOPED_TRACE(testing::Message() << c.strokeWidth << " " << c.strokeType);
        const pf::Path& outline = bubble->path();
        const double half = c.halfBase * 0.6;
        for (const double side : {-1.0, 1.0}) {
            EXPECT_TRUE(outline.containsPoint({110, 35 + side * (half - 0.6)}));
            EXPECT_FALSE(outline.containsPoint({110, 35 + side * (half + 0.6)}));
        }
        EXPECT_NEAR(outline.bounds().maxX(), 200, 1e-9);
        // The ellipse is all there.
        EXPECT_TRUE(outline.containsPoint({2, 35}));
        EXPECT_TRUE(outline.containsPoint({50, 1}));
        EXPECT_FALSE(outline.containsPoint({3, 3}));
    }

    // A tip inside the ellipse adds nothing: the outline is the ellipse.
    auto inside = callout(pf::Rect(0, 0, 100, 70));
    inside->setTailTip({60, 40});
    const pf::Rect b = inside->path().bounds();
    EXPECT_NEAR(b.x(), 0, 1e-6);
    EXPECT_NEAR(b.y(), 0, 1e-6);
    EXPECT_NEAR(b.width(), 100, 1e-6);
    EXPECT_NEAR(b.height(), 70, 1e-6);
    const pf::Path oval = pf::Path::oval(pf::Rect(0, 0, 100, 70));
    for (double x = 1; x < 100; x += 7)
        for (double y = 1; y < 70; y += 5)
            EXPECT_EQ(inside->path().containsPoint({x, y}), oval.containsPoint({x, y})) << x << "," << y;

    // A negative frame is the same bubble; the tip may point anywhere, up and left too.
    auto mirrored = callout(pf::Rect(100, 70, -100, -70));
    mirrored->setTailTip({-60, -50});
    EXPECT_TRUE(mirrored->path().containsPoint({-5, -7.5}));
    EXPECT_TRUE(mirrored->path().containsPoint({50, 35}));
    EXPECT_FALSE(mirrored->path().containsPoint({-5, 10}));
}

TEST_F(CalloutTest, TheDirtyRectCoversTheTip)
{
    auto bubble = callout(pf::Rect(0, 0, 100, 70));
    bubble->setTailTip({400, 300});
    EXPECT_TRUE(bubble->dirtyRect().contains(pf::Point(404, 304)));
    // Turned with the shape.
    bubble->setRotationAngle(180);
    EXPECT_TRUE(bubble->dirtyRect().contains(pf::Point(-300, -230)));
}

TEST_F(CalloutTest, ClassAndLibraryPreview)
{
    const ShapeClass& k = Callout::staticClass();
    EXPECT_EQ(k.defaultSize(), pf::Size(100, 70));
    EXPECT_EQ(k.provisionalSize(), pf::Size(6, 6));
    EXPECT_EQ(k.stickyTypeName(), QStringLiteral("Callout"));
    EXPECT_EQ(k.stickyPhylumName(), QStringLiteral("Shape"));
    EXPECT_EQ(k.manipulatorClassName(), QStringLiteral("CalloutManipulator"));
    const auto preview = std::dynamic_pointer_cast<Callout>(k.libraryListItemShapeWithFrame(pf::Rect(0, 0, 50, 40)));
    ASSERT_TRUE(preview);
    // The bubble made at (0, 2, 46, 34), less the library stroke; the tip just beyond that corner.
    EXPECT_EQ(preview->frame(), pf::Rect(0, 2, 45, 33));
    EXPECT_EQ(preview->tailTip(), pf::Point(48, 38));
}
