#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace pf;

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/plist/") + QLatin1StringView(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// One value of every kind, nested, with the awkward cases of each.
Value everyKind()
{
    Value inner;
    inner.set(QStringLiteral("empty array"), Value::array());
    inner.set(QStringLiteral("empty dict"), Value::dictionary());
    inner.set(QStringLiteral("empty data"), QByteArray());
    inner.set(QStringLiteral("empty string"), QString(""));
    Value list;
    list.append(true);
    list.append(false);
    list.append(std::numeric_limits<std::int64_t>::min());
    list.append(-0.0);
    list.append(inner);
    list.append(Value(Value::Array{Value(Value::Array{Value("deep")})}));

    Value root;
    root.set(QStringLiteral("integer"), std::numeric_limits<std::int64_t>::max());
    root.set(QStringLiteral("negative"), -42);
    root.set(QStringLiteral("real"), 0.1);
    root.set(QStringLiteral("whole real"), 2.0);
    root.set(QStringLiteral("tiny real"), 5e-324);
    root.set(QStringLiteral("huge real"), 1.7976931348623157e308);
    root.set(QStringLiteral("string"), QStringLiteral("<a & b> \"quoted\" 'single' \u00e9\U0001F600"));
    root.set(QStringLiteral("lines"), QStringLiteral("one\ntwo\r\nthree\rfour\tfive"));
    root.set(QStringLiteral("data"), QByteArray("The quick brown fox jumps over the lazy dog, twice: the quick brown fox."));
    root.set(QStringLiteral("date"), QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC));
    root.set(QStringLiteral("early date"), QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC));
    root.set(QStringLiteral("list"), list);
    root.set(QStringLiteral("Zebra"), QStringLiteral("upper case sorts first"));
    return root;
}

} // namespace

TEST(PropertyListFormat, EveryKindWritesTheGoldenFileAndRoundTripsByteForByte)
{
    const Value value = everyKind();
    const PropertyListWriteResult written = writePropertyList(value);
    ASSERT_TRUE(written.ok()) << written.error.toStdString();
    EXPECT_EQ(written.data->toStdString(), fixture("every-kind.plist").toStdString());

    const PropertyListReadResult read = readPropertyList(*written.data);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_EQ(*read.value, value);
    EXPECT_TRUE(std::signbit(read.value->objectForKey("list").at(3).doubleValue())); // -0 stays -0
    const PropertyListWriteResult again = writePropertyList(*read.value);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(*again.data, *written.data);
}

TEST(PropertyListFormat, KeysSharedByManyDictionariesAreWrittenAlike)
{
    // The same key strings in every dictionary (as a page writes them), and the same texts as separate
    // strings: the bytes agree, escapes included; a key over part of another's characters is its own.
    const QString shared[] = {QStringLiteral("a&b"), QStringLiteral("frame"), QStringLiteral("\u00e9t\u00e9")};
    static const QChar raw[] = {u'f', u'r', u'a', u'm', u'e'};
    const auto page = [&](bool fresh) {
        Value list;
        for (int i = 0; i < 40; ++i) {
            Value d;
            for (const QString& key : shared)
                d.set(fresh ? QString(key.constData(), key.size()) : key, i);
            d.set(QString::fromRawData(raw, 4), -i); // "fram"
            list.append(d);
        }
        return *writePropertyList(list).data;
    };
    const QByteArray written = page(false);
    EXPECT_EQ(written, page(true));
    EXPECT_EQ(written.count("<key>a&amp;b</key>"), 40);
    EXPECT_EQ(written.count("<key>fram</key>"), 40);
    EXPECT_EQ(written.count("<key>frame</key>"), 40);
    EXPECT_EQ(written.count("<key>\xc3\xa9t\xc3\xa9</key>"), 40);
    EXPECT_EQ(*readPropertyList(written).value, *readPropertyList(page(true)).value);
}

TEST(PropertyListFormat, ValuesRepeatedUnderAKeyAreWrittenAsThemselves)
{
    // The writer keeps the last value written under a key with its bytes: a value that follows under the
    // same key must be written as itself, whatever it shares with the one before (kind, length, text).
    const QString a = QStringLiteral("a");
    const Value values[] = {Value(true), Value(true), Value(false), Value(1), Value(1), Value(1.0), Value(-0.0),
                            Value(0.0), Value(0.0), Value(a), Value(QString(a.constData(), 1)), Value("b"),
                            Value("1"), Value(QByteArray("x")), Value(QByteArray("x")),
                            Value(QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC)),
                            Value(QDateTime(QDate(2026, 12, 9), QTime(13, 0), QTimeZone(3600)))};
    Value list;
    for (const Value& v : values) {
        Value d;
        d.set(QStringLiteral("v"), v);
        list.append(d);
        Value outer; // the same key one level down, where data is laid out differently
        outer.set(QStringLiteral("n"), d);
        list.append(outer);
    }
    const QByteArray written = *writePropertyList(list).data;
    const Value read = *readPropertyList(written).value;
    ASSERT_EQ(read.count(), list.count());
    for (std::size_t i = 0; i < list.count(); ++i) {
        const Value& expected = i % 2 == 0 ? list.at(i).objectForKey("v") : list.at(i).objectForKey("n").objectForKey("v");
        const Value& got = i % 2 == 0 ? read.at(i).objectForKey("v") : read.at(i).objectForKey("n").objectForKey("v");
        EXPECT_EQ(got.type(), expected.type()) << i;
        EXPECT_EQ(got, expected) << i;
        if (expected.type() == Value::Type::Real) {
            EXPECT_EQ(std::signbit(got.doubleValue()), std::signbit(expected.doubleValue())) << i;
        }
    }
    EXPECT_EQ(written.count("<real>-0</real>"), 2);
    EXPECT_EQ(written.count("<integer>1</integer>"), 4);
}

TEST(PropertyListFormat, ReadsTheSameDocumentFromAnotherWritersLayout)
{
    const PropertyListReadResult read = readPropertyList(fixture("every-kind-other-writer.plist"));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(*read.value, everyKind());
    EXPECT_EQ(writePropertyList(*read.value).data->toStdString(), fixture("every-kind.plist").toStdString());
}

TEST(PropertyListFormat, DatesAreWrittenInWholeSecondsAsOtherWritersDoAndReadWithFractions)
{
    // Written by Python's plistlib from the same dates without their fractions.
    const QByteArray other = fixture("dates-plistlib.plist");
    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        return Value(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC));
    };
    Value withFractions;
    withFractions.set(QStringLiteral("written"), utc(2021, 3, 4, 5, 6, 7, 250));
    // Cut, never rounded: the last millisecond of 9999 stays in that year.
    withFractions.set(QStringLiteral("limits"), Value(Value::Array{utc(1, 1, 1, 0, 0, 0, 999), utc(9999, 12, 31, 23, 59, 59, 999)}));
    EXPECT_EQ(writePropertyList(withFractions).data->toStdString(), other.toStdString());

    const PropertyListReadResult read = readPropertyList(other);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.value->objectForKey("written"), utc(2021, 3, 4, 5, 6, 7, 0));

    const struct {
        const char* text;
        int msec;
    } fractions[] = {{"2021-03-04T05:06:07.250Z", 250}, {"2021-03-04T05:06:07.5Z", 500}, {"2021-03-04T05:06:07.0009Z", 0}};
    for (const auto& c : fractions) {
        const PropertyListReadResult date = readPropertyList(QByteArray("<plist><date>") + c.text + "</date></plist>");
        ASSERT_TRUE(date.ok()) << c.text << ": " << date.error.toStdString();
        EXPECT_EQ(*date.value, utc(2021, 3, 4, 5, 6, 7, c.msec)) << c.text;
    }
}

TEST(PropertyListFormat, TopLevelValuesOfEveryKind)
{
    const Value values[] = {Value(true), Value(-1), Value(0.5), Value("s"), Value(QByteArray("\0\1\2", 3)),
                            Value(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC)),
                            Value::array(), Value::dictionary()};
    for (const Value& value : values) {
        SCOPED_TRACE(value.description().toStdString());
        const PropertyListWriteResult written = writePropertyList(value);
        ASSERT_TRUE(written.ok()) << written.error.toStdString();
        const PropertyListReadResult read = readPropertyList(*written.data);
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        EXPECT_EQ(*read.value, value);
    }
    const QByteArray data = *writePropertyList(Value(QByteArray(200, 'x'))).data;
    EXPECT_TRUE(data.contains("\n<data>\neHh4eHh4"));
}

TEST(PropertyListRead, MalformedInputsGiveAnErrorAndNoValue)
{
    const auto plist = [](const QByteArray& body) { return "<?xml version=\"1.0\"?><plist>" + body + "</plist>"; };
    QByteArray deep513 = plist(QByteArray("<array>").repeated(513) + QByteArray("</array>").repeated(513));
    const struct {
        const char* what;
        QByteArray input;
        const char* errorHint;
    } cases[] = {
        {"empty", "", "empty"},
        {"only white space", " \n\t", "empty"},
        {"binary", QByteArray("bplist00\xd1\x01\x02", 11), "binary"},
        {"not XML", "hello", ""},
        {"unclosed", "<plist><dict><key>a</key><string>x</string>", ""},
        {"mismatched tags", plist("<array></dict>"), ""},
        {"root is not plist", "<dict/>", "<dict>"},
        {"empty plist", plist(""), "no value"},
        {"two root values", plist("<true/><false/>"), "more than one"},
        {"key without value", plist("<dict><key>a</key></dict>"), "no value"},
        {"two keys in a row", plist("<dict><key>a</key><key>b</key><true/></dict>"), "no value"},
        {"value without key", plist("<dict><string>x</string></dict>"), "<key>"},
        {"key in an array", plist("<array><key>a</key></array>"), "outside a dictionary"},
        {"unknown element", plist("<dict><key>a</key><foo/></dict>"), "unknown element <foo>"},
        {"text in a dictionary", plist("<dict>hello<key>a</key><true/></dict>"), "text"},
        {"text in an array", plist("<array><true/>x</array>"), "text"},
        {"text in plist", plist("x<true/>"), "text"},
        {"text inside true", plist("<true>yes</true>"), "<true/>"},
        {"element inside a string", plist("<string>a<b/>c</string>"), "<b> inside <string>"},
        {"element inside a key", plist("<dict><key>a<b/></key><true/></dict>"), "inside <key>"},
        {"integer with a fraction", plist("<integer>1.5</integer>"), "not a number"},
        {"integer with text", plist("<integer>12abc</integer>"), "not a number"},
        {"empty integer", plist("<integer/>"), "not a number"},
        {"sign alone", plist("<integer>-</integer>"), "not a number"},
        {"real with text", plist("<real>1.5x</real>"), "not a number"},
        {"real with two signs", plist("<real>--1</real>"), "not a number"},
        {"hexadecimal real", plist("<real>0x1p3</real>"), "not a number"},
        {"empty real", plist("<real></real>"), "not a number"},
        {"data not base64", plist("<data>!!!!</data>"), "base64"},
        {"date with a bad month", plist("<date>2026-13-01T00:00:00Z</date>"), "date"},
        {"date without zone", plist("<date>2026-12-09T12:00:00</date>"), "date"},
        {"date with a space", plist("<date>2026-12-09 12:00:00Z</date>"), "date"},
        {"date in year 0", plist("<date>0000-01-01T00:00:00Z</date>"), "date"},
        {"undefined entity", plist("<string>&foo;</string>"), ""},
        {"entity declarations",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
         "<plist><string>&b;</string></plist>",
         "entity"},
        {"declared encoding decodes to a lone surrogate",
         "<?xml version=\"1.0\" encoding=\"UTF-7\"?><plist><string>+2AA-</string></plist>", "cannot carry"},
        {"content after plist", plist("<true/>") + "<true/>", ""},
        {"nesting deeper than 512", deep513, "deeper than 512"},
        {"error deep inside", plist("<dict><key>a</key><array><integer>1</integer><integer>x</integer></array></dict>"),
         "line 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PropertyListReadResult read = readPropertyList(c.input);
        EXPECT_FALSE(read.ok());
        EXPECT_FALSE(read.value.has_value());
        EXPECT_FALSE(read.error.isEmpty());
        EXPECT_TRUE(read.error.contains(QLatin1StringView(c.errorHint))) << read.error.toStdString();
    }
    // 512 levels are fine.
    const QByteArray deep512 = plist(QByteArray("<array>").repeated(512) + QByteArray("</array>").repeated(512));
    EXPECT_TRUE(readPropertyList(deep512).ok());
}

TEST(PropertyListRead, NonFiniteRealsAreLeftOut)
{
    const PropertyListReadResult read = readPropertyList(
        "<plist><dict><key>a</key><real>nan</real><key>b</key><real>1</real><key>c</key><real>-Infinity</real>"
        "<key>d</key><array><real>1e999</real><real>2</real><real>+inf</real></array>"
        "<key>e</key><real>1e-999</real></dict></plist>");
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(*read.value, Value(Value::Dictionary{{"b", Value(1.0)},
                                                   {"d", Value(Value::Array{Value(2.0)})},
                                                   {"e", Value(0.0)}}));
    // At the top there is nothing to leave it out of.
    EXPECT_FALSE(readPropertyList("<plist><real>nan</real></plist>").ok());
}

// Python's plistlib and the platform's own writer store unsigned 64-bit values; they keep their 64 bits, so
// an unsigned read gives them back and a signed read wraps, as the platform's numbers do. A value beyond
// both ranges is left out, as non-finite reals are: one bad value never costs the rest of the document.
TEST(PropertyListRead, UnsignedIntegersAreReadAsTheirWritersMeanThem)
{
    constexpr std::uint64_t unsignedMax = std::numeric_limits<std::uint64_t>::max();
    const PropertyListReadResult read = readPropertyList(fixture("unsigned-plistlib.plist"));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    const Value& v = *read.value;
    EXPECT_EQ(v.unsignedIntegerForKey("unsigned max"), unsignedMax);
    EXPECT_EQ(v.integerForKey("unsigned max"), -1);
    EXPECT_EQ(v.unsignedIntegerForKey("above signed"), std::uint64_t{1} << 63);
    EXPECT_EQ(v.integerForKey("signed max"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(v.integerForKey("signed min"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(v.objectForKey("list"), Value(Value::Array{Value(unsignedMax), Value(7)}));

    const PropertyListReadResult beyond = readPropertyList(
        "<plist><dict><key>a</key><integer>18446744073709551616</integer><key>b</key><integer>1</integer>"
        "<key>c</key><array><integer>-9223372036854775809</integer><integer>2</integer>"
        "<integer>123456789012345678901234567890</integer></array></dict></plist>");
    ASSERT_TRUE(beyond.ok()) << beyond.error.toStdString();
    EXPECT_EQ(*beyond.value, Value(Value::Dictionary{{"b", Value(1)}, {"c", Value(Value::Array{Value(2)})}}));
    const PropertyListReadResult top = readPropertyList("<plist><integer>18446744073709551616</integer></plist>");
    EXPECT_FALSE(top.ok());
    EXPECT_TRUE(top.error.contains(QLatin1StringView("64-bit"))) << top.error.toStdString();
}

TEST(PropertyListWrite, ValuesWithoutAPropertyListFormFailWithTheirKeyPath)
{
    Value list;
    list.append(1);
    list.append(Value());
    Value root;
    root.set(QStringLiteral("a"), list);
    PropertyListWriteResult written = writePropertyList(root);
    EXPECT_FALSE(written.ok());
    EXPECT_TRUE(written.error.contains("null")) << written.error.toStdString();
    EXPECT_TRUE(written.error.contains("/a/1")) << written.error.toStdString();

    EXPECT_FALSE(writePropertyList(Value()).ok());
    written = writePropertyList(Value(Value::Dictionary{{"k", Value(QStringLiteral("bell \a"))}}));
    EXPECT_FALSE(written.ok());
    EXPECT_TRUE(written.error.contains("/k")) << written.error.toStdString();
    EXPECT_FALSE(writePropertyList(Value(Value::Dictionary{{QStringLiteral("\a"), Value(1)}})).ok());
    EXPECT_FALSE(writePropertyList(Value(QString(QChar(0xD800)))).ok());  // lone surrogate
    EXPECT_FALSE(writePropertyList(Value(QString(QChar(0xFFFE)))).ok());
    EXPECT_FALSE(writePropertyList(Value(QDateTime())).ok());
    EXPECT_FALSE(writePropertyList(Value(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC))).ok());

    Value deep = Value(Value::Array{Value(1)});
    for (int i = 1; i < propertyListMaxDepth; ++i)
        deep = Value(Value::Array{deep});
    EXPECT_TRUE(writePropertyList(deep).ok());
    EXPECT_FALSE(writePropertyList(Value(Value::Array{deep})).ok());
    Value deepEmpty = Value::dictionary(); // an empty container still counts as a level
    for (int i = 0; i < propertyListMaxDepth; ++i)
        deepEmpty = Value(Value::Array{deepEmpty});
    EXPECT_FALSE(writePropertyList(deepEmpty).ok());
}

namespace {

// A page-like value large enough to be handed over in many pieces: dictionaries of one layout whose
// values change and repeat, with text and data.
Value manyShapes(int count)
{
    Value list;
    for (int i = 0; i < count; ++i) {
        Value d;
        d.set(QStringLiteral("className"), i % 3 ? "Ellipse" : "Text");
        d.set(QStringLiteral("frame"), QStringLiteral("{{%1, 4}, {30, 24}}").arg(i));
        d.set(QStringLiteral("ratio"), i * 0.1);
        d.set(QStringLiteral("locked"), i % 2 == 0);
        d.set(QStringLiteral("text"), QStringLiteral("Label \u00e9 & %1").arg(i));
        if (i % 50 == 0)
            d.set(QStringLiteral("picture"), QByteArray(300 + i, char(i)));
        list.append(d);
    }
    Value root;
    root.set(QStringLiteral("children"), list);
    root.set(QStringLiteral("every kind"), everyKind());
    return root;
}

} // namespace

TEST(PropertyListWrite, WrittenInPiecesAreTheSameBytes)
{
    struct Case {
        Value value;
        int fewestPieces; // a large document is never whole in memory
    };
    for (const Case& c : {Case{everyKind(), 1}, Case{manyShapes(4000), 8}, Case{Value(QStringLiteral("top")), 1}}) {
        QByteArray joined;
        int pieces = 0;
        QString error = QStringLiteral("untouched");
        ASSERT_TRUE(writePropertyList(c.value, [&](QByteArrayView piece) {
            joined.append(piece);
            ++pieces;
            return true;
        }, &error));
        EXPECT_EQ(error, QStringLiteral("untouched"));
        EXPECT_EQ(joined, *writePropertyList(c.value).data);
        EXPECT_GE(pieces, c.fewestPieces) << joined.size();
    }
}

TEST(PropertyListWrite, APieceRefusedOrAValueWithoutFormStopsThePieces)
{
    // The sink refuses its second piece: nothing more is made, and the error is left to the sink.
    int calls = 0;
    QString error;
    EXPECT_FALSE(writePropertyList(manyShapes(4000), [&](QByteArrayView) { return ++calls < 2; }, &error));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();

    // A value without a form far into the document: pieces went out before, and the error names its path.
    Value bad = manyShapes(4000);
    Value children = bad.objectForKey("children");
    Value last = children.at(3999);
    last.set(QStringLiteral("text"), QStringLiteral("bell \a"));
    Value::Array items = children.asArray();
    items.back() = last;
    bad.set(QStringLiteral("children"), Value(std::move(items)));
    calls = 0;
    EXPECT_FALSE(writePropertyList(bad, [&](QByteArrayView) { return ++calls > 0; }, &error));
    EXPECT_GT(calls, 0);
    EXPECT_TRUE(error.contains("/children/3999/text")) << error.toStdString();
}

// An array whose elements are made as the writer reaches them writes the bytes of the tree holding them,
// each element made once, in order; one without a form names its path as a held one does.
TEST(PropertyListWrite, ArraysMadeWhileWritingAreTheBytesOfHeldOnes)
{
    const Value whole = manyShapes(3000);
    const Value::Array& elements = whole.arrayForKey("children");
    for (const bool empty : {false, true}) {
        Value outline;
        outline.set(QStringLiteral("children"), Value::array());
        outline.set(QStringLiteral("every kind"), everyKind());
        // Another empty array in the tree is written as it stands.
        outline.set(QStringLiteral("others"), Value::array());
        std::vector<std::size_t> made;
        const ElementsMadeWhileWriting maker{&outline.arrayForKey("children"), empty ? 0 : elements.size(),
                                             [&](std::size_t i) {
                                                 made.push_back(i);
                                                 return elements[i];
                                             }};
        Value expected = whole;
        expected.set(QStringLiteral("others"), Value::array());
        if (empty)
            expected.set(QStringLiteral("children"), Value::array());
        QByteArray joined;
        ASSERT_TRUE(writePropertyList(outline, [&](QByteArrayView piece) {
            joined.append(piece);
            return true;
        }, nullptr, std::span(&maker, 1)));
        EXPECT_EQ(joined, *writePropertyList(expected).data);
        EXPECT_EQ(made.size(), empty ? 0u : elements.size());
        EXPECT_TRUE(std::is_sorted(made.begin(), made.end()) && std::adjacent_find(made.begin(), made.end()) == made.end());
    }

    Value outline;
    outline.set(QStringLiteral("children"), Value::array());
    const ElementsMadeWhileWriting maker{&outline.arrayForKey("children"), 20, [](std::size_t i) {
                                             Value d;
                                             d.set(QStringLiteral("text"), i == 17 ? QStringLiteral("bell \a") : QStringLiteral("fine"));
                                             return d;
                                         }};
    QString error;
    EXPECT_FALSE(writePropertyList(outline, [](QByteArrayView) { return true; }, &error, std::span(&maker, 1)));
    EXPECT_TRUE(error.contains("/children/17/text")) << error.toStdString();
}

TEST(PropertyListWrite, NonFiniteRealsAreWrittenAsZero)
{
    const Value list(Value::Array{Value(std::numeric_limits<double>::infinity()), Value(std::nan(""))});
    const PropertyListWriteResult written = writePropertyList(list);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(*readPropertyList(*written.data).value, Value(Value::Array{Value(0.0), Value(0.0)}));
}

TEST(PropertyListFormat, RealsAreShortestAndExact)
{
    const double reals[] = {0.1, 1.0 / 3.0, 1e21, 1e-7, 123456789.125, 5e-324, 2.2250738585072014e-308, -1.5};
    for (double d : reals) {
        const QByteArray xml = *writePropertyList(Value(d)).data;
        const Value back = *readPropertyList(xml).value;
        EXPECT_TRUE(back.isReal());
        EXPECT_EQ(back.doubleValue(), d);
    }
    EXPECT_TRUE(writePropertyList(Value(0.1)).data->contains("<real>0.1</real>"));
    EXPECT_TRUE(writePropertyList(Value(1e21)).data->contains("<real>1e+21</real>"));
}
