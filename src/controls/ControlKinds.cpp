#include "controls/ControlKinds.h"

#include "shapes/ShapeKinds.h"

void registerControlKinds(pf::ClassRegistry& registry)
{
    registerShapeKinds(registry);
}
