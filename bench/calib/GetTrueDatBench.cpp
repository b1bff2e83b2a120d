// GetTrueDat with a 20-point table over voltages across its whole range, both extrapolations
// included: the cost of one call, the 404-byte table passed by value as a sibling program does.

#include <benchmark/benchmark.h>

#include <vector>

#include "calib/WMATH.h"

namespace {

CalibTable twentyPoints() {
    CalibTable t;
    t.count = 20;
    for (int i = 0; i < 20; ++i) {
        t.volt[i] = 0.1f + 0.25f * static_cast<float>(i);
        t.data[i] = 3.0f * static_cast<float>(i * i);
    }
    return t;
}

void BM_GetTrueDat(benchmark::State& state) {
    const CalibTable table = twentyPoints();
    std::vector<float> volts;
    volts.reserve(1024);
    for (int i = 0; i < 1024; ++i) {
        volts.push_back(-0.5f + 6.0f * static_cast<float>(i) / 1023.0f);  // -0.5 V .. 5.5 V
    }
    std::size_t i = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(GetTrueDat(volts[i], table));
        i = (i + 1) & 1023;
    }
}
BENCHMARK(BM_GetTrueDat);

}  // namespace
