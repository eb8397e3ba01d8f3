// Fuzz target for the RTF reader and writer: any bytes read or fail cleanly; whatever reads writes back as
// RTF that reads to the same text, attributes included. Reading and writing only, so that it runs fast; layout of what is read
// has its own target (rtf_layout).
#include "platform/text/Rtf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto text = pf::attributedStringFromRtf(bytes);
    if (!text)
        return 0;
    const auto again = pf::attributedStringFromRtf(pf::rtfFromAttributedString(*text));
    if (!again || !again->isEqualToAttributedString(*text))
        std::abort();
    return 0;
}
