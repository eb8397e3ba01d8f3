#include "palettes/ShapeSettingsFacets.h"

#include "palettes/Facet.h"
#include "palettes/FacetControls.h"
#include "palettes/InspectorCells.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSlider>

#include <functional>

using namespace facetcontrols;

namespace {

const QString unlockedKey = QStringLiteral("selectionCompletelyUnlocked");

// One labelled number field on a panel of one row.
pf::View* numberPanel(Facet& facet, const char* title, const char* key, const char* outlet, const NumberFormat& format)
{
    pf::View* panel = makePanel(36);
    label(panel, QString::fromLatin1(title), pf::Rect(10, 7, 100, 22));
    QDoubleSpinBox* field = numberField(facet, panel, pf::Rect(132, 7, 80, 22), selected(key), format);
    enableWith(facet, unlockedKey, {field});
    facet.setOutlet(QString::fromLatin1(outlet), field);
    facet.setFirstKeyView(field);
    return panel;
}

// The curve of corners, 0 to 1; a drag is one undo step.
QSlider* curveSlider(Facet& facet, QWidget* panel, double y)
{
    label(panel, QStringLiteral("Curve"), pf::Rect(10, y, 60, 22));
    QSlider* slider = unitSlider(facet, panel, pf::Rect(72, y, 140, 22), selected("curveRatio"), 100,
                                 new PathCurveSlider(panel));
    groupSliderDrags(facet, slider);
    enableWith(facet, unlockedKey, {slider});
    facet.setOutlet(QStringLiteral("curveRatioSlider"), slider);
    return slider;
}

pf::View* buildPathPanel(Facet& facet)
{
    pf::View* panel = makePanel(62);
    label(panel, QStringLiteral("Corners"), pf::Rect(10, 6, 60, 22));
    QComboBox* type = popUp(facet, panel, pf::Rect(72, 6, 140, 22), selected("pathType"), {{"Straight", 0}, {"Rounded", 1}});
    enableWith(facet, unlockedKey, {type});
    facet.setOutlet(QStringLiteral("pathTypePopUpButton"), type);
    curveSlider(facet, panel, 34);
    facet.setFirstKeyView(type);
    return panel;
}

pf::View* buildCurvePanel(Facet& facet)
{
    pf::View* panel = makePanel(36);
    facet.setFirstKeyView(curveSlider(facet, panel, 7));
    return panel;
}

} // namespace

void registerShapeSettingsFacets()
{
    using Build = std::function<pf::View*(Facet&)>;
    const std::pair<const char*, Build> builders[] = {
        {"LoupeFacet",
         [](Facet& facet) {
             return numberPanel(facet, "Magnification", "zoomTargetScale", "zoomTargetScaleField",
                                NumberFormat{1, 100, 1, 0.5, QStringLiteral("×")});
         }},
        // The redaction's cells are its adjustment ratio, in points.
        {"RedactFacet",
         [](Facet& facet) {
             return numberPanel(facet, "Cell Size", "adjustmentRatioX", "cellSizeField",
                                NumberFormat{1, 200, 0, 1, QStringLiteral(" pt")});
         }},
        {"PathFacet", buildPathPanel},
        {"CurveFacet", buildCurvePanel},
    };
    for (const auto& [name, build] : builders)
        pf::registerViewBuilder(QString::fromLatin1(name), [build](pf::Responder* owner) -> pf::View* {
            auto* facet = dynamic_cast<Facet*>(owner);
            return facet ? build(*facet) : nullptr;
        });
}
