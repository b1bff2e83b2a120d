#pragma once
// The Calib.ini section of an analog card channel, "<number>通道": it holds the channel's
// calibration table ("Volt", "Data"), which GetCalibArray reads, and the display parameters the
// channel configuration writes beside it.

#include <string>
#include <string_view>

#include "platform/Numbers.h"

namespace kova {

// Named by the channel-number text as entered, not a reformatted number.
inline std::string calibSectionName(std::string_view number) {
    return std::string(number) + "通道";
}

// The section of card channel `channel`, as GetCalibArray names it.
inline std::string calibSectionName(int channel) {
    return calibSectionName(formatInt(channel));
}

}  // namespace kova
