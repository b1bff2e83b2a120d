#pragma once
// The data-processing library's averager: plain statistics over the first `count` values of a
// float array. A count of 0 or less, or a null array, gives 0.

#if defined(QUORVEL_BUILDING_LIBRARY)
#define QUORVEL_API __attribute__((visibility("default")))
#else
#define QUORVEL_API
#endif

class QUORVEL_API DataDeal {
  public:
    // The mean of values[0 .. count-1].
    float Average(const float* values, int count) const;
    // The largest of values[0 .. count-1].
    float GetMax(const float* values, int count) const;
};
