// The library's catalogue and search, as plain functions over library records.
#include "canvas/support/CanvasFixture.h"
#include "model/ShapeClass.h"
#include "palettes/LibraryCatalogue.h"
#include "platform/foundation/ClassRegistry.h"

#include <gtest/gtest.h>

namespace {

pf::Value entry(std::initializer_list<std::pair<const char*, const char*>> values)
{
    pf::Value record = pf::Value::dictionary();
    for (const auto& [key, value] : values)
        record.set(QString::fromLatin1(key), QString::fromUtf8(value));
    return record;
}

// Three kinds, one of them lacking everything but its name.
const pf::Value::Array& fixtureEntries()
{
    static const pf::Value::Array entries = {
        entry({{"className", "Rectangle"}, {"title", "Rectangle (R)"}, {"longDescription", "A plain box."},
               {"extraSearchString", "square frame round"}, {"negativeSearchString", "round"}}),
        entry({{"className", "RoundRectangle"}, {"title", "Round Rectangle"},
               {"longDescription", "A box with round corners."}, {"negativeSearchString", "x"}}),
        entry({{"className", "Bare"}}),
    };
    return entries;
}

TEST(LibraryFilter, QueriesFindTheEntriesWhoseTextHoldsEveryToken)
{
    const std::vector<std::size_t> all{0, 1, 2};
    const struct {
        const char* query;
        std::vector<std::size_t> found;
    } cases[] = {
        {"", all},
        {"  \t \n ", all},
        {"rectangle", {0, 1}},
        {"RECTangle", {0, 1}},
        {"  box  ", {0, 1}},
        {"round box", {0, 1}},
        {"box   round", {0, 1}},
        {"corners plain", {}},
        // Two adjacent words typed as one.
        {"roundrect", {1}},
        {"squareframe", {0}},
        // The negative string, when it is the whole query of two or more characters, hides its entry.
        {"round", {1}},
        {"Round", {0, 1}},
        // One character is no negative string: the second entry keeps its "x" of "box".
        {"x", {0, 1}},
        // A missing value is empty, not the word a missing object prints as.
        {"null", {}},
        {"ul", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(library::filterEntries(fixtureEntries(), QString::fromUtf8(c.query)), c.found) << c.query;
}

class LibraryCatalogueTest : public CanvasFixture {};

TEST_F(LibraryCatalogueTest, ListsEveryKindInOrderWithItsRecord)
{
    const pf::Value::Array entries = library::catalogueEntries();
    ASSERT_EQ(entries.size(), std::size_t(library::catalogueClassNames().size()));
    EXPECT_EQ(entries.size(), 58u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const QString& name = library::catalogueClassNames()[qsizetype(i)];
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(name);
        ASSERT_NE(kind, nullptr) << name.toStdString();
        EXPECT_EQ(entries[i], kind->plist()) << name.toStdString();
        EXPECT_FALSE(entries[i].contains(u"frame"));
    }
    EXPECT_EQ(entries.front().stringForKey(u"className"), u"Bezier");
    EXPECT_EQ(entries.back().stringForKey(u"className"), u"DoubleInput");
    for (const QString& tool : library::toolClassNames())
        EXPECT_TRUE(library::catalogueClassNames().contains(tool)) << tool.toStdString();
}

TEST_F(LibraryCatalogueTest, TheRealCatalogueAnswersWordsOfItsKinds)
{
    const pf::Value::Array entries = library::catalogueEntries();
    auto names = [&](const char* query) {
        QStringList found;
        for (std::size_t i : library::filterEntries(entries, QString::fromUtf8(query)))
            found << entries[i].stringForKey(u"className");
        return found;
    };
    EXPECT_TRUE(names("star").contains(u"Star"_qs));
    EXPECT_TRUE(names("ellipse").contains(u"Ellipse"_qs));
    EXPECT_EQ(names("").size(), 58);
    // Kinds that give no search words are not found by the text a missing value would print as.
    EXPECT_TRUE(names("null").isEmpty()) << names("null").join(u',').toStdString();
}

} // namespace
