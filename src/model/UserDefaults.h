// The typed accessor of the application's settings. Every property but documentBrowseURL passes through
// to the shared pf::UserDefaultsStore under its key; the built-in values come from the resource
// "Quorvel-DefaultValues", registered before the first read. The setters post nothing of their own.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Value.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>

namespace pf {
class UserDefaultsStore;
}
class Metrics;

class UserDefaults {
public:
    // The shared instance.
    static UserDefaults& instance();
    // Registers the "Quorvel-DefaultValues" resource with the shared store. The shared store does this by
    // itself when it is made, before anything can read it.
    static void setUpUserDefaults();
    // Registers the resource with a given store (tests that replace the shared store call this).
    static void registerDefaultValues(pf::UserDefaultsStore& store);

    // Called, in order of registration, before the default text font or colour changes, so that whoever
    // caches text attributes built from them forgets them. Answers an id for removal.
    static std::size_t addDefaultTextAttributesChangedHandler(std::function<void()> handler);
    static void removeDefaultTextAttributesChangedHandler(std::size_t id);

    bool isTabsPaletteVisible() const;
    void setTabsPaletteVisible(bool visible);
    bool isLibraryPaletteVisible() const;
    void setLibraryPaletteVisible(bool visible);
    bool isOutlinePaletteVisible() const;
    void setOutlinePaletteVisible(bool visible);
    bool isInspectorPaletteVisible() const;
    void setInspectorPaletteVisible(bool visible);
    bool isInspectorGeometryFacetCollapsed() const;
    void setInspectorGeometryFacetCollapsed(bool collapsed);
    bool isVirginLaunch() const;
    void setVirginLaunch(bool virgin);
    bool hasShownBezierModeHint() const;
    void setHasShownBezierModeHint(bool shown);
    bool hasShownBrushModeHint() const;
    void setHasShownBrushModeHint(bool shown);

    // These eight write only when the value differs from what the getter answers.
    bool statusBarVisible() const;
    void setStatusBarVisible(bool visible);
    bool rulersVisible() const;
    void setRulersVisible(bool visible);
    bool selectionHandlesVisible() const;
    void setSelectionHandlesVisible(bool visible);
    bool rotationHandlesVisible() const;
    void setRotationHandlesVisible(bool visible);
    bool connectionHandlesVisible() const;
    void setConnectionHandlesVisible(bool visible);
    bool coordinatesTooltipVisible() const;
    void setCoordinatesTooltipVisible(bool visible);
    bool guidesVisible() const;
    void setGuidesVisible(bool visible);
    bool guidesLocked() const;
    void setGuidesLocked(bool locked);

    bool isConnectionEnabled() const;
    void setConnectionEnabled(bool enabled);
    bool isSnapEnabled() const;
    void setSnapEnabled(bool enabled);
    bool isSnapToCompositionBoundsEnabled() const;
    void setSnapToCompositionBoundsEnabled(bool enabled);
    bool isSnapToOtherShapesEnabled() const;
    void setSnapToOtherShapesEnabled(bool enabled);
    bool isSnapToDistantShapesEnabled() const;
    void setSnapToDistantShapesEnabled(bool enabled);
    bool isSnapToUserGuidesEnabled() const;
    void setSnapToUserGuidesEnabled(bool enabled);
    double snapTolerance() const;
    void setSnapTolerance(double points);
    double dragThreshold() const;
    void setDragThreshold(double points);
    bool isGridEnabled() const;
    void setGridEnabled(bool enabled);
    std::uint64_t gridVisibility() const;
    void setGridVisibility(std::uint64_t visibility);
    double gridTolerance() const;
    void setGridTolerance(double tolerance);

    // The page-size presets: an array of Metrics property lists.
    pf::Value presetMetricsInfos() const;
    void setPresetMetricsInfos(const pf::Value& infos);
    // Null when nothing (or an empty dictionary) is stored. Setting writes the file at once.
    std::shared_ptr<Metrics> lastSelectedMetrics() const;
    void setLastSelectedMetrics(const std::shared_ptr<const Metrics>& metrics);

    bool exportAlphaEnabled() const;
    void setExportAlphaEnabled(bool enabled);
    std::uint64_t exportType() const;
    void setExportType(std::uint64_t type);
    std::int64_t exportZoomScaleIndex() const;
    void setExportZoomScaleIndex(std::int64_t index);
    bool exportAllPages() const;
    void setExportAllPages(bool all);

    bool stickyPropertiesEnabled() const;
    void setStickyPropertiesEnabled(bool enabled);
    QString selectedFontName() const;
    void setSelectedFontName(const QString& name);
    double selectedFontSize() const;
    void setSelectedFontSize(double size);

    // The built-in text font and colour of shapes ("Default-text…" sticky keys).
    QString defaultFontName() const;
    void setDefaultFontName(const QString& name);
    double defaultFontSize() const;
    void setDefaultFontSize(double size);
    pf::OptionalColor defaultTextColor() const;
    void setDefaultTextColor(const pf::OptionalColor& color);

    std::int64_t defaultLineJoinStyle() const;
    void setDefaultLineJoinStyle(std::int64_t style);
    std::int64_t maxFiltersPerObject() const;
    void setMaxFiltersPerObject(std::int64_t count);
    bool returnInsertsNewline() const;
    void setReturnInsertsNewline(bool inserts);
    bool tabsPlacedOnTop() const;
    void setTabsPlacedOnTop(bool onTop);
    bool inspectorPlacedBesideOutline() const;
    void setInspectorPlacedBesideOutline(bool beside);

    // The folder of the last chosen image; empty when none is stored. Setting stores the folder of url.
    QUrl imageBrowseURL() const;
    void setImageBrowseURL(const QUrl& url);

    std::int64_t pageLayoutCompositionsPerPage() const;
    void setPageLayoutCompositionsPerPage(std::int64_t count);
    std::int64_t pageLayoutPageOrientation() const;
    void setPageLayoutPageOrientation(std::int64_t orientation);

    // In memory only, for the life of the process.
    const QUrl& documentBrowseURL() const { return documentBrowseURL_; }
    void setDocumentBrowseURL(const QUrl& url) { documentBrowseURL_ = url; }

private:
    UserDefaults() = default;

    static pf::UserDefaultsStore& store();
    static void setBoolIfChanged(bool value, const QString& key);
    static void defaultTextAttributesWillChange();

    QUrl documentBrowseURL_;
};
