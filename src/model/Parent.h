// A rectangle that owns an ordered list of child shapes: the base of the page, the group and the
// selection's manipulator. It keeps the list, finds shapes in it and passes the page down; the
// operations that change the list do nothing here: each container implements them with its own undo and
// notices, and keeps every child's parent and page its own.
#pragma once

#include "model/Rectangle.h"
#include "platform/foundation/NotFound.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Parent : public Rectangle {
public:
    // In drawing order: the first is drawn first (bottom), the last on top.
    using Children = std::vector<std::shared_ptr<Shape>>;

    Parent() = default;
    // Takes the children off the page and away from this parent before letting them go.
    ~Parent() override;

    static const RectangleClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    void initWithFrame(const pf::Rect& frame) override;

    const Children& children() const { return children_; }
    void setChildren(Children children);
    // Renewed at every change of the list, and never the same for two lists: a reader that keeps the
    // serial it saw knows the list unchanged without walking it.
    std::uint64_t childrenSerial() const { return childrenSerial_; }
    // Plain list edits for the containers' own operations (no parent, page, notice or undo): insert at
    // index (past the end: append), and remove the entry at index (none past the end).
    void insertChildAtIndex(std::shared_ptr<Shape> shape, std::size_t index);
    void removeChildAtIndex(std::size_t index);

    // The index of that very object (not of an equal shape), or pf::NotFound.
    std::size_t indexOfShape(const Shape* shape) const;
    bool containsShape(const Shape* shape) const { return indexOfShape(shape) != pf::NotFound; }
    // The topmost child that is savable (not a manipulator) and contains the point; null when none does.
    std::shared_ptr<Shape> shapeAtPoint(const pf::Point& point) const;

    // The page of this container and of every descendant.
    void setComposition(ShapePage* page) override;

    // List changes: nothing in Parent.
    virtual void insertShapeAtIndex(std::shared_ptr<Shape> shape, std::size_t index);
    virtual void addShape(std::shared_ptr<Shape> shape);
    virtual void removeShape(const std::shared_ptr<Shape>& shape);
    virtual void removeAllShapes();
    virtual void moveShapeAtIndexToIndex(std::size_t from, std::size_t to);
    virtual void copyShapeAtIndexToIndex(std::size_t from, std::size_t to);

    // The children paint for a container: their marks and turns are in the dirty rect, kept whole.
    pf::Rect calcPaintedRect() const override { return dirtyRect(); }
    // Its drawing is its children's.
    bool drawingMovesWithFrame() const override { return false; }

private:
    void renewChildrenSerial();

    Children children_;
    std::uint64_t childrenSerial_ = 0;
};
