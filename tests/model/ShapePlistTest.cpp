// The stored form: golden round trip of every field, the reader's migrations and defaults, the library
// entry, style transfer, and untrusted input.
#include "ShapeTestSupport.h"

#include "geometry/QVColor.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/graphics/RecordingContext.h"
#include "model/Group.h"
#include "platform/text/Font.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace {

QByteArray xml(const pf::Value& v)
{
    auto written = pf::writePropertyList(v);
    EXPECT_TRUE(written.ok()) << written.error.toStdString();
    return written.data.value_or(QByteArray());
}

pf::Value dict(std::initializer_list<std::pair<const char*, pf::Value>> entries)
{
    pf::Value d = pf::Value::dictionary();
    for (const auto& [k, v] : entries)
        d.set(QString::fromLatin1(k), v);
    return d;
}

std::shared_ptr<Shape> everyFieldShape()
{
    auto s = Shape::make<TestBox>({10, 20, 200, 100});
    s->setIdentifier("6F1C2E4A-0B7D-4E59-9A13-2C8D5F6E7A90");
    s->setTitle("Golden");
    s->setUserSetTitle(true);
    s->setHidden(true);
    s->setLocked(true);
    s->setOpacity(0.75);
    s->setConstrainAspectRatio(true);
    s->setRotationAngle(30);
    s->setRotationHandleRadius(120);
    s->setAdjustmentRatioX(0.25);
    s->setAdjustmentRatioY(0.5);
    s->setFillType(2);
    s->setFillAngle(45);
    s->setFillColor(pf::Color(0.1, 0.2, 0.3, 0.4));
    s->setFillGradientElements({{pf::Color(1, 0, 0, 1), 0}, {std::nullopt, 0.5}, {pf::Color(0, 0, 1, 0.5), 1}});
    s->setFillShadowHidden(true);
    s->setFillShadowBlur(3);
    s->setFillShadowOffsetX(2);
    s->setFillShadowOffsetY(-4);
    s->setFillShadowColor(pf::Color(0, 0, 0, 0.25));
    s->setStrokeType(1);
    s->setStrokeLineWidth(2.5);
    s->setStrokeLineCap(1);
    s->setStrokeLineJoin(2);
    s->setStrokeColor(pf::Color(0.5, 0.5, 0.5, 1));
    s->setStroke1Enabled(true);
    s->setStroke1Color(pf::Color(1, 1, 0, 1));
    s->setStroke2Enabled(true);
    s->setStroke2Color(std::nullopt);
    s->setStrokeShadowHidden(true);
    s->setStrokeShadowBlur(1.5);
    s->setStrokeShadowOffsetX(-1);
    s->setStrokeShadowOffsetY(6);
    s->setStrokeShadowColor(pf::Color(0, 0.5, 0, 1));
    pf::TextAttributes attributes;
    attributes.font = pf::Font("Helvetica", 14);
    attributes.foregroundColor = pf::Color(0, 0, 1, 1);
    s->setAttributedText(pf::AttributedString("Hello\nworld", attributes));
    s->setTextAlign(1);
    s->setTextVerticalAlign(2);
    s->setTextAppearanceType(1);
    s->setTextDrawOnPath(true);
    s->setTextShadowHidden(false);
    s->setTextShadowBlur(2);
    s->setTextShadowOffsetX(1);
    s->setTextShadowOffsetY(3);
    s->setTextShadowColor(pf::Color(1, 1, 1, 0.5));
    s->setImageIdentifier("IMAGE-1");
    s->setImageType(1);
    s->setScaleImage(false);
    s->setImageAnchorRatio({0.25, 0.75});
    auto blur = std::make_shared<FilterSpec>();
    blur->setType(2);
    blur->setSliderValue(4.5);
    auto off = std::make_shared<FilterSpec>();
    off->setEnabled(false);
    s->setContentFilterSpecs({blur, off});
    return s;
}

const QString goldenPath = QStringLiteral(QUORVEL_TEST_DATA "/shape/every-field.plist");

} // namespace

TEST_F(ShapeTest, EveryFieldRoundTripsToTheGoldenFile)
{
    auto shape = everyFieldShape();
    const QByteArray written = xml(shape->asPlist());
    if (qEnvironmentVariableIsSet("QUORVEL_UPDATE_GOLDEN")) {
        QFile out(goldenPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(written);
    }
    QFile golden(goldenPath);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << "missing " << goldenPath.toStdString();
    const QByteArray expected = golden.readAll();
    EXPECT_EQ(written, expected);

    auto read = pf::readPropertyList(expected);
    ASSERT_TRUE(read.ok());
    auto back = Shape::fromPlist(*read.value);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(&back->classObject(), &TestBox::staticClass());
    EXPECT_TRUE(back->isEqual(*shape));
    EXPECT_EQ(back->identifier(), shape->identifier());
    EXPECT_EQ(back->contentFilterSpecs().size(), 2u);
    EXPECT_EQ(back->attributedText()->string(), "Hello\nworld");
    EXPECT_EQ(xml(back->asPlist()), expected);
}

// Text typed into a shape carries the kind's default attributes (a hex shadow colour with alpha, "no
// maximum" line height, a baseline offset of zero); saved and opened again, the shape is the same.
TEST_F(ShapeTest, TextWithTheDefaultAttributesReadsBackAsSaved)
{
    auto shape = Shape::make<TestBox>({0, 0, 100, 40});
    pf::MutableAttributedString text(QStringLiteral("Typed "), shape->shapeClass().defaultTextAttributes());
    pf::TextAttributes red = shape->shapeClass().defaultTextAttributes();
    red.foregroundColor = QVHexaColor(0xCC3311FF);
    text.append(pf::AttributedString(QStringLiteral("red"), red));
    shape->setAttributedText(text);
    auto read = pf::readPropertyList(xml(shape->asPlist()));
    ASSERT_TRUE(read.ok());
    auto back = Shape::fromPlist(*read.value);
    ASSERT_NE(back, nullptr);
    ASSERT_TRUE(back->hasText());
    EXPECT_TRUE(back->attributedText()->isEqualToAttributedString(*shape->attributedText()));
    EXPECT_TRUE(back->isEqual(*shape));
}

TEST_F(ShapeTest, OnlyClassNameAndFrame)
{
    registerDefault("Default-fillColor", "1:0:0:1");
    registerDefault("Default-fillType", 1);
    auto s = Shape::fromPlist(dict({{"className", "TestBox"}, {"frame", "{{1, 2}, {30, 40}}"}}));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->identifier().size(), 36);
    EXPECT_TRUE(s->title().isNull());
    EXPECT_EQ(s->opacity(), 0.0);
    EXPECT_EQ(s->rotationHandleRadius(), 0.0);
    EXPECT_EQ(s->frame(), pf::Rect(1, 2, 30, 40));
    EXPECT_EQ(s->fillColor(), std::nullopt);
    EXPECT_EQ(s->fillType(), 0u);
    EXPECT_EQ(s->imageAnchorRatio(), pf::Point(0.5, 0.5));
    EXPECT_FALSE(s->hasText());
    // Reading does not switch sticky setting off: the read style reaches the family.
    EXPECT_EQ(userValues().at("User-Shape-fillColor"), pf::Value(""));
}

TEST_F(ShapeTest, ShadowsOfVersionSixAndEarlierAreFlipped)
{
    struct Case {
        std::optional<int> version;
        double stored, expected;
    };
    const Case cases[] = {{6, 3, -3}, {5, -2, 2}, {6, 0, 0}, {7, 3, 3}, {std::nullopt, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version.value() : -1);
        std::optional<pf::ThreadValueScope> scope;
        if (c.version)
            scope.emplace(QString::fromLatin1(pf::TlsVersionKey), *c.version);
        auto s = Shape::fromPlist(dict({{"className", "TestBox"},
                                        {"fillShadowOffsetY", c.stored},
                                        {"strokeShadowOffsetY", c.stored},
                                        {"textShadowOffsetY", c.stored}}));
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->fillShadowOffsetY(), c.expected);
        EXPECT_EQ(s->strokeShadowOffsetY(), c.expected);
        EXPECT_EQ(s->textShadowOffsetY(), c.expected);
    }
}

TEST_F(ShapeTest, OldGradientFillTypes)
{
    const pf::Color a(1, 0, 0, 1), b(0, 1, 0, 1), c(0, 0, 1, 1);
    auto three = Shape::fromPlist(dict({{"className", "TestBox"},
                                        {"fillType", 3},
                                        {"fillColorA", QVStringFromColor(a)},
                                        {"fillColorB", QVStringFromColor(b)},
                                        {"fillColorC", QVStringFromColor(c)},
                                        {"fillColor", "0:0:0:1"}}));
    EXPECT_EQ(three->fillType(), 1u);
    EXPECT_EQ(three->fillColor(), a);
    EXPECT_EQ(three->fillGradientElements(), (GradientElements{{a, 0}, {b, 0.5}, {c, 1}}));

    auto two = Shape::fromPlist(dict({{"className", "TestBox"},
                                      {"fillType", 4},
                                      {"fillColorA", QVStringFromColor(a)},
                                      {"fillColorB", QVStringFromColor(b)}}));
    EXPECT_EQ(two->fillType(), 2u);
    EXPECT_EQ(two->fillGradientElements(), (GradientElements{{a, 0}, {b, 1}}));
}

TEST_F(ShapeTest, LibraryEntryAndEnsuredFrame)
{
    const pf::Value entry = TestBox::staticClass().plist();
    EXPECT_EQ(entry.stringForKey("className"), "TestBox");
    EXPECT_EQ(entry.stringForKey("title"), "Test Box (T)");
    EXPECT_EQ(entry.stringForKey("shortTitle"), "Test Box");
    EXPECT_FALSE(entry.contains("longDescription"));
    EXPECT_FALSE(entry.contains("iconImageName"));
    EXPECT_TRUE(entry.contains("extraSearchString"));
    EXPECT_FALSE(Shape::staticClass().plist().contains("title"));

    const pf::Rect visible(0, 0, 301, 201);
    EXPECT_EQ(Shape::plistByEnsuringFrameToPlistInRect(entry, visible).stringForKey("frame"), "{{131, 91}, {40, 20}}");
    EXPECT_EQ(Shape::plistByEnsuringFrameToPlistInRect(dict({{"className", "Nothing"}}), visible).stringForKey("frame"),
              "{{151, 101}, {0, 0}}");
    const pf::Value framed = dict({{"className", "TestBox"}, {"frame", "{{1, 1}, {2, 2}}"}});
    EXPECT_EQ(Shape::plistByEnsuringFrameToPlistInRect(framed, visible), framed);

    // Placing a library entry takes the sticky style, never the stored one, and writes none.
    store().setObjectForKey(4.0, "User-Shape-strokeLineWidth");
    registerDefault("Default-strokeLineWidth", 1.0);
    auto placed = Shape::shapeFromPlist(dict({{"className", "TestBox"}, {"frame", "{{0, 0}, {10, 10}}"}, {"strokeLineWidth", 9.0}}));
    EXPECT_EQ(placed->strokeLineWidth(), 4.0);
    auto builtIn = Shape::shapeFromPlist(dict({{"className", "TestBox"}, {"frame", "{{0, 0}, {10, 10}}"}}), true);
    EXPECT_EQ(builtIn->strokeLineWidth(), 1.0);
    EXPECT_EQ(userValues().size(), 1u);
}

TEST_F(ShapeTest, StyleExtractAndApply)
{
    auto source = everyFieldShape();
    const pf::Value style = source->extractStyle();
    EXPECT_EQ(style.stringForKey("textColor"), QVStringFromColor(pf::Color(0, 0, 1, 1)));
    EXPECT_EQ(style.stringForKey("textFontName"), "Helvetica");
    EXPECT_EQ(style.doubleForKey("textFontSize"), 14.0);

    auto target = boxOnPage();
    target->setAttributedText(pf::AttributedString("abc", pf::TextAttributes{pf::Font("Times", 10), pf::Color(1, 0, 0, 1)}));
    page.undo.removeAllActions();
    clearUserValues();
    target->applyStyle(style);
    EXPECT_TRUE(userValues().empty());
    EXPECT_EQ(target->fillColor(), source->fillColor());
    EXPECT_EQ(target->fillGradientElements(), source->fillGradientElements());
    EXPECT_EQ(target->strokeShadowOffsetY(), source->strokeShadowOffsetY());
    EXPECT_EQ(target->adjustmentRatioX(), 0.25);
    EXPECT_EQ(target->textAlign(), 1u);
    EXPECT_EQ(target->contentFilterSpecs().size(), 2u);
    const pf::TextAttributes first = target->attributedText()->attributesAtIndex(0);
    EXPECT_EQ(first.font, pf::Font("Helvetica", 14));
    EXPECT_EQ(first.foregroundColor, pf::Color(0, 0, 1, 1));
    EXPECT_EQ(target->attributedText()->string(), "abc");
    EXPECT_TRUE(page.undo.canUndo());
    // Opacity, title and the flags are not style.
    EXPECT_EQ(target->opacity(), 1.0);
    EXPECT_FALSE(target->isHidden());

    // An empty filter list leaves the filters alone.
    pf::Value noFilters = style;
    noFilters.set("contentFilterSpecs", pf::Value::array());
    target->setContentFilterSpecs({std::make_shared<FilterSpec>()});
    target->applyFilterStyle(noFilters);
    EXPECT_EQ(target->contentFilterSpecs().size(), 1u);
}

TEST_F(ShapeTest, UntrustedClassNames)
{
    static const pf::ClassObject notAShape(QStringLiteral("NotAShape"), nullptr);
    pf::ClassRegistry::shared().add(notAShape);
    for (const pf::Value& name : {pf::Value("NoSuchKind"), pf::Value("NotAShape"), pf::Value(""), pf::Value(7),
                                  pf::Value::array()}) {
        SCOPED_TRACE(name.description().toStdString());
        const pf::Value d = dict({{"className", name}, {"frame", "{{0, 0}, {10, 10}}"}});
        EXPECT_EQ(Shape::fromPlist(d), nullptr);
        EXPECT_EQ(Shape::shapeFromPlist(d), nullptr);
    }
    EXPECT_EQ(Shape::fromPlist(pf::Value("TestBox")), nullptr);
    EXPECT_EQ(Shape::fromPlist(pf::Value()), nullptr);
}

TEST_F(ShapeTest, WrongTypedValuesReadAsAbsent)
{
    const pf::Value d = dict({{"className", "TestBox"},
                              {"frame", 12},
                              {"identifier", 5},
                              {"title", pf::Value::array()},
                              {"opacity", "not a number"},
                              {"fillColor", 1.5},
                              {"fillGradientElements", "stops"},
                              {"contentFilterSpecs", pf::Value(pf::Value::Array{pf::Value(1), pf::Value("x")})},
                              {"attributedTextData", "not data"},
                              {"imageIdentifier", 3},
                              {"imageAnchorRatio", pf::Value::dictionary()},
                              {"fillType", pf::Value::dictionary()}});
    auto s = Shape::fromPlist(d);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->frame(), pf::Rect());
    EXPECT_EQ(s->identifier().size(), 36);
    EXPECT_TRUE(s->title().isNull());
    EXPECT_EQ(s->opacity(), 0.0);
    EXPECT_EQ(s->fillColor(), std::nullopt);
    EXPECT_TRUE(s->contentFilterSpecs().empty());
    EXPECT_FALSE(s->hasText());
    EXPECT_TRUE(s->imageIdentifier().isNull());
    EXPECT_EQ(s->imageAnchorRatio(), pf::Point(0.5, 0.5));

    pf::Value entries = dict({{"className", "TestBox"}});
    entries.set("fillType", 1);
    entries.set("fillGradientElements", pf::Value::Array{pf::Value(1), dict({{"color", "1:0:0:1"}, {"ratio", 0.5}})});
    EXPECT_EQ(Shape::fromPlist(entries)->fillGradientElements(), (GradientElements{{pf::Color(1, 0, 0, 1), 0.5}}));
}

TEST_F(ShapeTest, HugeAndNonFiniteNumbers)
{
    const double inf = std::numeric_limits<double>::infinity();
    const pf::Value d = dict({{"className", "TestBox"},
                              {"frame", "{{1e999, 0}, {10, 10}}"},
                              {"opacity", inf},
                              {"fillShadowBlur", "1e999"},
                              {"strokeLineWidth", std::nan("")},
                              {"rotationAngle", 1e300},
                              {"adjustmentRatioX", 1e308},
                              {"strokeLineCap", 1e20},
                              {"fillType", -1},
                              {"textShadowOffsetY", "-1e999"},
                              {"imageAnchorRatio", "{-1e999, 0.5}"},
                              {"strokeColor", "1e999:0:0:1"}});
    auto s = Shape::fromPlist(d);
    ASSERT_NE(s, nullptr);
    const pf::Rect f = s->frame();
    EXPECT_TRUE(std::isfinite(f.x()) && std::isfinite(f.y()) && std::isfinite(f.width()) && std::isfinite(f.height()));
    EXPECT_EQ(s->opacity(), 0.0);
    EXPECT_EQ(s->fillShadowBlur(), 0.0);
    EXPECT_EQ(s->strokeLineWidth(), 0.0);
    EXPECT_EQ(s->textShadowOffsetY(), 0.0);
    EXPECT_EQ(s->strokeColor(), pf::Color(0, 0, 0, 1)); // an overflowing component reads 0
    EXPECT_TRUE(std::isfinite(s->imageAnchorRatio().x) && std::isfinite(s->imageAnchorRatio().y));
    EXPECT_EQ(s->adjustmentRatioX(), 1e308);
    EXPECT_EQ(s->rotationAngle(), std::numeric_limits<std::int64_t>::max());

    // Setters refuse non-finite numbers, so a shape never holds one to write.
    auto odd = Shape::make<TestBox>({0, 0, 10, 10});
    const double opacity = odd->opacity();
    odd->setOpacity(inf);
    odd->setFillShadowBlur(std::nan(""));
    const pf::Value written = odd->asPlist();
    EXPECT_EQ(written.objectForKey("opacity"), pf::Value(opacity));
    EXPECT_TRUE(std::isfinite(written.doubleForKey("fillShadowBlur")));
    EXPECT_TRUE(pf::writePropertyList(written).ok());
    EXPECT_TRUE(pf::writePropertyList(s->asPlist()).ok());

    // The extreme stored angles turn and fill without overflowing (the sanitizer reports any), alone and
    // in a group.
    for (const std::int64_t angle : {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
        auto box = Shape::make<TestBox>({0, 0, 10, 10});
        box->setFillType(2);
        box->setRotationAngle(angle);
        box->setFillAngle(std::numeric_limits<std::int64_t>::max());
        auto group = Group::groupWithShapes({box});
        group->setRotationAngle(angle);
        pf::RecordingContext recording;
        group->drawInContextDirtyRect(recording, pf::Rect(-20, -20, 50, 50));
        box->drawInContextDirtyRect(recording, pf::Rect(-20, -20, 50, 50));
        EXPECT_EQ(box->fillGradientAngle(), double(angle) + double(std::numeric_limits<std::int64_t>::max()));
    }
}

TEST_F(ShapeTest, TenMegabyteString)
{
    const QString big(10 * 1024 * 1024, QLatin1Char('x'));
    auto s = Shape::fromPlist(dict({{"className", "TestBox"}, {"title", big}, {"fillColor", big}, {"frame", big},
                                    {"attributedTextData", big.toLatin1()}}));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->title().size(), big.size());
    EXPECT_EQ(s->fillColor(), std::nullopt);
}
