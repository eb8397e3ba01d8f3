// The value type of key-value coding, notifications and the thread dictionary: null, numbers, strings,
// geometry records, colours, arrays, string-keyed maps and object references.
//
// Numbers (bool, integer, real) compare by value across their kinds, as NSNumber does: 1 == 1.0 == true.
// Typed reads (`get<T>()`) answer nothing for a value of another kind; numbers convert among themselves, and
// null reads as the empty string, array, map, absent colour or null object.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace pf {

class Object;
class Variant;

using VariantArray = std::vector<Variant>;
using VariantMap = std::map<QString, Variant>;

class Variant {
public:
    enum class Type { Null, Bool, Integer, Real, String, Point, Size, Rect, Color, Array, Map, Object };

    Variant() = default;
    Variant(std::nullptr_t) {}
    Variant(bool b) : data_(b) {}
    template <class I>
        requires(std::is_integral_v<I> && !std::is_same_v<I, bool> && !std::is_same_v<I, char>)
    Variant(I i) : data_(static_cast<std::int64_t>(i))
    {
    }
    // Enumerations are stored as their integer value.
    template <class E>
        requires std::is_enum_v<E>
    Variant(E e) : data_(static_cast<std::int64_t>(e))
    {
    }
    Variant(double d) : data_(d) {}
    Variant(float f) : data_(static_cast<double>(f)) {}
    Variant(const QString& s) : data_(s) {}
    Variant(const char* utf8) : data_(QString::fromUtf8(utf8)) {}
    Variant(const pf::Point& p) : data_(p) {}
    Variant(const pf::Size& s) : data_(s) {}
    Variant(const pf::Rect& r) : data_(r) {}
    Variant(const pf::Color& c) : data_(c) {}
    // An absent colour is null.
    Variant(const OptionalColor& c);
    Variant(VariantArray a) : data_(std::move(a)) {}
    Variant(VariantMap m) : data_(std::move(m)) {}
    template <class T>
        requires std::is_base_of_v<pf::Object, T>
    Variant(std::shared_ptr<T> o)
    {
        if (o)
            data_ = std::shared_ptr<pf::Object>(std::move(o));
    }

    Type type() const { return static_cast<Type>(data_.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isNumber() const { return type() == Type::Bool || type() == Type::Integer || type() == Type::Real; }

    // Exact for the stored kind; numbers convert (reals to integers truncate toward zero, saturating).
    template <class T>
    std::optional<T> get() const;

    // Reads that answer the zero value of T for anything that is not of T's kind (Cocoa's nil reads).
    bool toBool() const { return get<bool>().value_or(false); }
    std::int64_t toInt() const { return get<std::int64_t>().value_or(0); }
    double toDouble() const { return get<double>().value_or(0.0); }
    QString toString() const { return get<QString>().value_or(QString()); }
    std::shared_ptr<pf::Object> toObject() const;
    const VariantArray* array() const { return std::get_if<VariantArray>(&data_); }
    const VariantMap* map() const { return std::get_if<VariantMap>(&data_); }

    // Value equality; numbers by value across bool, integer and real; objects by identity.
    friend bool operator==(const Variant& a, const Variant& b);

    // A short readable form for logs and test failures.
    QString description() const;

private:
    std::optional<std::int64_t> integerValue() const;
    std::optional<double> realValue() const;

    std::variant<std::monostate, bool, std::int64_t, double, QString, pf::Point, pf::Size, pf::Rect, pf::Color,
        VariantArray, VariantMap, std::shared_ptr<pf::Object>>
        data_;
};

namespace detail {
template <class T>
struct IsSharedPtr : std::false_type {};
template <class T>
struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {
    using element = T;
};
} // namespace detail

template <class T>
std::optional<T> Variant::get() const
{
    if constexpr (std::is_same_v<T, Variant>) {
        return *this;
    } else if constexpr (std::is_same_v<T, bool>) {
        if (auto i = integerValue(); i && type() != Type::Real)
            return *i != 0;
        if (auto d = realValue())
            return *d != 0.0;
        return std::nullopt;
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        auto i = integerValue();
        if (!i)
            return std::nullopt;
        return static_cast<T>(*i);
    } else if constexpr (std::is_floating_point_v<T>) {
        auto d = realValue();
        if (!d)
            return std::nullopt;
        return static_cast<T>(*d);
    } else if constexpr (std::is_same_v<T, OptionalColor>) {
        if (isNull())
            return OptionalColor();
        if (auto c = std::get_if<pf::Color>(&data_))
            return OptionalColor(*c);
        return std::nullopt;
    } else if constexpr (detail::IsSharedPtr<T>::value) {
        using E = typename detail::IsSharedPtr<T>::element;
        if (isNull())
            return T();
        auto o = std::get_if<std::shared_ptr<pf::Object>>(&data_);
        if (!o)
            return std::nullopt;
        if (auto cast = std::dynamic_pointer_cast<E>(*o))
            return cast;
        return std::nullopt;
    } else {
        if (auto p = std::get_if<T>(&data_))
            return *p;
        // nil reads as the empty string, array or map; null geometry has no such reading.
        if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, VariantArray> || std::is_same_v<T, VariantMap>)
            if (isNull())
                return T();
        return std::nullopt;
    }
}

} // namespace pf
