// The arrow keys: nudging and jumping the selection, the guides shown for a moment after each step, and
// selecting the nearest shape in a direction.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Services.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

bool optionHeld()
{
    const auto& event = pf::InputState::shared().currentEvent();
    return event && event->isOptionKeyPressed();
}

// How long the guides of a nudge stay.
constexpr auto tempGuidesLifetime = std::chrono::milliseconds(250);

} // namespace

double Canvas::nudgeDistance() const
{
    const auto page = composition();
    if (!page)
        return 1.0;
    const bool fine = page->isGridEnabled() == optionHeld();
    return fine ? 1.0 : page->gridTolerance();
}

namespace {

// Moves the selection's left (x) or top edge by delta page points; a locked selection refuses, as every
// drag does.
void nudgeSelection(Canvas& canvas, bool horizontal, double delta)
{
    if (const auto& m = canvas.manipulator(); m && !m->isEmpty()) {
        if (m->isLocked()) {
            pf::beep();
            return;
        }
        const pf::Rect f = m->frame();
        m->movePageOrigin(horizontal ? QStringLiteral("displayFrameX") : QStringLiteral("displayFrameY"),
                          (horizontal ? f.x() : f.y()) + delta);
    }
    canvas.didNudge();
}

} // namespace

void Canvas::nudgeUp() { nudgeSelection(*this, false, -nudgeDistance()); }
void Canvas::nudgeDown() { nudgeSelection(*this, false, nudgeDistance()); }
void Canvas::nudgeLeft() { nudgeSelection(*this, true, -nudgeDistance()); }
void Canvas::nudgeRight() { nudgeSelection(*this, true, nudgeDistance()); }
void Canvas::jumpUp() { nudgeSelection(*this, false, -10.0 * nudgeDistance()); }
void Canvas::jumpDown() { nudgeSelection(*this, false, 10.0 * nudgeDistance()); }
void Canvas::jumpLeft() { nudgeSelection(*this, true, -10.0 * nudgeDistance()); }
void Canvas::jumpRight() { nudgeSelection(*this, true, 10.0 * nudgeDistance()); }

void Canvas::didNudge()
{
    performAfterDelay(
        [this] {
            if (const std::shared_ptr<Manipulator> m = manipulator_) {
                m->removeToolTip();
                m->addToolTip();
                // Snapping at no tolerance only records the guides and marks the new frame meets; the frame
                // stays where the nudge put it.
                const bool wanted = wantsSnap_;
                wantsSnap_ = true;
                m->gatherSnapShapes();
                (void)m->snapRectForRect(m->frame(), false, true, nullptr);
                m->clearSnapShapes();
                wantsSnap_ = wanted;
            }
            if (!tempGuides_.empty())
                setNeedsDisplayInRect(convertRectFromComposition(QVCombineRects(snappedSetDirtyRect(), tempGuidesDirtyRect())));
            clearTempGuidesLater();
            scrollSelectionToVisible();
        },
        pf::Nanoseconds(0));
}

void Canvas::clearTempGuidesLater()
{
    performAfterDelay([this] { clearTempGuidesNow(); }, tempGuidesLifetime);
}

void Canvas::clearTempGuidesNow()
{
    const pf::Rect guides = clearTempGuides();
    setNeedsDisplayInCompositionRect(QVCombineRects(guides, clearSnappedSet()));
}

// ---- the nearest shape in a direction ----

void Canvas::selectShapeWithCompareOriginMeasureDistance(
    const std::function<bool(const pf::Point&, const pf::Point&)>& compare,
    const std::function<double(const pf::Point&, const pf::Point&)>& measure)
{
    const auto page = composition();
    if (!page)
        return;
    const bool straight = optionHeld();
    const Shapes selected = selectedShapes();
    const Shape* reference = selected.empty() ? nullptr : selected.front().get();
    const pf::Point origin = reference ? reference->center() : pf::Point(0, 0);

    struct Candidate {
        std::shared_ptr<Shape> shape;
        double distance;
    };
    std::vector<Candidate> candidates;
    for (const auto& child : page->children()) {
        if (child.get() == reference || child->isManipulator() || child->isLasso())
            continue;
        const pf::Point c = child->center();
        if (!compare(origin, c))
            continue;
        candidates.push_back({child, std::fabs(straight ? QVGetDiagonalBetween(origin, c) : measure(origin, c))});
    }
    if (candidates.empty())
        return;
    // Stable: of shapes at the same distance, the one lower in the page wins.
    const auto nearest = std::min_element(candidates.begin(), candidates.end(),
                                          [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    replaceSelectionWithShape(nearest->shape);
}

void Canvas::selectShapeUp()
{
    selectShapeWithCompareOriginMeasureDistance([](const pf::Point& r, const pf::Point& c) { return r.y > c.y; },
                                                [](const pf::Point& r, const pf::Point& c) { return r.y - c.y; });
}

void Canvas::selectShapeDown()
{
    selectShapeWithCompareOriginMeasureDistance([](const pf::Point& r, const pf::Point& c) { return c.y > r.y; },
                                                [](const pf::Point& r, const pf::Point& c) { return r.y - c.y; });
}

void Canvas::selectShapeLeft()
{
    selectShapeWithCompareOriginMeasureDistance([](const pf::Point& r, const pf::Point& c) { return r.x > c.x; },
                                                [](const pf::Point& r, const pf::Point& c) { return r.x - c.x; });
}

void Canvas::selectShapeRight()
{
    selectShapeWithCompareOriginMeasureDistance([](const pf::Point& r, const pf::Point& c) { return c.x > r.x; },
                                                [](const pf::Point& r, const pf::Point& c) { return r.x - c.x; });
}

// ---- the arrow keys ----

void Canvas::arrowKeyDown(const pf::Event& e)
{
    // The line and document movement keys of text select shapes; they come before the nudges.
    if (e.isCommandKeyPressed()) {
        if (e.isUpArrowKeyDown())
            moveToBeginningOfDocument();
        else if (e.isDownArrowKeyDown())
            moveToEndOfDocument();
        else if (e.isLeftArrowKeyDown())
            moveToBeginningOfLine();
        else
            moveToEndOfLine();
        return;
    }
    const bool jump = e.isShiftKeyPressed();
    if (e.isUpArrowKeyDown())
        jump ? jumpUp() : nudgeUp();
    else if (e.isDownArrowKeyDown())
        jump ? jumpDown() : nudgeDown();
    else if (e.isLeftArrowKeyDown())
        jump ? jumpLeft() : nudgeLeft();
    else
        jump ? jumpRight() : nudgeRight();
}
