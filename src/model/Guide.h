// A straight horizontal or vertical line on a page. User guides (type 2) are placed from the rulers, kept
// and stored by the page and moved with undo; temporary guides (types 0 and 1) are the canvas's snapping
// lines and are never stored.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace pf {
class UndoManager;
}
class Composition;

class Guide : public pf::Object {
public:
    static constexpr std::uint64_t UserGuide = 2;

    // Both points off screen; no page. Use make (shared: undo holds guides weakly).
    Guide() = default;

    static const pf::ClassObject& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A user guide reaches its points through two moves (the first from off screen registers no undo).
    static std::shared_ptr<Guide> make(Composition* page, std::uint64_t type, const pf::Point& p1, const pf::Point& p2);

    std::uint64_t type() const { return type_; }
    Composition* composition() const { return composition_; }
    void setComposition(Composition* page) { composition_ = page; }
    // Magenta, orange or cyan by type (none for other types), filled in on first use.
    const pf::OptionalColor& color() const;
    void setColor(const pf::OptionalColor& color) { color_ = color; }
    const pf::Point& p1() const { return p1_; }
    const pf::Point& p2() const { return p2_; }

    // Redraws the old and new places; registers the move back ("Move Guide") unless the guide was off screen.
    void moveToP1P2(const pf::Point& p1, const pf::Point& p2);

    // The points differ by more than 2 in y.
    bool isVertical() const;
    bool isUserGuide() const { return type_ == UserGuide; }
    bool isOffscreen() const;
    // The page's zoom; 1 without a page or at zoom 0.
    double currentScale() const;
    pf::Rect frame() const;
    // A band 3 screen points to each side, endless along the guide.
    pf::Rect dirtyRect() const;
    // The same at 1.5 screen points: where the pointer grabs the guide.
    pf::Rect hoverRect() const;
    bool containsPoint(const pf::Point& point) const { return hoverRect().contains(point); }
    // The frame grown by the snap tolerance.
    pf::Rect proximityRect() const;
    pf::UndoManager* undoManager() const;

    bool isEqualToGuide(const Guide& other) const;
    // Same page, type and points (a user guide through the moves of make).
    std::shared_ptr<Guide> copy() const;
    QString description() const;

    pf::Value asPlist() const;
    // No page yet: the page reader sets it.
    static std::shared_ptr<Guide> fromPlist(const pf::Value& plist);

private:
    pf::Rect band(double halfWidth) const;

    std::uint64_t type_ = 0;
    Composition* composition_ = nullptr;
    mutable pf::OptionalColor color_;
    pf::Point p1_{3.4028234663852886e38, 3.4028234663852886e38};
    pf::Point p2_{3.4028234663852886e38, 3.4028234663852886e38};
};
