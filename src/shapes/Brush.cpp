#include "shapes/Brush.h"

#include "geometry/QVRect.h"
#include "model/PropertyListResource.h"
#include "shapes/OutlineSupport.h"
#include "shapes/PathData.h"

#include "platform/foundation/ClassRegistry.h"

#include <QLoggingCategory>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

Q_LOGGING_CATEGORY(lcBrush, "quorvel.shapes.brush")

const QString pathDataKey = QStringLiteral("pathData");

std::atomic<bool> samplesEnabled{true};

// The library icon: a paint brush in a 32-point box, drawn with its handle to the upper right and shown
// mirrored.
pf::Image brushIcon(const pf::Color& strokeColor)
{
    struct Part {
        pf::Path outline;
        pf::Point from, to;
        pf::Gradient gradient;
    };
    const auto grey = [](double g) { return pf::Color(g, g, g, 1); };
    const pf::Color white = grey(1);
    const auto p = [](double x, double y) { return pf::Point(x, y); };

    // The handle and the ferrule share the brush's upper end and its right side.
    const auto upperPart = [&p](const auto& middle) {
        pf::Path path;
        path.moveTo(p(30.5, 1));
        path.lineTo(p(29, 1));
        path.curveTo(p(29, 1), p(21.5, 4.5), p(17, 9.5));
        middle(path);
        path.curveTo(p(27.5, 10), p(30.5, 2.5), p(30.5, 2.5));
        path.lineTo(p(30.5, 1));
        path.close();
        return path;
    };
    const pf::Path handle = upperPart([&p](pf::Path& path) {
        path.curveTo(p(12.5, 14.5), p(10.5, 21), p(10.5, 21));
        path.lineTo(p(12.5, 22.5));
        path.curveTo(p(12.5, 22.5), p(19.5, 20), p(23.5, 15));
    });
    const pf::Path ferrule = upperPart([&p](pf::Path& path) {
        path.curveTo(p(16, 10.5), p(16, 11), p(16, 11));
        path.curveTo(p(16, 14), p(18, 17), p(21.5, 17));
        path.curveTo(p(21.5, 17), p(22, 17), p(23.5, 15));
    });

    pf::Path tip;
    tip.moveTo(p(10.5, 21.5));
    tip.curveTo(p(10.5, 21.5), p(8, 21), p(6, 23));
    tip.curveTo(p(4, 25), p(7.5, 28.5), p(1, 29.5));
    tip.curveTo(p(5.5, 31.5), p(10, 29.5), p(11.5, 27.5));
    tip.curveTo(p(13, 25.5), p(12, 22.5), p(12, 22.5));
    tip.lineTo(p(10.5, 21.5));
    tip.close();

    const Part parts[] = {
        {handle, p(10.5, 11.75), p(30.5, 11.75), pf::Gradient(white, grey(0.84))},
        {ferrule, p(16, 9), p(30.5, 9), pf::Gradient(grey(0.7), white)},
        {tip, p(1, 26), p(12.5, 26), pf::Gradient(grey(0.28), white)},
    };
    return pf::Image::drawn(pf::Size(32, 32), 2.0, [&](pf::GraphicsContext& context) {
        // Mirrored: the handle ends up at the upper left.
        context.translate(32, 0);
        context.scale(-1, 1);
        for (const Part& part : parts) {
            context.saveGState();
            context.clip(part.outline);
            context.drawLinearGradient(part.gradient, part.from, part.to, pf::DrawsBeforeStart | pf::DrawsAfterEnd);
            context.restoreGState();
            context.setStrokeColor(strokeColor);
            context.strokePath(part.outline);
        }
    });
}

class BrushClass : public outline::CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    const QStringList& facetClassNames() const override
    {
        static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"),
                                       QStringLiteral("GeometryNoConstrainNoRotationFacet"),
                                       QStringLiteral("FillFacet"),    QStringLiteral("StrokeFacet"),
                                       QStringLiteral("TextFacet"),    QStringLiteral("ImageFacet")};
        return names;
    }
    // A family of its own: a brush's style is not a box's.
    QString stickyPhylumName() const override { return stickyTypeName(); }
    pf::Image iconImage() const override
    {
        static const pf::Image icon = brushIcon(libraryListItemShapeStrokeColor());
        return icon;
    }
};

// The resource's sample, read and decoded once per thread (a path keeps its painting forms, made on
// first paint).
const pf::Path& samplePath()
{
    thread_local const pf::Path sample = Brush::samplePathFromResource(propertyListResource(QStringLiteral("Brush")));
    return sample;
}

} // namespace

const ShapeClass& Brush::staticClass()
{
    static const BrushClass c(QStringLiteral("Brush"), &Shape::staticClass(), &Shape::allocate<Brush>,
                              outline::Catalogue{"Brush (B)", "Brush", "A Brush", "brush draw freestyle",
                                                 "BrushManipulator"});
    return c;
}

void registerBrushShapes(pf::ClassRegistry& registry)
{
    registry.add(Brush::staticClass());
}

// ---- creation ----

bool Brush::loadsSamplePath()
{
    return samplesEnabled.load(std::memory_order_relaxed);
}

void Brush::setLoadsSamplePath(bool loads)
{
    samplesEnabled.store(loads, std::memory_order_relaxed);
}

pf::Path Brush::samplePathFromResource(const std::optional<pf::Value>& resource)
{
    if (!resource)
        return {};
    QString error;
    std::optional<pf::Path> path = pathdata::decode(resource->dataForKey(pathDataKey), &error);
    if (!path) {
        qCWarning(lcBrush, "Brush: the sample path does not decode (%s); brushes start empty", qUtf8Printable(error));
        return {};
    }
    return std::move(*path);
}

void Brush::initWithFrame(const pf::Rect& frame)
{
    initWithFrameFromFile(frame, loadsSamplePath());
}

void Brush::initWithFrameFromFile(const pf::Rect& frame, bool fromFile)
{
    Shape::initWithFrame(frame);
    if (!fromFile)
        return;
    const pf::Path& sample = samplePath();
    if (sample.isEmpty())
        return;
    stroke_ = sample;
    rebuildPath();
    regeneratePathWithOldFrame(sample.bounds());
}

// ---- the path and the frame ----

void Brush::setPath(pf::Path path)
{
    setNeedsDisplay();
    stroke_ = std::move(path);
    rebuildPath();
    setDirtyRectFlag();
    setNeedsDisplay();
}

void Brush::rebuildPath()
{
    Shape::regeneratePathWithOldFrame(frame());
    hitOutline_.reset();
}

void Brush::appendPath(pf::Path& path) const
{
    path.append(stroke_);
    // The fill and the hit test follow the stroke's own rule.
    path.setWindingRule(stroke_.windingRule());
}

void Brush::setRotationAngle(std::int64_t degrees)
{
    (void)degrees;
}

bool Brush::isValidFrame(const pf::Rect& frame) const
{
    return QVRectIsValidNotZeroSize(frame);
}

void Brush::regeneratePathWithOldFrame(const pf::Rect& oldFrame)
{
    const pf::Rect& f = frame();
    if (preventAppendPath_ || !QVRectIsValidNotZeroSize(f) || !QVRectIsValidNotZeroSize(oldFrame))
        return;
    const double dx = f.x() - oldFrame.x();
    const double dy = f.y() - oldFrame.y();
    if (std::fabs(dx) >= 1 || std::fabs(dy) >= 1)
        stroke_.transform(pf::AffineTransform::translation(dx, dy));
    if (std::fabs(f.width() - oldFrame.width()) >= 1 || std::fabs(f.height() - oldFrame.height()) >= 1) {
        const pf::AffineTransform scale = pf::AffineTransform::scale(f.width() / oldFrame.width(),
                                                                     f.height() / oldFrame.height());
        stroke_.transform(pf::AffineTransform::translation(-f.x(), -f.y())
                              .concat(scale)
                              .concat(pf::AffineTransform::translation(f.x(), f.y())));
    }
    rebuildPath();
}

void Brush::endDrag(const pf::Event& event)
{
    // The drag fitted the path at every step; the one frame change of the drag must not fit it again.
    preventAppendPath_ = true;
    Shape::endDrag(event);
    preventAppendPath_ = false;
}

// ---- hit testing ----

const pf::Path& Brush::intersectionPath() const
{
    const double width = strokeLineWidth() + 10.0 / currentScale();
    if (!hitOutline_ || hitOutline_->width != width || hitOutline_->cap != strokeLineCap()
        || hitOutline_->join != strokeLineJoin()) {
        // The stroke as drawn: open ends stay open (a closed copy would make the closing chord hit).
        const pf::Path outline =
            path().strokedOutline(width, static_cast<pf::LineCap>(std::clamp(strokeLineCap(), 0, 2)),
                                  static_cast<pf::LineJoin>(std::clamp(strokeLineJoin(), 0, 2)), 0);
        hitOutline_ = HitOutline{outline, width, strokeLineCap(), strokeLineJoin()};
    }
    return hitOutline_->path;
}

bool Brush::containsPoint(const pf::Point& point) const
{
    if (isHidden() || !QVRectIsValidNotZeroSize(frame()))
        return false;
    if (fillType() != 5 && path().containsPoint(point))
        return true;
    return intersectionPath().containsPoint(point, pf::WindingRule::NonZero);
}

// ---- copy and stored form ----

void Brush::copyFrom(const Shape& source)
{
    Shape::copyFrom(source);
    stroke_ = static_cast<const Brush&>(source).stroke_;
    rebuildPath();
}

pf::Value Brush::asPlist() const
{
    pf::Value plist = Shape::asPlist();
    const QByteArray data = pathdata::encode(stroke_);
    if (!data.isEmpty())
        plist.set(pathDataKey, data);
    return plist;
}

void Brush::readPlist(const pf::Value& plist)
{
    Shape::readPlist(plist);
    const pf::Value& stored = plist.objectForKey(pathDataKey);
    if (stored.isNull())
        return;
    // A stored path that does not read is dropped whole: the brush is empty rather than partly drawn or
    // showing the sample in its place.
    QString error = QStringLiteral("not data");
    std::optional<pf::Path> path = stored.isData() ? pathdata::decode(stored.asData(), &error) : std::nullopt;
    if (!path)
        qCWarning(lcBrush, "Brush: the stored path is unreadable (%s); the brush is empty", qUtf8Printable(error));
    stroke_ = path ? std::move(*path) : pf::Path();
    rebuildPath();
}
