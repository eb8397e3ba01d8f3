// The class-level row of a concrete control kind: library texts and picture, default size, manipulator,
// inspector facets, rounded corners and the item editor's bound, answered by one class object template.
#pragma once

#include "controls/UIControl.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>

namespace controls {

// Texts are localisation keys, except the search words. Null pointers leave the base class's answer.
struct Catalogue {
    const char* title = nullptr; // also the short title
    const char* longDescription = nullptr;
    const char* iconImageName = nullptr;
    const char* extraSearchString = nullptr;
    pf::Size defaultSize;
    const char* manipulatorClassName = nullptr;
    std::initializer_list<const char*> facets;
    bool hasRoundedCorners = false;
    std::int64_t maxControlItems = 0;
};

template <class Base = UIControlClass>
class CatalogueClass : public Base {
public:
    CatalogueClass(QString name, const pf::ClassObject* superclass, ShapeClass::Allocator allocator,
                   const Catalogue& row)
        : Base(std::move(name), superclass, allocator), row_(row)
    {
        for (const char* facet : row.facets)
            facets_.append(QString::fromLatin1(facet));
    }

    QString title() const override { return row_.title ? pf::localized(QString::fromUtf8(row_.title)) : Base::title(); }
    QString shortTitle() const override { return title(); }
    QString longDescription() const override
    {
        return row_.longDescription ? pf::localized(QString::fromUtf8(row_.longDescription)) : Base::longDescription();
    }
    QString iconImageName() const override
    {
        return row_.iconImageName ? QString::fromLatin1(row_.iconImageName) : Base::iconImageName();
    }
    QString extraSearchString() const override
    {
        return row_.extraSearchString ? QString::fromUtf8(row_.extraSearchString) : Base::extraSearchString();
    }
    QString negativeSearchString() const override { return row_.title ? QStringLiteral("") : Base::negativeSearchString(); }
    pf::Size defaultSize() const override
    {
        return row_.defaultSize == pf::Size() ? Base::defaultSize() : row_.defaultSize;
    }
    QString manipulatorClassName() const override
    {
        return row_.manipulatorClassName ? QString::fromLatin1(row_.manipulatorClassName) : Base::manipulatorClassName();
    }
    const QStringList& facetClassNames() const override { return facets_.isEmpty() ? Base::facetClassNames() : facets_; }
    bool hasRoundedCorners() const override { return row_.hasRoundedCorners; }
    std::int64_t maxControlItems() const override { return row_.maxControlItems; }

private:
    Catalogue row_;
    QStringList facets_;
};

} // namespace controls
