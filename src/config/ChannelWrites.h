#pragma once
// The keys a save of one device's channel configuration writes to Calib.ini, in the order the
// line's programs expect them written key by key.

#include <string>
#include <string_view>
#include <vector>

#include "config/ChannelRecords.h"
#include "platform/IniFile.h"

namespace kova {

// The `JingDu` text as saved (already cut to its limit): a number below 0 or above 6 becomes
// "0"; text without a leading number reads as 0 and stays as it is.
std::string savedPrecision(std::string_view jingDu);

// Every write of a save, in order: per analog row its device keys and its channel section, then
// "AllTD_A"; per output row its channel section and device keys, then "AllTD_Dout"; the same for
// the inputs and "AllTD_Din". Each value is cut to its field's limit without splitting a GBK
// character.
std::vector<IniWrite> channelWrites(std::string_view deviceName, const ChannelLists& lists);

}  // namespace kova
