#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace pf;

TEST(RectRecord, UnionAndIntersectionFollowQuartz)
{
    // A 0x0 rect at the origin still counts in a union (unlike QRectF::united).
    EXPECT_EQ(Rect(0, 0, 0, 0).united(Rect(5, 5, 1, 1)), Rect(0, 0, 6, 6));
    EXPECT_EQ(Rect::null().united(Rect(5, 5, 1, 1)), Rect(5, 5, 1, 1));
    // Both are standardised first.
    EXPECT_EQ(Rect(10, 10, -5, -5).united(Rect(0, 0, 1, 1)), Rect(0, 0, 10, 10));
    EXPECT_EQ(Rect(0, 0, 10, 10).intersected(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_TRUE(Rect(0, 0, 1, 1).intersected(Rect(2, 2, 1, 1)).isNull());
    // Touching edges meet in an empty rect, which does not count as intersecting.
    EXPECT_EQ(Rect(0, 0, 1, 1).intersected(Rect(1, 0, 1, 1)), Rect(1, 0, 0, 1));
    EXPECT_FALSE(Rect(0, 0, 1, 1).intersects(Rect(1, 0, 1, 1)));
}

TEST(RectRecord, ContainmentIsHalfOpenAfterNormalising)
{
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.contains(Point(0, 0)));
    EXPECT_FALSE(r.contains(Point(10, 5)));
    EXPECT_FALSE(r.contains(Point(5, 10)));
    EXPECT_TRUE(Rect(10, 10, -10, -10).contains(Point(0, 0)));
    EXPECT_FALSE(Rect(0, 0, 0, 10).contains(Point(0, 5)));
    EXPECT_FALSE(Rect::null().contains(Point(0, 0)));
}

TEST(RectRecord, InsetNormalisesAndCollapsesToNull)
{
    EXPECT_EQ(Rect(10, 10, -10, -10).insetBy(0, 0), Rect(0, 0, 10, 10));
    EXPECT_EQ(Rect(0, 0, 10, 10).insetBy(2, 3), Rect(2, 3, 6, 4));
    EXPECT_EQ(Rect(0, 0, 10, 10).insetBy(-1, -1), Rect(-1, -1, 12, 12));
    EXPECT_TRUE(Rect(0, 0, 10, 10).insetBy(6, 0).isNull());
}

TEST(RectRecord, StringFormsRoundTripAndReadLeniently)
{
    EXPECT_EQ(toString(Rect(1, 2, 3.5, -4)), "{{1, 2}, {3.5, -4}}");
    EXPECT_EQ(toString(Point(0.1, -0.0)), "{0.1, 0}");
    EXPECT_EQ(toString(Size(1e20, 2)), "{1e+20, 2}");
    const Rect odd(0.1 + 0.2, 1.0 / 3.0, 1e-9, 12345.678);
    EXPECT_EQ(rectFromString(toString(odd)), odd);
    // The longest numbers, written as formatNumber writes each one alone.
    const Rect longest(-2.2250738585072014e-308, -1.7976931348623157e308, 4.9406564584124654e-324, -0.0);
    EXPECT_EQ(toString(longest), QStringLiteral("{{%1, %2}, {%3, %4}}")
                                     .arg(formatNumber(longest.x()), formatNumber(longest.y()),
                                          formatNumber(longest.width()), formatNumber(longest.height())));
    EXPECT_EQ(rectFromString(toString(longest)), longest);
    EXPECT_EQ(rectFromString("{{1, 2}, {3}}"), Rect(1, 2, 3, 0));
    EXPECT_EQ(pointFromString("x=5 y=-.5"), Point(5, -0.5));
    EXPECT_EQ(pointFromString("garbage"), Point(0, 0));
    EXPECT_EQ(sizeFromString("{+3, 1e3}"), Size(3, 1000));
    EXPECT_EQ(pointFromString("{1e999, 2}"), Point(0, 2));
    // Texts beyond Latin-1 and longer than the scan's own buffer read as before.
    EXPECT_EQ(pointFromString(QStringLiteral("{\u4e00 7, 8}")), Point(7, 8));
    EXPECT_EQ(rectFromString(QString(200, u' ') + "{{1, 2}, {3, 4}}"), Rect(1, 2, 3, 4));
    // Reading leaves the text as it was: a null string (often a shared constant) stays null.
    const QString& nothing = Value().asString();
    EXPECT_EQ(rectFromString(nothing), Rect());
    EXPECT_TRUE(Value().asString().isNull());
    // Points read again and again (the same shared text, then other text at the same raw address) read as
    // their text says.
    const QString shared = toString(Point(0.5, 0.5));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(pointFromString(shared), Point(0.5, 0.5));
    QChar buffer[] = {u'{', u'1', u',', u' ', u'2', u'}'};
    EXPECT_EQ(pointFromString(QString::fromRawData(buffer, 6)), Point(1, 2));
    buffer[1] = u'3';
    EXPECT_EQ(pointFromString(QString::fromRawData(buffer, 6)), Point(3, 2));
}

TEST(AffineTransformRecord, ConcatOrderAndInverse)
{
    const auto t = AffineTransform::translation(10, 0);
    const auto r = AffineTransform::rotation(std::numbers::pi / 2);
    // Translate first, then rotate: (1, 0) -> (11, 0) -> (0, 11).
    const Point p = t.concat(r).apply(Point(1, 0));
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 11, 1e-12);
    // translated() applies the translation before the transform.
    const Point q = r.translated(10, 0).apply(Point(1, 0));
    EXPECT_NEAR(q.x, 0, 1e-12);
    EXPECT_NEAR(q.y, 11, 1e-12);
    const auto m = AffineTransform{2, 1, 0.5, 3, 7, -2};
    const Point back = m.inverted().apply(m.apply(Point(3, 4)));
    EXPECT_NEAR(back.x, 3, 1e-12);
    EXPECT_NEAR(back.y, 4, 1e-12);
    EXPECT_EQ(AffineTransform::scale(0, 1).inverted(), AffineTransform::scale(0, 1));
    EXPECT_EQ(AffineTransform::scale(2, 3).apply(Rect(1, 1, -1, 1)), Rect(0, 3, 2, 3));
}
