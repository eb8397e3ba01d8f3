// Small shared utilities: an outset without sign tests, edge insets, modifier-flag tests, the
// operating-system version tests and IANA character-set names of string encodings.
#pragma once

#include "platform/foundation/Event.h"
#include "platform/foundation/Geometry.h"

#include <QString>

#include <cstdint>
#include <optional>

// (x − dx, y − dy, w + 2dx, h + 2dy), whichever way the rect points (see QVRectOutset).
pf::Rect QVNSRectOutset(pf::Rect r, double dx, double dy);

pf::EdgeInsets QVEdgeInsetsMake(double top, double left, double bottom, double right);
bool QVEdgeInsetsIsEmpty(const pf::EdgeInsets& insets);

// Tests of a modifier-flags word (the device-independent bits of pf::Event).
bool QVIsShiftKeyPressed(pf::ModifierFlags flags);
bool QVIsControlKeyPressed(pf::ModifierFlags flags);
bool QVIsOptionKeyPressed(pf::ModifierFlags flags);
bool QVIsCommandKeyPressed(pf::ModifierFlags flags);

// There is no macOS release to ask on Linux: the version is fixed at 10.12.0, so every release test
// below answers true and the newest appearance is always chosen. Any out-parameter may be null.
void QVGetSystemVersion(int* major, int* minor, int* patch);
bool QVIsSnowLeopardOrLater();
bool QVIsLionOrLater();
bool QVIsMtnLionOrLater();
bool QVIsMavsOrLater();
bool QVIsYozOrLater();
bool QVIsElCapOrLater();
bool QVIsSierraOrLater();

// String encodings by their platform numbers.
using QVStringEncoding = std::uint64_t;
inline constexpr QVStringEncoding QVNoStringEncoding = 0;
inline constexpr QVStringEncoding QVASCIIStringEncoding = 1;
inline constexpr QVStringEncoding QVJapaneseEUCStringEncoding = 3;
inline constexpr QVStringEncoding QVUTF8StringEncoding = 4;
inline constexpr QVStringEncoding QVISOLatin1StringEncoding = 5;
inline constexpr QVStringEncoding QVShiftJISStringEncoding = 8;
inline constexpr QVStringEncoding QVISOLatin2StringEncoding = 9;
inline constexpr QVStringEncoding QVUnicodeStringEncoding = 10;
inline constexpr QVStringEncoding QVUTF16StringEncoding = QVUnicodeStringEncoding;
inline constexpr QVStringEncoding QVWindowsCP1251StringEncoding = 11;
inline constexpr QVStringEncoding QVWindowsCP1252StringEncoding = 12;
inline constexpr QVStringEncoding QVWindowsCP1253StringEncoding = 13;
inline constexpr QVStringEncoding QVWindowsCP1254StringEncoding = 14;
inline constexpr QVStringEncoding QVWindowsCP1250StringEncoding = 15;
inline constexpr QVStringEncoding QVISO2022JPStringEncoding = 21;
inline constexpr QVStringEncoding QVMacOSRomanStringEncoding = 30;
inline constexpr QVStringEncoding QVUTF16BigEndianStringEncoding = 0x90000100;
inline constexpr QVStringEncoding QVUTF16LittleEndianStringEncoding = 0x94000100;
inline constexpr QVStringEncoding QVUTF32StringEncoding = 0x8c000100;
inline constexpr QVStringEncoding QVUTF32BigEndianStringEncoding = 0x98000100;
inline constexpr QVStringEncoding QVUTF32LittleEndianStringEncoding = 0x9c000100;

// The encoding of an IANA character-set name (case-insensitive); QVNoStringEncoding when unknown. Only
// encodings Qt can convert are known.
QVStringEncoding QVNSStringEncodingFromTextEncodingName(const QString& name);
// The preferred IANA name of an encoding; none when unknown.
std::optional<QString> QVTextEncodingNameFromNSStringEncoding(QVStringEncoding encoding);
