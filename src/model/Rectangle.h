// The plain rectangular shape (the R tool) and the base of every container.
#pragma once

#include "model/Shape.h"

class RectangleClass : public ShapeClass {
public:
    using ShapeClass::ShapeClass;
    QString title() const override;
    QString shortTitle() const override;
    QString longDescription() const override;
    QString extraSearchString() const override;
    QString negativeSearchString() const override;
};

class Rectangle : public Shape {
public:
    static const RectangleClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The frame's rectangle.
    void appendPath(pf::Path& path) const override;
};
