// The preview-generator interface between a preview plug-in and its host, in plain C (see PlugInAbi.h).
// The host asks the plug-in's factory for the generator type, queries the instance for the callbacks
// interface and calls it with a request of its own; the plug-in draws a PDF and hands its bytes back
// through the request.
#pragma once

#include "platform/plugin/PlugInAbi.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PF_QL_GENERATOR_TYPE "5E2D9680-5022-40FA-B806-43349622E5B9"
#define PF_QL_GENERATOR_CALLBACKS_INTERFACE "865AF5E0-6D30-4345-951B-D37105754F2D"

// The preview's display style: pages with thumbnails on the left.
#define PF_QL_PDF_STYLE_PAGES_WITH_THUMBNAILS_ON_LEFT 4

typedef struct PFQLPreviewProperties {
    int32_t pdfStyle;
    double width;
    double height;
} PFQLPreviewProperties;

typedef struct PFQLPreviewRequest {
    void* host;
    // Whether the host takes a PDF preview with this media box; 0 refuses, and nothing is drawn.
    int (*acceptsPDF)(void* host, double x, double y, double width, double height,
                      const PFQLPreviewProperties* properties);
    // The finished PDF document, handed over once.
    void (*deliverPDF)(void* host, const char* bytes, size_t length);
} PFQLPreviewRequest;

typedef struct PFQLThumbnailRequest {
    void* host;
} PFQLThumbnailRequest;

// The generator's interface table: the plug-in head, then the four callbacks. URLs are file URLs in
// UTF-8; options are unused and null.
typedef struct PFQLGeneratorInterface {
    void* reserved;
    PFResult (*QueryInterface)(void* thisInstance, PFUUIDBytes interfaceIdentifier, void** result);
    uint32_t (*AddRef)(void* thisInstance);
    uint32_t (*Release)(void* thisInstance);
    PFResult (*GenerateThumbnailForURL)(void* thisInstance, PFQLThumbnailRequest* thumbnail, const char* url,
                                        const char* contentTypeUTI, const void* options, double maxWidth,
                                        double maxHeight);
    void (*CancelThumbnailGeneration)(void* thisInstance, PFQLThumbnailRequest* thumbnail);
    PFResult (*GeneratePreviewForURL)(void* thisInstance, PFQLPreviewRequest* preview, const char* url,
                                      const char* contentTypeUTI, const void* options);
    void (*CancelPreviewGeneration)(void* thisInstance, PFQLPreviewRequest* preview);
} PFQLGeneratorInterface;

#ifdef __cplusplus
}
#endif
