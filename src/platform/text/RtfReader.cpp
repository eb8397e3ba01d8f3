#include "platform/text/Rtf.h"
#include "platform/text/RtfCodePage.h"
#include "platform/text/RtfNumbers.h"

#include <QHash>

#include <algorithm>
#include <cctype>
#include <cfloat>
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
    bool baselineSet = false; // an offset, zero included (\dn0)
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
            value = std::min<long long>(value * 10 + (peek() - '0'), rtf::largestParameter);
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
        // A byte that cannot be a second byte (a ';' ending a font name, say) ends a character cut short.
        if (awaitingTrailByte_ && rtf::isTrailByte(pendingCodePage_, byte)) {
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

    // A maximum as large as a parameter goes is what the writer makes of "no maximum" (the largest float,
    // as the shapes' default text has it).
    static double maximumLineHeight(long long v)
    {
        return v >= rtf::largestParameter ? double(FLT_MAX) : std::max(0.0, twipsToPoints(v));
    }

    // The control words we act on. One table lookup per word: documents are mostly control words.
    enum class Word {
        Unknown, FontTable, ColorTable, Skipped, Bin, Red, Green, Blue, C, CsGray, F, FCharset, Cpg, AnsiCpg, Ansi,
        Mac, Pc, Pca, Deff, Fs, B, I, Cf, Plain, Shad, ShadX, ShadY, ShadR, ShadC, Up, Dn, Uc, U, Pard, Ql, Qr, Qc,
        Qj, QNatural, ParagraphPresent, SlMinimum, SlMaximum, SlLeading, Sl, SlMult, Sa, Fi, Par, Line, Tab, EmDash,
        EnDash, Bullet, LQuote, RQuote, LDblQuote, RDblQuote
    };

    static Word lookUp(const QByteArray& w)
    {
        static const QHash<QByteArray, Word> words = [] {
            QHash<QByteArray, Word> h{
                {"fonttbl", Word::FontTable}, {"colortbl", Word::ColorTable}, {"bin", Word::Bin}, {"red", Word::Red},
                {"green", Word::Green}, {"blue", Word::Blue}, {"c", Word::C}, {"csgray", Word::CsGray},
                {"csgenericgray", Word::CsGray}, {"f", Word::F}, {"fcharset", Word::FCharset}, {"cpg", Word::Cpg},
                {"ansicpg", Word::AnsiCpg}, {"ansi", Word::Ansi}, {"mac", Word::Mac}, {"pc", Word::Pc}, {"pca", Word::Pca},
                {"deff", Word::Deff}, {"fs", Word::Fs}, {"b", Word::B}, {"i", Word::I}, {"cf", Word::Cf},
                {"plain", Word::Plain}, {"shad", Word::Shad}, {"shadx", Word::ShadX}, {"shady", Word::ShadY},
                {"shadr", Word::ShadR}, {"shadc", Word::ShadC}, {"up", Word::Up}, {"dn", Word::Dn}, {"uc", Word::Uc},
                {"u", Word::U}, {"pard", Word::Pard}, {"ql", Word::Ql}, {"qr", Word::Qr}, {"qc", Word::Qc},
                {"qj", Word::Qj}, {"qnatural", Word::QNatural}, {"pardirnatural", Word::ParagraphPresent},
                {"tx", Word::ParagraphPresent}, {"partightenfactor", Word::ParagraphPresent},
                {"pardeftab", Word::ParagraphPresent}, {"slminimum", Word::SlMinimum}, {"slmaximum", Word::SlMaximum},
                {"slleading", Word::SlLeading}, {"sl", Word::Sl}, {"slmult", Word::SlMult}, {"sa", Word::Sa},
                {"fi", Word::Fi}, {"par", Word::Par}, {"sect", Word::Par}, {"page", Word::Par}, {"row", Word::Par},
                {"line", Word::Line}, {"tab", Word::Tab}, {"cell", Word::Tab}, {"emdash", Word::EmDash},
                {"endash", Word::EnDash}, {"bullet", Word::Bullet}, {"lquote", Word::LQuote}, {"rquote", Word::RQuote},
                {"ldblquote", Word::LDblQuote}, {"rdblquote", Word::RDblQuote}};
            for (const char* d : {"stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
                     "footer", "footerl", "footerr", "footerf", "footnote", "listtable", "listoverridetable", "revtbl",
                     "rsidtbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl",
                     "fldinst", "nonshppict", "comment", "annotation", "txe", "xe", "tc"})
                h.insert(d, Word::Skipped);
            return h;
        }();
        return words.value(w, Word::Unknown);
    }

    void controlWord(const QByteArray& w, bool has, long long v)
    {
        CharState& s = state();
        const auto on = [&] { return !has || v != 0; };
        const Word word = lookUp(w);
        // Destinations.
        switch (word) {
        case Word::FontTable: group().destination = Destination::FontTable; return;
        case Word::ColorTable:
            group().destination = Destination::ColorTable;
            colors_.clear();
            entrySet_ = false;
            entryRgb_[0] = entryRgb_[1] = entryRgb_[2] = 0;
            return;
        case Word::Skipped: group().destination = Destination::Skip; return;
        case Word::Bin: pos_ += std::clamp<long long>(v, 0, data_.size() - pos_); return;
        default: break;
        }
        if (group().destination == Destination::Skip)
            return;
        if (group().destination == Destination::ColorTable) {
            switch (word) {
            case Word::Red: entryRgb_[0] = int(v); break;
            case Word::Green: entryRgb_[1] = int(v); break;
            case Word::Blue: entryRgb_[2] = int(v); break;
            default: return;
            }
            entrySet_ = true;
            return;
        }
        if (group().destination == Destination::ExpandedColorTable) {
            if (word == Word::C) entryValues_.push_back(rtf::colorChannelFromRtf(v));
            else if (word == Word::CsGray) entryHasSpace_ = true, entryGray_ = true;
            else if (w.startsWith("cs")) entryHasSpace_ = true, entryGray_ = false;
            return;
        }
        switch (word) {
        case Word::F:
            if (group().destination == Destination::FontTable) currentFontNumber_ = int(v), entryCodePage_ = 0;
            else s.font = int(v);
            break;
        case Word::FCharset:
            if (group().destination == Destination::FontTable)
                setEntryCodePage(rtf::codePageForCharset(int(std::clamp<long long>(v, 0, 255))));
            break;
        case Word::Cpg:
            if (group().destination == Destination::FontTable && v > 0)
                setEntryCodePage(int(std::min<long long>(v, 65535)));
            break;
        case Word::AnsiCpg: if (v > 0) documentCodePage_ = int(std::min<long long>(v, 65535)); break;
        case Word::Ansi: documentCodePage_ = rtf::ansiCodePage; break;
        case Word::Mac: documentCodePage_ = 10000; break;
        case Word::Pc: documentCodePage_ = 437; break;
        case Word::Pca: documentCodePage_ = 850; break;
        case Word::Deff: defaultFont_ = int(v); break;
        case Word::Fs: s.size = std::clamp<double>(double(v) / 2.0, 0.5, 10000.0); break;
        case Word::B: s.bold = on(); break;
        case Word::I: s.italic = on(); break;
        case Word::Cf: s.color = int(std::clamp<long long>(v, 0, 1 << 20)); break;
        case Word::Plain: {
            const ParagraphState keep = s.paragraph;
            const int skip = s.unicodeSkip;
            s = CharState();
            s.paragraph = keep;
            s.unicodeSkip = skip;
            break;
        }
        case Word::Shad: s.shadow = on(); break;
        case Word::ShadX: s.shadowX = twipsToPoints(v); break;
        case Word::ShadY: s.shadowY = twipsToPoints(v); break;
        case Word::ShadR: s.shadowBlur = std::max(0.0, twipsToPoints(v)); break;
        case Word::ShadC: s.shadowColor = int(std::clamp<long long>(v, 0, 1 << 20)); break;
        // \up0 is no offset; \dn0 an offset of zero (as we write one that was set).
        case Word::Up: s.baseline = has ? double(v) / 2.0 : 3.0, s.baselineSet = s.baseline != 0; break;
        case Word::Dn: s.baseline = has ? double(-v) / 2.0 : -3.0, s.baselineSet = true; break;
        case Word::Uc: s.unicodeSkip = int(std::clamp<long long>(v, 0, 8)); break;
        case Word::U: {
            if (!has)
                return;
            const long long code = v < 0 ? v + 65536 : v;
            if (code != 0)
                character(code > 0 && code <= 0xFFFF ? char16_t(code) : char16_t(0xFFFD), true);
            pendingSkip_ = s.unicodeSkip;
            return;
        }
        case Word::Pard: s.paragraph = ParagraphState(); break;
        case Word::Ql: paragraphAlignment(TextAlignment::Left); break;
        case Word::Qr: paragraphAlignment(TextAlignment::Right); break;
        case Word::Qc: paragraphAlignment(TextAlignment::Center); break;
        case Word::Qj: paragraphAlignment(TextAlignment::Justified); break;
        case Word::QNatural: paragraphAlignment(TextAlignment::Natural); break;
        case Word::ParagraphPresent: s.paragraph.present = true; break;
        case Word::SlMinimum: paragraph().style.minimumLineHeight = std::max(0.0, twipsToPoints(v)); break;
        case Word::SlMaximum: paragraph().style.maximumLineHeight = maximumLineHeight(v); break;
        case Word::SlLeading: paragraph().style.lineSpacing = twipsToPoints(v); break;
        case Word::Sl: paragraph().sl = v; break;
        case Word::SlMult: paragraph().slMultiple = v != 0; break;
        case Word::Sa: paragraph().style.paragraphSpacing = twipsToPoints(v); break;
        case Word::Fi: paragraph().style.firstLineHeadIndent = twipsToPoints(v); break;
        case Word::Par: character('\n', true); break;
        case Word::Line: character(0x2028, true); break;
        case Word::Tab: character('\t', true); break;
        case Word::EmDash: character(0x2014, true); break;
        case Word::EnDash: character(0x2013, true); break;
        case Word::Bullet: character(0x2022, true); break;
        case Word::LQuote: character(0x2018, true); break;
        case Word::RQuote: character(0x2019, true); break;
        case Word::LDblQuote: character(0x201C, true); break;
        case Word::RDblQuote: character(0x201D, true); break;
        default: return; // unknown words, and table words outside their tables, are skipped
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
        if (s.baselineSet)
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
