#pragma once
// What the pages show for a channel whose card reports no fresh reading (ExtGetStatusInfo not 0):
// the state in words instead of a number, and no point may be taken from it.

#include <string_view>

namespace kova {

// ExtGetStatusInfo: 0 fresh reading, 1 link down, 2 not configured, 3 device exception.
inline constexpr int kReadingFresh = 0;

// The words shown in place of a reading; empty for a fresh one. A state the card does not
// document reads as a device fault.
std::string_view linkStateText(int state);

// Why "添 加" takes no point while the channel has no fresh reading.
inline constexpr std::string_view kNoValidReading = "采集无有效数据，不能添加标定点。";

}  // namespace kova
