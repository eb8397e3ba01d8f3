#include "shell/CanvasDocumentWindow.h"

#include "canvas/Canvas.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowController.h"

#include <QKeyEvent>
#include <QToolBar>

namespace {

const QString toggleToolbarAction = QStringLiteral("toggleToolbarShown:");

// Pressing a modifier on its way to a chord is no key of its own.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
        return true;
    default:
        return false;
    }
}

} // namespace

const std::vector<QString>& CanvasDocumentWindow::forwardedActions()
{
    static const std::vector<QString> names = [] {
        std::vector<QString> out;
        for (const char* name : {
                 // clipboard and style
                 "cut:", "copy:", "paste:", "copyStyle:", "pasteStyle:",
                 // selection
                 "selectShape:", "selectAll:", "selectNone:", "selectShapeUp:", "selectShapeDown:",
                 "selectShapeLeft:", "selectShapeRight:",
                 // edit
                 "remove:", "duplicate:", "editText:", "resizeCanvasToFitSelection:", "clearGuides:",
                 // order and grouping
                 "bringToFront:", "sendToBack:", "group:", "ungroup:",
                 // lock and visibility
                 "lock:", "unlock:", "hide:", "unhide:",
                 // alignment
                 "alignShapesToGrid:", "alignShapesLeft:", "alignShapesCenterVertical:", "alignShapesRight:",
                 "alignShapesTop:", "alignShapesCenterHorizontal:", "alignShapesBottom:",
                 "evenlyDistributeShapesHorizontal:", "evenlyDistributeShapesVertical:",
                 // path and boolean
                 "invert:", "difference:", "intersection:", "union:", "exclusion:", "flipHorizontal:",
                 "flipVertical:", "closePath:", "reversePath:", "combineShapes:", "convertToBezier:", "sizeToFitText:",
                 // pictures
                 "removeImages:",
                 // movement
                 "nudgeUp:", "nudgeDown:", "nudgeLeft:", "nudgeRight:", "jumpUp:", "jumpDown:", "jumpLeft:",
                 "jumpRight:"})
            out.push_back(QString::fromLatin1(name));
        return out;
    }();
    return names;
}

CanvasDocumentWindow::CanvasDocumentWindow(pf::WindowController& controller) : TKMainWindow(controller)
{
    for (const QString& name : forwardedActions())
        setAction(name, [this, name](const pf::MenuItem* sender) {
            pf::Responder* target = canvas();
            // A command the canvas does not have (yet) is refused as an unusable key is.
            if (!target || !target->tryToPerform(name, sender))
                pf::beep();
        });
    setAction(toggleToolbarAction, [this](const pf::MenuItem*) { toggleToolbarShown(); });
}

pf::Responder* CanvasDocumentWindow::canvas() const
{
    auto* controller = dynamic_cast<CanvasWindowController*>(windowController());
    return controller ? controller->canvasView() : nullptr;
}

void CanvasDocumentWindow::toggleToolbarShown()
{
    if (pf::WindowController* controller = windowController())
        if (QToolBar* toolbar = controller->toolbar())
            toolbar->setVisible(toolbar->isHidden());
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(ToolbarVisibilityDidChangeNotification),
                                                 pf::Window::of(this));
}

bool CanvasDocumentWindow::sendEvent(QObject* receiver, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto& qtKey = *static_cast<QKeyEvent*>(event);
        const pf::ModifierFlags flags = pf::Event::fromKey(qtKey).modifierFlags;
        if ((flags & pf::ControlKeyMask) && (flags & pf::CommandKeyMask) && !isModifierKey(qtKey.key())) {
            tryToPerform(QStringLiteral("alignShapesCenterVertical:"), nullptr);
            return true;
        }
    }
    return TKMainWindow::sendEvent(receiver, event);
}

bool CanvasDocumentWindow::validateMenuItem(const pf::MenuItem& item) const
{
    if (item.action() == toggleToolbarAction) {
        pf::WindowController* controller = windowController();
        return controller && controller->toolbar();
    }
    const pf::Responder* target = canvas();
    if (!target || !target->respondsToAction(item.action()))
        return false;
    // The window's validation by tag first (nothing during a full-screen transition), then the canvas's.
    if (auto* controller = dynamic_cast<const CanvasWindowController*>(windowController())) {
        bool handled = false;
        if (!controller->validateUIItem(item.tag(), handled) && handled)
            return false;
    }
    return target->validateMenuItem(item);
}
