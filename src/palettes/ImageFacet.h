// The picture panel of shapes that carry an image: choose the picture, fit the shape to it, scale it to the
// shape, and place it with the anchor control or one of nine corner buttons. The image kind shows the same
// panel near the top (`ImageImageFacet`, which shares the panel's interface file and collapsed key).
//
// The anchor is the selection's "imageAnchorRatio": a point in fractions of the shape, (0, 0) its top-left
// and (1, 1) its bottom-right corner. A drag on the anchor control writes every move to the selection (the
// drag, press to release, is one undo step); a corner button writes its corner's point in one step. The
// grid shows the corner the anchor stands on as chosen, none when it stands between corners or the
// selected shapes differ. A scaled picture fills its shape and has no anchor: control and grid are disabled.
// Nothing acts while a selected shape is locked.
#pragma once

#include "palettes/Facet.h"

#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class AnchorButton;
class QAbstractButton;
class QVAnchorControl;

class ImageFacet : public Facet {
public:
    ImageFacet(InspectorViewController* inspector, const FacetClassInfo& info);

    void loadContentView() override;
    void startObservingObject(Manipulator* selection) override;
    void observeValueForSelectedObjectKeyPath(const QString& keyPath) override;

    // The window's picture chooser, for the selection.
    void browseForImage();
    // Fits the one selected shape to its picture; with Option held a scaled picture's shape takes half
    // its size.
    void sizeToFit(bool optionHeld);
    // After the scale check box wrote "scaleImage": the anchor follows at once.
    void scaleImage();
    // A corner button: the anchor to the corner's point, in one undo step.
    void anchorImage(std::int64_t corner);
    // Enables the controls for the selection (and its lock) and shows its anchor.
    void updateButtons();

    // The anchor's point for a corner (0, 0.5 or 1 on each axis; y from the top), and the corner a point
    // stands on (none, -1, between corners).
    static pf::Point ratioForCorner(std::int64_t corner);
    static std::int64_t cornerForRatio(const std::optional<pf::Point>& ratio);

    QAbstractButton* browseButton() const;
    QAbstractButton* sizeToFitButton() const;
    QAbstractButton* scaleButton() const;
    QVAnchorControl* anchorControl() const;
    AnchorButton* anchorButton(std::int64_t corner) const;
    // Set by the panel's builder.
    void setAnchorButton(std::int64_t corner, AnchorButton* button);

    // Registers "ImageFacet" and "ImageImageFacet" and the builder of their interface file.
    static void registerFacets();

private:
    // The selection's anchor, when its shapes agree on one.
    std::optional<pf::Point> selectedRatio() const;
    bool isScaled() const;
    // Shows the selection's anchor on the control (without writing it back) and in the grid.
    void showAnchor();
    void anchorControlDidMove();

    std::array<QPointer<AnchorButton>, 9> anchorButtons_;
    pf::ObservationToken anchorControlToken_;
    // Set while the panel itself moves the control's point.
    bool showingAnchor_ = false;
};
