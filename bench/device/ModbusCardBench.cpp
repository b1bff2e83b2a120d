// ModbusCard.so against a pymodbus unit on 127.0.0.1, started here and ended at the end:
//
// - BM_ExtGetAnalog80WhilePolling: one ExtGetAnalog of 80 samples through the loader while the
//   card's thread polls 16 analog channels every 10 ms (target <= 2 us a call).
// - BM_PollCycle16Grouped / BM_PollCycle16Scattered: one poll cycle of 16 channels on one TCP
//   unit, run directly on the poller: 16 neighbouring registers (one request) and 16 registers
//   apart from each other (16 requests). The unit is a Python server, so these mostly measure
//   its answer time; the ratio of the two shows what grouping saves.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "BenchFiles.h"
#include "BenchMain.h"
#include "CardLog.h"
#include "ModbusSettings.h"
#include "Poller.h"
#include "Readings.h"
#include "device/CExtModule.h"
#include "platform/IniDocument.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

fs::path benchDir;
int unitPort = 0;

// The unit's standard input: closing it ends the unit.
int unitInput = -1;
pid_t unitPid = -1;

bool startUnit() {
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::string python = "/usr/bin/python3";  // Debian's modules import only under it
    std::string script = MODBUS_BENCH_UNIT;
    char* argv[] = {python.data(), script.data(), nullptr};
    const bool spawned =
        posix_spawn(&unitPid, python.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    unitInput = toChild[1];
    if (!spawned) {
        return false;
    }
    std::string line;
    pollfd p{fromChild[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 60000) > 0 && read(fromChild[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(fromChild[0]);
    if (line.rfind("port ", 0) != 0) {
        return false;
    }
    unitPort = std::stoi(line.substr(5));
    return unitPort > 0;
}

void stopUnit() {
    if (unitInput >= 0) {
        close(unitInput);
    }
    if (unitPid > 0) {
        kill(unitPid, SIGTERM);
        waitpid(unitPid, nullptr, 0);
    }
}

std::string linkSection(int pollMs) {
    return "[Link]\nTransport=tcp\nHost=127.0.0.1\nPort=" + std::to_string(unitPort) +
           "\nTimeoutMs=1000\nPollMs=" + std::to_string(pollMs) + "\n";
}

std::string channels(int spacing) {
    std::string text;
    for (int ch = 0; ch < 16; ++ch) {
        text += "[Analog" + std::to_string(ch) + "]\nRegister=" + std::to_string(ch * spacing) +
                "\nScale=0.001\n";
    }
    return text;
}

void BM_ExtGetAnalog80WhilePolling(benchmark::State& state) {
    const fs::path dir = benchDir / "card";
    fs::create_directories(dir);
    std::ofstream(dir / "ModbusCard.ini") << linkSection(10) << channels(1);
    fs::copy_file(MODBUS_BENCH_CARD, dir / "Ferroxan.so", fs::copy_options::overwrite_existing);
    CExtModule card;
    if (!card.Load((dir / "Ferroxan.so").string())) {
        state.SkipWithError("cannot load the card");
        return;
    }
    card.ExtOpen("Calib");
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (card.ExtGetStatusInfo(15) != 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (card.ExtGetStatusInfo(15) != 0) {
        state.SkipWithError("the card did not read the unit");
        return;
    }
    float samples[80];
    int channel = 0;
    int filled = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        filled += card.ExtGetAnalog(channel, samples, 80);
        channel = (channel + 1) % 16;
        benchmark::DoNotOptimize(samples);
    }
    if (filled == 0) {
        state.SkipWithError("no samples");
    }
    card.ExtClose();
}
BENCHMARK(BM_ExtGetAnalog80WhilePolling)->Unit(benchmark::kNanosecond);

void pollCycle(benchmark::State& state, int spacing) {
    std::ofstream(benchDir / "cycle.ini") << linkSection(10) << channels(spacing);
    std::ifstream in(benchDir / "cycle.ini", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const modbuscard::CardSettings settings =
        modbuscard::parseCardSettings(kova::IniDocument(text));
    modbuscard::Readings readings;
    readings.configure(settings, true);
    modbuscard::CardLog log(benchDir / "cycle.log");
    modbuscard::Poller poller(settings, readings, log);
    if (!poller.connect()) {
        state.SkipWithError("cannot connect to the unit");
        return;
    }
    readings.setLinkUp(true);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        if (poller.pollOnce() != modbuscard::Poller::Cycle::Good) {
            state.SkipWithError("a cycle failed");
            break;
        }
    }
    state.counters["requests"] = static_cast<double>(poller.reads().size());
    if (readings.state(15, modbuscard::Clock::now()) != modbuscard::ChannelState::Fresh) {
        state.SkipWithError("the last channel was not read");
    }
}

void BM_PollCycle16Grouped(benchmark::State& state) {
    pollCycle(state, 1);
}
BENCHMARK(BM_PollCycle16Grouped)->Unit(benchmark::kMicrosecond);

void BM_PollCycle16Scattered(benchmark::State& state) {
    pollCycle(state, 2);
}
BENCHMARK(BM_PollCycle16Scattered)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchDir = kova::bench::benchDirectory();
    if (!startUnit()) {
        stopUnit();
        return 1;
    }
    const int status = kova::bench::runBenchmarks(argc, argv);
    stopUnit();
    return status;
}
