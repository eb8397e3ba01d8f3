// Arranging the selection: stacking order, fitting the page, grouping, locking and hiding, aligning to the
// grid and to each other, distributing. The page and the shapes register and name the undo of each change;
// the selection is rebuilt afterwards around the changed shapes.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "platform/foundation/NotFound.h"
#include "platform/kit/Services.h"

#include <algorithm>
#include <cfloat>
#include <limits>

namespace {

using Shapes = Canvas::Shapes;

std::size_t indexOnPage(const Composition& page, const Shape* shape)
{
    const auto& children = page.children();
    const auto found = std::find_if(children.begin(), children.end(), [shape](const auto& c) { return c.get() == shape; });
    return found == children.end() ? pf::NotFound : static_cast<std::size_t>(found - children.begin());
}

// A new frame in page points as one undoable change. (The display-frame setters take ruler coordinates,
// which differ from page points for any ruler origin but the top-left corner.)
void setFrameAsOneChange(Shape& shape, const pf::Rect& frame)
{
    static const pf::Event noEvent;
    shape.beginDrag();
    shape.setFrame(frame);
    shape.endDrag(noEvent);
}

void moveShapeTo(Shape& shape, double x, double y)
{
    setFrameAsOneChange(shape, pf::Rect(x, y, shape.frame().width(), shape.frame().height()));
}

bool allSiblings(const Shapes& shapes)
{
    return std::all_of(shapes.begin(), shapes.end(), [&](const auto& s) { return s->parent() == shapes.front()->parent(); });
}

} // namespace

// ---- stacking ----

namespace {

// In page order when the shapes are siblings, else in the order they were selected.
Shapes stackingOrder(const Canvas& canvas)
{
    const Shapes selected = canvas.selectedShapes();
    return allSiblings(selected) ? canvas.orderedSelectedShapes() : selected;
}

} // namespace

void Canvas::bringToFront()
{
    const auto page = composition();
    if (!page || !canBringToFront())
        return;
    const Shapes shapes = stackingOrder(*this);
    const std::size_t top = page->children().size() - 1;
    // One after another to the top: their order among themselves stays, the last ends on top.
    for (const auto& shape : shapes)
        if (const std::size_t from = indexOnPage(*page, shape.get()); from != pf::NotFound)
            page->moveShapeAtIndexToIndex(from, top);
    addShapesToSelection(shapes);
}

void Canvas::sendToBack()
{
    const auto page = composition();
    if (!page || !canSendToBack())
        return;
    const Shapes shapes = stackingOrder(*this);
    // The page's own selection object stays at the bottom.
    const auto& children = page->children();
    const auto firstShape = std::find_if(children.begin(), children.end(), [](const auto& c) { return !c->isManipulator(); });
    const auto bottom = static_cast<std::size_t>(firstShape - children.begin());
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if (const std::size_t from = indexOnPage(*page, it->get()); from != pf::NotFound)
            page->moveShapeAtIndexToIndex(from, bottom);
    addShapesToSelection(shapes);
}

void Canvas::resizeCanvasToFitSelection()
{
    const auto page = composition();
    if (!page || !hasSelection())
        return;
    const Shapes shapes = selectedShapes();
    const pf::Size size = manipulator_->frame().size;
    page->setFrame(pf::Rect(0, 0, size.width, size.height));
    replaceSelectionWithShapes(shapes);
    if (manipulator_) {
        manipulator_->movePageOrigin(QStringLiteral("displayFrameX"), 0);
        manipulator_->movePageOrigin(QStringLiteral("displayFrameY"), 0);
    }
}

// ---- groups ----

void Canvas::group()
{
    const auto page = composition();
    if (!page || !canGroup()) {
        pf::beep();
        return;
    }
    std::vector<std::size_t> indexes;
    const Shapes shapes = orderedSelectedShapes(&indexes);
    if (shapes.empty()) {
        pf::beep();
        return;
    }
    Shape* parent = shapes.front()->parent();
    auto parentObject = parent ? std::dynamic_pointer_cast<Parent>(parent->shared_from_this()) : nullptr;
    if (!parentObject) {
        pf::beep();
        return;
    }
    const std::size_t index =
        parent == page.get() ? *std::min_element(indexes.begin(), indexes.end()) : pf::NotFound;
    const auto made = Group::groupWithShapes(shapes);
    page->insertGroupInParentAtIndex(made, parentObject, index);
    replaceSelectionWithShape(made);
}

Shapes Canvas::deepSearchForNonGroupShapes(const Shapes& shapes)
{
    Shapes leaves;
    for (const auto& shape : shapes) {
        if (const auto* g = dynamic_cast<const Group*>(shape.get()); g && shape->isGroup()) {
            const Shapes inner = deepSearchForNonGroupShapes(g->children());
            leaves.insert(leaves.end(), inner.begin(), inner.end());
        } else {
            leaves.push_back(shape);
        }
    }
    return leaves;
}

void Canvas::ungroup()
{
    const auto page = composition();
    if (!page || !canUngroup()) {
        pf::beep();
        return;
    }
    const Shapes selected = selectedShapes();
    const Shapes leaves = deepSearchForNonGroupShapes(selected);
    // Only the selected groups are dissolved; groups inside them stay, their leaves selected. (The page's
    // owner selects each shape put back; the leaves replace that.)
    for (const auto& shape : selected)
        if (auto g = std::dynamic_pointer_cast<Group>(shape))
            page->removeGroup(g);
    replaceSelectionWithShapes(leaves);
}

// ---- lock and hide ----

void Canvas::lock()
{
    for (const auto& shape : selectedShapes())
        shape->setLocked(true);
    if (const auto page = composition())
        page->setNeedsDisplayInRect(manipulator_ ? manipulator_->dirtyRect() : pf::Rect());
    updatePalettes();
}

void Canvas::unlock()
{
    for (const auto& shape : selectedShapes())
        shape->setLocked(false);
    if (const auto page = composition())
        page->setNeedsDisplayInRect(manipulator_ ? manipulator_->dirtyRect() : pf::Rect());
    updatePalettes();
}

void Canvas::hide(int tag)
{
    // The application menu's Hide item reaches the canvas through the responder chain.
    if (tag == 8989) {
        if (window_)
            window_->hideApplication();
        return;
    }
    if (!canHide())
        return;
    for (const auto& shape : selectedShapes())
        shape->setHidden(true);
    updatePalettes();
}

void Canvas::unhide()
{
    if (!canUnhide())
        return;
    for (const auto& shape : selectedShapes())
        shape->setHidden(false);
    updatePalettes();
}

// ---- align and distribute ----

void Canvas::alignShapesToGrid()
{
    const auto page = composition();
    if (!page)
        return;
    // Twice: a connector end attached to a shape follows it off the grid in the first pass.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& child : Shapes(page->children())) {
            if (child->isManipulator() || child->isLasso() || child->isLocked())
                continue;
            setFrameAsOneChange(*child, page->gridAlignedRectForRect(child->frame()));
        }
    }
}

namespace {

enum class Edge { Left, CenterVertical, Right, Top, CenterHorizontal, Bottom };

void alignShapes(Canvas& canvas, Edge edge)
{
    if (!canvas.canAlign())
        return;
    const Shapes shapes = canvas.selectedShapes();
    double reference = 0;
    switch (edge) {
    case Edge::Left:
    case Edge::Top: {
        reference = std::numeric_limits<double>::infinity();
        for (const auto& s : shapes)
            reference = std::min(reference, edge == Edge::Left ? s->frame().x() : s->frame().y());
        break;
    }
    case Edge::Right:
    case Edge::Bottom: {
        reference = -std::numeric_limits<double>::infinity();
        for (const auto& s : shapes)
            reference = std::max(reference, edge == Edge::Right ? s->frame().maxX() : s->frame().maxY());
        break;
    }
    case Edge::CenterVertical:
    case Edge::CenterHorizontal: {
        pf::Rect united = pf::Rect::zero();
        for (const auto& s : shapes)
            united = QVCombineRects(united, s->frame());
        reference = edge == Edge::CenterVertical ? united.midX() : united.midY();
        break;
    }
    }
    canvas.selectNone();
    for (const auto& s : shapes) {
        const pf::Rect f = s->frame();
        switch (edge) {
        case Edge::Left: moveShapeTo(*s, reference, f.y()); break;
        case Edge::CenterVertical: moveShapeTo(*s, reference - f.width() / 2, f.y()); break;
        case Edge::Right: moveShapeTo(*s, reference - f.width(), f.y()); break;
        case Edge::Top: moveShapeTo(*s, f.x(), reference); break;
        case Edge::CenterHorizontal: moveShapeTo(*s, f.x(), reference - f.height() / 2); break;
        case Edge::Bottom: moveShapeTo(*s, f.x(), reference - f.height()); break;
        }
    }
    canvas.addShapesToSelection(shapes);
}

// The left (top) edges equally spaced from the first to the last; widths play no part.
void distributeShapes(Canvas& canvas, bool horizontal)
{
    if (!canvas.canAlign())
        return;
    Shapes shapes = canvas.selectedShapes();
    if (shapes.size() < 2)
        return;
    const auto edgeOf = [horizontal](const std::shared_ptr<Shape>& s) { return horizontal ? s->frame().x() : s->frame().y(); };
    std::stable_sort(shapes.begin(), shapes.end(), [&](const auto& a, const auto& b) { return edgeOf(a) < edgeOf(b); });
    const double first = edgeOf(shapes.front());
    const double step = (edgeOf(shapes.back()) - first) / static_cast<double>(shapes.size() - 1);
    canvas.selectNone();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const pf::Rect f = shapes[i]->frame();
        const double at = first + static_cast<double>(i) * step;
        moveShapeTo(*shapes[i], horizontal ? at : f.x(), horizontal ? f.y() : at);
    }
    canvas.addShapesToSelection(shapes);
}

} // namespace

void Canvas::alignShapesLeft() { alignShapes(*this, Edge::Left); }
void Canvas::alignShapesCenterVertical() { alignShapes(*this, Edge::CenterVertical); }
void Canvas::alignShapesRight() { alignShapes(*this, Edge::Right); }
void Canvas::alignShapesTop() { alignShapes(*this, Edge::Top); }
void Canvas::alignShapesCenterHorizontal() { alignShapes(*this, Edge::CenterHorizontal); }
void Canvas::alignShapesBottom() { alignShapes(*this, Edge::Bottom); }
void Canvas::evenlyDistributeShapesHorizontal() { distributeShapes(*this, true); }
void Canvas::evenlyDistributeShapesVertical() { distributeShapes(*this, false); }
