// The inspector in the document window: it takes the placeholder's region and follows the canvas's
// selection, as the program installs it.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "canvas/Canvas.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "palettes/InspectorViewController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "shell/IDEPaletteListView.h"

#include <gtest/gtest.h>

namespace {

class DocumentInspectorTest : public DocumentFixture {
protected:
    static void SetUpTestSuite()
    {
        registerControlKinds(pf::ClassRegistry::shared());
        registerManipulatorClasses(pf::ClassRegistry::shared());
        CanvasWindowController::registerInterfaceFiles();
    }

    void SetUp() override
    {
        setUpDocuments();
        AppWindowController::installAsDocumentWindow();
        AppWindowController::installInspector();
    }

    void TearDown() override
    {
        DocumentFixture::TearDown();
        CanvasWindowController::setInspectorMaker(nullptr);
    }
};

TEST_F(DocumentInspectorTest, TheWindowsInspectorFollowsTheSelection)
{
    QString error;
    auto document = controller.openDocumentAtPath(copyFixturePackage(), &error);
    ASSERT_TRUE(document) << error.toStdString();
    pf::drainMainQueue();
    auto& window = *static_cast<AppWindowController*>(static_cast<Document&>(*document).canvasWindowController().get());
    auto* inspector = dynamic_cast<InspectorViewController*>(window.inspectorViewController());
    ASSERT_TRUE(inspector);
    ASSERT_TRUE(window.inspectorView());
    EXPECT_EQ(window.inspectorView(), inspector->view());
    EXPECT_TRUE(window.inspectorView()->parentWidget());
    Canvas* canvas = window.canvasView();
    ASSERT_TRUE(canvas);
    EXPECT_EQ(inspector->canvas(), canvas);

    pf::drainMainQueue();
    pf::drainMainQueue();
    EXPECT_EQ(inspector->listView()->hintText(), QStringLiteral("Inspector"));

    std::shared_ptr<Shape> shape;
    for (const auto& child : canvas->composition()->children())
        if (!child->isManipulator()) {
            shape = child;
            break;
        }
    ASSERT_TRUE(shape) << "the fixture's first page has a shape";
    canvas->replaceSelectionWithShape(shape);
    pf::drainMainQueue();
    pf::drainMainQueue();
    EXPECT_EQ(inspector->selectedObject(), canvas->manipulator().get());
    ASSERT_TRUE(inspector->facets());
    EXPECT_FALSE(inspector->facets()->empty());
    EXPECT_TRUE(inspector->listView()->hintText().isEmpty());

    canvas->selectNone();
    pf::drainMainQueue();
    pf::drainMainQueue();
    EXPECT_TRUE(!inspector->facets() || inspector->facets()->empty());
}

} // namespace
