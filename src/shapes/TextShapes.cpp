#include "shapes/Text.h"

#include "platform/foundation/ClassRegistry.h"

void registerTextShapes(pf::ClassRegistry& registry)
{
    registry.add(Text::staticClass());
}
