#include "platform/foundation/Value.h"

#include "platform/foundation/RealText.h"

#include <QDebug>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <ostream>
#include <stdexcept>
#include <string>

namespace pf {

namespace {

constexpr double two63 = 9223372036854775808.0; // 2^63, exact in a double
constexpr double two64 = 18446744073709551616.0;

// Truncates toward zero, saturating: a conversion of an out-of-range double is undefined behaviour.
std::int64_t truncateToInt64(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= two63)
        return std::numeric_limits<std::int64_t>::max();
    if (d < -two63)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(d);
}

int saturateToInt(std::int64_t i)
{
    if (i > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (i < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(i);
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Index of the first character after leading white space.
qsizetype skipSpace(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    return i;
}

// NSString doubleValue: the longest decimal prefix after white space, in the C locale.
double stringDoubleValue(const QString& s)
{
    qsizetype i = skipSpace(s);
    // Only these characters can be part of a decimal number; the parser then takes the longest prefix.
    std::string text;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (!(isAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.' || c == u'e' || c == u'E'))
            break;
        text.push_back(static_cast<char>(c.unicode()));
    }
    std::size_t start = 0;
    bool negative = false;
    if (start < text.size() && (text[start] == '+' || text[start] == '-')) {
        negative = text[start] == '-';
        ++start;
    }
    if (start >= text.size() || text[start] == '+' || text[start] == '-')
        return 0; // from_chars would take a second sign
    double value = 0;
    return detail::parseDouble(text.data() + start, text.data() + text.size(), value) ? (negative ? -value : value)
                                                                                     : 0;
}

// NSString integerValue: leading digits after white space and an optional sign, saturated.
std::int64_t stringIntegerValue(const QString& s)
{
    qsizetype i = skipSpace(s);
    bool negative = false;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    // Accumulated as a negative number so that the minimum fits.
    std::int64_t value = 0;
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    for (; i < s.size() && isAsciiDigit(s.at(i)); ++i) {
        const int digit = s.at(i).unicode() - u'0';
        if (value < (min + digit) / 10) {
            value = min;
            break;
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == min ? std::numeric_limits<std::int64_t>::max() : -value;
}

// NSString boolValue.
bool stringBoolValue(const QString& s)
{
    qsizetype i = skipSpace(s);
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-'))
        ++i;
    while (i < s.size() && s.at(i) == u'0')
        ++i;
    if (i >= s.size())
        return false;
    const QChar c = s.at(i);
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

// An integer equals a real only when the real is exactly that whole number.
bool integerEqualsReal(std::int64_t i, double d)
{
    if (!(d >= -two63 && d < two63) || d != std::trunc(d))
        return false;
    return static_cast<std::int64_t>(d) == i;
}

const Value& nullValue()
{
    static const Value null;
    return null;
}

} // namespace

namespace detail {

bool parseDouble(const char* begin, const char* end, double& value, const char** stop)
{
    if (stop)
        *stop = begin;
    if (begin == end || !((*begin >= '0' && *begin <= '9') || *begin == '.'))
        return false;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (stop)
        *stop = result.ptr;
    if (result.ec == std::errc::invalid_argument)
        return false;
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars reports overflow and underflow alike; strtod in the C locale tells infinity from
        // zero (or a denormal).
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        const std::string text(begin, result.ptr);
        value = strtod_l(text.c_str(), nullptr, cLocale);
    }
    return true;
}

QString formatReal(double d)
{
    char buffer[64];
    const char* end = putShortestReal(buffer, buffer + sizeof buffer, d);
    return QString::fromLatin1(buffer, end - buffer);
}

} // namespace detail

bool Value::boolValue() const
{
    switch (type()) {
    case Type::Bool:
        return std::get<bool>(m_v);
    case Type::Integer:
        return std::get<std::int64_t>(m_v) != 0;
    case Type::Real:
        return std::get<double>(m_v) != 0;
    case Type::String:
        return stringBoolValue(std::get<QString>(m_v));
    default:
        return false;
    }
}

std::int64_t Value::integerValue() const
{
    switch (type()) {
    case Type::Bool:
        return std::get<bool>(m_v) ? 1 : 0;
    case Type::Integer:
        return std::get<std::int64_t>(m_v);
    case Type::Real:
        return truncateToInt64(std::get<double>(m_v));
    case Type::String:
        return stringIntegerValue(std::get<QString>(m_v));
    default:
        return 0;
    }
}

std::uint64_t Value::unsignedIntegerValue() const
{
    if (isReal()) {
        const double d = std::get<double>(m_v);
        if (d >= two64)
            return std::numeric_limits<std::uint64_t>::max();
        if (d >= 0)
            return static_cast<std::uint64_t>(d);
    }
    return static_cast<std::uint64_t>(integerValue());
}

int Value::intValue() const { return saturateToInt(integerValue()); }

double Value::doubleValue() const
{
    switch (type()) {
    case Type::Bool:
        return std::get<bool>(m_v) ? 1 : 0;
    case Type::Integer:
        return static_cast<double>(std::get<std::int64_t>(m_v));
    case Type::Real:
        return std::get<double>(m_v);
    case Type::String:
        return stringDoubleValue(std::get<QString>(m_v));
    default:
        return 0;
    }
}

float Value::floatValue() const
{
    const double d = doubleValue();
    if (d > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if (d < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

const QString& Value::asString() const
{
    static const QString none;
    const auto* s = std::get_if<QString>(&m_v);
    return s ? *s : none;
}

const QByteArray& Value::asData() const
{
    static const QByteArray none;
    const auto* d = std::get_if<QByteArray>(&m_v);
    return d ? *d : none;
}

QDateTime Value::asDate() const
{
    const auto* d = std::get_if<QDateTime>(&m_v);
    return d ? *d : QDateTime();
}

const Value::Array& Value::asArray() const
{
    static const Array none;
    const auto* a = std::get_if<ArrayPtr>(&m_v);
    return a ? **a : none;
}

const Value::Dictionary& Value::asDictionary() const
{
    static const Dictionary none;
    const auto* d = std::get_if<DictionaryPtr>(&m_v);
    return d ? **d : none;
}

std::size_t Value::count() const
{
    if (const auto* a = std::get_if<ArrayPtr>(&m_v))
        return (*a)->size();
    if (const auto* d = std::get_if<DictionaryPtr>(&m_v))
        return (*d)->size();
    return 0;
}

const Value& Value::at(std::size_t index) const
{
    const Array& a = asArray();
    return index < a.size() ? a[index] : nullValue();
}

const Value& Value::objectForKey(QAnyStringView key) const
{
    const auto* d = std::get_if<DictionaryPtr>(&m_v);
    if (!d)
        return nullValue();
    const auto it = (*d)->find(key);
    return it != (*d)->end() ? it->second : nullValue();
}

std::uint64_t Value::unsignedIntegerForKey(QAnyStringView key) const
{
    return objectForKey(key).unsignedIntegerValue();
}

Value::Array& Value::mutableArray()
{
    if (isNull())
        m_v = std::make_shared<Array>();
    auto* a = std::get_if<ArrayPtr>(&m_v);
    if (!a)
        throw std::logic_error("pf::Value::append on a value that is not an array");
    if (a->use_count() > 1)
        *a = std::make_shared<Array>(**a);
    return **a;
}

Value::Dictionary& Value::mutableDictionary()
{
    if (isNull())
        m_v = std::make_shared<Dictionary>();
    auto* d = std::get_if<DictionaryPtr>(&m_v);
    if (!d)
        throw std::logic_error("pf::Value::set or remove on a value that is not a dictionary");
    if (d->use_count() > 1)
        *d = std::make_shared<Dictionary>(**d);
    return **d;
}

void Value::set(const QString& key, Value value)
{
    if (value.isNull()) {
        remove(key);
        return;
    }
    mutableDictionary().insert_or_assign(key, std::move(value));
}

void Value::remove(QAnyStringView key)
{
    // Looked up first, so that removing an absent key does not copy a shared dictionary.
    if (isNull() || (isDictionary() && objectForKey(key).isNull()))
        return;
    Dictionary& d = mutableDictionary();
    d.erase(key);
}

void Value::append(Value value) { mutableArray().push_back(std::move(value)); }

bool operator==(const Value& a, const Value& b)
{
    using Type = Value::Type;
    const Type ta = a.type();
    const Type tb = b.type();
    if (ta == Type::Integer && tb == Type::Real)
        return integerEqualsReal(std::get<std::int64_t>(a.m_v), std::get<double>(b.m_v));
    if (ta == Type::Real && tb == Type::Integer)
        return integerEqualsReal(std::get<std::int64_t>(b.m_v), std::get<double>(a.m_v));
    if (ta != tb)
        return false;
    switch (ta) {
    case Type::Array: {
        const auto& pa = std::get<Value::ArrayPtr>(a.m_v);
        const auto& pb = std::get<Value::ArrayPtr>(b.m_v);
        return pa == pb || *pa == *pb;
    }
    case Type::Dictionary: {
        const auto& pa = std::get<Value::DictionaryPtr>(a.m_v);
        const auto& pb = std::get<Value::DictionaryPtr>(b.m_v);
        return pa == pb || *pa == *pb;
    }
    default:
        return a.m_v == b.m_v;
    }
}

namespace {

QString quoted(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out + u'"';
}

void describe(const Value& v, int indent, QString& out)
{
    const QString pad(indent * 4, u' ');
    const QString innerPad((indent + 1) * 4, u' ');
    switch (v.type()) {
    case Value::Type::Null:
        out += QStringLiteral("(null)");
        break;
    case Value::Type::Bool:
        out += v.boolValue() ? QStringLiteral("true") : QStringLiteral("false");
        break;
    case Value::Type::Integer:
        out += QString::number(v.integerValue());
        break;
    case Value::Type::Real:
        out += detail::formatReal(v.doubleValue());
        break;
    case Value::Type::String:
        out += quoted(v.asString());
        break;
    case Value::Type::Data: {
        const QByteArray hex = v.asData().toHex();
        out += u'<';
        for (qsizetype i = 0; i < hex.size(); i += 8) {
            if (i > 0)
                out += u' ';
            out += QString::fromLatin1(hex.mid(i, 8));
        }
        out += u'>';
        break;
    }
    case Value::Type::Date:
        out += v.asDate().toString(Qt::ISODateWithMs);
        break;
    case Value::Type::Array:
        out += QStringLiteral("(\n");
        for (std::size_t i = 0; i < v.count(); ++i) {
            out += innerPad;
            describe(v.at(i), indent + 1, out);
            out += i + 1 < v.count() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += pad + u')';
        break;
    case Value::Type::Dictionary:
        out += QStringLiteral("{\n");
        for (const auto& [key, item] : v.asDictionary()) {
            out += innerPad + quoted(key) + QStringLiteral(" = ");
            describe(item, indent + 1, out);
            out += QStringLiteral(";\n");
        }
        out += pad + u'}';
        break;
    }
}

} // namespace

QString Value::description() const
{
    QString out;
    describe(*this, 0, out);
    return out;
}

QDebug operator<<(QDebug debug, const Value& value)
{
    QDebugStateSaver saver(debug);
    debug.noquote() << value.description();
    return debug;
}

void PrintTo(const Value& value, std::ostream* os) { *os << value.description().toStdString(); }

} // namespace pf
