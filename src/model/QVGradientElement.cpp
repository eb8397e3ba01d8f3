#include "model/QVGradientElement.h"

#include "geometry/QVColor.h"
#include "model/StoredNumbers.h"

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
