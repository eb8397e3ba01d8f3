// The root of the model's dynamic classes: class object, key-value coding and key-value observing.
//
// An object costs one shared pointer beyond its vtable and shared-from-this link: the observation table
// exists only while someone observes it. Copies start unobserved.
#pragma once

#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/KeyValue.h"
#include "platform/foundation/Variant.h"

#include <memory>

namespace pf {

class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) : std::enable_shared_from_this<Object>() {}
    Object& operator=(const Object&) { return *this; }
    virtual ~Object();

    // The class object of Object itself ("Object"), and of this instance's class.
    static const ClassObject& staticClass();
    virtual const ClassObject& classObject() const;
    bool isKindOfClass(const ClassObject& cls) const { return classObject().isSubclassOf(cls); }

    // The root key table (empty) and this instance's class's table.
    static const PropertyTable& properties();
    virtual const PropertyTable& propertyTable() const;

    // Through the key table; a key the table lacks goes to the undefined-key hooks, which a container may
    // override to fan a key out to its children.
    virtual Variant valueForKey(const QString& key) const;
    virtual void setValueForKey(const Variant& value, const QString& key);
    // Logs and answers null / writes nothing.
    virtual Variant valueForUndefinedKey(const QString& key) const;
    virtual void setValueForUndefinedKey(const Variant& value, const QString& key);

    // "a.b.c": the first key on this object, the rest on the object it answers. A null on the way ends the
    // path (null, or nothing written); a value that is not an object there is logged. A proxy that stands
    // for other objects (the selection) answers whole paths itself.
    virtual Variant valueForKeyPath(const QString& keyPath) const;
    virtual void setValueForKeyPath(const Variant& value, const QString& keyPath);

    // Change notices, for setters; the keys that depend on key are notified with it.
    void willChangeValueForKey(const QString& key);
    void didChangeValueForKey(const QString& key);

    // Observes one key of this object until the token is destroyed or reset.
    ObservationToken addObserver(const QString& key, KeyObserver observer);
    bool isObserved() const;

private:
    void notify(const QString& key, ChangePhase phase);

    std::shared_ptr<detail::ObservationInfo> observation_;
};

} // namespace pf
