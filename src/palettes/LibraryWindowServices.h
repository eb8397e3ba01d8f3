// The library palette in the document windows: each window's library is a LibraryViewController, and
// what a library adds or ends goes to the front document window's canvas.
#pragma once

#include "palettes/LibraryViewController.h"

#include <functional>

class Canvas;
class CanvasWindowController;

// The front document window as the library meets it, over the shell's window controller.
class CanvasWindowLibraryFront : public LibraryFrontWindow {
public:
    explicit CanvasWindowLibraryFront(CanvasWindowController* controller = nullptr) : controller_(controller) {}
    void setController(CanvasWindowController* controller) { controller_ = controller; }

    QWidget* canvasWindowWidget() override;
    // The shape goes onto the page on show, selected, as the canvas adds a catalogue shape.
    void addShapeFromPlist(const pf::Value& info) override;
    void revertCanvasToDefaultMouseMode() override;
    void focusCanvas() override;

private:
    Canvas* canvas() const;

    CanvasWindowController* controller_ = nullptr;
};

// Gives every document window a library palette and every library the front window that `front`
// answers (null when no document is open). Registers the palette's interface file.
void installLibraryPalette(std::function<CanvasWindowController*()> front);
