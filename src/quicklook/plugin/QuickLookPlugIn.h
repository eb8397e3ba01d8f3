// The preview plug-in's callbacks and the identifier of its factory (the same string as in its
// information property list, QuorvelQuickLook.plist).
#pragma once

#include "platform/plugin/QuickLookAbi.h"

#define QUORVEL_QUICKLOOK_FACTORY "3B0C1F7E-6A52-4D8B-9E1D-8C4F2A7B5D60"


PF_PLUGIN_EXPORT void* QuickLookGeneratorPluginFactory(void* allocator, const PFUUIDBytes* typeIdentifier);

// The generator instance: made with its own copy of the interface table and registered for its factory,
// counted, and freed (unregistered) when the count falls to zero.
PF_PLUGIN_EXPORT void* AllocQuickLookGeneratorPluginType(PFUUIDBytes factoryIdentifier);
PF_PLUGIN_EXPORT void DeallocQuickLookGeneratorPluginType(void* thisInstance);
PF_PLUGIN_EXPORT PFResult QuickLookGeneratorQueryInterface(void* thisInstance, PFUUIDBytes interfaceIdentifier,
                                                           void** result);
PF_PLUGIN_EXPORT uint32_t QuickLookGeneratorPluginAddRef(void* thisInstance);
PF_PLUGIN_EXPORT uint32_t QuickLookGeneratorPluginRelease(void* thisInstance);

PF_PLUGIN_EXPORT PFResult GenerateThumbnailForURL(void* thisInstance, PFQLThumbnailRequest* thumbnail, const char* url,
                                                  const char* contentTypeUTI, const void* options, double maxWidth,
                                                  double maxHeight);
PF_PLUGIN_EXPORT void CancelThumbnailGeneration(void* thisInstance, PFQLThumbnailRequest* thumbnail);
PF_PLUGIN_EXPORT PFResult GeneratePreviewForURL(void* thisInstance, PFQLPreviewRequest* preview, const char* url,
                                                const char* contentTypeUTI, const void* options);
PF_PLUGIN_EXPORT void CancelPreviewGeneration(void* thisInstance, PFQLPreviewRequest* preview);
