#include "app/DocumentTypes.h"

#include "app/Document.h"

namespace documentTypes {

void addTo(pf::DocumentController& controller, ImageOpener openImage)
{
    controller.addDocumentType({QString::fromLatin1(Document::TypeName), {QString::fromLatin1(PackageExtension)}, true,
                                QString::fromLatin1(PackageMimeType), [] { return std::make_shared<Document>(); }, {}});
    const struct {
        const char* name;
        QStringList extensions;
        const char* mime;
    } images[] = {
        {"TIFF image", {"tiff", "tif"}, "image/tiff"},
        {"PNG image", {"png"}, "image/png"},
        {"JPEG image", {"jpeg", "jpg"}, "image/jpeg"},
        {"PDF image", {"pdf"}, "application/pdf"},
        {"GIF image", {"gif"}, "image/gif"},
    };
    for (const auto& image : images)
        controller.addDocumentType({QString::fromLatin1(image.name), image.extensions, false,
                                    QString::fromLatin1(image.mime), {}, openImage});
}

} // namespace documentTypes
