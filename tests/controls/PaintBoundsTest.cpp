// An export draws only the shapes whose paintBounds meet the rect it asks for (a loupe's region): for
// that to change no pixel, every kind must paint inside its paintBounds, however it is styled.
#include "ControlKindTestSupport.h"
#include "support/HeavyStyle.h"

#include "model/Composition.h"
#include "model/FilterSpec.h"
#include "model/Parent.h"
#include "geometry/QVRect.h"
#include "platform/graphics/PainterContext.h"

#include <QImage>

namespace {

const pf::Rect pageFrame(0, 0, 700, 700);
const pf::Rect shapeFrame(300, 310, 90, 56);

// The bounds of the pixels a drawing touched, in points (the bitmap is one pixel a point).
pf::Rect paintedBounds(const QImage& image)
{
    int minX = image.width(), minY = image.height(), maxX = -1, maxY = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 0) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    }
    return maxX < 0 ? pf::Rect::zero() : pf::Rect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}


void filterAndTurn(Shape& shape)
{
    auto blur = FilterSpec::filterSpec();
    blur->setType(1);
    blur->setEnabled(true);
    shape.setContentFilterSpecs({blur});
    shape.setFillShadowHidden(false);
    shape.setFillShadowBlur(8);
    shape.setRotationAngle(20);
}

class PaintBoundsTest : public ControlKindTest {};

TEST_F(PaintBoundsTest, EveryKindPaintsInsideItsPaintBoundsHoweverStyled)
{
    const std::vector<std::pair<const char*, void (*)(Shape&)>> styles{
        {"as in the library", [](Shape&) {}},
        {"thick mitred stroke, shadows, text, turned", styleHeavily},
        {"filtered and turned", filterAndTurn},
    };
    int kinds = 0;
    for (const ShapeClass* kind : pf::ClassRegistry::shared().classesOfKind<ShapeClass>()) {
        if (kind->title().isEmpty() || kind->isSubclassOf(Parent::staticClass()))
            continue;
        ++kinds;
        for (const auto& [name, style] : styles) {
            auto metrics = std::make_shared<Metrics>();
            metrics->setWidth(pageFrame.width());
            metrics->setHeight(pageFrame.height());
            auto page = Composition::make(metrics);
            auto shape = kind->libraryListItemShapeWithFrame(shapeFrame);
            page->addShape(shape);
            style(*shape);
            page->setExporting(true);
            page->setOverrideZoomScale(1.0);
            pf::BitmapContext context(pageFrame.size, 1.0);
            shape->drawInContextDirtyRect(context, pf::Rect::zero());
            const pf::Rect painted = paintedBounds(context.bitmap());
            const std::string what = kind->className().toStdString() + ", " + name;
            // Nothing was cut off by the bitmap's edges, and everything lies within the bounds (plus the
            // pixel that antialiasing touches).
            EXPECT_TRUE(QVRectIsZero(painted) || pageFrame.insetBy(1, 1).contains(painted)) << what;
            EXPECT_TRUE(QVRectIsZero(painted) || QVRectOutset(shape->paintBounds(), 1, 1).contains(painted))
                << what << ": painted " << pf::toString(painted).toStdString() << " outside "
                << pf::toString(shape->paintBounds()).toStdString();
        }
    }
    EXPECT_GT(kinds, 50);
}

} // namespace
