#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace pf {

NotificationCenter::NotificationCenter() : observers_(detail::NotificationObservers::create()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationToken NotificationCenter::addObserver(const QString& name, const void* object,
    std::function<void(const Notification&)> handler)
{
    return observers_->add({name, object, std::move(handler)});
}

void NotificationCenter::post(const Notification& notification)
{
    // The list is kept alive here: a handler may destroy the last reference to the centre's observers.
    const auto observers = observers_;
    observers->forEach(
        [&notification](const detail::NotificationObserver& o) {
            return (o.name.isEmpty() || o.name == notification.name) && (!o.object || o.object == notification.object);
        },
        [&notification](const detail::NotificationObserver& o) { o.handler(notification); });
}

} // namespace pf
