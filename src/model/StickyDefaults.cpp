#include "model/StickyDefaults.h"

namespace {

int settingDisabled = 0;
int gettingDisabled = 0;

} // namespace

namespace StickyDefaults {

bool isStickySettingEnabled()
{
    return settingDisabled == 0;
}

bool isStickyGettingEnabled()
{
    return gettingDisabled == 0;
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
