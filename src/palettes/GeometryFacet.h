// The geometry panels: position and size of the selection (its position in ruler coordinates, as the
// selection answers it), rotation, the proportion constraint and each kind's own values (polygon sides,
// size to fit for text, flips for arcs and elbow lines). One class per kind of panel; they share one
// collapsed key, so the inspector shows one of them.
//
// Every geometry edit obeys one lock rule: nothing selected is locked and the selection is not inside a
// group. The panels' fields are enabled by it ("selectionCompletelyUnlocked" answers it for these facets)
// and the actions do nothing without it.
#pragma once

#include "palettes/Facet.h"

class GeometryFacet : public Facet {
public:
    GeometryFacet(InspectorViewController* inspector, const FacetClassInfo& info) : Facet(inspector, info) {}

    const pf::PropertyTable& propertyTable() const override;

    // Unlocked and not grouped.
    bool isGeometryEditable() const;
    // The size fields also need a selection whose size may be typed.
    bool isGeometrySizeEditable() const { return isGeometryEditable() && isSizeEditable(); }

    // Registers the classes' makers and the builders of their interface files.
    static void registerFacets();
};

// Text and title boxes: `sizeToFit` fits the boxes to their text; Option passes YES (fit the width too).
class TextGeometryFacet : public GeometryFacet {
public:
    using GeometryFacet::GeometryFacet;
    void sizeToFit(bool optionHeld);
};

// Arcs and elbow lines: flipping reads the selection's "flipped" (a mixed value as NO) and writes its
// negation to every selected shape.
class FlipGeometryFacet : public GeometryFacet {
public:
    using GeometryFacet::GeometryFacet;
    void flipArc() { flip(); }
    void flipSegmentedLine() { flip(); }

private:
    void flip();
};
