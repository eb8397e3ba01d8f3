// The canvas's selection: building, growing, ordering and dropping the selection object, deleting,
// catalogue shapes and the temporary group.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "model/Rectangle.h"
#include "platform/foundation/ClassRegistry.h"
#include "shapes/PictureKinds.h"


namespace {

// A selection kind of its own, and a shape kind that names it.
class MarkedManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass()
    {
        static const ManipulatorClass c(QStringLiteral("MarkedManipulator"), &Manipulator::staticClass(),
                                        &Shape::allocate<MarkedManipulator>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

class MarkedBoxClass : public RectangleClass {
public:
    using RectangleClass::RectangleClass;
    QString manipulatorClassName() const override { return QStringLiteral("MarkedManipulator"); }
};

class MarkedBox : public Rectangle {
public:
    static const MarkedBoxClass& staticClass()
    {
        static const MarkedBoxClass c(QStringLiteral("MarkedBox"), &Rectangle::staticClass(),
                                      &Shape::allocate<MarkedBox>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

// A kind naming a selection class that nothing registers.
class UnbuiltBoxClass : public RectangleClass {
public:
    using RectangleClass::RectangleClass;
    QString manipulatorClassName() const override { return QStringLiteral("UnbuiltManipulator"); }
};

class UnbuiltBox : public Rectangle {
public:
    static const UnbuiltBoxClass& staticClass()
    {
        static const UnbuiltBoxClass c(QStringLiteral("UnbuiltBox"), &Rectangle::staticClass(),
                                       &Shape::allocate<UnbuiltBox>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};


} // namespace

class CanvasSelectionTest : public CanvasFixture {
protected:
    static void SetUpTestSuite()
    {
        CanvasFixture::SetUpTestSuite();
        pf::ClassRegistry::shared().add(MarkedManipulator::staticClass());
        pf::ClassRegistry::shared().add(MarkedBox::staticClass());
    }

    // A picture stored in the document and an image shape showing it, on the page.
    std::shared_ptr<Shape> addPicture(QColor colour)
    {
        QString identifier;
        document.provisionImageWithData(pngBytes(colour), [&](const QString& id, const QString&) { identifier = id; });
        endTurn();
        EXPECT_FALSE(identifier.isEmpty());
        auto shape = Image::imageWithImage(document.imageForIdentifier(identifier), identifier, 0);
        page->addShape(shape);
        return shape;
    }

    QString notices;
};

TEST_F(CanvasSelectionTest, OneShapeTakesItsOwnSelectionKindAndMoreAPlainOne)
{
    auto marked = Shape::make<MarkedBox>(pf::Rect(10, 10, 20, 20));
    page->addShape(marked); // the page owner selects what is added
    ASSERT_TRUE(canvas->hasSelection());
    EXPECT_TRUE(dynamic_cast<MarkedManipulator*>(canvas->manipulator().get()));
    EXPECT_TRUE(canvas->hasSingleSelection());

    canvas->addShapeToSelection(marked); // already the only one: still its own kind
    EXPECT_TRUE(dynamic_cast<MarkedManipulator*>(canvas->manipulator().get()));

    canvas->addShapeToSelection(rectangle);
    EXPECT_EQ(&canvas->manipulator()->classObject(), &Manipulator::staticClass());
    EXPECT_TRUE(canvas->hasMultipleSelection());
    EXPECT_EQ(canvas->selectedShapes(), (Canvas::Shapes{marked, rectangle}));
    // One selection object in the page at a time, on top, knowing this canvas.
    int selections = 0;
    for (const auto& child : page->children())
        selections += child->isManipulator() && child != canvas->compositionManipulator();
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(page->children().back(), canvas->manipulator());
    EXPECT_EQ(canvas->manipulator()->canvas(), static_cast<ManipulatorCanvas*>(canvas));
}

TEST_F(CanvasSelectionTest, AKindNamingAMissingSelectionClassStillGetsASelection)
{
    const auto unbuilt = Shape::make<UnbuiltBox>(pf::Rect(500, 100, 60, 40));
    page->addShape(unbuilt);
    canvas->replaceSelectionWithShape(unbuilt);
    ASSERT_TRUE(canvas->hasSelection());
    EXPECT_EQ(&canvas->manipulator()->classObject(), &Manipulator::staticClass());
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{unbuilt});
}

TEST_F(CanvasSelectionTest, ShapesOfAnotherPageAreNotSelected)
{
    auto otherPage = Composition::make();
    auto stranger = Shape::make<Rectangle>(pf::Rect(0, 0, 10, 10));
    otherPage->addShape(stranger);
    canvas->replaceSelectionWithShape(stranger);
    EXPECT_FALSE(canvas->manipulator());
    for (const auto& child : page->children())
        EXPECT_TRUE(!child->isManipulator() || child == canvas->compositionManipulator());

    // Added to a selection, they leave it as it was: the same selection object, of the shape's own kind.
    auto marked = Shape::make<MarkedBox>(pf::Rect(10, 10, 20, 20));
    page->addShape(marked);
    const auto selection = canvas->manipulator();
    ASSERT_TRUE(dynamic_cast<MarkedManipulator*>(selection.get()));
    const std::uint64_t list = page->childrenSerial();
    canvas->addShapeToSelection(stranger);
    EXPECT_EQ(canvas->manipulator(), selection);
    EXPECT_EQ(page->childrenSerial(), list);
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{marked});
}

TEST_F(CanvasSelectionTest, OrderedSelectionFollowsThePageOrder)
{
    // Page order: rectangle, ellipse, line (after the page selection object at 0).
    canvas->replaceSelectionWithShapes({line, rectangle, ellipse});
    EXPECT_EQ(canvas->selectedShapes(), (Canvas::Shapes{line, rectangle, ellipse}));
    std::vector<std::size_t> indexes;
    EXPECT_EQ(canvas->orderedSelectedShapes(&indexes), (Canvas::Shapes{rectangle, ellipse, line}));
    EXPECT_EQ(indexes, (std::vector<std::size_t>{page->indexOfShape(rectangle.get()), page->indexOfShape(ellipse.get()),
                                                 page->indexOfShape(line.get())}));
}

TEST_F(CanvasSelectionTest, SelectingRegistersNoUndoAndTheActiveHandleFollows)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    canvas->addShapeToSelection(line);
    canvas->selectNone();
    endTurn();
    EXPECT_FALSE(undo.canUndo());

    canvas->replaceSelectionWithShape(rectangle);
    EXPECT_EQ(page->activeHandle(), -1);
    canvas->manipulator()->setActiveHandle(8);
    EXPECT_EQ(page->activeHandle(), 8);
    canvas->selectNone();
    EXPECT_EQ(page->activeHandle(), -1);
    EXPECT_FALSE(rectangle->isSelected());
}

TEST_F(CanvasSelectionTest, SelectionChangesTellThePageOwner)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    const QStringList calls = owner.takeCalls();
    EXPECT_EQ(calls.count(QStringLiteral("selectionWillChange")), 2);
    EXPECT_EQ(calls.count(QStringLiteral("selectionDidChange")), 2);
    EXPECT_TRUE(rectangle->isSelected());
    EXPECT_TRUE(ellipse->isSelected());
}

TEST_F(CanvasSelectionTest, ARulerOriginChangeKeepsTheSelection)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    const auto before = canvas->manipulator();
    page->setRulerOriginCorner(8);
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::RulerOriginDidChangeNotification),
                                                 page.get());
    EXPECT_NE(canvas->manipulator(), before); // rebuilt
    EXPECT_EQ(canvas->selectedShapes(), (Canvas::Shapes{rectangle, ellipse}));
    EXPECT_GT(owner.paletteUpdates, 0);
}

TEST_F(CanvasSelectionTest, DeletingIsOneUndoStepAndUndoBringsTheShapesBack)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    ASSERT_TRUE(canvas->canRemove());
    canvas->removeSelection();
    endTurn();
    EXPECT_FALSE(canvas->hasSelection());
    EXPECT_FALSE(page->containsShape(rectangle.get()));
    EXPECT_FALSE(page->containsShape(ellipse.get()));
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(page->containsShape(rectangle.get()));
    EXPECT_TRUE(page->containsShape(ellipse.get()));
}

TEST_F(CanvasSelectionTest, DeletingIsRefusedForLockedShapesAndShapesInsideAGroup)
{
    auto* grouped = dynamic_cast<Group*>(group.get());
    ASSERT_TRUE(grouped);
    const auto child = grouped->children().front();

    struct Case {
        const char* what;
        Canvas::Shapes shapes;
        bool lock;
    };
    const Case cases[] = {
        {"a locked shape", {rectangle}, true},
        {"a shape inside a group", {child}, false},
        {"a group's child beside a plain shape", {ellipse, child}, false},
    };
    for (const Case& c : cases) {
        rectangle->setLocked(c.lock);
        canvas->replaceSelectionWithShapes(c.shapes);
        EXPECT_FALSE(canvas->canRemove()) << c.what;
        canvas->removeSelection();
        for (const auto& shape : c.shapes)
            EXPECT_TRUE(shape->parent()) << c.what;
    }
    rectangle->setLocked(false);
    canvas->selectNone();
    EXPECT_FALSE(canvas->canRemove()); // nothing selected
    EXPECT_FALSE(canvas->canSelectNone());
}

TEST_F(CanvasSelectionTest, RemovingPicturesTellsTheDocumentOnceOnALaterTurn)
{
    int notices = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Canvas::DidRemoveImageNotification), canvas, [&](const pf::Notification&) { ++notices; });

    auto red = addPicture(Qt::red);
    auto blue = addPicture(Qt::blue);
    ASSERT_EQ(document.images.size(), 2u);
    for (const auto& [id, stored] : document.images)
        EXPECT_EQ(stored.count, 1) << qPrintable(id);

    canvas->replaceSelectionWithShapes({red, blue});
    canvas->removeSelection();
    EXPECT_EQ(notices, 0); // not before the next turn
    endTurn();
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(document.images.empty());   // collected
    EXPECT_GT(document.changeCount, 0);     // and the document is edited

    // A picture inside a removed group counts as well.
    auto green = addPicture(Qt::green);
    auto box = addShape("Rectangle", pf::Rect(0, 0, 5, 5));
    auto pictureGroup = Group::groupWithShapes({green, box});
    page->insertGroupInParentAtIndex(pictureGroup, page, pf::NotFound);
    canvas->replaceSelectionWithShape(pictureGroup);
    canvas->removeSelection();
    endTurn();
    EXPECT_EQ(notices, 2);

    // A missing picture has nothing to collect.
    auto missing = Image::imageWithImage(pf::Image(), QStringLiteral("gone"), 0);
    page->addShape(missing);
    canvas->replaceSelectionWithShape(missing);
    canvas->removeSelection();
    endTurn();
    EXPECT_EQ(notices, 2);
}

TEST_F(CanvasSelectionTest, ACatalogueShapeOutOfSightMovesToThePageCorner)
{
    pf::Value plist = pf::Value::dictionary();
    plist.set(QStringLiteral("className"), QStringLiteral("Rectangle"));
    plist.set(QStringLiteral("frame"), QStringLiteral("{{5000, 5000}, {30, 20}}"));
    canvas->addShapeFromPlist(plist);
    ASSERT_TRUE(canvas->hasSingleSelection());
    const auto shape = canvas->selectedShapes().front();
    EXPECT_EQ(shape->frame(), pf::Rect(0, 0, 30, 20));
    EXPECT_EQ(canvas->manipulator()->frame(), pf::Rect(0, 0, 30, 20));
    EXPECT_TRUE(canvas->visibleRect().contains(canvas->convertRectFromComposition(shape->frame())));

    // One in sight stays where it is.
    plist.set(QStringLiteral("frame"), QStringLiteral("{{200, 200}, {30, 20}}"));
    canvas->addShapeFromPlist(plist);
    EXPECT_EQ(canvas->selectedShapes().front()->frame(), pf::Rect(200, 200, 30, 20));
}

TEST_F(CanvasSelectionTest, TheTemporaryGroupChangesNothingOnThePage)
{
    canvas->replaceSelectionWithShapes({line, rectangle});
    endTurn();
    const auto children = page->children();
    const auto group = canvas->groupForSelection();
    ASSERT_TRUE(group);
    endTurn();
    EXPECT_EQ(page->children(), children);
    EXPECT_FALSE(undo.canUndo());
    ASSERT_EQ(group->children().size(), 2u);
    EXPECT_EQ(group->children()[0]->frame(), rectangle->frame()); // page order
    EXPECT_EQ(group->children()[1]->frame(), line->frame());
    EXPECT_NE(group->children()[0], rectangle);
}

TEST_F(CanvasSelectionTest, TheCanvasLeavesNoSelectionObjectsOnAPageThatOutlivesIt)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    owner.canvas = nullptr;
    window.reset();
    canvas = nullptr;
    for (const auto& child : page->children())
        EXPECT_FALSE(child->isManipulator());
    EXPECT_FALSE(rectangle->isSelected());
}
