#include "platform/text/RtfCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace pf::rtf {

namespace {

const iconv_t noConverter = reinterpret_cast<iconv_t>(-1);

// iconv's names of the code pages RTF writers use; other numbers are tried as "CP<n>".
QByteArray iconvName(int codePage)
{
    switch (codePage) {
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 10001: return "SHIFT_JIS";
    case 10007: return "MAC-CYRILLIC";
    case 10029: return "MAC-CENTRALEUROPE";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 65001: return "UTF-8";
    default: break;
    }
    if (codePage >= 28591 && codePage <= 28606)
        return "ISO-8859-" + QByteArray::number(codePage - 28590);
    return "CP" + QByteArray::number(codePage);
}

} // namespace

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;     // ANSI: Windows-1252, whatever the document's code page
    case 77: return 10000;   // Mac Roman
    case 78: return 10001;   // Mac Japanese
    case 89: return 10007;   // Mac Cyrillic
    case 128: return 932;    // Shift JIS
    case 129: return 949;    // Korean (Hangul)
    case 130: return 1361;   // Korean (Johab)
    case 134: return 936;    // Simplified Chinese (GBK)
    case 136: return 950;    // Traditional Chinese (Big5)
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Central European
    case 254: return 437;    // PC 437
    case 255: return 850;    // OEM
    default: return 0;       // default (1), symbol (2): the document's code page
    }
}

bool isLeadByte(int codePage, unsigned char byte)
{
    switch (codePage) {
    case 932:
    case 10001: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    case 1361: return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) || (byte >= 0xE0 && byte <= 0xF9);
    default: return false;
    }
}

bool isTrailByte(int codePage, unsigned char byte)
{
    switch (codePage) {
    case 932:
    case 10001: return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
    case 936: return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
    case 949: return (byte >= 0x41 && byte <= 0x5A) || (byte >= 0x61 && byte <= 0x7A) || (byte >= 0x81 && byte <= 0xFE);
    case 950: return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
    case 1361: return (byte >= 0x31 && byte <= 0x7E) || (byte >= 0x81 && byte <= 0xFE);
    default: return false;
    }
}

ByteDecoder::~ByteDecoder()
{
    for (void* c : std::as_const(converters_))
        if (c)
            iconv_close(static_cast<iconv_t>(c));
}

void* ByteDecoder::converter(int codePage)
{
    if (auto it = converters_.constFind(codePage); it != converters_.constEnd())
        return *it;
    iconv_t c = codePage == ansiCodePage ? noConverter : iconv_open("UTF-16LE", iconvName(codePage).constData());
    void* kept = c == noConverter ? nullptr : static_cast<void*>(c);
    converters_.insert(codePage, kept);
    return kept;
}

QString ByteDecoder::decode(int codePage, QByteArrayView bytes)
{
    QString text;
    void* handle = codePage > 0 ? converter(codePage) : nullptr;
    if (!handle) {
        text.reserve(bytes.size());
        for (const char b : bytes)
            text += QChar(cp1252ToUnicode(static_cast<unsigned char>(b)));
        return text;
    }
    const iconv_t cd = static_cast<iconv_t>(handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // a fresh shift state
    // Room for two characters a byte (no code page makes more); a fuller buffer is emptied and refilled.
    std::vector<char16_t> buffer(size_t(bytes.size()) * 2 + 8);
    const auto convert = [&](char** in, size_t* inLeft) {
        char* out = reinterpret_cast<char*>(buffer.data());
        size_t outLeft = buffer.size() * sizeof(char16_t);
        const int error = iconv(cd, in, inLeft, &out, &outLeft) == size_t(-1) ? errno : 0;
        text.append(reinterpret_cast<const QChar*>(buffer.data()),
                    qsizetype((out - reinterpret_cast<char*>(buffer.data())) / qsizetype(sizeof(char16_t))));
        return error;
    };
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        const int error = convert(&in, &inLeft);
        if (error == 0 || error == E2BIG)
            continue;
        // An undefined byte or a character cut short: one replacement for the byte, then go on.
        text += QChar(QChar::ReplacementCharacter);
        ++in;
        --inLeft;
    }
    // Flushes a character held back in case combining marks follow.
    while (convert(nullptr, nullptr) == E2BIG) {
    }
    return text;
}

} // namespace pf::rtf
