// The registry of the inspector's facet classes: for each class name its base, title, interface file,
// collapsed key (also the group in which facets compete), sort order, group priority and the rule that
// admits a selection. The inspector makes one facet of each class it shows; a class with code of its own
// registers a maker for its name, the others are plain facets set up from their entry.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class Facet;
class InspectorViewController;
struct SelectionDescriptor;

enum class FacetDisplayRule { Always, NotMultiple, NotMixed, NoLine, NoShape };

struct FacetClassInfo {
    QString name;
    QString base;
    QString title;
    // Empty: the facet has no content view (its row is a header).
    QString nibName;
    QString collapsedKey;
    std::int64_t sortOrder = 0;
    std::int64_t groupPriority = 0;
    FacetDisplayRule display = FacetDisplayRule::Always;

    bool admits(const SelectionDescriptor& selection) const;
};

namespace FacetRegistry {

// The entry of a class; null for a name that is not a facet class.
const FacetClassInfo* classInfo(const QString& name);
// Every registered class, in the registry's order (the abstract control facet included).
QStringList allClassNames();
// The classes the inspector makes one facet of, in order.
const QStringList& inspectorFacetNames();
// Whether `name` is `base` or derives from it.
bool isSubclassOf(const QString& name, const QString& base);

using Maker = std::function<std::shared_ptr<Facet>(InspectorViewController* inspector, const FacetClassInfo& info)>;
// Replaces the maker of a class (an empty one restores the plain facet).
void registerMaker(const QString& name, Maker maker);
// The facet of a class, made by its maker; null for an unknown name.
std::shared_ptr<Facet> makeFacet(const QString& name, InspectorViewController* inspector);

} // namespace FacetRegistry
