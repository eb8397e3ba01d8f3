// Preference objects: one object per settings key for the life of the process. Each caches the key's
// value and its registered default, writes changes through to the settings store and to one user-defaults
// controller (the preference pane showing the key, so its controls follow), and announces each change on a
// notification centre of its own.
//
// A cached value is good only while the settings store is unchanged: any change of the user's values made
// by another path (UserDefaults' setters, a reset of every setting, a replaced store) sends the next read
// back to the store, so panes never show or write back a stale value. A cached default is good for one
// generation of registrations (recacheRegisteredKeys starts the next).
//
// OFPreferenceWrapper gives the settings store's vocabulary (objectForKey, boolForKey, setInteger…) on
// preference objects; panes use it as the defaults object of their controllers, so a bound control reads
// and writes through the preference objects.
//
// The class lock (registry, registered keys, generation) and an object's own lock (its caches and its write)
// are never held together. Callers run on the main thread.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/kit/UserDefaultsController.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>

class OFPreference {
public:
    // Posted on the private centre, with the preference as object, after every write.
    static const QString didChangeNotification;

    // The one object of the key, made on first request and kept for the life of the process.
    static OFPreference& preferenceForKey(const QString& key);
    // The keys of every preference object and of the store's registered values; kept until
    // recacheRegisteredKeys.
    static std::set<QString> registeredKeys();
    // Forgets the registered keys and starts a new generation of defaults (each is read again).
    static void recacheRegisteredKeys();
    // Observes the changes of one preference (or of all, for null) until the token goes.
    static pf::NotificationToken addObserver(std::function<void(OFPreference&)> handler, const OFPreference* preference);

    OFPreference(const OFPreference&) = delete;
    OFPreference& operator=(const OFPreference&) = delete;

    const QString& key() const { return key_; }
    pf::UserDefaultsController* controller() const;
    QString controllerKey() const;
    // The controller kept in step (the last pane that added the preference) and its key ("values").
    void setController(pf::UserDefaultsController* controller, const QString& controllerKey);

    // The stored value, or the registered one; null when neither exists.
    pf::Value objectValue() const;
    pf::Value::Array arrayValue() const { return objectValue().asArray(); }
    pf::Value::Dictionary dictionaryValue() const { return objectValue().asDictionary(); }
    QByteArray dataValue() const { return objectValue().asData(); }
    // A string as it stands; any other value as its text (a number as its digits); empty for none.
    QString stringValue() const;
    QStringList stringArrayValue() const;
    // 0, 0, 0.0 and NO when there is no value.
    int integerValue() const { return objectValue().intValue(); }
    unsigned unsignedIntValue() const { return unsigned(objectValue().unsignedIntegerValue()); }
    float floatValue() const { return objectValue().floatValue(); }
    bool boolValue() const { return objectValue().boolValue(); }

    // Writes through to the store and the controller; null removes the key, so the default shows again.
    void setObjectValue(const pf::Value& value);
    void setStringValue(const QString& value) { setObjectValue(pf::Value(value)); }
    void setArrayValue(const pf::Value::Array& value) { setObjectValue(pf::Value(value)); }
    void setDictionaryValue(const pf::Value::Dictionary& value) { setObjectValue(pf::Value(value)); }
    void setDataValue(const QByteArray& value) { setObjectValue(pf::Value(value)); }
    void setIntegerValue(int value) { setObjectValue(pf::Value(value)); }
    void setUnsignedIntegerValue(unsigned value) { setObjectValue(pf::Value(std::int64_t(value))); }
    void setFloatValue(float value) { setObjectValue(pf::Value(double(value))); }
    void setBoolValue(bool value) { setObjectValue(pf::Value(value)); }
    void restoreDefaultValue() { setObjectValue(pf::Value()); }

    // The registered value; null when none.
    pf::Value defaultObjectValue() const;
    // Whether the value differs from the registered one (a missing value differs from a present default).
    bool hasNonDefaultValue() const;

private:
    explicit OFPreference(QString key);

    QString key_;
    // The object's own lock; recursive, since a controller may write the same key back while this one
    // writes (the re-entry guard then stops the loop).
    mutable std::recursive_mutex monitor_;
    // The store generation the cached value belongs to; 0: not read.
    mutable std::uint64_t valueGeneration_ = 0;
    mutable pf::Value value_;
    // The registration generation the cached default belongs to; 0: not read.
    mutable std::uint32_t defaultGeneration_ = 0;
    mutable pf::Value defaultValue_;
    pf::UserDefaultsController* controller_ = nullptr;
    QString controllerKey_;
    bool updatingController_ = false;
};

class OFPreferenceWrapper : public pf::DefaultsObject {
public:
    static OFPreferenceWrapper& sharedPreferenceWrapper();

    OFPreference& preferenceForKey(const QString& key) { return OFPreference::preferenceForKey(key); }

    pf::Value objectForKey(const QString& key) const { return OFPreference::preferenceForKey(key).objectValue(); }
    pf::Value valueForKey(const QString& key) const override { return objectForKey(key); }
    void setObjectForKey(const pf::Value& value, const QString& key) { preferenceForKey(key).setObjectValue(value); }
    void setValueForKey(const pf::Value& value, const QString& key) override { setObjectForKey(value, key); }
    void removeObjectForKey(const QString& key) { preferenceForKey(key).restoreDefaultValue(); }

    QString stringForKey(const QString& key) { return preferenceForKey(key).stringValue(); }
    pf::Value::Array arrayForKey(const QString& key) { return preferenceForKey(key).arrayValue(); }
    pf::Value::Dictionary dictionaryForKey(const QString& key) { return preferenceForKey(key).dictionaryValue(); }
    QByteArray dataForKey(const QString& key) { return preferenceForKey(key).dataValue(); }
    QStringList stringArrayForKey(const QString& key) { return preferenceForKey(key).stringArrayValue(); }
    int integerForKey(const QString& key) { return preferenceForKey(key).integerValue(); }
    float floatForKey(const QString& key) { return preferenceForKey(key).floatValue(); }
    bool boolForKey(const QString& key) { return preferenceForKey(key).boolValue(); }
    void setIntegerForKey(int value, const QString& key) { preferenceForKey(key).setIntegerValue(value); }
    void setFloatForKey(float value, const QString& key) { preferenceForKey(key).setFloatValue(value); }
    void setBoolForKey(bool value, const QString& key) { preferenceForKey(key).setBoolValue(value); }

    // Both write the store's file; the first answers whether it is up to date.
    bool synchronize();
    void autoSynchronize() { synchronize(); }
    // The store keeps no volatile domains: always an empty dictionary.
    pf::Value::Dictionary volatileDomainForName(const QString& name) const;

private:
    OFPreferenceWrapper() = default;
};
