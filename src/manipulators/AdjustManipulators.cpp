// The selection classes the shape kinds name: the adjustment drags of the ratio kinds, callouts and loupes,
// and the classes that only change what a selection allows.
#include "manipulators/AdjustManipulators.h"

#include "controls/UIControl.h"
#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Event.h"
#include "shapes/PictureKinds.h"
#include "shapes/TitleBox.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// ---- the measures (p un-rotated, f the un-rotated frame; y grows downward) ----

// Left edge 1, right edge 0.
double fromLeft(const pf::Point& p, const pf::Rect& f) { return 1.0 - (p.x - f.x()) / f.width(); }
// Centre 1, right edge 0.
double fromCentreRightward(const pf::Point& p, const pf::Rect& f) { return 1.0 - (p.x - f.midX()) / (f.width() / 2); }
// Left edge 0, centre 1.
double fromCentreLeftward(const pf::Point& p, const pf::Rect& f) { return 1.0 - (f.midX() - p.x) / (f.width() / 2); }
// A pie measures along its longer side; a square one vertically.
double pieMeasure(const pf::Point& p, const pf::Rect& f)
{
    return f.width() <= f.height() ? 1.0 - (p.y - f.y()) / f.height() : fromLeft(p, f);
}
// Top edge 0, bottom edge 1.
double cylinderMeasure(const pf::Point& p, const pf::Rect& f) { return 1.0 - (f.maxY() - p.y) / f.height(); }
// Top edge 1, middle 0.
double arrowY(const pf::Point& p, const pf::Rect& f) { return 1.0 - (p.y - f.y()) / (f.height() / 2); }
// Right edge 0, left edge 1.
double boxX(const pf::Point& p, const pf::Rect& f) { return (f.maxX() - p.x) / f.width(); }
// Top 0, bottom 1.
double boxY(const pf::Point& p, const pf::Rect& f) { return (p.y - f.y()) / f.height(); }
// Left 0, right 1.
double folderX(const pf::Point& p, const pf::Rect& f) { return (p.x - f.x()) / f.width(); }
// Top 0, middle 1.
double folderY(const pf::Point& p, const pf::Rect& f) { return (p.y - f.y()) / (f.height() / 2); }

// Radial: the point is kept in the quarter above and right of the centre (mirrored on an axis whose side is
// negative) and measured from the centre against the half diagonal of the square of side h/2 about it. The
// reference is taken of |h|: a flipped star would otherwise have a negative one and pin the ratio at 0.
double starMeasure(const pf::Point& point, const pf::Rect& f)
{
    const double cx = f.midX(), cy = f.midY();
    pf::Point p = point;
    p.x = f.width() >= 0 ? std::max(p.x, cx) : std::min(p.x, cx);
    p.y = f.height() >= 0 ? std::min(p.y, cy) : std::max(p.y, cy);
    const double reference = std::fabs(f.height()) * std::numbers::sqrt2 / 4;
    return std::hypot(p.x - cx, p.y - cy) / reference;
}

void writeRatio(Manipulator& m, const AdjustMeasure& measure, const pf::Point& p, const pf::Rect& f, bool shift,
                const QString& key)
{
    if (!measure.measure)
        return;
    double ratio = measure.measure(p, f);
    if (!std::isfinite(ratio))
        return;
    ratio = std::max(std::min(ratio, 1.0), 0.0);
    if (shift)
        ratio = std::round(ratio * measure.steps) / measure.steps;
    m.setValueForKeyPath(ratio, key);
}

const QString& keyX()
{
    static const QString k = QStringLiteral("adjustmentRatioX");
    return k;
}

const QString& keyY()
{
    static const QString k = QStringLiteral("adjustmentRatioY");
    return k;
}

const Shape* soleChild(const Manipulator& m) { return m.hasSingle() ? m.children().front().get() : nullptr; }

pf::Point unrotate(const Manipulator& m, const pf::Point& point, const pf::Rect& frame)
{
    const std::int64_t angle = m.rotationAngle();
    if (angle == 0)
        return point;
    return QVPointApplyRotation(point, QVMakeRotation(static_cast<int>(-angle), frame));
}

} // namespace

// ---- the rows ----

const AdjustRow roundRectRow{"RoundRectManipulator", {fromLeft, 20}, {}};
const AdjustRow parallelogramRow{"ParallelogramManipulator", {fromLeft, 20}, {}};
const AdjustRow titleBoxRow{"TitleBoxManipulator", {fromLeft, 20}, {}};
const AdjustRow pieRow{"PieManipulator", {pieMeasure, 20}, {}};
const AdjustRow diamondRow{"DiamondManipulator", {fromCentreRightward, 10}, {}};
const AdjustRow uiControlRow{"UIControlManipulator", {fromCentreRightward, 10}, {}};
const AdjustRow inputRow{"InputManipulator", {fromCentreLeftward, 10}, {}};
const AdjustRow starRow{"StarManipulator", {starMeasure, 10}, {}};
const AdjustRow cylinderRow{"CylinderManipulator", {}, {cylinderMeasure, 10}};
const AdjustRow arrowRow{"ArrowManipulator", {fromCentreRightward, 10}, {arrowY, 10}};
const AdjustRow boxRow{"BoxManipulator", {boxX, 10}, {boxY, 10}};
const AdjustRow folderRow{"FolderManipulator", {folderX, 10}, {folderY, 10}};

// ---- RatioManipulator ----

pf::Point RatioManipulator::unrotatedPoint(const pf::Point& point, const pf::Rect& frame) const
{
    return unrotate(*this, point, frame);
}

void RatioManipulator::mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    if (!dragAdjusting() || isLocked())
        return;
    const pf::Rect f = frame();
    const pf::Point p = unrotatedPoint(point, f);
    const bool shift = event.isShiftKeyPressed();
    writeRatio(*this, row().x, p, f, shift, keyX());
    writeRatio(*this, row().y, p, f, shift, keyY());
}

void RatioManipulator::drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    drawAdjustmentHandle(context, overlay, adjustHandle(), activeHandle() == ManipulatorHandleAdjust);
}

// ---- TitleBoxManipulator ----

TitleBox* TitleBoxManipulatorBase::singleTitleBox() const
{
    return hasSingle() ? dynamic_cast<TitleBox*>(children().front().get()) : nullptr;
}

pf::TextAlignment TitleBoxManipulatorBase::editTextAlign() const
{
    if (const TitleBox* box = singleTitleBox())
        return box->editTextAlign();
    return RatioManipulator::editTextAlign();
}

bool TitleBoxManipulatorBase::doubleClickedAtPoint(const pf::Point& point)
{
    if (!hasSingle())
        return false;
    Shape& child = *children().front();
    if (auto* box = dynamic_cast<TitleBox*>(&child)) {
        const pf::Rect body = box->bodyBoxRectForFrame(QVRectGetNormalizedRect(child.frame()));
        box->setEditType(body.contains(point) ? 2 : 1);
    }
    if (canvas())
        canvas()->beginEditingTextIn(child);
    return true;
}

// ---- UIControlManipulator ----

const ManipulatorClass& UIControlManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("UIControlManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<UIControlManipulator>);
    return c;
}

pf::Rect UIControlManipulator::adjustHandle() const
{
    return hasRoundedCorners() ? RatioManipulator::adjustHandle() : pf::Rect();
}

void UIControlManipulator::drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    if (hasRoundedCorners())
        RatioManipulator::drawAdjustmentHandlesInContext(context, overlay);
}

bool UIControlManipulator::isHorizontallyFlexible() const
{
    if (hasMultiple())
        return true;
    const auto* control = dynamic_cast<const UIControl*>(soleChild(*this));
    return !control || control->isHorizontallyFlexible();
}

bool UIControlManipulator::isVerticallyFlexible() const
{
    if (hasMultiple())
        return true;
    const auto* control = dynamic_cast<const UIControl*>(soleChild(*this));
    return !control || control->isVerticallyFlexible();
}

pf::Rect UIControlManipulator::topLefHandle() const
{
    return isHorizontallyFlexible() && isVerticallyFlexible() ? Manipulator::topLefHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::topRitHandle() const
{
    return isHorizontallyFlexible() && isVerticallyFlexible() ? Manipulator::topRitHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::botLefHandle() const
{
    return isHorizontallyFlexible() && isVerticallyFlexible() ? Manipulator::botLefHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::botRitHandle() const
{
    return isHorizontallyFlexible() && isVerticallyFlexible() ? Manipulator::botRitHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::topMidHandle() const
{
    return isVerticallyFlexible() ? Manipulator::topMidHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::botMidHandle() const
{
    return isVerticallyFlexible() ? Manipulator::botMidHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::midLefHandle() const
{
    return isHorizontallyFlexible() ? Manipulator::midLefHandle() : pf::Rect();
}
pf::Rect UIControlManipulator::midRitHandle() const
{
    return isHorizontallyFlexible() ? Manipulator::midRitHandle() : pf::Rect();
}

void UIControlManipulator::setFrame(const pf::Rect& frame)
{
    pf::Rect f = frame;
    if (const auto* control = dynamic_cast<const UIControl*>(soleChild(*this))) {
        if (control->fixedWidth() != 0)
            f.size.width = control->fixedWidth();
        if (control->fixedHeight() != 0)
            f.size.height = control->fixedHeight();
    }
    RatioManipulator::setFrame(f);
}

namespace {

bool isFirstControlsKey(const QString& keyPath)
{
    return keyPath == QLatin1String("controlItems") || keyPath == QLatin1String("highlightBorderEnabled");
}

} // namespace

pf::Variant UIControlManipulator::valueForKeyPath(const QString& keyPath) const
{
    if (isFirstControlsKey(keyPath))
        return isEmpty() ? pf::Variant() : children().front()->valueForKeyPath(keyPath);
    return RatioManipulator::valueForKeyPath(keyPath);
}

void UIControlManipulator::setValueForKeyPath(const pf::Variant& value, const QString& keyPath)
{
    if (!isFirstControlsKey(keyPath))
        return RatioManipulator::setValueForKeyPath(value, keyPath);
    if (!isEmpty())
        children().front()->setValueForKeyPath(value, keyPath);
}

// ---- CalloutManipulator ----

const ManipulatorClass& CalloutManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("CalloutManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<CalloutManipulator>);
    return c;
}

void CalloutManipulator::mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    (void)event;
    if (!dragAdjusting() || isLocked())
        return;
    const pf::Point p = QVPointRound(unrotate(*this, point, QVRectGetNormalizedRect(frame())));
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return;
    setValueForKeyPath(std::round(p.x), keyX());
    setValueForKeyPath(std::round(p.y), keyY());
}

void CalloutManipulator::drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    drawAdjustmentHandle(context, overlay, adjustHandle(), activeHandle() == ManipulatorHandleAdjust);
}

pf::Rect CalloutManipulator::calcDirtyRect() const
{
    pf::Rect r = Manipulator::calcDirtyRect();
    if (const Shape* child = soleChild(*this))
        r = QVCombineRects(r, child->dirtyRect());
    return r;
}

// ---- LoupeManipulator ----

namespace {

const Loupe* soleLoupe(const Manipulator& m) { return dynamic_cast<const Loupe*>(soleChild(m)); }

} // namespace

const ManipulatorClass& LoupeManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("LoupeManipulator"), &CalloutManipulator::staticClass(),
                                    &Shape::allocate<LoupeManipulator>);
    return c;
}

pf::Rect LoupeManipulator::midMidHandle() const
{
    const Loupe* loupe = soleLoupe(*this);
    return loupe ? QVSquareAroundPoint(loupe->zoomTargetPoint(), targetSide) : pf::Rect();
}

void LoupeManipulator::drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    const Loupe* loupe = soleLoupe(*this);
    if (!loupe || loupe->isEditingText() || isEditingText())
        return;
    const pf::Rect page = midMidHandle();
    if (QVRectIsZero(page))
        return;
    static const pf::Color translucentWhite(1.0, 1.0, 1.0, 0.8);
    static const pf::Color black(0.0, 0.0, 0.0, 1.0);
    // The target is not turned with the loupe: it marks a spot of the page.
    const pf::Rect r = QVRectFloor(pf::Rect(overlay.pageToView.apply(page.origin), pf::Size(page.width() * overlay.scale,
                                                                                             page.height() * overlay.scale)));
    const double reach = 5.0 * overlay.scale;
    pf::SavedGState saved(context);
    context.setStrokeColor(shapeClass().selectionStrokeColor());
    context.setLineWidth(shapeClass().selectionStrokeLineWidth());
    context.strokePath(pf::Path::oval(r));
    pf::Path target = pf::Path::oval(r);
    const pf::Point top = QVPointFloor(pf::Point(r.midX(), r.minY()));
    const pf::Point bottom = QVPointFloor(pf::Point(r.midX(), r.maxY()));
    const pf::Point left = QVPointFloor(pf::Point(r.minX(), r.midY()));
    const pf::Point right = QVPointFloor(pf::Point(r.maxX(), r.midY()));
    target.moveTo(pf::Point(top.x, top.y - reach));
    target.lineTo(pf::Point(bottom.x, bottom.y + reach));
    target.moveTo(pf::Point(left.x - reach, left.y));
    target.lineTo(pf::Point(right.x + reach, right.y));
    context.setLineWidth(1.0);
    context.setFillColor(translucentWhite);
    context.fillPath(target);
    context.setStrokeColor(activeHandle() == QVRectCornerMidMid ? ManipulatorClass::activeStrokeColor() : black);
    context.strokePath(target);
}

void LoupeManipulator::mouseDragAdjust1EventAtPoint(const pf::Event& event, const pf::Point& point)
{
    (void)event;
    if (!dragAdjusting1() || isLocked())
        return;
    const pf::Point p = unrotate(*this, point, frame());
    setDirtyRectFlag();
    setValueForKeyPath(p, QStringLiteral("zoomTargetPoint"));
}

pf::Rect LoupeManipulator::calcDirtyRect() const
{
    pf::Rect r = CalloutManipulator::calcDirtyRect();
    if (const Loupe* loupe = soleLoupe(*this)) {
        const double d = std::ceil(shapeClass().selectionStrokeLineWidth() / currentScale() + 34.0);
        r = QVCombineRects(r, QVSquareAroundPoint(loupe->zoomTargetPoint(), d));
    }
    return r;
}

// ---- ResizeTextManipulator, RedactManipulator, GroupManipulator ----

const ManipulatorClass& ResizeTextManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("ResizeTextManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<ResizeTextManipulator>);
    return c;
}

void ResizeTextManipulator::setValueForKeyPath(const pf::Variant& value, const QString& keyPath)
{
    if (keyPath == QLatin1String("constrainAspectRatio")) {
        Manipulator::setValueForKeyPath(true, keyPath);
        return;
    }
    Manipulator::setValueForKeyPath(value, keyPath);
}

bool ResizeTextManipulator::showsSelectionHandles() const
{
    const Shape* child = soleChild(*this);
    return !(child && child->isEditingText()) && Manipulator::showsSelectionHandles();
}

const ManipulatorClass& RedactManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("RedactManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<RedactManipulator>);
    return c;
}

const ManipulatorClass& GroupManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("GroupManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<GroupManipulator>);
    return c;
}

void registerAdjustManipulatorClasses(pf::ClassRegistry& registry)
{
    registry.add(RoundRectManipulator::staticClass());
    registry.add(ParallelogramManipulator::staticClass());
    registry.add(TitleBoxManipulator::staticClass());
    registry.add(PieManipulator::staticClass());
    registry.add(DiamondManipulator::staticClass());
    registry.add(InputManipulator::staticClass());
    registry.add(StarManipulator::staticClass());
    registry.add(CylinderManipulator::staticClass());
    registry.add(ArrowManipulator::staticClass());
    registry.add(BoxManipulator::staticClass());
    registry.add(FolderManipulator::staticClass());
    registry.add(UIControlManipulator::staticClass());
    registry.add(UIButtonManipulator::staticClass());
    registry.add(UISegmentedControlManipulator::staticClass());
    registry.add(UIToolbarManipulator::staticClass());
    registry.add(UIAlertDialogManipulator::staticClass());
    registry.add(CalloutManipulator::staticClass());
    registry.add(LoupeManipulator::staticClass());
    registry.add(ResizeTextManipulator::staticClass());
    registry.add(RedactManipulator::staticClass());
    registry.add(GroupManipulator::staticClass());
}
