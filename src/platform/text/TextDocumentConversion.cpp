#include "platform/text/TextDocumentConversion.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>

namespace pf {

namespace {

// Our exact values, beside Qt's own properties.
enum : int {
    FontNameProperty = QTextFormat::UserProperty + 0x5100,
    FontSizeProperty,
    ColorProperty,
    BaselineOffsetProperty,
    ShadowProperty,
    ParagraphStyleProperty,
};

QVariantList colorList(const Color& c)
{
    return {c.red, c.green, c.blue, c.alpha};
}

std::optional<Color> colorFromList(const QVariant& v)
{
    const QVariantList l = v.toList();
    if (l.size() != 4)
        return std::nullopt;
    return Color(l[0].toDouble(), l[1].toDouble(), l[2].toDouble(), l[3].toDouble());
}

Qt::Alignment qtAlignment(TextAlignment a)
{
    switch (a) {
    case TextAlignment::Right: return Qt::AlignRight | Qt::AlignAbsolute;
    case TextAlignment::Center: return Qt::AlignHCenter;
    case TextAlignment::Justified: return Qt::AlignJustify;
    case TextAlignment::Left: return Qt::AlignLeft | Qt::AlignAbsolute;
    case TextAlignment::Natural: break;
    }
    return Qt::AlignLeft;
}

TextAlignment alignmentFromQt(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return TextAlignment::Center;
    if (a & Qt::AlignJustify)
        return TextAlignment::Justified;
    if (a & Qt::AlignRight)
        return TextAlignment::Right;
    if ((a & Qt::AlignLeft) && (a & Qt::AlignAbsolute))
        return TextAlignment::Left;
    return TextAlignment::Natural;
}

QTextCharFormat charFormat(const TextAttributes& a)
{
    QTextCharFormat f;
    if (a.font) {
        f.setFontFamilies(QStringList{a.font->substituteFamily()});
        f.setFontPointSize(a.font->pointSize());
        f.setFontWeight(a.font->isBold() ? QFont::Bold : QFont::Normal);
        f.setFontItalic(a.font->isItalic());
        f.setProperty(FontNameProperty, a.font->fontName());
        f.setProperty(FontSizeProperty, a.font->pointSize());
    }
    if (a.foregroundColor) {
        f.setForeground(a.foregroundColor->toQt());
        f.setProperty(ColorProperty, colorList(*a.foregroundColor));
    }
    if (a.baselineOffset)
        f.setProperty(BaselineOffsetProperty, *a.baselineOffset);
    if (a.shadow) {
        QVariantList s{a.shadow->offset.width, a.shadow->offset.height, a.shadow->blur};
        s.append(colorList(a.shadow->color));
        f.setProperty(ShadowProperty, s);
    }
    return f;
}

QTextBlockFormat blockFormat(const std::optional<ParagraphStyle>& style)
{
    QTextBlockFormat f;
    if (!style)
        return f;
    f.setAlignment(qtAlignment(style->alignment));
    if (style->lineHeightMultiple > 0)
        f.setLineHeight(style->lineHeightMultiple * 100, QTextBlockFormat::ProportionalHeight);
    else if (style->minimumLineHeight > 0)
        f.setLineHeight(style->minimumLineHeight, QTextBlockFormat::MinimumHeight);
    f.setTextIndent(style->firstLineHeadIndent);
    f.setBottomMargin(style->paragraphSpacing);
    f.setProperty(ParagraphStyleProperty,
                  QVariantList{int(style->alignment), int(style->lineBreakMode), style->minimumLineHeight,
                               style->maximumLineHeight, style->lineHeightMultiple, style->lineSpacing,
                               style->paragraphSpacing, style->firstLineHeadIndent});
    return f;
}

std::optional<ParagraphStyle> paragraphStyleFromBlock(const QTextBlockFormat& f)
{
    const QVariantList l = f.property(ParagraphStyleProperty).toList();
    if (l.size() == 8) {
        ParagraphStyle p;
        p.alignment = ParagraphStyle::alignmentFromInt(l[0].toLongLong());
        p.lineBreakMode = ParagraphStyle::lineBreakModeFromInt(l[1].toLongLong());
        p.minimumLineHeight = l[2].toDouble();
        p.maximumLineHeight = l[3].toDouble();
        p.lineHeightMultiple = l[4].toDouble();
        p.lineSpacing = l[5].toDouble();
        p.paragraphSpacing = l[6].toDouble();
        p.firstLineHeadIndent = l[7].toDouble();
        return p;
    }
    if (!f.hasProperty(QTextFormat::BlockAlignment) && !f.hasProperty(QTextFormat::LineHeight))
        return std::nullopt;
    ParagraphStyle p;
    p.alignment = alignmentFromQt(f.alignment());
    if (f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() > 0)
        p.lineHeightMultiple = f.lineHeight() / 100.0;
    else if (f.lineHeightType() == QTextBlockFormat::MinimumHeight || f.lineHeightType() == QTextBlockFormat::FixedHeight)
        p.minimumLineHeight = f.lineHeight();
    return p;
}

TextAttributes attributesFromChar(const QTextCharFormat& f, const TextAttributes& defaults)
{
    TextAttributes a;
    if (f.hasProperty(FontNameProperty)) {
        a.font = Font(f.stringProperty(FontNameProperty), f.doubleProperty(FontSizeProperty));
    } else {
        const QStringList families = f.fontFamilies().toStringList();
        const Font base = defaults.fontOrDefault();
        const double size = f.fontPointSize() > 0 ? f.fontPointSize() : base.pointSize();
        Font font = families.isEmpty() ? Font(base.familyName(), size) : Font(families.front(), size);
        if (f.fontWeight() >= QFont::DemiBold)
            font = font.withTrait(FontTrait::Bold);
        if (f.fontItalic())
            font = font.withTrait(FontTrait::Italic);
        a.font = font;
    }
    if (auto c = colorFromList(f.property(ColorProperty)))
        a.foregroundColor = *c;
    else if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        a.foregroundColor = Color::fromQt(f.foreground().color());
    else
        a.foregroundColor = defaults.foregroundColor;
    if (f.hasProperty(BaselineOffsetProperty))
        a.baselineOffset = f.doubleProperty(BaselineOffsetProperty);
    const QVariantList s = f.property(ShadowProperty).toList();
    if (s.size() == 7) {
        Shadow shadow;
        shadow.offset = Size(s[0].toDouble(), s[1].toDouble());
        shadow.blur = s[2].toDouble();
        shadow.color = Color(s[3].toDouble(), s[4].toDouble(), s[5].toDouble(), s[6].toDouble());
        a.shadow = shadow;
    }
    return a;
}

} // namespace

std::unique_ptr<QTextDocument> textDocumentFromAttributedString(const AttributedString& text)
{
    auto document = std::make_unique<QTextDocument>();
    QTextCursor cursor(document.get());
    const QString& s = text.string();
    qsizetype at = 0;
    bool firstBlock = true;
    while (at <= s.size()) {
        qsizetype end = at;
        while (end < s.size() && s[end] != u'\n' && s[end] != QChar::ParagraphSeparator)
            ++end;
        const TextAttributes blockAttributes = text.attributesAtIndex(std::min(at, std::max<qsizetype>(0, s.size() - 1)));
        if (firstBlock)
            cursor.setBlockFormat(blockFormat(blockAttributes.paragraphStyle));
        else // the break before the block keeps its own attributes in the block's character format
            cursor.insertBlock(blockFormat(blockAttributes.paragraphStyle), charFormat(text.attributesAtIndex(at - 1)));
        firstBlock = false;
        for (qsizetype i = at; i < end;) {
            TextRange run;
            const TextAttributes a = text.attributesAtIndex(i, &run);
            const qsizetype stop = std::min(end, run.end());
            cursor.insertText(s.mid(i, stop - i), charFormat(a));
            i = stop;
        }
        if (end >= s.size())
            break;
        at = end + 1;
    }
    return document;
}

AttributedString attributedStringFromTextDocument(const QTextDocument& document, const TextAttributes& defaults)
{
    MutableAttributedString out;
    bool first = true;
    std::optional<ParagraphStyle> previousStyle = defaults.paragraphStyle;
    bool afterTable = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (QTextCursor(block).currentTable()) {
            afterTable = true; // tables are not text a shape holds
            continue;
        }
        // The empty block a document keeps after a table is no paragraph of its text.
        const bool structural = afterTable && block.length() <= 1;
        afterTable = false;
        if (structural)
            continue;
        const std::optional<ParagraphStyle> style = paragraphStyleFromBlock(block.blockFormat());
        if (!first) {
            TextAttributes a = attributesFromChar(block.charFormat(), defaults);
            a.paragraphStyle = previousStyle;
            out.append(AttributedString(QStringLiteral("\n"), a));
        }
        first = false;
        previousStyle = style ? style : defaults.paragraphStyle;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.charFormat().isImageFormat())
                continue;
            QString piece = fragment.text();
            piece.remove(QChar::ObjectReplacementCharacter);
            piece.replace(QChar::LineSeparator, u'\n');
            if (piece.isEmpty())
                continue;
            TextAttributes a = attributesFromChar(fragment.charFormat(), defaults);
            a.paragraphStyle = style ? style : defaults.paragraphStyle;
            out.append(AttributedString(piece, a));
        }
    }
    return out;
}

QString htmlFromAttributedString(const AttributedString& text)
{
    return textDocumentFromAttributedString(text)->toHtml();
}

AttributedString attributedStringFromHtml(const QString& html, const TextAttributes& defaults)
{
    QTextDocument document;
    document.setHtml(html);
    return attributedStringFromTextDocument(document, defaults);
}

} // namespace pf
