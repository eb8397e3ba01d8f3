// A list of observers with RAII tokens, shared by key-value observing and the notification centre.
// Delivery works on a snapshot, so handlers may add or remove observers, or drop their own tokens.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace pf {

namespace detail {
class ObserverListBase {
public:
    virtual ~ObserverListBase() = default;
    virtual void remove(std::uint64_t id) = 0;
};
} // namespace detail

// Removes its observer when destroyed or reset; moving transfers it. Outliving the list is harmless.
class [[nodiscard]] ObserverToken {
public:
    ObserverToken() = default;
    ObserverToken(std::weak_ptr<detail::ObserverListBase> list, std::uint64_t id) : list_(std::move(list)), id_(id) {}
    ~ObserverToken() { reset(); }
    ObserverToken(ObserverToken&& other) noexcept : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}
    ObserverToken& operator=(ObserverToken&& other) noexcept
    {
        if (this != &other) {
            reset();
            list_ = std::move(other.list_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;

    void reset()
    {
        if (auto list = list_.lock())
            list->remove(id_);
        list_.reset();
        id_ = 0;
    }

private:
    std::weak_ptr<detail::ObserverListBase> list_;
    std::uint64_t id_ = 0;
};

// Owned through a std::shared_ptr (see create), so tokens can find it while it lives.
template <class Observer>
class ObserverList final : public detail::ObserverListBase,
                           public std::enable_shared_from_this<ObserverList<Observer>> {
public:
    static std::shared_ptr<ObserverList> create() { return std::shared_ptr<ObserverList>(new ObserverList); }

    ObserverToken add(Observer observer)
    {
        const std::uint64_t id = nextId_++;
        entries_.push_back(std::make_shared<Entry>(Entry{id, std::move(observer)}));
        return ObserverToken(this->weak_from_this(), id);
    }

    void remove(std::uint64_t id) override
    {
        const auto it = std::find_if(entries_.begin(), entries_.end(), [id](const auto& e) { return e->id == id; });
        if (it == entries_.end())
            return;
        (*it)->active = false; // a delivery in progress skips it
        entries_.erase(it);
    }

    bool empty() const { return entries_.empty(); }

    // Calls deliver(observer) for each observer that matches, as registered when the call began and
    // still registered when its turn comes.
    template <class Match, class Deliver>
    void forEach(Match&& matches, Deliver&& deliver) const
    {
        std::vector<std::shared_ptr<Entry>> snapshot;
        for (const auto& entry : entries_)
            if (matches(entry->observer))
                snapshot.push_back(entry);
        for (const auto& entry : snapshot)
            if (entry->active)
                deliver(entry->observer);
    }

private:
    struct Entry {
        std::uint64_t id;
        Observer observer;
        bool active = true;
    };

    ObserverList() = default;

    std::vector<std::shared_ptr<Entry>> entries_;
    std::uint64_t nextId_ = 1;
};

} // namespace pf
