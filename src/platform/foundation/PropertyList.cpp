#include "platform/foundation/PropertyList.h"

#include <QDate>
#include <QTime>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtDebug>

#include <cmath>
#include <string>
#include <vector>

namespace pf {

namespace {

const QString dtd = QStringLiteral(
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");

bool isXmlSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

QStringView trimmedXml(QStringView s)
{
    while (!s.isEmpty() && isXmlSpace(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && isXmlSpace(s.back()))
        s.chop(1);
    return s;
}

// Characters XML 1.0 can carry: tab, line feed, carriage return, U+0020-U+D7FF, U+E000-U+FFFD and
// paired surrogates.
bool isXmlText(QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return false;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= s.size() || !QChar::isLowSurrogate(s[i + 1].unicode()))
                return false;
            ++i;
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

// Whole seconds, the fraction cut off: other writers never write one, and common readers refuse it.
QString formatDate(const QDateTime& utc)
{
    const QDate d = utc.date();
    const QTime t = utc.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second());
}

// ---------------------------------------------------------------------------------------------- writer

class Writer {
public:
    explicit Writer(QByteArray* out) : m_xml(out) {}

    bool writeDocument(const Value& root)
    {
        m_xml.writeStartDocument();
        m_xml.writeCharacters(QStringLiteral("\n"));
        m_xml.writeDTD(dtd);
        m_xml.writeCharacters(QStringLiteral("\n"));
        m_xml.writeStartElement(QStringLiteral("plist"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        m_xml.writeCharacters(QStringLiteral("\n"));
        if (!writeValue(root, 0))
            return false;
        m_xml.writeCharacters(QStringLiteral("\n"));
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        if (m_xml.hasError()) {
            m_error = QStringLiteral("the XML writer failed");
            return false;
        }
        return true;
    }

    // Why the write failed, with the key path of the value at fault.
    QString error() const
    {
        return m_path.isEmpty() ? m_error : QStringLiteral("%1 (at /%2)").arg(m_error, m_path.join(u'/'));
    }

private:
    bool fail(const QString& message)
    {
        m_error = message;
        return false;
    }

    const QString& indent(int level)
    {
        while (static_cast<int>(m_indents.size()) <= level)
            m_indents.emplace_back(static_cast<qsizetype>(m_indents.size()), u'\t');
        return m_indents[static_cast<std::size_t>(level)];
    }

    void newlineAndIndent(int level) { m_xml.writeCharacters(QStringLiteral("\n") + indent(level)); }

    // Text that XML can carry; a carriage return is written as a character reference, because readers
    // turn a literal one into a line feed.
    bool writeText(const QString& element, const QString& text)
    {
        if (!isXmlText(text))
            return fail(QStringLiteral("a string holds a character that XML cannot carry"));
        m_xml.writeStartElement(element);
        qsizetype start = 0;
        for (qsizetype cr = text.indexOf(u'\r'); cr >= 0; cr = text.indexOf(u'\r', start)) {
            if (cr > start)
                m_xml.writeCharacters(text.mid(start, cr - start));
            m_xml.writeEntityReference(QStringLiteral("#13"));
            start = cr + 1;
        }
        m_xml.writeCharacters(start == 0 ? text : text.mid(start));
        m_xml.writeEndElement();
        return true;
    }

    // Writes v at the cursor; its contents and closing tag are indented one level deeper than `level`.
    bool writeValue(const Value& v, int level)
    {
        switch (v.type()) {
        case Value::Type::Null:
            return fail(QStringLiteral("a null value has no property-list form"));
        case Value::Type::Bool:
            m_xml.writeEmptyElement(v.boolValue() ? QStringLiteral("true") : QStringLiteral("false"));
            return true;
        case Value::Type::Integer:
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(v.integerValue()));
            return true;
        case Value::Type::Real: {
            double d = v.doubleValue();
            if (!std::isfinite(d)) {
                qWarning("property list: a non-finite real (%g) is written as 0", d);
                d = 0;
            }
            m_xml.writeTextElement(QStringLiteral("real"), detail::formatReal(d));
            return true;
        }
        case Value::Type::String:
            return writeText(QStringLiteral("string"), v.asString());
        case Value::Type::Data:
            writeData(v.asData(), level);
            return true;
        case Value::Type::Date: {
            const QDateTime date = v.asDate();
            if (!date.isValid() || date.date().year() < 1 || date.date().year() > 9999)
                return fail(QStringLiteral("a date is invalid or outside the years 1 to 9999"));
            m_xml.writeTextElement(QStringLiteral("date"), formatDate(date));
            return true;
        }
        case Value::Type::Array:
            return writeArray(v, level);
        case Value::Type::Dictionary:
            return writeDictionary(v, level);
        }
        return fail(QStringLiteral("unknown value type"));
    }

    bool checkDepth(int level)
    {
        return level < propertyListMaxDepth
                   ? true
                   : fail(QStringLiteral("containers nested deeper than %1").arg(propertyListMaxDepth));
    }

    bool writeArray(const Value& v, int level)
    {
        if (!checkDepth(level))
            return false;
        if (v.count() == 0) {
            m_xml.writeEmptyElement(QStringLiteral("array"));
            return true;
        }
        m_xml.writeStartElement(QStringLiteral("array"));
        const Value::Array& items = v.asArray();
        for (std::size_t i = 0; i < items.size(); ++i) {
            newlineAndIndent(level + 1);
            if (!writeValue(items[i], level + 1)) {
                m_path.prepend(QString::number(i));
                return false;
            }
        }
        newlineAndIndent(level);
        m_xml.writeEndElement();
        return true;
    }

    bool writeDictionary(const Value& v, int level)
    {
        if (!checkDepth(level))
            return false;
        if (v.count() == 0) {
            m_xml.writeEmptyElement(QStringLiteral("dict"));
            return true;
        }
        m_xml.writeStartElement(QStringLiteral("dict"));
        for (const auto& [key, item] : v.asDictionary()) {
            newlineAndIndent(level + 1);
            if (!writeText(QStringLiteral("key"), key) || (newlineAndIndent(level + 1), !writeValue(item, level + 1))) {
                m_path.prepend(key);
                return false;
            }
        }
        newlineAndIndent(level);
        m_xml.writeEndElement();
        return true;
    }

    // Base64 in lines at the tag's own indentation, as Apple's writer lays it out.
    void writeData(const QByteArray& data, int level)
    {
        const QByteArray base64 = data.toBase64();
        const qsizetype lineLength = std::max<qsizetype>(16, (76 - 8 * level) / 4 * 4);
        m_xml.writeStartElement(QStringLiteral("data"));
        for (qsizetype i = 0; i < base64.size(); i += lineLength) {
            newlineAndIndent(level);
            m_xml.writeCharacters(QString::fromLatin1(base64.mid(i, lineLength)));
        }
        newlineAndIndent(level);
        m_xml.writeEndElement();
    }

    QXmlStreamWriter m_xml;
    std::vector<QString> m_indents;
    QString m_error;
    QStringList m_path;
};

// ---------------------------------------------------------------------------------------------- reader

class Reader {
public:
    explicit Reader(const QByteArray& xml) : m_xml(xml) {}

    std::optional<Value> readDocument()
    {
        if (!readProlog())
            return std::nullopt;
        if (m_xml.name() != u"plist")
            return fail(QStringLiteral("the root element is <%1>, not <plist>").arg(m_xml.name()));
        QXmlStreamReader::TokenType token = nextInContainer();
        if (token == QXmlStreamReader::Invalid)
            return std::nullopt;
        if (token == QXmlStreamReader::EndElement)
            return fail(QStringLiteral("<plist> holds no value"));
        Value root;
        switch (readValue(root, 1)) {
        case Step::Failed:
            return std::nullopt;
        case Step::Dropped:
            return fail(QStringLiteral("the root value is a non-finite real"));
        case Step::Ok:
            break;
        }
        token = nextInContainer();
        if (token == QXmlStreamReader::Invalid)
            return std::nullopt;
        if (token == QXmlStreamReader::StartElement)
            return fail(QStringLiteral("<plist> holds more than one value"));
        if (!readEpilog())
            return std::nullopt;
        return root;
    }

    const QString& error() const { return m_error; }

private:
    enum class Step { Ok, Dropped, Failed };

    std::nullopt_t fail(const QString& message)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("line %1, column %2: %3").arg(m_xml.lineNumber()).arg(m_xml.columnNumber()).arg(message);
        return std::nullopt;
    }

    std::nullopt_t failXml() { return fail(m_xml.errorString()); }

    Step failStep(const QString& message)
    {
        fail(message);
        return Step::Failed;
    }

    // Up to the root element's start.
    bool readProlog()
    {
        for (;;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartDocument:
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::DTD:
                // Entities could expand a small file into a huge one; property lists never declare any.
                if (!m_xml.entityDeclarations().isEmpty()) {
                    fail(QStringLiteral("entity declarations are not allowed"));
                    return false;
                }
                continue;
            case QXmlStreamReader::Characters:
                if (m_xml.isWhitespace())
                    continue;
                fail(QStringLiteral("text outside the root element"));
                return false;
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::Invalid:
                failXml();
                return false;
            default:
                fail(QStringLiteral("no <plist> element"));
                return false;
            }
        }
    }

    // After the root element's end: only comments, processing instructions and white space.
    bool readEpilog()
    {
        for (;;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::EndDocument:
                return true;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::Characters:
                if (m_xml.isWhitespace())
                    continue;
                [[fallthrough]];
            default:
                fail(QStringLiteral("content after </plist>"));
                return false;
            case QXmlStreamReader::Invalid:
                failXml();
                return false;
            }
        }
    }

    // The next element start or end inside a container, skipping white space and comments. Invalid
    // (with the error set) for anything else.
    QXmlStreamReader::TokenType nextInContainer()
    {
        for (;;) {
            switch (const auto token = m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
            case QXmlStreamReader::EndElement:
                return token;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::Characters:
                if (m_xml.isWhitespace())
                    continue;
                fail(QStringLiteral("text where an element belongs"));
                return QXmlStreamReader::Invalid;
            case QXmlStreamReader::Invalid:
                failXml();
                return QXmlStreamReader::Invalid;
            default:
                fail(QStringLiteral("unexpected XML content"));
                return QXmlStreamReader::Invalid;
            }
        }
    }

    // The text of a leaf element, up to and including its end tag.
    bool readText(QString& text)
    {
        const QString element = m_xml.name().toString();
        for (;;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::Characters:
                if (text.isEmpty())
                    text = m_xml.text().toString();
                else
                    text += m_xml.text();
                continue;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::EndElement:
                // A declared encoding (UTF-7, say) can decode to characters that XML text cannot hold and
                // that could then not be written back.
                if (!isXmlText(text)) {
                    fail(QStringLiteral("<%1> holds a character that XML cannot carry").arg(element));
                    return false;
                }
                return true;
            case QXmlStreamReader::StartElement:
                fail(QStringLiteral("element <%1> inside <%2>").arg(m_xml.name(), element));
                return false;
            case QXmlStreamReader::Invalid:
                failXml();
                return false;
            default:
                fail(QStringLiteral("unexpected XML content inside <%1>").arg(element));
                return false;
            }
        }
    }

    Step readValue(Value& out, int depth)
    {
        const QStringView name = m_xml.name();
        if (name == u"dict")
            return readDictionary(out, depth);
        if (name == u"array")
            return readArray(out, depth);
        if (name == u"key")
            return failStep(QStringLiteral("<key> outside a dictionary"));
        const enum { String, Integer, Real, True, False, Data, Date, Unknown } kind = name == u"string" ? String
            : name == u"integer"                                                     ? Integer
            : name == u"real"                                                        ? Real
            : name == u"true"                                                        ? True
            : name == u"false"                                                       ? False
            : name == u"data"                                                        ? Data
            : name == u"date"                                                        ? Date
                                                                                     : Unknown;
        if (kind == Unknown)
            return failStep(QStringLiteral("unknown element <%1>").arg(name));
        QString text;
        if (!readText(text))
            return Step::Failed;
        switch (kind) {
        case String:
            out = Value(std::move(text));
            return Step::Ok;
        case Integer:
            return readInteger(text, out);
        case Real:
            return readReal(text, out);
        case True:
        case False:
            if (!trimmedXml(text).isEmpty())
                return failStep(QStringLiteral("text inside <%1/>").arg(kind == True ? u"true" : u"false"));
            out = Value(kind == True);
            return Step::Ok;
        case Data:
            return readData(text, out);
        case Date:
            return readDate(text, out);
        case Unknown:
            break;
        }
        return Step::Failed;
    }

    Step readDictionary(Value& out, int depth)
    {
        if (depth > propertyListMaxDepth)
            return failStep(QStringLiteral("containers nested deeper than %1").arg(propertyListMaxDepth));
        Value::Dictionary dict;
        for (;;) {
            QXmlStreamReader::TokenType token = nextInContainer();
            if (token == QXmlStreamReader::Invalid)
                return Step::Failed;
            if (token == QXmlStreamReader::EndElement)
                break;
            if (m_xml.name() != u"key")
                return failStep(QStringLiteral("<%1> where a <key> belongs").arg(m_xml.name()));
            QString key;
            if (!readText(key))
                return Step::Failed;
            token = nextInContainer();
            if (token == QXmlStreamReader::Invalid)
                return Step::Failed;
            if (token == QXmlStreamReader::EndElement || m_xml.name() == u"key")
                return failStep(QStringLiteral("the key \"%1\" has no value").arg(key));
            Value item;
            const Step step = readValue(item, depth + 1);
            if (step == Step::Failed)
                return Step::Failed;
            if (step == Step::Dropped)
                continue;
            // Writers sort their keys, so the end is almost always the right place; a repeated key keeps
            // its last value.
            dict.insert_or_assign(dict.end(), std::move(key), std::move(item));
        }
        out = Value(std::move(dict));
        return Step::Ok;
    }

    Step readArray(Value& out, int depth)
    {
        if (depth > propertyListMaxDepth)
            return failStep(QStringLiteral("containers nested deeper than %1").arg(propertyListMaxDepth));
        Value::Array items;
        for (;;) {
            const QXmlStreamReader::TokenType token = nextInContainer();
            if (token == QXmlStreamReader::Invalid)
                return Step::Failed;
            if (token == QXmlStreamReader::EndElement)
                break;
            Value item;
            const Step step = readValue(item, depth + 1);
            if (step == Step::Failed)
                return Step::Failed;
            if (step == Step::Ok)
                items.push_back(std::move(item));
        }
        out = Value(std::move(items));
        return Step::Ok;
    }

    Step readInteger(const QString& text, Value& out)
    {
        const QStringView s = trimmedXml(text);
        qsizetype i = 0;
        const bool negative = !s.isEmpty() && s[0] == u'-';
        if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+'))
            ++i;
        if (i == s.size())
            return failStep(QStringLiteral("<integer> \"%1\" is not a number").arg(s));
        // Accumulated as a negative number so that the minimum fits.
        std::int64_t value = 0;
        constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
        for (; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            if (c < u'0' || c > u'9')
                return failStep(QStringLiteral("<integer> \"%1\" is not a number").arg(s));
            const int digit = c - u'0';
            if (value < (min + digit) / 10)
                return failStep(QStringLiteral("<integer> %1 is outside the 64-bit range").arg(s));
            value = value * 10 - digit;
        }
        if (!negative && value == min)
            return failStep(QStringLiteral("<integer> %1 is outside the 64-bit range").arg(s));
        out = Value(negative ? value : -value);
        return Step::Ok;
    }

    Step readReal(const QString& text, Value& out)
    {
        QStringView s = trimmedXml(text);
        bool negative = false;
        if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
            negative = s[0] == u'-';
            s = s.mid(1);
        }
        double value = 0;
        if (s.compare(u"nan", Qt::CaseInsensitive) == 0 || s.compare(u"inf", Qt::CaseInsensitive) == 0
            || s.compare(u"infinity", Qt::CaseInsensitive) == 0) {
            value = std::numeric_limits<double>::infinity();
        } else {
            std::string ascii;
            ascii.reserve(static_cast<std::size_t>(s.size()));
            for (const QChar c : s) {
                if (c.unicode() >= 0x80)
                    return failStep(QStringLiteral("<real> \"%1\" is not a number").arg(trimmedXml(text)));
                ascii.push_back(static_cast<char>(c.unicode()));
            }
            const char* stop = nullptr;
            if (!detail::parseDouble(ascii.data(), ascii.data() + ascii.size(), value, &stop)
                || stop != ascii.data() + ascii.size())
                return failStep(QStringLiteral("<real> \"%1\" is not a number").arg(trimmedXml(text)));
        }
        if (!std::isfinite(value)) {
            qWarning("property list: line %lld: the non-finite real \"%s\" is left out",
                     static_cast<long long>(m_xml.lineNumber()), qUtf8Printable(trimmedXml(text).toString()));
            return Step::Dropped;
        }
        out = Value(negative ? -value : value);
        return Step::Ok;
    }

    Step readData(const QString& text, Value& out)
    {
        QByteArray base64;
        base64.reserve(text.size());
        for (const QChar c : text) {
            if (isXmlSpace(c))
                continue;
            if (c.unicode() >= 0x80)
                return failStep(QStringLiteral("<data> is not base64"));
            base64.append(static_cast<char>(c.unicode()));
        }
        auto decoded =
            QByteArray::fromBase64Encoding(base64, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return failStep(QStringLiteral("<data> is not base64"));
        out = Value(*decoded);
        return Step::Ok;
    }

    // YYYY-MM-DDTHH:MM:SS, optional fraction (kept to the millisecond), Z.
    Step readDate(const QString& text, Value& out)
    {
        const QStringView s = trimmedXml(text);
        qsizetype i = 0;
        auto number = [&](int digits, int& value) {
            value = 0;
            for (int k = 0; k < digits; ++k, ++i) {
                if (i >= s.size() || s[i] < u'0' || s[i] > u'9')
                    return false;
                value = value * 10 + (s[i].unicode() - u'0');
            }
            return true;
        };
        auto literal = [&](char16_t c) { return i < s.size() && s[i++] == c; };
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
        bool ok = number(4, year) && literal(u'-') && number(2, month) && literal(u'-') && number(2, day)
            && literal(u'T') && number(2, hour) && literal(u':') && number(2, minute) && literal(u':')
            && number(2, second);
        if (ok && i < s.size() && s[i] == u'.') {
            ++i;
            int scale = 100;
            const qsizetype first = i;
            for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i, scale /= 10)
                msec += (s[i].unicode() - u'0') * scale;
            ok = i > first;
        }
        ok = ok && literal(u'Z') && i == s.size();
        const QDate date(year, month, day);
        const QTime time(hour, minute, second, msec);
        if (!ok || !date.isValid() || !time.isValid())
            return failStep(QStringLiteral("<date> \"%1\" is not an ISO 8601 UTC date").arg(s));
        out = Value(QDateTime(date, time, Qt::UTC));
        return Step::Ok;
    }

    QXmlStreamReader m_xml;
    QString m_error;
};

} // namespace

PropertyListReadResult readPropertyList(const QByteArray& xml)
{
    if (xml.startsWith("bplist"))
        return {std::nullopt, QStringLiteral("binary property lists are not supported, only XML")};
    if (xml.trimmed().isEmpty())
        return {std::nullopt, QStringLiteral("the property list is empty")};
    Reader reader(xml);
    std::optional<Value> value = reader.readDocument();
    if (!value)
        return {std::nullopt, reader.error()};
    return {std::move(value), QString()};
}

PropertyListWriteResult writePropertyList(const Value& root)
{
    QByteArray bytes;
    Writer writer(&bytes);
    // The writer ends the document with a newline.
    if (!writer.writeDocument(root))
        return {std::nullopt, writer.error()};
    return {std::move(bytes), QString()};
}

} // namespace pf
