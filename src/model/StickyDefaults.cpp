#include "model/StickyDefaults.h"

#include <atomic>

namespace {

// Per thread: a guard switches off what its own thread does (previews draw on several threads while
// another reads, each inside guards of its own).
thread_local int settingDisabled = 0;
thread_local int gettingDisabled = 0;
std::atomic<bool> settingOffForProcess{false};

} // namespace

namespace StickyDefaults {

bool isStickySettingEnabled()
{
    return settingDisabled == 0 && !settingOffForProcess.load(std::memory_order_relaxed);
}

bool isStickyGettingEnabled()
{
    return gettingDisabled == 0;
}

void switchOffStickySettingForProcess()
{
    settingOffForProcess.store(true, std::memory_order_relaxed);
}

WithoutSetting::WithoutSetting()
{
    ++settingDisabled;
}

WithoutSetting::~WithoutSetting()
{
    --settingDisabled;
}

WithoutSettingOrGetting::WithoutSettingOrGetting()
{
    ++settingDisabled;
    ++gettingDisabled;
}

WithoutSettingOrGetting::~WithoutSettingOrGetting()
{
    --settingDisabled;
    --gettingDisabled;
}

} // namespace StickyDefaults
