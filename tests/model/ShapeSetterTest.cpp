// The setter pattern on every setter of Shape: no-op on an equal value, otherwise one undo step with its
// action name (and redo under the same name), will/did notices, a sticky write for style keys only, and
// undo restoring the stored form exactly.
#include "ShapeTestSupport.h"

#include "platform/foundation/PropertyList.h"

#include <functional>

namespace {

struct SetterCase {
    const char* key;
    std::function<void(Shape&)> set;
    const char* action;
    bool sticky;
    // Puts the shape in the state the change starts from (for the "off" direction of flags).
    std::function<void(Shape&)> prepare = nullptr;
    // The redo step is registered by the inverse change, under its own name (flags name the direction).
    const char* redoAction = nullptr;
};

std::vector<SetterCase> setterCases()
{
    const pf::Color red(1, 0, 0, 1);
    const auto filter = std::make_shared<FilterSpec>();
    return {
        {"title", [](Shape& s) { s.setTitle("T"); }, "Edit Title", false},
        {"hidden", [](Shape& s) { s.setHidden(true); }, "Hide Object", false, nullptr, "Show Object"},
        {"hidden", [](Shape& s) { s.setHidden(false); }, "Show Object", false, [](Shape& s) { s.setHidden(true); }, "Hide Object"},
        {"locked", [](Shape& s) { s.setLocked(true); }, "Lock Object", false},
        {"locked", [](Shape& s) { s.setLocked(false); }, "Lock Object", false, [](Shape& s) { s.setLocked(true); }},
        {"opacity", [](Shape& s) { s.setOpacity(0.5); }, "Opacity", false},
        {"constrainAspectRatio", [](Shape& s) { s.setConstrainAspectRatio(true); }, "Constrain Aspect Ration", false},
        {"rotationAngle", [](Shape& s) { s.setRotationAngle(30); }, "Rotation", false},
        {"adjustmentRatioX", [](Shape& s) { s.setAdjustmentRatioX(0.3); }, "Adjustment", true},
        {"adjustmentRatioY", [](Shape& s) { s.setAdjustmentRatioY(0.7); }, "Adjustment", true},
        // (Not a gradient type: asking a gradient type's stops fills them in, which undo does not take back.)
        {"fillType", [](Shape& s) { s.setFillType(5); }, "Fill Type", true},
        {"fillAngle", [](Shape& s) { s.setFillAngle(45); }, "Fill Angle", true},
        {"fillColor", [red](Shape& s) { s.setFillColor(red); }, "Fill Color", true},
        {"fillGradientElements", [red](Shape& s) { s.setFillGradientElements({{red, 0.25}}); }, "Fill Gradient Colors", false},
        {"fillShadowHidden", [](Shape& s) { s.setFillShadowHidden(true); }, "Hide Fill Shadow", true, nullptr, "Show Fill Shadow"},
        {"fillShadowHidden", [](Shape& s) { s.setFillShadowHidden(false); }, "Show Fill Shadow", true,
         [](Shape& s) { s.setFillShadowHidden(true); }, "Hide Fill Shadow"},
        {"fillShadowBlur", [](Shape& s) { s.setFillShadowBlur(3); }, "Fill Shadow Blur", true},
        {"fillShadowOffsetX", [](Shape& s) { s.setFillShadowOffsetX(2); }, "Fill Shadow Offset X", true},
        {"fillShadowOffsetY", [](Shape& s) { s.setFillShadowOffsetY(-2); }, "Fill Shadow Offset Y", true},
        {"fillShadowColor", [red](Shape& s) { s.setFillShadowColor(red); }, "Fill Shadow Color", true},
        {"strokeType", [](Shape& s) { s.setStrokeType(1); }, "Stroke Type", true},
        {"strokeLineWidth", [](Shape& s) { s.setStrokeLineWidth(4); }, "Stroke Width", true},
        {"strokeLineCap", [](Shape& s) { s.setStrokeLineCap(1); }, "Stroke Line Cap", true},
        {"strokeLineJoin", [](Shape& s) { s.setStrokeLineJoin(2); }, "Stroke Line Join", true},
        {"strokeColor", [red](Shape& s) { s.setStrokeColor(red); }, "Stroke Color", true},
        {"stroke1Enabled", [](Shape& s) { s.setStroke1Enabled(true); }, "Show Stroke Border", true, nullptr, "Hide Stroke Border"},
        {"stroke1Enabled", [](Shape& s) { s.setStroke1Enabled(false); }, "Hide Stroke Border", true,
         [](Shape& s) { s.setStroke1Enabled(true); }, "Show Stroke Border"},
        {"stroke1Color", [red](Shape& s) { s.setStroke1Color(red); }, "Stroke Border Color", true},
        {"stroke2Enabled", [](Shape& s) { s.setStroke2Enabled(true); }, "Show Stroke Border", true, nullptr, "Hide Stroke Border"},
        {"stroke2Color", [red](Shape& s) { s.setStroke2Color(red); }, "Stroke Border Color", true},
        {"strokeShadowHidden", [](Shape& s) { s.setStrokeShadowHidden(true); }, "Hide Stroke Shadow", true, nullptr, "Show Stroke Shadow"},
        {"strokeShadowHidden", [](Shape& s) { s.setStrokeShadowHidden(false); }, "Show Stroke Shadow", true,
         [](Shape& s) { s.setStrokeShadowHidden(true); }, "Hide Stroke Shadow"},
        {"strokeShadowBlur", [](Shape& s) { s.setStrokeShadowBlur(5); }, "Stroke Shadow Blur", true},
        {"strokeShadowOffsetX", [](Shape& s) { s.setStrokeShadowOffsetX(1); }, "Stroke Shadow Offset X", true},
        {"strokeShadowOffsetY", [](Shape& s) { s.setStrokeShadowOffsetY(1); }, "Stroke Shadow Offset Y", true},
        {"strokeShadowColor", [red](Shape& s) { s.setStrokeShadowColor(red); }, "Stroke Shadow Color", true},
        {"scaleImage", [](Shape& s) { s.setScaleImage(true); }, "Scale Image", true},
        {"imageAnchorRatio", [](Shape& s) { s.setImageAnchorRatio({0.2, 0.9}); }, "Image Clip", false},
        {"imageIdentifier", [](Shape& s) { s.setImageIdentifier("IMG-1"); }, "Image", false},
        {"contentFilterSpecs", [filter](Shape& s) { s.setContentFilterSpecs({filter}); }, "Change Filter", false},
        {"textAlign", [](Shape& s) { s.setTextAlign(1); }, "Text Horizontal Alignment", true},
        {"textVerticalAlign", [](Shape& s) { s.setTextVerticalAlign(2); }, "Text Vertical Alignment", true},
        {"textAppearanceType", [](Shape& s) { s.setTextAppearanceType(1); }, "Text Appearance", true},
        {"textDrawOnPath", [](Shape& s) { s.setTextDrawOnPath(true); }, "Draw Text on Path", true},
        {"textShadowHidden", [](Shape& s) { s.setTextShadowHidden(true); }, "Hide Text Shadow", true, nullptr, "Show Text Shadow"},
        {"textShadowHidden", [](Shape& s) { s.setTextShadowHidden(false); }, "Show Text Shadow", true,
         [](Shape& s) { s.setTextShadowHidden(true); }, "Hide Text Shadow"},
        {"textShadowBlur", [](Shape& s) { s.setTextShadowBlur(2); }, "Text Shadow Blur", true},
        {"textShadowOffsetX", [](Shape& s) { s.setTextShadowOffsetX(2); }, "Text Shadow Offset X", true},
        {"textShadowOffsetY", [](Shape& s) { s.setTextShadowOffsetY(2); }, "Text Shadow Offset Y", true},
        {"textShadowColor", [red](Shape& s) { s.setTextShadowColor(red); }, "Text Shadow Color", true},
    };
}

QByteArray xml(const Shape& s)
{
    return pf::writePropertyList(s.asPlist()).data.value_or(QByteArray());
}

} // namespace

TEST_F(ShapeTest, EverySetterFollowsThePattern)
{
    for (const SetterCase& c : setterCases()) {
        SCOPED_TRACE(std::string(c.key) + " / " + c.action);
        auto box = boxOnPage();
        if (c.prepare)
            c.prepare(*box);
        page.undo.removeAllActions();
        clearUserValues();
        const QByteArray before = xml(*box);

        std::vector<std::pair<QString, pf::ChangePhase>> notices;
        auto token = box->addObserver(QString::fromLatin1(c.key), [&notices](pf::Object&, const QString& key, pf::ChangePhase phase) {
            notices.push_back({key, phase});
        });
        c.set(*box);
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(notices, (std::vector<std::pair<QString, pf::ChangePhase>>{{key, pf::ChangePhase::Will}, {key, pf::ChangePhase::Did}}));
        EXPECT_EQ(page.undo.undoActionName(), QString::fromLatin1(c.action));
        const QString userKey = QStringLiteral("User-Shape-") + key;
        EXPECT_EQ(userValues().count(userKey), c.sticky ? 1u : 0u);
        const QByteArray after = xml(*box);
        EXPECT_NE(after, before);

        // The same value again: nothing at all.
        notices.clear();
        clearUserValues();
        c.set(*box);
        EXPECT_TRUE(notices.empty());
        EXPECT_TRUE(userValues().empty());

        // Exactly one step, which restores the stored form and can be redone under the same name.
        ASSERT_TRUE(page.undo.undo());
        EXPECT_FALSE(page.undo.canUndo());
        EXPECT_EQ(xml(*box), before);
        EXPECT_EQ(page.undo.redoActionName(), QString::fromLatin1(c.redoAction ? c.redoAction : c.action));
        ASSERT_TRUE(page.undo.redo());
        EXPECT_EQ(xml(*box), after);
    }
}

TEST_F(ShapeTest, SettersWithoutAPageRegisterNothingButStillWriteSticky)
{
    auto box = Shape::make<TestBox>(pf::Rect(0, 0, 10, 10));
    box->setFillColor(pf::Color(0, 1, 0, 1));
    EXPECT_FALSE(page.undo.canUndo());
    EXPECT_EQ(userValues().at("User-Shape-fillColor"), pf::Value("0.000000:1.000000:0.000000:1.000000"));
}

TEST_F(ShapeTest, NonFiniteNumbersAreRefused)
{
    auto box = boxOnPage();
    box->setStrokeLineWidth(3);
    page.undo.removeAllActions();
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        box->setStrokeLineWidth(v);
        box->setValueForKey(pf::Variant(v), QStringLiteral("fillShadowBlur"));
    }
    EXPECT_EQ(box->strokeLineWidth(), 3);
    EXPECT_TRUE(std::isfinite(box->fillShadowBlur()));
    EXPECT_FALSE(page.undo.canUndo());
}

TEST_F(ShapeTest, ColoursCompareByValue)
{
    auto box = boxOnPage();
    box->setFillColor(pf::Color(0.25, 0.5, 0.75, 1));
    page.undo.removeAllActions();
    box->setFillColor(pf::Color(0.25, 0.5, 0.75, 1));
    EXPECT_FALSE(page.undo.canUndo());
}

TEST_F(ShapeTest, FrameNoticesNestAndRotationIsOneStep)
{
    auto box = boxOnPage();
    std::vector<QString> log;
    std::vector<pf::ObservationToken> tokens;
    for (const char* key : {"frame", "displayFrameX", "displayFrameY", "displayFrameWidth", "displayFrameHeight"})
        tokens.push_back(box->addObserver(QString::fromLatin1(key), [&log](pf::Object&, const QString& k, pf::ChangePhase p) {
            log.push_back((p == pf::ChangePhase::Will ? QStringLiteral("will ") : QStringLiteral("did ")) + k);
        }));
    box->setFrame(pf::Rect(10.4, 20.6, 100.5, 50.2));
    EXPECT_EQ(box->frame(), pf::Rect(10, 21, 101, 50));
    EXPECT_EQ(log, (std::vector<QString>{"will frame", "will displayFrameX", "will displayFrameY", "will displayFrameWidth",
                                         "will displayFrameHeight", "did displayFrameHeight", "did displayFrameWidth",
                                         "did displayFrameY", "did displayFrameX", "did frame"}));
    EXPECT_EQ(page.undo.undoActionName(), "Reposition");

    page.undo.removeAllActions();
    box->setRotationAngle(30);
    EXPECT_EQ(page.undo.undoActionName(), "Rotation");
    ASSERT_TRUE(page.undo.undo());
    EXPECT_FALSE(page.undo.canUndo());
    EXPECT_EQ(box->rotationAngle(), 0);
}

TEST_F(ShapeTest, ImageIdentifierMovesReferenceCounts)
{
    auto box = boxOnPage();
    box->setImageIdentifier("A");
    box->setImageIdentifier("B");
    EXPECT_EQ(page.refCounts["A"], 0);
    EXPECT_EQ(page.refCounts["B"], 1);
    (void)box->image();
    EXPECT_EQ(page.imageRequests, std::vector<QString>{"B"});

    auto loose = Shape::make<TestBox>(pf::Rect(0, 0, 10, 10));
    loose->setImageIdentifier("C");
    EXPECT_EQ(page.refCounts.count("C"), 0u);
}

TEST_F(ShapeTest, RedisplayGoesToThePage)
{
    auto box = boxOnPage();
    page.redisplays.clear();
    box->setOpacity(0.5);
    ASSERT_FALSE(page.redisplays.empty());
    EXPECT_FALSE(page.redisplays.back().palettes);
    box->setHidden(true);
    EXPECT_TRUE(page.redisplays.back().palettes);
    page.redisplays.clear();
    box->setConstrainAspectRatio(true);
    box->setTitle("x");
    EXPECT_TRUE(page.redisplays.empty());
}

TEST_F(ShapeTest, RotationHandleRadiusIsRoundedAndKeptClearOfTheSideHandles)
{
    auto box = Shape::make<TestBox>(pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(box->rotationHandleRadius(), 100);
    box->setRotationHandleRadius(80.4);
    EXPECT_EQ(box->rotationHandleRadius(), 80);
    box->setRotationHandleRadius(50); // would sit on the middle-right handle
    EXPECT_EQ(box->rotationHandleRadius(), 80);
}

TEST_F(ShapeTest, KindsWriteTheirSettersReadersAndCopiesTheSameWay)
{
    registerDefault("Default-curveRatio", 0.5);
    auto box = boxOnPage();
    EXPECT_EQ(box->curveRatio(), 0.5);
    page.undo.removeAllActions();
    box->setCurveRatio(0.75);
    EXPECT_EQ(page.undo.undoActionName(), "Curve");
    EXPECT_EQ(userValues().at("User-Shape-curveRatio"), pf::Value(0.75));
    EXPECT_EQ(Shape::make<TestBox>({0, 0, 10, 10})->curveRatio(), 0.75);

    auto read = Shape::fromPlist(box->asPlist());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(static_cast<TestBox&>(*read).curveRatio(), 0.75);
    EXPECT_EQ(static_cast<TestBox&>(*box->copy()).curveRatio(), 0.75);
    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(box->curveRatio(), 0.5);
}
