#pragma once
// Building calibration tables in tests.

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "calib/CalibTable.h"

namespace kova::testing {

// A table holding exactly the given (volt, data) points; the entries beyond them are zero.
inline CalibTable tableOf(std::initializer_list<std::pair<float, float>> points) {
    CalibTable t;
    std::fill(std::begin(t.volt), std::end(t.volt), 0.0f);
    std::fill(std::begin(t.data), std::end(t.data), 0.0f);
    t.count = 0;
    for (const auto& [v, d] : points) {
        t.volt[t.count] = v;
        t.data[t.count] = d;
        ++t.count;
    }
    return t;
}

}  // namespace kova::testing
