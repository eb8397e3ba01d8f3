#include "model/FilterSpec.h"

#include "model/StoredNumbers.h"
#include "platform/foundation/KeyValue.h"

#include <cmath>

namespace {
const QString kEnabled = QStringLiteral("enabled");
const QString kType = QStringLiteral("type");
const QString kSliderValue = QStringLiteral("sliderValue");
} // namespace

const pf::ClassObject& FilterSpec::staticClass()
{
    static const pf::ClassObject cls(QStringLiteral("FilterSpec"), &pf::Object::staticClass());
    return cls;
}

const pf::ClassObject& FilterSpec::classObject() const
{
    return staticClass();
}

const pf::PropertyTable& FilterSpec::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&pf::Object::properties());
        t.add(kEnabled, &FilterSpec::enabled, &FilterSpec::setEnabled);
        t.add(kType, &FilterSpec::type, &FilterSpec::setType);
        t.add(kSliderValue, &FilterSpec::sliderValue, &FilterSpec::setSliderValue);
        t.add(QStringLiteral("name"), &FilterSpec::name);
        t.add(QStringLiteral("localizedName"), &FilterSpec::localizedName);
        t.add(QStringLiteral("sliderKey"), &FilterSpec::sliderKey);
        t.add(QStringLiteral("sliderEnabled"), &FilterSpec::sliderEnabled);
        t.add(QStringLiteral("minSliderValue"), &FilterSpec::minSliderValue);
        t.add(QStringLiteral("maxSliderValue"), &FilterSpec::maxSliderValue);
        t.add(QStringLiteral("sliderValueMultiple"), &FilterSpec::sliderValueMultiple);
        return t;
    }();
    return table;
}

const pf::PropertyTable& FilterSpec::propertyTable() const
{
    return properties();
}

void FilterSpec::setEnabled(bool enabled)
{
    pf::ChangeNotice notice(*this, kEnabled);
    enabled_ = enabled;
}

void FilterSpec::setSliderValue(double value)
{
    pf::ChangeNotice notice(*this, kSliderValue);
    sliderValue_ = value;
}

void FilterSpec::setType(unsigned type)
{
    if (type == type_)
        return;
    pf::ChangeNotice notice(*this, {kType, QStringLiteral("sliderEnabled"), kSliderValue, QStringLiteral("minSliderValue"),
                                    QStringLiteral("maxSliderValue"), QStringLiteral("sliderValueMultiple")});
    type_ = type;
    sliderValue_ = filterInfo()->defaultSliderValue();
}

bool FilterSpec::isEqualToFilter(const FilterSpec& other) const
{
    return type_ == other.type_ && enabled_ == other.enabled_
           && std::fabs(sliderValue_ - other.sliderValue_) < 0.1;
}

pf::Value FilterSpec::asPlist() const
{
    return pf::Value(pf::Value::Dictionary{
        {kType, type_}, {kEnabled, enabled_}, {kSliderValue, sliderValue_}});
}

std::shared_ptr<FilterSpec> FilterSpec::fromPlist(const pf::Value& plist)
{
    auto spec = std::make_shared<FilterSpec>();
    spec->type_ = storedUnsigned(plist, kType);
    spec->enabled_ = plist.boolForKey(kEnabled);
    spec->sliderValue_ = storedDouble(plist, kSliderValue);
    return spec;
}
