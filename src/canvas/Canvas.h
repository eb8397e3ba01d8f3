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
#include "canvas/MouseStrategy.h"
#include "manipulators/ManipulatorCanvas.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/RulerView.h"
#include "platform/kit/View.h"

#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CanvasEffectCache;
class CanvasFieldEditorTextView;
class Connection;
class CanvasShapeIndex;
class Composition;
class Group;
class Guide;
class Lasso;
class Manipulator;
class Shape;
class ToolTip;

namespace pf {
class Font;
class FontPanel;
class Menu;
class MenuItem;
}

class Canvas : public pf::View, public ManipulatorCanvas, public pf::RulerClient {
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

    // The view rect of a page rect marked for redrawing.
    void setNeedsDisplayInCompositionRect(const pf::Rect& rect);
    // The page's edit notice, as its owner passes it on: the rect is redrawn, and when undo or redo moved
    // selected shapes the selection takes their frames again (its handles follow them).
    void compositionWasEditedInRect(const pf::Rect& rect);

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
    // Exactly where the shape is: the grid neither moves nor resizes it (results of commands, brush ink).
    // pf::NotFound puts it on top.
    void insertShapeInPlace(const std::shared_ptr<Shape>& shape, std::size_t index);
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
    // The in-place text editor runs (CanvasTextEditing.cpp).
    virtual bool isEditingText() const;
    virtual void stopEditingText();
    // The rulers' zero point on the page's ruler origin corner (CanvasRulers.cpp).
    virtual void updateRulersOrigin();
    // The grid follows the page's zoom, grid and metrics (CanvasDrawing.cpp).
    virtual void updateGridPattern();

    // ---- events (CanvasEvents.cpp) ----
    // Tool keys: key code -> the class name the library's tool mode takes (V, 9, ends a tool).
    static const std::map<std::uint16_t, QString>& toolKeyTable();
    // Cached diagonal resize cursors.
    static const pf::Cursor& resizeDiagonalTopLefCursor();
    static const pf::Cursor& resizeDiagonalTopRitCursor();
    static const pf::Cursor& resizeDiagonalBotLefCursor();
    static const pf::Cursor& resizeDiagonalBotRitCursor();
    // The cursor shown over the canvas (the default arrow when none was chosen).
    const pf::Cursor& shownCursor() const { return shownCursor_; }
    void showCursor(const pf::Cursor& cursor);
    void showDefaultCursor() { showCursor(pf::Cursor::arrow()); }

    // Snapping is switched on for a drag step only when the pointer moves less than a page point on an axis.
    void optimizeSnapping(const pf::Point& pagePoint);
    // A drag step at a page point: decides whether snapping is wanted, once optimizeSnapping armed it.
    void noteDragPointForSnapping(const pf::Point& pagePoint);
    // Whether a drag has gone past the drag threshold (once past, until the next press).
    bool dragPointMeetsDragThreshold(const pf::Point& viewPoint);
    // One drag step of the selection: threshold, page-resize amplification, snapping decision, the step of
    // the running drag, redisplay of what changed.
    void manipulatorDragged(const pf::Event& event, const pf::Point& viewPoint);
    // While the page itself is resized by a left or top handle, the pointer's way from the drag start is
    // amplified (the page grows about its centre), twice more or, with Option, once more.
    pf::Point amplifiedDragPoint(const pf::Event& event, const pf::Point& viewPoint) const;
    // A double click: the innermost shape under the point is selected and asked to handle it.
    bool mouseDownDoubleClick(const pf::Point& pagePoint);
    bool hasMetDragThreshold() const { return hasMetDragThreshold_; }
    // A drag starts at this view point: the threshold is measured from it.
    void beginDragAtPoint(const pf::Point& viewPoint);
    bool dragScroll() const { return dragScroll_; }
    bool dragZoom() const { return dragZoom_; }
    bool killDrag() const { return killDrag_; }
    bool showingResizeCursor() const { return showingResizeCursor_; }

    // The rubber band in progress, or null.
    const std::shared_ptr<Lasso>& lasso() const { return lasso_; }
    void lassoMouseDragged(const pf::Event& event, const pf::Point& viewPoint);
    void removeLasso();

    // The label near the pointer during drags (made on first use).
    ToolTip* toolTip() const { return toolTip_; }
    void showToolTipWithText(const QString& text);
    void showToolTipWithRect(const pf::Rect& pageRect);
    void showToolTipWithPoint(const pf::Point& pagePoint);
    void showToolTipWithSize(const pf::Size& size);
    void showToolTipForResizeDrag();
    void hideToolTip();

    // The context menu for the event's point, built and opened on the next turn (the requests are counted).
    void showCanvasContextMenuForEvent(const pf::Event& event);
    int contextMenuRequests() const { return contextMenuRequests_; }

    // ---- tools (CanvasTools.cpp) ----
    static constexpr char DefaultModeWasActivatedNotification[] = "CanvasDefaultModeWasActivatedNotification";
    static constexpr char DidClearListSelectionNotification[] = "CanvasDidClearListSelectionNotification";
    const std::shared_ptr<MouseStrategy>& mouseStrategy() const { return mouseStrategy_; }
    // Makes the tool the canvas's tool: the running one ends (keeping the library's choice), the selection
    // goes, and one undo group holds everything the tool makes until it ends. A null tool does nothing.
    void mouseModeWasActivated(std::shared_ptr<MouseStrategy> tool);
    // A press on connection option 12 to 16 of the single selected shape (CanvasConnectionOptions.cpp): the
    // tool of the option's connector kind takes over the gesture, with a new connector whose first end is
    // attached at the shape's rounded centre; the other end follows the pointer.
    void beginConnectionOptionDrag(const pf::Event& event, const pf::Point& point, std::int64_t handle);
    // A tool finished a shape: it ends, or with persist stays for the next one.
    void mouseStrategyDidFinish(MouseStrategy& tool, bool persist);
    // Ends the active tool (the library's list selection is cleared).
    void revertToDefaultMouseMode() { revertToDefaultMouseModeAndKeepListSelection(false); }
    void revertToDefaultMouseModeAndKeepListSelection(bool keep);
    // A call on the main queue that dies with the canvas.
    pf::DelayedCall performAfterDelay(std::function<void()> call, pf::Nanoseconds delay)
    {
        return delayed_.performAfterDelay(std::move(call), delay);
    }
    // Clears the temporary guides and the snap marks and redraws where they were (CanvasNudge.cpp).
    void clearTempGuidesNow();

    // ---- nudge and keyboard selection (CanvasNudge.cpp) ----
    // The step of the arrow keys in page points: the grid spacing with the grid on, else 1; Option swaps them.
    double nudgeDistance() const;
    // Move the selection by the step (jumps by ten steps); a locked selection stays put and beeps.
    void nudgeUp();
    void nudgeDown();
    void nudgeLeft();
    void nudgeRight();
    void jumpUp();
    void jumpDown();
    void jumpLeft();
    void jumpRight();
    // On the next turn: the selection's tool tip again, the guides the new place lines up with, shown
    // until clearTempGuidesLater clears them.
    void didNudge();
    // Clears the temporary guides 0.25 s from now (each nudge its own).
    void clearTempGuidesLater();
    // Selects the nearest top-level shape whose centre lies that way of the first selected shape's centre
    // (of the page's origin with nothing selected): by the distance along the way, with Option in a
    // straight line; ties go to the shape lower in the page. No such shape: the selection stays.
    void selectShapeUp();
    void selectShapeDown();
    void selectShapeLeft();
    void selectShapeRight();
    void selectShapeWithCompareOriginMeasureDistance(const std::function<bool(const pf::Point&, const pf::Point&)>& compare,
                                                     const std::function<double(const pf::Point&, const pf::Point&)>& measure);
    // The text-movement commands the window sends select shapes instead.
    void moveToBeginningOfLine() { selectShapeLeft(); }
    void moveToEndOfLine() { selectShapeRight(); }
    void moveToBeginningOfDocument() { selectShapeUp(); }
    void moveToEndOfDocument() { selectShapeDown(); }

    // ---- arrange (CanvasArrange.cpp) ----
    // Stacking: the selection's top-level shapes to the top or the bottom of the page, keeping their order.
    void bringToFront();
    void sendToBack();
    // The page takes the selection's size and the selection moves to the page's origin.
    void resizeCanvasToFitSelection();
    // Beep when refused.
    void group();
    void ungroup();
    // Depth first: the shapes that are not groups, the groups' leaves in their place.
    static Shapes deepSearchForNonGroupShapes(const Shapes& shapes);
    void lock();
    void unlock();
    // tag 8989 is the application's own Hide item: the application's windows are minimised instead.
    void hide(int tag = 0);
    void unhide();
    // The page's unlocked top-level shapes onto the grid.
    void alignShapesToGrid();
    void alignShapesLeft();
    void alignShapesCenterVertical();
    void alignShapesRight();
    void alignShapesTop();
    void alignShapesCenterHorizontal();
    void alignShapesBottom();
    // The left (top) edges equally spaced between the outermost ones.
    void evenlyDistributeShapesHorizontal();
    void evenlyDistributeShapesVertical();
    // Every user guide, in one undoable step "Edit Guides".
    void clearGuides();

    // ---- temporary guides (CanvasGuides.cpp) ----
    // The snapping lines of the running drag or nudge.
    const std::vector<std::shared_ptr<Guide>>& tempGuides() const { return tempGuides_; }
    // Empties them; answers the rect they covered (page points), to redraw.
    pf::Rect clearTempGuides();
    // The rect the temporary guides cover (the zero rect for none).
    pf::Rect tempGuidesDirtyRect() const;
    // Appended unless the active tool does not want them.
    void addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to) override;
    // Keeps the guides on the rect's edges and centre lines; with none left the snap marks go too.
    pf::Rect cleanUpTempGuidesWithManipulatorRect(const pf::Rect& rect) override;

    // ---- connection and snap marks (CanvasMarks.cpp) ----
    // The pending connection of a dragged connector end (replacing any earlier one); its target redraws.
    void addConnection(const std::shared_ptr<Connection>& connection) override;
    void discardConnection() override;
    const std::shared_ptr<Connection>& draggingConnection() const { return draggingConnection_; }
    // The selection's rect joined with the pending target's (page points); changes nothing.
    pf::Rect clearConnectingSet() const;
    void setConnectingShapesRectDirty();
    void commitConnection();
    // The pending connection goes to the page, only while it is still valid there (see CanvasMarks.cpp).
    void addPendingConnectionToPage();
    void flashOn();
    void flashOff();
    void flashOffFinal();
    void addConnectionAndFlashOffFinal();
    // The end of a connecting drag: with flash the target blinks twice and the connection is added 0.4 s
    // later; without, the highlight goes and nothing is added.
    void endConnectingWithFlash(bool flash);
    // Cancels the blink and the add still pending.
    void cancelConnectionFlash();
    bool connectionFlashOn() const { return connectionFlashOn_; }
    void setConnectionFlashOn(bool on) { connectionFlashOn_ = on; }
    void addSnappedShape(const std::shared_ptr<Shape>& shape) override;
    // Unmarks the snapped shapes; answers their rect joined with the selection's (page points).
    pf::Rect clearSnappedSet();
    pf::Rect snappedSetDirtyRect() const;
    const Shapes& snappedSet() const { return snappedSet_; }

    // ---- user guides (CanvasGuides.cpp) ----
    // The page's first user guide under the view point; none while guides are hidden or locked.
    std::shared_ptr<Guide> userGuideAtPoint(const pf::Point& viewPoint) const;
    // Undoable ("Add Guide", "Remove Guide").
    void addUserGuide(const std::shared_ptr<Guide>& guide);
    void removeUserGuide(const std::shared_ptr<Guide>& guide);
    void setNeedsDisplayInUserGuidesDirtyRect();
    const std::shared_ptr<Guide>& draggingUserGuide() const { return draggingUserGuide_; }
    void setDraggingUserGuide(const std::shared_ptr<Guide>& guide) { draggingUserGuide_ = guide; }
    // Moves the dragged guide to the point, on the grid unless Option inverts the grid setting.
    void userGuideDragged(const pf::Event& event, const pf::Point& viewPoint);
    // Dropped outside the visible area, the dragged guide is deleted.
    void userGuideMouseUp(const pf::Event& event, const pf::Point& viewPoint);
    // The position in the page's unit, as the guide's tool tip shows it.
    QString guideToolTipTextForPosition(double position, bool isVertical) const;
    void showGuideCursorForVertical(bool vertical);
    // The short fade where a deleted guide was dropped (view point; 0 to 1 while it runs, else none).
    // The diagonal resize cursor drawn at the angle (degrees).
    static pf::Cursor resizeDiagonalCursor(double degrees);

    // ---- rulers (CanvasRulers.cpp; the pull-out in CanvasGuides.cpp) ----
    // The rulers of the enclosing scroll view; null when it has none.
    pf::RulerView* horizontalRuler() const;
    pf::RulerView* verticalRuler() const;
    // A left press (without Control) pulls a guide out, a right press or a Control press opens the menu.
    void rulerViewHandleMouseDown(pf::RulerView& ruler, const pf::Event& event) override;
    void rulerViewHandleMouseDragged(pf::RulerView& ruler, const pf::Event& event, const pf::Point& point) override;
    void rulerViewHandleMouseUp(pf::RulerView& ruler, const pf::Event& event, const pf::Point& point) override;
    // A new guide of type 2, off the page until the first drag step, dragged until the release. The whole
    // pull-out is one undo step "Add Guide"; one released outside the visible area leaves none.
    void rulerViewHandleLeftClick(pf::RulerView& ruler, const pf::Event& event);
    // The ruler menu, shown one turn later.
    void rulerViewHandleRightClick(pf::RulerView& ruler, const pf::Event& event);
    bool isPullingOutGuide() const { return pullOut_.has_value(); }
    // The units (tag: unit type) with a check on the page's, then "Ruler Origin" with the nine corners (tag:
    // corner) with a check on the page's.
    std::shared_ptr<pf::Menu> rulerMenu();
    // Menu actions "changeRulerUnitType:" and "changeRulerOriginCorner:" (the item's tag).
    void changeRulerUnitType(std::int64_t unitType);
    void changeRulerOriginCorner(std::int64_t corner);

    // ---- drawing (CanvasDrawing*.cpp) ----
    // One dirty rect (view points): the canvas around the page, the page, the grid, the page's shapes, a veil
    // over what lies outside the page, the border, the guides and the selection's handles. Grid, veil,
    // border, guides and handles only on screen, and not while the page exports, makes a thumbnail or
    // fills a loupe.
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    // Where the page draws: the scaled frame with its origin rounded plus half a point and its size rounded,
    // so that 1-point strokes fall on pixel centres.
    pf::Rect pageDrawingRect() const;
    // The grid, one pattern every 1, 2, 4 and 8 cells: spacing and line width in view points.
    struct GridPattern {
        double side = 0;
        double lineWidth = 0;
    };
    const std::array<GridPattern, 4>& gridPatterns() const { return gridPatterns_; }
    // The grid-visibility preference: 2 always, 1 when the page's grid is on, otherwise never.
    bool isGridVisible() const;
    // The canvas's window is the active one (its page border is darker).
    bool isMainWindow() const;
    // The topmost savable shape of the page containing the page point, as the page's own shapeAtPoint
    // answers, found through the spatial index.
    std::shared_ptr<Shape> shapeAtPoint(const pf::Point& pagePoint) const;
    // What the paints did since the last reset, for tests and measurements.
    struct DrawingStats {
        std::size_t paints = 0;
        std::size_t shapesDrawn = 0;
        pf::Rect lastDirtyRect;
    };
    const DrawingStats& drawingStats() const { return drawingStats_; }
    void resetDrawingStats() { drawingStats_ = {}; }
    // The pictures of shadowed and filtered shapes kept between paints.
    CanvasEffectCache& effectCache() const;
    // Off: every paint hands the page all its shapes, as an export does (for comparisons).
    bool usesShapeIndex() const { return usesShapeIndex_; }
    void setUsesShapeIndex(bool on) { usesShapeIndex_ = on; }

    // ---- clipboard (CanvasClipboard.cpp) ----
    // The selection in page order as a shape record: copies with fresh identifiers, the identifiers of the
    // shapes they were copied from, and the connections whose two ends are both copied.
    pf::Value plistCopyFromSelectedShapesAndConnections() const;
    // Builds shapes from a record (checked first: it may come from another program) and selects them. With
    // position the block is centred on the last press (the page's centre before any); without, each copy
    // goes just above the shape it was copied from. Entries naming no stored kind and connections that do
    // not join two of the new shapes are skipped and logged; nothing added beeps. The new shapes.
    Shapes handlePasteShapeData(const pf::Value& record, bool position);
    void copy();
    void cut();
    // Our shapes, else TIFF, PNG, picture files, then a picture offered only as JPEG or BMP.
    void paste();
    void duplicate();
    void copyStyle();
    void pasteStyle();
    // The document stores the picture; an image shape showing it is added at the page's origin.
    void handlePasteImageData(const QByteArray& data, std::int64_t imageType, bool resizeToFit);
    // One image shape per picture file, the first centred on the view point, the next ones 10 points apart.
    // Answers whether any file was asked for (files whose extension names no picture are skipped at once).
    bool addImagesForFilesAtPaths(const QStringList& paths, const pf::Point& viewPoint, bool resizeToFit);
    // The image type code of a file extension (any case); -1 for one that is not a picture we keep.
    static std::int64_t imageTypeForExtention(const QString& extension);
    // Option-drag: the selection is duplicated in place inside an undo group closed at the release.
    void beginDragCopy();
    void endDragCopy();

    // ---- drops (CanvasDrops.cpp) ----
    // Library entries, copied shapes, colours, picture data and picture files (see the file's comment).
    pf::DragOperation draggingEntered(const pf::DraggingInfo& info) override;
    pf::DragOperation draggingUpdated(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo& info) override;
    void draggingEnded(const pf::DraggingInfo& info) override;
    // Answers whether the drop added or changed something (a source may delete what it moved on YES).
    bool performDragOperation(const pf::DraggingInfo& info) override;
    // The shape a colour dropped at the page point recolours: the one under it, else the frontmost near it.
    std::shared_ptr<Shape> colorDropTargetAtPoint(const pf::Point& pagePoint) const;
    // The page takes the picture's size and the picture goes to its origin.
    void addImageAndResizeForFileAtPath(const QString& path);
    // The picture of the file into the selected shapes; an alert says when it cannot be loaded.
    void insertImageIntoSelectionForFileAtPath(const QString& path);

    // ---- context menu (CanvasContextMenu.cpp) ----
    // The point, path and flip commands, the selection's commands and a Select item for each unselected
    // shape near the page point, front to back. Only commands that apply and that the canvas performs.
    void populateContextMenuForPoint(pf::Menu& menu, const pf::Point& pagePoint);
    void addMenuItemsForSelectionToMenu(pf::Menu& menu);
    // A separator, unless the menu is empty or already ends in one.
    static void addSeparatorTo(pf::Menu& menu);
    // The menu key, Shift+F10: at the mouse when it is over the canvas, else at the selection's centre.
    void showContextMenuFromKeyboard();

    // ---- Boolean and path commands (CanvasPathCommands.cpp) ----
    // Each runs its test again and beeps when it does not apply; each is one undo step.
    // The page's frame with a hole in the selected shape's outline, as a Bezier in the shape's place (not
    // selected).
    void invert();
    // Operations 0 difference, 1 intersection, 2 union, 3 exclusion of the two selected shapes (A the lower,
    // B the upper); the results, with A's style (B − A of an exclusion with B's), go where A was, selected.
    void doBooleanOperation(int operation);
    void difference() { doBooleanOperation(0); }
    void intersection() { doBooleanOperation(1); }
    void unionShapes() { doBooleanOperation(2); }
    void exclusion() { doBooleanOperation(3); }
    void flipHorizontal();
    void flipVertical();
    void closePath();
    void reversePath();
    // The single selected shape cut where the last press was; the pieces take its place, selected.
    void slicePath();
    // The first selected shape takes in the others' outlines; the others leave the page.
    void combineShapes();
    // A Bezier of each selected shape's outline in its place on top of the page; the sources go.
    void convertToBezier();

    // ---- trackpad gestures (CanvasGestures.cpp) ----
    // The zoom codes a pinch steps through, by step 0..14 (clamped).
    static std::int64_t zoomScaleIndexForInteger(std::int64_t step);
    // The step of a zoom code; a code the table does not hold (shown at 1.0) counts as the step of 1.0.
    static std::int64_t integerForZoomScaleIndex(std::int64_t code);
    // A gesture sequence begins (fingers down) or ends.
    void touchesBegan();
    void touchesEnded();
    bool newTouchEvent() const { return newTouchEvent_; }
    double totalTouchChange() const { return totalTouchChange_; }
    // A turn in progress: its undo group closes and its angles are forgotten.
    void endRotationGesture();

    // ---- edit commands (CanvasEditCommands.cpp) ----
    // A text field, text view or spin box has the keys, or the in-place editor runs: edits go to the text.
    bool isTextObjectFirstResponder() const;
    bool isSelectionCompletelyUnlocked() const;
    bool isSelectionGrouped() const;
    bool selectionContainsGroup() const;
    bool isEntireSelectionSibling() const;
    bool canCut() const { return canRemove(); }
    bool canCopy() const;
    bool canDuplicate() const { return canCopy(); }
    bool canChangeImage() const;
    // The selected shapes that carry a picture, counted up to two: the image items' titles say one or several.
    std::size_t selectedPictureCount() const;
    // "Remove Image" or "Remove Images" for the count; none without a picture.
    static const char* removeImagesTitle(std::size_t pictures);
    bool canRemoveImages() const { return canChangeImage() && selectedPictureCount() > 0; }
    bool canEditText() const;
    bool canSelectAll() const;
    bool canBringToFront() const;
    bool canSendToBack() const { return canBringToFront(); }
    bool canGroup() const;
    bool canUngroup() const;
    bool canHide() const;
    bool canUnhide() const;
    bool canLock() const;
    bool canUnlock() const;
    bool canAlign() const;
    bool canInvert() const;
    bool canIntersect() const;
    bool canFlip() const;
    bool canClosePath() const;
    bool canReversePath() const;
    bool canSlicePath() const;
    bool canCombineShapes() const;
    bool canConvertToBezier() const;
    // The pasteboard holds something paste takes: shapes, a picture or picture files.
    bool canPaste() const;
    bool canCopyStyle() const;
    bool canPasteStyle() const;
    bool canSizeToFitText() const;
    bool canInsertPoint() const;
    bool canRemovePoint() const;
    bool canShowInfo() const { return true; }
    // The page has guides of the user's to clear.
    bool canClearGuides() const;
    void remove();
    void selectAll();
    void selectShape(const std::shared_ptr<Shape>& shape);
    void editText();
    void sizeToFitText();
    void removeImages();
    // The test of an action of the command table; actions without one are always enabled.
    bool validateAction(const QString& action) const;
    bool validateMenuItem(const pf::MenuItem& item) const override;

    // ---- ManipulatorCanvas ----
    bool dragCopy() const override { return dragCopy_; }
    void setDragCopy(bool on) { dragCopy_ = on; }
    bool wantsSnap() const override { return wantsSnap_; }
    void setWantsSnap(bool on) { wantsSnap_ = on; }
    void beginEditingTextIn(Shape& shape) override;

    // ---- in-place text editing (CanvasTextEditing.cpp) ----
    // The editor laid over a shape whose text is edited; made on first use and kept between edits.
    CanvasFieldEditorTextView& fieldEditor();
    bool hasFieldEditor() const { return fieldEditor_ != nullptr; }
    // The shape being edited, or null.
    Shape* textEditingShape() const { return textEditingShape_.get(); }
    // The editor draws at the zoom: the scale goes to it as a factor of the one it has.
    void scaleFieldEditorBy(double scale);
    double lastFieldEditorScale() const { return lastFieldEditorScale_; }
    const pf::Rect& lastFieldEditorRect() const { return lastFieldEditorRect_; }
    // The editor's text changed: written to the edited shape (inside the edit's undo group), the editor
    // refitted to the text's new band.
    void textDidChange(CanvasFieldEditorTextView& editor);
    // Return, Alt+Return, Tab, Alt+Tab and Escape as the preference and the canvas want them; answers
    // whether the command was handled.
    bool textViewDoCommandBySelector(CanvasFieldEditorTextView& editor, const QString& command);
    // The font panel's change applied to the remembered font, which every selected shape takes.
    void changeFont(const pf::FontPanel& sender);
    // A group passes the font to its children (recursively); other shapes take it over their whole text.
    void setFontOnShape(const pf::Font& font, Shape& shape);
    // The third click of a series: the word under the point is selected in the editor.
    void performTripleClickInFieldEditor(const pf::Event& event);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyDown(const pf::Event& e) override;
    void keyUp(const pf::Event& e) override;
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void mouseMoved(const pf::Event& e) override;
    void flagsChanged(const pf::Event& e) override;
    void rightMouseDown(const pf::Event& e) override;
    void magnifyWithEvent(const pf::Event& e) override;
    // Ctrl with the wheel zooms as a pinch does, a step a notch; the plain wheel scrolls.
    void scrollWheel(const pf::Event& e) override;
    void rotateWithEvent(const pf::Event& e) override;
    void beginGestureWithEvent(const pf::Event& e) override;
    void endGestureWithEvent(const pf::Event& e) override;
    bool consumesKeyEquivalent(const pf::Event& e) const override;
    // Nothing the canvas draws shows whether it has the keys: no repaint of the whole view when they come or
    // go (the in-place editor's end, a palette's field), which Qt's default asks for.
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // Notice handlers (each only for this canvas's page).
    void compositionMetricsDidChange(const pf::Notification& n);
    void compositionZoomScaleDidChange(const pf::Notification& n);
    void compositionGridDidChange(const pf::Notification& n);
    void compositionRulerOriginDidChange(const pf::Notification& n);
    bool isOwnPage(const pf::Notification& n) const;
    // The tool-mode notices of the window the canvas is in.
    void observeWindowModes();
    void canvasModeWasActivated(const pf::Notification& n);
    void invalidateRestorableState();
    // Takes the selection and the page selection object off the page.
    void unbindPage(Composition& page);

    // The press, drag or band in progress, handled the same whether the event is left or right.
    void handleMouseDown(const pf::Event& e, bool rightClick);
    // The files as pictures; with pageTakesSize the page takes each one's size and it goes to the origin.
    bool addImagesForFiles(const QStringList& paths, const pf::Point& viewPoint, bool resizeToFit, bool pageTakesSize);
    // The canvas's own commands that menus send it (CanvasContextMenu.cpp).
    void registerContextMenuActions();
    // A release Qt lost (a popup took the pointer, the window went inactive) ends the gesture as a mouse-up
    // at the last drag point.
    void endLostGesture();
    pf::Rect clearDragMarks();
    void startLasso(const std::shared_ptr<Lasso>& band, const pf::Point& pagePoint);
    // Command (Ctrl) selects the nearest shape that way, Shift jumps, an arrow alone nudges (CanvasNudge.cpp).
    void arrowKeyDown(const pf::Event& e);

    // A guide being pulled out of a ruler: the page whose undo registration is off meanwhile.
    struct PullOut {
        std::weak_ptr<Composition> page;
        bool undoDisabled = false;
    };
    std::optional<PullOut> pullOut_;
    void endPullOut(const pf::Event* event, const pf::Point& point);
    // Both rulers' guide lines go.
    void clearRulerlines();

    std::vector<std::shared_ptr<Guide>> tempGuides_;
    std::shared_ptr<MouseStrategy> mouseStrategy_;
    std::optional<pf::UndoGroupToken> toolUndoGroup_;
    std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>> guideUndoGroup_;
    std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>> dragCopyUndoGroup_;
    // The edit commands' actions, registered by the constructor.
    void registerEditActions();
    pf::UndoManager* toolUndoManager_ = nullptr;
    std::shared_ptr<Lasso> lasso_;
    ToolTip* toolTip_ = nullptr;
    std::optional<pf::Event> lastDragEvent_;
    std::vector<const Shape*> ignoredShapes_;
    pf::Cursor shownCursor_ = pf::Cursor::arrow();
    pf::Point lastDragCompPoint_;
    pf::Point lastEventLocation_;
    int contextMenuRequests_ = 0;
    bool mouseIsDown_ = false;
    bool checkWantsSnap_ = false;
    bool hasMetDragThreshold_ = false;
    bool dragScroll_ = false;
    bool dragZoom_ = false;
    bool killDrag_ = false;
    // A tool ended inside a click series (a double-click that ends a path): the series' later presses
    // belong to the tool's gesture, not to the pointer.
    bool swallowClickSeries_ = false;
    bool showingResizeCursor_ = false;
    bool connectionFlashOn_ = false;
    std::shared_ptr<Connection> draggingConnection_;
    std::vector<pf::DelayedCall> connectionFlashCalls_;
    Shapes snappedSet_;
    std::shared_ptr<Guide> draggingUserGuide_;
    std::weak_ptr<Composition> page_;
    std::shared_ptr<Manipulator> manipulator_;
    bool refittingSelection_ = false;
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

    // ---- drawing ----
    void drawGridInContext(pf::GraphicsContext& context, const pf::Rect& dirtyRect) const;
    void drawCoversInContext(pf::GraphicsContext& context, const pf::Rect& pageRect, const pf::Rect& dirtyRect) const;
    // Fills the dirty rect but the page rect (view points, both on whole pixels) with the canvas colour
    // veiled, but for what shapes may paint there: the canvas colour there, and its rects in veilLater.
    void fillMarginVeiled(pf::GraphicsContext& context, Composition& page, const pf::Rect& pageRect,
                          const pf::Rect& dirtyRect, const pf::AffineTransform& pageToView,
                          std::vector<pf::Rect>& veilLater) const;
    void drawGuideInContext(pf::GraphicsContext& context, const Guide& guide, const pf::Rect& dirtyRect) const;
    void drawShapesInContext(pf::GraphicsContext& context, Composition& page, const pf::Rect& pageDirtyRect,
                             bool onScreen);
    std::array<GridPattern, 4> gridPatterns_{};
    // Shared, not unique: the destructor is compiled where these types are not known.
    mutable std::shared_ptr<CanvasShapeIndex> shapeIndex_;
    // The page's log of changed shapes, taken before each use of the index (kept to reuse its storage).
    mutable std::vector<const Shape*> displayChanges_;
    // Brings the index up to date with the page's list and its log of changes.
    void updateShapeIndex(Composition& page) const;
    mutable std::shared_ptr<CanvasEffectCache> effectCache_;
    DrawingStats drawingStats_;
    bool usesShapeIndex_ = true;

    // ---- gestures ----
    bool newTouchEvent_ = false;
    double totalTouchChange_ = 0;
    // The Ctrl+wheel turn not yet a whole notch (fine wheels report parts of one).
    double wheelZoomTurn_ = 0;
    // One zoom step in or out; the first step of a gesture with nothing selected keeps the page point
    // under viewPoint in view.
    void stepZoom(bool in, bool first, const pf::Point& viewPoint);
    // A turn of the selection by the rotate gesture: the selection it turns, each child's angle when it
    // began, the turn so far (degrees, counter-clockwise) and its undo group.
    struct RotationGesture {
        std::weak_ptr<Manipulator> selection;
        std::vector<std::pair<std::weak_ptr<Shape>, std::int64_t>> startAngles;
        double total = 0;
        pf::UndoManager* undo = nullptr;
        pf::UndoGroupToken token;
    };
    std::optional<RotationGesture> rotation_;

    // ---- in-place text editing ----
    // A child of the canvas (deleted with it), hidden between edits.
    CanvasFieldEditorTextView* fieldEditor_ = nullptr;
    std::shared_ptr<Shape> textEditingShape_;
    std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>> textUndoGroup_;
    pf::Rect lastFieldEditorRect_;
    double lastFieldEditorScale_ = 0;
};
