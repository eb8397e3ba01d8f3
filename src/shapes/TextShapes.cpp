#include "shapes/Text.h"

#include "platform/foundation/ClassRegistry.h"
#include "shapes/ResizeText.h"
#include "shapes/TitleBox.h"

void registerTextShapes(pf::ClassRegistry& registry)
{
    registry.add(Text::staticClass());
    registry.add(TitleBox::staticClass());
    registry.add(ResizeText::staticClass());
}
