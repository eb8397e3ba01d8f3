// The canvas against Qt Graphics View on mixed pages (rectangles, ellipses, rounded rectangles, lines with
// heads, text boxes; solid and gradient fills, 1 to 3 point strokes; fixed seed): 1,000 shapes wholly
// visible at 100 %, where shadows show, and 10,000 shapes wholly visible at 25 %. Both are painted through
// their widgets: a full repaint is QWidget::render into a bitmap (at pixel ratio 1, or 2 as on a dense
// screen), a drag frame is one move and the paint event it leads to. The peer draws equivalent items (same
// geometry, pens and brushes) antialiased, with its default index and update mode, shadows through
// QGraphicsDropShadowEffect. Goals are CPU-time ratios, each canvas row against the peer's row of the same
// case, BM_Canvas<Case> / BM_GraphicsView<Case> <= 1.0, for the cases
//   FullRedraw, DragFrame                          1,000 shapes at 100 %
//   FullRedrawRatio2                               the same at pixel ratio 2
//   DenseFullRedraw, DenseFullRedrawRatio2,
//   DenseDragFrame                                 10,000 shapes at 25 %
//   SparseShadowedFullRedraw(Ratio2),
//   SparseShadowedDragFrame (an unshadowed shape),
//   SparseShadowedDragShadowedFrame,
//   SparseShadowedDragSelectedFrame (that shape selected)
//                                                  1,000 shapes at 100 %, one in ten shadowed
// and BM_CanvasShadowedRedraw (every shape shadowed, pictures warm) / BM_CanvasFullRedraw <= 1.5, with the
// shadowed peer and the cold first shadowed frame reported beside them.
#include "canvas/Canvas.h"
#include "canvas/CanvasEffectCache.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Metrics.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/ScrollView.h"
#include "platform/text/AttributedString.h"
#include "shapes/AbstractPointer.h"
#include "support/CanvasPageOwner.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

// One page of the benchmarks: a grid of cells of 40 x 40 points, one shape each, shown at a zoom with a
// margin of 50 view points about it (the canvas's), painted at a pixel ratio.
struct Setup {
    int columns = 40;
    int rows = 25;
    double zoom = 1.0;
    // Every shape whose index is a multiple of this is shadowed; 0: none.
    int shadowEvery = 0;
    double ratio = 1.0;

    int shapes() const { return columns * rows; }
    double pageWidth() const { return columns * cellSide; }
    double pageHeight() const { return rows * cellSide; }
    int viewWidth() const { return int(std::lround(pageWidth() * zoom)) + 100; }
    int viewHeight() const { return int(std::lround(pageHeight() * zoom)) + 100; }
    bool shadowed(int i) const { return shadowEvery > 0 && i % shadowEvery == 0; }

    static constexpr double cellSide = 40;
};

const Setup plain{};
const Setup plainRatio2{.ratio = 2};
const Setup allShadowed{.shadowEvery = 1};
// The dense page zoomed out so all of it shows: 4,000 x 4,000 points at 25 %.
const Setup dense{.columns = 100, .rows = 100, .zoom = 0.25};
const Setup denseRatio2{.columns = 100, .rows = 100, .zoom = 0.25, .ratio = 2};
const Setup sparseShadowed{.shadowEvery = 10};
const Setup sparseShadowedRatio2{.shadowEvery = 10, .ratio = 2};

// The shadow of every shadowed shape: offset 2, blur 3, black at 25 %.
constexpr double shadowOffset = 2;
constexpr double shadowBlur = 3;
const pf::Color shadowColour(0, 0, 0, 0.25);

enum Kind { RectangleKind, EllipseKind, RoundedKind, ArrowKind, TextKind };

// One shape of the page, as both sides build it.
struct Spec {
    Kind kind;
    pf::Rect frame;
    bool gradient;
    pf::Color fill, fill2;
    pf::Color stroke;
    int strokeWidth;
    bool shadowed;
};

std::vector<Spec> specs(const Setup& setup)
{
    std::mt19937 random(35);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Spec> out;
    for (int i = 0; i < setup.shapes(); ++i) {
        const double x = (i % setup.columns) * Setup::cellSide, y = (i / setup.columns) * Setup::cellSide;
        const double w = std::round(18 + 16 * unit(random)), h = std::round(14 + 16 * unit(random));
        Spec s;
        s.kind = Kind(i % 5);
        s.frame = pf::Rect(x + 4, y + 4, w, h);
        s.gradient = unit(random) < 0.5;
        s.fill = pf::Color(0.4 + 0.6 * unit(random), 0.4 + 0.6 * unit(random), 0.4 + 0.6 * unit(random));
        s.fill2 = pf::Color(0.2 * unit(random), 0.3 * unit(random), 0.4 + 0.5 * unit(random));
        s.stroke = pf::Color(0.1 * unit(random), 0.1 * unit(random), 0.2 * unit(random));
        s.strokeWidth = 1 + int(unit(random) * 3) % 3;
        s.shadowed = setup.shadowed(i);
        out.push_back(s);
    }
    return out;
}

QColor qt(const pf::Color& c) { return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue), float(c.alpha)); }

// The bitmap a full repaint goes into: the view's size at the setup's pixel ratio.
QImage bitmapFor(const QSize& size, double ratio)
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return image;
}

// ---- our side ----

std::shared_ptr<Shape> makeShape(const Spec& s)
{
    static const char* names[] = {"Rectangle", "Ellipse", "RoundRectangle", "Line", "Text"};
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(names[s.kind]));
    std::shared_ptr<Shape> shape = StickyDefaults::doWithoutStickySetting([&] { return kind->newShape(s.frame); });
    if (s.kind == ArrowKind)
        static_cast<AbstractPointer&>(*shape).setArrowTypeB(1);
    if (s.gradient) {
        shape->setFillType(1);
        shape->setFillAngle(90);
        shape->setFillGradientElements({{s.fill, 0.0}, {s.fill2, 1.0}});
    } else {
        shape->setFillType(0);
        shape->setFillColor(s.fill);
    }
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(s.strokeWidth);
    shape->setStrokeColor(s.stroke);
    if (s.kind == TextKind)
        shape->setAttributedText(pf::AttributedString("Text"));
    for (auto setHidden : {&Shape::setFillShadowHidden, &Shape::setStrokeShadowHidden, &Shape::setTextShadowHidden})
        (shape.get()->*setHidden)(!s.shadowed);
    shape->setFillShadowColor(shadowColour);
    shape->setStrokeShadowColor(shadowColour);
    for (auto set : {&Shape::setFillShadowOffsetX, &Shape::setFillShadowOffsetY, &Shape::setStrokeShadowOffsetX,
                     &Shape::setStrokeShadowOffsetY})
        (shape.get()->*set)(shadowOffset);
    shape->setFillShadowBlur(shadowBlur);
    shape->setStrokeShadowBlur(shadowBlur);
    return shape;
}

struct CanvasPage {
    explicit CanvasPage(const Setup& setup)
    {
        useBuiltInDefaults();
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(setup.pageWidth());
        metrics->setHeight(setup.pageHeight());
        metrics->setUnitType(Metrics::Points);
        page = Composition::make(metrics);
        page->setGridEnabled(false);
        for (std::int64_t index = -4; index <= 0; ++index)
            if (Composition::zoomScaleForIndex(index) == setup.zoom)
                page->setZoomScaleIndex(index);
        window = std::make_unique<QWidget>();
        window->resize(setup.viewWidth(), setup.viewHeight());
        auto* scrollView = new pf::ScrollView(window.get());
        scrollView->setFrameShape(QFrame::NoFrame);
        scrollView->setGeometry(0, 0, setup.viewWidth(), setup.viewHeight());
        canvas = new Canvas(pf::Rect(0, 0, setup.viewWidth(), setup.viewHeight()));
        scrollView->setDocumentView(canvas);
        owner.canvas = canvas;
        window->show();
        page->setCompositionDelegate(&owner);
        canvas->setComposition(page);
        canvas->setFrame(canvas->frame());
        for (const Spec& s : specs(setup)) {
            shapes.push_back(makeShape(s));
            page->addShape(shapes.back());
        }
        canvas->selectNone();
        QCoreApplication::processEvents();
        image = bitmapFor(canvas->size(), setup.ratio);
    }
    ~CanvasPage()
    {
        owner.canvas = nullptr;
        window.reset();
        page->setCompositionDelegate(nullptr);
    }
    void render() { canvas->render(&image); }

    CanvasPageOwner owner;
    std::shared_ptr<Composition> page;
    // The shapes made from the specs, in order (the page's list holds its selection object too).
    std::vector<std::shared_ptr<Shape>> shapes;
    std::unique_ptr<QWidget> window;
    Canvas* canvas = nullptr;
    QImage image;
};

// ---- the peer ----

struct ViewPage {
    explicit ViewPage(const Setup& setup)
    {
        scene.setSceneRect(0, 0, setup.pageWidth(), setup.pageHeight());
        for (const Spec& s : specs(setup)) {
            const QRectF r = s.frame.toQt();
            QPen pen(qt(s.stroke), s.strokeWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            QBrush brush(qt(s.fill));
            if (s.gradient) {
                QLinearGradient g(0, r.top(), 0, r.bottom());
                g.setColorAt(0, qt(s.fill));
                g.setColorAt(1, qt(s.fill2));
                brush = QBrush(g);
            }
            QAbstractGraphicsShapeItem* item = nullptr;
            switch (s.kind) {
            case RectangleKind:
            case TextKind:
                item = scene.addRect(r, pen, brush);
                if (s.kind == TextKind) {
                    auto* text = new QGraphicsSimpleTextItem(QStringLiteral("Text"), item);
                    text->setPos(r.topLeft() + QPointF(2, 2));
                }
                break;
            case EllipseKind:
                item = scene.addEllipse(r, pen, brush);
                break;
            case RoundedKind: {
                QPainterPath p;
                p.addRoundedRect(r, std::min(r.width(), r.height()) / 4, std::min(r.width(), r.height()) / 4);
                item = scene.addPath(p, pen, brush);
                break;
            }
            case ArrowKind: {
                // The shaft along the diagonal and a filled head at its end.
                QPainterPath p;
                const QPointF a = r.topLeft(), b = r.bottomRight();
                const double angle = std::atan2(b.y() - a.y(), b.x() - a.x());
                const double head = 4 + 2 * s.strokeWidth;
                p.moveTo(a);
                p.lineTo(b);
                QPolygonF tip;
                tip << b << b - QPointF(head * std::cos(angle - 0.45), head * std::sin(angle - 0.45))
                    << b - QPointF(head * std::cos(angle + 0.45), head * std::sin(angle + 0.45)) << b;
                p.addPolygon(tip);
                item = scene.addPath(p, pen, QBrush(qt(s.stroke)));
                break;
            }
            }
            // Shadows show between 100 % and 200 % only, on the canvas.
            if (s.shadowed && setup.zoom >= 1.0 && setup.zoom <= 2.0) {
                auto* effect = new QGraphicsDropShadowEffect;
                effect->setOffset(shadowOffset, shadowOffset);
                // Qt's radius spans about two of our blur's sigmas each side.
                effect->setBlurRadius(2 * shadowBlur);
                effect->setColor(qt(shadowColour));
                item->setGraphicsEffect(effect);
            }
            items.push_back(item);
        }
        view = std::make_unique<QGraphicsView>(&scene);
        view->setRenderHint(QPainter::Antialiasing);
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setBackgroundBrush(QColor(0xe0, 0xe0, 0xe0));
        view->scale(setup.zoom, setup.zoom);
        view->resize(setup.viewWidth(), setup.viewHeight());
        view->show();
        QCoreApplication::processEvents();
        image = bitmapFor(view->viewport()->size(), setup.ratio);
    }
    void render() { view->viewport()->render(&image); }

    QGraphicsScene scene;
    std::unique_ptr<QGraphicsView> view;
    std::vector<QGraphicsItem*> items;
    QImage image;
};

// ---- full repaints ----

void canvasFullRedraws(benchmark::State& state, const Setup& setup)
{
    CanvasPage page(setup);
    page.render(); // any pictures made
    page.canvas->resetDrawingStats();
    for (auto _ : state) {
        page.render();
        benchmark::DoNotOptimize(page.image.constBits());
    }
    state.counters["shapes"] = double(page.canvas->drawingStats().shapesDrawn) / double(state.iterations());
}

void viewFullRedraws(benchmark::State& state, const Setup& setup)
{
    ViewPage page(setup);
    page.render();
    for (auto _ : state) {
        page.render();
        benchmark::DoNotOptimize(page.image.constBits());
    }
}

// ---- one drag frame: a move of a few points of a shape in the middle, then the paint it leads to ----

// The shape in the middle of the page, or the one after it (on the sparsely shadowed page the middle one
// is shadowed, the one after it not).
std::size_t movedIndex(const Setup& setup, bool next) { return std::size_t(setup.shapes() / 2 + (next ? 1 : 0)); }

// selected: the moved shape is selected, as in a drag, its halo and the selection's handles drawn with it.
void canvasDragFrames(benchmark::State& state, const Setup& setup, bool next = false, bool selected = false)
{
    CanvasPage page(setup);
    const auto moved = page.shapes[movedIndex(setup, next)];
    if (selected)
        page.canvas->replaceSelectionWithShapes({moved});
    page.render();
    QCoreApplication::processEvents();
    const pf::Rect start = moved->frame();
    page.canvas->resetDrawingStats();
    page.canvas->effectCache().resetStats();
    int step = 0;
    for (auto _ : state) {
        ++step;
        moved->setFrame(start.offsetBy(3.0 * (step % 2), 2.0 * (step % 2)));
        // The selection follows its shape, as it does in a drag.
        if (selected)
            page.canvas->manipulator()->sizeToFitChildren();
        QCoreApplication::processEvents();
    }
    const Canvas::DrawingStats& stats = page.canvas->drawingStats();
    state.counters["paints"] = double(stats.paints) / double(state.iterations());
    state.counters["shapes"] = double(stats.shapesDrawn) / double(std::max<std::size_t>(stats.paints, 1));
    state.counters["built"] = double(page.canvas->effectCache().stats().built) / double(state.iterations());
}

void viewDragFrames(benchmark::State& state, const Setup& setup, bool next = false, bool selected = false)
{
    ViewPage page(setup);
    QGraphicsItem* moved = page.items[movedIndex(setup, next)];
    // A selected item draws its selection mark (a dashed outline about its bounds).
    if (selected) {
        moved->setFlag(QGraphicsItem::ItemIsSelectable);
        moved->setSelected(true);
    }
    page.render();
    QCoreApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        ++step;
        moved->setPos(3.0 * (step % 2), 2.0 * (step % 2));
        QCoreApplication::processEvents();
    }
}

// Each case twice, the canvas's row beside the peer's.
#define CASE(name, run, ...)                                                                                          \
    void BM_Canvas##name(benchmark::State& state) { canvas##run(state, __VA_ARGS__); }                              \
    BENCHMARK(BM_Canvas##name)->Unit(benchmark::kMillisecond);                                                       \
    void BM_GraphicsView##name(benchmark::State& state) { view##run(state, __VA_ARGS__); }                           \
    BENCHMARK(BM_GraphicsView##name)->Unit(benchmark::kMillisecond)

CASE(FullRedraw, FullRedraws, plain);
CASE(DragFrame, DragFrames, plain);
CASE(FullRedrawRatio2, FullRedraws, plainRatio2);
CASE(DenseFullRedraw, FullRedraws, dense);
CASE(DenseFullRedrawRatio2, FullRedraws, denseRatio2);
CASE(DenseDragFrame, DragFrames, dense);
CASE(SparseShadowedFullRedraw, FullRedraws, sparseShadowed);
CASE(SparseShadowedFullRedrawRatio2, FullRedraws, sparseShadowedRatio2);
// An unshadowed shape beside a shadowed one (as nine moves in ten), and the shadowed one.
CASE(SparseShadowedDragFrame, DragFrames, sparseShadowed, true);
CASE(SparseShadowedDragShadowedFrame, DragFrames, sparseShadowed, false);
CASE(SparseShadowedDragSelectedFrame, DragFrames, sparseShadowed, false, true);

// ---- every shape shadowed ----

void BM_CanvasShadowedRedraw(benchmark::State& state)
{
    CanvasPage page(allShadowed);
    page.render(); // the pictures made
    page.canvas->effectCache().resetStats();
    for (auto _ : state) {
        page.render();
        benchmark::DoNotOptimize(page.image.constBits());
    }
    const CanvasEffectCache::Stats& stats = page.canvas->effectCache().stats();
    state.counters["built"] = double(stats.built) / double(state.iterations());
    state.counters["reused"] = double(stats.reused) / double(state.iterations());
    state.counters["MB"] = double(page.canvas->effectCache().bytes()) / double(1 << 20);
}
BENCHMARK(BM_CanvasShadowedRedraw)->Unit(benchmark::kMillisecond);

// The first frame after the page opens or the zoom changes: every picture made.
void BM_CanvasShadowedRedrawCold(benchmark::State& state)
{
    CanvasPage page(allShadowed);
    page.render();
    for (auto _ : state) {
        page.canvas->effectCache().clear();
        page.render();
        benchmark::DoNotOptimize(page.image.constBits());
    }
}
BENCHMARK(BM_CanvasShadowedRedrawCold)->Unit(benchmark::kMillisecond);

// Every shape drawing its own shadows at every paint, as before the pictures.
void BM_CanvasShadowedRedrawWithoutPictures(benchmark::State& state)
{
    CanvasPage page(allShadowed);
    page.canvas->effectCache().setEnabled(false);
    page.render();
    for (auto _ : state) {
        page.render();
        benchmark::DoNotOptimize(page.image.constBits());
    }
}
BENCHMARK(BM_CanvasShadowedRedrawWithoutPictures)->Unit(benchmark::kMillisecond);

void BM_GraphicsViewShadowedRedraw(benchmark::State& state) { viewFullRedraws(state, allShadowed); }
BENCHMARK(BM_GraphicsViewShadowedRedraw)->Unit(benchmark::kMillisecond);

CASE(ShadowedDragFrame, DragFrames, allShadowed);

#undef CASE

} // namespace
