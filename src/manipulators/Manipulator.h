// The selection of one page. A Manipulator is itself a Shape: the canvas puts it into the page's shape list
// while something is selected, so it draws above the shapes and answers the hit tests for its handles. Its
// children are the selected shapes (held, never reparented: they stay where they are on the page). It is
// never saved, selected or snapped to, registers no undo of its own (the children record their changes),
// and keeps the drag state of the drags run on it.
//
// Handle numbers: 0 to 8 are the QVRectCorner values of the frame (y down), 9 the adjustment handle, 10 the
// rotation handle, 11 the connection handle and 12 to 16 the connection options around it.
#pragma once

#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "platform/foundation/NotFound.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"

#include <array>
#include <compare>
#include <cstdint>
#include <memory>
#include <vector>

class Composition;
class ManipulatorCanvas;

// Handle numbers beyond the frame's corners.
inline constexpr std::int64_t ManipulatorHandleAdjust = 9;
inline constexpr std::int64_t ManipulatorHandleRotation = 10;
inline constexpr std::int64_t ManipulatorHandleConnection = 11;
inline constexpr std::int64_t ManipulatorHandleConnectionOption = 12; // 12 to 16

class ManipulatorClass : public ShapeClass {
public:
    using ShapeClass::ShapeClass;
    QString title() const override;      // localized "Manipulator"
    QString shortTitle() const override; // localized "Manipulator"
    QString toolTipClassName() const override { return {}; }
    bool wantsRegistration() const override { return false; }
    bool isStickySettingEnabled() const override { return false; }
    bool isSavableKind() const override { return false; }

    // Made once for the program's life.
    static const pf::Color& handleStrokeColor();  // device white 0.6
    static const pf::Color& activeStrokeColor();  // cyan
    static const pf::Color& draggingFillColor();  // device white 0.6
    static const pf::Color& handleFillColor();    // white
    // Unlocked and locked handle faces.
    static const pf::Gradient& selectionHandleGradient();
    static const pf::Gradient& lockedHandleGradient();
    // The pictures in the five connection-option handles (index = handle - 12): each the pointer kind that a
    // drag from that option makes, drawn in 16 x 16.
    static const std::array<pf::Image, 5>& optionImages();
    // 12 Arc, 13 and 14 SegmentedLine, 15 Path, 16 Line; empty for any other number.
    static QString pointerClassNameForConnectionOptionHandle(std::int64_t handle);
};

class Manipulator : public Shape {
public:
    using Children = std::vector<std::shared_ptr<Shape>>;

    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The selection object for these shapes, made with the first shape's frame: fewer than two distinct
    // shapes take the first one's own manipulator class (a plain Manipulator, logged, when that class is
    // not registered), more take a plain Manipulator. Children are not added.
    static std::shared_ptr<Manipulator> forShapes(const Children& shapes);

    // Shape set-up without sticky style: no fill, no stroke, no shadows.
    void initWithFrame(const pf::Rect& frame) override;

    // ---- the canvas ----
    ManipulatorCanvas* canvas() const { return canvas_; }
    // Not held. The tool tip of a single child goes with the old canvas and comes with the new one.
    void setCanvas(ManipulatorCanvas* canvas);
    // Only for a selection class that names a tool-tip class, with a single child (none does so far).
    void addToolTip();
    void removeToolTip();
    // The page the selection lies on (null off a page).
    Composition* page() const;

    // ---- membership (the page's delegate hears will-change and did-change around each) ----
    const Children& children() const { return children_; }
    // Ignores the manipulator itself and a shape already held. Selects it, appends it, sets the frame to the
    // union of the children's frames.
    virtual void addShape(const std::shared_ptr<Shape>& shape);
    virtual void removeShape(const std::shared_ptr<Shape>& shape);
    // Notices even when empty; the frame becomes the zero rect (through setFrame, which records no undo here).
    void removeAllShapes();
    bool containsShape(const Shape* shape) const { return indexOfShape(shape) != pf::NotFound; }
    std::size_t indexOfShape(const Shape* shape) const;
    // Marks the dirty rect stale and keeps rotatedUpright.
    virtual void childrenChanged();

    // ---- queries ----
    virtual bool isEmpty() const { return children_.empty(); }
    virtual bool hasSingle() const { return children_.size() == 1; }
    virtual bool hasMultiple() const { return children_.size() > 1; }
    // Several children of at least two classes.
    virtual bool hasMixed() const;

    // ---- capabilities ----
    virtual bool allowsRotation() const { return true; }
    virtual bool allowsConnection() const { return true; }
    virtual bool allowsAdjusting() const { return true; }
    virtual bool allowsSizeToFitText() const { return true; }
    virtual bool allowsInsertPoint() const { return false; }
    virtual bool allowsRemovePoint() const { return false; }
    virtual void insertPoint(const pf::Point& point) { (void)point; }
    virtual void removePoint(const pf::Point& point) { (void)point; }
    // A single child that can edit text goes to in-place editing; true when it did.
    virtual bool doubleClickedAtPoint(const pf::Point& point);

    // ---- the shape it stands in for (single-child answers; see each) ----
    // The single child's angle, else 0.
    std::int64_t rotationAngle() const override;
    // Any child locked.
    bool isLocked() const override;
    // The single child's radius over the zoom scale; 0 with several; the own value over the scale with none.
    double rotationHandleRadius() const override;
    bool isManipulator() const override { return true; }
    bool isSavable() const override { return false; }
    bool isSelectable() const override { return false; }
    bool isSnapable() const override { return false; }
    void updateConnections() override {}
    // Handles are drawn by the canvas's overlay; the selection paints nothing of its own into the page.
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    // ---- the proxy of the selected shapes (ManipulatorProxy.cpp) ----
    // Editors that do not know what is selected read and write through these. A read answers the children's
    // common value: leading nulls are passed over, then the first answer that differs (a null included) makes
    // the answer null; null with no children. A write goes to every child, each recording its own undo,
    // between will-change and did-change notices of the key path on the selection.
    // "displayFrameX" and "displayFrameY" are the selection's own, in ruler coordinates as the inspector
    // shows them: the write moves every child by the same amount (see movePageOrigin).
    pf::Variant valueForKeyPath(const QString& keyPath) const override;
    void setValueForKeyPath(const pf::Variant& value, const QString& keyPath) override;
    // The position write in page coordinates: key "displayFrameX" puts the selection's left edge, else its
    // top edge, at value; each child moves as one undoable change (a drag bracket), observers of the key hear it.
    void movePageOrigin(const QString& key, double value);
    // Each child fitted, on the grid when it is on; the frame becomes their union, redrawn with the palettes.
    void sizeToFitText(bool option) override;
    // Each child fitted to its picture; the frame becomes their union.
    void sizeToFitImage(bool halve) override;
    // The frame becomes the union of the children's frames.
    void sizeToFitChildren() { setFrameToChildren(); }
    // The union of the children's frames (the zero rect with none).
    pf::Rect childrenFrame() const;
    // Every child can (true with none).
    bool canEditText() const override;
    bool canEditImage() const override;
    void update() override;
    // The union of the children's (the zero rect with none).
    pf::Rect boundingRect() const override;
    // A single child's answer; otherwise the plain shape's.
    bool wantsSizeToFitImage() const override;
    bool isMissingImage() const override;
    bool isValidFrame(const pf::Rect& frame) const override;
    pf::Rect validateFrame(const pf::Rect& frame) const override;

    // ---- drawing (ManipulatorDrawing.cpp) ----
    // Where the overlay draws: page points to view points (the zoom and the page's place in the view).
    struct HandleOverlay {
        pf::AffineTransform pageToView;
        double scale = 1;
        // The view point of a page point turned with the selection about its centre.
        pf::Point viewPoint(const Manipulator& m, const pf::Point& pagePoint) const;
    };
    // The handles in view points, on screen only, at whole-point places and fixed sizes, upright whatever
    // the turn; the same predicates as handleForPoint decide which are drawn.
    void drawHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const;
    // The resize handles (the selection's corners and sides); connectors draw their ends instead.
    virtual void drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const;
    // One square handle over a page rect (nothing for the zero rect): grey while dragged, cyan outline when
    // active, grey faces when locked.
    void drawSelectionHandle(pf::GraphicsContext& context, const HandleOverlay& overlay, const pf::Rect& pageRect,
                             bool dragging, bool active) const;
    // Kinds with an adjustment handle draw it here (drawAdjustmentHandle); nothing in Manipulator.
    virtual void drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
    {
        (void)context, (void)overlay;
    }
    // One adjustment handle: a circle with the handle face, cyan when active, grey while dragged; viewSide
    // view points across, about the page rect's middle.
    void drawAdjustmentHandle(pf::GraphicsContext& context, const HandleOverlay& overlay, const pf::Rect& rect,
                              bool active, double viewSide = 10.0, bool dragging = false) const;
    // The same about a view point (no turn with the selection).
    void drawAdjustmentHandleAtViewPoint(pf::GraphicsContext& context, const pf::Point& viewCentre, double viewSide,
                                         bool dragging, bool active) const;
    // The frame's own redisplay rect, without the handles.
    pf::Rect guideRect() const { return Shape::calcDirtyRect(); }
    // Covers everything the overlay may draw for this selection at the current zoom, shown or not (a handle
    // that disappears must be erased): the resize, rotation and connection handles, the options, the bars.
    pf::Rect calcDirtyRect() const override;

    // ---- handles (page points, unrotated; the zero rect: no such handle) ----
    virtual pf::Rect topLefHandle() const;
    virtual pf::Rect topMidHandle() const;
    virtual pf::Rect topRitHandle() const;
    virtual pf::Rect midLefHandle() const;
    virtual pf::Rect midMidHandle() const;
    virtual pf::Rect midRitHandle() const;
    virtual pf::Rect botLefHandle() const;
    virtual pf::Rect botMidHandle() const;
    virtual pf::Rect botRitHandle() const;
    virtual pf::Rect adjustHandle() const;
    virtual pf::Rect rotationHandle() const;
    virtual pf::Rect connectionHandle() const;
    // The resize handle rect of a corner 0 to 8 (the functions above); the zero rect for other numbers.
    pf::Rect resizeHandle(std::int64_t corner) const;
    // Options 12 to 16 around the connection handle rect.
    std::array<pf::Rect, 5> connectionOptionRects(const pf::Rect& connectionHandleRect) const;
    // The handle's square path, its centre turned with the selection while the square stays upright.
    pf::Path pathForHandleRect(const pf::Rect& rect) const;

    // Whether each handle is there to be seen and hit: hit testing and drawing ask the same questions.
    virtual bool showsSelectionHandles() const;
    virtual bool showsRotationHandle() const;
    bool showsConnectionHandle() const;
    bool showsAdjustmentHandles() const;

    // The handle under a page point, first hit wins; -1 for none.
    virtual std::int64_t handleForPoint(const pf::Point& point) const;
    // Selections that number their handles by the points of the shape (a path's point i is handle i):
    // every number the hit test answers is a point to drag, whatever it means for a frame.
    virtual bool numbersHandlesByPoint() const { return false; }

    // ---- drags: begun on mouse-down, a step per drag event past the threshold, ended on mouse-up ----
    // Page undo recording is off from begin to end (unless blockDisableUndo); each end records one change
    // per child. A locked selection ignores them all.
    virtual void beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle);
    virtual void mouseDragResizeEventAtPoint(const pf::Event& event, const pf::Point& point);
    virtual void endDragResize(const pf::Event& event);
    virtual void beginDragRotateAtPointWithHandle(const pf::Point& point, std::int64_t handle);
    virtual void mouseDragRotateEventAtPoint(const pf::Event& event, const pf::Point& point);
    virtual void endDragRotate(const pf::Event& event);
    virtual void beginDragAdjustAtPointWithHandle(const pf::Point& point, std::int64_t handle);
    virtual void mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point);
    virtual void endDragAdjust(const pf::Event& event);
    virtual void beginDragAdjust1AtPointWithHandle(const pf::Point& point, std::int64_t handle);
    virtual void mouseDragAdjust1EventAtPoint(const pf::Event& event, const pf::Point& point);
    virtual void endDragAdjust1(const pf::Event& event);
    virtual void beginDragMoveAtPoint(const pf::Point& point);
    virtual void mouseDragMoveEventAtPoint(const pf::Event& event, const pf::Point& point);
    virtual void endDragMove(const pf::Event& event);
    // The modifiers changed during a drag (the canvas runs the step again at once).
    virtual void flagsChanged(const pf::Event& event) { (void)event; }
    // The canvas multiplies the drag threshold by it.
    virtual double dragStartThresholdMultiplier() const { return 1.0; }
    virtual bool isSizeEditable() const { return true; }
    // Connector selections attach their end to the shape under the pointer.
    virtual void setConnectingShapeAtPoint(const std::shared_ptr<Shape>& shape, const pf::Point& point)
    {
        (void)shape, (void)point;
    }

    // ---- the drag bracket and the resize geometry (ManipulatorDrag.cpp, ManipulatorResize.cpp) ----
    // A child's beginDrag, anchored for the running resize: the handle opposite dragResizingHandle and its
    // point on the child's start frame.
    void beginDraggingShape(Shape& child);
    // Page undo recording off (unless blockDisableUndo), the start values, the selection's own anchor.
    void beginDrag() override;
    // Undo recording back on only if beginDrag turned it off; modifier state cleared. Records nothing and
    // closes no undo group (whoever opened one closes it).
    void endDrag(const pf::Event& event) override;
    // The angle a resize turns its point pairs by: negated for handles 2 and 6, whose pairs run across the
    // frame the other way.
    std::int64_t currentRotationAngleForAngle(std::int64_t angle) const;
    // A frame as the point pair the running resize drags on screen (unchanged upright).
    pf::Rect rotateFrame(const pf::Rect& frame, std::int64_t angle) const;
    // A dragged point pair back to an upright frame: Shift and aspect constraints, the connector's
    // 45-degree steps, the anchor kept where it stood on screen, Option about the start centre.
    pf::Rect unrotateFrame(const pf::Rect& pair, std::int64_t angle);
    // A single child that keeps its aspect ratio.
    virtual bool constrainsAspectRatio() const;
    // A single connector child (its ends are constrained to 45-degree steps instead of a ratio).
    bool isPointer() const override;
    bool isBezier() const override;
    // Per child, in child order, from the begin to the end of a drag: its frame relative to the
    // selection's frame (resize), its origin's offset from the selection's origin (move).
    const std::vector<pf::Rect>& childRatios() const { return childRatios_; }
    const std::vector<pf::Size>& childOffsets() const { return childOffsets_; }

    // ---- grid and snapping seams (ManipulatorSnapping.cpp) ----
    bool isGridEnabled() const;
    // rect with its size on the page's grid, and its origin too, except that a single child being moved
    // or resized keeps the shape's anchor where it was.
    pf::Rect gridAlignedRectForRect(const pf::Rect& rect, Shape& shape) const;
    // The rect pulled onto nearby alignment lines; the event may be null.
    virtual pf::Rect snapRectForRect(const pf::Rect& rect, bool isResize, bool isZeroTolerance, const pf::Event* event);
    // The snap targets of the running drag, ordered from where the drag is (gatherPoint).
    virtual void gatherSnapShapes();
    // A step of a drag whose targets are gathered: only the place they are ordered from moves (the other
    // shapes stay put during a drag); gathers when nothing is gathered yet.
    void moveSnapOrigin();
    // Where the running drag is: the dragged handle of a resize, else the selection's centre.
    virtual pf::Point gatherPoint() const;
    void clearSnapShapes()
    {
        snapShapes_.clear();
        snapTargets_.clear();
        snapGathered_ = false;
    }
    // The gathered targets nearest first (a connector's end lists shapes before connectors).
    Children snapShapes() const;
    // A connector resized with Shift along a 45-degree diagonal (snapped with no tolerance).
    bool isDiagonalLine() const;
    // Temporary guides on the canvas (page points): type 0 for shapes and constraints, 1 for page bounds.
    void addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to);
    // Across the whole page.
    void addHorizontalTempGuideAtY(double y);
    void addVerticalTempGuideAtX(double x);

    // ---- drag state (the drags keep it) ----
    std::int64_t activeHandle() const { return activeHandle_; }
    void setActiveHandle(std::int64_t handle) { activeHandle_ = handle; }
    std::int64_t dragResizingHandle() const { return dragResizingHandle_; }
    void setDragResizingHandle(std::int64_t handle) { dragResizingHandle_ = handle; }
    bool rotatedUpright() const { return rotatedUpright_; }
    bool connectionOptionsVisible() const { return connectionOptionsVisible_; }
    void setConnectionOptionsVisible(bool visible) { connectionOptionsVisible_ = visible; }
    bool provisional() const { return provisional_; }
    void setProvisional(bool provisional) { provisional_ = provisional; }
    bool blockDisableUndo() const { return blockDisableUndo_; }
    void setBlockDisableUndo(bool block) { blockDisableUndo_ = block; }
    bool isShiftConstrain() const { return shiftConstrain_; }
    void setShiftConstrain(bool on) { shiftConstrain_ = on; }
    virtual bool isOptionCenter() const { return optionCenter_; }
    virtual void setOptionCenter(bool on) { optionCenter_ = on; }
    bool isCommandPressed() const { return commandPressed_; }
    void setCommandPressed(bool on) { commandPressed_ = on; }
    bool dragDidChange() const { return dragDidChange_; }
    void setDragDidChange(bool on) { dragDidChange_ = on; }
    bool dragResizing() const { return dragResizing_; }
    void setDragResizing(bool on) { dragResizing_ = on; }
    bool dragRotating() const { return dragRotating_; }
    void setDragRotating(bool on) { dragRotating_ = on; }
    bool dragAdjusting() const { return dragAdjusting_; }
    void setDragAdjusting(bool on) { dragAdjusting_ = on; }
    bool dragAdjusting1() const { return dragAdjusting1_; }
    void setDragAdjusting1(bool on) { dragAdjusting1_ = on; }
    bool dragMoving() const { return dragMoving_; }
    void setDragMoving(bool on) { dragMoving_ = on; }
    bool midHandleResize() const { return midHandleResize_; }
    void setMidHandleResize(bool on) { midHandleResize_ = on; }
    std::uint64_t lockType() const { return lockType_; }
    void setLockType(std::uint64_t type) { lockType_ = type; }
    const pf::Point& dragStartPoint() const { return dragStartPoint_; }
    void setDragStartPoint(const pf::Point& point) { dragStartPoint_ = point; }
    const pf::Point& rotDragPoint() const { return rotDragPoint_; }
    void setRotDragPoint(const pf::Point& point) { rotDragPoint_ = point; }
    const pf::Point& unrotDragPoint() const { return unrotDragPoint_; }
    void setUnrotDragPoint(const pf::Point& point) { unrotDragPoint_ = point; }
    const pf::Size& dragResizingOffset() const { return dragResizingOffset_; }
    void setDragResizingOffset(const pf::Size& offset) { dragResizingOffset_ = offset; }
    const QStringList& specialKeyPaths() const { return specialKeyPaths_; }

protected:
    // The zoom step of the page (0 off a page): handle rounding applies at steps up to 9.
    std::int64_t zoomScaleIndex() const;
    // Tells the page's delegate.
    void selectionWillChange();
    void selectionDidChange();
    void setFrameToChildren();
    // A side handle's square on whole points, pushed outward where it falls between them, up to zoom step 9
    // (above it a point is several pixels): side is QVRectCornerTopMid, MidLef, MidRit or BotMid.
    pf::Rect onWholePoints(const pf::Rect& handle, QVRectCorner side) const;

private:
    // The opposite corner of the resize handle and its point on the start frame.
    void anchorDragStart(Shape::DragStart& start) const;
    pf::Rect sideHandle(QVRectCorner side) const;
    // The drags that act on the whole selection (rotate, adjust, move, resize's bracket): the flag of the
    // running one, its handle made active, every child's start value recorded; at the end every child
    // records its change through endChild.
    void beginWholeDrag(bool& running, std::int64_t handle);
    void endWholeDrag(bool& running, const pf::Event& event, void (Shape::*endChild)(const pf::Event&));

    Children children_;
    ManipulatorCanvas* canvas_ = nullptr;
    QStringList specialKeyPaths_{QStringLiteral("displayFrameX"), QStringLiteral("displayFrameY")};
    std::int64_t activeHandle_ = -1;
    std::int64_t dragResizingHandle_ = -1;
    std::uint64_t lockType_ = 0;
    pf::Point dragStartPoint_;
    pf::Point rotDragPoint_;
    pf::Point unrotDragPoint_;
    pf::Size dragResizingOffset_;
    bool rotatedUpright_ = true;
    bool dragDidChange_ = false;
    bool dragResizing_ = false;
    bool dragRotating_ = false;
    bool dragAdjusting_ = false;
    bool dragAdjusting1_ = false;
    bool dragMoving_ = false;
    bool connectionOptionsVisible_ = false;
    bool shiftConstrain_ = false;
    bool optionCenter_ = false;
    bool commandPressed_ = false;
    bool provisional_ = false;
    bool midHandleResize_ = false;
    bool blockDisableUndo_ = false;
    // The drags' bookkeeping.
    std::vector<pf::Rect> childRatios_;
    std::vector<pf::Size> childOffsets_;
    // The gathered targets in page order.
    Children snapShapes_;
    // What a snapping step compares of each gathered shape (same order), worked out when gathering: the
    // shapes stay put while the selection moves, and a page of thousands is compared at every step.
    struct SnapTarget {
        pf::Rect frame;              // its frame, which orders it by distance
        pf::Rect rect;               // its snap rect
        std::array<double, 3> x, y;  // its lines by pair: edges, then centre lines
        std::uint8_t first, last;    // the pairs it offers (none when first == last)
        bool after;                  // a connector that a connector's end takes only after the shapes
    };
    std::vector<SnapTarget> snapTargets_;
    // Where the targets are ordered from.
    pf::Point snapOrigin_;
    bool snapGathered_ = false;
    // The order of target k: group, then squared distance from snapOrigin_, then page order.
    struct SnapKey {
        bool after;
        double distance;
        std::size_t index;
        auto operator<=>(const SnapKey&) const = default;
    };
    SnapKey snapKey(std::size_t k) const;
    // beginDrag switched the page's undo recording off, so endDrag switches it back on.
    bool undoDisabledByDrag_ = false;
};

// The page's own selection object: its only child is the page, and its side handles are strips along the
// page's edges, by which the canvas resizes the page. Every canvas keeps one at index 0 of its page.
class CompositionManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    bool allowsRotation() const override { return false; }
    bool allowsConnection() const override { return false; }
    pf::Rect rotationHandle() const override { return {}; }
    pf::Rect connectionHandle() const override { return {}; }
    // Strips 3 screen points thick along the edges, shortened at their far end by half that.
    pf::Rect topMidHandle() const override;
    pf::Rect botMidHandle() const override;
    pf::Rect midLefHandle() const override;
    pf::Rect midRitHandle() const override;
    // The page's edges are its handles whatever the preference says.
    bool showsSelectionHandles() const override { return true; }
    // The page is never resized about its centre.
    bool isOptionCenter() const override { return false; }
    void setOptionCenter(bool) override {}
    // The page's size is chosen freely: its edges are pulled onto no shape, guide or line of its own.
    pf::Rect snapRectForRect(const pf::Rect& rect, bool, bool, const pf::Event*) override { return rect; }
    void gatherSnapShapes() override { clearSnapShapes(); }

private:
    pf::Rect strip(QVRectCorner side) const;
};

// Registers every selection class (Manipulator, CompositionManipulator and the classes the shape kinds
// name), so shapes that name them get them.
void registerManipulatorClasses(pf::ClassRegistry& registry);
