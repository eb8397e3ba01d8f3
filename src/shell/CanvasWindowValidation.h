// What the document window's validation by tag asks: the canvas's enabling queries (the real canvas
// answers them through CanvasAbilitiesOf; tests give a fake), and the two kinds of items it validates
// besides menu items: a toolbar item by its tag, and the lock item, which also shows Lock or Unlock.
#pragma once

#include <cstdint>

class Canvas;

class CanvasAbilities {
public:
    virtual ~CanvasAbilities() = default;
    virtual bool canRemove() const = 0;
    virtual bool canShowInfo() const = 0;
    virtual bool canSelectAll() const = 0;
    virtual bool canSelectNone() const = 0;
    virtual bool canDuplicate() const = 0;
    virtual bool canGroup() const = 0;
    virtual bool canUngroup() const = 0;
    virtual bool canLock() const = 0;
    virtual bool canUnlock() const = 0;
    virtual bool canBringToFront() const = 0;
    virtual bool canSendToBack() const = 0;
    virtual bool canAlign() const = 0;
    virtual bool canIntersect() const = 0;
    virtual bool canCopyStyle() const = 0;
    virtual bool canPasteStyle() const = 0;
    virtual bool canInvert() const = 0;
};

// The queries of a real canvas.
class CanvasAbilitiesOf : public CanvasAbilities {
public:
    explicit CanvasAbilitiesOf(const Canvas& canvas) : canvas_(canvas) {}
    bool canRemove() const override;
    bool canShowInfo() const override;
    bool canSelectAll() const override;
    bool canSelectNone() const override;
    bool canDuplicate() const override;
    bool canGroup() const override;
    bool canUngroup() const override;
    bool canLock() const override;
    bool canUnlock() const override;
    bool canBringToFront() const override;
    bool canSendToBack() const override;
    bool canAlign() const override;
    bool canIntersect() const override;
    bool canCopyStyle() const override;
    bool canPasteStyle() const override;
    bool canInvert() const override;

private:
    const Canvas& canvas_;
};

// A toolbar item as the window validates it.
class ValidatedToolbarItem {
public:
    virtual ~ValidatedToolbarItem() = default;
    virtual std::int64_t tag() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// The lock item (tag 757): one item that locks or unlocks, in the toolbar's size.
class ValidatedLockItem : public virtual ValidatedToolbarItem {
public:
    virtual void setSizeMode(int sizeMode) = 0;
    virtual void setShowsUnlock(bool showsUnlock) = 0;
    // Redraws the item's picture for its size and state.
    virtual void myUpdate() = 0;
};

// The tags of the window's validated items.
namespace validationTag {
constexpr std::int64_t Lock = 757;
constexpr std::int64_t LibraryPalette = 1211;
constexpr std::int64_t TabsPalette = 1212;
constexpr std::int64_t OutlinePalette = 1213;
constexpr std::int64_t InspectorPalette = 1214;
} // namespace validationTag
