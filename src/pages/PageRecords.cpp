#include "pages/PageRecords.h"

#include "KovaVersion.h"
#include "records/RecordsStore.h"
#include "records/logic/CheckErrors.h"
#include "runtime/Runtime.h"

namespace kova {

void keepRecord(Runtime& rt, CalibRecord record) {
    if (rt.records == nullptr) {
        return;
    }
    record.operatorName = rt.operatorName;
    record.toolVersion = "Calib " + std::string(kProgramVersion);
    const AppendResult result = rt.records->append(std::move(record));
    if (!rt.showStatus) {
        return;
    }
    switch (result.status) {
        case AppendStatus::Stored:
            rt.showStatus("标定记录已保存");
            break;
        case AppendStatus::Queued:
        case AppendStatus::Failed:
            rt.showStatus(result.message);
            break;
    }
}

double recordedTolerance(const Runtime& rt, int channel) {
    return rt.records != nullptr ? rt.records->tolerance(channel) : kDefaultTolerancePercent;
}

}  // namespace kova
