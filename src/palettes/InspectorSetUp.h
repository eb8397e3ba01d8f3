// Start-up of the inspector: its interface file, the value transformers its panels bind through, and the
// colour dialog that stands for the shared colour panel on screen.
#pragma once

// Once, after the settings' built-in values are in place (they are from the first read on). Also registers
// the facets that have panels of their own (geometry, opacity, fill, stroke, text, arrows, picture, loupe,
// redaction, path and curve) and their interface files.
void registerInspector();

// Until a facet's own panel is built, its interface file answers no view: the row is a header alone.
// Files that already have a builder keep it.
void registerPendingFacetInterfaceFiles();

// Shows the shared colour panel as a colour dialog with alpha, which hands the user's choices back.
void installInspectorColorDialog();
