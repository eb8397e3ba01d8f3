// The controls the inspector's panels are built from, each bound to a key path of its facet (usually
// "selectedObject.<key>"): stepping number fields that show nothing for a mixed value or while disabled,
// pop-ups whose item tags are the values, check boxes, sliders and segmented choices. An edit writes the
// whole selection through the binding, so it is one undo step of the turn.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>

class ColorButton;
class Facet;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;
class QWidget;
class QButtonGroup;
namespace pf {
class GraphicsContext;
class UndoManager;
class View;
}

namespace facetcontrols {

// Panels are laid out for this width: a row is never narrower (InspectorListItem::minimumWidth).
inline constexpr double panelWidth = 220;

// A panel of the inspector's width and the given height.
pf::View* makePanel(double height);
// The small text of labels and tables: 11 points, which the panels' layout counts as 11 pixels as it
// counts every length (Qt's points would be a third larger at 96 dots per inch and overrun the columns).
void useSmallFont(QWidget& widget);
QLabel* label(QWidget* parent, const QString& text, const pf::Rect& frame);

struct NumberFormat {
    double minimum = -1e9;
    double maximum = 1e9;
    int decimals = 0;
    double step = 1;
    QString suffix;
    // The field shows the value times this (100 for a fraction shown as a percentage).
    double scale = 1;
};
// A stepping field bound to keyPath of facet; empty while the value is mixed (null) or the field is disabled.
QDoubleSpinBox* numberField(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath,
                            const NumberFormat& format);

// A pop-up of (title, tag) items bound to an integer key path; a value that no tag has (a mixed one
// included) shows the first item.
QComboBox* popUp(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath,
                 std::initializer_list<std::pair<const char*, int>> items);

// A check box bound to a boolean key path; inverted: checked while the value is false ("…Hidden" keys).
QCheckBox* checkBox(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& title,
                    const QString& keyPath, bool inverted = false);

// A slider of whole steps over [0, 1] in `steps` steps, bound to a number key path; `made` is the slider
// to bind (a drawn one), a plain one when null.
QSlider* unitSlider(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath, int steps,
                    QSlider* made = nullptr);

// A drag of the slider, press to release, is one undo step of the facet's page.
void groupSliderDrags(Facet& facet, QSlider* slider);

// Draws the glyph of a segment (its value) inside its frame, in place of the title.
using SegmentPainter = std::function<void(pf::GraphicsContext&, std::int64_t value, const pf::Rect& frame)>;

// Checkable buttons side by side in a strip, one per (title, value); the one of the bound integer value
// is checked, none for a mixed value. With a painter, the segments show drawn glyphs and keep their titles
// as tool tips.
QWidget* segments(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath,
                  std::initializer_list<std::pair<const char*, int>> items, const SegmentPainter& painter = {});

// The enabled state of every control given, bound to a boolean key path of the facet.
void enableWith(Facet& facet, const QString& keyPath, std::initializer_list<QWidget*> controls);

QString selected(const char* key);

// ---- colour buttons of a panel ----
// A colour button of the tag, opening the shared colour panel, known to the facet by its outlet name.
ColorButton* colorButton(Facet& facet, QWidget* parent, const pf::Rect& frame, int tag, const char* outlet);
// A shadow check box (the "…ShadowHidden" key, checked while shown) and its colour button.
void shadowRow(Facet& facet, QWidget* parent, double y, const char* hiddenKey, int colorTag);
// Nothing selected: the facet holds no colour panel key, and every colour button is off, disabled and empty.
void clearColorButtons(Facet& facet);
// A refresh turns a colour button off, unless the colour panel is editing its key for this facet: a
// refresh that hands the same selection over keeps the panel, and the button shows that it does.
void turnOff(Facet& facet, ColorButton& button);
// The button of the colour key shows the selection's colour (none when the shapes differ).
void showColor(Facet& facet, const QString& key);
// The shadow colour button follows the shadow-hidden key: off, and enabled while the selection is
// unlocked and the shadow shown.
void showShadowHidden(Facet& facet, const QString& hiddenKey);

// ---- the wheel ----
// The pop-ups, number fields and sliders in root (root included; scroll bars are left alone) take the
// wheel only while they hold the keyboard focus, and the wheel does not give it to them: rolling the wheel
// over the inspector scrolls it and never edits the shape under the pointer.
void takeWheelOnlyWithFocus(QWidget* root);

// The undo manager of the page the facet's inspector edits; null without one.
pf::UndoManager* undoManagerOf(const Facet& facet);

} // namespace facetcontrols
