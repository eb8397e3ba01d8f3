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
#include <array>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <type_traits>
#include <variant>
#include <vector>

class QDebug;

namespace pf {

class Value;

namespace detail {
// Text kept so that a string can be known as it by address: an owned text shared with the copy never
// changes, so another string with the same characters' address and size holds the same text. Raw data
// (not owned) may change under its address, so it is copied and never matches that way.
inline QString keptText(const QString& text)
{
    return text.data_ptr().isMutable() ? text : QString(text.constData(), text.size());
}
inline bool isKeptText(const QString& text, const QString& kept)
{
    return text.size() == kept.size() && text.constData() == kept.constData();
}
} // namespace detail

// A dictionary of a property list: its entries in one block, sorted by key (as the property-list writer
// wants them), found by binary search. A document holds tens of thousands of small dictionaries; one
// block each is made, searched and freed far faster than a node per entry. The interface is std::map's,
// as far as the code uses it; an insertion or erasure moves the later entries, so it invalidates
// iterators and references into the dictionary.
template <class V>
class SortedDictionary {
public:
    using key_type = QString;
    using mapped_type = V;
    using value_type = std::pair<QString, V>;
    using iterator = typename std::vector<value_type>::iterator;
    using const_iterator = typename std::vector<value_type>::const_iterator;
    using size_type = std::size_t;

    SortedDictionary() = default;
    // As a std::map is made from a list: sorted, the first of repeated keys kept.
    SortedDictionary(std::initializer_list<value_type> entries)
    {
        m_entries.reserve(entries.size());
        for (const value_type& e : entries)
            emplace(e.first, e.second);
    }

    iterator begin() { return m_entries.begin(); }
    iterator end() { return m_entries.end(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    const_iterator cbegin() const { return m_entries.begin(); }
    const_iterator cend() const { return m_entries.end(); }
    size_type size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    void clear() { m_entries.clear(); }
    void reserve(size_type n) { m_entries.reserve(n); }

    iterator lower_bound(QAnyStringView key) { return begin() + search(key).first; }
    const_iterator lower_bound(QAnyStringView key) const { return begin() + search(key).first; }
    iterator find(QAnyStringView key)
    {
        const auto [at, found] = search(key);
        return found ? begin() + at : end();
    }
    const_iterator find(QAnyStringView key) const
    {
        const auto [at, found] = search(key);
        return found ? begin() + at : end();
    }
    size_type count(QAnyStringView key) const { return find(key) != end() ? 1 : 0; }
    bool contains(QAnyStringView key) const { return find(key) != end(); }
    V& at(QAnyStringView key)
    {
        const auto it = find(key);
        if (it == end())
            throw std::out_of_range("pf::Value::Dictionary::at: no such key");
        return it->second;
    }
    const V& at(QAnyStringView key) const { return const_cast<SortedDictionary&>(*this).at(key); }

    // Inserts when the key is absent; the bool says whether it did.
    template <class K, class... Args>
    std::pair<iterator, bool> emplace(K&& key, Args&&... args)
    {
        QString k(std::forward<K>(key));
        const auto it = lower_bound(k);
        if (it != end() && it->first == k)
            return {it, false};
        return {m_entries.emplace(it, std::piecewise_construct, std::forward_as_tuple(std::move(k)),
                                  std::forward_as_tuple(std::forward<Args>(args)...)),
                true};
    }
    std::pair<iterator, bool> insert(value_type entry) { return emplace(std::move(entry.first), std::move(entry.second)); }
    template <class M>
    std::pair<iterator, bool> insert_or_assign(QString key, M&& value)
    {
        return insertOrAssignFrom(lowerIndex(key), std::move(key), std::forward<M>(value));
    }
    // With the place the key is expected before: entries added in sorted order (as a reader meets them)
    // go to the end without a search.
    template <class M>
    iterator insert_or_assign(const_iterator hint, QString key, M&& value)
    {
        const auto at = static_cast<std::size_t>(hint - cbegin());
        const bool fits = (at == 0 || compareUnits(m_entries[at - 1].first, QStringView(key)) < 0)
            && (at == m_entries.size() || compareUnits(m_entries[at].first, QStringView(key)) > 0);
        return insertOrAssignFrom(fits ? at : lowerIndex(key), std::move(key), std::forward<M>(value)).first;
    }
    // Adopts entries in any order; of repeated keys the last is kept (as a property-list reader keeps it).
    static SortedDictionary fromEntries(std::vector<value_type>&& entries)
    {
        SortedDictionary d;
        // Readers and writers make dictionary after dictionary with the same keys, each the same shared
        // string, in the same order: for keys whose characters are those of a layout seen before (same
        // buffers, which the layout's copies keep alive and unchanged), the entries are taken as then.
        // Large dictionaries (rare, and each its own) are not kept.
        Layout* layout = nullptr;
        if (entries.size() <= 256) {
            const auto [found, seen] = layoutFor(entries);
            if (seen) {
                if (found.identity) {
                    d.m_entries = std::move(entries);
                    return d;
                }
                d.m_entries.reserve(found.taken.size());
                for (const std::size_t i : found.taken)
                    d.m_entries.push_back(std::move(entries[i]));
                return d;
            }
            layout = &found;
            layout->learn(entries);
        }
        const auto less = [&entries](std::size_t i, std::size_t j) {
            return compareUnits(entries[i].first, QStringView(entries[j].first)) < 0;
        };
        std::size_t sortedUpTo = 1;
        while (sortedUpTo < entries.size() && less(sortedUpTo - 1, sortedUpTo))
            ++sortedUpTo;
        if (sortedUpTo >= entries.size()) {
            if (layout)
                layout->identity = true;
            d.m_entries = std::move(entries);
            return d;
        }
        // The order is found on indices, so that each entry moves once. A writer of many objects of one
        // kind gives the same keys in the same order each time: the last order is tried first, and kept
        // when it sorts these entries strictly (which no other order does).
        thread_local std::vector<std::size_t> order;
        bool reused = order.size() == entries.size();
        for (std::size_t k = 1; reused && k < order.size(); ++k)
            reused = less(order[k - 1], order[k]);
        if (!reused) {
            order.resize(entries.size());
            for (std::size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::stable_sort(order.begin(), order.end(), less);
        }
        d.m_entries.reserve(entries.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k + 1 < order.size() && entries[order[k]].first == entries[order[k + 1]].first)
                continue;
            if (layout)
                layout->taken.push_back(order[k]);
            d.m_entries.push_back(std::move(entries[order[k]]));
        }
        return d;
    }

    // Adopts entries already sorted by key, with no key repeated (those of a dictionary, as kept apart).
    static SortedDictionary fromSortedEntries(std::vector<value_type>&& entries)
    {
        SortedDictionary d;
        d.m_entries = std::move(entries);
        return d;
    }

    V& operator[](const QString& key) { return emplace(key).first->second; }
    V& operator[](QString&& key) { return emplace(std::move(key)).first->second; }

    iterator erase(const_iterator it) { return m_entries.erase(it); }
    size_type erase(QAnyStringView key)
    {
        const auto it = find(key);
        if (it == end())
            return 0;
        m_entries.erase(it);
        return 1;
    }

    friend bool operator==(const SortedDictionary& a, const SortedDictionary& b) { return a.m_entries == b.m_entries; }

private:
    // The keys of a dictionary made by fromEntries, as they came (owned copies: a key of another dictionary
    // at the same address and of the same size is the same text), and which entries it took in what order.
    struct Layout {
        std::vector<QString> keys;
        std::vector<std::size_t> taken;
        bool identity = false; // all, as they came
        std::uint64_t usedAt = 0;

        bool matches(const std::vector<value_type>& entries) const
        {
            if (entries.size() != keys.size() || entries.empty())
                return false;
            for (std::size_t i = 0; i < keys.size(); ++i)
                if (!detail::isKeptText(entries[i].first, keys[i]))
                    return false;
            return true;
        }
        void learn(const std::vector<value_type>& entries)
        {
            keys.resize(entries.size());
            for (std::size_t i = 0; i < keys.size(); ++i)
                keys[i] = detail::keptText(entries[i].first);
            taken.clear();
            identity = false;
        }
    };

    // A few layouts per thread (a page alternates shapes, groups and the small dictionaries inside them),
    // two places for each hash of the count and the buffers of the first and last keys; a newcomer takes
    // the one used longer ago. Gives the layout and whether it matches.
    static std::pair<Layout&, bool> layoutFor(const std::vector<value_type>& entries)
    {
        thread_local std::array<Layout, 16> layouts;
        thread_local std::uint64_t clock = 0;
        std::uint64_t h = entries.size() * 0x9E3779B97F4A7C15ull;
        if (!entries.empty()) {
            h ^= reinterpret_cast<std::uintptr_t>(entries.front().first.constData()) * 0xC2B2AE3D27D4EB4Full;
            h ^= reinterpret_cast<std::uintptr_t>(entries.back().first.constData()) * 0x165667B19E3779F9ull;
        }
        const std::size_t at = ((h ^ (h >> 31)) % (layouts.size() / 2)) * 2;
        Layout& first = layouts[at];
        Layout& second = layouts[at + 1];
        const bool inFirst = first.matches(entries);
        const bool inSecond = !inFirst && second.matches(entries);
        Layout& layout = inFirst || (!inSecond && first.usedAt <= second.usedAt) ? first : second;
        layout.usedAt = ++clock;
        return {layout, inFirst || inSecond};
    }

    // What compareUnits answers when it meets UTF-8 beyond ASCII before any difference.
    static constexpr int beyondAscii = 2;

    std::size_t lowerIndex(QAnyStringView key) const { return search(key).first; }

    // Where the key is or belongs, and whether it is there. Every key read of a document comes here.
    std::pair<std::size_t, bool> search(QAnyStringView key) const
    {
        // The model reads the same keys, named by the same literals or key strings, from dictionaries of
        // a few layouts (a group's has keys its members' lack) in turn: where a key's text was last found,
        // or found missing, in the last few layouts is tried first. A hint holds the entry keys it found,
        // so their text stays alive and unchanged: an entry whose key has the same address and size is
        // the same text, and the reader shares one key text among all its dictionaries, so a hit compares
        // addresses, not units. The query is matched against a copy of its own bytes, since the memory a
        // view points at may hold other text by now.
        thread_local std::array<std::array<Hint, 4>, 256> hints;
        // Literals lie packed together: the address is mixed so that neighbours take different places.
        static_assert(std::tuple_size_v<decltype(hints)> == 256);
        auto& ways = hints[(reinterpret_cast<std::uintptr_t>(key.data()) * 0x9E3779B97F4A7C15ull) >> 56];
        const std::size_t bytes = static_cast<std::size_t>(key.size_bytes());
        const int form = Hint::formOf(key);
        // By addresses first; the texts are compared only when no layout kept matches that way.
        for (const bool byAddress : {true, false})
            for (const Hint& hint : ways)
                if (const auto at = hint.match(key, bytes, form, m_entries, byAddress))
                    return *at;
        const auto result = key.visit([this](auto view) { return searchUnits(view); });
        std::move_backward(ways.begin(), ways.end() - 1, ways.end());
        ways[0].record(key, bytes, result, m_entries);
        return result;
    }

    // Where a key's text was found, or found missing, last: the entry there (found) or the entries
    // around the gap (missing; null at an end of the dictionary).
    struct Hint {
        const void* data = nullptr;
        std::size_t bytes = std::size_t(-1); // matches no key until recorded
        int form = -1;
        bool found = false;
        std::size_t at = 0;
        bool hasHere = false;
        QString here;   // the entry at `at`
        QString before; // the entry before `at`, when missing
        QByteArray text; // the query's bytes

        std::optional<std::pair<std::size_t, bool>> match(QAnyStringView key, std::size_t n, int keyForm,
                                                          const std::vector<value_type>& entries, bool byAddress) const
        {
            if (data != key.data() || bytes != n || form != keyForm)
                return std::nullopt;
            // A kept text is owned and, shared with the hint, never changed: another string at its
            // address and of its size holds its units.
            const auto same = [byAddress](const QString& entry, const QString& kept) {
                return detail::isKeptText(entry, kept) || (!byAddress && entry == kept);
            };
            if (found) {
                if (at >= entries.size() || !same(entries[at].first, here))
                    return std::nullopt;
            } else {
                const bool atEnd = at == entries.size();
                if (at > entries.size() || atEnd != !hasHere || (!atEnd && !same(entries[at].first, here))
                    || (at > 0 && !same(entries[at - 1].first, before)))
                    return std::nullopt;
            }
            if (!sameBytes(text.constData(), static_cast<const char*>(key.data()), n))
                return std::nullopt;
            return std::pair{at, found};
        }

        void record(QAnyStringView key, std::size_t n, std::pair<std::size_t, bool> result,
                    const std::vector<value_type>& entries)
        {
            data = key.data();
            bytes = n;
            form = formOf(key);
            std::tie(at, found) = result;
            hasHere = at < entries.size();
            here = hasHere ? detail::keptText(entries[at].first) : QString();
            before = !found && at > 0 ? detail::keptText(entries[at - 1].first) : QString();
            text = QByteArray(static_cast<const char*>(key.data()), static_cast<qsizetype>(n));
        }

        // UTF-8, Latin-1 or UTF-16: the same bytes are other text in another form.
        static int formOf(QAnyStringView key)
        {
            return key.visit([](auto view) {
                using View = decltype(view);
                return std::is_same_v<View, QStringView> ? 2 : std::is_same_v<View, QLatin1StringView> ? 1 : 0;
            });
        }

        // Inline, a word at a time: keys are short, and a call costs as much as the comparison.
        static bool sameBytes(const char* a, const char* b, std::size_t n)
        {
            const auto word = [](const char* p) {
                std::uint64_t w;
                std::memcpy(&w, p, sizeof w);
                return w;
            };
            if (n >= 8) {
                for (std::size_t i = 0; i + 8 < n; i += 8)
                    if (word(a + i) != word(b + i))
                        return false;
                return word(a + n - 8) == word(b + n - 8);
            }
            for (std::size_t i = 0; i < n; ++i)
                if (a[i] != b[i])
                    return false;
            return true;
        }
    };

    template <class View>
    std::pair<std::size_t, bool> searchUnits(View key) const
    {
        std::size_t low = 0;
        std::size_t high = m_entries.size();
        while (low < high) {
            const std::size_t mid = (low + high) / 2;
            const int order = compareUnits(m_entries[mid].first, key);
            if constexpr (std::is_same_v<View, QUtf8StringView>) {
                if (order == beyondAscii) {
                    // UTF-8 beyond ASCII: its units are not UTF-16 units.
                    const QString converted = key.toString();
                    return searchUnits(QStringView(converted));
                }
            }
            if (order < 0)
                low = mid + 1;
            else if (order > 0)
                high = mid;
            else
                return {mid, true};
        }
        return {low, false};
    }

    template <class View>
    static int compareUnits(const QString& a, View b)
    {
        const QChar* x = a.constData();
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            char16_t y;
            if constexpr (std::is_same_v<View, QStringView>) {
                y = b.utf16()[i];
            } else {
                y = static_cast<unsigned char>(b.data()[i]);
                // UTF-8 units beyond ASCII are not UTF-16 units.
                if (std::is_same_v<View, QUtf8StringView> && y >= 0x80)
                    return beyondAscii;
            }
            if (x[i].unicode() != y)
                return x[i].unicode() < y ? -1 : 1;
        }
        return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
    }
    template <class M>
    std::pair<iterator, bool> insertOrAssignFrom(std::size_t at, QString&& key, M&& value)
    {
        if (at < m_entries.size() && m_entries[at].first == key) {
            m_entries[at].second = std::forward<M>(value);
            return {begin() + at, false};
        }
        return {m_entries.emplace(begin() + at, std::move(key), std::forward<M>(value)), true};
    }

    std::vector<value_type> m_entries;
};

class Value {
public:
    enum class Type { Null, Bool, Integer, Real, String, Data, Date, Array, Dictionary };

    using Array = std::vector<Value>;
    // Keys kept sorted, as the property-list writer wants them.
    using Dictionary = SortedDictionary<Value>;

    Value() = default;
    Value(bool b) : m_v(b) {}
    // Any integer type; an unsigned value above the signed 64-bit range keeps its 64 bits (it wraps), as
    // such values read from stored data do: unsignedIntegerValue gives it back.
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

// Dictionaries and arrays move their entries when they grow: a copy there would cost every read.
static_assert(std::is_nothrow_move_constructible_v<Value>);

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
