// Hostile documents shared by the preview's tests and its benchmark: every number a shape stores pushed to
// what breaks arithmetic, allocation or loops, a case per value, and a package of one page holding them.
#pragma once

#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/Parent.h"
#include "model/Rectangle.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace hostile {

using Edit = std::function<void(pf::Value&)>;

struct Hostile {
    const char* what;
    std::vector<const char*> kinds; // empty: a kind of each family (outlines, lines, text, pictures, controls)
    Edit edit;
};

inline Edit set(const char* key, pf::Value value)
{
    return [key, value](pf::Value& shape) { shape.set(QString::fromLatin1(key), value); };
}

inline Edit both(Edit a, Edit b)
{
    return [a, b](pf::Value& shape) { a(shape), b(shape); };
}

inline pf::Value rawInteger(const char* digits)
{
    // Stored as a writer of unsigned numbers would store it.
    return *pf::readPropertyList(QByteArray("<plist><integer>") + digits + "</integer></plist>").value;
}

inline pf::Value gradient(int stops, double ratio)
{
    pf::Value elements = pf::Value::array();
    for (int i = 0; i < stops; ++i) {
        pf::Value element = pf::Value::dictionary();
        element.set(QStringLiteral("color"), QStringLiteral("0.2:0.4:0.9:1"));
        element.set(QStringLiteral("ratio"), stops == 1 ? ratio : double(i) / (stops - 1));
        if (std::isnan(ratio))
            element.set(QStringLiteral("ratio"), QStringLiteral("nan"));
        elements.append(element);
    }
    return elements;
}

inline pf::Value unknownFilters(int count)
{
    pf::Value filters = pf::Value::array();
    for (int i = 0; i < count; ++i) {
        pf::Value filter = pf::Value::dictionary();
        filter.set(QStringLiteral("enabled"), true);
        filter.set(QStringLiteral("sliderValue"), 1e308);
        filter.set(QStringLiteral("type"), rawInteger("18446744073709551615"));
        filters.append(filter);
    }
    return filters;
}

// One Gaussian blur (filter type 1) of the given radius.
inline pf::Value blurFilter(double radius)
{
    pf::Value filter = pf::Value::dictionary();
    filter.set(QStringLiteral("enabled"), true);
    filter.set(QStringLiteral("type"), 1);
    filter.set(QStringLiteral("sliderValue"), radius);
    return pf::Value(pf::Value::Array{filter});
}

// Stored text of `paragraphs` paragraphs of `characters` letters each (words of nine letters and a space).
inline QByteArray longText(int paragraphs, int characters)
{
    QByteArray paragraph;
    paragraph.reserve(characters);
    for (int i = 0; i < characters; ++i)
        paragraph += i % 10 == 9 ? ' ' : char('a' + i % 26);
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 ";
    for (int i = 0; i < paragraphs; ++i)
        rtf += paragraph + (i + 1 < paragraphs ? "\\par " : "");
    return rtf + "}";
}

inline const char* const pictureKinds[] = {"Loupe", "Redact"};

inline std::vector<Hostile> hostileCases()
{
    std::vector<Hostile> cases = {
        {"huge frame", {}, set("frame", "{{1e308, 1e308}, {1e308, 1e308}}")},
        {"huge negative frame", {}, set("frame", "{{-1e308, -1e308}, {1e308, 1e308}}")},
        {"NaN frame", {}, set("frame", "{{nan, nan}, {nan, nan}}")},
        {"infinite frame", {}, set("frame", "{{-inf, 0}, {inf, inf}}")},
        {"rotation 2^64-1", {}, set("rotationAngle", rawInteger("18446744073709551615"))},
        {"opacity NaN", {}, set("opacity", "nan")},
        {"opacity -1", {}, set("opacity", -1.0)},
        {"stroke 1e308", {}, set("strokeLineWidth", 1e308)},
        {"stroke 1e308 dashed", {}, both(set("strokeLineWidth", 1e308), set("strokeType", 1))},
        {"stroke NaN dotted", {}, both(set("strokeLineWidth", "nan"), set("strokeType", 2))},
        {"stroke -5 dashed", {}, both(set("strokeLineWidth", -5.0), set("strokeType", 1))},
        {"stroke 1e-300 dashed", {}, both(set("strokeLineWidth", 1e-300), set("strokeType", 1))},
        {"stroke 1e-300 dotted", {}, both(set("strokeLineWidth", 1e-300), set("strokeType", 2))},
        {"shadow blur 1e308", {},
         both(both(set("fillShadowBlur", 1e308), set("fillShadowHidden", false)),
              both(set("strokeShadowBlur", 1e308), set("strokeShadowHidden", false)))},
        {"shadow offsets 1e308", {}, both(set("fillShadowOffsetX", 1e308), set("fillShadowHidden", false))},
        {"gradient ratios NaN", {}, both(set("fillType", 2), set("fillGradientElements", gradient(3, std::nan(""))))},
        {"gradient of 5001 stops", {"Rectangle", "Ellipse", "Pie", "UIButton"},
         both(set("fillType", 2), set("fillGradientElements", gradient(5001, 0)))},
        {"gradient angle huge", {}, both(set("fillType", 2), set("fillAngle", 1e308))},
        {"colours NaN", {},
         both(both(set("fillColor", "nan:nan:nan:nan"), set("strokeColor", "nan:inf:-inf:nan")),
              both(set("fillColorA", "nan:0:0:1"), set("textColor", "1e308:1e308:1e308:1e308")))},
        {"enumerations 2^64-1", {},
         [](pf::Value& shape) {
             for (const char* key : {"textAlign", "textVerticalAlign", "arrowTypeA", "arrowTypeB", "imageType", "fillType",
                                     "strokeType", "strokeLineCap", "strokeLineJoin", "textAppearanceType", "pathType",
                                     "type", "keyboardType", "deviceType", "themeType", "pointerCorner", "numberOfSides"})
                 shape.set(QString::fromLatin1(key), rawInteger("18446744073709551615"));
         }},
        {"fifty unknown filters", {}, set("contentFilterSpecs", unknownFilters(50))},
        {"adjustment ratios huge", {},
         both(set("adjustmentRatioX", 1e308), set("adjustmentRatioY", -1e308))},
        {"pie sweep 3.6e14 degrees", {"Pie"}, set("adjustmentRatioX", 1e12)},
        {"callout tip at 1e308", {"Callout"},
         both(set("adjustmentRatioX", 1e308), set("shapeRatio", "{1e308, 1e308}"))},
        {"NaN points", {"Bezier", "Line", "Arc", "SegmentedLine", "Brush", "Path", "BrushPath"},
         [](pf::Value& shape) {
             pf::Value points = pf::Value::array();
             for (const char* p : {"{nan, nan}", "{1e308, -1e308}", "{inf, 0}", "{10, 10}"})
                 points.append(QString::fromLatin1(p));
             shape.set(QStringLiteral("modelPoints"), points);
             pf::Value pairs = pf::Value::array();
             for (int i = 0; i < 4; ++i)
                 pairs.append(pf::Value(pf::Value::Array{pf::Value("{nan, 1e308}"), pf::Value("{-1e308, nan}")}));
             shape.set(QStringLiteral("modelControlPoints"), pairs);
         }},
        {"font size huge", {"Text", "Rectangle", "Callout", "UIButton"},
         set("attributedTextData",
             QByteArray("{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs99999999999999999999 Big \\fs2147483647 "
                        "bigger \\sl-99999999999\\sa2147483647\\up2147483647\\expnd2147483647 up\\par}"))},
        {"Gaussian blur radius 1e308", {"Rectangle", "Ellipse", "Star", "Text", "UIButton", "Image"},
         set("contentFilterSpecs", blurFilter(1e308))},
        {"Gaussian blur radius 1e9", {"Rectangle", "Ellipse", "Text"}, set("contentFilterSpecs", blurFilter(1e9))},
        {"Gaussian blur radius 65536", {"Rectangle", "Ellipse", "Text"}, set("contentFilterSpecs", blurFilter(65536))},
        {"text of 10^6 characters", {"Text", "Rectangle"}, set("attributedTextData", longText(1, 1'000'000))},
        {"text of 10^5 paragraphs", {"Text", "Rectangle"}, set("attributedTextData", longText(100'000, 1))},
        {"shape ratio NaN", {}, both(set("shapeRatio", "{nan, nan}"), set("imageAnchorRatio", "{nan, 1e308}"))},
    };
    for (const char* kind : pictureKinds) {
        cases.push_back({"loupe side 1e308", {kind}, set("frame", "{{0, 0}, {1e308, 1e308}}")});
        cases.push_back({"loupe side 1e9", {kind}, set("frame", "{{0, 0}, {1e9, 1e9}}")});
        for (const pf::Value& scale : {pf::Value(0.0), pf::Value(-5.0), pf::Value("nan"), pf::Value(1e308), pf::Value(1e-300)})
            cases.push_back({"loupe scale", {kind}, set("zoomTargetScale", scale)});
        cases.push_back({"loupe target far", {kind}, set("zoomTargetPoint", "{1e308, -1e308}")});
    }
    return cases;
}

inline std::vector<const ShapeClass*> listedKinds()
{
    std::vector<const ShapeClass*> kinds;
    for (const ShapeClass* kind : pf::ClassRegistry::shared().classesOfKind<ShapeClass>())
        if (!kind->title().isEmpty() && !kind->isSubclassOf(Parent::staticClass()))
            kinds.push_back(kind);
    return kinds;
}

// The kinds every hostile value is tried on: each draws its numbers its own way.
inline const std::vector<const char*> familyKinds = {"Rectangle", "Ellipse",   "Star",     "Callout",   "Pie",
                                                     "Line",      "Bezier",    "Brush",    "Text",      "TitleBox",
                                                     "Image",     "Loupe",     "Redact",   "UIKeyboard", "UIButton",
                                                     "UITabBar",  "UIActionSheet", "UISwitch", "Cylinder", "Swoosh"};

// The case's shapes: its value on each of its kinds among those listed.
inline pf::Value shapesOf(const Hostile& hostile, const std::vector<const ShapeClass*>& kinds)
{
    pf::Value children = pf::Value::array();
    const std::vector<const char*>& names = hostile.kinds.empty() ? familyKinds : hostile.kinds;
    for (const ShapeClass* kind : kinds) {
        if (std::none_of(names.begin(), names.end(),
                         [kind](const char* name) { return kind->className() == QLatin1String(name); }))
            continue;
        pf::Value shape = kind->newShape(pf::Rect(40, 40, 120, 90))->asPlist();
        hostile.edit(shape);
        children.append(shape);
    }
    return children;
}

// Every hostile shape of every case, on one page: about 470 shapes, with 23 loupes and 23 redactions over
// them all.
inline pf::Value everyHostileShape()
{
    registerControlKinds(pf::ClassRegistry::shared());
    const std::vector<const ShapeClass*> kinds = listedKinds();
    pf::Value everything = pf::Value::array();
    for (const Hostile& hostile : hostileCases()) {
        const pf::Value shapes = shapesOf(hostile, kinds);
        for (const pf::Value& shape : shapes.asArray())
            everything.append(shape);
    }
    return everything;
}

// Where the sound red rectangle drawn above the hostile shapes lies on a 320 × 480 page.
inline const pf::Rect markerFrame(200, 300, 80, 60);

// A 320 × 480 page holding the shapes, then the sound red rectangle above them.
inline pf::Value pageWithMarker(pf::Value children)
{
    auto marker = Shape::make<Rectangle>(markerFrame);
    marker->setFillColor(pf::Color(1, 0, 0, 1));
    marker->setStrokeType(3);
    children.append(marker->asPlist());
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(320);
    metrics->setHeight(480);
    pf::Value page = Composition::make(metrics)->asPlist();
    page.set(QStringLiteral("children"), children);
    return page;
}

// Writes a package of the pages into folder; answers its path, or an empty string when it cannot be
// written.
inline QString writePages(const QString& folder, const pf::Value::Array& pages)
{
    pf::Value document = pf::Value::dictionary();
    document.set("version", 8);
    document.set("compositions", pf::Value(pages));
    const QString package = QDir(folder).filePath(QStringLiteral("Hostile.quorveldoc"));
    QDir().mkpath(package + QStringLiteral("/Resources"));
    QFile file(package + QStringLiteral("/composition_data.plist"));
    if (!file.open(QIODevice::WriteOnly) || file.write(*pf::writePropertyList(document).data) < 0)
        return {};
    return package;
}

// Writes a package of one page holding the shapes, then the sound red rectangle above them, into folder;
// answers its path, or an empty string when it cannot be written.
inline QString writePackage(const QString& folder, pf::Value children)
{
    return writePages(folder, {pageWithMarker(std::move(children))});
}


} // namespace hostile
