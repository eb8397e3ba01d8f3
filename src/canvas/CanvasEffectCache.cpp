#include "canvas/CanvasEffectCache.h"

#include "model/Composition.h"
#include "model/Parent.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PainterContext.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// A picture wider or taller than this, or larger than half the budget, is not kept: a shape that
// large at this zoom covers much of the screen, and its picture would push out many others.
constexpr double largestPictureSide = 8192;

// What one content filter costs per pixel against a blur radius of one pixel: the filtered content is kept
// by the shape, but it is drawn under a shadow and through a layer.
constexpr double filterCost = 4;

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool showsShadow(bool hidden, const pf::OptionalColor& colour)
{
    return !hidden && colour && colour->alpha > 0;
}

} // namespace

void CanvasEffectCache::setBudget(std::size_t bytes)
{
    budget_ = bytes;
    fitBudget();
}

void CanvasEffectCache::clear()
{
    entries_.clear();
    bytes_ = 0;
}

double CanvasEffectCache::effectCost(const Shape& shape, double scale)
{
    if (shape.isHidden())
        return 0;
    double cost = 0;
    if (shape.isGroup())
        for (const auto& child : static_cast<const Parent&>(shape).children())
            if (child)
                cost += effectCost(*child, scale);
    if (shape.hasContentFilters())
        cost += filterCost * double(std::count_if(shape.contentFilterSpecs().begin(), shape.contentFilterSpecs().end(),
                                                  [](const auto& spec) { return spec && spec->enabled(); }));
    // Shadows show on screen only between 100 % and 200 % (as the shapes install them).
    if (scale < 1.0 || scale > 2.0)
        return cost;
    const auto blur = [&](double radius) { return 1.0 + std::fabs(radius) * scale; };
    if (showsShadow(shape.fillShadowHidden(), shape.fillShadowColor()))
        cost += blur(shape.fillShadowBlur());
    if (shape.strokeType() != 3 && shape.strokeLineWidth() >= 1.0
        && showsShadow(shape.strokeShadowHidden(), shape.strokeShadowColor()))
        cost += blur(shape.strokeShadowBlur());
    if (shape.hasText() && showsShadow(shape.textShadowHidden(), shape.textShadowColor()))
        cost += blur(shape.textShadowBlur());
    return cost;
}

bool CanvasEffectCache::wantsPicture(const Shape& shape, double scale)
{
    // Handles, rubber bands and connection targets come and go without the shape's stamp changing.
    if (shape.isManipulator() || shape.isLasso() || shape.provisionalConnection())
        return false;
    // A selected or snapped shape draws its halo under the picture of its look. Not a kind whose look is
    // more than its frame's: a selected loupe shows what lies beneath afresh at each paint, and a group's
    // halo lies over its children.
    if ((shape.isSelected() || shape.isSnapped()) && !shape.drawingMovesWithFrame())
        return false;
    return effectCost(shape, scale) > 0;
}

// ---- frames ----

void CanvasEffectCache::beginFrame(const pf::GraphicsContext& context, const Composition& page, double devicePixelRatio)
{
    // Another page: its shapes are others (and the old ones' addresses may come back).
    if (lastPage_ && lastPage_ != &page)
        clear();
    page_ = lastPage_ = &page;
    devicePixelRatio_ = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    ++frame_;
    place(context);
}

void CanvasEffectCache::endFrame() { page_ = nullptr; }

void CanvasEffectCache::place(const pf::GraphicsContext& context)
{
    Placement& p = placement_;
    p = {};
    p.pageToDevice = context.getCTM();
    const pf::AffineTransform& m = p.pageToDevice;
    // Pictures are put back pixel for pixel: only an upright, unturned, equally scaled page (the canvas's).
    if (m.b != 0 || m.c != 0 || !(m.a > 0) || m.a != m.d || !std::isfinite(m.tx) || !std::isfinite(m.ty))
        return;
    p.baseScale = context.baseScale();
    // A context at base scale 1 on a dense screen is drawn by a painter that scales again: pictures are
    // made at the screen's pixels. A context that is itself dense needs nothing more.
    p.ratio = std::max(1.0, devicePixelRatio_ / p.baseScale);
    p.scale = m.a * p.ratio;
    const double limit = double(std::numeric_limits<std::int64_t>::max() / (4 * phaseSteps));
    const double ox = m.tx * p.ratio, oy = m.ty * p.ratio;
    if (std::fabs(ox) > limit || std::fabs(oy) > limit)
        return;
    // Whole pixels and a phase kept in steps: a pan that moves the page by whole pixels finds the same
    // phase again despite rounding.
    const std::int64_t qx = std::llround(ox * double(phaseSteps)), qy = std::llround(oy * double(phaseSteps));
    p.wholeX = floorDiv(qx, phaseSteps);
    p.wholeY = floorDiv(qy, phaseSteps);
    p.phaseX = qx - p.wholeX * phaseSteps;
    p.phaseY = qy - p.wholeY * phaseSteps;
    p.valid = true;
}

CanvasEffectCache::Key CanvasEffectCache::keyFor(const Shape& shape) const
{
    Key key;
    key.stamp = shape.lookStamp();
    key.size = shape.frame().size;
    key.angle = shape.rotationAngle();
    key.scale = placement_.scale;
    key.ratio = placement_.ratio;
    key.phaseX = placement_.phaseX;
    key.phaseY = placement_.phaseY;
    return key;
}

bool CanvasEffectCache::follow(Entry& entry, const Shape& shape) const
{
    const pf::Rect& frame = shape.frame();
    const double dx = frame.x() - entry.frame.x(), dy = frame.y() - entry.frame.y();
    if (dx == 0 && dy == 0)
        return shape.dirtyRect() == entry.dirtyRect;
    // Whole points, and as many whole pixels of the picture: anything the shape rounds to points or the
    // painter to pixels falls the same way there.
    const double px = dx * placement_.scale, py = dy * placement_.scale;
    constexpr double largest = 1e15; // well inside the integers a double holds exactly
    const auto whole = [](double v) { return std::fabs(v) < largest && v == std::round(v); };
    if (!whole(dx) || !whole(dy) || !whole(px) || !whole(py))
        return false;
    // And the picture a fresh drawing would make lies just there, as large (a turned outline's bounds
    // move by the last bit of a double).
    const Pixels now = pixelsAbout(shape.paintBounds());
    const pf::Size size = entry.picture.size();
    if (now.x0 != double(entry.left) + px || now.y0 != double(entry.top) + py || now.x1 - now.x0 != size.width
        || now.y1 - now.y0 != size.height)
        return false;
    entry.frame = frame;
    entry.dirtyRect = shape.dirtyRect();
    entry.left += std::int64_t(px);
    entry.top += std::int64_t(py);
    return true;
}

bool CanvasEffectCache::drawShape(pf::GraphicsContext& context, Shape& shape, const pf::Rect&)
{
    if (!enabled_ || !page_)
        return false;
    if (context.getCTM() != placement_.pageToDevice)
        place(context);
    auto it = entries_.find(&shape);
    if (!placement_.valid || !wantsPicture(shape, shape.currentScale())) {
        // One that lost its shadows, or became a selected group or loupe, gives its picture up.
        if (it != entries_.end())
            drop(it);
        return false;
    }
    const Key key = keyFor(shape);
    if (it != entries_.end()) {
        if (it->second.key == key && follow(it->second, shape)) {
            it->second.lastUse = frame_;
            ++stats_.reused;
            shape.drawHaloInContext(context);
            draw(context, it->second);
            return true;
        }
        drop(it);
    }
    Entry entry;
    entry.key = key;
    entry.frame = shape.frame();
    entry.dirtyRect = shape.dirtyRect();
    if (!build(shape, entry))
        return false;
    entry.lastUse = frame_;
    shape.drawHaloInContext(context);
    draw(context, entry);
    bytes_ += entry.bytes;
    entries_.emplace(&shape, std::move(entry));
    return true;
}

bool CanvasEffectCache::build(Shape& shape, Entry& entry)
{
    const Placement& p = placement_;
    const pf::Rect bounds = shape.paintBounds();
    if (!std::isfinite(bounds.minX()) || !std::isfinite(bounds.maxX()) || !std::isfinite(bounds.minY())
        || !std::isfinite(bounds.maxY()))
        return false;
    // The picture covers the whole pixels of its grid (the page's, moved by the phase) that the shape may
    // paint.
    const double phaseX = double(p.phaseX) / double(phaseSteps), phaseY = double(p.phaseY) / double(phaseSteps);
    const auto [x0, y0, x1, y1] = pixelsAbout(bounds);
    const double width = x1 - x0, height = y1 - y0;
    if (!(width > 0 && height > 0) || width > largestPictureSide || height > largestPictureSide)
        return false;
    entry.bytes = std::size_t(width) * std::size_t(height) * 4;
    entry.cost = double(entry.bytes) * effectCost(shape, shape.currentScale());
    if (entry.bytes > budget_ / 2 || !makeRoom(entry.bytes, entry.cost)) {
        ++stats_.refused;
        return false;
    }
    entry.left = std::int64_t(x0);
    entry.top = std::int64_t(y0);

    // Drawn as on the screen, at the screen's density: the shadows' blur and offsets follow the base scale
    // (on a dense screen twice as many pixels as on a plain one, as where the shape draws itself).
    const double base = p.baseScale * p.ratio;
    pf::BitmapContext picture(pf::Size(width / base, height / base), base, true, true, base);
    picture.translate((phaseX - x0) / base, (phaseY - y0) / base);
    picture.scale(p.scale / base, p.scale / base);
    shape.drawLookInContextDirtyRect(picture, bounds);
    const QImage bitmap = picture.bitmap();
    if (bitmap.isNull() || bitmap.width() != int(width) || bitmap.height() != int(height))
        return false;
    entry.picture = pf::Image(bitmap, pf::Size(width, height));
    ++stats_.built;
    return true;
}

CanvasEffectCache::Pixels CanvasEffectCache::pixelsAbout(const pf::Rect& bounds) const
{
    const Placement& p = placement_;
    const double phaseX = double(p.phaseX) / double(phaseSteps), phaseY = double(p.phaseY) / double(phaseSteps);
    return {std::floor(bounds.minX() * p.scale + phaseX), std::floor(bounds.minY() * p.scale + phaseY),
            std::ceil(bounds.maxX() * p.scale + phaseX), std::ceil(bounds.maxY() * p.scale + phaseY)};
}

void CanvasEffectCache::draw(pf::GraphicsContext& context, const Entry& entry) const
{
    const Placement& p = placement_;
    const pf::Size size = entry.picture.size();
    // The picture's pixels in device units, then back in page points: the context maps them onto whole
    // pixels again, one for one.
    const pf::Rect device(double(p.wholeX + entry.left) / p.ratio, double(p.wholeY + entry.top) / p.ratio,
                          size.width / p.ratio, size.height / p.ratio);
    const pf::AffineTransform& m = p.pageToDevice;
    const pf::Rect onPage((device.x() - m.tx) / m.a, (device.y() - m.ty) / m.d, device.width() / m.a,
                          device.height() / m.d);
    context.drawImage(entry.picture, onPage);
}

// ---- the budget ----

void CanvasEffectCache::drop(std::unordered_map<const Shape*, Entry>::iterator it)
{
    bytes_ -= it->second.bytes;
    entries_.erase(it);
}

bool CanvasEffectCache::makeRoom(std::size_t bytes, double cost)
{
    if (bytes > budget_)
        return false;
    if (bytes_ + bytes <= budget_)
        return true;
    // The cheapest first; among equals the one used longest ago.
    std::vector<std::unordered_map<const Shape*, Entry>::iterator> cheaper;
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->second.cost < cost)
            cheaper.push_back(it);
    std::sort(cheaper.begin(), cheaper.end(), [](const auto& a, const auto& b) {
        return a->second.cost != b->second.cost ? a->second.cost < b->second.cost
                                                : a->second.lastUse < b->second.lastUse;
    });
    std::size_t freed = 0;
    std::size_t needed = bytes_ + bytes - budget_;
    std::size_t count = 0;
    while (count < cheaper.size() && freed < needed)
        freed += cheaper[count++]->second.bytes;
    if (freed < needed)
        return false;
    for (std::size_t i = 0; i < count; ++i)
        drop(cheaper[i]);
    stats_.evicted += count;
    return true;
}

void CanvasEffectCache::fitBudget()
{
    if (bytes_ <= budget_)
        return;
    std::vector<std::unordered_map<const Shape*, Entry>::iterator> all;
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        all.push_back(it);
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a->second.cost != b->second.cost ? a->second.cost < b->second.cost
                                                : a->second.lastUse < b->second.lastUse;
    });
    for (std::size_t i = 0; i < all.size() && bytes_ > budget_; ++i) {
        drop(all[i]);
        ++stats_.evicted;
    }
}
