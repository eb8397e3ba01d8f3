// The style values a shape holds: gradient stops, a line dash and content filter specs.
//
// Interim definitions with the property-list forms the shape stores; they give way to the settings
// area's own classes of the same names when those land, and the shape code does not change.
#pragma once

#include "geometry/QVColor.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/Value.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct QVGradientElement {
    pf::OptionalColor color;
    double ratio = 0;

    friend bool operator==(const QVGradientElement&, const QVGradientElement&) = default;

    pf::Value asPlist() const
    {
        pf::Value v;
        v.set(QStringLiteral("color"), QVStringFromColor(color));
        v.set(QStringLiteral("ratio"), std::isfinite(ratio) ? ratio : 0.0);
        return v;
    }
    static std::optional<QVGradientElement> fromPlist(const pf::Value& plist)
    {
        if (!plist.isDictionary())
            return std::nullopt;
        const double r = plist.doubleForKey("ratio");
        pf::OptionalColor c = QVColorFromString(plist.stringForKey("color"));
        if (c && !(std::isfinite(c->red) && std::isfinite(c->green) && std::isfinite(c->blue) && std::isfinite(c->alpha)))
            c.reset();
        return QVGradientElement{c, std::isfinite(r) ? r : 0.0};
    }
};

struct LineDash {
    double phase = 0;
    double onLength = 0;
    double offLength = 0;
    std::uint64_t count = 0;

    friend bool operator==(const LineDash&, const LineDash&) = default;

    static LineDash dashedLineDashWithStrokeLineWidth(double w)
    {
        const double s = std::sqrt(w) * 0.5;
        LineDash d;
        d.count = 2;
        d.onLength = std::max(5 * s, 8.0);
        d.offLength = std::max(3 * s, 4.0);
        d.phase = w - d.onLength * 0.5;
        return d;
    }
    static LineDash dottedLineDashWithStrokeLineWidth(double w)
    {
        LineDash d;
        d.count = 2;
        d.onLength = w;
        d.offLength = std::max(std::ceil(std::sqrt(w) * 0.5) + w, 2.0);
        d.phase = -d.onLength;
        return d;
    }
};

class FilterSpec {
public:
    bool enabled = true;
    std::uint64_t type = 0;
    double sliderValue = 0;

    std::shared_ptr<FilterSpec> copy() const { return std::make_shared<FilterSpec>(*this); }

    pf::Value asPlist() const
    {
        pf::Value v;
        v.set(QStringLiteral("type"), type);
        v.set(QStringLiteral("enabled"), enabled);
        v.set(QStringLiteral("sliderValue"), std::isfinite(sliderValue) ? sliderValue : 0.0);
        return v;
    }
    static std::shared_ptr<FilterSpec> fromPlist(const pf::Value& plist)
    {
        if (!plist.isDictionary())
            return nullptr;
        auto spec = std::make_shared<FilterSpec>();
        spec->type = plist.unsignedIntegerForKey("type");
        spec->enabled = plist.boolForKey("enabled");
        const double s = plist.doubleForKey("sliderValue");
        spec->sliderValue = std::isfinite(s) ? s : 0.0;
        return spec;
    }
};

using GradientElements = std::vector<QVGradientElement>;
using FilterSpecs = std::vector<std::shared_ptr<FilterSpec>>;
