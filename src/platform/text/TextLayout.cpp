#include "platform/text/TextLayout.h"

#include "platform/graphics/GraphicsContext.h"

#include <QCache>
#include <QHash>
#include <QGlyphRun>
#include <QPainterPath>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace pf {

namespace {

constexpr double k = Font::layoutScale;
// Widths beyond this many points lay out as unbounded (Qt's 26.6 fixed point must not overflow).
constexpr double maximumLineWidth = 100000.0;
constexpr double fitTolerance = 1e-3;
constexpr char16_t ellipsis = 0x2026;

bool isParagraphSeparator(char16_t c) { return c == '\n' || c == '\r' || c == 0x2029; }

// Our path from a glyph outline, each point mapped by `t`.
Path pathFromQt(const QPainterPath& qp, const QTransform& t)
{
    Path path;
    bool open = false;
    for (int i = 0; i < qp.elementCount(); ++i) {
        const QPainterPath::Element e = qp.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (open)
                path.close();
            path.moveTo(Point::fromQt(t.map(QPointF(e.x, e.y))));
            open = true;
            break;
        case QPainterPath::LineToElement:
            path.lineTo(Point::fromQt(t.map(QPointF(e.x, e.y))));
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < qp.elementCount()) {
                const QPainterPath::Element c2 = qp.elementAt(i + 1), end = qp.elementAt(i + 2);
                path.curveTo(Point::fromQt(t.map(QPointF(e.x, e.y))), Point::fromQt(t.map(QPointF(c2.x, c2.y))),
                             Point::fromQt(t.map(QPointF(end.x, end.y))));
                i += 2;
            }
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    if (open)
        path.close();
    return path;
}

// The advance of a line's text without trailing white space. Qt's natural width adds the overhang of
// the last glyph; the platform's used rect is made of advances.
double advanceWidth(const QTextLine& line)
{
    return line.horizontalAdvance();
}

struct LineMetrics {
    double ascent = 0;
    double descent = 0;
    double leading = 0;
};

// Paragraph values from documents, brought into the range layout can hold (Qt keeps positions in 26.6
// fixed point): distances within the widest line, multiples up to 100.
ParagraphStyle sanitized(ParagraphStyle style)
{
    auto clampDistance = [](double v, double low) {
        return std::isfinite(v) ? std::clamp(v, low, maximumLineWidth) : 0.0;
    };
    style.minimumLineHeight = clampDistance(style.minimumLineHeight, 0);
    style.maximumLineHeight = clampDistance(style.maximumLineHeight, 0);
    style.lineHeightMultiple = std::isfinite(style.lineHeightMultiple) ? std::clamp(style.lineHeightMultiple, 0.0, 100.0) : 0.0;
    style.lineSpacing = clampDistance(style.lineSpacing, -maximumLineWidth);
    style.paragraphSpacing = clampDistance(style.paragraphSpacing, -maximumLineWidth);
    style.firstLineHeadIndent = clampDistance(style.firstLineHeadIndent, -maximumLineWidth);
    return style;
}

// The height of a line of these metrics under a paragraph style.
double lineHeight(const LineMetrics& m, const ParagraphStyle& style)
{
    double h = m.ascent + m.descent + m.leading;
    if (style.lineHeightMultiple > 0)
        h *= style.lineHeightMultiple;
    h = std::max(h, style.minimumLineHeight);
    if (style.maximumLineHeight > 0)
        h = std::min(h, style.maximumLineHeight);
    return h;
}

} // namespace

struct TextLayout::Segment {
    qsizetype start = 0;           // first character in the text
    qsizetype length = 0;          // characters, without the paragraph separator
    qsizetype separatorLength = 0; // the separator after it (0, 1 or 2 for CR LF)
    ParagraphStyle style;
    bool rightToLeft = false;
    // Truncation: the display is the first `head` and last `tail` characters around an ellipsis.
    bool truncated = false;
    qsizetype head = 0;
    qsizetype tail = 0;
    QTextLayout layout;

    // The display index of a character boundary (local to the segment).
    int displayIndex(qsizetype local, bool rangeEnd) const
    {
        if (!truncated)
            return int(local);
        if (local <= head)
            return int(local);
        if (local >= length - tail)
            return int(local - (length - tail) + head + 1);
        return int(rangeEnd ? head + 1 : head);
    }
    bool isHidden(qsizetype local) const { return truncated && local > head && local < length - tail; }
};

TextLayout::~TextLayout() = default;

size_t TextLayout::firstRunEndingAfter(qsizetype at) const
{
    const size_t i = size_t(std::upper_bound(runStarts_.begin(), runStarts_.end(), at) - runStarts_.begin());
    return i > 0 ? i - 1 : 0;
}

template <typename F>
void TextLayout::forEachRunMeeting(qsizetype from, qsizetype to, F&& f) const
{
    const std::vector<AttributeRun>& runs = text_.runs();
    for (size_t i = firstRunEndingAfter(from); i < runs.size() && runStarts_[i] < to; ++i) {
        const qsizetype a = std::max(runStarts_[i], from), b = std::min(runStarts_[i] + runs[i].length, to);
        if (a < b)
            f(runs[i], a, b);
    }
}

namespace {

// Wrapping at word boundaries, Qt looks for the end of the word at every line it breaks inside one: a word
// of n characters costs n² / (characters a line) steps, and a stored paragraph of one 10^6-character word
// took minutes. Text holding a word far longer than any line wraps anywhere instead, as such a word
// would be broken anyway.
bool hasOverlongWord(const QString& text)
{
    constexpr qsizetype overlong = 4096;
    if (text.size() <= overlong)
        return false;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype last = 0;
    for (qsizetype at = breaks.toNextBoundary(); at != -1; at = breaks.toNextBoundary()) {
        if (at - last > overlong)
            return true;
        last = at;
    }
    return false;
}

struct CacheKey {
    AttributedString text;
    Size size;
    TextLayoutOptions options;
    size_t hash = 0;
    friend bool operator==(const CacheKey& a, const CacheKey& b)
    {
        return a.hash == b.hash && a.size == b.size && a.options == b.options && a.text == b.text;
    }
};

size_t qHash(const CacheKey& key, size_t seed = 0) { return key.hash ^ seed; }

size_t hashOf(const AttributedString& text, Size size, const TextLayoutOptions& options)
{
    size_t h = qHash(text.string());
    for (const AttributeRun& run : text.runs()) {
        h = h * 31 + size_t(run.length);
        if (run.attributes.font)
            h = h * 31 + ::qHash(run.attributes.font->pointSize()) + ::qHash(run.attributes.font->fontName());
    }
    return h ^ ::qHash(size.width) ^ (::qHash(size.height) << 1) ^ (options.truncatesLastVisibleLine ? 0x9e37 : 0)
           ^ ::qHash(options.lineFragmentPadding);
}

struct CacheEntry {
    std::shared_ptr<const TextLayout> layout;
};

} // namespace

std::shared_ptr<const TextLayout> TextLayout::make(const AttributedString& text, Size containerSize, TextLayoutOptions options)
{
    static std::mutex mutex;
    static QCache<CacheKey, CacheEntry> cache(256);
    CacheKey key{text, containerSize, options, hashOf(text, containerSize, options)};
    // A shape measures its text in a container of unbounded height, then draws it in one just as tall:
    // when every line of the unbounded layout fits, the lines are the same, and a long text is not laid
    // out twice.
    const bool heightBounded = containerSize.height < unboundedTextExtent;
    const Size open(containerSize.width, unboundedTextExtent);
    const CacheKey openKey =
        heightBounded ? CacheKey{text, open, options, hashOf(text, open, options)} : CacheKey{};
    {
        std::lock_guard lock(mutex);
        if (CacheEntry* hit = cache.object(key))
            return hit->layout;
        if (CacheEntry* unbounded = heightBounded ? cache.object(openKey) : nullptr) {
            const TextLayout& whole = *unbounded->layout;
            if (whole.laidOutLength_ == text.length() && whole.usedRect_.maxY() <= containerSize.height + fitTolerance)
                return unbounded->layout;
        }
    }
    static std::atomic<std::uint64_t> serials{0};
    std::shared_ptr<TextLayout> layout(new TextLayout());
    layout->serial_ = ++serials;
    layout->text_ = text;
    layout->containerSize_ = containerSize;
    layout->build(options);
    std::lock_guard lock(mutex);
    cache.insert(std::move(key), new CacheEntry{layout});
    return layout;
}

void TextLayout::build(TextLayoutOptions options)
{
    const QString& str = text_.string();
    const double padding = std::clamp(options.lineFragmentPadding, 0.0, maximumLineWidth);
    const double containerWidth = containerSize_.width;
    const bool bounded = std::isfinite(containerWidth) && containerWidth - 2 * padding < maximumLineWidth;
    const double available = bounded ? std::max(0.0, containerWidth - 2 * padding) : maximumLineWidth;
    const double heightLimit = std::isfinite(containerSize_.height) ? containerSize_.height : unboundedTextExtent;

    const std::vector<AttributeRun>& runs = text_.runs();
    runStarts_.resize(runs.size());
    for (size_t i = 0, at = 0; i < runs.size(); at += size_t(runs[i].length), ++i)
        runStarts_[i] = qsizetype(at);

    // Formats of a segment's display text: each attribute run's font, at layout scale.
    auto applyFormats = [&](Segment& s) {
        struct Range {
            qsizetype from, to;
            QFont font;  // shared, not copied
        };
        std::vector<Range> ranges;
        auto addRange = [&](qsizetype from, qsizetype to, const Font& font) {
            if (to > from)
                ranges.push_back({from, to, font.layoutFont()});
        };
        forEachRunMeeting(s.start, s.start + s.length, [&](const AttributeRun& run, qsizetype a, qsizetype b) {
            addRange(s.displayIndex(a - s.start, false), s.displayIndex(b - s.start, false),
                     run.attributes.fontOrDefault());
        });
        if (s.truncated) {
            // The ellipsis takes the attributes of the character before it (after it, at the start).
            const qsizetype at = s.head > 0 ? s.start + s.head - 1 : s.start + s.length - s.tail;
            addRange(s.head, s.head + 1, text_.attributesAtIndex(std::min(at, text_.length() - 1)).fontOrDefault());
        }
        // One font over the whole segment (the common case) needs no formats: Qt lays that out faster.
        if (ranges.size() == 1 && ranges.front().from == 0 && ranges.front().to == s.layout.text().size()) {
            s.layout.setFont(ranges.front().font);
            s.layout.clearFormats();
        } else {
            QList<QTextLayout::FormatRange> formats;
            formats.reserve(qsizetype(ranges.size()));
            for (const Range& range : ranges) {
                QTextLayout::FormatRange r;
                r.start = int(range.from);
                r.length = int(range.to - range.from);
                r.format.setFont(range.font, QTextCharFormat::FontPropertiesAll);
                formats.append(r);
            }
            s.layout.setFormats(formats);
        }
    };

    auto textOption = [&](const Segment& s, bool singleLine, const QString& display) {
        QTextOption o;
        o.setUseDesignMetrics(true);
        o.setTabStopDistance(28.0 * k);
        o.setAlignment(s.style.alignment == TextAlignment::Justified ? Qt::AlignJustify : (Qt::AlignLeft | Qt::AlignAbsolute));
        if (singleLine)
            o.setWrapMode(QTextOption::NoWrap);
        else if (s.style.lineBreakMode == LineBreakMode::CharWrapping)
            o.setWrapMode(QTextOption::WrapAnywhere);
        else if (s.style.lineBreakMode == LineBreakMode::WordWrapping)
            o.setWrapMode(hasOverlongWord(display) ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
        else
            o.setWrapMode(QTextOption::NoWrap);
        o.setTextDirection(s.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        return o;
    };

    auto setDisplay = [&](Segment& s, bool singleLine) {
        QString display;
        if (s.truncated)
            display = str.mid(s.start, s.head) + QChar(ellipsis) + str.mid(s.start + s.length - s.tail, s.tail);
        else
            display = str.mid(s.start, s.length);
        s.layout.clearLayout();
        s.layout.setText(display);
        s.layout.setTextOption(textOption(s, singleLine, display));
        applyFormats(s);
    };

    // Lays out one line over the whole display (single-line segments); answers its natural width.
    auto singleLineWidth = [&](Segment& s) {
        setDisplay(s, true);
        s.layout.beginLayout();
        double width = 0;
        for (QTextLine line = s.layout.createLine(); line.isValid(); line = s.layout.createLine()) {
            line.setLineWidth(maximumLineWidth * k);
            width = std::max(width, advanceWidth(line) / k);
        }
        s.layout.endLayout();
        return width;
    };

    // Shortens a single-line segment with an ellipsis until it fits; `force` adds the ellipsis even when
    // the whole text fits.
    auto truncate = [&](Segment& s, LineBreakMode mode, double width, bool force) {
        s.truncated = false;
        if (!force && singleLineWidth(s) <= width + fitTolerance)
            return;
        auto keep = [&](qsizetype n) {
            s.truncated = true;
            if (mode == LineBreakMode::TruncatingHead) {
                s.head = 0;
                s.tail = n;
            } else if (mode == LineBreakMode::TruncatingMiddle) {
                s.head = (n + 1) / 2;
                s.tail = n / 2;
            } else {
                s.head = n;
                s.tail = 0;
            }
        };
        qsizetype lo = 0, hi = s.length;
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            keep(mid);
            if (singleLineWidth(s) <= width + fitTolerance)
                lo = mid;
            else
                hi = mid - 1;
        }
        keep(lo);
        singleLineWidth(s);
    };

    auto metricsFor = [&](qsizetype from, qsizetype to) {
        LineMetrics m;
        if (to <= from) {
            // An empty line takes the font of its separator (or of the last character).
            const qsizetype at = std::clamp<qsizetype>(from < text_.length() ? from : from - 1, 0, std::max<qsizetype>(0, text_.length() - 1));
            to = at + 1;
            from = at;
        }
        forEachRunMeeting(from, to, [&](const AttributeRun& run, qsizetype, qsizetype) {
            const Font font = run.attributes.fontOrDefault();
            const double offset = run.attributes.baselineOffset.value_or(0);
            m.ascent = std::max(m.ascent, font.ascender() + std::max(0.0, offset));
            m.descent = std::max(m.descent, -font.descender() - std::min(0.0, offset));
            m.leading = std::max(m.leading, font.leading());
        });
        if (text_.runs().empty()) {
            const Font font;
            m = {font.ascender(), -font.descender(), font.leading()};
        }
        return m;
    };

    double y = 0;
    double minX = unboundedTextExtent, maxX = -unboundedTextExtent, bottom = 0;
    bool stopped = false;

    // Places the lines of a laid-out segment from `first` on; answers false when a line did not fit.
    auto placeLines = [&](int segmentIndex, int first) {
        Segment& s = *segments_[size_t(segmentIndex)];
        const int count = s.layout.lineCount();
        for (int i = first; i < count; ++i) {
            QTextLine line = s.layout.lineAt(i);
            const bool lastOfParagraph = i == count - 1;
            qsizetype from = s.start + line.textStart(), to = from + line.textLength();
            if (s.truncated) {
                from = s.start;
                to = s.start + s.length;
            }
            const LineMetrics m = metricsFor(from, to);
            const double h = lineHeight(m, s.style);
            if (y + h > heightLimit + fitTolerance)
                return false;
            const double indent = (i == 0) ? s.style.firstLineHeadIndent : 0.0;
            const double lineWidth = std::max(0.0, available - indent);
            const double natural = advanceWidth(line) / k;
            double offset = 0;
            TextAlignment align = s.style.alignment;
            if (align == TextAlignment::Natural)
                align = s.rightToLeft ? TextAlignment::Right : TextAlignment::Left;
            if (bounded && align == TextAlignment::Right)
                offset = lineWidth - natural;
            else if (bounded && align == TextAlignment::Center)
                offset = (lineWidth - natural) / 2;
            const double x = padding + indent + offset;
            const double baseline = y + h - m.descent - m.leading;
            // Qt keeps each line's baseline at 0: page positions can exceed its fixed-point range.
            line.setPosition(QPointF(x * k, -line.ascent()));
            const bool justified = bounded && align == TextAlignment::Justified && !lastOfParagraph;
            const double usedWidth = justified ? lineWidth : natural;
            LineFragment f;
            f.glyphRange = {from, to - from + (lastOfParagraph ? s.separatorLength : 0)};
            f.rect = Rect(0, y, containerWidth, h);
            f.usedRect = Rect(x, y, usedWidth, h);
            f.baseline = baseline;
            lines_.push_back(f);
            lineSegment_.push_back(segmentIndex);
            lineQtIndex_.push_back(i);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x + usedWidth);
            bottom = y + h;
            laidOutLength_ = f.glyphRange.end();
            y += h + s.style.lineSpacing + (lastOfParagraph ? s.style.paragraphSpacing : 0.0);
        }
        return true;
    };

    qsizetype pos = 0;
    while (pos < str.size() && !stopped) {
        qsizetype end = pos;
        while (end < str.size() && !isParagraphSeparator(str[end].unicode()))
            ++end;
        qsizetype sep = 0;
        if (end < str.size())
            sep = (str[end] == u'\r' && end + 1 < str.size() && str[end + 1] == u'\n') ? 2 : 1;
        auto seg = std::make_unique<Segment>();
        seg->start = pos;
        seg->length = end - pos;
        seg->separatorLength = sep;
        seg->style = sanitized(text_.attributesAtIndex(pos < str.size() ? pos : str.size() - 1).paragraphStyleOrDefault());
        seg->rightToLeft = str.mid(pos, end - pos).isRightToLeft();
        const LineBreakMode mode = seg->style.lineBreakMode;
        const bool singleLine = mode != LineBreakMode::WordWrapping && mode != LineBreakMode::CharWrapping;
        segments_.push_back(std::move(seg));
        Segment& s = *segments_.back();
        const int index = int(segments_.size()) - 1;
        if (singleLine && bounded && mode >= LineBreakMode::TruncatingHead) {
            truncate(s, mode, std::max(0.0, available - s.style.firstLineHeadIndent), false);
        } else if (singleLine) {
            singleLineWidth(s);
        } else {
            setDisplay(s, false);
            s.layout.beginLayout();
            for (QTextLine line = s.layout.createLine(); line.isValid(); line = s.layout.createLine()) {
                const double indent = line.lineNumber() == 0 ? s.style.firstLineHeadIndent : 0.0;
                line.setLineWidth(std::max(0.0, available - indent) * k);
            }
            s.layout.endLayout();
        }
        if (!placeLines(index, 0))
            stopped = true;
        pos = end + sep;
    }

    if (stopped && options.truncatesLastVisibleLine && !lines_.empty()) {
        // The last line that fits shows the rest of its paragraph up to an ellipsis.
        const LineFragment last = lines_.back();
        const Segment& owner = *segments_[size_t(lineSegment_.back())];
        lines_.pop_back();
        lineSegment_.pop_back();
        lineQtIndex_.pop_back();
        auto seg = std::make_unique<Segment>();
        seg->start = last.glyphRange.location;
        seg->length = owner.start + owner.length - seg->start;
        seg->separatorLength = owner.separatorLength;
        seg->style = owner.style;
        seg->style.firstLineHeadIndent = 0;
        seg->rightToLeft = owner.rightToLeft;
        segments_.push_back(std::move(seg));
        Segment& s = *segments_.back();
        truncate(s, LineBreakMode::TruncatingTail, available, true);
        y = last.rect.y();
        bottom = y;
        placeLines(int(segments_.size()) - 1, 0);
        minX = unboundedTextExtent;
        maxX = -unboundedTextExtent;
        for (const LineFragment& f : lines_) {
            minX = std::min(minX, f.usedRect.x());
            maxX = std::max(maxX, f.usedRect.x() + f.usedRect.width());
        }
    }

    // The empty line after a final paragraph break.
    if (!stopped && !str.isEmpty() && isParagraphSeparator(str.back().unicode())) {
        const LineMetrics m = metricsFor(str.size() - 1, str.size() - 1);
        const double h = lineHeight(m, sanitized(text_.attributesAtIndex(str.size() - 1).paragraphStyleOrDefault()));
        if (y + h <= heightLimit + fitTolerance) {
            extraUsedRect_ = Rect(padding, y, 0, h);
            minX = std::min(minX, padding);
            maxX = std::max(maxX, padding);
            bottom = y + h;
        }
    }

    for (const AttributeRun& run : text_.runs()) {
        double reach = run.attributes.fontOrDefault().pointSize() + std::fabs(run.attributes.baselineOffset.value_or(0));
        if (run.attributes.shadow)
            reach += std::fabs(run.attributes.shadow->offset.height) + 3 * std::fabs(run.attributes.shadow->blur);
        // A NaN reach keeps every line drawn.
        inkReach_ = std::isnan(reach) ? reach : std::max(inkReach_, reach);
    }
    if (text_.runs().empty())
        inkReach_ = Font().pointSize();

    if (lines_.empty() && extraUsedRect_.height() == 0)
        usedRect_ = Rect();
    else
        usedRect_ = Rect(minX, 0, maxX - minX, bottom);
}

int TextLayout::lineFragmentIndexForGlyph(qsizetype glyph) const
{
    auto it = std::upper_bound(lines_.begin(), lines_.end(), glyph,
                               [](qsizetype g, const LineFragment& f) { return g < f.glyphRange.end(); });
    if (it == lines_.end() || !it->glyphRange.contains(glyph))
        return -1;
    return int(it - lines_.begin());
}

struct TextLayout::Located {
    int line = -1;
    const Segment* segment = nullptr;
    QTextLine qtLine;
    qsizetype local = 0; // index within the segment
};

bool TextLayout::locate(qsizetype glyph, Located& out) const
{
    out.line = lineFragmentIndexForGlyph(glyph);
    if (out.line < 0)
        return false;
    out.segment = segments_[size_t(lineSegment_[size_t(out.line)])].get();
    out.qtLine = out.segment->layout.lineAt(lineQtIndex_[size_t(out.line)]);
    out.local = std::min(glyph - out.segment->start, out.segment->length);
    return true;
}

Rect TextLayout::boundingRectForGlyphRange(TextRange glyphs) const
{
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const LineFragment& f = lines_[i];
        const qsizetype a = std::max(glyphs.location, f.glyphRange.location);
        const qsizetype b = std::min(glyphs.end(), f.glyphRange.end());
        if (a >= b && !(glyphs.length == 0 && f.glyphRange.contains(glyphs.location)))
            continue;
        const Segment& s = *segments_[size_t(lineSegment_[i])];
        const QTextLine line = s.layout.lineAt(lineQtIndex_[i]);
        const qsizetype la = std::min(a - s.start, s.length), lb = std::min(std::max(a, b) - s.start, s.length);
        const double xa = line.cursorToX(s.displayIndex(la, false)) / k;
        const double xb = line.cursorToX(s.displayIndex(lb, true)) / k;
        const double left = std::min(xa, xb), right = std::max(xa, xb);
        if (!any) {
            x0 = left, x1 = right, y0 = f.rect.y(), y1 = f.rect.y() + f.rect.height();
            any = true;
        } else {
            x0 = std::min(x0, left), x1 = std::max(x1, right);
            y0 = std::min(y0, f.rect.y()), y1 = std::max(y1, f.rect.y() + f.rect.height());
        }
    }
    return any ? Rect(x0, y0, x1 - x0, y1 - y0) : Rect();
}

Point TextLayout::locationForGlyph(qsizetype glyph) const
{
    Located at;
    if (!locate(glyph, at))
        return {};
    const LineFragment& f = lines_[size_t(at.line)];
    const double x = at.qtLine.cursorToX(at.segment->displayIndex(at.local, false)) / k;
    return {x - f.rect.x(), f.baseline - f.rect.y()};
}

std::optional<TextLayout::Caret> TextLayout::caretForCharacterIndex(qsizetype index) const
{
    const qsizetype length = text_.length();
    if (index < 0 || index > length)
        return std::nullopt;
    if (index == length && extraUsedRect_.height() > 0)
        return Caret{extraUsedRect_.x(), Rect(0, extraUsedRect_.y(), containerSize_.width, extraUsedRect_.height())};
    // The line holding the character; the end of the text stands at the end of the last line.
    int line = lineFragmentIndexForGlyph(index);
    if (line < 0) {
        if (lines_.empty() || index != length || lines_.back().glyphRange.end() != length)
            return std::nullopt;
        line = int(lines_.size()) - 1;
    }
    const LineFragment& f = lines_[size_t(line)];
    const Segment& s = *segments_[size_t(lineSegment_[size_t(line)])];
    const QTextLine qtLine = s.layout.lineAt(lineQtIndex_[size_t(line)]);
    const qsizetype local = std::clamp(index - s.start, qsizetype(0), s.length);
    return Caret{qtLine.cursorToX(s.displayIndex(local, false)) / k, f.rect};
}

qsizetype TextLayout::characterIndexForPoint(Point p) const
{
    if (lines_.empty())
        return 0;
    const LineFragment& last = lines_.back();
    if (extraUsedRect_.height() > 0 && p.y >= last.rect.y() + last.rect.height())
        return text_.length();
    size_t line = 0;
    while (line + 1 < lines_.size() && p.y >= lines_[line].rect.y() + lines_[line].rect.height())
        ++line;
    const LineFragment& f = lines_[line];
    const Segment& s = *segments_[size_t(lineSegment_[line])];
    const QTextLine qtLine = s.layout.lineAt(lineQtIndex_[line]);
    const int display = qtLine.xToCursor(p.x * k, QTextLine::CursorBetweenCharacters);
    // Display indexes of a truncated line map back to the hidden middle's start.
    qsizetype local = display;
    if (s.truncated && display > s.head)
        local = display <= s.head + 1 ? s.head : display - s.head - 1 + (s.length - s.tail);
    const qsizetype index = std::clamp(s.start + local, f.glyphRange.location, f.glyphRange.end());
    // A line's closing paragraph break is not a place to stand before.
    if (index == f.glyphRange.end() && index > f.glyphRange.location && index <= text_.length()
        && isParagraphSeparator(text_.string()[index - 1].unicode()))
        return index - 1;
    return index;
}

Path TextLayout::outlineForGlyph(qsizetype glyph) const
{
    return pathFromQt(layoutOutline(glyph), QTransform::fromScale(1 / k, 1 / k));
}

QPainterPath TextLayout::layoutOutline(qsizetype glyph) const
{
    Located at;
    if (!locate(glyph, at) || at.local >= at.segment->length)
        return {};
    const Segment& s = *at.segment;
    if (s.isHidden(at.local))
        return {};
    const int d = s.displayIndex(at.local, false);
    if (!s.layout.isValidCursorPosition(d))
        return {};
    const int next = s.layout.nextCursorPosition(d);
    if (next <= d)
        return {};
    const double originX = at.qtLine.cursorToX(d);
    const double baseline = 0; // Qt lines are laid out on a baseline at 0
    QPainterPath outline;
    for (const QGlyphRun& run : at.qtLine.glyphRuns(d, next - d)) {
        const QRawFont raw = run.rawFont();
        const auto indexes = run.glyphIndexes();
        const auto positions = run.positions();
        for (qsizetype g = 0; g < indexes.size(); ++g)
            outline.addPath(raw.pathForGlyph(indexes[g]).translated(positions[g].x() - originX, positions[g].y() - baseline));
    }
    return outline;
}

std::vector<Path> TextLayout::glyphOutlines(TextRange glyphs, Point origin, const AffineTransform& textMatrix) const
{
    std::vector<Path> result;
    result.reserve(size_t(std::max<qsizetype>(0, glyphs.length)));
    for (qsizetype g = glyphs.location; g < glyphs.end(); ++g) {
        const QPainterPath outline = layoutOutline(g);
        if (outline.isEmpty()) {
            result.emplace_back();
            continue;
        }
        const int line = lineFragmentIndexForGlyph(g);
        const Point location = locationForGlyph(g);
        const double offset = text_.attributesAtIndex(g).baselineOffset.value_or(0);
        const Rect& fragment = lines_[size_t(line)].rect;
        const AffineTransform place = textMatrix.concat(AffineTransform::translation(
            origin.x + fragment.x() + location.x, origin.y + fragment.y() + location.y - offset));
        result.push_back(pathFromQt(outline, QTransform::fromScale(1 / k, 1 / k) * place.toQt()));
    }
    return result;
}

namespace {

// The font of a layout's glyph run at one pixel a point. Resizing a raw font clones its engine, and a new
// engine starts with an empty glyph cache: done on every paint, every glyph would be rasterised again. The
// clones are kept per layout engine (bounded; per thread, as engines are).
QRawFont pointSizedFont(const QRawFont& layoutFont)
{
    thread_local QHash<QRawFont, QRawFont> clones;
    if (const auto it = clones.constFind(layoutFont); it != clones.constEnd())
        return it.value();
    if (clones.size() >= 512)
        clones.clear();
    QRawFont raw = layoutFont;
    raw.setPixelSize(layoutFont.pixelSize() / k);
    clones.insert(layoutFont, raw);
    return raw;
}

} // namespace

std::vector<TextLayout::PaintRun> TextLayout::paintRuns(TextRange glyphs, Point origin) const
{
    std::vector<PaintRun> result;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const LineFragment& f = lines_[i];
        const qsizetype a = std::max(glyphs.location, f.glyphRange.location);
        const qsizetype b = std::min(glyphs.end(), f.glyphRange.end());
        if (a >= b)
            continue;
        const Segment& s = *segments_[size_t(lineSegment_[i])];
        // The line's own runs: asked of the whole layout, Qt walks every line of the paragraph for each.
        const QTextLine line = s.layout.lineAt(lineQtIndex_[i]);
        forEachRunMeeting(a, b, [&](const AttributeRun& run, qsizetype ra, qsizetype rb) {
            const int da = s.displayIndex(std::min(ra - s.start, s.length), false);
            const int db = s.displayIndex(std::min(rb - s.start, s.length), true);
            if (db <= da)
                return;
            const double rise = run.attributes.baselineOffset.value_or(0);
            for (const QGlyphRun& qrun : line.glyphRuns(da, db - da)) {
                const QRawFont raw = pointSizedFont(qrun.rawFont());
                QList<QPointF> positions = qrun.positions();
                for (QPointF& p : positions)
                    p = QPointF(origin.x + p.x() / k, origin.y + f.baseline + p.y() / k - rise);
                QGlyphRun out;
                out.setRawFont(raw);
                out.setGlyphIndexes(qrun.glyphIndexes());
                out.setPositions(positions);
                result.push_back({out, run.attributes.colorOrDefault(), run.attributes.shadow});
            }
        });
    }
    return result;
}

TextRange TextLayout::glyphsReaching(TextRange glyphs, Point origin, const Rect& visible) const
{
    // Above and below the visible rect by what the ink may pass its line; a NaN anywhere meets every line.
    const double top = visible.minY() - origin.y - inkReach_;
    const double bottom = visible.maxY() - origin.y + inkReach_;
    qsizetype from = -1, to = -1;
    for (const LineFragment& f : lines_) {
        const qsizetype a = std::max(glyphs.location, f.glyphRange.location);
        const qsizetype b = std::min(glyphs.end(), f.glyphRange.end());
        if (a >= b || f.rect.maxY() < top || f.rect.minY() > bottom)
            continue;
        from = from < 0 ? a : std::min(from, a);
        to = std::max(to, b);
    }
    return from < 0 ? TextRange{glyphs.location, 0} : TextRange{from, to - from};
}

void TextLayout::draw(GraphicsContext& context, TextRange wholeRange, Point origin) const
{
    const TextRange glyphs = glyphsReaching(wholeRange, origin, context.clipBoundingBox());
    if (glyphs.length <= 0)
        return;
    // A shape draws its text at the same place at every paint: the runs are kept, per thread, as the
    // fonts in them belong to the thread that made them (a layout is shared by threads, and must not
    // change once built). Bounded: past the bound they are all made again.
    struct Key {
        std::uint64_t layout;
        qsizetype location, length;
        double x, y;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const noexcept
        {
            return qHashMulti(0, k.layout, k.location, k.length, k.x, k.y);
        }
    };
    thread_local std::unordered_map<Key, std::shared_ptr<const std::vector<PaintRun>>, KeyHash> kept;
    const Key key{serial_, glyphs.location, glyphs.length, origin.x, origin.y};
    auto found = kept.find(key);
    if (found == kept.end()) {
        if (kept.size() >= 4096)
            kept.clear();
        found = kept.emplace(key, std::make_shared<const std::vector<PaintRun>>(paintRuns(glyphs, origin))).first;
    }
    // Held here: drawing may make other runs, and the table may drop these meanwhile.
    const std::shared_ptr<const std::vector<PaintRun>> runs = found->second;
    for (const PaintRun& run : *runs) {
        context.saveGState();
        context.setFillColor(run.color);
        if (run.shadow)
            context.setShadow(run.shadow->offset, run.shadow->blur, run.shadow->color);
        context.drawGlyphRun(run.glyphs, Point());
        context.restoreGState();
    }
}

// --- LayoutManager

const TextLayout* LayoutManager::layout() const
{
    if (!storage_ || !container_)
        return nullptr;
    if (!layout_ || layoutVersion_ != storage_->version() || !(layoutSize_ == container_->size())) {
        TextLayoutOptions options;
        options.lineFragmentPadding = container_->lineFragmentPadding();
        layout_ = TextLayout::make(*storage_, container_->size(), options);
        layoutVersion_ = storage_->version();
        layoutSize_ = container_->size();
    }
    return layout_.get();
}

TextRange LayoutManager::glyphRangeForTextContainer() const
{
    const TextLayout* l = layout();
    return l ? l->glyphRange() : TextRange{};
}

Rect LayoutManager::usedRectForTextContainer() const
{
    const TextLayout* l = layout();
    return l ? l->usedRect() : Rect();
}

const LineFragment* LayoutManager::lineFragmentForGlyph(qsizetype glyph, TextRange* effectiveRange) const
{
    const TextLayout* l = layout();
    const int i = l ? l->lineFragmentIndexForGlyph(glyph) : -1;
    const LineFragment* fragment = i < 0 ? nullptr : &l->lineFragments()[size_t(i)];
    if (effectiveRange)
        *effectiveRange = fragment ? fragment->glyphRange : TextRange{glyph, 0};
    return fragment;
}

Rect LayoutManager::lineFragmentRectForGlyphAtIndex(qsizetype glyph, TextRange* effectiveRange) const
{
    const LineFragment* fragment = lineFragmentForGlyph(glyph, effectiveRange);
    return fragment ? fragment->rect : Rect();
}

Rect LayoutManager::lineFragmentUsedRectForGlyphAtIndex(qsizetype glyph, TextRange* effectiveRange) const
{
    const LineFragment* fragment = lineFragmentForGlyph(glyph, effectiveRange);
    return fragment ? fragment->usedRect : Rect();
}

Rect LayoutManager::boundingRectForGlyphRange(TextRange glyphs) const
{
    const TextLayout* l = layout();
    return l ? l->boundingRectForGlyphRange(glyphs) : Rect();
}

Point LayoutManager::locationForGlyphAtIndex(qsizetype glyph) const
{
    const TextLayout* l = layout();
    return l ? l->locationForGlyph(glyph) : Point();
}

void LayoutManager::enumerateLineFragmentsForGlyphRange(TextRange glyphs,
    const std::function<void(const Rect&, const Rect&, TextRange)>& body) const
{
    const TextLayout* l = layout();
    if (!l)
        return;
    for (const LineFragment& f : l->lineFragments())
        if (f.glyphRange.location < glyphs.end() && f.glyphRange.end() > glyphs.location)
            body(f.rect, f.usedRect, f.glyphRange);
}

void LayoutManager::drawGlyphsForGlyphRange(TextRange glyphs, Point origin, GraphicsContext& context) const
{
    if (const TextLayout* l = layout())
        l->draw(context, glyphs, origin);
}

void LayoutManager::drawGlyphsForGlyphRange(TextRange glyphs, Point origin) const
{
    if (GraphicsContext* context = GraphicsContext::current())
        drawGlyphsForGlyphRange(glyphs, origin, *context);
}

} // namespace pf
