#pragma once
// The sample buffer both sampling windows share: the hardware module fills it with a burst of raw
// voltages and the burst is averaged from it.

#include <array>

namespace kova {

// Samples the buffer holds: the largest burst the settings dialog offers.
inline constexpr int kSampleBufferSize = 80;

struct SampleBuffer {
    std::array<float, kSampleBufferSize> samples{};
};

// The process-wide buffer; used on the window thread only.
SampleBuffer& sharedSampleBuffer();

}  // namespace kova
