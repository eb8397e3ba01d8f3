#include "canvas/Canvas.h"
#include "canvas/CanvasFieldEditorTextView.h"

#include "geometry/QVColor.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>

#include <algorithm>

Canvas::Canvas(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
    setAttribute(Qt::WA_AcceptTouchEvents);
    // Every pixel asked for is painted (the canvas colour is opaque): Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hovering shows the handles and the page edges under the pointer.
    setAcceptsMouseMovedEvents(true);
    setAcceptsFirstResponder(true);
    auto& center = pf::NotificationCenter::defaultCenter();
    const auto observe = [&](const char* name, void (Canvas::*handler)(const pf::Notification&)) {
        pageObservers_.push_back(
            center.addObserver(QString::fromLatin1(name), nullptr, [this, handler](const pf::Notification& n) {
                (this->*handler)(n);
            }));
    };
    observe(Composition::MetricsDidChangeNotification, &Canvas::compositionMetricsDidChange);
    observe(Composition::MetricsDidChangeNotification, &Canvas::compositionGridDidChange);
    observe(Composition::ZoomScaleDidChangeNotification, &Canvas::compositionZoomScaleDidChange);
    observe(Composition::GridEnabledDidChangeNotification, &Canvas::compositionGridDidChange);
    observe(Composition::GridToleranceDidChangeNotification, &Canvas::compositionGridDidChange);
    observe(MetricsUnitTypeDidChangeNotification, &Canvas::compositionGridDidChange);
    observe(RulerOriginDidChangeNotification, &Canvas::compositionRulerOriginDidChange);

    // The ruler menu's items.
    setAction(QStringLiteral("changeRulerUnitType:"), [this](const pf::MenuItem* sender) {
        if (sender)
            changeRulerUnitType(sender->tag());
    });
    setAction(QStringLiteral("changeRulerOriginCorner:"), [this](const pf::MenuItem* sender) {
        if (sender)
            changeRulerOriginCorner(sender->tag());
    });

    registerEditActions();
    registerContextMenuActions();

    // Dropped files are read from their names: the desktop hands file contents over as file names.
    QStringList dragged = {pf::PasteboardType::shape, pf::PasteboardType::shapeInfo, pf::PasteboardType::color,
                           pf::PasteboardType::fileNames};
    dragged << pf::pictureTypes();
    registerForDraggedTypes(dragged);
}

Canvas::~Canvas()
{
    delayed_.cancelPreviousPerformRequests();
    endRotationGesture();
    // An edit in progress keeps its text and closes its undo group; the editor goes with the canvas.
    stopEditingText();
    if (fieldEditor_)
        fieldEditor_->setCanvas(nullptr);
    // A tool's undo group closes with it; nothing else of the tool's ending applies to a canvas going.
    if (toolUndoGroup_ && toolUndoManager_)
        toolUndoManager_->endUndoGrouping(*toolUndoGroup_);
    mouseStrategy_.reset();
    if (guideUndoGroup_)
        guideUndoGroup_->first->endUndoGrouping(guideUndoGroup_->second);
    endDragCopy();
    pageObservers_.clear();
    modeObservers_.clear();
    if (auto page = composition())
        unbindPage(*page);
    if (compositionManipulator_) {
        compositionManipulator_->setCanvas(nullptr);
        compositionManipulator_->removeAllShapes();
    }
}

// ---- class-wide values ----

const pf::Color& Canvas::canvasFillColor()
{
    static const pf::Color c(0.9, 0.9, 0.9, 1.0);
    return c;
}

const pf::Color& Canvas::coverFillColor()
{
    static const pf::Color c(1.0, 1.0, 1.0, 0.3);
    return c;
}

const pf::Color& Canvas::pageFillColor()
{
    static const pf::Color c = pf::Color::white();
    return c;
}

const pf::Color& Canvas::pageBorderColor(bool mainWindow)
{
    static const pf::Color main = QVHexColor(0x9E9E9E);
    static const pf::Color other = QVHexColor(0xBBBBBB);
    return mainWindow ? main : other;
}

// ---- services ----

CanvasDocument* Canvas::document() const
{
    return window_ ? window_->document() : nullptr;
}

void Canvas::invalidateRestorableState()
{
    if (window_)
        window_->invalidateRestorableState();
}

// ---- the page ----

void Canvas::setComposition(const std::shared_ptr<Composition>& page)
{
    const auto old = composition();
    if (page == old)
        return;
    revertToDefaultMouseMode();
    if (old)
        unbindPage(*old);
    page_ = page;
    if (!compositionManipulator_ && page) {
        compositionManipulator_ = std::dynamic_pointer_cast<Manipulator>(page->makeManipulator());
        if (!compositionManipulator_)
            compositionManipulator_ = Shape::make<CompositionManipulator>(page->frame());
        compositionManipulator_->setCanvas(this);
    }
    if (!page)
        return;
    compositionManipulator_->removeAllShapes();
    compositionManipulator_->addShape(page);
    page->insertShapeAtIndex(compositionManipulator_, 0);
    updateRulersOrigin();
    updateGridPattern();
}

void Canvas::unbindPage(Composition& page)
{
    // A guide half pulled out of a ruler stays where it is, as one undo step of that page.
    endPullOut(nullptr, {});
    endRotationGesture();
    // A connection still blinking belongs to this page: it must not reach the next one.
    cancelConnectionFlash();
    draggingConnection_.reset();
    connectionFlashOn_ = false;
    for (const auto& shape : snappedSet_)
        shape->setSnapped(false);
    snappedSet_.clear();
    draggingUserGuide_.reset();
    // The page outlives its canvas in the document: it must not keep selection objects that point here.
    if (manipulator_ && manipulator_ != compositionManipulator_) {
        manipulator_->setCanvas(nullptr);
        manipulator_->removeAllShapes();
        page.removeShape(manipulator_);
    }
    manipulator_.reset();
    if (compositionManipulator_) {
        page.removeShape(compositionManipulator_);
        // The page selection object holds the page: let go of it, or the two would keep each other alive.
        compositionManipulator_->removeAllShapes();
    }
}

double Canvas::currentScale() const
{
    const auto page = composition();
    if (!page)
        return 1.0;
    const double scale = page->zoomScale();
    return scale == 0.0 ? 1.0 : scale;
}

void Canvas::updateForZoomScale()
{
    stopEditingText();
    setFrame(frame());
}

void Canvas::setFrame(const pf::Rect& frame)
{
    pf::Size clip;
    if (const pf::ScrollView* scroll = enclosingScrollView(); scroll && scroll->documentView() == this)
        clip = scroll->contentSize();
    else if (parentWidget())
        clip = pf::Size(parentWidget()->width(), parentWidget()->height());
    const pf::Rect page = scaledCompositionFrame();
    const pf::Size size(std::max(clip.width, page.width() + 2.0 * margin().width),
                        std::max(clip.height, page.height() + 2.0 * margin().height));
    pf::View::setFrame(pf::Rect(frame.origin, size));
    updateRulersOrigin();
    scrollToCenter();
}

void Canvas::updatePalettes()
{
    const auto page = composition();
    if (!page || !page->compositionDelegate())
        return;
    page->compositionDelegate()->compositionWasEditedInRectUpdatePalettes(
        *page, manipulator_ ? manipulator_->dirtyRect() : pf::Rect(), true);
}

void Canvas::setNeedsDisplayInCompositionRect(const pf::Rect& rect)
{
    setNeedsDisplayInRect(convertRectFromComposition(rect));
}

// ---- notices ----

bool Canvas::isOwnPage(const pf::Notification& n) const
{
    const auto page = composition();
    return page && n.object == page.get();
}

void Canvas::compositionMetricsDidChange(const pf::Notification& n)
{
    if (!isOwnPage(n))
        return;
    updateForZoomScale();
    setNeedsDisplay();
    if (compositionManipulator_)
        compositionManipulator_->setFrame(composition()->frame());
    if (manipulator_ != compositionManipulator_)
        selectNone();
}

void Canvas::compositionZoomScaleDidChange(const pf::Notification& n)
{
    if (!isOwnPage(n))
        return;
    updateGridPattern();
    updateForZoomScale();
    setNeedsDisplay();
}

void Canvas::compositionGridDidChange(const pf::Notification& n)
{
    if (!isOwnPage(n))
        return;
    updateGridPattern();
    setNeedsDisplay();
}

void Canvas::compositionRulerOriginDidChange(const pf::Notification& n)
{
    if (!isOwnPage(n))
        return;
    updateRulersOrigin();
    setNeedsDisplay();
    // The display frames count from the new origin: a fresh selection object reads them again.
    const Shapes selected = selectedShapes();
    selectNone();
    addShapesToSelection(selected);
    updatePalettes();
}

// ---- window and clip area ----

bool Canvas::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ContextMenu:
        // The menu key opens the menu from keyDown; the platform's copy of it would open a second one.
        if (static_cast<QContextMenuEvent*>(e)->reason() == QContextMenuEvent::Keyboard) {
            e->accept();
            return true;
        }
        break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        endLostGesture();
        endRotationGesture();
        break;
    // Input of another kind ends a turn whose gesture end never came (its undo group must not stay open).
    // A pinch inside the same gesture does not (touchpads report the two together), nor a modifier key
    // (Option and Shift change how the turn counts).
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
            break;
        default:
            endRotationGesture();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        endRotationGesture();
        break;
    case QEvent::ParentChange:
    case QEvent::Show:
        observeWindowModes();
        // The canvas grows with the clip area it sits in.
        if (const pf::ScrollView* scroll = enclosingScrollView(); scroll && scroll->viewport() != observedClip_) {
            if (observedClip_)
                observedClip_->removeEventFilter(this);
            observedClip_ = scroll->viewport();
            observedClip_->installEventFilter(this);
        }
        break;
    default:
        break;
    }
    return pf::View::event(e);
}

void Canvas::focusInEvent(QFocusEvent*) {}

void Canvas::focusOutEvent(QFocusEvent*) {}

bool Canvas::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == observedClip_ && e->type() == QEvent::Resize)
        setFrame(frame());
    return pf::View::eventFilter(watched, e);
}

void Canvas::observeWindowModes()
{
    QWidget* w = window();
    if (w == observedWindow_)
        return;
    modeObservers_.clear();
    observedWindow_ = w;
    // A canvas reacts only to the tool modes chosen for its own window.
    auto& center = pf::NotificationCenter::defaultCenter();
    for (const char* name : {BezierModeWasActivatedNotification, BrushModeWasActivatedNotification,
                             PathModeWasActivatedNotification, ShapeModeWasActivatedNotification})
        modeObservers_.push_back(center.addObserver(QString::fromLatin1(name), w,
                                                    [this](const pf::Notification& n) { canvasModeWasActivated(n); }));
}
