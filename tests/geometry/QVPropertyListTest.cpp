#include "geometry/QVPropertyList.h"

#include <gtest/gtest.h>

using pf::Value;

TEST(QVPropertyList, DataAndPlistRoundTripAndReportErrors)
{
    Value composition;
    composition.set(QStringLiteral("version"), 3);
    composition.set(QStringLiteral("children"), Value(Value::Array{Value(Value::Dictionary{{"title", Value("Box")}})}));

    QString error = QStringLiteral("stale");
    const std::optional<QByteArray> data = QVDataFromPlist(composition, &error);
    ASSERT_TRUE(data.has_value());
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(data->startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist"));

    Value back = QVPlistFromData(*data, &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(back, composition);
    // Read with mutable containers: changing the result leaves the original alone.
    back.set(QStringLiteral("version"), 4);
    EXPECT_EQ(composition.integerForKey("version"), 3);

    EXPECT_TRUE(QVPlistFromData("bplist00", &error).isNull());
    EXPECT_TRUE(error.contains("binary"));
    EXPECT_TRUE(QVPlistFromData("<plist><dict><key>a</key></dict></plist>").isNull()); // no error out is fine
    EXPECT_FALSE(QVDataFromPlist(Value(), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
}
