#include "platform/foundation/Variant.h"

#include "platform/foundation/Object.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace pf {

Variant::Variant(const OptionalColor& c)
{
    if (c)
        data_ = *c;
}

std::shared_ptr<Object> Variant::toObject() const
{
    if (auto o = std::get_if<std::shared_ptr<Object>>(&data_))
        return *o;
    return nullptr;
}

std::optional<std::int64_t> Variant::integerValue() const
{
    if (const bool* b = std::get_if<bool>(&data_))
        return *b ? 1 : 0;
    if (const std::int64_t* i = std::get_if<std::int64_t>(&data_))
        return *i;
    if (const double* d = std::get_if<double>(&data_)) {
        if (std::isnan(*d))
            return 0;
        // Saturate rather than overflow: 2^63 is exactly representable, its predecessor is not.
        if (*d >= 9223372036854775808.0)
            return std::numeric_limits<std::int64_t>::max();
        if (*d < -9223372036854775808.0)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(*d);
    }
    return std::nullopt;
}

std::optional<double> Variant::realValue() const
{
    if (const bool* b = std::get_if<bool>(&data_))
        return *b ? 1.0 : 0.0;
    if (const std::int64_t* i = std::get_if<std::int64_t>(&data_))
        return static_cast<double>(*i);
    if (const double* d = std::get_if<double>(&data_))
        return *d;
    return std::nullopt;
}

namespace {

// Exact comparison of an integer with a real: equal only when the real is that very integer.
bool integerEqualsReal(std::int64_t i, double d)
{
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
        return false;
    if (d != std::trunc(d))
        return false;
    return static_cast<std::int64_t>(d) == i;
}

} // namespace

bool operator==(const Variant& a, const Variant& b)
{
    if (a.isNumber() && b.isNumber()) {
        const bool aReal = a.type() == Variant::Type::Real;
        const bool bReal = b.type() == Variant::Type::Real;
        const auto asInt = [](const Variant& v) -> std::int64_t {
            if (const bool* flag = std::get_if<bool>(&v.data_))
                return *flag ? 1 : 0;
            return std::get<std::int64_t>(v.data_);
        };
        if (aReal && bReal)
            return std::get<double>(a.data_) == std::get<double>(b.data_);
        if (aReal)
            return integerEqualsReal(asInt(b), std::get<double>(a.data_));
        if (bReal)
            return integerEqualsReal(asInt(a), std::get<double>(b.data_));
        return asInt(a) == asInt(b);
    }
    return a.data_ == b.data_;
}

QString Variant::description() const
{
    switch (type()) {
    case Type::Null: return QStringLiteral("null");
    case Type::Bool: return std::get<bool>(data_) ? QStringLiteral("true") : QStringLiteral("false");
    case Type::Integer: return QString::number(std::get<std::int64_t>(data_));
    case Type::Real: return QString::number(std::get<double>(data_), 'g', 17);
    case Type::String: return QLatin1Char('"') + std::get<QString>(data_) + QLatin1Char('"');
    case Type::Point: return pf::toString(std::get<Point>(data_));
    case Type::Size: return pf::toString(std::get<Size>(data_));
    case Type::Rect: return pf::toString(std::get<Rect>(data_));
    case Type::Color: {
        const Color& c = std::get<Color>(data_);
        return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red).arg(c.green).arg(c.blue).arg(c.alpha);
    }
    case Type::Array: {
        QStringList parts;
        for (const Variant& v : std::get<VariantArray>(data_))
            parts << v.description();
        return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    case Type::Map: {
        QStringList parts;
        for (const auto& [k, v] : std::get<VariantMap>(data_))
            parts << k + QStringLiteral(" = ") + v.description();
        return QLatin1Char('{') + parts.join(QStringLiteral("; ")) + QLatin1Char('}');
    }
    case Type::Object: {
        const auto& o = std::get<std::shared_ptr<Object>>(data_);
        return QStringLiteral("<%1 %2>")
            .arg(o->classObject().className())
            .arg(reinterpret_cast<quintptr>(o.get()), 0, 16);
    }
    }
    return {};
}

} // namespace pf
