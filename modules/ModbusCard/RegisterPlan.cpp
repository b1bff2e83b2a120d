#include "RegisterPlan.h"

#include <algorithm>
#include <bit>
#include <tuple>

namespace modbuscard {

std::vector<RegisterRead> planReads(const std::vector<ChannelSettings>& channels,
                                    int maxRegisters) {
    std::vector<ChannelSettings> sorted = channels;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return std::tie(a.unit, a.table, a.reg) < std::tie(b.unit, b.table, b.reg);
    });
    std::vector<RegisterRead> reads;
    for (const ChannelSettings& c : sorted) {
        const int end = c.reg + registerCount(c.format);
        if (!reads.empty()) {
            RegisterRead& last = reads.back();
            const int lastEnd = last.start + last.count;
            if (last.unit == c.unit && last.table == c.table && c.reg <= lastEnd &&
                std::max(lastEnd, end) - last.start <= maxRegisters) {
                last.count = std::max(lastEnd, end) - last.start;
                last.members.push_back(c);
                continue;
            }
        }
        reads.push_back(RegisterRead{c.unit, c.table, c.reg, end - c.reg, {c}});
    }
    return reads;
}

std::vector<RegisterRead> splitRead(const RegisterRead& read) {
    std::vector<RegisterRead> singles;
    for (const ChannelSettings& c : read.members) {
        singles.push_back(RegisterRead{c.unit, c.table, c.reg, registerCount(c.format), {c}});
    }
    return singles;
}

RawValue decodeValue(const std::uint16_t* words, Format format, bool highWordFirst) {
    if (registerCount(format) == 1) {
        const std::uint16_t w = words[0];
        return {w, format == Format::Int16 ? static_cast<double>(static_cast<std::int16_t>(w))
                                           : static_cast<double>(w)};
    }
    const std::uint32_t high = highWordFirst ? words[0] : words[1];
    const std::uint32_t low = highWordFirst ? words[1] : words[0];
    const std::uint32_t bits = high << 16 | low;
    switch (format) {
        case Format::Int32:
            return {bits, static_cast<double>(static_cast<std::int32_t>(bits))};
        case Format::Float32:
            return {bits, static_cast<double>(std::bit_cast<float>(bits))};
        default:
            return {bits, static_cast<double>(bits)};
    }
}

double counterDelta(Format format, const RawValue& now, const RawValue& base) {
    const std::uint32_t d = now.bits - base.bits;
    switch (format) {
        case Format::Int16:
            return static_cast<std::int16_t>(static_cast<std::uint16_t>(d));
        case Format::Uint16:
            return static_cast<std::uint16_t>(d);
        case Format::Int32:
            return static_cast<std::int32_t>(d);
        case Format::Uint32:
            return d;
        case Format::Float32:
            break;
    }
    return now.value - base.value;
}

}  // namespace modbuscard
