#include "model/Parent.h"
#include "model/StoredForms.h"

#include <algorithm>
#include <atomic>

Parent::~Parent()
{
    // A child that outlives its container (held by undo, say) must not point back at it. A child that has
    // meanwhile moved to another container (ungrouped onto the page) keeps its page.
    for (const auto& child : children_) {
        if (!child || child->parent() != this)
            continue;
        child->setComposition(nullptr);
        child->setParent(nullptr);
    }
}

const RectangleClass& Parent::staticClass()
{
    static const RectangleClass c(QStringLiteral("Parent"), &Rectangle::staticClass(), &Shape::allocate<Parent>);
    return c;
}

void Parent::initWithFrame(const pf::Rect& frame)
{
    Rectangle::initWithFrame(frame);
    children_.clear();
    renewChildrenSerial();
}

void Parent::setChildren(Children children)
{
    children_ = std::move(children);
    renewChildrenSerial();
}

void Parent::renewChildrenSerial()
{
    static std::atomic<std::uint64_t> last{0};
    childrenSerial_ = ++last;
    storedForms::drop(this);
}

std::size_t Parent::indexOfShape(const Shape* shape) const
{
    const auto at = std::find_if(children_.begin(), children_.end(), [shape](const auto& c) { return c.get() == shape; });
    return shape && at != children_.end() ? static_cast<std::size_t>(at - children_.begin()) : pf::NotFound;
}

void Parent::insertChildAtIndex(std::shared_ptr<Shape> shape, std::size_t index)
{
    if (index >= children_.size())
        children_.push_back(std::move(shape));
    else
        children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), std::move(shape));
    renewChildrenSerial();
}

void Parent::removeChildAtIndex(std::size_t index)
{
    if (index < children_.size()) {
        // Off the page a shape may change without a redisplay: it makes its form afresh when it is back.
        storedForms::forget(children_[index].get());
        children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    renewChildrenSerial();
}

std::shared_ptr<Shape> Parent::shapeAtPoint(const pf::Point& point) const
{
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (*it && (*it)->isSavable() && (*it)->containsPoint(point))
            return *it;
    return nullptr;
}

void Parent::setComposition(ShapePage* page)
{
    Rectangle::setComposition(page);
    for (const auto& child : children_)
        if (child)
            child->setComposition(page);
}

void Parent::insertShapeAtIndex(std::shared_ptr<Shape> shape, std::size_t index)
{
    (void)shape, (void)index;
}

void Parent::addShape(std::shared_ptr<Shape> shape)
{
    (void)shape;
}

void Parent::removeShape(const std::shared_ptr<Shape>& shape)
{
    (void)shape;
}

void Parent::removeAllShapes() {}

void Parent::moveShapeAtIndexToIndex(std::size_t from, std::size_t to)
{
    (void)from, (void)to;
}

void Parent::copyShapeAtIndexToIndex(std::size_t from, std::size_t to)
{
    (void)from, (void)to;
}
