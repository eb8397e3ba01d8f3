// The page's own selection object: its side handles are strips along the page's edges.
#include "manipulators/Manipulator.h"

namespace {

// Strip thickness in screen points.
constexpr double stripThickness = 3.0;

} // namespace

const ManipulatorClass& CompositionManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("CompositionManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<CompositionManipulator>);
    return c;
}

// Each strip is centred on its edge and ends half its thickness short of the edge's far end. Rounding
// pushes a strip outward, as for the side handles of shapes (the page is never turned).
pf::Rect CompositionManipulator::strip(QVRectCorner side) const
{
    const pf::Rect f = frame();
    const double t = stripThickness / currentScale();
    pf::Rect r;
    switch (side) {
    case QVRectCornerTopMid: r = pf::Rect(f.x(), f.y() - t / 2, f.width() - t / 2, t); break;
    case QVRectCornerBotMid: r = pf::Rect(f.x(), f.y() + f.height() - t / 2, f.width() - t / 2, t); break;
    case QVRectCornerMidLef: r = pf::Rect(f.x() - t / 2, f.y(), t, f.height() - t / 2); break;
    default: r = pf::Rect(f.x() + f.width() - t / 2, f.y(), t, f.height() - t / 2); break;
    }
    return onWholePoints(r, side);
}

pf::Rect CompositionManipulator::topMidHandle() const { return strip(QVRectCornerTopMid); }
pf::Rect CompositionManipulator::botMidHandle() const { return strip(QVRectCornerBotMid); }
pf::Rect CompositionManipulator::midLefHandle() const { return strip(QVRectCornerMidLef); }
pf::Rect CompositionManipulator::midRitHandle() const { return strip(QVRectCornerMidRit); }
