#include "pages/logic/SaveRecords.h"

#include "calib/CalibSection.h"
#include "calib/WMATH.h"
#include "platform/Numbers.h"

namespace kova {

RecordChannel recordChannel(const ChannelStore& store, std::string station, std::string device,
                            std::string_view number) {
    RecordChannel channel{
        std::move(station), std::move(device), parseLeadingInt(number), {}, {}, {}};
    for (const AnalogChannel& analog : store.LoadChannels(channel.device).analog) {
        if (analog.number == number) {
            channel.keyword = analog.keyword;
            channel.description = analog.About;
            channel.unit = analog.DanWei;
            break;
        }
    }
    return channel;
}

StoredTable storedTableOf(const IniFile& calibIni, std::string_view number) {
    const auto file = calibIni.snapshot();
    const std::string section = calibSectionName(number);
    return {file->readString(section, "Volt", "", kCalibValueBuffer),
            file->readString(section, "Data", "", kCalibValueBuffer)};
}

std::vector<CheckReading> checkReadings(std::span<const CheckRow> rows) {
    std::vector<CheckReading> readings;
    readings.reserve(rows.size());
    for (const CheckRow& row : rows) {
        readings.push_back({parseLeadingDouble(row.shown), parseLeadingDouble(row.reference)});
    }
    return readings;
}

}  // namespace kova
