#include "controls/EntryControls.h"

#include "controls/ControlDocking.h"
#include "controls/StoredControlValues.h"
#include "geometry/QVRect.h"

#include <array>

namespace {

using controls::Docking;
using controls::DockingCatalogueClass;

const Shape::PropertyChange keyboardTypeChange{"keyboardType", "Keyboard Type"};

// Words of the keyboard picture names; index 0 is the default of each.
constexpr std::array<const char*, 2> deviceWords = {"phone", "pad"};
constexpr std::array<const char*, 2> orientationWords = {"portrait", "landscape"};
constexpr std::array<const char*, 2> themeWords = {"light", "dark"};
constexpr std::array<const char*, 4> keyboardWords = {"standard", "numeric", "numberpad", "emoji"};

// Stored and key-value values reach here unchecked: one outside the table reads as its default.
template <std::size_t N>
std::size_t tableIndex(std::int64_t value)
{
    return value >= 0 && value < static_cast<std::int64_t>(N) ? static_cast<std::size_t>(value) : 0;
}

} // namespace

// ==================== navigation bar ====================

const UIControlClass& UINavigationBar::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UINavigationBar"), &UIControl::staticClass(), &Shape::allocate<UINavigationBar>,
        {.title = "Navigation Bar", .longDescription = "Navigation Bar.", .iconImageName = "lib_uinavbar32x32",
         .extraSearchString = "navigation navigationbar navbar uinavigationbar bar title header",
         .defaultSize = {320, 44}, .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "GeometryFacet", "FillFacet", "StrokeFacet", "TextFacet"}},
        Docking::BelowStatusBar);
    return c;
}

void UINavigationBar::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillShadowHidden(true);
    setStrokeColor(controlClass().controlBorderColor());
    setAttributedText(pf::AttributedString(pf::localized(QStringLiteral("Title")), textAttributes()));
    update();
}

void UINavigationBar::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    if (strokeType() == 3 || !strokeColor())
        return;
    const pf::Rect r = QVRectRound(QVRectGetNormalizedRect(frame()));
    pf::Path line;
    line.moveTo(pf::Point(r.x(), r.maxY()));
    line.lineTo(pf::Point(r.maxX(), r.maxY()));
    context.saveGState();
    setStrokeLineDashInContext(context);
    drawStrokeInContextColorPathLineWidth(context, *strokeColor(), line, strokeLineWidth());
    context.restoreGState();
}

bool UINavigationBar::isEqualToControl(const UIControl& other) const
{
    return dynamic_cast<const UINavigationBar*>(&other) && UIControl::isEqualToControl(other);
}

// ==================== text field ====================

const UIControlClass& UITextField::staticClass()
{
    static const controls::CatalogueClass<> c(
        QStringLiteral("UITextField"), &UIControl::staticClass(), &Shape::allocate<UITextField>,
        {.title = "Text Field", .longDescription = "iOS Text Field.", .iconImageName = "lib_uitextfield32x32",
         .extraSearchString = "text input box textbox", .defaultSize = {90, 30},
         .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "GeometryNoConstrainFacet", "FillFacet", "StrokeFacet",
                    "TextFacet"}});
    return c;
}

void UITextField::initWithFrame(const pf::Rect& frame)
{
    setFixedHeight(height);
    UIControl::initWithFrame(frame);
    setFillType(0);
    setFillColor(pf::Color::white());
    setFillShadowHidden(true);
    setStrokeType(0);
    setStrokeColor(pf::Color(0.7, 0.7, 0.7, 1));
    setStrokeShadowHidden(true);
    setTextAlign(0);
    setTextVerticalAlign(0);
    update();
}

void UITextField::appendPath(pf::Path& path) const
{
    path.appendRoundedRect(QVRectGetNormalizedRect(frame()), 7, 7);
}

bool UITextField::isEqualToControl(const UIControl& other) const
{
    return dynamic_cast<const UITextField*>(&other) && UIControl::isEqualToControl(other);
}

// ==================== keyboard ====================

const UIControlClass& UIKeyboard::staticClass()
{
    static const controls::CatalogueClass<> c(
        QStringLiteral("UIKeyboard"), &UIControl::staticClass(), &Shape::allocate<UIKeyboard>,
        {.title = "Keyboard", .longDescription = "iOS Keyboard.", .iconImageName = "lib_uikeyboard32x32",
         .extraSearchString = "keyboard uikeyboard", .defaultSize = {320, 215},
         .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIKeyboardFacet", "GeometryNoConstrainFacet", "StrokeFacet"}});
    return c;
}

const pf::PropertyTable& UIKeyboard::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&UIControl::properties());
        t.add("keyboardType", &UIKeyboard::keyboardType, &UIKeyboard::setKeyboardType);
        return t;
    }();
    return table;
}

void UIKeyboard::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillType(5);
    setStrokeType(0);
    setStrokeColor(pf::Color(0.75, 0.75, 0.75, 1));
    setConstrainAspectRatio(true);
    update();
}

void UIKeyboard::setKeyboardType(std::int64_t v)
{
    setProperty(keyboardType_, v, &UIKeyboard::setKeyboardType, keyboardTypeChange, [this] { update(); });
}

QString UIKeyboard::imageIdentifierFor(std::int64_t device, std::int64_t orientation, std::int64_t theme,
                                       std::int64_t keyboard)
{
    return QStringLiteral("uikeyboard_%1_%2_%3_%4")
        .arg(QLatin1String(deviceWords[tableIndex<deviceWords.size()>(device)]),
             QLatin1String(orientationWords[tableIndex<orientationWords.size()>(orientation)]),
             QLatin1String(themeWords[tableIndex<themeWords.size()>(theme)]),
             QLatin1String(keyboardWords[tableIndex<keyboardWords.size()>(keyboard)]));
}

pf::Size UIKeyboard::sizeFor(std::int64_t device, std::int64_t orientation)
{
    static constexpr pf::Size sizes[2][2] = {{{320, 215}, {480, 162}}, {{768, 264}, {1024, 352}}};
    return sizes[tableIndex<2>(device)][tableIndex<2>(orientation)];
}

void UIKeyboard::updateControlImageIdentifier()
{
    setControlImageIdentifier(imageIdentifierFor(deviceType(), deviceOrientation(), themeType(), keyboardType_));
}

void UIKeyboard::deviceDidChange()
{
    setFrame(QVRectAroundPoint(center(), sizeFor(deviceType(), deviceOrientation()).width,
                               sizeFor(deviceType(), deviceOrientation()).height));
}

void UIKeyboard::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    if (controlImage().isNull())
        return;
    context.drawImage(controlImage(), QVRectRoundPlusHalf(QVRectGetNormalizedRect(frame())), pf::Rect(),
                      pf::BlendMode::Normal, 1.0);
}

void UIKeyboard::copyFrom(const Shape& source)
{
    UIControl::copyFrom(source);
    setKeyboardType(static_cast<const UIKeyboard&>(source).keyboardType_);
}

bool UIKeyboard::isEqualToControl(const UIControl& other) const
{
    const auto* o = dynamic_cast<const UIKeyboard*>(&other);
    return o && UIControl::isEqualToControl(other) && keyboardType_ == o->keyboardType_;
}

pf::Value UIKeyboard::asPlist() const
{
    pf::Value plist = UIControl::asPlist();
    plist.set(QStringLiteral("keyboardType"), keyboardType_);
    return plist;
}

void UIKeyboard::readPlist(const pf::Value& plist)
{
    UIControl::readPlist(plist);
    setKeyboardType(storedEnumeration(plist, "keyboardType", keyboardTypeCount));
}
