#include "config/ChannelRows.h"

#include <algorithm>
#include <utility>

#include "config/KeywordCheck.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

template <typename Record, std::size_t N>
std::vector<std::string> cells(const Record& row,
                               const std::array<ChannelColumn<Record>, N>& columns) {
    std::vector<std::string> out(N);
    std::transform(columns.begin(), columns.end(), out.begin(),
                   [&row](const ChannelColumn<Record>& column) { return row.*column.field; });
    return out;
}

template <typename Record, std::size_t N>
Record fromCells(const std::vector<std::string>& cells,
                 const std::array<ChannelColumn<Record>, N>& columns) {
    Record row;
    for (std::size_t i = 0; i < N && i < cells.size(); ++i) {
        row.*columns[i].field = cells[i];
    }
    return row;
}

template <typename Item>
std::vector<std::string> sortedNamesOf(const std::vector<Item>& items) {
    std::vector<std::string> names(items.size());
    std::transform(items.begin(), items.end(), names.begin(),
                   [](const Item& item) { return item.name; });
    return sortedByText(std::move(names));
}

}  // namespace

std::vector<std::string> cellsOf(const AnalogChannel& row) {
    return cells(row, kAnalogColumns);
}

std::vector<std::string> cellsOf(const DigitalChannel& row) {
    return cells(row, kDigitalColumns);
}

AnalogChannel analogFromCells(const std::vector<std::string>& cells) {
    return fromCells(cells, kAnalogColumns);
}

DigitalChannel digitalFromCells(const std::vector<std::string>& cells) {
    return fromCells(cells, kDigitalColumns);
}

std::optional<std::string> addRefusal(std::string_view keyword,
                                      const std::vector<std::string>& keywords) {
    if (keyword.empty()) {
        return "请填入通道项目关键字!";
    }
    if (std::find(keywords.begin(), keywords.end(), keyword) != keywords.end()) {
        return "关键字重复！";
    }
    // A keyword becomes an ini key and a comma-list item: texts that would break either are
    // refused here rather than corrupting Calib.ini on the save.
    return keywordRefusal(keyword);
}

std::string unsavableCellMessage(const UnsavableCell& cell) {
    std::string_view list = "模拟";
    std::string_view heading;
    if (cell.list == ChannelListKind::Analog) {
        heading = cell.column < kAnalogColumns.size() ? kAnalogColumns[cell.column].heading : "";
    } else {
        list = cell.list == ChannelListKind::Input ? "数字输入" : "数字输出";
        heading = cell.column < kDigitalColumns.size() ? kDigitalColumns[cell.column].heading : "";
    }
    std::string text = "“" + std::string(list) + "”列表第" + std::to_string(cell.row + 1) + "行第" +
                       std::to_string(cell.column + 1) + "列（" + std::string(heading) +
                       "）含有无法保存的字符（如换行符、生僻字或特殊符号），";
    // The keyword column cannot be edited on the page: only the file can be corrected.
    text += cell.column == 0 ? "该关键字在本页不能修改，请在Calib.ini中改正后重新选择该设备。"
                             : "请修改后重新保存。";
    return text + "本次没有保存任何数据。";
}

std::vector<std::string> sortedByText(std::vector<std::string> texts) {
    std::vector<std::pair<std::string, std::string>> keyed(texts.size());  // GBK key, text
    std::transform(texts.begin(), texts.end(), keyed.begin(), [](std::string& text) {
        std::string key = utf8ToGbk(text);
        return std::pair{std::move(key), std::move(text)};
    });
    // Letters compare without regard to case first, as the station computer's list sorts them.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const std::string la = asciiLower(a.first);
        const std::string lb = asciiLower(b.first);
        return la != lb ? la < lb : a.first < b.first;
    });
    std::transform(keyed.begin(), keyed.end(), texts.begin(),
                   [](auto& entry) { return std::move(entry.second); });
    return texts;
}

std::vector<std::string> sortedNames(const std::vector<Station>& stations) {
    return sortedNamesOf(stations);
}

std::vector<std::string> sortedNames(const std::vector<Device>& devices) {
    return sortedNamesOf(devices);
}

}  // namespace kova
