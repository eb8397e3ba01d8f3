#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>

namespace pf::detail {

// The shortest text that reads back to the same double, exactly as std::to_chars writes it ("0.1", "2",
// "-0", "1e+05"), into a buffer of at least 32 characters. Most numbers a document holds are whole and
// small (frames, widths, counts): below 1e5 in magnitude their fixed form is never longer than the
// scientific one, so they are written as integers without the general search.
inline char* putShortestReal(char* first, char* last, double v)
{
    if (std::abs(v) < 1e5) {
        const auto whole = static_cast<std::int32_t>(v);
        if (static_cast<double>(whole) == v) {
            if (whole == 0 && std::signbit(v))
                *first++ = '-';
            return std::to_chars(first, last, whole).ptr;
        }
    }
    return std::to_chars(first, last, v).ptr;
}

} // namespace pf::detail
