#include "calib/ReadingChain.h"

#include <algorithm>

#include "DataDeal.h"
#include "device/CExtModule.h"
#include "device/SystemLibrary.h"

namespace kova {

int boundedBurstCount(int burstCount) {
    return std::clamp(burstCount, 1, kSampleBufferSize);
}

ReadingChain::ReadingChain(CExtModule& card, SystemLibrary& system, SampleBuffer& samples)
    : card_(card), system_(system), samples_(samples) {}

ChainReading ReadingChain::tick(int channel, int burstCount, MathHD& average, const DataDeal& deal,
                                float coefficient) {
    const int count = boundedBurstCount(burstCount);
    card_.ExtGetAnalog(channel, samples_.samples.data(), count);
    ChainReading reading;
    reading.burstAverage = deal.Average(samples_.samples.data(), count);
    float v = reading.burstAverage;
    average.Add(v);
    if (average.GetAverage(v) == 0) {
        return reading;
    }
    reading.ready = true;
    reading.value = system_.Filter_1(kChainFilterSlot, v, coefficient);
    return reading;
}

}  // namespace kova
