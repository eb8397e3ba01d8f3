// What scripts see of the editor: the class table, pages and shapes of a real document window, colours and
// coordinates as scripts read and write them, the page list's undo, the refusals, and the generic commands
// the D-Bus bridge calls (specifier records in, specifier records out).
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentFixture.h"
#include "app/ScriptingBridge.h"
#include "app/ScriptingObjectModel.h"
#include "canvas/Canvas.h"
#include "canvas/CanvasViewController.h"
#include "platform/kit/ScrollView.h"
#include "model/Composition.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Services.h"
#include "shapes/Text.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace {

using pf::fourCharCode;

class ScriptingTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        std::tie(document, window) = openFixtureWindow();
        ASSERT_NE(window, nullptr);
        undo = window->windowUndoManager();
        undo->setGroupsByEvent(false);
    }

    std::shared_ptr<Composition> page(std::size_t index) { return DocumentScripting::orderedRepresentedObjects(*document).at(index); }

    std::shared_ptr<Shape> makeShape(const char* code, Composition& on)
    {
        ScriptCommandError error;
        auto shape = CompositionScripting::handleCreateScriptCommand(on, ScriptingClasses::objectClassForCode(*pf::fourCharCodeFromString(code)), &error);
        EXPECT_TRUE(shape) << error.message.toStdString();
        return shape;
    }

    QVariantMap pageRecord(int index)
    {
        return QVariantMap{{"want", "cTab"}, {"form", "indx"}, {"seld", index},
                           {"from", QVariantMap{{"want", "docu"}, {"form", "name"}, {"seld", document->displayName()}}}};
    }

    Document* document = nullptr;
    AppWindowController* window = nullptr;
    pf::UndoManager* undo = nullptr;
};

TEST_F(ScriptingTest, TheClassTableGivesEveryKindOneCodeAndPlural)
{
    const auto& classes = ScriptingClasses::allConcreateObjectClasses();
    ASSERT_EQ(classes.size(), 41u);
    QSet<pf::FourCharCode> codes;
    for (const ScriptableClass& row : classes) {
        codes.insert(row.code);
        EXPECT_EQ(ScriptingClasses::objectClassForCode(row.code), row.shapeClass) << row.plural.toStdString();
        EXPECT_EQ(ScriptingClasses::classCode(*row.shapeClass), row.code);
        EXPECT_EQ(ScriptingClasses::elementKey(*row.shapeClass), "script" + row.plural);
        EXPECT_TRUE(ScriptingClasses::canHandleCreateCommandForClass(row.shapeClass));
    }
    EXPECT_EQ(codes.size(), 41);
    EXPECT_EQ(classes.front().code, fourCharCode("sGrp"));
    EXPECT_EQ(classes.back().code, fourCharCode("sDIt"));
    EXPECT_EQ(ScriptingClasses::scriptPluralClassName(*ScriptingClasses::objectClassForCode(fourCharCode("sPly"))), "Polygons");
    EXPECT_EQ(ScriptingClasses::scriptPluralClassName(*ScriptingClasses::objectClassForCode(fourCharCode("sSwo"))), "Swooshes");
    EXPECT_EQ(ScriptingClasses::pageCode, 0x63546162u);

    // Shape itself and kinds outside the table answer the nearest listed ancestor's code, and are not made.
    EXPECT_EQ(ScriptingClasses::classCode(Shape::staticClass()), fourCharCode("sObj"));
    EXPECT_EQ(ScriptingClasses::classCode(Text::staticClass()), fourCharCode("sObj"));
    EXPECT_EQ(ScriptingClasses::scriptPluralClassName(Text::staticClass()), "Shapes");
    EXPECT_EQ(ScriptingClasses::objectClassForCode(fourCharCode("sObj")), nullptr);
    EXPECT_EQ(ScriptingClasses::objectClassForCode(fourCharCode("zzzz")), nullptr);
    EXPECT_FALSE(ScriptingClasses::canHandleCreateCommandForClass(&Text::staticClass()));
    EXPECT_FALSE(ScriptingClasses::canHandleDeleteCommandForCode(fourCharCode("sObj")));
    EXPECT_TRUE(ScriptingClasses::canHandleDeleteCommandForCode(fourCharCode("sRRt")));
}

TEST_F(ScriptingTest, PagesListTheirShapesByExactKindWithIndexesFromOne)
{
    auto home = page(0);
    auto round = makeShape("sRRt", *home);
    const auto rectangles = CompositionScripting::elementsForKey(*home, "scriptRectangles");
    const auto rounds = CompositionScripting::elementsForKey(*home, "scriptRoundRectangles");
    const auto all = CompositionScripting::elementsForKey(*home, "scriptShapes");
    ASSERT_TRUE(rectangles && rounds && all);
    EXPECT_EQ(rectangles->size(), 1u);
    EXPECT_NE(rectangles->front(), round);
    EXPECT_EQ(*rounds, std::vector<std::shared_ptr<Shape>>{round});
    EXPECT_EQ(all->size(), 2u);
    EXPECT_FALSE(CompositionScripting::elementsForKey(*home, "scriptTexts"));

    // A selection's manipulator is on the page but is no shape of the script's.
    window->canvasView()->replaceSelectionWithShape(round);
    const auto& children = home->children();
    EXPECT_TRUE(std::any_of(children.begin(), children.end(), [](const auto& c) { return c->isManipulator(); }));
    EXPECT_EQ(CompositionScripting::scriptShapes(*home).size(), 2u);
    EXPECT_EQ(ShapeScripting::orderedIndex(*all->front()), 1);
    EXPECT_EQ(ShapeScripting::orderedIndex(*round), 2);
    EXPECT_EQ(CompositionScripting::orderedIndex(*page(1)), 2);
    EXPECT_EQ(ShapeScripting::classCode(*round), fourCharCode("sRRt"));
}

TEST_F(ScriptingTest, ColoursAreReadAndWrittenAsHexStringsOrRefusedWithNothingChanged)
{
    auto shape = CompositionScripting::scriptShapes(*page(0)).front();
    const auto stickyBefore = shape->shapeClass().stickyObjectForKey("fillColor");
    ASSERT_FALSE(ShapeScripting::setScriptColorForKey(*shape, "#FFFFFFFF", "fillColor"));
    EXPECT_EQ(ShapeScripting::scriptFillColor(*shape), "#FFFFFFFF");

    ASSERT_FALSE(ShapeScripting::setScriptColorForKey(*shape, "#FF000080", "fillColor"));
    ASSERT_TRUE(shape->fillColor());
    EXPECT_DOUBLE_EQ(shape->fillColor()->red, 1.0);
    EXPECT_NEAR(shape->fillColor()->alpha, 128.0 / 255.0, 1e-12);
    EXPECT_EQ(ShapeScripting::scriptFillColor(*shape), "#FF000080");
    ASSERT_FALSE(ShapeScripting::setScriptColorForKey(*shape, "#ff0000", "fillColor"));
    EXPECT_EQ(ShapeScripting::scriptFillColor(*shape), "#FF0000FF");

    // Anything else fails and leaves the colour as it was.
    for (const char* bad : {"FF0000", "#GGGGGGGG", "#FF00", "#FF0000801", "# FF000", "#+F0000", "", "#"}) {
        const auto error = ShapeScripting::setScriptColorForKey(*shape, bad, "fillColor");
        ASSERT_TRUE(error) << bad;
        EXPECT_EQ(error->number, ScriptError::CoercionFailed);
        EXPECT_EQ(ShapeScripting::scriptFillColor(*shape), "#FF0000FF") << bad;
    }
    // A scripted colour never becomes the style of new shapes.
    EXPECT_EQ(shape->shapeClass().stickyObjectForKey("fillColor"), stickyBefore);

    shape->setStrokeColor(std::nullopt);
    EXPECT_EQ(ShapeScripting::scriptStrokeColor(*shape), "");
}

TEST_F(ScriptingTest, GeometryIsInDisplayCoordinatesForGettingAndSettingAlike)
{
    auto home = page(0);
    auto shape = CompositionScripting::scriptShapes(*home).front();
    // Only a turned shape keeps a frame off whole points.
    shape->setRotationAngle(45);
    shape->setFrame(pf::Rect(10.5, 20.25, 100, 80));
    ASSERT_EQ(shape->frame().x(), 10.5);
    EXPECT_EQ(ShapeScripting::scriptX(*shape), 11);
    EXPECT_EQ(ShapeScripting::scriptY(*shape), 20);
    EXPECT_EQ(ShapeScripting::scriptLocation(*shape).value("x").toDouble(), 10.5);
    EXPECT_EQ(ShapeScripting::scriptFrame(*shape).value("height").toDouble(), 80.0);

    // With the ruler origin in the page's middle, what is set is what is read.
    home->setRulerOriginCorner(QVRectCornerMidMid);
    ShapeScripting::setScriptX(*shape, 40);
    ShapeScripting::setScriptY(*shape, -30);
    EXPECT_EQ(ShapeScripting::scriptX(*shape), 40);
    EXPECT_EQ(ShapeScripting::scriptY(*shape), -30);
    EXPECT_GT(shape->frame().x(), 40.0);
    ASSERT_FALSE(ShapeScripting::setScriptLocation(*shape, {{"x", 5.0}, {"y", 6.0}}));
    EXPECT_EQ(ShapeScripting::scriptLocation(*shape), (QVariantMap{{"x", 5.0}, {"y", 6.0}}));

    // A component that is not a number refuses the whole request.
    const pf::Rect before = shape->frame();
    EXPECT_TRUE(ShapeScripting::setScriptFrame(*shape, {{"x", 1.0}, {"width", "wide"}}));
    EXPECT_TRUE(ShapeScripting::setScriptSize(*shape, {{"width", std::nan("")}}));
    EXPECT_TRUE(ShapeScripting::setScriptSize(*shape, {{"depth", 3.0}}));
    EXPECT_EQ(shape->frame(), before);
}

TEST_F(ScriptingTest, ReplacingThePagesIsOneUndoStepNamedByTheCountAdded)
{
    const auto original = DocumentScripting::orderedRepresentedObjects(*document);
    auto three = original;
    three.push_back(Composition::make());
    DocumentScripting::setOrderedRepresentedObjects(*document, three);
    ASSERT_EQ(window->numberOfTabs(), 3u);

    auto five = three;
    five.push_back(Composition::make());
    five.push_back(Composition::make());
    DocumentScripting::setOrderedRepresentedObjects(*document, five);
    EXPECT_EQ(DocumentScripting::orderedRepresentedObjects(*document), five);
    EXPECT_EQ(undo->undoActionName(), "Add " + window->localizedDisplayNameForTabPlural());

    DocumentScripting::setOrderedRepresentedObjects(*document, three);
    EXPECT_EQ(undo->undoActionName(), "Remove " + window->localizedDisplayNameForTab());
    ASSERT_TRUE(undo->undo());
    EXPECT_EQ(DocumentScripting::orderedRepresentedObjects(*document), five);
    ASSERT_TRUE(undo->undo());
    EXPECT_EQ(DocumentScripting::orderedRepresentedObjects(*document), three);
    // Every page shown has this window's delegate again.
    for (const auto& shown : three)
        EXPECT_EQ(shown->compositionDelegate(), static_cast<CompositionDelegate*>(window->canvasViewController()));

    DocumentScripting::setScriptSelectedRepresentedObject(*document, three[1]);
    EXPECT_EQ(DocumentScripting::scriptSelectedRepresentedObject(*document), three[1]);
    DocumentScripting::setScriptSelectedRepresentedObject(*document, Composition::make());
    EXPECT_EQ(DocumentScripting::scriptSelectedRepresentedObject(*document), three[1]);
}

TEST_F(ScriptingTest, DeletingAPageRefusesAStrangerAndTheOnlyPage)
{
    const auto stranger = Composition::make();
    auto refused = DocumentScripting::handleDeleteScriptCommand(*document, stranger.get());
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->number, 100);
    EXPECT_EQ(refused->message, "The specified page index is out of bounds.");

    EXPECT_FALSE(DocumentScripting::handleDeleteScriptCommand(*document, page(1).get()));
    ASSERT_EQ(window->numberOfTabs(), 1u);
    refused = DocumentScripting::handleDeleteScriptCommand(*document, page(0).get());
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->number, 200);
    EXPECT_EQ(refused->message, "Can't remove only page in a document.");
    // The page's own delete refuses alike.
    refused = CompositionScripting::handleDeleteScriptCommand(*page(0));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->number, 200);
    EXPECT_EQ(window->numberOfTabs(), 1u);

    // A new page through the document's create command: selected, or in the background.
    auto made = DocumentScripting::handleCreateScriptCommand(*document, true);
    EXPECT_EQ(made, DocumentScripting::scriptSelectedRepresentedObject(*document));
    auto background = DocumentScripting::handleCreateScriptCommand(*document, false);
    EXPECT_EQ(background, page(2));
}

TEST_F(ScriptingTest, SettingTheShapesEditsTheDifferenceAsOneStepKeepingTheSelection)
{
    auto home = page(0);
    auto old = CompositionScripting::scriptShapes(*home).front();
    auto first = makeShape("sElp", *home);
    auto second = makeShape("sStr", *home);
    window->canvasView()->replaceSelectionWithShape(first);
    const auto manipulator = home->children().front();
    ASSERT_TRUE(manipulator->isManipulator());

    CompositionScripting::setScriptShapes(*home, {second, old});
    EXPECT_EQ(CompositionScripting::scriptShapes(*home), (std::vector<std::shared_ptr<Shape>>{second, old}));
    EXPECT_EQ(home->children().front(), manipulator);
    EXPECT_FALSE(home->isShapeRegistered(*first));
    ASSERT_TRUE(undo->undo());
    EXPECT_EQ(CompositionScripting::scriptShapes(*home), (std::vector<std::shared_ptr<Shape>>{old, first, second}));
    EXPECT_TRUE(home->isShapeRegistered(*first));
}

TEST_F(ScriptingTest, SpecifiersHandedOutFindTheirShapeEvenWhenNamesRepeat)
{
    ScriptingCommands commands(controller);
    ScriptCommandError error;
    const QVariantMap a = commands.make(pageRecord(1), "sElp", {}, &error);
    const QVariantMap b = commands.make(pageRecord(1), "sElp", {{"fillColor", "#00FF00"}}, &error);
    ASSERT_FALSE(a.isEmpty() || b.isEmpty()) << error.message.toStdString();
    // Both bear their kind's name: the second's specifier goes by identifier, and finds the second.
    EXPECT_EQ(b.value("form").toString(), "ID  ");
    EXPECT_EQ(commands.get(b, "fillColor", &error).toString(), "#00FF00FF");
    EXPECT_NE(commands.get(a, "fillColor", &error).toString(), "#00FF00FF");
    ASSERT_TRUE(commands.set(b, "text", "Hello", &error));
    EXPECT_EQ(commands.get(b, "text", &error).toString(), "Hello");
    ASSERT_TRUE(commands.set(b, "text", "Bye", &error));
    EXPECT_EQ(commands.get(b, "text", &error).toString(), "Bye");
    ASSERT_TRUE(commands.set(b, "name", "Lime", &error));
    const auto specifier = ShapeScripting::objectSpecifier(*CompositionScripting::scriptShapes(*page(0)).back());
    ASSERT_TRUE(specifier);
    EXPECT_EQ(specifier->form, ObjectSpecifier::formName);
    EXPECT_EQ(specifier->seld.toString(), "Lime");
}

TEST_F(ScriptingTest, CommandsAnswerTheirErrorsAndChangeNothing)
{
    ScriptingCommands commands(controller);
    const auto shapesBefore = CompositionScripting::scriptShapes(*page(0));
    const auto rectangle = ShapeScripting::objectSpecifier(*shapesBefore.front())->toRecord();
    const QString fill = ShapeScripting::scriptFillColor(*shapesBefore.front());
    const QVariantMap frameBefore = ShapeScripting::scriptFrame(*shapesBefore.front());

    struct Case {
        const char* what;
        std::function<bool(ScriptCommandError*)> run;
        int number;
    };
    const Case cases[] = {
        {"unknown class", [&](auto* e) { return !commands.make(pageRecord(1), "sZzz", {}, e).isEmpty(); }, ScriptError::CantHandleClass},
        {"Text is no listed class", [&](auto* e) { return !commands.make(pageRecord(1), "sObj", {}, e).isEmpty(); }, ScriptError::CantHandleClass},
        {"page 3", [&](auto* e) { return commands.get(pageRecord(3), "index", e).isValid(); }, 100},
        {"page 0", [&](auto* e) { return commands.get(pageRecord(0), "index", e).isValid(); }, 100},
        {"colour without #", [&](auto* e) { return commands.set(rectangle, "fillColor", "FF0000", e); }, ScriptError::CoercionFailed},
        {"colour of a number", [&](auto* e) { return commands.set(rectangle, "fillColor", 7, e); }, ScriptError::CoercionFailed},
        {"read-only index", [&](auto* e) { return commands.set(rectangle, "index", 2, e); }, ScriptError::NotModifiable},
        {"unknown property", [&](auto* e) { return commands.get(rectangle, "colour", e).isValid(); }, ScriptError::EventNotHandled},
        {"bad property on make", [&](auto* e) { return !commands.make(pageRecord(1), "sRct", {{"x", "left"}}, e).isEmpty(); }, ScriptError::CoercionFailed},
        {"not a record", [&](auto* e) { return commands.get(QVariant(5), "name", e).isValid(); }, ScriptError::BadKeyForm},
        {"bad form", [&](auto* e) { return commands.get(QVariantMap{{"want", "docu"}, {"form", "what"}, {"seld", 1}}, "name", e).isValid(); }, ScriptError::BadKeyForm},
        {"no such shape", [&](auto* e) { return commands.remove(QVariantMap{{"want", "sRct"}, {"form", "name"}, {"seld", "None"}, {"from", pageRecord(1)}}, e); }, ScriptError::NoSuchObject},
        // Sizes below what resizing allows, coordinates and sizes beyond any page, non-numbers.
        {"negative width", [&](auto* e) { return commands.set(rectangle, "width", -50, e); }, ScriptError::CoercionFailed},
        {"negative size", [&](auto* e) { return commands.set(rectangle, "size", QVariantMap{{"width", 50.0}, {"height", -1.0}}, e); }, ScriptError::CoercionFailed},
        {"huge x", [&](auto* e) { return commands.set(rectangle, "x", 1e308, e); }, ScriptError::CoercionFailed},
        {"huge location", [&](auto* e) { return commands.set(rectangle, "location", QVariantMap{{"x", -1e308}}, e); }, ScriptError::CoercionFailed},
        {"NaN frame", [&](auto* e) { return commands.set(rectangle, "frame", QVariantMap{{"x", 1.0}, {"height", std::nan("")}}, e); }, ScriptError::CoercionFailed},
        {"width past the limit", [&](auto* e) { return commands.set(rectangle, "frame", QVariantMap{{"width", 2e7}}, e); }, ScriptError::CoercionFailed},
        {"location of a list", [&](auto* e) { return commands.set(rectangle, "location", QVariantList{1, 2}, e); }, ScriptError::CoercionFailed},
        {"unknown component", [&](auto* e) { return commands.set(rectangle, "size", QVariantMap{{"depth", 3.0}}, e); }, ScriptError::CoercionFailed},
        {"empty frame", [&](auto* e) { return commands.set(rectangle, "frame", QVariantMap(), e); }, ScriptError::CoercionFailed},
        {"width of text", [&](auto* e) { return commands.set(rectangle, "width", "wide", e); }, ScriptError::CoercionFailed},
        {"only page", [&](auto* e) { return commands.remove(pageRecord(2), e) && commands.remove(pageRecord(1), e); }, 200},
    };
    for (const Case& c : cases) {
        ScriptCommandError error;
        EXPECT_FALSE(c.run(&error)) << c.what;
        EXPECT_EQ(error.number, c.number) << c.what;
        EXPECT_FALSE(error.message.isEmpty()) << c.what;
        EXPECT_TRUE(scriptErrorName(error.number).startsWith("com.thistlewick.Quorvel.Error.")) << c.what;
    }
    // A class code of control characters is named by its number, not cut short at its NUL.
    ScriptCommandError numeric;
    EXPECT_FALSE(commands.get(QVariantMap{{"want", 7}, {"form", "indx"}, {"seld", 1}, {"from", pageRecord(1)}}, "name", &numeric).isValid());
    EXPECT_EQ(numeric.number, ScriptError::CantHandleClass);
    EXPECT_TRUE(numeric.message.endsWith("There is no class 7.")) << numeric.message.toStdString();
    EXPECT_FALSE(numeric.message.contains(QChar(0)));

    // The last case took one of the two pages; nothing else changed.
    EXPECT_EQ(window->numberOfTabs(), 1u);
    EXPECT_EQ(ShapeScripting::scriptFrame(*shapesBefore.front()), frameBefore);
    EXPECT_EQ(CompositionScripting::scriptShapes(*page(0)), shapesBefore);
    EXPECT_EQ(ShapeScripting::scriptFillColor(*shapesBefore.front()), fill);
    EXPECT_NE(scriptErrorName(100), scriptErrorName(200));
}

TEST_F(ScriptingTest, EveryShapePropertySetIsReadBack)
{
    ScriptingCommands commands(controller);
    ScriptCommandError error;
    const QVariantMap shape = commands.make(pageRecord(1), "sRct", {}, &error);
    ASSERT_FALSE(shape.isEmpty()) << error.message.toStdString();
    QVariantMap renamed = shape;
    renamed.insert("form", "name");
    renamed.insert("seld", "Badge");
    // Each row sets one property and reads it back; later rows find the shape by its new name.
    struct Row {
        const char* property;
        QVariant value;
        QVariant readBack;
    };
    const Row rows[] = {
        {"name", "Badge", "Badge"},
        {"text", "Hello", "Hello"},
        {"fillColor", "#FF000080", "#FF000080"},
        {"strokeColor", "#00FF00", "#00FF00FF"},
        {"x", 40, 40},
        {"y", -12, -12},
        {"width", 120, 120},
        {"height", 0, 0},
        {"location", QVariantMap{{"x", 10.0}, {"y", 20.0}}, QVariantMap{{"x", 10.0}, {"y", 20.0}}},
        {"size", QVariantMap{{"width", 50.0}, {"height", 40.0}}, QVariantMap{{"width", 50.0}, {"height", 40.0}}},
        {"frame", QVariantMap{{"x", 1.0}, {"y", 2.0}, {"width", 3.0}, {"height", 4.0}},
         QVariantMap{{"x", 1.0}, {"y", 2.0}, {"width", 3.0}, {"height", 4.0}}},
        {"frame", QVariantMap{{"width", 1e7}}, QVariantMap{{"x", 1.0}, {"y", 2.0}, {"width", 1e7}, {"height", 4.0}}},
    };
    for (const Row& row : rows) {
        const QVariantMap target = QLatin1String(row.property) == QLatin1String("name") ? shape : renamed;
        ASSERT_TRUE(commands.set(target, row.property, row.value, &error)) << row.property << ": " << error.message.toStdString();
        EXPECT_EQ(commands.get(renamed, row.property, &error), row.readBack) << row.property;
    }
}

TEST_F(ScriptingTest, AShapeDeleteIsOneUndoStepAndKeepsAnotherSelection)
{
    ScriptingCommands commands(controller);
    ScriptCommandError error;
    auto home = page(0);
    const auto old = CompositionScripting::scriptShapes(*home).front();
    const QVariantMap made = commands.make(pageRecord(1), "sRct", {{"fillColor", "#FF000080"}, {"x", 50}}, &error);
    ASSERT_FALSE(made.isEmpty()) << error.message.toStdString();
    EXPECT_EQ(commands.get(made, "x", &error).toLongLong(), 50);
    // Making the shape and setting its properties undo together.
    ASSERT_TRUE(undo->undo());
    EXPECT_EQ(CompositionScripting::scriptShapes(*home).size(), 1u);
    ASSERT_TRUE(undo->redo());
    const auto added = CompositionScripting::scriptShapes(*home).back();
    EXPECT_EQ(ShapeScripting::scriptFillColor(*added), "#FF000080");

    window->canvasView()->replaceSelectionWithShape(old);
    const auto manipulator = home->children().front();
    ASSERT_TRUE(manipulator->isManipulator());
    ASSERT_TRUE(commands.remove(ShapeScripting::objectSpecifier(*added)->toRecord(), &error));
    EXPECT_EQ(CompositionScripting::scriptShapes(*home), std::vector<std::shared_ptr<Shape>>{old});
    EXPECT_EQ(home->children().front(), manipulator);
    ASSERT_TRUE(undo->undo());
    EXPECT_EQ(CompositionScripting::scriptShapes(*home).back(), added);
    EXPECT_EQ(home->children().front(), manipulator);

    // The selected page, read and set by specifier; a new page in the background.
    const QVariant documentRecord = pageRecord(1).value("from");
    EXPECT_EQ(commands.get(documentRecord, "selectedPage", &error).toMap().value("seld").toLongLong(), 1);
    ASSERT_TRUE(commands.set(documentRecord, "selectedPage", pageRecord(2), &error));
    EXPECT_EQ(DocumentScripting::scriptSelectedRepresentedObject(*document), page(1));
    const QVariantMap third = commands.make(documentRecord, "cTab", {{"isSelected", false}}, &error);
    EXPECT_EQ(third.value("seld").toLongLong(), 3);
    ASSERT_TRUE(commands.remove(third, &error));

    // The elements of the document and the application.
    const QVariantList pages = commands.elements(pageRecord(1).value("from"), "cTab", &error);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[1].toMap().value("seld").toLongLong(), 2);
    EXPECT_EQ(commands.elements(QVariantMap(), "docu", &error).size(), 1);
    EXPECT_EQ(commands.elements(pageRecord(1), "sRct", &error).size(), 2);
    EXPECT_EQ(commands.elements(pageRecord(2), "sObj", &error).size(), 0);
}

TEST_F(ScriptingTest, EveryScriptedChangeAndItsUndoAndRedoMarkTheDocumentEdited)
{
    // As in the running editor: a change is one step when its event ends.
    undo->setGroupsByEvent(true);
    ScriptingCommands commands(controller);
    const auto rectangle = [&] { return ShapeScripting::objectSpecifier(*CompositionScripting::scriptShapes(*page(0)).front())->toRecord(); };
    struct Case {
        const char* what;
        std::function<bool(ScriptCommandError*)> change;
    };
    const Case cases[] = {
        {"name", [&](auto* e) { return commands.set(rectangle(), "name", "Renamed", e); }},
        {"frame", [&](auto* e) { return commands.set(rectangle(), "frame", QVariantMap{{"x", 7.0}, {"width", 33.0}}, e); }},
        {"make a shape", [&](auto* e) { return !commands.make(pageRecord(1), "sElp", {{"x", 5}}, e).isEmpty(); }},
        // The fixture's rectangle shows a picture: its count goes and comes back with it.
        {"delete a picture shape", [&](auto* e) { return commands.remove(rectangle(), e); }},
        {"make a page", [&](auto* e) { return !commands.make(pageRecord(1).value("from"), "cTab", {}, e).isEmpty(); }},
        {"delete a page", [&](auto* e) { return commands.remove(pageRecord(2), e); }},
    };
    for (const Case& c : cases) {
        const auto saveClean = [&] {
            ASSERT_TRUE(document->saveDocument()) << c.what;
            ASSERT_FALSE(document->isDocumentEdited()) << c.what;
        };
        saveClean();
        ScriptCommandError error;
        ASSERT_TRUE(c.change(&error)) << c.what << ": " << error.message.toStdString();
        pf::drainMainQueue();
        EXPECT_TRUE(document->isDocumentEdited()) << c.what;
        saveClean();
        ASSERT_TRUE(undo->undo()) << c.what;
        EXPECT_TRUE(document->isDocumentEdited()) << c.what << " undone";
        saveClean();
        ASSERT_TRUE(undo->redo()) << c.what;
        EXPECT_TRUE(document->isDocumentEdited()) << c.what << " redone";
    }
}

TEST_F(ScriptingTest, TheDictionaryListsEveryClassOfTheTable)
{
    const QString dictionary = scriptingDictionary();
    ASSERT_FALSE(dictionary.isEmpty());
    EXPECT_TRUE(dictionary.contains(QLatin1String(ScriptingBridge::InterfaceName)));
    for (const ScriptableClass& row : ScriptingClasses::allConcreateObjectClasses())
        EXPECT_TRUE(dictionary.contains(QStringLiteral("Class.%1\" value=\"%2; element key script%3\"")
                                            .arg(pf::stringFromFourCharCode(row.code), row.shapeClass->className(), row.plural)))
            << row.plural.toStdString();

    // The Help menu's command writes it where the desktop can open it.
    const QByteArray cacheBefore = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
    QUrl opened;
    {
        ScopedDesktopOpenSink sink([&opened](const QUrl& url) { opened = url; });
        DocumentController application;
        application.openScriptingDictionary();
    }
    qputenv("XDG_CACHE_HOME", cacheBefore);
    ASSERT_TRUE(opened.isLocalFile());
    QFile written(opened.toLocalFile());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), dictionary);
}

} // namespace
