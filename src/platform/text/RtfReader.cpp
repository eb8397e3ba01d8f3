#include "platform/text/Rtf.h"
#include "platform/text/RtfCodePage.h"

#include <QHash>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace pf {

namespace {

enum class Destination { Text, FontTable, ColorTable, ExpandedColorTable, Skip };

struct ParagraphState {
    ParagraphStyle style;
    bool present = false;
    long long sl = 0;
    bool slMultiple = false;

    ParagraphStyle effective() const
    {
        ParagraphStyle s = style;
        if (sl != 0) {
            if (slMultiple) {
                s.lineHeightMultiple = double(sl) / 240.0;
            } else if (sl > 0) {
                s.minimumLineHeight = std::max(s.minimumLineHeight, double(sl) / 20.0);
            } else {
                s.minimumLineHeight = s.maximumLineHeight = double(-sl) / 20.0;
            }
        }
        return s;
    }
};

struct CharState {
    int font = -1; // -1: the default font
    double size = 12;
    bool bold = false;
    bool italic = false;
    int color = 0;
    bool shadow = false;
    double shadowX = 0, shadowY = 0, shadowBlur = 0;
    int shadowColor = 0;
    double baseline = 0;
    int unicodeSkip = 1;
    ParagraphState paragraph;
};

struct Group {
    CharState state;
    Destination destination = Destination::Text;
};

struct ColorEntry {
    bool set = false;
    Color color;
};

class RtfReader {
public:
    RtfReader(const QByteArray& data, const RtfReadLimits& limits) : data_(data), limits_(limits) {}

    std::optional<MutableAttributedString> read(QString* error)
    {
        auto fail = [&](const char* message) -> std::optional<MutableAttributedString> {
            if (error)
                *error = QString::fromLatin1(message);
            return std::nullopt;
        };
        if (data_.size() > limits_.maximumBytes)
            return fail("The RTF data is too large.");
        while (pos_ < data_.size() && std::strchr(" \t\r\n", data_[pos_]) && data_[pos_] != 0)
            ++pos_;
        if (!data_.mid(pos_, 5).startsWith("{\\rtf"))
            return fail("The data is not RTF.");
        if (!parse())
            return fail("The RTF data is nested too deeply.");
        flushBytes();
        flushRun();
        return MutableAttributedString(text_, std::move(runs_));
    }

private:
    bool atEnd() const { return pos_ >= data_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(data_[pos_]); }
    Group& group() { return groups_.back(); }
    CharState& state() { return groups_.back().state; }

    bool parse()
    {
        while (!atEnd()) {
            const unsigned char c = peek();
            if (c == '{') {
                flushBytes();
                ++pos_;
                if (int(groups_.size()) >= limits_.maximumDepth)
                    return false;
                groups_.push_back(groups_.empty() ? Group{} : groups_.back());
                if (pos_ + 1 < data_.size() && data_[pos_] == '\\' && data_[pos_ + 1] == '*') {
                    pos_ += 2;
                    ignorableGroup();
                }
            } else if (c == '}') {
                flushBytes();
                ++pos_;
                if (!groups_.empty())
                    groups_.pop_back();
                if (groups_.empty())
                    return true; // the end of the document; anything after it is not read
                invalidateAttributes();
            } else if (c == '\\') {
                ++pos_;
                control();
            } else if (c == '\r' || c == '\n' || c == 0) {
                ++pos_; // line breaks of the file, also between the two bytes of a character
            } else {
                ++pos_;
                textByte(c);
            }
            if (groups_.empty())
                return true;
        }
        return true;
    }

    // {\* word ...}: kept only when we know the word; skipped otherwise.
    void ignorableGroup()
    {
        const qsizetype save = pos_;
        while (!atEnd() && (peek() == ' ' || peek() == '\r' || peek() == '\n'))
            ++pos_;
        if (!atEnd() && peek() == '\\') {
            ++pos_;
            QByteArray word;
            while (!atEnd() && std::isalpha(peek()) && word.size() < 32)
                word += char(data_[pos_++]);
            if (word == "expandedcolortbl") {
                group().destination = Destination::ExpandedColorTable;
                expandedColors_.clear();
                entryValues_.clear();
                entryHasSpace_ = false;
                return;
            }
        }
        pos_ = save;
        group().destination = Destination::Skip;
    }

    long long parameter(bool& has)
    {
        bool negative = false;
        if (!atEnd() && peek() == '-' && pos_ + 1 < data_.size() && std::isdigit(static_cast<unsigned char>(data_[pos_ + 1]))) {
            negative = true;
            ++pos_;
        }
        long long value = 0;
        has = false;
        while (!atEnd() && std::isdigit(peek())) {
            has = true;
            value = std::min<long long>(value * 10 + (peek() - '0'), 2000000000LL);
            ++pos_;
        }
        return negative ? -value : value;
    }

    void control()
    {
        if (atEnd())
            return;
        const unsigned char c = peek();
        if (c != '\'' && c != '\\' && c != '{' && c != '}')
            flushBytes();
        if (!std::isalpha(c)) {
            ++pos_;
            switch (c) {
            case '\\': case '{': case '}': textByte(c); break;
            case '\'': hexEscape(); break;
            case '~': character(0x00A0, false); break;
            case '_': character(0x2011, false); break;
            case '\r': case '\n': character('\n', false); break;
            default: break; // \- optional hyphen, \* outside a group start, and others
            }
            return;
        }
        QByteArray word;
        while (!atEnd() && std::isalpha(peek())) {
            if (word.size() < 32)
                word += char(peek());
            ++pos_;
        }
        bool has = false;
        const long long value = parameter(has);
        if (!atEnd() && peek() == ' ')
            ++pos_;
        controlWord(word, has, value);
    }

    void hexEscape()
    {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            if (atEnd() || !std::isxdigit(peek()))
                return; // a cut escape reads as nothing
            const char h = char(peek());
            value = value * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
            ++pos_;
        }
        textByte(static_cast<unsigned char>(value));
    }

    // One byte of text, escaped or not: bytes of ASCII are characters of their own; other bytes are kept
    // until the text's code page can decode them, the two bytes of a double-byte character together.
    void textByte(unsigned char byte)
    {
        if (pendingSkip_ > 0) {
            --pendingSkip_; // a \uN's fallback counts in bytes
            return;
        }
        const int codePage = currentCodePage();
        if (!pendingBytes_.isEmpty() && codePage != pendingCodePage_)
            flushBytes();
        if (awaitingTrailByte_) {
            pendingBytes_ += char(byte);
            awaitingTrailByte_ = false;
            return;
        }
        if (byte < 0x80) {
            flushBytes();
            character(byte, false);
            return;
        }
        pendingBytes_ += char(byte);
        pendingCodePage_ = codePage;
        awaitingTrailByte_ = rtf::isLeadByte(codePage, byte);
    }

    void flushBytes()
    {
        if (pendingBytes_.isEmpty() || groups_.empty())
            return;
        const QString text = decoder_.decode(pendingCodePage_, pendingBytes_);
        pendingBytes_.clear();
        awaitingTrailByte_ = false;
        for (const QChar ch : text)
            character(ch.unicode(), true);
    }

    // The code page of the font in force (of the entry being read, in the font table), else the document's.
    int currentCodePage() const
    {
        const Group& g = groups_.back();
        if (g.destination == Destination::FontTable)
            return entryCodePage_ > 0 ? entryCodePage_ : documentCodePage_;
        const auto font = fontCodePages_.constFind(g.state.font >= 0 ? g.state.font : defaultFont_);
        return font != fontCodePages_.constEnd() && *font > 0 ? *font : documentCodePage_;
    }

    void setEntryCodePage(int codePage)
    {
        entryCodePage_ = codePage;
        fontCodePages_.insert(currentFontNumber_, codePage);
    }

    static double twipsToPoints(long long v) { return double(v) / 20.0; }

    void controlWord(const QByteArray& w, bool has, long long v)
    {
        CharState& s = state();
        const auto on = [&] { return !has || v != 0; };
        // Destinations.
        if (w == "fonttbl") { group().destination = Destination::FontTable; return; }
        if (w == "colortbl") { group().destination = Destination::ColorTable; colors_.clear(); entrySet_ = false; entryRgb_[0] = entryRgb_[1] = entryRgb_[2] = 0; return; }
        static const char* const skipped[] = {"stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
            "footer", "footerl", "footerr", "footerf", "footnote", "listtable", "listoverridetable", "revtbl", "rsidtbl",
            "generator", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "fldinst", "nonshppict",
            "comment", "annotation", "txe", "xe", "tc"};
        for (const char* d : skipped)
            if (w == d) { group().destination = Destination::Skip; return; }
        if (w == "bin") {
            pos_ += std::clamp<long long>(v, 0, data_.size() - pos_);
            return;
        }
        if (group().destination == Destination::Skip)
            return;
        if (group().destination == Destination::ColorTable) {
            if (w == "red") entryRgb_[0] = int(v);
            else if (w == "green") entryRgb_[1] = int(v);
            else if (w == "blue") entryRgb_[2] = int(v);
            else return;
            entrySet_ = true;
            return;
        }
        if (group().destination == Destination::ExpandedColorTable) {
            if (w == "c") entryValues_.push_back(double(std::clamp<long long>(v, 0, 100000)) / 100000.0);
            else if (w == "csgray" || w == "csgenericgray") entryHasSpace_ = true, entryGray_ = true;
            else if (w.startsWith("cs")) entryHasSpace_ = true, entryGray_ = false;
            return;
        }
        if (w == "f") {
            if (group().destination == Destination::FontTable) currentFontNumber_ = int(v), entryCodePage_ = 0;
            else s.font = int(v);
        } else if (w == "fcharset") {
            if (group().destination == Destination::FontTable)
                setEntryCodePage(rtf::codePageForCharset(int(std::clamp<long long>(v, 0, 255))));
        } else if (w == "cpg") {
            if (group().destination == Destination::FontTable && v > 0)
                setEntryCodePage(int(std::min<long long>(v, 65535)));
        } else if (w == "ansicpg") { if (v > 0) documentCodePage_ = int(std::min<long long>(v, 65535));
        } else if (w == "ansi") { documentCodePage_ = rtf::ansiCodePage;
        } else if (w == "mac") { documentCodePage_ = 10000;
        } else if (w == "pc") { documentCodePage_ = 437;
        } else if (w == "pca") { documentCodePage_ = 850;
        } else if (w == "deff") { defaultFont_ = int(v);
        } else if (w == "fs") { s.size = std::clamp<double>(double(v) / 2.0, 0.5, 10000.0);
        } else if (w == "b") { s.bold = on();
        } else if (w == "i") { s.italic = on();
        } else if (w == "cf") { s.color = int(std::clamp<long long>(v, 0, 1 << 20));
        } else if (w == "plain") {
            const ParagraphState keep = s.paragraph;
            const int skip = s.unicodeSkip;
            s = CharState();
            s.paragraph = keep;
            s.unicodeSkip = skip;
        } else if (w == "shad") { s.shadow = on();
        } else if (w == "shadx") { s.shadowX = twipsToPoints(v);
        } else if (w == "shady") { s.shadowY = twipsToPoints(v);
        } else if (w == "shadr") { s.shadowBlur = std::max(0.0, twipsToPoints(v));
        } else if (w == "shadc") { s.shadowColor = int(std::clamp<long long>(v, 0, 1 << 20));
        } else if (w == "up") { s.baseline = has ? double(v) / 2.0 : 3.0;
        } else if (w == "dn") { s.baseline = -(has ? double(v) / 2.0 : 3.0);
        } else if (w == "uc") { s.unicodeSkip = int(std::clamp<long long>(v, 0, 8));
        } else if (w == "u") {
            if (!has)
                return;
            const long long code = v < 0 ? v + 65536 : v;
            if (code != 0)
                character(code > 0 && code <= 0xFFFF ? char16_t(code) : char16_t(0xFFFD), true);
            pendingSkip_ = s.unicodeSkip;
            return;
        } else if (w == "pard") { s.paragraph = ParagraphState();
        } else if (w == "ql") { paragraphAlignment(TextAlignment::Left);
        } else if (w == "qr") { paragraphAlignment(TextAlignment::Right);
        } else if (w == "qc") { paragraphAlignment(TextAlignment::Center);
        } else if (w == "qj") { paragraphAlignment(TextAlignment::Justified);
        } else if (w == "qnatural") { paragraphAlignment(TextAlignment::Natural);
        } else if (w == "pardirnatural" || w == "tx" || w == "partightenfactor" || w == "pardeftab") { s.paragraph.present = true;
        } else if (w == "slminimum") { paragraph().style.minimumLineHeight = std::max(0.0, twipsToPoints(v));
        } else if (w == "slmaximum") { paragraph().style.maximumLineHeight = std::max(0.0, twipsToPoints(v));
        } else if (w == "slleading") { paragraph().style.lineSpacing = twipsToPoints(v);
        } else if (w == "sl") { paragraph().sl = v;
        } else if (w == "slmult") { paragraph().slMultiple = v != 0;
        } else if (w == "sa") { paragraph().style.paragraphSpacing = twipsToPoints(v);
        } else if (w == "fi") { paragraph().style.firstLineHeadIndent = twipsToPoints(v);
        } else if (w == "par" || w == "sect" || w == "page" || w == "row") { character('\n', true);
        } else if (w == "line") { character(0x2028, true);
        } else if (w == "tab" || w == "cell") { character('\t', true);
        } else if (w == "emdash") { character(0x2014, true);
        } else if (w == "endash") { character(0x2013, true);
        } else if (w == "bullet") { character(0x2022, true);
        } else if (w == "lquote") { character(0x2018, true);
        } else if (w == "rquote") { character(0x2019, true);
        } else if (w == "ldblquote") { character(0x201C, true);
        } else if (w == "rdblquote") { character(0x201D, true);
        } else {
            return; // unknown words are skipped
        }
        pendingSkip_ = 0;
        invalidateAttributes();
    }

    ParagraphState& paragraph()
    {
        state().paragraph.present = true;
        return state().paragraph;
    }

    void paragraphAlignment(TextAlignment a) { paragraph().style.alignment = a; }

    // One code unit of text (or of a table entry). `fromWord` marks characters written as control words,
    // which are never a \u fallback and never end a table entry.
    void character(char16_t unit, bool fromWord)
    {
        if (!fromWord && pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (unit == 0)
            return; // NUL, however written, is not text
        switch (group().destination) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            if (unit == ';' && !fromWord) {
                fontNames_.insert(currentFontNumber_, fontName_.trimmed());
                fontName_.clear();
            } else if (fontName_.size() < 256) {
                fontName_ += QChar(unit);
            }
            return;
        case Destination::ColorTable:
            if (unit == ';') {
                colors_.push_back(entrySet_ ? ColorEntry{true, Color(std::clamp(entryRgb_[0], 0, 255) / 255.0,
                                      std::clamp(entryRgb_[1], 0, 255) / 255.0, std::clamp(entryRgb_[2], 0, 255) / 255.0)}
                                            : ColorEntry{});
                entrySet_ = false;
                entryRgb_[0] = entryRgb_[1] = entryRgb_[2] = 0;
            }
            return;
        case Destination::ExpandedColorTable:
            if (unit == ';') {
                ColorEntry e;
                const auto& c = entryValues_;
                if (entryHasSpace_ && entryGray_ && !c.empty())
                    e = {true, Color(c[0], c[0], c[0], c.size() > 1 ? c[1] : 1.0)};
                else if (entryHasSpace_ && c.size() >= 3)
                    e = {true, Color(c[0], c[1], c[2], c.size() > 3 ? c[3] : 1.0)};
                expandedColors_.push_back(e);
                entryValues_.clear();
                entryHasSpace_ = false;
            }
            return;
        case Destination::Text:
            break;
        }
        if (text_.size() >= limits_.maximumBytes)
            return;
        if (!attributesValid_) {
            TextAttributes a = attributes();
            if (!(a == current_)) {
                flushRun();
                current_ = std::move(a);
            }
            attributesValid_ = true;
        }
        text_ += QChar(unit);
        ++runLength_;
    }

    void invalidateAttributes() { attributesValid_ = false; }

    void flushRun()
    {
        if (runLength_ > 0)
            runs_.push_back({runLength_, current_});
        runLength_ = 0;
    }

    std::optional<Color> color(int index) const
    {
        if (index <= 0)
            return std::nullopt;
        if (size_t(index) < expandedColors_.size() && expandedColors_[size_t(index)].set)
            return expandedColors_[size_t(index)].color;
        if (size_t(index) < colors_.size() && colors_[size_t(index)].set)
            return colors_[size_t(index)].color;
        return std::nullopt;
    }

    TextAttributes attributes() const
    {
        const CharState& s = groups_.back().state;
        TextAttributes a;
        const int number = s.font >= 0 ? s.font : defaultFont_;
        const auto name = fontNames_.constFind(number);
        Font font(name != fontNames_.constEnd() && !name->isEmpty() ? *name : QStringLiteral("Helvetica"), s.size);
        if (s.bold && !font.isBold())
            font = font.withTrait(FontTrait::Bold);
        if (s.italic && !font.isItalic())
            font = font.withTrait(FontTrait::Italic);
        a.font = font;
        a.foregroundColor = color(s.color);
        if (s.paragraph.present)
            a.paragraphStyle = s.paragraph.effective();
        if (s.shadow) {
            Shadow shadow;
            shadow.offset = Size(s.shadowX, s.shadowY);
            shadow.blur = s.shadowBlur;
            if (auto c = color(s.shadowColor))
                shadow.color = *c;
            a.shadow = shadow;
        }
        if (s.baseline != 0)
            a.baselineOffset = s.baseline;
        return a;
    }

    const QByteArray& data_;
    RtfReadLimits limits_;
    qsizetype pos_ = 0;
    std::vector<Group> groups_;
    int pendingSkip_ = 0;

    QHash<int, QString> fontNames_;
    int defaultFont_ = 0;
    int currentFontNumber_ = 0;
    QString fontName_;

    int documentCodePage_ = rtf::ansiCodePage;
    QHash<int, int> fontCodePages_; // font number -> code page of its character set (0: the document's)
    int entryCodePage_ = 0;         // of the font table entry being read
    rtf::ByteDecoder decoder_;
    QByteArray pendingBytes_;       // text bytes not yet decoded, all of pendingCodePage_
    int pendingCodePage_ = rtf::ansiCodePage;
    bool awaitingTrailByte_ = false;

    std::vector<ColorEntry> colors_;
    std::vector<ColorEntry> expandedColors_;
    int entryRgb_[3] = {0, 0, 0};
    bool entrySet_ = false;
    std::vector<double> entryValues_;
    bool entryHasSpace_ = false;
    bool entryGray_ = false;

    QString text_;
    std::vector<AttributeRun> runs_;
    TextAttributes current_;
    qsizetype runLength_ = 0;
    bool attributesValid_ = false;
};

} // namespace

std::optional<MutableAttributedString> attributedStringFromRtf(const QByteArray& data, QString* error, const RtfReadLimits& limits)
{
    return RtfReader(data, limits).read(error);
}

} // namespace pf
