// A page owner for tests: it records every notice the page sends, keeps image reference counts as the
// document does, and owns an undo manager in which every registration outside a group is one step.
#pragma once

#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Shape.h"
#include "platform/foundation/UndoManager.h"

#include <QString>
#include <QStringList>

#include <map>

class RecordingCompositionDelegate : public CompositionDelegate {
public:
    RecordingCompositionDelegate() { undo.setGroupsByEvent(false); }

    pf::UndoManager* undoManagerForComposition(Composition&) override { return &undo; }
    pf::Rect visibleRectForComposition(Composition&) override { return visibleRect; }
    pf::Rect canvasFrameForComposition(Composition&) override { return {}; }
    pf::Rect canvasBoundsForComposition(Composition&) override { return {}; }
    void compositionDidMoveUserGuideFromToIsVertical(Composition&, const pf::Point&, const pf::Point&, bool) override
    {
        calls << QStringLiteral("guideMoved");
    }
    std::int64_t activeHandleIndexForComposition(Composition&) override { return activeHandle; }
    void compositionTitleDidChange(Composition&) override { calls << QStringLiteral("titleDidChange"); }
    void compositionWantsSelectNone(Composition&) override { calls << QStringLiteral("selectNone"); }
    void compositionSelectionWillChange(Composition&) override { calls << QStringLiteral("selectionWillChange"); }
    void compositionSelectionDidChange(Composition&) override { calls << QStringLiteral("selectionDidChange"); }
    void compositionWasEditedInRectUpdatePalettes(Composition&, const pf::Rect&, bool) override { ++edits; }
    void compositionDidAddShape(Composition&, const std::shared_ptr<Shape>& shape) override
    {
        calls << QStringLiteral("didAdd %1").arg(shape->title());
    }
    void compositionChangeDone(Composition&) override { calls << QStringLiteral("changeDone"); }
    bool isCompositionConnectionFlashOn(Composition&) override { return false; }
    pf::Image compositionImageForIdentifier(Composition&, const QString&) override { return {}; }
    void compositionIncrementRefCountForImageIdentifier(Composition&, const QString& identifier) override
    {
        ++refCounts[identifier];
    }
    void compositionDecrementRefCountForImageIdentifier(Composition&, const QString& identifier) override
    {
        --refCounts[identifier];
    }
    void disableSuddenTermination(Composition&) override { ++suddenTerminationDisabled; }
    void enableSuddenTermination(Composition&) override { --suddenTerminationDisabled; }
    std::size_t indexOfComposition(Composition&) override { return 0; }
    void closeComposition(Composition&) override { calls << QStringLiteral("close"); }
    pf::Variant documentSpecifierForComposition(Composition&) override { return {}; }
    QString titleForComposition(Composition&) override { return {}; }

    // The notices since the last call, cleared.
    QStringList takeCalls()
    {
        QStringList taken = calls;
        calls.clear();
        return taken;
    }

    pf::UndoManager undo;
    pf::Rect visibleRect;
    std::int64_t activeHandle = -1;
    QStringList calls;
    int edits = 0;
    // Open disable calls; 0 when they were paired.
    int suddenTerminationDisabled = 0;
    std::map<QString, int> refCounts;
};
