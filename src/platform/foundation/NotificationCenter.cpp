#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace pf {

namespace detail {

struct NotificationObservers {
    struct Entry {
        std::uint64_t id;
        QString name;
        const void* object;
        std::function<void(const Notification&)> handler;
        bool active = true;
    };
    std::vector<std::shared_ptr<Entry>> entries;
    std::uint64_t nextId = 1;

    void remove(std::uint64_t id)
    {
        const auto it = std::find_if(entries.begin(), entries.end(), [id](const auto& e) { return e->id == id; });
        if (it == entries.end())
            return;
        (*it)->active = false; // a post in progress skips it
        entries.erase(it);
    }
};

} // namespace detail

NotificationToken::NotificationToken(NotificationToken&& other) noexcept
    : observers_(std::move(other.observers_)), id_(std::exchange(other.id_, 0))
{
}

NotificationToken& NotificationToken::operator=(NotificationToken&& other) noexcept
{
    if (this != &other) {
        reset();
        observers_ = std::move(other.observers_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void NotificationToken::reset()
{
    if (auto observers = observers_.lock())
        observers->remove(id_);
    observers_.reset();
    id_ = 0;
}

NotificationCenter::NotificationCenter() : observers_(std::make_shared<detail::NotificationObservers>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationToken NotificationCenter::addObserver(const QString& name, const void* object,
    std::function<void(const Notification&)> handler)
{
    const std::uint64_t id = observers_->nextId++;
    observers_->entries.push_back(std::make_shared<detail::NotificationObservers::Entry>(
        detail::NotificationObservers::Entry{id, name, object, std::move(handler)}));
    return NotificationToken(observers_, id);
}

void NotificationCenter::post(const Notification& notification)
{
    // A snapshot, kept alive here: handlers may change the observer list or drop their own tokens.
    std::vector<std::shared_ptr<detail::NotificationObservers::Entry>> matching;
    for (const auto& entry : observers_->entries)
        if ((entry->name.isEmpty() || entry->name == notification.name)
            && (!entry->object || entry->object == notification.object))
            matching.push_back(entry);
    for (const auto& entry : matching)
        if (entry->active)
            entry->handler(notification);
}

} // namespace pf
