#include "controls/DialogUnits.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace kova {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t divisor = denominator;
    // Half of the divisor added to the magnitude rounds half away from zero.
    const std::int64_t half = std::abs(divisor) / 2;
    const std::int64_t magnitude = (std::abs(product) + half) / std::abs(divisor);
    const std::int64_t result = (product < 0) != (divisor < 0) ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(result);
}

}  // namespace kova
