// The document window: it takes the editing commands of the menus and the toolbar and hands each, with
// its sender, to the canvas of the page on show, wherever the keyboard is in the window (a palette
// included). A key pressed with Control and Command held that no menu took aligns the selection's vertical
// centres. The toolbar toggle tells the window's views, which lay themselves out again.
//
// (The canvas's own view of the window controller is the CanvasWindow service; this is the window.)
#pragma once

#include "shell/IDEMainWindow.h"

#include <QString>

#include <vector>

namespace pf {
class WindowController;
}

class CanvasDocumentWindow : public TKMainWindow {
public:
    // Posted with the kit window as object after the toolbar was shown or hidden.
    static constexpr char ToolbarVisibilityDidChangeNotification[] = "ToolbarVisibilityDidChangeNotification";

    explicit CanvasDocumentWindow(pf::WindowController& controller);

    // The actions the window passes to the canvas, by name.
    static const std::vector<QString>& forwardedActions();

    // The canvas of the controller's canvas view controller; null when there is none.
    virtual pf::Responder* canvas() const;

    // Shows or hides the toolbar, then posts ToolbarVisibilityDidChangeNotification.
    void toggleToolbarShown();

    // Control and Command with any key: alignShapesCenterVertical: with no sender, instead of the key.
    bool sendEvent(QObject* receiver, QEvent* event) override;

    // A forwarded action is enabled as the window controller's validation by tag and the canvas allow;
    // without a canvas that has it, never.
    bool validateMenuItem(const pf::MenuItem& item) const override;
};
