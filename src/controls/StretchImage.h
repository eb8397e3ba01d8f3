// Controls that draw their picture stretched into the frame: in nine slices cut by edge insets (corners
// kept, edges and centre stretched), or in twenty-five with a centre piece that keeps its size. They come
// into a document only as stored shapes; the picture is the control's picture.
//
// Insets and the centre rect are stored values: a new shape starts with zero insets (and the middle half
// of its frame as centre rect), and updates leave stored and copied values alone. Values that do not fit
// the picture and the rect are clamped when drawing, never written back.
#pragma once

#include "controls/UIControl.h"

class StretchImage9 : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // Plain values: no undo, no notice, no redraw.
    const pf::EdgeInsets& edgeInsets() const { return edgeInsets_; }
    void setEdgeInsets(const pf::EdgeInsets& insets) { edgeInsets_ = insets; }
    // Insets plus one stretching point each way.
    virtual pf::Size minSize() const;

    // The picture in the frame (nothing without one), then the base control drawing.
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    // The picture into rect: unscaled from its top-left when no inset reaches a point, else in nine slices
    // with the insets clamped to the picture and the rect. source is the part of the picture to draw.
    virtual void drawStretchImageInRectFromRectInsets(pf::GraphicsContext& context, const pf::Image& image,
                                                      const pf::Rect& rect, const pf::Rect& source,
                                                      const pf::EdgeInsets& insets);

    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

    // Negative or non-finite insets as 0; each opposite pair that does not fit into the smaller of the
    // picture's and the rect's extent shares its floored half.
    static pf::EdgeInsets clampedInsets(const pf::EdgeInsets& insets, const pf::Size& image, const pf::Size& rect);

protected:
    void copyFrom(const Shape& source) override;
    // Source-over at the shape's opacity, unscaled, clipped to what both the picture and rect hold.
    void drawImagePlain(pf::GraphicsContext& context, const pf::Image& image, const pf::Rect& rect,
                        const pf::Rect& source) const;

private:
    pf::EdgeInsets edgeInsets_;
};

class StretchImage25 : public StretchImage9 {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The centre rect starts as the middle half of the frame.
    void initWithFrame(const pf::Rect& frame) override;

    // In the shape's own coordinates. Plain value.
    const pf::Rect& centerRect() const { return centerRect_; }
    void setCenterRect(const pf::Rect& rect) { centerRect_ = rect; }
    // Sets the centre rect to the middle half of the frame: (w / 4, h / 4, w / 2, h / 2).
    void updateCenterRect();
    // Insets plus the centre piece.
    pf::Size minSize() const override;

    // Plain without insets, else twenty-five slices; the insets and the centre piece's size are clamped
    // to the picture and the rect.
    void drawStretchImageInRectFromRectInsets(pf::GraphicsContext& context, const pf::Image& image,
                                              const pf::Rect& rect, const pf::Rect& source,
                                              const pf::EdgeInsets& insets) override;

    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    pf::Rect centerRect_;
};
