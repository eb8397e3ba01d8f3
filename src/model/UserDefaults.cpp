#include "model/UserDefaults.h"

#include "geometry/QVColor.h"
#include "model/Metrics.h"
#include "model/PropertyListResource.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <utility>
#include <vector>

namespace {

struct TextAttributesHandler {
    std::size_t id;
    std::function<void()> handler;
};

std::vector<TextAttributesHandler>& textAttributesHandlers()
{
    static std::vector<TextAttributesHandler> handlers;
    return handlers;
}

// Made when the program starts, before main (the counterpart of registering at class load): the shared
// store gets the built-in values when it is made, so a read through the store itself (sticky values of a
// shape, say) sees them even when nothing has touched UserDefaults yet.
[[maybe_unused]] const bool builtInValuesRegisteredOnFirstUse =
    (pf::UserDefaultsStore::setStandardSetUp(&UserDefaults::registerDefaultValues), true);

} // namespace

// ---- Set-up

void UserDefaults::registerDefaultValues(pf::UserDefaultsStore& store)
{
    if (const auto values = propertyListResource(QStringLiteral("Quorvel-DefaultValues")))
        store.registerDefaults(values->asDictionary());
}

void UserDefaults::setUpUserDefaults()
{
    registerDefaultValues(pf::UserDefaultsStore::standard());
}

UserDefaults& UserDefaults::instance()
{
    // The built-in values are already in the shared store: it registers them when it is made.
    static UserDefaults* const shared = new UserDefaults; // lives for the whole process
    return *shared;
}

pf::UserDefaultsStore& UserDefaults::store()
{
    return pf::UserDefaultsStore::standard();
}

std::size_t UserDefaults::addDefaultTextAttributesChangedHandler(std::function<void()> handler)
{
    static std::size_t nextId = 0;
    textAttributesHandlers().push_back({++nextId, std::move(handler)});
    return nextId;
}

void UserDefaults::removeDefaultTextAttributesChangedHandler(std::size_t id)
{
    std::erase_if(textAttributesHandlers(), [id](const TextAttributesHandler& h) { return h.id == id; });
}

void UserDefaults::defaultTextAttributesWillChange()
{
    const auto handlers = textAttributesHandlers(); // a handler may remove itself
    for (const auto& h : handlers)
        h.handler();
}

void UserDefaults::setBoolIfChanged(bool value, const QString& key)
{
    if (store().boolForKey(key) != value)
        store().setBoolForKey(value, key);
}

// ---- Plain pass-through properties

#define QV_BOOL_DEFAULT(getter, setter, key)                                                                    \
    bool UserDefaults::getter() const { return store().boolForKey(u"" key); }                                   \
    void UserDefaults::setter(bool value) { store().setBoolForKey(value, QStringLiteral(key)); }
#define QV_CHANGED_BOOL_DEFAULT(getter, setter, key)                                                            \
    bool UserDefaults::getter() const { return store().boolForKey(u"" key); }                                   \
    void UserDefaults::setter(bool value) { setBoolIfChanged(value, QStringLiteral(key)); }
#define QV_DOUBLE_DEFAULT(getter, setter, key)                                                                  \
    double UserDefaults::getter() const { return store().doubleForKey(u"" key); }                               \
    void UserDefaults::setter(double value) { store().setDoubleForKey(value, QStringLiteral(key)); }
#define QV_INTEGER_DEFAULT(getter, setter, key)                                                                 \
    std::int64_t UserDefaults::getter() const { return store().integerForKey(u"" key); }                        \
    void UserDefaults::setter(std::int64_t value) { store().setIntegerForKey(value, QStringLiteral(key)); }
#define QV_UNSIGNED_DEFAULT(getter, setter, key)                                                                \
    std::uint64_t UserDefaults::getter() const { return store().objectForKey(u"" key).unsignedIntegerValue(); } \
    void UserDefaults::setter(std::uint64_t value)                                                              \
    {                                                                                                           \
        store().setIntegerForKey(static_cast<std::int64_t>(value), QStringLiteral(key));                        \
    }

QV_BOOL_DEFAULT(isTabsPaletteVisible, setTabsPaletteVisible, "TabsPaletteVisible")
QV_BOOL_DEFAULT(isLibraryPaletteVisible, setLibraryPaletteVisible, "LibraryPaletteVisible")
QV_BOOL_DEFAULT(isOutlinePaletteVisible, setOutlinePaletteVisible, "OutlinePaletteVisible")
QV_BOOL_DEFAULT(isInspectorPaletteVisible, setInspectorPaletteVisible, "InspectorPaletteVisible")
QV_BOOL_DEFAULT(isInspectorGeometryFacetCollapsed, setInspectorGeometryFacetCollapsed, "InspectorGeometryFacetCollapsed")
QV_BOOL_DEFAULT(isVirginLaunch, setVirginLaunch, "VirginLaunch")
QV_BOOL_DEFAULT(hasShownBezierModeHint, setHasShownBezierModeHint, "HasShownBezierModeHint")
QV_BOOL_DEFAULT(hasShownBrushModeHint, setHasShownBrushModeHint, "HasShownBrushModeHint")

QV_CHANGED_BOOL_DEFAULT(statusBarVisible, setStatusBarVisible, "StatusBarVisible")
QV_CHANGED_BOOL_DEFAULT(rulersVisible, setRulersVisible, "RulersVisible")
QV_CHANGED_BOOL_DEFAULT(selectionHandlesVisible, setSelectionHandlesVisible, "SelectionHandlesVisible")
QV_CHANGED_BOOL_DEFAULT(rotationHandlesVisible, setRotationHandlesVisible, "RotationHandlesVisible")
QV_CHANGED_BOOL_DEFAULT(connectionHandlesVisible, setConnectionHandlesVisible, "ConnectionHandlesVisible")
QV_CHANGED_BOOL_DEFAULT(coordinatesTooltipVisible, setCoordinatesTooltipVisible, "CoordinatesTooltipVisible")
QV_CHANGED_BOOL_DEFAULT(guidesVisible, setGuidesVisible, "GuidesVisible")
QV_CHANGED_BOOL_DEFAULT(guidesLocked, setGuidesLocked, "GuidesLocked")

QV_BOOL_DEFAULT(isConnectionEnabled, setConnectionEnabled, "ConnectionEnabled")
QV_BOOL_DEFAULT(isSnapEnabled, setSnapEnabled, "SnapEnabled")
QV_BOOL_DEFAULT(isSnapToCompositionBoundsEnabled, setSnapToCompositionBoundsEnabled, "SnapToCompositionBoundsEnabled")
QV_BOOL_DEFAULT(isSnapToOtherShapesEnabled, setSnapToOtherShapesEnabled, "SnapToOtherShapesEnabled")
QV_BOOL_DEFAULT(isSnapToDistantShapesEnabled, setSnapToDistantShapesEnabled, "SnapToDistantShapesEnabled")
QV_BOOL_DEFAULT(isSnapToUserGuidesEnabled, setSnapToUserGuidesEnabled, "SnapToUserGuidesEnabled")
QV_DOUBLE_DEFAULT(snapTolerance, setSnapTolerance, "SnapTolerance")
QV_DOUBLE_DEFAULT(dragThreshold, setDragThreshold, "DragThreshold")
QV_BOOL_DEFAULT(isGridEnabled, setGridEnabled, "GridEnabled")
QV_UNSIGNED_DEFAULT(gridVisibility, setGridVisibility, "GridVisibility")
QV_DOUBLE_DEFAULT(gridTolerance, setGridTolerance, "GridTolerance")

QV_BOOL_DEFAULT(exportAlphaEnabled, setExportAlphaEnabled, "ExportAlphaEnabled")
QV_UNSIGNED_DEFAULT(exportType, setExportType, "ExportType")
QV_INTEGER_DEFAULT(exportZoomScaleIndex, setExportZoomScaleIndex, "ExportZoomScaleIndex")
QV_BOOL_DEFAULT(exportAllPages, setExportAllPages, "ExportAllPages")

QV_BOOL_DEFAULT(stickyPropertiesEnabled, setStickyPropertiesEnabled, "StickyPropertiesEnabled")
QV_DOUBLE_DEFAULT(selectedFontSize, setSelectedFontSize, "SelectedFontSize")

QV_INTEGER_DEFAULT(defaultLineJoinStyle, setDefaultLineJoinStyle, "DefaultLineJoinStyle")
QV_INTEGER_DEFAULT(maxFiltersPerObject, setMaxFiltersPerObject, "MaxFiltersPerObject")
QV_BOOL_DEFAULT(returnInsertsNewline, setReturnInsertsNewline, "ReturnInsertsNewline")
QV_BOOL_DEFAULT(tabsPlacedOnTop, setTabsPlacedOnTop, "TabsPlacedOnTop")
QV_BOOL_DEFAULT(inspectorPlacedBesideOutline, setInspectorPlacedBesideOutline, "InspectorPlacedBesideOutline")

QV_INTEGER_DEFAULT(pageLayoutCompositionsPerPage, setPageLayoutCompositionsPerPage, "PageLayoutCompositionsPerPage")
QV_INTEGER_DEFAULT(pageLayoutPageOrientation, setPageLayoutPageOrientation, "PageLayoutPageOrientation")

#undef QV_BOOL_DEFAULT
#undef QV_CHANGED_BOOL_DEFAULT
#undef QV_DOUBLE_DEFAULT
#undef QV_INTEGER_DEFAULT
#undef QV_UNSIGNED_DEFAULT

// ---- Properties with more to them

QString UserDefaults::selectedFontName() const
{
    return store().stringForKey(u"SelectedFontName");
}

void UserDefaults::setSelectedFontName(const QString& name)
{
    store().setObjectForKey(name.isNull() ? pf::Value() : pf::Value(name), QStringLiteral("SelectedFontName"));
}

pf::Value UserDefaults::presetMetricsInfos() const
{
    return pf::Value(store().arrayForKey(u"PresetMetricsInfos"));
}

void UserDefaults::setPresetMetricsInfos(const pf::Value& infos)
{
    store().setObjectForKey(infos, QStringLiteral("PresetMetricsInfos"));
}

std::shared_ptr<Metrics> UserDefaults::lastSelectedMetrics() const
{
    const pf::Value& stored = store().objectForKey(u"LastSelectedMetrics");
    if (!stored.isDictionary() || stored.count() == 0)
        return nullptr;
    return Metrics::fromPlist(stored);
}

void UserDefaults::setLastSelectedMetrics(const std::shared_ptr<const Metrics>& metrics)
{
    store().setObjectForKey(metrics ? metrics->asPlist() : pf::Value(), QStringLiteral("LastSelectedMetrics"));
    store().synchronize();
}

QString UserDefaults::defaultFontName() const
{
    return store().stringForKey(u"Default-textFontName");
}

void UserDefaults::setDefaultFontName(const QString& name)
{
    defaultTextAttributesWillChange();
    store().setObjectForKey(name.isNull() ? pf::Value() : pf::Value(name), QStringLiteral("Default-textFontName"));
}

double UserDefaults::defaultFontSize() const
{
    return store().doubleForKey(u"Default-textFontSize");
}

void UserDefaults::setDefaultFontSize(double size)
{
    defaultTextAttributesWillChange();
    store().setDoubleForKey(size, QStringLiteral("Default-textFontSize"));
}

pf::OptionalColor UserDefaults::defaultTextColor() const
{
    return QVColorFromString(store().stringForKey(u"Default-textColor"));
}

void UserDefaults::setDefaultTextColor(const pf::OptionalColor& color)
{
    defaultTextAttributesWillChange();
    store().setObjectForKey(pf::Value(QVStringFromColor(color)), QStringLiteral("Default-textColor"));
}

QUrl UserDefaults::imageBrowseURL() const
{
    const QString& stored = store().stringForKey(u"ImageBrowseURLString");
    return stored.isEmpty() ? QUrl() : QUrl(stored);
}

void UserDefaults::setImageBrowseURL(const QUrl& url)
{
    if (url.isEmpty()) {
        store().removeObjectForKey(QStringLiteral("ImageBrowseURLString"));
        return;
    }
    // The folder of the chosen file: the URL without its last path component.
    QUrl folder = url;
    QString path = folder.path();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    folder.setPath(slash > 0 ? path.left(slash) : QStringLiteral("/"));
    folder.setQuery(QString());
    folder.setFragment(QString());
    store().setObjectForKey(pf::Value(folder.toString(QUrl::FullyEncoded)), QStringLiteral("ImageBrowseURLString"));
}
