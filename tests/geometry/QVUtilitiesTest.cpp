#include "geometry/QVUtilities.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

#include <vector>

using pf::Rect;

TEST(QVNSRectOutset, NoSignTest)
{
    EXPECT_EQ(QVNSRectOutset(Rect(0, 0, 10, 10), 1, 2), Rect(-1, -2, 12, 14));
    // Unlike QVRectOutset, a rect pointing the other way shrinks.
    EXPECT_EQ(QVNSRectOutset(Rect(10, 10, -10, -10), 1, 2), Rect(9, 8, -8, -6));
}

TEST(QVEdgeInsets, KeptInTheGivenOrder)
{
    const pf::EdgeInsets i = QVEdgeInsetsMake(1, 2, 3, 4);
    EXPECT_EQ(i.top, 1);
    EXPECT_EQ(i.left, 2);
    EXPECT_EQ(i.bottom, 3);
    EXPECT_EQ(i.right, 4);
    EXPECT_FALSE(QVEdgeInsetsIsEmpty(i));
    EXPECT_FALSE(QVEdgeInsetsIsEmpty(QVEdgeInsetsMake(0, 0, 0, 0.5)));
    EXPECT_TRUE(QVEdgeInsetsIsEmpty(QVEdgeInsetsMake(0, 0, 0, 0)));
}

TEST(QVModifierFlags, DeviceIndependentBits)
{
    struct Case {
        pf::ModifierFlags flags;
        bool shift, control, option, command;
    };
    const std::vector<Case> cases{
        {0, false, false, false, false},
        {1u << 17, true, false, false, false},
        {1u << 18, false, true, false, false},
        {1u << 19, false, false, true, false},
        {1u << 20, false, false, false, true},
        {(1u << 16) | (1u << 21) | 0xFFFF, false, false, false, false}, // neighbouring bits
        {0x1E0000, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(QVIsShiftKeyPressed(c.flags), c.shift);
        EXPECT_EQ(QVIsControlKeyPressed(c.flags), c.control);
        EXPECT_EQ(QVIsOptionKeyPressed(c.flags), c.option);
        EXPECT_EQ(QVIsCommandKeyPressed(c.flags), c.command);
    }
}

TEST(QVSystemVersion, NewestAppearanceOnLinux)
{
    int major = -1, minor = -1, patch = -1;
    QVGetSystemVersion(&major, &minor, &patch);
    EXPECT_EQ(major, 10);
    EXPECT_EQ(minor, 12);
    EXPECT_EQ(patch, 0);
    QVGetSystemVersion(nullptr, nullptr, nullptr); // every out-parameter is optional
    QVGetSystemVersion(nullptr, &minor, nullptr);
    EXPECT_EQ(minor, 12);

    EXPECT_TRUE(QVIsSnowLeopardOrLater());
    EXPECT_TRUE(QVIsLionOrLater());
    EXPECT_TRUE(QVIsMtnLionOrLater());
    EXPECT_TRUE(QVIsMavsOrLater());
    EXPECT_TRUE(QVIsYozOrLater());
    EXPECT_TRUE(QVIsElCapOrLater());
    EXPECT_TRUE(QVIsSierraOrLater());
}

TEST(QVTextEncodings, NamesAndNumbers)
{
    struct Case {
        const char* name;
        QVStringEncoding encoding;
    };
    const std::vector<Case> preferred{
        {"utf-8", 4},
        {"us-ascii", 1},
        {"iso-8859-1", 5},
        {"utf-16", 10},
        {"utf-16be", 0x90000100},
        {"utf-16le", 0x94000100},
        {"windows-1252", 12},
        {"macintosh", 30},
        {"shift_jis", 8},
        {"euc-jp", 3},
        {"iso-2022-jp", 21},
        {"iso-8859-2", 9},
        {"windows-1251", 11},
        {"windows-1250", 15},
        {"big5", 0x80000A03},
        {"gb2312", 0x80000930},
        {"gb18030", 0x80000632},
        {"euc-kr", 0x80000940},
        {"koi8-r", 0x80000A02},
        {"iso-8859-15", 0x8000020F},
    };
    for (const Case& c : preferred) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(name), c.encoding);
        EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(name.toUpper()), c.encoding);
        EXPECT_EQ(QVTextEncodingNameFromNSStringEncoding(c.encoding), name);
        // Only encodings the text layer can actually convert are named.
        EXPECT_TRUE(QStringDecoder(c.name).isValid());
    }

    EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(QStringLiteral("Latin1")), QVISOLatin1StringEncoding);
    EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(QStringLiteral("X-Mac-Roman")), QVMacOSRomanStringEncoding);
    EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(QStringLiteral("no-such-charset")), QVNoStringEncoding);
    EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(QString()), QVNoStringEncoding);
    EXPECT_EQ(QVNSStringEncodingFromTextEncodingName(QStringLiteral(" utf-8")), QVNoStringEncoding);
    EXPECT_EQ(QVTextEncodingNameFromNSStringEncoding(0), std::nullopt);
    EXPECT_EQ(QVTextEncodingNameFromNSStringEncoding(2), std::nullopt);
}
