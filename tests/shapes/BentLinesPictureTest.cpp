// Arcs, segmented lines and callouts drawn into pixels, compared with their reference pictures.
#include "ConnectorTestSupport.h"

#include "platform/graphics/PainterContext.h"
#include "shapes/BentLines.h"
#include "shapes/Callout.h"
#include "support/ReferencePicture.h"

namespace {

// A white page; shapes drawn as the canvas draws at zoom 1, with its half-point offset.
class Page {
public:
    explicit Page(pf::Size size) : context_(size, 1.0, true, false)
    {
        context_.setFillColor(pf::Color(1, 1, 1, 1));
        context_.fillPath(pf::Path::rect(pf::Rect(0, 0, size.width, size.height)));
        context_.translate(0.5, 0.5);
    }
    void draw(Shape& shape) { shape.drawInContextDirtyRect(context_, pf::Rect(-1e4, -1e4, 2e4, 2e4)); }
    QImage picture() { return context_.bitmap(); }

private:
    pf::BitmapContext context_;
};

} // namespace

TEST_F(ConnectorTest, ArcsAndSegmentedLinesMatchTheReferencePicture)
{
    Page page({560, 300});
    // Arcs both ways, in every direction, with heads that follow the tangents.
    const pf::Rect arcs[] = {{20, 20, 100, 60}, {240, 20, -100, 60}, {260, 80, 100, -60}, {480, 80, -100, -60}};
    for (const pf::Rect& frame : arcs)
        for (const bool flipped : {false, true}) {
            auto arc = connector<Arc>(frame, flipped ? 2 : 1);
            arc->setFlipped(flipped);
            arc->setStrokeColor(flipped ? pf::Color(0.7, 0.1, 0.1, 1) : pf::Color(0.1, 0.1, 0.4, 1));
            arc->setArrowTypeA(1);
            arc->setArrowTypeB(4);
            page.draw(*arc);
        }
    // Segmented lines: both orientations, stubs, rounded bends, a mirrored one.
    struct Elbow {
        pf::Rect frame;
        bool flipped;
        double x, y, curve;
    };
    const Elbow elbows[] = {
        {{40, 130, 80, 50}, true, 0.5, 0, 0},      {{150, 130, 80, 50}, false, 0.3, 0, 0},
        {{290, 130, 60, 50}, true, 0.5, 0.25, 0.5}, {{400, 130, 80, 50}, false, 0.5, 0.2, 1},
        {{120, 220, -80, 60}, true, 0.25, 0, 1},   {{150, 280, 80, -60}, false, 0.7, 0, 0.4},
        {{290, 220, 80, 60}, true, 0, 0, 0},       {{480, 220, -80, 60}, false, 1, 0.1, 0.6},
    };
    for (const Elbow& e : elbows) {
        auto line = connector<SegmentedLine>(e.frame, 2);
        line->setFlipped(e.flipped);
        line->setAdjustmentRatioX(e.x);
        line->setAdjustmentRatioY(e.y);
        line->setCurveRatio(e.curve);
        line->setStrokeColor(pf::Color(0.1, 0.35, 0.2, 1));
        line->setArrowTypeA(2);
        line->setArrowTypeB(1);
        page.draw(*line);
    }
    expectMatchesReferencePicture(page.picture(), QStringLiteral(QUORVEL_TEST_DATA "/shapes/bent-lines.png"));
}

TEST_F(ConnectorTest, CalloutsMatchTheReferencePicture)
{
    Page page({480, 220});
    struct Bubble {
        pf::Rect frame;
        pf::Point tip;
        double stroke;
    };
    const Bubble bubbles[] = {
        {{20, 20, 100, 70}, {130, 110}, 2}, {{180, 20, 120, 60}, {150, 100}, 0}, {{340, 30, 100, 70}, {450, 10}, 1},
        {{20, 140, 80, 50}, {200, 170}, 3}, {{240, 120, 120, 80}, {300, 160}, 1}, {{460, 130, -60, 60}, {470, 215}, 2},
    };
    for (const Bubble& b : bubbles) {
        auto bubble = Shape::make<Callout>(b.frame);
        bubble->setFillType(0);
        bubble->setFillColor(pf::Color(0.95, 0.9, 0.6, 1));
        bubble->setFillShadowHidden(true);
        bubble->setStrokeShadowHidden(true);
        bubble->setStrokeType(0);
        bubble->setStrokeLineWidth(b.stroke);
        bubble->setStrokeColor(pf::Color(0.3, 0.2, 0.1, 1));
        bubble->setTailTip(b.tip);
        page.draw(*bubble);
    }
    expectMatchesReferencePicture(page.picture(), QStringLiteral(QUORVEL_TEST_DATA "/shapes/callouts.png"));
}
