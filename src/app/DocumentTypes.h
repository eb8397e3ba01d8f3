// The document types of the application: the package ("*.quorveldoc", "application/x-quorveldoc") and the
// five picture types, which open as a new untitled document holding the picture.
#pragma once

#include "platform/docs/DocumentController.h"

#include <QString>

#include <functional>
#include <memory>

namespace documentTypes {

inline constexpr char PackageMimeType[] = "application/x-quorveldoc";
inline constexpr char PackageExtension[] = "quorveldoc";

// Opens a picture file as a new untitled document (the controller's newDocumentWithImageFile).
using ImageOpener = std::function<std::shared_ptr<pf::Document>(const QString& path, QString* error)>;

// Adds the package type first (the type of new documents), then "TIFF image", "PNG image", "JPEG image",
// "PDF image" and "GIF image".
void addTo(pf::DocumentController& controller, ImageOpener openImage);

} // namespace documentTypes
