// What a shape needs of the page it stands on. The page (Composition) implements it; a shape holds a
// plain pointer that its container keeps valid and reaches its undo manager, image store and redisplay
// only through here, so the model never calls the editor.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Image.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pf {
class UndoManager;
}
class Metrics;
class Shape;
class ShapeConnection;

class ShapePage {
public:
    virtual ~ShapePage() = default;

    // Null while the page has no owner (reading, copying, previewing): changes then register nothing.
    virtual pf::UndoManager* undoManager() const = 0;

    // The document's image for an image identifier; a null image when it stores none.
    virtual pf::Image imageForIdentifier(const QString& identifier) = 0;
    virtual void incrementRefCountForImageIdentifier(const QString& identifier) = 0;
    virtual void decrementRefCountForImageIdentifier(const QString& identifier) = 0;
    // Whether the shape's image references count: a page counts those of the shapes in its registry (it
    // counts on registering and deregistering), a page without a registry those of every shape.
    virtual bool isShapeRegistered(const Shape& shape) const
    {
        (void)shape;
        return true;
    }

    virtual void setNeedsDisplayInRectUpdatePalettes(const pf::Rect& rect, bool updatePalettes) = 0;

    // Detaches the connection from its shape, its connector and the page.
    virtual void removeConnection(const std::shared_ptr<ShapeConnection>& connection) = 0;

    // The zoom scale the page is shown at (0 is read as 1 by shapes).
    virtual double zoomScale() const = 0;
    // A page point in the rulers' coordinates.
    virtual pf::Point rulerOriginAdjustedPoint(const pf::Point& point) const = 0;

    // Flags callers set around the work they name.
    virtual bool isDuplicating() const = 0;
    virtual bool isExporting() const = 0;
    virtual bool isDrawingThumbnail() const = 0;
    virtual bool isDrawingLoupe() const = 0;
    // Set by a loupe around drawing the page into its picture, so loupes stay out of loupes.
    virtual void setDrawingLoupe(bool on) { (void)on; }
    // A mouse drag is under way on the canvas: loupes then keep their last picture.
    virtual bool isMouseDragging() const { return false; }
    // The handle of the selection being dragged (QVRectCorner values, 9 and above for kinds' own
    // handles); -1 when none.
    virtual std::int64_t activeHandle() const { return -1; }

    // Drawing: whether the canvas is flashing a new connection (shapes then show their connection
    // targets), and the page's size record, whose resolution sets the pixel density of rendered images.
    virtual bool isConnectionFlashOn() const { return false; }
    virtual const Metrics* metrics() const { return nullptr; }

    // A log of the shapes whose display stamp was renewed (each shape and its containers), so that the
    // canvas's index looks again at those alone. Bounded: past it, only that it overflowed. The pointers
    // are keys, never followed: a shape may be gone by the time the log is taken.
    void noteDisplayChange(const Shape* shape)
    {
        if (displayChanges_.size() < maxDisplayChanges)
            displayChanges_.push_back(shape);
        else
            displayChangesOverflowed_ = true;
    }
    // Hands the log over and starts a new one; false when it overflowed (any shape may have changed).
    bool takeDisplayChanges(std::vector<const Shape*>& out)
    {
        out.clear();
        out.swap(displayChanges_);
        const bool complete = !displayChangesOverflowed_;
        displayChangesOverflowed_ = false;
        return complete;
    }

private:
    static constexpr std::size_t maxDisplayChanges = 4096;
    std::vector<const Shape*> displayChanges_;
    bool displayChangesOverflowed_ = false;
};
