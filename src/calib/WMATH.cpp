#include "calib/WMATH.h"

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <unordered_map>

#include "calib/CalibConfigDir.h"
#include "calib/CalibList.h"
#include "calib/CalibSection.h"
#include "platform/Numbers.h"

namespace kova {

std::string calibIniPath(std::string_view configDir) {
    std::string path(configDir);
    path += "\\Calib.ini";
    return path;
}

namespace {

// A channel's two lists as parsed from one version of Calib.ini.
struct ParsedTable {
    int voltCount = 0;
    int dataCount = 0;
    std::array<float, kCalibTablePoints> volt{};
    std::array<float, kCalibTablePoints> data{};
};

// The tables parsed from the version of the file last read. A repeated read of an unchanged file
// gets the same document back, so its hundred numbers need not be parsed again; holding the
// document keeps its address from naming another version.
class ParsedTables {
  public:
    // Runs use(table) on the channel's parsed table when `file` is the version it was parsed
    // from; false when it is not there. The table is used in place: a copy of its 400 bytes
    // would cost as much as the rest of a repeated read.
    template <class Use>
    bool use(const std::shared_ptr<const IniDocument>& file, int channel, Use&& use) {
        const std::lock_guard lock(mutex_);
        if (file != file_) {
            return false;
        }
        const auto it = tables_.find(channel);
        if (it == tables_.end()) {
            return false;
        }
        use(it->second);
        return true;
    }

    void store(const std::shared_ptr<const IniDocument>& file, int channel,
               const ParsedTable& table) {
        const std::lock_guard lock(mutex_);
        if (file != file_ || tables_.size() >= kMaxChannels) {
            file_ = file;
            tables_.clear();
        }
        tables_[channel] = table;
    }

  private:
    static constexpr std::size_t kMaxChannels = 1024;  // about 400 KiB at most
    std::mutex mutex_;
    std::shared_ptr<const IniDocument> file_;
    std::unordered_map<int, ParsedTable> tables_;
};

ParsedTables& parsedTables() {
    static auto* tables = new ParsedTables;  // never destroyed: sibling programs read at exit
    return *tables;
}

ParsedTable parseTable(const IniDocument& file, int channel) {
    const std::string section = calibSectionName(channel);
    const std::string volt = file.readString(section, "Volt", "", kCalibValueBuffer);
    const std::string data = file.readString(section, "Data", "", kCalibValueBuffer);
    ParsedTable parsed;
    parsed.voltCount = parseCalibList(volt, std::span(parsed.volt));
    parsed.dataCount = parseCalibList(data, std::span(parsed.data));
    return parsed;
}

}  // namespace

void readCalibTable(const IniFile& ini, int channel, CalibTable& table) {
    // Both keys from one version of the file: a writer replacing the table between two reads
    // would otherwise pair one table's voltages with another's true values.
    const auto file = ini.snapshot();
    // Only the entries read are written: the others keep what the caller's table held.
    const auto fill = [&table](const ParsedTable& parsed) {
        std::copy_n(parsed.volt.begin(), parsed.voltCount, table.volt);
        std::copy_n(parsed.data.begin(), parsed.dataCount, table.data);
        table.count = parsed.dataCount;
    };
    if (!parsedTables().use(file, channel, fill)) {
        const ParsedTable parsed = parseTable(*file, channel);
        parsedTables().store(file, channel, parsed);
        fill(parsed);
    }
}

namespace {

// Inlined into GetTrueDat: the search is most of a conversion's own cost. The tests below the
// first point and above the second-last one do not depend on the position, so after the first
// segment they are decided once and the rest of the search is one range test per segment.
inline int segmentOf(const float* v, int n, float x) {
    const int last = n - 2;
    if (v[0] <= x && x <= v[1]) {
        return 0;
    }
    if (x < v[0]) {
        return 0;
    }
    if (x > v[last]) {
        return last;
    }
    for (int i = 1; i <= last; ++i) {
        if (v[i] <= x && x <= v[i + 1]) {
            return i;
        }
    }
    return last;
}

}  // namespace

int calibSegment(const CalibTable& table, int n, float x) {
    return segmentOf(table.volt, n, x);
}

}  // namespace kova

extern "C" {

float GetTrueDat(float volt, CalibTable table) {
    const float x = volt;
    // A count beyond the table can only come from a caller's own table; never read past it.
    const int n = std::min(table.count, kova::kCalibTablePoints);
    if (n < 1) {
        return x;
    }
    if (n == 1) {
        return x * table.data[0];  // a single point is a gain
    }
    const int s = kova::segmentOf(table.volt, n, x);
    const float* v = table.volt;
    const float* d = table.data;
    // Only d, k, b and the result are single precision. What lies inside each formula is
    // computed in double: the products of two singles are exact there, and a difference of
    // nearly equal values keeps its digits instead of losing them to cancellation.
    using kova::toSingle;
    const float den = toSingle(double{v[s]} - double{v[s + 1]});
    float k = 1.0f;
    float b = 0.0f;
    if (den != 0.0f) {
        k = toSingle((double{d[s]} - double{d[s + 1]}) / den);
        b = toSingle((double{v[s]} * double{d[s + 1]} - double{v[s + 1]} * double{d[s]}) / den);
    }
    return toSingle(double{x} * k + b);
}

int32_t GetCalibArray(int32_t channel, CalibTable* table) {
    if (table == nullptr) {
        return 0;
    }
    try {
        const kova::IniFile ini(kova::calibIniPath(kova::calibConfigDir()));
        kova::readCalibTable(ini, channel, *table);
    } catch (const std::exception&) {
        // Nothing may cross into a C caller; an unreadable file reads as no table.
        table->count = 0;
    }
    return 1;
}

}  // extern "C"
