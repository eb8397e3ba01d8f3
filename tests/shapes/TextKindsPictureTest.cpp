// The reference picture of the text kinds: a text box, a title box and a resizing text with a halo,
// drawn as an export draws them and compared with tests/data/shapes/text-kinds.png within a tolerance
// (antialiasing and glyph rasterisation may differ slightly between font builds).
//
// After an intended change of the drawing (or of the fonts' metrics), rewrite the picture with
//     QUORVEL_WRITE_REFERENCE_PICTURES=1 build/test/tests/shapes_tests --gtest_filter='*ReferencePicture*'
// and look at it before committing it.
#include "TextShapesTestSupport.h"

#include "shapes/ResizeText.h"
#include "shapes/TitleBox.h"
#include "support/ReferencePicture.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cstdlib>

namespace {

const QString referencePath = QStringLiteral(QUORVEL_TEST_DATA "/shapes/text-kinds.png");

pf::TextAttributes helvetica(double size, const pf::Color& color)
{
    pf::TextAttributes a;
    a.font = pf::Font(QStringLiteral("Helvetica"), size);
    a.foregroundColor = color;
    return a;
}

void plainStyle(Shape& shape)
{
    shape.setFillShadowHidden(true);
    shape.setStrokeShadowHidden(true);
    shape.setTextShadowHidden(true);
    shape.setStrokeType(0);
    shape.setStrokeLineWidth(1);
    shape.setStrokeColor(pf::Color(0.2, 0.2, 0.2, 1));
}

TEST_F(TextShapesTest, TextKindsMatchTheirReferencePicture)
{
    canvasPage.exporting = true;
    const pf::Color ink(0.1, 0.1, 0.3, 1);

    auto text = onPage<Text>(pf::Rect(10, 10, 120, 44));
    plainStyle(*text);
    text->setFillType(0);
    text->setFillColor(pf::Color(1, 0.95, 0.7, 1));
    text->setTextAlign(2);
    text->setAttributedText(pf::AttributedString(QStringLiteral("Text box\nin two lines"), helvetica(13, ink)));
    text->clearTextAttributes();

    auto box = onPage<TitleBox>(pf::Rect(150, 10, 140, 100));
    plainStyle(*box);
    box->setFillType(0);
    box->setFillColor(pf::Color(1, 1, 1, 1));
    box->setStrokeColor(pf::Color(0.25, 0.52, 0.84, 1));
    box->setAdjustmentRatioX(0.1);
    pf::TextAttributes bold = helvetica(13, pf::Color::white());
    bold.font = bold.font->withTrait(pf::FontTrait::Bold);
    box->setAttributedText(pf::AttributedString(QStringLiteral("Account"), bold));
    const pf::AttributedString body(QStringLiteral("name\nbalance\nopen()"), helvetica(12, ink));
    box->setAttributedText1(&body);
    box->clearTextAttributes();

    auto resizing = onPage<ResizeText>(pf::Rect(10, 66, 120, 40));
    plainStyle(*resizing);
    resizing->setFillType(0);
    resizing->setStrokeColor(pf::Color(0.8, 0.1, 0.1, 1));
    resizing->setStroke1Color(pf::Color(1, 0.85, 0.2, 1));
    resizing->setStroke1Enabled(true);
    resizing->setAttributedText(pf::AttributedString(QStringLiteral("Halo"), helvetica(12, ink)));
    resizing->clearTextAttributes();

    pf::BitmapContext context(pf::Size(300, 120), 1.0, true, false);
    for (Shape* shape : {static_cast<Shape*>(text.get()), static_cast<Shape*>(box.get()), static_cast<Shape*>(resizing.get())})
        shape->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    const QImage drawn = context.bitmap().convertToFormat(QImage::Format_ARGB32);

    expectMatchesReferencePicture(drawn, referencePath);
}

} // namespace
