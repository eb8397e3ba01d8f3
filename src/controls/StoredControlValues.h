// Checked reads of the numbers controls store. Documents are untrusted: an enumeration outside its
// range would pick no drawing (or a wrong table row), and a fixed size that is not a positive finite
// number would force every later frame to an invalid one.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/text/Font.h"

#include <QAnyStringView>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <optional>

// The key's value when it is a whole number in [0, count); otherwise (absent, another kind, out of range,
// not finite) 0, the default word of every stored enumeration.
inline std::int64_t storedEnumeration(const pf::Value& plist, QAnyStringView key, std::int64_t count)
{
    const pf::Value& v = plist.objectForKey(key);
    const double d = v.doubleValue();
    if (!std::isfinite(d) || d < 0 || d >= static_cast<double>(count))
        return 0;
    return v.integerValue();
}

// A fixed width or height: positive and finite, else 0 (the side is free).
inline double storedFixedSide(const pf::Value& plist, QAnyStringView key)
{
    const double d = plist.doubleForKey(key);
    return std::isfinite(d) && d > 0 ? d : 0.0;
}

// The smallest size of a font stored by name: titles under it cannot be read.
inline constexpr double minimumStoredFontSize = 6;

// A font stored by name ("textFontName", "textFontSize"), as the bars and the table keep their titles'
// font: none for an empty name or one no installed family answers; a size under the smallest (or not
// finite) reads as the smallest.
inline std::optional<pf::Font> storedFont(const pf::Value& plist)
{
    const QString& name = plist.stringForKey("textFontName");
    if (name.isEmpty() || !pf::Font(name, 12).isAvailable())
        return std::nullopt;
    const double size = plist.doubleForKey("textFontSize");
    return pf::Font(name, std::isfinite(size) ? std::max(minimumStoredFontSize, size) : minimumStoredFontSize);
}

inline void storeFont(pf::Value& plist, const pf::Font& font)
{
    plist.set(QStringLiteral("textFontName"), font.familyName());
    plist.set(QStringLiteral("textFontSize"), font.pointSize());
}
