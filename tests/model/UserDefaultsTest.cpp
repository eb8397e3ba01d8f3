#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace {

// Each case gets a fresh in-memory store with the built-in values registered.
class UserDefaultsTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
        UserDefaults::registerDefaultValues(store());
    }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    static pf::UserDefaultsStore& store() { return pf::UserDefaultsStore::standard(); }
    static UserDefaults& defaults() { return UserDefaults::instance(); }

    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

using D = UserDefaults;
template <class T>
struct Accessor {
    const char* key;
    T (D::*get)() const;
    void (D::*set)(T);
};

// Each property reads the registered value of its key, and writes the user's value under that key.
template <class T>
void checkTable(const std::vector<Accessor<T>>& table, T (*other)(T), T (*fromValue)(const pf::Value&))
{
    auto& d = UserDefaults::instance();
    auto& s = pf::UserDefaultsStore::standard();
    for (const auto& a : table) {
        SCOPED_TRACE(a.key);
        const QString key = QString::fromLatin1(a.key);
        ASSERT_FALSE(s.registrationDomain().objectForKey(key).isNull()) << "registered by the resource";
        const T registered = (d.*a.get)();
        EXPECT_EQ(registered, fromValue(s.registrationDomain().objectForKey(key)));
        const T changed = other(registered);
        (d.*a.set)(changed);
        EXPECT_EQ(fromValue(s.persistentDomain().objectForKey(key)), changed);
        EXPECT_EQ((d.*a.get)(), changed);
        s.removeObjectForKey(key);
    }
}

TEST_F(UserDefaultsTest, EveryPropertyUsesItsKey)
{
    checkTable<bool>(
        {
            {"TabsPaletteVisible", &D::isTabsPaletteVisible, &D::setTabsPaletteVisible},
            {"LibraryPaletteVisible", &D::isLibraryPaletteVisible, &D::setLibraryPaletteVisible},
            {"OutlinePaletteVisible", &D::isOutlinePaletteVisible, &D::setOutlinePaletteVisible},
            {"InspectorPaletteVisible", &D::isInspectorPaletteVisible, &D::setInspectorPaletteVisible},
            {"InspectorGeometryFacetCollapsed", &D::isInspectorGeometryFacetCollapsed,
             &D::setInspectorGeometryFacetCollapsed},
            {"VirginLaunch", &D::isVirginLaunch, &D::setVirginLaunch},
            {"HasShownBezierModeHint", &D::hasShownBezierModeHint, &D::setHasShownBezierModeHint},
            {"HasShownBrushModeHint", &D::hasShownBrushModeHint, &D::setHasShownBrushModeHint},
            {"StatusBarVisible", &D::statusBarVisible, &D::setStatusBarVisible},
            {"RulersVisible", &D::rulersVisible, &D::setRulersVisible},
            {"SelectionHandlesVisible", &D::selectionHandlesVisible, &D::setSelectionHandlesVisible},
            {"RotationHandlesVisible", &D::rotationHandlesVisible, &D::setRotationHandlesVisible},
            {"ConnectionHandlesVisible", &D::connectionHandlesVisible, &D::setConnectionHandlesVisible},
            {"CoordinatesTooltipVisible", &D::coordinatesTooltipVisible, &D::setCoordinatesTooltipVisible},
            {"GuidesVisible", &D::guidesVisible, &D::setGuidesVisible},
            {"GuidesLocked", &D::guidesLocked, &D::setGuidesLocked},
            {"ConnectionEnabled", &D::isConnectionEnabled, &D::setConnectionEnabled},
            {"SnapEnabled", &D::isSnapEnabled, &D::setSnapEnabled},
            {"SnapToCompositionBoundsEnabled", &D::isSnapToCompositionBoundsEnabled,
             &D::setSnapToCompositionBoundsEnabled},
            {"SnapToOtherShapesEnabled", &D::isSnapToOtherShapesEnabled, &D::setSnapToOtherShapesEnabled},
            {"SnapToDistantShapesEnabled", &D::isSnapToDistantShapesEnabled, &D::setSnapToDistantShapesEnabled},
            {"SnapToUserGuidesEnabled", &D::isSnapToUserGuidesEnabled, &D::setSnapToUserGuidesEnabled},
            {"GridEnabled", &D::isGridEnabled, &D::setGridEnabled},
            {"ExportAlphaEnabled", &D::exportAlphaEnabled, &D::setExportAlphaEnabled},
            {"ExportAllPages", &D::exportAllPages, &D::setExportAllPages},
            {"StickyPropertiesEnabled", &D::stickyPropertiesEnabled, &D::setStickyPropertiesEnabled},
            {"ReturnInsertsNewline", &D::returnInsertsNewline, &D::setReturnInsertsNewline},
            {"TabsPlacedOnTop", &D::tabsPlacedOnTop, &D::setTabsPlacedOnTop},
            {"InspectorPlacedBesideOutline", &D::inspectorPlacedBesideOutline, &D::setInspectorPlacedBesideOutline},
        },
        [](bool b) { return !b; }, [](const pf::Value& v) { return v.boolValue(); });

    checkTable<double>(
        {
            {"SnapTolerance", &D::snapTolerance, &D::setSnapTolerance},
            {"DragThreshold", &D::dragThreshold, &D::setDragThreshold},
            {"GridTolerance", &D::gridTolerance, &D::setGridTolerance},
            {"SelectedFontSize", &D::selectedFontSize, &D::setSelectedFontSize},
            {"Default-textFontSize", &D::defaultFontSize, &D::setDefaultFontSize},
        },
        [](double v) { return v + 1.5; }, [](const pf::Value& v) { return v.doubleValue(); });

    checkTable<std::int64_t>(
        {
            {"ExportZoomScaleIndex", &D::exportZoomScaleIndex, &D::setExportZoomScaleIndex},
            {"DefaultLineJoinStyle", &D::defaultLineJoinStyle, &D::setDefaultLineJoinStyle},
            {"MaxFiltersPerObject", &D::maxFiltersPerObject, &D::setMaxFiltersPerObject},
            {"PageLayoutCompositionsPerPage", &D::pageLayoutCompositionsPerPage, &D::setPageLayoutCompositionsPerPage},
            {"PageLayoutPageOrientation", &D::pageLayoutPageOrientation, &D::setPageLayoutPageOrientation},
        },
        [](std::int64_t v) { return v + 1; }, [](const pf::Value& v) { return v.integerValue(); });

    checkTable<std::uint64_t>(
        {
            {"GridVisibility", &D::gridVisibility, &D::setGridVisibility},
            {"ExportType", &D::exportType, &D::setExportType},
        },
        [](std::uint64_t v) { return v + 1; }, [](const pf::Value& v) { return v.unsignedIntegerValue(); });
}

TEST_F(UserDefaultsTest, StringAndColourProperties)
{
    auto& d = defaults();
    EXPECT_EQ(d.defaultFontName(), "Helvetica");
    EXPECT_EQ(d.selectedFontName(), "Helvetica");
    EXPECT_EQ(d.defaultTextColor(), pf::OptionalColor(pf::Color(0, 0, 0, 1)));

    d.setDefaultFontName("Nimbus Roman");
    EXPECT_EQ(store().persistentDomain().stringForKey(u"Default-textFontName"), "Nimbus Roman");
    d.setSelectedFontName("DejaVu Sans");
    EXPECT_EQ(store().persistentDomain().stringForKey(u"SelectedFontName"), "DejaVu Sans");
    d.setDefaultTextColor(pf::Color(1, 0, 0, 0.5));
    EXPECT_EQ(store().persistentDomain().stringForKey(u"Default-textColor"), "1.000000:0.000000:0.000000:0.500000");
    EXPECT_EQ(d.defaultTextColor(), pf::OptionalColor(pf::Color(1, 0, 0, 0.5)));

    EXPECT_GE(d.gridTolerance(), 1.0);
    EXPECT_GE(d.presetMetricsInfos().count(), 17u);
}

TEST_F(UserDefaultsTest, UnregisteredKeysReadAsNothing)
{
    auto previous = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
    auto& d = defaults();
    EXPECT_FALSE(d.rulersVisible());
    EXPECT_EQ(d.snapTolerance(), 0.0);
    EXPECT_EQ(d.maxFiltersPerObject(), 0);
    EXPECT_TRUE(d.defaultFontName().isEmpty());
    EXPECT_FALSE(d.defaultTextColor().has_value());
    EXPECT_EQ(d.lastSelectedMetrics(), nullptr);
    EXPECT_TRUE(d.imageBrowseURL().isEmpty());
    EXPECT_EQ(d.presetMetricsInfos().count(), 0u);
    pf::UserDefaultsStore::replaceStandard(std::move(previous));
}

TEST_F(UserDefaultsTest, VisibilitySettersWriteOnlyChanges)
{
    auto& d = defaults();
    int posted = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        pf::UserDefaultsStore::didChangeNotification, &store(), [&posted](const pf::Notification&) { ++posted; });

    d.setRulersVisible(d.rulersVisible());
    d.setGuidesLocked(d.guidesLocked());
    EXPECT_FALSE(store().persistentDomain().contains(u"RulersVisible"));
    EXPECT_FALSE(store().persistentDomain().contains(u"GuidesLocked"));
    EXPECT_EQ(posted, 0);

    d.setRulersVisible(!d.rulersVisible());
    EXPECT_TRUE(store().persistentDomain().contains(u"RulersVisible"));
    EXPECT_EQ(posted, 1);

    // The plain setters write even an equal value as the user's own.
    d.setSnapEnabled(d.isSnapEnabled());
    EXPECT_TRUE(store().persistentDomain().contains(u"SnapEnabled"));
}

TEST_F(UserDefaultsTest, ImageBrowseURLKeepsTheFolder)
{
    auto& d = defaults();
    EXPECT_TRUE(d.imageBrowseURL().isEmpty()) << "registered as an empty string";
    d.setImageBrowseURL(QUrl("file:///Users/a/Pictures/x.png"));
    EXPECT_EQ(store().persistentDomain().stringForKey(u"ImageBrowseURLString"), "file:///Users/a/Pictures");
    EXPECT_EQ(d.imageBrowseURL(), QUrl("file:///Users/a/Pictures"));
    d.setImageBrowseURL(QUrl("file:///x.png"));
    EXPECT_EQ(d.imageBrowseURL(), QUrl("file:///"));
    d.setImageBrowseURL(QUrl("file:///home/a%20b/c%23d.png"));
    EXPECT_EQ(d.imageBrowseURL().toLocalFile(), "/home/a b");
}

TEST_F(UserDefaultsTest, LastSelectedMetrics)
{
    auto& d = defaults();
    EXPECT_EQ(d.lastSelectedMetrics(), nullptr) << "registered as an empty dictionary";
    store().setObjectForKey(pf::Value::dictionary(), "LastSelectedMetrics");
    EXPECT_EQ(d.lastSelectedMetrics(), nullptr);
    store().setObjectForKey(pf::Value("a string"), "LastSelectedMetrics");
    EXPECT_EQ(d.lastSelectedMetrics(), nullptr);

    auto m = std::make_shared<Metrics>();
    m->setWidth(640);
    m->setHeight(480);
    m->setName("Custom");
    d.setLastSelectedMetrics(m);
    auto back = d.lastSelectedMetrics();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(*back, *m);
    EXPECT_EQ(back->name(), "Custom");

    d.setLastSelectedMetrics(nullptr);
    EXPECT_EQ(d.lastSelectedMetrics(), nullptr);
}

TEST_F(UserDefaultsTest, TextDefaultsWarnTheirCachesBeforeWriting)
{
    auto& d = defaults();
    std::vector<double> sizesSeen;
    const auto id = UserDefaults::addDefaultTextAttributesChangedHandler(
        [&sizesSeen, &d] { sizesSeen.push_back(d.defaultFontSize()); });
    const double before = d.defaultFontSize();
    d.setDefaultFontSize(before + 6);
    d.setDefaultFontName("Nimbus Sans");
    d.setDefaultTextColor(pf::Color(0, 0, 1, 1));
    d.setSelectedFontSize(30); // not a default text attribute
    EXPECT_EQ(sizesSeen, (std::vector<double>{before, before + 6, before + 6}));

    UserDefaults::removeDefaultTextAttributesChangedHandler(id);
    d.setDefaultFontSize(9);
    EXPECT_EQ(sizesSeen.size(), 3u);
}

TEST_F(UserDefaultsTest, DocumentBrowseURLStaysInMemory)
{
    auto& d = defaults();
    d.setDocumentBrowseURL(QUrl("file:///tmp/docs"));
    EXPECT_EQ(d.documentBrowseURL(), QUrl("file:///tmp/docs"));
    EXPECT_EQ(store().persistentDomain().count(), 0u);
}

TEST_F(UserDefaultsTest, ResourceRegistersTheStickyBuiltInLevel)
{
    // The keys shapes read when nothing else is set: every sticky style key has a built-in value.
    for (const char* key :
         {"fillType", "fillColor", "fillAngle", "fillShadowHidden", "fillShadowBlur", "fillShadowOffsetX",
          "fillShadowOffsetY", "fillShadowColor", "strokeType", "strokeLineWidth", "strokeLineCap",
          "strokeLineJoin", "strokeColor", "stroke1Enabled", "stroke1Color", "stroke2Enabled", "stroke2Color",
          "strokeShadowHidden", "strokeShadowBlur", "strokeShadowOffsetX", "strokeShadowOffsetY",
          "strokeShadowColor", "textAlign", "textVerticalAlign", "textAppearanceType", "textShadowHidden",
          "textShadowBlur", "textShadowColor", "scaleImage", "adjustmentRatioX", "adjustmentRatioY",
          "textFontName", "textFontSize", "textColor", "pathType", "curveRatio"})
        EXPECT_FALSE(store().objectForKey(QStringLiteral("Default-") + QLatin1String(key)).isNull()) << key;
    EXPECT_EQ(store().doubleForKey(u"RoundRectangle-adjustmentRatioX"), 0.2);
    EXPECT_EQ(store().doubleForKey(u"Cylinder-adjustmentRatioY"), 0.3);
    EXPECT_TRUE(store().boolForKey(u"StickyPropertiesEnabled"));
}

} // namespace

namespace {

// In a process of its own, since the fault is in what the first use of all sets up. The first shape is made
// with sticky getting off (only the built-in levels are read), before anything has touched UserDefaults.
void firstShapeBeforeAndAfterUserDefaults()
{
    auto before = [] {
        StickyDefaults::WithoutSettingOrGetting guard;
        return Shape::make<Rectangle>(pf::Rect(0, 0, 10, 10));
    }();
    (void)UserDefaults::instance();
    auto after = [] {
        StickyDefaults::WithoutSettingOrGetting guard;
        return Shape::make<Rectangle>(pf::Rect(0, 0, 10, 10));
    }();
    const bool same = before->strokeLineWidth() == after->strokeLineWidth() && before->fillColor() == after->fillColor();
    std::exit(same && before->strokeLineWidth() > 0 && before->fillColor() ? 0 : 1);
}

} // namespace

TEST(UserDefaultsSetUp, BuiltInValuesAreThereBeforeTheFirstRead)
{
    // A new process, not a fork of this one, in which the shared store was made long ago.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(firstShapeBeforeAndAfterUserDefaults(), testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}
