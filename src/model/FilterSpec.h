// One content filter applied to a shape: which catalogue entry, whether it is on, and its slider value.
#pragma once

#include "model/FilterInfo.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <memory>

class FilterSpec : public pf::Object {
public:
    // Enabled, type 0, slider 0.
    FilterSpec() = default;
    FilterSpec(const FilterSpec&) = default;
    FilterSpec& operator=(const FilterSpec&) = default;
    static std::shared_ptr<FilterSpec> filterSpec() { return std::make_shared<FilterSpec>(); }

    static const pf::ClassObject& staticClass();
    const pf::ClassObject& classObject() const override;
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override;

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    unsigned type() const { return type_; }
    // A new type also takes the new entry's default slider value.
    void setType(unsigned type);
    double sliderValue() const { return sliderValue_; }
    void setSliderValue(double value);

    // The catalogue entry of the type (the first entry for a type beyond the catalogue).
    std::shared_ptr<const FilterInfo> filterInfo() const { return FilterInfo::filterInfoWithType(type_); }
    QString name() const { return filterInfo()->name(); }
    QString localizedName() const { return filterInfo()->localizedName(); }
    QString sliderKey() const { return filterInfo()->sliderKey(); }
    bool sliderEnabled() const { return filterInfo()->sliderEnabled(); }
    double minSliderValue() const { return filterInfo()->minSliderValue(); }
    double maxSliderValue() const { return filterInfo()->maxSliderValue(); }
    double sliderValueMultiple() const { return filterInfo()->sliderValueMultiple(); }

    // Same type and flag, slider values closer than 0.1 (a slider's jitter is no change).
    bool isEqualToFilter(const FilterSpec& other) const;
    friend bool operator==(const FilterSpec& a, const FilterSpec& b) { return a.isEqualToFilter(b); }

    std::shared_ptr<FilterSpec> copy() const { return std::make_shared<FilterSpec>(*this); }

    pf::Value asPlist() const;
    // Absent: type 0, not enabled, slider 0; a non-finite slider value reads as 0.
    static std::shared_ptr<FilterSpec> fromPlist(const pf::Value& plist);

private:
    bool enabled_ = true;
    unsigned type_ = 0;
    double sliderValue_ = 0;
};
