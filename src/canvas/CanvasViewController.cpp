#include "canvas/CanvasViewController.h"

#include "canvas/Canvas.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/kit/RulerView.h"
#include "platform/kit/ScrollView.h"

#include <chrono>
#include <cmath>

namespace {

// The zoom codes that have a scale of their own, in registration order.
constexpr int ZoomCodes[] = {-4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 10, 20, 30, 40, 50};
constexpr unsigned RulerUnitTypes[] = {Metrics::Points, Metrics::Inches, Metrics::Centimeters, Metrics::Steps};

bool isRulerZoomCode(std::int64_t code)
{
    for (const int c : ZoomCodes)
        if (c == code)
            return true;
    return false;
}

// Points and steps count in tens; inches and centimetres double.
std::vector<double> stepUpCycle(unsigned unitType)
{
    return unitType == Metrics::Inches || unitType == Metrics::Centimeters ? std::vector<double>{2.0}
                                                                            : std::vector<double>{10.0};
}

double pageResolution(const Composition* page)
{
    return page && page->metrics() ? page->metrics()->resolution() : 72.0;
}

unsigned pageUnitType(const Composition* page)
{
    const unsigned type = page && page->metrics() ? page->metrics()->unitType() : unsigned(Metrics::Points);
    return Metrics::unitNameForUnitType(type).isNull() ? unsigned(Metrics::Points) : type;
}

} // namespace

pf::ScrollView* CanvasViewController::makeView(QWidget* parent)
{
    auto* scroll = new pf::ScrollView(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHasHorizontalRuler(true);
    scroll->setHasVerticalRuler(true);
    auto* canvas = new Canvas(pf::Rect(0, 0, 1000, 800));
    scroll->setDocumentView(canvas);
    for (pf::RulerView* ruler : {scroll->horizontalRulerView(), scroll->verticalRulerView()})
        ruler->setClientView(canvas);
    return scroll;
}

CanvasViewController::CanvasViewController()
{
    scrollView_ = makeView();
    canvas_ = dynamic_cast<Canvas*>(scrollView_->documentView());
    // Registered once for the controller's life: setting pages and units again must not add observers.
    observe(SelectionHandlesVisibilityDidChangeNotification, &CanvasViewController::handlesVisibilityDidChange);
    observe(RotationHandlesVisibilityDidChangeNotification, &CanvasViewController::handlesVisibilityDidChange);
    observe(RulerVisibilityDidChangeNotification, &CanvasViewController::rulerVisibilityDidChange);
    observe(GridVisibilityDidChangeNotification, &CanvasViewController::gridVisibilityDidChange);
    observe(GuidesVisibilityDidChangeNotification, &CanvasViewController::guidesVisibilityDidChange);
    observe(Composition::ZoomScaleDidChangeNotification, &CanvasViewController::compositionZoomScaleDidChange);
    observe(Canvas::MetricsUnitTypeDidChangeNotification, &CanvasViewController::compositionMetricsUnitTypeDidChange);
    observe(Canvas::DefaultModeWasActivatedNotification, &CanvasViewController::canvasToolDidEnd);
}

CanvasViewController::~CanvasViewController()
{
    delayed_.cancelPreviousPerformRequests();
    observers_.clear();
    if (composition_ && composition_->compositionDelegate() == this)
        composition_->setCompositionDelegate(nullptr);
    composition_.reset();
    inspector_ = nullptr;
    outline_ = nullptr;
    canvas_.clear();
    delete scrollView_.data();
}

void CanvasViewController::observe(const char* name, void (CanvasViewController::*handler)(const pf::Notification&))
{
    observers_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(name), nullptr, [this, handler](const pf::Notification& n) { (this->*handler)(n); }));
}

void CanvasViewController::setCanvasWindowController(CanvasWindow* window)
{
    window_ = window;
    if (canvas_)
        canvas_->setCanvasWindow(window);
}

CanvasDocument* CanvasViewController::document() const
{
    return window_ ? window_->document() : nullptr;
}

void CanvasViewController::setComposition(const std::shared_ptr<Composition>& page)
{
    if (page == composition_)
        return;
    composition_ = page;
    if (composition_) {
        setUpRulerViews();
        updateRulers();
    }
}

// ---- rulers ----

QString CanvasViewController::rulerUnitName(unsigned unitType, int zoomCode, double resolution)
{
    const QString unit = Metrics::unitNameForUnitType(unitType);
    const QString code = zoomCode == 0 ? QString() : QString::number(zoomCode);
    const double whole = std::round(std::fabs(resolution));
    return QStringLiteral("%1%2@%3").arg(unit, code, QString::number(whole, 'f', 0));
}

void CanvasViewController::registerRulerUnits(double pageResolution, unsigned resolutionUnit)
{
    for (const unsigned type : RulerUnitTypes) {
        const double resolution = Metrics::resolutionForUnitType(pageResolution, resolutionUnit, type);
        const QString abbreviation = type == Metrics::Points   ? QStringLiteral("pts")
                                     : type == Metrics::Inches ? QStringLiteral("in")
                                     : type == Metrics::Steps  ? QStringLiteral("steps")
                                                               : QStringLiteral("cm");
        const double perUnit = Metrics::pointsPerUnitTypeAtResolution(type, resolution);
        for (const int code : ZoomCodes)
            pf::RulerView::registerUnitWithName(rulerUnitName(type, code, resolution), abbreviation,
                                                perUnit * Composition::zoomScaleForIndex(code), stepUpCycle(type),
                                                {0.5});
    }
    // The bare name the rulers take before the zoom is known.
    pf::RulerView::registerUnitWithName(Metrics::unitNameForUnitType(Metrics::Steps), QStringLiteral("steps"),
                                        Metrics::pointsPerUnitTypeAtResolution(Metrics::Steps, pageResolution),
                                        stepUpCycle(Metrics::Steps), {0.5});
}

void CanvasViewController::setUpRulerViews()
{
    registerRulerUnits(pageResolution(composition_.get()), pageUnitType(composition_.get()));
    if (!scrollView_)
        return;
    scrollView_->setHasHorizontalRuler(true);
    scrollView_->setHasVerticalRuler(true);
    const QString unit = Metrics::unitNameForUnitType(pageUnitType(composition_.get()));
    for (pf::RulerView* ruler : {scrollView_->horizontalRulerView(), scrollView_->verticalRulerView()}) {
        ruler->setClientView(canvas_);
        ruler->setMeasurementUnits(unit);
    }
    updateRulerVisibility();
    if (canvas_)
        canvas_->updateRulersOrigin();
}

void CanvasViewController::updateRulerVisibility()
{
    if (scrollView_)
        scrollView_->setRulersVisible(UserDefaults::instance().rulersVisible());
}

void CanvasViewController::updateRulers()
{
    if (!scrollView_)
        return;
    const Composition* page = composition_.get();
    // A code without a scale of its own shows at 1.0, as the unnumbered name does.
    const std::int64_t code = page ? page->zoomScaleIndex() : 0;
    const QString name =
        rulerUnitName(pageUnitType(page), isRulerZoomCode(code) ? int(code) : 0, pageResolution(page));
    for (pf::RulerView* ruler : {scrollView_->horizontalRulerView(), scrollView_->verticalRulerView()})
        if (ruler)
            ruler->setMeasurementUnits(name);
}

// ---- palettes and thumbnail ----

void CanvasViewController::updatePalettes()
{
    updateInspector();
    updateOutline();
}

void CanvasViewController::updateInspector()
{
    if (!inspector_)
        return;
    inspector_->setSelectedComposition(composition_.get());
    inspector_->setSelectedObject(canvas_ ? canvas_->manipulator().get() : nullptr);
    inspector_->setNeedsUpdate();
}

void CanvasViewController::updateOutline()
{
    if (!outline_)
        return;
    outline_->setCanvas(canvas_);
    outline_->setNeedsUpdate();
}

void CanvasViewController::setNeedsTabThumbnailUpdate()
{
    if (needsTabThumbnailUpdate_)
        return; // one refresh is already on its way
    needsTabThumbnailUpdate_ = true;
    delayed_.performAfterDelay([this] { updateTabThumbnailConditionally(); }, pf::Nanoseconds(0),
                               QStringLiteral("updateTabThumbnailConditionally"));
}

void CanvasViewController::updateTabThumbnailConditionally()
{
    if (!needsTabThumbnailUpdate_)
        return;
    updateTabThumbnail();
    needsTabThumbnailUpdate_ = false;
}

void CanvasViewController::updateTabThumbnail()
{
    if (window_)
        window_->updateSelectedTabThumbnail();
}

// ---- notices ----

bool CanvasViewController::isOwnPage(const pf::Notification& n) const
{
    return composition_ && n.object == composition_.get();
}

void CanvasViewController::handlesVisibilityDidChange(const pf::Notification&)
{
    if (canvas_ && composition_)
        canvas_->setNeedsDisplayInCompositionRect(composition_->selectionRect());
}

void CanvasViewController::rulerVisibilityDidChange(const pf::Notification&)
{
    updateRulerVisibility();
}

void CanvasViewController::gridVisibilityDidChange(const pf::Notification&)
{
    if (canvas_ && composition_)
        canvas_->setNeedsDisplayInCompositionRect(composition_->bounds());
}

void CanvasViewController::guidesVisibilityDidChange(const pf::Notification&)
{
    if (canvas_)
        canvas_->setNeedsDisplayInUserGuidesDirtyRect();
}

void CanvasViewController::compositionZoomScaleDidChange(const pf::Notification& n)
{
    if (isOwnPage(n))
        updateRulers();
}

void CanvasViewController::compositionMetricsUnitTypeDidChange(const pf::Notification& n)
{
    if (!isOwnPage(n))
        return;
    setUpRulerViews();
    updateRulers();
}

// ---- CompositionDelegate ----

pf::UndoManager* CanvasViewController::undoManagerForComposition(Composition&)
{
    return window_ ? window_->undoManager() : nullptr;
}

pf::Rect CanvasViewController::visibleRectForComposition(Composition&)
{
    return canvas_ ? canvas_->convertRectToComposition(canvas_->visibleRect()) : pf::Rect();
}

pf::Rect CanvasViewController::canvasFrameForComposition(Composition&)
{
    return canvas_ ? canvas_->frame() : pf::Rect();
}

pf::Rect CanvasViewController::canvasBoundsForComposition(Composition&)
{
    return canvas_ ? canvas_->bounds() : pf::Rect();
}

void CanvasViewController::compositionDidMoveUserGuideFromToIsVertical(Composition&, const pf::Point& from,
                                                                       const pf::Point& to, bool vertical)
{
    if (!scrollView_)
        return;
    pf::RulerView* horizontal = scrollView_->horizontalRulerView();
    pf::RulerView* verticalRuler = scrollView_->verticalRulerView();
    const double t = verticalRuler ? verticalRuler->ruleThickness() : 0.0;
    const pf::Point a = canvas_ ? canvas_->convertPointFromComposition(from) : from;
    const pf::Point b = canvas_ ? canvas_->convertPointFromComposition(to) : to;
    const pf::Point v = canvas_ ? canvas_->visibleRect().origin : pf::Point();
    // The horizontal ruler runs over the corner above the vertical one: its locations are shifted by that
    // ruler's thickness.
    if (vertical) {
        if (horizontal)
            horizontal->moveRulerlineFromLocation(std::floor(a.x) + t - v.x, std::floor(b.x) + t - v.x);
    } else if (verticalRuler) {
        verticalRuler->moveRulerlineFromLocation(std::floor(a.y) - v.y, std::floor(b.y) - v.y);
    }
}

std::int64_t CanvasViewController::activeHandleIndexForComposition(Composition&)
{
    return canvas_ && canvas_->manipulator() ? canvas_->activeHandle() : -1;
}

void CanvasViewController::compositionTitleDidChange(Composition&)
{
    if (window_)
        window_->reloadTabList();
}

void CanvasViewController::compositionWantsSelectNone(Composition&)
{
    if (canvas_)
        canvas_->selectNone();
}

void CanvasViewController::compositionSelectionWillChange(Composition&) {}

void CanvasViewController::compositionSelectionDidChange(Composition&)
{
    if (window_)
        window_->compositionSelectionDidChange();
    // A rubber band changes the selection on every step: the palettes catch up when it ends.
    if (!canvas_ || !canvas_->lasso()) {
        updateInspector();
        updateOutline();
    }
    setNeedsTabThumbnailUpdate();
    if (window_) {
        window_->validateVisibleToolbarItems();
        window_->invalidateRestorableState();
    }
}

void CanvasViewController::compositionWasEditedInRectUpdatePalettes(Composition& page, const pf::Rect& rect,
                                                                    bool palettes)
{
    if (!canvas_ || canvas_->composition().get() != &page)
        return;
    if (window_)
        window_->compositionWasEdited();
    canvas_->compositionWasEditedInRect(rect);
    // Moves ask no palette update, but a nudge or an undone move must still reach the tab's picture, which
    // redraws only their area; a mouse drag's steps wait for the release, which tells both.
    if (palettes || !page.isMouseDragging())
        setNeedsTabThumbnailUpdate();
    if (palettes)
        updatePalettes();
}

void CanvasViewController::askForPictureLater()
{
    delayed_.performAfterDelay(
        [this] {
            if (window_)
                window_->browseForImage();
        },
        std::chrono::duration_cast<pf::Nanoseconds>(std::chrono::duration<double>(ImageChooserDelay)),
        QStringLiteral("browseForImage:"));
}

void CanvasViewController::canvasToolDidEnd(const pf::Notification& n)
{
    if (!pictureAwaitsToolEnd_ || !canvas_ || n.object != canvas_->window())
        return;
    pictureAwaitsToolEnd_ = false;
    askForPictureLater();
}

void CanvasViewController::compositionDidAddShape(Composition&, const std::shared_ptr<Shape>& shape)
{
    if (shape && shape->isImage() && shape->isMissingImage()) {
        // The chooser takes the pointer: opened while the tool still sizes the shape, it would cut the
        // drawing short. One chooser, when the tool is done (a series drawn with Command held is one).
        if (canvas_ && canvas_->mouseStrategy())
            pictureAwaitsToolEnd_ = true;
        else
            askForPictureLater();
    }
    if (canvas_ && shape)
        canvas_->replaceSelectionWithShape(shape);
    if (CanvasDocument* d = document())
        d->updateChangeCount();
}

void CanvasViewController::compositionChangeDone(Composition&)
{
    if (CanvasDocument* d = document())
        d->updateChangeCount();
}

bool CanvasViewController::isCompositionConnectionFlashOn(Composition&)
{
    return canvas_ && canvas_->connectionFlashOn();
}

pf::Image CanvasViewController::compositionImageForIdentifier(Composition&, const QString& identifier)
{
    CanvasDocument* d = document();
    return d ? d->imageForIdentifier(identifier) : pf::Image();
}

void CanvasViewController::compositionIncrementRefCountForImageIdentifier(Composition&, const QString& identifier)
{
    if (CanvasDocument* d = document())
        d->incrementRefCountForImageIdentifier(identifier);
}

void CanvasViewController::compositionDecrementRefCountForImageIdentifier(Composition&, const QString& identifier)
{
    if (CanvasDocument* d = document())
        d->decrementRefCountForImageIdentifier(identifier);
}

void CanvasViewController::disableSuddenTermination(Composition&)
{
    if (CanvasDocument* d = document())
        d->disableSuddenTermination();
}

void CanvasViewController::enableSuddenTermination(Composition&)
{
    if (CanvasDocument* d = document())
        d->enableSuddenTermination();
}

std::size_t CanvasViewController::indexOfComposition(Composition& page)
{
    return window_ ? window_->indexOfTabModelWithRepresentedObject(page) : pf::NotFound;
}

void CanvasViewController::closeComposition(Composition& page)
{
    const std::size_t index = indexOfComposition(page);
    if (window_ && index != pf::NotFound)
        window_->removeTabModelAtIndex(index);
}

pf::Variant CanvasViewController::documentSpecifierForComposition(Composition&)
{
    CanvasDocument* d = document();
    return d ? d->objectSpecifier() : pf::Variant();
}

QString CanvasViewController::titleForComposition(Composition& page)
{
    const std::size_t index = indexOfComposition(page);
    return window_ && index != pf::NotFound ? window_->tabTitleAtIndex(index) : QString();
}
