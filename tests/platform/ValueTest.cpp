#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

using namespace pf;

namespace {

constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto intMax = std::numeric_limits<int>::max();
constexpr auto intMin = std::numeric_limits<int>::min();
const double inf = std::numeric_limits<double>::infinity();

struct ReadCase {
    const char* what;
    Value value;
    bool boolValue;
    std::int64_t integerValue;
    int intValue;
    double doubleValue;
};

} // namespace

TEST(ValueTypedReads, NumbersStringsAbsentAndWrongKinds)
{
    const QDateTime date(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    const ReadCase cases[] = {
        {"absent", Value(), false, 0, 0, 0},
        {"YES", Value(true), true, 1, 1, 1},
        {"NO", Value(false), false, 0, 0, 0},
        {"integer", Value(42), true, 42, 42, 42},
        {"negative integer", Value(-7), true, -7, -7, -7},
        {"huge integer as int saturates", Value(int64Max), true, int64Max, intMax, 9223372036854775807.0},
        {"real truncates toward zero", Value(2.9), true, 2, 2, 2.9},
        {"negative real truncates toward zero", Value(-2.9), true, -2, -2, -2.9},
        {"small real is YES", Value(0.25), true, 0, 0, 0.25},
        {"huge real saturates", Value(1e300), true, int64Max, intMax, 1e300},
        {"huge negative real saturates", Value(-1e300), true, int64Min, intMin, -1e300},
        {"infinite real saturates", Value(-inf), true, int64Min, intMin, -inf},
        {"NaN reads 0 as an integer", Value(std::nan("")), true, 0, 0, std::nan("")},
        {"numeric prefix after white space", Value(" \t12.5e1kg"), true, 12, 12, 125},
        {"signed string", Value("-5"), true, -5, -5, -5},
        {"plus sign and leading zeros", Value("+007"), true, 7, 7, 7},
        {"leading dot", Value(".5"), false, 0, 0, 0.5},
        {"zero point five is NO", Value("0.5"), false, 0, 0, 0.5},
        {"YES string", Value("YES"), true, 0, 0, 0},
        {"true string", Value("true"), true, 0, 0, 0},
        {"lower-case y", Value("yes"), true, 0, 0, 0},
        {"NO string", Value("NO"), false, 0, 0, 0},
        {"not a number", Value("abc"), false, 0, 0, 0},
        {"inf is not a number", Value("inf"), false, 0, 0, 0},
        {"empty string", Value(""), false, 0, 0, 0},
        {"sign alone", Value("-"), false, 0, 0, 0},
        {"two signs", Value("+-3"), false, 0, 0, 0},
        {"exponent without digits", Value("3e"), true, 3, 3, 3},
        {"digits beyond 64 bits saturate", Value("99999999999999999999"), true, int64Max, intMax, 1e20},
        {"negative digits beyond 64 bits", Value("-99999999999999999999"), true, int64Min, intMin, -1e20},
        {"overflowing exponent", Value("1e999"), true, 1, 1, inf},
        {"underflowing exponent", Value("1e-999"), true, 1, 1, 0},
        {"data is absent", Value(QByteArray("12")), false, 0, 0, 0},
        {"date is absent", Value(date), false, 0, 0, 0},
        {"array is absent", Value(Value::Array{Value(1)}), false, 0, 0, 0},
        {"dictionary is absent", Value(Value::Dictionary{{"a", Value(1)}}), false, 0, 0, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.boolValue(), c.boolValue);
        EXPECT_EQ(c.value.integerValue(), c.integerValue);
        EXPECT_EQ(c.value.intValue(), c.intValue);
        if (std::isnan(c.doubleValue))
            EXPECT_TRUE(std::isnan(c.value.doubleValue()));
        else
            EXPECT_EQ(c.value.doubleValue(), c.doubleValue);
        // Only a string reads as a string.
        EXPECT_EQ(c.value.asString().isNull(), !c.value.isString());
    }
}

TEST(ValueTypedReads, UnsignedAndFloatReadsNeverOverflow)
{
    EXPECT_EQ(Value(-1).unsignedIntegerValue(), std::numeric_limits<std::uint64_t>::max()); // as NSNumber
    EXPECT_EQ(Value(1e19).unsignedIntegerValue(), 10000000000000000000ull);
    EXPECT_EQ(Value(1e30).unsignedIntegerValue(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(Value(-2.5).unsignedIntegerValue(), static_cast<std::uint64_t>(-2));
    EXPECT_EQ(Value(std::nan("")).unsignedIntegerValue(), 0u);
    EXPECT_EQ(Value(1e300).floatValue(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(Value(-1e300).floatValue(), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(Value(0.5).floatValue(), 0.5f);
    EXPECT_EQ(Value("2.5").floatValue(), 2.5f);
}

TEST(ValueTypedReads, WrongKindsReadAsAbsent)
{
    const Value number(5);
    EXPECT_TRUE(number.asString().isNull());
    EXPECT_TRUE(number.asData().isNull());
    EXPECT_FALSE(number.asDate().isValid());
    EXPECT_TRUE(number.asArray().empty());
    EXPECT_TRUE(number.asDictionary().empty());
    EXPECT_EQ(number.count(), 0u);
    EXPECT_TRUE(number.at(0).isNull());
    // Dictionary reads on something that is not a dictionary, or of keys holding the wrong kind.
    EXPECT_TRUE(Value("text")["key"].isNull());
    EXPECT_TRUE(Value(Value::Array{Value(1)}).stringForKey("key").isNull());
    const Value dict(Value::Dictionary{{"title", Value(3)}, {"frame", Value("{{0, 0}, {1, 1}}")},
                                       {"items", Value("not an array")}, {"ratio", Value("0.25")}});
    EXPECT_TRUE(dict.stringForKey("title").isNull());
    EXPECT_EQ(dict.integerForKey("title"), 3);
    EXPECT_TRUE(dict.arrayForKey("items").empty());
    EXPECT_TRUE(dict.dictionaryForKey("frame").empty());
    EXPECT_TRUE(dict.dataForKey("frame").isNull());
    EXPECT_FALSE(dict.dateForKey("frame").isValid());
    EXPECT_EQ(dict.doubleForKey("ratio"), 0.25);
    EXPECT_FALSE(dict.boolForKey("missing"));
    EXPECT_EQ(dict.doubleForKey("missing"), 0.0);
    EXPECT_TRUE(dict.objectForKey("missing").isNull());
    EXPECT_FALSE(dict.contains("missing"));
    EXPECT_TRUE(dict.contains("ratio"));
    EXPECT_TRUE(dict.at(0).isNull());
    EXPECT_TRUE(Value(Value::Array{Value(1)}).at(1).isNull());
}

TEST(ValueDictionary, KeysAreSortedAndFoundFromAnyStringForm)
{
    Value dict;
    dict.set(QStringLiteral("b"), 2);
    dict.set(QStringLiteral("a"), 1);
    dict.set(QStringLiteral("\u00e9t\u00e9"), 3);
    dict.set(QString::fromUtf8("\xf0\x9f\x98\x80"), 4); // outside the BMP: a surrogate pair
    dict.set(QStringLiteral("\uffee"), 5);              // sorts after the surrogate pair by UTF-16 unit
    QStringList keys;
    for (const auto& [key, value] : dict.asDictionary())
        keys << key;
    EXPECT_EQ(keys, (QStringList{"a", "b", QStringLiteral("\u00e9t\u00e9"), QString::fromUtf8("\xf0\x9f\x98\x80"),
                                 QStringLiteral("\uffee")}));
    EXPECT_EQ(dict.integerForKey("a"), 1);
    EXPECT_EQ(dict.integerForKey(u"b"), 2);
    EXPECT_EQ(dict.integerForKey(QLatin1StringView("b")), 2);
    EXPECT_EQ(dict.integerForKey("\xc3\xa9t\xc3\xa9"), 3); // UTF-8
    EXPECT_EQ(dict.integerForKey("\xf0\x9f\x98\x80"), 4);
    EXPECT_EQ(dict.integerForKey("\xef\xbf\xae"), 5);
}

TEST(ValueDictionary, BehavesAsAMapWhateverOrderItIsBuiltIn)
{
    // Made from a list: sorted, the first of repeated keys kept (as std::map does).
    Value::Dictionary listed{{"b", Value(1)}, {"a", Value(2)}, {"b", Value(3)}};
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed.begin()->first, "a");
    EXPECT_EQ(listed.at("b"), Value(1));
    // Adopted entries: sorted, the last of repeated keys kept (as a reader keeps it), in and out of order.
    const auto entries = [](std::initializer_list<std::pair<const char*, int>> list) {
        std::vector<Value::Dictionary::value_type> out;
        for (const auto& [key, value] : list)
            out.emplace_back(QString::fromLatin1(key), Value(value));
        return out;
    };
    for (const auto& list : {entries({{"c", 1}, {"a", 2}, {"b", 3}, {"a", 4}}), entries({{"a", 2}, {"a", 4}, {"b", 3}, {"c", 1}}),
                             entries({{"b", 3}, {"c", 1}, {"a", 2}, {"a", 4}})}) {
        const Value d(Value::Dictionary::fromEntries(std::vector(list)));
        EXPECT_EQ(d, Value(Value::Dictionary{{"a", Value(4)}, {"b", Value(3)}, {"c", Value(1)}}));
    }
    // Two lists of one size in turn: the order found for one is not taken for the other.
    for (int round = 0; round < 2; ++round) {
        const Value x(Value::Dictionary::fromEntries(entries({{"z", 1}, {"y", 2}, {"x", 3}})));
        const Value y(Value::Dictionary::fromEntries(entries({{"m", 1}, {"o", 2}, {"n", 3}})));
        QStringList keys;
        for (const Value* v : {&x, &y})
            for (const auto& [key, item] : v->asDictionary())
                keys << key;
        EXPECT_EQ(keys, (QStringList{"x", "y", "z", "m", "n", "o"}));
    }
    // The same key strings (as a reader or writer shares them) in several orders and with repeats, in
    // turn: each list is taken as itself, never as the last list of the same strings.
    const QString a = QStringLiteral("a"), b = QStringLiteral("b"), c = QStringLiteral("c");
    const auto shared = [](std::initializer_list<std::pair<const QString*, int>> list) {
        std::vector<Value::Dictionary::value_type> out;
        for (const auto& [key, value] : list)
            out.emplace_back(*key, Value(value));
        return out;
    };
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(Value(Value::Dictionary::fromEntries(shared({{&c, 1}, {&a, 2}, {&b, 3}}))),
                  Value(Value::Dictionary{{"a", Value(2)}, {"b", Value(3)}, {"c", Value(1)}}));
        EXPECT_EQ(Value(Value::Dictionary::fromEntries(shared({{&b, 1}, {&a, 2}, {&c, 3}}))),
                  Value(Value::Dictionary{{"a", Value(2)}, {"b", Value(1)}, {"c", Value(3)}}));
        EXPECT_EQ(Value(Value::Dictionary::fromEntries(shared({{&c, 1}, {&a, 2}, {&c, 3}}))),
                  Value(Value::Dictionary{{"a", Value(2)}, {"c", Value(3)}}));
        EXPECT_EQ(Value(Value::Dictionary::fromEntries(shared({{&a, 1}, {&b, 2}, {&c, 3}}))),
                  Value(Value::Dictionary{{"a", Value(1)}, {"b", Value(2)}, {"c", Value(3)}}));
    }

    Value::Dictionary d;
    d[QStringLiteral("m")] = 1;
    EXPECT_TRUE(d.emplace(QStringLiteral("k"), 2).second);
    EXPECT_FALSE(d.emplace(QStringLiteral("k"), 9).second);
    d.insert_or_assign(QStringLiteral("z"), Value(3));
    d.insert_or_assign(d.begin(), QStringLiteral("z"), Value(4)); // a wrong hint is only a hint
    d.insert_or_assign(d.end(), QStringLiteral("a"), Value(5));
    EXPECT_EQ(d.erase("m"), 1u);
    EXPECT_EQ(d.erase("m"), 0u);
    EXPECT_EQ(d, (Value::Dictionary{{"a", Value(5)}, {"k", Value(2)}, {"z", Value(4)}}));
    EXPECT_THROW((void)d.at("m"), std::out_of_range);
}

TEST(ValueDictionary, AKeyIsFoundInDictionariesOfEveryLayout)
{
    // One literal read from dictionaries where it stands at different places, or not at all: where it was
    // found last is never taken for where it is.
    const char* key = "fillColor";
    std::vector<Value> dicts;
    for (int before = 0; before < 6; ++before) {
        Value d;
        for (int i = 0; i < before; ++i)
            d.set(QStringLiteral("a%1").arg(i), i);
        d.set(QStringLiteral("fillColor"), before);
        d.set(QStringLiteral("fillColos"), -1);
        d.set(QStringLiteral("z"), -2);
        dicts.push_back(d);
    }
    Value without;
    without.set(QStringLiteral("fillColoq"), 1);
    without.set(QStringLiteral("fillColorX"), 2);
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < dicts.size(); ++i) {
            EXPECT_EQ(dicts[i].intForKey(key), static_cast<int>(i));
            EXPECT_FALSE(without.contains(key));
            EXPECT_EQ(without.intForKey("fillColorX"), 2);
        }
    }
    // A key beyond ASCII in UTF-8 whose bytes, taken as units, would match another key.
    Value latin;
    latin.set(QString::fromLatin1("\xc3\xa9"), 1); // two Latin-1 characters
    latin.set(QStringLiteral("\u00e9"), 2);         // one character, those two bytes in UTF-8
    EXPECT_EQ(latin.intForKey("\xc3\xa9"), 2);
    EXPECT_EQ(latin.intForKey(QLatin1StringView("\xc3\xa9")), 1);
}

TEST(ValueDictionary, AKeyWhoseMemoryNowHoldsOtherTextIsNotTakenForTheOldOne)
{
    // Lookups remember where a key's text was found by the address of the key and of the entry found;
    // both addresses can come to hold other text.
    Value d;
    for (const char* key : {"fillColor", "fillColos", "fillColp", "z"})
        d.set(QString::fromLatin1(key), QString::fromLatin1(key));
    const auto held = [&d](const QString& key) {
        const auto& entries = d.asDictionary();
        return std::any_of(entries.begin(), entries.end(), [&key](const auto& entry) { return entry.first == key; });
    };
    char query[16] = {};
    for (int round = 0; round < 2; ++round) {
        for (const char* text : {"fillColor", "fillColos", "fillColoq", "fillColp", "a", "zz", "z"}) {
            std::strcpy(query, text);
            const bool present = held(QString::fromLatin1(text));
            EXPECT_EQ(d.contains(query), present) << text;
            EXPECT_EQ(d.stringForKey(query), present ? QString::fromLatin1(text) : QString()) << text;
            // The same bytes in another form are other text.
            const QStringView units(reinterpret_cast<const char16_t*>(query), 1);
            EXPECT_EQ(d.contains(units), held(units.toString())) << text;
        }
    }
    // Keys that are raw data: a new dictionary whose keys stand at the same address with other text.
    const char16_t raw[2][10] = {u"fillColor", u"fillColos"};
    for (int round = 0; round < 2; ++round) {
        char16_t buffer[9];
        std::copy_n(raw[round], 9, buffer);
        Value::Dictionary entries;
        entries.insert_or_assign(QString::fromRawData(reinterpret_cast<const QChar*>(buffer), 9), Value(round));
        const Value rawKeyed(std::move(entries));
        EXPECT_EQ(rawKeyed.contains("fillColor"), round == 0);
        EXPECT_EQ(rawKeyed.contains("fillColos"), round == 1);
    }
}

TEST(ValueMutation, CopiesShareUntilChanged)
{
    Value original(Value::Dictionary{{"list", Value(Value::Array{Value(1), Value(2)})}, {"name", Value("a")}});
    Value copy = original;
    copy.set(QStringLiteral("name"), "b");
    Value list = copy["list"];
    list.append(3);
    copy.set(QStringLiteral("list"), list);
    EXPECT_EQ(original.stringForKey("name"), "a");
    EXPECT_EQ(original["list"].count(), 2u);
    EXPECT_EQ(copy.stringForKey("name"), "b");
    EXPECT_EQ(copy["list"].count(), 3u);

    // Setting a null removes the key; removing an absent key is harmless.
    copy.set(QStringLiteral("name"), Value());
    EXPECT_FALSE(copy.contains("name"));
    copy.remove("absent");
    copy.remove("list");
    EXPECT_EQ(copy.count(), 0u);
    EXPECT_EQ(original.count(), 2u);

    // A null value becomes the container; another kind is a programming error.
    Value fresh;
    fresh.append("x");
    EXPECT_TRUE(fresh.isArray());
    Value number(1);
    EXPECT_THROW(number.set(QStringLiteral("k"), 1), std::logic_error);
    EXPECT_THROW(number.append(1), std::logic_error);
    EXPECT_THROW(number.remove("k"), std::logic_error);
}

TEST(ValueEquality, DeepAndNumeric)
{
    EXPECT_EQ(Value(2), Value(2.0));
    EXPECT_EQ(Value(-0.0), Value(0));
    EXPECT_NE(Value(2), Value(2.5));
    EXPECT_NE(Value(std::int64_t(9007199254740993)), Value(9007199254740992.0)); // no rounding to double
    EXPECT_NE(Value(int64Max), Value(9223372036854775808.0));
    EXPECT_NE(Value(true), Value(1));
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_NE(Value(), Value(0));
    EXPECT_EQ(Value(), Value());
    EXPECT_NE(Value(std::nan("")), Value(std::nan("")));
    // The same instant in another zone is the same date.
    const QDateTime utc(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(Value(utc), Value(utc.toTimeZone(QTimeZone(3600))));
    EXPECT_EQ(Value(utc).asDate().timeSpec(), Qt::UTC);

    const Value a(Value::Dictionary{{"x", Value(Value::Array{Value(1), Value("s")})}});
    const Value b(Value::Dictionary{{"x", Value(Value::Array{Value(1.0), Value("s")})}});
    const Value c(Value::Dictionary{{"x", Value(Value::Array{Value(1), Value("t")})}});
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(a, Value(Value::Dictionary{}));
}
