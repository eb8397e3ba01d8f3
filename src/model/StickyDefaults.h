// Sticky defaults (the style a new shape takes from the last edited one): the two counters, one pair per
// thread, that switch sticky setting and getting off for what that thread does.
//
// The counters move only through the scope guards below: a guard adds 1 when made and takes it back when
// it ends, also when an exception passes, so no caller can leave them unbalanced or below 0. A process
// that never writes the user's style (the preview plug-in) switches setting off for every thread, for good.
//
//     StickyDefaults::doWithoutStickySetting([&] { page.addShape(copy); });
//
// The values live in the user defaults (pf::UserDefaultsStore::standard()); the keys and the
// three-level lookup are on the shape's class object (ShapeClass).
#pragma once

#include <utility>

namespace StickyDefaults {

bool isStickySettingEnabled();
bool isStickyGettingEnabled();
void switchOffStickySettingForProcess();

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
