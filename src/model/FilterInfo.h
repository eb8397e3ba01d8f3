// One entry of the catalogue of content filters that shapes can apply. A filter spec stores the position
// of its entry in the catalogue, so the catalogue's order is part of the stored document format.
#pragma once

#include "platform/foundation/Value.h"

#include <QString>

#include <memory>
#include <vector>

class FilterInfo final {
public:
    using Catalogue = std::vector<std::shared_ptr<const FilterInfo>>;

    FilterInfo() = default;

    // The catalogue, in resource order, loaded from the "FilterInfos" resource on first use.
    static const Catalogue& allFilterInfos();
    // The entry at that position; the first entry when there is none there; a built-in "none" entry when
    // the catalogue is empty. Never null.
    static std::shared_ptr<const FilterInfo> filterInfoWithType(unsigned type);
    static std::shared_ptr<const FilterInfo> filterInfoWithTypeInCatalogue(const Catalogue& catalogue, unsigned type);
    // The entries of a stored catalogue (an array of entry dictionaries); empty for anything else.
    static Catalogue catalogueFromPlist(const pf::Value& plist);
    // The entry that applies nothing.
    static std::shared_ptr<const FilterInfo> noneFilterInfo();

    bool sliderEnabled() const { return sliderEnabled_; }
    unsigned type() const { return type_; }
    // The image filter's name, or "none".
    const QString& name() const { return name_; }
    // The filter input that the slider sets.
    const QString& sliderKey() const { return sliderKey_; }
    double defaultSliderValue() const { return defaultSliderValue_; }
    double minSliderValue() const { return minSliderValue_; }
    double maxSliderValue() const { return maxSliderValue_; }
    // The filter receives sliderValue / sliderValueMultiple.
    double sliderValueMultiple() const { return sliderValueMultiple_; }

    // The localised "None" for the empty entry, else a readable name of the filter.
    QString localizedName() const;

    pf::Value asPlist() const;
    // Absent or non-finite numbers read as 0; the multiple reads as 1 when absent, not finite or 0, so
    // that dividing by it is always defined.
    static std::shared_ptr<const FilterInfo> fromPlist(const pf::Value& plist);

private:
    bool sliderEnabled_ = false;
    unsigned type_ = 0;
    QString name_;
    QString sliderKey_;
    double defaultSliderValue_ = 0;
    double minSliderValue_ = 0;
    double maxSliderValue_ = 0;
    double sliderValueMultiple_ = 1.0;
};
