// A coloured panel showing a short centred message on a grey rounded pill (the split layout's empty
// regions, the outline's "Outline"). The pill drawing is shared with the palette list, which uses sizes of
// its own (QVHintPill).
#pragma once

#include "shell/QVView.h"

#include "platform/text/TextAttributes.h"

namespace QVHintPill {

// Where the text stands and how the pill grows round it.
struct Metrics {
    double textX;        // x of the text rectangle
    double widthInset;   // the text is the bounds' width less this, at least 100 wide
    double growX;        // the pill reaches this far left and right of the text
    double minimumPillX; // the pill starts no further left
};

// Bold system font 12, white, a faint shadow below, centred and word-wrapped.
const pf::TextAttributes& textAttributes();
const pf::Color& pillColor();

// The text's rectangle: (textX, the middle of the bounds less half the text's height plus offsetY,
// width, the wrapped text's height; 0 without text).
pf::Rect textRect(const QString& hint, const pf::Rect& bounds, const Metrics& metrics, double offsetY = 0);
// The pill round a text rectangle: grown by growX and 4 points above and below, at most 400 wide,
// centred but never left of minimumPillX, in whole points.
pf::Rect pillRect(const pf::Rect& textRect, const pf::Rect& bounds, const Metrics& metrics);
// Draws the pill and the text; nothing for an empty hint.
void draw(pf::GraphicsContext& context, const QString& hint, const pf::Rect& bounds, const Metrics& metrics,
          double offsetY = 0);

} // namespace QVHintPill

class QVHintView : public QVColorView {
public:
    using QVColorView::QVColorView;

    // The setters only store; the owner redisplays.
    const QString& hintText() const { return hintText_; }
    void setHintText(const QString& text) { hintText_ = text; }
    // Shift of the hint from the middle, downward.
    double hintTextOffsetY() const { return hintTextOffsetY_; }
    void setHintTextOffsetY(double offset) { hintTextOffsetY_ = offset; }

    // (42, centred + offset, the larger of 100 and the width less 84, the text's height).
    pf::Rect hintTextRectForBounds(const pf::Rect& bounds) const;

    // "<QVHintView 0x… 'hint'>"
    QString description() const;

    static const QVHintPill::Metrics metrics;

protected:
    // The colour over the bounds, then the pill.
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;

private:
    QString hintText_;
    double hintTextOffsetY_ = 0;
};
