// Attributed strings: a UTF-16 string (so ranges are the platform's) with runs of attributes. Runs are
// kept coalesced (no empty runs, adjacent runs differ), so equality of content and attributes is
// structural.
#pragma once

#include "platform/text/TextAttributes.h"

#include <QString>

#include <vector>

namespace pf {

// A range of UTF-16 code units, or of glyphs (NSRange).
struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;

    constexpr qsizetype end() const { return location + length; }
    constexpr bool contains(qsizetype i) const { return i >= location && i < end(); }
    friend constexpr bool operator==(const TextRange&, const TextRange&) = default;
};

struct AttributeRun {
    qsizetype length = 0;
    TextAttributes attributes;
    friend bool operator==(const AttributeRun&, const AttributeRun&) = default;
};

class MutableAttributedString;

class AttributedString {
public:
    AttributedString() = default;
    explicit AttributedString(const QString& string, const TextAttributes& attributes = {});
    // From runs built elsewhere (readers): runs are coalesced and made to cover the string exactly.
    AttributedString(const QString& string, std::vector<AttributeRun> runs);
    virtual ~AttributedString() = default;
    AttributedString(const AttributedString&) = default;
    AttributedString& operator=(const AttributedString&) = default;
    AttributedString(AttributedString&&) noexcept = default;
    AttributedString& operator=(AttributedString&&) noexcept = default;

    const QString& string() const { return string_; }
    qsizetype length() const { return string_.size(); }
    bool isEmpty() const { return string_.isEmpty(); }

    // The attributes at an index and, when asked, the range over which they are the same. An index
    // outside the string answers no attributes and an empty range at the index.
    TextAttributes attributesAtIndex(qsizetype index, TextRange* effectiveRange = nullptr) const;
    // The range around an index over which one attribute has the same value (or is equally absent).
    TextRange effectiveRangeOfAttribute(AttributeKey key, qsizetype index) const;
    const std::vector<AttributeRun>& runs() const { return runs_; }

    // The range is clamped to the string.
    AttributedString attributedSubstring(TextRange range) const;
    MutableAttributedString mutableCopy() const;

    bool isEqualToAttributedString(const AttributedString& other) const
    {
        return string_ == other.string_ && runs_ == other.runs_;
    }
    friend bool operator==(const AttributedString& a, const AttributedString& b) { return a.isEqualToAttributedString(b); }

protected:
    void normalizeRuns();
    TextRange clamped(TextRange range) const;

    QString string_;
    std::vector<AttributeRun> runs_;
};

class MutableAttributedString : public AttributedString {
public:
    MutableAttributedString() = default;
    explicit MutableAttributedString(const QString& string, const TextAttributes& attributes = {})
        : AttributedString(string, attributes) {}
    explicit MutableAttributedString(const AttributedString& other) : AttributedString(other) {}
    MutableAttributedString(const QString& string, std::vector<AttributeRun> runs) : AttributedString(string, std::move(runs)) {}

    // Ranges are clamped to the string. Every change keeps the runs coalesced.
    void setAttributes(const TextAttributes& attributes, TextRange range);
    // The attributes set in `attributes` replace those in the range; others stay.
    void addAttributes(const TextAttributes& attributes, TextRange range);
    void removeAttribute(AttributeKey key, TextRange range);

    // New characters take the attributes of the first replaced character; an insertion takes those of
    // the character before it (or after it, at the start).
    void replaceCharacters(TextRange range, const QString& string);
    void replaceCharacters(TextRange range, const AttributedString& string);
    void insert(const AttributedString& string, qsizetype location) { replaceCharacters({location, 0}, string); }
    void append(const AttributedString& string) { replaceCharacters({length(), 0}, string); }
    void deleteCharacters(TextRange range) { replaceCharacters(range, QString()); }
    void setAttributedString(const AttributedString& string) { replaceCharacters({0, length()}, string); }

    // Editing batches: observers (a text storage's layout) hear of the changes once, at the outer end.
    void beginEditing() { ++editingDepth_; }
    void endEditing();
    bool isEditing() const { return editingDepth_ > 0; }

protected:
    // Called after each change outside a batch, and at the end of a batch that changed something.
    virtual void didEdit() {}

private:
    template <typename Fn> void modifyRuns(TextRange range, Fn&& fn);
    // Index of the run that starts at `position`, splitting a run when needed.
    size_t splitAt(qsizetype position);
    void coalesce();
    void edited();

    int editingDepth_ = 0;
    bool pendingEdit_ = false;
};

} // namespace pf
