#include "shapes/Text.h"

#include "geometry/QVRect.h"

QString TextClass::title() const { return pf::localized(QStringLiteral("Text (T)")); }
QString TextClass::shortTitle() const { return pf::localized(QStringLiteral("Text")); }
QString TextClass::longDescription() const { return pf::localized(QStringLiteral("A Text box")); }
QString TextClass::extraSearchString() const
{
    return QStringLiteral("strings inputs strs txt textboxes boxes uml state activity");
}
QString TextClass::negativeSearchString() const { return QStringLiteral(""); }

const QStringList& TextClass::facetClassNames() const
{
    static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("TextGeometryFacet"),
                                   QStringLiteral("TextTextFacet"), QStringLiteral("FillFacet"),
                                   QStringLiteral("StrokeFacet")};
    return names;
}

std::shared_ptr<Shape> TextClass::libraryListItemShapeWithFrame(const pf::Rect& frame) const
{
    auto shape = newShape(frame);
    shape->setTextAlign(2);
    pf::TextAttributes a = shape->textAttributes();
    a.font = pf::Font(QStringLiteral("Helvetica Bold"), 26);
    // The flat look of current systems: the library's stroke colour, no shadow under the letter.
    a.foregroundColor = libraryListItemShapeStrokeColor();
    shape->setTextShadowHidden(true);
    a.shadow.reset();
    shape->setAttributedText(pf::AttributedString(QStringLiteral("T"), a));
    shape->setTextShadowBlur(3.0);
    shape->setTextShadowOffsetX(2.0);
    shape->setTextShadowOffsetY(2.0);
    shape->setTextShadowColor(pf::Color(0.0, 0.0, 0.0, 0.25));
    return shape;
}

const TextClass& Text::staticClass()
{
    static const TextClass c(QStringLiteral("Text"), &Shape::staticClass(), &Shape::allocate<Text>);
    return c;
}

void Text::initWithFrame(const pf::Rect& frame)
{
    Shape::initWithFrame(frame);
    setAttributedText(pf::AttributedString(QStringLiteral("Text"), shapeClass().currentTextAttributes()));
}

void Text::appendPath(pf::Path& path) const
{
    path.appendRect(frame());
}

bool Text::isSnapable() const
{
    if (isSelected() || isHidden())
        return false;
    return textAlign() != 0 && textAlign() != 1;
}

pf::Rect Text::textRect() const
{
    // Made positive, not standardised: a handle dragged past the opposite side gives a negative width or
    // height, which standardising would turn into a one-point column; a turned box keeps its fractions.
    return QVRectGetNormalizedRect(frame());
}
