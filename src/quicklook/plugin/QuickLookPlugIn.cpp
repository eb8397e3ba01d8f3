// The preview plug-in's factory and its generator instances: the plug-in model's reference-counted
// instance with a table of the generator interface.
#include "platform/plugin/PlugIn.h"
#include "platform/plugin/QuickLookAbi.h"
#include "quicklook/plugin/QuickLookPlugIn.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

struct GeneratorInstance {
    PFQLGeneratorInterface* table; // the instance's own copy of the template
    pf::Uuid factory;
    bool hasFactory;
    std::atomic<uint32_t> refCount;
};

// The callbacks stay empty until the callbacks interface is asked for.
const PFQLGeneratorInterface generatorTemplate = {
    nullptr, QuickLookGeneratorQueryInterface, QuickLookGeneratorPluginAddRef, QuickLookGeneratorPluginRelease,
    nullptr, nullptr, nullptr, nullptr,
};

} // namespace

PF_PLUGIN_EXPORT void* AllocQuickLookGeneratorPluginType(PFUUIDBytes factoryIdentifier)
{
    const pf::Uuid factory(factoryIdentifier);
    auto* instance = new GeneratorInstance{new PFQLGeneratorInterface(generatorTemplate), factory, true, {1}};
    pf::plugInAddInstanceForFactory(factory);
    return instance;
}

PF_PLUGIN_EXPORT void DeallocQuickLookGeneratorPluginType(void* thisInstance)
{
    auto* instance = static_cast<GeneratorInstance*>(thisInstance);
    delete instance->table;
    if (instance->hasFactory)
        pf::plugInRemoveInstanceForFactory(instance->factory);
    delete instance;
}

PF_PLUGIN_EXPORT PFResult QuickLookGeneratorQueryInterface(void* thisInstance, PFUUIDBytes interfaceIdentifier,
                                                           void** result)
{
    auto* instance = static_cast<GeneratorInstance*>(thisInstance);
    if (pf::Uuid(interfaceIdentifier) == *pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_CALLBACKS_INTERFACE))) {
        instance->table->GenerateThumbnailForURL = GenerateThumbnailForURL;
        instance->table->CancelThumbnailGeneration = CancelThumbnailGeneration;
        instance->table->GeneratePreviewForURL = GeneratePreviewForURL;
        instance->table->CancelPreviewGeneration = CancelPreviewGeneration;
        instance->table->AddRef(instance);
        *result = instance;
        return PF_S_OK;
    }
    *result = nullptr;
    return PF_E_NOINTERFACE;
}

PF_PLUGIN_EXPORT uint32_t QuickLookGeneratorPluginAddRef(void* thisInstance)
{
    return ++static_cast<GeneratorInstance*>(thisInstance)->refCount;
}

PF_PLUGIN_EXPORT uint32_t QuickLookGeneratorPluginRelease(void* thisInstance)
{
    auto* instance = static_cast<GeneratorInstance*>(thisInstance);
    const uint32_t remaining = --instance->refCount;
    if (remaining == 0)
        DeallocQuickLookGeneratorPluginType(instance);
    return remaining;
}

PF_PLUGIN_EXPORT void* QuickLookGeneratorPluginFactory(void* allocator, const PFUUIDBytes* typeIdentifier)
{
    (void)allocator;
    if (!typeIdentifier
        || pf::Uuid(*typeIdentifier) != *pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_TYPE)))
        return nullptr;
    return AllocQuickLookGeneratorPluginType(pf::Uuid::fromString(QStringLiteral(QUORVEL_QUICKLOOK_FACTORY))->bytes());
}
