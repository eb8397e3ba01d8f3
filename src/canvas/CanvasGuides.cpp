// Temporary guides, the snapping lines a drag or a nudge shows for as long as it runs, and the user guides
// of the page: dragged on the grid, deleted by a drop outside the visible area, with undo.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Guide.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Poof.h"

#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
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

// ---- user guides ----

namespace {

constexpr double GuideFar = -10000000.0;
constexpr double GuideNoPoint = 3.4028234663852886e38;

void insertUserGuide(Composition& page, const std::shared_ptr<Guide>& guide, Canvas* canvas);
void takeUserGuide(Composition& page, const std::shared_ptr<Guide>& guide, Canvas* canvas);

// Undo and redo go through the page (the canvas may be gone by then; it only redraws when it is there).
void registerGuideUndo(Composition& page, const std::shared_ptr<Guide>& guide, Canvas* canvas, bool added)
{
    QPointer<QWidget> view(canvas);
    const auto target = std::static_pointer_cast<Composition>(page.shared_from_this());
    pf::registerUndo(page.undoManager(), target,
                     [guide, view, added](Composition& p) {
                         auto* cv = dynamic_cast<Canvas*>(view.data());
                         if (added)
                             takeUserGuide(p, guide, cv);
                         else
                             insertUserGuide(p, guide, cv);
                     },
                     added ? pf::localized(QStringLiteral("Add Guide")) : pf::localized(QStringLiteral("Remove Guide")));
}

void insertUserGuide(Composition& page, const std::shared_ptr<Guide>& guide, Canvas* canvas)
{
    registerGuideUndo(page, guide, canvas, true);
    Composition::Guides guides = page.userGuides();
    guides.push_back(guide);
    page.setUserGuides(std::move(guides));
    if (canvas && !guide->isOffscreen())
        canvas->setNeedsDisplayInCompositionRect(guide->dirtyRect());
}

void takeUserGuide(Composition& page, const std::shared_ptr<Guide>& guide, Canvas* canvas)
{
    registerGuideUndo(page, guide, canvas, false);
    if (canvas && !guide->isOffscreen())
        canvas->setNeedsDisplayInCompositionRect(guide->dirtyRect());
    Composition::Guides guides = page.userGuides();
    std::erase(guides, guide);
    page.setUserGuides(std::move(guides));
}

} // namespace

std::shared_ptr<Guide> Canvas::userGuideAtPoint(const pf::Point& viewPoint) const
{
    const UserDefaults& defaults = UserDefaults::instance();
    const auto page = composition();
    if (!page || !defaults.guidesVisible() || defaults.guidesLocked())
        return nullptr;
    const pf::Point p = convertPointToComposition(viewPoint);
    for (const auto& guide : page->userGuides())
        if (guide->containsPoint(p))
            return guide;
    return nullptr;
}

void Canvas::addUserGuide(const std::shared_ptr<Guide>& guide)
{
    if (const auto page = composition(); page && guide)
        insertUserGuide(*page, guide, this);
}

void Canvas::removeUserGuide(const std::shared_ptr<Guide>& guide)
{
    const auto page = composition();
    if (!page || !guide)
        return;
    takeUserGuide(*page, guide, this);
    // A puff where the guide was dropped (on the ruler, outside the view), so that its going is seen.
    pf::runPoofAtPoint(mapToGlobal(lastEventLocation_.toQt()).toPoint());
}

void Canvas::setNeedsDisplayInUserGuidesDirtyRect()
{
    if (const auto page = composition())
        for (const auto& guide : page->userGuides())
            if (!guide->isOffscreen())
                setNeedsDisplayInCompositionRect(guide->dirtyRect());
}

void Canvas::userGuideDragged(const pf::Event& event, const pf::Point& viewPoint)
{
    const auto page = composition();
    const std::shared_ptr<Guide> guide = draggingUserGuide_;
    if (!page || !guide)
        return;
    const pf::Point p = convertPointToComposition(viewPoint);
    const bool snap = page->isGridEnabled() != event.isOptionKeyPressed();
    const double t = page->gridTolerance();
    const unsigned unit = page->metrics() ? page->metrics()->unitType() : Metrics::Points;
    const pf::Rect f = page->frame();
    // In points at spacing 1 the grid counts from the page's corner, otherwise from its centre.
    const pf::Point o = t == 1.0 && unit == Metrics::Points ? f.origin : pf::Point(f.midX(), f.midY());
    const bool vertical = guide->isVertical();
    const auto place = [&](double v, double origin) {
        v = std::floor(v);
        if (!snap || !(t > 0) || !std::isfinite(t))
            return v;
        double offset = 0;
        // A spacing under half a point rounds to no step at all: there is nothing to offset by.
        const long double whole = std::round(std::fabs(static_cast<long double>(t)));
        if (unit == Metrics::Points && whole > 0)
            offset = static_cast<double>(std::fmod(static_cast<long double>(origin), whole));
        return std::round((v - offset) / t) * t + offset;
    };
    pf::Point p1, p2;
    double position = 0;
    if (vertical) {
        const double x = place(p.x, o.x);
        position = page->rulerOriginAdjustedPoint(pf::Point(x, 0)).x;
        p1 = pf::Point(x, GuideFar);
        p2 = pf::Point(x, GuideNoPoint);
    } else {
        const double y = place(p.y, o.y);
        position = page->rulerOriginAdjustedPoint(pf::Point(0, y)).y;
        p1 = pf::Point(GuideFar, y);
        p2 = pf::Point(GuideNoPoint, y);
    }
    const pf::Point old = guide->p1();
    if (!guide->isOffscreen())
        setNeedsDisplayInCompositionRect(guide->dirtyRect());
    guide->moveToP1P2(p1, p2);
    if (!guide->isOffscreen())
        setNeedsDisplayInCompositionRect(guide->dirtyRect());
    if (!(old.x == GuideNoPoint && old.y == GuideNoPoint))
        if (CompositionDelegate* delegate = page->compositionDelegate())
            delegate->compositionDidMoveUserGuideFromToIsVertical(*page, old, guide->p1(), vertical);
    showToolTipWithText(guideToolTipTextForPosition(position, vertical));
}

void Canvas::userGuideMouseUp(const pf::Event& event, const pf::Point& viewPoint)
{
    (void)event;
    if (draggingUserGuide_ && !visibleRect().contains(viewPoint))
        removeUserGuide(draggingUserGuide_);
    draggingUserGuide_.reset();
    hideToolTip();
    clearRulerlines();
}

QString Canvas::guideToolTipTextForPosition(double position, bool isVertical) const
{
    (void)isVertical;
    const auto page = composition();
    if (!page)
        return {};
    double n = std::fabs(page->currentUnitsForPoints(std::fabs(position)));
    if (position < 0)
        n = -n;
    const unsigned unit = page->metrics() ? page->metrics()->unitType() : Metrics::Points;
    if (unit == Metrics::Centimeters)
        n = std::round(n * 4) * 0.25;
    QString text = QString::asprintf(page->currentUnitDisplayFormat().toUtf8().constData(), n);
    if (unit == Metrics::Inches) {
        // Trailing zeros go, one decimal stays: 1.500" shows as 1.5", 2.000" as 2.0".
        static const QRegularExpression trailingZeros(QStringLiteral("(\\d+\\.\\d+?)0*(\")"));
        text.replace(trailingZeros, QStringLiteral("\\1\\2"));
    }
    return text;
}

void Canvas::showGuideCursorForVertical(bool vertical)
{
    showCursor(vertical ? pf::Cursor::resizeLeftRight() : pf::Cursor::resizeUpDown());
}

// ---- pulling a guide out of a ruler ----

void Canvas::rulerViewHandleLeftClick(pf::RulerView& ruler, const pf::Event& event)
{
    const auto page = composition();
    if (!page)
        return;
    if (pullOut_)
        endPullOut(&event, event.location);
    UserDefaults& defaults = UserDefaults::instance();
    if (!defaults.guidesVisible()) {
        defaults.setGuidesVisible(true);
        setNeedsDisplayInUserGuidesDirtyRect();
    }
    // Pulled from the top ruler the guide is horizontal, from the left one vertical; it lies far off the
    // page until the first drag step places it.
    const pf::Point far(GuideFar, GuideFar);
    const pf::Point end = ruler.isHorizontal() ? pf::Point(GuideNoPoint, GuideFar) : pf::Point(GuideFar, GuideNoPoint);
    const auto guide = Guide::make(page.get(), 2, far, end);
    // Adding, the drag steps and a removal on release are one step at most: nothing is registered until the
    // release shows whether the guide stays.
    pullOut_ = PullOut{page, page->disableUndo()};
    draggingUserGuide_ = guide;
    addUserGuide(guide);
}

void Canvas::rulerViewHandleMouseDragged(pf::RulerView&, const pf::Event& event, const pf::Point& point)
{
    if (pullOut_ && draggingUserGuide_) {
        lastEventLocation_ = point;
        userGuideDragged(event, point);
    }
}

void Canvas::rulerViewHandleMouseUp(pf::RulerView&, const pf::Event& event, const pf::Point& point)
{
    if (pullOut_)
        endPullOut(&event, point);
}

void Canvas::endPullOut(const pf::Event* event, const pf::Point& point)
{
    if (!pullOut_)
        return;
    const PullOut pullOut = *pullOut_;
    pullOut_.reset();
    const auto page = pullOut.page.lock();
    const std::shared_ptr<Guide> guide = draggingUserGuide_;
    if (event && page == composition()) {
        lastEventLocation_ = point;
        userGuideMouseUp(*event, point);
    } else {
        draggingUserGuide_.reset();
        hideToolTip();
        clearRulerlines();
    }
    if (!page)
        return;
    page->reenableUndoIf(pullOut.undoDisabled);
    // The guide stayed: its adding is the step (undo takes it away, redo puts it back where it was dropped).
    if (guide) {
        const auto& guides = page->userGuides();
        if (std::find(guides.begin(), guides.end(), guide) != guides.end())
            registerGuideUndo(*page, guide, page == composition() ? this : nullptr, true);
    }
}

bool Canvas::canClearGuides() const
{
    const auto page = composition();
    return page && !page->userGuides().empty();
}

void Canvas::clearGuides()
{
    const auto page = composition();
    if (!page)
        return;
    if (!page->userGuides().empty()) {
        pf::UndoManager* undo = page->undoManager();
        std::optional<pf::UndoGroupToken> group;
        if (undo)
            group = undo->beginUndoGrouping();
        // Last first, so that undo puts them back in their order.
        const Composition::Guides guides = page->userGuides();
        for (auto it = guides.rbegin(); it != guides.rend(); ++it)
            takeUserGuide(*page, *it, this);
        if (undo) {
            undo->setActionName(pf::localized(QStringLiteral("Edit Guides")));
            undo->endUndoGrouping(*group);
        }
    }
    page->clearGuides();
    setNeedsDisplay();
}
