// Dragging one shape in a document window whose page holds 1,000, 10,000 or 20,000 shapes (the mix of
// MixedPage.h: ellipses with a gradient, rounded rects, stars, rectangles) in cells of 20 x 24 points, 40
// to a row, on a page 800 points wide and as tall as the rows (the canvas's view is full at every size).
// One iteration is one drag step as the program gets it: a mouse move on the canvas
// (the selection moves 3 points across and back), then the events it leads to, with the clock of delayed
// calls 16 ms on (a pointer at 60 Hz). The window is the document window itself: the canvas, its view
// controller, which asks for the tab's picture after edits, and the tab strip, whose page tab shows the
// page's picture ("pictures/s": how often it was drawn while the drag went on).
//
// The peer of each row is the same drag in the same window with the tab strip hidden, so no picture of
// the page is ever drawn: the ratio BM_DocumentDrag / BM_DocumentDragWithoutTabPictures is what the tab's
// picture costs the drag, and the rows across sizes show how the drag scales. Goal: the drag on 10,000
// shapes takes at most 1.1 times the CPU of the drag on 1,000.
#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowController.h"
#include "shell/TKTabListItem.h"
#include "shell/TKTabsListViewController.h"
#include "support/CanvasPageOwner.h"
#include "support/MixedPage.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

// Every size fills the canvas's visible area alike: 40 columns, as many rows as the shapes need.
constexpr int columns = 40;

pf::Rect cell(int i) { return pf::Rect((i % columns) * 20.0 + 2, (i / columns) * 24.0 + 2, 16, 20); }

std::shared_ptr<Composition> makePage(int shapes)
{
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(columns * 20.0);
    metrics->setHeight((shapes + columns - 1) / columns * 24.0);
    auto page = Composition::make(metrics);
    page->setGridEnabled(false);
    page->setTitle(QStringLiteral("Page 1"));
    for (int i = 0; i < shapes; ++i)
        page->addShape(mixedpage::shape(mixedpage::Kind((i + i / columns) % 4), cell(i)));
    return page;
}

// A document window showing the page, a shape pressed and dragged a little (past the drag threshold).
struct DragWindow {
    DragWindow(int shapes, bool tabPictures)
    {
        useBuiltInDefaults();
        static const bool registered = [] {
            CanvasWindowController::registerInterfaceFiles();
            return true;
        }();
        (void)registered;
        controller = std::make_shared<CanvasWindowController>();
        controller->window()->widget()->resize(1200, 800);
        page = makePage(shapes);
        QString error;
        controller->addTabWithRepresentedObject(page, QString(), &error);
        controller->setSelectedTabIndex(0);
        controller->showWindow();
        auto* strip = dynamic_cast<TKTabsListViewController*>(controller->tabsListViewController());
        if (strip && !tabPictures)
            strip->view()->setHidden(true);
        settle();
        canvas = controller->canvasView();
        // The window opens on the page's centre: show its top left.
        canvas->enclosingScrollView()->scrollPoint(pf::Point(0, 0));
        settle();
        // The shape in row 3, column 10: on show at the canvas's top left.
        const pf::Rect frame = cell(2 * columns + 10);
        from = canvas->convertPointFromComposition(pf::Point(frame.midX(), frame.midY()));
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, from + pf::Point(10, 10), Qt::NoButton);
        settle();
        // The press selected the shape, which the tab shows within an interval: drawn before the steps are
        // timed, so the rows measure steps alone.
        clock.advance(TKTabListItem::pictureRefreshInterval);
        settle();
        if (strip && tabPictures)
            if (auto* item = dynamic_cast<TKTabListItem*>(strip->listView()->itemAtIndex(0)))
                tabItem = item;
    }
    ~DragWindow()
    {
        send(QEvent::MouseButtonRelease, from, Qt::LeftButton);
        settle();
        controller->close();
        controller.reset();
        settle();
    }
    void send(QEvent::Type type, const pf::Point& view, Qt::MouseButton button)
    {
        const QPointF local = view.toQt();
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, local, canvas->mapToGlobal(local), button, held, {});
        e.setTimestamp(milliseconds += 16);
        QCoreApplication::sendEvent(canvas, &e);
    }
    // One pointer step: the move, the clock 16 ms on, the events and delayed calls it leads to.
    void step(int n)
    {
        send(QEvent::MouseMove, from + pf::Point(10 + 3.0 * (n % 2), 10 + 2.0 * (n % 2)), Qt::NoButton);
        clock.advance(std::chrono::milliseconds(16));
        QCoreApplication::processEvents();
    }
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            clock.advance(std::chrono::milliseconds(16));
            QCoreApplication::processEvents();
        }
    }

    pf::VirtualClock clock;
    std::shared_ptr<CanvasWindowController> controller;
    std::shared_ptr<Composition> page;
    Canvas* canvas = nullptr;
    TKTabListItem* tabItem = nullptr;
    pf::Point from;
    unsigned long milliseconds = 0;
};

void drag(benchmark::State& state, bool tabPictures)
{
    DragWindow window(int(state.range(0)), tabPictures);
    const int drawsBefore = window.tabItem ? window.tabItem->pageDrawCount() : 0;
    int n = 0;
    for (auto _ : state)
        window.step(++n);
    // How often the tab's picture was drawn while the drag went on (pointer time, not CPU time).
    if (window.tabItem)
        state.counters["pictures/s"] =
            double(window.tabItem->pageDrawCount() - drawsBefore) / (double(state.iterations()) * 0.016);
}

void BM_DocumentDrag(benchmark::State& state) { drag(state, true); }
void BM_DocumentDragWithoutTabPictures(benchmark::State& state) { drag(state, false); }

} // namespace

// Each size beside its peer.
BENCHMARK(BM_DocumentDrag)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentDragWithoutTabPictures)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentDrag)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentDragWithoutTabPictures)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentDrag)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentDragWithoutTabPictures)->Arg(20000)->Unit(benchmark::kMicrosecond);
