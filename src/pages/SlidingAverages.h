#pragma once
// The sliding averages of the two sampling windows. They live for the whole run (the check window
// comes and goes, its average stays); the main window frees both buffers when it closes.

#include "calib/MathHD.h"

namespace kova {

// The calibration page's.
MathHD& calibPageAverage();
// The calibration check window's.
MathHD& checkWindowAverage();

}  // namespace kova
