#include "config/ChannelWrites.h"

#include "config/ChannelKeys.h"
#include "config/ChannelRows.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

std::string cut(std::string_view text, std::size_t maxBytes) {
    return std::string(cutToGbkBytes(text, maxBytes));
}

class WriteList {
  public:
    WriteList(std::string deviceSection, std::vector<IniWrite>& writes)
        : device_(std::move(deviceSection)), writes_(writes) {}

    void device(std::string key, std::string value) {
        writes_.push_back({device_, std::move(key), std::move(value)});
    }
    void other(std::string section, std::string_view key, std::string value) {
        writes_.push_back({std::move(section), std::string(key), std::move(value)});
    }

  private:
    std::string device_;
    std::vector<IniWrite>& writes_;
};

void addAnalog(WriteList& out, const AnalogChannel& row, std::string& list) {
    const std::string keyword = cut(row.keyword, kKeywordBytes);
    const std::string number = cut(row.number, kNumberBytes);
    const std::string about = cut(row.About, kAboutBytes);
    const std::string precision = savedPrecision(cut(row.JingDu, kFieldBytes));

    list += keyword + ",";
    out.device(keyword, number);
    out.device(keyword + std::string(kAboutSuffix), about);
    out.device(keyword + std::string(kJingDuSuffix), precision);
    for (const AnalogTailField& field : kAnalogTailFields) {
        out.device(keyword + std::string(field.suffix), cut(row.*field.member, kFieldBytes));
    }

    const std::string section = calibSectionName(number);
    out.other(section, kPointKey, precision);
    out.other(section, kAboutKey, about);
    for (const AnalogTailField& field : kAnalogTailFields) {
        out.other(section, field.channelKey, cut(row.*field.member, kFieldBytes));
    }
}

void addDigital(WriteList& out, DigitalKind kind, const std::vector<DigitalChannel>& rows,
                std::string_view listKey) {
    std::string list;
    for (const DigitalChannel& row : rows) {
        const std::string keyword = cut(row.keyword, kKeywordBytes);
        const std::string number = cut(row.number, kNumberBytes);
        const std::string about = cut(row.About, kAboutBytes);
        out.other(digitalSection(kind, number), kAboutKey, about);
        list += keyword + ",";
        out.device(keyword, number);
        out.device(keyword + std::string(kAboutSuffix), about);
    }
    out.device(std::string(listKey), std::move(list));
}

// The text a save writes for the cell in `column` of a row (the page's column order).
std::string savedCell(std::size_t column, std::string_view text) {
    switch (column) {
        case 0:
            return cut(text, kKeywordBytes);
        case 1:
            return cut(text, kNumberBytes);
        case 2:
            return cut(text, kAboutBytes);
        case 3:
            return savedPrecision(cut(text, kFieldBytes));
        default:
            return cut(text, kFieldBytes);
    }
}

// Why the ini layer would refuse a saved cell: the keyword as a key, the number as the start of
// its channel section's name, everything as a value.
std::string cellRefusal(const IniDocument& doc, std::size_t column, const std::string& cell,
                        const std::string& sectionSuffix) {
    switch (column) {
        case 0:
            return iniWriteRefusal(doc, {"s", cell, cell});
        case 1:
            return iniWriteRefusal(doc, {cell + sectionSuffix, "k", cell});
        default:
            return iniWriteRefusal(doc, {"s", "k", cell});
    }
}

template <typename Row, std::size_t N>
std::optional<UnsavableCell> firstInRows(const IniDocument& doc, ChannelListKind list,
                                         const std::vector<Row>& rows,
                                         const std::array<ChannelColumn<Row>, N>& columns,
                                         const std::string& sectionSuffix) {
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < N; ++column) {
            const std::string cell = savedCell(column, rows[row].*columns[column].field);
            std::string reason = cellRefusal(doc, column, cell, sectionSuffix);
            if (!reason.empty()) {
                return UnsavableCell{list, row, column, std::move(reason)};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<UnsavableCell> firstUnsavableCell(const IniDocument& doc, const ChannelLists& lists) {
    if (auto cell = firstInRows(doc, ChannelListKind::Analog, lists.analog, kAnalogColumns,
                                calibSectionName(""))) {
        return cell;
    }
    if (auto cell = firstInRows(doc, ChannelListKind::Input, lists.inputs, kDigitalColumns,
                                digitalSection(DigitalKind::Input, ""))) {
        return cell;
    }
    return firstInRows(doc, ChannelListKind::Output, lists.outputs, kDigitalColumns,
                       digitalSection(DigitalKind::Output, ""));
}

std::string savedPrecision(std::string_view jingDu) {
    const int value = parseLeadingInt(jingDu);
    if (value < 0 || value > 6) {
        return "0";
    }
    return std::string(jingDu);
}

std::vector<IniWrite> channelWrites(std::string_view deviceName, const ChannelLists& lists) {
    std::vector<IniWrite> writes;
    const std::size_t perAnalogRow = 5 + 2 * kAnalogTailFields.size();
    writes.reserve(lists.analog.size() * perAnalogRow +
                   (lists.outputs.size() + lists.inputs.size()) * 3 + 3);
    WriteList out(cut(deviceName, kDeviceNameBytes), writes);

    std::string analogList;
    for (const AnalogChannel& row : lists.analog) {
        addAnalog(out, row, analogList);
    }
    out.device(std::string(kAnalogListKey), std::move(analogList));

    addDigital(out, DigitalKind::Output, lists.outputs, kOutputListKey);
    addDigital(out, DigitalKind::Input, lists.inputs, kInputListKey);
    return writes;
}

}  // namespace kova
