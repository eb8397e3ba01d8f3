#include "platform/foundation/ThreadDictionary.h"

#include <map>

namespace pf {

namespace {

VariantMap& dictionary()
{
    thread_local VariantMap values;
    return values;
}

} // namespace

namespace threadDictionary {

Variant value(const QString& key)
{
    const VariantMap& d = dictionary();
    const auto found = d.find(key);
    return found == d.end() ? Variant() : found->second;
}

bool contains(const QString& key)
{
    return dictionary().count(key) != 0;
}

void setValue(const QString& key, Variant value)
{
    dictionary()[key] = std::move(value);
}

void remove(const QString& key)
{
    dictionary().erase(key);
}

} // namespace threadDictionary

ThreadValueScope::ThreadValueScope(const QString& key, Variant value) : key_(key)
{
    VariantMap& d = dictionary();
    const auto found = d.find(key);
    if (found != d.end())
        previous_ = found->second;
    d[key] = std::move(value);
}

ThreadValueScope::~ThreadValueScope()
{
    if (previous_)
        dictionary()[key_] = std::move(*previous_);
    else
        dictionary().erase(key_);
}

} // namespace pf
