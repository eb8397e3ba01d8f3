// The attributes the system puts on text: font, foreground colour, paragraph style, shadow and baseline
// offset. An absent attribute is an empty optional; layout then uses the platform default (Helvetica 12,
// black, the default paragraph style, no shadow, no offset).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"
#include "platform/graphics/GraphicsContext.h" // pf::Shadow: a text shadow is the context's shadow
#include "platform/text/Font.h"

#include <limits>
#include <optional>

namespace pf {

// The platform's numbering, as stored in documents.
enum class TextAlignment : int { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };
enum class LineBreakMode : int {
    WordWrapping = 0,
    CharWrapping = 1,
    Clipping = 2,
    TruncatingHead = 3,
    TruncatingTail = 4,
    TruncatingMiddle = 5,
};

struct ParagraphStyle {
    TextAlignment alignment = TextAlignment::Natural;
    LineBreakMode lineBreakMode = LineBreakMode::WordWrapping;
    double minimumLineHeight = 0;
    double maximumLineHeight = 0;  // 0: no maximum
    double lineHeightMultiple = 0; // 0: none (same as 1)
    double lineSpacing = 0;        // added after each line
    double paragraphSpacing = 0;   // added after the last line of a paragraph
    double firstLineHeadIndent = 0;

    friend bool operator==(const ParagraphStyle&, const ParagraphStyle&) = default;

    static ParagraphStyle defaultStyle() { return {}; }
    // Alignment numbers from stored data; unknown numbers read as natural.
    static TextAlignment alignmentFromInt(long long value);
    static LineBreakMode lineBreakModeFromInt(long long value);
};

enum class AttributeKey { Font, ForegroundColor, ParagraphStyle, Shadow, BaselineOffset };

struct TextAttributes {
    std::optional<Font> font = std::nullopt;
    OptionalColor foregroundColor = std::nullopt;
    std::optional<ParagraphStyle> paragraphStyle = std::nullopt;
    // Offset in the y-up sense of the platform, as the graphics context takes it.
    std::optional<Shadow> shadow = std::nullopt;
    std::optional<double> baselineOffset = std::nullopt;

    friend bool operator==(const TextAttributes&, const TextAttributes&) = default;

    bool isEmpty() const { return !font && !foregroundColor && !paragraphStyle && !shadow && !baselineOffset; }
    bool has(AttributeKey key) const;
    void remove(AttributeKey key);
    // The attributes set in `other` replace these (addAttributes: semantics).
    void add(const TextAttributes& other);

    // The effective values layout uses.
    Font fontOrDefault() const { return font ? *font : Font(); }
    Color colorOrDefault() const { return foregroundColor ? *foregroundColor : Color::black(); }
    ParagraphStyle paragraphStyleOrDefault() const { return paragraphStyle ? *paragraphStyle : ParagraphStyle(); }
};

} // namespace pf
