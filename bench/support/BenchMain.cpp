// Entry point of every benchmark program: a headless Qt application (drawing and text need one; widgets a
// QApplication), then Google Benchmark.
#include <QGuiApplication>
#ifdef QUORVEL_BENCH_WIDGETS
#include <QApplication>
#endif
#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
#ifdef QUORVEL_BENCH_WIDGETS
    QApplication app(argc, argv);
#else
    QGuiApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
