#include "platform/foundation/Localized.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace pf;

TEST(StringTable, IsAValidDictionaryOfStringsAndAnswersTheKeyWithoutAnEntry)
{
    QFile file(QStringLiteral(":/strings/Localizable.plist"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const PropertyListReadResult table = readPropertyList(file.readAll());
    ASSERT_TRUE(table.ok()) << table.error.toStdString();
    ASSERT_TRUE(table.value->isDictionary());
    for (const auto& [key, text] : table.value->asDictionary()) {
        EXPECT_TRUE(text.isString()) << key.toStdString();
        EXPECT_EQ(localized(key), text.asString());
    }
    EXPECT_EQ(localized(QStringLiteral("Top Left")), QStringLiteral("Top Left"));
    EXPECT_EQ(localized(QStringLiteral("No such key %@")), QStringLiteral("No such key %@"));
    EXPECT_EQ(localized(QString()), QString());
}
