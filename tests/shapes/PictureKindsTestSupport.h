// Fixtures of the picture-kind tests: a page that is itself a shape drawing its shapes, as the real page
// is, with an image store, and shapes placed on it.
#pragma once

#include "OutlineTestSupport.h"

#include "model/Rectangle.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/PictureKinds.h"
#include "support/QuietShapePage.h"

#include <algorithm>
#include <map>

// A box filled with one colour: no stroke, no shadow.
inline std::shared_ptr<Rectangle> filledBox(const pf::Rect& frame, const pf::Color& colour)
{
    auto shape = Shape::make<Rectangle>(frame);
    shape->setFillType(0);
    shape->setFillColor(colour);
    shape->setStrokeType(3);
    shape->setFillShadowHidden(true);
    return shape;
}

// A page that is also a shape drawing its shapes in order, as the real page does.
class PicturePage : public Rectangle, public QuietShapePage {
public:
    PicturePage() { undo.setGroupsByEvent(false); }
    void add(const std::shared_ptr<Shape>& shape)
    {
        shape->setComposition(this);
        shapes.push_back(shape);
    }

    pf::UndoManager* undoManager() const override { return &undo; }
    pf::Image imageForIdentifier(const QString& identifier) override
    {
        const auto it = images.find(identifier);
        return it == images.end() ? pf::Image() : it->second;
    }
    void incrementRefCountForImageIdentifier(const QString& identifier) override { ++refCounts[identifier]; }
    void decrementRefCountForImageIdentifier(const QString& identifier) override { --refCounts[identifier]; }
    bool isDrawingLoupe() const override { return drawingLoupe; }
    void setDrawingLoupe(bool on) override { drawingLoupe = on; }
    bool isMouseDragging() const override { return mouseDragging; }
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override
    {
        for (const auto& shape : shapes)
            shape->drawInContextDirtyRect(context, dirty);
    }

    mutable pf::UndoManager undo;
    std::vector<std::shared_ptr<Shape>> shapes;
    std::map<QString, pf::Image> images;
    std::map<QString, int> refCounts;
    bool drawingLoupe = false;
    bool mouseDragging = false;
};

class PictureKindsTest : public OutlineTest {
protected:
    void SetUp() override
    {
        OutlineTest::SetUp();
        page = Shape::make<PicturePage>(pf::Rect(0, 0, 400, 300));
    }

    // A plain filled box on the page.
    std::shared_ptr<Rectangle> box(const pf::Rect& frame, const pf::Color& colour)
    {
        auto shape = filledBox(frame, colour);
        page->add(shape);
        return shape;
    }
    template <class Kind>
    std::shared_ptr<Kind> onPage(const pf::Rect& frame)
    {
        auto shape = Shape::make<Kind>(frame);
        shape->setFillType(5);
        shape->setStrokeType(3);
        shape->setFillShadowHidden(true);
        shape->setStrokeShadowHidden(true);
        page->add(shape);
        return shape;
    }
    static QImage draw(Shape& shape, pf::Size size)
    {
        pf::BitmapContext context(size, 1.0, true);
        shape.drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        return context.bitmap();
    }
    static std::unique_ptr<pf::RecordingContext> record(Shape& shape)
    {
        auto context = std::make_unique<pf::RecordingContext>();
        shape.drawInContextDirtyRect(*context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        return context;
    }
    static int count(const pf::RecordingContext& context, const char* operation)
    {
        return int(std::count_if(context.calls().begin(), context.calls().end(),
                                 [&](const pf::RecordedCall& c) { return c.operation == operation; }));
    }

    std::shared_ptr<PicturePage> page;
};
