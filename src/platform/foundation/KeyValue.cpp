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

struct ObservationInfo {
    struct Entry {
        std::uint64_t id;
        QString key;
        KeyObserver observer;
        bool active = true;
    };
    std::vector<std::shared_ptr<Entry>> entries;
    std::uint64_t nextId = 1;

    void remove(std::uint64_t id)
    {
        const auto it = std::find_if(entries.begin(), entries.end(), [id](const auto& e) { return e->id == id; });
        if (it == entries.end())
            return;
        (*it)->active = false; // a notice in progress skips it
        entries.erase(it);
    }
};

} // namespace detail

// ---- tokens and notices ----

ObservationToken::ObservationToken(ObservationToken&& other) noexcept
    : info_(std::move(other.info_)), id_(std::exchange(other.id_, 0))
{
}

ObservationToken& ObservationToken::operator=(ObservationToken&& other) noexcept
{
    if (this != &other) {
        reset();
        info_ = std::move(other.info_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void ObservationToken::reset()
{
    if (auto info = info_.lock())
        info->remove(id_);
    info_.reset();
    id_ = 0;
}

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
        observation_ = std::make_shared<detail::ObservationInfo>();
    const std::uint64_t id = observation_->nextId++;
    observation_->entries.push_back(
        std::make_shared<detail::ObservationInfo::Entry>(detail::ObservationInfo::Entry{id, key, std::move(observer)}));
    return ObservationToken(observation_, id);
}

bool Object::isObserved() const
{
    return observation_ && !observation_->entries.empty();
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
        std::vector<std::shared_ptr<detail::ObservationInfo::Entry>> matching;
        for (const auto& entry : info->entries)
            if (entry->key == k)
                matching.push_back(entry);
        for (const auto& entry : matching)
            if (entry->active)
                entry->observer(*this, k, phase);
    }
}

} // namespace pf
