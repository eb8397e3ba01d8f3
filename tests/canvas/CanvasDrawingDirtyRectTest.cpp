// A shape's redisplay rect and its far tighter painted rect must hold everything it paints on screen, or a
// move or a restyle leaves trails: every kind, filtered, shadowed, with text and turned, at three zooms.
#include "canvas/support/CanvasFixture.h"
#include "support/HeavyStyle.h"

#include "geometry/QVRect.h"
#include "model/FilterSpec.h"
#include "model/Parent.h"
#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/graphics/PainterContext.h"

#include <QImage>

namespace {

void styleHeavily(Shape& shape, bool filtered)
{
    if (filtered) {
        auto blur = FilterSpec::filterSpec();
        blur->setType(1);
        blur->setEnabled(true);
        shape.setContentFilterSpecs({blur});
    }
    styleHeavily(shape);
}

class CanvasDrawingDirtyRectTest : public CanvasFixture {};

TEST_F(CanvasDrawingDirtyRectTest, EveryKindPaintsInsideItsDirtyRectOnScreen)
{
    canvas->selectNone();
    for (const auto& child : Composition::Children(page->children()))
        if (child->isSavable())
            page->removeShape(child);
    for (const double zoom : {0.5, 1.0, 2.0}) {
        page->setOverrideZoomScale(zoom);
        canvas->updateForZoomScale();
        for (const ShapeClass* kind : pf::ClassRegistry::shared().classesOfKind<ShapeClass>()) {
            if (kind->title().isEmpty() || kind->isSubclassOf(Parent::staticClass()))
                continue;
            // As the library makes it, heavily styled, and that filtered.
            for (const int style : {0, 1, 2}) {
                const bool filtered = style == 2;
                const std::string what = kind->className().toStdString()
                    + (style == 0 ? ", plain" : filtered ? ", filtered" : "") + " at " + std::to_string(zoom);
                auto shape = kind->libraryListItemShapeWithFrame({300, 250, 90, 56});
                page->addShape(shape);
                if (style != 0)
                    styleHeavily(*shape, filtered);
                canvas->selectNone();
                const pf::Rect p = canvas->pageDrawingRect();
                const pf::AffineTransform pageToView{zoom, 0, 0, zoom, p.x(), p.y()};
                // A picture well beyond what the shape can paint, so that nothing is cut off by its edges.
                const pf::Rect region = QVRectOutset(pageToView.apply(shape->paintBounds()), 40, 40).integral();
                pf::BitmapContext context(region.size, 1.0, true, true);
                context.translate(-region.x(), -region.y());
                context.translate(p.x(), p.y());
                context.scale(zoom, zoom);
                shape->drawInContextDirtyRect(context, shape->dirtyRect());
                const QImage image = context.bitmap();
                const auto pixelsOutside = [&](const pf::Rect& covered) {
                    int outside = 0;
                    for (int y = 0; y < image.height(); ++y) {
                        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                        for (int x = 0; x < image.width(); ++x)
                            if (qAlpha(row[x]) != 0 && !covered.contains(pf::Rect(region.x() + x, region.y() + y, 1, 1)))
                                ++outside;
                    }
                    return outside;
                };
                // Antialiasing may touch the pixel next to the dirty rect; the painted rect holds that pixel.
                EXPECT_EQ(pixelsOutside(QVRectOutset(pageToView.apply(shape->dirtyRect()), 1, 1)), 0)
                    << what << ": dirty rect " << pf::toString(shape->dirtyRect()).toStdString();
                EXPECT_EQ(pixelsOutside(pageToView.apply(shape->paintedRect())), 0)
                    << what << ": painted rect " << pf::toString(shape->paintedRect()).toStdString();
                page->removeShape(shape);
            }
        }
    }
}

} // namespace
