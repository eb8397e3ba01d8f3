// The reader's fast path against the general XML reader: whatever the fast path accepts must read exactly
// as the general reader reads it (kinds, null strings, order of repeated keys), and what the general reader
// refuses the fast path must leave to it.
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace pf;

namespace {

// Stricter than ==: kinds must agree (2 is not 2.0) and a null string is not an empty one.
bool identical(const Value& a, const Value& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::String:
        return a.asString() == b.asString() && a.asString().isNull() == b.asString().isNull();
    case Value::Type::Data:
        return a.asData() == b.asData();
    case Value::Type::Array:
        if (a.count() != b.count())
            return false;
        for (std::size_t i = 0; i < a.count(); ++i)
            if (!identical(a.at(i), b.at(i)))
                return false;
        return true;
    case Value::Type::Dictionary: {
        if (a.count() != b.count())
            return false;
        auto j = b.asDictionary().begin();
        for (const auto& [key, item] : a.asDictionary()) {
            if (key != j->first || key.isNull() != j->first.isNull() || !identical(item, j->second))
                return false;
            ++j;
        }
        return true;
    }
    case Value::Type::Real:
        return std::signbit(a.doubleValue()) == std::signbit(b.doubleValue()) && a == b;
    default:
        return a == b;
    }
}

// Checks one input; answers whether the fast path took it.
bool agrees(const QByteArray& xml)
{
    const PropertyListReadResult general = plist::readXmlPropertyList(xml);
    const std::optional<Value> plain = plist::readPlainPropertyList(xml);
    if (!plain)
        return false;
    EXPECT_TRUE(general.ok()) << "the fast path accepts what the XML reader refuses (" << general.error.toStdString()
                              << "):\n"
                              << xml.toStdString();
    if (general.ok()) {
        EXPECT_TRUE(identical(*plain, *general.value)) << "read differently:\n" << xml.toStdString();
    }
    return true;
}

QByteArray document(const char* body)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n") + body + "\n</plist>\n";
}

} // namespace

TEST(PropertyListPlainRead, AgreesWithTheXmlReaderOnAwkwardInput)
{
    // Each body is read both ways; the fast path may give up on any of them but must never differ.
    const char* bodies[] = {
        "<string></string>", "<string/>", "<string>   </string>", "<dict><key/><string/></dict>",
        "<dict><key></key><integer>1</integer></dict>", "<string>a &lt; b &gt; c &amp; &quot;d&quot; &apos;e&apos;</string>",
        "<string>&#13;&#10;&#9;&#x1F600;&#233;</string>", "<string>&#1;</string>", "<string>&#xD800;</string>",
        "<string>&#xFFFE;</string>", "<string>&unknown;</string>", "<string>&amp</string>", "<string>a\r\nb\rc</string>",
        "<string>a\nb\tc</string>", "<string>x]]>y</string>", "<string>x>y</string>", "<string>caf\xc3\xa9 \xe6\xbc\xa2 \xf0\x9f\x99\x82</string>",
        "<string>\xc3\x28</string>", "<string>\xc0\xaf</string>", "<string>\xed\xa0\x80</string>", "<string>\xef\xbf\xbe</string>",
        "<string>\xef\xb7\x90</string>", "<string>\xc2\x85</string>", "<string>\x7f</string>", "<string>\x01</string>",
        "<string>\xf4\x90\x80\x80</string>", "<string>\xe6\xbc</string>", "<string><!-- c -->x</string>",
        "<string><![CDATA[<x>]]></string>", "<string a=\"1\">x</string>", "<dict ></dict >", "<dict/>", "<array/>",
        "<array >\n\t<true/>\n\t<false />\n\t<true> </true>\n</array>", "<true>x</true>", "<true></false>",
        "<integer> 5 </integer>", "<integer>+7</integer>", "<integer>-9223372036854775808</integer>",
        "<integer>9223372036854775808</integer>", "<integer>1.5</integer>", "<integer/>", "<integer></integer>",
        "<real>1e3</real>", "<real>-0</real>", "<real> .5 </real>", "<real>nan</real>", "<real>-inf</real>", "<real>1e999</real>",
        "<real> NaN</real>", "<real>+Infinity</real>", "<real>INF</real>", "<real>-infinit</real>", "<real>n</real>",
        "<real>0x10</real>", "<data>SGVs\n\tbG8=</data>", "<data/>", "<data>SGVsbG8</data>", "<data>*</data>",
        "<date>2026-12-09T12:00:00Z</date>", "<date>2026-12-09T12:00:00.250Z</date>", "<date>2026-02-30T12:00:00Z</date>",
        "<dict><key>b</key><integer>1</integer><key>a</key><integer>2</integer><key>b</key><integer>3</integer></dict>",
        "<dict><key>a</key></dict>", "<dict><key>a</key><key>b</key><string/></dict>", "<dict><string>a</string></dict>",
        "<dict></dict<key>a</key><string/></dict>", "<dict><key>a</key><string>x</string></array>", "<array><key>a</key></array>",
        "<array>text</array>", "<Dict></Dict>", "<dict2></dict2>", "<unknown/>", "<string>x</string><string>y</string>",
        "<dict>&#32;</dict>", "<dict>\r\n<key>k</key>\r\n<string>v</string>\r\n</dict>",
        "<integer>&#49;2</integer>", "<real>1&#46;5</real>", "<real>\t2.5\n</real>",
        "<real>0.00000000000000000000000000000000000000000000000000000000000000000000001</real>",
        "<integer>000000000000000000000000000000000000000000000000000000000000000000000042</integer>",
    };
    for (const char* body : bodies)
        agrees(document(body));

    // Prologs, ends and encodings.
    const char* documents[] = {
        "<plist><string>x</string></plist>",
        "  \n<plist version=\"1.0\"><string>x</string></plist>",
        " <?xml version=\"1.0\"?><plist><string>x</string></plist>",
        "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><true/></plist>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><string>caf\xe9</string></plist>",
        "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist><string>x</string></plist>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><true/></plist>junk",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><true/></plist><!-- end -->\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><true/>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"/>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"2.0\"><true/></plist>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><true/><true/></plist>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><real>nan</real></plist>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE plist [<!ENTITY a \"b\">]><plist><string>&a;</string></plist>",
    };
    for (const char* xml : documents)
        agrees(QByteArray(xml));

    // Nesting at the limit and one beyond it.
    for (const int depth : {propertyListMaxDepth, propertyListMaxDepth + 1}) {
        QByteArray body;
        for (int i = 0; i < depth; ++i)
            body += "<array>";
        for (int i = 0; i < depth; ++i)
            body += "</array>";
        agrees(document(body.constData()));
    }
}

TEST(PropertyListPlainRead, TakesWhatWritersWriteAndEveryFixture)
{
    // What our writer writes, with every kind and awkward text, is read by the fast path.
    Value root;
    root.set(QStringLiteral("text"), QStringLiteral("<a & b> \"q\" 'x'\r\n\t\u00e9\U0001F600 ]]>"));
    root.set(QStringLiteral("empty"), QString(""));
    root.set(QStringLiteral("numbers"), Value(Value::Array{Value(-0.0), Value(5e-324), Value(std::int64_t{-7}), Value(true)}));
    root.set(QStringLiteral("data"), QByteArray(200, 'x'));
    root.set(QStringLiteral("date"), QDateTime(QDate(2026, 12, 9), QTime(12, 0, 1), Qt::UTC));
    root.set(QStringLiteral("nested"), Value(Value::Dictionary{{QStringLiteral("e"), Value::dictionary()}}));
    const QByteArray written = *writePropertyList(root).data;
    EXPECT_TRUE(agrees(written));
    // (An empty string reads back as a null one, by either path.)
    EXPECT_EQ(*readPropertyList(written).value, root);

    QStringList files;
    for (const char* folder : {"/plist", "/shape"})
        for (const QFileInfo& info : QDir(QStringLiteral(QUORVEL_TEST_DATA) + QLatin1StringView(folder)).entryInfoList({"*.plist"}))
            files << info.filePath();
    for (const QFileInfo& info : QDir(QStringLiteral(QUORVEL_TEST_DATA "/../../fuzz/corpus/plist")).entryInfoList(QDir::Files))
        files << info.filePath();
    ASSERT_FALSE(files.isEmpty());
    for (const QString& path : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        agrees(file.readAll());
    }
    QFile golden(QStringLiteral(QUORVEL_TEST_DATA "/shape/every-field.plist"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_TRUE(agrees(golden.readAll()));
}

TEST(PropertyListPlainRead, DictionariesThatRepeatReadAsTheXmlReaderReadsThem)
{
    // The fast path expects each dictionary's keys, and the values under them, to follow as in the
    // dictionary before: every way a dictionary can depart from the one before must read as written.
    const char* dictionaries[] = {
        "<key>a</key><integer>1</integer><key>b</key><string>x</string><key>c</key><true/>",
        "<key>a</key><integer>1</integer><key>b</key><string>x</string><key>c</key><true/>",
        // a longer key and a longer value starting with the expected ones
        "<key>ab</key><integer>12</integer><key>b</key><string>xy</string><key>c</key><true/>",
        // the same text under another kind, a key spelled with white space in its end tag, a key left out
        "<key>a</key><string>1</string><key>b </key><string>x</string><key>c</key><false/>",
        "<key>a</key><real>1</real><key>b</key ><string>x</string>",
        // empty and escaped keys, a key too long to share, values with white space in their tags
        "<key/><integer>1</integer><key>a &amp; b</key><string>x</string><key>"
        "a key longer than forty-eight characters, which is not shared</key><true></true>",
        "<key></key><integer >1</integer><key>a &amp; b</key><string>x</string ><key>"
        "a key longer than forty-eight characters, which is not shared</key><true/>",
        // a container under a key that held a leaf, then the leaf again
        "<key>a</key><dict><key>a</key><integer>1</integer></dict><key>b</key><array><string>x</string></array>",
        "<key>a</key><integer>1</integer><key>b</key><string>x</string><key>c</key><true/>",
        // keys out of order and repeated
        "<key>c</key><true/><key>a</key><integer>1</integer><key>a</key><integer>2</integer>",
        "<key>b</key><string>x</string>",
        "<key>b</key><string>x</string><key>c</key><true/>",
    };
    QByteArray body = "<array>";
    for (const char* entries : dictionaries)
        body += QByteArray("\n\t<dict>") + entries + "</dict>";
    body += "\n</array>";
    EXPECT_TRUE(agrees(document(body.constData())));
    // The same dictionaries one level down, after the ones above have been seen at the top.
    EXPECT_TRUE(agrees(document(("<array>" + body + body + "</array>").constData())));
}
