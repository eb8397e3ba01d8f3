// The canvas's paint: the grey canvas, the white page, the grid, the page's shapes, the veil over what lies
// outside the page, the border, the guides, and the selection's handles in an overlay above everything.
// The decorations (grid, veil, border, guides, handles) are for the screen only: exports, thumbnails and
// loupes draw through the same shape drawing without them.
#include "canvas/Canvas.h"

#include "canvas/CanvasEffectCache.h"
#include "canvas/CanvasShapeIndex.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Guide.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

// Grid cells narrower than this or wider than that (view points) are not drawn.
constexpr double smallestGridSide = 1.0;
constexpr double largestGridSide = 1000.0;
constexpr double gridMultipliers[] = {1, 2, 4, 8};
// The gray of each pattern, by multiplier.
constexpr double gridGrays[] = {0.9, 0.85, 0.85, 0.8};

// The part of the segment a–b inside r (Liang–Barsky), or none. Guides reach 3.4e38: only the part on
// screen is handed on.
std::optional<std::pair<pf::Point, pf::Point>> segmentInRect(pf::Point a, pf::Point b, const pf::Rect& r)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - r.minX(), r.maxX() - a.x, a.y - r.minY(), r.maxY() - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return std::nullopt;
    }
    const auto at = [&](double t) {
        // The end itself when it is inside: no rounding noise on a guide's own points.
        if (t == 0)
            return a;
        if (t == 1)
            return b;
        return pf::Point(a.x + t * dx, a.y + t * dy);
    };
    return std::pair(at(t0), at(t1));
}

} // namespace

// ---- grid ----

void Canvas::updateGridPattern()
{
    const auto page = composition();
    if (!page) {
        gridPatterns_ = {};
        return;
    }
    const bool centimetres = page->metrics() && page->metrics()->unitType() == Metrics::Centimeters;
    for (std::size_t i = 0; i < gridPatterns_.size(); ++i)
        gridPatterns_[i] = {gridMultipliers[i] * page->scaledGridSide(), centimetres ? 1.0 : 2.0};
}

bool Canvas::isGridVisible() const
{
    switch (UserDefaults::instance().gridVisibility()) {
    case 2:
        return true;
    case 1: {
        const auto page = composition();
        return page && page->isGridEnabled();
    }
    default:
        return false;
    }
}

// Each pattern tile holds a cell's left and bottom edges, stroked on the tile's edges and so cut to the
// half of the line inside the tile. Brushes tile whole pixels while cells are fractional (7.5 points at
// 0.75), so the lines are drawn where the tiles would put them: a band of half the line width right of
// each vertical line and above each horizontal one, one fill per pattern, over the dirty part of the page.
void Canvas::drawGridInContext(pf::GraphicsContext& context, const pf::Rect& dirtyRect) const
{
    const auto page = composition();
    if (!page || gridPatterns_[0].side <= 0 || !isGridVisible())
        return;
    const double g = page->scaledGridSide();
    if (!(g >= smallestGridSide && g <= largestGridSide))
        return;
    const pf::Rect p = scaledCompositionFrame();
    pf::Point phase;
    std::vector<std::size_t> patterns;
    switch (page->metrics() ? page->metrics()->unitType() : Metrics::Points) {
    case Metrics::Points:
        // A one-point grid runs through the page's corner, any other through its centre (as aligning does).
        phase = page->gridTolerance() == 1.0 ? p.origin : QVRectGetMidMidPoint(p);
        patterns = {0};
        break;
    case Metrics::Inches:
        phase = QVRectGetBotLefPoint(p);
        patterns = {0, 2, 3};
        break;
    case Metrics::Centimeters:
        phase = QVRectGetBotLefPoint(p);
        patterns = {0, 1};
        break;
    default:
        return;
    }
    const pf::Rect area = dirtyRect.intersected(p);
    if (area.isEmpty())
        return;
    for (const std::size_t i : patterns) {
        const GridPattern& pattern = gridPatterns_[i];
        if (!(pattern.side > 0))
            continue;
        const double band = pattern.lineWidth / 2;
        pf::Path lines;
        // Vertical lines x = phase.x + k side, painted over [x, x + band].
        for (double k = std::ceil((area.minX() - band - phase.x) / pattern.side);; ++k) {
            const double x = phase.x + k * pattern.side;
            if (x >= area.maxX())
                break;
            const double left = std::max(x, area.minX()), right = std::min(x + band, area.maxX());
            if (right > left)
                lines.appendRect(pf::Rect(left, area.minY(), right - left, area.height()));
        }
        // Horizontal lines y = phase.y + k side, painted over [y - band, y].
        for (double k = std::ceil((area.minY() - phase.y) / pattern.side);; ++k) {
            const double y = phase.y + k * pattern.side;
            if (y - band >= area.maxY())
                break;
            const double top = std::max(y - band, area.minY()), bottom = std::min(y, area.maxY());
            if (bottom > top)
                lines.appendRect(pf::Rect(area.minX(), top, area.width(), bottom - top));
        }
        if (lines.isEmpty())
            continue;
        context.setFillColor(pf::Color(gridGrays[i], gridGrays[i], gridGrays[i], 1.0));
        context.fillPath(lines);
    }
}

// ---- veil, guides ----

namespace {

// Whether the rect's edges fall on whole device pixels under the context's (unturned) transform.
bool onWholePixels(const pf::GraphicsContext& context, const pf::Rect& r)
{
    const pf::AffineTransform m = context.getCTM();
    if (m.b != 0 || m.c != 0 || m.a == 0 || m.d == 0)
        return false;
    for (const double v : {m.a * r.minX() + m.tx, m.a * r.maxX() + m.tx, m.d * r.minY() + m.ty, m.d * r.maxY() + m.ty})
        if (!(std::fabs(v - std::round(v)) <= 1e-9 * std::max(1.0, std::fabs(v))))
            return false;
    return true;
}

// The whole device pixels of the context's pieces: as many as fit in 64 target pixels (a denser target
// scales again) and whose target height is whole too, so that the pieces meet without a seam.
double rowsPerPiece(double ratio)
{
    constexpr double tallest = 64;
    if (!(ratio > 1) || !std::isfinite(ratio))
        return tallest;
    for (double rows = std::floor(tallest / ratio); rows >= 1; --rows)
        if (std::fabs(rows * ratio - std::round(rows * ratio)) <= 1e-9 * tallest)
            return rows;
    return tallest;
}

// A band on whole pixels cut across into pieces of at most rowsPerPiece device rows (none when it is
// empty): the raster engine hands a fill of more rows of its target to its thread pool, whose wake-ups
// cost more processor time than a plain fill of the canvas's bands and page.
std::vector<pf::Rect> inPieces(const pf::AffineTransform& m, const pf::Rect& band, double ratio)
{
    std::vector<pf::Rect> pieces;
    if (!(band.width() > 0 && band.height() > 0))
        return pieces;
    const double tallest = rowsPerPiece(ratio);
    const double rows = std::round(std::fabs(band.height() * m.d));
    const double step = tallest / std::fabs(m.d);
    for (double done = 0; done < rows; done += tallest) {
        const double top = band.minY() + done / tallest * step;
        const double bottom = done + tallest >= rows ? band.maxY() : top + step;
        pieces.emplace_back(band.minX(), top, band.width(), bottom - top);
    }
    return pieces;
}

// A fill of a rect: in pieces where it lies on whole pixels (the pieces then meet without a seam), else
// at once.
void fillInPieces(pf::GraphicsContext& context, const pf::Rect& r)
{
    if (!onWholePixels(context, r)) {
        context.fillRect(r);
        return;
    }
    for (const pf::Rect& piece : inPieces(context.getCTM(), r, context.targetPixelRatio()))
        context.fillRect(piece);
}

// The parts of the dirty rect above, below, left and right of its part on the page (some empty).
std::array<pf::Rect, 4> bandsAboutPage(const pf::Rect& onPage, const pf::Rect& dirtyRect)
{
    const double left = dirtyRect.minX(), width = dirtyRect.width();
    return {pf::Rect(left, dirtyRect.minY(), width, onPage.minY() - dirtyRect.minY()),
            pf::Rect(left, onPage.maxY(), width, dirtyRect.maxY() - onPage.maxY()),
            pf::Rect(left, onPage.minY(), onPage.minX() - left, onPage.height()),
            pf::Rect(onPage.maxX(), onPage.minY(), dirtyRect.maxX() - onPage.maxX(), onPage.height())};
}

// Fills the dirty rect but the page in the current fill colour. With the page's edges on whole pixels, as
// up to four bands about it (rect fills, which meet without a shared pixel); else as one even-odd path
// (a clip of that shape would go through a mask and a layer the size of the dirty rect at every paint).
void fillOutsidePage(pf::GraphicsContext& context, const pf::Rect& pageRect, const pf::Rect& dirtyRect)
{
    const pf::Rect onPage = pageRect.intersected(dirtyRect);
    if (onPage.isEmpty()) {
        context.fillRect(dirtyRect);
        return;
    }
    if (onPage == dirtyRect)
        return;
    if (onWholePixels(context, pageRect)) {
        for (const pf::Rect& band : bandsAboutPage(onPage, dirtyRect))
            if (band.width() > 0 && band.height() > 0)
                fillInPieces(context, band);
        return;
    }
    pf::Path outside = pf::Path::rect(dirtyRect);
    outside.appendRect(onPage);
    outside.setWindingRule(pf::WindingRule::EvenOdd);
    context.fillPath(outside);
}

// The rect on whole device pixels about r (outward: the smallest holding it) or within it (the largest it
// holds; empty when none), under an upright, unturned transform.
pf::Rect wholePixelsOf(const pf::AffineTransform& m, const pf::Rect& r, bool outward)
{
    const double xa = m.a * r.minX() + m.tx, xb = m.a * r.maxX() + m.tx;
    const double ya = m.d * r.minY() + m.ty, yb = m.d * r.maxY() + m.ty;
    const auto low = [outward](double v) { return outward ? std::floor(v) : std::ceil(v); };
    const auto high = [outward](double v) { return outward ? std::ceil(v) : std::floor(v); };
    const double x0 = low(std::min(xa, xb)), x1 = high(std::max(xa, xb));
    const double y0 = low(std::min(ya, yb)), y1 = high(std::max(ya, yb));
    if (!outward && !(x1 > x0 && y1 > y0))
        return pf::Rect::zero();
    const pf::Point a = m.inverted().apply(pf::Point(x0, y0)), b = m.inverted().apply(pf::Point(x1, y1));
    return pf::Rect(a.x, a.y, b.x - a.x, b.y - a.y).standardized();
}

pf::Rect wholePixelsAbout(const pf::AffineTransform& m, const pf::Rect& r) { return wholePixelsOf(m, r, true); }
pf::Rect wholePixelsWithin(const pf::AffineTransform& m, const pf::Rect& r) { return wholePixelsOf(m, r, false); }

// The edge pixels of a page between its whole pixels (covered) and the pixels it touches, in pieces.
std::vector<pf::Rect> edgePieces(const pf::AffineTransform& m, const pf::Rect& covered, const pf::Rect& touched,
                                 double ratio)
{
    std::vector<pf::Rect> pieces;
    for (const pf::Rect& band : bandsAboutPage(covered, touched))
        for (const pf::Rect& piece : inPieces(m, band, ratio))
            pieces.push_back(piece);
    return pieces;
}

// The veil over the canvas colour, as the raster engine blends it (8-bit, premultiplied): where nothing
// is drawn outside the page, that colour filled at once paints the same pixels as the canvas colour
// veiled later.
const pf::Color& veiledCanvasColor()
{
    static const pf::Color veiled = [] {
        QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
        pixel.fill(Canvas::canvasFillColor().toQt());
        QPainter p(&pixel);
        p.fillRect(QRect(0, 0, 1, 1), Canvas::coverFillColor().toQt());
        p.end();
        const QRgb c = pixel.pixel(0, 0);
        return pf::Color(qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0, qAlpha(c) / 255.0);
    }();
    return veiled;
}

} // namespace

void Canvas::drawCoversInContext(pf::GraphicsContext& context, const pf::Rect& pageRect, const pf::Rect& dirtyRect) const
{
    pf::SavedGState saved(context);
    context.setFillColor(coverFillColor());
    fillOutsidePage(context, pageRect, dirtyRect);
}

void Canvas::drawGuideInContext(pf::GraphicsContext& context, const Guide& guide, const pf::Rect& dirtyRect) const
{
    // A guide not placed yet lies at the no-point marker.
    if (guide.isOffscreen() || QVPointIsMaxFloat(guide.p1()) || QVPointIsMaxFloat(guide.p2()) || !guide.color())
        return;
    const pf::Point a = QVPointRoundPlusHalf(convertPointFromComposition(guide.p1()));
    const pf::Point b = QVPointRoundPlusHalf(convertPointFromComposition(guide.p2()));
    const auto part = segmentInRect(a, b, QVRectOutset(dirtyRect, 2.0, 2.0));
    if (!part)
        return;
    pf::Path line;
    line.moveTo(part->first);
    line.lineTo(part->second);
    context.setStrokeColor(*guide.color());
    context.setLineWidth(1.0);
    context.strokePath(line);
}

// ---- the paint ----

pf::Rect Canvas::pageDrawingRect() const { return QVRectRoundPlusHalf(scaledCompositionFrame()); }

bool Canvas::isMainWindow() const
{
    const QWidget* w = window();
    return w && w->isActiveWindow();
}

CanvasEffectCache& Canvas::effectCache() const
{
    if (!effectCache_)
        effectCache_ = std::make_shared<CanvasEffectCache>();
    return *effectCache_;
}

void Canvas::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    ++drawingStats_.paints;
    drawingStats_.lastDirtyRect = dirtyRect;
    const auto page = composition();
    const bool decorations = context.drawsToScreen() && page && !page->isExporting() && !page->isDrawingThumbnail()
        && !page->isDrawingLoupe();
    pf::SavedGState saved(context);
    pf::Rect clipRect = dirtyRect;
    if (QVRectIsValidNotZeroSize(dirtyRect)) {
        clipRect = QVRectOutset(dirtyRect, 1.0, 1.0);
        context.clipToRect(clipRect);
    }
    context.setFillColor(canvasFillColor());
    if (!page) {
        context.fillRect(dirtyRect);
        return;
    }
    const double s = currentScale();
    const pf::Rect p = pageDrawingRect();
    const pf::AffineTransform pageToView{s, 0, 0, s, p.x(), p.y()};
    // An opaque page hides what is under it: the canvas colour is filled only where the page does not
    // cover whole pixels (a pixel it covers in part shows the canvas colour beneath). Where no shape
    // reaches past the pixels the page touches, the veil drawn over the shapes is filled with it at once;
    // the veil over those pixels is drawn after the shapes as before.
    bool veiled = false;
    std::vector<pf::Rect> veilLater;
    pf::Rect touched, covered;
    const pf::AffineTransform toDevice = context.getCTM();
    if (pageFillColor().alpha >= 1 && canvasFillColor().alpha >= 1 && onWholePixels(context, dirtyRect)) {
        touched = wholePixelsAbout(toDevice, p).intersected(dirtyRect);
        covered = wholePixelsWithin(toDevice, p).intersected(dirtyRect);
        if (covered.isEmpty())
            fillInPieces(context, touched);
        else
            fillOutsidePage(context, covered, touched);
        veiled = decorations && usesShapeIndex_;
        if (veiled)
            fillMarginVeiled(context, *page, touched, dirtyRect, pageToView, veilLater);
        else
            fillOutsidePage(context, touched, dirtyRect);
    } else {
        context.fillRect(dirtyRect);
    }
    if (const pf::Rect onPage = dirtyRect.intersected(p); !onPage.isEmpty()) {
        context.setFillColor(pageFillColor());
        if (covered.isEmpty()) {
            context.fillRect(onPage);
        } else {
            // The whole pixels and the edge pixels in pieces.
            fillInPieces(context, covered);
            for (const pf::Rect& piece : edgePieces(toDevice, covered, touched, context.targetPixelRatio()))
                context.fillRect(piece.intersected(p));
        }
    }
    if (decorations) {
        pf::SavedGState grid(context);
        drawGridInContext(context, dirtyRect);
    }
    {
        pf::SavedGState shapes(context);
        context.translate(p.x(), p.y());
        context.scale(s, s);
        drawShapesInContext(context, *page, pageToView.inverted().apply(clipRect), decorations);
    }
    if (!decorations)
        return;
    if (!veiled) {
        drawCoversInContext(context, p, dirtyRect);
    } else {
        pf::SavedGState veil(context);
        context.setFillColor(coverFillColor());
        for (const pf::Rect& r : veilLater)
            fillInPieces(context, r);
        if (covered.isEmpty()) {
            if (!touched.isEmpty())
                fillOutsidePage(context, p, touched);
        } else {
            for (const pf::Rect& piece : edgePieces(toDevice, covered, touched, context.targetPixelRatio()))
                fillOutsidePage(context, p, piece);
        }
    }
    context.setStrokeColor(pageBorderColor(isMainWindow()));
    context.setLineWidth(1.0);
    context.strokeRect(p);
    if (UserDefaults::instance().guidesVisible())
        for (const auto& guide : page->userGuides())
            if (guide)
                drawGuideInContext(context, *guide, dirtyRect);
    for (const auto& guide : tempGuides())
        if (guide)
            drawGuideInContext(context, *guide, dirtyRect);
    if (manipulator_) {
        pf::SavedGState handles(context);
        manipulator_->drawHandlesInContext(context, Manipulator::HandleOverlay{pageToView, s});
    }
}

void Canvas::drawShapesInContext(pf::GraphicsContext& context, Composition& page, const pf::Rect& pageDirtyRect,
                                 bool onScreen)
{
    // Off screen (an export through the canvas, printing) the page draws itself, every shape.
    if (!onScreen || !usesShapeIndex_) {
        page.drawInContextDirtyRect(context, pageDirtyRect);
        return;
    }
    const Composition::Children& children = page.children();
    updateShapeIndex(page);
    std::vector<std::uint32_t> order;
    shapeIndex_->shapesMeetingRect(pageDirtyRect, order);
    // Held: drawing must not see a shape go with a change of the list under it.
    std::vector<std::shared_ptr<Shape>> drawn;
    drawn.reserve(order.size());
    for (const std::uint32_t i : order)
        drawn.push_back(children[i]);
    CanvasEffectCache& cache = effectCache();
    // Pictures are made at the pixels of what is painted: a screen's, or a bitmap's the view is rendered
    // into, whose density may differ from the screen's.
    cache.beginFrame(context, page, context.targetPixelRatio());
    for (std::size_t n = 0; n < drawn.size(); ++n) {
        Shape& shape = *drawn[n];
        ++drawingStats_.shapesDrawn;
        if (!cache.drawShape(context, shape, pageDirtyRect))
            shape.drawInContextDirtyRect(context, pageDirtyRect);
    }
    cache.endFrame();
}

void Canvas::fillMarginVeiled(pf::GraphicsContext& context, Composition& page, const pf::Rect& pageRect,
                              const pf::Rect& dirtyRect, const pf::AffineTransform& pageToView,
                              std::vector<pf::Rect>& veilLater) const
{
    pf::SavedGState saved(context);
    const pf::Rect onPage = pageRect.intersected(dirtyRect);
    if (onPage.isEmpty()) {
        context.fillRect(dirtyRect);
        veilLater.push_back(dirtyRect);
        return;
    }
    if (onPage == dirtyRect)
        return;
    updateShapeIndex(page);
    const Composition::Children& children = page.children();
    const pf::AffineTransform viewToPage = pageToView.inverted();
    const pf::AffineTransform toDevice = context.getCTM();
    std::vector<std::uint32_t> found;
    for (const pf::Rect& band : bandsAboutPage(onPage, dirtyRect)) {
        if (!(band.width() > 0 && band.height() > 0))
            continue;
        // What the shapes reaching into the band may paint there (a pixel wider for antialiased edges), on
        // whole pixels: the canvas colour, veiled after the shapes. The rest is veiled at once.
        found.clear();
        shapeIndex_->shapesMeetingRect(viewToPage.apply(QVRectOutset(band, 1.0, 1.0)), found);
        pf::Rect busy = pf::Rect::zero();
        for (const std::uint32_t i : found)
            if (children[i])
                busy = QVCombineRects(busy, pageToView.apply(children[i]->paintedRect().standardized()));
        if (!found.empty())
            busy = wholePixelsAbout(toDevice, QVRectOutset(busy, 1.0, 1.0)).intersected(band);
        context.setFillColor(veiledCanvasColor());
        if (busy.isEmpty()) {
            fillInPieces(context, band);
            continue;
        }
        for (const pf::Rect& part : bandsAboutPage(busy, band))
            if (part.width() > 0 && part.height() > 0)
                fillInPieces(context, part);
        context.setFillColor(canvasFillColor());
        fillInPieces(context, busy);
        veilLater.push_back(busy);
    }
}

void Canvas::updateShapeIndex(Composition& page) const
{
    if (!shapeIndex_)
        shapeIndex_ = std::make_shared<CanvasShapeIndex>();
    const bool complete = page.takeDisplayChanges(displayChanges_);
    shapeIndex_->update(page.children(), page.childrenSerial(), page.frame(), page.zoomScale(),
                        complete ? &displayChanges_ : nullptr);
}

std::shared_ptr<Shape> Canvas::shapeAtPoint(const pf::Point& pagePoint) const
{
    const auto page = composition();
    if (!page)
        return nullptr;
    const Composition::Children& children = page->children();
    updateShapeIndex(*page);
    std::vector<std::uint32_t> near;
    shapeIndex_->shapesAtPoint(pagePoint, near);
    // The page's own test, topmost first.
    for (auto it = near.rbegin(); it != near.rend(); ++it) {
        const auto& shape = children[*it];
        if (shape && shape->isSavable() && shape->containsPoint(pagePoint))
            return shape;
    }
    return nullptr;
}

void Canvas::compositionWasEditedInRect(const pf::Rect& rect)
{
    setNeedsDisplayInCompositionRect(rect);
    const auto page = composition();
    pf::UndoManager* undo = page ? page->undoManager() : nullptr;
    Manipulator* m = manipulator_.get();
    // Undo puts the shapes back, never the selection, which would keep the frame of the undone drag.
    if (!m || m->isEmpty() || !undo || !(undo->isUndoing() || undo->isRedoing()))
        return;
    // A shape that undo took off the page leaves the selection with it.
    Shapes kept;
    for (const auto& child : m->children())
        if (child->composition() == page.get())
            kept.push_back(child);
    if (kept.size() != m->children().size() && !refittingSelection_) {
        const QScopedValueRollback refitting(refittingSelection_, true);
        removeManipulator();
        addShapesToSelection(kept);
        return;
    }
    // The refit is an edit itself and comes back here.
    if (refittingSelection_ || m->frame() == m->childrenFrame())
        return;
    const QScopedValueRollback refitting(refittingSelection_, true);
    const pf::Rect before = m->dirtyRect();
    m->sizeToFitChildren();
    m->childrenChanged();
    setNeedsDisplayInCompositionRect(QVCombineRects(before, m->dirtyRect()));
}
