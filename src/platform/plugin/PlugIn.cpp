#include "platform/plugin/PlugIn.h"

#include "platform/foundation/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace pf {

namespace {

QMutex& instanceMutex()
{
    static QMutex mutex;
    return mutex;
}

std::map<QString, int>& instanceCounts()
{
    static std::map<QString, int> counts;
    return counts;
}

void fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

} // namespace

void plugInAddInstanceForFactory(const Uuid& factory)
{
    const QMutexLocker lock(&instanceMutex());
    ++instanceCounts()[factory.toString()];
}

void plugInRemoveInstanceForFactory(const Uuid& factory)
{
    const QMutexLocker lock(&instanceMutex());
    auto found = instanceCounts().find(factory.toString());
    if (found == instanceCounts().end())
        return;
    if (--found->second <= 0)
        instanceCounts().erase(found);
}

int plugInInstanceCount(const Uuid& factory)
{
    const QMutexLocker lock(&instanceMutex());
    const auto found = instanceCounts().find(factory.toString());
    return found == instanceCounts().end() ? 0 : found->second;
}

std::unique_ptr<PlugIn> PlugIn::load(const QString& libraryPath, QString* error)
{
    const QFileInfo library(libraryPath);
    const QString infoPath = library.dir().filePath(library.completeBaseName() + QStringLiteral(".plist"));
    QFile infoFile(infoPath);
    if (!infoFile.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("cannot read the plug-in's information list %1: %2").arg(infoPath, infoFile.errorString()));
        return nullptr;
    }
    const PropertyListReadResult info = readPropertyList(infoFile.readAll());
    if (!info.ok()) {
        fail(error, QStringLiteral("the plug-in's information list %1 is unreadable: %2").arg(infoPath, info.error));
        return nullptr;
    }

    std::unique_ptr<PlugIn> plugIn(new PlugIn);
    plugIn->library_ = std::make_unique<QLibrary>(library.absoluteFilePath());
    if (!plugIn->library_->load()) {
        fail(error, QStringLiteral("cannot load the plug-in %1: %2").arg(libraryPath, plugIn->library_->errorString()));
        return nullptr;
    }

    for (const auto& [factory, name] : info.value->objectForKey(QStringLiteral("CFPlugInFactories")).asDictionary()) {
        const std::optional<Uuid> identifier = Uuid::fromString(factory);
        if (!identifier || !name.isString())
            continue;
        const auto function = reinterpret_cast<PFPlugInFactoryFunction>(
            plugIn->library_->resolve(name.asString().toUtf8().constData()));
        if (function)
            plugIn->factories_[identifier->toString()] = function;
    }
    if (plugIn->factories_.empty()) {
        fail(error, QStringLiteral("the plug-in %1 exports none of the factories it names").arg(libraryPath));
        return nullptr;
    }
    for (const auto& [type, factories] : info.value->objectForKey(QStringLiteral("CFPlugInTypes")).asDictionary()) {
        const std::optional<Uuid> typeIdentifier = Uuid::fromString(type);
        if (!typeIdentifier)
            continue;
        std::vector<Uuid>& list = plugIn->types_[typeIdentifier->toString()];
        for (const Value& factory : factories.asArray()) {
            if (const std::optional<Uuid> identifier = Uuid::fromString(factory.asString()))
                list.push_back(*identifier);
        }
    }
    return plugIn;
}

std::vector<Uuid> PlugIn::factoriesForType(const Uuid& type) const
{
    const auto found = types_.find(type.toString());
    return found == types_.end() ? std::vector<Uuid>{} : found->second;
}

void* PlugIn::makeInstance(const Uuid& factory, const Uuid& type) const
{
    const auto found = factories_.find(factory.toString());
    if (found == factories_.end())
        return nullptr;
    const PFUUIDBytes typeBytes = type.bytes();
    return found->second(nullptr, &typeBytes);
}

void* PlugIn::instanceWithInterface(const Uuid& type, const Uuid& interface) const
{
    for (const Uuid& factory : factoriesForType(type)) {
        void* instance = makeInstance(factory, type);
        if (!instance)
            continue;
        PFPlugInInterface* table = *static_cast<PFPlugInInterface**>(instance);
        void* result = nullptr;
        table->QueryInterface(instance, interface.bytes(), &result);
        table->Release(instance);
        if (result)
            return result;
    }
    return nullptr;
}

} // namespace pf
