// The panels of three special kinds of shape: the loupe's magnification, the redaction's cell size, and the
// route of paths (straight or rounded corners, and how far their corners curve) and elbow lines (the curve
// alone). They are bound to the selection and have no code of their own beyond their builders.
#pragma once

// Registers the builders of the "LoupeFacet", "RedactFacet", "PathFacet" and "CurveFacet" files.
void registerShapeSettingsFacets();
