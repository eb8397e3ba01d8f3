#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

Metrics page(double width, double height, unsigned unitType, double resolution = 72.0)
{
    Metrics m;
    m.setWidth(width);
    m.setHeight(height);
    // Made in the unit: the resolution is given in its measure.
    m.setUnitType(unitType);
    m.setResolution(resolution);
    return m;
}

TEST(Metrics, TrimZerosKeepsOneTrailingZero)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"8.500", "8.50"}, {"11.000", "11.0"}, {"0.100", "0.10"}, {"2.540", "2.540"}, {"612", "612"},
        {"12.05", "12.05"}, {"3.0", "3.0"}, {"20.99", "20.99"}
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(Metrics::trimZeros(in), out) << in.toStdString();
}

TEST(Metrics, DisplayStringOfCustomSizes)
{
    EXPECT_EQ(page(612, 792, Metrics::Inches).displayString(), QString::fromUtf8("8.50\" x 11.0\""));
    EXPECT_EQ(page(612, 792, Metrics::Points).displayString(), "612 x 792");
    EXPECT_EQ(page(595, 842, Metrics::Centimeters, 28.35).displayString(), "20.99cm x 29.70cm");
    EXPECT_EQ(page(60, 120, Metrics::Steps).displayString(), "10 x 20");

    Metrics custom = page(612, 792, Metrics::Points);
    custom.setName("Custom");
    EXPECT_TRUE(custom.isCustom());
    EXPECT_FALSE(custom.isNamePreset());
    EXPECT_EQ(custom.displayString(), "612 x 792");

    // A unit type from damaged data converts one point per unit and shows as points.
    Metrics unknown = page(612, 792, 9);
    EXPECT_EQ(unknown.displayString(), "612 x 792");
}

TEST(Metrics, NamedPresetsShowTheirName)
{
    Metrics letter = page(612, 792, Metrics::Inches);
    letter.setName(QString::fromUtf8("US Letter \u2013 8.5 \u00d7 11 in"));
    EXPECT_TRUE(letter.isNamePreset());
    EXPECT_EQ(letter.displayString(), letter.name());
    EXPECT_EQ(letter.shortDisplayString(), "US Letter");
    EXPECT_EQ(page(612, 792, Metrics::Points).shortDisplayString(), "612 x 792");
}

TEST(Metrics, AResolutionIsPerInchButForCentimetresAndFollowsTheUnit)
{
    // A page's size shown in each unit, its resolution given for the unit it was made in: all by hand.
    struct Case {
        double width;
        unsigned madeIn;
        double resolution;
        unsigned shownIn;
        double shownWidth;
        double shownResolution;
    };
    const Case cases[] = {
        {800, Metrics::Points, 72, Metrics::Centimeters, 800 / 72.0 * 2.54, 72 / 2.54},      // 28.22 cm
        {800, Metrics::Points, 72, Metrics::Inches, 800 / 72.0, 72},                         // 11.11 in
        {800, Metrics::Points, 144, Metrics::Centimeters, 800 / 144.0 * 2.54, 144 / 2.54},   // 14.11 cm
        {600, Metrics::Inches, 300, Metrics::Centimeters, 600 / 300.0 * 2.54, 300 / 2.54},   // 5.08 cm
        {595, Metrics::Centimeters, 28.35, Metrics::Inches, 595 / (28.35 * 2.54), 72.009},   // A4: 8.26 in
        {595, Metrics::Centimeters, 28.35, Metrics::Points, 595, 72.009},
        {595, Metrics::Centimeters, 28.35, Metrics::Centimeters, 595 / 28.35, 28.35},        // 20.99 cm
        {60, Metrics::Steps, 72, Metrics::Centimeters, 60 / 72.0 * 2.54, 72 / 2.54},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " made in " << c.madeIn << " at " << c.resolution
                                        << ", shown in " << c.shownIn);
        Metrics m = page(c.width, 100, c.madeIn, c.resolution);
        m.setUnitType(c.shownIn);
        EXPECT_NEAR(m.unitWidth(), c.shownWidth, c.shownWidth * 1e-12);
        EXPECT_NEAR(m.resolution(), c.shownResolution, c.shownResolution * 1e-12);
        EXPECT_EQ(m.width(), c.width) << "the points stay";
        // A size typed in the shown unit is the same length.
        m.setUnitWidth(c.shownWidth * 2);
        EXPECT_NEAR(m.width(), c.width * 2, c.width * 1e-12);
        // Back in the unit it was made in, the resolution is the one given.
        m.setUnitType(c.madeIn);
        EXPECT_NEAR(m.resolution(), c.resolution, c.resolution * 1e-12);
    }
    EXPECT_EQ(page(800, 600, Metrics::Centimeters, 72 / 2.54).displayString(), "28.22cm x 21.17cm");
    // Read from storage, the metrics are as they were written, whatever the pair means.
    const auto stored = Metrics::fromPlist(page(800, 600, Metrics::Centimeters, 72).asPlist());
    EXPECT_EQ(stored->resolution(), 72);
    EXPECT_EQ(stored->unitType(), Metrics::Centimeters);
}

TEST(Metrics, Conversions)
{
    EXPECT_EQ(Metrics::unitsForPointsOfTypeAtResolution(-144, Metrics::Inches, 72), 2.0);
    EXPECT_EQ(Metrics::unitsForPointsOfTypeAtResolution(0, Metrics::Inches, 0), 0.0);
    EXPECT_EQ(Metrics::pointsForUnitsOfTypeAtResolution(-2, Metrics::Inches, 144), 288.0);
    EXPECT_EQ(Metrics::pointsForUnitsOfTypeAtResolution(3, Metrics::Steps, 72), 18.0);
    EXPECT_EQ(Metrics::pointsPerUnitTypeAtResolution(Metrics::Centimeters, 28.35), (28.35 / 28.35) * 28.35);
    EXPECT_EQ(Metrics::pointsPerUnitTypeAtResolution(7, 300), 1.0);
    // Whole points, halves away from zero.
    EXPECT_EQ(Metrics::convertPointsFromResolutionToResolution(5, 72, 36), 3.0);
    EXPECT_EQ(Metrics::convertPointsFromResolutionToResolution(-5, 72, 36), -3.0);
    EXPECT_EQ(Metrics::convertUnitsOfTypeFromResolutionToResolution(2, Metrics::Inches, 72, 144), 2.0);
    EXPECT_EQ(Metrics::convertUnitsFromTypeToTypeAtResolution(1, Metrics::Inches, Metrics::Points, 72), 72.0);

    Metrics m = page(0, 0, Metrics::Inches, 144);
    m.setUnitWidth(2);
    EXPECT_EQ(m.width(), 288.0);
    EXPECT_EQ(m.unitWidth(), 2.0);
    // Numbers from the interface pass through single precision.
    m.setUnitHeightNumber(0.1);
    EXPECT_EQ(m.height(), 144 * static_cast<double>(0.1f));
}

// A resolution of 0 would make every inch or centimetre size infinite and the next unit edit zero the
// page; non-finite sizes would reach the page frame.
TEST(Metrics, SettersRefuseValuesThatBreakConversions)
{
    Metrics m = page(612, 792, Metrics::Inches, 72);
    m.setResolution(0);
    m.setResolution(-72);
    m.setResolutionNumber(std::numeric_limits<double>::quiet_NaN());
    m.setWidth(std::numeric_limits<double>::infinity());
    m.setUnitHeight(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(m.resolution(), 72.0);
    EXPECT_EQ(m.width(), 612.0);
    EXPECT_EQ(m.height(), 792.0);
    EXPECT_EQ(m.unitWidth(), 8.5);
}

TEST(Metrics, UnitTable)
{
    EXPECT_EQ(Metrics::displayFormatForUnitType(Metrics::Inches), "%0.3f\"");
    EXPECT_EQ(Metrics::displayFormatForUnitType(Metrics::Centimeters), "%0.2fcm");
    EXPECT_EQ(Metrics::displayFormatForUnitType(Metrics::Steps), "%0.f");
    EXPECT_TRUE(Metrics::displayFormatForUnitType(4).isNull());
    EXPECT_TRUE(Metrics::unitNameForUnitType(4).isNull());
    EXPECT_EQ(Metrics::shortUnitNameForUnitType(Metrics::Points), "Pts");
}

TEST(Metrics, EqualityIgnoresTheName)
{
    Metrics a = page(612, 792, Metrics::Inches);
    Metrics b = a;
    a.setName("A");
    b.setName("B");
    EXPECT_EQ(a, b);
    b.setAnchorSize({1, 0});
    EXPECT_NE(a, b);
}

TEST(Metrics, PropertyListRoundTripAndDefaults)
{
    Metrics m = page(612, 792, Metrics::Inches, 144);
    m.setName("Letter");
    m.setGroup(2);
    m.setAnchorCorner(8);
    m.setAnchorSize({3, 4});
    const pf::Value plist = m.asPlist();
    EXPECT_EQ(plist.stringForKey(u"anchorSize"), "{3, 4}");
    auto back = Metrics::fromPlist(plist);
    EXPECT_EQ(*back, m);
    EXPECT_EQ(back->name(), "Letter");

    EXPECT_FALSE(page(1, 1, 0).asPlist().contains(u"name"));

    // Without a resolution: 72. Non-finite and non-positive values never reach the page.
    pf::Value stored = pf::Value::dictionary();
    stored.set("width", 100.0);
    stored.set("height", "1e999");
    EXPECT_EQ(Metrics::fromPlist(stored)->resolution(), 72.0);
    EXPECT_EQ(Metrics::fromPlist(stored)->height(), 0.0);
    stored.set("resolution", 0.0);
    EXPECT_EQ(Metrics::fromPlist(stored)->resolution(), 72.0);
    EXPECT_TRUE(std::isfinite(Metrics::fromPlist(stored)->unitWidth()));
}

TEST(Metrics, ChangeNoticesReachDependentKeys)
{
    auto m = std::make_shared<Metrics>();
    std::set<std::string> heard;
    auto record = [&heard](pf::Object&, const QString& key, pf::ChangePhase phase) {
        if (phase == pf::ChangePhase::Did)
            heard.insert(key.toStdString());
    };
    auto t1 = m->addObserver("unitWidth", record);
    auto t2 = m->addObserver("unitHeight", record);
    auto t3 = m->addObserver("isAnchorBotRit", record);

    m->setUnitType(Metrics::Inches);
    EXPECT_EQ(heard, (std::set<std::string>{"unitWidth", "unitHeight"}));
    heard.clear();
    m->setUnitType(Metrics::Inches); // unchanged: nothing
    m->setAnchorCorner(0);
    EXPECT_TRUE(heard.empty());
    m->setAnchorCorner(8);
    EXPECT_EQ(heard, std::set<std::string>{"isAnchorBotRit"});
    EXPECT_TRUE(m->isAnchorBotRit());
    heard.clear();
    m->setUnitWidth(2);
    EXPECT_EQ(heard, std::set<std::string>{"unitWidth"});
}

class DefaultMetrics : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
        UserDefaults::registerDefaultValues(pf::UserDefaultsStore::standard());
    }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

TEST_F(DefaultMetrics, ComesFromTheLastChoiceElseThePresets)
{
    auto preset = Metrics::defaultMetrics();
    EXPECT_EQ(preset->width(), 1024.0);
    EXPECT_EQ(preset->height(), 768.0);
    EXPECT_TRUE(preset->isNamePreset());

    Metrics chosen = page(300, 200, Metrics::Points);
    UserDefaults::instance().setLastSelectedMetrics(chosen.copy());
    EXPECT_EQ(*Metrics::defaultMetrics(), chosen);
}

TEST_F(DefaultMetrics, FallsBackWhenThePresetsHaveNoUsablePage)
{
    auto& defaults = UserDefaults::instance();
    pf::Value shortList = pf::Value::array();
    shortList.append(page(10, 10, 0).asPlist());
    defaults.setPresetMetricsInfos(shortList);
    EXPECT_EQ(*Metrics::defaultMetrics(), Metrics::builtInDefaultMetrics());

    pf::Value presets = pf::Value::array();
    for (int i = 0; i < 17; ++i)
        presets.append(page(i == 16 ? 0 : 10, 10, 0).asPlist());
    defaults.setPresetMetricsInfos(presets);
    EXPECT_EQ(*Metrics::defaultMetrics(), Metrics::builtInDefaultMetrics());
}

} // namespace
