// Start-up of the main window to its first painted picture, offscreen: the window stage (ini
// paths, hardware module, runtime parameters, both pages with their station lists, log) and one
// paint of the whole window. The system library is loaded once, as the application stage does.

#include <benchmark/benchmark.h>

#include <QPixmap>
#include <cstdlib>
#include <filesystem>

#include "BenchFiles.h"
#include "app/CalibDlg.h"

namespace {

namespace fs = std::filesystem;

void BM_StartupToFirstPaint(benchmark::State& state) {
    const fs::path dir = kova::bench::benchSubdirectory("app-startup");
    kova::bench::writeGbkFile(dir / "sysKOVA.ini",
                              "[ALLSTATION]\r\n1工位=1\r\n2工位=1\r\n[1工位]\r\nDevOrder=1,2,\r\n");
    kova::bench::writeGbkFile(dir / "DevID.ini", "[DEVID]\r\ndevid1=制动台\r\ndevid2=侧滑台\r\n");
    kova::bench::writeGbkFile(dir / "Calib.ini", "[CHECKPARAM]\r\nMS=100\r\n");
    kova::bench::writeFile(dir / "Ferroxan.ini", "[Card]\r\nStep=10\r\n");
    fs::copy_file(APP_BENCH_FERROXAN, dir / "Ferroxan.so", fs::copy_options::overwrite_existing);
    setenv("KOVA_SYSTEM_DIR", APP_BENCH_SYSTEM_DIR, 1);
    setenv("KOVA_WINDOWS_DIR", (dir / "windows").c_str(), 1);

    EnvRecord env;
    env.setText(EnvRecord::kConfigDirOffset, dir.string());
    env.setText(EnvRecord::kModuleDirOffset, dir.string());
    kova::Runtime rt;
    if (rt.systemLibrary.Load(1) != 1) {
        state.SkipWithError("system library not loadable");
        return;
    }
    for (auto _ : state) {
        CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));  // no password box
        window.Initialise();
        window.show();
        const QPixmap picture = window.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
        window.OnExit();
    }
    rt.systemLibrary.Unload();
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
