// The calibration page's points list: the chosen channel's stored table, adding, deleting and
// clearing points, and saving them as the channel's table.

#include <QComboBox>
#include <QLineEdit>

#include "calib/CalibSave.h"
#include "calib/CalibSection.h"
#include "controls/Dialogs.h"
#include "controls/EditListCtrl.h"
#include "controls/WidgetText.h"
#include "controls/WriteFailure.h"
#include "pages/Dialog_Tdcab.h"
#include "pages/PageRecords.h"
#include "pages/logic/CalibPoints.h"
#include "pages/logic/LinkState.h"
#include "pages/logic/SaveRecords.h"
#include "platform/IniFile.h"
#include "platform/TextCodec.h"
#include "runtime/Runtime.h"

namespace {

constexpr const char* kClearQuestion = "确实要删除该通道的全部标定数据？";
constexpr const char* kSavedMessage = "该通道标定数据保存完毕！";
// Read buffer of a stored "Volt" or "Data" list; the points' cells are read back cut to 49 bytes.
constexpr std::size_t kStoredListBuffer = 2048;
constexpr std::size_t kPointCellBytes = 49;

std::string pointCell(const CEditListCtrl& list, int row, int column) {
    return std::string(kova::cutToGbkBytes(list.GetItemText(row, column), kPointCellBytes));
}

void appendRow(CEditListCtrl& list, const std::string& volt, const std::string& data) {
    const int row = list.InsertItem(list.GetItemCount(), volt);
    list.SetItemText(row, 1, data);
}

}  // namespace

void Dialog_Tdcab::LoadPoints(const std::string& number) {
    pointsList_->DeleteAllItems();
    const std::string section = kova::calibSectionName(number);
    const kova::IniFile ini(rt_.CalibIniPath);
    const std::string volt = ini.readString(section, "Volt", "", kStoredListBuffer);
    const std::string data = ini.readString(section, "Data", "", kStoredListBuffer);
    for (const kova::CalibRow& stored : kova::storedPointRows(volt, data)) {
        appendRow(*pointsList_, stored.volt, stored.data);
    }
}

void Dialog_Tdcab::OnAdd() {
    if (linkState_ != kova::kReadingFresh) {
        kova::dialogs().message(this, std::string(kova::kNoValidReading),
                                std::string(kova::kPageCaption), kova::MessageIcon::Exclamation);
        return;
    }
    const std::string volt = kova::textOf(*voltField_);
    const std::string trueValue = kova::textOf(*trueValueField_);
    std::vector<std::string> volts;
    volts.reserve(static_cast<std::size_t>(pointsList_->GetItemCount()));
    for (int row = 0; row < pointsList_->GetItemCount(); ++row) {
        volts.push_back(pointCell(*pointsList_, row, 0));
    }
    const kova::AddPointDecision decision =
        kova::decideAddPoint(DisplayText(), volt, trueValue, volts);
    if (decision.refusal) {
        kova::dialogs().message(this, decision.refusal->text, decision.refusal->caption,
                                decision.refusal->icon);
        return;
    }
    if (decision.replaceRow >= 0) {
        pointsList_->SetItemText(decision.replaceRow, 1, trueValue);
        return;
    }
    appendRow(*pointsList_, volt, trueValue);
}

void Dialog_Tdcab::OnDblclkPoints() {
    pointsList_->DeleteSelectedAfterAsking(this);
}

void Dialog_Tdcab::OnClear() {
    if (kova::dialogs().question(this, kClearQuestion)) {
        pointsList_->DeleteAllItems();
    }
}

std::vector<kova::CalibRow> Dialog_Tdcab::pointRows() const {
    std::vector<kova::CalibRow> rows;
    rows.reserve(static_cast<std::size_t>(pointsList_->GetItemCount()));
    for (int row = 0; row < pointsList_->GetItemCount(); ++row) {
        rows.push_back({pointCell(*pointsList_, row, 0), pointCell(*pointsList_, row, 1)});
    }
    return rows;
}

void Dialog_Tdcab::OnSave() {
    const std::vector<kova::CalibRow> rows = pointRows();
    if (rows.size() > kova::kCalibMaxSavedPoints) {
        Message(std::string(kova::kCalibTooManyPointsMessage));
        return;
    }
    // Without a channel there is no table to write: a section "未选择通道" helps nobody.
    if (!ChannelChosen()) {
        return;
    }
    const kova::IniFile ini(rt_.CalibIniPath);
    const std::string number = DisplayText();
    const kova::StoredTable before = kova::storedTableOf(ini, number);
    const kova::CalibSaveResult saved =
        kova::saveCalibTable(ini, kova::calibSectionName(number), rows);
    if (!saved) {
        // A table that did not reach the file is never reported as saved.
        kova::reportWriteFailure(this, "该通道标定数据保存失败：", saved.error, saved.reason,
                                 kova::kPageCaption, &rt_.AcqLog);
        return;
    }
    kova::CalibRecord record;
    record.kind = kova::RecordKind::Calibration;
    record.channel =
        kova::recordChannel(store_, kova::textOf(*stationBox_), kova::textOf(*deviceBox_), number);
    record.before = before;
    record.after = kova::storedTableOf(ini, number);
    kova::keepRecord(rt_, std::move(record));
    kova::dialogs().message(this, kSavedMessage, std::string(kova::kPageCaption),
                            kova::MessageIcon::Information);
}
