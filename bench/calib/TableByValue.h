#pragma once
// The floor under GetTrueDat: a call that takes the 404-byte table by value as the exported
// function does, and does nothing with it. Compiled apart so that the caller must copy the table.

#include "calib/CalibTable.h"

namespace kova::bench {

float passTableByValue(float volt, CalibTable table);

}  // namespace kova::bench
