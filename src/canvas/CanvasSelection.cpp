// The selection: one selection object in the page's shape list holding the selected shapes. Every change of
// what is selected builds a new one.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/UndoManager.h"


#include <algorithm>
#include <chrono>
#include <unordered_set>

namespace {

// An image shape whose picture is there to lose, at any depth of a removed group.
bool removesPresentImage(const Shape& shape)
{
    if (shape.isImage() && !shape.isMissingImage())
        return true;
    if (const auto* group = dynamic_cast<const Group*>(&shape))
        return std::any_of(group->children().begin(), group->children().end(),
                           [](const auto& child) { return child && removesPresentImage(*child); });
    return false;
}

} // namespace

bool Canvas::hasSelection() const
{
    return manipulator_ && manipulator_ != compositionManipulator_;
}

bool Canvas::hasCompositionSelection() const
{
    return manipulator_ && manipulator_ == compositionManipulator_;
}

bool Canvas::hasMultipleSelection() const
{
    return manipulator_ && manipulator_->hasMultiple();
}

bool Canvas::hasSingleSelection() const
{
    return manipulator_ && manipulator_->hasSingle();
}

Canvas::Shapes Canvas::selectedShapes() const
{
    return manipulator_ ? manipulator_->children() : Shapes();
}

Canvas::Shapes Canvas::orderedSelectedShapes(std::vector<std::size_t>* indexes) const
{
    const Shapes selected = selectedShapes();
    if (indexes)
        indexes->clear();
    if (selected.empty())
        return {};
    const auto* parent = dynamic_cast<const Parent*>(selected.front()->parent());
    if (!parent)
        return {};
    std::unordered_set<const Shape*> wanted;
    for (const auto& shape : selected)
        wanted.insert(shape.get());
    Shapes ordered;
    const auto& children = parent->children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (!wanted.count(children[i].get()))
            continue;
        ordered.push_back(children[i]);
        if (indexes)
            indexes->push_back(i);
    }
    return ordered;
}

void Canvas::addShape(const std::shared_ptr<Shape>& shape)
{
    if (auto page = composition())
        page->addShape(shape);
}

void Canvas::insertShapeAtIndex(const std::shared_ptr<Shape>& shape, std::size_t index)
{
    if (auto page = composition())
        page->insertShapeAtIndex(shape, index);
}

void Canvas::addShapesToSelection(const Shapes& wanted)
{
    const auto page = composition();
    if (!page)
        return;
    // Only shapes of this page are selected (undo may have taken a remembered one away): with none, the
    // selection stays as it is rather than being made again, which changes the page's list twice.
    Shapes shapes;
    for (const auto& shape : wanted)
        if (shape && shape->composition() == page.get())
            shapes.push_back(shape);
    if (shapes.empty())
        return;
    Shapes old;
    if (manipulator_) {
        old = selectedShapes();
        removeManipulator();
    }
    std::unordered_set<const Shape*> distinct;
    for (const auto& shape : old)
        distinct.insert(shape.get());
    for (const auto& shape : shapes)
        distinct.insert(shape.get());

    const std::shared_ptr<Manipulator> selection =
        distinct.size() < 2 ? Manipulator::forShapes({shapes.front()})
                            : Shape::make<Manipulator>(shapes.front() ? shapes.front()->frame() : pf::Rect());
    manipulator_ = selection;
    page->addShape(selection);
    for (const auto& shape : old)
        selection->addShape(shape);
    for (const auto& shape : shapes)
        selection->addShape(shape);
    selection->setCanvas(this);
    if (selection->isEmpty())
        removeManipulator();
    else
        setNeedsDisplayInCompositionRect(selection->dirtyRect());
}

void Canvas::replaceSelectionWithShapes(const Shapes& shapes)
{
    selectNone();
    addShapesToSelection(shapes);
}

void Canvas::removeManipulator()
{
    if (!manipulator_)
        return;
    const pf::Rect dirty = manipulator_->dirtyRect();
    if (manipulator_ == compositionManipulator_) {
        manipulator_->setActiveHandle(-1);
    } else {
        manipulator_->setCanvas(nullptr);
        manipulator_->removeAllShapes();
        if (auto page = composition())
            page->removeShape(manipulator_);
    }
    setNeedsDisplayInCompositionRect(dirty);
    manipulator_.reset();
}

void Canvas::selectNone()
{
    if (!canSelectNone())
        return;
    stopEditingText();
    removeManipulator();
}

bool Canvas::canRemove() const
{
    // A text field of a palette or the in-place editor has the keys: deleting means deleting text then.
    if (isTextObjectFirstResponder() || !hasSelection() || manipulator_->isLocked())
        return false;
    // A shape inside a group is drawn by its group: taking it off the page alone would leave the group
    // drawing a shape the page no longer knows, and undo would put it back on top of the page.
    return std::none_of(manipulator_->children().begin(), manipulator_->children().end(),
                        [](const auto& shape) { return shape->isGrouped(); });
}

void Canvas::removeSelection()
{
    if (!canRemove())
        return;
    const Shapes removed = selectedShapes();
    selectNone();
    const auto page = composition();
    if (!page)
        return;
    bool imageRemoved = false;
    for (const auto& shape : removed) {
        imageRemoved = imageRemoved || removesPresentImage(*shape);
        page->removeShape(shape);
    }
    if (imageRemoved)
        delayed_.performAfterDelay(
            [this] {
                pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(DidRemoveImageNotification), this);
            },
            std::chrono::nanoseconds(0));
}

void Canvas::addShapeFromPlist(const pf::Value& plist)
{
    const auto page = composition();
    if (!page)
        return;
    revertToDefaultMouseMode();
    page->addShapeFromPlist(plist);
    if (!manipulator_)
        return;
    const pf::Rect r = convertRectFromComposition(manipulator_->frame());
    if (!visibleRect().contains(r)) {
        // Out of sight: the new shape goes to the page's corner, where the view can show it.
        const pf::Rect moved(pf::Point(), manipulator_->frame().size);
        for (const auto& shape : manipulator_->children())
            shape->setFrame(moved);
        manipulator_->setFrame(moved);
    }
    scrollSelectionToVisible();
}

std::shared_ptr<Group> Canvas::groupForSelection() const
{
    const auto page = composition();
    // Copies laid out in a group of their own would record their frames on the page's undo stack.
    pf::UndoManager* undo = page ? page->undoManager() : nullptr;
    if (undo)
        undo->disableUndoRegistration();
    Shapes copies;
    for (const auto& shape : orderedSelectedShapes()) {
        auto copy = shape->copy();
        copy->setComposition(page.get());
        copies.push_back(std::move(copy));
    }
    auto group = Group::groupWithShapes(copies);
    if (group) {
        group->setComposition(page.get());
        group->commit();
    }
    if (undo)
        undo->enableUndoRegistration();
    return group;
}

std::int64_t Canvas::activeHandle() const
{
    return manipulator_ ? manipulator_->activeHandle() : -1;
}
