// The drag bracket (a drag is one undoable change: the start value goes back silently and the setter runs
// once) and the inspector's display-frame setters.
#include "ShapeTestSupport.h"

#include "model/Rectangle.h"

#include <limits>

namespace {

using Log = std::vector<QString>;

class ShapeDragTest : public ShapeTest {
protected:
    void SetUp() override
    {
        ShapeTest::SetUp();
        shape = Shape::make<Rectangle>(pf::Rect(0, 0, 100, 50));
        shape->setComposition(&page);
        page.undo.removeAllActions();
    }
    // Records "will key" / "did key" for each key.
    void observe(std::initializer_list<const char*> keys)
    {
        for (const char* key : keys)
            tokens.push_back(shape->addObserver(QString::fromLatin1(key), [this](pf::Object&, const QString& k, pf::ChangePhase p) {
                log.push_back((p == pf::ChangePhase::Will ? QStringLiteral("will ") : QStringLiteral("did ")) + k);
            }));
    }
    // What the manipulators do between the ends of a drag: change the shape live, registering nothing.
    template <class F>
    void dragSilently(F change)
    {
        page.undo.disableUndoRegistration();
        change();
        page.undo.enableUndoRegistration();
    }
    int undoSteps()
    {
        int steps = 0;
        while (page.undo.canUndo() && page.undo.undo())
            ++steps;
        for (int i = 0; i < steps; ++i)
            page.undo.redo();
        return steps;
    }

    static inline const Log frameNotices{"will frame", "will displayFrameX", "will displayFrameY", "will displayFrameWidth",
                                         "will displayFrameHeight", "did displayFrameHeight", "did displayFrameWidth",
                                         "did displayFrameY", "did displayFrameX", "did frame"};
    std::shared_ptr<Rectangle> shape;
    std::vector<pf::ObservationToken> tokens;
    Log log;
    const pf::Event mouseUp;
};

TEST_F(ShapeDragTest, MoveDragIsOneRepositionBackToTheStart)
{
    shape->beginDrag();
    EXPECT_EQ(shape->dragStart().frame, pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(shape->dragStart().aspectRatio, 2.0);
    dragSilently([this] {
        shape->setFrame(pf::Rect(5, 5, 100, 50));
        shape->setFrame(pf::Rect(20, 10, 100, 50));
        shape->setFrame(pf::Rect(30, 40, 120, 60));
    });
    observe({"frame", "displayFrameX", "displayFrameY", "displayFrameWidth", "displayFrameHeight"});
    shape->endDrag(mouseUp);
    // The start frame went back without a notice; the setter ran once, its notices nested.
    EXPECT_EQ(log, frameNotices);
    EXPECT_EQ(shape->frame(), pf::Rect(30, 40, 120, 60));
    EXPECT_EQ(page.undo.undoActionName(), "Reposition");
    EXPECT_EQ(undoSteps(), 1);

    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(shape->frame(), pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(shape->path().bounds(), pf::Rect(0, 0, 100, 50));
    ASSERT_TRUE(page.undo.redo());
    EXPECT_EQ(shape->frame(), pf::Rect(30, 40, 120, 60));
}

TEST_F(ShapeDragTest, DragEndingWhereItStartedChangesNothing)
{
    shape->beginDrag();
    dragSilently([this] {
        shape->setFrame(pf::Rect(50, 50, 100, 50));
        shape->setFrame(pf::Rect(0, 0, 100, 50));
    });
    shape->endDrag(mouseUp);
    EXPECT_FALSE(page.undo.canUndo());
    EXPECT_EQ(shape->path().bounds(), pf::Rect(0, 0, 100, 50));
}

TEST_F(ShapeDragTest, RotationDragIsOneRotationStep)
{
    shape->beginDrag();
    dragSilently([this] {
        shape->setRotationAngle(10);
        shape->setRotationAngle(45);
        shape->setRotationAngle(90);
    });
    observe({"rotationAngle"});
    shape->endRotationDrag(mouseUp);
    EXPECT_EQ(log, (Log{"will rotationAngle", "did rotationAngle"}));
    EXPECT_EQ(page.undo.undoActionName(), "Rotation");
    EXPECT_EQ(undoSteps(), 1);
    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(shape->rotationAngle(), 0);
    EXPECT_EQ(shape->path().bounds(), pf::Rect(0, 0, 100, 50));
    ASSERT_TRUE(page.undo.redo());
    EXPECT_EQ(shape->rotationAngle(), 90);
    EXPECT_EQ(shape->path().bounds(), pf::Rect(25, -25, 50, 100));
}

TEST_F(ShapeDragTest, AdjustDragSetsBothRatiosInOneStep)
{
    shape->setAdjustmentRatioX(0.1);
    shape->setAdjustmentRatioY(0.2);
    page.undo.removeAllActions();
    shape->beginDrag();
    dragSilently([this] {
        shape->setAdjustmentRatioX(0.3);
        shape->setAdjustmentRatioY(0.6);
        shape->setAdjustmentRatioX(0.5);
    });
    observe({"adjustmentRatioX", "adjustmentRatioY"});
    shape->endAdjustDrag(mouseUp);
    EXPECT_EQ(log, (Log{"will adjustmentRatioX", "did adjustmentRatioX", "will adjustmentRatioY", "did adjustmentRatioY"}));
    EXPECT_EQ(page.undo.undoActionName(), "Adjustment");
    EXPECT_EQ(undoSteps(), 1);
    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(shape->adjustmentRatioX(), 0.1);
    EXPECT_EQ(shape->adjustmentRatioY(), 0.2);
    ASSERT_TRUE(page.undo.redo());
    EXPECT_EQ(shape->adjustmentRatioX(), 0.5);
    EXPECT_EQ(shape->adjustmentRatioY(), 0.6);

    // The second adjustment handle's end does nothing in a plain shape.
    shape->beginDrag();
    dragSilently([this] { shape->setAdjustmentRatioX(0.9); });
    page.undo.removeAllActions();
    shape->endAdjust1Drag(mouseUp);
    EXPECT_FALSE(page.undo.canUndo());
    EXPECT_EQ(shape->adjustmentRatioX(), 0.9);
}

TEST_F(ShapeDragTest, DisplayFrameSettersGoThroughSetFrame)
{
    observe({"displayFrameX", "frame"});
    shape->setDisplayFrameX(30);
    EXPECT_EQ(shape->frame(), pf::Rect(30, 0, 100, 50));
    EXPECT_EQ(shape->displayFrameX(), 30);
    EXPECT_EQ(log, (Log{"will displayFrameX", "did displayFrameX", "will frame", "will displayFrameX",
                        "did displayFrameX", "did frame"}));
    EXPECT_EQ(page.undo.undoActionName(), "Reposition");
    EXPECT_EQ(undoSteps(), 1);

    shape->setDisplayFrameY(-7);
    shape->setDisplayFrameWidth(80);
    shape->setDisplayFrameHeight(20);
    EXPECT_EQ(shape->frame(), pf::Rect(30, -7, 80, 20));
    EXPECT_EQ(undoSteps(), 4);

    // Not finite: refused, nothing stored.
    page.undo.removeAllActions();
    log.clear();
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        shape->setDisplayFrameX(bad);
        shape->setDisplayFrameY(bad);
        shape->setDisplayFrameWidth(bad);
        shape->setDisplayFrameHeight(bad);
    }
    EXPECT_EQ(shape->frame(), pf::Rect(30, -7, 80, 20));
    EXPECT_EQ(shape->displayFrameX(), 30);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(page.undo.canUndo());
}

TEST_F(ShapeDragTest, ConstrainedDisplaySizeKeepsTheAspectRatio)
{
    const struct {
        pf::Rect frame;
        bool width; // set the width (else the height)
        double value;
        pf::Size size;
    } cases[] = {
        {pf::Rect(0, 0, 200, 100), true, 300, pf::Size(300, 150)},
        {pf::Rect(0, 0, 200, 100), false, 25, pf::Size(50, 25)},
        {pf::Rect(0, 0, 30, 70), true, 10, pf::Size(10, 23)}, // rounded
        {pf::Rect(0, 0, 200, 0), true, 300, pf::Size(300, 0)},
        {pf::Rect(0, 0, 0, 100), false, 40, pf::Size(0, 40)},
        {pf::Rect(0, 0, 0, 100), true, 40, pf::Size(40, 100)},
    };
    for (const auto& c : cases) {
        shape->setFrame(c.frame);
        shape->setConstrainAspectRatio(true);
        if (c.width)
            shape->setDisplayFrameWidth(c.value);
        else
            shape->setDisplayFrameHeight(c.value);
        EXPECT_EQ(shape->frame().size, c.size) << pf::toString(c.frame).toStdString() << " " << c.value;
    }
}

TEST_F(ShapeDragTest, DisplayOriginCountsFromTheRulerOrigin)
{
    page.rulerOrigin = pf::Point(100, 50);
    shape->setFrame(pf::Rect(110, 60, 100, 50));
    EXPECT_EQ(shape->displayFrameX(), 10);
    EXPECT_EQ(shape->displayFrameY(), 10);
    // The value typed is a ruler value: the shape goes where the rulers show it.
    shape->setDisplayFrameX(30);
    shape->setDisplayFrameY(-5);
    EXPECT_EQ(shape->frame().origin, pf::Point(130, 45));
    EXPECT_EQ(shape->displayFrameX(), 30);
    EXPECT_EQ(shape->displayFrameY(), -5);
}

} // namespace
