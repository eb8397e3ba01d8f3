// The commands that change outlines: Invert, the four Boolean operations, Flip, Close and Reverse Path,
// Slice, Combine and Convert to Bezier. The geometry is the path algebra's and the shape kinds' own; the
// canvas picks the operands, builds the result shapes and puts them where the sources were.
//
// Every command runs its test again (a menu or a script may send it when it does not apply) and beeps when
// refused. A command that replaces shapes also needs the selection removable: a refused removal would
// leave the sources beside their results. Each command is one undo group.
#include "canvas/Canvas.h"

#include "geometry/FBPathBoolean.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/StickyDefaults.h"
#include "platform/kit/Services.h"
#include "shapes/Bezier.h"
#include "shapes/Callout.h"
#include "shapes/RatioOutlines.h"
#include "shapes/SimpleOutlines.h"
#include "shapes/StarPolygonCylinder.h"

#include <array>
#include <optional>

namespace {

// The page index a shape of the selection will have once the selection has left the page: the number of
// the page's children under it that stay.
std::size_t indexAfterRemovingSelection(const Composition& page, const Shape& shape, const Manipulator* selection)
{
    std::size_t index = 0;
    for (const auto& child : page.children()) {
        if (child.get() == &shape)
            break;
        if (child.get() != selection && !child->isSelected())
            ++index;
    }
    return index;
}

// The outer rim of an inverted shape: the page's frame, run so that the shape's own outline, reversed,
// cuts a hole in it.
pf::Path invertRim(const Shape& shape, const pf::Rect& r)
{
    pf::Path rim;
    const auto through = [&rim](std::initializer_list<pf::Point> points) {
        for (const pf::Point& p : points) {
            if (rim.isEmpty())
                rim.moveTo(p);
            else
                rim.lineTo(p);
        }
        rim.close();
    };
    const pf::Point topLeft(r.minX(), r.minY()), topRight(r.maxX(), r.minY());
    const pf::Point botLeft(r.minX(), r.maxY()), botRight(r.maxX(), r.maxY());
    if (dynamic_cast<const Ellipse*>(&shape) || dynamic_cast<const Star*>(&shape) || dynamic_cast<const Pie*>(&shape)
        || dynamic_cast<const Folder*>(&shape))
        through({topRight, botRight, botLeft, topLeft});
    else if (dynamic_cast<const Callout*>(&shape))
        through({pf::Point(r.midX(), r.maxY()), botLeft, topLeft, topRight, botRight});
    else
        rim = pf::Path::rect(r);
    return rim;
}

// The outline an operand takes part with. A plain ellipse takes part as the round rectangle of its frame
// and turn with the corner radius half its width (the same curve, in the form the algebra cuts cleanly).
pf::Path booleanOutline(const std::shared_ptr<Shape>& shape)
{
    if (&shape->classObject() != &Ellipse::staticClass())
        return shape->path();
    const auto substitute = StickyDefaults::doWithoutStickySetting([&] {
        auto made = RoundRectangle::staticClass().newShape(shape->frame());
        made->setAdjustmentRatioX(0.5);
        made->setRotationAngle(shape->rotationAngle());
        return made;
    });
    return substitute->path();
}

} // namespace

void Canvas::insertShapeInPlace(const std::shared_ptr<Shape>& shape, std::size_t index)
{
    const auto page = composition();
    if (!page)
        return;
    const bool was = page->isDuplicating();
    page->setDuplicating(true);
    insertShapeAtIndex(shape, index);
    page->setDuplicating(was);
}

void Canvas::invert()
{
    const auto page = composition();
    if (!page || !canInvert() || !canRemove()) {
        pf::beep();
        return;
    }
    const std::shared_ptr<Shape> shape = selectedShapes().front();
    // A shape without an outline would cut no hole: the page's rim alone is no inversion of it.
    if (shape->path().isEmpty()) {
        pf::beep();
        return;
    }
    pf::Path outline = invertRim(*shape, page->frame());
    outline.append(shape->path().reversed());
    // Closed: walked as an open chain, the rim and the hole would run into one another as a single line.
    const auto result = Bezier::fromBezierPath(outline, shape->asPlist(), true);
    if (!result) {
        pf::beep();
        return;
    }
    const std::size_t index = indexAfterRemovingSelection(*page, *shape, manipulator_.get());
    pf::UndoGrouping group(page->undoManager());
    removeSelection();
    insertShapeInPlace(result, index);
    // The page's owner selects what is added; the inverted page stays unselected, out of the way.
    selectNone();
}

void Canvas::doBooleanOperation(int operation)
{
    const auto page = composition();
    if (!page || operation < 0 || operation > 3 || !canIntersect() || !canRemove()) {
        pf::beep();
        return;
    }
    const Shapes operands = orderedSelectedShapes();
    if (operands.size() != 2 || operands[0]->parent() != page.get()) {
        pf::beep();
        return;
    }
    const std::shared_ptr<Shape>& a = operands[0];
    const std::shared_ptr<Shape>& b = operands[1];
    const pf::Path pathA = booleanOutline(a);
    const pf::Path pathB = booleanOutline(b);

    // Each result with the shape whose style it takes: an exclusion's B − A is B's ink, not A's.
    std::vector<std::pair<pf::Path, const Shape*>> results;
    switch (operation) {
    case 0: results.emplace_back(CGPath_FBCreateDifference(pathA, pathB), a.get()); break;
    case 1: results.emplace_back(CGPath_FBCreateIntersect(pathA, pathB), a.get()); break;
    case 2: results.emplace_back(CGPath_FBCreateUnion(pathA, pathB), a.get()); break;
    default:
        results.emplace_back(CGPath_FBCreateDifference(pathA, pathB), a.get());
        results.emplace_back(CGPath_FBCreateDifference(pathB, pathA), b.get());
        break;
    }
    Shapes made;
    for (const auto& [path, source] : results) {
        if (path.isEmpty())
            continue;
        // The property list of the shape itself, an ellipse's included: its outline was only borrowed.
        if (auto bezier = Bezier::fromBezierPath(path, source->asPlist(), true))
            made.push_back(std::move(bezier));
    }
    if (made.empty()) {
        pf::beep();
        return;
    }
    const std::size_t index = indexAfterRemovingSelection(*page, *a, manipulator_.get());
    pf::UndoGrouping group(page->undoManager());
    removeSelection();
    // Each later result goes in at the same place, so under the earlier ones.
    for (const auto& shape : made)
        insertShapeInPlace(shape, index);
    addShapesToSelection(made);
}

namespace {

// The selection's shapes after each took the edit; the selection is made again around them.
template <class Edit>
void editEachAndReselect(Canvas& canvas, Edit edit)
{
    const Canvas::Shapes shapes = canvas.selectedShapes();
    const auto page = canvas.composition();
    pf::UndoGrouping group(page ? page->undoManager() : nullptr);
    for (const auto& shape : shapes)
        edit(*shape);
    canvas.selectNone();
    canvas.addShapesToSelection(shapes);
}

} // namespace

void Canvas::flipHorizontal()
{
    if (!canFlip())
        return pf::beep();
    editEachAndReselect(*this, [](Shape& shape) { shape.flipHorizontalVertical(true, false); });
}

void Canvas::flipVertical()
{
    if (!canFlip())
        return pf::beep();
    editEachAndReselect(*this, [](Shape& shape) { shape.flipHorizontalVertical(false, true); });
}

void Canvas::closePath()
{
    if (!canClosePath())
        return pf::beep();
    editEachAndReselect(*this, [](Shape& shape) { shape.closePath(); });
}

void Canvas::reversePath()
{
    if (!canReversePath())
        return pf::beep();
    editEachAndReselect(*this, [](Shape& shape) { shape.reversePath(); });
}

void Canvas::slicePath()
{
    const auto page = composition();
    if (!page || !canSlicePath() || !canRemove()) {
        pf::beep();
        return;
    }
    const std::shared_ptr<Shape> shape = selectedShapes().front();
    if (shape->parent() != page.get()) {
        pf::beep();
        return;
    }
    const pf::Point p = convertPointToComposition(dragStartCanvasPoint_);
    pf::UndoGrouping group(page->undoManager());
    const std::vector<std::shared_ptr<Shape>> pieces = shape->sliceAtLocation(p);
    if (pieces.empty())
        return;
    const std::size_t index = indexAfterRemovingSelection(*page, *shape, manipulator_.get());
    selectNone();
    page->removeShape(shape);
    // Each later piece goes in at the same place, so under the earlier ones.
    for (const auto& piece : pieces)
        insertShapeInPlace(piece, index);
    addShapesToSelection(pieces);
}

void Canvas::combineShapes()
{
    const auto page = composition();
    if (!page || !canCombineShapes() || !canRemove()) {
        pf::beep();
        return;
    }
    Shapes rest = selectedShapes();
    const std::shared_ptr<Shape> keeper = rest.front();
    rest.erase(rest.begin());
    pf::UndoGrouping group(page->undoManager());
    keeper->combineWithShapes(rest);
    selectNone();
    addShapesToSelection(rest);
    removeSelection();
    addShapeToSelection(keeper);
}

void Canvas::convertToBezier()
{
    const auto page = composition();
    if (!page || !hasSelection())
        return;
    if (!canConvertToBezier() || !canRemove()) {
        pf::beep();
        return;
    }
    const Shapes sources = selectedShapes();
    Shapes made;
    pf::UndoGrouping group(page->undoManager());
    removeSelection();
    for (const auto& source : sources) {
        // A shape without an outline leaves nothing behind.
        if (auto bezier = Bezier::fromShape(source)) {
            insertShapeInPlace(bezier, pf::NotFound);
            made.push_back(std::move(bezier));
        }
    }
    addShapesToSelection(made);
}
