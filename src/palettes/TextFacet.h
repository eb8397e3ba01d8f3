// The text panels: appearance, font, colour, alignment and text shadow of the selection. `TextFacet` is the
// general one; the text box's, the title box's, the resizing text's and the line's panels adapt it (one of
// them is shown: they share a collapsed key). The resizing text's shadow controls edit its fill shadow, and
// the line's panel places the label across the line, along its path, or hidden until edited.
//
// Font changes made in the font panel do not come back here: they travel the action path to the canvas's
// changeFont:, which applies them to the selection and keeps them as the settings' font.
#pragma once

#include "palettes/Facet.h"

#include <QString>

class QAbstractButton;
class QComboBox;
namespace pf {
class Font;
}

class TextFacet : public Facet {
public:
    TextFacet(InspectorViewController* inspector, const FacetClassInfo& info, bool editsFillShadow = false);

    void startObservingObject(Manipulator* selection) override;
    void observeValueForSelectedObjectKeyPath(const QString& keyPath) override;

    // After a text control's edit: ends in-place editing of this window's canvas and drops the styled runs
    // typed into that shape, so the shape-wide text properties show. Nothing without a shape in editing.
    void textPropertyChanged();
    // The font button: while on, the shared font panel comes to front showing currentFont.
    void showFontPanel(bool on);
    // The font the settings keep for new text.
    static pf::Font currentFont();

    // The key paths of the shadow controls: the text shadow's, or the fill shadow's for resizing text.
    const QString& shadowHiddenKey() const { return shadowHiddenKey_; }
    const QString& shadowColorKey() const { return shadowColorKey_; }

    QComboBox* textAppearanceTypePopUpButton() const;
    QAbstractButton* textFontButton() const;

    // Registers the five text classes and the builders of their interface files.
    static void registerFacets();

private:
    QString shadowHiddenKey_;
    QString shadowColorKey_;
};

// The line's panel: its placement pop-up (tags 0 across, 1 along the path, 2 hidden unless edited) stands
// for the pair "textDrawOnPath" and "textAppearanceType".
class LineTextFacet : public TextFacet {
public:
    using TextFacet::TextFacet;

    void startObservingObject(Manipulator* selection) override;
    void observeValueForSelectedObjectKeyPath(const QString& keyPath) override;
    // Writes the pair for the tag in one undo step.
    void textAppearanceTypeChanged(int tag);
    // The tag the selection's pair shows: 1 on the path, else 2 when hidden unless edited, else 0.
    int placementTag() const;

    QComboBox* textPopUpButton() const;

private:
    void showPlacement();
};
