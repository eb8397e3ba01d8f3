// Key-value coding tables and key-value observing for pf::Object.
//
// Each class with keys has one static PropertyTable whose parent is its superclass's table, so keys are
// inherited along the class chain; a class answers it from the virtual `Object::propertyTable()`:
//
//     const pf::PropertyTable& Metrics::properties()
//     {
//         static const pf::PropertyTable table = [] {
//             pf::PropertyTable t(&pf::Object::properties());
//             t.add("width", &Metrics::width, &Metrics::setWidth);
//             t.add("unitWidth", &Metrics::unitWidth, &Metrics::setUnitWidth);
//             t.addDependency("unitWidth", {"width", "unitType", "resolution"});
//             return t;
//         }();
//         return table;
//     }
//
// Writes go through the class's own setter, so undo, sticky defaults and change notices happen as for a
// direct call. Setters bracket their changes with `willChangeValueForKey` / `didChangeValueForKey`
// (or a ChangeNotice); observers get both notices, properly nested, and the keys that depend on the changed
// key get them too, right after (will) and right before (did) the key's own notice.
#pragma once

#include "platform/foundation/ObserverList.h"

#include "platform/foundation/Variant.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

namespace pf {

class Object;

struct Property {
    std::function<Variant(const Object&)> get;
    // Empty for a read-only key.
    std::function<void(Object&, const Variant&)> set;
};

class PropertyTable {
public:
    explicit PropertyTable(const PropertyTable* parent = nullptr) : parent_(parent) {}

    // The key's property in this table or the nearest ancestor that has it; null when none has.
    const Property* find(const QString& key) const;

    // The key itself, then every key that depends on it directly or indirectly, each once.
    std::vector<QString> keysAffectedBy(const QString& key) const;

    // Adds or overrides (for this class and below) a key.
    PropertyTable& add(const QString& key, Property property);

    // A key read and written through member functions; the setter's argument is read from the Variant
    // with Variant::get, and a value of the wrong kind is logged and not written.
    template <class C, class R, class A>
    PropertyTable& add(const QString& key, R (C::*getter)() const, void (C::*setter)(A));
    // A read-only key.
    template <class C, class R>
    PropertyTable& add(const QString& key, R (C::*getter)() const);
    // A key whose value is a list of shared objects, carried as an array of object references; on write,
    // entries that are not objects of the list's kind are skipped.
    template <class C, class E, class A>
    PropertyTable& addObjectList(const QString& key, const std::vector<std::shared_ptr<E>>& (C::*getter)() const,
                                 void (C::*setter)(A));

    // Declares that `key` is computed from `affectingKeys`: a change notice of any of them also notifies
    // the observers of `key`.
    PropertyTable& addDependency(const QString& key, std::initializer_list<QString> affectingKeys);

private:
    void appendDirectDependents(const QString& key, std::vector<QString>& out) const;

    const PropertyTable* parent_;
    QHash<QString, Property> properties_;
    QHash<QString, std::vector<QString>> dependents_; // affecting key -> keys computed from it
};

enum class ChangePhase { Will, Did };

// Called with the observed object, the key whose value changes and whether it will change or did.
using KeyObserver = std::function<void(Object& object, const QString& key, ChangePhase phase)>;

namespace detail {
struct KeyObserverEntry {
    QString key;
    KeyObserver observer;
};
using ObservationInfo = ObserverList<KeyObserverEntry>;
void warnWrongValueKind(const QString& key, const Variant& value);
} // namespace detail

// Ends its observation when destroyed or reset; moving transfers it. Outliving the object is harmless.
using ObservationToken = ObserverToken;

// Brackets a change of one or more keys: will-change notices in the order given now, did-change notices in
// the reverse order when it goes out of scope. Costs nothing when the object is unobserved; an observer
// added while the change is in progress first hears of the next change.
class ChangeNotice {
public:
    ChangeNotice(Object& object, const QString& key);
    ChangeNotice(Object& object, std::initializer_list<QString> keys);
    ~ChangeNotice();
    ChangeNotice(const ChangeNotice&) = delete;
    ChangeNotice& operator=(const ChangeNotice&) = delete;

private:
    Object& object_;
    std::vector<QString> keys_; // empty when the object was unobserved
};

template <class C, class R, class A>
PropertyTable& PropertyTable::add(const QString& key, R (C::*getter)() const, void (C::*setter)(A))
{
    using Arg = std::remove_cvref_t<A>;
    return add(key,
        Property{[getter](const Object& o) { return Variant((static_cast<const C&>(o).*getter)()); },
            [setter, key](Object& o, const Variant& v) {
                if (auto value = v.get<Arg>())
                    (static_cast<C&>(o).*setter)(std::move(*value));
                else
                    detail::warnWrongValueKind(key, v);
            }});
}

template <class C, class R>
PropertyTable& PropertyTable::add(const QString& key, R (C::*getter)() const)
{
    return add(key, Property{[getter](const Object& o) { return Variant((static_cast<const C&>(o).*getter)()); }, {}});
}

template <class C, class E, class A>
PropertyTable& PropertyTable::addObjectList(const QString& key,
                                            const std::vector<std::shared_ptr<E>>& (C::*getter)() const,
                                            void (C::*setter)(A))
{
    return add(key,
        Property{[getter](const Object& o) {
                     VariantArray objects;
                     for (const auto& object : (static_cast<const C&>(o).*getter)())
                         objects.emplace_back(object);
                     return Variant(std::move(objects));
                 },
            [setter](Object& o, const Variant& v) {
                std::vector<std::shared_ptr<E>> objects;
                if (const VariantArray* array = v.array())
                    for (const Variant& entry : *array)
                        if (auto object = entry.get<std::shared_ptr<E>>(); object && *object)
                            objects.push_back(std::move(*object));
                (static_cast<C&>(o).*setter)(std::move(objects));
            }});
}

} // namespace pf
