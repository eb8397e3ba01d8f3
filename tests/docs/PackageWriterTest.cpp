#include "docs/DocsTestSupport.h"

#include "platform/docs/FileWrapper.h"
#include "platform/docs/PackageWriter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace docs_test;

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

class PackageWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        package = dir.filePath("A.quorveldoc");
        writeFile(package + "/composition_data.plist", "plist");
        writeFile(package + "/Resources/ABC", "picture");
        writeFile(package + "/Extra/deep/x.bin", "unknown");
        writeFile(dir.filePath("outside.txt"), "beside the package");
        ::symlink("../outside.txt", QFile::encodeName(package + "/link").constData());
    }

    QTemporaryDir dir;
    QString package;
};

} // namespace

TEST(FileWrapperTest, OnlyOneSafeComponentNamesAChild)
{
    struct Case {
        QString name;
        bool safe;
    };
    const Case cases[] = {
        {"ABC", true},           {"Photo 1.png", true},     {"", false},
        {".", false},            {"..", false},             {"../x", false},
        {"/etc/passwd", false},  {"a/b", false},            {QString("a") + QChar(0) + "b", false},
        {QString(255, 'x'), true}, {QString(256, 'x'), false},
        // 255 bytes is the limit, not 255 characters: 128 two-byte letters are 256 bytes.
        {QString(128, QChar(0xE9)), false}, {"a\\b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pf::FileWrapper::isSafeName(c.name), c.safe) << c.name.left(20).toStdString();

    auto folder = pf::FileWrapper::directory();
    EXPECT_TRUE(folder->addChild("../x", pf::FileWrapper::regularFile("x")).isEmpty());
    EXPECT_FALSE(folder->setChild("a/b", pf::FileWrapper::regularFile("x")));
    EXPECT_TRUE(folder->children().empty());
    EXPECT_EQ(folder->addChild("n", pf::FileWrapper::regularFile("1")), "n");
    EXPECT_EQ(folder->addChild("n", pf::FileWrapper::regularFile("2")), "2 n");
}

TEST_F(PackageWriterTest, ReadsLazilyAndKeepsLinksAsLinks)
{
    QString error;
    auto tree = pf::FileWrapper::readFromPath(package, &error);
    ASSERT_TRUE(tree) << error.toStdString();
    auto link = tree->child("link");
    ASSERT_TRUE(link && link->isSymbolicLink());
    EXPECT_EQ(link->symbolicLinkTarget(), "../outside.txt");
    // Unread until asked: changing the file before the first read shows the new bytes.
    writeFile(package + "/Resources/ABC", "changed");
    EXPECT_EQ(tree->child("Resources")->child("ABC")->regularFileContents(), "changed");
    EXPECT_TRUE(tree->child("Extra")->child("deep")->child("x.bin"));
}

TEST_F(PackageWriterTest, RewritingLinksUnchangedFilesAndWritesChangedOnes)
{
    auto tree = pf::FileWrapper::readFromPath(package);
    ASSERT_TRUE(tree);
    const ino_t pictureBefore = inodeOf(package + "/Resources/ABC");
    const ino_t plistBefore = inodeOf(package + "/composition_data.plist");
    tree->setChild("composition_data.plist", pf::FileWrapper::regularFile("new plist"));

    QString error;
    ASSERT_TRUE(pf::packageWriter::write(*tree, package, &error)) << error.toStdString();
    EXPECT_EQ(inodeOf(package + "/Resources/ABC"), pictureBefore); // linked, not written
    EXPECT_NE(inodeOf(package + "/composition_data.plist"), plistBefore);
    EXPECT_EQ(readFile(package + "/composition_data.plist"), "new plist");
    EXPECT_EQ(readFile(package + "/Extra/deep/x.bin"), "unknown");
    EXPECT_EQ(readFile(dir.filePath("outside.txt")), "beside the package");
    char target[64] = {};
    ASSERT_GT(::readlink(QFile::encodeName(package + "/link").constData(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "../outside.txt");
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.quorveldoc", "outside.txt"}));

    // The sources now live in the new package: a second save links from there.
    EXPECT_EQ(tree->child("Resources")->child("ABC")->sourcePath(), package + "/Resources/ABC");
    ASSERT_TRUE(pf::packageWriter::write(*tree, package, &error)) << error.toStdString();
    EXPECT_EQ(inodeOf(package + "/Resources/ABC"), pictureBefore);
    EXPECT_EQ(readFile(package + "/Resources/ABC"), "picture");
}

TEST_F(PackageWriterTest, AFileChangedOnDiskSinceReadingIsNotLinkedAsUnchanged)
{
    auto tree = pf::FileWrapper::readFromPath(package);
    ASSERT_TRUE(tree);
    // Read into memory first, then changed by someone else: the save writes what the document holds.
    EXPECT_EQ(tree->child("Resources")->child("ABC")->regularFileContents(), "picture");
    ::unlink(QFile::encodeName(package + "/Resources/ABC").constData());
    writeFile(package + "/Resources/ABC", "someone else's");
    ASSERT_TRUE(pf::packageWriter::write(*tree, package));
    EXPECT_EQ(readFile(package + "/Resources/ABC"), "picture");
}

TEST_F(PackageWriterTest, AFailedStepLeavesTheOldPackageAndNoTemporary)
{
    const auto before = treeOf(package);
    for (const auto stage : {pf::packageWriter::Stage::Write, pf::packageWriter::Stage::Sync,
                             pf::packageWriter::Stage::Swap}) {
        auto tree = pf::FileWrapper::readFromPath(package);
        ASSERT_TRUE(tree);
        tree->setChild("composition_data.plist", pf::FileWrapper::regularFile("new plist"));
        tree->removeChild("Extra");
        pf::ScopedPackageWriteFault fault(stage);
        QString error;
        EXPECT_FALSE(pf::packageWriter::write(*tree, package, &error)) << static_cast<int>(stage);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(treeOf(package), before) << static_cast<int>(stage);
        EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.quorveldoc", "outside.txt"})) << static_cast<int>(stage);
    }
}

TEST_F(PackageWriterTest, APlaceThatCannotTakeThePackageFailsAtOnceWithItsReason)
{
    auto tree = pf::FileWrapper::readFromPath(package);
    ASSERT_TRUE(tree);
    const auto before = treeOf(dir.path());
    const QString tooLong = QString(300, QLatin1Char('n')) + ".quorveldoc";
    struct Case {
        const char* what;
        QString destination;
        std::optional<pf::packageWriter::Stage> fault;
        int error;
    };
    std::vector<Case> cases = {
        {"parent is a file", dir.filePath("outside.txt/B.quorveldoc"), {}, ENOTDIR},
        {"parent is missing", dir.filePath("missing/B.quorveldoc"), {}, ENOENT},
        {"name too long", dir.filePath(tooLong), {}, ENAMETOOLONG},
        {"path too long", dir.filePath(QString(40, QLatin1Char('d')).repeated(120) + "/B.quorveldoc"), {}, ENAMETOOLONG},
        {"disk full", dir.filePath("B.quorveldoc"), pf::packageWriter::Stage::Write, ENOSPC},
        {"read-only file system", dir.filePath("B.quorveldoc"), pf::packageWriter::Stage::Write, EROFS},
        {"no permission", dir.filePath("B.quorveldoc"), pf::packageWriter::Stage::Write, EACCES},
        {"disk full replacing", package, pf::packageWriter::Stage::Write, ENOSPC},
        {"no permission to swap", package, pf::packageWriter::Stage::Swap, EACCES},
    };
    // Permissions bind only other users than the superuser.
    QTemporaryDir locked;
    if (::geteuid() != 0) {
        ::chmod(QFile::encodeName(locked.path()).constData(), 0500);
        cases.push_back({"read-only folder", locked.filePath("B.quorveldoc"), {}, EACCES});
    }
    for (const Case& c : cases) {
        std::optional<pf::ScopedPackageWriteFault> fault;
        if (c.fault)
            fault.emplace(*c.fault, c.error);
        QString error;
        EXPECT_FALSE(pf::packageWriter::write(*tree, c.destination, &error)) << c.what;
        EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(c.error)))) << c.what << ": " << error.toStdString();
        EXPECT_EQ(treeOf(dir.path()), before) << c.what;
    }
    ::chmod(QFile::encodeName(locked.path()).constData(), 0700);
}

TEST_F(PackageWriterTest, ANewPackageAndALinkedSnapshot)
{
    auto tree = pf::FileWrapper::readFromPath(package);
    ASSERT_TRUE(tree);
    const QString copy = dir.filePath("B.quorveldoc");
    ASSERT_TRUE(pf::packageWriter::write(*tree, copy));
    EXPECT_EQ(treeOf(copy), treeOf(package));

    const QString snapshot = dir.filePath("snapshot");
    ASSERT_TRUE(pf::packageWriter::linkCopyTree(package, snapshot));
    EXPECT_EQ(treeOf(snapshot), treeOf(package));
    EXPECT_EQ(inodeOf(snapshot + "/Resources/ABC"), inodeOf(package + "/Resources/ABC"));
    // Removing a tree never follows its links.
    ASSERT_TRUE(pf::packageWriter::removeTree(snapshot));
    EXPECT_FALSE(QFileInfo::exists(snapshot));
    EXPECT_EQ(readFile(dir.filePath("outside.txt")), "beside the package");
}

TEST_F(PackageWriterTest, AFileMadeAsItIsWrittenGoesStraightToItsPlace)
{
    // Bytes made in pieces, counted: before the save they are made on request, after it they are read
    // from where they were written.
    int made = 0;
    const auto pieces = [&made](const pf::ByteSink& sink, QString*) {
        ++made;
        for (int i = 0; i < 3; ++i)
            if (!sink(QByteArray(100000, char('a' + i))))
                return false;
        return true;
    };
    const QByteArray expected = QByteArray(100000, 'a') + QByteArray(100000, 'b') + QByteArray(100000, 'c');
    auto tree = pf::FileWrapper::readFromPath(package);
    ASSERT_TRUE(tree);
    tree->setChild("composition_data.plist", pf::FileWrapper::regularFileWrittenBy(pieces));
    const auto file = tree->child("composition_data.plist");
    EXPECT_EQ(file->regularFileContents(), expected);
    QString error;
    ASSERT_TRUE(pf::packageWriter::write(*tree, package, &error)) << error.toStdString();
    EXPECT_EQ(readFile(package + "/composition_data.plist"), expected);
    EXPECT_EQ(file->sourcePath(), package + "/composition_data.plist");
    EXPECT_EQ(made, 2);
    EXPECT_EQ(file->regularFileContents(), expected);
    EXPECT_EQ(made, 2);
}

TEST_F(PackageWriterTest, BytesThatFailPartWayLeaveTheOldPackageAndNoTemporary)
{
    const auto before = treeOf(package);
    const auto halfMade = [](const pf::ByteSink& sink, QString* error) {
        if (!sink(QByteArray(200000, 'x')))
            return false;
        *error = QStringLiteral("the pages could not be made");
        return false;
    };
    auto tree = pf::FileWrapper::readFromPath(package);
    ASSERT_TRUE(tree);
    tree->setChild("composition_data.plist", pf::FileWrapper::regularFileWrittenBy(halfMade));
    QString error;
    EXPECT_FALSE(pf::packageWriter::write(*tree, package, &error));
    EXPECT_EQ(error, "the pages could not be made");
    EXPECT_EQ(treeOf(package), before);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.quorveldoc", "outside.txt"}));

    // The disk refuses part-way (a file-size limit stands in for a full disk): the writer stops at the
    // piece refused, with the system's reason.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 150000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int offered = 0;
    tree->setChild("composition_data.plist", pf::FileWrapper::regularFileWrittenBy([&offered](const pf::ByteSink& sink, QString*) {
        for (int i = 0; i < 5; ++i, ++offered)
            if (!sink(QByteArray(100000, 'y')))
                return false;
        return true;
    }));
    const bool wrote = pf::packageWriter::write(*tree, package, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(offered, 1);
    EXPECT_TRUE(error.contains("Can't write") && error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << error.toStdString();
    EXPECT_EQ(treeOf(package), before);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.quorveldoc", "outside.txt"}));
}
