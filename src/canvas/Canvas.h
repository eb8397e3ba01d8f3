// The editing surface of one page: the document view of a scroll view, showing the page at its zoom scale,
// centred with a margin. The canvas binds to its page, follows the page's notices, converts between view
// points and page points, keeps the view scrolled, and builds and drops the selection object (a
// Manipulator inside the page's shape list). Events, drawing and tools are added by their own files.
//
// The page is not owned: its owner (the window's document) keeps it alive while it is shown; the canvas
// holds it weakly. Every canvas keeps one page selection object at index 0 of its page, by whose edge
// strips the page itself is resized. Main thread only.
#pragma once

#include "canvas/CanvasServices.h"
#include "manipulators/ManipulatorCanvas.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/View.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <vector>

class Composition;
class Group;
class Manipulator;
class Shape;

class Canvas : public pf::View, public ManipulatorCanvas {
public:
    using Shapes = std::vector<std::shared_ptr<Shape>>;

    // Notices the canvas posts (object: the canvas) and observes (object: its page).
    static constexpr char DidRemoveImageNotification[] = "CanvasDidRemoveImageNotification";
    static constexpr char MetricsUnitTypeDidChangeNotification[] = "CompositionMetricsUnitTypeDidChangeNotification";
    static constexpr char RulerOriginDidChangeNotification[] = "CompositionRulerOriginDidChangeNotification";
    // The tool-mode notices of the library palette (object: the window).
    static constexpr char ShapeModeWasActivatedNotification[] = "CanvasShapeModeWasActivatedNotification";
    static constexpr char BezierModeWasActivatedNotification[] = "CanvasBezierModeWasActivatedNotification";
    static constexpr char BrushModeWasActivatedNotification[] = "CanvasBrushModeWasActivatedNotification";
    static constexpr char PathModeWasActivatedNotification[] = "CanvasPathModeWasActivatedNotification";
    static constexpr char ModeKeyboardShortcutWasTriggeredNotification[] =
        "CanvasModeKeyboardShortcutWasTriggeredNotification";

    explicit Canvas(const pf::Rect& frame = {}, QWidget* parent = nullptr);
    ~Canvas() override;

    // ---- class-wide values ----
    static const pf::Color& canvasFillColor();   // around the page
    static const pf::Color& coverFillColor();    // the veil over shapes outside the page
    static const pf::Color& pageFillColor();
    static const pf::Color& pageBorderColor(bool mainWindow);
    // Free room kept on each side of the page.
    static pf::Size margin() { return {50.0, 50.0}; }

    // ---- services ----
    CanvasWindow* canvasWindow() const { return window_; }
    void setCanvasWindow(CanvasWindow* window) { window_ = window; }
    // The window's document; null without one.
    CanvasDocument* document() const;

    // ---- the page ----
    std::shared_ptr<Composition> composition() const { return page_.lock(); }
    // Ends the tool, binds the page, puts the page selection object at index 0 of it.
    void setComposition(const std::shared_ptr<Composition>& page);
    // The page's zoom scale; 1 without a page or when the page answers 0.
    double currentScale() const;
    // Re-sizes the canvas for the page's zoom.
    void updateForZoomScale();
    // Keeps the origin; the size is the larger of the clip area and the scaled page plus the margins.
    void setFrame(const pf::Rect& frame) override;
    // Tells the page's owner that the selection's area changed, with the palettes.
    void updatePalettes();

    // ---- coordinates (view points <-> page points) ----
    pf::Rect scaledCompositionBounds() const;
    // Where the page's top-left lies in the view: centred, whole points.
    pf::Point compositionOrigin() const;
    pf::Rect scaledCompositionFrame() const;
    pf::Point convertPointToComposition(const pf::Point& p) const;
    pf::Point convertPointFromComposition(const pf::Point& p) const;
    pf::Size convertSizeToComposition(const pf::Size& s) const;
    pf::Size convertSizeFromComposition(const pf::Size& s) const;
    // Bounding boxes: negative sizes come back positive.
    pf::Rect convertRectToComposition(const pf::Rect& r) const;
    pf::Rect convertRectFromComposition(const pf::Rect& r) const;

    // ---- scrolling and zoom ----
    void scrollRectToCenter(const pf::Rect& r);
    void scrollPointToCenter(const pf::Point& p);
    void scrollToCenter();
    void scrollSelectionToCenter();
    void scrollSelectionToVisible();
    void restoreScrollPosition();
    // The hand drag: moves the visible origin by the pointer's way from the drag start.
    void dragScrollToPoint(const pf::Point& p);
    // The zoom rectangle from the drag start to p: the largest zoom step at which it fits, centred.
    void dragZoomToPoint(const pf::Point& p);
    void zoomToFit();
    bool wantsCenterOnSelection() const { return true; }
    const pf::Point& dragStartCanvasPoint() const { return dragStartCanvasPoint_; }
    void setDragStartCanvasPoint(const pf::Point& p) { dragStartCanvasPoint_ = p; }

    // ---- selection ----
    const std::shared_ptr<Manipulator>& manipulator() const { return manipulator_; }
    void setManipulator(const std::shared_ptr<Manipulator>& manipulator) { manipulator_ = manipulator; }
    const std::shared_ptr<Manipulator>& compositionManipulator() const { return compositionManipulator_; }
    bool hasSelection() const;
    bool hasCompositionSelection() const;
    bool hasMultipleSelection() const;
    bool hasSingleSelection() const;
    // The children in the order they were selected.
    Shapes selectedShapes() const;
    // The selected shapes under the first one's parent, back to front, with their indexes there.
    Shapes orderedSelectedShapes(std::vector<std::size_t>* indexes = nullptr) const;
    void addShape(const std::shared_ptr<Shape>& shape);
    void insertShapeAtIndex(const std::shared_ptr<Shape>& shape, std::size_t index);
    // A catalogue shape, kept in view and selected.
    void addShapeFromPlist(const pf::Value& plist);
    void addShapeToSelection(const std::shared_ptr<Shape>& shape) { addShapesToSelection({shape}); }
    // A new selection object for the old selection and these shapes of this page.
    void addShapesToSelection(const Shapes& shapes);
    void replaceSelectionWithShape(const std::shared_ptr<Shape>& shape) { replaceSelectionWithShapes({shape}); }
    void replaceSelectionWithShapes(const Shapes& shapes);
    // Drops the selection object (the page selection only loses its active handle).
    void removeManipulator();
    // Deletes the selected shapes when that is allowed.
    void removeSelection();
    // A temporary group of copies of the selection, for rendering; the page is not changed.
    std::shared_ptr<Group> groupForSelection() const;
    void selectNone();
    bool canSelectNone() const { return hasSelection(); }
    // A selection that is unlocked, lies on the page itself (not inside a group), with no text editor
    // holding the keys.
    bool canRemove() const;
    // The handle of the selection being dragged or hovered; -1 without a selection.
    std::int64_t activeHandle() const;

    // ---- seams filled by later work ----
    // The in-place text editor; none yet.
    virtual bool isEditingText() const { return false; }
    virtual void stopEditingText() {}
    // Ends the active tool; none yet.
    virtual void revertToDefaultMouseMode() {}
    // Rulers and grid follow the page; nothing to do until they are drawn.
    virtual void updateRulersOrigin() {}
    virtual void updateGridPattern() {}

    // ---- ManipulatorCanvas ----
    bool dragCopy() const override { return dragCopy_; }
    void setDragCopy(bool on) { dragCopy_ = on; }
    bool wantsSnap() const override { return wantsSnap_; }
    void setWantsSnap(bool on) { wantsSnap_ = on; }
    void beginEditingTextIn(Shape& shape) override { (void)shape; }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Notice handlers (each only for this canvas's page).
    void compositionMetricsDidChange(const pf::Notification& n);
    void compositionZoomScaleDidChange(const pf::Notification& n);
    void compositionGridDidChange(const pf::Notification& n);
    void compositionRulerOriginDidChange(const pf::Notification& n);
    bool isOwnPage(const pf::Notification& n) const;
    // The tool-mode notices of the window the canvas is in.
    void observeWindowModes();
    void invalidateRestorableState();
    // The view rect of a page rect marked for redrawing.
    void setNeedsDisplayInCompositionRect(const pf::Rect& rect);
    // Takes the selection and the page selection object off the page.
    void unbindPage(Composition& page);

    std::weak_ptr<Composition> page_;
    std::shared_ptr<Manipulator> manipulator_;
    std::shared_ptr<Manipulator> compositionManipulator_;
    CanvasWindow* window_ = nullptr;
    pf::Point dragStartCanvasPoint_;
    bool dragCopy_ = false;
    bool wantsSnap_ = false;
    std::vector<pf::NotificationToken> pageObservers_;
    std::vector<pf::NotificationToken> modeObservers_;
    QPointer<QWidget> observedWindow_;
    QPointer<QWidget> observedClip_;
    pf::DelayedCallOwner delayed_;
};
