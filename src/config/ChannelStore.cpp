#include "config/ChannelStore.h"

#include "config/ChannelKeys.h"
#include "config/ChannelList.h"
#include "config/ChannelWrites.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

constexpr int kLastStation = 9;

std::vector<std::string> readList(const IniFile& ini, std::string_view section,
                                  std::string_view key) {
    return splitList(ini.readString(section, key, "", kListBuffer));
}

std::vector<DigitalChannel> readDigital(const IniFile& ini, std::string_view section,
                                        std::string_view listKey) {
    std::vector<DigitalChannel> rows;
    for (std::string& keyword : readList(ini, section, listKey)) {
        DigitalChannel row;
        row.number = ini.readString(section, keyword, "", kNumberBuffer);
        row.About = ini.readString(section, keyword + std::string(kAboutSuffix), "", kTextBuffer);
        row.keyword = std::move(keyword);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

ChannelStore::ChannelStore(ChannelIniPaths paths) : paths_(std::move(paths)) {}

std::vector<Station> ChannelStore::ListStations() const {
    const IniFile sys(paths_.sysIni);
    std::vector<Station> stations;
    for (int n = 1; n <= kLastStation; ++n) {
        std::string name = stationName(n);
        if (sys.readInt(kAllStationSection, name, 0) == 1) {
            stations.push_back({n, std::move(name)});
        }
    }
    return stations;
}

std::vector<Device> ChannelStore::ListDevices(std::string_view stationName) const {
    const IniFile sys(paths_.sysIni);
    const IniFile devId(paths_.devIdIni);
    std::vector<Device> devices;
    for (std::string& id : readList(sys, stationName, kDevOrderKey)) {
        std::string name =
            devId.readString(kDevIdSection, std::string(kDevIdKeyPrefix) + id, "", kTextBuffer);
        devices.push_back({std::move(id), std::move(name)});
    }
    return devices;
}

ChannelLists ChannelStore::LoadChannels(std::string_view deviceName) const {
    const IniFile calib(paths_.calibIni);
    const std::string section(cutToGbkBytes(deviceName, kDeviceNameBytes));
    ChannelLists lists;
    for (std::string& keyword : readList(calib, section, kAnalogListKey)) {
        AnalogChannel row;
        const auto read = [&](std::string_view suffix, std::size_t buffer) {
            return calib.readString(section, keyword + std::string(suffix), "", buffer);
        };
        row.number = read("", kNumberBuffer);
        row.About = read(kAboutSuffix, kTextBuffer);
        row.JingDu = read(kJingDuSuffix, kTextBuffer);
        for (const AnalogTailField& field : kAnalogTailFields) {
            row.*field.member = read(field.suffix, kTextBuffer);
        }
        row.keyword = std::move(keyword);
        lists.analog.push_back(std::move(row));
    }
    lists.outputs = readDigital(calib, section, kOutputListKey);
    lists.inputs = readDigital(calib, section, kInputListKey);
    return lists;
}

IniWriteResult ChannelStore::SaveChannels(std::string_view deviceName,
                                          const ChannelLists& lists) const {
    // One grouped write: refused as a whole or written whole, never half a configuration.
    return IniFile(paths_.calibIni).writeStrings(channelWrites(deviceName, lists));
}

std::optional<UnsavableCell> ChannelStore::FindUnsavableCell(const ChannelLists& lists) const {
    return firstUnsavableCell(*IniFile(paths_.calibIni).snapshot(), lists);
}

ChannelParams ChannelStore::LoadChannelParams(std::string_view number) const {
    const IniFile calib(paths_.calibIni);
    const std::string section = calibSectionName(number);
    const auto readInt = [&](std::string_view key) {
        return parseLeadingInt(calib.readString(section, key, "0", kNumberBuffer));
    };
    ChannelParams params;
    params.precision = readInt(kPointKey);
    if (params.precision < 0 || params.precision > 6) {
        params.precision = 0;  // only a hand edit stores one; a save would have written "0"
    }
    params.showSign = readInt("UpDown") != 0;
    params.unit = calib.readString(section, "DanWei", "", kNumberBuffer);
    params.zeroLow = static_cast<float>(readInt("Di0Data"));
    params.zeroHigh = static_cast<float>(readInt("Gao0Data"));
    return params;
}

std::string ChannelStore::LoadDigitalAbout(DigitalKind kind, int n) const {
    const IniFile calib(paths_.calibIni);
    return calib.readString(digitalSection(kind, formatInt(n)), kAboutKey, "", kTextBuffer);
}

}  // namespace kova
