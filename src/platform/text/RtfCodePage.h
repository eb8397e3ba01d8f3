// Code pages of RTF text, shared by the RTF reader and writer. The writer uses only Windows-1252 (anything
// else goes out as \uN); the reader decodes bytes by the code page of the text's font or of the document,
// as other programs write them: Cyrillic, Japanese, Chinese, Korean, Mac Roman and the rest.
#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QHash>
#include <QString>

namespace pf::rtf {

constexpr int ansiCodePage = 1252;

// Code units of bytes 0x80..0x9F; the other bytes map to the same Latin-1 code point. Undefined bytes
// map to U+FFFD.
inline char16_t cp1252ToUnicode(unsigned char byte)
{
    static constexpr char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
        0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : char16_t(byte);
}

// The byte of a code unit in the code page, or -1 when it has none.
inline int unicodeToCp1252(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int b = 0x80; b < 0xA0; ++b)
        if (cp1252ToUnicode(static_cast<unsigned char>(b)) == unit && unit != 0xFFFD)
            return b;
    return -1;
}

// The code page of a font's \fcharsetN, or 0 when the character set leaves it to the document's code page
// (default, symbol, and sets we do not know). ANSI (0) is Windows-1252.
int codePageForCharset(int charset);

// Whether the byte starts a two-byte character in the code page (the double-byte code pages of Japanese,
// Chinese and Korean); its second byte may be an ASCII one.
bool isLeadByte(int codePage, unsigned char byte);
// Whether the byte can be the second byte of a two-byte character in the code page.
bool isTrailByte(int codePage, unsigned char byte);

// Decodes bytes of a code page into text. Each byte that cannot be decoded (undefined in the code page, or
// a character cut short) reads as U+FFFD, so nothing is silently lost; a code page we cannot decode reads
// as Windows-1252. Keeps one converter per code page it has met.
class ByteDecoder {
public:
    ByteDecoder() = default;
    ByteDecoder(const ByteDecoder&) = delete;
    ByteDecoder& operator=(const ByteDecoder&) = delete;
    ~ByteDecoder();

    QString decode(int codePage, QByteArrayView bytes);

private:
    void* converter(int codePage);

    QHash<int, void*> converters_; // iconv descriptors; null for code pages iconv does not know
};

} // namespace pf::rtf
