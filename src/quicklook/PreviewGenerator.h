// A preview of a document package: every page drawn as one page of a PDF, on white, through the
// preview request's PDF context.
#pragma once

#include "platform/plugin/QuickLookAbi.h"

// Status of a preview that could not be made (no readable page data).
inline constexpr PFResult quickLookPreviewFailed = -19;

// url is a file URL (or a plain path) of the package. 0 also when the request takes no PDF.
PFResult generatePreview(PFQLPreviewRequest* preview, const char* url);
