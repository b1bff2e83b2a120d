#pragma once
// Calibration conversion: the exported GetCalibArray and GetTrueDat (declared in the public
// header) and the pieces they are made of, for the tool's own use and for tests.

#include <string>
#include <string_view>

#include "calib/CalibTable.h"
#include "platform/IniFile.h"

namespace kova {

// Buffer, in characters with the terminator, that a stored "Volt" or "Data" value is read into.
inline constexpr std::size_t kCalibValueBuffer = 2560;

// "<configDir>\Calib.ini".
std::string calibIniPath(std::string_view configDir);

// GetCalibArray on a given file: "Volt" fills table.volt and "Data" table.data from their first
// entries, count becomes the number of "Data" numbers; entries beyond what was read keep their
// contents. A missing file, section or key reads as an empty list.
void readCalibTable(const IniFile& ini, int channel, CalibTable& table);

// The segment GetTrueDat interpolates on, for a table of n >= 2 points: the first i whose
// [volt[i], volt[i+1]] holds x, else the first segment below the first point, else the last
// segment. Voltages not in ascending order can leave the search without a segment (only a
// descending pair with x at its first voltage, or x not a number): the last segment is used.
int calibSegment(const CalibTable& table, int n, float x);

}  // namespace kova
