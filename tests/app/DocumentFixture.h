// The ground every document test stands on: fresh settings, a private drafts folder, a document
// controller knowing the package and picture types, and at the end every document closed and the
// settings put back. Subclasses choose the window documents get, then may copy the fixture package.
#pragma once

#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "canvas/Canvas.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "platform/foundation/ClassRegistry.h"
#include "model/UserDefaults.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Window.h"
#include "shell/TKTabListItem.h"

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

// Controller: the document controller the test works with (the application's own one for tests of it).
template <class Controller = pf::DocumentController>
class BasicDocumentFixture : public ::testing::Test {
protected:
    // openImage: what the controller does with a picture file (none opens by default).
    void setUpDocuments(documentTypes::ImageOpener openImage = nullptr)
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previousDefaults_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
        ASSERT_TRUE(dir.isValid());
        pf::Document::setDraftsFolderForTesting(dir.filePath("Drafts"));
        if (!openImage)
            openImage = [](const QString&, QString*) -> std::shared_ptr<pf::Document> { return nullptr; };
        documentTypes::addTo(controller, std::move(openImage));
    }

    // A copy of the two-page fixture package in the test's folder (a copy, not links: nothing a test does
    // may reach the fixture).
    QString copyFixturePackage()
    {
        const QString package = dir.filePath("Fixture.quorveldoc");
        std::filesystem::copy(QUORVEL_TEST_DATA "/package/Fixture.quorveldoc", package.toStdString(),
                              std::filesystem::copy_options::recursive);
        return package;
    }

    void TearDown() override
    {
        for (const auto& document : std::vector(controller.documents()))
            document->close();
        pf::drainMainQueue();
        Document::windowControllerFactory() = nullptr;
        pf::Document::setDraftsFolderForTesting({});
        if (previousDefaults_)
            pf::UserDefaultsStore::replaceStandard(std::move(previousDefaults_));
    }

    QTemporaryDir dir;
    Controller controller;

private:
    std::unique_ptr<pf::UserDefaultsStore> previousDefaults_;
};

using DocumentFixture = BasicDocumentFixture<>;

// Documents in the program's own window: the kinds, the selection classes and the window's interface file
// registered once, and every new document given an AppWindowController. Controller as for the fixture above.
template <class Controller = pf::DocumentController>
class BasicDocumentWindowFixture : public BasicDocumentFixture<Controller> {
protected:
    static void SetUpTestSuite()
    {
        registerControlKinds(pf::ClassRegistry::shared());
        registerManipulatorClasses(pf::ClassRegistry::shared());
        CanvasWindowController::registerInterfaceFiles();
    }

    void SetUp() override
    {
        this->setUpDocuments();
        AppWindowController::installAsDocumentWindow();
    }

    // A new untitled document, loaded, and its window.
    std::pair<Document*, AppWindowController*> newDocumentWindow()
    {
        auto made = this->controller.newDocument();
        EXPECT_TRUE(made);
        return loadedWithWindow(made.get());
    }

    // A copy of the fixture package, opened and loaded, and its window.
    std::pair<Document*, AppWindowController*> openFixtureWindow()
    {
        QString error;
        auto opened = this->controller.openDocumentAtPath(this->copyFixturePackage(), &error);
        EXPECT_TRUE(opened) << error.toStdString();
        return loadedWithWindow(opened.get());
    }

    // The window shown at 1200 x 900 and active, main and key, its canvas the first responder: as a user
    // works in it.
    static void showForInput(AppWindowController& window)
    {
        QWidget* top = window.windowWidget();
        top->resize(1200, 900);
        top->show();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top));
        window.window()->becomeMainWindow();
        window.window()->becomeKeyWindow();
        window.window()->makeFirstResponder(window.canvasView());
    }

private:
    static std::pair<Document*, AppWindowController*> loadedWithWindow(pf::Document* made)
    {
        pf::drainMainQueue();
        auto* document = static_cast<Document*>(made);
        return {document, document ? static_cast<AppWindowController*>(document->canvasWindowController().get())
                                   : nullptr};
    }
};

using DocumentWindowFixture = BasicDocumentWindowFixture<>;

// Document windows with the inspector and the outline beside the canvas, as the program makes them.
class PalettedDocumentWindowFixture : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        AppWindowController::installInspector();
        AppWindowController::installOutline();
    }

    void TearDown() override
    {
        CanvasWindowController::setInspectorMaker(nullptr);
        CanvasWindowController::setOutlineMaker(nullptr);
        DocumentWindowFixture::TearDown();
    }
};

// A new tab item of the strip standing in for tab: the same page, state, title and frame, so that its
// drawing is a fresh one of what tab shows.
inline void standInFor(TKTabListItem& item, const TKTabListItem& tab, TKTabsListViewController* strip)
{
    item.setTabsListViewController(strip);
    item.setRepresentedObject(tab.representedObject());
    item.setSelected(tab.isSelected());
    item.setTitle(tab.title());
    item.setFrame(tab.frame());
}
