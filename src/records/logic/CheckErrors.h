#pragma once
// How far a check's readings are from their references, and whether the channel passes.

#include <optional>
#include <span>
#include <vector>

#include "records/logic/CalibRecord.h"

namespace kova {

inline constexpr double kDefaultTolerancePercent = 1.0;

struct CheckRowError {
    double error = 0.0;                        // reading - reference, in the channel's unit
    std::optional<double> percentOfReference;  // none when the reference is 0
    double percentOfFullScale = 0.0;           // 0 when the full scale is 0
};

struct CheckEvaluation {
    std::vector<CheckRowError> rows;
    double fullScale = 0.0;                  // the largest |true value| of the table checked with
    double largestError = 0.0;               // the error of the row with the largest |error|
    double largestPercentOfFullScale = 0.0;  // |largestError| in % of the full scale
    // Whether there is anything to judge against: rows, and a table with a full scale. A check
    // of a channel without a table (a frequency or a counter) is neither passed nor failed.
    bool judged = false;
    bool passed = false;  // judged, and every row within the tolerance
};

inline constexpr const char* kPassedText = "合格";
inline constexpr const char* kFailedText = "不合格";
inline constexpr const char* kNotJudgedText = "无法判定";

// "合格", "不合格", or "无法判定" when there is no full scale to judge against.
const char* verdictText(const CheckEvaluation& evaluation);
// The same for one row.
const char* rowVerdictText(const CheckEvaluation& evaluation, std::size_t row,
                           double tolerancePercent);

// The largest |true value| of a stored table.
double fullScaleOf(const StoredTable& table);

CheckEvaluation evaluateCheck(std::span<const CheckReading> rows, double fullScale,
                              double tolerancePercent);

// The evaluation of a check record against the table it converted with.
CheckEvaluation evaluateCheck(const CalibRecord& check);

}  // namespace kova
