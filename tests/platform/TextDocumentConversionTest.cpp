// Attributed strings through Qt's rich-text documents and back: exact for what our text holds, and what
// a document from elsewhere keeps.
#include "platform/text/TextDocumentConversion.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

pf::TextAttributes styled(const char* font, double size, pf::Color color = pf::Color::black())
{
    pf::TextAttributes a;
    a.font = pf::Font(QString::fromLatin1(font), size);
    a.foregroundColor = color;
    return a;
}

} // namespace

TEST(TextDocumentConversionTest, OurTextComesBackEqualAttributesIncluded)
{
    pf::ParagraphStyle centred;
    centred.alignment = pf::TextAlignment::Center;
    centred.minimumLineHeight = 18.5;
    centred.lineSpacing = 2;
    pf::ParagraphStyle right;
    right.alignment = pf::TextAlignment::Right;
    right.lineHeightMultiple = 1.25;
    pf::TextAttributes shadowed = styled("Times-Bold", 17.5, pf::Color(0.1, 0.2, 0.3, 0.4));
    shadowed.shadow = pf::Shadow{pf::Size(1, -2), 3, pf::Color(0, 0, 0, 0.5)};
    shadowed.paragraphStyle = centred;
    pf::TextAttributes raised = styled("Helvetica-Oblique", 9);
    raised.baselineOffset = 4.5;
    raised.paragraphStyle = centred;
    pf::TextAttributes second = styled("Courier", 12, pf::Color(1, 0, 0, 1));
    second.paragraphStyle = right;

    std::vector<pf::AttributedString> cases;
    cases.emplace_back(QStringLiteral("plain"), styled("Helvetica", 12));
    {
        pf::MutableAttributedString mixed(QStringLiteral("shadow "), shadowed);
        mixed.append(pf::AttributedString(QStringLiteral("up"), raised));
        mixed.append(pf::AttributedString(QStringLiteral("\n"), raised));
        mixed.append(pf::AttributedString(QStringLiteral("next 漢字"), second));
        cases.push_back(mixed);
    }
    // Empty paragraphs, and a break at the start and at the end.
    cases.emplace_back(QStringLiteral("\na\n\nb\n"), second);
    cases.emplace_back(QString(), pf::TextAttributes());

    for (const pf::AttributedString& text : cases) {
        SCOPED_TRACE(text.string().toStdString());
        const auto document = pf::textDocumentFromAttributedString(text);
        EXPECT_EQ(document->toPlainText(), text.string());
        EXPECT_EQ(pf::attributedStringFromTextDocument(*document), text);
    }
}

TEST(TextDocumentConversionTest, RichTextFromElsewhereKeepsTextAndStylesButNoPicturesOrTables)
{
    const pf::TextAttributes defaults = styled("Helvetica", 12, pf::Color(0, 0, 1, 1));
    const pf::AttributedString text = pf::attributedStringFromHtml(
        QStringLiteral("<p align=\"center\"><span style=\"font-family:'Nimbus Roman'; font-size:20pt; color:#ff0000\">"
                       "<b>Big</b></span><img src=\"missing.png\"/> <i>it</i> plain</p>"
                       "<table><tr><td>cell</td></tr></table><p>after</p>"),
        defaults);
    EXPECT_EQ(text.string(), QStringLiteral("Big it plain\nafter"));
    const pf::TextAttributes big = text.attributesAtIndex(0);
    ASSERT_TRUE(big.font);
    EXPECT_EQ(big.font->substituteFamily(), pf::Font(QStringLiteral("Times-Roman"), 20).substituteFamily());
    EXPECT_EQ(big.font->pointSize(), 20);
    EXPECT_TRUE(big.font->isBold());
    EXPECT_EQ(big.foregroundColor, pf::Color(1, 0, 0, 1));
    EXPECT_EQ(big.paragraphStyleOrDefault().alignment, pf::TextAlignment::Center);
    EXPECT_TRUE(text.attributesAtIndex(4).font->isItalic());
    // What the page does not say comes from the defaults.
    const pf::TextAttributes after = text.attributesAtIndex(text.length() - 1);
    EXPECT_EQ(after.foregroundColor, defaults.foregroundColor);
    EXPECT_EQ(after.font->pointSize(), 12);
}
