// Where a control lands when it is added to a page from a stored form (library, shape tool, pasteboard):
// screen-wide controls take the page's width and dock to one of its edges, keeping their stored height.
#pragma once

#include "controls/ControlCatalogue.h"

namespace controls {

enum class Docking {
    Free,           // the shape's general rule: the stored frame, or the default one centred
    SpanWidth,      // the page's x and width; the stored y and height
    BelowStatusBar, // the page's x and width, 20 points below its top
    Top,            // the page's x, y and width
    Bottom,         // the page's x and width, a 44-point bar's height above its bottom
    BottomEdge,     // the page's x and width, the stored height above its bottom (sitting on the edge)
};

// The stored form with its "frame" placed on the page rect by the rule.
pf::Value dockedPlist(const pf::Value& plist, const pf::Rect& page, Docking docking);

template <class Base = UIControlClass>
class DockingCatalogueClass : public CatalogueClass<Base> {
public:
    DockingCatalogueClass(QString name, const pf::ClassObject* superclass, ShapeClass::Allocator allocator,
                          const Catalogue& row, Docking docking)
        : CatalogueClass<Base>(std::move(name), superclass, allocator, row), docking_(docking)
    {
    }
    pf::Value plistByEnsuringFrameToPlistInRect(const pf::Value& plist, const pf::Rect& rect) const override
    {
        return dockedPlist(CatalogueClass<Base>::plistByEnsuringFrameToPlistInRect(plist, rect), rect, docking_);
    }

private:
    Docking docking_;
};

} // namespace controls
