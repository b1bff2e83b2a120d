#include "pages/SlidingAverages.h"

namespace kova {

MathHD& calibPageAverage() {
    static MathHD average;
    return average;
}

MathHD& checkWindowAverage() {
    static MathHD average;
    return average;
}

}  // namespace kova
