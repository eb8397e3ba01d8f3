#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using pf::UserDefaultsStore;
using pf::Value;

TEST(UserDefaultsStore, UserValuesOverRegisteredOnes)
{
    UserDefaultsStore store;
    store.registerDefaults({{"Size", 12.0}, {"Name", "Helvetica"}});
    EXPECT_EQ(store.doubleForKey(u"Size"), 12.0);
    store.setDoubleForKey(14, "Size");
    EXPECT_EQ(store.doubleForKey(u"Size"), 14.0);
    EXPECT_EQ(store.registrationDomain().doubleForKey(u"Size"), 12.0);
    store.removeObjectForKey("Size");
    EXPECT_EQ(store.doubleForKey(u"Size"), 12.0);
    // A later registration replaces a registered value, never a user's one.
    store.setObjectForKey(Value("Times"), "Name");
    store.registerDefaults({{"Name", "Courier"}, {"Size", 10.0}});
    EXPECT_EQ(store.stringForKey(u"Name"), "Times");
    EXPECT_EQ(store.doubleForKey(u"Size"), 10.0);
}

TEST(UserDefaultsStore, TypedReadsCoerceAsCocoa)
{
    UserDefaultsStore store;
    store.registerDefaults({{"Yes", "YES"}, {"No", "NO"}, {"Number", "12.75"}, {"One", 1}, {"Real", 2.9},
                            {"List", Value::Array{1, 2}}});
    EXPECT_FALSE(store.boolForKey(u"Missing"));
    EXPECT_EQ(store.integerForKey(u"Missing"), 0);
    EXPECT_EQ(store.doubleForKey(u"Missing"), 0.0);
    EXPECT_TRUE(store.stringForKey(u"Missing").isNull());
    EXPECT_TRUE(store.boolForKey(u"Yes"));
    EXPECT_FALSE(store.boolForKey(u"No"));
    EXPECT_EQ(store.integerForKey(u"Number"), 12);
    EXPECT_EQ(store.doubleForKey(u"Number"), 12.75);
    EXPECT_TRUE(store.boolForKey(u"One"));
    EXPECT_EQ(store.integerForKey(u"Real"), 2);
    EXPECT_TRUE(store.stringForKey(u"One").isNull()) << "a number is not a string";
    EXPECT_EQ(store.integerForKey(u"List"), 0);
    EXPECT_EQ(store.arrayForKey(u"List").size(), 2u);
    EXPECT_TRUE(store.dictionaryForKey(u"List").empty());
}

TEST(UserDefaultsStore, PostsOnlyRealChanges)
{
    UserDefaultsStore store;
    int posted = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        UserDefaultsStore::didChangeNotification, &store, [&posted](const pf::Notification& n) {
            EXPECT_EQ(n.name, "NSUserDefaultsDidChangeNotification");
            ++posted;
        });
    store.setBoolForKey(true, "A");
    store.setBoolForKey(true, "A");
    store.removeObjectForKey("B");
    store.setIntegerForKey(3, "A");
    store.removeObjectForKey("A");
    store.registerDefaults({{"C", 1}});
    EXPECT_EQ(posted, 3);
}

TEST(UserDefaultsStore, RemovingTheUserDomainLeavesTheRegisteredValuesAndReachesTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Quorvel.plist");
    UserDefaultsStore store(path);
    store.registerDefaults({{"Size", 12}});
    store.setIntegerForKey(14, "Size");
    store.setBoolForKey(true, "Frame");
    ASSERT_TRUE(store.synchronize());
    int posted = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        UserDefaultsStore::didChangeNotification, &store, [&posted](const pf::Notification&) { ++posted; });
    const auto before = UserDefaultsStore::generation();
    store.removePersistentDomain();
    EXPECT_EQ(posted, 1);
    EXPECT_NE(UserDefaultsStore::generation(), before);
    EXPECT_EQ(store.integerForKey(u"Size"), 12);
    EXPECT_FALSE(store.boolForKey(u"Frame"));
    store.removePersistentDomain();
    EXPECT_EQ(posted, 1) << "nothing left to remove";
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(UserDefaultsStore(path).persistentDomain().count(), 0u) << "the emptied domain is written";
}

TEST(UserDefaultsStore, SynchronizeRoundTripsThroughTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("config/Quorvel/Quorvel.plist");
    {
        UserDefaultsStore store(path);
        store.registerDefaults({{"Registered", true}});
        EXPECT_TRUE(store.synchronize()) << "nothing to write yet";
        EXPECT_FALSE(QFile::exists(path));
        store.setBoolForKey(true, "Flag");
        store.setDoubleForKey(0.1, "Real");
        store.setObjectForKey(Value("Nimbus Sans"), "Font");
        store.setObjectForKey(Value::Dictionary{{"width", 612.0}}, "LastSelectedMetrics");
        EXPECT_TRUE(store.synchronize());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_FALSE(xml.contains("Registered")) << "only the user's values are stored";

    UserDefaultsStore reopened(path);
    EXPECT_TRUE(reopened.boolForKey(u"Flag"));
    EXPECT_EQ(reopened.doubleForKey(u"Real"), 0.1);
    EXPECT_EQ(reopened.stringForKey(u"Font"), "Nimbus Sans");
    EXPECT_EQ(reopened.dictionaryForKey(u"LastSelectedMetrics").size(), 1u);
    EXPECT_FALSE(reopened.boolForKey(u"Registered"));
}

// One value with no property-list form must not block every later save.
TEST(UserDefaultsStore, ValuesThatCannotBeSavedAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    UserDefaultsStore store(dir.filePath("Quorvel.plist"));
    store.setObjectForKey(Value(QString(QChar(1))), "Control");
    store.setObjectForKey(Value::Array{Value(), Value(1)}, "NullInside");
    store.setBoolForKey(true, "Good");
    EXPECT_TRUE(store.objectForKey(u"Control").isNull());
    EXPECT_TRUE(store.objectForKey(u"NullInside").isNull());
    EXPECT_TRUE(store.synchronize());
    EXPECT_TRUE(UserDefaultsStore(dir.filePath("Quorvel.plist")).boolForKey(u"Good"));
}

TEST(UserDefaultsStore, AnUnreadableFileIsKeptAside)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorvel.plist");
    for (const QByteArray& bad : {QByteArray("bplist00garbage"), QByteArray("<plist><array/></plist>")}) {
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bad);
        }
        UserDefaultsStore store(path);
        EXPECT_EQ(store.persistentDomain().count(), 0u);
        QFile aside(path + ".unreadable");
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), bad);
        store.setBoolForKey(true, "Flag");
        EXPECT_TRUE(store.synchronize());
        EXPECT_TRUE(UserDefaultsStore(path).boolForKey(u"Flag"));
        QFile::remove(path);
    }
}

TEST(UserDefaultsStore, StandardStoreLivesInTheConfigFolderAndCanBeReplaced)
{
    EXPECT_TRUE(UserDefaultsStore::defaultPath().startsWith(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
    EXPECT_TRUE(UserDefaultsStore::defaultPath().endsWith("/Quorvel/Quorvel.plist"));

    auto previous = UserDefaultsStore::replaceStandard(std::make_unique<UserDefaultsStore>());
    UserDefaultsStore& replacement = UserDefaultsStore::standard();
    EXPECT_TRUE(replacement.path().isEmpty());
    replacement.setBoolForKey(true, "Flag");
    EXPECT_TRUE(replacement.synchronize()) << "an in-memory store has nothing to write";
    auto mine = UserDefaultsStore::replaceStandard(std::move(previous));
    EXPECT_EQ(mine.get(), &replacement);
}

} // namespace
