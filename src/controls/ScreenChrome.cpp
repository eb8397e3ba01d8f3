#include "controls/ScreenChrome.h"

#include "controls/ControlDocking.h"
#include "controls/IconDrawings.h"
#include "controls/StoredControlValues.h"
#include "geometry/QVRect.h"

#include <cmath>

namespace {

using controls::Docking;
using controls::DockingCatalogueClass;

const Shape::PropertyChange sensorArrayTypeChange{"sensorArrayType", "Sensory Array Type", nullptr, Shape::Redisplay};

// The 20-point box centred vertically on the bar.
double boxY(const pf::Rect& f) { return std::round(f.y() + f.height() / 2 - 10); }

// The cached pieces of the status bar's drawing, in their own boxes (the icon path language).
struct StatusBarPaths {
    // Bars growing upward from the line y 15.
    pf::Path signalBars[4] = {icons::parseGeometry("R 3 15 2 -3"), icons::parseGeometry("R 8 15 2 -6"),
                              icons::parseGeometry("R 13 15 2 -8"), icons::parseGeometry("R 18 15 2 -10")};
    // Everything but the wedge below the V through (10, 15), for an even-odd clip.
    pf::Path wifiKnockOut = [] {
        pf::Path p = pf::Path::rect(icons::knockOutRect);
        p.append(icons::parseGeometry("M -3 1 L 10 15 L 23 1 L 23 26 L -3 26 L -3 1 Z"));
        return p;
    }();
    pf::Path wifiOuter = icons::parseGeometry("O 1 5 18 17");
    pf::Path wifiInner = icons::parseGeometry("O 5 9 10 9");
    pf::Path wifiDot = icons::parseGeometry("O 9 13 2 1");
    pf::Path batteryBody = icons::parseGeometry("M 4 6.7 C 4 6.7 4 5 5.7 5 L 24.3 5 C 24.3 5 26 5 26 6.7 L 26 13.3 "
                                                "C 26 13.3 26 15 24.3 15 L 5.7 15 C 5.7 15 4 15 4 13.3 Z");
    pf::Path batteryCharge = icons::parseGeometry("M 6 7.4 C 6 7.4 6 7 6.4 7 L 23.6 7 C 23.6 7 24 7 24 7.4 L 24 12.6 "
                                                  "C 24 12.6 24 13 23.6 13 L 6.4 13 C 6.4 13 6 13 6 12.6 Z");
    pf::Path batteryTerminal = icons::parseGeometry("M 28 9 L 28 11 C 28 11 29 10.8 29 10 C 29 9.2 28 9 28 9 Z");
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

// The path's left copy at one origin and its mirror image at the other (the right-hand boxes start at the
// right edge), both flipped vertically by sy = -1.
void fillMirroredPair(pf::GraphicsContext& context, const pf::Path& path, pf::Point left, pf::Point right, double sy = 1)
{
    fillAt(context, path, left, 1, sy);
    fillAt(context, path, right, -1, sy);
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
    setAttributedText(pf::AttributedString(pf::localized(QStringLiteral("9:42")), textAttributes()));
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

pf::TextAttributes UIStatusBar::textAttributes() const
{
    pf::TextAttributes a = UIControl::textAttributes();
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

// The kept paths are per thread: a path keeps its painting forms, made on first paint, and previews draw
// on several threads.
const pf::Path& UIStatusBar::cornerRadiusPath()
{
    thread_local const pf::Path path = icons::parseGeometry("M 0 44 L 0 0 L 44 0 C 20 0 0 20 0 44 Z");
    return path;
}

const pf::Path& UIStatusBar::sensorArrayPath()
{
    thread_local const pf::Path path = icons::parseGeometry(
        "M 110.5 0 L 110.5 30 C 110.5 30 46 30 26 30 C 6 30 6 9 6 6 C 6 3 4 0 0 0 C 0 0 110.5 0 110.5 0 Z");
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
        fillMirroredPair(context, cornerRadiusPath(), leftCornerRectForFrame(r).origin, rightCornerRectForFrame(r).origin);
        context.setLineCap(pf::LineCap::Round);
        context.setLineJoin(pf::LineJoin::Round);
        fillMirroredPair(context, sensorArrayPath(), leftSensorArrayRectForFrame(r).origin,
                         rightSensorArrayRectForFrame(r).origin);
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
    thread_local const pf::Path path = icons::parseGeometry("M 0 2.5 C 0 0 2.5 0 2.5 0 L 67 0 L 67 5 L 2.5 5 C 2.5 5 0 5 0 2.5 Z");
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
    fillMirroredPair(context, UIStatusBar::cornerRadiusPath(), leftCornerRectForFrame(r).origin,
                     rightCornerRectForFrame(r).origin, -1);
    context.restoreGState();

    context.saveGState();
    context.setLineCap(pf::LineCap::Round);
    context.setLineJoin(pf::LineJoin::Round);
    fillMirroredPair(context, dragIndicatorPath(), leftDragIndicatorRectForFrame(r).origin,
                     rightDragIndicatorRectForFrame(r).origin);
    context.restoreGState();

    context.restoreGState();
}

bool UIHomeIndicator::isEqualToControl(const UIControl& other) const
{
    return dynamic_cast<const UIHomeIndicator*>(&other) && UIControl::isEqualToControl(other);
}
