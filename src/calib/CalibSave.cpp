#include "calib/CalibSave.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "calib/CalibList.h"
#include "platform/Numbers.h"

namespace kova {

std::vector<CalibPoint> parseCalibRows(std::span<const CalibRow> rows) {
    std::vector<CalibPoint> points;
    points.reserve(rows.size());
    std::transform(rows.begin(), rows.end(), std::back_inserter(points), [](const CalibRow& row) {
        return CalibPoint{toSingle(parseLeadingDouble(row.volt)),
                          toSingle(parseLeadingDouble(row.data))};
    });
    return points;
}

void sortCalibPoints(std::span<CalibPoint> points) {
    const std::size_t n = points.size();
    for (std::size_t pass = 1; pass < n; ++pass) {
        for (std::size_t i = 0; i + pass < n; ++i) {
            if (points[i].volt > points[i + 1].volt) {
                std::swap(points[i], points[i + 1]);
            }
        }
    }
}

CalibSaveResult saveCalibTable(const IniFile& ini, std::string_view section,
                               std::span<const CalibRow> rows) {
    if (rows.size() > kCalibMaxSavedPoints) {
        return {CalibSaveStatus::TooManyPoints, std::string(kCalibTooManyPointsMessage)};
    }
    std::vector<CalibPoint> points = parseCalibRows(rows);
    sortCalibPoints(points);
    std::vector<float> volts;
    std::vector<float> data;
    volts.reserve(points.size());
    data.reserve(points.size());
    for (const CalibPoint& p : points) {
        volts.push_back(p.volt);
        data.push_back(p.data);
    }
    const std::string sectionName(section);
    const IniWriteResult written = ini.writeStrings({
        {sectionName, "Volt", formatCalibList(volts)},
        {sectionName, "Data", formatCalibList(data)},
    });
    if (!written) {
        return {CalibSaveStatus::WriteFailed, written.reason, written.error};
    }
    return {};
}

}  // namespace kova
