// One page of a document: a container of the page's top-level shapes (drawn first to last) that also keeps
// the registry of every shape on it by identifier (at any depth), the connections between connectors and
// shapes, the user guides, the page size, the grid, the zoom step, the scroll centre and the ruler origin.
//
// Every structural edit registers its inverse on the page's undo manager. The page reaches its owner only
// through its CompositionDelegate, which may be absent (a page being read, copied or previewed): undo and
// owner notices are then skipped. Shapes reach the page through ShapePage.
//
// The page's frame is always (0, 0, width, height) of its metrics. The page is a shared object made with
// make() or its class object, like every shape.
#pragma once

#include "model/CompositionDelegate.h"
#include "model/Metrics.h"
#include "model/Parent.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class Connection;
class Group;
class Guide;
namespace storedForms {
class Taken;
}

class CompositionClass : public RectangleClass {
public:
    using RectangleClass::RectangleClass;
    QString title() const override;
    QString shortTitle() const override;
    QString longDescription() const override;
    const QStringList& facetClassNames() const override;
    QString manipulatorClassName() const override;
    bool isStickySettingEnabled() const override { return false; }
};

// "Add %@" and the like, filled with the shape kind's short title: the names of structural undo steps.
QString actionNameForShape(const char* format, const Shape& shape);

class Composition : public Parent, public ShapePage {
public:
    using Guides = std::vector<std::shared_ptr<Guide>>;
    using Connections = std::vector<std::shared_ptr<Connection>>;

    // Notifications, posted at once with the page as object (never while exporting).
    static constexpr char GridEnabledDidChangeNotification[] = "CompositionGridEnabledDidChangeNotification";
    static constexpr char GridToleranceDidChangeNotification[] = "CompositionGridToleranceDidChangeNotification";
    static constexpr char ZoomScaleDidChangeNotification[] = "CompositionZoomScaleDidChangeNotification";
    static constexpr char MetricsDidChangeNotification[] = "CompositionMetricsDidChangeNotification";

    Composition() = default;
    ~Composition() override;

    static const CompositionClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // A page of the user's last chosen size (or the default one).
    static std::shared_ptr<Composition> make();
    // A page of the given metrics.
    static std::shared_ptr<Composition> make(std::shared_ptr<Metrics> metrics);

    // Empty registry, guides and connections; grid from the user defaults; zoom step 0.
    void initWithFrame(const pf::Rect& frame) override;
    // The page is its own page; its children get it.
    void setComposition(ShapePage* page) override;

    CompositionDelegate* compositionDelegate() const { return delegate_; }
    // A copied page's pictures were registered with no owner to count them: the first owner counts them.
    void setCompositionDelegate(CompositionDelegate* delegate);

    // ---- stored form ----
    pf::Value asPlist() const override;
    // The stored form for a save: its "children" array is left empty, and `children` gets their kept forms,
    // which the writer unpacks one at a time where the array stands.
    pf::Value asPlistTakingChildren(std::shared_ptr<const storedForms::Taken>& children) const;
    void readPlist(const pf::Value& plist) override;
    // A page read from its dictionary; null (logged) when it is not a stored page.
    static std::shared_ptr<Composition> fromPlist(const pf::Value& plist);

    // ---- structure ----
    // Aligns the shape to the grid when it is on (not while duplicating), takes it from another parent,
    // registers it, puts it at index (pf::NotFound or past the end: on top), and registers the removal as
    // undo ("Add %@").
    void insertShapeAtIndex(std::shared_ptr<Shape> shape, std::size_t index) override;
    void addShape(std::shared_ptr<Shape> shape) override { insertShapeAtIndex(std::move(shape), pf::NotFound); }
    // Detaches its connections, deregisters it, takes it off the page; undo puts it back ("Remove %@").
    void removeShape(const std::shared_ptr<Shape>& shape) override;
    // `to` counts positions before the removal; past the end means the end. An index that names no child
    // changes nothing and registers nothing ("Move %@").
    void moveShapeAtIndexToIndex(std::size_t from, std::size_t to) override;
    // A copy moved by (10, 10), inserted at `to`.
    void copyShapeAtIndexToIndex(std::size_t from, std::size_t to) override;
    // A new shape of the stored kind, its frame fitted into the page; null when the kind is unknown.
    std::shared_ptr<Shape> addShapeFromPlist(const pf::Value& plist);
    // Moves the group's children into the group (each out of its own parent, by identity), commits the group
    // and puts it into parent at index (past the end: on top); undo ungroups ("Group").
    void insertGroupInParentAtIndex(const std::shared_ptr<Group>& group, const std::shared_ptr<Parent>& parent,
                                    std::size_t index);
    // Puts the group's children where the group was, in order; undo groups them again ("Ungroup").
    void removeGroup(const std::shared_ptr<Group>& group);
    // From two children on.
    bool hasActualChildren() const { return children().size() > 1; }

    // ---- registry ----
    // Registers the shape (a group with its children). A shape whose identifier is already taken by another
    // object gets a fresh one, so deregistering either never breaks the other. A newly registered shape with
    // an image counts one reference to it. False for kinds that do not register.
    bool registerShape(const std::shared_ptr<Shape>& shape);
    bool deregisterShape(const std::shared_ptr<Shape>& shape) { return deregisterShapeRecursive(shape, true); }
    // Drops the shape's entry (and its image reference); true only when it was registered.
    bool deregisterShapeRecursive(const std::shared_ptr<Shape>& shape, bool recursive);
    std::shared_ptr<Shape> shapeForIdentifier(const QString& identifier) const;
    const QHash<QString, std::shared_ptr<Shape>>& registeredShapes() const { return registry_; }
    bool isShapeRegistered(const Shape& shape) const override;

    // ---- connections ----
    // Attaches the connection to its shape, its connector and the page.
    void addConnection(const std::shared_ptr<Connection>& connection);
    void removeConnection(const std::shared_ptr<ShapeConnection>& connection) override;
    const Connections& pageConnections() const { return connections_; }

    // Visible, selectable children whose proximity rect contains the point.
    std::vector<std::shared_ptr<Shape>> shapesInProximityTo(const pf::Point& point) const;

    // ---- guides ----
    const Guides& userGuides() const { return userGuides_; }
    void setUserGuides(Guides guides) { userGuides_ = std::move(guides); }
    void clearGuides();

    // ---- grid and units ----
    bool isGridEnabled() const { return gridEnabled_; }
    // Undoable ("Grid Enabled"), posted, written to the user defaults.
    void setGridEnabled(bool enabled);
    // The spacing in points: as stored for points and steps, an eighth of an inch, half a centimetre.
    double gridTolerance() const;
    double storedGridTolerance() const { return gridTolerance_; }
    // Undoable ("Grid Snap Tolerance"), posted, written to the user defaults. Not finite: refused.
    void setGridTolerance(double tolerance);
    double scaledGridSide() const { return gridTolerance() * zoomScale(); }
    pf::Point gridAlignedPointForPoint(const pf::Point& point) const { return alignedPointForPointTolerance(point, gridTolerance()); }
    pf::Size gridAlignedSizeForSize(const pf::Size& size) const { return alignedSizeForSizeTolerance(size, gridTolerance()); }
    pf::Rect gridAlignedRectForRect(const pf::Rect& rect) const { return alignedRectForRectTolerance(rect, gridTolerance()); }
    // In points the grid runs through the page centre, in other units through the origin. A tolerance
    // under 1 aligns as 1 (the stored form keeps no smaller one, and the centre offset needs a whole step).
    pf::Point alignedPointForPointTolerance(const pf::Point& point, double tolerance) const;
    pf::Size alignedSizeForSizeTolerance(const pf::Size& size, double tolerance) const;
    pf::Rect alignedRectForRectTolerance(const pf::Rect& rect, double tolerance) const;
    QString currentUnitDisplayFormat() const;
    double currentUnitsForPoints(double points) const;
    double pointsForCurrentUnits(double units) const;

    // ---- zoom, rulers, scrolling ----
    std::int64_t zoomScaleIndex() const { return zoomScaleIndex_; }
    // Posted; no undo.
    void setZoomScaleIndex(std::int64_t index);
    double overrideZoomScale() const { return overrideZoomScale_; }
    void setOverrideZoomScale(double scale) { overrideZoomScale_ = scale; }
    double zoomScale() const override;
    // The zoom step table; 1 for a step it does not name.
    static double zoomScaleForIndex(std::int64_t index);
    QVRectCorner rulerOriginCorner() const { return rulerOriginCorner_; }
    void setRulerOriginCorner(QVRectCorner corner) { rulerOriginCorner_ = corner; }
    pf::Point rulerOriginAdjustedPoint(const pf::Point& point) const override;
    const pf::Point& scrollCenterPoint() const { return scrollCenterPoint_; }
    void setScrollCenterPoint(const pf::Point& point) { scrollCenterPoint_ = point; }
    // The page with room on both sides for every child that sticks out, so the page stays centred.
    pf::Size scrollableSize() const;
    void setScrollableSize(const pf::Size& size) { scrollableSize_ = size; }

    // ---- page size ----
    const Metrics* metrics() const override { return metrics_.get(); }
    const std::shared_ptr<Metrics>& sharedMetrics() const { return metrics_; }
    // Undoable ("Change Canvas Size"); resizes the page but moves no content; posted.
    void setMetrics(std::shared_ptr<Metrics> metrics);
    // The page-resize drag: beginDrag, setFrame with each dragged rect, endDrag (one undo step).
    void beginDrag() override;
    void setFrame(const pf::Rect& frame) override;
    void endDrag(const pf::Event& event) override;
    // Moves the content so that the anchor corner keeps its place when the page changes size.
    void shiftContentsWithOldSizeNewSizeAnchorCorner(const pf::Size& oldSize, const pf::Size& newSize,
                                                     QVRectCorner anchor);
    void shiftContents(const pf::Point& offset);
    void shiftConnectionsOfParent(const Parent& parent);
    const std::shared_ptr<Metrics>& dragStartMetrics() const { return dragStartMetrics_; }
    void setDragStartMetrics(std::shared_ptr<Metrics> metrics) { dragStartMetrics_ = std::move(metrics); }
    const pf::Rect& lastFrame() const { return lastFrame_; }
    void setLastFrame(const pf::Rect& frame) { lastFrame_ = frame; }
    pf::Rect bounds() const { return frame(); }
    void setBounds(const pf::Rect& bounds) { bounds_ = bounds; }
    pf::Rect renderRect() const override { return frame(); }

    // ---- drawing and notices ----
    // When exporting, the fill colour covers the page first; then every child draws.
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    void setNeedsDisplayInRectUpdatePalettes(const pf::Rect& rect, bool updatePalettes) override;
    void notifyDelegateEditedInRect(const pf::Rect& rect) { setNeedsDisplayInRectUpdatePalettes(rect, true); }
    void postNotificationName(const QString& name) const;
    // Every redisplay request is counted and its area kept, so that a kept picture of the page (a tab's) can
    // redraw only what changed since it was drawn. The count now; a picture drawn now has seen every change
    // up to it.
    std::uint64_t displayChangeCount() const { return displayChangeCount_; }
    // The area (page points) of the requests after the count: null when none came; nullopt when the page no
    // longer knows (the count is from before the oldest area kept). Old areas are merged, so the answer may
    // be larger than the requests, never smaller.
    std::optional<pf::Rect> displayChangesSince(std::uint64_t count) const;

    // ---- owner services (answers without a delegate: none, the page frame, no image, no counts) ----
    pf::UndoManager* undoManager() const override;
    pf::Rect visibleRect() const;
    pf::Image imageForIdentifier(const QString& identifier) override;
    void incrementRefCountForImageIdentifier(const QString& identifier) override;
    void decrementRefCountForImageIdentifier(const QString& identifier) override;
    void disableSuddenTermination() const;
    void enableSuddenTermination() const;
    bool isConnectionFlashOn() const override;
    std::int64_t activeHandle() const override;
    // Stores the title and tells the owner.
    void setTitle(const QString& title);

    // ---- flags set by callers around the work they name ----
    bool isExporting() const override { return exporting_; }
    void setExporting(bool on) { exporting_ = on; }
    bool isDrawingThumbnail() const override { return drawingThumbnail_; }
    void setDrawingThumbnail(bool on) { drawingThumbnail_ = on; }
    bool isDrawingLoupe() const override { return drawingLoupe_; }
    void setDrawingLoupe(bool on) override { drawingLoupe_ = on; }
    bool isMouseDragging() const override { return mouseDragging_; }
    void setMouseDragging(bool on) { mouseDragging_ = on; }
    bool isDuplicating() const override { return duplicating_; }
    void setDuplicating(bool on) { duplicating_ = on; }
    std::int64_t drawCount() const { return drawCount_; }
    void setDrawCount(std::int64_t count) { drawCount_ = count; }

protected:
    // Children (savable ones), metrics, guides, grid, zoom and ruler settings, and the connections between
    // the copied shapes; a fresh registry.
    void copyFrom(const Shape& source) override;

private:
    pf::Value plistWithChildren(pf::Value children) const;
    // Puts back connections a removal detached, once both of their ends are on the page again.
    void restoreConnections(const std::vector<std::shared_ptr<Connection>>& connections);

    // container: the group whose child ratios follow a renamed shape.
    bool doRegisterShape(const std::shared_ptr<Shape>& shape, Group* container = nullptr);
    // The page's own frame, set without undo.
    void setStoredFrame(const pf::Rect& frame);
    void registerUndoAction(std::function<void(Composition&)> action, const QString& name);
    // The undo of a grouping: ungroups, then puts each child back where it stood before.
    struct FormerPlace {
        std::shared_ptr<Shape> shape;
        std::shared_ptr<Parent> parent;
        std::size_t index;
    };
    void restoreFormerPlaces(const std::vector<FormerPlace>& places);

    double gridTolerance_ = 0;
    bool gridEnabled_ = false;
    bool exporting_ = false;
    bool drawingThumbnail_ = false;
    bool drawingLoupe_ = false;
    bool mouseDragging_ = false;
    bool duplicating_ = false;
    CompositionDelegate* delegate_ = nullptr;
    QHash<QString, std::shared_ptr<Shape>> registry_;
    std::shared_ptr<Metrics> metrics_;
    Guides userGuides_;
    double overrideZoomScale_ = 0;
    std::int64_t zoomScaleIndex_ = 0;
    QVRectCorner rulerOriginCorner_ = 0;
    std::int64_t drawCount_ = 0;
    std::shared_ptr<Metrics> dragStartMetrics_;
    pf::Size scrollableSize_;
    pf::Point scrollCenterPoint_;
    pf::Rect bounds_;
    pf::Rect lastFrame_;
    Connections connections_;
    // Set on copies until an owner has counted their registered pictures.
    bool imagesUncounted_ = false;
    // The redisplay areas, oldest first, each with the counts it covers; a few, the oldest merged.
    struct DisplayChange {
        std::uint64_t first;
        std::uint64_t last;
        pf::Rect area;
    };
    std::vector<DisplayChange> displayChanges_;
    std::uint64_t displayChangeCount_ = 0;
};
