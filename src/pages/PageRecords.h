#pragma once
// The pages' side of the calibration records: a successful save of the calibration page or of
// the check window becomes a record; the status line says what became of it. The page's own
// save has already succeeded: a record that cannot be stored never turns it into a failure.

#include "records/logic/CalibRecord.h"

namespace kova {

struct Runtime;

// Stamps the record with the operator and the tool's version and appends it to the station's
// records, which give it its time. Nothing happens while the tool keeps no records.
void keepRecord(Runtime& rt, CalibRecord record);

// The channel's tolerance as the records hold it (the default while none are kept).
double recordedTolerance(const Runtime& rt, int channel);

}  // namespace kova
