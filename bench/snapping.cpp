// Snapping a dragged selection onto the other shapes of a page, against a Qt Graphics View scene of equal
// rect items doing the same line comparisons. Pages of 1,000 and 10,000 rectangles on a grid; one shape
// moved (or resized by its bottom-right handle) a step at a time, with the shipped snap settings (other
// shapes, distant shapes, page bounds and guides on; tolerance 5). The peer compares the three vertical and
// three horizontal lines of every item with the rect's own. Goals (CPU time), at both sizes:
//   BM_SnapMoveStep / BM_SceneMoveStep       <= 1.5
//   BM_SnapResizeStep / BM_SceneResizeStep   <= 1.5
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double cell = 30;  // each rectangle 20 x 20 in a cell of 30
constexpr double side = 20;
constexpr double tolerance = 5;

int columnsFor(int count) { return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count)))); }

// The canvas as a drag sees it: snapping wanted, guides and marks kept for the step and then dropped.
class StepCanvas : public ManipulatorCanvas {
public:
    bool dragCopy() const override { return false; }
    bool wantsSnap() const override { return true; }
    void beginEditingTextIn(Shape&) override {}
    void addTempGuide(std::uint64_t, const pf::Point&, const pf::Point&) override { ++guides; }
    pf::Rect cleanUpTempGuidesWithManipulatorRect(const pf::Rect&) override { return {}; }
    void addSnappedShape(const std::shared_ptr<Shape>&) override { ++snapped; }
    void addConnection(const std::shared_ptr<Connection>&) override {}
    void discardConnection() override {}
    int guides = 0;
    int snapped = 0;
};

struct Page {
    explicit Page(int count)
    {
        static const bool registered = [] {
            auto store = std::make_unique<pf::UserDefaultsStore>();
            UserDefaults::registerDefaultValues(*store);
            pf::UserDefaultsStore::replaceStandard(std::move(store));
            registerControlKinds(pf::ClassRegistry::shared());
            registerManipulatorClasses(pf::ClassRegistry::shared());
            UserDefaults::instance().setSnapEnabled(true);
            return true;
        }();
        (void)registered;
        const int columns = columnsFor(count);
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(columns * cell);
        metrics->setHeight(columns * cell);
        page = Composition::make(metrics);
        page->setCompositionDelegate(&owner);
        page->setGridEnabled(false);
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Rectangle"));
        for (int i = 0; i < count; ++i) {
            auto shape = kind->newShape(pf::Rect((i % columns) * cell, (i / columns) * cell, side, side));
            if (i == count / 2 + columns / 2)
                moved = shape;
            page->addShape(shape);
        }
        selection = Manipulator::forShapes({moved});
        page->addShape(selection);
        selection->addShape(moved);
        selection->setCanvas(&canvas);
    }
    ~Page()
    {
        selection->setCanvas(nullptr);
        page->setCompositionDelegate(nullptr);
    }
    QuietCompositionDelegate owner;
    std::shared_ptr<Composition> page;
    std::shared_ptr<Shape> moved;
    std::shared_ptr<Manipulator> selection;
    StepCanvas canvas;
};

pf::Event dragEvent()
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    return e;
}

// Steps that keep coming near other shapes' lines (within the tolerance every few steps).
pf::Point offsetForStep(std::size_t i)
{
    static constexpr std::array<double, 8> dx{1.5, 3, 4.5, 6, 7.5, 9, 10.5, 12};
    return pf::Point(dx[i % dx.size()], dx[(i / 3) % dx.size()]);
}

void BM_SnapMoveStep(benchmark::State& state)
{
    Page p(static_cast<int>(state.range(0)));
    const pf::Point start = p.moved->frame().origin;
    p.selection->beginDragMoveAtPoint(start);
    const pf::Event e = dragEvent();
    std::size_t i = 0;
    for (auto _ : state)
        p.selection->mouseDragMoveEventAtPoint(e, start + offsetForStep(i++));
    p.selection->endDragMove(e);
    state.counters["snapped"] = static_cast<double>(p.canvas.snapped) / static_cast<double>(i);
}

void BM_SnapResizeStep(benchmark::State& state)
{
    Page p(static_cast<int>(state.range(0)));
    const pf::Rect f = p.moved->frame();
    const pf::Point corner(f.maxX(), f.maxY());
    p.selection->beginDragResizeAtPointWithHandle(corner, 8);
    const pf::Event e = dragEvent();
    std::size_t i = 0;
    for (auto _ : state)
        p.selection->mouseDragResizeEventAtPoint(e, corner + offsetForStep(i++));
    p.selection->endDragResize(e);
    state.counters["snapped"] = static_cast<double>(p.canvas.snapped) / static_cast<double>(i);
}

// The peer: a scene of equal rect items keeping the nearest line in each axis, as the selection does. With
// the shipped settings distant shapes count, so every item is compared; a move takes the items once, as
// the selection gathers once, while a resize asks the scene for them at every step, as the selection
// gathers again.
struct Scene {
    explicit Scene(int count)
    {
        const int columns = columnsFor(count);
        scene.setSceneRect(0, 0, columns * cell, columns * cell);
        for (int i = 0; i < count; ++i) {
            auto* item = scene.addRect(QRectF((i % columns) * cell, (i / columns) * cell, side, side));
            if (i == count / 2 + columns / 2)
                moved = item;
        }
    }
    int step(const QRectF& r, const QList<QGraphicsItem*>& items) const
    {
        const std::array<double, 3> xs{r.left(), r.right(), r.center().x()};
        const std::array<double, 3> ys{r.top(), r.bottom(), r.center().y()};
        double bestX = tolerance, bestY = tolerance;
        QGraphicsItem* targetX = nullptr;
        QGraphicsItem* targetY = nullptr;
        for (QGraphicsItem* item : items) {
            if (item == moved)
                continue;
            const QRectF t = static_cast<QGraphicsRectItem*>(item)->rect();
            for (const double tx : {t.left(), t.right(), t.center().x()})
                for (const double x : xs)
                    if (std::fabs(tx - x) <= std::fabs(bestX))
                        bestX = tx - x, targetX = item;
            for (const double ty : {t.top(), t.bottom(), t.center().y()})
                for (const double y : ys)
                    if (std::fabs(ty - y) <= std::fabs(bestY))
                        bestY = ty - y, targetY = item;
        }
        benchmark::DoNotOptimize(bestX);
        benchmark::DoNotOptimize(bestY);
        return (targetX != nullptr) + (targetY != nullptr);
    }
    QGraphicsScene scene;
    QGraphicsRectItem* moved = nullptr;
};

void BM_SceneMoveStep(benchmark::State& state)
{
    Scene s(static_cast<int>(state.range(0)));
    const QRectF start = s.moved->rect();
    const QList<QGraphicsItem*> items = s.scene.items();
    std::size_t i = 0;
    int snapped = 0;
    for (auto _ : state) {
        const pf::Point d = offsetForStep(i++);
        const QRectF r = start.translated(d.x, d.y);
        s.moved->setRect(r);
        snapped += s.step(r, items);
    }
    state.counters["snapped"] = static_cast<double>(snapped) / static_cast<double>(i);
}

void BM_SceneResizeStep(benchmark::State& state)
{
    Scene s(static_cast<int>(state.range(0)));
    const QRectF start = s.moved->rect();
    std::size_t i = 0;
    int snapped = 0;
    for (auto _ : state) {
        const pf::Point d = offsetForStep(i++);
        const QRectF r = start.adjusted(0, 0, d.x, d.y);
        s.moved->setRect(r);
        snapped += s.step(r, s.scene.items());
    }
    state.counters["snapped"] = static_cast<double>(snapped) / static_cast<double>(i);
}

} // namespace

BENCHMARK(BM_SnapMoveStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapResizeStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SceneMoveStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SceneResizeStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
