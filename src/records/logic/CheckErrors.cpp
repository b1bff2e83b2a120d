#include "records/logic/CheckErrors.h"

#include <array>
#include <cmath>

#include "calib/CalibList.h"
#include "calib/CalibTable.h"

namespace kova {

double fullScaleOf(const StoredTable& table) {
    std::array<float, kCalibTablePoints> data{};
    const int count = parseCalibList(table.data, data);
    double largest = 0.0;
    for (int i = 0; i < count; ++i) {
        largest =
            std::max(largest, std::fabs(static_cast<double>(data[static_cast<std::size_t>(i)])));
    }
    return largest;
}

CheckEvaluation evaluateCheck(std::span<const CheckReading> rows, double fullScale,
                              double tolerancePercent) {
    CheckEvaluation result;
    result.fullScale = fullScale;
    result.judged = fullScale > 0.0 && !rows.empty();
    result.passed = result.judged;
    for (const CheckReading& row : rows) {
        CheckRowError e;
        e.error = row.reading - row.reference;
        if (row.reference != 0.0) {
            e.percentOfReference = e.error / std::fabs(row.reference) * 100.0;
        }
        if (fullScale > 0.0) {
            e.percentOfFullScale = std::fabs(e.error) / fullScale * 100.0;
        }
        if (std::fabs(e.error) > std::fabs(result.largestError) || result.rows.empty()) {
            result.largestError = e.error;
            result.largestPercentOfFullScale = e.percentOfFullScale;
        }
        // Without a full scale no error can be judged against it: only an exact reading passes.
        const bool within =
            fullScale > 0.0 ? e.percentOfFullScale <= tolerancePercent : e.error == 0.0;
        result.passed = result.passed && within;
        result.rows.push_back(e);
    }
    return result;
}

const char* verdictText(const CheckEvaluation& evaluation) {
    if (!evaluation.judged) {
        return kNotJudgedText;
    }
    return evaluation.passed ? kPassedText : kFailedText;
}

const char* rowVerdictText(const CheckEvaluation& evaluation, std::size_t row,
                           double tolerancePercent) {
    if (!evaluation.judged || row >= evaluation.rows.size()) {
        return kNotJudgedText;
    }
    return evaluation.rows[row].percentOfFullScale <= tolerancePercent ? kPassedText : kFailedText;
}

CheckEvaluation evaluateCheck(const CalibRecord& check) {
    return evaluateCheck(check.rows, fullScaleOf(check.after), check.tolerancePercent);
}

}  // namespace kova
