// One sampling tick of the calibration page, as timer 1 runs it: an analog channel through the
// reading chain on the simulated card (with noise) and the voltage field's new text, with and
// without the acquisition-log line, and a frequency channel read straight from the card.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <filesystem>

#include "BenchFiles.h"
#include "calib/MathHD.h"
#include "controls/EditListCtrl.h"
#include "pages/Dialog_Tdcab.h"
#include "runtime/Runtime.h"

namespace {

using namespace kova;

// Station 1 with one device whose analog channel 7 and frequency channel 150 are declared.
void writeEnvironment(const std::filesystem::path& dir) {
    bench::writeGbkFile(dir / "sysKOVA.ini",
                        "[ALLSTATION]\r\n1工位=1\r\n[1工位]\r\nDevOrder=1,\r\n");
    bench::writeGbkFile(dir / "DevID.ini", "[DEVID]\r\ndevid1=制动台\r\n");
    bench::writeGbkFile(dir / "Calib.ini",
                        "[制动台]\r\nAllTD_A=压力,频率,\r\n压力=7\r\n频率=150\r\n");
    bench::writeFile(dir / "Ferroxan.ini",
                     "[Card]\r\nSampleInterval=0.1\r\n"
                     "[Analog7]\r\nMode=Sine\r\nLevel=1.2\r\nAmplitude=0.4\r\nPeriod=2000\r\n"
                     "Noise=0.01\r\n[Frequency150]\r\nValue=49.6\r\n");
    std::filesystem::copy_file(PAGES_BENCH_FERROXAN, dir / "Ferroxan.so",
                               std::filesystem::copy_options::overwrite_existing);
}

// Runs the page's tick on the channel of row `row` of its channel list.
void runTicks(benchmark::State& state, int row, int burst, bool logging) {
    const std::filesystem::path dir = bench::benchSubdirectory("page");
    writeEnvironment(dir);
    ::setenv("KOVA_SYSTEM_DIR", PAGES_BENCH_SYSTEM_DIR, 1);

    Runtime rt;
    rt.CalibIniPath = (dir / "Calib.ini").string();
    rt.SysIniPath = (dir / "sysKOVA.ini").string();
    rt.DevIdIniPath = (dir / "DevID.ini").string();
    rt.AVERNUM = burst;
    rt.systemLibrary.keepProcessWhenNotLoadable();
    if (!rt.hardwareModule.Load((dir / "Ferroxan.so").string()) ||
        rt.systemLibrary.Load(1) != SystemLibrary::kLoaded) {
        state.SkipWithError("simulated card or system library not loadable");
        return;
    }
    if (logging) {
        std::filesystem::remove(dir / "AcqData.log");  // a fresh log each run
        rt.AcqLog.open(dir / "AcqData.log");
    }
    MathHD average;
    Dialog_Tdcab page(rt, average);
    page.deviceBox()->setCurrentIndex(0);
    page.OnSelchangeDevice();
    page.channelList()->SelectItem(row);
    if (logging) {
        page.debugLogBox()->click();
    }
    for (int i = 0; i < Dialog_Tdcab::kSlidingLength; ++i) {
        page.tick();  // the sliding average is full from here on
    }
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        page.tick();
    }
    benchmark::DoNotOptimize(page.reading());
}

void BM_TdcabTickAnalog(benchmark::State& state) {
    runTicks(state, 0, static_cast<int>(state.range(0)), false);
}
BENCHMARK(BM_TdcabTickAnalog)->Arg(30)->Arg(80)->Unit(benchmark::kMicrosecond);

void BM_TdcabTickAnalogLogged(benchmark::State& state) {
    runTicks(state, 0, 30, true);
}
BENCHMARK(BM_TdcabTickAnalogLogged)->Unit(benchmark::kMicrosecond);

void BM_TdcabTickFrequency(benchmark::State& state) {
    runTicks(state, 1, 30, false);
}
BENCHMARK(BM_TdcabTickFrequency)->Unit(benchmark::kMicrosecond);

}  // namespace
