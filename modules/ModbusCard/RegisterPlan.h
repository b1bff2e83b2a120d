#pragma once
// How the configured channels are read: neighbouring registers of one unit and table in one
// request, and how a value is taken from the words the unit answered.

#include <cstdint>
#include <vector>

#include "ModbusSettings.h"

namespace modbuscard {

// The most registers one read may ask for (functions 3 and 4).
inline constexpr int kMaxRegistersPerRead = 125;

struct RegisterRead {
    int unit = 1;
    Table table = Table::Input;
    int start = 0;
    int count = 0;
    std::vector<ChannelSettings> members;  // each lies within [start, start + count)
};

// One request for every run of channels whose registers touch or overlap, on the same unit and
// table, up to kMaxRegistersPerRead registers; ordered by unit, table and address.
std::vector<RegisterRead> planReads(const std::vector<ChannelSettings>& channels,
                                    int maxRegisters = kMaxRegistersPerRead);

// One request for each member of a read: for a group that the unit refused, so that only the
// channel at fault carries the exception.
std::vector<RegisterRead> splitRead(const RegisterRead& read);

// A value as the unit sent it: its bits (for counter differences) and its number.
struct RawValue {
    std::uint32_t bits = 0;
    double value = 0.0;
};

// The value of a channel whose first register is words[0].
RawValue decodeValue(const std::uint16_t* words, Format format, bool highWordFirst);

// How far a counter has moved from `base` to `now`, across a wrap of the format's width: an
// unsigned counter always counts on, a signed one may also count back.
double counterDelta(Format format, const RawValue& now, const RawValue& base);

}  // namespace modbuscard
