// The owner of a page on a canvas, as the window's view controller answers for the canvas: the visible
// rect, the canvas's frame and bounds, and redisplay of what an edit touched. The benchmarks that put a
// page on a canvas share it.
#pragma once

#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "support/QuietShapePage.h"

class CanvasPageOwner : public QuietCompositionDelegate {
public:
    pf::Rect visibleRectForComposition(Composition&) override
    {
        return canvas ? canvas->convertRectToComposition(canvas->visibleRect()) : pf::Rect();
    }
    pf::Rect canvasFrameForComposition(Composition&) override { return canvas ? canvas->frame() : pf::Rect(); }
    pf::Rect canvasBoundsForComposition(Composition&) override { return canvas ? canvas->bounds() : pf::Rect(); }
    void compositionWasEditedInRectUpdatePalettes(Composition& page, const pf::Rect& rect, bool) override
    {
        if (canvas && canvas->composition().get() == &page)
            canvas->setNeedsDisplayInRect(canvas->convertRectFromComposition(rect));
    }

    Canvas* canvas = nullptr;
};
