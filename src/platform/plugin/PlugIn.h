// Loading plug-in libraries (host side) and counting their instances (plug-in side). The interface
// between the two is the C one of PlugInAbi.h.
#pragma once

#include "platform/plugin/Uuid.h"

#include <QLibrary>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace pf {

// Plug-in side: a factory registers each instance it makes and an instance unregisters itself when it
// goes, so the library knows whether anything of it is still alive.
void plugInAddInstanceForFactory(const Uuid& factory);
void plugInRemoveInstanceForFactory(const Uuid& factory);
int plugInInstanceCount(const Uuid& factory);

// Host side: one loaded plug-in library with the factories its information property list names. The
// library stays loaded for the life of the process: instances it made may outlive this object.
class PlugIn {
public:
    // Loads the library and "<base name>.plist" beside it; nothing, with the reason, when either is
    // missing or unreadable or names no factory the library exports.
    static std::unique_ptr<PlugIn> load(const QString& libraryPath, QString* error = nullptr);

    // The factories the information property list names for a type, in the list's order.
    std::vector<Uuid> factoriesForType(const Uuid& type) const;
    // Calls the factory for a type; null when the factory is unknown or answers nothing.
    void* makeInstance(const Uuid& factory, const Uuid& type) const;
    // The first instance any factory makes for the type, queried for an interface (and retained by that
    // query): the interface's table head, or null. The instance's own reference is released.
    void* instanceWithInterface(const Uuid& type, const Uuid& interface) const;

private:
    PlugIn() = default;

    std::unique_ptr<QLibrary> library_;
    std::map<QString, PFPlugInFactoryFunction> factories_; // by factory identifier string
    std::map<QString, std::vector<Uuid>> types_;           // by type identifier string
};

} // namespace pf
