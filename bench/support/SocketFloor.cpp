#include "SocketFloor.h"

#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

namespace kova::bench {
namespace {

// Reads exactly `size` bytes; false when the peer is gone.
bool readExactly(int fd, char* bytes, std::size_t size) {
    for (std::size_t got = 0; got < size;) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

double floorMedianUs[2] = {0, 0};

double median(std::vector<double>& micros) {
    if (micros.empty()) {
        return 0;
    }
    std::sort(micros.begin(), micros.end());
    return micros[micros.size() / 2];
}

void pinProcess(pid_t pid, bool oneCpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (oneCpu) {
        CPU_SET(0, &set);
    } else {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            CPU_SET(cpu, &set);
        }
    }
    std::error_code ec;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (std::filesystem::directory_iterator it(tasks, ec), end; !ec && it != end;
         it.increment(ec)) {
        ::sched_setaffinity(std::stoi(it->path().filename().string()), sizeof set, &set);
    }
}

void runSocketFloor(benchmark::State& state, bool oneCpu) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        state.SkipWithError("no socket pair");
        return;
    }
    const pid_t peer = ::fork();
    if (peer == 0) {
        ::close(pair[0]);
        char frame[kFloorFrameSize];
        const char answer[kFloorAnswerSize] = {};
        while (readExactly(pair[1], frame, sizeof frame) &&
               ::write(pair[1], answer, sizeof answer) == static_cast<ssize_t>(sizeof answer)) {
        }
        ::_exit(0);
    }
    ::close(pair[1]);
    pinProcess(::getpid(), oneCpu);
    pinProcess(peer, oneCpu);
    const std::string frame(kFloorFrameSize, 'f');
    char answer[kFloorAnswerSize];
    std::vector<double> micros;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const auto start = std::chrono::steady_clock::now();
        if (::write(pair[0], frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()) ||
            !readExactly(pair[0], answer, sizeof answer)) {
            state.SkipWithError("the peer went away");
            break;
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    ::close(pair[0]);
    ::waitpid(peer, nullptr, 0);
    pinProcess(::getpid(), false);
    floorMedianUs[oneCpu ? 1 : 0] = median(micros);
    state.counters["median_us"] = floorMedianUs[oneCpu ? 1 : 0];
    state.SetLabel(oneCpu ? "floor, both on one CPU" : "floor, unpinned");
}

}  // namespace kova::bench
