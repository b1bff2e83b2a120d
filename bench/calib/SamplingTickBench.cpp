// One sampling tick of the reading chain: 80 samples from the simulated card (with noise), their
// average, the sliding average of 5 and the stand-in system library's filter.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>

#include "BenchFiles.h"
#include "DataDeal.h"
#include "calib/ReadingChain.h"
#include "device/CExtModule.h"
#include "device/SystemLibrary.h"

namespace {

using namespace kova;

void BM_SamplingTick(benchmark::State& state) {
    const std::filesystem::path dir = bench::benchSubdirectory("card");
    bench::writeFile(dir / "Ferroxan.ini",
                     "[Card]\r\nSampleInterval=0.1\r\n"
                     "[Analog7]\r\nMode=Sine\r\nLevel=1.2\r\nAmplitude=0.4\r\nPeriod=2000\r\n"
                     "Noise=0.01\r\n");
    std::filesystem::copy_file(CALIB_BENCH_FERROXAN, dir / "Ferroxan.so",
                               std::filesystem::copy_options::overwrite_existing);
    ::setenv("KOVA_SYSTEM_DIR", CALIB_BENCH_SYSTEM_DIR, 1);

    CExtModule card;
    SystemLibrary system;
    system.keepProcessWhenNotLoadable();
    if (!card.Load((dir / "Ferroxan.so").string()) || system.Load(1) != SystemLibrary::kLoaded) {
        state.SkipWithError("simulated card or system library not loadable");
        return;
    }
    SampleBuffer samples;
    DataDeal deal;
    MathHD average;
    average.SetLength(5);
    ReadingChain chain(card, system, samples);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(chain.tick(7, kSampleBufferSize, average, deal, 0.7f));
    }
}
BENCHMARK(BM_SamplingTick);

}  // namespace
