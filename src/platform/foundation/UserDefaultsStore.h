// The application's settings: the user's own values (the persistent domain, kept as an XML property list
// in the user's configuration folder) over the registered built-in values (the registration domain,
// never stored). Reads answer the user's value when there is one, else the registered one, else absent.
//
// Typed reads coerce as Cocoa's user defaults do, through pf::Value's reads: an absent key reads NO, 0,
// 0.0 or a null string; the string "YES" reads YES for boolForKey, "12" reads 12 for integerForKey; a
// value of the wrong kind reads as absent.
//
// Every change of the user's values posts "NSUserDefaultsDidChangeNotification" on the default
// notification centre, with the store as object. Main thread only.
#pragma once

#include "platform/foundation/Value.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace pf {

class UserDefaultsStore {
public:
    static const QString didChangeNotification;

    // A store with no file: nothing is read or written (tests).
    UserDefaultsStore();
    // A store whose user values live in the property list at path: read now, written by synchronize().
    // A file that cannot be read is moved aside (to path + ".unreadable") rather than overwritten.
    explicit UserDefaultsStore(QString path);
    UserDefaultsStore(const UserDefaultsStore&) = delete;
    UserDefaultsStore& operator=(const UserDefaultsStore&) = delete;
    ~UserDefaultsStore();

    // "<generic config folder>/Quorvel/Quorvel.plist".
    static QString defaultPath();
    // The shared store, kept at defaultPath(); made on first use.
    static UserDefaultsStore& standard();
    // Makes store the shared one and answers the previous one (tests give each case a fresh store).
    static std::unique_ptr<UserDefaultsStore> replaceStandard(std::unique_ptr<UserDefaultsStore> store);
    // Runs setUp on the shared store when it is made, or at once when it exists already: the application
    // registers its built-in values here, so that no read can come before them, whoever reads first.
    // Stores given to replaceStandard are left as they are.
    static void setStandardSetUp(void (*setUp)(UserDefaultsStore&));
    // Moves whenever any store's values change or a store is made or made the shared one (never 0): a
    // reader may keep what it read from the shared store for as long as this stays the same.
    static std::uint64_t generation();

    // Adds the entries to the registration domain (replacing registered values of the same keys).
    void registerDefaults(const Value::Dictionary& defaults);

    const Value& objectForKey(QAnyStringView key) const;
    bool boolForKey(QAnyStringView key) const { return objectForKey(key).boolValue(); }
    std::int64_t integerForKey(QAnyStringView key) const { return objectForKey(key).integerValue(); }
    double doubleForKey(QAnyStringView key) const { return objectForKey(key).doubleValue(); }
    float floatForKey(QAnyStringView key) const { return objectForKey(key).floatValue(); }
    const QString& stringForKey(QAnyStringView key) const { return objectForKey(key).asString(); }
    const Value::Array& arrayForKey(QAnyStringView key) const { return objectForKey(key).asArray(); }
    const Value::Dictionary& dictionaryForKey(QAnyStringView key) const { return objectForKey(key).asDictionary(); }

    // Writes into the user's values; a null value removes the key.
    void setObjectForKey(const Value& value, const QString& key);
    void setBoolForKey(bool value, const QString& key) { setObjectForKey(Value(value), key); }
    void setIntegerForKey(std::int64_t value, const QString& key) { setObjectForKey(Value(value), key); }
    void setDoubleForKey(double value, const QString& key) { setObjectForKey(Value(value), key); }
    void removeObjectForKey(const QString& key) { setObjectForKey(Value(), key); }
    // Removes every value of the user's (a reset to the state of a first launch; the file follows at the
    // next synchronize). Posts the change notice when there was anything to remove.
    void removePersistentDomain();

    // The two domains as they stand (a dictionary each).
    const Value& persistentDomain() const { return user_; }
    const Value& registrationDomain() const { return registered_; }

    // Writes the user's values to the file atomically when they changed since the last write. True when
    // the file is up to date (always for a store without a file); false, logged, when writing failed.
    bool synchronize();

    const QString& path() const { return path_; }

private:
    void load();

    QString path_;
    Value user_ = Value::dictionary();
    Value registered_ = Value::dictionary();
    bool dirty_ = false;
};

} // namespace pf
