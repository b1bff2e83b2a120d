#pragma once
// The floor under a window message on this machine: two processes exchanging a 1308-byte frame
// and an 8-byte answer over one kept Unix-socket connection, nothing else. Benchmarks of our own
// messages report their figure against this floor measured in the same run.

#include <benchmark/benchmark.h>
#include <sys/types.h>

#include <cstddef>
#include <vector>

namespace kova::bench {

inline constexpr std::size_t kFloorFrameSize = 1308;
inline constexpr std::size_t kFloorAnswerSize = 8;

// Medians of the floor in microseconds, filled by the floor benchmarks: [0] unpinned,
// [1] both processes on one CPU.
extern double floorMedianUs[2];

// The median of the figures (sorting them); 0 when there are none.
double median(std::vector<double>& micros);

// Pins every thread of a process to CPU 0, or lets them run anywhere again.
void pinProcess(pid_t pid, bool oneCpu);

// One round trip per iteration; records the median as the floor for `oneCpu`.
void runSocketFloor(benchmark::State& state, bool oneCpu);

}  // namespace kova::bench
