#include "app/DocumentFixture.h"
#include "canvas/support/CanvasFixture.h"
#include "app/RecordingTabHost.h"
#include "docs/DocsTestSupport.h"

#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "controls/ControlKinds.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "shell/TKMainWindowController.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// Pages as tabs, with the undoable add and remove of the document window.
class PageWindowController : public TKMainWindowController {
public:
    explicit PageWindowController(Document& document) : TKMainWindowController("PageWindow"), delegate_(document)
    {
        setDocument(&document);
    }

    QString defaultType() const override { return "composition"; }
    std::shared_ptr<TKTabModel> makeTabModel() const override { return std::make_shared<TabModel>(); }
    std::shared_ptr<pf::Object> newRepresentedObjectWithContentsOfURLString(const QString&, const QString&,
                                                                            QString*) override
    {
        auto page = Composition::make();
        page->setTitle(newTitleForRepresentedObjectAtIndex(numberOfTabs()));
        page->setCompositionDelegate(&delegate_);
        return page;
    }
    QString newTitleForRepresentedObjectAtIndex(std::size_t index) const override
    {
        return QString("Page %1").arg(index + 1);
    }
    void addTabModel(const std::shared_ptr<TKTabModel>& model, std::size_t index) override
    {
        if (auto* undo = windowUndoManager(); undo && index <= numberOfTabs())
            undo->registerUndo([this, index] { removeTabModelAtIndex(index); });
        TKMainWindowController::addTabModel(model, index);
    }
    using TKMainWindowController::addTabModel;
    void removeTabModelAtIndex(std::size_t index) override
    {
        if (auto* undo = windowUndoManager(); undo && index < numberOfTabs())
            undo->registerUndo([this, model = tabModelAtIndex(index), index] { addTabModel(model, index); });
        TKMainWindowController::removeTabModelAtIndex(index);
    }
    // The tab's title follows its page's, as the document window binds them.
    void didAddTabModelAtIndex(std::size_t index) override
    {
        if (auto added = page(index))
            tabModelAtIndex(index)->setTitle(added->title());
    }
    void windowDidLoad() override
    {
        TKMainWindowController::windowDidLoad();
        static_cast<Document*>(document())->canvasWindowControllerDidLoadWindow();
    }
    CompositionDelegate* compositionDelegate() override { return &delegate_; }

    std::shared_ptr<Composition> page(std::size_t index) const
    {
        return std::dynamic_pointer_cast<Composition>(tabModelAtIndex(index)->representedObject());
    }

private:
    DocumentPageDelegate delegate_;
};

class TabMoveTest : public DocumentFixture {
protected:
    static void SetUpTestSuite() { registerControlKinds(pf::ClassRegistry::shared()); }

    void SetUp() override
    {
        Document::windowControllerFactory() = [](Document& document) {
            return std::make_shared<PageWindowController>(document);
        };
        setUpDocuments();
    }

    std::shared_ptr<Document> newDocument()
    {
        auto document = std::dynamic_pointer_cast<Document>(controller.newDocument());
        if (document)
            document->undoManager().setGroupsByEvent(false);
        return document;
    }
    static PageWindowController& windowOf(const std::shared_ptr<Document>& document)
    {
        return static_cast<PageWindowController&>(*document->canvasWindowController());
    }

    pf::VirtualClock clock;
    int beeps = 0;
    pf::ScopedBeepSink beepSink{[this] { ++beeps; }};
    pf::ScopedLogSink quiet{[](const QString&) {}};
    pf::ScopedViewBuilder windowFile{"PageWindow", [](pf::Responder*) {
        auto* view = new pf::View;
        view->setFrame({{0, 0}, {640, 480}});
        return view;
    }};
};

TEST_F(TabMoveTest, AMovedTabIsACopyWithItsPicturesAndOneUndoInTheSourceBringsItBack)
{
    auto source = newDocument();
    ASSERT_TRUE(source);
    PageWindowController& window = windowOf(source);
    ASSERT_EQ(window.numberOfTabs(), 1u);
    window.newTab();
    ASSERT_EQ(window.numberOfTabs(), 2u);

    QString picture;
    source->provisionImageWithData(pngBytes(qRgb(200, 30, 30)), [&](const QString& id, const QString&) { picture = id; });
    pf::drainMainQueue();
    ASSERT_FALSE(picture.isEmpty());
    auto framed = Shape::make<Rectangle>(pf::Rect(10, 10, 40, 30));
    framed->setImageIdentifier(picture);
    const auto original = window.page(1);
    original->addShape(framed);
    source->undoManager().removeAllActions();

    pf::MenuItem item;
    item.setTag(1);
    window.takeTabIndexToMoveToNewWindowFrom(&item);
    EXPECT_EQ(beeps, 0);

    ASSERT_EQ(controller.documents().size(), 2u);
    auto moved = std::dynamic_pointer_cast<Document>(
        controller.documents()[0] == source ? controller.documents()[1] : controller.documents()[0]);
    PageWindowController& target = windowOf(moved);
    ASSERT_EQ(target.numberOfTabs(), 1u);
    EXPECT_EQ(target.tabModelAtIndex(0)->title(), "Page 2");
    EXPECT_EQ(target.page(0)->title(), "Page 2");
    EXPECT_EQ(target.selectedTabIndex(), 0u);
    EXPECT_EQ(target.tabModelAtIndex(0)->document(), moved.get());
    const auto copy = target.page(0);
    ASSERT_NE(copy, original);
    ASSERT_EQ(copy->children().size(), original->children().size());
    EXPECT_TRUE(moved->imageExistsForIdentifier(picture));
    EXPECT_EQ(moved->imageDataForIdentifier(picture), source->imageDataForIdentifier(picture));
    EXPECT_EQ(moved->imageRefCountTab().at(picture), 1);
    EXPECT_FALSE(moved->undoManager().canUndo());
    EXPECT_TRUE(moved->isDocumentEdited());
    // Nothing is collected from the new document: its page shows the picture.
    EXPECT_FALSE(moved->imageGC());

    ASSERT_EQ(window.numberOfTabs(), 1u);
    EXPECT_TRUE(source->imageExistsForIdentifier(picture));
    ASSERT_TRUE(source->undoManager().undo());
    ASSERT_EQ(window.numberOfTabs(), 2u);
    EXPECT_EQ(window.page(1), original);
    EXPECT_EQ(window.selectedTabIndex(), 1u);
    EXPECT_FALSE(source->undoManager().canUndo());

    // A window's only tab stays.
    target.takeTabIndexToMoveToNewWindowFrom(nullptr);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(controller.documents().size(), 2u);
    EXPECT_EQ(target.numberOfTabs(), 1u);
}

TEST_F(TabMoveTest, ClosingTheOnlyTabClosesTheDocumentWhichReleasesItsWindow)
{
    auto document = newDocument();
    ASSERT_TRUE(document);
    std::weak_ptr<pf::Object> window = windowOf(document).weak_from_this();
    pf::Window* shown = windowOf(document).window();
    ASSERT_NE(shown, nullptr);
    shown->becomeKeyWindow();
    document.reset();
    ASSERT_EQ(controller.documents().size(), 1u);

    auto* controllerOfWindow = static_cast<PageWindowController*>(window.lock().get());
    controllerOfWindow->closeTab();
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_TRUE(window.expired());
}

} // namespace
