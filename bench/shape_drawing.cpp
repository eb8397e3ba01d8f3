// The cost of drawing a full page: 1,000 rectangles with a linear gradient fill and a 2-point stroke, into
// a 2,000 x 2,000 bitmap as the canvas draws at 100 % (on screen, half-point offset), with the fill and
// stroke shadows of the built-in style (offset 2, blur 3, black at 25 %) shown or hidden. The peer draws
// the same rectangles, gradients and strokes straight through QPainter, without our context or layers.
#include "model/Rectangle.h"
#include "model/Shape.h"
#include "model/ShapePage.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/PainterContext.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int side = 2000;
constexpr int columns = 40; // 40 x 25 cells of 50 x 80 points
constexpr int rows = 25;

const pf::Color light(0.95, 0.95, 1.0, 1.0);
const pf::Color dark(0.3, 0.4, 0.8, 1.0);
const pf::Color strokeColour(0.1, 0.1, 0.2, 1.0);

// A page shown at 100 %, owned by nobody (no undo).
class BenchPage : public ShapePage {
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

pf::Rect cell(int i)
{
    return pf::Rect((i % columns) * 50.0 + 5, (i / columns) * 80.0 + 5, 40, 70);
}

// What each rectangle draws: everything, or one part, to see where the time goes.
enum Content { GradientAndStroke = 0, GradientOnly = 1, StrokeOnly = 2, SolidFillOnly = 3 };

std::vector<std::shared_ptr<Rectangle>> page(BenchPage& owner, bool shadows, Content content)
{
    // Shapes take their style from the user defaults: use empty ones, never the user's.
    static const auto usersDefaults =
        pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
    std::vector<std::shared_ptr<Rectangle>> shapes;
    for (int i = 0; i < columns * rows; ++i) {
        auto shape = Shape::make<Rectangle>(cell(i));
        shape->setComposition(&owner);
        shape->setFillType(1);
        shape->setFillAngle(90);
        shape->setFillGradientElements({{light, 0.0}, {dark, 1.0}});
        shape->setStrokeType(0);
        shape->setStrokeLineWidth(2);
        shape->setStrokeColor(strokeColour);
        for (auto setHidden : {&Shape::setFillShadowHidden, &Shape::setStrokeShadowHidden})
            (shape.get()->*setHidden)(!shadows);
        shape->setFillShadowColor(pf::Color(0, 0, 0, 0.25));
        shape->setStrokeShadowColor(pf::Color(0, 0, 0, 0.25));
        for (auto set : {&Shape::setFillShadowOffsetX, &Shape::setFillShadowOffsetY, &Shape::setStrokeShadowOffsetX,
                         &Shape::setStrokeShadowOffsetY})
            (shape.get()->*set)(2);
        shape->setFillShadowBlur(3);
        shape->setStrokeShadowBlur(3);
        if (content == StrokeOnly)
            shape->setFillType(5);
        if (content == SolidFillOnly) {
            shape->setFillType(0);
            shape->setFillColor(dark);
        }
        if (content == GradientOnly || content == SolidFillOnly)
            shape->setStrokeType(3);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

void drawPage(benchmark::State& state, bool shadows)
{
    BenchPage owner;
    const auto shapes = page(owner, shadows, Content(state.range(0)));
    const pf::Rect everything(0, 0, side, side);
    for (auto _ : state) {
        pf::BitmapContext context(pf::Size(side, side), 1.0, true, true);
        context.translate(0.5, 0.5);
        for (const auto& shape : shapes)
            shape->drawInContextDirtyRect(context, everything);
        benchmark::DoNotOptimize(context.bitmap().constBits());
    }
    state.counters["shapes"] = double(shapes.size());
}

void BM_ShapesWithShadows(benchmark::State& state) { drawPage(state, true); }
void BM_ShapesWithoutShadows(benchmark::State& state) { drawPage(state, false); }

// The same fills and strokes through QPainter alone.
void BM_QPainterPeer(benchmark::State& state)
{
    for (auto _ : state) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QPen pen(strokeColour.toQt(), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        for (int i = 0; i < columns * rows; ++i) {
            // Where the canvas puts them at 100 %: the fill half a point in, the even stroke one point.
            const QRectF r = cell(i).toQt().translated(0.5, 0.5);
            QLinearGradient g(r.center().x(), r.top(), r.center().x(), r.bottom());
            g.setColorAt(0, light.toQt());
            g.setColorAt(1, dark.toQt());
            p.fillRect(r, g);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.translated(0.5, 0.5));
        }
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Argument: the Content drawn (0 is the full page; 1 to 3 break it down).
BENCHMARK(BM_ShapesWithShadows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapesWithoutShadows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterPeer)->Unit(benchmark::kMillisecond);

} // namespace
