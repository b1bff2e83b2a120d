#pragma once
// One calibration record: a saved calibration table, a saved check, or a channel's new
// tolerance. Records are append-only; a correction is a new record. Texts are UTF-8.

#include <cstdint>
#include <string>
#include <vector>

namespace kova {

enum class RecordKind { Calibration = 1, Check = 2, Tolerance = 3 };

// A channel's table as Calib.ini stores it: the "Volt" and "Data" lists ("1.000,2.000,").
struct StoredTable {
    std::string volt;
    std::string data;
};

// Who the record is about, as the pages show it when it is saved.
struct RecordChannel {
    std::string station;
    std::string device;
    int channel = 0;  // the channel number (its table is "<n>通道")
    std::string keyword;
    std::string description;
    std::string unit;
};

// One row of a saved check: the reading the window showed and the reference value typed.
struct CheckReading {
    double reading = 0.0;
    double reference = 0.0;
};

struct CalibRecord {
    std::string id;  // unique; the store makes one when empty
    RecordKind kind = RecordKind::Calibration;
    std::int64_t utcMs = 0;  // when it was saved, milliseconds since 1970 UTC
    RecordChannel channel;
    std::string operatorName;
    std::string toolVersion;
    // Calibration: the table before and after the save. Check: `after` is the table the check
    // converted with.
    StoredTable before;
    StoredTable after;
    // Check: the rows in the list's order.
    std::vector<CheckReading> rows;
    // Check: the tolerance in force (% of full scale). Tolerance: the new tolerance.
    double tolerancePercent = 1.0;
};

}  // namespace kova
