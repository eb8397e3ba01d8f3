#include "app/DocumentTypes.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs a program to its end; its exit code, with what it said in output.
int run(const QString& program, const QStringList& arguments, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

TEST(DesktopIntegration, TheInstalledLauncherIsValidAndPackagesHaveTheTablesType)
{
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    const QString updateMime = QStandardPaths::findExecutable("update-mime-database");
    if (validate.isEmpty() || updateMime.isEmpty())
        GTEST_SKIP() << "desktop-file-utils or shared-mime-info is not installed (scripts/setup installs them)";
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QString output;
    ASSERT_EQ(run(QUORVEL_CMAKE_COMMAND, {"--install", QUORVEL_BINARY_DIR, "--prefix", prefix.path(),
                                          "--component", "desktop"}, &output), 0)
        << output.toStdString();

    const QString launcher = prefix.filePath("share/applications/quorvel.desktop");
    EXPECT_EQ(run(validate, {launcher}, &output), 0) << output.toStdString();
    QFile launcherFile(launcher);
    ASSERT_TRUE(launcherFile.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(launcherFile.readAll());
    EXPECT_TRUE(entry.contains("\nExec=quorvel %F\n"));
    EXPECT_TRUE(entry.contains(QString::fromLatin1(documentTypes::PackageMimeType) + ";"));

    const QString mime = prefix.filePath("share/mime");
    ASSERT_EQ(run(updateMime, {mime}, &output), 0) << output.toStdString();
    QFile globs(mime + "/globs2");
    ASSERT_TRUE(globs.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(globs.readAll())
                    .contains(QStringLiteral(":%1:*.%2").arg(documentTypes::PackageMimeType, documentTypes::PackageExtension)));
    QFile subclasses(mime + "/subclasses");
    ASSERT_TRUE(subclasses.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(subclasses.readAll())
                    .contains(QStringLiteral("%1 inode/directory").arg(documentTypes::PackageMimeType)));
}
