// The status bar's labelled pop-up: a label ("Zoom:"), the current value, two small arrows, and a menu
// that opens over the value with the selected item on it. The menu and selection are those of a hidden
// pop-up button (the outlet); the owner drives the value through it. While the menu is open the bar is
// highlighted; after it closes, with or without a choice, the value is read again on the next turn.
// GridStatusBarPopupView shows a unit by its short name.
//
// Text is the system font at 9 points, centred and clipped, at alpha 0.6 while the window is not main.
// The rects follow the status bar's look: the label 8 points in, the value 3 points after it (none
// without a label), the arrows 3 after the value, all on whole points plus a half.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/kit/PopUpButton.h"
#include "platform/text/TextAttributes.h"
#include "shell/QVBar.h"

#include <QPointer>
#include <QString>

#include <memory>

class QMenu;

class QVStatusBarPopUpView : public QVBar {
public:
    explicit QVStatusBarPopUpView(const pf::Rect& frame = {}, QWidget* parent = nullptr);
    ~QVStatusBarPopUpView() override;

    static const pf::TextAttributes& defaultLabelTextAttributes();
    static const pf::TextAttributes& defaultValueTextAttributes();
    static const pf::TextAttributes& defaultNonMainLabelTextAttributes();
    static const pf::TextAttributes& defaultNonMainValueTextAttributes();
    // The colours of the status bar's controls, on a bar (the pop-up) or given to the button.
    static void applyStatusBarColors(QVBar& bar);

    // After the outlets are connected: the bar's colours, the controls set up, the value read.
    void awakeFromNib();
    void setUpSubviews();

    bool isMenuVisible() const { return menuVisible_; }
    void setMenuVisible(bool visible);
    bool isHighlighted() const override { return menuVisible_; }

    const QString& labelText() const { return labelText_; }
    void setLabelText(const QString& text);
    const QString& valueText() const { return valueText_; }
    void setValueText(const QString& text);
    const pf::Size& labelTextSize() const { return labelTextSize_; }
    const pf::Size& valueTextSize() const { return valueTextSize_; }

    // Outlets. The pop-up button becomes a hidden subview; the checkbox is only kept for the owner.
    pf::PopUpButton* popUpButton() const { return popUpButton_; }
    void setPopUpButton(pf::PopUpButton* button);
    QWidget* checkbox() const { return checkbox_; }
    void setCheckbox(QWidget* checkbox) { checkbox_ = checkbox; }

    // On the next turn: the title follows the selected item, the value shows it, the highlight ends.
    virtual void updateValue();
    // The menu closed (a choice, if any, is made first).
    void menuDidClose();

    // Rects in the view's points (y down), for a bar of these bounds.
    pf::Rect labelTextRectForBounds(const pf::Rect& bounds) const;
    pf::Rect valueTextRectForBounds(const pf::Rect& bounds) const;
    pf::Rect arrowsRectForBounds(const pf::Rect& bounds) const;
    pf::Rect popUpButtonRectForBounds(const pf::Rect& bounds) const;
    // Where the selected item's top-left corner goes when the menu of this width opens, in the view.
    pf::Point menuLocationForMenuWidth(double menuWidth) const;

    void layoutSubviews() override;

    // The menu while it is open, or null.
    QMenu* openMenu() const { return menu_.get(); }

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    // The value of the selected item's title; the grid's pop-up shortens unit names.
    virtual QString valueForSelectedTitle(const QString& title) const { return title; }

private:
    void popUpMenu();

    bool menuVisible_ = false;
    QString labelText_;
    QString valueText_;
    QPointer<QWidget> checkbox_;
    QPointer<pf::PopUpButton> popUpButton_;
    pf::Size labelTextSize_;
    pf::Size valueTextSize_;
    std::unique_ptr<QMenu> menu_;
    pf::DelayedCallOwner calls_;
};

class GridStatusBarPopupView : public QVStatusBarPopUpView {
public:
    using QVStatusBarPopUpView::QVStatusBarPopUpView;

protected:
    // Inches and Centimeters show as their short names; a spacing shows its own title.
    QString valueForSelectedTitle(const QString& title) const override;
};
