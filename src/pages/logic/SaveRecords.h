#pragma once
// What a page's save tells the calibration records: the channel as the configuration names it,
// its table as Calib.ini stores it, and a check's rows as numbers.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ChannelStore.h"
#include "pages/logic/CheckFile.h"
#include "platform/IniFile.h"
#include "records/logic/CalibRecord.h"

namespace kova {

// Channel `number` of `device` with its keyword, description and unit from the device's analog
// channels (empty when the device does not list it).
RecordChannel recordChannel(const ChannelStore& store, std::string station, std::string device,
                            std::string_view number);

// The "Volt" and "Data" lists of the channel's table, both from one version of the file.
StoredTable storedTableOf(const IniFile& calibIni, std::string_view number);

// The check list's rows as the numbers they show.
std::vector<CheckReading> checkReadings(std::span<const CheckRow> rows);

}  // namespace kova
