// A page for shapes outside a real page: no undo, no pictures, no redisplay, zoom 1, nothing under way.
// Test and benchmark doubles derive from it and answer only what they look at.
#pragma once

#include "model/ShapePage.h"

class QuietShapePage : public ShapePage {
public:
    pf::UndoManager* undoManager() const override { return nullptr; }
    pf::Image imageForIdentifier(const QString&) override { return {}; }
    void incrementRefCountForImageIdentifier(const QString&) override {}
    void decrementRefCountForImageIdentifier(const QString&) override {}
    void setNeedsDisplayInRectUpdatePalettes(const pf::Rect&, bool) override {}
    void removeConnection(const std::shared_ptr<ShapeConnection>&) override {}
    double zoomScale() const override { return 1.0; }
    pf::Point rulerOriginAdjustedPoint(const pf::Point& point) const override { return point; }
    bool isDuplicating() const override { return false; }
    bool isExporting() const override { return false; }
    bool isDrawingThumbnail() const override { return false; }
    bool isDrawingLoupe() const override { return false; }
};
