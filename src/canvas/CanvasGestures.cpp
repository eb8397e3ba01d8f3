// Trackpad gestures: a pinch steps the page's zoom through a table of zoom codes, one step at a time, the
// first step of a touch sequence at a lower threshold so that the gesture answers at once; a rotation
// turns the selection.
//
// Touchpads give Qt windows no touch events: the kit's gesture begin stands for the fingers coming down
// and its end for their lifting. A turn keeps its total and sets each selected shape to its own angle at
// the turn's start minus the total, rounded: angles are whole degrees, and a slow turn arrives as many
// events of less than a degree, each of which would be lost if cut alone. One turn is one undo step; its
// group closes at the gesture's end, or at the next input of another kind when no end comes.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "platform/foundation/KeyValue.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array<std::int64_t, 15> zoomStepCodes{-4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 10, 20, 30, 40, 50};
// The step of code 0 (scale 1.0): where a code outside the table, which shows at 1.0, starts from.
constexpr std::int64_t unitZoomStep = 4;

} // namespace

std::int64_t Canvas::zoomScaleIndexForInteger(std::int64_t step)
{
    return zoomStepCodes[std::size_t(std::clamp<std::int64_t>(step, 0, std::int64_t(zoomStepCodes.size()) - 1))];
}

std::int64_t Canvas::integerForZoomScaleIndex(std::int64_t code)
{
    const std::int64_t clamped = std::clamp<std::int64_t>(code, zoomStepCodes.front(), zoomStepCodes.back());
    const auto it = std::find(zoomStepCodes.begin(), zoomStepCodes.end(), clamped);
    return it == zoomStepCodes.end() ? unitZoomStep : std::int64_t(it - zoomStepCodes.begin());
}

void Canvas::touchesBegan()
{
    newTouchEvent_ = true;
    totalTouchChange_ = 0;
}

void Canvas::touchesEnded()
{
    newTouchEvent_ = false;
}

void Canvas::beginGestureWithEvent(const pf::Event& e)
{
    (void)e;
    endRotationGesture();
    touchesBegan();
}

void Canvas::endGestureWithEvent(const pf::Event& e)
{
    (void)e;
    endRotationGesture();
    touchesEnded();
}

void Canvas::magnifyWithEvent(const pf::Event& e)
{
    const auto page = composition();
    if (!page)
        return;
    totalTouchChange_ += e.magnification;
    const bool first = newTouchEvent_;
    if (!((first && std::fabs(totalTouchChange_) >= 0.2) || std::fabs(totalTouchChange_) > 0.35))
        return;
    const bool in = totalTouchChange_ >= 0;
    totalTouchChange_ = 0;
    stepZoom(in, first, e.location);
    newTouchEvent_ = false;
}

void Canvas::stepZoom(bool in, bool first, const pf::Point& viewPoint)
{
    const auto page = composition();
    if (!page)
        return;
    const std::int64_t step = integerForZoomScaleIndex(page->zoomScaleIndex());
    // With nothing selected the page keeps the point under the fingers in view (a selection keeps itself).
    if (first && !hasSelection())
        page->setScrollCenterPoint(convertPointToComposition(viewPoint));
    const std::int64_t code = zoomScaleIndexForInteger(in ? step + 1 : step - 1);
    if (code != page->zoomScaleIndex())
        page->setZoomScaleIndex(code);
    updateForZoomScale();
}

void Canvas::scrollWheel(const pf::Event& e)
{
    // Few desktops here send a pinch: Ctrl with the wheel is the usual way to zoom. Each notch is a pinch
    // of one step of its own, so it zooms about the pointer as the first step of a pinch does.
    if (!e.isCommandKeyPressed() || !composition()) {
        pf::View::scrollWheel(e);
        return;
    }
    wheelZoomTurn_ += e.deltaY;
    while (std::fabs(wheelZoomTurn_) >= 1) {
        const bool in = wheelZoomTurn_ > 0;
        wheelZoomTurn_ -= in ? 1 : -1;
        stepZoom(in, true, e.location);
    }
}

void Canvas::rotateWithEvent(const pf::Event& e)
{
    const auto page = composition();
    // A locked selection, which a rotation drag leaves alone, ignores the turn too.
    if (!page || !hasSelection() || !manipulator_->allowsRotation() || manipulator_->isLocked())
        return;
    if (rotation_ && rotation_->selection.lock() != manipulator_)
        endRotationGesture();
    if (!rotation_) {
        RotationGesture turn;
        turn.selection = manipulator_;
        for (const auto& child : manipulator_->children())
            turn.startAngles.emplace_back(child, child->rotationAngle());
        turn.undo = page->undoManager();
        if (turn.undo)
            turn.token = turn.undo->beginUndoGrouping();
        rotation_ = std::move(turn);
    }
    // The trackpad's turn is doubled unless Option is held, for a turn the hand can make.
    rotation_->total += e.isOptionKeyPressed() ? e.rotation : 2.0 * e.rotation;
    const std::shared_ptr<Manipulator> selection = manipulator_;
    const pf::Rect before = selection->dirtyRect();
    {
        pf::ChangeNotice notice(*selection, QStringLiteral("rotationAngle"));
        for (const auto& [weak, start] : rotation_->startAngles) {
            const auto child = weak.lock();
            if (!child)
                continue;
            double angle = std::fmod(double(start) - rotation_->total, 360.0);
            if (angle < 0)
                angle += 360.0;
            if (e.isShiftKeyPressed())
                angle = QVShiftConstrainedAngleForAngle(angle);
            const std::int64_t whole = ((std::int64_t(std::llround(angle)) % 360) + 360) % 360;
            if (whole != child->rotationAngle())
                child->setValueForKeyPath(whole, QStringLiteral("rotationAngle"));
        }
    }
    selection->setDirtyRectFlag();
    selection->childrenChanged();
    setNeedsDisplayInCompositionRect(QVCombineRects(before, selection->dirtyRect()));
    updatePalettes();
}

void Canvas::endRotationGesture()
{
    if (!rotation_)
        return;
    RotationGesture turn = std::move(*rotation_);
    rotation_.reset();
    if (turn.undo)
        turn.undo->endUndoGrouping(turn.token);
}
