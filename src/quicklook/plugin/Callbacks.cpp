// The generator's callbacks: previews are drawn, thumbnails left to the system's default icon.
#include "quicklook/PreviewGenerator.h"
#include "quicklook/plugin/QuickLookPlugIn.h"

PFResult GeneratePreviewForURL(void* thisInstance, PFQLPreviewRequest* preview, const char* url,
                               const char* contentTypeUTI, const void* options)
{
    (void)thisInstance, (void)contentTypeUTI, (void)options;
    return generatePreview(preview, url);
}

void CancelPreviewGeneration(void* thisInstance, PFQLPreviewRequest* preview)
{
    (void)thisInstance, (void)preview;
}

PFResult GenerateThumbnailForURL(void* thisInstance, PFQLThumbnailRequest* thumbnail, const char* url,
                                 const char* contentTypeUTI, const void* options, double maxWidth, double maxHeight)
{
    (void)thisInstance, (void)thumbnail, (void)url, (void)contentTypeUTI, (void)options, (void)maxWidth,
        (void)maxHeight;
    return PF_S_OK;
}

void CancelThumbnailGeneration(void* thisInstance, PFQLThumbnailRequest* thumbnail)
{
    (void)thisInstance, (void)thumbnail;
}
