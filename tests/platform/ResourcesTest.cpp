// Lookup of compiled-in resources by name and type.
#include "platform/foundation/Resources.h"

#include <gtest/gtest.h>

namespace {

TEST(Resources, FindsFilesByNameAndTypeAnywhereInTheTree)
{
    EXPECT_EQ(pf::resourcePath("Localizable", "plist"), ":/strings/Localizable.plist");
    EXPECT_EQ(pf::resourcePath("Localizable.plist", ""), ":/strings/Localizable.plist");
    const auto bytes = pf::resourceData("Localizable", "plist");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->contains("plist"));

    for (const auto& [name, type] : {std::pair{"Localizable", "xml"}, {"Missing", "plist"}, {"", "plist"}, {"strings", ""}}) {
        EXPECT_EQ(pf::resourcePath(name, type), QString()) << name << "." << type;
        EXPECT_FALSE(pf::resourceData(name, type).has_value());
    }
}

} // namespace
