// Saving one device's channel configuration into a large Calib.ini: one grouped write against
// the key-by-key writes the line's programs make.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "BenchFiles.h"
#include "config/ChannelStore.h"
#include "config/ChannelWrites.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace {

using namespace kova;

constexpr std::size_t kFileBytes = 1 << 20;
const std::string kDevice = "制动台";

ChannelLists benchLists(const std::string& about) {
    ChannelLists lists;
    for (int i = 0; i < 60; ++i) {
        const std::string n = formatInt(i);
        lists.analog.push_back({"模拟" + n, n, about + n, "2", "1", "kN", "-5", "5", "-1", "1"});
    }
    for (int i = 0; i < 24; ++i) {
        lists.outputs.push_back({"输出" + formatInt(i), formatInt(i), about + "电机"});
    }
    for (int i = 0; i < 16; ++i) {
        lists.inputs.push_back({"输入" + formatInt(i), formatInt(i), about + "光电"});
    }
    return lists;
}

// A station's Calib.ini of about 1 MiB: runtime parameters, calibration tables of many
// channels, the benchmarked device's earlier configuration, then other devices.
std::string busyCalibIni(const std::string& path) {
    std::string tables = "[CHECKPARAM]\r\nMS=100\r\nAVERNUM=10\r\nHDNUM=5\r\nFIRNUM=3\r\n";
    for (int ch = 0; tables.size() < kFileBytes / 2; ++ch) {
        tables.append("[").append(formatInt(ch)).append("通道]\r\nVolt=");
        for (int i = 0; i < 50; ++i) {
            tables += formatFixed(i * 0.1, 3) + ",";
        }
        tables += "\r\nData=";
        for (int i = 0; i < 50; ++i) {
            tables += formatFixed(i * 12.5, 3) + ",";
        }
        tables += "\r\n";
    }
    bench::writeGbkFile(path, tables);
    if (!IniFile(path).writeStrings(channelWrites(kDevice, benchLists("旧")))) {
        std::abort();
    }

    std::size_t size = std::filesystem::file_size(path);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (int dev = 0; size < kFileBytes; ++dev) {
        std::string section = std::string("[设备").append(formatInt(dev)).append("]\r\n");
        for (int i = 0; i < 60; ++i) {
            section += "键" + formatInt(i) + "[About]=说明文字" + formatInt(i) + "\r\n";
        }
        const std::string gbk = utf8ToGbk(section);
        out << gbk;
        size += gbk.size();
    }
    out.close();
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SaveFixture {
  public:
    SaveFixture() { original_ = busyCalibIni(path_); }
    SaveFixture(const SaveFixture&) = delete;
    SaveFixture& operator=(const SaveFixture&) = delete;

    void restore() const { bench::writeFile(path_, original_); }
    const std::string& path() const { return path_; }
    std::size_t bytes() const { return original_.size(); }

  private:
    std::string path_ = (bench::benchSubdirectory("config") / "Calib.ini").string();
    std::string original_;
};

void BM_SaveChannelsGrouped(benchmark::State& state) {
    const SaveFixture files;
    const ChannelStore store({files.path(), "", ""});
    const ChannelLists lists = benchLists("新");
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.PauseTiming();
        files.restore();
        state.ResumeTiming();
        if (!store.SaveChannels(kDevice, lists)) {
            state.SkipWithError("save failed");
        }
    }
    state.counters["file_bytes"] = static_cast<double>(files.bytes());
}

void BM_SaveChannelsKeyByKey(benchmark::State& state) {
    const SaveFixture files;
    const IniFile ini(files.path());
    const std::vector<IniWrite> writes = channelWrites(kDevice, benchLists("新"));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.PauseTiming();
        files.restore();
        state.ResumeTiming();
        for (const IniWrite& w : writes) {
            if (!ini.writeString(w.section, w.key, w.value)) {
                state.SkipWithError("write failed");
                break;
            }
        }
    }
    state.counters["writes"] = static_cast<double>(writes.size());
    state.counters["file_bytes"] = static_cast<double>(files.bytes());
}

BENCHMARK(BM_SaveChannelsGrouped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveChannelsKeyByKey)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
