#include "platform/plugin/PlugIn.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(Uuid, ReadsAndWritesTheStandardForm)
{
    const auto uuid = pf::Uuid::fromString(QStringLiteral("5e2d9680-5022-40fa-b806-43349622e5b9"));
    ASSERT_TRUE(uuid);
    EXPECT_EQ(uuid->toString(), QStringLiteral("5E2D9680-5022-40FA-B806-43349622E5B9"));
    EXPECT_EQ(uuid->bytes().bytes[0], 0x5E);
    EXPECT_EQ(uuid->bytes().bytes[15], 0xB9);
    EXPECT_EQ(pf::Uuid(uuid->bytes()), *uuid);
}

TEST(Uuid, RefusesAnythingElse)
{
    for (const char* text : {"", "5E2D9680502240FAB80643349622E5B9", "5E2D9680-5022-40FA-B806-43349622E5B", "5E2D9680-5022-40FA-B806-43349622E5B9-",
                             "5E2D9680_5022-40FA-B806-43349622E5B9", "5E2D9680-5022-40FA-B806-43349622E5G9", "+E2D9680-5022-40FA-B806-43349622E5B9",
                             " E2D9680-5022-40FA-B806-43349622E5B9"})
        EXPECT_FALSE(pf::Uuid::fromString(QString::fromLatin1(text))) << text;
}

TEST(PlugInInstances, CountPerFactory)
{
    const pf::Uuid a = *pf::Uuid::fromString(QStringLiteral("00000000-0000-0000-0000-00000000000A"));
    const pf::Uuid b = *pf::Uuid::fromString(QStringLiteral("00000000-0000-0000-0000-00000000000B"));
    pf::plugInAddInstanceForFactory(a);
    pf::plugInAddInstanceForFactory(a);
    pf::plugInAddInstanceForFactory(b);
    pf::plugInRemoveInstanceForFactory(a);
    EXPECT_EQ(pf::plugInInstanceCount(a), 1);
    EXPECT_EQ(pf::plugInInstanceCount(b), 1);
    pf::plugInRemoveInstanceForFactory(a);
    pf::plugInRemoveInstanceForFactory(a); // one too many is ignored
    pf::plugInRemoveInstanceForFactory(b);
    EXPECT_EQ(pf::plugInInstanceCount(a), 0);
    EXPECT_EQ(pf::plugInInstanceCount(b), 0);
}

TEST(PlugInLoading, FailsWithAReason)
{
    QTemporaryDir dir;
    const QString library = dir.filePath(QStringLiteral("Missing.so"));
    QString error;
    EXPECT_FALSE(pf::PlugIn::load(library, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Missing.plist"))) << qPrintable(error);

    QFile info(dir.filePath(QStringLiteral("Missing.plist")));
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write("<plist><dict><key>CFPlugInFactories</key>");
    info.close();
    error.clear();
    EXPECT_FALSE(pf::PlugIn::load(library, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("unreadable"))) << qPrintable(error);

    ASSERT_TRUE(info.open(QIODevice::WriteOnly | QIODevice::Truncate));
    info.write("<plist><dict/></plist>");
    info.close();
    error.clear();
    EXPECT_FALSE(pf::PlugIn::load(library, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot load"))) << qPrintable(error);
}

} // namespace
