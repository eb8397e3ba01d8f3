// A uniform grid over a page's top-level shapes, so that a paint or a hit test looks only at the shapes
// near its rect or point: a paint takes the shapes whose painted rect meets it, a hit test those whose
// dirty or painted rect holds the point (hit tests may reach a little beyond the paint). It is brought up to date lazily, before each query: shapes
// whose rect changed move between cells, a changed list is indexed afresh. Answers are list indexes in page
// order (bottom first).
#pragma once

#include "platform/foundation/Geometry.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class Shape;

class CanvasShapeIndex {
public:
    using Children = std::vector<std::shared_ptr<Shape>>;

    // Compares the index with the list (by its serial, Parent::childrenSerial, and each shape's rects where
    // its display stamp or the zoom changed) and re-indexes what changed. bounds: the page frame, which
    // sizes the cells when the list is indexed afresh. changed: the shapes whose stamps were renewed since
    // the last update (the page's log), or null when not known: then every shape is looked at.
    void update(const Children& children, std::uint64_t listSerial, const pf::Rect& bounds, double scale,
                const std::vector<const Shape*>* changed);
    // Indexes of the shapes whose painted rect meets r, ascending.
    void shapesMeetingRect(const pf::Rect& r, std::vector<std::uint32_t>& out) const;
    // Indexes of the shapes whose dirty or painted rect contains p, ascending.
    void shapesAtPoint(const pf::Point& p, std::vector<std::uint32_t>& out) const;
    std::size_t size() const { return entries_.size(); }
    // Entries moved between cells and whole re-indexings since the start, for tests.
    std::size_t moves() const { return moves_; }
    std::size_t rebuilds() const { return rebuilds_; }

private:
    struct Entry {
        const Shape* shape = nullptr;
        pf::Rect painted;
        pf::Rect dirty;
        // Both, standardized: what the cells list it by.
        pf::Rect reach;
        // The shape's display stamp and zoom when its rects were taken.
        std::uint64_t displayStamp = 0;
        double scale = 0;
        // The cell range it is listed in; none (wide) when it is kept in wide_.
        int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
        bool wide = false;
        mutable std::uint32_t stamp = 0;
    };
    static std::int64_t key(int x, int y) { return (std::int64_t(x) << 32) ^ std::uint32_t(y); }
    static void take(Entry& e, const Shape& shape);
    void refresh(std::uint32_t index, const Shape& shape);
    void rebuild(const Children& children, const pf::Rect& bounds);
    void insert(std::uint32_t index);
    void remove(std::uint32_t index);
    void collect(const pf::Rect& r, std::vector<std::uint32_t>& out) const;

    std::vector<Entry> entries_;
    // The serial of the list indexed; none before the first.
    std::uint64_t listSerial_ = 0;
    bool indexed_ = false;
    std::unordered_map<const Shape*, std::uint32_t> byShape_;
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> cells_;
    // Shapes too large (or too far out) to list cell by cell: every query looks at them.
    std::vector<std::uint32_t> wide_;
    double cellSide_ = 128;
    double scale_ = 0;
    mutable std::uint32_t stamp_ = 0;
    std::size_t moves_ = 0;
    std::size_t rebuilds_ = 0;
};
