#include "palettes/ImageFacet.h"

#include "canvas/Canvas.h"
#include "canvas/CanvasServices.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorViewController.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Menu.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "shell/AnchorButton.h"
#include "shell/QVAnchorControl.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace facetcontrols;

namespace {

const QString scaleImageKey = QStringLiteral("scaleImage");
const QString imageKey = QStringLiteral("image");
const QString anchorRatioKey = QStringLiteral("imageAnchorRatio");
const QString anchorAction = QStringLiteral("anchorImage:");

constexpr double gridButtonSide = 24;

pf::View* buildImagePanel(ImageFacet& facet)
{
    pf::View* panel = makePanel(166);
    auto* browse = new QPushButton(QStringLiteral("Choose…"), panel);
    browse->setGeometry(10, 6, 96, 24);
    QObject::connect(browse, &QPushButton::clicked, browse, [&facet] { facet.browseForImage(); });
    facet.setOutlet(QStringLiteral("browseButton"), browse);

    auto* fit = new QPushButton(QStringLiteral("Size to Fit"), panel);
    fit->setGeometry(114, 6, 96, 24);
    QObject::connect(fit, &QPushButton::clicked, fit, [&facet] {
        // The button's click carries no event of ours: the keys held now stand for it (Alt is Option).
        facet.sizeToFit(QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier));
    });
    facet.setOutlet(QStringLiteral("sizeToFitButton"), fit);

    // The check box writes "scaleImage" through its binding; the facet then brings the anchor up to date.
    QCheckBox* scale = checkBox(facet, panel, pf::Rect(10, 36, 200, 22), QStringLiteral("Scale to Fit"),
                                selected("scaleImage"));
    QObject::connect(scale, &QCheckBox::clicked, scale, [&facet] { facet.scaleImage(); });
    facet.setOutlet(QStringLiteral("scaleButton"), scale);

    label(panel, QStringLiteral("Anchor"), pf::Rect(10, 62, 100, 18));
    auto* control = new QVAnchorControl(pf::Rect(10, 80, 80, 80), panel);
    facet.setOutlet(QStringLiteral("anchorControl"), control);

    // The grid beside it, level with the control's well; each button's tag is its corner.
    const double gridX = 118, gridY = 80 + 40 - 1.5 * gridButtonSide;
    for (std::int64_t corner = QVRectCornerTopLef; corner <= QVRectCornerBotRit; ++corner) {
        auto* button = new AnchorButton(pf::Rect(gridX + gridButtonSide * double(corner % 3),
                                                 gridY + gridButtonSide * double(corner / 3), gridButtonSide,
                                                 gridButtonSide),
                                        panel);
        button->setTag(corner);
        button->setAction(anchorAction, &facet);
        facet.setAnchorButton(corner, button);
    }
    facet.setFirstKeyView(browse);
    facet.setLastKeyView(scale);
    return panel;
}

bool sameFraction(double a, double b)
{
    // Fractions of the shape, within a few units of rounding of their own size.
    return std::abs(a - b) <= 8 * std::numeric_limits<double>::epsilon() * std::max({1.0, std::abs(a), std::abs(b)});
}

} // namespace

ImageFacet::ImageFacet(InspectorViewController* inspector, const FacetClassInfo& info) : Facet(inspector, info)
{
    setAction(anchorAction, [this](const pf::MenuItem* sender) {
        if (sender)
            anchorImage(sender->tag());
    });
}

// ---- outlets ----

QAbstractButton* ImageFacet::browseButton() const
{
    return dynamic_cast<QAbstractButton*>(outlet(QStringLiteral("browseButton")));
}

QAbstractButton* ImageFacet::sizeToFitButton() const
{
    return dynamic_cast<QAbstractButton*>(outlet(QStringLiteral("sizeToFitButton")));
}

QAbstractButton* ImageFacet::scaleButton() const
{
    return dynamic_cast<QAbstractButton*>(outlet(QStringLiteral("scaleButton")));
}

QVAnchorControl* ImageFacet::anchorControl() const
{
    return dynamic_cast<QVAnchorControl*>(outlet(QStringLiteral("anchorControl")));
}

AnchorButton* ImageFacet::anchorButton(std::int64_t corner) const
{
    return corner >= 0 && corner < std::int64_t(anchorButtons_.size()) ? anchorButtons_[std::size_t(corner)].data()
                                                                        : nullptr;
}

void ImageFacet::setAnchorButton(std::int64_t corner, AnchorButton* button)
{
    if (corner >= 0 && corner < std::int64_t(anchorButtons_.size()))
        anchorButtons_[std::size_t(corner)] = button;
}

// ---- the panel and the selection ----

void ImageFacet::loadContentView()
{
    Facet::loadContentView();
    if (QVAnchorControl* control = anchorControl()) {
        // A drag, press to release, is one step of the page's undo.
        control->setUndoManagerProvider([this] { return undoManagerOf(*this); });
        anchorControlToken_ = control->addObserver(QStringLiteral("ratioPoint"),
                                                   [this](pf::Object&, const QString&, pf::ChangePhase phase) {
                                                       if (phase == pf::ChangePhase::Did)
                                                           anchorControlDidMove();
                                                   });
    }
    updateButtons();
}

void ImageFacet::startObservingObject(Manipulator* selection)
{
    if (selection)
        observeSelectedObjectKeyPaths({scaleImageKey, imageKey, anchorRatioKey});
    updateButtons();
}

void ImageFacet::observeValueForSelectedObjectKeyPath(const QString& keyPath)
{
    if (keyPath == scaleImageKey || keyPath == imageKey || keyPath == anchorRatioKey)
        updateButtons();
}

std::optional<pf::Point> ImageFacet::selectedRatio() const
{
    const Manipulator* selection = selectedObject();
    return selection ? selection->valueForKeyPath(anchorRatioKey).get<pf::Point>() : std::nullopt;
}

bool ImageFacet::isScaled() const
{
    // A mix of scaled and unscaled pictures counts as unscaled: the unscaled ones have an anchor.
    const Manipulator* selection = selectedObject();
    return selection && selection->valueForKeyPath(scaleImageKey).get<bool>().value_or(false);
}

void ImageFacet::updateButtons()
{
    const bool selected = selectedObject() != nullptr;
    const bool unlocked = selected && isSelectionCompletelyUnlocked();
    if (QAbstractButton* browse = browseButton())
        browse->setEnabled(unlocked);
    if (QAbstractButton* fit = sizeToFitButton())
        fit->setEnabled(unlocked && selectedObject()->hasSingle());
    if (QAbstractButton* scale = scaleButton())
        scale->setEnabled(unlocked);
    const bool anchored = unlocked && !isScaled();
    if (QVAnchorControl* control = anchorControl())
        control->setEnabled(anchored);
    for (const auto& button : anchorButtons_)
        if (button)
            button->setEnabled(anchored);
    showAnchor();
}

void ImageFacet::showAnchor()
{
    const std::optional<pf::Point> ratio = selectedRatio();
    if (QVAnchorControl* control = anchorControl(); control && ratio && control->ratioPoint() != *ratio) {
        showingAnchor_ = true;
        control->setRatioPoint(*ratio);
        showingAnchor_ = false;
        control->setNeedsDisplay();
    }
    const std::int64_t corner = cornerForRatio(ratio);
    for (const auto& button : anchorButtons_)
        if (button)
            button->setAnchorCorner(corner);
}

void ImageFacet::anchorControlDidMove()
{
    if (showingAnchor_)
        return;
    QVAnchorControl* control = anchorControl();
    Manipulator* selection = selectedObject();
    if (!control || !selection || !isSelectionCompletelyUnlocked() || isScaled())
        return;
    selection->setValueForKeyPath(pf::Variant(control->ratioPoint()), anchorRatioKey);
    showAnchor();
}

// ---- actions ----

void ImageFacet::browseForImage()
{
    if (!selectedObject() || !isSelectionCompletelyUnlocked())
        return;
    Canvas* canvas = inspector() ? inspector()->canvas() : nullptr;
    if (CanvasWindow* window = canvas ? canvas->canvasWindow() : nullptr)
        window->browseForImage();
}

void ImageFacet::sizeToFit(bool optionHeld)
{
    Manipulator* selection = selectedObject();
    // The button is there for one shape: a fit of several would pile them on their centres' sizes at once.
    if (!selection || !selection->hasSingle() || !isSelectionCompletelyUnlocked())
        return;
    {
        pf::UndoGrouping group(undoManagerOf(*this));
        selection->sizeToFitImage(optionHeld);
    }
    if (inspector())
        inspector()->setNeedsUpdate();
}

void ImageFacet::scaleImage()
{
    if (isSelectionCompletelyUnlocked())
        updateButtons();
}

void ImageFacet::anchorImage(std::int64_t corner)
{
    Manipulator* selection = selectedObject();
    // The corner buttons place the anchor the model keeps: its point, not a corner number.
    if (!selection || corner < QVRectCornerTopLef || corner > QVRectCornerBotRit || !isSelectionCompletelyUnlocked()
        || isScaled())
        return;
    {
        pf::UndoGrouping group(undoManagerOf(*this));
        selection->setValueForKeyPath(pf::Variant(ratioForCorner(corner)), anchorRatioKey);
    }
    updateButtons();
}

pf::Point ImageFacet::ratioForCorner(std::int64_t corner)
{
    if (corner < QVRectCornerTopLef || corner > QVRectCornerBotRit)
        return {0.5, 0.5};
    return {0.5 * double(corner % 3), 0.5 * double(corner / 3)};
}

std::int64_t ImageFacet::cornerForRatio(const std::optional<pf::Point>& ratio)
{
    if (!ratio)
        return QVRectCornerNone;
    for (std::int64_t corner = QVRectCornerTopLef; corner <= QVRectCornerBotRit; ++corner) {
        const pf::Point point = ratioForCorner(corner);
        if (sameFraction(point.x, ratio->x) && sameFraction(point.y, ratio->y))
            return corner;
    }
    return QVRectCornerNone;
}

// ---- registration ----

void ImageFacet::registerFacets()
{
    const auto make = [](InspectorViewController* inspector, const FacetClassInfo& info) -> std::shared_ptr<Facet> {
        return std::make_shared<ImageFacet>(inspector, info);
    };
    FacetRegistry::registerMaker(QStringLiteral("ImageFacet"), make);
    FacetRegistry::registerMaker(QStringLiteral("ImageImageFacet"), make);
    pf::registerViewBuilder(QStringLiteral("ImageFacet"), [](pf::Responder* owner) -> pf::View* {
        auto* facet = dynamic_cast<ImageFacet*>(owner);
        return facet ? buildImagePanel(*facet) : nullptr;
    });
}
