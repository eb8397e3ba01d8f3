#include "model/StoredForms.h"

#include "model/Composition.h"
#include "model/Shape.h"
#include "platform/foundation/Dispatch.h"

#include <QCoreApplication>
#include <QThread>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace storedForms {

namespace {

// A dictionary's keys, shared by every kept form with the same keys (nearly all shapes of a kind).
using Keys = std::vector<QString>;

// The keys of d as a shared list: the one of a recent form when its keys are the same texts (the stored
// form names its keys with shared literals, so a hit compares addresses), else a new one.
std::shared_ptr<const Keys> keysOf(const pf::Value::Dictionary& d)
{
    thread_local std::array<std::shared_ptr<const Keys>, 32> recent;
    thread_local std::size_t next = 0;
    for (const auto& keys : recent) {
        if (!keys || keys->size() != d.size())
            continue;
        std::size_t i = 0;
        for (const auto& entry : d) {
            if (!pf::detail::isKeptText(entry.first, (*keys)[i]) && entry.first != (*keys)[i])
                break;
            ++i;
        }
        if (i == d.size())
            return keys;
    }
    auto keys = std::make_shared<Keys>();
    keys->reserve(d.size());
    for (const auto& entry : d)
        keys->push_back(pf::detail::keptText(entry.first));
    recent[next++ % recent.size()] = keys;
    return keys;
}

// A kept form with the identifier its shape had: a shape made where a freed one was is not taken for it.
struct Kept {
    std::shared_ptr<const PackedForm> form;
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

// A kept form in about a quarter of the room of its values: a page keeps one for every shape between
// saves. Each value is a tag byte; bools are in the tag, integers follow in as few bytes as they need,
// reals in their eight; strings, data and dates are held as they are (their texts shared with the
// shapes' and the colour tables'); a dictionary names its shared keys and then gives its values in
// their order. Unpacked it is the same value, entry for entry and bit for bit.
class PackedForm {
public:
    explicit PackedForm(const pf::Value& form)
    {
        pack(form);
        bytes_.shrink_to_fit();
        leaves_.shrink_to_fit();
        keys_.shrink_to_fit();
    }

    pf::Value unpack() const
    {
        const std::uint8_t* p = bytes_.data();
        return read(p);
    }

private:
    enum Tag : std::uint8_t { Null, False, True, Integer, Real, Leaf, Array, Dictionary };

    void put(std::uint64_t n)
    {
        while (n >= 0x80) {
            bytes_.push_back(static_cast<std::uint8_t>(n | 0x80));
            n >>= 7;
        }
        bytes_.push_back(static_cast<std::uint8_t>(n));
    }
    static std::uint64_t take(const std::uint8_t*& p)
    {
        std::uint64_t n = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t b = *p++;
            n |= std::uint64_t(b & 0x7f) << shift;
            if (!(b & 0x80))
                return n;
        }
    }

    void pack(const pf::Value& v)
    {
        switch (v.type()) {
        case pf::Value::Type::Null: bytes_.push_back(Null); break;
        case pf::Value::Type::Bool: bytes_.push_back(v.boolValue() ? True : False); break;
        case pf::Value::Type::Integer: {
            // Zig-zag: small negative numbers take few bytes too.
            const auto i = static_cast<std::uint64_t>(v.integerValue());
            bytes_.push_back(Integer);
            put((i << 1) ^ (0 - (i >> 63)));
            break;
        }
        case pf::Value::Type::Real: {
            const double d = v.doubleValue();
            bytes_.push_back(Real);
            const auto at = bytes_.size();
            bytes_.resize(at + sizeof d);
            std::memcpy(bytes_.data() + at, &d, sizeof d);
            break;
        }
        case pf::Value::Type::String:
        case pf::Value::Type::Data:
        case pf::Value::Type::Date:
            bytes_.push_back(Leaf);
            put(leaves_.size());
            leaves_.push_back(v);
            break;
        case pf::Value::Type::Array:
            bytes_.push_back(Array);
            put(v.asArray().size());
            for (const pf::Value& element : v.asArray())
                pack(element);
            break;
        case pf::Value::Type::Dictionary: {
            const auto& d = v.asDictionary();
            bytes_.push_back(Dictionary);
            put(keys_.size());
            keys_.push_back(keysOf(d));
            for (const auto& entry : d)
                pack(entry.second);
            break;
        }
        }
    }

    pf::Value read(const std::uint8_t*& p) const
    {
        switch (*p++) {
        case False: return pf::Value(false);
        case True: return pf::Value(true);
        case Integer: {
            const std::uint64_t z = take(p);
            return pf::Value(static_cast<std::int64_t>((z >> 1) ^ (0 - (z & 1))));
        }
        case Real: {
            double d;
            std::memcpy(&d, p, sizeof d);
            p += sizeof d;
            return pf::Value(d);
        }
        case Leaf: return leaves_[take(p)];
        case Array: {
            pf::Value::Array elements(take(p));
            for (pf::Value& element : elements)
                element = read(p);
            return pf::Value(std::move(elements));
        }
        case Dictionary: {
            const Keys& keys = *keys_[take(p)];
            std::vector<pf::Value::Dictionary::value_type> entries;
            entries.reserve(keys.size());
            for (const QString& key : keys)
                entries.emplace_back(key, read(p));
            return pf::Value(pf::Value::Dictionary::fromSortedEntries(std::move(entries)));
        }
        default: return pf::Value();
        }
    }

    std::vector<std::uint8_t> bytes_;
    std::vector<pf::Value> leaves_;
    std::vector<std::shared_ptr<const Keys>> keys_;
};

namespace {

// The shape's kept form, if it has one; under the lock.
std::shared_ptr<const PackedForm> keptUnderLock(const Shape& shape)
{
    const auto it = table().find(&shape);
    return it != table().end() && it->second.identifier == shape.identifier() ? it->second.form : nullptr;
}

std::shared_ptr<const PackedForm> keptFor(const Shape& shape)
{
    std::lock_guard lock(tableLock);
    return keptUnderLock(shape);
}

// Keeps the shape's fresh form, made outside the lock (a container's form asks for its children's).
std::shared_ptr<const PackedForm> keep(const Shape& shape, const pf::Value& made)
{
    auto form = std::make_shared<const PackedForm>(made);
    std::lock_guard lock(tableLock);
    table().insert_or_assign(&shape, Kept{form, shape.identifier()});
    noteMayHave(&shape);
    return form;
}

} // namespace

pf::Value of(const Shape& shape)
{
    if (!onMainThread())
        return shape.asPlist();
    if (const auto packed = keptFor(shape)) {
        pf::Value kept = packed->unpack();
        if (verifying())
            verify(shape, kept);
        return kept;
    }
    pf::Value made = shape.asPlist();
    keep(shape, made);
    return made;
}

pf::Value Taken::at(std::size_t index) const { return forms_[index]->unpack(); }

std::shared_ptr<const Taken> take(const std::vector<std::shared_ptr<Shape>>& shapes)
{
    auto taken = std::make_shared<Taken>();
    std::vector<const Shape*> savable;
    savable.reserve(shapes.size());
    for (const auto& shape : shapes)
        if (shape->isSavable())
            savable.push_back(shape.get());
    auto& forms = taken->forms_;
    forms.resize(savable.size());
    const bool main = onMainThread();
    if (main) {
        // The kept ones under one lock: a large page's save is mostly these.
        std::lock_guard lock(tableLock);
        for (std::size_t i = 0; i < savable.size(); ++i)
            forms[i] = keptUnderLock(*savable[i]);
    }
    for (std::size_t i = 0; i < savable.size(); ++i) {
        if (forms[i] && verifying())
            verify(*savable[i], forms[i]->unpack());
        if (!forms[i])
            forms[i] = main ? keep(*savable[i], savable[i]->asPlist()) : std::make_shared<const PackedForm>(savable[i]->asPlist());
    }
    return taken;
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
