#include "DataDeal.h"

float DataDeal::Average(const float* values, int count) const {
    if (values == nullptr || count <= 0) {
        return 0.0f;
    }
    // Summed in double: a burst of 80 samples loses nothing to rounding.
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        sum += values[i];
    }
    return static_cast<float>(sum / count);
}

float DataDeal::GetMax(const float* values, int count) const {
    if (values == nullptr || count <= 0) {
        return 0.0f;
    }
    float largest = values[0];
    for (int i = 1; i < count; ++i) {
        if (values[i] > largest) {
            largest = values[i];
        }
    }
    return largest;
}
