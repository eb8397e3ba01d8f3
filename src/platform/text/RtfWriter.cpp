#include "platform/text/Rtf.h"
#include "platform/text/RtfCodePage.h"

#include <cmath>
#include <vector>

namespace pf {

namespace {

long long twips(double points) { return std::llround(points * 20.0); }
long long halfPoints(double points) { return std::llround(points * 2.0); }
long long channel100k(double v) { return std::llround(std::clamp(v, 0.0, 1.0) * 100000.0); }

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
        for (const Color& c : colors_)
            out_ += "\\red" + QByteArray::number(std::lround(std::clamp(c.red, 0.0, 1.0) * 255)) + "\\green"
                    + QByteArray::number(std::lround(std::clamp(c.green, 0.0, 1.0) * 255)) + "\\blue"
                    + QByteArray::number(std::lround(std::clamp(c.blue, 0.0, 1.0) * 255)) + ';';
        // The exact channels and alpha, which the 8-bit table cannot hold.
        out_ += "}\n{\\*\\expandedcolortbl;";
        for (const Color& c : colors_) {
            out_ += "\\csgenericrgb\\c" + QByteArray::number(channel100k(c.red)) + "\\c" + QByteArray::number(channel100k(c.green))
                    + "\\c" + QByteArray::number(channel100k(c.blue));
            if (c.alpha != 1.0)
                out_ += "\\c" + QByteArray::number(channel100k(c.alpha));
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
        for (size_t i = 0; i < colors_.size(); ++i)
            if (colors_[i] == c)
                return int(i) + 1;
        colors_.push_back(c);
        return int(colors_.size());
    }

    void word(const char* name, long long value)
    {
        out_ += '\\';
        out_ += name;
        out_ += QByteArray::number(value);
    }

    void writeParagraphStyle(const std::optional<ParagraphStyle>& style)
    {
        out_ += "\\pard";
        if (!style)
            return;
        static const char* const alignments[] = {"\\ql", "\\qr", "\\qc", "\\qj", "\\qnatural"};
        out_ += alignments[int(style->alignment)];
        const bool minimum = style->minimumLineHeight > 0;
        const bool maximum = style->maximumLineHeight > 0 && style->maximumLineHeight < 1e7;
        if (minimum)
            word("slminimum", twips(style->minimumLineHeight));
        if (maximum)
            word("slmaximum", twips(style->maximumLineHeight));
        // The same again in the words word processors read (they ignore the three above): one \sl, a
        // multiple of single lines, else an exact height (negative), else an at-least height.
        if (style->lineHeightMultiple > 0 && style->lineHeightMultiple < 1e5) {
            word("sl", std::llround(style->lineHeightMultiple * 240.0));
            out_ += "\\slmult1";
        } else if (minimum && maximum && style->minimumLineHeight == style->maximumLineHeight) {
            word("sl", -twips(style->minimumLineHeight));
            out_ += "\\slmult0";
        } else if (minimum) {
            word("sl", twips(style->minimumLineHeight));
            out_ += "\\slmult0";
        }
        if (style->lineSpacing != 0)
            word("slleading", twips(style->lineSpacing));
        if (style->paragraphSpacing != 0)
            word("sa", twips(style->paragraphSpacing));
        if (style->firstLineHeadIndent != 0)
            word("fi", twips(style->firstLineHeadIndent));
    }

    void writeAttributes(const TextAttributes& a)
    {
        if (!started_ || a.paragraphStyle != current_.paragraphStyle)
            writeParagraphStyle(a.paragraphStyle);
        const Font font = a.fontOrDefault();
        const auto fontIndex = std::find(fonts_.begin(), fonts_.end(), tableName(font)) - fonts_.begin();
        word("f", fontIndex);
        word("fs", halfPoints(font.pointSize()));
        out_ += font.isBold() ? "\\b" : "\\b0";
        out_ += font.isItalic() ? "\\i" : "\\i0";
        word("cf", a.foregroundColor ? colorIndex(*a.foregroundColor) : 0);
        if (a.shadow) {
            out_ += "\\shad";
            word("shadx", twips(a.shadow->offset.width));
            word("shady", twips(a.shadow->offset.height));
            word("shadr", twips(a.shadow->blur));
            word("shadc", colorIndex(a.shadow->color));
        } else if (started_ && current_.shadow) {
            out_ += "\\shad0";
        }
        const double offset = a.baselineOffset.value_or(0);
        if (offset >= 0)
            word("up", halfPoints(offset));
        else
            word("dn", halfPoints(-offset));
        out_ += ' ';
        current_ = a;
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
                word("u", u > 0x7FFF ? qint64(u) - 0x10000 : qint64(u));
                out_ += " ?";
            }
        }
    }

    QByteArray out_;
    std::vector<QString> fonts_;
    std::vector<Color> colors_;
    TextAttributes current_;
    bool started_ = false;
};

} // namespace

QByteArray rtfFromRange(const AttributedString& string, TextRange range)
{
    return RtfWriter().write(string.attributedSubstring(range));
}

} // namespace pf
