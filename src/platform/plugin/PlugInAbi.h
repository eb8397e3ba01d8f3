// The binary interface between a plug-in library and the program that loads it: plain C, so that a
// plug-in built from its own copy of our libraries shares no C++ object with its host.
//
// A plug-in names its factories and the types they make in an information property list kept beside
// the library ("<library base name>.plist"): "CFPlugInFactories" maps a factory identifier to the name
// of an exported factory function, "CFPlugInTypes" maps a type identifier to the factories that make it.
// A factory answers an instance whose first field points at an interface table that starts with the
// reserved slot and the query, retain and release calls below; the host asks it for other interfaces by
// identifier.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PFUUIDBytes {
    uint8_t bytes[16];
} PFUUIDBytes;

typedef int32_t PFResult;
#define PF_S_OK ((PFResult)0)
#define PF_E_NOINTERFACE ((PFResult)0x80000004)

// The head every interface table starts with.
typedef struct PFPlugInInterface {
    void* reserved;
    PFResult (*QueryInterface)(void* thisInstance, PFUUIDBytes interfaceIdentifier, void** result);
    uint32_t (*AddRef)(void* thisInstance);
    uint32_t (*Release)(void* thisInstance);
} PFPlugInInterface;

// allocator is always null here; typeIdentifier is the type the host asks for.
typedef void* (*PFPlugInFactoryFunction)(void* allocator, const PFUUIDBytes* typeIdentifier);

#ifdef __cplusplus
}
#endif

// Marks a function a plug-in library exports to its host.
#define PF_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
