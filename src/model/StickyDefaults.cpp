#include "model/StickyDefaults.h"

namespace {

int settingDisabled = 0;
int gettingDisabled = 0;

StickyStore* installed = nullptr;

StickyStore& processStore()
{
    static MemoryStickyStore store;
    return store;
}

} // namespace

pf::Value MemoryStickyStore::objectForKey(const QString& key) const
{
    if (auto it = user_.find(key); it != user_.end())
        return it->second;
    if (auto it = registered_.find(key); it != registered_.end())
        return it->second;
    return {};
}

void MemoryStickyStore::setObjectForKey(const pf::Value& value, const QString& key)
{
    if (value.isNull())
        user_.erase(key);
    else
        user_[key] = value;
}

namespace StickyDefaults {

StickyStore& store()
{
    return installed ? *installed : processStore();
}

StickyStore* setStore(StickyStore* store)
{
    StickyStore* previous = &StickyDefaults::store();
    installed = store;
    return previous;
}

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
