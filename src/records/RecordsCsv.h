#pragma once
// A channel's history as CSV for spreadsheet programs: UTF-8 with a byte-order mark (without it
// they take the Chinese texts for the system's code page), CRLF line ends, a Chinese header and
// one line a record, times in local time.

#include <string>
#include <vector>

#include "records/logic/CalibRecord.h"

namespace kova {

// The file's bytes.
std::string recordsCsv(const std::vector<CalibRecord>& records);

// Writes the file whole or not at all; "" when written, else the reason.
std::string writeRecordsCsv(const std::string& file, const std::vector<CalibRecord>& records);

// "2026-12-09 15:35:25" in local time.
std::string localTimeText(std::int64_t utcMs);

// "标定", "校验" or "允差".
std::string recordKindText(RecordKind kind);

}  // namespace kova
