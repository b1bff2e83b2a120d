// kovademo-records: gives a freshly laid out demo station a short history for channel 1
// (左制动力 of 制动台): an older calibration, the calibration that made today's table, and a check
// of it, so the records page and a report show something at once.
//
//   kovademo-records CONFIGDIR   (the Windows-style configuration directory, e.g.
//   D:\KOVA\system\config)

#include <chrono>
#include <cstdio>
#include <string>

#include "records/RecordsStore.h"

namespace {

constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;

kova::CalibRecord demoRecord(kova::RecordKind kind, std::int64_t utcMs) {
    kova::CalibRecord record;
    record.kind = kind;
    record.utcMs = utcMs;
    record.channel = {"1工位", "制动台", 1, "左制动力", "左轮制动力传感器", "daN"};
    record.operatorName = "demo";
    record.toolVersion = "Calib demo";
    return record;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kovademo-records CONFIGDIR\n");
        return 2;
    }
    const std::string configDir = argv[1];
    kova::RecordsStore store(kova::recordsLocation(configDir, configDir + "\\sysKOVA.ini"));
    if (!store.open()) {
        std::fprintf(stderr, "kovademo-records: %s\n", store.openError().c_str());
        return 1;
    }
    const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    const kova::StoredTable volts{"0.000,1.000,2.000,3.000,4.000,", ""};
    kova::CalibRecord first = demoRecord(kova::RecordKind::Calibration, now - 30 * kDayMs);
    first.after = {volts.volt, "0.000,742.000,1489.000,2238.000,2986.000,"};
    kova::CalibRecord second = demoRecord(kova::RecordKind::Calibration, now - 2 * kDayMs);
    second.before = first.after;
    // The table Calib.ini of the demo holds.
    second.after = {volts.volt, "0.000,750.000,1500.000,2250.000,3000.000,"};
    kova::CalibRecord check =
        demoRecord(kova::RecordKind::Check, now - 2 * kDayMs + std::int64_t{20} * 60000);
    check.after = second.after;
    check.rows = {{0.0, 0.0}, {748.6, 750.0}, {1502.3, 1500.0}, {2246.1, 2250.0}, {2996.4, 3000.0}};
    check.tolerancePercent = 1.0;
    for (const kova::CalibRecord& record : {first, second, check}) {
        const kova::AppendResult result = store.append(record);
        if (result.status == kova::AppendStatus::Failed) {
            std::fprintf(stderr, "kovademo-records: %s\n", result.message.c_str());
            return 1;
        }
    }
    return 0;
}
