// Keyboard and mouse on the canvas: every event goes to the active tool first; without one the pointer
// logic selects, drags handles and the selection, draws bands, scrolls with the hand and zooms to a band.
#include "canvas/Canvas.h"

#include "canvas/Lasso.h"
#include "canvas/ToolTip.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "model/Guide.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"

#include <QEvent>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

// The modifier keys a tool key must come without.
constexpr pf::ModifierFlags anyModifier = pf::ShiftKeyMask | pf::ControlKeyMask | pf::OptionKeyMask | pf::CommandKeyMask;

} // namespace

// ---- class values ----

const std::map<std::uint16_t, QString>& Canvas::toolKeyTable()
{
    static const std::map<std::uint16_t, QString> table{
        {pf::KeyCode::A, QStringLiteral("Pointer")},       {pf::KeyCode::S, QStringLiteral("Path")},
        {pf::KeyCode::D, QStringLiteral("Redact")},        {pf::KeyCode::G, QStringLiteral("SegmentedLine")},
        {pf::KeyCode::B, QStringLiteral("Brush")},         {pf::KeyCode::E, QStringLiteral("Ellipse")},
        {pf::KeyCode::R, QStringLiteral("Rectangle")},     {pf::KeyCode::T, QStringLiteral("ResizeText")},
        {pf::KeyCode::I, QStringLiteral("Image")},         {pf::KeyCode::P, QStringLiteral("Bezier")},
        {pf::KeyCode::L, QStringLiteral("Line")},          {pf::KeyCode::N, QStringLiteral("RoundRectangle")},
        {pf::KeyCode::M, QStringLiteral("Loupe")},
    };
    return table;
}

// The bottom-right resize cursor, a double arrow along the diagonal in a corner bracket, turned by the
// degrees about the middle of its 19 x 19 picture; the hot spot turns with it.
pf::Cursor Canvas::resizeDiagonalCursor(double degrees)
{
    const pf::AffineTransform turn =
        pf::AffineTransform::translation(9.5, 9.5).rotated(degrees * std::numbers::pi / 180).translated(-9.5, -9.5);
    return pf::Cursor::drawn(pf::Size(19, 19), turn.apply(pf::Point(12.5, 12.5)), [turn](pf::GraphicsContext& context) {
        static constexpr pf::Point corners[] = {{14.5, 1.5},  {11.5, 1.5},  {11.5, 9.5},  {9.5, 7.5},   {11.5, 5.5},
                                                {5.5, 5.5},   {5.5, 11.5},  {7.5, 9.5},   {9.5, 11.5},  {1.5, 11.5},
                                                {1.5, 14.5},  {12.5, 14.5}, {13.5, 15.5}, {11.5, 17.5}, {17.5, 17.5},
                                                {17.5, 11.5}, {15.5, 13.5}, {14.5, 12.5}};
        pf::Path path;
        path.moveTo(corners[0]);
        for (std::size_t i = 1; i < std::size(corners); ++i)
            path.lineTo(corners[i]);
        path.curveTo(pf::Point(14.5, 12.5), pf::Point(14.5, 1.5), corners[0]);
        path.close();
        const pf::Path turned = path.transformed(turn);
        pf::SavedGState saved(context);
        context.setLineWidth(1.0);
        context.setStrokeColor(pf::Color::white());
        context.setFillColor(pf::Color::black());
        context.setShadow(pf::Size(0, -1), 2.0);
        context.fillPath(turned);
        context.strokePath(turned);
    });
}

// Made once each, for the life of the process.
const pf::Cursor& Canvas::resizeDiagonalTopLefCursor()
{
    static const pf::Cursor cursor = resizeDiagonalCursor(180);
    return cursor;
}

const pf::Cursor& Canvas::resizeDiagonalTopRitCursor()
{
    static const pf::Cursor cursor = resizeDiagonalCursor(270);
    return cursor;
}

const pf::Cursor& Canvas::resizeDiagonalBotLefCursor()
{
    static const pf::Cursor cursor = resizeDiagonalCursor(90);
    return cursor;
}

const pf::Cursor& Canvas::resizeDiagonalBotRitCursor()
{
    static const pf::Cursor cursor = resizeDiagonalCursor(0);
    return cursor;
}

void Canvas::showCursor(const pf::Cursor& cursor)
{
    shownCursor_ = cursor;
    if (pf::ScrollView* scroll = enclosingScrollView(); scroll && scroll->documentView() == this)
        scroll->setDocumentCursor(cursor);
    else
        setCursor(cursor.toQt(devicePixelRatioF()));
}

// ---- keys ----

bool Canvas::consumesKeyEquivalent(const pf::Event& e) const
{
    // The canvas's own keys reach keyDown even where a menu binds them.
    if (e.isDeleteKeyDown() || e.keyCode == pf::KeyCode::Escape || e.keyCode == pf::KeyCode::Space || e.isArrowKeyDown())
        return true;
    const pf::ModifierFlags held = e.modifierFlags & anyModifier;
    return held == 0 && (toolKeyTable().count(e.keyCode) || e.keyCode == pf::KeyCode::V);
}

void Canvas::keyDown(const pf::Event& e)
{
    if (e.isDeleteKeyDown()) {
        if (!canRemove())
            return pf::View::keyDown(e);
        if (mouseStrategy_)
            mouseStrategy_->deleteInCanvas(e, *this);
        else
            removeSelection();
        return;
    }
    if (e.keyCode == pf::KeyCode::Escape) {
        if (mouseStrategy_) {
            mouseStrategy_->escapeInCanvas(e, *this);
        } else if (dragZoom_) {
            dragZoom_ = false;
            removeLasso();
            hideToolTip();
            showDefaultCursor();
        } else if (lasso_) {
            removeLasso();
            selectNone();
        } else {
            pf::View::keyDown(e);
        }
        return;
    }
    if (e.keyCode == pf::KeyCode::Space && !lasso_) {
        if (!e.isARepeat)
            showCursor(pf::Cursor::openHand());
        dragScroll_ = true;
        return;
    }
    if (e.isArrowKeyDown()) {
        arrowKeyDown(e);
        return;
    }
    const pf::ModifierFlags held = e.modifierFlags & anyModifier;
    if (e.keyCode == pf::KeyCode::ContextualMenu
        || (e.keyCode == pf::KeyCode::F10 && held == pf::ShiftKeyMask)) {
        showContextMenuFromKeyboard();
        return;
    }
    if (!isEditingText() && held == 0) {
        if (const auto it = toolKeyTable().find(e.keyCode); it != toolKeyTable().end()) {
            pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(ModeKeyboardShortcutWasTriggeredNotification),
                                                         window(), {{QStringLiteral("ShapeClassName"), it->second}});
            return;
        }
        if (e.keyCode == pf::KeyCode::V && mouseStrategy_) {
            revertToDefaultMouseMode();
            return;
        }
    }
    pf::View::keyDown(e);
}

void Canvas::keyUp(const pf::Event& e)
{
    if (dragScroll_) {
        showDefaultCursor();
        dragScroll_ = false;
    }
    pf::View::keyUp(e);
}

// ---- mouse ----

void Canvas::mouseDown(const pf::Event& e)
{
    handleMouseDown(e, false);
}

void Canvas::rightMouseDown(const pf::Event& e)
{
    if (mouseStrategy_) {
        mouseStrategy_->rightMouseDownInCanvas(e, *this);
        return;
    }
    handleMouseDown(e, true);
    showCanvasContextMenuForEvent(e);
}

void Canvas::handleMouseDown(const pf::Event& e, bool rightClick)
{
    const auto page = composition();
    if (!page)
        return;
    lastEventLocation_ = e.location;
    page->setMouseDragging(true);
    mouseIsDown_ = !rightClick;
    if (e.clickCount <= 1)
        swallowClickSeries_ = false;
    if (mouseStrategy_) {
        mouseStrategy_->mouseDownInCanvas(e, *this);
        return;
    }
    killDrag_ = swallowClickSeries_;
    if (killDrag_)
        return;
    if (!e.isShiftKeyPressed() && !e.isCommandKeyPressed() && e.clickCount >= 2) {
        const pf::Point p = convertPointToComposition(e.location);
        if (e.clickCount == 2) {
            if (mouseDownDoubleClick(p)) {
                killDrag_ = true;
                return;
            }
        } else {
            // A triple click selects the word under the point in the text editor.
            killDrag_ = true;
            if (e.clickCount == 3)
                performTripleClickInFieldEditor(e);
            return;
        }
    }
    // A click on the canvas ends an in-place edit, as the canvas takes the keys back.
    stopEditingText();
    setFocus(Qt::MouseFocusReason);
    beginDragAtPoint(e.location);
    if (dragScroll_) {
        showCursor(pf::Cursor::closedHand());
        return;
    }
    const pf::Point p = convertPointToComposition(e.location);
    if (dragZoom_)
        return;

    if (!e.isControlKeyPressed()) {
        if (auto guide = userGuideAtPoint(e.location); guide && !rightClick) {
            // The whole drag, or a drop that deletes the guide, is one undo step.
            draggingUserGuide_ = std::move(guide);
            if (pf::UndoManager* undo = page->undoManager())
                guideUndoGroup_ = {undo, undo->beginUndoGrouping()};
            return;
        }
        if (!rightClick && manipulator_) {
            optimizeSnapping(p);
            std::int64_t h = manipulator_->handleForPoint(p);
            // A handle whose drag the selection does not allow is no handle: the press moves the selection.
            // Point handles are only points, whatever their numbers mean for a frame.
            if (manipulator_->numbersHandlesByPoint()) {
                if (h != -1) {
                    const std::shared_ptr<Manipulator> selection = manipulator_;
                    selection->beginDragResizeAtPointWithHandle(p, h);
                    showToolTipForResizeDrag();
                    setNeedsDisplayInCompositionRect(clearDragMarks());
                    return;
                }
            } else if (((h == QVRectCornerMidMid || h == ManipulatorHandleAdjust) && !manipulator_->allowsAdjusting())
                || (h == ManipulatorHandleRotation && !manipulator_->allowsRotation())
                || (h == ManipulatorHandleConnection && !manipulator_->allowsConnection()))
                h = -1;
            if (h != -1) {
                const std::shared_ptr<Manipulator> selection = manipulator_;
                if (h == QVRectCornerMidMid) {
                    selection->setConnectionOptionsVisible(false);
                    selection->beginDragAdjust1AtPointWithHandle(p, h);
                } else if (h == ManipulatorHandleAdjust) {
                    selection->setConnectionOptionsVisible(false);
                    selection->beginDragAdjustAtPointWithHandle(p, h);
                } else if (h == ManipulatorHandleRotation) {
                    selection->setConnectionOptionsVisible(false);
                    selection->beginDragRotateAtPointWithHandle(p, h);
                } else if (h == ManipulatorHandleConnection) {
                    selection->setConnectionOptionsVisible(true);
                    setNeedsDisplayInCompositionRect(selection->dirtyRect());
                } else if (h >= ManipulatorHandleConnectionOption) {
                    const bool optionsShown = selection->connectionOptionsVisible();
                    selection->setConnectionOptionsVisible(false);
                    if (optionsShown)
                        beginConnectionOptionDrag(e, p, h);
                } else {
                    selection->setConnectionOptionsVisible(false);
                    selection->beginDragResizeAtPointWithHandle(p, h);
                    showToolTipForResizeDrag();
                }
                setNeedsDisplayInCompositionRect(clearDragMarks());
                return;
            }
        }
    }

    const std::shared_ptr<Shape> s = page->shapeAtPoint(p);
    if ((e.isControlKeyPressed() && e.isOptionKeyPressed()) || (s && s->isLocked() && !rightClick)) {
        ignoredShapes_.clear();
        if (s)
            ignoredShapes_.push_back(s.get());
        if (!e.isShiftKeyPressed() && !e.isCommandKeyPressed())
            selectNone();
        if (!rightClick)
            startLasso(Lasso::selectionLasso(), p);
        return;
    }
    if (!s) {
        if (toolTip_ && toolTip_->isVisible() && toolTip_->frame().contains(e.location))
            return; // the click belongs to the label
        if (!e.isCommandKeyPressed())
            selectNone();
        if (!rightClick)
            startLasso(Lasso::selectionLasso(), p);
        return;
    }
    if (!e.isShiftKeyPressed() && !e.isCommandKeyPressed()) {
        if (manipulator_ && manipulator_->containsShape(s.get()))
            replaceSelectionWithShapes(selectedShapes());
        else
            replaceSelectionWithShape(s);
    } else if (!hasSelection()) {
        replaceSelectionWithShape(s);
    } else if (e.isCommandKeyPressed() && manipulator_->containsShape(s.get())) {
        manipulator_->removeShape(s);
        const Shapes rest = selectedShapes();
        removeManipulator();
        addShapesToSelection(rest);
    } else {
        addShapeToSelection(s);
    }
    if (!rightClick && manipulator_) {
        optimizeSnapping(p);
        // Option-drag moves copies, made in place; the sources stay where they are.
        dragCopy_ = e.isOptionKeyPressed();
        if (dragCopy_)
            beginDragCopy();
        const pf::Rect marks = clearDragMarks();
        manipulator_->beginDragMoveAtPoint(p);
        setNeedsDisplayInCompositionRect(marks);
    }
}

void Canvas::startLasso(const std::shared_ptr<Lasso>& band, const pf::Point& pagePoint)
{
    const auto page = composition();
    if (!page)
        return;
    lasso_ = band;
    band->setFrame(pf::Rect(pagePoint, pf::Size()));
    page->addShape(band);
}

pf::Rect Canvas::clearDragMarks()
{
    return QVCombineRects(clearConnectingSet(), clearSnappedSet());
}

void Canvas::mouseDragged(const pf::Event& e)
{
    lastEventLocation_ = e.location;
    if (mouseStrategy_) {
        mouseStrategy_->mouseDraggedInCanvas(e, *this);
        return;
    }
    if (killDrag_)
        return;
    lastDragEvent_ = e;
    const pf::Point v = e.location;
    if (dragScroll_) {
        dragScrollToPoint(v);
    } else if (draggingUserGuide_) {
        userGuideDragged(e, v);
    } else if (lasso_) {
        lassoMouseDragged(e, v);
    } else if (dragZoom_) {
        if (dragPointMeetsDragThreshold(v))
            startLasso(Lasso::zoomLasso(), convertPointToComposition(v));
    } else if (manipulator_) {
        manipulatorDragged(e, v);
    }
}

void Canvas::mouseUp(const pf::Event& e)
{
    const auto page = composition();
    mouseIsDown_ = false;
    lastEventLocation_ = e.location;
    if (page)
        page->setMouseDragging(false);
    // The palettes were told of each drag step before the shapes took it: they catch up at the end.
    const auto redrawAndUpdatePalettes = [&] {
        if (page)
            page->setNeedsDisplayInRectUpdatePalettes(convertRectToComposition(visibleRect()), true);
    };
    if (mouseStrategy_) {
        mouseStrategy_->mouseUpInCanvas(e, *this);
        if (manipulator_)
            redrawAndUpdatePalettes();
        return;
    }
    lastDragEvent_.reset();
    ignoredShapes_.clear();
    // The Option-drag's copies and their move are one undo step, however the gesture ends.
    endDragCopy();
    if (killDrag_)
        return;
    if (dragScroll_) {
        showCursor(pf::Cursor::openHand());
        return;
    }
    if (dragZoom_) {
        dragZoom_ = false;
        showDefaultCursor();
        if (lasso_)
            dragZoomToPoint(e.location);
        else
            showCanvasContextMenuForEvent(e); // a Control-click without a drag
    }
    if (draggingUserGuide_) {
        userGuideMouseUp(e, e.location);
        if (guideUndoGroup_) {
            guideUndoGroup_->first->endUndoGrouping(guideUndoGroup_->second);
            guideUndoGroup_.reset();
        }
    } else if (lasso_) {
        hideToolTip();
        removeLasso();
    } else if (manipulator_) {
        hideToolTip();
        const std::shared_ptr<Manipulator> selection = manipulator_;
        if (selection->dragResizing()) {
            // The drag's end first: the connection's undo then joins the same step as the resize.
            selection->endDragResize(e);
            endConnectingWithFlash(true);
        } else if (selection->dragRotating()) {
            selection->endDragRotate(e);
        } else if (selection->dragAdjusting()) {
            selection->endDragAdjust(e);
        } else if (selection->dragAdjusting1()) {
            selection->endDragAdjust1(e);
        } else if (selection->dragMoving()) {
            endConnectingWithFlash(false);
            selection->endDragMove(e);
        }
        clearConnectingSet();
        clearSnappedSet();
        redrawAndUpdatePalettes();
        selection->setDragDidChange(false);
    }
    if (dragCopy_) {
        dragCopy_ = false;
        showDefaultCursor();
    }
    clearTempGuidesNow();
}

void Canvas::endLostGesture()
{
    if (!mouseIsDown_)
        return;
    pf::Event up = lastDragEvent_ ? *lastDragEvent_ : pf::Event();
    up.type = pf::EventType::LeftMouseUp;
    up.location = lastDragEvent_ ? lastDragEvent_->location : lastEventLocation_;
    up.clickCount = 1;
    mouseUp(up);
}

void Canvas::mouseMoved(const pf::Event& e)
{
    // A move without the button while a press is open: Qt lost the release.
    endLostGesture();
    lastEventLocation_ = e.location;
    if (mouseStrategy_) {
        mouseStrategy_->mouseMovedInCanvas(e, *this);
        return;
    }
    const auto page = composition();
    if (!page)
        return pf::View::mouseMoved(e);
    const pf::Point p = convertPointToComposition(e.location);
    // Over a user guide that may be dragged, its cursor; off it, the default one again.
    const UserDefaults& defaults = UserDefaults::instance();
    std::shared_ptr<Guide> hovered;
    if (!defaults.guidesLocked() && defaults.guidesVisible())
        for (const auto& guide : page->userGuides())
            if (guide->containsPoint(p)) {
                hovered = guide;
                break;
            }
    if (hovered) {
        showGuideCursorForVertical(hovered->isVertical());
        showingResizeCursor_ = true;
    } else if (showingResizeCursor_) {
        showDefaultCursor();
        showingResizeCursor_ = false;
    }
    if (hasSelection()) {
        // Hovering over or off a selection never changes what is selected.
        if (manipulator_->dirtyRect().contains(p) || manipulator_->activeHandle() != -1) {
            const std::int64_t h = manipulator_->handleForPoint(p);
            if (h != manipulator_->activeHandle()) {
                manipulator_->setActiveHandle(h);
                setNeedsDisplayInCompositionRect(manipulator_->dirtyRect());
            }
        }
    } else if (compositionManipulator_) {
        compositionManipulator_->setActiveHandle(-1);
        const std::int64_t h = compositionManipulator_->handleForPoint(p);
        compositionManipulator_->setActiveHandle(h);
        if (h == -1) {
            removeManipulator();
        } else {
            manipulator_ = compositionManipulator_;
            showingResizeCursor_ = true;
            switch (h) {
            case QVRectCornerTopLef: showCursor(resizeDiagonalTopLefCursor()); break;
            case QVRectCornerTopRit: showCursor(resizeDiagonalTopRitCursor()); break;
            case QVRectCornerBotLef: showCursor(resizeDiagonalBotLefCursor()); break;
            case QVRectCornerBotRit: showCursor(resizeDiagonalBotRitCursor()); break;
            case QVRectCornerTopMid:
            case QVRectCornerBotMid: showCursor(pf::Cursor::resizeUpDown()); break;
            case QVRectCornerMidLef:
            case QVRectCornerMidRit: showCursor(pf::Cursor::resizeLeftRight()); break;
            default: showDefaultCursor(); break;
            }
            setNeedsDisplayInCompositionRect(compositionManipulator_->dirtyRect());
        }
    }
    pf::View::mouseMoved(e);
}

void Canvas::flagsChanged(const pf::Event& e)
{
    if (mouseStrategy_) {
        mouseStrategy_->flagsChangedInCanvas(e, *this);
        return;
    }
    if (killDrag_)
        return;
    if (manipulator_ && lastDragEvent_) {
        manipulator_->flagsChanged(e);
        // The step runs again at once, so Shift or Option take effect without waiting for motion.
        pf::Event again = *lastDragEvent_;
        again.modifierFlags = e.modifierFlags;
        again.timestamp = e.timestamp;
        mouseDragged(again);
    }
    if (dragZoom_) {
        if (!lasso_) {
            dragZoom_ = false;
            showDefaultCursor();
        }
        return;
    }
    const bool drags = manipulator_
                       && (manipulator_->dragMoving() || manipulator_->dragResizing() || manipulator_->dragRotating()
                           || manipulator_->dragAdjusting() || manipulator_->dragAdjusting1());
    if (e.isControlKeyPressed() && !e.isOptionKeyPressed() && !e.isCommandKeyPressed() && !drags) {
        showCursor(pf::Cursor::crosshair());
        dragZoom_ = true;
        return;
    }
    pf::View::flagsChanged(e);
}

// ---- drags ----

void Canvas::optimizeSnapping(const pf::Point& pagePoint)
{
    if (UserDefaults::instance().isSnapEnabled()) {
        checkWantsSnap_ = true;
        lastDragCompPoint_ = pagePoint;
    } else {
        wantsSnap_ = false;
        checkWantsSnap_ = false;
    }
}

void Canvas::noteDragPointForSnapping(const pf::Point& pagePoint)
{
    // Snapping is wanted while the pointer moves slowly on some axis: a fast drag is not held back.
    if (!checkWantsSnap_)
        return;
    wantsSnap_ =
        std::abs(lastDragCompPoint_.x - pagePoint.x) < 1.0 || std::abs(lastDragCompPoint_.y - pagePoint.y) < 1.0;
    lastDragCompPoint_ = pagePoint;
}

void Canvas::beginDragAtPoint(const pf::Point& viewPoint)
{
    dragStartCanvasPoint_ = QVPointRound(viewPoint);
    hasMetDragThreshold_ = false;
}

bool Canvas::dragPointMeetsDragThreshold(const pf::Point& v)
{
    if (hasMetDragThreshold_)
        return true;
    const double t = UserDefaults::instance().dragThreshold() * (manipulator_ ? manipulator_->dragStartThresholdMultiplier() : 0.0);
    hasMetDragThreshold_ = std::abs(v.x - dragStartCanvasPoint_.x) > t || std::abs(v.y - dragStartCanvasPoint_.y) > t;
    return hasMetDragThreshold_;
}

void Canvas::manipulatorDragged(const pf::Event& event, const pf::Point& viewPoint)
{
    if (!manipulator_)
        return;
    const std::shared_ptr<Manipulator> selection = manipulator_;
    if (!dragPointMeetsDragThreshold(viewPoint)) {
        selection->setDragDidChange(false);
        return;
    }
    selection->setDragDidChange(true);
    const pf::Point v = amplifiedDragPoint(event, viewPoint);
    const pf::Point p = convertPointToComposition(v);
    pf::Rect dirty = QVCombineRects(clearTempGuides(), clearDragMarks());
    noteDragPointForSnapping(p);
    const pf::Rect before = selection->dirtyRect();
    if (selection->dragResizing()) {
        setConnectionFlashOn(true);
        selection->mouseDragResizeEventAtPoint(event, p);
        showToolTipForResizeDrag();
    } else if (selection->dragRotating()) {
        selection->mouseDragRotateEventAtPoint(event, p);
    } else if (selection->dragAdjusting()) {
        selection->mouseDragAdjustEventAtPoint(event, p);
    } else if (selection->dragAdjusting1()) {
        selection->mouseDragAdjust1EventAtPoint(event, p);
    } else if (selection->dragMoving()) {
        setConnectionFlashOn(true);
        selection->mouseDragMoveEventAtPoint(event, p);
        showToolTipWithPoint(selection->frame().origin);
    }
    dirty = QVCombineRects(QVCombineRects(dirty, before), selection->dirtyRect());
    dirty = QVCombineRects(dirty, tempGuidesDirtyRect());
    setNeedsDisplayInCompositionRect(dirty);
}

pf::Point Canvas::amplifiedDragPoint(const pf::Event& event, const pf::Point& viewPoint) const
{
    pf::Point v = viewPoint;
    if (!manipulator_ || manipulator_ != compositionManipulator_ || !manipulator_->dragResizing())
        return v;
    // The page grows from its centre: a left or top edge must move twice as far for the edge under the
    // pointer to follow it.
    const double k = event.isOptionKeyPressed() ? 1.0 : 2.0;
    const std::int64_t h = manipulator_->activeHandle();
    const bool xAxis = h == QVRectCornerTopLef || h == QVRectCornerMidLef || h == QVRectCornerBotLef;
    const bool yAxis = h == QVRectCornerTopLef || h == QVRectCornerTopMid || h == QVRectCornerTopRit;
    if (xAxis)
        v.x += k * (v.x - dragStartCanvasPoint_.x);
    if (yAxis)
        v.y += k * (v.y - dragStartCanvasPoint_.y);
    return v;
}

// ---- clicks ----

bool Canvas::mouseDownDoubleClick(const pf::Point& p)
{
    const auto page = composition();
    if (!page)
        return false;
    std::shared_ptr<Shape> target;
    if (hasSelection() && manipulator_->hasSingle() && manipulator_->children().front()->containsPoint(p)) {
        target = manipulator_->children().front();
    } else {
        target = page->shapeAtPoint(p);
    }
    // A selected group is opened as well: the double click goes to the innermost shape under the point.
    while (const auto* group = dynamic_cast<const Group*>(target.get()))
        target = group->shapeAtPoint(p);
    if (!target)
        return false;
    selectNone();
    replaceSelectionWithShape(target);
    return manipulator_ && manipulator_->doubleClickedAtPoint(p);
}

// ---- the band ----

void Canvas::lassoMouseDragged(const pf::Event& e, const pf::Point& viewPoint)
{
    const auto page = composition();
    if (!lasso_ || !page)
        return;
    const bool cmd = e.isCommandKeyPressed();
    const pf::Point p = convertPointToComposition(viewPoint);
    const auto area = [this] {
        return QVCombineRects(lasso_->dirtyRect(), manipulator_ ? manipulator_->dirtyRect() : pf::Rect());
    };
    setNeedsDisplayInCompositionRect(area());
    const pf::Point s = convertPointToComposition(dragStartCanvasPoint_);
    lasso_->setFrame(pf::Rect(std::min(s.x, p.x), std::min(s.y, p.y), std::abs(p.x - s.x), std::abs(p.y - s.y)));
    if (dragZoom_) {
        showToolTipWithRect(lasso_->frame());
        return;
    }
    Shapes touched;
    const Shapes children = page->children();
    for (const auto& shape : children) {
        if (!shape->isSelectable() || shape->isLocked())
            continue;
        const bool ignored = std::find(ignoredShapes_.begin(), ignoredShapes_.end(), shape.get()) != ignoredShapes_.end();
        if (shape->intersectsRect(lasso_->frame()) && !ignored)
            touched.push_back(shape);
        else if (!cmd && manipulator_)
            manipulator_->removeShape(shape);
    }
    if (!touched.empty())
        addShapesToSelection(touched);
    else if (!cmd)
        removeManipulator();
    setNeedsDisplayInCompositionRect(area());
}

void Canvas::removeLasso()
{
    if (!lasso_)
        return;
    const pf::Rect dirty = lasso_->dirtyRect();
    if (auto page = composition())
        page->removeShape(lasso_);
    lasso_.reset();
    setNeedsDisplayInCompositionRect(dirty);
}

// ---- the label ----

void Canvas::showToolTipWithText(const QString& text)
{
    if (!toolTip_) {
        toolTip_ = new ToolTip(this);
        toolTip_->hide();
    }
    toolTip_->setText(text);
    const pf::Size s = toolTip_->size();
    const pf::Rect b = bounds();
    double x = lastEventLocation_.x + 12.0;
    double y = lastEventLocation_.y - 3.0;
    if (x < b.x())
        x = 3.0;
    else if (x + s.width > b.maxX())
        x = b.maxX() - s.width;
    if (y < b.y())
        y = 3.0;
    else if (y + s.height > b.maxY())
        y = b.maxY() - s.height;
    toolTip_->setLocation(pf::Point(x, y));
    toolTip_->show();
    toolTip_->raise();
}

void Canvas::showToolTipWithRect(const pf::Rect& r)
{
    const auto page = composition();
    const pf::Point o = page ? page->rulerOriginAdjustedPoint(r.origin) : r.origin;
    showToolTipWithText(QString::asprintf("X:%5.f | Y:%5.f\nW:%5.f | H:%5.f", o.x, o.y, r.width(), r.height()));
}

void Canvas::showToolTipWithPoint(const pf::Point& point)
{
    if (!UserDefaults::instance().coordinatesTooltipVisible())
        return;
    const auto page = composition();
    const pf::Point o = page ? page->rulerOriginAdjustedPoint(point) : point;
    showToolTipWithText(QString::asprintf("X:%0.f | Y:%0.f", o.x, o.y));
}

void Canvas::showToolTipWithSize(const pf::Size& size)
{
    if (!UserDefaults::instance().coordinatesTooltipVisible())
        return;
    showToolTipWithText(QString::asprintf("W:%0.f | H:%0.f", size.width, size.height));
}

void Canvas::showToolTipForResizeDrag()
{
    if (!UserDefaults::instance().coordinatesTooltipVisible() || !manipulator_)
        return;
    // A dragged connector end shows where it is once connector selections exist; the size otherwise.
    showToolTipWithSize(manipulator_->frame().size);
}

void Canvas::hideToolTip()
{
    if (!toolTip_)
        return;
    toolTip_->hide();
    toolTip_->setText(QString());
}

void Canvas::showCanvasContextMenuForEvent(const pf::Event& event)
{
    // Built after the press has chosen what is selected (CanvasContextMenu.cpp).
    delayed_.performAfterDelay(
        [this, event] {
            ++contextMenuRequests_;
            auto menu = std::make_shared<pf::Menu>();
            populateContextMenuForPoint(*menu, convertPointToComposition(event.location));
            if (menu->numberOfItems() > 0)
                pf::MenuPresenter::popUpContextMenu(std::move(menu), event, this);
        },
        std::chrono::nanoseconds(0));
}
