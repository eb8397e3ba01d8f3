// Undo in a document window whose page holds 1,000 or 10,000 shapes (the mix of MixedPage.h in cells of
// 20 x 24 points, 40 to a row, as in document_drag.cpp: the canvas's view is full at every size). The
// window is the program's own, with its menu, in a document of the application, so that undo and redo go
// the user's way: Edit > Undo and Edit > Redo through the application, which keeps the canvas's selection
// and tool right across the step. One iteration is one step and the paint it leads to.
//
// Each undo row stands beside the same change made forward, which repaints what it changes:
// - BM_DocumentUndoDraw (undoing the drawing of one rectangle with the rectangle tool) beside
//   BM_DocumentDraw (drawing it: the tool's key, a press, four drag steps, the release, the tool's end);
// - BM_DocumentUndoMove (undoing a move of the selected shape by the arrow key) beside BM_DocumentNudge
//   (the move itself: one press of the arrow key).
// The step taken back between iterations (the redo of what was undone, the undo of what was done) is not
// timed. Goal: undoing a change costs about what making it costs, and no more on 10,000 shapes than on
// 1,000.
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "app/UserScripts.h"
#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/Dispatch.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"
#include "shell/TKTabsListViewController.h"
#include "support/CanvasPageOwner.h"
#include "support/MixedPage.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

constexpr int columns = 40;

pf::Rect cell(int i) { return pf::Rect((i % columns) * 20.0 + 2, (i / columns) * 24.0 + 2, 16, 20); }

class NoScripts : public ScriptRunner {
public:
    void run(const QString&, std::function<void(const ScriptResult&)> done) override { done({}); }
};

// The application with one document, its window shown on the page's top left.
struct UndoWindow {
    explicit UndoWindow(int shapes)
    {
        useBuiltInDefaults();
        static const bool registered = [] {
            CanvasWindowController::registerInterfaceFiles();
            return true;
        }();
        (void)registered;
        documentTypes::addTo(controller, [](const QString&, QString*) -> std::shared_ptr<pf::Document> { return nullptr; });
        AppWindowController::installAsDocumentWindow();
        application = std::make_unique<Application>(&controller, folder.path(), std::make_unique<NoScripts>());
        QString error;
        controller.newDocument(&error);
        settle();
        window = dynamic_cast<AppWindowController*>(controller.frontCanvasWindowController());
        if (!window)
            qFatal("No document window: %s", qPrintable(error));
        window->windowWidget()->resize(1200, 800);
        // The page tab's picture, which draws the whole page a few times a second at most while the page
        // changes, hidden: the rows measure the canvas.
        if (auto* strip = dynamic_cast<TKTabsListViewController*>(window->tabsListViewController()))
            strip->view()->setHidden(true);
        window->windowWidget()->show();
        window->window()->becomeMainWindow();
        window->window()->becomeKeyWindow();
        canvas = window->canvasView();
        window->window()->makeFirstResponder(canvas);
        page = window->selectedComposition();
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(columns * 20.0);
        metrics->setHeight((shapes + columns - 1) / columns * 24.0);
        page->setMetrics(metrics);
        page->setGridEnabled(false);
        for (int i = 0; i < shapes; ++i)
            page->addShape(mixedpage::shape(mixedpage::Kind((i + i / columns) % 4), cell(i)));
        canvas->selectNone();
        window->windowUndoManager()->removeAllActions();
        settle();
        canvas->enclosingScrollView()->scrollPoint(pf::Point(0, 0));
        settle();
    }
    ~UndoWindow()
    {
        for (const auto& document : std::vector(controller.documents()))
            document->close();
        settle();
        application.reset();
    }

    void mouse(QEvent::Type type, const pf::Point& pagePoint)
    {
        const QPointF local = canvas->convertPointFromComposition(pagePoint).toQt();
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, local, canvas->mapToGlobal(local), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, {});
        // A press long after the last: never the next click of a series.
        e.setTimestamp(milliseconds += type == QEvent::MouseButtonPress ? 5000 : 16);
        QCoreApplication::sendEvent(canvas, &e);
    }
    void key(int k, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QCoreApplication::sendEvent(canvas, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
        QCoreApplication::sendEvent(canvas, &release);
    }
    // A rectangle drawn with the tool in the gap between two rows of shapes and across them.
    void drawRectangle()
    {
        key(Qt::Key_R, QStringLiteral("r"));
        step();
        const pf::Point from = cell(2 * columns + 10).origin - pf::Point(1, 1);
        mouse(QEvent::MouseButtonPress, from);
        for (int i = 1; i <= 4; ++i)
            mouse(QEvent::MouseMove, from + pf::Point(9.0 * i, 7.0 * i));
        mouse(QEvent::MouseButtonRelease, from + pf::Point(36, 28));
        // The tool ends a tenth of a second after the release.
        clock.advance(std::chrono::milliseconds(120));
        step();
    }
    void menu(const char* command)
    {
        window->menuAction(QString::fromLatin1(command))->trigger();
        step();
    }
    // The clock 16 ms on, then the events and delayed calls due, the paint among them.
    void step()
    {
        clock.advance(std::chrono::milliseconds(16));
        pf::drainMainQueue();
        QCoreApplication::processEvents();
    }
    void settle()
    {
        for (int i = 0; i < 20; ++i)
            step();
    }

    pf::VirtualClock clock;
    QTemporaryDir folder;
    DocumentController controller;
    std::unique_ptr<Application> application;
    AppWindowController* window = nullptr;
    Canvas* canvas = nullptr;
    std::shared_ptr<Composition> page;
    unsigned long milliseconds = 0;
};

// Times `timed`, then takes it back with `back`, untimed, and lets the window settle.
template <class Timed, class Back>
void alternate(benchmark::State& state, UndoWindow& w, Timed timed, Back back)
{
    for (auto _ : state) {
        timed();
        state.PauseTiming();
        back();
        w.settle();
        state.ResumeTiming();
    }
}

void BM_DocumentDraw(benchmark::State& state)
{
    UndoWindow w(int(state.range(0)));
    alternate(state, w, [&] { w.drawRectangle(); }, [&] { w.menu("undo"); });
}

void BM_DocumentUndoDraw(benchmark::State& state)
{
    UndoWindow w(int(state.range(0)));
    w.drawRectangle();
    w.settle();
    alternate(state, w, [&] { w.menu("undo"); }, [&] { w.menu("redo"); });
}

// The selected shape in row 3, column 10, moved a point right.
void selectForNudge(UndoWindow& w)
{
    const pf::Rect frame = cell(2 * columns + 10);
    w.mouse(QEvent::MouseButtonPress, pf::Point(frame.midX(), frame.midY()));
    w.mouse(QEvent::MouseButtonRelease, pf::Point(frame.midX(), frame.midY()));
    w.settle();
}

void BM_DocumentNudge(benchmark::State& state)
{
    UndoWindow w(int(state.range(0)));
    selectForNudge(w);
    alternate(state, w, [&] { w.key(Qt::Key_Right), w.step(); }, [&] { w.menu("undo"); });
}

void BM_DocumentUndoMove(benchmark::State& state)
{
    UndoWindow w(int(state.range(0)));
    selectForNudge(w);
    w.key(Qt::Key_Right);
    w.settle();
    alternate(state, w, [&] { w.menu("undo"); }, [&] { w.menu("redo"); });
}

} // namespace

// Each undo beside the same change made forward, at each size.
BENCHMARK(BM_DocumentDraw)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentUndoDraw)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentNudge)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentUndoMove)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentDraw)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentUndoDraw)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentNudge)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocumentUndoMove)->Arg(10000)->Unit(benchmark::kMicrosecond);
