// The selection as the stand-in of its shapes: common values, writes to every child, the position keys in
// ruler coordinates, the size-to-fit operations and the aggregate answers.
#include "ManipulatorTestSupport.h"

#include "platform/foundation/UndoManager.h"

namespace {

// A kind whose picture is 50 x 40: fitting to it resizes in place.
class Picture : public Shape {
public:
    static const ShapeClass& staticClass()
    {
        static const ShapeClass c(QStringLiteral("ProxyPicture"), &Shape::staticClass(), &Shape::allocate<Picture>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void sizeToFitImage(bool halve) override
    {
        (void)halve;
        setFrame(pf::Rect(frame().x(), frame().y(), 50, 40));
    }
};

using Colour = std::optional<pf::Color>;

TEST_F(ManipulatorTest, AReadAnswersTheCommonValuePassingOverLeadingNulls)
{
    const pf::Color red(1, 0, 0), blue(0, 0, 1);
    struct Case {
        const char* what;
        std::vector<Colour> fills;
        pf::Variant expected;
    };
    const Case cases[] = {
        {"red, blue", {red, blue}, pf::Variant()},
        {"null, red, red", {std::nullopt, red, red}, pf::Variant(red)},
        {"red, null", {red, std::nullopt}, pf::Variant()},
        {"red, red", {red, red}, pf::Variant(red)},
        {"nothing selected", {}, pf::Variant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Manipulator::Children shapes;
        for (const Colour& fill : c.fills) {
            auto shape = box(pf::Rect(10.0 * static_cast<double>(shapes.size()), 0, 5, 5));
            shape->setFillColor(fill);
            shapes.push_back(shape);
        }
        auto m = select(shapes);
        EXPECT_EQ(m->valueForKeyPath(QStringLiteral("fillColor")), c.expected);
        page->removeShape(m);
    }

    // Numbers compare by value: an integer 1 and a real 1.0 are the same answer.
    auto a = box(pf::Rect(0, 0, 10, 10));
    auto b = box(pf::Rect(20, 0, 10, 10));
    a->setOpacity(1);
    b->setOpacity(1.0);
    EXPECT_EQ(select({a, b})->valueForKeyPath(QStringLiteral("opacity")).toDouble(), 1.0);
}

TEST_F(ManipulatorTest, AWriteReachesEveryChildAndIsHeardOnTheSelection)
{
    auto a = box(pf::Rect(0, 0, 10, 10));
    auto b = box(pf::Rect(20, 0, 10, 10));
    a->setFillColor(pf::Color(1, 0, 0));
    b->setFillColor(pf::Color(0, 0, 1));
    auto m = select({a, b});
    QStringList heard;
    auto token = m->addObserver(QStringLiteral("fillColor"), [&](pf::Object&, const QString& key, pf::ChangePhase phase) {
        heard << key + (phase == pf::ChangePhase::Will ? QStringLiteral(" will") : QStringLiteral(" did"));
    });
    m->setValueForKeyPath(pf::Color(0, 0, 1), QStringLiteral("fillColor"));
    EXPECT_EQ(m->valueForKeyPath(QStringLiteral("fillColor")), pf::Variant(pf::Color(0, 0, 1)));
    EXPECT_EQ(heard, (QStringList{QStringLiteral("fillColor will"), QStringLiteral("fillColor did")}));
}

TEST_F(ManipulatorTest, TheEmptySelectionAnswersNothingAndAllowsEditing)
{
    auto m = select({});
    EXPECT_TRUE(m->valueForKeyPath(QStringLiteral("opacity")).isNull());
    EXPECT_TRUE(m->canEditText());
    EXPECT_TRUE(m->canEditImage());
    EXPECT_FALSE(m->isLocked());
    EXPECT_EQ(m->boundingRect(), pf::Rect::zero());
    EXPECT_FALSE(m->wantsSizeToFitImage());
    // Several children: the plain rules of a frame, whatever the kinds say.
    EXPECT_FALSE(m->isValidFrame(pf::Rect(0, 0, std::numeric_limits<double>::infinity(), 1)));
    EXPECT_EQ(std::signbit(m->validateFrame(pf::Rect(-0.0, 0, 1, 1)).x()), false);

    auto knob = add("Knob", pf::Rect(0, 0, 10, 10));
    auto plain = box(pf::Rect(30, 0, 10, 10));
    page->removeShape(m);
    EXPECT_FALSE(select({knob, plain})->canEditText()); // every child must
}

// The position keys are ruler coordinates, as the inspector shows them; each child moves by the
// difference as one undoable change, and one undo group takes them all back.
TEST_F(ManipulatorTest, ThePositionWriteMovesEveryChildByTheDifference)
{
    for (const QVRectCorner origin : {QVRectCornerTopLef, QVRectCornerMidMid, QVRectCornerBotRit}) {
        SCOPED_TRACE(static_cast<int>(origin));
        page->setRulerOriginCorner(origin);
        auto a = box(pf::Rect(40, 10, 20, 20));
        auto b = box(pf::Rect(70, 50, 10, 30));
        auto m = select({a, b});
        owner.undo.removeAllActions();
        const double shownX = m->displayFrameX();

        const pf::UndoGroupToken group = owner.undo.beginUndoGrouping();
        m->setValueForKeyPath(shownX + 60, QStringLiteral("displayFrameX"));
        owner.undo.endUndoGrouping(group);
        EXPECT_EQ(a->frame(), pf::Rect(100, 10, 20, 20));
        EXPECT_EQ(b->frame(), pf::Rect(130, 50, 10, 30));
        EXPECT_EQ(m->frame(), pf::Rect(100, 10, 40, 70));
        // What was typed reads back.
        EXPECT_EQ(m->valueForKeyPath(QStringLiteral("displayFrameX")).toDouble(), shownX + 60);
        EXPECT_EQ(m->displayFrameY(), page->rulerOriginAdjustedPoint(pf::Point(100, 10)).y);

        const pf::UndoGroupToken second = owner.undo.beginUndoGrouping();
        m->setValueForKeyPath(m->displayFrameY() - 5, QStringLiteral("displayFrameY"));
        owner.undo.endUndoGrouping(second);
        EXPECT_EQ(a->frame(), pf::Rect(100, 5, 20, 20));
        owner.undo.undo();
        owner.undo.undo();
        EXPECT_EQ(a->frame(), pf::Rect(40, 10, 20, 20));
        EXPECT_EQ(b->frame(), pf::Rect(70, 50, 10, 30));
        EXPECT_FALSE(owner.undo.canUndo());
        page->removeShape(m);
        page->removeShape(a);
        page->removeShape(b);
    }
}

TEST_F(ManipulatorTest, SizeKeysAndFitsLeaveTheFrameOnTheChildren)
{
    auto a = box(pf::Rect(0, 0, 20, 20));
    auto b = box(pf::Rect(50, 10, 10, 10));
    auto m = select({a, b});
    m->setValueForKeyPath(30.0, QStringLiteral("displayFrameWidth"));
    EXPECT_EQ(a->frame().width(), 30);
    EXPECT_EQ(b->frame().width(), 30);
    EXPECT_EQ(m->frame(), pf::Rect(0, 0, 80, 20));

    auto p = Shape::make<Picture>(pf::Rect(200, 200, 10, 10));
    page->addShape(p);
    page->removeShape(m);
    m = select({a, p});
    m->setValueForKeyPath(true, QStringLiteral("scaleImage"));
    EXPECT_TRUE(p->scaleImage());
    EXPECT_EQ(p->frame(), pf::Rect(200, 200, 50, 40));
    EXPECT_EQ(m->frame(), pf::Rect(0, 0, 250, 240));
    EXPECT_EQ(m->boundingRect(), QVCombineRects(a->boundingRect(), p->boundingRect()));
}

TEST_F(ManipulatorTest, AResizeTurnsAnglesBackOnlyForTheCrossingCorners)
{
    auto m = select({box(pf::Rect(0, 0, 20, 20))});
    for (std::int64_t handle = 0; handle <= 8; ++handle) {
        m->setDragResizingHandle(handle);
        const bool crossing = handle == QVRectCornerTopRit || handle == QVRectCornerBotLef;
        EXPECT_EQ(m->currentRotationAngleForAngle(30), crossing ? -30 : 30) << handle;
        EXPECT_EQ(m->currentRotationAngleForAngle(0), 0);
    }
}

} // namespace
