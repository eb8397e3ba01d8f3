// The selections of connectors, which are edited by their ends rather than by a frame. A single connector's
// drag starts with the first movement; a dragged end comes loose from its shape and may attach to the shape
// it is dropped on; a connector moved more than a few points comes loose at both ends. Coming loose is part
// of the drag's undo step, and a drag that moved nothing puts the attachment back.
#pragma once

#include "manipulators/Manipulator.h"
#include "platform/foundation/UndoManager.h"

class AbstractPointer;
class Connection;
class SegmentedLine;
namespace pf {
class UndoManager;
}

class AbstractPointerManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A move of more than this (page points) in x or y detaches a single connector.
    static constexpr double moveDetachDistance = 4.0;

    bool allowsSizeToFitText() const override { return false; }
    bool allowsConnection() const override { return false; }

    bool hasSinglePointer() const;
    bool hasSingleLine() const;
    bool hasSingleSegmentedLine() const;
    // The single connector (null unless hasSinglePointer).
    AbstractPointer* singlePointer() const;

    // 0 for a single connector.
    double dragStartThresholdMultiplier() const override;
    // A grabbed end of a single connector comes loose at once.
    void beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle) override;
    // A drag that left the connector where it was puts the loosened end back; any other makes the
    // loosening part of its undo step.
    void endDragResize(const pf::Event& event) override;
    void endDragMove(const pf::Event& event) override;
    // Offers the shape under the dragged end to the canvas as the end's connection (never a connector).
    void setConnectingShapeAtPoint(const std::shared_ptr<Shape>& shape, const pf::Point& point) override;

protected:
    // The connector end a handle stands for: the identity here, where ends are frame corners; selections
    // that number their point handles apart map their own.
    virtual std::int64_t cornerForHandle(std::int64_t handle) const { return handle; }
    // The end the handle stands for when it is one of the connector's two, else -1.
    std::int64_t endForHandle(const AbstractPointer& pointer, std::int64_t handle) const;
    // Takes the end's attachment off the page for the running drag, when the handle is an end of the
    // single connector; the end of the drag decides whether that is undone quietly or recorded.
    void loosenEndForHandle(std::int64_t handle);
    // Whether the running drag left the single connector other than it was (its frame, here).
    virtual bool dragChangedPointer(AbstractPointer& pointer) const;
    // The undo step of a point put in by double-click and the drag that follows it: opened by this
    // selection before the point goes in, closed when that press ends (a drag's end, dragged or not), so
    // the two undo together and no group is left open. Opening closes any step still open.
    void openInsertGroup();
    void closeInsertGroup();

private:
    // The selection itself records nothing (its undoManager is null); the page's records the drags.
    pf::UndoManager* undoManagerOfPage() const;
    // Takes the connections off the page now; undo puts them back, redo takes them off again.
    void detachWithUndo(std::vector<std::shared_ptr<Connection>> connections);

    // What the running end drag loosened.
    std::vector<std::shared_ptr<Connection>> loosened_;
    pf::UndoManager* insertUndo_ = nullptr;
    pf::UndoGroupToken insertGroup_;
};

// Straight lines and the kinds derived from them: only the two ends are handles.
class LineManipulator : public AbstractPointerManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    bool showsRotationHandle() const override { return false; }
    void drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    std::int64_t handleForPoint(const pf::Point& point) const override;

protected:
    void drawEndHandles(pf::GraphicsContext& context, const HandleOverlay& overlay) const;
    void drawHandleForCorner(pf::GraphicsContext& context, const HandleOverlay& overlay, std::int64_t corner,
                             const pf::Rect& rect) const;
};

// Elbow lines: the ends, two bend handles and the elbow's adjustment handle.
class SegmentedLineManipulator : public LineManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    void drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    void drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    std::int64_t handleForPoint(const pf::Point& point) const override;
    // The elbow's place as two ratios of the frame (across when flipped); Shift steps of 0.05.
    void mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point) override;

private:
    SegmentedLine* singleSegmentedLine() const;
};

// Freehand brush strokes: neither turned nor connected.
class BrushManipulator : public AbstractPointerManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool allowsRotation() const override { return false; }
};

void registerPointerManipulatorClasses(pf::ClassRegistry& registry);
