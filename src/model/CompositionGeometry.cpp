// The page's grid, units, zoom, rulers and scrolling, its size and the resize drag, drawing, notices and
// the services it forwards to its owner.
#include "model/Composition.h"

#include "model/Connection.h"
#include "model/Guide.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <cstdlib>

namespace {

// Whole number nearest to v, halves away from zero.
double nearest(double v) { return std::round(v); }

// The alignment step: never under 1 (a smaller one would leave the page-centre offset without a whole step).
double effectiveTolerance(double t) { return t >= 1.0 ? t : 1.0; }

} // namespace

// ---- grid and units ----

void Composition::setGridEnabled(bool enabled)
{
    if (enabled == gridEnabled_)
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("gridEnabled"));
    registerUndoAction([old = gridEnabled_](Composition& page) { page.setGridEnabled(old); },
                       pf::localized(QStringLiteral("Grid Enabled")));
    gridEnabled_ = enabled;
    postNotificationName(QString::fromLatin1(GridEnabledDidChangeNotification));
    UserDefaults::instance().setGridEnabled(enabled);
    setNeedsDisplayInRectUpdatePalettes(frame(), false);
}

double Composition::gridTolerance() const
{
    const unsigned unit = metrics_ ? metrics_->unitType() : Metrics::Points;
    const double resolution = metrics_ ? metrics_->resolution() : 72.0;
    switch (unit) {
    case Metrics::Points:
    case Metrics::Steps: return gridTolerance_;
    case Metrics::Inches: return Metrics::pointsPerUnitTypeAtResolution(Metrics::Inches, resolution) * 0.125;
    case Metrics::Centimeters: return Metrics::pointsPerUnitTypeAtResolution(Metrics::Centimeters, resolution) * 0.5;
    default: return 0.0;
    }
}

void Composition::setGridTolerance(double tolerance)
{
    if (!std::isfinite(tolerance) || tolerance == gridTolerance_)
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("gridTolerance"));
    registerUndoAction([old = gridTolerance_](Composition& page) { page.setGridTolerance(old); },
                       pf::localized(QStringLiteral("Grid Snap Tolerance")));
    gridTolerance_ = tolerance;
    postNotificationName(QString::fromLatin1(GridToleranceDidChangeNotification));
    UserDefaults::instance().setGridTolerance(tolerance);
    setNeedsDisplayInRectUpdatePalettes(frame(), false);
}

pf::Point Composition::alignedPointForPointTolerance(const pf::Point& point, double tolerance) const
{
    const double t = effectiveTolerance(tolerance);
    double ox = 0;
    double oy = 0;
    if (!metrics_ || metrics_->unitType() == Metrics::Points) {
        const long step = std::lround(std::fabs(t));
        const pf::Rect f = frame();
        ox = static_cast<double>(std::llround(f.x() + f.width() * 0.5) % step);
        oy = static_cast<double>(std::llround(f.y() + f.height() * 0.5) % step);
    }
    return pf::Point(nearest((point.x - ox) / t) * t + ox, nearest((point.y - oy) / t) * t + oy);
}

pf::Size Composition::alignedSizeForSizeTolerance(const pf::Size& size, double tolerance) const
{
    const double t = effectiveTolerance(tolerance);
    return pf::Size(nearest(size.width / t) * t, nearest(size.height / t) * t);
}

pf::Rect Composition::alignedRectForRectTolerance(const pf::Rect& rect, double tolerance) const
{
    return pf::Rect(alignedPointForPointTolerance(rect.origin, tolerance), alignedSizeForSizeTolerance(rect.size, tolerance));
}

QString Composition::currentUnitDisplayFormat() const
{
    return Metrics::displayFormatForUnitType(metrics_ ? metrics_->unitType() : Metrics::Points);
}

double Composition::currentUnitsForPoints(double points) const
{
    return metrics_ ? Metrics::unitsForPointsOfTypeAtResolution(points, metrics_->unitType(), metrics_->resolution()) : points;
}

double Composition::pointsForCurrentUnits(double units) const
{
    return metrics_ ? Metrics::pointsForUnitsOfTypeAtResolution(units, metrics_->unitType(), metrics_->resolution()) : units;
}

// ---- zoom, rulers, scrolling ----

void Composition::setZoomScaleIndex(std::int64_t index)
{
    if (index == zoomScaleIndex_)
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("zoomScaleIndex"));
    zoomScaleIndex_ = index;
    postNotificationName(QString::fromLatin1(ZoomScaleDidChangeNotification));
}

double Composition::zoomScale() const
{
    return overrideZoomScale_ > 0 ? overrideZoomScale_ : zoomScaleForIndex(zoomScaleIndex_);
}

double Composition::zoomScaleForIndex(std::int64_t index)
{
    switch (index) {
    case -4: return 0.1;
    case -3: return 0.25;
    case -2: return 0.5;
    case -1: return 0.75;
    case 0: return 1.0;
    case 1: return 1.5;
    case 2: return 2.0;
    case 3: return 3.0;
    case 4: return 4.0;
    case 5: return 5.0;
    case 10: return 10.0;
    case 20: return 20.0;
    case 30: return 30.0;
    case 40: return 40.0;
    case 50: return 50.0;
    default: return 1.0;
    }
}

pf::Point Composition::rulerOriginAdjustedPoint(const pf::Point& p) const
{
    const double w = frame().width();
    const double h = frame().height();
    const double midX = std::floor(p.x - w * 0.5);
    const double right = std::floor(p.x - w);
    const double midY = std::floor(p.y - h * 0.5);
    const double bottom = std::floor(p.y - h);
    switch (rulerOriginCorner_) {
    case QVRectCornerTopMid: return {midX, p.y};
    case QVRectCornerTopRit: return {right, p.y};
    case QVRectCornerMidLef: return {p.x, midY};
    case QVRectCornerMidMid: return {midX, midY};
    case QVRectCornerMidRit: return {right, midY};
    case QVRectCornerBotLef: return {p.x, bottom};
    case QVRectCornerBotMid: return {midX, bottom};
    case QVRectCornerBotRit: return {right, bottom};
    default: return p;
    }
}

pf::Size Composition::scrollableSize() const
{
    const pf::Rect page = frame();
    pf::Rect u = page;
    for (const auto& child : children())
        u = QVCombineRects(u, child->frame());
    const double mx = std::max(u.maxX() - page.width(), std::fabs(u.x()));
    const double my = std::max(u.maxY() - page.height(), std::fabs(u.y()));
    return pf::Size(page.width() + 2 * mx, page.height() + 2 * my);
}

// ---- page size ----

void Composition::setStoredFrame(const pf::Rect& rect)
{
    const bool disabled = disableUndo();
    Shape::setFrame(rect);
    reenableUndoIf(disabled);
}

void Composition::setMetrics(std::shared_ptr<Metrics> metrics)
{
    if (metrics == metrics_)
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("metrics"));
    registerUndoAction([old = metrics_](Composition& page) { page.setMetrics(old); },
                       pf::localized(QStringLiteral("Change Canvas Size")));
    metrics_ = std::move(metrics);
    const pf::Rect page = metrics_ ? pf::Rect(0, 0, metrics_->width(), metrics_->height()) : pf::Rect::zero();
    setStoredFrame(page);
    setBounds(page);
    setScrollCenterPoint(pf::Point(page.midX(), page.midY()));
    if (metrics_)
        postNotificationName(QString::fromLatin1(MetricsDidChangeNotification));
    setNeedsDisplayInRectUpdatePalettes(visibleRect(), false);
}

void Composition::beginDrag()
{
    dragStartMetrics_ = metrics_ ? metrics_->copy() : nullptr;
    dragStart().frame = frame();
    lastFrame_ = frame();
}

void Composition::setFrame(const pf::Rect& requested)
{
    if (!metrics_)
        return;
    pf::Rect r = requested;
    if (r.width() < 0)
        r.origin.x += r.width();
    if (r.height() < 0)
        r.origin.y += r.height();
    r = QVRectStandardize(r);
    auto resized = metrics_->copy();
    resized->setWidth(r.width());
    resized->setHeight(r.height());
    {
        const pf::UndoGrouping group(undoManager());
        setMetrics(resized);
        shiftContentsWithOldSizeNewSizeAnchorCorner(lastFrame_.size, r.size, dragStart().anchorCorner);
    }
    lastFrame_ = r;
    setStoredFrame(pf::Rect(0, 0, metrics_->width(), metrics_->height()));
}

void Composition::endDrag(const pf::Event& event)
{
    (void)event;
    if (!metrics_ || !dragStartMetrics_)
        return;
    const auto reached = metrics_->copy();
    const pf::Size start = dragStart().frame.size;
    const pf::Size size(reached->width(), reached->height());
    const pf::UndoGrouping group(undoManager());
    const bool disabled = disableUndo();
    shiftContentsWithOldSizeNewSizeAnchorCorner(size, start, dragStart().anchorCorner);
    reenableUndoIf(disabled);
    metrics_ = dragStartMetrics_->copy();
    setMetrics(reached);
    dragStartMetrics_.reset();
    shiftContentsWithOldSizeNewSizeAnchorCorner(start, size, dragStart().anchorCorner);
    // The shift names its steps after the shapes it moved; the step is the size change.
    if (pf::UndoManager* undo = undoManager())
        undo->setActionName(pf::localized(QStringLiteral("Change Canvas Size")));
}

void Composition::shiftContentsWithOldSizeNewSizeAnchorCorner(const pf::Size& oldSize, const pf::Size& newSize,
                                                              QVRectCorner anchor)
{
    const double dw = newSize.width - oldSize.width;
    const double dh = newSize.height - oldSize.height;
    pf::Point offset;
    switch (anchor) {
    case QVRectCornerTopMid: offset = {dw * 0.5, 0}; break;
    case QVRectCornerTopRit: offset = {dw, 0}; break;
    case QVRectCornerMidLef: offset = {0, dh * 0.5}; break;
    case QVRectCornerMidMid: offset = {dw * 0.5, dh * 0.5}; break;
    case QVRectCornerMidRit: offset = {dw, dh * 0.5}; break;
    case QVRectCornerBotLef: offset = {0, dh}; break;
    case QVRectCornerBotMid: offset = {dw * 0.5, dh}; break;
    case QVRectCornerBotRit: offset = {dw, dh}; break;
    default: return;
    }
    shiftContents(offset);
}

void Composition::shiftContents(const pf::Point& offset)
{
    const Children kids = children();
    for (const auto& child : kids) {
        if (child->isManipulator())
            continue;
        child->dragStart().frame = child->frame();
        child->setFrame(child->frame().offsetBy(offset.x, offset.y));
        child->updateConnections();
    }
    shiftConnectionsOfParent(*this);
    for (const auto& guide : userGuides_)
        guide->moveToP1P2(guide->p1() + offset, guide->p2() + offset);
}

void Composition::shiftConnectionsOfParent(const Parent& parent)
{
    for (const auto& child : parent.children()) {
        if (child->isManipulator())
            continue;
        if (const auto* inner = dynamic_cast<const Parent*>(child.get()))
            shiftConnectionsOfParent(*inner);
        else
            child->updateConnections();
    }
}

// ---- drawing and notices ----

void Composition::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    if (exporting_ && fillColor()) {
        context.saveGState();
        context.setFillColor(*fillColor());
        context.fillRect(bounds());
        context.restoreGState();
    }
    // Each shape held while it draws, not a copy of the whole list: a copy touches every shape's count
    // before the first draws, a line apiece that has gone cold again by the time its shape is drawn.
    const Children& kids = children();
    for (std::size_t i = 0; i < kids.size(); ++i) {
        const std::shared_ptr<Shape> kid = kids[i];
        kid->drawInContextDirtyRect(context, dirty);
    }
}

void Composition::setNeedsDisplayInRectUpdatePalettes(const pf::Rect& rect, bool updatePalettes)
{
    // A drag asks a few areas a step: a short list keeps the memory fixed; when full, neighbours are merged
    // in pairs, so an area since a recent count stays about as small as the requests made since.
    constexpr std::size_t keptChanges = 64;
    ++displayChangeCount_;
    if (displayChanges_.size() == keptChanges) {
        for (std::size_t i = 0; i < keptChanges / 2; ++i) {
            const DisplayChange& older = displayChanges_[2 * i];
            const DisplayChange& newer = displayChanges_[2 * i + 1];
            displayChanges_[i] = {older.first, newer.last, older.area.united(newer.area)};
        }
        displayChanges_.resize(keptChanges / 2);
    }
    displayChanges_.push_back({displayChangeCount_, displayChangeCount_, rect.isEmpty() ? pf::Rect::null() : rect});
    if (delegate_)
        delegate_->compositionWasEditedInRectUpdatePalettes(*this, rect, updatePalettes);
}

std::optional<pf::Rect> Composition::displayChangesSince(std::uint64_t count) const
{
    if (count >= displayChangeCount_)
        return pf::Rect::null();
    if (displayChanges_.empty() || count + 1 < displayChanges_.front().first)
        return std::nullopt;
    pf::Rect area = pf::Rect::null();
    for (auto it = displayChanges_.rbegin(); it != displayChanges_.rend() && it->last > count; ++it)
        area = area.united(it->area);
    return area;
}

void Composition::postNotificationName(const QString& name) const
{
    if (!exporting_)
        pf::NotificationCenter::defaultCenter().post(name, this);
}

// ---- owner services ----

pf::UndoManager* Composition::undoManager() const
{
    return delegate_ ? delegate_->undoManagerForComposition(const_cast<Composition&>(*this)) : nullptr;
}

pf::Rect Composition::visibleRect() const
{
    return delegate_ ? delegate_->visibleRectForComposition(const_cast<Composition&>(*this)) : frame();
}

pf::Image Composition::imageForIdentifier(const QString& identifier)
{
    return delegate_ ? delegate_->compositionImageForIdentifier(*this, identifier) : pf::Image();
}

void Composition::incrementRefCountForImageIdentifier(const QString& identifier)
{
    if (delegate_)
        delegate_->compositionIncrementRefCountForImageIdentifier(*this, identifier);
}

void Composition::decrementRefCountForImageIdentifier(const QString& identifier)
{
    if (delegate_)
        delegate_->compositionDecrementRefCountForImageIdentifier(*this, identifier);
}

void Composition::disableSuddenTermination() const
{
    if (delegate_)
        delegate_->disableSuddenTermination(const_cast<Composition&>(*this));
}

void Composition::enableSuddenTermination() const
{
    if (delegate_)
        delegate_->enableSuddenTermination(const_cast<Composition&>(*this));
}

bool Composition::isConnectionFlashOn() const
{
    return delegate_ && delegate_->isCompositionConnectionFlashOn(const_cast<Composition&>(*this));
}

std::int64_t Composition::activeHandle() const
{
    return delegate_ ? delegate_->activeHandleIndexForComposition(const_cast<Composition&>(*this)) : 0;
}

void Composition::setTitle(const QString& title)
{
    Shape::setTitle(title);
    if (delegate_)
        delegate_->compositionTitleDidChange(*this);
}
