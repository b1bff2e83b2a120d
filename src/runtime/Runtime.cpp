#include "runtime/Runtime.h"

#include <algorithm>

namespace kova {

int boundedPeriodMs(int ms) {
    return std::max(ms, kShortestPeriodMs);
}

int boundedSlidingLength(int hdnum) {
    return std::min(hdnum, kLongestSlidingAverage);
}

Runtime& runtime() {
    static Runtime instance;
    return instance;
}

}  // namespace kova
