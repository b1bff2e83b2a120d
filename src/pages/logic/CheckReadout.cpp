#include "pages/logic/CheckReadout.h"

#include <algorithm>
#include <cmath>

#include "DataDeal.h"
#include "platform/Numbers.h"

namespace kova {

namespace {

// Counters are reset only strictly between these two.
constexpr int kCounterResetAbove = 300;
constexpr int kCounterResetBelow = 700;

constexpr double kAxisMargin = 5.0;
constexpr double kEmptyTableAxisTop = 100.0;

}  // namespace

CheckedKind checkedKindOf(int channel) {
    return channelKindOf(channel, kCheckCounterEnd);
}

ZeroAction zeroActionOf(int channel) {
    if (channel < kFirstFrequencyChannel) {
        return ZeroAction::ZeroReading;
    }
    if (channel > kCounterResetAbove && channel < kCounterResetBelow) {
        return ZeroAction::ResetCounters;
    }
    return ZeroAction::Nothing;
}

std::string checkReadoutText(float value, const ChannelParams& params, bool zeroing,
                             float zeroOffset) {
    float x = zeroing ? value - zeroOffset : value;
    if (!params.showSign) {
        x = std::fabs(x);
    }
    std::string text = formatFixed(x, params.precision);
    const bool noBand = params.zeroLow == 0.0f && params.zeroHigh == 0.0f;
    if (!noBand) {
        // The band applies to the number as shown, not to the unrounded value.
        const double shown = parseLeadingDouble(text);
        if (params.zeroLow < shown && shown < params.zeroHigh) {
            text = "0";
        }
    }
    return text;
}

double checkValueAxisTop(const CalibTable& table) {
    const int count = std::min<int>(table.count, kCalibTablePoints);
    if (count <= 0) {
        return kEmptyTableAxisTop;
    }
    const double top = static_cast<double>(DataDeal{}.GetMax(table.data, count)) + kAxisMargin;
    if (top > 0.0) {
        return top;
    }
    float largest = 0.0f;
    for (int i = 0; i < count; ++i) {
        largest = std::max(largest, std::fabs(table.data[i]));
    }
    return static_cast<double>(largest) + kAxisMargin;
}

std::string checkLogLine(float volt, std::string_view shown) {
    std::string line = "volt: " + formatFixed(volt, 6) + "    data: ";
    line.append(shown);
    line += "\r\n";
    return line;
}

}  // namespace kova
