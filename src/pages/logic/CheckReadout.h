#pragma once
// The calibration check window without its window: how a channel is read, what the readout shows
// for a calibrated value, what "减零点" does, the graph's value range and the log line.

#include <string>
#include <string_view>

#include "calib/CalibTable.h"
#include "config/ChannelRecords.h"
#include "pages/logic/ChannelKind.h"

namespace kova {

// How the check window reads a card channel: counters up to 999. An analog reading goes through
// the table, precision, sign, zeroing and zero band; a frequency is converted, shown with one
// decimal and mirrored with its unit; a counter likewise but never mirrored.
using CheckedKind = ChannelKind;
CheckedKind checkedKindOf(int channel);

// What "减零点" does while zeroing is off.
enum class ZeroAction {
    ZeroReading,    // analog: the current calibrated value becomes the zero offset
    ResetCounters,  // 301 to 699: the card's counters are reset, the button stays
    Nothing,
};

ZeroAction zeroActionOf(int channel);

// The readout text of an analog channel's calibrated value: less the zero offset while zeroing,
// its magnitude unless the channel is signed, with the channel's decimals; "0" when that text
// reads as a number strictly inside a zero band (a band of 0 and 0 is none). The decimals are
// the stored precision, which the store keeps within 0 to 6.
std::string checkReadoutText(float value, const ChannelParams& params, bool zeroing,
                             float zeroOffset);

// The value axis of the graph runs from -top to top: the table's largest true value plus 5, or
// 100 for an empty table. A table whose largest value is -5 or less would give an empty or
// reversed range; it gets the largest magnitude plus 5 instead, so every point stays in view.
double checkValueAxisTop(const CalibTable& table);

// The acquisition log's line of an analog tick: "volt: %f    data: %s\r\n".
std::string checkLogLine(float volt, std::string_view shown);

}  // namespace kova
