#include "canvas/CanvasShapeIndex.h"

#include "geometry/QVRect.h"
#include "model/Shape.h"

#include <algorithm>
#include <cmath>

namespace {

// A shape spanning more cells than this is kept in the wide list instead.
constexpr double maxCellsPerShape = 256;

bool isFinite(const pf::Rect& r)
{
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width)
        && std::isfinite(r.size.height);
}

} // namespace

void CanvasShapeIndex::update(const Children& children, std::uint64_t listSerial, const pf::Rect& bounds,
                              double scale, const std::vector<const Shape*>* changed)
{
    if (!indexed_ || listSerial != listSerial_) {
        indexed_ = true;
        listSerial_ = listSerial;
        rebuild(children, bounds);
        scale_ = scale;
        return;
    }
    // Rects change only with a redisplay request, which renews the stamp, or with the zoom.
    if (changed && scale == scale_) {
        for (const Shape* shape : *changed)
            if (const auto found = byShape_.find(shape); found != byShape_.end())
                refresh(found->second, *children[found->second]);
        return;
    }
    scale_ = scale;
    for (std::uint32_t i = 0; i < entries_.size(); ++i)
        refresh(i, *children[i]);
}

void CanvasShapeIndex::refresh(std::uint32_t index, const Shape& shape)
{
    Entry& e = entries_[index];
    if (shape.displayStamp() == e.displayStamp && shape.currentScale() == e.scale)
        return;
    const pf::Rect painted = e.painted, dirty = e.dirty;
    take(e, shape);
    if (painted == e.painted && dirty == e.dirty)
        return;
    remove(index); // by the cells it is listed in, not by its rects
    insert(index);
    ++moves_;
}

void CanvasShapeIndex::take(Entry& e, const Shape& shape)
{
    e.painted = shape.paintedRect();
    e.dirty = shape.dirtyRect();
    e.reach = QVCombineRects(e.painted.standardized(), e.dirty.standardized());
    e.displayStamp = shape.displayStamp();
    e.scale = shape.currentScale();
}

void CanvasShapeIndex::rebuild(const Children& children, const pf::Rect& bounds)
{
    ++rebuilds_;
    entries_.clear();
    byShape_.clear();
    cells_.clear();
    wide_.clear();
    // About a thousand cells over the page: a page of a thousand shapes then lists a few in each.
    const double area = std::fabs(bounds.width() * bounds.height());
    cellSide_ = std::isfinite(area) && area > 0 ? std::clamp(std::sqrt(area / 1024.0), 16.0, 4096.0) : 128.0;
    entries_.resize(children.size());
    for (std::uint32_t i = 0; i < children.size(); ++i) {
        entries_[i].shape = children[i].get();
        byShape_[children[i].get()] = i;
        if (children[i])
            take(entries_[i], *children[i]);
        insert(i);
    }
}

void CanvasShapeIndex::insert(std::uint32_t index)
{
    Entry& e = entries_[index];
    const pf::Rect& r = e.reach;
    e.wide = false;
    e.x1 = e.x0 - 1;
    if (!e.shape || r.isEmpty() || !isFinite(r)) {
        // Nothing to draw or hit: listed nowhere, never answered.
        if (e.shape && !isFinite(r)) {
            e.wide = true;
            wide_.push_back(index);
        }
        return;
    }
    const double x0 = std::floor(r.minX() / cellSide_), x1 = std::floor(r.maxX() / cellSide_);
    const double y0 = std::floor(r.minY() / cellSide_), y1 = std::floor(r.maxY() / cellSide_);
    if ((x1 - x0 + 1) * (y1 - y0 + 1) > maxCellsPerShape || std::fabs(x0) > 1e9 || std::fabs(x1) > 1e9
        || std::fabs(y0) > 1e9 || std::fabs(y1) > 1e9) {
        e.wide = true;
        wide_.push_back(index);
        return;
    }
    e.x0 = int(x0), e.x1 = int(x1), e.y0 = int(y0), e.y1 = int(y1);
    for (int y = e.y0; y <= e.y1; ++y)
        for (int x = e.x0; x <= e.x1; ++x)
            cells_[key(x, y)].push_back(index);
}

void CanvasShapeIndex::remove(std::uint32_t index)
{
    Entry& e = entries_[index];
    if (e.wide) {
        wide_.erase(std::remove(wide_.begin(), wide_.end(), index), wide_.end());
        e.wide = false;
        return;
    }
    for (int y = e.y0; y <= e.y1; ++y)
        for (int x = e.x0; x <= e.x1; ++x) {
            const auto found = cells_.find(key(x, y));
            if (found == cells_.end())
                continue;
            auto& list = found->second;
            list.erase(std::remove(list.begin(), list.end(), index), list.end());
            if (list.empty())
                cells_.erase(found);
        }
    e.x1 = e.x0 - 1;
}

void CanvasShapeIndex::collect(const pf::Rect& area, std::vector<std::uint32_t>& out) const
{
    out.clear();
    const pf::Rect r = area.standardized();
    const double x0 = std::floor(r.minX() / cellSide_), x1 = std::floor(r.maxX() / cellSide_);
    const double y0 = std::floor(r.minY() / cellSide_), y1 = std::floor(r.maxY() / cellSide_);
    // A rect over many cells (a whole view's paint) meets most shapes: reading the entries in order is
    // shorter than looking up its cells and sorting what they list.
    if (!isFinite(r) || (x1 - x0 + 1) * (y1 - y0 + 1) * 8 > double(entries_.size())) {
        for (std::uint32_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].wide || entries_[i].x1 >= entries_[i].x0)
                out.push_back(i);
        return;
    }
    if (++stamp_ == 0) {
        for (const Entry& e : entries_)
            e.stamp = 0;
        stamp_ = 1;
    }
    const auto take = [this, &out](std::uint32_t i) {
        if (entries_[i].stamp != stamp_) {
            entries_[i].stamp = stamp_;
            out.push_back(i);
        }
    };
    for (const std::uint32_t i : wide_)
        take(i);
    for (double y = y0; y <= y1; ++y)
        for (double x = x0; x <= x1; ++x)
            if (const auto found = cells_.find(key(int(x), int(y))); found != cells_.end())
                for (const std::uint32_t i : found->second)
                    take(i);
    std::sort(out.begin(), out.end());
}

void CanvasShapeIndex::shapesMeetingRect(const pf::Rect& r, std::vector<std::uint32_t>& out) const
{
    collect(r, out);
    const pf::Rect area = r.standardized();
    std::erase_if(out, [this, &area](std::uint32_t i) { return !entries_[i].painted.intersects(area); });
}

void CanvasShapeIndex::shapesAtPoint(const pf::Point& p, std::vector<std::uint32_t>& out) const
{
    collect(pf::Rect(p, pf::Size(0, 0)), out);
    std::erase_if(out, [this, &p](std::uint32_t i) {
        const pf::Rect& r = entries_[i].reach;
        return !(p.x >= r.minX() && p.x <= r.maxX() && p.y >= r.minY() && p.y <= r.maxY());
    });
}
