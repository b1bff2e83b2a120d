// The floors other figures are measured against, and the cost a guard adds to a module call:
// one stat of a small file (the check a cached read would otherwise make), a plain call through
// a function pointer, and the same call guarded as the loader guards a module's entry point.

#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/GuardedCall.h"

namespace {

[[gnu::noinline]] int addOne(int value) {
    benchmark::ClobberMemory();
    return value + 1;
}

// Read through a volatile so that the compiler cannot call the function directly.
int (*volatile gEntry)(int) = addOne;

void BM_StatFloor(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kova-stat-floor";
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fputs("[CHECKPARAM]\r\nMS=100\r\n", f);
        std::fclose(f);
    }
    const std::string path = file.string();
    struct stat st {};
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(::stat(path.c_str(), &st));
    }
    std::filesystem::remove(file);
    state.SetLabel("one stat");
}
BENCHMARK(BM_StatFloor);

void BM_PlainCall(benchmark::State& state) {
    int value = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const auto entry = gEntry;
        value = entry(value);
        benchmark::DoNotOptimize(value);
    }
    state.SetLabel("the floor under a guarded call");
}
BENCHMARK(BM_PlainCall);

void BM_GuardedCall(benchmark::State& state) {
    // A range that holds our own code, as a module's would hold its code.
    const kova::CodeRange range{reinterpret_cast<std::uintptr_t>(&addOne),
                                reinterpret_cast<std::uintptr_t>(&addOne) + 64};
    const kova::GuardedCode code{{&range, 1}, false};
    int value = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const auto entry = gEntry;
        int result = 0;
        kova::guardedCall(
            code, [&] { return entry(value); }, result);
        value = result;
        benchmark::DoNotOptimize(value);
    }
    state.SetLabel("the same call guarded");
}
BENCHMARK(BM_GuardedCall);

}  // namespace
