#include "canvas/Lasso.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "model/ShapePage.h"
#include "model/StickyDefaults.h"
#include "platform/graphics/GraphicsContext.h"

namespace {

std::shared_ptr<Lasso> makeBand(const pf::Color& fill, const pf::Color& stroke)
{
    auto band = StickyDefaults::doWithoutStickySettingOrGetting([] { return Shape::make<Lasso>(pf::Rect(0, 0, 1, 1)); });
    band->setFillColor(fill);
    band->setStrokeColor(stroke);
    return band;
}

} // namespace

const LassoClass& Lasso::staticClass()
{
    static const LassoClass c(QStringLiteral("Lasso"), &Rectangle::staticClass(), &Shape::allocate<Lasso>);
    return c;
}

const std::shared_ptr<Lasso>& Lasso::selectionLasso()
{
    static const std::shared_ptr<Lasso> band = makeBand(QVHexaColor(0x00FFFF44), pf::Color(0, 1, 1, 1));
    return band;
}

const std::shared_ptr<Lasso>& Lasso::zoomLasso()
{
    static const std::shared_ptr<Lasso> band = makeBand(QVHexaColor(0xCCCCCC99), pf::Color(1.0 / 3, 1.0 / 3, 1.0 / 3, 1));
    return band;
}

void Lasso::initWithFrame(const pf::Rect& frame)
{
    StickyDefaults::doWithoutStickySetting([this, &frame] {
        Rectangle::initWithFrame(frame);
        setFillType(0);
        setFillShadowHidden(true);
        setFillShadowColor(std::nullopt);
        setFillShadowBlur(0);
        setStrokeType(0);
        setStroke1Enabled(false);
        setStroke1Color(std::nullopt);
        setStroke2Enabled(false);
        setStroke2Color(std::nullopt);
        setStrokeShadowHidden(true);
        setStrokeShadowColor(std::nullopt);
        setStrokeShadowBlur(0);
    });
}

void Lasso::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    const ShapePage* page = composition();
    if (!context.drawsToScreen() || (page && (page->isDrawingThumbnail() || page->isDrawingLoupe())))
        return;
    Rectangle::drawInContextDirtyRect(context, dirty);
}

void Lasso::drawStrokeInContext(pf::GraphicsContext& context)
{
    const pf::OptionalColor& colour = strokeColor();
    if (!colour)
        return;
    context.saveGState();
    context.setStrokeColor(*colour);
    context.setLineWidth(1.0 / currentScale());
    context.setLineCap(pf::LineCap::Butt);
    context.setLineJoin(pf::LineJoin::Miter);
    context.strokeRect(frame());
    context.restoreGState();
}

pf::Rect Lasso::calcDirtyRect() const
{
    const double outline = 1.0 / currentScale();
    return QVRectOutset(frame(), outline, outline);
}
