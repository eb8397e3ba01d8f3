#include "controls/SmallControls.h"

#include "controls/ControlCatalogue.h"
#include "controls/IconDrawings.h"
#include "geometry/QVColor.h"
#include "geometry/QVRect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

class SwitchClass : public controls::CatalogueClass<> {
public:
    using CatalogueClass::CatalogueClass;
    // Green 4CD355.
    pf::Color defaultTintColor() const override
    {
        static const pf::Color green = QVHexColor(0x4CD355);
        return green;
    }
};

const pf::Color switchOffStroke(0.875, 0.875, 0.875, 1);

} // namespace

// ==================== switch ====================

const UIControlClass& UISwitch::staticClass()
{
    static const SwitchClass c(
        QStringLiteral("UISwitch"), &UIControl::staticClass(), &Shape::allocate<UISwitch>,
        {.title = "Switch", .longDescription = "iOS Switch.", .iconImageName = "lib_uiswitch32x32",
         .extraSearchString = "button toggle on off boolean", .defaultSize = {width, height},
         .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UISwitchFacet", "GeometryNoConstrainFacet"}});
    return c;
}

void UISwitch::initWithFrame(const pf::Rect& frame)
{
    setFixedWidth(width);
    setFixedHeight(height);
    UIControl::initWithFrame(frame);
    setFillType(5);
    setFillShadowHidden(true);
    setStrokeType(3);
    setStrokeShadowHidden(true);
    update();
}

void UISwitch::updateControlImageIdentifier()
{
    setControlImageIdentifier(isHighlighted() ? QStringLiteral("uiswitch_on") : QStringLiteral("uiswitch_off"));
}

void UISwitch::appendPath(pf::Path& path) const
{
    path.appendRoundedRect(QVRectGetNormalizedRect(frame()), 15, 15);
}

const pf::Path& UISwitch::trackPath()
{
    // Per thread: a path keeps its painting forms, made on first paint (previews draw on several threads).
    thread_local const pf::Path path = icons::parseGeometry("M 1 16 C 1 8 7 1 14 1 C 21 1 31 1 38 1 C 45 1 51 8 51 16 "
                                                      "C 51 24 45 31 38 31 C 31 31 21 31 14 31 C 7 31 1 24 1 16 Z");
    return path;
}

pf::Rect UISwitch::knobRect() const
{
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    return isHighlighted() ? pf::Rect(r.width() - 28.5, 2, 28, 28) : pf::Rect(1.5, 1.5, 29, 29);
}

void UISwitch::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    const double s = currentScale();
    const bool on = isHighlighted();
    const pf::Color tint = tintColor().value_or(controlClass().defaultTintColor());
    context.saveGState();
    context.translate(r.x(), r.y());
    context.setFillColor(on ? tint : pf::Color::white());
    context.setStrokeColor(on ? tint : switchOffStroke);
    context.setLineWidth(1.5);
    context.fillPath(trackPath());
    context.strokePath(trackPath());
    context.setFillColor(pf::Color::white());

    const pf::Path knob = pf::Path::oval(knobRect());
    context.saveGState();
    // Shadow offsets and blur are in device pixels: scaled by the zoom to keep their size on the page.
    context.setShadow(pf::Size(0, -2 * s), 2 * s, pf::Color(0, 0, 0, 0.25));
    context.fillPath(knob);
    context.restoreGState();
    if (!on) {
        context.setLineWidth(0.5);
        context.setStrokeColor(switchOffStroke);
        context.strokePath(knob);
    }
    context.restoreGState();
}

bool UISwitch::isEqualToControl(const UIControl& other) const
{
    return dynamic_cast<const UISwitch*>(&other) && UIControl::isEqualToControl(other);
}

// ==================== activity indicator ====================

const UIControlClass& UIActivityIndicator::staticClass()
{
    static const controls::CatalogueClass<> c(
        QStringLiteral("UIActivityIndicator"), &UIControl::staticClass(), &Shape::allocate<UIActivityIndicator>,
        {.title = "Activity Indicator", .longDescription = "Activity Indicator.",
         .iconImageName = "lib_uiactivityindicator32x32",
         .extraSearchString = "nsprogressindicator uiactivityindicator spinner progressmeter meter indicator",
         .defaultSize = {37, 37}, .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIActivityIndicatorFacet", "GeometryNoConstrainFacet"}});
    return c;
}

void UIActivityIndicator::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillType(5);
    setStrokeType(3);
    setTintColor(pf::Color(0.5, 0.5, 0.5, 1));
    setConstrainAspectRatio(true);
    update();
}

double UIActivityIndicator::alphaForSpoke(int index) { return std::max(1.0 - index * 0.0625, 0.2); }

pf::Rect UIActivityIndicator::spokeRect() const
{
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    const double sw = std::fabs(r.width()) * 0.06;
    const double sl = std::fabs(r.height()) * (0.5 - 0.2);
    return pf::Rect(r.x() + r.width() / 2 - sw / 2, r.y(), sw, sl);
}

void UIActivityIndicator::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Point c = center();
    const pf::Rect spoke = spokeRect();
    const double rx = spoke.width() / 2;
    const double ry = std::max(spoke.width() / 2, spoke.height() * 0.1);
    const pf::Color tint = tintColor().value_or(pf::Color(0.5, 0.5, 0.5, 1));
    context.saveGState();
    for (int i = 0; i < spokeCount; ++i) {
        context.setFillColor(tint.withAlpha(alphaForSpoke(i)));
        context.fillPath(pf::Path::roundedRect(spoke, rx, ry));
        context.translate(c.x, c.y);
        context.rotate(std::numbers::pi / 8);
        context.translate(-c.x, -c.y);
    }
    context.restoreGState();
}

bool UIActivityIndicator::isEqualToControl(const UIControl& other) const
{
    return dynamic_cast<const UIActivityIndicator*>(&other) && UIControl::isEqualToControl(other);
}
