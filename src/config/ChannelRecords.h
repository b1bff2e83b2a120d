#pragma once
// The station directory and channel configuration as the pages see them. Every text is UTF-8
// inside the program and exactly what the ini files hold (GBK on disk).

#include <string>
#include <vector>

namespace kova {

// A station of the line that runs on this computer.
struct Station {
    int number = 0;    // 1 to 9
    std::string name;  // "%d工位"
};

// A device of a station: its id in "DevOrder" and the display name from DevID.ini. The display
// name, not the id, names the device's section in Calib.ini.
struct Device {
    std::string id;
    std::string name;
};

// One row of a device's analog list; every field is text, as stored.
struct AnalogChannel {
    std::string keyword;
    std::string number;  // card channel number
    std::string About;
    std::string JingDu;  // decimals shown, "0" to "6"
    std::string FuHao;   // "1" signed, "0" magnitude only
    std::string DanWei;  // unit
    std::string DiData;  // self-check low, kept for other programs of the line
    std::string GaoData;
    std::string Di0Data;  // calibration-zero band
    std::string Gao0Data;

    bool operator==(const AnalogChannel&) const = default;
};

// One row of a device's digital output or digital input list.
struct DigitalChannel {
    std::string keyword;
    std::string number;
    std::string About;

    bool operator==(const DigitalChannel&) const = default;
};

// A device's three lists, each in stored order.
struct ChannelLists {
    std::vector<AnalogChannel> analog;
    std::vector<DigitalChannel> outputs;
    std::vector<DigitalChannel> inputs;

    bool operator==(const ChannelLists&) const = default;
};

// What the check window takes from an analog channel's own section.
struct ChannelParams {
    int precision = 0;      // decimals shown, 0 to 6
    bool showSign = false;  // false: magnitude only
    std::string unit;       // at most 9 bytes
    float zeroLow = 0.0f;   // zero band; whole numbers held as floats
    float zeroHigh = 0.0f;
};

enum class DigitalKind { Output, Input };

}  // namespace kova
