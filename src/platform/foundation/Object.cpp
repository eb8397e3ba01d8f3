#include "platform/foundation/Object.h"

#include <QDebug>

namespace pf {

Object::~Object() = default;

const ClassObject& Object::staticClass()
{
    static const ClassObject cls(QStringLiteral("Object"), nullptr);
    return cls;
}

const ClassObject& Object::classObject() const
{
    return staticClass();
}

const PropertyTable& Object::properties()
{
    static const PropertyTable table;
    return table;
}

const PropertyTable& Object::propertyTable() const
{
    return properties();
}

Variant Object::valueForKey(const QString& key) const
{
    if (const Property* p = propertyTable().find(key))
        return p->get(*this);
    return valueForUndefinedKey(key);
}

void Object::setValueForKey(const Variant& value, const QString& key)
{
    const Property* p = propertyTable().find(key);
    if (!p) {
        setValueForUndefinedKey(value, key);
        return;
    }
    if (!p->set) {
        qWarning("Key-value coding: key \"%s\" of %s is read-only; not written", qPrintable(key),
            qPrintable(classObject().className()));
        return;
    }
    p->set(*this, value);
}

Variant Object::valueForUndefinedKey(const QString& key) const
{
    qWarning("Key-value coding: %s has no key \"%s\"", qPrintable(classObject().className()), qPrintable(key));
    return {};
}

void Object::setValueForUndefinedKey(const Variant&, const QString& key)
{
    qWarning("Key-value coding: %s has no key \"%s\"; not written", qPrintable(classObject().className()),
        qPrintable(key));
}

namespace {

// The object a key path continues on, or null when the path ends early.
std::shared_ptr<Object> continuation(const Variant& value, const QString& key)
{
    if (value.isNull())
        return nullptr;
    if (auto object = value.toObject())
        return object;
    qWarning("Key-value coding: the value of \"%s\" is not an object; the key path cannot go on", qPrintable(key));
    return nullptr;
}

} // namespace

Variant Object::valueForKeyPath(const QString& keyPath) const
{
    const qsizetype dot = keyPath.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return valueForKey(keyPath);
    const QString first = keyPath.left(dot);
    const auto next = continuation(valueForKey(first), first);
    return next ? next->valueForKeyPath(keyPath.mid(dot + 1)) : Variant();
}

void Object::setValueForKeyPath(const Variant& value, const QString& keyPath)
{
    const qsizetype dot = keyPath.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        setValueForKey(value, keyPath);
        return;
    }
    const QString first = keyPath.left(dot);
    if (const auto next = continuation(valueForKey(first), first))
        next->setValueForKeyPath(value, keyPath.mid(dot + 1));
}

} // namespace pf
