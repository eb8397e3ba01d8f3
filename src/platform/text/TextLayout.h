// Text layout over QTextLayout in the platform's sense: a text container of a size (height unbounded by
// default, line-fragment padding 0), line fragments with their rects and used rects, glyph ranges, glyph
// locations and outlines, and drawing. A layout is immutable and shared; TextLayout::make caches them
// per text, container size and options, because measuring runs on every shape layout.
//
// Glyphs are numbered as the characters (UTF-16 code units) they come from: glyph i draws character i,
// and a code unit that starts no glyph (the second half of a surrogate pair, a character hidden by
// truncation) draws nothing. Glyph ranges and character ranges are therefore the same numbers.
#pragma once

#include "platform/graphics/Path.h"
#include "platform/text/AttributedString.h"

#include <QGlyphRun>
#include <QPainterPath>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pf {

class GraphicsContext;

// The largest single-precision value: the platform's "unbounded" container extent.
inline constexpr double unboundedTextExtent = 3.4028234663852886e38;

struct TextLayoutOptions {
    // Truncate the last line that fits with an ellipsis when more text follows it.
    bool truncatesLastVisibleLine = false;
    // Inset of the text at both ends of each line fragment.
    double lineFragmentPadding = 0;
    friend bool operator==(const TextLayoutOptions&, const TextLayoutOptions&) = default;
};

struct LineFragment {
    TextRange glyphRange;
    Rect rect;     // the fragment: the container's width, the line's height
    Rect usedRect; // the part the glyphs use
    double baseline = 0; // from the container's top
};

class TextLayout {
public:
    static std::shared_ptr<const TextLayout> make(const AttributedString& text, Size containerSize,
                                                  TextLayoutOptions options = {});
    ~TextLayout();

    const AttributedString& text() const { return text_; }
    // The container laid out in: a layout whose lines all fit a shorter one serves that one too.
    Size containerSize() const { return containerSize_; }
    // The glyphs that fit in the container.
    TextRange glyphRange() const { return {0, laidOutLength_}; }
    const std::vector<LineFragment>& lineFragments() const { return lines_; }
    // The widest line and the height of all lines, with the extra fragment after a final line break.
    Rect usedRect() const { return usedRect_; }
    // The empty fragment after a final paragraph break (zero when there is none).
    Rect extraLineFragmentUsedRect() const { return extraUsedRect_; }

    // The fragment holding a glyph, or -1.
    int lineFragmentIndexForGlyph(qsizetype glyph) const;
    // The rect the glyphs of a range take in the container (their lines' height, their advance width).
    Rect boundingRectForGlyphRange(TextRange glyphs) const;
    // A glyph's origin relative to its fragment's origin (x along the line, y at the baseline).
    Point locationForGlyph(qsizetype glyph) const;
    // The insertion point before a character (0 to the text's length) for an editor: its x in the container
    // and the line it stands on. A text ending in a paragraph break puts the end on the empty line after it;
    // an empty text, or a layout whose lines do not reach the index, answers no caret.
    struct Caret {
        double x = 0;
        Rect line;
    };
    std::optional<Caret> caretForCharacterIndex(qsizetype index) const;
    // The character boundary nearest to a point of the container: the line at its height (the first above
    // all lines, the last below them), the boundary nearest to its x on that line.
    qsizetype characterIndexForPoint(Point p) const;

    // The outline of one glyph about its origin, in points, y down; empty when it draws nothing.
    Path outlineForGlyph(qsizetype glyph) const;
    // The outlines of a range, each transformed by the text matrix about its glyph origin and placed at
    // its location, the container's origin at `origin`. One entry per glyph of the range.
    std::vector<Path> glyphOutlines(TextRange glyphs, Point origin, const AffineTransform& textMatrix = {}) const;

    // One piece of text to paint: a glyph run in points at its page position, with its attributes.
    struct PaintRun {
        QGlyphRun glyphs;
        Color color;
        std::optional<Shadow> shadow;
    };
    // The glyph runs of a range with the container's origin at `origin`.
    std::vector<PaintRun> paintRuns(TextRange glyphs, Point origin) const;
    // The part of a range on the lines whose ink can reach `visible` (container origin at `origin`): from
    // the first such line to the last. An empty range at the range's start when no line can.
    TextRange glyphsReaching(TextRange glyphs, Point origin, const Rect& visible) const;
    // Draws a range in its colours, each run with its shadow attribute (a run without one keeps the
    // context's shadow, as any drawing does). Only the lines that can reach the context's clip are drawn:
    // a text of many pages draws its glyphs on the page alone.
    void draw(GraphicsContext& context, TextRange glyphs, Point origin) const;

private:
    struct Segment;
    TextLayout() = default;
    void build(TextLayoutOptions options);
    struct Located;
    bool locate(qsizetype glyph, Located& out) const;
    // The first attribute run that ends after a character (a search: a text may hold a run a paragraph).
    size_t firstRunEndingAfter(qsizetype at) const;
    // Calls f(run, a, b) for each attribute run meeting the characters [from, to), [a, b) their common part.
    template <typename F>
    void forEachRunMeeting(qsizetype from, qsizetype to, F&& f) const;
    // A glyph's outline about its origin, in layout units.
    QPainterPath layoutOutline(qsizetype glyph) const;

    AttributedString text_;
    Size containerSize_;
    std::vector<std::unique_ptr<Segment>> segments_;
    std::vector<LineFragment> lines_;
    std::vector<int> lineSegment_;   // segment of each line
    std::vector<int> lineQtIndex_;   // QTextLine index within its segment's layout
    std::vector<qsizetype> runStarts_;  // where each attribute run of the text starts
    qsizetype laidOutLength_ = 0;
    // Names the layout for the paint runs each thread keeps (draw): never reused, unlike an address.
    std::uint64_t serial_ = 0;
    Rect usedRect_;
    Rect extraUsedRect_;
    // How far the ink of a line may pass its fragment above or below: the largest font's size, baseline
    // offset and text shadow.
    double inkReach_ = 0;
};

class TextContainer {
public:
    TextContainer() = default;
    explicit TextContainer(Size size) : size_(size) {}
    Size size() const { return size_; }
    void setSize(Size size) { size_ = size; }
    double lineFragmentPadding() const { return padding_; }
    void setLineFragmentPadding(double padding) { padding_ = padding; }

private:
    Size size_{unboundedTextExtent, unboundedTextExtent};
    double padding_ = 0;
};

// The text a layout manager lays out; every change moves its version on.
class TextStorage : public MutableAttributedString {
public:
    using MutableAttributedString::MutableAttributedString;
    quint64 version() const { return version_; }

protected:
    void didEdit() override { ++version_; }

private:
    quint64 version_ = 1;
};

// Lays out a storage in one container; layout happens on demand and is kept until the storage or the
// container changes.
class LayoutManager {
public:
    void setTextStorage(const TextStorage* storage) { storage_ = storage; layout_.reset(); }
    void setTextContainer(const TextContainer* container) { container_ = container; layout_.reset(); }
    const TextStorage* textStorage() const { return storage_; }
    const TextContainer* textContainer() const { return container_; }

    // The current layout (nullptr without storage or container).
    const TextLayout* layout() const;
    void ensureLayoutForTextContainer() const { layout(); }
    TextRange glyphRangeForTextContainer() const;
    Rect usedRectForTextContainer() const;
    qsizetype numberOfGlyphs() const { return storage_ ? storage_->length() : 0; }
    TextRange glyphRangeForCharacterRange(TextRange characters) const { return characters; }
    TextRange characterRangeForGlyphRange(TextRange glyphs) const { return glyphs; }
    Rect lineFragmentRectForGlyphAtIndex(qsizetype glyph, TextRange* effectiveRange = nullptr) const;
    Rect lineFragmentUsedRectForGlyphAtIndex(qsizetype glyph, TextRange* effectiveRange = nullptr) const;
    Rect boundingRectForGlyphRange(TextRange glyphs) const;
    Point locationForGlyphAtIndex(qsizetype glyph) const;
    // Calls `body` for each fragment holding glyphs of the range, in order.
    void enumerateLineFragmentsForGlyphRange(TextRange glyphs,
        const std::function<void(const Rect& rect, const Rect& usedRect, TextRange glyphRange)>& body) const;
    void drawGlyphsForGlyphRange(TextRange glyphs, Point origin, GraphicsContext& context) const;
    // In the thread's current context; nothing when there is none.
    void drawGlyphsForGlyphRange(TextRange glyphs, Point origin) const;

private:
    // The fragment that holds the glyph, or null; fills effectiveRange either way.
    const LineFragment* lineFragmentForGlyph(qsizetype glyph, TextRange* effectiveRange) const;

    const TextStorage* storage_ = nullptr;
    const TextContainer* container_ = nullptr;
    mutable std::shared_ptr<const TextLayout> layout_;
    mutable quint64 layoutVersion_ = 0;
    mutable Size layoutSize_;
};

} // namespace pf
