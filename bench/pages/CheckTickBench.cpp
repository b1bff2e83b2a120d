// One analog sampling tick of the calibration check window, as timer 1 runs it: a burst from the
// simulated card (with noise) through the reading chain, the conversion with the channel's
// table, the readout and the two boxes, the text with its unit sent to an LED board and the
// acquisition-log line. The board is served on its own thread, so each tick includes the round
// trip the client waits for. For comparison the same tick without the LED board, and the tick
// with both threads on one CPU against the floor of a bare socket round trip on one CPU measured
// in the same run (over_floor_us; target <= 8).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "BenchFiles.h"
#include "SocketFloor.h"
#include "pages/Dialog_Check.h"
#include "platform/WindowReceiver.h"
#include "runtime/Runtime.h"

namespace {

using namespace kova;

constexpr const char* kBoard = "CheckBenchLED";

void writeEnvironment(const std::filesystem::path& dir) {
    bench::writeGbkFile(dir / "Calib.ini",
                        "[7通道]\r\nPoint=2\r\nUpDown=1\r\nDanWei=kN\r\n"
                        "Di0Data=-1\r\nGao0Data=1\r\n"
                        "Volt=0.095,0.124,0.320,0.519,0.714,0.912,1.111,1.311,\r\n"
                        "Data=0.000,12.000,92.000,172.000,252.000,332.000,412.000,492.000,"
                        "\r\n");
    bench::writeFile(dir / "Ferroxan.ini",
                     "[Card]\r\nSampleInterval=0.1\r\n"
                     "[Analog7]\r\nMode=Sine\r\nLevel=0.7\r\nAmplitude=0.4\r\nPeriod=2000\r\n"
                     "Noise=0.01\r\n");
    std::filesystem::copy_file(CHECK_BENCH_FERROXAN, dir / "Ferroxan.so",
                               std::filesystem::copy_options::overwrite_existing);
}

// An LED board that takes every text, served on its own thread.
class Board {
  public:
    Board() {
        std::string error;
        window_ = MessageWindow::open(
            kBoard, [](const WindowMessage&) -> std::int64_t { return 0; }, error);
        if (window_) {
            loop_.add(*window_);
            thread_ = std::thread([this] { loop_.run(); });
        }
    }
    ~Board() {
        loop_.stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;
    bool open() const { return window_ != nullptr; }

  private:
    std::unique_ptr<MessageWindow> window_;
    WindowLoop loop_;
    std::thread thread_;
};

struct CountingStatus : cClientLED::StatusWindow {
    void SetText(const char*) override { ++failures; }
    int failures = 0;
};

void runTicks(benchmark::State& state, bool sendToLed) {
    const std::filesystem::path dir = bench::benchSubdirectory("check");
    writeEnvironment(dir);
    ::setenv("KOVA_SYSTEM_DIR", CHECK_BENCH_SYSTEM_DIR, 1);
    ::setenv("KOVA_WINDOWS_DIR", (dir / "windows").c_str(), 1);

    Runtime rt;
    rt.CalibIniPath = (dir / "Calib.ini").string();
    rt.systemLibrary.keepProcessWhenNotLoadable();
    if (!rt.hardwareModule.Load((dir / "Ferroxan.so").string()) ||
        rt.systemLibrary.Load(1) != SystemLibrary::kLoaded) {
        state.SkipWithError("simulated card or system library not loadable");
        return;
    }
    std::filesystem::remove(dir / "AcqData.log");  // a fresh log each run
    rt.AcqLog.open(dir / "AcqData.log");
    const Board board;
    if (!board.open()) {
        state.SkipWithError("no LED board window");
        return;
    }
    CountingStatus status;
    rt.ledClient.SetStatusWindow(&status);
    rt.ledClient.SetLedNameDirect(kBoard);

    Dialog_Check check(rt, "制动台", "7", true, sendToLed);
    for (int i = 0; i < rt.slidingLength(); ++i) {
        check.tick();  // the sliding average is full from here on
    }
    std::vector<double> micros;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const auto start = std::chrono::steady_clock::now();
        check.tick();
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    benchmark::DoNotOptimize(check.value());
    const double median = bench::median(micros);
    state.counters["median_us"] = median;
    if (bench::floorMedianUs[1] > 0) {
        state.counters["over_floor_us"] = median - bench::floorMedianUs[1];
    }
    if (status.failures > 0) {
        state.SkipWithError("the board did not take every text");
    }
    rt.ledClient.SetStatusWindow(nullptr);
}

void BM_FloorRoundTripOneCpu(benchmark::State& state) {
    bench::runSocketFloor(state, true);
}
BENCHMARK(BM_FloorRoundTripOneCpu)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_CheckTickAnalog(benchmark::State& state) {
    runTicks(state, true);
}
BENCHMARK(BM_CheckTickAnalog)->Unit(benchmark::kMicrosecond);

void BM_CheckTickAnalogWithoutLed(benchmark::State& state) {
    runTicks(state, false);
}
BENCHMARK(BM_CheckTickAnalogWithoutLed)->Unit(benchmark::kMicrosecond);

// The window thread and the board's thread (started from it) on one CPU.
void BM_CheckTickAnalogOneCpu(benchmark::State& state) {
    bench::pinProcess(::getpid(), true);
    runTicks(state, true);
    bench::pinProcess(::getpid(), false);
}
BENCHMARK(BM_CheckTickAnalogOneCpu)->Unit(benchmark::kMicrosecond);

}  // namespace
