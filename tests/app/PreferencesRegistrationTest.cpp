#include "PreferencesFixture.h"

#include "app/SortedArrays.h"

namespace {

using preftest::PreferencesFixture;
using pf::Value;

using PreferencesRegistrationTest = PreferencesFixture;

TEST_F(PreferencesRegistrationTest, DescriptionsBecomeRecords)
{
    struct Case {
        const char* className;
        Value::Dictionary description;
        // Expected: category, identifier, title, short title, icon, nib.
        const char* category;
        const char* identifier;
        const char* title;
        const char* shortTitle;
        const char* icon;
        const char* nib;
    };
    const Case cases[] = {
        {"Full",
         {{"category", "Drawing"}, {"title", "Full Title"}, {"shortTitle", "Full"}, {"identifier", "full.id"},
          {"icon", "full_icon"}, {"nib", "FullNib"}},
         "Drawing", "full.id", "Full Title", "Full", "full_icon", "FullNib"},
        {"Bare", {}, "UNKNOWN", "Localized Title for Preference Class Bare", "Localized Title for Preference Class Bare",
         "Localized Title for Preference Class Bare", "Bare", "Bare"},
        {"Empty",
         {{"identifier", ""}, {"icon", ""}, {"nib", ""}, {"title", "Empty Title"}},
         "UNKNOWN", "Empty Title", "Empty Title", "Empty Title", "Empty", "Empty"},
        {"Short", {{"title", "Long"}, {"shortTitle", "S"}}, "UNKNOWN", "S", "Long", "S", "Short", "Short"},
    };
    for (const Case& c : cases)
        OAPreferenceController::registerItemName(c.className, Value(c.description));
    const auto& records = OAPreferenceController::allClientRecords();
    ASSERT_EQ(records.size(), std::size(cases));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Case& c = cases[i];
        const OAPreferenceClientRecord& r = *records[i];
        SCOPED_TRACE(c.className);
        EXPECT_EQ(r.className(), c.className);
        EXPECT_EQ(r.categoryName(), c.category);
        EXPECT_EQ(r.identifier(), c.identifier);
        EXPECT_EQ(r.title(), c.title);
        EXPECT_EQ(r.shortTitle(), c.shortTitle);
        EXPECT_EQ(r.iconName(), c.icon);
        EXPECT_EQ(r.nibName(), c.nib);
        EXPECT_EQ(r.ordering(), 0);
    }
}

TEST_F(PreferencesRegistrationTest, DefaultsAreRegisteredAtOnceAndHiddenPanesWaitForTheirKey)
{
    OAPreferenceController::registerItemName(
        "Keys", Value(Value::Dictionary{{"identifier", "keys"},
                                        {"defaultsDictionary", Value::Dictionary{{"PrefTest-Width", 80}}},
                                        {"defaultsArray", Value::Array{"PrefTest-Extra", 3}},
                                        {"ordering", 2}}));
    EXPECT_EQ(store().integerForKey(u"PrefTest-Width"), 80) << "registered with the description";
    ASSERT_EQ(OAPreferenceController::allClientRecords().size(), 1u);
    const auto& keys = *OAPreferenceController::allClientRecords().front();
    EXPECT_EQ(keys.defaultsArray(), QStringList{"PrefTest-Extra"}) << "only strings name keys";
    EXPECT_EQ(keys.ordering(), 2);

    const struct {
        Value hidden;
        Value visible;
        bool listed;
    } cases[] = {
        {Value(true), Value(), false}, {Value("YES"), Value(false), false}, {Value(1), Value(true), true},
        {Value(false), Value(), true}, {Value("NO"), Value(), true},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString identifier = QStringLiteral("hidden%1").arg(n++);
        SCOPED_TRACE(qPrintable(identifier));
        store().setObjectForKey(c.visible, identifier + ".visible");
        // Defaults come in even for a pane that stays hidden.
        OAPreferenceController::registerItemName(
            "Hidden", Value(Value::Dictionary{{"identifier", identifier}, {"hidden", c.hidden},
                                              {"defaultsDictionary", Value::Dictionary{{identifier, 1}}}}));
        EXPECT_EQ(OAPreferenceController::clientRecordWithIdentifier(identifier) != nullptr, c.listed);
        EXPECT_EQ(store().integerForKey(identifier), 1);
    }
}

TEST_F(PreferencesRegistrationTest, LaterRegistrationsWinAndCategoriesSortByPriorityThenName)
{
    const auto reg = [](const char* cls, Value::Dictionary d) { OAPreferenceController::registerItemName(cls, Value(std::move(d))); };
    reg("First", {{"identifier", "same"}, {"title", "First"}, {"category", "beta"}});
    reg("Second", {{"identifier", "same"}, {"title", "Second"}, {"category", "Alpha"}});
    reg("Low", {{"identifier", "low"}, {"title", "Low"}, {"category", "Zed"}, {"categoryPriority", -1}});
    reg("High", {{"identifier", "high"}, {"title", "High"}, {"category", "zulu"}, {"categoryPriority", 5}});
    reg("B2", {{"identifier", "b2"}, {"title", "Bb"}, {"category", "beta"}, {"ordering", 1}});
    reg("B1", {{"identifier", "b1"}, {"title", "Ba"}, {"category", "beta"}, {"ordering", 1}});
    reg("B0", {{"identifier", "b0"}, {"title", "Bz"}, {"category", "beta"}, {"ordering", -3}});

    EXPECT_EQ(OAPreferenceController::clientRecordWithIdentifier("same")->className(), "Second");
    EXPECT_EQ(OAPreferenceController::clientRecordWithShortTitle("Bb")->identifier(), "b2");
    EXPECT_EQ(OAPreferenceController::clientRecordWithIdentifier("none"), nullptr);

    OAPreferenceController controller;
    EXPECT_EQ(controller.categoryNames(), (QStringList{"zulu", "Alpha", "beta", "Zed"}))
        << "priority first, then names ignoring case";
    QStringList order;
    for (const auto& r : controller.sortedClientRecords())
        order.push_back(r->className());
    EXPECT_EQ(order, (QStringList{"High", "Second", "B0", "First", "B1", "B2", "Low"}))
        << "each category by ordering, ties by short title";
}

TEST_F(PreferencesRegistrationTest, SortedInsertionFindsItsPlace)
{
    const auto compare = [](int a, int b) { return a < b ? -1 : a > b ? 1 : 0; };
    for (const std::vector<int>& inserted : {std::vector<int>{5, 3, 9, 1, 7, 3, 10, 0, 8, 2, 6, 4, 11},
                                             std::vector<int>{1, 2, 3, 4}, std::vector<int>{4, 3, 2, 1}}) {
        std::vector<int> array;
        for (int value : inserted)
            insertObjectInArraySorted(array, value, compare);
        EXPECT_TRUE(std::is_sorted(array.begin(), array.end()));
        EXPECT_EQ(array.size(), inserted.size());
    }
    EXPECT_EQ(indexWhereObjectWouldBelong(std::vector<int>{}, 3, compare), 0u);
    EXPECT_EQ(indexWhereObjectWouldBelong(std::vector<int>{1, 2}, 3, compare), 2u);
}

} // namespace
