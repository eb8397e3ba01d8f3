#include "model/Rectangle.h"

QString RectangleClass::title() const { return pf::localized(QStringLiteral("Rectangle (R)")); }
QString RectangleClass::shortTitle() const { return pf::localized(QStringLiteral("Rectangle")); }
QString RectangleClass::longDescription() const { return pf::localized(QStringLiteral("A Rectangle.")); }
QString RectangleClass::extraSearchString() const { return QStringLiteral("rects squares boxes trapezoids uml state activity"); }
QString RectangleClass::negativeSearchString() const { return QStringLiteral(""); }

const RectangleClass& Rectangle::staticClass()
{
    static const RectangleClass c(QStringLiteral("Rectangle"), &Shape::staticClass(), &Shape::allocate<Rectangle>);
    return c;
}

void Rectangle::appendPath(pf::Path& path) const
{
    path.appendRect(frame());
}
