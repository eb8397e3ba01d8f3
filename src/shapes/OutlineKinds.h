// Registration of the parametric outline kinds (SimpleOutlines, StarPolygonCylinder, RatioOutlines,
// Swoosh, FixedCurveOutlines), so stored documents and the library can name them.
#pragma once

namespace pf {
class ClassRegistry;
}

void registerOutlineShapes(pf::ClassRegistry& registry);
