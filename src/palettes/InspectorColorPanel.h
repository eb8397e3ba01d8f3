// The one colour panel the inspector's colour buttons share. It holds the colour on show and, while a
// panel of the inspector owns it, a target that each change of colour is sent to. Setting a colour with no
// target sends nothing; that is how an owner loads the colour it is about to edit.
//
// The window on screen is the presenter's: the program installs one that shows a colour dialog and hands
// the user's choices to userDidChooseColor. Tests install none, or their own.
#pragma once

#include "platform/foundation/Color.h"

#include <functional>
#include <memory>

class InspectorColorPanel {
public:
    // What the panel sends its colour to.
    class Target {
    public:
        virtual ~Target() = default;
        virtual void changeColor(InspectorColorPanel& panel) = 0;
    };

    // Shows the panel (called on every orderFront), and shows each colour set on it.
    using Presenter = std::function<void(InspectorColorPanel& panel)>;

    static InspectorColorPanel& shared();
    // Replaces the shared panel (tests); answers the one it replaces.
    static std::unique_ptr<InspectorColorPanel> replaceShared(std::unique_ptr<InspectorColorPanel> panel);
    static void setPresenter(Presenter present, Presenter showColor = {});

    const pf::Color& color() const { return color_; }
    // Stores the colour and sends it to the target, if any.
    void setColor(const pf::Color& color);
    // A colour the user chose on screen: stored and sent to the target.
    void userDidChooseColor(const pf::Color& color);

    Target* target() const { return target_; }
    void setTarget(Target* target) { target_ = target; }
    // Drops the target only when it is this one (an owner that goes, or gives the panel up).
    void resignTarget(const Target* target);

    bool showsAlpha() const { return showsAlpha_; }
    void setShowsAlpha(bool shows) { showsAlpha_ = shows; }
    unsigned pickerMask() const { return pickerMask_; }
    void setPickerMask(unsigned mask) { pickerMask_ = mask; }

    bool isVisible() const { return visible_; }
    void orderFront();
    // The presenter's window was closed.
    void didClose() { visible_ = false; }

private:
    pf::Color color_ = pf::Color::white();
    Target* target_ = nullptr;
    bool showsAlpha_ = false;
    unsigned pickerMask_ = 0;
    bool visible_ = false;
};
