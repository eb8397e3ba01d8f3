// A package written by someone hostile: every number a shape stores pushed to what breaks arithmetic,
// allocation or loops. The preview must come back quickly, skip or harmlessly draw those shapes, and draw
// the rest as usual.
#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/Parent.h"
#include "model/Rectangle.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/PropertyList.h"
#include "quicklook/host/PreviewHost.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

using Edit = std::function<void(pf::Value&)>;

struct Hostile {
    const char* what;
    std::vector<const char*> kinds; // empty: a kind of each family (outlines, lines, text, pictures, controls)
    Edit edit;
};

Edit set(const char* key, pf::Value value)
{
    return [key, value](pf::Value& shape) { shape.set(QString::fromLatin1(key), value); };
}

Edit both(Edit a, Edit b)
{
    return [a, b](pf::Value& shape) { a(shape), b(shape); };
}

pf::Value rawInteger(const char* digits)
{
    // Stored as a writer of unsigned numbers would store it.
    return *pf::readPropertyList(QByteArray("<plist><integer>") + digits + "</integer></plist>").value;
}

pf::Value gradient(int stops, double ratio)
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

pf::Value unknownFilters(int count)
{
    pf::Value specs = pf::Value::array();
    for (int i = 0; i < count; ++i) {
        pf::Value spec = pf::Value::dictionary();
        spec.set(QStringLiteral("enabled"), true);
        spec.set(QStringLiteral("sliderValue"), 1e308);
        spec.set(QStringLiteral("type"), rawInteger("18446744073709551615"));
        specs.append(spec);
    }
    return specs;
}

const QString maxUnsigned = QStringLiteral("18446744073709551615");
const char* const pictureKinds[] = {"Loupe", "Redact"};

std::vector<Hostile> hostileCases()
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

std::vector<const ShapeClass*> listedKinds()
{
    std::vector<const ShapeClass*> kinds;
    for (const ShapeClass* kind : pf::ClassRegistry::shared().classesOfKind<ShapeClass>())
        if (!kind->title().isEmpty() && !kind->isSubclassOf(Parent::staticClass()))
            kinds.push_back(kind);
    return kinds;
}

// The kinds every hostile value is tried on: each draws its numbers its own way.
const std::vector<const char*> familyKinds = {"Rectangle", "Ellipse",   "Star",     "Callout",   "Pie",
                                              "Line",      "Bezier",    "Brush",    "Text",      "TitleBox",
                                              "Image",     "Loupe",     "Redact",   "UIKeyboard", "UIButton",
                                              "UITabBar",  "UIActionSheet", "UISwitch", "Cylinder", "Swoosh"};

struct Previewed {
    bool ok = false;
    qint64 milliseconds = 0;
    QColor marker;
};

// A package of one page holding the shapes, then a sound red rectangle above them, previewed through the
// plug-in: whether it came back, how long it took and the colour where the rectangle is.
Previewed previewWithMarker(pf::Value children)
{
    auto marker = Shape::make<Rectangle>(pf::Rect(200, 300, 80, 60));
    marker->setFillColor(pf::Color(1, 0, 0, 1));
    marker->setStrokeType(3);
    children.append(marker->asPlist());
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(320);
    metrics->setHeight(480);
    pf::Value page = Composition::make(metrics)->asPlist();
    page.set(QStringLiteral("children"), children);
    pf::Value document = pf::Value::dictionary();
    document.set("version", 8);
    document.set("compositions", pf::Value(pf::Value::Array{page}));

    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("Hostile.quorveldoc"));
    QDir().mkpath(package + QStringLiteral("/Resources"));
    QFile file(package + QStringLiteral("/composition_data.plist"));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(*pf::writePropertyList(document).data);
    file.close();
    const QString pdf = dir.filePath(QStringLiteral("hostile.pdf"));
    Previewed result;
    QElapsedTimer clock;
    clock.start();
    result.ok = renderPreview(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN), package, pdf).ok;
    result.milliseconds = clock.elapsed();
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("36"),
                                              QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    render.waitForFinished(60000);
    const QImage image(dir.filePath(QStringLiteral("page.png")));
    if (image.size() == QSize(160, 240))
        result.marker = image.pixelColor(120, 165);
    return result;
}

// Each hostile value on a kind of each family, one package per value: it comes back quickly, and the
// sound shape above the hostile ones is drawn as usual.
TEST(HostilePreview, HostileNumbersPreviewQuicklyAndLeaveSoundShapesDrawn)
{
    registerControlKinds(pf::ClassRegistry::shared());
    const std::vector<const ShapeClass*> kinds = listedKinds();
    ASSERT_GT(kinds.size(), 30u);
    // Within a second as shipped; a build with sanitizers and without optimisation is many times slower,
    // on a shared machine, and is held only to finishing.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
    constexpr qint64 allowed = 60'000;
#else
    constexpr qint64 allowed = 1'000;
#endif
    const auto all = hostileCases();
    // HOSTILE_ONLY=n previews the n-th case alone.
    const int only = qEnvironmentVariableIntValue("HOSTILE_ONLY") - 1;
    int hostileShapes = 0;
    // Every hostile shape of every case, on one page: the page still previews, the sound shape drawn.
    pf::Value everything = pf::Value::array();
    for (int index = 0; index < int(all.size()); ++index) {
        const Hostile& hostile = all[size_t(index)];
        if (only >= 0 && index != only)
            continue;
        pf::Value children = pf::Value::array();
        const std::vector<const char*>& names = hostile.kinds.empty() ? familyKinds : hostile.kinds;
        for (const ShapeClass* kind : kinds) {
            if (std::find_if(names.begin(), names.end(),
                             [kind](const char* name) { return kind->className() == QLatin1String(name); })
                == names.end())
                continue;
            pf::Value shape = kind->newShape(pf::Rect(40, 40, 120, 90))->asPlist();
            hostile.edit(shape);
            children.append(shape);
            everything.append(shape);
            ++hostileShapes;
        }
        const Previewed previewed = previewWithMarker(children);
        EXPECT_TRUE(previewed.ok) << hostile.what;
        EXPECT_LT(previewed.milliseconds, allowed) << hostile.what;
        EXPECT_EQ(previewed.marker, QColor(255, 0, 0)) << hostile.what;
    }
    EXPECT_GT(hostileShapes, only >= 0 ? 0 : 400);
    if (only >= 0)
        return;
    const Previewed together = previewWithMarker(everything);
    EXPECT_TRUE(together.ok);
    EXPECT_EQ(together.marker, QColor(255, 0, 0));
}

} // namespace
