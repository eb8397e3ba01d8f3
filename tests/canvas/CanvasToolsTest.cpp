// Tool modes and the shape tool: the main road of the editor, a rectangle drawn, moved, resized and undone.
#include "canvas/support/CanvasFixture.h"

#include "canvas/MouseStrategyShape.h"
#include "manipulators/Manipulator.h"
#include "model/Rectangle.h"
#include "platform/foundation/ClassRegistry.h"

namespace {

constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Command = Qt::ControlModifier;

} // namespace

class CanvasToolsTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        for (const char* name : {Canvas::DefaultModeWasActivatedNotification, Canvas::DidClearListSelectionNotification})
            tokens_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
                QString::fromLatin1(name), window.get(), [this](const pf::Notification& n) { windowNotices << n.name; }));
    }
    void TearDown() override
    {
        tokens_.clear();
        CanvasFixture::TearDown();
    }

    // The tool key of a kind, as the user presses it.
    void toolKey(int key, const QString& text) { keyDown(key, {}, text); }
    // The shapes on the page that are not among the fixture's own.
    Canvas::Shapes newShapes() const
    {
        Canvas::Shapes found;
        for (const auto& child : page->children())
            if (!child->isManipulator() && !child->isLasso() && child != rectangle && child != ellipse && child != line
                && child != group)
                found.push_back(child);
        return found;
    }
    MouseStrategyShape* shapeTool() const { return dynamic_cast<MouseStrategyShape*>(canvas->mouseStrategy().get()); }

    QStringList windowNotices;

private:
    std::vector<pf::NotificationToken> tokens_;
};

TEST_F(CanvasToolsTest, TheMainRoadARectangleDrawnMovedResizedAndUndone)
{
    // R: the shortcut notice, the library's shape mode, a shape tool for "Rectangle", one open undo group.
    toolKey(Qt::Key_R, QStringLiteral("r"));
    EXPECT_EQ(library->posted, QStringList{QStringLiteral("CanvasShapeModeWasActivatedNotification Rectangle")});
    ASSERT_TRUE(shapeTool());
    EXPECT_EQ(shapeTool()->shapeClassName(), QStringLiteral("Rectangle"));
    EXPECT_TRUE(undo.hasExplicitGroup());

    drag(pf::Point(100, 400), pf::Point(200, 460));
    ASSERT_EQ(newShapes().size(), 1u);
    const auto drawn = newShapes().front();
    EXPECT_EQ(&drawn->classObject(), &Rectangle::staticClass());
    EXPECT_EQ(drawn->frame(), pf::Rect(100, 400, 100, 60));
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{drawn});
    // Before 0.1 s the tool is still on; after it the shape is an ordinary selection and the tool has ended.
    advance(0.05);
    EXPECT_TRUE(canvas->mouseStrategy());
    EXPECT_TRUE(canvas->manipulator()->provisional());
    advance(0.06);
    EXPECT_FALSE(canvas->mouseStrategy());
    EXPECT_FALSE(canvas->manipulator()->provisional());
    EXPECT_EQ(windowNotices, (QStringList{QStringLiteral("CanvasDefaultModeWasActivatedNotification"),
                                          QStringLiteral("CanvasDidClearListSelectionNotification")}));
    EXPECT_FALSE(undo.hasExplicitGroup());
    endTurn();

    // Undo takes the rectangle away, redo brings it back.
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(newShapes().empty());
    ASSERT_TRUE(undo.redo());
    ASSERT_EQ(newShapes(), Canvas::Shapes{drawn});
    EXPECT_EQ(drawn->frame(), pf::Rect(100, 400, 100, 60));

    // Click it, move it by (30, 20), resize it by its bottom-right handle with Shift.
    click(pf::Point(150, 430));
    drag(pf::Point(150, 430), pf::Point(180, 450));
    endTurn();
    EXPECT_EQ(drawn->frame(), pf::Rect(130, 420, 100, 60));
    drag(pf::Point(230, 480), pf::Point(280, 540), Shift);
    endTurn();
    const pf::Rect resized = drawn->frame();
    EXPECT_EQ(resized.origin, pf::Point(130, 420));
    EXPECT_EQ(resized.width() / resized.height(), 100.0 / 60.0); // Shift keeps the proportions

    // Each undo takes back exactly one drag; redo reapplies it.
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(drawn->frame(), pf::Rect(130, 420, 100, 60));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(drawn->frame(), pf::Rect(100, 400, 100, 60));
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(drawn->frame(), pf::Rect(130, 420, 100, 60));
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(drawn->frame(), resized);
}

TEST_F(CanvasToolsTest, CommandAtTheEndKeepsTheToolForAnotherShapeInTheSameUndoStep)
{
    toolKey(Qt::Key_E, QStringLiteral("e"));
    drag(pf::Point(100, 400), pf::Point(150, 450), Command);
    advance(0.2);
    ASSERT_TRUE(shapeTool());
    drag(pf::Point(300, 400), pf::Point(350, 450));
    advance(0.2);
    EXPECT_FALSE(canvas->mouseStrategy());
    EXPECT_EQ(newShapes().size(), 2u);
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(newShapes().empty());
}

TEST_F(CanvasToolsTest, ClickReleaseMoveClickMakesTheShapeFollowThePointer)
{
    toolKey(Qt::Key_R, QStringLiteral("r"));
    click(pf::Point(100, 400));
    ASSERT_EQ(newShapes().size(), 1u);
    EXPECT_TRUE(shapeTool()->started());
    hover(pf::Point(160, 440));
    EXPECT_EQ(newShapes().front()->frame(), pf::Rect(100, 400, 60, 40));
    hover(pf::Point(180, 450));
    click(pf::Point(180, 450));
    advance(0.2);
    EXPECT_FALSE(canvas->mouseStrategy());
    EXPECT_EQ(newShapes().front()->frame(), pf::Rect(100, 400, 80, 50));
}

TEST_F(CanvasToolsTest, EscapeAfterTheFirstClickKeepsTheShapeAndEndsTheTool)
{
    toolKey(Qt::Key_R, QStringLiteral("r"));
    press(pf::Point(100, 400));
    dragTo(pf::Point(140, 430));
    keyDown(Qt::Key_Escape);
    release(pf::Point(140, 430));
    advance(0.2);
    EXPECT_FALSE(canvas->mouseStrategy());
    ASSERT_EQ(newShapes().size(), 1u);
    EXPECT_EQ(newShapes().front()->frame(), pf::Rect(100, 400, 40, 30));
    EXPECT_FALSE(canvas->manipulator()->dragResizing());
    // The next drag is a move, not the end of a resize.
    drag(pf::Point(120, 415), pf::Point(130, 425));
    endTurn();
    EXPECT_EQ(newShapes().front()->frame(), pf::Rect(110, 410, 40, 30));
}

TEST_F(CanvasToolsTest, ADoubleClickMakesOneShape)
{
    toolKey(Qt::Key_R, QStringLiteral("r"));
    click(pf::Point(100, 400));
    click(pf::Point(100, 400), {}, true);
    advance(0.2);
    EXPECT_EQ(newShapes().size(), 1u);
}

TEST_F(CanvasToolsTest, ALineGrowsFromItsFirstEndWithItsEndsAtThePressAndTheRelease)
{
    toolKey(Qt::Key_L, QStringLiteral("l"));
    drag(pf::Point(100, 400), pf::Point(220, 470));
    advance(0.2);
    ASSERT_EQ(newShapes().size(), 1u);
    const auto drawn = newShapes().front();
    EXPECT_TRUE(drawn->isPointer());
    EXPECT_EQ(drawn->frame().standardized(), pf::Rect(100, 400, 120, 70));
    // The first end (corner 0) at the press: a connector drawn out of a shape stays attached there.
    EXPECT_EQ(drawn->frame().origin, pf::Point(100, 400));
}

TEST_F(CanvasToolsTest, KindsWithoutADrawnSizeArePlacedByTheirClassAndFinishAtOnce)
{
    struct Case {
        const char* kind;
        pf::Point click;
        bool spansThePage;
    };
    const Case cases[] = {{"UISwitch", {300, 450}, false}, {"UIToolbar", {300, 450}, true}};
    for (const Case& c : cases) {
        const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(c.kind));
        ASSERT_TRUE(k);
        pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::ShapeModeWasActivatedNotification),
                                                     window.get(), {{QStringLiteral("ShapeClassName"), QString::fromLatin1(c.kind)}});
        ASSERT_TRUE(shapeTool()) << c.kind;
        click(c.click);
        advance(0.2);
        EXPECT_FALSE(canvas->mouseStrategy()) << c.kind;
        const auto placed = canvas->selectedShapes();
        ASSERT_EQ(placed.size(), 1u) << c.kind;
        const pf::Rect f = placed.front()->frame();
        if (c.spansThePage) {
            EXPECT_EQ(f.x(), 0) << c.kind;
            EXPECT_EQ(f.width(), page->frame().width()) << c.kind;
        } else {
            EXPECT_EQ(f.size, k->defaultSize()) << c.kind;
            // Centred, to the whole point: an odd side leaves half a point.
            EXPECT_LE(std::abs(f.midX() - c.click.x), 0.5) << c.kind;
            EXPECT_LE(std::abs(f.midY() - c.click.y), 0.5) << c.kind;
        }
    }
}

TEST_F(CanvasToolsTest, VEndsAToolAndWithoutOneGoesOn)
{
    toolKey(Qt::Key_R, QStringLiteral("r"));
    ASSERT_TRUE(canvas->mouseStrategy());
    keyDown(Qt::Key_V, {}, QStringLiteral("v"));
    EXPECT_FALSE(canvas->mouseStrategy());
    EXPECT_FALSE(undo.hasExplicitGroup());
    keyDown(Qt::Key_V, {}, QStringLiteral("v")); // nothing to end
    EXPECT_FALSE(canvas->mouseStrategy());
}

TEST_F(CanvasToolsTest, ANewToolEndsTheRunningOneKeepingTheListSelection)
{
    toolKey(Qt::Key_R, QStringLiteral("r"));
    const auto first = canvas->mouseStrategy();
    toolKey(Qt::Key_E, QStringLiteral("e"));
    EXPECT_NE(canvas->mouseStrategy(), first);
    EXPECT_EQ(windowNotices, QStringList{QStringLiteral("CanvasDefaultModeWasActivatedNotification")});
    EXPECT_TRUE(undo.hasExplicitGroup());
    canvas->revertToDefaultMouseMode();
    EXPECT_FALSE(undo.hasExplicitGroup());
}

TEST_F(CanvasToolsTest, AToolInsideAnotherOpenersGroupOpensAndClosesNone)
{
    const pf::UndoGroupToken theirs = undo.beginUndoGrouping();
    toolKey(Qt::Key_R, QStringLiteral("r"));
    canvas->revertToDefaultMouseMode();
    EXPECT_TRUE(undo.hasExplicitGroup());
    EXPECT_TRUE(undo.endUndoGrouping(theirs));
}

TEST_F(CanvasToolsTest, ANewPageEndsTheTool)
{
    toolKey(Qt::Key_R, QStringLiteral("r"));
    auto other = Composition::make();
    other->setCompositionDelegate(&owner);
    canvas->setComposition(other);
    EXPECT_FALSE(canvas->mouseStrategy());
    canvas->setComposition(page);
    other->setCompositionDelegate(nullptr);
}

TEST_F(CanvasToolsTest, AnUnknownKindActivatesNothing)
{
    for (const char* name : {"NoSuchShape", "Manipulator"})
        pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::ShapeModeWasActivatedNotification),
                                                     window.get(), {{QStringLiteral("ShapeClassName"), QString::fromLatin1(name)}});
    EXPECT_FALSE(canvas->mouseStrategy());
    EXPECT_FALSE(undo.hasExplicitGroup());
}

TEST_F(CanvasToolsTest, ALateFinishDoesNothing)
{
    // Another tool started before the finish came.
    toolKey(Qt::Key_R, QStringLiteral("r"));
    drag(pf::Point(100, 400), pf::Point(150, 450));
    toolKey(Qt::Key_E, QStringLiteral("e"));
    const auto second = canvas->mouseStrategy();
    advance(0.2);
    EXPECT_EQ(canvas->mouseStrategy(), second);
    canvas->revertToDefaultMouseMode();

    // The canvas went before the finish came.
    toolKey(Qt::Key_R, QStringLiteral("r"));
    drag(pf::Point(300, 400), pf::Point(350, 450));
    owner.canvas = nullptr;
    window.reset();
    canvas = nullptr;
    advance(0.2); // must not reach the freed canvas
}

TEST_F(CanvasToolsTest, AConstrainedOrTextDrawingGrowsFromThePressTowardThePointer)
{
    // Shift keeps the kind's ratio and a text box keeps its own; either way the press is the top-left
    // corner and the pointer's side sets the size, as for a free drawing.
    struct Case {
        int key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
        pf::Point from, to;
    };
    const Case cases[] = {
        {Qt::Key_R, "r", Shift, {600, 450}, {700, 520}},
        {Qt::Key_E, "e", Shift, {600, 450}, {700, 520}},
        {Qt::Key_T, "t", {}, {450, 300}, {600, 340}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        toolKey(c.key, QString::fromLatin1(c.text));
        drag(c.from, c.to, c.modifiers);
        advance(0.2);
        ASSERT_EQ(newShapes().size(), 1u);
        const pf::Rect f = newShapes().front()->frame();
        EXPECT_EQ(f.origin, c.from);
        EXPECT_EQ(f.width(), c.to.x - c.from.x);
        EXPECT_GT(f.height(), 0);
        if (c.modifiers & Shift) {
            EXPECT_EQ(f.height(), f.width());
        }
        endTurn();
        ASSERT_TRUE(undo.undo());
    }
}
