// Fuzz target for the RTF reader: any bytes read or fail cleanly; whatever reads writes back as RTF that
// reads to the same text, and lays out (documents carry extreme sizes and spacings) without fault.
#include "platform/text/Rtf.h"
#include "platform/text/TextLayout.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "fuzz_rtf";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto text = pf::attributedStringFromRtf(bytes);
    if (!text)
        return 0;
    const auto again = pf::attributedStringFromRtf(pf::rtfFromAttributedString(*text));
    if (!again || again->string() != text->string())
        std::abort();
    if (text->length() <= 512) {
        const auto layout = pf::TextLayout::make(*text, pf::Size(120, 200), {.truncatesLastVisibleLine = true});
        const auto outlines = layout->glyphOutlines(layout->glyphRange(), pf::Point());
        (void)layout->paintRuns(layout->glyphRange(), pf::Point(5, 5));
        (void)layout->boundingRectForGlyphRange(layout->glyphRange());
        (void)outlines;
    }
    return 0;
}
