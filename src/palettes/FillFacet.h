// The style panels: opacity, fill and stroke of the selection. Fill and stroke observe the selection's
// style keys and set up their colour buttons and the gradient editor from them; the rest of each panel
// (type pop-ups, widths, check boxes) is bound by key path.
#pragma once

#include "palettes/Facet.h"
#include "palettes/QVGradientControl.h"

class QComboBox;

class FillFacet : public Facet, public GradientControlDelegate {
public:
    FillFacet(InspectorViewController* inspector, const FacetClassInfo& info) : Facet(inspector, info) {}
    ~FillFacet() override;

    // Makes itself the gradient control's delegate and target.
    void loadContentView() override;
    void startObservingObject(Manipulator* selection) override;
    void observeValueForSelectedObjectKeyPath(const QString& keyPath) override;
    void gradientControlElementsDidChange(QVGradientControl& control) override;

    QVGradientControl* fillGradientControl() const;
    QComboBox* fillTypePopUpButton() const;
    bool maskItemVisible() const { return false; }

    // Registers the opacity, fill and stroke facets and the builders of their interface files.
    static void registerStyleFacets();

private:
    // Closes up the panel where the gradient row stands while it is hidden, and opens it again.
    void showGradientRow(bool shown);
};

class StrokeFacet : public Facet {
public:
    using Facet::Facet;
    void startObservingObject(Manipulator* selection) override;
    void observeValueForSelectedObjectKeyPath(const QString& keyPath) override;
    QComboBox* strokeTypePopUpButton() const;
};

