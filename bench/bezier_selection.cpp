// The selection of a closed Bezier of 2,000 points at zoom 1, as the canvas's overlay draws it at every
// step of a drag: the frame and its handles, the outline, every control line and every point and control
// handle (a round face with the handle gradient and a grey ring). The peer is plain QPainter drawing the
// same outline, the same lines and the same gradient ovals (QLinearGradient brush, one ring each) into
// the same kind of bitmap, antialiased. Goal, as a CPU-time ratio:
//   BM_BezierSelection / BM_QPainterBezierSelection   <= 1.5
#include "controls/ControlKinds.h"
#include "manipulators/BezierManipulator.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/PainterContext.h"
#include "shapes/Bezier.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr int pointCount = 2000;
constexpr int side = 1400;
// View sizes of the handles as the selection draws them.
constexpr double pointSide = BezierManipulator::pointViewSide;
constexpr double controlSide = BezierManipulator::controlViewSide;

// A wavy ring: points on a circle of varying radius, each with visible handles along the tangent.
struct Ring {
    Bezier::Points points;
    Bezier::Pairs pairs;
};

Ring ring()
{
    Ring r;
    const pf::Point c(side / 2.0, side / 2.0);
    const double step = 2 * std::numbers::pi / pointCount;
    const auto at = [&](double t) {
        const double radius = 560 + 40 * std::sin(t * 37);
        return pf::Point(c.x + radius * std::cos(t), c.y + radius * std::sin(t));
    };
    for (int i = 0; i < pointCount; ++i) {
        const double t = i * step;
        r.points.push_back(at(t));
        // Pair i: the segment into point i, its controls a third of the way along.
        const pf::Point from = at(t - step), to = at(t);
        r.pairs.push_back({pf::Point(from.x + (to.x - from.x) / 3 + 3, from.y + (to.y - from.y) / 3 - 3),
                           pf::Point(from.x + 2 * (to.x - from.x) / 3 - 3, from.y + 2 * (to.y - from.y) / 3 + 3)});
    }
    return r;
}

struct Selection {
    Selection()
    {
        static const bool registered = [] {
            auto store = std::make_unique<pf::UserDefaultsStore>();
            UserDefaults::registerDefaultValues(*store);
            pf::UserDefaultsStore::replaceStandard(std::move(store));
            registerControlKinds(pf::ClassRegistry::shared());
            registerManipulatorClasses(pf::ClassRegistry::shared());
            return true;
        }();
        (void)registered;
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(side);
        metrics->setHeight(side);
        page = Composition::make(metrics);
        page->setCompositionDelegate(&owner);
        const Ring r = ring();
        bezier = std::dynamic_pointer_cast<Bezier>(
            pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Bezier"))->newShape(pf::Rect(0, 0, 10, 10)));
        bezier->setClosed(true);
        bezier->setModelControlPointsInvisible(Bezier::Flags(pointCount, false));
        bezier->setModelControlPointsIndependent(Bezier::Flags(pointCount, true));
        bezier->setModelPointsControlPointsRegen(r.points, r.pairs, true);
        page->addShape(bezier);
        selection = Manipulator::forShapes({bezier});
        page->addShape(selection);
        selection->addShape(bezier);
    }
    ~Selection() { page->setCompositionDelegate(nullptr); }

    QuietCompositionDelegate owner;
    std::shared_ptr<Composition> page;
    std::shared_ptr<Bezier> bezier;
    std::shared_ptr<Manipulator> selection;
};

void BM_BezierSelection(benchmark::State& state)
{
    Selection s;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        pf::PainterContext context(painter, image.rect(), pf::AffineTransform(), 1.0, true);
        s.selection->drawHandlesInContext(context, Manipulator::HandleOverlay{pf::AffineTransform(), 1.0});
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["handles"] = 3 * pointCount;
}
BENCHMARK(BM_BezierSelection)->Unit(benchmark::kMillisecond);

// The same picture drawn straight with QPainter.
void BM_QPainterBezierSelection(benchmark::State& state)
{
    const Ring r = ring();
    QPainterPath outline;
    outline.moveTo(r.points.back().toQt());
    for (int i = 0; i < pointCount; ++i)
        outline.cubicTo(r.pairs[i][0].toQt(), r.pairs[i][1].toQt(), r.points[i].toQt());
    outline.closeSubpath();
    QPainterPath lines;
    for (int i = 0; i < pointCount; ++i) {
        const int previous = i == 0 ? pointCount - 1 : i - 1;
        lines.moveTo(r.points[previous].toQt());
        lines.lineTo(r.pairs[i][0].toQt());
        lines.moveTo(r.points[i].toQt());
        lines.lineTo(r.pairs[i][1].toQt());
    }
    const QRectF frame = outline.boundingRect();
    const pf::Gradient& face = ManipulatorClass::selectionHandleGradient();
    const QColor grey = QColor::fromRgbF(0.557f, 0.557f, 0.576f);
    const auto oval = [&](QPainter& painter, const QPointF& centre, double d) {
        const QRectF box(std::floor(centre.x()) + 0.5 - std::floor(d / 2), std::floor(centre.y()) + 0.5 - std::floor(d / 2), d, d);
        QLinearGradient g(box.topLeft(), box.bottomLeft());
        face.applyTo(g);
        painter.setBrush(g);
        painter.setPen(QPen(grey, 1));
        painter.drawEllipse(box);
    };
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::cyan, 1));
        painter.drawRect(frame);
        painter.drawPath(outline);
        painter.setPen(QPen(Qt::magenta, 1));
        painter.drawPath(lines);
        for (int i = 0; i < pointCount; ++i) {
            oval(painter, r.pairs[i][0].toQt(), controlSide);
            oval(painter, r.pairs[i][1].toQt(), controlSide);
            oval(painter, r.points[i].toQt(), pointSide);
        }
        // The frame's eight squares.
        for (const QPointF& c : {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()}) {
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(c.x() - 5, c.y() - 5, 10, 10));
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["handles"] = 3 * pointCount;
}
BENCHMARK(BM_QPainterBezierSelection)->Unit(benchmark::kMillisecond);

} // namespace
