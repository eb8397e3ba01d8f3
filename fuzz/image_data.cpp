// Image bytes come from documents and the pasteboard: decoding any bytes must not crash, and a decoded
// image must draw and encode.
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_image_data";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);

    QString error;
    const pf::Image image = pf::Image::fromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (image.isNull()) {
        if (error.isEmpty())
            std::abort();  // a failure always says why
        return 0;
    }
    pf::BitmapContext context({16, 16}, 1);
    context.drawImage(image, pf::Rect(0, 0, 16, 16));
    if (image.isValid() && image.size().width * image.size().height < 1e6 && image.pngData().isEmpty())
        std::abort();
    return 0;
}
