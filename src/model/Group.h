// A container that moves, resizes and rotates a set of shapes as one. Once committed it remembers where
// each child sits as fractions of its own frame (the child ratios, by child identifier) and lays the
// children out from them whenever its frame changes. The page makes and dissolves groups.
#pragma once

#include "model/Parent.h"

#include <QHash>

class GroupClass : public RectangleClass {
public:
    using RectangleClass::RectangleClass;
    QString title() const override;
    QString shortTitle() const override;
    const QStringList& facetClassNames() const override;
    QString manipulatorClassName() const override;
    double selectionStrokeLineWidth() const override { return 1.0; }
    pf::Color selectionStrokeColor() const override { return pf::Color{0, 1, 1, 1}; }
    bool isStickySettingEnabled() const override { return false; }
};

class Group : public Parent {
public:
    static const GroupClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A zero-frame group of the shapes, in order; their parents are left to the page.
    static std::shared_ptr<Group> groupWithShapes(const Children& shapes);

    // No fill, no stroke, no shadows; uncommitted.
    void initWithFrame(const pf::Rect& frame) override;

    // Nothing for the group itself or a child already in it; the frame becomes the union of the children,
    // the children stay where they are, and a committed group recaptures its ratios (list edits as well).
    void insertShapeAtIndex(std::shared_ptr<Shape> shape, std::size_t index) override;
    void addShape(std::shared_ptr<Shape> shape) override { insertShapeAtIndex(std::move(shape), pf::NotFound); }
    void removeShape(const std::shared_ptr<Shape>& shape) override;
    void removeAllShapes() override;
    // `to` counts positions before the removal; past the end means the end. Undoable on the page's undo
    // manager ("Move %@"), as the page's own reorder is.
    void moveShapeAtIndexToIndex(std::size_t from, std::size_t to) override;
    // A copy moved by (10, 10), registered with the page, a child of this group at `to`; undoable ("Add %@").
    void copyShapeAtIndexToIndex(std::size_t from, std::size_t to) override;

    // captureChildRatios, then layoutChildren.
    void commit();
    void captureChildRatios();
    // Children placed by their ratios (grid-aligned when the page's grid is on); nothing until committed.
    void layoutChildren();
    bool isCommitted() const { return committed_; }
    void setCommitted(bool committed) { committed_ = committed; }
    const QHash<QString, pf::Rect>& childRatios() const { return childRatios_; }
    void setChildRatios(QHash<QString, pf::Rect> ratios) { childRatios_ = std::move(ratios); }
    // A child was given a new identifier: its ratio follows it.
    void renameChildRatio(const QString& from, const QString& to);

    // Lays the children out when the frame changed.
    void setFrame(const pf::Rect& frame) override;
    void beginDrag() override;
    void endDrag(const pf::Event& event) override;

    // The group and every child.
    void setLocked(bool locked) override;
    void setHidden(bool hidden) override;
    void setSelected(bool selected) override;
    // The connector is a child, or attached to one.
    bool isConnectedToPointer(const Shape* pointer) const override;

    // Key-value coding reaches the children, except for the group's own "rotationAngle",
    // "rotationHandleRadius" and "locked": a read answers the children's common value (null when they
    // differ, when one has none, or when there are none), a write goes to every child. Each write is
    // announced on the group and redraws it.
    pf::Variant valueForKey(const QString& key) const override;
    void setValueForKey(const pf::Variant& value, const QString& key) override;

    bool isGroup() const override { return true; }
    bool canEditText() const override { return false; }
    bool canEditImage() const override { return false; }
    bool canFlip() const override { return false; }
    bool canClosePath() const override { return false; }
    bool canCombine() const override { return false; }
    bool canSplit() const override { return false; }
    bool canSliceAtLocation(const pf::Point& location) const override { (void)location; return false; }
    bool canCopyPasteStyle() const override { return false; }
    bool canConvertToBezier() const override { return false; }

    // Unions of the children's.
    pf::Rect strokedRectForRect(const pf::Rect& rect) const override;
    pf::Rect renderRect() const override;
    // The base dirty rect and a square about the centre whose side is the frame's diagonal, so a rotated
    // group's children are covered.
    pf::Rect calcDirtyRect() const override;

    // The children turned by the group's rotation; on screen also the group's own highlights.
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    void drawFillInContext(pf::GraphicsContext& context) override { (void)context; }
    void drawStrokeInContext(pf::GraphicsContext& context) override { (void)context; }

    pf::Value asPlist() const override;
    // Children from the stored form (registered on the page being read); ratios recaptured from their frames.
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    // A copy joins the group at index (registered, undoable), and leaves it again (deregistered, undoable):
    // copyShapeAtIndexToIndex with its undo and redo.
    void addCopy(const std::shared_ptr<Shape>& copy, std::size_t index);
    void removeCopy(const std::shared_ptr<Shape>& copy);
    void frameToChildren();

    bool committed_ = false;
    QHash<QString, pf::Rect> childRatios_;
};
