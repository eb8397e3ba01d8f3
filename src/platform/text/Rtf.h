// RTF for attributed strings, as texts are stored: no document attributes, only the attribute set of
// TextAttributes. The reader is tolerant (unknown words and {\*...} destinations are skipped, text from
// other writers reads) and bounded (input size and group nesting are limited); it never throws.
#pragma once

#include "platform/text/AttributedString.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pf {

// The range (clamped) written as RTF. Colour channels keep five decimals, sizes half points and
// distances twentieths of a point, as the platform's RTF does.
QByteArray rtfFromRange(const AttributedString& string, TextRange range);
inline QByteArray rtfFromAttributedString(const AttributedString& string) { return rtfFromRange(string, {0, string.length()}); }

struct RtfReadLimits {
    qsizetype maximumBytes = 32 * 1024 * 1024;
    int maximumDepth = 100;
};

// The attributed string read from RTF data; nothing (and a message in `error`) when the data is not RTF,
// too large, or nested too deeply. Text that ends early (unbalanced braces, a cut escape) reads as far
// as it goes. Every character read has a font (Helvetica 12 when the data names none).
std::optional<MutableAttributedString> attributedStringFromRtf(const QByteArray& data, QString* error = nullptr,
                                                               const RtfReadLimits& limits = {});

} // namespace pf
