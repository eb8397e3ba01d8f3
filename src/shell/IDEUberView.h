// The nested split layout of a document window: up to seven client views in fixed regions around a centre,
// with draggable dividers between them. A left column (left-top over left-bottom), a right column
// (right-top over right-bottom), a top row and a bottom row around the centre; every region but the centre
// opens and closes. Open states and sizes are kept in the settings under the layout's autosave name, so a
// window reopens as it was left.
//
// View tree:
//   IDEUberView
//     verticalSplitView (columns):   leftSuperview*, horizontalSplitView, rightSuperview*
//       leftSuperview                leftSplitView: leftTopSuperview*, leftBottomSuperview*
//       horizontalSplitView (rows):  topSuperview*, midSuperview, bottomSuperview*
//       rightSuperview               rightSplitView: rightTopSuperview*, rightBottomSuperview*
// (* while open). Each client sits in its container and fills it. The rules (snapping, resizing, keys) are
// in IDEUberViewRules.h; the split views and their divider drawing in IDEUberViewSplitView.h.
//
// Client views are not owned: one taken out of its slot is left hidden without a parent; those still in
// place when the layout is destroyed go with it (as Qt children do), so owners keep them by QPointer.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/kit/SplitView.h"
#include "platform/kit/View.h"
#include "shell/IDEUberViewRules.h"
#include "shell/QVView.h"

#include <QPointer>
#include <QString>

#include <memory>

namespace pf {
class MenuItem;
}

class IDEUberView;
class IDEUberViewSplitView;

// The delegate of the two column split views (the layout itself is the delegate of the other two).
class IDEUberViewSplitViewDelegateInternal : public pf::SplitViewDelegate {
public:
    explicit IDEUberViewSplitViewDelegateInternal(IDEUberView* uberView) : uberView_(uberView) {}
    ~IDEUberViewSplitViewDelegateInternal() override { uberView_ = nullptr; }

    IDEUberView* uberView() const { return uberView_; }
    void setUberView(IDEUberView* uberView) { uberView_ = uberView; }

    double splitViewConstrainSplitPosition(pf::SplitView& splitView, double proposed, int index) override;
    void splitViewDidResizeSubviews(pf::SplitView& splitView) override;

private:
    IDEUberView* uberView_;
};

// A region's container. Stands in for the kit's hint view: a panel of the window's background colour that
// sizes its children to its bounds and can show a centred hint.
pf::View* IDEUberMakeRegionView(const pf::Rect& frame);
void IDEUberSetRegionHint(pf::View* region, const QString& hint);

class IDEUberView : public QVView, public pf::SplitViewDelegate {
public:
    // The divider style from the setting "IDEUberViewSplitViewDividerStyle": thin when YES, else thick.
    explicit IDEUberView(const pf::Rect& frame, QWidget* parent = nullptr);
    // dividerStyle: 1 thick, 2 thin.
    IDEUberView(const pf::Rect& frame, int dividerStyle, QWidget* parent = nullptr);
    ~IDEUberView() override;

    const QString& autosaveName() const { return defaults_.autosaveName(); }
    void setAutosaveName(const QString& name) { defaults_.setAutosaveName(name); }
    QString makeKey(const QString& key) const { return defaults_.makeKey(key); }

    int splitViewDividerStyle() const { return splitViewDividerStyle_; }
    void setSplitViewDividerStyle(int style);

    // Whether the window is the main window (the thin dividers are darker there): follows the kit's window
    // while the layout is in one; tests set it directly.
    bool drawsAsMain() const { return drawsAsMain_; }
    void setDrawsAsMain(bool main);

    // ---- the tree ----
    IDEUberViewSplitView* verticalSplitView() const { return verticalSplitView_; }
    IDEUberViewSplitView* horizontalSplitView() const { return horizontalSplitView_; }
    IDEUberViewSplitView* leftSplitView() const { return leftSplitView_; }
    IDEUberViewSplitView* rightSplitView() const { return rightSplitView_; }
    pf::View* leftSuperview() const { return leftSuperview_; }
    pf::View* leftTopSuperview() const { return leftTopSuperview_; }
    pf::View* leftBottomSuperview() const { return leftBottomSuperview_; }
    pf::View* rightSuperview() const { return rightSuperview_; }
    pf::View* rightTopSuperview() const { return rightTopSuperview_; }
    pf::View* rightBottomSuperview() const { return rightBottomSuperview_; }
    pf::View* topSuperview() const { return topSuperview_; }
    pf::View* midSuperview() const { return midSuperview_; }
    pf::View* bottomSuperview() const { return bottomSuperview_; }
    // The left and right column split views.
    pf::View* leftView() const;
    pf::View* rightView() const;

    // ---- client slots ----
    QWidget* leftTopView() const { return leftTopView_; }
    QWidget* leftBottomView() const { return leftBottomView_; }
    QWidget* rightTopView() const { return rightTopView_; }
    QWidget* rightBottomView() const { return rightBottomView_; }
    QWidget* topView() const { return topView_; }
    QWidget* midView() const { return midView_; }
    QWidget* bottomView() const { return bottomView_; }
    void setLeftTopView(QWidget* view) { setClient(leftTopView_, view, leftTopSuperview_); }
    void setLeftBottomView(QWidget* view) { setClient(leftBottomView_, view, leftBottomSuperview_); }
    void setRightTopView(QWidget* view) { setClient(rightTopView_, view, rightTopSuperview_); }
    void setRightBottomView(QWidget* view) { setClient(rightBottomView_, view, rightBottomSuperview_); }
    void setTopView(QWidget* view) { setClient(topView_, view, topSuperview_); }
    void setMidView(QWidget* view) { setClient(midView_, view, midSuperview_); }
    void setBottomView(QWidget* view) { setClient(bottomView_, view, bottomSuperview_); }

    // ---- open states ----
    bool isLeftViewOpen() const { return open_[int(uber::Region::Left)]; }
    bool isLeftTopViewOpen() const { return open_[int(uber::Region::LeftTop)]; }
    bool isLeftBottomViewOpen() const { return open_[int(uber::Region::LeftBottom)]; }
    bool isRightViewOpen() const { return open_[int(uber::Region::Right)]; }
    bool isRightTopViewOpen() const { return open_[int(uber::Region::RightTop)]; }
    bool isRightBottomViewOpen() const { return open_[int(uber::Region::RightBottom)]; }
    bool isTopViewOpen() const { return open_[int(uber::Region::Top)]; }
    bool isBottomViewOpen() const { return open_[int(uber::Region::Bottom)]; }
    bool isOpen(uber::Region region) const { return open_[int(region)]; }
    // Only stores the flag.
    void setOpen(uber::Region region, bool open) { open_[int(region)] = open; }

    const uber::Identifier& currentLeftIdentifier() const { return currentLeftIdentifier_; }
    const uber::Identifier& currentRightIdentifier() const { return currentRightIdentifier_; }
    const uber::Identifier& currentTopIdentifier() const { return currentTopIdentifier_; }
    const uber::Identifier& currentBottomIdentifier() const { return currentBottomIdentifier_; }

    // ---- sizes (setters only store) ----
    uber::ExtentBounds leftWidthBounds;      // preferred 200
    uber::ExtentBounds rightWidthBounds;     // preferred 200
    uber::ExtentBounds topHeightBounds;      // preferred 175
    uber::ExtentBounds bottomHeightBounds;   // preferred 175
    uber::ExtentBounds leftTopHeightBounds;  // preferred 200; no alternate
    uber::ExtentBounds rightTopHeightBounds; // preferred 200; no alternate
    double snapTolerance = 12;

    // ---- regions; a sender's represented object names the size kept for the region ----
    void openLeftView(const pf::MenuItem* sender);
    void closeLeftView(const pf::MenuItem* sender);
    void openLeftTopView(const pf::MenuItem* sender);
    void closeLeftTopView(const pf::MenuItem* sender);
    void openLeftBottomView(const pf::MenuItem* sender);
    void closeLeftBottomView(const pf::MenuItem* sender);
    void openRightView(const pf::MenuItem* sender);
    void closeRightView(const pf::MenuItem* sender);
    void openRightTopView(const pf::MenuItem* sender);
    void closeRightTopView(const pf::MenuItem* sender);
    void openRightBottomView(const pf::MenuItem* sender);
    void closeRightBottomView(const pf::MenuItem* sender);
    void openTopView(const pf::MenuItem* sender);
    void closeTopView(const pf::MenuItem* sender);
    void openBottomView(const pf::MenuItem* sender);
    void closeBottomView(const pf::MenuItem* sender);
    void toggleLeftView(const pf::MenuItem* sender);
    void toggleLeftTopView(const pf::MenuItem* sender);
    void toggleLeftBottomView(const pf::MenuItem* sender);
    void toggleRightView(const pf::MenuItem* sender);
    void toggleRightTopView(const pf::MenuItem* sender);
    void toggleRightBottomView(const pf::MenuItem* sender);
    void toggleTopView(const pf::MenuItem* sender);
    void toggleBottomView(const pf::MenuItem* sender);
    // Moves the left divider (any width: the split view keeps it within the window).
    void setLeftViewWidth(double width);

    // ---- persistence ----
    void storeOpenStates();
    void storeSplitPositions();
    void storeLeftSplitPosition();
    void storeRightSplitPosition();
    void storeTopSplitPosition();
    void storeBottomSplitPosition();
    void storeLeftTopSplitPosition();
    void storeRightTopSplitPosition();
    // 0 while the region's column or row is closed; else what is stored, or the preferred size.
    double storedLeftSplitPosition() const;
    double storedRightSplitPosition() const;
    double storedTopSplitPosition() const;
    double storedBottomSplitPosition() const;
    double storedLeftTopSplitPosition() const;
    double storedRightTopSplitPosition() const;
    void restoreOpenStates();
    void restoreSplitPositions();
    void reflectStoredOpenStates();
    // Forgets the stored column widths and row heights (not the column splits) and applies the preferred.
    void resetToPreferredSplitPositions(const pf::MenuItem* sender);
    void restoreLeftSplitPosition();
    void restoreRightSplitPosition();
    void restoreTopSplitPosition();
    void restoreBottomSplitPosition();
    void restoreLeftTopSplitPosition();
    void restoreRightTopSplitPosition();

    // ---- resizing ----
    // The next resize captures the centre's extent and the sides' proportion (after a divider drag begins).
    void resetCapturing();
    double dragStartMidWidth() const { return columnCapture_.centreExtent; }
    double dragStartMidHeight() const { return rowCapture_.centreExtent; }
    // The store 0.1 s after the last resize, and whether one is pending.
    void scheduleStoreSplitPositions();
    bool isStorePending() const { return pendingStore_.isPending(); }

    double splitViewConstrainMinCoordinate(pf::SplitView& splitView, double proposed, int index) override;
    double splitViewConstrainMaxCoordinate(pf::SplitView& splitView, double proposed, int index) override;
    double splitViewConstrainSplitPosition(pf::SplitView& splitView, double proposed, int index) override;
    bool splitViewResizeSubviews(pf::SplitView& splitView, pf::Size oldSize) override;
    void splitViewDidResizeSubviews(pf::SplitView& splitView) override;
    double vSplitViewConstrainSplitPosition(double proposed, int index) const;
    double hSplitViewConstrainSplitPosition(double proposed, int index) const;
    // The column split rule, for the internal delegate.
    double columnSplitViewConstrainSplitPosition(const pf::SplitView& splitView, double proposed, int index) const;
    void vSplitViewResizeSubviews();
    void hSplitViewResizeSubviews();

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void layoutSubviews() override;
    void viewDidMoveToWindow() override;

private:
    // A side column: its two regions, their split and containers, and what opens, closes and sizes it.
    struct Column {
        uber::Region top, bottom;
        IDEUberViewSplitView* split;
        pf::View* topContainer;
        pf::View* bottomContainer;
        void (IDEUberView::*openColumn)(const pf::MenuItem*);
        void (IDEUberView::*closeColumn)(const pf::MenuItem*);
        void (IDEUberView::*restoreSplit)();
        bool restoresAgain;
    };
    Column leftColumn();
    Column rightColumn();
    void openColumnRegion(const Column& column, bool top, const pf::MenuItem* sender);
    void closeColumnRegion(const Column& column, bool top);
    void setClient(QPointer<QWidget>& slot, QWidget* view, pf::View* container);
    // Puts a container into its split view, keeping the first one first and the last one last.
    void insertContainer(pf::SplitView* split, pf::View* container, pf::View* first, pf::View* last);
    void removeContainer(pf::SplitView* split, pf::View* container);
    void redisplay(std::initializer_list<QWidget*> views);
    double storedExtent(uber::Extent extent, uber::Region regionOpen, const uber::Identifier& identifier,
                        double preferred) const;
    void storeExtentIf(bool condition, uber::Extent extent, double measured, const uber::Identifier& identifier);

    pf::DelayedCallOwner calls_;
    pf::DelayedCall pendingStore_;
    std::unique_ptr<IDEUberViewSplitViewDelegateInternal> internalDelegate_;
    uber::LayoutDefaults defaults_;
    int splitViewDividerStyle_ = 1;
    bool drawsAsMain_ = true;
    std::vector<pf::NotificationToken> windowObservers_;
    bool open_[uber::regionCount] = {};
    uber::Identifier currentLeftIdentifier_, currentRightIdentifier_, currentTopIdentifier_, currentBottomIdentifier_;
    uber::DragCapture columnCapture_, rowCapture_;
    // Sides that the last fit to the window's size gave less (or more) than the user chose: their stored
    // extent stays, so a window squeezed for a moment gives it back when it grows. A divider that moves
    // them makes their new extent the chosen one.
    struct FittedSide {
        bool squeezed = false;
        double fitted = 0;
    };
    FittedSide fittedSides_[uber::extentCount];
    void noteFit(uber::Extent extent, bool open, double fitted, double stored, double scale);
    void noteDividerMoved(uber::Extent extent, double measured, double scale);

    // Closed containers wait here, hidden and owned.
    QWidget* shelf_ = nullptr;
    IDEUberViewSplitView* verticalSplitView_ = nullptr;
    IDEUberViewSplitView* horizontalSplitView_ = nullptr;
    IDEUberViewSplitView* leftSplitView_ = nullptr;
    IDEUberViewSplitView* rightSplitView_ = nullptr;
    pf::View* leftSuperview_ = nullptr;
    pf::View* leftTopSuperview_ = nullptr;
    pf::View* leftBottomSuperview_ = nullptr;
    pf::View* rightSuperview_ = nullptr;
    pf::View* rightTopSuperview_ = nullptr;
    pf::View* rightBottomSuperview_ = nullptr;
    pf::View* bottomSuperview_ = nullptr;
    pf::View* midSuperview_ = nullptr;
    pf::View* topSuperview_ = nullptr;
    QPointer<QWidget> leftTopView_, leftBottomView_, rightTopView_, rightBottomView_, topView_, midView_, bottomView_;
};
