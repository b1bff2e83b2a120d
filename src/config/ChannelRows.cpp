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
    std::vector<std::string> out;
    out.reserve(N);
    for (const ChannelColumn<Record>& column : columns) {
        out.push_back(row.*column.field);
    }
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

std::vector<std::string> sortedByText(std::vector<std::string> texts) {
    std::vector<std::pair<std::string, std::string>> keyed;  // GBK sort key, text
    keyed.reserve(texts.size());
    for (std::string& text : texts) {
        keyed.emplace_back(utf8ToGbk(text), std::move(text));
    }
    // Letters compare without regard to case first, as the station computer's list sorts them.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const std::string la = asciiLower(a.first);
        const std::string lb = asciiLower(b.first);
        return la != lb ? la < lb : a.first < b.first;
    });
    texts.clear();
    for (auto& entry : keyed) {
        texts.push_back(std::move(entry.second));
    }
    return texts;
}

}  // namespace kova
