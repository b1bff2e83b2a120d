// The main of every benchmark program. Built with KOVA_BENCH_QT for the window benchmarks: they
// get one QApplication, headless unless the caller chose a platform.

#include "BenchMain.h"

#if defined(KOVA_BENCH_QT)
#include <QApplication>
#endif

int main(int argc, char** argv) {
#if defined(KOVA_BENCH_QT)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#endif
    return kova::bench::runBenchmarks(argc, argv);
}
