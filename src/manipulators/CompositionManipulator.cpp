// The page's own selection object: its side handles are strips along the page's edges.
#include "manipulators/Manipulator.h"

#include <cmath>

namespace {

// Strip thickness in screen points.
constexpr double stripThickness = 3.0;
// As for the side handles of shapes: whole points up to this zoom step.
constexpr std::int64_t lastRoundedZoomStep = 9;

} // namespace

const ManipulatorClass& CompositionManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("CompositionManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<CompositionManipulator>);
    return c;
}

// Each strip is centred on its edge and ends half its thickness short of the edge's far end. Rounding
// pushes a strip outward, as for the side handles of shapes.
pf::Rect CompositionManipulator::topMidHandle() const
{
    const pf::Rect f = frame();
    const double t = stripThickness / currentScale();
    pf::Rect r(f.x(), f.y() - t / 2, f.width() - t / 2, t);
    if (zoomScaleIndex() <= lastRoundedZoomStep)
        r.origin = pf::Point(std::round(r.x()), std::floor(r.y()));
    return r;
}

pf::Rect CompositionManipulator::botMidHandle() const
{
    const pf::Rect f = frame();
    const double t = stripThickness / currentScale();
    pf::Rect r(f.x(), f.y() + f.height() - t / 2, f.width() - t / 2, t);
    if (zoomScaleIndex() <= lastRoundedZoomStep)
        r.origin = pf::Point(std::round(r.x()), std::ceil(r.y()));
    return r;
}

pf::Rect CompositionManipulator::midLefHandle() const
{
    const pf::Rect f = frame();
    const double t = stripThickness / currentScale();
    pf::Rect r(f.x() - t / 2, f.y(), t, f.height() - t / 2);
    if (zoomScaleIndex() <= lastRoundedZoomStep)
        r.origin = pf::Point(std::floor(r.x()), std::round(r.y()));
    return r;
}

pf::Rect CompositionManipulator::midRitHandle() const
{
    const pf::Rect f = frame();
    const double t = stripThickness / currentScale();
    pf::Rect r(f.x() + f.width() - t / 2, f.y(), t, f.height() - t / 2);
    if (zoomScaleIndex() <= lastRoundedZoomStep)
        r.origin = pf::Point(std::ceil(r.x()), std::round(r.y()));
    return r;
}
