// The base of the inspector and library palettes: a view controller owning a scroll view that holds a
// palette list, which coalesces refresh requests: any number of setNeedsUpdate in one turn of the main
// queue lead to one update on the next.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "shell/QVViewController.h"

#include <QPointer>

namespace pf {
class Responder;
class ScrollView;
class View;
} // namespace pf
class IDEPaletteListView;

class IDEPaletteViewController : public QVViewController {
public:
    using QVViewController::QVViewController;
    // Cancels the pending update and reload and unhooks the list from this controller.
    ~IDEPaletteViewController() override;

    // The palettes' interface file: a QVViewControllerView filled by a scroll view without a horizontal
    // scroller, whose document is a palette list that follows its width and fills its height. Connects the
    // owner's outlets when it is a palette controller. Palettes register it under their file's name.
    static pf::View* buildPaletteView(pf::Responder* owner);

    // Outlets, connected by the interface file's builder.
    pf::ScrollView* scrollView() const { return scrollView_; }
    void setScrollView(pf::ScrollView* scrollView) { scrollView_ = scrollView; }
    IDEPaletteListView* listView() const { return listView_; }
    void setListView(IDEPaletteListView* listView) { listView_ = listView; }

    // The list gets the palettes' light grey.
    void viewDidLoad() override;
    // Each time the palette is put in a superview its list reloads on the next turn.
    void viewDidMoveToSuperview() override;

    // Owes an update, made on the next turn once however often asked.
    void setNeedsUpdate();
    // The owed update, if any; one asked for while it runs is absorbed.
    void updateConditionally();
    // Rebuilds the rows; empty here.
    virtual void update() {}

private:
    bool needsUpdate_ = false;
    QPointer<pf::ScrollView> scrollView_;
    QPointer<IDEPaletteListView> listView_;
    pf::DelayedCallOwner delayedCalls_;
};
