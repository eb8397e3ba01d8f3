// A property-list value: null, bool, integer, real, string, data, date, array or dictionary.
//
// Documents, the clipboard and the user defaults are trees of these. Copies are cheap: strings and data
// are Qt's implicitly shared types, arrays and dictionaries are shared and copied only when a copy that
// shares them is changed. Safe to copy and read from several threads; a single Value is not changed from
// two threads at once.
//
// Typed reads follow the Cocoa messages the model sends to the objects of a property list, with one rule
// that makes stored data safe to read: a value of the wrong kind reads as absent. So an absent key and a
// number where a string belongs both read as a null string, NO, 0 or 0.0; nothing throws or crashes.
//
//   number reads   boolValue / integerValue / unsignedIntegerValue / intValue / doubleValue / floatValue
//                  answer for bools, integers, reals and strings (a string is parsed, see below);
//                  any other kind reads 0.
//   kind reads     asString / asData / asDate / asArray / asDictionary answer the value only when it is
//                  of that kind, else a null string, null data, an invalid date or an empty container.
//
// In use:
//   for (const pf::Value& child : page.arrayForKey("children")) {
//       const QString& kind = child.stringForKey("className");   // null when absent or not a string
//       const double width = child.doubleForKey("strokeWidth");   // 0 when absent; "2.5" reads 2.5
//   }
//   pf::Value shape;                                             // null; set() makes it a dictionary
//   shape.set(QStringLiteral("locked"), true);
//
// Strings read as numbers in the C locale, after leading white space, with an optional sign:
//   doubleValue   the longest decimal prefix ("12.5e1kg" -> 125, "abc" -> 0); a prefix too large for a
//                 double reads as +/-infinity, too small as 0; "inf" and "nan" are not numbers.
//   integerValue  the leading digits ("12.9" -> 12, "-7x" -> -7), saturated to the 64-bit range.
//   boolValue     YES when, after white space, an optional sign and leading zeros, the next character is
//                 Y, y, T, t or a digit 1-9 ("YES", "true", "1", "-5", "007" are YES; "0.5", "NO" are NO).
// Reals read as integers are truncated toward zero and saturated to the target's range (NaN reads 0);
// integers read as int are saturated too. unsignedIntegerValue saturates a non-negative real to the
// unsigned range and otherwise reinterprets the 64-bit integer read, as NSNumber does for negative numbers.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <type_traits>
#include <variant>
#include <vector>

class QDebug;

namespace pf {

class Value;

// Orders dictionary keys by UTF-16 code units, and lets a lookup use any string view without a copy.
struct ValueKeyLess {
    using is_transparent = void;
    bool operator()(QAnyStringView a, QAnyStringView b) const
    {
        return a.visit([b](auto va) { return b.visit([va](auto vb) { return less(va, vb); }); });
    }

private:
    // Unit by unit, inline: every key read of a document goes through here. UTF-8 beyond ASCII is left to
    // Qt, as its units are not UTF-16 units.
    template <class A, class B>
    static bool less(A a, B b)
    {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t x = unit(a, i);
            const char16_t y = unit(b, i);
            if constexpr (std::is_same_v<A, QUtf8StringView> || std::is_same_v<B, QUtf8StringView>) {
                if (x >= 0x80 || y >= 0x80)
                    return QAnyStringView::compare(a, b) < 0;
            }
            if (x != y)
                return x < y;
        }
        return a.size() < b.size();
    }
    static char16_t unit(QStringView s, qsizetype i) { return s.utf16()[i]; }
    static char16_t unit(QLatin1StringView s, qsizetype i) { return static_cast<unsigned char>(s.data()[i]); }
    static char16_t unit(QUtf8StringView s, qsizetype i) { return static_cast<unsigned char>(s.data()[i]); }
};

class Value {
public:
    enum class Type { Null, Bool, Integer, Real, String, Data, Date, Array, Dictionary };

    using Array = std::vector<Value>;
    // Keys kept sorted, as the property-list writer wants them.
    using Dictionary = std::map<QString, Value, ValueKeyLess>;

    Value() = default;
    Value(bool b) : m_v(b) {}
    // Any integer type; an unsigned value above the signed 64-bit range wraps (stored data never has one).
    template <typename T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
    Value(T i) : m_v(static_cast<std::int64_t>(i))
    {
    }
    Value(double d) : m_v(d) {}
    Value(const QString& s) : m_v(s) {}
    Value(QString&& s) : m_v(std::move(s)) {}
    // UTF-8 text (so that a literal never becomes a bool).
    Value(const char* utf8) : m_v(QString::fromUtf8(utf8)) {}
    // Any other pointer would silently become a bool.
    template <typename T>
    Value(T*) = delete;
    Value(const QByteArray& data) : m_v(data) {}
    // Kept in UTC.
    Value(const QDateTime& date) : m_v(date.toUTC()) {}
    Value(Array a) : m_v(std::make_shared<Array>(std::move(a))) {}
    Value(Dictionary d) : m_v(std::make_shared<Dictionary>(std::move(d))) {}

    static Value array() { return Value(Array{}); }
    static Value dictionary() { return Value(Dictionary{}); }

    Type type() const { return static_cast<Type>(m_v.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Bool; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    // An integer or a real (not a bool).
    bool isNumber() const { return isInteger() || isReal(); }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    // Number reads (see the top of this file).
    bool boolValue() const;
    std::int64_t integerValue() const;
    std::uint64_t unsignedIntegerValue() const;
    int intValue() const;
    double doubleValue() const;
    // Out of float's range reads as +/-infinity, as the hardware conversion gives.
    float floatValue() const;

    // Kind reads: the value when it is of that kind, else empty (see the top of this file).
    const QString& asString() const;
    const QByteArray& asData() const;
    QDateTime asDate() const;
    const Array& asArray() const;
    const Dictionary& asDictionary() const;

    // Elements of an array or entries of a dictionary; 0 for anything else.
    std::size_t count() const;
    // The array's element at index; null when out of range or not an array.
    const Value& at(std::size_t index) const;

    // Dictionary reads: the value for key; null when absent or when this is not a dictionary.
    const Value& objectForKey(QAnyStringView key) const;
    const Value& operator[](QAnyStringView key) const { return objectForKey(key); }
    bool contains(QAnyStringView key) const { return !objectForKey(key).isNull(); }
    bool boolForKey(QAnyStringView key) const { return objectForKey(key).boolValue(); }
    std::int64_t integerForKey(QAnyStringView key) const { return objectForKey(key).integerValue(); }
    std::uint64_t unsignedIntegerForKey(QAnyStringView key) const;
    int intForKey(QAnyStringView key) const { return objectForKey(key).intValue(); }
    double doubleForKey(QAnyStringView key) const { return objectForKey(key).doubleValue(); }
    float floatForKey(QAnyStringView key) const { return objectForKey(key).floatValue(); }
    const QString& stringForKey(QAnyStringView key) const { return objectForKey(key).asString(); }
    const QByteArray& dataForKey(QAnyStringView key) const { return objectForKey(key).asData(); }
    QDateTime dateForKey(QAnyStringView key) const { return objectForKey(key).asDate(); }
    const Array& arrayForKey(QAnyStringView key) const { return objectForKey(key).asArray(); }
    const Dictionary& dictionaryForKey(QAnyStringView key) const { return objectForKey(key).asDictionary(); }

    // Mutation. A null value first becomes an empty dictionary (set) or array (append); calling these on
    // a value of another kind is a programming error and throws std::logic_error. Setting a null value
    // removes the key, as a dictionary holds no nulls.
    void set(const QString& key, Value value);
    void remove(QAnyStringView key);
    void append(Value value);

    // Deep equality. Integers and reals compare by numeric value, exactly (2 == 2.0, but not
    // 9007199254740993 == 9007199254740992.0); a bool equals only a bool; dates compare as instants.
    friend bool operator==(const Value& a, const Value& b);

    // A readable, OpenStep-like text for logs and test failures; not a storage format.
    QString description() const;

private:
    using ArrayPtr = std::shared_ptr<Array>;
    using DictionaryPtr = std::shared_ptr<Dictionary>;
    Array& mutableArray();
    Dictionary& mutableDictionary();

    std::variant<std::monostate, bool, std::int64_t, double, QString, QByteArray, QDateTime, ArrayPtr,
                 DictionaryPtr>
        m_v;
};

QDebug operator<<(QDebug debug, const Value& value);

namespace detail {
// A decimal number at begin in the C locale (no leading sign or white space; "inf" and "nan" are not
// numbers); false when none starts there. A number beyond double's range reads as +/-infinity, one too
// small as 0 or a denormal. *stop is the end of the number.
bool parseDouble(const char* begin, const char* end, double& value, const char** stop = nullptr);
// The shortest text that reads back to the same double ("0.1", "2", "1e+20", "-0").
QString formatReal(double d);
} // namespace detail
// For GoogleTest failure messages.
void PrintTo(const Value& value, std::ostream* os);

} // namespace pf
