#pragma once
// Saving a channel's calibration points: the one writer of the stored tables.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"

namespace kova {

// Points a saved table may hold.
inline constexpr std::size_t kCalibMaxSavedPoints = 20;
inline constexpr std::string_view kCalibTooManyPointsMessage = "标定点个数不能超过20个";

// The texts of one row of the points list, as typed.
struct CalibRow {
    std::string volt;
    std::string data;
};

struct CalibPoint {
    float volt = 0.0f;
    float data = 0.0f;
};

enum class CalibSaveStatus { Saved, TooManyPoints, WriteFailed };

struct CalibSaveResult {
    CalibSaveStatus status = CalibSaveStatus::Saved;
    std::string reason;  // the text to show when not saved (the technical detail of a failed write)
    IniWriteError error = IniWriteError::None;  // why the write failed
    explicit operator bool() const { return status == CalibSaveStatus::Saved; }
};

// Each row's texts as decimal numbers in single precision (a text without a number gives 0).
std::vector<CalibPoint> parseCalibRows(std::span<const CalibRow> rows);

// Ascending by voltage with an exchange sort that swaps only when the left voltage is strictly
// greater: points of equal voltage keep their order, and a voltage never leaves its true value.
void sortCalibPoints(std::span<CalibPoint> points);

// Writes the rows as the table of `section`: at most 20 rows (otherwise nothing is written),
// sorted, "Volt" then "Data" as "%.3f," lists in one grouped write.
CalibSaveResult saveCalibTable(const IniFile& ini, std::string_view section,
                               std::span<const CalibRow> rows);

}  // namespace kova
