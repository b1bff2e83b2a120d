#pragma once
// The station directory (sysKOVA.ini, DevID.ini, written by the station manager) and the
// channel configuration of every device (Calib.ini). Every operation reads or writes the files
// at the moment it is called; nothing is cached.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ChannelRecords.h"
#include "config/ChannelWrites.h"
#include "platform/IniFile.h"

namespace kova {

// The three ini files, as Windows-style or host paths.
struct ChannelIniPaths {
    std::string calibIni;  // Calib.ini
    std::string sysIni;    // sysKOVA.ini
    std::string devIdIni;  // DevID.ini
};

class ChannelStore {
  public:
    explicit ChannelStore(ChannelIniPaths paths);

    // Stations 1 to 9, in that order, whose "ALLSTATION" entry reads as 1.
    std::vector<Station> ListStations() const;

    // The devices of the station in "DevOrder" order; a device without a name is still listed.
    std::vector<Device> ListDevices(std::string_view stationName) const;

    // The three lists of the device's section, in stored order.
    ChannelLists LoadChannels(std::string_view deviceName) const;

    // Writes the device section and the per-channel sections in one grouped write. The file ends
    // up exactly as the key-by-key writes of `channelWrites` would have left it, or, when the
    // write fails or any key is refused, unchanged. The line's own programs never report a
    // failure; callers may.
    IniWriteResult SaveChannels(std::string_view deviceName, const ChannelLists& lists) const;

    // The first cell of `lists` that SaveChannels could not write into Calib.ini as it is now.
    std::optional<UnsavableCell> FindUnsavableCell(const ChannelLists& lists) const;

    // An analog channel's display parameters from its section "%s通道".
    ChannelParams LoadChannelParams(std::string_view number) const;

    // The description of digital output or input n, empty when none is stored.
    std::string LoadDigitalAbout(DigitalKind kind, int n) const;

  private:
    ChannelIniPaths paths_;
};

}  // namespace kova
