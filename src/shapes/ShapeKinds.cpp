#include "shapes/ShapeKinds.h"

#include "model/ShapeClass.h"
#include "shapes/Line.h"
#include "shapes/OutlineKinds.h"
#include "platform/foundation/ClassRegistry.h"

void registerShapeKinds(pf::ClassRegistry& registry)
{
    registerShapeClasses(registry);
    registerOutlineShapes(registry);
    registerConnectorShapes(registry);
}
