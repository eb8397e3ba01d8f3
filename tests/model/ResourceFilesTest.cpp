// The two stored resources of the model: kept in the property-list writer's own layout, and the filter
// catalogue in its frozen order (documents store positions in it).
#include "model/FilterInfo.h"
#include "model/Metrics.h"
#include "model/PropertyListResource.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Resources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

TEST(ResourceFiles, AreInThePropertyListWritersLayout)
{
    for (const char* name : {"Quorvel-DefaultValues", "FilterInfos"}) {
        const auto data = pf::resourceData(QString::fromLatin1(name), QStringLiteral("plist"));
        ASSERT_TRUE(data.has_value()) << name;
        const auto read = pf::readPropertyList(*data);
        ASSERT_TRUE(read.ok()) << name << ": " << read.error.toStdString();
        EXPECT_EQ(pf::writePropertyList(*read.value).data, *data) << name;
    }
}

TEST(ResourceFiles, FilterCatalogueOrderIsFrozen)
{
    std::vector<std::string> names;
    for (const auto& info : FilterInfo::allFilterInfos())
        names.push_back(info->name().toStdString());
    // New filters may only be appended.
    const std::vector<std::string> frozen = {"none", "CIGaussianBlur", "CIPixellate", "CISepiaTone",
                                             "CIPhotoEffectMono", "CIColorInvert", "CIColorPosterize", "CIVignette"};
    ASSERT_GE(names.size(), frozen.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + std::ptrdiff_t(frozen.size())), frozen);
}

TEST(ResourceFiles, PresetsArePagesInGroups)
{
    const auto defaults = propertyListResource(QStringLiteral("Quorvel-DefaultValues"));
    ASSERT_TRUE(defaults.has_value());
    const pf::Value::Array& presets = defaults->arrayForKey(u"PresetMetricsInfos");
    ASSERT_GE(presets.size(), 17u);
    EXPECT_TRUE(Metrics::fromPlist(presets.front())->isCustom()) << "the first preset is the custom entry";
    std::int64_t group = 0;
    for (const pf::Value& plist : presets) {
        const auto preset = Metrics::fromPlist(plist);
        SCOPED_TRACE(preset->description().toStdString());
        EXPECT_GT(preset->width(), 0.0);
        EXPECT_GT(preset->height(), 0.0);
        EXPECT_EQ(preset->width(), std::round(preset->width())) << "pages have whole-point sizes";
        EXPECT_FALSE(Metrics::unitNameForUnitType(preset->unitType()).isNull());
        EXPECT_GE(preset->group(), group) << "the menu separates groups, so each group is contiguous";
        group = preset->group();
    }
}

} // namespace
