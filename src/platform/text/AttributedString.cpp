#include "platform/text/AttributedString.h"

#include <algorithm>

namespace pf {

AttributedString::AttributedString(const QString& string, const TextAttributes& attributes) : string_(string)
{
    if (!string_.isEmpty())
        runs_.push_back({string_.size(), attributes});
}

AttributedString::AttributedString(const QString& string, std::vector<AttributeRun> runs)
    : string_(string), runs_(std::move(runs))
{
    normalizeRuns();
}

void AttributedString::normalizeRuns()
{
    std::vector<AttributeRun> merged;
    merged.reserve(runs_.size());
    qsizetype covered = 0;
    for (AttributeRun& run : runs_) {
        const qsizetype n = std::min(run.length, length() - covered);
        if (n <= 0)
            continue;
        covered += n;
        if (!merged.empty() && merged.back().attributes == run.attributes)
            merged.back().length += n;
        else
            merged.push_back({n, std::move(run.attributes)});
    }
    if (covered < length()) {
        if (merged.empty())
            merged.push_back({length() - covered, {}});
        else
            merged.back().length += length() - covered;
    }
    runs_ = std::move(merged);
}

TextRange AttributedString::clamped(TextRange range) const
{
    const qsizetype start = std::clamp<qsizetype>(range.location, 0, length());
    const qsizetype end = std::clamp<qsizetype>(range.length > 0 ? start + std::min(range.length, length()) : start, start, length());
    return {start, end - start};
}

TextAttributes AttributedString::attributesAtIndex(qsizetype index, TextRange* effectiveRange) const
{
    qsizetype start = 0;
    if (index >= 0)
        for (const AttributeRun& run : runs_) {
            if (index < start + run.length) {
                if (effectiveRange)
                    *effectiveRange = {start, run.length};
                return run.attributes;
            }
            start += run.length;
        }
    if (effectiveRange)
        *effectiveRange = {index, 0};
    return {};
}

namespace {

bool sameAttribute(AttributeKey key, const TextAttributes& a, const TextAttributes& b)
{
    switch (key) {
    case AttributeKey::Font: return a.font == b.font;
    case AttributeKey::ForegroundColor: return a.foregroundColor == b.foregroundColor;
    case AttributeKey::ParagraphStyle: return a.paragraphStyle == b.paragraphStyle;
    case AttributeKey::Shadow: return a.shadow == b.shadow;
    case AttributeKey::BaselineOffset: return a.baselineOffset == b.baselineOffset;
    }
    return false;
}

} // namespace

TextRange AttributedString::effectiveRangeOfAttribute(AttributeKey key, qsizetype index) const
{
    qsizetype start = 0;
    size_t i = 0;
    for (; i < runs_.size(); ++i) {
        if (index >= start && index < start + runs_[i].length)
            break;
        start += runs_[i].length;
    }
    if (i == runs_.size())
        return {index, 0};
    qsizetype end = start + runs_[i].length;
    for (size_t j = i; j > 0 && sameAttribute(key, runs_[j - 1].attributes, runs_[i].attributes); --j)
        start -= runs_[j - 1].length;
    for (size_t j = i + 1; j < runs_.size() && sameAttribute(key, runs_[j].attributes, runs_[i].attributes); ++j)
        end += runs_[j].length;
    return {start, end - start};
}

AttributedString AttributedString::attributedSubstring(TextRange range) const
{
    const TextRange r = clamped(range);
    AttributedString result;
    result.string_ = string_.mid(r.location, r.length);
    qsizetype start = 0;
    for (const AttributeRun& run : runs_) {
        const qsizetype a = std::max(start, r.location);
        const qsizetype b = std::min(start + run.length, r.end());
        if (a < b)
            result.runs_.push_back({b - a, run.attributes});
        start += run.length;
    }
    return result;
}

MutableAttributedString AttributedString::mutableCopy() const
{
    return MutableAttributedString(*this);
}

// --- MutableAttributedString

size_t MutableAttributedString::splitAt(qsizetype position)
{
    qsizetype start = 0;
    for (size_t i = 0; i < runs_.size(); ++i) {
        if (position == start)
            return i;
        if (position < start + runs_[i].length) {
            AttributeRun tail{start + runs_[i].length - position, runs_[i].attributes};
            runs_[i].length = position - start;
            runs_.insert(runs_.begin() + std::ptrdiff_t(i) + 1, std::move(tail));
            return i + 1;
        }
        start += runs_[i].length;
    }
    return runs_.size();
}

void MutableAttributedString::coalesce()
{
    normalizeRuns();
}

template <typename Fn> void MutableAttributedString::modifyRuns(TextRange range, Fn&& fn)
{
    const TextRange r = clamped(range);
    if (r.length == 0)
        return;
    const size_t first = splitAt(r.location);
    const size_t last = splitAt(r.end());
    for (size_t i = first; i < last; ++i)
        fn(runs_[i].attributes);
    coalesce();
    edited();
}

void MutableAttributedString::setAttributes(const TextAttributes& attributes, TextRange range)
{
    modifyRuns(range, [&](TextAttributes& a) { a = attributes; });
}

void MutableAttributedString::addAttributes(const TextAttributes& attributes, TextRange range)
{
    modifyRuns(range, [&](TextAttributes& a) { a.add(attributes); });
}

void MutableAttributedString::removeAttribute(AttributeKey key, TextRange range)
{
    modifyRuns(range, [&](TextAttributes& a) { a.remove(key); });
}

void MutableAttributedString::replaceCharacters(TextRange range, const QString& string)
{
    const TextRange r = clamped(range);
    TextAttributes attributes;
    if (r.length > 0)
        attributes = attributesAtIndex(r.location);
    else if (r.location > 0)
        attributes = attributesAtIndex(r.location - 1);
    else
        attributes = attributesAtIndex(0);
    replaceCharacters(r, AttributedString(string, attributes));
}

void MutableAttributedString::replaceCharacters(TextRange range, const AttributedString& string)
{
    const TextRange r = clamped(range);
    if (r.length == 0 && string.isEmpty())
        return;
    // A copy first: `string` may be this very object.
    const AttributedString insert = string;
    const size_t first = splitAt(r.location);
    const size_t last = splitAt(r.end());
    runs_.erase(runs_.begin() + std::ptrdiff_t(first), runs_.begin() + std::ptrdiff_t(last));
    runs_.insert(runs_.begin() + std::ptrdiff_t(first), insert.runs().begin(), insert.runs().end());
    string_.replace(r.location, r.length, insert.string());
    coalesce();
    edited();
}

void MutableAttributedString::endEditing()
{
    if (editingDepth_ == 0)
        return;
    if (--editingDepth_ == 0 && pendingEdit_) {
        pendingEdit_ = false;
        didEdit();
    }
}

void MutableAttributedString::edited()
{
    if (editingDepth_ > 0)
        pendingEdit_ = true;
    else
        didEdit();
}

} // namespace pf
