#include "palettes/FillFacet.h"

#include "manipulators/Manipulator.h"
#include "palettes/FacetControls.h"
#include "palettes/InspectorCells.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorViewController.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSlider>

#include <memory>

using namespace facetcontrols;

namespace {

const QString fillTypeKey = QStringLiteral("fillType");
const QString gradientElementsKey = QStringLiteral("fillGradientElements");
const QString unlockedKey = QStringLiteral("selectionCompletelyUnlocked");

std::int64_t integerOf(const pf::Variant& value)
{
    return value.get<std::int64_t>().value_or(0);
}

// Nothing selected: no colour panel, the type pop-up on its first item, every colour button off, disabled
// and empty.
void showNoSelection(Facet& facet, const char* popUpOutlet)
{
    if (auto* popUp = dynamic_cast<QComboBox*>(facet.outlet(QString::fromLatin1(popUpOutlet))))
        popUp->setCurrentIndex(0);
    clearColorButtons(facet);
}

pf::View* buildOpacityPanel(Facet& facet)
{
    pf::View* panel = makePanel(36);
    QSlider* slider = unitSlider(facet, panel, pf::Rect(10, 7, 120, 22), selected("opacity"), 100);
    QDoubleSpinBox* percent = numberField(facet, panel, pf::Rect(138, 7, 74, 22), selected("opacity"),
                                          NumberFormat{0, 100, 0, 1, QStringLiteral(" %"), 100});
    groupSliderDrags(facet, slider);
    enableWith(facet, unlockedKey, {slider, percent});
    facet.setOutlet(QStringLiteral("opacitySlider"), slider);
    facet.setOutlet(QStringLiteral("opacityField"), percent);
    facet.setFirstKeyView(percent);
    return panel;
}

// The fill panel: the type row, the gradient row (shown for gradient fills only), then the angle and
// shadow rows.
constexpr double gradientRowY = 34;
constexpr double gradientRowHeight = 38;
constexpr double gradientRowStep = gradientRowHeight + 6;
constexpr double belowRowsHeight = 54;

double fillPanelHeight(bool gradientShown)
{
    return gradientRowY + (gradientShown ? gradientRowStep : 0) + belowRowsHeight;
}

pf::View* buildFillPanel(FillFacet& facet)
{
    pf::View* panel = makePanel(fillPanelHeight(false));
    QComboBox* type = popUp(facet, panel, pf::Rect(10, 6, 140, 22), selected("fillType"),
                            {{"Color", 0}, {"Linear Gradient", 1}, {"Radial Gradient", 2}, {"None", 5}});
    enableWith(facet, unlockedKey, {type});
    facet.setOutlet(QStringLiteral("fillTypePopUpButton"), type);
    colorButton(facet, panel, pf::Rect(164, 6, 44, 22), 901, "fillColorButton");
    auto* gradient = new QVGradientControl(pf::Rect(10, gradientRowY, 200, gradientRowHeight), panel);
    facet.setOutlet(QStringLiteral("fillGradientControl"), gradient);
    gradient->hide();
    // The rows under the gradient move up into its place while it is hidden (FillFacet::showGradientRow).
    auto* below = new pf::View(pf::Rect(0, gradientRowY, panelWidth, belowRowsHeight), panel);
    facet.setOutlet(QStringLiteral("rowsBelowGradient"), below);
    label(below, QStringLiteral("Angle"), pf::Rect(10, 0, 60, 22));
    QDoubleSpinBox* angle = numberField(facet, below, pf::Rect(132, 0, 80, 22), selected("fillAngle"),
                                        NumberFormat{-360, 360, 0, 1, QStringLiteral("°")});
    facet.bindings().bindEnabled(*angle, facet, selected("fillType"), QStringLiteral("QVIsLinearGradientFillType"));
    shadowRow(facet, below, 26, "fillShadowHidden", 906);
    facet.setFirstKeyView(type);
    return panel;
}

pf::View* buildStrokePanel(Facet& facet)
{
    pf::View* panel = makePanel(140);
    QComboBox* type = popUp(facet, panel, pf::Rect(10, 6, 140, 22), selected("strokeType"),
                            {{"Solid", 0}, {"Dashed", 1}, {"Dotted", 2}, {"None", 3}});
    facet.setOutlet(QStringLiteral("strokeTypePopUpButton"), type);
    colorButton(facet, panel, pf::Rect(164, 6, 44, 22), 904, "strokeColorButton");
    label(panel, QStringLiteral("Width"), pf::Rect(10, 34, 60, 22));
    QDoubleSpinBox* width = numberField(facet, panel, pf::Rect(132, 34, 80, 22), selected("strokeLineWidth"),
                                        NumberFormat{0, 1000, 1, 1, QStringLiteral(" pt")});
    label(panel, QStringLiteral("Cap"), pf::Rect(10, 60, 40, 22));
    QWidget* cap = segments(facet, panel, pf::Rect(62, 60, 150, 22), selected("strokeLineCap"),
                            {{"Butt", 0}, {"Round", 1}, {"Square", 2}}, LineCapSegmentedCell::drawSegment);
    label(panel, QStringLiteral("Join"), pf::Rect(10, 86, 40, 22));
    QWidget* join = segments(facet, panel, pf::Rect(62, 86, 150, 22), selected("strokeLineJoin"),
                             {{"Miter", 0}, {"Round", 1}, {"Bevel", 2}}, LineJoinSegmentedCell::drawSegment);
    facet.setOutlet(QStringLiteral("strokeLineWidthField"), width);
    facet.setOutlet(QStringLiteral("strokeLineCapControl"), cap);
    facet.setOutlet(QStringLiteral("strokeLineJoinControl"), join);
    enableWith(facet, unlockedKey, {type, width, cap, join});
    shadowRow(facet, panel, 112, "strokeShadowHidden", 905);
    facet.setFirstKeyView(type);
    return panel;
}

} // namespace

// ---- fill ----

FillFacet::~FillFacet()
{
    if (QVGradientControl* control = fillGradientControl())
        control->setDelegate(nullptr);
}

QVGradientControl* FillFacet::fillGradientControl() const
{
    return dynamic_cast<QVGradientControl*>(outlet(QStringLiteral("fillGradientControl")));
}

QComboBox* FillFacet::fillTypePopUpButton() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("fillTypePopUpButton")));
}

void FillFacet::loadContentView()
{
    Facet::loadContentView();
    if (QVGradientControl* control = fillGradientControl()) {
        control->setDelegate(this);
        control->setAction([this](QVGradientControl& c) {
            showColorPanel(ColorPanelRequest{c.tag(), c.state(), c.selectedIndex(), nullptr});
        });
        control->setUndoManagerProvider([this] { return undoManagerOf(*this); });
    }
}

void FillFacet::startObservingObject(Manipulator* selection)
{
    if (!selection) {
        showNoSelection(*this, "fillTypePopUpButton");
        if (QVGradientControl* control = fillGradientControl())
            control->setEnabled(false);
        return;
    }
    const QStringList keys{fillTypeKey, QStringLiteral("fillColor"), gradientElementsKey,
                           QStringLiteral("fillShadowHidden"), QStringLiteral("fillShadowColor")};
    observeSelectedObjectKeyPaths(keys);
    for (const QString& key : keys)
        observeValueForSelectedObjectKeyPath(key);
}

void FillFacet::observeValueForSelectedObjectKeyPath(const QString& keyPath)
{
    Manipulator* selection = selectedObject();
    if (!selection)
        return;
    const bool unlocked = isSelectionCompletelyUnlocked();
    // The gradient is edited in one shape at a time, and never in a locked one.
    const bool gradientEditable = unlocked && !hasMultipleSelection();
    QVGradientControl* control = fillGradientControl();
    if (keyPath == QLatin1String("fillColor") || keyPath == QLatin1String("fillShadowColor")) {
        showColor(*this, keyPath);
    } else if (keyPath == gradientElementsKey) {
        if (control) {
            // The control edits its own copy; the selection hears of it through the delegate.
            control->setElements(gradientElementsFromVariant(selection->valueForKeyPath(gradientElementsKey)));
            control->setEnabled(gradientEditable);
        }
    } else if (keyPath == QLatin1String("fillShadowHidden")) {
        showShadowHidden(*this, keyPath);
    } else if (keyPath == fillTypeKey) {
        const std::int64_t type = integerOf(selection->valueForKeyPath(fillTypeKey));
        ColorButton* colorButton = colorButtonForKey(QStringLiteral("fillColor"));
        if (colorButton)
            turnOff(*this, *colorButton);
        const bool gradient = type >= 1 && type <= 4;
        if (colorButton) {
            colorButton->setVisible(!gradient);
            colorButton->setEnabled(type == 0 && unlocked);
        }
        if (control) {
            control->setVisible(gradient);
            control->setEnabled(gradient && gradientEditable);
            if (gradient)
                control->setElements(gradientElementsFromVariant(selection->valueForKeyPath(gradientElementsKey)));
        }
        showGradientRow(gradient);
    }
}

void FillFacet::showGradientRow(bool shown)
{
    QWidget* below = outlet(QStringLiteral("rowsBelowGradient"));
    pf::View* panel = isContentViewLoaded() ? contentView() : nullptr;
    if (!below || !panel)
        return;
    below->move(below->x(), int(gradientRowY + (shown ? gradientRowStep : 0)));
    const double height = fillPanelHeight(shown);
    if (height == contentViewHeight())
        return;
    pf::Rect frame = panel->frame();
    frame.size.height = height;
    panel->setFrame(frame);
    setContentViewHeight(height);
    if (InspectorViewController* palette = inspector())
        palette->facetHeightDidChange();
}

void FillFacet::gradientControlElementsDidChange(QVGradientControl& control)
{
    if (Manipulator* selection = selectedObject())
        selection->setValueForKeyPath(variantFromGradientElements(control.elements()), gradientElementsKey);
}

// ---- stroke ----

QComboBox* StrokeFacet::strokeTypePopUpButton() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("strokeTypePopUpButton")));
}

void StrokeFacet::startObservingObject(Manipulator* selection)
{
    if (!selection) {
        showNoSelection(*this, "strokeTypePopUpButton");
        return;
    }
    observeSelectedObjectKeyPaths({QStringLiteral("strokeColor"), QStringLiteral("strokeType"),
                                   QStringLiteral("strokeShadowHidden"), QStringLiteral("strokeShadowColor")});
    for (const char* key : {"strokeType", "strokeColor", "strokeShadowHidden", "strokeShadowColor"})
        observeValueForSelectedObjectKeyPath(QString::fromLatin1(key));
}

void StrokeFacet::observeValueForSelectedObjectKeyPath(const QString& keyPath)
{
    Manipulator* selection = selectedObject();
    if (!selection)
        return;
    if (keyPath == QLatin1String("strokeColor") || keyPath == QLatin1String("strokeShadowColor")) {
        showColor(*this, keyPath);
    } else if (keyPath == QLatin1String("strokeShadowHidden")) {
        showShadowHidden(*this, keyPath);
    } else if (keyPath == QLatin1String("strokeType")) {
        if (ColorButton* button = colorButtonForKey(QStringLiteral("strokeColor"))) {
            turnOff(*this, *button);
            button->setEnabled(isSelectionCompletelyUnlocked() && integerOf(selection->valueForKeyPath(keyPath)) != 3);
        }
    }
}

// ---- registration ----

void FillFacet::registerStyleFacets()
{
    FacetRegistry::registerMaker(QStringLiteral("FillFacet"), [](InspectorViewController* inspector, const FacetClassInfo& info) {
        return std::make_shared<FillFacet>(inspector, info);
    });
    FacetRegistry::registerMaker(QStringLiteral("StrokeFacet"),
                                 [](InspectorViewController* inspector, const FacetClassInfo& info) {
                                     return std::make_shared<StrokeFacet>(inspector, info);
                                 });
    pf::registerViewBuilder(QStringLiteral("OpacityFacet"), [](pf::Responder* owner) -> pf::View* {
        auto* facet = dynamic_cast<Facet*>(owner);
        return facet ? buildOpacityPanel(*facet) : nullptr;
    });
    pf::registerViewBuilder(QStringLiteral("FillFacet"), [](pf::Responder* owner) -> pf::View* {
        auto* facet = dynamic_cast<FillFacet*>(owner);
        return facet ? buildFillPanel(*facet) : nullptr;
    });
    pf::registerViewBuilder(QStringLiteral("StrokeFacet"), [](pf::Responder* owner) -> pf::View* {
        auto* facet = dynamic_cast<Facet*>(owner);
        return facet ? buildStrokePanel(*facet) : nullptr;
    });
}
