// The inspector's control for a point relative to a rectangle (a picture's anchor): a square well over a
// checkerboard, with a target (a circle and a cross) at the point. Clicking or dragging moves the target;
// Shift keeps the point on tenths of the well, Control leaves it where it is. The point is observable
// under "ratioPoint"; the control sends no action.
//
// ratioPoint is in fractions of the well, (0, 0) its top-left and (1, 1) its bottom-right corner; the
// well is the middle half of the control, so -0.5 to 1.5 reach the control's edges and nothing beyond.
//
// Each left press to its release is one undo group on the window's undo manager. A gesture cut short
// (focus or window lost with no button held, the control disabled or hidden) closes its group; a right
// press opens none. A disabled control ignores the mouse and shows no target.
#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/View.h"

#include <functional>
#include <optional>
#include <utility>

class QVAnchorControl : public pf::View, public pf::Object {
public:
    explicit QVAnchorControl(const pf::Rect& frame = {}, QWidget* parent = nullptr);
    ~QVAnchorControl() override;

    static const pf::ClassObject& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    const pf::Point& ratioPoint() const { return ratioPoint_; }
    void setRatioPoint(const pf::Point& point);

    // Where a gesture's undo group goes (the window's undo manager); none: no group.
    void setUndoManagerProvider(std::function<pf::UndoManager*()> provider) { undoManagerProvider_ = std::move(provider); }
    bool hasOpenGesture() const { return undoGroup_.has_value(); }

    static pf::Color activeBorderColor();
    static pf::Color inactiveBorderColor();
    static pf::Color activeTargetColor();
    static pf::Color inactiveTargetColor();
    // The side of the checkerboard's squares.
    static constexpr double CheckerSquare = 6;

    // The well for the control's bounds: the bounds inset by a quarter of each side, on half points.
    static pf::Rect canvasRectForBounds(const pf::Rect& bounds);
    // The point for a location in the control, each coordinate clamped to [-0.5, 1.5].
    static pf::Point ratioPointForLocationInView(const pf::Point& location, const pf::Rect& well);
    // The target's 10-point square about the point.
    pf::Rect targetRectForCanvasRect(const pf::Rect& well) const;
    // Moves the point to the event's location (nothing while Control is held; tenths with Shift).
    void updateRatioPointForMouseEvent(const pf::Event& e);

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void rightMouseDown(const pf::Event& e) override;
    bool event(QEvent* e) override;

private:
    void endGroup();

    pf::Point ratioPoint_{0.5, 0.5};
    bool tracking_ = false;
    std::function<pf::UndoManager*()> undoManagerProvider_;
    std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>> undoGroup_;
};
