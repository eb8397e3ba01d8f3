// How a page reaches its owner: the undo manager, the visible part of the canvas, the selection, redisplay,
// the document's images and the document's facts. The model calls the editor in no other way, so pages can
// be read, edited and drawn with no owner at all (the page then answers as its own operations say).
//
// The page holds its delegate without owning it; the owner sets and clears it. Every operation takes the
// page first and runs synchronously on the main thread.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace pf {
class UndoManager;
}
class Composition;
class Shape;

class CompositionDelegate {
public:
    virtual ~CompositionDelegate() = default;

    // The undo manager of the page's window: every registration of the page, its shapes and guides.
    virtual pf::UndoManager* undoManagerForComposition(Composition& page) = 0;
    // The canvas's visible rectangle in page coordinates.
    virtual pf::Rect visibleRectForComposition(Composition& page) = 0;
    // The canvas view's frame and bounds (zero rects without a canvas).
    virtual pf::Rect canvasFrameForComposition(Composition& page) = 0;
    virtual pf::Rect canvasBoundsForComposition(Composition& page) = 0;
    // The rulers move their marker for a dragged user guide (page points; vertical picks the ruler).
    virtual void compositionDidMoveUserGuideFromToIsVertical(Composition& page, const pf::Point& from,
                                                             const pf::Point& to, bool vertical) = 0;
    // The handle under drag of the selection's manipulator; -1 without a selection.
    virtual std::int64_t activeHandleIndexForComposition(Composition& page) = 0;
    virtual void compositionTitleDidChange(Composition& page) = 0;
    virtual void compositionWantsSelectNone(Composition& page) = 0;
    virtual void compositionSelectionWillChange(Composition& page) = 0;
    virtual void compositionSelectionDidChange(Composition& page) = 0;
    // The page changed in rect (page coordinates); palettes refresh when updatePalettes.
    virtual void compositionWasEditedInRectUpdatePalettes(Composition& page, const pf::Rect& rect,
                                                          bool updatePalettes) = 0;
    // A shape was put on the page (it becomes the selection; the document counts a change).
    virtual void compositionDidAddShape(Composition& page, const std::shared_ptr<Shape>& shape) = 0;
    // The document counts a change.
    virtual void compositionChangeDone(Composition& page) = 0;
    virtual bool isCompositionConnectionFlashOn(Composition& page) = 0;
    // The document's image for the identifier; a null image when it stores none.
    virtual pf::Image compositionImageForIdentifier(Composition& page, const QString& identifier) = 0;
    virtual void compositionIncrementRefCountForImageIdentifier(Composition& page, const QString& identifier) = 0;
    virtual void compositionDecrementRefCountForImageIdentifier(Composition& page, const QString& identifier) = 0;
    // Always paired, around every registration and deregistration.
    virtual void disableSuddenTermination(Composition& page) = 0;
    virtual void enableSuddenTermination(Composition& page) = 0;
    // The page's tab: its index, closing it, the owning document's scripting specifier, its title.
    virtual std::size_t indexOfComposition(Composition& page) = 0;
    virtual void closeComposition(Composition& page) = 0;
    virtual pf::Variant documentSpecifierForComposition(Composition& page) = 0;
    virtual QString titleForComposition(Composition& page) = 0;
};

// An owner with no editor: no undo, no canvas, no selection, no document; every notice is ignored. Owners of
// pages drawn without an editor (previews, benchmarks) derive from it and answer what they have.
class QuietCompositionDelegate : public CompositionDelegate {
public:
    pf::UndoManager* undoManagerForComposition(Composition&) override { return nullptr; }
    pf::Rect visibleRectForComposition(Composition&) override { return {}; }
    pf::Rect canvasFrameForComposition(Composition&) override { return {}; }
    pf::Rect canvasBoundsForComposition(Composition&) override { return {}; }
    void compositionDidMoveUserGuideFromToIsVertical(Composition&, const pf::Point&, const pf::Point&, bool) override {}
    std::int64_t activeHandleIndexForComposition(Composition&) override { return -1; }
    void compositionTitleDidChange(Composition&) override {}
    void compositionWantsSelectNone(Composition&) override {}
    void compositionSelectionWillChange(Composition&) override {}
    void compositionSelectionDidChange(Composition&) override {}
    void compositionWasEditedInRectUpdatePalettes(Composition&, const pf::Rect&, bool) override {}
    void compositionDidAddShape(Composition&, const std::shared_ptr<Shape>&) override {}
    void compositionChangeDone(Composition&) override {}
    bool isCompositionConnectionFlashOn(Composition&) override { return false; }
    pf::Image compositionImageForIdentifier(Composition&, const QString&) override { return {}; }
    void compositionIncrementRefCountForImageIdentifier(Composition&, const QString&) override {}
    void compositionDecrementRefCountForImageIdentifier(Composition&, const QString&) override {}
    void disableSuddenTermination(Composition&) override {}
    void enableSuddenTermination(Composition&) override {}
    std::size_t indexOfComposition(Composition&) override { return 0; }
    void closeComposition(Composition&) override {}
    pf::Variant documentSpecifierForComposition(Composition&) override { return {}; }
    QString titleForComposition(Composition&) override { return {}; }
};
