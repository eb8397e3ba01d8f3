// The store of sticky defaults (the style a new shape takes from the last edited one) and the two
// process-wide counters that switch sticky setting and getting off.
//
// The counters move only through the scope guards below: a guard adds 1 when made and takes it back when
// it ends, also when an exception passes, so no caller can leave them unbalanced or below 0.
//
//     StickyDefaults::doWithoutStickySetting([&] { page.addShape(copy); });
//
// The keys and the three-level lookup live on the shape's class object (ShapeClass).
#pragma once

#include "platform/foundation/Value.h"

#include <QString>

#include <map>
#include <utility>

// Where sticky values are kept: the user defaults, whose registered values hold the per-class and
// built-in levels and whose user values the user level.
class StickyStore {
public:
    virtual ~StickyStore() = default;
    // Null when no level of the defaults has the key.
    virtual pf::Value objectForKey(const QString& key) const = 0;
    virtual void setObjectForKey(const pf::Value& value, const QString& key) = 0;
    // The user's "StickyPropertiesEnabled" setting: whether new shapes read the user level.
    virtual bool stickyPropertiesEnabled() const = 0;
};

// An in-memory store: registered values under the user's own, as the user defaults keep them.
class MemoryStickyStore : public StickyStore {
public:
    pf::Value objectForKey(const QString& key) const override;
    void setObjectForKey(const pf::Value& value, const QString& key) override;
    bool stickyPropertiesEnabled() const override { return stickyPropertiesEnabled_; }

    void registerDefault(const QString& key, const pf::Value& value) { registered_[key] = value; }
    void setStickyPropertiesEnabled(bool on) { stickyPropertiesEnabled_ = on; }
    // The user's own values (what sticky setters wrote).
    const std::map<QString, pf::Value>& userValues() const { return user_; }
    void clearUserValues() { user_.clear(); }

private:
    std::map<QString, pf::Value> registered_;
    std::map<QString, pf::Value> user_;
    bool stickyPropertiesEnabled_ = true;
};

namespace StickyDefaults {

StickyStore& store();
// Replaces the store (tests); null puts back the process's own. Answers the store that was in use.
StickyStore* setStore(StickyStore* store);

bool isStickySettingEnabled();
bool isStickyGettingEnabled();

// Sticky setting off for the guard's scope.
class [[nodiscard]] WithoutSetting {
public:
    WithoutSetting();
    ~WithoutSetting();
    WithoutSetting(const WithoutSetting&) = delete;
    WithoutSetting& operator=(const WithoutSetting&) = delete;
};

// Sticky setting and getting off for the guard's scope (setting switched off first and back on first).
class [[nodiscard]] WithoutSettingOrGetting {
public:
    WithoutSettingOrGetting();
    ~WithoutSettingOrGetting();
    WithoutSettingOrGetting(const WithoutSettingOrGetting&) = delete;
    WithoutSettingOrGetting& operator=(const WithoutSettingOrGetting&) = delete;
};

template <class F>
decltype(auto) doWithoutStickySetting(F&& f)
{
    WithoutSetting guard;
    return std::forward<F>(f)();
}

template <class F>
decltype(auto) doWithoutStickySettingOrGetting(F&& f)
{
    WithoutSettingOrGetting guard;
    return std::forward<F>(f)();
}

} // namespace StickyDefaults
