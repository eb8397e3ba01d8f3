// Temporary guides: the snapping lines a drag or a nudge shows for as long as it runs.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "model/Guide.h"

#include <algorithm>
#include <cmath>

pf::Rect Canvas::tempGuidesDirtyRect() const
{
    pf::Rect r;
    for (const auto& guide : tempGuides_)
        r = QVCombineRects(r, guide->dirtyRect());
    return r;
}

pf::Rect Canvas::clearTempGuides()
{
    const pf::Rect r = tempGuidesDirtyRect();
    tempGuides_.clear();
    return r;
}

namespace {

// A temporary guide still lines up with the selection when it lies on one of the rect's three lines along
// its axis (both edges and the middle). Guides and frames come from the same arithmetic, so the tolerance
// only absorbs rounding: a hundredth of a point, proportionally less on a frame under a point wide, and
// never below what doubles resolve at the coordinates' magnitude.
bool liesOnRectLines(double position, double origin, double extent)
{
    const double magnitude = std::max({std::fabs(position), std::fabs(origin), std::fabs(extent)});
    const double tolerance = std::max(std::min(0.01, std::fabs(extent) * 0.01), magnitude * 1e-12);
    for (const double line : {origin, origin + extent * 0.5, origin + extent})
        if (std::fabs(position - line) <= tolerance)
            return true;
    return false;
}

} // namespace

void Canvas::addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to)
{
    // A drawing tool that shows its own feedback keeps the canvas free of them.
    if (mouseStrategy_ && !mouseStrategy_->wantsTempGuides())
        return;
    tempGuides_.push_back(Guide::make(composition().get(), type, from, to));
}

pf::Rect Canvas::cleanUpTempGuidesWithManipulatorRect(const pf::Rect& rect)
{
    pf::Rect uncovered;
    if (!manipulator_ || tempGuides_.empty())
        return uncovered;
    for (auto it = tempGuides_.end(); it != tempGuides_.begin();) {
        --it;
        const Guide& guide = **it;
        const bool kept = guide.isVertical() ? liesOnRectLines(guide.p1().x, rect.x(), rect.width())
                                             : liesOnRectLines(guide.p1().y, rect.y(), rect.height());
        if (kept)
            continue;
        uncovered = QVCombineRects(uncovered, guide.dirtyRect());
        it = tempGuides_.erase(it);
    }
    // The marks of what was snapped to belong with the guides that showed it.
    if (tempGuides_.empty())
        uncovered = QVCombineRects(uncovered, clearSnappedSet());
    return uncovered;
}
