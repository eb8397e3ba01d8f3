#include "shell/IDEUberViewRules.h"

#include "platform/foundation/UserDefaultsStore.h"

#include <algorithm>
#include <cmath>

namespace uber {

namespace {

bool within(double p, double target, double tolerance) { return target - tolerance < p && p < target + tolerance; }

double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// Shares `available` between two sides in proportion to a and b; whole points for the leading side (rounded
// up in single precision, as the layout has always rounded), the rest to the trailing one. Two sides of
// nothing share equally.
std::pair<double, double> share(double available, double a, double b)
{
    a = std::max(0.0, finiteOrZero(a));
    b = std::max(0.0, finiteOrZero(b));
    available = std::max(0.0, available);
    const double sum = a + b;
    const double fraction = sum > 0 ? a / sum : 0.5;
    double leading = double(std::ceil(float(available * fraction)));
    if (b == 0 && sum > 0)
        leading = available;
    if (a == 0 && sum > 0)
        leading = 0;
    leading = std::clamp(leading, 0.0, available);
    return {leading, available - leading};
}

} // namespace

double snapLeadingDivider(const SnapInput& in, const ExtentBounds& b, std::optional<double> trailingStart)
{
    const double p = in.proposed, w = in.extent, t = in.thickness, tol = in.tolerance;
    if (b.maximum > 0 && p > b.maximum - tol)
        return b.maximum;
    if (b.minimum > 0 && p < b.minimum + tol)
        return b.minimum;
    if (trailingStart && p > *trailingStart - t - tol)
        return *trailingStart;
    if (p > w - t - tol)
        return w;
    if (b.preferred > 0 && within(p, b.preferred, tol))
        return b.preferred;
    if (b.alternate > 0 && within(p, b.alternate, tol))
        return b.alternate;
    if (p >= 0 && p < tol)
        return 0;
    return p;
}

double snapTrailingDivider(const SnapInput& in, const ExtentBounds& b, double centreStart)
{
    const double p = in.proposed, w = in.extent, t = in.thickness, tol = in.tolerance;
    if (b.maximum > 0 && w - b.maximum > 0 && p < w - b.maximum + tol)
        return w - b.maximum;
    if (b.minimum > 0 && w - b.minimum > 0 && p > w - b.minimum - tol)
        return w - b.minimum;
    if (p < centreStart + tol - t)
        return centreStart;
    if (b.preferred > 0 && within(p, w - b.preferred, tol))
        return w - b.preferred - t;
    if (b.alternate > 0 && within(p, w - b.alternate, tol))
        return w - b.alternate - t;
    if (w - tol < p && p < w)
        return w - t;
    return p;
}

double snapColumnSplit(const SnapInput& in, const ExtentBounds& b, bool topOpen, bool bottomOpen)
{
    const double p = in.proposed, h = in.extent, t = in.thickness, tol = in.tolerance;
    if (!topOpen)
        return p;
    if (!bottomOpen)
        return wholeColumn;
    if (b.minimum > 0 && p < b.minimum + tol)
        return b.minimum;
    const double lowest = h - b.minimum;
    const double m = b.maximum > 0 ? std::min(lowest, b.maximum) : lowest;
    if (p > m - t - tol)
        return m;
    if (b.preferred > 0 && within(p, b.preferred, tol))
        return b.preferred;
    return p;
}

AxisLayout resizeAxis(const AxisResize& in, DragCapture& capture)
{
    if (capture.isPending()) {
        capture.centreExtent = std::max(0.0, finiteOrZero(in.centre.length));
        capture.leadingExtent = std::fabs(finiteOrZero(in.leading.length));
        capture.trailingExtent = std::fabs(finiteOrZero(in.trailing.length));
    }
    const double ds = capture.centreExtent;
    const double total = std::max(0.0, finiteOrZero(in.total));
    const double t = std::max(0.0, finiteOrZero(in.thickness));
    const bool both = in.leadingOpen && in.trailingOpen;

    AxisLayout out{in.leading, in.centre, in.trailing};
    out.leading.origin = 0;
    const double lw = std::fabs(finiteOrZero(ds > 0 ? in.storedLeading : in.leading.length));
    const double rw = std::fabs(finiteOrZero(ds > 0 ? in.storedTrailing : in.trailing.length));
    out.leading.length = lw;
    out.trailing.length = rw;

    if (both) {
        out.centre.length = total - lw - rw - 2 * t;
        out.centre.origin = lw + t;
        out.trailing.origin = out.centre.end() + t;
    } else if (in.leadingOpen) {
        out.centre.length = total - lw - t;
        out.centre.origin = lw + t;
    } else if (in.trailingOpen) {
        out.centre.length = total - rw - t;
        out.centre.origin = 0;
        out.trailing.origin = out.centre.length + t;
    } else {
        // Nothing beside the centre: it is all there is.
        out.centre = Span{0, total};
        return out;
    }

    if (ds > 0 && out.centre.length >= minimumCentreExtent)
        return out;

    // The centre is held at its least (or closed, when it was closed up as the drag began) and the sides
    // share the rest.
    const double m = ds > 0 ? minimumCentreExtent : 0;
    if (both) {
        const auto [l, r] = ds > 0 ? share(total - m - 2 * t, lw, rw)
                                   : share(total - m - 2 * t, capture.leadingExtent, capture.trailingExtent);
        out.leading.length = l;
        out.trailing.length = r;
        out.centre.origin = l + t;
        out.trailing.origin = total - r;
    } else if (in.leadingOpen) {
        out.leading.length = std::max(0.0, total - m - t);
        out.centre.origin = out.leading.length + t;
    } else {
        out.trailing.length = std::max(0.0, total - m - t);
        out.trailing.origin = m + t;
        out.centre.origin = 0;
    }
    out.centre.length = m;
    return out;
}

QString openStateKey(Region region)
{
    static const char* const names[regionCount] = {
        "IDEUberViewIsLeftViewOpen",     "IDEUberViewIsLeftTopViewOpen",     "IDEUberViewIsLeftBottomViewOpen",
        "IDEUberViewIsRightViewOpen",    "IDEUberViewIsRightTopViewOpen",    "IDEUberViewIsRightBottomViewOpen",
        "IDEUberViewIsTopViewOpen",      "IDEUberViewIsBottomViewOpen",
    };
    return QString::fromLatin1(names[int(region)]);
}

QString extentKey(Extent extent)
{
    static const char* const names[extentCount] = {
        "IDEUberViewLeftViewWidth",     "IDEUberViewRightViewWidth",     "IDEUberViewTopViewHeight",
        "IDEUberViewBottomViewHeight",  "IDEUberViewLeftTopViewHeight",  "IDEUberViewRightTopViewHeight",
    };
    return QString::fromLatin1(names[int(extent)]);
}

QString extentDictionaryKey(Extent extent) { return extentKey(extent) + QStringLiteral("Dictionary"); }

bool storesAtLeastOne(Extent extent) { return extent != Extent::RightWidth && extent != Extent::BottomHeight; }

LayoutDefaults::LayoutDefaults(QString autosaveName, pf::UserDefaultsStore* store)
    : autosaveName_(std::move(autosaveName)), store_(store)
{
}

pf::UserDefaultsStore& LayoutDefaults::store() const { return store_ ? *store_ : pf::UserDefaultsStore::standard(); }

QString LayoutDefaults::makeKey(const QString& key) const
{
    if (autosaveName_.isEmpty())
        return key;
    return QStringLiteral("%1-%2").arg(autosaveName_, key);
}

void LayoutDefaults::storeOpenState(Region region, bool open) { store().setBoolForKey(open, makeKey(openStateKey(region))); }

std::optional<bool> LayoutDefaults::storedOpenState(Region region) const
{
    const pf::Value& v = store().objectForKey(makeKey(openStateKey(region)));
    if (!v.isBool() && !v.isNumber() && !v.isString())
        return std::nullopt;
    return v.boolValue();
}

void LayoutDefaults::storeExtent(Extent extent, double measured, const Identifier& identifier)
{
    if (!std::isfinite(measured))
        return;
    double value = std::fabs(measured);
    if (storesAtLeastOne(extent))
        value = std::max(value, 1.0);
    if (identifier)
        setExtent(value, *identifier, extentDictionaryKey(extent));
    else
        store().setDoubleForKey(double(float(value)), makeKey(extentKey(extent)));
}

void LayoutDefaults::setExtent(double extent, const QString& identifier, const QString& dictionaryKey)
{
    const QString key = makeKey(dictionaryKey);
    pf::Value::Dictionary entries = store().dictionaryForKey(key);
    entries.insert_or_assign(identifier, pf::Value(extent));
    store().setObjectForKey(pf::Value(std::move(entries)), key);
}

std::optional<double> LayoutDefaults::storedExtent(Extent extent, const Identifier& identifier) const
{
    pf::Value v;
    if (identifier) {
        const pf::Value::Dictionary& entries = store().dictionaryForKey(makeKey(extentDictionaryKey(extent)));
        const auto it = entries.find(*identifier);
        if (it != entries.end())
            v = it->second;
    } else {
        v = store().objectForKey(makeKey(extentKey(extent)));
    }
    if (!v.isNumber())
        return std::nullopt;
    const double d = v.doubleValue();
    if (!std::isfinite(d) || d < 0)
        return std::nullopt;
    return d;
}

void LayoutDefaults::removeExtent(Extent extent)
{
    store().removeObjectForKey(makeKey(extentKey(extent)));
    store().removeObjectForKey(makeKey(extentDictionaryKey(extent)));
}

void LayoutDefaults::synchronize() { store().synchronize(); }

} // namespace uber
