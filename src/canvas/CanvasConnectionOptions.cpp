// Drawing a connector out of a shape: a press on one of the five connection options around the selected
// shape's connection handle hands the gesture to the tool of that option's connector kind, whose new
// connector starts attached at the shape's centre.
#include "canvas/Canvas.h"

#include "canvas/MouseStrategyPath.h"
#include "canvas/MouseStrategyShape.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Connection.h"
#include "shapes/AbstractPointer.h"
#include "shapes/SmartPath.h"

void Canvas::beginConnectionOptionDrag(const pf::Event& event, const pf::Point& point, std::int64_t handle)
{
    (void)point;
    const auto page = composition();
    if (!page || !manipulator_ || manipulator_->isEmpty())
        return;
    const QString kind = ManipulatorClass::pointerClassNameForConnectionOptionHandle(handle);
    if (kind.isEmpty())
        return;
    const std::shared_ptr<Shape> source = manipulator_->children().front();
    selectNone();
    // A path is drawn point by point with the path tool; every other connector from its first end to the
    // pointer with the shape tool.
    if (kind == Path::staticClass().className())
        mouseModeWasActivated(std::make_shared<MouseStrategyPath>());
    else
        mouseModeWasActivated(std::make_shared<MouseStrategyShape>(kind));
    if (!mouseStrategy_)
        return;

    // The tool's own first click, made at the centre: the connector is laid out from there.
    const pf::Point start = QVPointRound(source->center());
    pf::Event atStart = event;
    atStart.location = convertPointFromComposition(start);
    mouseStrategy_->firstClickInCanvas(atStart, *this);
    const std::shared_ptr<Shape> made = manipulator_ && !manipulator_->isEmpty() ? manipulator_->children().front() : nullptr;
    auto* pointer = dynamic_cast<AbstractPointer*>(made.get());
    if (!pointer)
        return;
    // Options 13 and 14 are the two mirror forms of the elbow line.
    if (handle == ManipulatorHandleConnectionOption + 1)
        pointer->setFlipped(!pointer->flipped());

    const auto connection = Connection::make(page.get());
    connection->setShape(source);
    connection->setShapeEdge(QVRectEdgeMid);
    connection->setShapeRatio(0.5);
    connection->setPointer(made);
    connection->setPointerCorner(QVRectCornerTopLef);
    connection->setCommitted(true);
    page->addConnection(connection);

    if (auto* path = dynamic_cast<Path*>(pointer))
        path->setPointAtIndex(start, 0);
    else
        pointer->setFrame(QVRectSetCorner(start, QVRectCornerTopLef, pointer->frame()));
}
