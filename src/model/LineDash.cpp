#include "model/LineDash.h"

#include "model/StoredNumbers.h"
#include "platform/foundation/Geometry.h"

#include <algorithm>
#include <cmath>

const LineDash& LineDash::solidLineDash()
{
    static const LineDash solid;
    return solid;
}

// std::fmax, unlike std::max, lets the floor win over a NaN from a negative width.
LineDash LineDash::dashedLineDashWithStrokeLineWidth(double width)
{
    const double s = std::sqrt(width) * 0.5;
    const double on = std::fmax(5 * s, 8.0);
    const double off = std::fmax(3 * s, 4.0);
    return LineDash(on, off, width - on * 0.5);
}

LineDash LineDash::dottedLineDashWithStrokeLineWidth(double width)
{
    const double on = width;
    const double off = std::fmax(std::ceil(std::sqrt(width) * 0.5) + width, 2.0);
    return LineDash(on, off, -on);
}

unsigned LineDash::getLengths(std::array<double, 2>& lengths) const
{
    if (count_ == 2) {
        lengths[0] = onLength_;
        lengths[1] = offLength_;
    }
    return count_;
}

QString LineDash::description() const
{
    const QString head = QString::asprintf("<LineDash: %p (", static_cast<const void*>(this));
    if (count_ == 2)
        return head + QStringLiteral("%1:%2,%3)>").arg(count_).arg(pf::formatNumber(onLength_), pf::formatNumber(offLength_));
    return head + QStringLiteral("%1)>").arg(count_);
}

pf::Value LineDash::asPlist() const
{
    return pf::Value(pf::Value::Dictionary{{QStringLiteral("phase"), phase_},
                                           {QStringLiteral("onLength"), onLength_},
                                           {QStringLiteral("offLength"), offLength_},
                                           {QStringLiteral("count"), count_}});
}

LineDash LineDash::fromPlist(const pf::Value& plist)
{
    LineDash dash;
    dash.phase_ = storedDouble(plist, u"phase");
    dash.onLength_ = storedDouble(plist, u"onLength");
    dash.offLength_ = storedDouble(plist, u"offLength");
    // Only solid and on-off patterns have lengths to draw; anything else is drawn solid.
    dash.count_ = plist.unsignedIntegerForKey(u"count") == 2 ? 2 : 0;
    return dash;
}
