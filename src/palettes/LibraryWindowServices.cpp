#include "palettes/LibraryWindowServices.h"

#include "canvas/Canvas.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowController.h"

#include <memory>

namespace {

// The window's library: the palette controller as the window holds it.
class WindowLibrary : public LibraryPalette {
public:
    pf::View* libraryView() override { return controller_.view(); }
    QWidget* librarySearchField() override { return controller_.searchField(); }

private:
    LibraryViewController controller_;
};

} // namespace

QWidget* CanvasWindowLibraryFront::canvasWindowWidget()
{
    return controller_ ? controller_->windowWidget() : nullptr;
}

Canvas* CanvasWindowLibraryFront::canvas() const
{
    return controller_ ? controller_->canvasView() : nullptr;
}

void CanvasWindowLibraryFront::addShapeFromPlist(const pf::Value& info)
{
    if (Canvas* c = canvas())
        c->addShapeFromPlist(info);
}

void CanvasWindowLibraryFront::revertCanvasToDefaultMouseMode()
{
    if (Canvas* c = canvas())
        c->revertToDefaultMouseMode();
}

void CanvasWindowLibraryFront::focusCanvas()
{
    Canvas* c = canvas();
    if (!c)
        return;
    if (pf::Window* window = pf::Window::of(c))
        window->makeFirstResponder(c);
    else
        c->setFocus(Qt::OtherFocusReason);
}

void installLibraryPalette(std::function<CanvasWindowController*()> front)
{
    LibraryViewController::registerInterfaceFile();
    CanvasWindowController::setLibraryPaletteFactory(
        [](CanvasWindowController&) -> std::unique_ptr<LibraryPalette> { return std::make_unique<WindowLibrary>(); });
    // One adapter serves every call: callers use the answer at once.
    auto adapter = std::make_shared<CanvasWindowLibraryFront>();
    LibraryViewController::setDefaultFrontWindowProvider([front = std::move(front), adapter]() -> LibraryFrontWindow* {
        CanvasWindowController* controller = front ? front() : nullptr;
        if (!controller)
            return nullptr;
        adapter->setController(controller);
        return adapter.get();
    });
}
