// The owner of pages being previewed: it has no editor, so it answers as an absent owner would (no undo,
// no canvas, no selection), except for pictures, which it reads from the package.
#pragma once

#include "model/CompositionDelegate.h"
#include "quicklook/PackageImages.h"

class PreviewImageSource final : public CompositionDelegate {
public:
    explicit PreviewImageSource(PackageImages images) : images_(std::move(images)) {}

    pf::UndoManager* undoManagerForComposition(Composition&) override { return nullptr; }
    pf::Rect visibleRectForComposition(Composition& page) override;
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
    pf::Image compositionImageForIdentifier(Composition& page, const QString& identifier) override;
    void compositionIncrementRefCountForImageIdentifier(Composition&, const QString&) override {}
    void compositionDecrementRefCountForImageIdentifier(Composition&, const QString&) override {}
    void disableSuddenTermination(Composition&) override {}
    void enableSuddenTermination(Composition&) override {}
    std::size_t indexOfComposition(Composition&) override { return 0; }
    void closeComposition(Composition&) override {}
    pf::Variant documentSpecifierForComposition(Composition&) override { return {}; }
    QString titleForComposition(Composition&) override { return {}; }

private:
    PackageImages images_;
};
