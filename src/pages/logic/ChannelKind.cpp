#include "pages/logic/ChannelKind.h"

namespace kova {

ChannelKind channelKindOf(int channel, int counterEnd) {
    if (channel < kFirstFrequencyChannel) {
        return ChannelKind::Analog;
    }
    if (channel < kFirstCounterChannel) {
        return ChannelKind::Frequency;
    }
    if (channel < counterEnd) {
        return ChannelKind::Counter;
    }
    return ChannelKind::Unread;
}

}  // namespace kova
