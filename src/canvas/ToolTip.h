// The small dark label the canvas shows near the pointer while the user drags, with live figures: a
// band's rect, a resized selection's size, a dragged end's or guide's position.
#pragma once

#include "platform/kit/View.h"
#include "platform/text/AttributedString.h"
#include "platform/text/TextAttributes.h"

class ToolTip : public pf::View {
public:
    explicit ToolTip(QWidget* parent = nullptr);

    // White text in the desktop's fixed-pitch font at 11 points, centred, under a dark shadow.
    static const pf::TextAttributes& textAttributes();

    const pf::AttributedString& string() const { return string_; }
    // Takes the text in the class's attributes; the frame keeps its origin and takes size().
    void setText(const QString& text);
    // The text's size and room around it: 15 on each side inside a 5-point shadow margin.
    pf::Size size() const;
    // The frame's origin goes 5 up and left of the point (the shadow margin).
    void setLocation(const pf::Point& point);

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;

private:
    pf::AttributedString string_;
};
