#include "model/QVGradientElement.h"

#include "geometry/QVColor.h"
#include "model/StoredNumbers.h"

#include <algorithm>
#include <cmath>

QString QVGradientElement::description() const
{
    return QString::asprintf("<QVGradientElement %p ", static_cast<const void*>(this)) + QVStringFromColor(color_)
           + QString::asprintf(", %g>", ratio_);
}

pf::Value QVGradientElement::asPlist() const
{
    return pf::Value(pf::Value::Dictionary{{QStringLiteral("color"), QVStringFromColor(color_)},
                                           {QStringLiteral("ratio"), ratio_}});
}

QVGradientElement QVGradientElement::fromPlist(const pf::Value& plist)
{
    return {QVColorFromString(plist.stringForKey(u"color")), storedDouble(plist, u"ratio")};
}

pf::Variant variantFromGradientElements(const std::vector<QVGradientElement>& elements)
{
    pf::VariantArray stops;
    for (const QVGradientElement& e : elements)
        stops.emplace_back(
            pf::VariantMap{{QStringLiteral("color"), pf::Variant(e.color())}, {QStringLiteral("ratio"), pf::Variant(e.ratio())}});
    return pf::Variant(std::move(stops));
}

std::vector<QVGradientElement> gradientElementsFromVariant(const pf::Variant& value)
{
    std::vector<QVGradientElement> elements;
    const pf::VariantArray* stops = value.array();
    if (!stops)
        return elements;
    for (const pf::Variant& stop : *stops) {
        const pf::VariantMap* map = stop.map();
        if (!map)
            continue;
        const auto color = map->find(QStringLiteral("color"));
        const auto ratio = map->find(QStringLiteral("ratio"));
        const double r = ratio == map->end() ? 0 : ratio->second.toDouble();
        elements.emplace_back(color == map->end() ? pf::OptionalColor()
                                                  : color->second.get<pf::OptionalColor>().value_or(pf::OptionalColor()),
                              std::isfinite(r) ? std::clamp(r, 0.0, 1.0) : 0.0);
    }
    return elements;
}
