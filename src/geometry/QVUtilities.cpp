#include "geometry/QVUtilities.h"

#include <array>

namespace {

constexpr int fixedMajor = 10;
constexpr int fixedMinor = 12;
constexpr int fixedPatch = 0;

// Each test asks the version once and keeps its answer for the life of the process.
template <int AfterMinor>
bool minorVersionAbove()
{
    static const bool answer = [] {
        int minor = 0;
        QVGetSystemVersion(nullptr, &minor, nullptr);
        return minor > AfterMinor;
    }();
    return answer;
}

struct EncodingRow {
    const char* name;
    QVStringEncoding encoding;
};

// IANA names of the encodings Qt can convert. The first row of an encoding is its preferred name;
// later rows are accepted aliases. Encodings without a native number carry the platform's
// 0x80000000 | core-foundation number.
constexpr auto encodingTable = std::to_array<EncodingRow>({
    {"utf-8", QVUTF8StringEncoding},
    {"us-ascii", QVASCIIStringEncoding},
    {"ascii", QVASCIIStringEncoding},
    {"iso-8859-1", QVISOLatin1StringEncoding},
    {"latin1", QVISOLatin1StringEncoding},
    {"utf-16", QVUTF16StringEncoding},
    {"utf-16be", QVUTF16BigEndianStringEncoding},
    {"utf-16le", QVUTF16LittleEndianStringEncoding},
    {"utf-32", QVUTF32StringEncoding},
    {"utf-32be", QVUTF32BigEndianStringEncoding},
    {"utf-32le", QVUTF32LittleEndianStringEncoding},
    {"windows-1252", QVWindowsCP1252StringEncoding},
    {"cp1252", QVWindowsCP1252StringEncoding},
    {"windows-1250", QVWindowsCP1250StringEncoding},
    {"windows-1251", QVWindowsCP1251StringEncoding},
    {"windows-1253", QVWindowsCP1253StringEncoding},
    {"windows-1254", QVWindowsCP1254StringEncoding},
    {"macintosh", QVMacOSRomanStringEncoding},
    {"x-mac-roman", QVMacOSRomanStringEncoding},
    {"iso-8859-2", QVISOLatin2StringEncoding},
    {"shift_jis", QVShiftJISStringEncoding},
    {"sjis", QVShiftJISStringEncoding},
    {"euc-jp", QVJapaneseEUCStringEncoding},
    {"iso-2022-jp", QVISO2022JPStringEncoding},
    {"iso-8859-5", 0x80000205},
    {"iso-8859-7", 0x80000207},
    {"iso-8859-15", 0x8000020F},
    {"windows-1255", 0x80000505},
    {"windows-1256", 0x80000506},
    {"windows-1257", 0x80000507},
    {"windows-1258", 0x80000508},
    {"gbk", 0x80000631},
    {"gb18030", 0x80000632},
    {"gb2312", 0x80000930},
    {"euc-kr", 0x80000940},
    {"koi8-r", 0x80000A02},
    {"big5", 0x80000A03},
});

} // namespace

pf::Rect QVNSRectOutset(pf::Rect r, double dx, double dy)
{
    return {r.origin.x - dx, r.origin.y - dy, r.size.width + 2 * dx, r.size.height + 2 * dy};
}

pf::EdgeInsets QVEdgeInsetsMake(double top, double left, double bottom, double right)
{
    return {top, left, bottom, right};
}

bool QVEdgeInsetsIsEmpty(const pf::EdgeInsets& insets) { return insets == pf::EdgeInsets{}; }

bool QVIsShiftKeyPressed(pf::ModifierFlags flags) { return (flags & pf::ShiftKeyMask) != 0; }
bool QVIsControlKeyPressed(pf::ModifierFlags flags) { return (flags & pf::ControlKeyMask) != 0; }
bool QVIsOptionKeyPressed(pf::ModifierFlags flags) { return (flags & pf::OptionKeyMask) != 0; }
bool QVIsCommandKeyPressed(pf::ModifierFlags flags) { return (flags & pf::CommandKeyMask) != 0; }

void QVGetSystemVersion(int* major, int* minor, int* patch)
{
    if (major != nullptr)
        *major = fixedMajor;
    if (minor != nullptr)
        *minor = fixedMinor;
    if (patch != nullptr)
        *patch = fixedPatch;
}

bool QVIsSnowLeopardOrLater() { return minorVersionAbove<5>(); }
bool QVIsLionOrLater() { return minorVersionAbove<6>(); }
bool QVIsMtnLionOrLater() { return minorVersionAbove<7>(); }
bool QVIsMavsOrLater() { return minorVersionAbove<8>(); }
bool QVIsYozOrLater() { return minorVersionAbove<9>(); }
bool QVIsElCapOrLater() { return minorVersionAbove<10>(); }
bool QVIsSierraOrLater() { return minorVersionAbove<11>(); }

QVStringEncoding QVNSStringEncodingFromTextEncodingName(const QString& name)
{
    for (const EncodingRow& row : encodingTable)
        if (name.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return row.encoding;
    return QVNoStringEncoding;
}

std::optional<QString> QVTextEncodingNameFromNSStringEncoding(QVStringEncoding encoding)
{
    for (const EncodingRow& row : encodingTable)
        if (row.encoding == encoding)
            return QString::fromLatin1(row.name);
    return std::nullopt;
}
