#include "platform/text/AttributedString.h"
#include "platform/text/TextLayout.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

TextAttributes fontAttrs(double size) { return TextAttributes{.font = Font("Helvetica", size)}; }
TextAttributes colorAttrs(Color c) { return TextAttributes{.foregroundColor = c}; }

} // namespace

TEST(AttributedString, RunsStayCoalescedSoEqualityIsStructural)
{
    MutableAttributedString s(QStringLiteral("Hello world"), fontAttrs(12));
    const AttributedString original = s;
    s.addAttributes(colorAttrs(Color(1, 0, 0)), {2, 5});
    s.addAttributes(colorAttrs(Color(1, 0, 0)), {4, 5});
    ASSERT_EQ(s.runs().size(), 3u);
    TextRange effective;
    EXPECT_EQ(s.attributesAtIndex(5, &effective).foregroundColor, Color(1, 0, 0));
    EXPECT_EQ(effective, (TextRange{2, 7}));
    EXPECT_EQ(s.effectiveRangeOfAttribute(AttributeKey::Font, 5), (TextRange{0, 11}));
    s.removeAttribute(AttributeKey::ForegroundColor, {0, 11});
    EXPECT_TRUE(s.isEqualToAttributedString(original));
    EXPECT_EQ(s.runs().size(), 1u);
    // Setting the same attributes piecewise still gives one run.
    s.setAttributes(fontAttrs(12), {0, 3});
    EXPECT_EQ(s, original);
    EXPECT_FALSE(s == AttributedString(QStringLiteral("Hello world"), fontAttrs(13)));
    // Out-of-range indexes answer nothing; out-of-range ranges are clamped.
    EXPECT_TRUE(s.attributesAtIndex(99, &effective).isEmpty());
    s.addAttributes(colorAttrs(Color::white()), {8, 100});
    EXPECT_EQ(s.attributesAtIndex(10).foregroundColor, Color::white());
}

TEST(AttributedString, ReplacedCharactersTakeTheAttributesOfTheReplacedStart)
{
    struct Case {
        TextRange range;
        const char* replacement;
        const char* expected;
        qsizetype probe;
        double expectedSize;
    };
    // "aaaBBB": sizes 10 then 20.
    const Case cases[] = {
        {{2, 2}, "xy", "aaxyBB", 3, 10},  // starts in the first run
        {{3, 2}, "xy", "aaaxyB", 3, 20},  // starts in the second run
        {{3, 0}, "x", "aaaxBBB", 3, 10},  // an insertion takes the character before it
        {{0, 0}, "x", "xaaaBBB", 0, 10},  // at the start, the character after it
        {{0, 6}, "z", "z", 0, 10},        // everything replaced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        MutableAttributedString s(QStringLiteral("aaa"), fontAttrs(10));
        s.append(AttributedString(QStringLiteral("BBB"), fontAttrs(20)));
        s.replaceCharacters(c.range, QString::fromLatin1(c.replacement));
        EXPECT_EQ(s.string(), QString::fromLatin1(c.expected));
        EXPECT_EQ(s.attributesAtIndex(c.probe).font->pointSize(), c.expectedSize);
    }
    MutableAttributedString s(QStringLiteral("abc"), fontAttrs(10));
    s.deleteCharacters({0, 3});
    EXPECT_TRUE(s.runs().empty());
    s.insert(AttributedString(QStringLiteral("q"), fontAttrs(30)), 0);
    EXPECT_EQ(s.attributesAtIndex(0).font->pointSize(), 30.0);
    // Appending a string to itself works on a copy.
    s.append(s);
    EXPECT_EQ(s.string(), QStringLiteral("qq"));
    EXPECT_EQ(s.runs().size(), 1u);
}

TEST(AttributedString, EditingBatchesNotifyOnceAndCopiesAreIndependent)
{
    TextStorage storage;
    const quint64 start = storage.version();
    storage.beginEditing();
    storage.setAttributedString(AttributedString(QStringLiteral("Text"), fontAttrs(12)));
    storage.addAttributes(colorAttrs(Color::black()), {0, 4});
    storage.endEditing();
    EXPECT_EQ(storage.version(), start + 1);
    storage.addAttributes(colorAttrs(Color::white()), {0, 1});
    EXPECT_EQ(storage.version(), start + 2);

    MutableAttributedString copy = storage.mutableCopy();
    copy.replaceCharacters({0, 4}, QStringLiteral("Other"));
    EXPECT_EQ(storage.string(), QStringLiteral("Text"));
    EXPECT_EQ(storage.attributedSubstring({1, 2}).string(), QStringLiteral("ex"));
    EXPECT_EQ(storage.attributedSubstring({0, 1}).attributesAtIndex(0).foregroundColor, Color::white());
}
