// A synchronous notification centre: post (name, object, user info) and every matching observer runs
// before post returns, in the order they were added.
//
// Observers filter by name and by object (empty name / null object: any). The object is an identity only:
// each notification name fixes the type of its object, as the poster documents. Observers may post, add
// and remove observers from inside a handler: an observer removed meanwhile is not called again, one added
// meanwhile first hears the next post. Main thread only.
#pragma once

#include "platform/foundation/ObserverList.h"

#include "platform/foundation/Variant.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace pf {

struct Notification {
    QString name;
    const void* object = nullptr;
    VariantMap userInfo;
};

namespace detail {
struct NotificationObserver {
    QString name;
    const void* object;
    std::function<void(const Notification&)> handler;
};
using NotificationObservers = ObserverList<NotificationObserver>;
} // namespace detail

// Removes its observer when destroyed or reset; moving transfers it. Outliving the centre is harmless.
using NotificationToken = ObserverToken;

class NotificationCenter {
public:
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    NotificationToken addObserver(const QString& name, const void* object,
        std::function<void(const Notification&)> handler);

    void post(const Notification& notification);
    void post(const QString& name, const void* object = nullptr, VariantMap userInfo = {})
    {
        post(Notification{name, object, std::move(userInfo)});
    }

private:
    std::shared_ptr<detail::NotificationObservers> observers_;
};

} // namespace pf
