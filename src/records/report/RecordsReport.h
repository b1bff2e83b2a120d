#pragma once
// The verification report of one check: a PDF on A4 with the channel, the calibration it was
// checked against, the check rows with their errors and verdict, a plot, and signature lines.
// Needs a QGuiApplication (the fonts come from it); no widgets.

#include <string>

#include "records/logic/CalibRecord.h"

namespace kova {

struct ReportResult {
    bool written = false;
    std::string reason;  // why not, when not written
    explicit operator bool() const { return written; }
};

// Writes the report of `check` to the host path `pdfPath`. `calibration` is the channel's
// calibration the check converted with (the newest one saved before it), or null when the
// records hold none; the points then come from the table stored with the check.
ReportResult writeCheckReport(const CalibRecord& check, const CalibRecord* calibration,
                              const std::string& pdfPath);

}  // namespace kova
