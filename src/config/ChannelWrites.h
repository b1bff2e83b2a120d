#pragma once
// The keys a save of one device's channel configuration writes to Calib.ini, in the order the
// line's programs expect them written key by key.

#include <cstddef>
#include <optional>
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

// The three lists in the order the configuration page shows them.
enum class ChannelListKind { Analog, Input, Output };

// A cell whose text a save could not write. Rows and columns count from 0 in the page's column
// order (keyword, number, description, then an analog row's other fields).
struct UnsavableCell {
    ChannelListKind list = ChannelListKind::Analog;
    std::size_t row = 0;
    std::size_t column = 0;
    std::string reason;  // the ini layer's technical reason
};

// The first cell, list by list in the page's order and row by row, that the save's writes into
// `doc` would refuse (a line break, a keyword the file would read as something else, a character
// the file's encoding cannot hold), judged on the text as the save cuts it; nullopt when every
// cell can be written.
std::optional<UnsavableCell> firstUnsavableCell(const IniDocument& doc, const ChannelLists& lists);

}  // namespace kova
