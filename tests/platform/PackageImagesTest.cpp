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

// "Resources" may itself be a link: what counts is where the picture really is, inside the package's own
// real folder, whatever links the package path or "Resources" go through.
TEST(PackageImages, ReadsOnlyPicturesWhoseRealPathLiesInsideThePackage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("elsewhere"))));
    writeFile(dir.filePath(QStringLiteral("elsewhere/A1")), "elsewhere");

    const QString escaping = dir.filePath(QStringLiteral("Escaping.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(escaping));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere")), escaping + QStringLiteral("/Resources")));
    EXPECT_TRUE(PackageImages(escaping).dataForIdentifier(QStringLiteral("A1")).isEmpty());

    // A link from the package's "Resources" to a folder of the same package stays inside it.
    const QString inward = dir.filePath(QStringLiteral("Inward.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(inward + QStringLiteral("/Pictures")));
    writeFile(inward + QStringLiteral("/Pictures/A1"), "inside");
    ASSERT_TRUE(QFile::link(inward + QStringLiteral("/Pictures"), inward + QStringLiteral("/Resources")));
    EXPECT_EQ(PackageImages(inward).dataForIdentifier(QStringLiteral("A1")), QByteArray("inside"));

    // The package reached through a link is the package it leads to.
    const QString linkedPackage = dir.filePath(QStringLiteral("Linked.quorveldoc"));
    ASSERT_TRUE(QFile::link(inward, linkedPackage));
    EXPECT_EQ(PackageImages(linkedPackage).dataForIdentifier(QStringLiteral("A1")), QByteArray("inside"));
    const QString linkedEscaping = dir.filePath(QStringLiteral("LinkedEscaping.quorveldoc"));
    ASSERT_TRUE(QFile::link(escaping, linkedEscaping));
    EXPECT_TRUE(PackageImages(linkedEscaping).dataForIdentifier(QStringLiteral("A1")).isEmpty());
}

} // namespace
