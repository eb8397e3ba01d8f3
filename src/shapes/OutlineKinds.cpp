#include "shapes/OutlineKinds.h"

#include "shapes/FixedCurveOutlines.h"
#include "shapes/RatioOutlines.h"
#include "shapes/SimpleOutlines.h"
#include "shapes/StarPolygonCylinder.h"
#include "shapes/Swoosh.h"

#include "platform/foundation/ClassRegistry.h"

void registerOutlineShapes(pf::ClassRegistry& registry)
{
    for (const ShapeClass* kind :
         {&RoundRectangle::staticClass(), &Ellipse::staticClass(), &Triangle::staticClass(),
          &RightTriangle::staticClass(), &Diamond::staticClass(), &Home::staticClass(), &Parallelogram::staticClass(),
          &Input::staticClass(), &DoubleInput::staticClass(), &Star::staticClass(), &PolygonShape::staticClass(),
          &Cylinder::staticClass(), &Arrow::staticClass(), &DoubleArrow::staticClass(), &Note::staticClass(),
          &Folder::staticClass(), &Box::staticClass(), &Pie::staticClass(), &Swoosh::staticClass(),
          &Man::staticClass(), &Tearaway::staticClass(), &DoubleTearaway::staticClass(), &Cloud::staticClass(),
          &Bracket::staticClass(), &Blob::staticClass(), &Fan::staticClass()})
        registry.add(*kind);
}
