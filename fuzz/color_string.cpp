// Colour strings come from documents and the pasteboard: reading any bytes must not crash, and what is
// written back must read back to the same text.
#include "geometry/QVColor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString once = QVStringFromColor(QVColorFromString(input));
    const QString twice = QVStringFromColor(QVColorFromString(once));
    if (once != twice)
        std::abort();
    return 0;
}
