#include "shell/TabHost.h"
#include "shell/TabModel.h"

#include "model/Composition.h"
#include "model/UserDefaults.h"
#include "platform/docs/Document.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A document with a window of tabs, as scripting sees it.
class TabbedDocument : public pf::Document, public TabHostOwner, public TabHost {
public:
    std::shared_ptr<pf::FileWrapper> fileWrapperOfType(const QString&, QString*) override { return nullptr; }
    bool readFromFileWrapper(const std::shared_ptr<pf::FileWrapper>&, const QString&, QString*) override { return false; }
    pf::Variant objectSpecifier() override { return pf::VariantMap{{"document", "Doc"}}; }
    TabHost* firstTabHost() override { return this; }

    QString defaultType() const override { return "composition"; }
    const std::vector<std::shared_ptr<TKTabModel>>& tabModels() const override { return models; }
    void removeTabModel(const std::shared_ptr<TKTabModel>& model) override
    {
        models.erase(std::remove(models.begin(), models.end(), model), models.end());
    }
    std::shared_ptr<TKTabModel> addTabWithRepresentedObject(std::shared_ptr<pf::Object>, const QString&, QString*) override
    {
        return nullptr;
    }
    void addTabModelAtIndex(std::size_t) override {}
    void selectTabAtIndex(std::size_t) override {}
    void reloadTabs() override {}
    CompositionDelegate* compositionDelegate() override { return nullptr; }
    const void* canvas() const override { return nullptr; }
    void synchronizeWindowTitleWithDocumentName() override {}

    std::shared_ptr<TabModel> addTab(const QString& title)
    {
        auto model = std::make_shared<TabModel>();
        model->setTitle(title);
        model->setDocument(this);
        model->setIndex(models.size());
        models.push_back(model);
        return model;
    }

    std::vector<std::shared_ptr<TKTabModel>> models;
};

class TabModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
    }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

} // namespace

TEST_F(TabModelTest, TheURLStringTitlesTheTab)
{
    TKTabModel model("file:///pages/Page.png", "composition");
    EXPECT_EQ(model.title(), "Page.png");
    EXPECT_EQ(model.type(), "composition");
    model.setTitle("Renamed");
    model.setURLString("file:///pages/Page.png"); // the same location again keeps the title
    EXPECT_EQ(model.title(), "Renamed");
    model.setURLString(QString());
    EXPECT_TRUE(model.title().isNull());
    EXPECT_TRUE(model.description().endsWith(" >")) << model.description().toStdString();
}

TEST_F(TabModelTest, ACopyKeepsTheTitleAndCopiesThePage)
{
    TabbedDocument document;
    auto page = Composition::make();
    page->setTitle("Home");
    auto model = document.addTab("Home");
    model->setRepresentedObject(page);
    model->setURLString("/somewhere/x.png");
    model->setTitle("Home");
    model->setSelected(true);
    model->setIndex(4);

    auto copy = std::dynamic_pointer_cast<TabModel>(model->copy());
    ASSERT_TRUE(copy); // the receiver's class
    EXPECT_EQ(copy->title(), "Home");
    EXPECT_EQ(copy->URLString(), "/somewhere/x.png");
    EXPECT_EQ(copy->index(), 0u);
    EXPECT_FALSE(copy->isSelected());
    EXPECT_EQ(copy->document(), nullptr);
    ASSERT_TRUE(copy->composition());
    EXPECT_NE(copy->composition(), page);
    EXPECT_EQ(copy->composition()->children().size(), page->children().size());

    // Renaming the tab renames its page.
    copy->setTitle("Copy of Home");
    EXPECT_EQ(copy->composition()->title(), "Copy of Home");
    EXPECT_EQ(page->title(), "Home");
}

TEST_F(TabModelTest, CodingKeepsTypeLocationIndexAndSelection)
{
    TabModel model("/pages/Settings.quorveldoc", "composition");
    model.setRepresentedObject(Composition::make());
    model.setTitle("Not coded");
    model.setIndex(3);
    model.setSelected(true);
    const pf::Value coded = model.encode();

    TabModel decoded;
    decoded.decode(coded);
    EXPECT_EQ(decoded.type(), "composition");
    EXPECT_EQ(decoded.URLString(), "/pages/Settings.quorveldoc");
    EXPECT_EQ(decoded.index(), 3u);
    EXPECT_TRUE(decoded.isSelected());
    EXPECT_EQ(decoded.title(), "Settings.quorveldoc");
    EXPECT_FALSE(decoded.representedObject());

    // A hostile archive: wrong kinds read as absent, a negative index as not found.
    pf::Value hostile = pf::Value::dictionary();
    hostile.set("type", 7);
    hostile.set("URLString", pf::Value::array());
    hostile.set("index", -5);
    TabModel fromHostile;
    fromHostile.decode(hostile);
    EXPECT_TRUE(fromHostile.type().isNull());
    EXPECT_TRUE(fromHostile.title().isNull());
    EXPECT_EQ(fromHostile.index(), pf::NotFound);
}

TEST_F(TabModelTest, ObjectSpecifiersAndTheCloseCommand)
{
    TabbedDocument document;
    auto first = document.addTab("One");
    EXPECT_EQ(first->handleCloseCommand()->number, 200);
    EXPECT_EQ(first->handleCloseCommand()->message, "Can't remove only page in a document.");
    EXPECT_EQ(document.models.size(), 1u);

    document.addTab("Two");
    auto third = document.addTab("Three");
    EXPECT_EQ(third->orderedIndex(), 3u);
    const pf::Variant specifier = third->objectSpecifier();
    const auto map = specifier.get<pf::VariantMap>();
    ASSERT_TRUE(map);
    EXPECT_EQ(map->at("index"), pf::Variant(2));
    EXPECT_EQ(map->at("key"), pf::Variant("orderedTabModels"));
    EXPECT_EQ(map->at("containerClass"), pf::Variant("TKDocument"));
    EXPECT_EQ(map->at("container"), document.objectSpecifier());
    third->setIndex(pf::NotFound);
    EXPECT_TRUE(third->objectSpecifier().isNull());

    EXPECT_FALSE(third->handleCloseCommand());
    EXPECT_EQ(document.models.size(), 2u);
    EXPECT_EQ(TKTabModel::classCode, 0x63546162u);
}
