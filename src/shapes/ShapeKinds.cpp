#include "shapes/ShapeKinds.h"

#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "shapes/BentLines.h"
#include "shapes/Bezier.h"
#include "shapes/Brush.h"
#include "shapes/Callout.h"
#include "shapes/Line.h"
#include "shapes/OutlineKinds.h"
#include "shapes/PictureKinds.h"
#include "shapes/SmartPath.h"
#include "shapes/Text.h"

void registerShapeKinds(pf::ClassRegistry& registry)
{
    registerShapeClasses(registry);
    registerOutlineShapes(registry);
    registerTextShapes(registry);
    registerPictureShapes(registry);
    registerBrushShapes(registry);
    registerConnectorShapes(registry);
    registerBentLineShapes(registry);
    registerCalloutShape(registry);
    registerBezierShapes(registry);
    registerPathShapes(registry);
}
