// What the benchmarks that put a page on a canvas share: the built-in settings with the kinds and selection
// classes registered, and the owner of the page, answering as the window's view controller does for the
// canvas (the visible rect, the canvas's frame and bounds, redisplay of what an edit touched).
#pragma once

#include "canvas/Canvas.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "support/QuietShapePage.h"

#include <memory>

// Once per program: the built-in settings (never the user's), the control kinds and the selection classes.
inline void useBuiltInDefaults()
{
    static const auto usersDefaults = [] {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        registerControlKinds(pf::ClassRegistry::shared());
        registerManipulatorClasses(pf::ClassRegistry::shared());
        return pf::UserDefaultsStore::replaceStandard(std::move(store));
    }();
}

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
