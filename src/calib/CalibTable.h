#pragma once
// One channel's calibration table. The type itself is public (sibling programs pass it across
// libCalib by value and by address); the layout is fixed here at compile time.

#include <cstddef>

#include "calib/Calib.h"

namespace kova {

// Points a table holds.
inline constexpr int kCalibTablePoints = CALIB_MAX_POINTS;

static_assert(sizeof(float) == 4 && sizeof(CalibTable) == 404, "CalibTable is 101 words");
static_assert(offsetof(CalibTable, count) == 0);
static_assert(offsetof(CalibTable, volt) == 4);
static_assert(offsetof(CalibTable, data) == 204);
static_assert(alignof(CalibTable) == 4);

}  // namespace kova
