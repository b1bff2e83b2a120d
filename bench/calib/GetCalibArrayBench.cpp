// GetCalibArray on a 1 MiB Calib.ini holding 500 channel sections: repeated calls (the file
// unchanged since the last call) and the first call after the file has changed.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "BenchFiles.h"
#include "calib/WMATH.h"
#include "device/EnvRecord.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace {

using namespace kova;

constexpr int kChannels = 500;

// 500 sections "<n>通道" with a channel's configuration keys, a 20-point table and a long
// description each, padded to 1 MiB of GBK in all.
std::string largeCalibIni() {
    std::string gbk = "[CHECKPARAM]\r\nMS=100\r\nAVERNUM=30\r\nHDNUM=5\r\nFIRNUM=0.7\r\n";
    const std::size_t perSection = (std::size_t{1} << 20) / kChannels;
    const std::string filler = utf8ToGbk("说明");
    for (int ch = 0; ch < kChannels; ++ch) {
        const std::size_t start = gbk.size();
        std::string volt;
        std::string data;
        for (int i = 0; i < 20; ++i) {
            volt += formatFixed(0.1 + 0.25 * i, 3) + ",";
            data += formatFixed(ch + 12.5 * i, 3) + ",";
        }
        std::string section = formatInt(ch);
        section += "通道]\r\nJingDu=2\r\nFuHao=0\r\nDanWei=kN\r\nVolt=";
        section += volt;
        section += "\r\nData=";
        section += data;
        section += "\r\nAbout=";
        gbk += '[';
        gbk += utf8ToGbk(section);
        while (gbk.size() - start + filler.size() + 2 <= perSection) {
            gbk += filler;
        }
        gbk += "\r\n";
    }
    return gbk;
}

const std::filesystem::path& calibIni() {
    static const std::filesystem::path file = [] {
        std::filesystem::path f = bench::benchDirectory() / "Calib.ini";
        bench::writeFile(f, largeCalibIni());
        processEnvRecord().setText(EnvRecord::kConfigDirOffset, bench::benchDirectory().string());
        return f;
    }();
    return file;
}

void BM_GetCalibArrayRepeated(benchmark::State& state) {
    calibIni();
    CalibTable t;
    GetCalibArray(0, &t);
    int channel = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        GetCalibArray(channel, &t);
        benchmark::DoNotOptimize(t);
        channel = (channel + 97) % kChannels;
    }
    state.counters["count"] = t.count;
}
BENCHMARK(BM_GetCalibArrayRepeated);

void BM_GetCalibArrayFirstCall(benchmark::State& state) {
    const std::filesystem::path& file = calibIni();
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    CalibTable t;
    auto stamp = std::filesystem::last_write_time(file);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.PauseTiming();
        stamp += std::chrono::milliseconds(1);  // a changed file: the next read parses it again
        std::filesystem::last_write_time(file, stamp);
        state.ResumeTiming();
        GetCalibArray(250, &t);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_GetCalibArrayFirstCall)->Unit(benchmark::kMicrosecond);

}  // namespace
