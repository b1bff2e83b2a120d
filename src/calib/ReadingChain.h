#pragma once
// The reading chain of a sampling window: one burst of raw samples from the card, its average,
// the window's sliding average, the system library's digital filter. Both sampling windows use
// it, each with its own MathHD and DataDeal and the one shared sample buffer.

#include "calib/MathHD.h"
#include "calib/SampleBuffer.h"

class CExtModule;
class DataDeal;

namespace kova {

class SystemLibrary;

// What one tick gives.
struct ChainReading {
    bool ready = false;      // false: the sliding average is still filling, nothing to show
    float burstAverage = 0;  // the burst's unfiltered average (the calibration page logs it)
    float value = 0;         // the reading, when ready: sliding average, then filter
};

// The filter slot both windows use.
inline constexpr int kChainFilterSlot = 0;

// A burst count within what the shared buffer holds: 1 to 80. Counts above 80 can only come
// from a hand-edited Calib.ini; 0 or less would average nothing.
int boundedBurstCount(int burstCount);

class ReadingChain {
  public:
    ReadingChain(CExtModule& card, SystemLibrary& system, SampleBuffer& samples);

    // One tick on analog channel `channel`: `burstCount` samples, averaged by `deal`, added to
    // `average`; when that is ready, filtered with `coefficient`.
    ChainReading tick(int channel, int burstCount, MathHD& average, const DataDeal& deal,
                      float coefficient);

  private:
    CExtModule& card_;
    SystemLibrary& system_;
    SampleBuffer& samples_;
};

}  // namespace kova
