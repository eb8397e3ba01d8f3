#include "model/StoredForms.h"

#include "model/Composition.h"
#include "model/Shape.h"
#include "platform/foundation/Dispatch.h"

#include <QCoreApplication>
#include <QThread>

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace storedForms {

namespace {

// A kept form with the identifier its shape had: a shape made where a freed one was is not taken for it.
struct Kept {
    pf::Value form;
    QString identifier;
};

// Shapes are destroyed on any thread (a preview's pages), so the table is locked; it is used on the main
// thread only otherwise, and the lock is never contended there.
std::mutex tableLock;
std::unordered_map<const Shape*, Kept>& table()
{
    static auto* kept = new std::unordered_map<const Shape*, Kept>();
    return *kept;
}

bool onMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Every setter of every shape drops its form, most of them of shapes that have none (a page being read
// makes thousands): a bit per address slot, set while some shape there may have a form, answers those
// without the lock and the table. Main thread only: bits are set and cleared only there, under the lock.
constexpr int filterShift = 17;
std::array<std::uint64_t, (std::size_t(1) << filterShift) / 64> mayHaveForm{};
std::size_t bitsSet = 0;

std::size_t slotOf(const Shape* shape)
{
    return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(shape) * 0x9E3779B97F4A7C15ull) >> (64 - filterShift));
}

bool mayHave(const Shape* shape)
{
    const std::size_t slot = slotOf(shape);
    return (mayHaveForm[slot / 64] >> (slot % 64)) & 1u;
}

// Under the lock.
void noteMayHave(const Shape* shape)
{
    const std::size_t slot = slotOf(shape);
    std::uint64_t& word = mayHaveForm[slot / 64];
    const std::uint64_t bit = std::uint64_t(1) << (slot % 64);
    if (!(word & bit)) {
        word |= bit;
        ++bitsSet;
    }
}

// Under the lock: bits of shapes long gone are cleared once they outnumber the forms kept.
void refreshFilterIfStale()
{
    if (bitsSet < 2 * table().size() + 1024)
        return;
    mayHaveForm.fill(0);
    bitsSet = 0;
    for (const auto& entry : table())
        noteMayHave(entry.first);
}

bool verifying()
{
    static const bool verify = qEnvironmentVariableIsSet("QUORVEL_VERIFY_STORED_FORMS");
    return verify;
}

void verify(const Shape& shape, const pf::Value& kept)
{
    const pf::Value fresh = shape.asPlist();
    if (fresh == kept)
        return;
    QStringList differing;
    for (const auto& [key, value] : fresh.asDictionary())
        if (kept.objectForKey(key) != value)
            differing << key;
    for (const auto& [key, value] : kept.asDictionary())
        if (!fresh.contains(key))
            differing << key;
    qFatal("A %s changed without dropping its kept stored form (keys: %s)",
           qPrintable(shape.classObject().className()), qPrintable(differing.join(QStringLiteral(", "))));
}

} // namespace

pf::Value of(const Shape& shape)
{
    if (!onMainThread())
        return shape.asPlist();
    std::optional<pf::Value> kept;
    {
        std::lock_guard lock(tableLock);
        const auto it = table().find(&shape);
        if (it != table().end() && it->second.identifier == shape.identifier())
            kept = it->second.form;
    }
    if (kept) {
        // Outside the lock: a container's fresh form asks for its children's.
        if (verifying())
            verify(shape, *kept);
        return *kept;
    }
    // Made outside the lock: a container's form asks for its children's. Kept at its size: a form is
    // gathered in room for more entries than it has, and a page keeps one for every shape.
    pf::Value made = shape.asPlist();
    if (made.isDictionary())
        made = pf::Value(pf::Value::Dictionary(made.asDictionary()));
    std::lock_guard lock(tableLock);
    table().insert_or_assign(&shape, Kept{made, shape.identifier()});
    noteMayHave(&shape);
    return made;
}

void drop(const Shape* shape)
{
    const bool main = onMainThread();
    for (const Shape* s = shape; s; s = s->parent()) {
        if (main && !mayHave(s))
            continue;
        std::lock_guard lock(tableLock);
        table().erase(s);
    }
}

void forget(const Shape* shape)
{
    if (onMainThread() && !mayHave(shape))
        return;
    std::lock_guard lock(tableLock);
    if (table().erase(shape) && onMainThread())
        refreshFilterIfStale();
}

void makeInIdleTime(const std::weak_ptr<Composition>& page)
{
    struct Pass {
        std::weak_ptr<Composition> page;
        std::size_t next = 0;
        void operator()()
        {
            auto p = page.lock();
            if (!p)
                return;
            // A few milliseconds a turn: events waiting meanwhile are handled between turns.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(4);
            const auto& children = p->children();
            while (next < children.size() && std::chrono::steady_clock::now() < until) {
                if (children[next]->isSavable())
                    (void)of(*children[next]);
                ++next;
            }
            if (next < children.size())
                pf::performOnMainThread(*this);
        }
    };
    pf::performOnMainThread(Pass{page});
}

} // namespace storedForms
