#include "palettes/FacetRegistry.h"

#include "palettes/Facet.h"
#include "palettes/SelectionDescriptor.h"

#include <map>
#include <vector>

namespace {

using Rule = FacetDisplayRule;

const char* const geometryKey = "InspectorGeometryFacetCollapsed";
const char* const textKey = "InspectorTextFacetCollapsed";
const char* const imageKey = "InspectorImageFacetCollapsed";
const char* const pathKey = "InspectorPathFacetCollapsed";
const char* const loupeKey = "InspectorLoupeFacetCollapsed";
const char* const controlKey = "InspectorControlFacetCollapsed";

struct Row {
    const char* name;
    const char* base;
    const char* title;
    // Null: the class's own name. Empty: none.
    const char* nibName;
    const char* collapsedKey;
    std::int64_t sortOrder;
    std::int64_t groupPriority;
    Rule display;
};

// Facets that edit the same subject share a collapsed key and compete for one row; the group priority
// ranks them (the highest wins for one kind of shape, the lowest for a mix).
constexpr Row rows[] = {
    {"OpacityFacet", "Facet", "Opacity", nullptr, "InspectorOpacityFacetCollapsed", 100, 0, Rule::Always},
    {"FilterFacet", "Facet", "Filter", nullptr, "InspectorFilterFacetCollapsed", 150, 0, Rule::NotMultiple},
    {"GeometryFacet", "Facet", "Geometry", nullptr, geometryKey, 200, 0, Rule::NoLine},
    {"GeometryNoConstrainFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, -5, Rule::NoLine},
    {"GeometryNoConstrainNoRotationFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, -10, Rule::Always},
    {"PolygonGeometryFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, 10, Rule::NotMixed},
    {"TextGeometryFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, 10, Rule::NotMixed},
    {"PathGeometryFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, 10, Rule::NotMixed},
    {"ClassifierGeometryFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, 10, Rule::NotMixed},
    {"LoupeGeometryFacet", "GeometryFacet", "Geometry", nullptr, geometryKey, 200, 10, Rule::NotMixed},
    {"ArcGeometryFacet", "GeometryNoConstrainNoRotationFacet", "Geometry", nullptr, geometryKey, 200, 10, Rule::NotMixed},
    {"SegmentedLineGeometryFacet", "GeometryNoConstrainNoRotationFacet", "Geometry", nullptr, geometryKey, 200, 10,
     Rule::NotMixed},
    {"PathFacet", "Facet", "Path", nullptr, pathKey, 210, 0, Rule::NotMixed},
    {"CurveFacet", "Facet", "Path", nullptr, pathKey, 210, 0, Rule::NotMixed},
    {"LoupeFacet", "Facet", "Loupe", nullptr, loupeKey, 210, 0, Rule::NotMixed},
    {"RedactFacet", "Facet", "Redaction", nullptr, loupeKey, 210, 0, Rule::NotMixed},
    {"FillFacet", "Facet", "Fill", nullptr, "InspectorFillFacetCollapsed", 300, 0, Rule::Always},
    {"StrokeFacet", "Facet", "Stroke", nullptr, "InspectorStrokeFacetCollapsed", 400, 0, Rule::Always},
    {"ArrowFacet", "Facet", "Arrow", nullptr, "InspectorArrowFacetCollapsed", 450, 0, Rule::NoShape},
    {"TextFacet", "Facet", "Text", nullptr, textKey, 500, 0, Rule::Always},
    {"LineTextFacet", "TextFacet", "Text", nullptr, textKey, 500, 0, Rule::NotMixed},
    // The text box's own panel shares the plain text panel's interface file.
    {"TextTextFacet", "TextFacet", "Text", "TextFacet", textKey, 250, 10, Rule::NotMixed},
    {"ResizeTextFacet", "TextFacet", "Text", nullptr, textKey, 250, 10, Rule::NotMixed},
    {"ClassifierTextFacet", "TextFacet", "Text", nullptr, textKey, 250, 10, Rule::NotMixed},
    {"ImageFacet", "Facet", "Image", nullptr, imageKey, 600, 0, Rule::NotMixed},
    {"ImageImageFacet", "ImageFacet", "Image", "ImageFacet", imageKey, 150, 10, Rule::NotMixed},
    // The base of the phone-control panels, never shown itself.
    {"UIControlFacet", "Facet", "UI Control", "", controlKey, 175, 0, Rule::NotMixed},
    {"UITableViewFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UISwitchFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIStatusBarFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIAlertDialogFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIToolbarFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UITabBarFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UISegmentedControlFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIButtonFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIIconFacet", "UIButtonFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UISearchFieldFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIActivityIndicatorFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIKeyboardFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
    {"UIActionSheetFacet", "UIControlFacet", "UI Control", nullptr, controlKey, 175, 0, Rule::NotMixed},
};

struct Registry {
    std::vector<FacetClassInfo> infos;
    std::map<QString, std::size_t> byName;
    std::map<QString, FacetRegistry::Maker> makers;
};

Registry& registry()
{
    static Registry r = [] {
        Registry made;
        for (const Row& row : rows) {
            FacetClassInfo info;
            info.name = QString::fromLatin1(row.name);
            info.base = QString::fromLatin1(row.base);
            info.title = QString::fromLatin1(row.title);
            info.nibName = row.nibName ? QString::fromLatin1(row.nibName) : info.name;
            info.collapsedKey = QString::fromLatin1(row.collapsedKey);
            info.sortOrder = row.sortOrder;
            info.groupPriority = row.groupPriority;
            info.display = row.display;
            made.byName[info.name] = made.infos.size();
            made.infos.push_back(std::move(info));
        }
        return made;
    }();
    return r;
}

} // namespace

bool FacetClassInfo::admits(const SelectionDescriptor& selection) const
{
    switch (display) {
    case Rule::Always:
        return true;
    case Rule::NotMultiple:
        return !selection.hasMultiple;
    case Rule::NotMixed:
        return !selection.hasMixed;
    case Rule::NoLine:
        return !selection.hasLine;
    case Rule::NoShape:
        return !selection.hasShape;
    }
    return true;
}

namespace FacetRegistry {

const FacetClassInfo* classInfo(const QString& name)
{
    const Registry& r = registry();
    const auto it = r.byName.find(name);
    return it == r.byName.end() ? nullptr : &r.infos[it->second];
}

QStringList allClassNames()
{
    QStringList names;
    for (const FacetClassInfo& info : registry().infos)
        names << info.name;
    return names;
}

const QStringList& inspectorFacetNames()
{
    static const QStringList names{
        "OpacityFacet", "FilterFacet", "GeometryFacet", "GeometryNoConstrainFacet", "PolygonGeometryFacet",
        "TextGeometryFacet", "GeometryNoConstrainNoRotationFacet", "ArcGeometryFacet", "SegmentedLineGeometryFacet",
        "PathGeometryFacet", "PathFacet", "CurveFacet", "FillFacet", "StrokeFacet", "TextFacet", "TextTextFacet",
        "ResizeTextFacet", "LineTextFacet", "ImageFacet", "ImageImageFacet", "LoupeGeometryFacet", "LoupeFacet",
        "RedactFacet", "ClassifierGeometryFacet", "ClassifierTextFacet", "ArrowFacet", "UITableViewFacet",
        "UISwitchFacet", "UIStatusBarFacet", "UIAlertDialogFacet", "UIToolbarFacet", "UITabBarFacet",
        "UISegmentedControlFacet", "UIButtonFacet", "UIIconFacet", "UISearchFieldFacet", "UIActivityIndicatorFacet",
        "UIKeyboardFacet", "UIActionSheetFacet"};
    return names;
}

bool isSubclassOf(const QString& name, const QString& base)
{
    for (QString n = name; !n.isEmpty();) {
        if (n == base)
            return true;
        const FacetClassInfo* info = classInfo(n);
        if (!info)
            return false;
        n = info->base;
    }
    return false;
}

void registerMaker(const QString& name, Maker maker)
{
    if (maker)
        registry().makers[name] = std::move(maker);
    else
        registry().makers.erase(name);
}

std::shared_ptr<Facet> makeFacet(const QString& name, InspectorViewController* inspector)
{
    const FacetClassInfo* info = classInfo(name);
    if (!info)
        return nullptr;
    const auto it = registry().makers.find(name);
    if (it != registry().makers.end())
        return it->second(inspector, *info);
    return std::make_shared<Facet>(inspector, *info);
}

} // namespace FacetRegistry
