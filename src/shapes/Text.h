// The text box of the library: a rectangle whose whole frame holds its text, with no pads. It is not a
// path to convert or combine; its fill, stroke and shadows are those of any shape.
#pragma once

#include "model/Shape.h"

namespace pf {
class ClassRegistry;
}

class TextClass : public ShapeClass {
public:
    using ShapeClass::ShapeClass;
    QString title() const override;
    QString shortTitle() const override;
    QString longDescription() const override;
    QString extraSearchString() const override;
    QString negativeSearchString() const override;
    const QStringList& facetClassNames() const override;
    // Text boxes keep a sticky style of their own.
    QString stickyPhylumName() const override { return stickyTypeName(); }
    // A large centred "T" in the library's stroke colour, with a soft shadow.
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override;
};

class Text : public Shape {
public:
    static const TextClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A new box holds "Text" in the family's current font and colour.
    void initWithFrame(const pf::Rect& frame) override;

    void appendPath(pf::Path& path) const override;
    // Left- and right-aligned boxes are no snap targets: their text edge, not their frame, is what the
    // user lines up.
    bool isSnapable() const override;
    bool isText() const override { return true; }
    bool canConvertToBezier() const override { return false; }
    bool canInvert() const override { return false; }
    bool canIntersect() const override { return false; }
    pf::Size defaultTextPadSize() const override { return {0, 0}; }
    pf::Size textPadSize() const override { return {0, 0}; }
    // The whole frame, standardised; the stroke takes nothing from it.
    pf::Rect textRect() const override;
    // Without a stroke a dropped colour recolours the text (2), else it fills the box (0).
    int dropColorType() const override { return strokeType() == 3 ? 2 : 0; }
};

// Registers Text, TitleBox and ResizeText.
void registerTextShapes(pf::ClassRegistry& registry);
