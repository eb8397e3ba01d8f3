// The page's stored form, its copy, image reference counts across edits and undo, and drawing for export.
#include "CompositionTestSupport.h"

#include "model/Connection.h"
#include "model/Guide.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"

#include <QImage>

namespace {

// Through the bytes of a saved document and back.
std::shared_ptr<Composition> throughBytes(const pf::Value& plist)
{
    const auto written = pf::writePropertyList(plist);
    EXPECT_TRUE(written.data.has_value());
    const auto read = pf::readPropertyList(*written.data);
    EXPECT_TRUE(read.value.has_value()) << read.error.toStdString();
    return read.value ? Composition::fromPlist(*read.value) : nullptr;
}

pf::Value entryOf(const char* className)
{
    pf::Value d = pf::Value::dictionary();
    d.set("className", className);
    d.set("frame", "{{1, 2}, {30, 40}}");
    return d;
}

} // namespace

class CompositionFormTest : public CompositionTest {
protected:
    // A page of several kinds: a box, a rectangle, a group of two boxes, a connector tied to the box and
    // to a grouped box, and two user guides.
    void buildPage()
    {
        boxA = box("box A", pf::Rect(10, 10, 40, 20));
        boxA->setCurveRatio(0.25);
        page->addShape(boxA);
        page->addShape(Shape::make<Rectangle>(pf::Rect(100, 100, 50, 50)));
        grouped = box("grouped", pf::Rect(200, 0, 10, 10));
        auto other = box("other", pf::Rect(230, 0, 10, 10));
        page->addShape(grouped);
        page->addShape(other);
        group = Group::groupWithShapes({grouped, other});
        page->insertGroupInParentAtIndex(group, page, 2);
        connector = Shape::make<TestConnector>(pf::Rect(60, 60, 100, 1));
        page->addShape(connector);
        for (const auto& [target, edge] : {std::pair<std::shared_ptr<Shape>, QVRectEdge>{grouped, QVRectEdgeTop}, {boxA, QVRectEdgeLeft}}) {
            auto c = Connection::make(page.get());
            c->setShape(target);
            c->setPointer(connector);
            c->setPointerCorner(target == boxA ? QVRectCornerTopLef : QVRectCornerBotRit);
            c->setShapeEdge(edge);
            c->setShapeRatio(0.25);
            c->setCommitted(true);
            page->addConnection(c);
        }
        page->setUserGuides({Guide::make(page.get(), Guide::UserGuide, pf::Point(40, 0), pf::Point(40, 400)),
                             Guide::make(page.get(), Guide::UserGuide, pf::Point(0, 70), pf::Point(600, 70))});
        page->setGridTolerance(8);
        page->setZoomScaleIndex(3);
        page->setScrollCenterPoint(pf::Point(120, 80));
        page->setRulerOriginCorner(QVRectCornerMidMid);
    }

    std::shared_ptr<TestBox> boxA;
    std::shared_ptr<TestBox> grouped;
    std::shared_ptr<Group> group;
    std::shared_ptr<Shape> connector;
};

TEST_F(CompositionFormTest, PageRoundTripsThroughItsStoredForm)
{
    buildPage();
    const pf::Value stored = page->asPlist();
    EXPECT_EQ(stored.stringForKey("className"), "Composition");
    EXPECT_EQ(stored.doubleForKey("gridTolerance"), 8);
    // Connections are stored in order of shape, then connector identifier, whatever the set's order.
    const auto& connections = stored.arrayForKey("connections");
    ASSERT_EQ(connections.size(), 2u);
    EXPECT_LT(connections[0].stringForKey("shapeIdentifier"), connections[1].stringForKey("shapeIdentifier"));

    auto read = throughBytes(stored);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->asPlist(), stored);
    EXPECT_EQ(pf::threadDictionary::value(QString::fromLatin1(pf::TlsCompositionKey)), pf::Variant());

    ASSERT_EQ(read->children().size(), 4u);
    EXPECT_EQ(static_cast<const TestBox&>(*read->children()[0]).curveRatio(), 0.25);
    EXPECT_EQ(&read->children()[1]->shapeClass(), &Rectangle::staticClass());
    const auto* readGroup = dynamic_cast<const Group*>(read->children()[2].get());
    ASSERT_NE(readGroup, nullptr);
    ASSERT_EQ(readGroup->children().size(), 2u);
    EXPECT_EQ(readGroup->children()[0]->parent(), readGroup);
    EXPECT_EQ(read->registeredShapes().size(), 6u);
    for (const auto& c : read->pageConnections()) {
        ASSERT_NE(c->shape(), nullptr);
        EXPECT_EQ(read->shapeForIdentifier(c->shape()->identifier()), c->shape());
        EXPECT_EQ(c->pointer(), read->children()[3].get());
        EXPECT_EQ(c->shape()->connections().size(), 1u);
        EXPECT_TRUE(c->isCommitted());
    }
    ASSERT_EQ(read->userGuides().size(), 2u);
    EXPECT_EQ(read->userGuides()[1]->p1(), pf::Point(0, 70));
    EXPECT_EQ(read->userGuides()[1]->composition(), read.get());
    EXPECT_EQ(read->zoomScaleIndex(), 3);
    EXPECT_EQ(read->rulerOriginCorner(), QVRectCornerMidMid);
    EXPECT_EQ(read->frame(), page->frame());
}

// Pages keep their shapes' stored forms between saves: every way a shape changes must show in the next.
TEST_F(CompositionFormTest, TheStoredFormFollowsEveryChangeOfItsShapes)
{
    buildPage();
    const pf::Value before = page->asPlist();
    EXPECT_EQ(page->asPlist(), before); // kept forms read as made ones

    boxA->setCurveRatio(0.5);                      // a kind's own setter
    grouped->setFrame(pf::Rect(200, 5, 12, 12));   // a shape inside a group
    const auto rectangle = page->children()[1];
    page->removeShape(rectangle);                  // changed off the page, then back
    rectangle->setAttributedText(std::make_unique<pf::AttributedString>(QStringLiteral("back"), rectangle->textAttributes()).get());
    page->addShape(rectangle);
    group->moveShapeAtIndexToIndex(0, 1);          // the order of a group's children
    connector->setTitle(QStringLiteral("renamed"));

    const pf::Value after = page->asPlist();
    const auto& stored = after.arrayForKey("children");
    ASSERT_EQ(stored.size(), page->children().size());
    for (std::size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(stored[i], page->children()[i]->asPlist()) << page->children()[i]->description().toStdString();
    EXPECT_NE(after, before);
}

// A kept form must write the very bytes a fresh one writes (kinds of numbers, the bits of reals, texts
// and data, nested arrays and dictionaries, groups): values that merely compare equal are not enough.
TEST_F(CompositionFormTest, KeptFormsWriteTheBytesOfFreshOnes)
{
    buildPage();
    auto styled = Shape::make<Rectangle>(pf::Rect(-20.5, 7.25, 33.125, 0.1));
    styled->setAttributedText(std::make_unique<pf::AttributedString>(QStringLiteral("kept \u00e9t\u00e9"), styled->textAttributes()).get());
    styled->setFillType(1);
    styled->setFillGradientElements({{pf::Color(0.1, 0.2, 0.3, 1.0), 0.0}, {pf::Color(0.9, 0.0, 0.4, 0.25), 0.5}, {pf::Color(1, 1, 1, 0.5), 1.0}});
    styled->setFillShadowOffsetY(-3.5);
    styled->setRotationAngle(-45);
    styled->setOpacity(1e-7);
    auto filter = FilterSpec::filterSpec();
    filter->setType(2);
    filter->setSliderValue(-0.75);
    styled->setContentFilterSpecs({filter});
    page->addShape(styled);

    const auto bytes = [](const pf::Value& v) { return pf::writePropertyList(v).data; };
    const pf::Value made = page->asPlist();  // the forms made, and kept
    const pf::Value kept = page->asPlist();  // the kept ones
    EXPECT_EQ(bytes(kept), bytes(made));
    const auto& children = kept.arrayForKey("children");
    ASSERT_EQ(children.size(), page->children().size());
    for (std::size_t i = 0; i < children.size(); ++i)
        EXPECT_EQ(bytes(children[i]), bytes(page->children()[i]->asPlist())) << page->children()[i]->description().toStdString();
}

TEST_F(CompositionFormTest, ReadingSkipsWhatItCannotUse)
{
    pf::Value stored = page->asPlist();
    pf::Value children = pf::Value::array();
    children.append(entryOf("TestBox"));
    children.append(entryOf("NoSuchKind"));
    children.append(entryOf("Metrics")); // a class, but not a shape
    children.append(entryOf("Composition"));
    children.append("not a dictionary");
    children.append(pf::Value::dictionary());
    children.append(entryOf("Rectangle"));
    stored.set("children", children);
    pf::Value guides = pf::Value::array();
    guides.append(42);
    stored.set("userGuides", guides);
    pf::Value connections = pf::Value::array();
    pf::Value dangling = pf::Value::dictionary();
    dangling.set("shapeIdentifier", "NOT-ON-THE-PAGE");
    dangling.set("pointerIdentifier", "NOR-THIS");
    connections.append(dangling);
    connections.append("junk");
    stored.set("connections", connections);
    stored.set("gridTolerance", 0.5);

    auto read = throughBytes(stored);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->children().size(), 2u);
    EXPECT_EQ(&read->children()[0]->shapeClass(), &TestBox::staticClass());
    EXPECT_EQ(&read->children()[1]->shapeClass(), &Rectangle::staticClass());
    EXPECT_TRUE(read->userGuides().empty());
    EXPECT_TRUE(read->pageConnections().empty()); // a connector end pinned to (0, 0) would be written back
    EXPECT_EQ(read->gridTolerance(), 1.0);

    stored.set("gridTolerance", "lots");
    const double before = UserDefaults::instance().gridTolerance();
    read = throughBytes(stored);
    EXPECT_EQ(read->gridTolerance(), before);

    EXPECT_EQ(Composition::fromPlist(entryOf("Rectangle")), nullptr);
    EXPECT_EQ(Composition::fromPlist(pf::Value("Composition")), nullptr);
}

TEST_F(CompositionFormTest, CopyKeepsChildrenAndConnectionsUnderNewIdentifiers)
{
    buildPage();
    auto copy = std::dynamic_pointer_cast<Composition>(page->copy());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->compositionDelegate(), nullptr);
    ASSERT_EQ(copy->children().size(), page->children().size());
    for (std::size_t i = 0; i < copy->children().size(); ++i) {
        EXPECT_NE(copy->children()[i], page->children()[i]);
        EXPECT_NE(copy->children()[i]->identifier(), page->children()[i]->identifier());
        EXPECT_EQ(copy->children()[i]->frame(), page->children()[i]->frame());
        EXPECT_EQ(copy->children()[i]->composition(), copy.get());
    }
    EXPECT_EQ(copy->registeredShapes().size(), 6u);
    ASSERT_EQ(copy->pageConnections().size(), 2u);
    const auto* copiedGroup = dynamic_cast<const Group*>(copy->children()[2].get());
    ASSERT_NE(copiedGroup, nullptr);
    for (const auto& c : copy->pageConnections()) {
        EXPECT_EQ(copy->shapeForIdentifier(c->shape()->identifier()), c->shape());
        EXPECT_EQ(c->pointer(), copy->children()[3].get());
        EXPECT_EQ(c->composition(), copy.get());
    }
    EXPECT_EQ(copy->pageConnections()[0]->shape(), copiedGroup->children()[0]);
    EXPECT_EQ(copy->pageConnections()[1]->shape(), copy->children()[0]);
    ASSERT_EQ(copy->userGuides().size(), 2u);
    EXPECT_NE(copy->userGuides()[0], page->userGuides()[0]);
    EXPECT_EQ(copy->userGuides()[0]->composition(), copy.get());
    EXPECT_NE(copy->sharedMetrics(), page->sharedMetrics());
    EXPECT_EQ(*copy->metrics(), *page->metrics());
    EXPECT_EQ(copy->gridTolerance(), 8);
    EXPECT_EQ(copy->zoomScaleIndex(), 3);
    // The original keeps its own.
    EXPECT_EQ(page->pageConnections()[0]->shape(), grouped);
}

TEST_F(CompositionTest, ImageCountsStayBalancedAcrossEditsAndUndo)
{
    const auto count = [this](const char* id) { return owner.refCounts[QString::fromLatin1(id)]; };
    auto picture = box("picture");
    picture->setImageIdentifier("IMG");
    page->addShape(picture);
    EXPECT_EQ(count("IMG"), 1);

    picture->setImageIdentifier("IMG2");
    EXPECT_EQ(count("IMG"), 0);
    EXPECT_EQ(count("IMG2"), 1);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(count("IMG"), 1);
    EXPECT_EQ(count("IMG2"), 0);

    page->removeShape(picture);
    EXPECT_EQ(count("IMG"), 0);
    picture->setImageIdentifier("OFF-PAGE"); // not registered: counts nothing
    picture->setImageIdentifier("IMG");
    EXPECT_EQ(count("OFF-PAGE"), 0);
    ASSERT_TRUE(owner.undo.undo()); // the removal
    EXPECT_EQ(count("IMG"), 1);
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(count("IMG"), 0);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(count("IMG"), 1);

    page->copyShapeAtIndexToIndex(0, 1);
    EXPECT_EQ(count("IMG"), 2);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(count("IMG"), 1);

    auto other = box("other");
    page->addShape(other);
    auto group = Group::groupWithShapes({picture, other});
    page->insertGroupInParentAtIndex(group, page, 0);
    EXPECT_EQ(count("IMG"), 1);
    page->removeGroup(group);
    EXPECT_EQ(count("IMG"), 1);
    ASSERT_TRUE(owner.undo.undo());
    page->removeShape(group); // the group and its children leave
    EXPECT_EQ(count("IMG"), 0);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(count("IMG"), 1);

    (void)page->copy(); // a copy has no owner: it counts nothing here
    EXPECT_EQ(count("IMG"), 1);
    EXPECT_EQ(owner.suddenTerminationDisabled, 0);
}

TEST_F(CompositionTest, DrawsItsChildrenOnTheExportFill)
{
    auto p = pageOfSize(60, 40);
    p->setFillColor(pf::Color{1, 0, 0, 1});
    auto inside = Shape::make<Rectangle>(pf::Rect(10, 10, 20, 20));
    inside->setFillType(0);
    inside->setFillColor(pf::Color{0, 0, 1, 1});
    inside->setStrokeType(3);
    p->addShape(inside);

    const auto render = [&p] {
        pf::BitmapContext context(pf::Size(60, 40), 1.0);
        p->drawInContextDirtyRect(context, p->frame());
        return context.bitmap();
    };
    p->setExporting(true);
    QImage image = render();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(55, 35), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 0, 255));

    pf::RecordingContext recording;
    p->drawInContextDirtyRect(recording, p->frame());
    ASSERT_GE(recording.calls().size(), 2u);
    EXPECT_EQ(recording.calls()[0].operation, "fill");
    EXPECT_EQ(recording.calls()[0].path.bounds(), pf::Rect(0, 0, 60, 40));

    // On screen the canvas draws the page; the page draws only its children.
    p->setExporting(false);
    image = render();
    EXPECT_EQ(image.pixelColor(5, 5).alpha(), 0);
    EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 0, 255));
}
