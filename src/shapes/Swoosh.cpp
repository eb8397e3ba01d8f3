#include "shapes/Swoosh.h"

#include "geometry/QVRect.h"

#include <cmath>

namespace {

class SwooshClass : public outline::CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    // A shallower wave, sized at the default frame and then stretched to the preview.
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        auto shape = CatalogueClass<>::libraryListItemShapeWithFrame(defaultFrameForPointZoomScale(pf::Point(0, 0), 1.0));
        static_cast<Swoosh&>(*shape).setSwooshHeight(0.5);
        shape->setFrame(frame);
        return shape;
    }
};

} // namespace

const ShapeClass& Swoosh::staticClass()
{
    static const SwooshClass c(QStringLiteral("Swoosh"), &Shape::staticClass(), &Shape::allocate<Swoosh>,
                               outline::Catalogue{"Swoosh", "Swoosh", "A Swoosh.", "box curve cury swoosh"});
    return c;
}

double Swoosh::currentSwooshHeight() const
{
    const double h = frame().height();
    const double depth = std::sqrt(std::fabs(h)) * swooshHeight();
    if (std::isnan(depth))
        return 0;
    return h < 0 ? -depth : depth;
}

void Swoosh::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    const double x = f.x(), y = f.y(), w = f.width();
    const double d = currentSwooshHeight();
    const double b = y + f.height() - d;
    const auto at = [x, w](double u, double v) { return QVPointRound(pf::Point(x + u * w, v)); };
    path.moveTo(at(0, y));
    path.lineTo(at(1, y));
    path.lineTo(at(1, b));
    path.curveTo(at(1, b), at(0.875, b - d), at(0.75, b - d));
    path.curveTo(at(0.625, b - d), at(0.5, b), at(0.5, b));
    path.curveTo(at(0.5, b), at(0.375, b + d), at(0.25, b + d));
    path.curveTo(at(0.125, b + d), at(0, b), at(0, b));
    path.close();
}

pf::Rect Swoosh::textRect() const
{
    const pf::Rect& f = frame();
    const pf::Size pad = textPadSize();
    return QVRectRound(pf::Rect(f.x(), f.y(), f.width(), f.height() - 2 * currentSwooshHeight()))
        .insetBy(pad.width, pad.height);
}
