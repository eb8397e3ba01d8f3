// Arc: one cubic from end A (top-left corner) to end B (bottom-right corner) bending towards the corner
// `flipped` chooses. SegmentedLine: the elbow connector, axis-parallel runs with up to four bends that
// may be rounded, its route derived from the frame, `flipped`, the two ratios and the curve ratio.
#pragma once

#include "shapes/Line.h"

// A line whose hit area is its whole frame once it has a label: the area is made again when the label
// comes or goes, not only when the path is rebuilt.
class FrameHitWhenLabelled : public Line {
public:
    using Line::setAttributedText;
    void setAttributedText(const pf::AttributedString* text) override;
};

class Arc : public FrameHitWhenLabelled {
public:
    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // MidLef and BotMid of the frame; TopMid and MidRit when flipped.
    pf::Point controlPoint1() const;
    pf::Point controlPoint2() const;

    void appendPath(pf::Path& path) const override;
    // Along the tangents at the ends, turned by a quarter when the chord nearly runs along the tangent.
    double currentAngleForArrowA() const override;
    double currentAngleForArrowB() const override;
    // The frame for a labelled arc; otherwise a five-point polygon between the end handles and the corner
    // the curve bends towards.
    const pf::Path& intersectionPath() const override;
    void drawFillInContext(pf::GraphicsContext& context) override { (void)context; }
};

class SegmentedLine : public FrameHitWhenLabelled {
public:
    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // X 0.5 and flipped, whatever the sticky defaults hold.
    void initWithFrame(const pf::Rect& frame) override;

    // The route, every point rounded to whole units: A, extPoint1, midPoint1, midPoint2, extPoint2, B; each
    // bend entered at its "A" point and left at its "B" point.
    struct Route {
        pf::Point ext1, mid1, mid2, ext2;
        pf::Point ext1A, ext1B, mid1A, mid1B, mid2A, mid2B, ext2A, ext2B;
    };
    Route route() const;
    pf::Point extPoint1() const { return route().ext1; }
    pf::Point midPoint1() const { return route().mid1; }
    pf::Point midPoint2() const { return route().mid2; }
    pf::Point extPoint2() const { return route().ext2; }

    void appendPath(pf::Path& path) const override;
    pf::Rect contentRect() const override;
    pf::Point adjustPoint() const override { return midPoint1(); }
    // The bend handles the manipulator shows.
    QVRectCorner cornerCp1() const { return flipped() ? QVRectCornerMidLef : QVRectCornerTopMid; }
    QVRectCorner cornerCp2() const { return flipped() ? QVRectCornerMidRit : QVRectCornerBotMid; }
    double currentAngleForArrowA() const override;
    double currentAngleForArrowB() const override;
    // The frame for a labelled line; otherwise a band around the route.
    const pf::Path& intersectionPath() const override;
    // Anchors of end labels.
    pf::Point labelPointA() const;
    pf::Point labelPointB() const;
    void drawFillInContext(pf::GraphicsContext& context) override { (void)context; }
};

// Registers Arc and SegmentedLine.
void registerBentLineShapes(pf::ClassRegistry& registry);
