#include "controls/ScreenChrome.h"

#include "controls/ControlDocking.h"
#include "controls/StoredControlValues.h"
#include "geometry/QVRect.h"

#include <cmath>

namespace {

using controls::Docking;
using controls::DockingCatalogueClass;

const Shape::PropertyChange sensorArrayTypeChange{"sensorArrayType", "Sensory Array Type", nullptr, Shape::Redisplay};

// The 20-point box centred vertically on the bar.
double boxY(const pf::Rect& f) { return std::round(f.y() + f.height() / 2 - 10); }

pf::Path rectPath(double x, double y, double w, double h) { return pf::Path::rect(pf::Rect(x, y, w, h)); }

// The cached pieces of the status bar's drawing, in their own boxes.
struct StatusBarPaths {
    pf::Path signalBars[4] = {rectPath(3, 15, 2, -3), rectPath(8, 15, 2, -6), rectPath(13, 15, 2, -8),
                              rectPath(18, 15, 2, -10)};
    // Everything but the wedge below the V through (10, 15), for an even-odd clip.
    pf::Path wifiKnockOut = [] {
        pf::Path p = pf::Path::rect(pf::Rect(-32767, -32767, 65535, 65535));
        p.moveTo(pf::Point(-3, 1));
        p.lineTo(pf::Point(10, 15));
        p.lineTo(pf::Point(23, 1));
        p.lineTo(pf::Point(23, 26));
        p.lineTo(pf::Point(-3, 26));
        p.lineTo(pf::Point(-3, 1));
        p.close();
        return p;
    }();
    pf::Path wifiOuter = pf::Path::oval(pf::Rect(1, 5, 18, 17));
    pf::Path wifiInner = pf::Path::oval(pf::Rect(5, 9, 10, 9));
    pf::Path wifiDot = pf::Path::oval(pf::Rect(9, 13, 2, 1));
    pf::Path batteryBody = [] {
        pf::Path p;
        p.moveTo(pf::Point(4, 6.7));
        p.curveTo(pf::Point(4, 6.7), pf::Point(4, 5), pf::Point(5.7, 5));
        p.lineTo(pf::Point(24.3, 5));
        p.curveTo(pf::Point(24.3, 5), pf::Point(26, 5), pf::Point(26, 6.7));
        p.lineTo(pf::Point(26, 13.3));
        p.curveTo(pf::Point(26, 13.3), pf::Point(26, 15), pf::Point(24.3, 15));
        p.lineTo(pf::Point(5.7, 15));
        p.curveTo(pf::Point(5.7, 15), pf::Point(4, 15), pf::Point(4, 13.3));
        p.close();
        return p;
    }();
    pf::Path batteryCharge = [] {
        pf::Path p;
        p.moveTo(pf::Point(6, 7.4));
        p.curveTo(pf::Point(6, 7.4), pf::Point(6, 7), pf::Point(6.4, 7));
        p.lineTo(pf::Point(23.6, 7));
        p.curveTo(pf::Point(23.6, 7), pf::Point(24, 7), pf::Point(24, 7.4));
        p.lineTo(pf::Point(24, 12.6));
        p.curveTo(pf::Point(24, 12.6), pf::Point(24, 13), pf::Point(23.6, 13));
        p.lineTo(pf::Point(6.4, 13));
        p.curveTo(pf::Point(6.4, 13), pf::Point(6, 13), pf::Point(6, 12.6));
        p.close();
        return p;
    }();
    pf::Path batteryTerminal = [] {
        pf::Path p;
        p.moveTo(pf::Point(28, 9));
        p.lineTo(pf::Point(28, 11));
        p.curveTo(pf::Point(28, 11), pf::Point(29, 10.8), pf::Point(29, 10));
        p.curveTo(pf::Point(29, 9.2), pf::Point(28, 9), pf::Point(28, 9));
        p.close();
        return p;
    }();
};

const StatusBarPaths& statusBarPaths()
{
    static const StatusBarPaths paths;
    return paths;
}

void fillAndStroke(pf::GraphicsContext& context, const pf::Path& path)
{
    context.fillPath(path);
    context.strokePath(path);
}

// Fills the path in a box whose origin is at `origin`, scaled by (sx, sy) to mirror it.
void fillAt(pf::GraphicsContext& context, const pf::Path& path, pf::Point origin, double sx = 1, double sy = 1)
{
    context.saveGState();
    context.translate(origin.x, origin.y);
    context.scale(sx, sy);
    context.fillPath(path);
    context.restoreGState();
}

pf::Color tintOf(const UIControl& control) { return control.tintColor().value_or(pf::Color::black()); }

} // namespace

// ==================== status bar ====================

const UIControlClass& UIStatusBar::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UIStatusBar"), &UIControl::staticClass(), &Shape::allocate<UIStatusBar>,
        {.title = "Status Bar", .longDescription = "iOS Status Bar.", .iconImageName = "lib_uistatusbar32x32",
         .extraSearchString = "bar status battery clock wifi network carrier 3G 4G 5G LTE notch sensorarray array "
                              "camera iphonex x cornerradius radius",
         .defaultSize = {320, 20}, .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIStatusBarFacet", "GeometryNoConstrainFacet", "FillFacet",
                    "StrokeFacet", "TextFacet"}},
        Docking::Top);
    return c;
}

const pf::PropertyTable& UIStatusBar::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&UIControl::properties());
        t.add("sensorArrayType", &UIStatusBar::sensorArrayType, &UIStatusBar::setSensorArrayType);
        return t;
    }();
    return table;
}

void UIStatusBar::initWithFrame(const pf::Rect& frame)
{
    setFixedHeight(20);
    UIControl::initWithFrame(frame);
    setFillType(0);
    setFillShadowHidden(true);
    setStrokeType(3);
    setStrokeShadowHidden(true);
    setTextAlign(2);
    setTextVerticalAlign(0);
    setTextAppearanceType(0);
    setTextShadowHidden(true);
    setAttributedText(pf::AttributedString(pf::localized(QStringLiteral("9:42")), barTextAttributes()));
    setTintColor(pf::Color::black());
    update();
}

void UIStatusBar::setSensorArrayType(std::int64_t v)
{
    setProperty(sensorArrayType_, v, &UIStatusBar::setSensorArrayType, sensorArrayTypeChange, [this] { update(); });
}

void UIStatusBar::updateFrame()
{
    double h = frame().height();
    if (sensorArrayType_ == SensorArrayNotch)
        h = 44;
    else if (sensorArrayType_ == SensorArrayNone)
        h = 20;
    setFixedHeight(0);
    pf::Rect r = frame();
    r.size.height = h;
    setFrame(r);
    setFixedHeight(h);
}

pf::Rect UIStatusBar::textRect() const
{
    pf::Rect r = UIControl::textRect();
    if (hasSensorArray()) {
        r.origin.x = frame().x() + 18;
        r.size.width = 60;
    }
    return r;
}

pf::TextAttributes UIStatusBar::barTextAttributes() const
{
    pf::TextAttributes a = textAttributes();
    // A text keeps its own font; the attributes carry one only for new text.
    std::optional<pf::Font> font = a.font;
    if (const pf::AttributedString* text = attributedText())
        if (auto own = text->attributesAtIndex(0).font)
            font = own;
    if (!font)
        font = pf::Font(shapeClass().defaultTextFontName(), shapeClass().defaultTextFontSize());
    a.font = font->withTrait(pf::FontTrait::Bold);
    if (tintColor())
        a.foregroundColor = tintColor();
    return a;
}

void UIStatusBar::setTintColor(pf::OptionalColor color)
{
    UIControl::setTintColor(color);
    clearTextAttributes();
}

void UIStatusBar::clearTextAttributes()
{
    UIControl::clearTextAttributes();
    const pf::AttributedString* text = attributedText();
    if (!text)
        return;
    const pf::TextAttributes bar = barTextAttributes();
    pf::TextAttributes change;
    change.font = bar.font;
    change.foregroundColor = bar.foregroundColor;
    pf::MutableAttributedString restyled = text->mutableCopy();
    restyled.addAttributes(change, pf::TextRange{0, restyled.length()});
    setAttributedText(restyled);
}

pf::Rect UIStatusBar::signalRectForFrame(const pf::Rect& f) const
{
    return pf::Rect(hasSensorArray() ? f.x() + f.width() - 84 : std::round(f.x() + 4), boxY(f), 20, 20);
}

pf::Rect UIStatusBar::wifiRectForFrame(const pf::Rect& f) const
{
    return pf::Rect(hasSensorArray() ? f.x() + f.width() - 62 : std::round(f.x() + 28), boxY(f), 20, 20);
}

pf::Rect UIStatusBar::batteryRectForFrame(const pf::Rect& f) const
{
    return pf::Rect(hasSensorArray() ? f.x() + f.width() - 44 : std::round(f.x() + f.width() - 37), boxY(f), 33, 20);
}

pf::Rect UIStatusBar::leftCornerRectForFrame(const pf::Rect& f) { return pf::Rect(f.x(), f.y(), 44, 44); }
pf::Rect UIStatusBar::rightCornerRectForFrame(const pf::Rect& f) { return pf::Rect(f.x() + f.width(), f.y(), 44, 44); }

pf::Rect UIStatusBar::leftSensorArrayRectForFrame(const pf::Rect& f)
{
    return pf::Rect(f.x() + f.width() / 2 - 110.5, f.y(), 110.5, 30);
}

pf::Rect UIStatusBar::rightSensorArrayRectForFrame(const pf::Rect& f)
{
    return pf::Rect(f.x() + f.width() / 2 + 110.5, f.y(), 110.5, 30);
}

const pf::Path& UIStatusBar::cornerRadiusPath()
{
    static const pf::Path path = [] {
        pf::Path p;
        p.moveTo(pf::Point(0, 44));
        p.lineTo(pf::Point(0, 0));
        p.lineTo(pf::Point(44, 0));
        p.curveTo(pf::Point(20, 0), pf::Point(0, 20), pf::Point(0, 44));
        p.close();
        return p;
    }();
    return path;
}

const pf::Path& UIStatusBar::sensorArrayPath()
{
    static const pf::Path path = [] {
        pf::Path p;
        p.moveTo(pf::Point(110.5, 0));
        p.lineTo(pf::Point(110.5, 30));
        p.curveTo(pf::Point(110.5, 30), pf::Point(46, 30), pf::Point(26, 30));
        p.curveTo(pf::Point(6, 30), pf::Point(6, 9), pf::Point(6, 6));
        p.curveTo(pf::Point(6, 3), pf::Point(4, 0), pf::Point(0, 0));
        p.curveTo(pf::Point(0, 0), pf::Point(110.5, 0), pf::Point(110.5, 0));
        p.close();
        return p;
    }();
    return path;
}

void UIStatusBar::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const StatusBarPaths& paths = statusBarPaths();
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    const pf::Color tint = tintOf(*this);
    context.saveGState();
    context.setFillColor(tint);
    context.setStrokeColor(tint);
    context.clipToRect(r);

    const pf::Rect signal = signalRectForFrame(r);
    context.saveGState();
    context.translate(signal.x(), signal.y());
    context.setLineWidth(1);
    for (const pf::Path& bar : paths.signalBars)
        fillAndStroke(context, bar);
    context.restoreGState();

    const pf::Rect wifi = wifiRectForFrame(r);
    context.saveGState();
    context.translate(wifi.x(), wifi.y());
    context.setLineWidth(1.8);
    context.clip(paths.wifiKnockOut, pf::WindingRule::EvenOdd);
    context.strokePath(paths.wifiOuter);
    context.strokePath(paths.wifiInner);
    fillAndStroke(context, paths.wifiDot);
    context.restoreGState();

    // The battery takes the line width in force; the shape's layers leave the default, 1.
    const pf::Rect battery = batteryRectForFrame(r);
    context.saveGState();
    context.translate(battery.x(), battery.y());
    context.setLineWidth(1);
    context.strokePath(paths.batteryBody);
    fillAndStroke(context, paths.batteryCharge);
    fillAndStroke(context, paths.batteryTerminal);
    context.restoreGState();

    if (hasSensorArray()) {
        context.saveGState();
        context.setFillColor(pf::Color::black());
        fillAt(context, cornerRadiusPath(), leftCornerRectForFrame(r).origin);
        fillAt(context, cornerRadiusPath(), rightCornerRectForFrame(r).origin, -1, 1);
        context.setLineCap(pf::LineCap::Round);
        context.setLineJoin(pf::LineJoin::Round);
        fillAt(context, sensorArrayPath(), leftSensorArrayRectForFrame(r).origin);
        fillAt(context, sensorArrayPath(), rightSensorArrayRectForFrame(r).origin, -1, 1);
        context.restoreGState();
    }
    context.restoreGState();
}

void UIStatusBar::copyFrom(const Shape& source)
{
    UIControl::copyFrom(source);
    sensorArrayType_ = static_cast<const UIStatusBar&>(source).sensorArrayType_;
    updateFrame();
}

bool UIStatusBar::isEqualToControl(const UIControl& other) const
{
    const auto* o = dynamic_cast<const UIStatusBar*>(&other);
    return o && UIControl::isEqualToControl(other) && sensorArrayType_ == o->sensorArrayType_;
}

pf::Value UIStatusBar::asPlist() const
{
    pf::Value plist = UIControl::asPlist();
    plist.set(QStringLiteral("sensorArrayType"), sensorArrayType_);
    return plist;
}

void UIStatusBar::readPlist(const pf::Value& plist)
{
    UIControl::readPlist(plist);
    setSensorArrayType(storedEnumeration(plist, "sensorArrayType", sensorArrayTypeCount));
    updateFrame();
}

// ==================== home indicator ====================

namespace {

class HomeIndicatorClass : public DockingCatalogueClass<> {
public:
    using DockingCatalogueClass<>::DockingCatalogueClass;
    // Drawn: a bottom corner and half the pill running off the right edge.
    pf::Image iconImage() const override
    {
        static const pf::Image icon = pf::Image::drawn(pf::Size(32, 32), 2.0, [this](pf::GraphicsContext& context) {
            const pf::Rect r(0, 0, 32, 32);
            context.setFillColor(libraryListItemShapeStrokeColor());
            fillAt(context, UIStatusBar::cornerRadiusPath(), pf::Point(r.x() - 3, r.y() + r.height() + 3), 1, -1);
            context.setLineCap(pf::LineCap::Round);
            context.setLineJoin(pf::LineJoin::Round);
            fillAt(context, UIHomeIndicator::dragIndicatorPath(),
                   pf::Point(r.x() + r.width() / 2 + 3, r.y() + r.height() - 14.5 + 0.5));
        });
        return icon;
    }
};

} // namespace

const UIControlClass& UIHomeIndicator::staticClass()
{
    static const HomeIndicatorClass c(
        QStringLiteral("UIHomeIndicator"), &UIControl::staticClass(), &Shape::allocate<UIHomeIndicator>,
        {.title = "Home Indicator", .longDescription = "iOS Home Indicator.",
         .extraSearchString = "homeindicator indicator notch sensorarray array camera iphonex x cornerradius radius",
         .defaultSize = {320, 44}, .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIActivityIndicatorFacet", "GeometryNoConstrainFacet",
                    "FillFacet", "StrokeFacet"}},
        Docking::Bottom);
    return c;
}

void UIHomeIndicator::initWithFrame(const pf::Rect& frame)
{
    setFixedHeight(height);
    UIControl::initWithFrame(frame);
    setFillType(5);
    setFillShadowHidden(true);
    setStrokeType(3);
    setStrokeShadowHidden(true);
    setTintColor(pf::Color::black());
    update();
}

pf::Rect UIHomeIndicator::leftCornerRectForFrame(const pf::Rect& f) { return pf::Rect(f.x(), f.y() + 44, 44, 44); }

pf::Rect UIHomeIndicator::rightCornerRectForFrame(const pf::Rect& f)
{
    return pf::Rect(f.x() + f.width(), f.y() + 44, 44, 44);
}

pf::Rect UIHomeIndicator::leftDragIndicatorRectForFrame(const pf::Rect& f)
{
    return pf::Rect(f.x() + f.width() / 2 - 67, f.y() + f.height() - 14.5, 67, 5);
}

pf::Rect UIHomeIndicator::rightDragIndicatorRectForFrame(const pf::Rect& f)
{
    return pf::Rect(f.x() + f.width() / 2 + 67, f.y() + f.height() - 14.5, 67, 5);
}

const pf::Path& UIHomeIndicator::dragIndicatorPath()
{
    static const pf::Path path = [] {
        pf::Path p;
        p.moveTo(pf::Point(0, 2.5));
        p.curveTo(pf::Point(0, 0), pf::Point(2.5, 0), pf::Point(2.5, 0));
        p.lineTo(pf::Point(67, 0));
        p.lineTo(pf::Point(67, 5));
        p.lineTo(pf::Point(2.5, 5));
        p.curveTo(pf::Point(2.5, 5), pf::Point(0, 5), pf::Point(0, 2.5));
        p.close();
        return p;
    }();
    return path;
}

void UIHomeIndicator::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    const pf::Color tint = tintOf(*this);
    context.saveGState();
    context.setFillColor(tint);
    context.setStrokeColor(tint);
    context.clipToRect(r);

    context.saveGState();
    context.setFillColor(pf::Color::black());
    fillAt(context, UIStatusBar::cornerRadiusPath(), leftCornerRectForFrame(r).origin, 1, -1);
    fillAt(context, UIStatusBar::cornerRadiusPath(), rightCornerRectForFrame(r).origin, -1, -1);
    context.restoreGState();

    context.saveGState();
    context.setLineCap(pf::LineCap::Round);
    context.setLineJoin(pf::LineJoin::Round);
    fillAt(context, dragIndicatorPath(), leftDragIndicatorRectForFrame(r).origin);
    fillAt(context, dragIndicatorPath(), rightDragIndicatorRectForFrame(r).origin, -1, 1);
    context.restoreGState();

    context.restoreGState();
}

bool UIHomeIndicator::isEqualToControl(const UIControl& other) const
{
    return dynamic_cast<const UIHomeIndicator*>(&other) && UIControl::isEqualToControl(other);
}
