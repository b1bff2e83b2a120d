#pragma once
// How the acquisition card's entry points number what they read and switch. The hardware module
// passes the numbers through unchanged, so every card module answers on them and the windows ask
// by them.

namespace kova::card {

inline constexpr int kAnalogChannels = 100;         // 0-99
inline constexpr int kFirstFrequencyChannel = 100;  // 100-299
inline constexpr int kFirstCounterChannel = 300;    // 300 and above
inline constexpr int kDigitalInputs = 16;
inline constexpr int kDigitalOutputs = 24;

}  // namespace kova::card
