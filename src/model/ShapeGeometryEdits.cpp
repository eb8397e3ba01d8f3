// Shape geometry edits: the display-frame setters of the inspector, the drag bracket of the manipulators
// and the bookkeeping of the connector ends attached to the shape.
#include "model/Shape.h"

#include <algorithm>

// ---- display frame ----

namespace {

// The page point shown at a ruler point. The page converts page points to ruler points by moving them
// by the ruler origin, so its answer for the page origin gives the way back.
pf::Point pagePointForRulerPoint(const ShapePage* page, const pf::Point& point)
{
    return page ? point - page->rulerOriginAdjustedPoint(pf::Point(0, 0)) : point;
}

} // namespace

void Shape::calcDisplayFrameOrigin()
{
    if (!composition_)
        return;
    const pf::Point origin = composition_->rulerOriginAdjustedPoint(pf::Point(displayFrameX_, displayFrameY_));
    displayFrameX_ = origin.x;
    displayFrameY_ = origin.y;
}

void Shape::setDisplayFrameX(double x)
{
    if (x == displayFrameX_)
        return;
    pf::Rect f = frame_;
    f.origin.x = pagePointForRulerPoint(composition_, pf::Point(x, 0)).x;
    if (!isValidFrame(f))
        return;
    {
        pf::ChangeNotice notice(*this, QStringLiteral("displayFrameX"));
        displayFrameX_ = x;
    }
    setFrame(f);
}

void Shape::setDisplayFrameY(double y)
{
    if (y == displayFrameY_)
        return;
    pf::Rect f = frame_;
    f.origin.y = pagePointForRulerPoint(composition_, pf::Point(0, y)).y;
    if (!isValidFrame(f))
        return;
    {
        pf::ChangeNotice notice(*this, QStringLiteral("displayFrameY"));
        displayFrameY_ = y;
    }
    setFrame(f);
}

// A side of 0 has no ratio to keep: the other side then stays as it is (dividing by the ratio would
// give an infinite side and the change would be refused).
void Shape::setDisplayFrameWidth(double width)
{
    if (width == displayFrameWidth_)
        return;
    pf::Rect f = frame_;
    f.size.width = width;
    if (constrainAspectRatio_ && frame_.width() != 0 && frame_.height() != 0)
        f.size.height = std::round(width / (frame_.width() / frame_.height()));
    if (!isValidFrame(f))
        return;
    {
        pf::ChangeNotice notice(*this, QStringLiteral("displayFrameWidth"));
        displayFrameWidth_ = width;
    }
    setFrame(f);
}

void Shape::setDisplayFrameHeight(double height)
{
    if (height == displayFrameHeight_)
        return;
    pf::Rect f = frame_;
    f.size.height = height;
    if (constrainAspectRatio_ && frame_.width() != 0 && frame_.height() != 0)
        f.size.width = std::round(height / (frame_.height() / frame_.width()));
    if (!isValidFrame(f))
        return;
    {
        pf::ChangeNotice notice(*this, QStringLiteral("displayFrameHeight"));
        displayFrameHeight_ = height;
    }
    setFrame(f);
}

// ---- drags ----

void Shape::beginDrag()
{
    dragStart_.frame = frame_;
    dragStart_.aspectRatio = frame_.height() != 0 ? frame_.width() / frame_.height() : 0.0;
    dragStart_.rotationAngle = rotationAngle_;
    dragStart_.adjustmentRatioX = adjustmentRatioX_;
    dragStart_.adjustmentRatioY = adjustmentRatioY_;
}

void Shape::endDrag(const pf::Event& event)
{
    (void)event;
    const pf::Rect reached = frame_;
    frame_ = dragStart_.frame;
    setFrame(reached);
}

void Shape::endRotationDrag(const pf::Event& event)
{
    (void)event;
    const std::int64_t reached = rotationAngle_;
    rotationAngle_ = dragStart_.rotationAngle;
    setRotationAngle(reached);
}

void Shape::endAdjustDrag(const pf::Event& event)
{
    (void)event;
    const double reachedX = adjustmentRatioX_;
    const double reachedY = adjustmentRatioY_;
    adjustmentRatioX_ = dragStart_.adjustmentRatioX;
    adjustmentRatioY_ = dragStart_.adjustmentRatioY;
    pf::UndoGrouping group(undoManager());
    setAdjustmentRatioX(reachedX);
    setAdjustmentRatioY(reachedY);
}

void Shape::endAdjust1Drag(const pf::Event& event)
{
    (void)event;
}

// ---- connections ----

bool Shape::isConnectedToPointer(const Shape* pointer) const
{
    return pointer && std::any_of(connections_.begin(), connections_.end(),
                                  [pointer](const auto& c) { return c->pointer() == pointer; });
}

void Shape::addConnection(std::shared_ptr<ShapeConnection> connection)
{
    provisionalConnection_.reset();
    if (!connection || std::find(connections_.begin(), connections_.end(), connection) != connections_.end())
        return;
    connections_.push_back(std::move(connection));
}

void Shape::removeConnection(const ShapeConnection* connection)
{
    std::erase_if(connections_, [connection](const auto& c) { return c.get() == connection; });
}

void Shape::updateConnections()
{
    if (connections_.empty())
        return;
    // Over a copy: a connector that moves may change what is attached.
    const Connections attached = connections_;
    for (const auto& c : attached) {
        Shape* pointer = c->pointer();
        if (pointer && !pointer->isSelected())
            pointer->setConnectionPointForCorner(c->locationInComposition(), c->pointerCorner());
    }
}

void Shape::removeAllConnections()
{
    if (!composition_)
        return;
    const Connections attached = connections_;
    for (const auto& c : attached)
        composition_->removeConnection(c);
}
