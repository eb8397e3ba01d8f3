// The shared font and colour panels. Each is one application-wide object: the program uses non-modal
// QFontDialog and QColorDialog windows, tests install recording stand-ins (setShared). A choice the user
// makes in a panel is sent as an action ("changeFont:", "changeColor:") to the first responder of the
// main window, the window the user works in, even while the panel has the keyboard.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/text/Font.h"

#include <QString>

namespace pf {

class FontPanel {
public:
    // What the user changed last, found by comparing the chosen font with the panel's previous one.
    enum class Change { None, Family, Face, Size };

    virtual ~FontPanel();
    // The program's panel, or the one a test installed; setShared(nullptr) goes back to the program's.
    static FontPanel& shared();
    static void setShared(FontPanel* panel);

    // The font shown, and the one the next choice is compared with.
    void setPanelFont(const Font& font);
    const Font& panelFont() const { return font_; }
    Change lastChange() const { return change_; }
    // Applies the last change to a font: the chosen family (its face kept), face or size.
    Font convertFont(const Font& font) const;
    // The user chose a font: the change is noted and "changeFont:" sent.
    void userChoseFont(const Font& font);
    // Shows the panel.
    virtual void orderFront() = 0;

protected:
    // The window shows the font (it was set by the editor, not chosen by the user).
    virtual void showFont(const Font&) {}

private:
    Font font_;
    Font chosen_;
    Change change_ = Change::None;
};

class ColorPanel {
public:
    virtual ~ColorPanel();
    static ColorPanel& shared();
    static void setShared(ColorPanel* panel);

    const Color& color() const { return color_; }
    void setColor(const Color& color);
    // The user chose a colour: it becomes the panel's and "changeColor:" is sent.
    void userChoseColor(const Color& color);
    virtual void orderFront() = 0;

protected:
    virtual void showColor(const Color&) {}

private:
    Color color_ = Color::black();
};

// Sends an action to the main window's first responder and the responders above it, then to the
// application's responders; false when none handles it.
bool sendActionToMainWindow(const QString& action);

} // namespace pf
