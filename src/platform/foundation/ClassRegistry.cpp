#include "platform/foundation/ClassRegistry.h"

#include <algorithm>

#include <QDebug>

#include <mutex>

namespace pf {

ClassObject::ClassObject(QString name, const ClassObject* superclass)
    : name_(std::move(name)), superclass_(superclass)
{
}

ClassObject::~ClassObject() = default;

bool ClassObject::isSubclassOf(const ClassObject& other) const
{
    for (const ClassObject* c = this; c; c = c->superclass_)
        if (c == &other)
            return true;
    return false;
}

std::vector<const ClassObject*> ClassObject::classChain() const
{
    std::vector<const ClassObject*> chain;
    for (const ClassObject* c = this; c; c = c->superclass_)
        chain.push_back(c);
    return chain;
}

ClassRegistry& ClassRegistry::shared()
{
    static ClassRegistry registry;
    return registry;
}

bool ClassRegistry::add(const ClassObject& cls)
{
    std::unique_lock lock(mutex_);
    const auto found = byName_.constFind(cls.className());
    if (found != byName_.constEnd()) {
        if (found.value() == &cls)
            return true;
        qWarning("Class registry: a different class is already registered as \"%s\"; not replaced",
            qPrintable(cls.className()));
        return false;
    }
    byName_.insert(cls.className(), &cls);
    return true;
}

const ClassObject* ClassRegistry::lookup(const QString& name) const
{
    std::shared_lock lock(mutex_);
    return byName_.value(name, nullptr);
}

const ClassObject* ClassRegistry::lookupSubclassOf(const QString& name, const ClassObject& base) const
{
    const ClassObject* cls = lookup(name);
    return cls && cls->isSubclassOf(base) ? cls : nullptr;
}

std::vector<const ClassObject*> ClassRegistry::classesByName() const
{
    std::shared_lock lock(mutex_);
    std::vector<const ClassObject*> classes(byName_.cbegin(), byName_.cend());
    std::sort(classes.begin(), classes.end(), [](const ClassObject* a, const ClassObject* b) { return a->className() < b->className(); });
    return classes;
}

} // namespace pf
