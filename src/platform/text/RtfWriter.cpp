#include "platform/text/Rtf.h"
#include "platform/text/RtfCodePage.h"
#include "platform/text/RtfNumbers.h"

#include <cmath>
#include <vector>

namespace pf {

namespace {

long long twips(double points) { return rtf::parameter(points, 20.0); }
long long halfPoints(double points) { return rtf::parameter(points, 2.0); }

// A colour as written: its channels in the expanded table. Colours written alike are one table entry,
// so that runs they alone told apart are written, and read back, as one run.
struct WrittenColor {
    long long red, green, blue, alpha;
    friend bool operator==(const WrittenColor&, const WrittenColor&) = default;
};

WrittenColor written(const Color& c)
{
    return {rtf::colorChannelToRtf(c.red), rtf::colorChannelToRtf(c.green), rtf::colorChannelToRtf(c.blue),
            rtf::colorChannelToRtf(c.alpha)};
}

long long eightBit(long long channel) { return std::llround(double(channel) * 255.0 / 100000.0); }

class RtfWriter {
public:
    QByteArray write(const AttributedString& text)
    {
        collectTables(text);
        out_ += "{\\rtf1\\ansi\\ansicpg1252\n";
        out_ += "{\\fonttbl";
        for (size_t i = 0; i < fonts_.size(); ++i) {
            out_ += "\\f" + QByteArray::number(qulonglong(i)) + "\\fnil\\fcharset0 ";
            writeText(fonts_[i], /*inTable=*/true);
            out_ += ';';
        }
        out_ += "}\n{\\colortbl;";
        for (const WrittenColor& c : colors_)
            out_ += "\\red" + QByteArray::number(eightBit(c.red)) + "\\green" + QByteArray::number(eightBit(c.green)) + "\\blue"
                    + QByteArray::number(eightBit(c.blue)) + ';';
        // The finer channels and alpha, which the 8-bit table cannot hold.
        out_ += "}\n{\\*\\expandedcolortbl;";
        for (const WrittenColor& c : colors_) {
            out_ += "\\csgenericrgb\\c" + QByteArray::number(c.red) + "\\c" + QByteArray::number(c.green) + "\\c"
                    + QByteArray::number(c.blue);
            if (c.alpha != 100000)
                out_ += "\\c" + QByteArray::number(c.alpha);
            out_ += ';';
        }
        out_ += "}\n\\uc1";

        qsizetype position = 0;
        for (const AttributeRun& run : text.runs()) {
            writeAttributes(run.attributes);
            writeText(text.string().mid(position, run.length), false);
            position += run.length;
        }
        out_ += "}";
        return out_;
    }

private:
    // The name the font table gives a font: its family when the family with the run's \b and \i is the
    // same font again (other programs take "Helvetica-Bold" for a family of that name), else the name itself.
    static QString tableName(const Font& font)
    {
        Font rebuilt(font.familyName(), font.pointSize());
        if (font.isBold())
            rebuilt = rebuilt.withTrait(FontTrait::Bold);
        if (font.isItalic())
            rebuilt = rebuilt.withTrait(FontTrait::Italic);
        return rebuilt == font ? font.familyName() : font.fontName();
    }

    void collectTables(const AttributedString& text)
    {
        for (const AttributeRun& run : text.runs()) {
            const Font font = run.attributes.fontOrDefault();
            if (const QString name = tableName(font); std::find(fonts_.begin(), fonts_.end(), name) == fonts_.end())
                fonts_.push_back(name);
            if (run.attributes.foregroundColor)
                colorIndex(*run.attributes.foregroundColor);
            if (run.attributes.shadow)
                colorIndex(run.attributes.shadow->color);
        }
        if (fonts_.empty())
            fonts_.push_back(tableName(Font()));
    }

    int colorIndex(const Color& c)
    {
        const WrittenColor w = written(c);
        for (size_t i = 0; i < colors_.size(); ++i)
            if (colors_[i] == w)
                return int(i) + 1;
        colors_.push_back(w);
        return int(colors_.size());
    }

    static void word(QByteArray& out, const char* name, long long value)
    {
        out += '\\';
        out += name;
        out += QByteArray::number(value);
    }

    static QByteArray paragraphWords(const std::optional<ParagraphStyle>& style)
    {
        QByteArray out = "\\pard";
        if (!style)
            return out;
        const auto word = [&out](const char* name, long long value) { RtfWriter::word(out, name, value); };
        static const char* const alignments[] = {"\\ql", "\\qr", "\\qc", "\\qj", "\\qnatural"};
        out += alignments[std::clamp(int(style->alignment), 0, 4)];
        const bool minimum = style->minimumLineHeight > 0;
        // However large: a maximum beyond the largest parameter (the defaults' "no maximum") is written as
        // that, and the reader takes it as no maximum again.
        const bool maximum = style->maximumLineHeight > 0;
        if (minimum)
            word("slminimum", twips(style->minimumLineHeight));
        if (maximum)
            word("slmaximum", twips(style->maximumLineHeight));
        // The same again in the words word processors read (they ignore the three above): one \sl, a
        // multiple of single lines, else an exact height (negative), else an at-least height.
        if (style->lineHeightMultiple != 0 && !std::isnan(style->lineHeightMultiple)) {
            word("sl", rtf::parameter(style->lineHeightMultiple, 240.0));
            out += "\\slmult1";
        } else if (minimum && maximum && style->minimumLineHeight == style->maximumLineHeight) {
            word("sl", -twips(style->minimumLineHeight));
            out += "\\slmult0";
        } else if (minimum) {
            word("sl", twips(style->minimumLineHeight));
            out += "\\slmult0";
        }
        if (style->lineSpacing != 0)
            word("slleading", twips(style->lineSpacing));
        if (style->paragraphSpacing != 0)
            word("sa", twips(style->paragraphSpacing));
        if (style->firstLineHeadIndent != 0)
            word("fi", twips(style->firstLineHeadIndent));
        return out;
    }

    // The character words of a run, whatever came before.
    QByteArray characterWords(const TextAttributes& a)
    {
        QByteArray out;
        const auto word = [&out](const char* name, long long value) { RtfWriter::word(out, name, value); };
        const Font font = a.fontOrDefault();
        const auto fontIndex = std::find(fonts_.begin(), fonts_.end(), tableName(font)) - fonts_.begin();
        word("f", fontIndex);
        word("fs", halfPoints(font.pointSize()));
        out += font.isBold() ? "\\b" : "\\b0";
        out += font.isItalic() ? "\\i" : "\\i0";
        word("cf", a.foregroundColor ? colorIndex(*a.foregroundColor) : 0);
        if (a.shadow) {
            out += "\\shad";
            word("shadx", twips(a.shadow->offset.width));
            word("shady", twips(a.shadow->offset.height));
            word("shadr", twips(a.shadow->blur));
            word("shadc", colorIndex(a.shadow->color));
        }
        // \up0 is no offset, as other programs write it; an offset of zero set on purpose (the shapes'
        // default text has one) is \dn0, which they read the same and we read back as set.
        if (!a.baselineOffset || std::isnan(*a.baselineOffset))
            word("up", 0);
        else if (const long long offset = halfPoints(*a.baselineOffset); offset > 0)
            word("up", offset);
        else
            word("dn", -offset);
        return out;
    }

    // Runs whose words come out the same (attributes that differ only below what RTF holds) are written
    // as one run, as they read back.
    void writeAttributes(const TextAttributes& a)
    {
        QByteArray paragraph = paragraphWords(a.paragraphStyle);
        QByteArray character = characterWords(a);
        if (started_ && paragraph == paragraphWords_ && character == characterWords_)
            return;
        if (!started_ || paragraph != paragraphWords_)
            out_ += paragraph;
        if (started_ && hadShadow_ && !a.shadow)
            out_ += "\\shad0";
        out_ += character;
        out_ += ' ';
        paragraphWords_ = std::move(paragraph);
        characterWords_ = std::move(character);
        hadShadow_ = a.shadow.has_value();
        started_ = true;
    }

    void writeText(const QString& text, bool inTable)
    {
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            switch (u) {
            case '\\': out_ += "\\\\"; continue;
            case '{': out_ += "\\{"; continue;
            case '}': out_ += "\\}"; continue;
            case '\t': out_ += "\\tab "; continue;
            case '\n': if (!inTable) { out_ += "\\par\n"; continue; } break;
            case 0x2028: out_ += "\\line "; continue;
            default: break;
            }
            if (u >= 0x20 && u < 0x80 && !(inTable && u == ';')) {
                out_ += char(u);
                continue;
            }
            const int byte = rtf::unicodeToCp1252(u);
            if (byte >= 0x80) {
                out_ += "\\'" + QByteArray::number(byte, 16).rightJustified(2, '0');
            } else {
                // \uN takes a signed 16-bit number; one '?' is the fallback for readers without Unicode.
                word(out_, "u", u > 0x7FFF ? qint64(u) - 0x10000 : qint64(u));
                out_ += " ?";
            }
        }
    }

    QByteArray out_;
    std::vector<QString> fonts_;
    std::vector<WrittenColor> colors_;
    QByteArray paragraphWords_;
    QByteArray characterWords_;
    bool hadShadow_ = false;
    bool started_ = false;
};

} // namespace

QByteArray rtfFromRange(const AttributedString& string, TextRange range)
{
    return RtfWriter().write(string.attributedSubstring(range));
}

} // namespace pf
