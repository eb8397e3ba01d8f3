// The content image, the filter chain and the image layer of Shape.
#include "model/Shape.h"
#include "model/UserDefaults.h"
#include "platform/filters/ImageFilter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PainterContext.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>

namespace {

// Every draw of a filtered shape logs its rects: debug only, off unless asked for.
Q_LOGGING_CATEGORY(lcShapeImage, "quorvel.model.shape.image", QtInfoMsg)

// The off-screen square of a very large shape is filtered at fewer pixels than points, so a filter never
// needs more than about 36 MB a bitmap.
constexpr double maxFilterPixels = 3072.0 * 3072.0;

} // namespace

// ---- caches ----

void Shape::update()
{
    updateContentImage();
    updateContentFilters();
    setNeedsDisplay();
}

void Shape::updateContentImage()
{
    if (contentImage_.isNull())
        return;
    contentImage_ = pf::Image();
    updateFilteredContentImage();
}

void Shape::updateContentFilters()
{
    if (!contentFilters_)
        return;
    contentFilters_.reset();
    updateFilteredContentImage();
}

void Shape::updateFilteredContentImage()
{
    if (filteredContentImage_.isNull())
        return;
    filteredContentImage_ = pf::Image();
    setNeedsDisplay();
}

// ---- content ----

pf::Rect Shape::contentRect() const { return QVRectGetNormalizedRect(frame_); }

pf::Size Shape::offscreenImageSize() const
{
    const pf::Rect r = contentRect();
    const double side = 1.5 * std::max(r.width(), r.height());
    return {side, side};
}

pf::Rect Shape::offscreenImageRect() const
{
    const pf::Size size = filteredContentImage_.isNull() ? offscreenImageSize() : filteredContentImage_.size();
    return QVRectAroundPoint(center(), size.width, size.height);
}

const pf::Image& Shape::contentImage() const
{
    if (!contentImage_.isNull())
        return contentImage_;
    const double halfStroke = strokeLineWidth_ * 0.5;
    const pf::Rect r = QVRectOutset(contentRect(), halfStroke, halfStroke);
    // The image may outlive a draw (callers copy it): it holds the shape weakly and draws nothing once the
    // shape is gone.
    std::weak_ptr<const pf::Object> weak = weak_from_this();
    contentImage_ = pf::Image::withDrawingHandler(r.size, [weak, r](pf::GraphicsContext& context, const pf::Rect&) {
        const auto object = weak.lock();
        if (!object)
            return false;
        auto& shape = const_cast<Shape&>(static_cast<const Shape&>(*object));
        context.translate(-r.x(), -r.y());
        shape.rotateInContext(context, true);
        shape.drawContentInContextDirtyRect(context, shape.dirtyRect());
        return true;
    });
    return contentImage_;
}

std::vector<Shape::FilterSpecValues> Shape::filterSpecValues() const
{
    std::vector<FilterSpecValues> values;
    values.reserve(contentFilterSpecs_.size());
    for (const auto& spec : contentFilterSpecs_)
        if (spec)
            values.push_back({spec->enabled(), spec->type(), spec->sliderValue()});
    return values;
}

const Shape::ContentFilters& Shape::contentFilters() const
{
    std::vector<FilterSpecValues> specs = filterSpecValues();
    if (contentFilters_ && specs == contentFiltersMadeFrom_)
        return *contentFilters_;
    if (contentFilters_) {
        // A spec was edited in place: the filtered picture is stale too.
        contentFilters_.reset();
        filteredContentImage_ = pf::Image();
    }
    contentFiltersMadeFrom_ = std::move(specs);
    ContentFilters filters;
    for (const auto& spec : contentFilterSpecs_) {
        if (!spec || !spec->enabled())
            continue;
        const QString name = spec->name();
        std::unique_ptr<pf::ImageFilter> filter = pf::ImageFilter::withName(name);
        if (!filter)
            continue;  // a filter we do not have (or "none") is skipped
        if (filters.empty())
            filters.reserve(size_t(std::max<std::int64_t>(UserDefaults::instance().maxFiltersPerObject(), 1)));
        filter->setDefaults();
        filter->setName(name);
        const QString key = spec->sliderKey();
        if (!key.isEmpty() && filter->inputKeys().contains(key))
            filter->setValue(key, spec->sliderValue() / spec->sliderValueMultiple());
        filters.push_back(std::move(filter));
    }
    contentFilters_ = std::move(filters);
    return *contentFilters_;
}

// Most shapes have no filter specs: asked first, without building the chain.
bool Shape::hasContentFilters() const { return !contentFilterSpecs_.empty() && !contentFilters().empty(); }

const pf::Image& Shape::filteredContentImage() const
{
    const pf::Rect content = contentRect();
    if (!(content.width() > 0 && content.height() > 0) || contentFilters().empty())
        return contentImage();
    if (!filteredContentImage_.isNull())
        return filteredContentImage_;
    filteredContentImage_ = filteredContentImageAtScale(1.0);
    return filteredContentImage_;
}

pf::Image Shape::filteredContentImageAtScale(double pixelsPerPoint) const
{
    const pf::Size square = offscreenImageSize();
    const double scale =
        std::min(std::max(pixelsPerPoint, 0.0), std::sqrt(maxFilterPixels / (square.width * square.height)));
    // A frame so large (stored data may hold one) that the square has no pixel left: drawn unfiltered.
    if (!(square.width * scale >= 1.0))
        return contentImage();
    const pf::Image& unfiltered = contentImage();
    pf::BitmapContext context(square, scale, true);
    {
        pf::CurrentContext current(context);
        const pf::Size size = unfiltered.size();
        const pf::Rect dest((square.width - size.width) / 2, (square.height - size.height) / 2, size.width, size.height);
        drawImageInRectFromRect(context, unfiltered, dest, pf::Rect(0, 0, size.width, size.height));
    }
    QImage pixels = context.bitmap();
    const pf::Point middle(square.width / 2, square.height / 2);
    for (const auto& filter : contentFilters()) {
        if (filter->inputKeys().contains(pf::kInputCenterKey))
            filter->setValue(pf::kInputCenterKey, middle);
        filter->setPixelScale(scale);
        filter->setInputImage(pixels);
        pixels = filter->outputImage();
        filter->setInputImage(QImage());  // the chain keeps no bitmaps between draws
    }
    return pf::Image(pixels, square);
}

// ---- drawing ----

void Shape::drawImageInRectFromRect(pf::GraphicsContext& context, const pf::Image& image, const pf::Rect& dest,
                                    const pf::Rect& source) const
{
    qCDebug(lcShapeImage, "%s: s:%s, d:%s", qUtf8Printable(imageIdentifier_), qUtf8Printable(pf::toString(source)),
            qUtf8Printable(pf::toString(dest)));
    // The shape's opacity is already the context's alpha (drawInContextDirtyRect): applying it again
    // here would fade a filtered shape more than the same shape unfiltered.
    pf::SavedGState saved(context);
    context.setInterpolationQuality(pf::InterpolationQuality::Low);
    context.drawImage(image, dest, source);
}

void Shape::drawFilteredContentInContext(pf::GraphicsContext& context)
{
    {
        pf::SavedGState saved(context);
        // One shadow under the whole filtered picture.
        if (isPointer() && !strokeShadowHidden_)
            setStrokeShadowInContext(context);
        else if (!fillShadowHidden_)
            setFillShadowInContext(context);
        rotateInContext(context);
        if (isStrokeEven())
            context.translate(0.5, 0.5);
        // An export denser than a pixel a point filters again at its own density (not kept: exports are
        // one-off), so a zoomed export does not enlarge a picture filtered for the screen. A loupe's
        // magnification is not density: under a loupe the picture is magnified as on screen, and a page of
        // loupes does not filter every shape beneath them again at up to thousands of pixels a point.
        const double density = std::sqrt(std::abs(context.getCTM().a * context.getCTM().d -
                                                   context.getCTM().b * context.getCTM().c));
        pf::Image exported;
        if (pageIsExporting() && !pageIsDrawingLoupe() && density > 1.0 + 1e-9 && !contentFilters().empty() &&
            contentRect().width() > 0 && contentRect().height() > 0)
            exported = filteredContentImageAtScale(density);
        const pf::Image& filtered = exported.isNull() ? filteredContentImage() : exported;
        const pf::Size size = filtered.size();
        const pf::Rect content = contentRect();
        const pf::Point middle(content.midX(), content.midY());
        drawImageInRectFromRect(context, filtered, QVRectAroundPoint(middle, size.width, size.height),
                                pf::Rect(0, 0, size.width, size.height));
    }
}

void Shape::drawImageInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    if (hidden_)
        return;
    const pf::Image& picture = image();
    if (!picture.isValid())
        return;
    const double w = picture.size().width;
    const double h = picture.size().height;
    const pf::Path& clip = imageClipPath();
    const pf::Rect target =
        clip.isEmpty() ? pf::Rect::zero()
                       : QVRectGetNormalizedRect(clip.transformed(rotationTransform(-(rotationAngle_ % 360))).bounds());
    // Images are shared between copies of a shape and never resized: scaling draws into the target, so a
    // copy that does not scale keeps drawing at the natural size.
    pf::Rect rect = target;
    if (!scaleImage_) {
        const pf::Point c = center();
        rect = QVRectAroundPoint(pf::Point(c.x + (imageAnchorRatio_.x - 0.5) * w, c.y + (imageAnchorRatio_.y - 0.5) * h), w,
                                 h);
    }
    pf::SavedGState saved(context);
    if (!clip.isEmpty())
        context.clip(clip);
    context.setInterpolationQuality(pageIsExporting() ? shapeClass().exportImageHints() : shapeClass().drawImageHints());
    rotateInContext(context);
    // The picture is drawn as Quartz draws an image (top row at the rect's maxY): flipped back upright
    // for a frame of positive height, left upside down for a negative one, mirrored for a negative width.
    pf::AffineTransform flip;
    if (frame_.height() >= 0)
        flip = flip.translated(0, h).scaled(1, -1);
    if (frame_.width() < 0)
        flip = flip.translated(w, 0).scaled(-1, 1);
    context.concat(flip);
    pf::Rect dest = flip.apply(rect);
    dest.origin = QVPointRoundPlusHalf(dest.origin);
    context.drawImage(picture, dest, {}, pf::BlendMode::Normal, 1.0, false);
}

void Shape::sizeToFitImage(bool halve)
{
    const pf::Image& picture = image();
    if (picture.isNull())
        return;
    pf::Size size = picture.size();
    if (halve && scaleImage_)
        size = pf::Size(std::floor(size.width * 0.5), std::floor(size.height * 0.5));
    setFrame(QVRectSetAnchor(center(), QVRectCornerMidMid, pf::Rect(0, 0, size.width, size.height)));
}
