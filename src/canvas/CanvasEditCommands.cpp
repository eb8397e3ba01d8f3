// The edit commands the canvas answers in the responder chain, the tests that enable them, and the small
// commands themselves. Each action runs its test again before it acts, so a command sent while it does not
// apply does nothing (or beeps, for the clipboard and delete).
//
// Removing a shape that lies inside a group is refused (the page only removes its own children), so every
// command that removes the selected shapes to replace them (cut, the Boolean and path commands, convert)
// is off while a selected shape is grouped; copying and duplicating stay on.
#include "canvas/Canvas.h"
#include "platform/kit/Panels.h"

#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Services.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace {

template <class Test>
bool anySelected(const Canvas::Shapes& shapes, Test test)
{
    return std::any_of(shapes.begin(), shapes.end(), [&](const auto& shape) { return test(*shape); });
}

template <class Test>
bool allSelected(const Canvas::Shapes& shapes, Test test)
{
    return std::all_of(shapes.begin(), shapes.end(), [&](const auto& shape) { return test(*shape); });
}

} // namespace

bool Canvas::isTextObjectFirstResponder() const
{
    if (isEditingText())
        return true;
    const QWidget* focus = QApplication::focusWidget();
    return qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QTextEdit*>(focus)
           || qobject_cast<const QPlainTextEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus);
}

// ---- selection predicates ----

bool Canvas::isSelectionCompletelyUnlocked() const
{
    return !anySelected(selectedShapes(), [](const Shape& s) { return s.isLocked(); });
}

bool Canvas::isSelectionGrouped() const
{
    return anySelected(selectedShapes(), [](const Shape& s) { return s.isGrouped(); });
}

bool Canvas::selectionContainsGroup() const
{
    return anySelected(selectedShapes(), [](const Shape& s) { return s.isGroup(); });
}

bool Canvas::isEntireSelectionSibling() const
{
    const Shape* reference = nullptr;
    for (const auto& shape : selectedShapes()) {
        const Shape* parent = shape->parent();
        if (!reference)
            reference = parent;
        else if (parent != reference)
            return false;
    }
    return true;
}

// ---- validation ----

bool Canvas::canCopy() const
{
    return !isTextObjectFirstResponder() && hasSelection() && isSelectionCompletelyUnlocked();
}

bool Canvas::canChangeImage() const
{
    return canRemove() && manipulator_->canEditImage();
}

std::size_t Canvas::selectedPictureCount() const
{
    std::size_t pictures = 0;
    for (const auto& shape : selectedShapes())
        if (!shape->imageIdentifier().isNull() && ++pictures == 2)
            break;
    return pictures;
}

const char* Canvas::removeImagesTitle(std::size_t pictures)
{
    return pictures == 0 ? nullptr : pictures == 1 ? "Remove Image" : "Remove Images";
}

bool Canvas::canEditText() const
{
    return !isTextObjectFirstResponder() && hasSelection() && manipulator_->canEditText();
}

bool Canvas::canSelectAll() const
{
    // The page always holds its own selection object: enabled only when there is a shape to select.
    const auto page = composition();
    return page && std::any_of(page->children().begin(), page->children().end(), [](const auto& shape) {
               return shape && !shape->isLocked() && !shape->isManipulator() && !shape->isLasso();
           });
}

bool Canvas::canBringToFront() const
{
    return hasSelection() && !isSelectionGrouped();
}

bool Canvas::canGroup() const
{
    return hasMultipleSelection() && hasSelection() && isEntireSelectionSibling();
}

bool Canvas::canUngroup() const
{
    return hasSelection() && selectionContainsGroup();
}

bool Canvas::canHide() const
{
    return anySelected(selectedShapes(), [](const Shape& s) { return !s.isHidden(); })
           && isSelectionCompletelyUnlocked();
}

bool Canvas::canUnhide() const
{
    return anySelected(selectedShapes(), [](const Shape& s) { return s.isHidden(); })
           && isSelectionCompletelyUnlocked();
}

bool Canvas::canLock() const
{
    return anySelected(selectedShapes(), [](const Shape& s) { return !s.isLocked(); });
}

bool Canvas::canUnlock() const
{
    return anySelected(selectedShapes(), [](const Shape& s) { return s.isLocked(); });
}

bool Canvas::canAlign() const
{
    return hasSelection() && hasMultipleSelection() && isSelectionCompletelyUnlocked();
}

bool Canvas::canInvert() const
{
    const Shapes shapes = selectedShapes();
    return hasSelection() && shapes.size() == 1 && !shapes.front()->isLocked() && shapes.front()->canInvert()
           && !isSelectionGrouped();
}

bool Canvas::canIntersect() const
{
    const Shapes shapes = selectedShapes();
    return hasSelection() && shapes.size() == 2
           && allSelected(shapes, [](const Shape& s) { return !s.isLocked() && s.canIntersect(); })
           && !isSelectionGrouped();
}

bool Canvas::canFlip() const
{
    return hasSelection() && allSelected(selectedShapes(), [](const Shape& s) { return s.canFlip(); });
}

bool Canvas::canClosePath() const
{
    return hasSelection() && allSelected(selectedShapes(), [](const Shape& s) { return s.canClosePath(); });
}

bool Canvas::canReversePath() const
{
    return hasSelection() && allSelected(selectedShapes(), [](const Shape& s) { return s.canReversePath(); });
}

bool Canvas::canSlicePath() const
{
    const Shapes shapes = selectedShapes();
    const pf::Point at = convertPointToComposition(dragStartCanvasPoint_);
    return hasSelection() && shapes.size() == 1 && shapes.front()->canSliceAtLocation(at) && !isSelectionGrouped();
}

bool Canvas::canCombineShapes() const
{
    return hasSelection() && hasMultipleSelection()
           && allSelected(selectedShapes(), [](const Shape& s) { return s.canCombine(); }) && !isSelectionGrouped();
}

bool Canvas::canConvertToBezier() const
{
    // The sources are removed for their outlines: refused removal would leave both on the page.
    return hasSelection() && canRemove() && allSelected(selectedShapes(), [](const Shape& s) { return s.canConvertToBezier(); });
}

bool Canvas::canCopyStyle() const
{
    return hasSelection() && hasSingleSelection() && selectedShapes().front()->canCopyPasteStyle();
}

bool Canvas::canPasteStyle() const
{
    return hasSelection() && pf::Pasteboard::general().hasType(pf::PasteboardType::shapeStyle)
           && allSelected(selectedShapes(), [](const Shape& s) { return s.canCopyPasteStyle(); });
}

bool Canvas::canSizeToFitText() const
{
    return manipulator_ && manipulator_->allowsSizeToFitText();
}

bool Canvas::canInsertPoint() const
{
    return manipulator_ && manipulator_->allowsInsertPoint();
}

bool Canvas::canRemovePoint() const
{
    return manipulator_ && manipulator_->allowsRemovePoint();
}

// ---- small commands ----

void Canvas::remove()
{
    if (!canRemove()) {
        pf::beep();
        return;
    }
    removeSelection();
}

void Canvas::selectAll()
{
    const auto page = composition();
    if (!page || !canSelectAll())
        return;
    Shapes shapes;
    for (const auto& shape : page->children())
        if (shape && !shape->isLocked() && !shape->isManipulator() && !shape->isLasso())
            shapes.push_back(shape);
    addShapesToSelection(shapes);
}

void Canvas::selectShape(const std::shared_ptr<Shape>& shape)
{
    selectNone();
    if (shape)
        addShapeToSelection(shape);
}

void Canvas::editText()
{
    if (!canEditText() || !hasSingleSelection())
        return;
    beginEditingTextIn(*selectedShapes().front());
}

void Canvas::sizeToFitText()
{
    if (!manipulator_)
        return;
    // Option matters only on a click (a menu item chosen with the mouse), never on a key equivalent.
    const auto& event = pf::InputState::shared().currentEvent();
    manipulator_->sizeToFitText(event && event->isMouseDown() && event->isOptionKeyPressed());
}

void Canvas::removeImages()
{
    for (const auto& shape : selectedShapes())
        shape->setImageIdentifier(QString());
}

// ---- the command table ----

bool Canvas::validateAction(const QString& action) const
{
    using Test = bool (Canvas::*)() const;
    static const std::map<QString, Test> tests = {
        {QStringLiteral("cut:"), &Canvas::canCut},
        {QStringLiteral("copy:"), &Canvas::canCopy},
        {QStringLiteral("duplicate:"), &Canvas::canDuplicate},
        {QStringLiteral("remove:"), &Canvas::canRemove},
        {QStringLiteral("copyStyle:"), &Canvas::canCopyStyle},
        {QStringLiteral("pasteStyle:"), &Canvas::canPasteStyle},
        {QStringLiteral("paste:"), &Canvas::canPaste},
        {QStringLiteral("selectAll:"), &Canvas::canSelectAll},
        {QStringLiteral("selectNone:"), &Canvas::canSelectNone},
        {QStringLiteral("changeImage:"), &Canvas::canChangeImage},
        {QStringLiteral("removeImages:"), &Canvas::canRemoveImages},
        {QStringLiteral("bringToFront:"), &Canvas::canBringToFront},
        {QStringLiteral("sendToBack:"), &Canvas::canSendToBack},
        {QStringLiteral("resizeCanvasToFitSelection:"), &Canvas::hasSelection},
        {QStringLiteral("group:"), &Canvas::canGroup},
        {QStringLiteral("ungroup:"), &Canvas::canUngroup},
        {QStringLiteral("lock:"), &Canvas::canLock},
        {QStringLiteral("unlock:"), &Canvas::canUnlock},
        {QStringLiteral("hide:"), &Canvas::canHide},
        {QStringLiteral("unhide:"), &Canvas::canUnhide},
        {QStringLiteral("alignShapesLeft:"), &Canvas::canAlign},
        {QStringLiteral("alignShapesRight:"), &Canvas::canAlign},
        {QStringLiteral("alignShapesTop:"), &Canvas::canAlign},
        {QStringLiteral("alignShapesBottom:"), &Canvas::canAlign},
        {QStringLiteral("alignShapesCenterHorizontal:"), &Canvas::canAlign},
        {QStringLiteral("alignShapesCenterVertical:"), &Canvas::canAlign},
        {QStringLiteral("evenlyDistributeShapesHorizontal:"), &Canvas::canAlign},
        {QStringLiteral("evenlyDistributeShapesVertical:"), &Canvas::canAlign},
        {QStringLiteral("invert:"), &Canvas::canInvert},
        {QStringLiteral("difference:"), &Canvas::canIntersect},
        {QStringLiteral("intersection:"), &Canvas::canIntersect},
        {QStringLiteral("union:"), &Canvas::canIntersect},
        {QStringLiteral("exclusion:"), &Canvas::canIntersect},
        {QStringLiteral("flipHorizontal:"), &Canvas::canFlip},
        {QStringLiteral("flipVertical:"), &Canvas::canFlip},
        {QStringLiteral("closePath:"), &Canvas::canClosePath},
        {QStringLiteral("reversePath:"), &Canvas::canReversePath},
        {QStringLiteral("slicePath:"), &Canvas::canSlicePath},
        {QStringLiteral("combineShapes:"), &Canvas::canCombineShapes},
        {QStringLiteral("convertToBezier:"), &Canvas::canConvertToBezier},
        {QStringLiteral("editText:"), &Canvas::canEditText},
        {QStringLiteral("sizeToFitText:"), &Canvas::canSizeToFitText},
        {QStringLiteral("insertPoint:"), &Canvas::canInsertPoint},
        {QStringLiteral("removePoint:"), &Canvas::canRemovePoint},
        {QStringLiteral("showInfo:"), &Canvas::canShowInfo},
        // Offered only when they would change something (their arrow keys go to them directly).
        {QStringLiteral("clearGuides:"), &Canvas::canClearGuides},
        {QStringLiteral("nudgeUp:"), &Canvas::hasSelection},
        {QStringLiteral("nudgeDown:"), &Canvas::hasSelection},
        {QStringLiteral("nudgeLeft:"), &Canvas::hasSelection},
        {QStringLiteral("nudgeRight:"), &Canvas::hasSelection},
        {QStringLiteral("jumpUp:"), &Canvas::hasSelection},
        {QStringLiteral("jumpDown:"), &Canvas::hasSelection},
        {QStringLiteral("jumpLeft:"), &Canvas::hasSelection},
        {QStringLiteral("jumpRight:"), &Canvas::hasSelection},
    };
    const auto it = tests.find(action);
    return it == tests.end() || (this->*(it->second))();
}

bool Canvas::validateMenuItem(const pf::MenuItem& item) const
{
    return validateAction(item.action());
}

void Canvas::registerEditActions()
{
    using Command = void (Canvas::*)();
    const std::pair<const char*, Command> commands[] = {
        {"cut:", &Canvas::cut},
        {"copy:", &Canvas::copy},
        {"paste:", &Canvas::paste},
        {"duplicate:", &Canvas::duplicate},
        {"remove:", &Canvas::remove},
        {"copyStyle:", &Canvas::copyStyle},
        {"pasteStyle:", &Canvas::pasteStyle},
        {"selectAll:", &Canvas::selectAll},
        {"selectNone:", &Canvas::selectNone},
        {"editText:", &Canvas::editText},
        {"sizeToFitText:", &Canvas::sizeToFitText},
        {"removeImages:", &Canvas::removeImages},
        // What the document window hands over from its menus.
        {"selectShapeUp:", &Canvas::selectShapeUp},
        {"selectShapeDown:", &Canvas::selectShapeDown},
        {"selectShapeLeft:", &Canvas::selectShapeLeft},
        {"selectShapeRight:", &Canvas::selectShapeRight},
        {"resizeCanvasToFitSelection:", &Canvas::resizeCanvasToFitSelection},
        {"clearGuides:", &Canvas::clearGuides},
        {"bringToFront:", &Canvas::bringToFront},
        {"sendToBack:", &Canvas::sendToBack},
        {"group:", &Canvas::group},
        {"ungroup:", &Canvas::ungroup},
        {"lock:", &Canvas::lock},
        {"unlock:", &Canvas::unlock},
        {"unhide:", &Canvas::unhide},
        {"alignShapesToGrid:", &Canvas::alignShapesToGrid},
        {"alignShapesLeft:", &Canvas::alignShapesLeft},
        {"alignShapesCenterVertical:", &Canvas::alignShapesCenterVertical},
        {"alignShapesRight:", &Canvas::alignShapesRight},
        {"alignShapesTop:", &Canvas::alignShapesTop},
        {"alignShapesCenterHorizontal:", &Canvas::alignShapesCenterHorizontal},
        {"alignShapesBottom:", &Canvas::alignShapesBottom},
        {"evenlyDistributeShapesHorizontal:", &Canvas::evenlyDistributeShapesHorizontal},
        {"evenlyDistributeShapesVertical:", &Canvas::evenlyDistributeShapesVertical},
        {"nudgeUp:", &Canvas::nudgeUp},
        {"nudgeDown:", &Canvas::nudgeDown},
        {"nudgeLeft:", &Canvas::nudgeLeft},
        {"nudgeRight:", &Canvas::nudgeRight},
        {"jumpUp:", &Canvas::jumpUp},
        {"jumpDown:", &Canvas::jumpDown},
        {"jumpLeft:", &Canvas::jumpLeft},
        {"jumpRight:", &Canvas::jumpRight},
        // The Boolean and path commands (CanvasPathCommands.cpp).
        {"invert:", &Canvas::invert},
        {"difference:", &Canvas::difference},
        {"intersection:", &Canvas::intersection},
        {"union:", &Canvas::unionShapes},
        {"exclusion:", &Canvas::exclusion},
        {"flipHorizontal:", &Canvas::flipHorizontal},
        {"flipVertical:", &Canvas::flipVertical},
        {"closePath:", &Canvas::closePath},
        {"reversePath:", &Canvas::reversePath},
        {"slicePath:", &Canvas::slicePath},
        {"combineShapes:", &Canvas::combineShapes},
        {"convertToBezier:", &Canvas::convertToBezier},
    };
    for (const auto& [name, command] : commands)
        setAction(QString::fromLatin1(name), [this, command = command](const pf::MenuItem*) { (this->*command)(); });
    // The application's Hide item carries its own tag.
    setAction(QStringLiteral("hide:"), [this](const pf::MenuItem* sender) { hide(sender ? int(sender->tag()) : 0); });
    // The font panel's choice, sent to the canvas of the main window (CanvasTextEditing.cpp).
    setAction(QStringLiteral("changeFont:"), [this](const pf::MenuItem*) { changeFont(pf::FontPanel::shared()); });
    // The item names the shape.
    setAction(QStringLiteral("selectShape:"), [this](const pf::MenuItem* sender) {
        if (sender)
            selectShape(std::dynamic_pointer_cast<Shape>(sender->representedObject().toObject()));
    });
    // The item carries the page point it was opened at; without one, the last press.
    const auto pointFor = [this](const pf::MenuItem* sender) {
        if (sender)
            if (auto point = sender->representedObject().get<pf::Point>())
                return *point;
        return convertPointToComposition(dragStartCanvasPoint_);
    };
    setAction(QStringLiteral("insertPoint:"), [this, pointFor](const pf::MenuItem* sender) {
        if (manipulator_)
            manipulator_->insertPoint(pointFor(sender));
    });
    setAction(QStringLiteral("removePoint:"), [this, pointFor](const pf::MenuItem* sender) {
        if (manipulator_)
            manipulator_->removePoint(pointFor(sender));
    });
}
