#pragma once
// A benchmark's own mean time per iteration, for figures judged against a floor measured by
// another benchmark of the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace kova::bench {

inline double meanNanoseconds(std::chrono::steady_clock::time_point start,
                              const benchmark::State& state) {
    const auto spent = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(spent).count() /
           static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

}  // namespace kova::bench
