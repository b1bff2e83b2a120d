#pragma once
// How a card channel number is read: the card numbers its analog inputs below 100, its frequency
// inputs from 100 and its counters from 300. Where the counters end depends on the window: the
// calibration page reads none from 700 on, the check window none from 1000 on.

#include "device/CardChannels.h"

namespace kova {

enum class ChannelKind {
    Analog,     // below 100: the reading chain
    Frequency,  // 100 to 299: the card's frequency
    Counter,    // 300 up to the window's counter end: the card's counter
    Unread,     // from the counter end on: nothing is read or shown
};

using card::kFirstCounterChannel;
using card::kFirstFrequencyChannel;
// The first channel number each window no longer reads.
inline constexpr int kPageCounterEnd = 700;
inline constexpr int kCheckCounterEnd = 1000;

ChannelKind channelKindOf(int channel, int counterEnd);

}  // namespace kova
