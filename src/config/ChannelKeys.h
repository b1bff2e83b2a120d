#pragma once
// Names, buffer sizes and field limits of the channel configuration in Calib.ini and of the
// station directory, shared by the reads and the writes so that they cannot drift apart.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "calib/CalibSection.h"
#include "config/ChannelRecords.h"

namespace kova {

inline constexpr std::string_view kAllStationSection = "ALLSTATION";
inline constexpr std::string_view kDevOrderKey = "DevOrder";
inline constexpr std::string_view kDevIdSection = "DEVID";
inline constexpr std::string_view kDevIdKeyPrefix = "devid";

inline constexpr std::string_view kAnalogListKey = "AllTD_A";
inline constexpr std::string_view kOutputListKey = "AllTD_Dout";
inline constexpr std::string_view kInputListKey = "AllTD_Din";

inline constexpr std::string_view kAboutSuffix = "[About]";
inline constexpr std::string_view kJingDuSuffix = "[JingDu]";
inline constexpr std::string_view kPointKey = "Point";
inline constexpr std::string_view kAboutKey = "About";

// Read buffers (the value comes back cut to one byte less).
inline constexpr std::size_t kListBuffer = 2048;
inline constexpr std::size_t kNumberBuffer = 10;
inline constexpr std::size_t kTextBuffer = 100;

// Limits of the saved fields, in GBK bytes. A keyword of 39 bytes keeps its longest derived key,
// keyword + "[Gao0Data]", within the 49 bytes the line's programs hold a key in.
inline constexpr std::size_t kKeywordBytes = 39;
inline constexpr std::size_t kNumberBytes = 9;
inline constexpr std::size_t kAboutBytes = 99;
inline constexpr std::size_t kFieldBytes = 9;
inline constexpr std::size_t kDeviceNameBytes = 99;
inline constexpr std::size_t kListTokenBytes = 49;

// The analog fields after `JingDu`: the device-section suffix, the key in the channel's own
// section, and the member, in the order both sections are written.
struct AnalogTailField {
    std::string_view suffix;
    std::string_view channelKey;
    std::string AnalogChannel::*member;
};

inline constexpr std::array<AnalogTailField, 6> kAnalogTailFields = {{
    {"[FuHao]", "UpDown", &AnalogChannel::FuHao},
    {"[DanWei]", "DanWei", &AnalogChannel::DanWei},
    {"[DiData]", "DiData", &AnalogChannel::DiData},
    {"[GaoData]", "GaoData", &AnalogChannel::GaoData},
    {"[Di0Data]", "Di0Data", &AnalogChannel::Di0Data},
    {"[Gao0Data]", "Gao0Data", &AnalogChannel::Gao0Data},
}};

inline std::string stationName(int number) {
    return std::to_string(number) + "工位";
}

inline std::string digitalSection(DigitalKind kind, std::string_view number) {
    return std::string(number) + (kind == DigitalKind::Output ? "数字输出" : "数字输入");
}

}  // namespace kova
