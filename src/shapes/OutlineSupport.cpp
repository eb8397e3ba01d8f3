#include "shapes/OutlineSupport.h"

#include "model/StickyDefaults.h"
#include "platform/graphics/GraphicsContext.h"


namespace outline {

namespace {

const QString& ratioKey(Ratio ratio)
{
    static const QString x = QStringLiteral("adjustmentRatioX");
    static const QString y = QStringLiteral("adjustmentRatioY");
    return ratio == RatioX ? x : y;
}

} // namespace

void takeStickyRatios(Shape& shape)
{
    const auto* info = dynamic_cast<const CatalogueInfo*>(&shape.shapeClass());
    if (!info)
        return;
    const unsigned ratios = info->catalogue().stickyRatios;
    const ShapeClass& kind = shape.shapeClass();
    // The ratio keys are never read from the user's level; set directly, nothing is written there either.
    if (ratios & RatioX)
        shape.initAdjustmentRatioX(kind.stickyDoubleForKey(ratioKey(RatioX)));
    if (ratios & RatioY)
        shape.initAdjustmentRatioY(kind.stickyDoubleForKey(ratioKey(RatioY)));
}

pf::Value plistWithStickyRatios(const ShapeClass& kind, pf::Value plist, unsigned ratios)
{
    for (Ratio ratio : {RatioX, RatioY})
        if (ratios & ratio)
            if (pf::Value value = kind.stickyObjectForKey(ratioKey(ratio)); !value.isNull())
                plist.set(ratioKey(ratio), value);
    return plist;
}

void appendPolyline(pf::Path& path, std::initializer_list<pf::Point> points)
{
    // A path of one polyline (or polygon, closed after) is built at its size at once.
    if (path.isEmpty())
        path.reserve(int(points.size()) + 1);
    bool first = true;
    for (const pf::Point& p : points) {
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
}

void appendPolygon(pf::Path& path, std::initializer_list<pf::Point> points)
{
    appendPolyline(path, points);
    path.close();
}

void appendDesign(pf::Path& path, const Design& design, const pf::Rect& frame)
{
    pf::Path figure;
    figure.moveTo(design.start);
    for (const DesignStep& step : design.steps) {
        if (step.kind == DesignStep::Line)
            figure.lineTo(step.end);
        else
            figure.curveTo(step.c1, step.c2, step.end);
    }
    figure.close();
    figure.transform(pf::AffineTransform::scale(frame.width() / design.box.width, frame.height() / design.box.height)
                         .concat(pf::AffineTransform::translation(frame.x(), frame.y())));
    path.append(figure);
}

pf::Path rotated(const Shape& shape, pf::Path path)
{
    if (shape.rotationAngle() != 0)
        path.transform(shape.rotationTransform(shape.rotationAngle()));
    return path;
}

void strokeInnerLines(const Shape& shape, pf::GraphicsContext& context, const pf::Path& lines)
{
    if (shape.isHidden() || shape.strokeType() == 3 || !(shape.strokeLineWidth() >= 1.0) || !shape.strokeColor())
        return;
    context.saveGState();
    shape.drawStrokeInContextColorPathLineWidth(context, *shape.strokeColor(), lines, shape.strokeLineWidth());
    context.restoreGState();
}

void clipOut(pf::GraphicsContext& context, const pf::Path& area)
{
    pf::Path everythingBut = pf::Path::rect(pf::Rect(-32767, -32767, 65535, 65535));
    everythingBut.append(area);
    context.clip(everythingBut, pf::WindingRule::EvenOdd);
}

} // namespace outline
