#include "platform/foundation/PropertyList.h"

#include "platform/foundation/PropertyListText.h"
#include "platform/foundation/RealText.h"

#include <QDate>
#include <QTime>
#include <QXmlStreamReader>
#include <QtDebug>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

namespace {

constexpr char dtd[] =
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";

// Whole seconds, the fraction cut off: other writers never write one, and common readers refuse it.
QString formatDate(const QDateTime& utc)
{
    const QDate d = utc.date();
    const QTime t = utc.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second());
}

// ---------------------------------------------------------------------------------------------- writer

// The bytes written so far, in a QByteArray that is handed over at the end without a copy. Room is made
// ahead (left uninitialised) and a cursor moves through it, so every append is inline. Given a sink, it
// holds one piece at a time instead: a piece is handed over at the first point the writer offers once it
// is full, and the room is used again (so it stays in the cache, and a large document takes no memory).
class Output {
public:
    explicit Output(const ByteSink* sink)
        : m_sink(sink), m_flushAt(sink ? pieceSize : std::numeric_limits<std::size_t>::max())
    {
        // Small at first without a sink: settings write single values through here too.
        const qsizetype initial = sink ? pieceSize + pieceSize / 4 : 1 << 10;
        m_bytes.resize(initial);
        m_p = m_bytes.data();
        m_end = m_p + initial;
    }

    // Where no bytes written are still to be read back: a full piece goes to the sink. False when the
    // sink refused it.
    bool flushIfFull() { return size() < m_flushAt || flush(); }
    // The rest, at the end.
    bool flush()
    {
        const bool ok = (*m_sink)(QByteArrayView(m_bytes.constData(), static_cast<qsizetype>(size())));
        m_p = m_bytes.data();
        return ok;
    }

    // At least n bytes at the cursor; advanceTo() then says how many were written.
    char* room(std::size_t n)
    {
        if (static_cast<std::size_t>(m_end - m_p) < n)
            grow(n);
        return m_p;
    }
    void advanceTo(char* p) { m_p = p; }
    std::size_t size() const { return static_cast<std::size_t>(m_p - m_bytes.data()); }
    const char* at(std::size_t offset) const { return m_bytes.data() + offset; }

    void append(const char* s, std::size_t n)
    {
        std::memcpy(room(n), s, n);
        m_p += n;
    }
    void append(std::string_view s) { append(s.data(), s.size()); }
    void append(std::size_t count, char c)
    {
        std::memset(room(count), c, count);
        m_p += count;
    }
    void operator+=(char c)
    {
        *room(1) = c;
        ++m_p;
    }

    QByteArray take()
    {
        if (size() >= largeSize)
            lastLargeSize() = static_cast<qsizetype>(size() + size() / 8);
        m_bytes.resize(m_p - m_bytes.data());
        // Grown for a larger document than this one: the room is given back.
        if (static_cast<std::size_t>(m_bytes.capacity()) > size() + size() / 4 + largeSize)
            m_bytes.squeeze();
        m_p = m_end = nullptr;
        return std::move(m_bytes);
    }

private:
    // Big enough that a call per piece costs nothing, small enough to stay in the cache while the sink
    // copies it out.
    static constexpr std::size_t pieceSize = 64 << 10;
    // Past this a document is likely about the size of the last large one this thread wrote (the same
    // page saved again): it grows to that at once, not through every doubling, each a copy of all so far.
    static constexpr std::size_t largeSize = 1 << 20;
    static qsizetype& lastLargeSize()
    {
        thread_local qsizetype last = 0;
        return last;
    }

    void grow(std::size_t n)
    {
        const qsizetype used = m_p - m_bytes.data();
        qsizetype wanted = std::max(2 * m_bytes.size(), used + static_cast<qsizetype>(n));
        if (!m_sink && static_cast<std::size_t>(wanted) >= largeSize)
            wanted = std::max(wanted, lastLargeSize());
        m_bytes.resize(wanted);
        m_p = m_bytes.data() + used;
        m_end = m_bytes.data() + m_bytes.size();
    }

    const ByteSink* m_sink;
    std::size_t m_flushAt;
    QByteArray m_bytes;
    char* m_p = nullptr;
    char* m_end = nullptr;
};

class Writer {
public:
    // Into one buffer handed over by take(), or a piece at a time to the sink.
    explicit Writer(const ByteSink* sink = nullptr, std::span<const ElementsMadeWhileWriting> made = {})
        : m_out(sink), m_made(made)
    {
    }

    // Straight to UTF-8 bytes, in the layout described in the header.
    bool writeDocument(const Value& root)
    {
        m_out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
        m_out.append(dtd);
        m_out.append("\n<plist version=\"1.0\">\n");
        if (!writeValue(root, 0))
            return false;
        m_out.append("\n</plist>\n");
        return true;
    }

    QByteArray take() { return m_out.take(); }
    // The last piece to the sink.
    bool flush() { return m_out.flush() || refused(); }

    // Why the write failed, with the key path of the value at fault; empty when the sink refused.
    QString error() const
    {
        if (m_refused)
            return {};
        return m_path.isEmpty() ? m_error : QStringLiteral("%1 (at /%2)").arg(m_error, m_path.join(u'/'));
    }

private:
    struct KeySlot;

    bool fail(const QString& message)
    {
        m_error = message;
        return false;
    }

    bool refused()
    {
        m_refused = true;
        return false;
    }

    // Between the entries of a container, where no bytes are still to be read back (writeKey and
    // writeEntryValue read back only what a leaf value wrote).
    bool offerPiece() { return m_out.flushIfFull() || refused(); }

    void newlineAndIndent(int level)
    {
        m_out += '\n';
        m_out.append(static_cast<std::size_t>(level), '\t');
    }

    void emptyElement(QByteArrayView name)
    {
        m_out += '<';
        m_out.append(name.data(), static_cast<std::size_t>(name.size()));
        m_out.append("/>");
    }

    void textElement(QByteArrayView name, QByteArrayView ascii)
    {
        m_out += '<';
        m_out.append(name.data(), static_cast<std::size_t>(name.size()));
        m_out += '>';
        m_out.append(ascii.data(), static_cast<std::size_t>(ascii.size()));
        m_out.append("</");
        m_out.append(name.data(), static_cast<std::size_t>(name.size()));
        m_out += '>';
    }

    // Text that XML can carry, escaped, in UTF-8. A carriage return is written as a character reference,
    // because readers turn a literal one into a line feed.
    bool writeText(QByteArrayView element, QStringView text)
    {
        m_out += '<';
        m_out.append(element.data(), static_cast<std::size_t>(element.size()));
        m_out += '>';
        // Encoded into room for the longest form ("&quot;" for one unit), then cut to what was written.
        char* o = m_out.room(6 * static_cast<std::size_t>(text.size()));
        const auto put = [&o](const char* s, std::size_t n) {
            std::memcpy(o, s, n);
            o += n;
        };
        const char16_t* s = text.utf16();
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = s[i];
            if (c < 0x80 && writtenAsIs[c]) {
                *o++ = static_cast<char>(c);
                continue;
            }
            if (c < 0x80) {
                switch (c) {
                case u'<':
                    put("&lt;", 4);
                    break;
                case u'>':
                    put("&gt;", 4);
                    break;
                case u'&':
                    put("&amp;", 5);
                    break;
                case u'"':
                    put("&quot;", 6);
                    break;
                case u'\r':
                    put("&#13;", 5);
                    break;
                case u'\t':
                case u'\n':
                    *o++ = static_cast<char>(c);
                    break;
                default:
                    if (c < 0x20)
                        return unwritable();
                    *o++ = static_cast<char>(c);
                }
            } else if (c < 0x800) {
                *o++ = static_cast<char>(0xC0 | (c >> 6));
                *o++ = static_cast<char>(0x80 | (c & 0x3F));
            } else if (QChar::isHighSurrogate(c)) {
                if (i + 1 >= n || !QChar::isLowSurrogate(s[i + 1]))
                    return unwritable();
                const char32_t u = QChar::surrogateToUcs4(c, s[++i]);
                *o++ = static_cast<char>(0xF0 | (u >> 18));
                *o++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
                *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                *o++ = static_cast<char>(0x80 | (u & 0x3F));
            } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
                return unwritable();
            } else {
                *o++ = static_cast<char>(0xE0 | (c >> 12));
                *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                *o++ = static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        m_out.advanceTo(o);
        m_out.append("</");
        m_out.append(element.data(), static_cast<std::size_t>(element.size()));
        m_out += '>';
        return true;
    }

    // A key's element, as writeText writes it. Documents repeat a few dozen keys in every dictionary,
    // each one the same string: the bytes written for a string are kept with a copy of it, and a key that
    // shares that copy's characters (so is equal to it for as long as the copy lives) reuses them.
    // Gives the key's slot, or null when the key cannot be written.
    KeySlot* writeKey(const QString& key)
    {
        if (!m_keys)
            m_keys = std::make_unique<std::array<KeySlot, 256>>();
        // Hashed (the key strings of a kind are allocated one after another, a few dozen bytes apart), and
        // looked for in the next few slots too: a page's hundred keys must not push each other out.
        const std::uint64_t h = reinterpret_cast<std::uintptr_t>(key.constData()) * 0x9E3779B97F4A7C15ull;
        const std::size_t home = h >> 56;
        KeySlot* free = nullptr;
        for (std::size_t probe = 0; probe < 4; ++probe) {
            KeySlot& slot = (*m_keys)[(home + probe) % m_keys->size()];
            if (slot.key.constData() == key.constData() && slot.key.size() == key.size() && !key.isEmpty()) {
                m_out.append(slot.bytes.data(), slot.bytes.size());
                return &slot;
            }
            if (!free && slot.key.isNull())
                free = &slot;
        }
        KeySlot& slot = free ? *free : (*m_keys)[home];
        const std::size_t start = m_out.size();
        if (!writeText("key", key))
            return nullptr;
        slot.key = key;
        slot.bytes.assign(m_out.at(start), m_out.size() - start);
        slot.value = Value();
        return &slot;
    }

    // A dictionary's value, after its key's slot. Values repeat under the same key from dictionary to
    // dictionary (flags, zeros, colours, kinds): the last one written under the key is kept with its bytes,
    // for the kinds whose bytes depend on the value alone.
    bool writeEntryValue(KeySlot& slot, const Value& v, int level)
    {
        if (sameText(slot.value, v)) {
            m_out.append(slot.valueBytes.data(), slot.valueBytes.size());
            return true;
        }
        const std::size_t start = m_out.size();
        if (!writeValue(v, level))
            return false;
        const Value::Type type = v.type();
        if (type == Value::Type::Bool || type == Value::Type::Integer || type == Value::Type::String
            || (type == Value::Type::Real && std::isfinite(v.doubleValue()))) {
            slot.value = v;
            slot.valueBytes.assign(m_out.at(start), m_out.size() - start);
        } else {
            slot.value = Value();
        }
        return true;
    }

    // Whether b is written as a, a value kept by writeEntryValue (never a null one).
    static bool sameText(const Value& a, const Value& b)
    {
        if (a.type() != b.type() || a.isNull())
            return false;
        switch (a.type()) {
        case Value::Type::Bool:
            return a.boolValue() == b.boolValue();
        case Value::Type::Integer:
            return a.integerValue() == b.integerValue();
        case Value::Type::Real: // by bits: -0 is written apart from 0
            return std::bit_cast<std::uint64_t>(a.doubleValue()) == std::bit_cast<std::uint64_t>(b.doubleValue());
        case Value::Type::String: {
            const QString& x = a.asString();
            const QString& y = b.asString();
            return x.size() == y.size() && (x.constData() == y.constData() || x == y);
        }
        default:
            return false;
        }
    }

    // ASCII that stands for itself in text.
    static constexpr std::array<bool, 128> writtenAsIs = [] {
        std::array<bool, 128> asIs{};
        for (int c = 0; c < 128; ++c)
            asIs[c] = (c >= 0x20 || c == '\t' || c == '\n') && c != '<' && c != '>' && c != '&' && c != '"';
        return asIs;
    }();

    bool unwritable() { return fail(QStringLiteral("a string holds a character that XML cannot carry")); }

    // Writes v at the cursor; its contents and closing tag are indented one level deeper than `level`.
    bool writeValue(const Value& v, int level)
    {
        switch (v.type()) {
        case Value::Type::Null:
            return fail(QStringLiteral("a null value has no property-list form"));
        case Value::Type::Bool:
            emptyElement(v.boolValue() ? "true" : "false");
            return true;
        case Value::Type::Integer: {
            char buffer[24];
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, v.integerValue()).ptr;
            textElement("integer", QByteArrayView(buffer, end - buffer));
            return true;
        }
        case Value::Type::Real: {
            double d = v.doubleValue();
            if (!std::isfinite(d)) {
                qWarning("property list: a non-finite real (%g) is written as 0", d);
                d = 0;
            }
            // The shortest text that reads back to the same double, as detail::formatReal gives it.
            char buffer[64];
            const char* end = detail::putShortestReal(buffer, buffer + sizeof buffer, d);
            textElement("real", QByteArrayView(buffer, end - buffer));
            return true;
        }
        case Value::Type::String:
            return writeText("string", v.asString());
        case Value::Type::Data:
            writeData(v.asData(), level);
            return true;
        case Value::Type::Date: {
            const QDateTime date = v.asDate();
            if (!date.isValid() || date.date().year() < 1 || date.date().year() > 9999)
                return fail(QStringLiteral("a date is invalid or outside the years 1 to 9999"));
            textElement("date", formatDate(date).toLatin1());
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
        const Value::Array& items = v.asArray();
        for (const ElementsMadeWhileWriting& made : m_made)
            if (made.array == &items)
                return writeElements(made.count, level, [&made](std::size_t i) { return made.element(i); });
        return writeElements(items.size(), level, [&items](std::size_t i) -> const Value& { return items[i]; });
    }

    // An array's elements, as elementAt gives them (a reference to one held, or one made for the write).
    template <class ElementAt>
    bool writeElements(std::size_t count, int level, const ElementAt& elementAt)
    {
        if (count == 0) {
            emptyElement("array");
            return true;
        }
        m_out.append("<array>");
        for (std::size_t i = 0; i < count; ++i) {
            if (!offerPiece())
                return false;
            newlineAndIndent(level + 1);
            if (!writeValue(elementAt(i), level + 1)) {
                m_path.prepend(QString::number(i));
                return false;
            }
        }
        newlineAndIndent(level);
        m_out.append("</array>");
        return true;
    }

    bool writeDictionary(const Value& v, int level)
    {
        if (!checkDepth(level))
            return false;
        if (v.count() == 0) {
            emptyElement("dict");
            return true;
        }
        m_out.append("<dict>");
        for (const auto& [key, item] : v.asDictionary()) {
            if (!offerPiece())
                return false;
            newlineAndIndent(level + 1);
            KeySlot* slot = writeKey(key);
            if (!slot || (newlineAndIndent(level + 1), !writeEntryValue(*slot, item, level + 1))) {
                m_path.prepend(key);
                return false;
            }
        }
        newlineAndIndent(level);
        m_out.append("</dict>");
        return true;
    }

    // Base64 in lines at the tag's own indentation, as Apple's writer lays it out.
    void writeData(const QByteArray& data, int level)
    {
        const QByteArray base64 = data.toBase64();
        const qsizetype lineLength = std::max<qsizetype>(16, (76 - 8 * level) / 4 * 4);
        m_out.append("<data>");
        for (qsizetype i = 0; i < base64.size(); i += lineLength) {
            newlineAndIndent(level);
            m_out.append(base64.constData() + i, static_cast<std::size_t>(std::min(lineLength, base64.size() - i)));
        }
        newlineAndIndent(level);
        m_out.append("</data>");
    }

    Output m_out;
    std::span<const ElementsMadeWhileWriting> m_made;
    struct KeySlot {
        QString key;
        std::string bytes;
        Value value; // the last value written under the key, where kept, and its bytes
        std::string valueBytes;
    };
    // Made at the first key: settings check single values through here.
    std::unique_ptr<std::array<KeySlot, 256>> m_keys; // 2^8 slots, as indexed
    QString m_error;
    bool m_refused = false; // by the sink
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
            return fail(m_leftOut);
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
                if (!plist::isXmlText(text)) {
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
            if (!plist::trimmedXml(text).isEmpty())
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
        const QStringView s = plist::trimmedXml(text);
        std::int64_t value = 0;
        switch (plist::parseInteger(s, value)) {
        case plist::NumberRead::Ok:
            out = Value(value);
            return Step::Ok;
        case plist::NumberRead::OutOfRange:
            // Left out rather than failing the read, as non-finite reals are; at the top it is an error.
            m_leftOut = QStringLiteral("<integer> %1 is outside the signed and unsigned 64-bit ranges").arg(s);
            qWarning("property list: line %lld: %s, left out", static_cast<long long>(m_xml.lineNumber()),
                     qUtf8Printable(m_leftOut));
            return Step::Dropped;
        default:
            return failStep(QStringLiteral("<integer> \"%1\" is not a number").arg(s));
        }
    }

    Step readReal(const QString& text, Value& out)
    {
        double value = 0;
        switch (plist::parseReal(text, value)) {
        case plist::NumberRead::Ok:
            out = Value(value);
            return Step::Ok;
        case plist::NumberRead::NonFinite:
            m_leftOut = QStringLiteral("the root value is a non-finite real");
            qWarning("property list: line %lld: the non-finite real \"%s\" is left out",
                     static_cast<long long>(m_xml.lineNumber()), qUtf8Printable(plist::trimmedXml(text).toString()));
            return Step::Dropped;
        default:
            return failStep(QStringLiteral("<real> \"%1\" is not a number").arg(plist::trimmedXml(text)));
        }
    }

    Step readData(const QString& text, Value& out)
    {
        std::optional<QByteArray> decoded = plist::parseData(text);
        if (!decoded)
            return failStep(QStringLiteral("<data> is not base64"));
        out = Value(std::move(*decoded));
        return Step::Ok;
    }

    Step readDate(const QString& text, Value& out)
    {
        const std::optional<QDateTime> date = plist::parseDate(text);
        if (!date)
            return failStep(QStringLiteral("<date> \"%1\" is not an ISO 8601 UTC date").arg(plist::trimmedXml(text)));
        out = Value(*date);
        return Step::Ok;
    }

    QXmlStreamReader m_xml;
    QString m_leftOut; // why the last value left out was left out
    QString m_error;
};

} // namespace

PropertyListReadResult readPropertyList(const QByteArray& xml)
{
    if (xml.startsWith("bplist"))
        return {std::nullopt, QStringLiteral("binary property lists are not supported, only XML")};
    if (xml.trimmed().isEmpty())
        return {std::nullopt, QStringLiteral("the property list is empty")};
    // Almost every file is in the form writers produce: read that straight from the bytes, anything else
    // (and every fault) through the general XML reader.
    if (std::optional<Value> plain = plist::readPlainPropertyList(xml))
        return {std::move(plain), QString()};
    return plist::readXmlPropertyList(xml);
}

PropertyListReadResult plist::readXmlPropertyList(const QByteArray& xml)
{
    Reader reader(xml);
    std::optional<Value> value = reader.readDocument();
    if (!value)
        return {std::nullopt, reader.error()};
    return {std::move(value), QString()};
}

PropertyListWriteResult writePropertyList(const Value& root)
{
    Writer writer;
    if (!writer.writeDocument(root))
        return {std::nullopt, writer.error()};
    return {writer.take(), QString()};
}

bool writePropertyList(const Value& root, const ByteSink& sink, QString* error)
{
    return writePropertyList(root, sink, error, {});
}

bool writePropertyList(const Value& root, const ByteSink& sink, QString* error,
                       std::span<const ElementsMadeWhileWriting> made)
{
    Writer writer(&sink, made);
    if (writer.writeDocument(root) && writer.flush())
        return true;
    if (error)
        *error = writer.error();
    return false;
}

} // namespace pf
