// Every style layer that paints beyond a shape's frame at once: a thick mitred stroke, offset fill and
// stroke shadows, text with descenders, accents and a shadow, and a turn. Tests of where shapes paint use it.
#pragma once

#include "model/Shape.h"
#include "platform/text/AttributedString.h"

inline void styleHeavily(Shape& shape)
{
    shape.setStrokeType(0);
    shape.setStrokeLineWidth(7);
    shape.setStrokeLineJoin(0);
    shape.setFillShadowHidden(false);
    shape.setFillShadowBlur(10);
    shape.setFillShadowOffsetX(6);
    shape.setFillShadowOffsetY(-9);
    shape.setStrokeShadowHidden(false);
    shape.setStrokeShadowBlur(6);
    shape.setAttributedText(pf::AttributedString(QStringLiteral("Hgy ÅÉ fij\nHgy ÅÉ fij"), shape.textAttributes()));
    shape.setTextShadowHidden(false);
    shape.setTextShadowBlur(4);
    shape.setTextShadowOffsetX(-3);
    shape.setRotationAngle(30);
}
