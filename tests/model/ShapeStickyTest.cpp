// Sticky defaults: the three levels a new shape reads, the family it writes, and the nesting counters.
#include "ShapeTestSupport.h"

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

TEST_F(ShapeTest, NewShapesReadTheThreeStickyLevels)
{
    struct Case {
        const char* name;
        bool userLevel, classLevel, builtIn, stickyOn, gettingOff;
        double expected;
    };
    const Case cases[] = {
        {"user level wins", true, true, true, true, false, 3},
        {"class level without a user value", false, true, true, true, false, 2},
        {"built in without class value", false, false, true, true, false, 1},
        {"nothing: zero", false, false, false, true, false, 0},
        {"user level skipped when the setting is off", true, true, true, false, false, 2},
        {"user level skipped while getting is off", true, true, true, true, true, 2},
        {"built in while getting is off and no class value", true, false, true, true, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetStore();
        if (c.userLevel)
            store().setObjectForKey(3.0, "User-Shape-strokeLineWidth");
        if (c.classLevel)
            registerDefault("TestBox-strokeLineWidth", 2.0);
        if (c.builtIn)
            registerDefault("Default-strokeLineWidth", 1.0);
        registerDefault("StickyPropertiesEnabled", c.stickyOn);
        std::shared_ptr<TestBox> box;
        if (c.gettingOff)
            box = StickyDefaults::doWithoutStickySettingOrGetting([] { return Shape::make<TestBox>({0, 0, 10, 10}); });
        else
            box = Shape::make<TestBox>({0, 0, 10, 10});
        EXPECT_EQ(box->strokeLineWidth(), c.expected);
    }
}

TEST_F(ShapeTest, NewShapesSeeEveryChangeOfTheSettingsBetweenThem)
{
    // New shapes remember what they read from the settings: any change in between must show.
    registerDefault("Default-strokeLineWidth", 1.0);
    const auto width = [] { return Shape::make<TestBox>({0, 0, 10, 10})->strokeLineWidth(); };
    const auto kinWidth = [] { return Shape::make<Shape>({0, 0, 10, 10})->strokeLineWidth(); }; // same family
    EXPECT_EQ(width(), 1.0);
    store().setObjectForKey(3.0, "User-Shape-strokeLineWidth");
    EXPECT_EQ(width(), 3.0);
    EXPECT_EQ(kinWidth(), 3.0);
    Shape::make<TestBox>({0, 0, 10, 10})->setStrokeLineWidth(4); // a sticky write
    EXPECT_EQ(width(), 4.0);
    EXPECT_EQ(kinWidth(), 4.0);
    Shape::make<Shape>({0, 0, 10, 10})->setFillAngle(30); // another key's write leaves this one
    EXPECT_EQ(width(), 4.0);
    EXPECT_EQ(Shape::make<TestBox>({0, 0, 10, 10})->fillAngle(), 30);
    // Getting switched off and on again with nothing written in between.
    EXPECT_EQ(StickyDefaults::doWithoutStickySettingOrGetting(width), 1.0);
    EXPECT_EQ(width(), 4.0);
    // Kinds of one family made in turn: a sticky write through one shows in the other's next shape.
    const auto angle = []<class Kind>(Kind*) { return Shape::make<Kind>({0, 0, 10, 10})->fillAngle(); };
    for (const int a : {50, 60}) {
        Shape::make<Shape>({0, 0, 10, 10})->setFillAngle(a);
        EXPECT_EQ(angle(static_cast<TestBox*>(nullptr)), a);
        Shape::make<TestBox>({0, 0, 10, 10})->setFillAngle(a + 1);
        EXPECT_EQ(angle(static_cast<Shape*>(nullptr)), a + 1);
        EXPECT_EQ(angle(static_cast<TestBox*>(nullptr)), a + 1);
    }
    registerDefault("TestBox-fillAngle", 10);
    EXPECT_EQ(StickyDefaults::doWithoutStickySettingOrGetting([&] { return angle(static_cast<TestBox*>(nullptr)); }), 10);
    EXPECT_EQ(angle(static_cast<TestBox*>(nullptr)), 61);
    store().setBoolForKey(false, "StickyPropertiesEnabled");
    EXPECT_EQ(width(), 1.0);
    registerDefault("TestBox-strokeLineWidth", 2.0);
    EXPECT_EQ(width(), 2.0);
    store().setBoolForKey(true, "StickyPropertiesEnabled");
    EXPECT_EQ(width(), 2.0); // the shapes made meanwhile wrote theirs back
    store().setObjectForKey(5.0, "User-Shape-strokeLineWidth");
    EXPECT_EQ(kinWidth(), 5.0);
    resetStore(); // a store of its own
    EXPECT_EQ(width(), 0.0);
}

TEST_F(ShapeTest, InitialValues)
{
    registerDefault("Default-fillType", 1);
    registerDefault("Default-fillColor", "1:0:0:1");
    registerDefault("Default-fillShadowHidden", true);
    registerDefault("Default-strokeLineJoin", 2);
    registerDefault("Default-textShadowOffsetY", 4.0); // not read: starts at 0
    registerDefault("Default-scaleImage", true);
    auto box = Shape::make<TestBox>({5, 6, 70, 80});
    EXPECT_EQ(box->identifier().size(), 36);
    EXPECT_EQ(box->title(), "Test Box");
    EXPECT_FALSE(box->userSetTitle());
    EXPECT_EQ(box->frame(), pf::Rect(5, 6, 70, 80));
    EXPECT_EQ(box->displayFrameWidth(), 70);
    EXPECT_EQ(box->opacity(), 1.0);
    EXPECT_EQ(box->rotationHandleRadius(), 100.0);
    EXPECT_EQ(box->fillType(), 1u);
    EXPECT_EQ(box->fillColor(), pf::Color(1, 0, 0, 1));
    EXPECT_TRUE(box->fillShadowHidden());
    EXPECT_EQ(box->strokeLineJoin(), 2);
    EXPECT_EQ(box->textShadowOffsetY(), 0.0);
    EXPECT_TRUE(box->scaleImage());
    EXPECT_EQ(box->imageAnchorRatio(), pf::Point(0.5, 0.5));
    EXPECT_TRUE(box->contentFilterSpecs().empty());

    EXPECT_EQ(Shape::staticClass().newShape()->frame(), pf::Rect(0, 0, 100, 100));
    EXPECT_EQ(TestBox::staticClass().newShape()->frame(), pf::Rect(0, 0, 40, 20));
    EXPECT_TRUE(Shape::staticClass().newShape()->title().isNull());
}

TEST_F(ShapeTest, StickyWritesGoToTheFamilyOfTheEditedKind)
{
    auto box = Shape::make<TestBox>({0, 0, 10, 10});
    box->setFillColor(pf::Color(1, 0, 0, 1));
    EXPECT_EQ(Shape::make<Shape>({0, 0, 10, 10})->fillColor(), pf::Color(1, 0, 0, 1)); // same family
    EXPECT_EQ(Shape::make<TestConnector>({0, 0, 10, 10})->fillColor(), std::nullopt);    // another family
    // Flags not in the sticky set write nothing.
    box->setOpacity(0.5);
    box->setHidden(true);
    EXPECT_EQ(userValues().count("User-Shape-opacity"), 0u);
    EXPECT_EQ(userValues().count("User-Shape-hidden"), 0u);
}

TEST_F(ShapeTest, AdjustmentRatiosAreNeverReadFromTheFamily)
{
    store().setObjectForKey(0.9, "User-Shape-adjustmentRatioX");
    registerDefault("Default-adjustmentRatioX", 0.25);
    EXPECT_EQ(TestBox::staticClass().stickyDoubleForKey("adjustmentRatioX"), 0.25);
    store().setObjectForKey(0.9, "User-Shape-fillAngle");
    EXPECT_EQ(TestBox::staticClass().stickyDoubleForKey("fillAngle"), 0.9);
}

TEST_F(ShapeTest, CountersNestAndSurviveExceptions)
{
    auto box = Shape::make<TestBox>({0, 0, 10, 10});
    StickyDefaults::doWithoutStickySettingOrGetting([&] {
        StickyDefaults::doWithoutStickySetting([&] { box->setStrokeLineWidth(3); });
        EXPECT_FALSE(StickyDefaults::isStickySettingEnabled());
        EXPECT_FALSE(StickyDefaults::isStickyGettingEnabled());
        box->setStrokeLineWidth(4);
    });
    EXPECT_TRUE(userValues().empty());
    EXPECT_TRUE(StickyDefaults::isStickySettingEnabled());
    EXPECT_TRUE(StickyDefaults::isStickyGettingEnabled());

    EXPECT_THROW(StickyDefaults::doWithoutStickySetting([] {
        StickyDefaults::doWithoutStickySettingOrGetting([] { throw std::runtime_error("boom"); });
    }),
                 std::runtime_error);
    EXPECT_TRUE(StickyDefaults::isStickySettingEnabled());
    EXPECT_TRUE(StickyDefaults::isStickyGettingEnabled());
    box->setStrokeLineWidth(5);
    EXPECT_EQ(userValues().at("User-Shape-strokeLineWidth"), pf::Value(5.0));
}

// The switches are the thread's own: a guard on one thread (a preview drawing its text) leaves the
// shapes another thread reads meanwhile taking and writing their sticky style as usual.
TEST_F(ShapeTest, GuardsSwitchOffOnlyTheirOwnThread)
{
    store().setObjectForKey(0.9, "User-Shape-fillAngle");
    StickyDefaults::doWithoutStickySettingOrGetting([&] {
        ASSERT_EQ(TestBox::staticClass().stickyDoubleForKey("fillAngle"), 0.0);
        std::thread other([] {
            EXPECT_TRUE(StickyDefaults::isStickySettingEnabled());
            EXPECT_TRUE(StickyDefaults::isStickyGettingEnabled());
            EXPECT_EQ(TestBox::staticClass().stickyDoubleForKey("fillAngle"), 0.9);
            Shape::make<TestBox>({0, 0, 10, 10})->setStrokeLineWidth(7);
        });
        other.join();
    });
    EXPECT_EQ(userValues().at("User-Shape-strokeLineWidth"), pf::Value(7.0));
}

// Previews make and draw shapes on several threads at once: each thread keeps its own sticky readings
// (and the counters they were read at), so every new shape takes the same style, and the kind's text
// defaults are made once for all (run under ThreadSanitizer too).
TEST_F(ShapeTest, ShapesMadeOnSeveralThreadsTakeTheSameStickyStyle)
{
    store().setObjectForKey(45, "User-Shape-fillAngle");
    store().setObjectForKey(2.5, "User-Shape-strokeLineWidth");
    TestBox::staticClass().clearDefaultTextAttributes();
    const pf::TextAttributes textDefaults = TestBox::staticClass().makeDefaultTextAttributes();
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            StickyDefaults::doWithoutStickySetting([&] {
                for (int i = 0; i < 50; ++i) {
                    auto box = Shape::make<TestBox>({0, 0, 10, 10});
                    if (box->fillAngle() != 45 || box->strokeLineWidth() != 2.5
                        || !(TestBox::staticClass().defaultTextAttributes() == textDefaults))
                        ++wrong;
                }
            });
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ShapeTest, TextDefaultsComeFromTheClassAndBuiltInLevels)
{
    registerDefault("Default-textFontName", "Helvetica");
    registerDefault("Default-textFontSize", 14.0);
    registerDefault("TestBox-textColor", "0:0:1:1");
    store().setObjectForKey("Times", "User-Shape-textFontName");
    const ShapeClass& k = TestBox::staticClass();
    EXPECT_EQ(k.defaultFont(), pf::Font("Helvetica", 14));
    EXPECT_EQ(k.currentFont(), pf::Font("Times", 14));
    EXPECT_EQ(k.defaultTextColor(), pf::Color(0, 0, 1, 1));
    k.clearDefaultTextAttributes();
    const pf::TextAttributes& a = k.defaultTextAttributes();
    EXPECT_EQ(a.font, pf::Font("Helvetica", 14));
    EXPECT_EQ(a.paragraphStyle->alignment, pf::TextAlignment::Center);
    EXPECT_EQ(a.shadow->offset, pf::Size(0, -1));
    EXPECT_EQ(k.currentTextAttributes().font, pf::Font("Times", 14));
    k.clearDefaultTextAttributes();
}

TEST_F(ShapeTest, TheBuiltInDefaultsResourceGivesEveryStickyInitialValue)
{
    UserDefaults::registerDefaultValues(store());
    auto shape = Shape::make<Shape>({0, 0, 100, 100});
    const char* keys[] = {"fillType", "fillColor", "fillAngle", "fillShadowHidden", "fillShadowBlur",
                          "fillShadowOffsetX", "fillShadowOffsetY", "fillShadowColor", "strokeType", "strokeLineWidth",
                          "strokeLineCap", "strokeLineJoin", "strokeColor", "stroke1Enabled", "stroke1Color",
                          "stroke2Enabled", "stroke2Color", "strokeShadowHidden", "strokeShadowBlur",
                          "strokeShadowOffsetX", "strokeShadowOffsetY", "strokeShadowColor", "textAlign",
                          "textVerticalAlign", "textAppearanceType", "textShadowHidden", "textShadowBlur",
                          "textShadowColor", "scaleImage"};
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        const pf::Value stored = store().objectForKey(QStringLiteral("Default-") + QString::fromLatin1(key));
        ASSERT_FALSE(stored.isNull());
        const pf::Variant value = shape->valueForKey(QString::fromLatin1(key));
        if (QByteArray(key).endsWith("Color"))
            EXPECT_EQ(value, pf::Variant(QVColorFromString(stored.asString())));
        else
            EXPECT_EQ(value.toDouble(), stored.doubleValue());
    }
    EXPECT_FALSE(Shape::staticClass().defaultFont().fontName().isEmpty());
}
