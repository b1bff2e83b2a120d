#include "pages/logic/CalibPoints.h"

#include "calib/CalibList.h"
#include "config/ChannelList.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {

namespace {

constexpr std::string_view kNoChannelMessage = "没有选择设备通道！请在左边项目列表中选择一项。";
constexpr std::string_view kNoVoltMessage = "请填入电压值（单位V）";
constexpr std::string_view kNoTrueValueMessage = "请填入实际值";
constexpr std::string_view kNotANumberMessage = "标定值请填入数字！";
constexpr std::string_view kNotANumberCaption = "KOVA 提示";

float singleOf(std::string_view text) {
    return toSingle(parseLeadingDouble(text));
}

PointRefusal plainRefusal(std::string_view text) {
    return {std::string(text), std::string(kPageCaption), MessageIcon::Exclamation};
}

}  // namespace

bool isTrueValueText(std::string_view text) {
    if (text.starts_with("-.")) {
        return false;
    }
    bool seenPoint = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-') {
            if (i != 0) {
                return false;
            }
        } else if (c == '.') {
            if (i == 0 || seenPoint) {
                return false;
            }
            seenPoint = true;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

AddPointDecision decideAddPoint(std::string_view channelDisplay, std::string_view volt,
                                std::string_view trueValue,
                                std::span<const std::string> voltTexts) {
    if (channelDisplay == kNoChannelText) {
        return {plainRefusal(kNoChannelMessage)};
    }
    if (volt.empty()) {
        return {plainRefusal(kNoVoltMessage)};
    }
    if (trueValue.empty()) {
        return {plainRefusal(kNoTrueValueMessage)};
    }
    if (!isTrueValueText(cutToGbkBytes(trueValue, kTrueValueCheckBytes))) {
        return {PointRefusal{std::string(kNotANumberMessage), std::string(kNotANumberCaption),
                             MessageIcon::Error}};
    }
    // Compared as the stored table holds them: "1.0" typed finds the row "1.000".
    const float v = singleOf(volt);
    for (std::size_t row = 0; row < voltTexts.size(); ++row) {
        if (singleOf(cutToGbkBytes(voltTexts[row], kVoltCellBytes)) == v) {
            return {std::nullopt, static_cast<int>(row)};
        }
    }
    return {};
}

std::vector<CalibRow> storedPointRows(std::string_view voltValue, std::string_view dataValue) {
    std::vector<std::string> volts = splitList(voltValue);
    std::vector<CalibRow> rows(volts.size());
    for (std::size_t i = 0; i < volts.size(); ++i) {
        rows[i].volt = std::move(volts[i]);
    }
    // A "Data" token without a row of its own has nowhere to go.
    const std::vector<std::string> data = splitList(dataValue);
    for (std::size_t i = 0; i < rows.size() && i < data.size(); ++i) {
        rows[i].data = data[i];
    }
    return rows;
}

}  // namespace kova
