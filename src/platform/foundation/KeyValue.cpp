#include "platform/foundation/KeyValue.h"

#include "platform/foundation/Object.h"

#include <QDebug>

#include <algorithm>

namespace pf {

// ---- property tables ----

const Property* PropertyTable::find(const QString& key) const
{
    for (const PropertyTable* t = this; t; t = t->parent_) {
        const auto found = t->properties_.constFind(key);
        if (found != t->properties_.constEnd())
            return &found.value();
    }
    return nullptr;
}

void PropertyTable::appendDirectDependents(const QString& key, std::vector<QString>& out) const
{
    for (const PropertyTable* t = this; t; t = t->parent_) {
        const auto found = t->dependents_.constFind(key);
        if (found != t->dependents_.constEnd())
            out.insert(out.end(), found.value().begin(), found.value().end());
    }
}

std::vector<QString> PropertyTable::keysAffectedBy(const QString& key) const
{
    std::vector<QString> keys{key};
    // Breadth first; the list doubles as the visited set (dependency sets are a handful of keys).
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::vector<QString> direct;
        appendDirectDependents(keys[i], direct);
        for (QString& k : direct)
            if (std::find(keys.begin(), keys.end(), k) == keys.end())
                keys.push_back(std::move(k));
    }
    return keys;
}

PropertyTable& PropertyTable::add(const QString& key, Property property)
{
    properties_.insert(key, std::move(property));
    return *this;
}

PropertyTable& PropertyTable::addDependency(const QString& key, std::initializer_list<QString> affectingKeys)
{
    for (const QString& source : affectingKeys) {
        std::vector<QString>& list = dependents_[source];
        if (std::find(list.begin(), list.end(), key) == list.end())
            list.push_back(key);
    }
    return *this;
}

namespace detail {

void warnWrongValueKind(const QString& key, const Variant& value)
{
    qWarning("Key-value coding: value %s is of the wrong kind for key \"%s\"; not written",
        qPrintable(value.description()), qPrintable(key));
}

} // namespace detail

// ---- tokens and notices ----

ChangeNotice::ChangeNotice(Object& object, const QString& key) : object_(object)
{
    if (!object_.isObserved())
        return;
    keys_.push_back(key);
    object_.willChangeValueForKey(key);
}

ChangeNotice::ChangeNotice(Object& object, std::initializer_list<QString> keys) : object_(object)
{
    if (!object_.isObserved())
        return;
    keys_.assign(keys);
    for (const QString& key : keys_)
        object_.willChangeValueForKey(key);
}

ChangeNotice::~ChangeNotice()
{
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it)
        object_.didChangeValueForKey(*it);
}

// ---- observing on Object ----

ObservationToken Object::addObserver(const QString& key, KeyObserver observer)
{
    if (!observation_)
        observation_ = detail::ObservationInfo::create();
    return observation_->add({key, std::move(observer)});
}

bool Object::isObserved() const
{
    return observation_ && !observation_->empty();
}

void Object::willChangeValueForKey(const QString& key)
{
    if (isObserved())
        notify(key, ChangePhase::Will);
}

void Object::didChangeValueForKey(const QString& key)
{
    if (isObserved())
        notify(key, ChangePhase::Did);
}

void Object::notify(const QString& key, ChangePhase phase)
{
    // Handlers may add or remove observers, or drop the last token: work on a snapshot kept alive here.
    const std::shared_ptr<detail::ObservationInfo> info = observation_;
    std::vector<QString> keys = propertyTable().keysAffectedBy(key);
    if (phase == ChangePhase::Did)
        std::reverse(keys.begin(), keys.end());
    for (const QString& k : keys) {
        info->forEach([&k](const detail::KeyObserverEntry& e) { return e.key == k; },
            [&](const detail::KeyObserverEntry& e) { e.observer(*this, k, phase); });
    }
}

} // namespace pf
