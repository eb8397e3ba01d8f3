#include "platform/foundation/PackageImages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using pf::PackageImages;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(PackageImages, ReadsOnlyPlainNamesInsideResources)
{
    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("Doc.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(package + QStringLiteral("/Resources/sub")));
    writeFile(package + QStringLiteral("/Resources/A1"), "image");
    writeFile(package + QStringLiteral("/Resources/sub/B2"), "nested");
    writeFile(package + QStringLiteral("/composition_data.plist"), "secret");
    writeFile(dir.filePath(QStringLiteral("outside")), "outside");
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("outside")), package + QStringLiteral("/Resources/LinkOut")));
    ASSERT_TRUE(QFile::link(package + QStringLiteral("/Resources/A1"), package + QStringLiteral("/Resources/LinkIn")));

    const PackageImages images(package);
    EXPECT_EQ(images.dataForIdentifier(QStringLiteral("A1")), QByteArray("image"));
    EXPECT_EQ(images.dataForIdentifier(QStringLiteral("LinkIn")), QByteArray("image"));
    for (const char* refused : {"", ".", "..", "sub", "sub/B2", "../composition_data.plist", "LinkOut", "Missing",
                                "/etc/passwd", "..\\composition_data.plist"})
        EXPECT_TRUE(images.dataForIdentifier(QString::fromLatin1(refused)).isEmpty()) << refused;
    EXPECT_TRUE(PackageImages(dir.filePath(QStringLiteral("none"))).dataForIdentifier(QStringLiteral("A1")).isEmpty());
}

} // namespace
