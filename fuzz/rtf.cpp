// Fuzz target for the RTF reader: any bytes read or fail cleanly, and whatever reads writes back as RTF
// that reads to the same attributed string.
#include "platform/text/Rtf.h"

// The reader and writer are compiled into the target itself, so that libFuzzer's coverage
// instrumentation (applied to this target's sources only) sees their branches.
#include "platform/text/RtfReader.cpp"
#include "platform/text/RtfWriter.cpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto text = pf::attributedStringFromRtf(bytes);
    if (!text)
        return 0;
    const auto again = pf::attributedStringFromRtf(pf::rtfFromAttributedString(*text));
    if (!again || again->string() != text->string())
        std::abort();
    return 0;
}
