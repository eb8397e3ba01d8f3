// The drawn faces of the inspector's small controls, as painters of our widgets: the plus and minus
// buttons under item tables, the segments showing icon positions, line caps and line joins, the tick
// marks of the path-curve slider, and the number field that shows nothing while disabled. Each painter
// draws into a y-down context in the control's own coordinates; the widgets below call them. Colours are
// made once; the glyphs are those of the current appearance (flat, grey 555555).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"

#include <QSlider>
#include <QString>
#include <QToolButton>

#include <cstdint>
#include <functional>
#include <optional>

namespace pf {
class GraphicsContext;
}

namespace AddRemoveButtonCell {
const pf::Color& glyphColor();
pf::Rect horizontalRectForFrame(const pf::Rect& frame);
pf::Rect verticalRectForFrame(const pf::Rect& frame);
// Tag 0 shows a plus, any other tag a minus.
void drawInterior(pf::GraphicsContext& context, const pf::Rect& frame, std::int64_t tag);
} // namespace AddRemoveButtonCell

namespace ButtonPositionSegmentedCell {
const pf::Color& glyphColor();
// The icon rect of a segment and, for segment s (0 centre, 1 left, 2 right, 3 above, 4 below), the line
// (the title) and the box (the icon) drawn in it, before the half-point shift of the drawing.
pf::Rect iconRect(const pf::Rect& frame);
pf::Rect lineRect(std::int64_t segment, const pf::Rect& icon);
pf::Rect boxRect(std::int64_t segment, const pf::Rect& icon);
void drawSegment(pf::GraphicsContext& context, std::int64_t segment, const pf::Rect& frame);
} // namespace ButtonPositionSegmentedCell

namespace LineCapSegmentedCell {
const pf::Color& glyphColor();
const pf::Color& endMarkerColor();
pf::Rect iconRectForBounds(const pf::Rect& frame);
pf::Rect lineRectForBounds(const pf::Rect& frame);
// Segment s is the line cap (0 butt, 1 round, 2 square).
void drawSegment(pf::GraphicsContext& context, std::int64_t segment, const pf::Rect& frame);
} // namespace LineCapSegmentedCell

namespace LineJoinSegmentedCell {
const pf::Color& glyphColor();
// Segment s is the line join (0 miter, 1 round, 2 bevel).
void drawSegment(pf::GraphicsContext& context, std::int64_t segment, const pf::Rect& frame);
} // namespace LineJoinSegmentedCell

namespace PathCurveSliderCell {
const pf::Color& gray();
const pf::Color& lightGray();
// Draws tick marks 1 to count, each in the rect rectOfTickMark answers for its index (number − 1).
void drawTickMarks(pf::GraphicsContext& context, int count, const std::function<pf::Rect(int index)>& rectOfTickMark);
} // namespace PathCurveSliderCell

namespace ZeroEmptyTextFieldCell {
// No text while the field is disabled; the field's own text otherwise.
std::optional<QString> attributedStringValue(bool enabled, const QString& base);
} // namespace ZeroEmptyTextFieldCell

// ---- the widgets that use them ----

// A tool button whose face is drawn: the platform's bezel without text (the title stays the accessible
// text), then the kind's glyph, faded while disabled.
class DrawnGlyphButton : public QToolButton {
public:
    DrawnGlyphButton(double disabledAlpha, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    // hook: the glyph over the bezel, in the button's coordinates.
    virtual void drawGlyph(pf::GraphicsContext& context) = 0;

private:
    double disabledAlpha_;
};

// A segment of a drawn segmented control: the painter's glyph.
class DrawnSegmentButton : public DrawnGlyphButton {
public:
    using Painter = std::function<void(pf::GraphicsContext&, std::int64_t segment, const pf::Rect& frame)>;
    DrawnSegmentButton(std::int64_t segment, Painter painter, QWidget* parent = nullptr);

protected:
    void drawGlyph(pf::GraphicsContext& context) override;

private:
    std::int64_t segment_;
    Painter painter_;
};

// The plus (tag 0) or minus button under an item table.
class AddRemoveButton : public DrawnGlyphButton {
public:
    AddRemoveButton(std::int64_t tag, QWidget* parent = nullptr);
    std::int64_t tag() const { return tag_; }

protected:
    void drawGlyph(pf::GraphicsContext& context) override;

private:
    std::int64_t tag_;
};

// A horizontal slider whose tick marks are drawn by PathCurveSliderCell below its groove.
class PathCurveSlider : public QSlider {
public:
    explicit PathCurveSlider(QWidget* parent = nullptr, int tickCount = 13);
    int numberOfTickMarks() const { return tickCount_; }
    void setNumberOfTickMarks(int count);
    // The rect of tick mark `index` (0-based) in the slider's coordinates.
    pf::Rect rectOfTickMarkAtIndex(int index) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int tickCount_;
};

// Installs the drawn plus and minus buttons as the item tables' buttons.
void installInspectorCells();
