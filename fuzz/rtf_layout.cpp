// Fuzz target for laying out what the RTF reader reads: documents carry extreme sizes, spacings and
// line heights, and any of them lays out, answers glyph queries and makes paint runs without fault.
#include "FuzzSupport.h"

#include "platform/text/Rtf.h"
#include "platform/text/TextLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    const QByteArray bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto text = pf::attributedStringFromRtf(bytes);
    if (!text || text->length() > 512)
        return 0;
    const auto layout = pf::TextLayout::make(*text, pf::Size(120, 200), {.truncatesLastVisibleLine = true});
    (void)layout->glyphOutlines(layout->glyphRange(), pf::Point());
    (void)layout->paintRuns(layout->glyphRange(), pf::Point(5, 5));
    (void)layout->boundingRectForGlyphRange(layout->glyphRange());
    return 0;
}
