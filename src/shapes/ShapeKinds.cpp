#include "shapes/ShapeKinds.h"

#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "shapes/Text.h"

void registerShapeKinds(pf::ClassRegistry& registry)
{
    registerShapeClasses(registry);
    registerTextShapes(registry);
}
