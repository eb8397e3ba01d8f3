// Tool modes: the canvas hands its events to the active tool; a tool lives from its activation until it
// ends, and everything it makes meanwhile is one undo step.
#include "canvas/Canvas.h"

#include "canvas/MouseStrategyBezier.h"
#include "canvas/MouseStrategyBrush.h"
#include "canvas/MouseStrategyPath.h"
#include "canvas/MouseStrategyShape.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"

#include <QLoggingCategory>

#include <chrono>

namespace {
Q_LOGGING_CATEGORY(lcCanvasTools, "quorvel.canvas.tools")
}

void Canvas::canvasModeWasActivated(const pf::Notification& n)
{
    if (n.name == QString::fromLatin1(ShapeModeWasActivatedNotification)) {
        const auto it = n.userInfo.find(QStringLiteral("ShapeClassName"));
        const QString name = it == n.userInfo.end() ? QString() : it->second.toString();
        // A name that no stored kind answers to would leave the tool drawing nothing.
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(name);
        if (!kind || !kind->isSavableKind()) {
            qCWarning(lcCanvasTools, "Canvas: no shape kind is named \"%s\"; the tool stays as it is",
                      qUtf8Printable(name.left(200)));
            return;
        }
        mouseModeWasActivated(std::make_shared<MouseStrategyShape>(name));
    }
    if (n.name == QString::fromLatin1(PathModeWasActivatedNotification))
        mouseModeWasActivated(std::make_shared<MouseStrategyPath>());
    if (n.name == QString::fromLatin1(BezierModeWasActivatedNotification))
        mouseModeWasActivated(std::make_shared<MouseStrategyBezier>());
    if (n.name == QString::fromLatin1(BrushModeWasActivatedNotification))
        mouseModeWasActivated(std::make_shared<MouseStrategyBrush>());
}

void Canvas::mouseModeWasActivated(std::shared_ptr<MouseStrategy> tool)
{
    if (!tool)
        return;
    if (mouseStrategy_)
        revertToDefaultMouseModeAndKeepListSelection(true);
    stopEditingText();
    selectNone();
    mouseStrategy_ = std::move(tool);
    mouseStrategy_->activatedInCanvas(*this);
    setFocus(Qt::OtherFocusReason);
    // One undo step for the whole activation; inside a group someone else opened, that group holds it.
    const auto page = composition();
    pf::UndoManager* undo = page ? page->undoManager() : nullptr;
    if (undo && !undo->hasExplicitGroup()) {
        toolUndoManager_ = undo;
        toolUndoGroup_ = undo->beginUndoGrouping();
    }
}

void Canvas::mouseStrategyDidFinish(MouseStrategy& tool, bool persist)
{
    if (&tool != mouseStrategy_.get())
        return;
    if (!persist) {
        revertToDefaultMouseMode();
        return;
    }
    if (manipulator_)
        setNeedsDisplayInCompositionRect(manipulator_->dirtyRect());
}

void Canvas::revertToDefaultMouseModeAndKeepListSelection(bool keep)
{
    if (!mouseStrategy_)
        return;
    // Only the tool's own group: the turn's automatic group and other openers' groups are theirs to close.
    if (toolUndoGroup_ && toolUndoManager_)
        toolUndoManager_->endUndoGrouping(*toolUndoGroup_);
    toolUndoGroup_.reset();
    toolUndoManager_ = nullptr;
    // The tool may be running the event that ends it: it lives until the event returns.
    std::shared_ptr<MouseStrategy> ending = std::move(mouseStrategy_);
    mouseStrategy_.reset();
    swallowClickSeries_ = true;
    ending->canvasWillRevertToDefaultMouseMode(*this);
    delayed_.performAfterDelay([ending] {}, std::chrono::nanoseconds(0));
    showDefaultCursor();
    hideToolTip();
    if (manipulator_)
        setNeedsDisplayInCompositionRect(manipulator_->dirtyRect());
    auto& center = pf::NotificationCenter::defaultCenter();
    center.post(QString::fromLatin1(DefaultModeWasActivatedNotification), window());
    if (!keep)
        center.post(QString::fromLatin1(DidClearListSelectionNotification), window());
}
