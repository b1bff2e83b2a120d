#include "calib/WMATH.h"

#include <algorithm>
#include <exception>
#include <span>

#include "calib/CalibConfigDir.h"
#include "calib/CalibList.h"
#include "platform/Numbers.h"

namespace kova {

std::string calibSectionName(int channel) {
    return formatInt(channel) + "通道";
}

std::string calibIniPath(std::string_view configDir) {
    std::string path(configDir);
    path += "\\Calib.ini";
    return path;
}

void readCalibTable(const IniFile& ini, int channel, CalibTable& table) {
    const std::string section = calibSectionName(channel);
    // Both keys from one version of the file: a writer replacing the table between two reads
    // would otherwise pair one table's voltages with another's true values.
    const auto file = ini.snapshot();
    const std::string volt = file->readString(section, "Volt", "", kCalibValueBuffer);
    const std::string data = file->readString(section, "Data", "", kCalibValueBuffer);
    parseCalibList(volt, std::span(table.volt));
    table.count = parseCalibList(data, std::span(table.data));
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
