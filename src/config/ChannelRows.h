#pragma once
// The configuration page's three lists as rows of cell texts: which column holds which field of a
// channel record, the check made before a row is added, and the order of the drop-down lists.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ChannelRecords.h"
#include "config/ChannelWrites.h"

namespace kova {

// One list column: its heading, its width in pixels and the record field it shows.
template <typename Record>
struct ChannelColumn {
    std::string_view heading;
    int width;
    std::string Record::*field;
};

inline constexpr std::array<ChannelColumn<AnalogChannel>, 10> kAnalogColumns = {{
    {"关键字", 62, &AnalogChannel::keyword},
    {"通道号", 56, &AnalogChannel::number},
    {"通道说明", 130, &AnalogChannel::About},
    {"精确度（填入0-6数字）", 180, &AnalogChannel::JingDu},
    {"符号（1：有0：无）", 150, &AnalogChannel::FuHao},
    {"单位", 50, &AnalogChannel::DanWei},
    {"自检低值", 80, &AnalogChannel::DiData},
    {"自检高值", 80, &AnalogChannel::GaoData},
    {"标定归零低值", 110, &AnalogChannel::Di0Data},
    {"标定归零高值", 110, &AnalogChannel::Gao0Data},
}};

inline constexpr std::array<ChannelColumn<DigitalChannel>, 3> kDigitalColumns = {{
    {"关键字", 62, &DigitalChannel::keyword},
    {"通道号", 56, &DigitalChannel::number},
    {"通道说明", 130, &DigitalChannel::About},
}};

// The row's cells in column order.
std::vector<std::string> cellsOf(const AnalogChannel& row);
std::vector<std::string> cellsOf(const DigitalChannel& row);

// The record a row of cells shows; missing cells read as empty.
AnalogChannel analogFromCells(const std::vector<std::string>& cells);
DigitalChannel digitalFromCells(const std::vector<std::string>& cells);

// Why "添 加" must not add `keyword` to a list already holding `keywords`, as the operator's
// message; nullopt when the row may be added. Duplicates compare exactly (case-sensitive) and only
// within the one list.
std::optional<std::string> addRefusal(std::string_view keyword,
                                      const std::vector<std::string>& keywords);

// What the page tells the technician when a save is refused for `cell`: the list, the row and
// the column (counted from 1, as the technician sees them), and what to do about it.
std::string unsavableCellMessage(const UnsavableCell& cell);

// The display order of a drop-down list sorted by text: by the GBK bytes, which puts the common
// Chinese characters in pinyin order as the station computer does; equal texts all stay.
std::vector<std::string> sortedByText(std::vector<std::string> texts);

// The names of the stations or devices in the order of a drop-down list sorted by text.
std::vector<std::string> sortedNames(const std::vector<Station>& stations);
std::vector<std::string> sortedNames(const std::vector<Device>& devices);

}  // namespace kova
