// The inspector's editor of a gradient fill's colour stops: the gradient as a strip over a checkerboard,
// one pointer-shaped handle per stop under it. A click on an empty spot adds a stop there (in the colour
// of the nearest stop), a handle dragged sideways moves its stop (Shift: in steps of 0.05), a handle
// dragged off the control removes its stop when three or more are left, and a click on a handle opens its
// colour in the shared colour panel (through the control's action). A context menu offers the same.
//
// Stops keep the order in which they were added; drawing and lookups never sort them in place. Every
// gesture (press to release, or to the drag that removes a stop) is one undo step; a press that shows the
// menu opens no group, and a gesture cut short (the control disabled or hidden, focus or window lost)
// closes its group.
#pragma once

#include "model/QVGradientElement.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Path.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/View.h"

#include <functional>
#include <optional>
#include <vector>

class QVGradientControl;

class GradientControlDelegate {
public:
    virtual ~GradientControlDelegate() = default;
    // After the user added, moved, recoloured or removed a stop.
    virtual void gradientControlElementsDidChange(QVGradientControl& control) = 0;
};

class QVGradientControl final : public pf::View, public pf::DraggingSource {
public:
    static constexpr char ElementPasteboardType[] = "com.thistlewick.quorvel.gradient.element";
    static constexpr int Tag = 902;

    explicit QVGradientControl(const pf::Rect& frame, QWidget* parent = nullptr);
    ~QVGradientControl() override;

    int tag() const { return Tag; }
    bool state() const { return true; }

    // Sent when a stop's colour is to be edited (color() holds it).
    void setAction(std::function<void(QVGradientControl&)> action) { action_ = std::move(action); }
    GradientControlDelegate* delegate() const { return delegate_; }
    void setDelegate(GradientControlDelegate* delegate) { delegate_ = delegate; }
    // Where a gesture's undo group goes (the window's undo manager); none: no group.
    void setUndoManagerProvider(std::function<pf::UndoManager*()> provider) { undoManagerProvider_ = std::move(provider); }

    const pf::OptionalColor& color() const { return color_; }
    const std::vector<QVGradientElement>& elements() const { return elements_; }
    void setElements(std::vector<QVGradientElement> elements);
    std::int64_t selectedIndex() const { return selectedIndex_; }
    pf::Point dragOffset() const { return dragOffset_; }
    bool dragRemoving() const { return dragRemoving_; }
    // The stops in array order; built once until the stops change.
    const pf::Gradient& gradient();

    // ---- geometry, for bounds B (y down) ----
    static pf::Rect canvasRectForBounds(const pf::Rect& bounds);
    pf::Rect handleRectForBounds(const pf::Rect& bounds, const pf::Rect& canvasRect, std::size_t index) const;
    // The band a dragged handle may leave only to remove its stop: B's height twice over, any x.
    static pf::Rect limitRectForBounds(const pf::Rect& bounds);
    double xRatioForLocationInView(pf::Point p) const;
    static pf::Path handlePathForHandleRect(const pf::Rect& handle);

    // ---- stops ----
    void selectNone();
    // Nothing without stops; otherwise appends a stop at p's ratio in the colour given, else the nearest
    // stop's (the first on a tie), selects it and opens its colour.
    void addElementWithColorAtLocationInView(std::optional<pf::OptionalColor> color, pf::Point p);
    void removeElementAtIndex(std::size_t index);
    void editElementAtIndex(std::size_t index);

    // The context menu's actions ("addElement:" with a point string as the item's object, "removeElement:",
    // "editElement:"); also reachable for tests.
    void addElementFromMenuPoint(pf::Point p) { addElementWithColorAtLocationInView(std::nullopt, p); }
    void removeSelectedElement();
    void editSelectedElement();

    // Ends the gesture in hand (its undo group closes); nothing when none.
    void cancelGesture();
    bool hasOpenGesture() const { return undoGroup_.has_value(); }

    // ---- dragging a stop off ----
    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext context) override;
    bool ignoreModifierKeysForDraggingSession() override { return true; }
    void draggingSessionEndedAtPoint(pf::Point point, pf::DragOperation operation) override;
    // The handle of a stop as a picture (none for an index out of range).
    QImage draggingImageForColorAtIndex(std::int64_t index) const;

    // Class-wide colours.
    static pf::Color activeBorderColor();
    static pf::Color inactiveBorderColor();

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void rightMouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    bool event(QEvent* e) override;

private:
    void press(const pf::Event& e, bool rightButton);
    void showMenu(const pf::Event& e);
    void fireDelegateDidChange();
    void beginGroup();
    void endGroup();

    std::function<void(QVGradientControl&)> action_;
    GradientControlDelegate* delegate_ = nullptr;
    std::function<pf::UndoManager*()> undoManagerProvider_;
    bool dragRemoving_ = false;
    pf::OptionalColor color_;
    std::vector<QVGradientElement> elements_;
    std::int64_t selectedIndex_ = -1;
    std::optional<pf::Gradient> gradient_;
    pf::Point dragOffset_;
    std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>> undoGroup_;
};
