// Write2Led round trip to a running "ledserver --headless": find the board's window, send the
// 1224-byte block, wait for the server's answer. Reports the median and the 99th percentile of
// single round trips in microseconds, unpinned and with both processes on one CPU, each against
// the floor of a bare socket round trip measured first in the same run (floor_ratio; target
// <= 1.3).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "BenchMain.h"
#include "SocketFloor.h"
#include "calib/ClientLED.h"
#include "platform/WindowMessages.h"

namespace {

using Clock = std::chrono::steady_clock;

struct CountingStatus : cClientLED::StatusWindow {
    void SetText(const char*) override { ++failures; }
    int failures = 0;
};

void reportPercentiles(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty()) {
        return;
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

pid_t serverPid = -1;

void BM_FloorRoundTrip(benchmark::State& state, bool oneCpu) {
    kova::bench::runSocketFloor(state, oneCpu);
}
BENCHMARK_CAPTURE(BM_FloorRoundTrip, unpinned, false)
    ->Iterations(20000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FloorRoundTrip, one_cpu, true)
    ->Iterations(20000)
    ->Unit(benchmark::kMicrosecond);

void write2Led(benchmark::State& state, bool oneCpu) {
    kova::bench::pinProcess(::getpid(), oneCpu);
    kova::bench::pinProcess(serverPid, oneCpu);
    CountingStatus status;
    cClientLED led;
    led.SetStatusWindow(&status);
    led.SetLedNameDirect("LED0");
    std::vector<double> micros;
    int n = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const std::string text = "检测 " + std::to_string(n++ % 1000) + ".5kN";
        const auto start = Clock::now();
        led.Write2Led(text.c_str());
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    kova::bench::pinProcess(::getpid(), false);
    kova::bench::pinProcess(serverPid, false);
    if (status.failures > 0) {
        state.SkipWithError("the server did not take every text");
    }
    reportPercentiles(state, micros);
    const double floor = kova::bench::floorMedianUs[oneCpu ? 1 : 0];
    if (floor > 0 && !micros.empty()) {
        state.counters["floor_ratio"] = micros[micros.size() / 2] / floor;
    }
}

void BM_Write2LedRoundTrip(benchmark::State& state) {
    write2Led(state, false);
}
BENCHMARK(BM_Write2LedRoundTrip)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_Write2LedRoundTripOneCpu(benchmark::State& state) {
    write2Led(state, true);
}
BENCHMARK(BM_Write2LedRoundTripOneCpu)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// The transport alone, with an empty message, for comparison.
void BM_SendRoundTrip(benchmark::State& state) {
    std::vector<double> micros;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const auto start = Clock::now();
        const kova::SendResult r = kova::sendWindowMessage("LED1", kova::WindowMessage{});
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (!r.delivered) {
            state.SkipWithError(r.error.c_str());
            break;
        }
    }
    reportPercentiles(state, micros);
}
BENCHMARK(BM_SendRoundTrip)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// Starts the server on its own window directory with its output discarded.
pid_t startServer() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = KOVA_LEDSERVER_PATH;
    std::string headless = "--headless";
    std::string led0 = "LED0";
    std::string led1 = "LED1";
    char* argv[] = {program.data(), headless.data(), led0.data(), led1.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("KOVA_WINDOWS_DIR", (kova::bench::benchDirectory() / "windows").c_str(), 1);
    const pid_t server = startServer();
    serverPid = server;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!(kova::windowExists("LED0") && kova::windowExists("LED1")) && Clock::now() < deadline) {
    }
    int status = 1;
    if (server > 0 && kova::windowExists("LED0")) {
        status = kova::bench::runBenchmarks(argc, argv);
    } else {
        std::cerr << "led_bench: ledserver did not start\n";
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    return status;
}
