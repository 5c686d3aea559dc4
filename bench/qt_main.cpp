// The entry point of the benchmarks that need the windows: a QApplication
// on the offscreen platform around Google Benchmark's own run.
#include <benchmark/benchmark.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Offscreen unless the caller chose a platform (the accessibility run uses xcb).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
