#include "PreferencesFixture.h"

#include "model/UserDefaults.h"
#include "platform/foundation/NotificationCenter.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

using preftest::PreferencesFixture;
using pf::Value;

using PreferenceObjectTest = PreferencesFixture;

TEST_F(PreferenceObjectTest, ReadsTheDefaultUntilSetAndAgainAfterARestore)
{
    store().registerDefaults({{"PrefTest-Size", 12}});
    OFPreference& size = OFPreference::preferenceForKey("PrefTest-Size");
    EXPECT_EQ(&size, &OFPreference::preferenceForKey("PrefTest-Size")) << "one object per key";
    EXPECT_EQ(&size, &OFPreferenceWrapper::sharedPreferenceWrapper().preferenceForKey("PrefTest-Size"));

    EXPECT_EQ(size.integerValue(), 12);
    EXPECT_EQ(size.defaultObjectValue(), Value(12));
    EXPECT_FALSE(size.hasNonDefaultValue());

    size.setIntegerValue(14);
    EXPECT_EQ(size.integerValue(), 14);
    EXPECT_EQ(store().integerForKey(u"PrefTest-Size"), 14) << "written through";
    EXPECT_TRUE(size.hasNonDefaultValue());

    size.restoreDefaultValue();
    EXPECT_TRUE(store().persistentDomain().objectForKey(u"PrefTest-Size").isNull()) << "the key is removed";
    EXPECT_EQ(size.integerValue(), 12);
    EXPECT_FALSE(size.hasNonDefaultValue());

    // A key with neither value nor default.
    OFPreference& missing = OFPreference::preferenceForKey("PrefTest-Missing");
    EXPECT_FALSE(missing.hasNonDefaultValue());
    missing.setBoolValue(false);
    EXPECT_TRUE(missing.hasNonDefaultValue()) << "a stored NO differs from no default";
}

TEST_F(PreferenceObjectTest, TypedReadsOfWhatIsStored)
{
    struct Case {
        Value stored;
        int integer;
        float real;
        bool on;
        QString text;
    };
    const Case cases[] = {
        {Value(), 0, 0.0f, false, QString()},
        {Value(12), 12, 12.0f, true, "12"},
        {Value(2.5), 2, 2.5f, true, "2.5"},
        {Value("YES"), 0, 0.0f, true, "YES"},
        {Value("17"), 17, 17.0f, true, "17"},
        {Value(false), 0, 0.0f, false, "0"},
        {Value(true), 1, 1.0f, true, "1"},
    };
    auto& wrapper = OFPreferenceWrapper::sharedPreferenceWrapper();
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.stored.description()));
        wrapper.setObjectForKey(c.stored, "PrefTest-Typed");
        EXPECT_EQ(wrapper.integerForKey("PrefTest-Typed"), c.integer);
        EXPECT_EQ(wrapper.floatForKey("PrefTest-Typed"), c.real);
        EXPECT_EQ(wrapper.boolForKey("PrefTest-Typed"), c.on);
        EXPECT_EQ(wrapper.stringForKey("PrefTest-Typed"), c.text);
    }
    wrapper.setObjectForKey(Value(Value::Array{"a", 1, "b"}), "PrefTest-Typed");
    EXPECT_EQ(wrapper.stringArrayForKey("PrefTest-Typed"), (QStringList{"a", "b"}));
    EXPECT_TRUE(wrapper.volatileDomainForName("NSArgumentDomain").empty());
}

// A controller whose defaults object is the wrapper, as a pane is: its write goes back through the wrapper.
class WritingBackController : public pf::UserDefaultsController {
public:
    WritingBackController() : pf::UserDefaultsController(&OFPreferenceWrapper::sharedPreferenceWrapper()) {}
    void setValueForKeyPath(const Value& value, const QString& keyPath) override
    {
        ++calls;
        lastPath = keyPath;
        pf::UserDefaultsController::setValueForKeyPath(value, keyPath);
    }
    int calls = 0;
    QString lastPath;
};

TEST_F(PreferenceObjectTest, AControllerThatWritesBackDoesNotLoop)
{
    OFPreference& preference = OFPreference::preferenceForKey("PrefTest-Loop");
    WritingBackController controller;
    preference.setController(&controller, "values");
    // Each pass of the write path writes the store, then announces the change.
    int writes = 0;
    auto token = OFPreference::addObserver([&writes](OFPreference&) { ++writes; }, &preference);

    preference.setIntegerValue(7);
    EXPECT_EQ(controller.calls, 1);
    EXPECT_EQ(controller.lastPath, "values.PrefTest-Loop");
    EXPECT_EQ(writes, 2) << "once by the preference, once by the controller's write-back";
    EXPECT_EQ(preference.integerValue(), 7);

    // A write coming from the controller (a bound control) comes back to it once through the preference,
    // and stops there.
    controller.calls = 0;
    controller.setValueForKeyPath(Value(9), "values.PrefTest-Loop");
    EXPECT_EQ(controller.calls, 2);
    EXPECT_EQ(store().integerForKey(u"PrefTest-Loop"), 9);
    preference.setController(nullptr, {});
}

TEST_F(PreferenceObjectTest, RecachingRegisteredKeysShowsANewDefault)
{
    OFPreference& preference = OFPreference::preferenceForKey("PrefTest-Later");
    EXPECT_TRUE(preference.defaultObjectValue().isNull());
    store().registerDefaults({{"PrefTest-Later", "late"}});
    EXPECT_TRUE(preference.defaultObjectValue().isNull()) << "defaults are cached for a generation";
    EXPECT_EQ(OFPreference::registeredKeys().count("PrefTest-Registered"), 0u);
    store().registerDefaults({{"PrefTest-Registered", 1}});
    EXPECT_EQ(OFPreference::registeredKeys().count("PrefTest-Registered"), 0u) << "kept until recached";

    OFPreference::recacheRegisteredKeys();
    EXPECT_EQ(preference.defaultObjectValue(), Value("late"));
    EXPECT_EQ(preference.stringValue(), "late");
    const auto keys = OFPreference::registeredKeys();
    EXPECT_EQ(keys.count("PrefTest-Registered"), 1u);
    EXPECT_EQ(keys.count("PrefTest-Later"), 1u);
}

TEST_F(PreferenceObjectTest, ChangesMadeByOtherPathsAreSeen)
{
    UserDefaults::registerDefaultValues(store());
    OFPreference& rulers = OFPreference::preferenceForKey("RulersVisible");
    const bool initial = rulers.boolValue();

    // A menu command writes the setting through the typed accessor.
    UserDefaults::instance().setRulersVisible(!initial);
    EXPECT_EQ(rulers.boolValue(), !initial);

    // "Reset everything" removes the user's whole domain.
    rulers.setBoolValue(!initial);
    store().setIntegerForKey(3, "PrefTest-Other");
    OFPreference& other = OFPreference::preferenceForKey("PrefTest-Other");
    EXPECT_EQ(other.integerValue(), 3);
    store().removePersistentDomain();
    EXPECT_EQ(rulers.boolValue(), initial);
    EXPECT_EQ(other.integerValue(), 0);
    EXPECT_FALSE(rulers.hasNonDefaultValue());

    // A value the store refuses (no property-list form) is not kept as if it had been stored.
    other.setStringValue(QString(QChar(0x1)) + "bad");
    EXPECT_EQ(other.integerValue(), 0);
    EXPECT_TRUE(other.objectValue().isNull());
}

TEST_F(PreferenceObjectTest, SynchronizeWritesTheSettingsFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QStandardPaths::setTestModeEnabled(false);
    const QString path = pf::UserDefaultsStore::defaultPath();
    QStandardPaths::setTestModeEnabled(true);
    EXPECT_TRUE(path.startsWith(dir.path()));
    auto previous = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>(path));

    auto& wrapper = OFPreferenceWrapper::sharedPreferenceWrapper();
    wrapper.setIntegerForKey(42, "PrefTest-Saved");
    wrapper.setBoolForKey(true, "PrefTest-Flag");
    EXPECT_TRUE(wrapper.synchronize());
    EXPECT_TRUE(QFile::exists(path));
    {
        pf::UserDefaultsStore reread(path);
        EXPECT_EQ(reread.integerForKey(u"PrefTest-Saved"), 42);
        EXPECT_TRUE(reread.boolForKey(u"PrefTest-Flag"));
    }
    // A store read from that file answers the same through the preference objects.
    pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>(path));
    EXPECT_EQ(wrapper.integerForKey("PrefTest-Saved"), 42);

    pf::UserDefaultsStore::replaceStandard(std::move(previous));
    if (previousConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", previousConfig);
}

} // namespace
