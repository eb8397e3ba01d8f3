#include "platform/foundation/PropertyListText.h"

#include <QDate>
#include <QTime>

#include <array>
#include <cstring>
#include <deque>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>

namespace pf::plist {

QStringView trimmedXml(QStringView s)
{
    while (!s.isEmpty() && isXmlSpace(s.front().unicode()))
        s = s.mid(1);
    while (!s.isEmpty() && isXmlSpace(s.back().unicode()))
        s.chop(1);
    return s;
}

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

NumberRead parseInteger(QStringView text, std::int64_t& result)
{
    const QStringView s = trimmedXml(text);
    qsizetype i = 0;
    const bool negative = !s.isEmpty() && s[0] == u'-';
    if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+'))
        ++i;
    if (i == s.size())
        return NumberRead::NotANumber;
    // The magnitude, up to the unsigned 64-bit maximum.
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    bool overflow = false;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return NumberRead::NotANumber;
        const unsigned digit = c - u'0';
        if (magnitude > (max - digit) / 10)
            overflow = true; // the digits are still checked: "1e99" is no number at all
        else
            magnitude = magnitude * 10 + digit;
    }
    constexpr std::uint64_t minMagnitude = std::uint64_t{1} << 63;
    if (overflow || (negative && magnitude > minMagnitude))
        return NumberRead::OutOfRange;
    // Unsigned values above the signed range keep their 64 bits, as the platform's numbers do.
    result = static_cast<std::int64_t>(negative ? std::uint64_t{0} - magnitude : magnitude);
    return NumberRead::Ok;
}

NumberRead parseReal(QStringView text, double& result)
{
    QStringView s = trimmedXml(text);
    bool negative = false;
    if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
        negative = s[0] == u'-';
        s = s.mid(1);
    }
    // Only words start with a letter: the common number skips the comparisons.
    const char16_t first = s.isEmpty() ? 0 : (s[0].unicode() | 0x20);
    if ((first == u'n' || first == u'i')
        && (s.compare(u"nan", Qt::CaseInsensitive) == 0 || s.compare(u"inf", Qt::CaseInsensitive) == 0
            || s.compare(u"infinity", Qt::CaseInsensitive) == 0))
        return NumberRead::NonFinite;
    char small[64];
    std::string large;
    char* ascii = small;
    if (s.size() > static_cast<qsizetype>(sizeof small)) {
        large.resize(static_cast<std::size_t>(s.size()));
        ascii = large.data();
    }
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].unicode() >= 0x80)
            return NumberRead::NotANumber;
        ascii[i] = static_cast<char>(s[i].unicode());
    }
    double value = 0;
    const char* stop = nullptr;
    if (!detail::parseDouble(ascii, ascii + s.size(), value, &stop) || stop != ascii + s.size())
        return NumberRead::NotANumber;
    if (!std::isfinite(value))
        return NumberRead::NonFinite;
    result = negative ? -value : value;
    return NumberRead::Ok;
}

std::optional<QByteArray> parseData(QStringView text)
{
    QByteArray base64;
    base64.reserve(text.size());
    for (const QChar c : text) {
        if (isXmlSpace(c.unicode()))
            continue;
        if (c.unicode() >= 0x80)
            return std::nullopt;
        base64.append(static_cast<char>(c.unicode()));
    }
    auto decoded =
        QByteArray::fromBase64Encoding(base64, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(*decoded);
}

// YYYY-MM-DDTHH:MM:SS, optional fraction (kept to the millisecond), Z.
std::optional<QDateTime> parseDate(QStringView text)
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
    bool ok = number(4, year) && literal(u'-') && number(2, month) && literal(u'-') && number(2, day) && literal(u'T')
        && number(2, hour) && literal(u':') && number(2, minute) && literal(u':') && number(2, second);
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
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

// ------------------------------------------------------------------------------------------- fast path

namespace {

// Reads the plain form from the bytes, or gives up (returns false) at the first thing outside it: the
// general reader then decides. So nothing here reports a fault, and whatever is accepted must read exactly
// as the general reader would read it.
class PlainReader {
public:
    explicit PlainReader(const QByteArray& xml) : m_p(xml.constData()), m_end(xml.constData() + xml.size()) {}

    std::optional<Value> read()
    {
        skip("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") || skip("<?xml version=\"1.0\"?>");
        skipSpace();
        if (skip("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"))
            skipSpace();
        if (!(skip("<plist version=\"1.0\">") || skip("<plist>")))
            return std::nullopt;
        skipSpace();
        Value root;
        if (!readValue(root, 1))
            return std::nullopt;
        skipSpace();
        if (!skip("</plist>"))
            return std::nullopt;
        skipSpace();
        if (m_p != m_end)
            return std::nullopt;
        return root;
    }

private:
    enum class Tag { Dict, Array, Key, String, Integer, Real, True, False, Data, Date, Other };

    bool skip(std::string_view literal)
    {
        if (static_cast<std::size_t>(m_end - m_p) < literal.size())
            return false;
        // Tags are short: compared inline rather than by a call.
        for (std::size_t i = 0; i < literal.size(); ++i)
            if (m_p[i] != literal[i])
                return false;
        m_p += literal.size();
        return true;
    }

    void skipSpace()
    {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
    }

    static Tag tagNamed(std::string_view name)
    {
        switch (name.size()) {
        case 3:
            return name == "key" ? Tag::Key : Tag::Other;
        case 4:
            return name == "dict" ? Tag::Dict : name == "real" ? Tag::Real : name == "true" ? Tag::True
                : name == "data"                                                   ? Tag::Data
                : name == "date"                                                   ? Tag::Date
                                                                                   : Tag::Other;
        case 5:
            return name == "array" ? Tag::Array : name == "false" ? Tag::False : Tag::Other;
        case 6:
            return name == "string" ? Tag::String : Tag::Other;
        case 7:
            return name == "integer" ? Tag::Integer : Tag::Other;
        default:
            return Tag::Other;
        }
    }

    // A start tag at the cursor: "<name>", "<name/>", with optional white space before the end.
    bool startTag(Tag& tag, std::string_view& name, bool& empty)
    {
        if (m_p == m_end || *m_p != '<')
            return false;
        const char* begin = ++m_p;
        while (m_p != m_end && *m_p >= 'a' && *m_p <= 'z')
            ++m_p;
        name = std::string_view(begin, static_cast<std::size_t>(m_p - begin));
        tag = tagNamed(name);
        if (tag == Tag::Other)
            return false;
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n'))
            ++m_p;
        empty = skip("/>");
        return empty || skip(">");
    }

    // An end tag at the cursor; the cursor stays where it was when there is none.
    bool endTag(std::string_view name)
    {
        const char* start = m_p;
        if (skip("</") && skip(name)) {
            while (m_p != m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n'))
                ++m_p;
            if (skip(">"))
                return true;
        }
        m_p = start;
        return false;
    }

    // A dictionary's value at the cursor, after the key in `keySlot` of the key table (or none). Many
    // values repeat from dictionary to dictionary under the same key (flags, zeros, colours, kinds): the
    // element that followed the key last time is tried first, by its bytes. A leaf element reads the same
    // from the same bytes wherever it stands, so that is exact.
    bool readEntryValue(Value& item, std::uint32_t keySlot, int depth)
    {
        if (keySlot == noSlot)
            return readValue(item, depth);
        KeySlot& key = m_keys[keySlot];
        const std::size_t n = key.valueText.size();
        if (n != 0 && static_cast<std::size_t>(m_end - m_p) >= n && std::memcmp(m_p, key.valueText.data(), n) == 0) {
            m_p += n;
            item = key.value;
            return true;
        }
        const char* start = m_p;
        if (!readValue(item, depth))
            return false;
        if (isLeaf(item) && m_p - start <= 96) {
            key.valueText = std::string_view(start, static_cast<std::size_t>(m_p - start));
            key.value = item;
        } else {
            key.valueText = {};
        }
        return true;
    }

    static bool isLeaf(const Value& v) { return v.type() != Value::Type::Dictionary && v.type() != Value::Type::Array; }

    // A leaf element's content up to its end tag, decoded; null when empty, as the general reader gives it.
    // Keys and short strings are shared (keys from a table of their own); `slot` is given the key's slot.
    enum class Intern { No, Key, String };

    bool readText(std::string_view name, bool empty, QString& text, Intern intern, std::uint32_t* slot = nullptr)
    {
        std::string_view raw;
        bool plain = true;
        if (!readRaw(name, empty, raw, plain))
            return false;
        if (raw.empty())
            return true;
        if (!plain)
            return decode(raw, text);
        if (intern != Intern::No && raw.size() <= 48) {
            if (intern == Intern::String) {
                text = m_strings[internedSlot(m_strings, raw)].string;
                return true;
            }
            const std::uint32_t at = internedSlot(m_keys, raw);
            if (slot)
                *slot = at;
            text = m_keys[at].string;
            return true;
        }
        text = QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
        return true;
    }

    // A leaf element's content up to its end tag as it stands in the bytes; plain when it needs no
    // decoding (printable ASCII without markup).
    bool readRaw(std::string_view name, bool empty, std::string_view& raw, bool& plain)
    {
        raw = {};
        plain = true;
        if (empty)
            return true;
        const char* begin = m_p;
        while (m_p != m_end && textByte[static_cast<unsigned char>(*m_p)] == Plain)
            ++m_p;
        while (m_p != m_end && *m_p != '<') {
            plain = false;
            ++m_p;
        }
        raw = std::string_view(begin, static_cast<std::size_t>(m_p - begin));
        return endTag(name);
    }

    enum ByteKind : unsigned char { Plain, Other };
    // What may stand in plain text: printable ASCII but '<', '&' and '>'.
    static constexpr std::array<ByteKind, 256> textByte = [] {
        std::array<ByteKind, 256> kinds{};
        for (int c = 0; c < 256; ++c)
            kinds[c] = c < 0x20 || c >= 0x80 || c == '<' || c == '&' || c == '>' ? Other : Plain;
        return kinds;
    }();

    struct InternSlot {
        std::string_view text; // in the bytes being read
        QString string;
    };
    static constexpr std::uint32_t noSlot = ~std::uint32_t(0);
    // A key's slot also remembers what followed the key last time.
    struct KeySlot : InternSlot {
        std::uint32_t next = noSlot; // the next key's slot
        std::string_view valueText;  // the element of the key's plain value
        Value value;                 // and what it read as
        std::string_view entryText;  // the whole next entry, when its value was plain
        QString entryKey;            // and what it read as (the next key's slot may have been taken since)
        Value entryValue;
    };
    // Per depth: the slot of the first key and the size of the last dictionary read there.
    struct Depth {
        std::uint32_t firstKey = noSlot;
        std::size_t entryCount = 0;
    };

    // A dictionary's key at the cursor. Dictionaries of one kind repeat their keys in one order: the key
    // that followed the previous one last time (`expected`, a slot of the key table) is tried first, by
    // its bytes, before the general reading. Gives in `expected` the slot of the key read (or none).
    bool readKey(QString& key, std::uint32_t& expected)
    {
        if (expected != noSlot) {
            const std::string_view text = m_keys[expected].text;
            const std::size_t n = text.size();
            if (static_cast<std::size_t>(m_end - m_p) >= n + 11 && std::memcmp(m_p, "<key>", 5) == 0
                && std::memcmp(m_p + 5, text.data(), n) == 0 && std::memcmp(m_p + 5 + n, "</key>", 6) == 0) {
                m_p += n + 11;
                key = m_keys[expected].string;
                return true;
            }
        }
        expected = noSlot;
        Tag tag{};
        std::string_view name;
        bool empty = false;
        if (!startTag(tag, name, empty) || tag != Tag::Key)
            return false;
        return readText(name, empty, key, Intern::Key, &expected);
    }

    // Keys and short strings repeat throughout a document: one copy of each is shared, from a table
    // indexed by a hash of the text, a newcomer taking the slot of whatever was there. Keys have a table
    // of their own, so that strings that do not repeat (frames, titles) never displace them: every
    // dictionary of a kind then shares the same few key strings.
    template <class Slot>
    static std::uint32_t internedSlot(std::vector<Slot>& table, std::string_view raw)
    {
        if (table.empty())
            table.resize(1024);
        const std::size_t n = raw.size();
        std::uint64_t h = n * 0x9E3779B97F4A7C15ull;
        if (n >= 8) {
            std::uint64_t first = 0;
            std::uint64_t last = 0;
            std::memcpy(&first, raw.data(), 8);
            std::memcpy(&last, raw.data() + n - 8, 8);
            h ^= first * 0xC2B2AE3D27D4EB4Full;
            h = (h ^ (h >> 31)) * 0x165667B19E3779F9ull;
            h ^= last * 0x9E3779B185EBCA87ull;
        } else {
            for (const char c : raw)
                h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
        }
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        const auto at = static_cast<std::uint32_t>(h >> 54);
        Slot& slot = table[at];
        if (slot.text.size() != raw.size() || std::memcmp(slot.text.data(), raw.data(), n) != 0) {
            slot.text = raw;
            slot.string = QString::fromLatin1(raw.data(), static_cast<qsizetype>(n));
        }
        return at;
    }

    // Text with entities, line breaks, tabs or UTF-8. Gives up on anything a reader must normalise or
    // refuse: carriage returns, controls, "]]>", malformed UTF-8, code points XML excludes, C1 controls and
    // non-characters (which the plain form never needs), and entities other than the predefined five and
    // character references.
    bool decode(std::string_view raw, QString& text)
    {
        if (raw.find("]]>") != std::string_view::npos)
            return false;
        std::u16string out;
        out.reserve(raw.size());
        const auto* s = reinterpret_cast<const unsigned char*>(raw.data());
        const auto* end = s + raw.size();
        while (s != end) {
            const unsigned char c = *s;
            char32_t u = 0;
            if (c == '&') {
                const auto* semi = std::find(s, end, ';');
                if (semi == end)
                    return false;
                const std::string_view entity(reinterpret_cast<const char*>(s + 1), static_cast<std::size_t>(semi - s - 1));
                if (entity == "lt")
                    u = '<';
                else if (entity == "gt")
                    u = '>';
                else if (entity == "amp")
                    u = '&';
                else if (entity == "quot")
                    u = '"';
                else if (entity == "apos")
                    u = '\'';
                else if (!characterReference(entity, u))
                    return false;
                s = semi + 1;
            } else if (c < 0x80) {
                if (c < 0x20 && c != '\t' && c != '\n')
                    return false;
                u = c;
                ++s;
            } else {
                const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
                if (length == 0 || end - s < length)
                    return false;
                u = c & (0x7F >> length);
                for (int k = 1; k < length; ++k) {
                    if ((s[k] & 0xC0) != 0x80)
                        return false;
                    u = (u << 6) | (s[k] & 0x3F);
                }
                const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
                if (u < least[length] || !allowed(u))
                    return false;
                s += length;
            }
            if (u >= 0x10000) {
                out.push_back(QChar::highSurrogate(u));
                out.push_back(QChar::lowSurrogate(u));
            } else {
                out.push_back(static_cast<char16_t>(u));
            }
        }
        text = QString(reinterpret_cast<const QChar*>(out.data()), static_cast<qsizetype>(out.size()));
        return true;
    }

    static bool allowed(char32_t u)
    {
        if (u < 0xA0)
            return u == '\t' || u == '\n' || u == '\r' || (u >= 0x20 && u < 0x7F);
        if (u >= 0xD800 && u <= 0xDFFF)
            return false;
        if (u >= 0xFDD0 && u <= 0xFDEF)
            return false;
        return (u & 0xFFFE) != 0xFFFE && u <= 0x10FFFF;
    }

    // "#13" or "#x0D".
    static bool characterReference(std::string_view entity, char32_t& u)
    {
        if (entity.size() < 2 || entity[0] != '#')
            return false;
        const bool hex = entity[1] == 'x';
        const std::string_view digits = entity.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7)
            return false;
        std::uint32_t value = 0;
        for (const char c : digits) {
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0)
                return false;
            value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        }
        u = value;
        return allowed(u);
    }

    bool readValue(Value& out, int depth)
    {
        Tag tag{};
        std::string_view name;
        bool empty = false;
        if (!startTag(tag, name, empty))
            return false;
        switch (tag) {
        case Tag::Dict:
            return readDictionary(out, empty, depth);
        case Tag::Array:
            return readArray(out, empty, depth);
        case Tag::String: {
            QString text;
            if (!readText(name, empty, text, Intern::String))
                return false;
            out = Value(std::move(text));
            return true;
        }
        case Tag::True:
        case Tag::False:
            if (!empty) {
                skipSpace();
                if (!endTag(name))
                    return false;
            }
            out = Value(tag == Tag::True);
            return true;
        case Tag::Integer:
        case Tag::Real:
        case Tag::Data:
        case Tag::Date:
            return readLeaf(tag, name, empty, out);
        case Tag::Key:
        case Tag::Other:
            break;
        }
        return false;
    }

    bool readLeaf(Tag tag, std::string_view name, bool empty, Value& out)
    {
        if (tag == Tag::Integer || tag == Tag::Real) {
            // Numbers are short and plain: widened on the stack rather than into a string of their own.
            const char* start = m_p;
            std::string_view raw;
            bool plain = true;
            if (!readRaw(name, empty, raw, plain))
                return false;
            char16_t units[64];
            if (plain && raw.size() <= std::size(units)) {
                for (std::size_t i = 0; i < raw.size(); ++i)
                    units[i] = static_cast<unsigned char>(raw[i]);
                return readNumber(tag, QStringView(units, static_cast<qsizetype>(raw.size())), out);
            }
            m_p = start;
        }
        QString text;
        if (!readText(name, empty, text, Intern::No))
            return false;
        switch (tag) {
        case Tag::Integer:
        case Tag::Real:
            return readNumber(tag, text, out);
        case Tag::Data: {
            std::optional<QByteArray> data = parseData(text);
            if (!data)
                return false;
            out = Value(std::move(*data));
            return true;
        }
        case Tag::Date: {
            const std::optional<QDateTime> date = parseDate(text);
            if (!date)
                return false;
            out = Value(*date);
            return true;
        }
        default:
            return false;
        }
    }

    static bool readNumber(Tag tag, QStringView text, Value& out)
    {
        if (tag == Tag::Integer) {
            std::int64_t value = 0;
            if (parseInteger(text, value) != NumberRead::Ok)
                return false;
            out = Value(value);
            return true;
        }
        double value = 0;
        if (parseReal(text, value) != NumberRead::Ok)
            return false;
        out = Value(value);
        return true;
    }

    bool readDictionary(Value& out, bool empty, int depth)
    {
        if (depth > propertyListMaxDepth)
            return false;
        // Made at the size of the last dictionary at this depth (a page's shapes share a size), so that
        // the entries are placed once.
        const auto d = static_cast<std::size_t>(depth);
        if (m_depths.size() <= d)
            m_depths.resize(d + 1);
        std::vector<std::pair<QString, Value>> entries;
        entries.reserve(m_depths[d].entryCount);
        if (!empty) {
            bool first = true;
            std::uint32_t previous = noSlot;
            for (;;) {
                // The whole entry that followed the previous key last time, white space, key and value, is
                // tried first by its bytes (from the same bytes the general reading reads the same).
                if (previous != noSlot) {
                    const KeySlot& before = m_keys[previous];
                    const std::size_t n = before.entryText.size();
                    if (n != 0 && static_cast<std::size_t>(m_end - m_p) >= n
                        && std::memcmp(m_p, before.entryText.data(), n) == 0) {
                        m_p += n;
                        entries.emplace_back(before.entryKey, before.entryValue);
                        previous = before.next;
                        continue;
                    }
                }
                const char* entryStart = m_p;
                skipSpace();
                if (endTag("dict"))
                    break;
                QString key;
                std::uint32_t slot = first ? m_depths[d].firstKey : previous != noSlot ? m_keys[previous].next : noSlot;
                if (!readKey(key, slot))
                    return false;
                skipSpace();
                Value item;
                if (!readEntryValue(item, slot, depth + 1))
                    return false;
                if (first) {
                    m_depths[d].firstKey = slot;
                } else if (previous != noSlot) {
                    KeySlot& before = m_keys[previous];
                    before.next = slot;
                    before.entryText = {};
                    if (slot != noSlot && isLeaf(item) && m_p - entryStart <= 160) {
                        before.entryText = std::string_view(entryStart, static_cast<std::size_t>(m_p - entryStart));
                        before.entryKey = key;
                        before.entryValue = item;
                    }
                }
                first = false;
                previous = slot;
                entries.emplace_back(std::move(key), std::move(item));
            }
        }
        // Writers sort their keys, so the entries are almost always in order already; a repeated key
        // keeps its last value.
        m_depths[d].entryCount = entries.size();
        out = Value(Value::Dictionary::fromEntries(std::move(entries)));
        return true;
    }

    // The items of the arrays being read, one list per depth, kept from array to array so that each array
    // is made once at its final size (arrays vary in size more than dictionaries).
    template <class T>
    static std::vector<T>& scratch(std::deque<std::vector<T>>& lists, int depth)
    {
        while (lists.size() <= static_cast<std::size_t>(depth))
            lists.emplace_back();
        auto& list = lists[static_cast<std::size_t>(depth)];
        list.clear();
        return list;
    }

    template <class T>
    static std::vector<T> taken(std::vector<T>& list)
    {
        std::vector<T> items(std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
        list.clear();
        return items;
    }

    bool readArray(Value& out, bool empty, int depth)
    {
        if (depth > propertyListMaxDepth)
            return false;
        auto& items = scratch(m_itemScratch, depth);
        if (!empty) {
            for (;;) {
                skipSpace();
                if (endTag("array"))
                    break;
                Value item;
                if (!readValue(item, depth + 1))
                    return false;
                items.push_back(std::move(item));
            }
        }
        out = Value(taken(items));
        return true;
    }

    const char* m_p;
    const char* m_end;
    std::vector<KeySlot> m_keys;
    std::vector<InternSlot> m_strings;
    std::vector<Depth> m_depths;
    std::deque<std::vector<Value>> m_itemScratch;
};

} // namespace

std::optional<Value> readPlainPropertyList(const QByteArray& xml)
{
    return PlainReader(xml).read();
}

} // namespace pf::plist
