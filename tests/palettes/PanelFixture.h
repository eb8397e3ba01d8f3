// The inspector with the program's own panels for geometry, opacity, fill, stroke, text, arrows, pictures,
// loupe, redaction, path and curve (the other facets keep the framework fixture's test panels).
#pragma once

#include "InspectorFixture.h"

#include "palettes/ArrowFacet.h"
#include "palettes/FillFacet.h"
#include "palettes/GeometryFacet.h"
#include "palettes/ImageFacet.h"
#include "palettes/ShapeSettingsFacets.h"
#include "palettes/TextFacet.h"

#include "support/ReferencePicture.h"

#include <QComboBox>
#include <QDoubleSpinBox>

class PanelFixture : public InspectorFixture {
protected:
    void SetUp() override
    {
        InspectorFixture::SetUp();
        GeometryFacet::registerFacets();
        FillFacet::registerStyleFacets();
        TextFacet::registerFacets();
        ArrowFacet::registerFacet();
        ImageFacet::registerFacets();
        registerShapeSettingsFacets();
        inspector = makeInspector();
    }

    template <class W>
    W* outletOf(const char* facetName, const char* outlet) const
    {
        return dynamic_cast<W*>(facet(facetName).outlet(QString::fromLatin1(outlet)));
    }
    QDoubleSpinBox* field(const char* facetName, const char* outlet) const
    {
        return outletOf<QDoubleSpinBox>(facetName, outlet);
    }
    // The user picks the pop-up item of a tag.
    static void choose(QComboBox* popUp, int tag)
    {
        ASSERT_TRUE(popUp);
        const int index = popUp->findData(tag);
        ASSERT_GE(index, 0);
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
    }
    // The row of a facet as drawn, against tests/data/palettes/inspector-<state>.png.
    void expectRowMatches(const char* facetName, const char* state)
    {
        InspectorListItem* row = rowOf(facet(facetName));
        ASSERT_TRUE(row) << facetName;
        drainTurn();
        expectMatchesReferencePicture(row->grab().toImage(), QStringLiteral(QUORVEL_TEST_DATA "/palettes/inspector-")
                                                                 + QString::fromLatin1(state) + QStringLiteral(".png"));
    }
    // The user types a value into a field.
    static void type(QDoubleSpinBox* f, double value)
    {
        ASSERT_TRUE(f);
        f->setValue(value);
    }
};
