// GetTrueDat with a 20-point table over voltages across its whole range, both extrapolations
// included: the cost of one call, the 404-byte table passed by value as a sibling program does.
// The floor beside it is that copy alone: a caller's compiler copies the table (often with a
// string move instruction whose start-up dominates), before the conversion does anything.

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "BenchTiming.h"
#include "TableByValue.h"
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

std::vector<float> sweep() {
    std::vector<float> volts;
    volts.reserve(1024);
    for (int i = 0; i < 1024; ++i) {
        volts.push_back(-0.5f + 6.0f * static_cast<float>(i) / 1023.0f);  // -0.5 V .. 5.5 V
    }
    return volts;
}

double copyFloorNanoseconds = 0;  // the mean of BM_TableByValueFloor, for GetTrueDat after it

void BM_TableByValueFloor(benchmark::State& state) {
    const CalibTable table = twentyPoints();
    const std::vector<float> volts = sweep();
    std::size_t i = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(kova::bench::passTableByValue(volts[i], table));
        i = (i + 1) & 1023;
    }
    copyFloorNanoseconds = kova::bench::meanNanoseconds(start, state);
    state.SetLabel("the table copied into a call that ignores it");
}
BENCHMARK(BM_TableByValueFloor);

void BM_GetTrueDat(benchmark::State& state) {
    const CalibTable table = twentyPoints();
    const std::vector<float> volts = sweep();
    std::size_t i = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(GetTrueDat(volts[i], table));
        i = (i + 1) & 1023;
    }
    if (copyFloorNanoseconds > 0) {
        state.counters["over_copy_ns"] =
            kova::bench::meanNanoseconds(start, state) - copyFloorNanoseconds;
    }
}
BENCHMARK(BM_GetTrueDat);

}  // namespace
