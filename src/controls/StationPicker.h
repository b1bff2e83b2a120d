#pragma once
// The station and device boxes of the configuration and the calibration page: this computer's
// stations, and the devices of the chosen one, each sorted by text as the line's tools sort them.

#include <string>

class QComboBox;

namespace kova {

class ChannelStore;

inline constexpr const char* kNoStationMessage =
    "没有配置工位信息，请先在“工位管理器”中配置该机的工位信息！";

// Lists the stations and chooses the first, whose devices the device box then lists with none
// chosen; a single station leaves nothing to choose, so its box is disabled. False, with both
// boxes left empty, when this computer has no station.
bool fillStations(QComboBox& stations, QComboBox& devices, const ChannelStore& store);

// Lists the devices of `station` in place of the box's entries, none chosen: the page's lists
// stay empty until the technician picks one.
void fillDevices(QComboBox& devices, const ChannelStore& store, const std::string& station);

}  // namespace kova
