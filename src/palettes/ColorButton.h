// The colour well of the inspector's panels: a push-on-push-off button that shows a colour inside its frame
// and takes colours dropped on it. Clicking it sends its action (the panel opens the shared colour panel
// for the key of the button's tag); a dropped colour becomes draggedColor, which the panel observes and
// writes to the selection. A disabled button shows no swatch and takes no drop: its panel is disabled
// because the selection may not be edited.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/ObserverList.h"
#include "platform/kit/View.h"

#include <functional>

class ColorButton : public pf::View {
public:
    explicit ColorButton(const pf::Rect& frame = pf::Rect(0, 0, 44, 24), QWidget* parent = nullptr);
    ~ColorButton() override;

    // The colour shown; none for a mixed or absent value. A change redisplays.
    const pf::OptionalColor& color() const { return color_; }
    void setColor(const pf::OptionalColor& color);

    // The last colour dropped on the button; each drop notifies the observers, even of the same colour.
    const pf::OptionalColor& draggedColor() const { return draggedColor_; }
    void setDraggedColor(const pf::OptionalColor& color);
    pf::ObserverToken observeDraggedColor(std::function<void(ColorButton&)> observer);

    // Colour key tag, 901 to 911.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // On while the shared panel edits this button's key.
    bool state() const { return state_; }
    void setState(bool on);
    // Sent on a click, after the state toggled.
    void setAction(std::function<void(ColorButton&)> action) { action_ = std::move(action); }
    // Toggles the state and sends the action, as a click does.
    void performClick();

    // The swatch drawn inside the bezel, or an empty rect when none is drawn (no colour, or disabled).
    pf::Rect swatchRect() const;

    // Drop target, answered as Cocoa's colour well does; public for tests.
    pf::DragOperation draggingEntered(const pf::DraggingInfo& info) override;
    pf::DragOperation draggingUpdated(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void changeEvent(QEvent* e) override;

private:
    bool acceptsDrop(const pf::DraggingInfo& info) const;

    pf::OptionalColor color_;
    pf::OptionalColor draggedColor_;
    int tag_ = 0;
    bool state_ = false;
    bool pressed_ = false;
    std::function<void(ColorButton&)> action_;
    std::shared_ptr<pf::ObserverList<std::function<void(ColorButton&)>>> draggedObservers_;
};
