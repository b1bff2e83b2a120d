#include "pages/RecordsPage.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "controls/Dialogs.h"
#include "controls/EditListCtrl.h"
#include "controls/GraphCtrl.h"
#include "controls/Placement.h"
#include "controls/StationPicker.h"
#include "controls/WidgetText.h"
#include "pages/PageFonts.h"
#include "platform/Numbers.h"
#include "records/RecordsCsv.h"
#include "records/RecordsStore.h"
#include "records/logic/CheckErrors.h"
#include "records/report/RecordsReport.h"
#include "records/report/ReportPlot.h"
#include "runtime/Runtime.h"

namespace {

constexpr const char* kCaption = "标定记录";
constexpr const char* kNoRecords = "本站未保存标定记录：记录数据库未能打开。";
constexpr const char* kChooseChannel = "请先选择一个通道。";
constexpr const char* kNoCheck = "该通道没有校验记录，不能生成报告。";
constexpr const char* kToleranceRule = "允差应为大于0、不大于100的数（%FS）。";

const QColor kBeforeColor(160, 160, 160);
const QColor kAfterColor(0, 255, 0);
const QColor kCheckColor(255, 80, 80);

std::string number(double value, int decimals = 3) {
    return kova::formatFixed(value, decimals);
}

// A file name without characters file systems refuse.
std::string fileNamePart(std::string text) {
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return std::string_view("\\/:*?\"<>| ").find(c) != std::string_view::npos; },
        '_');
    return text;
}

}  // namespace

RecordsPage::RecordsPage(kova::Runtime& rt, QWidget* parent)
    : TabPage([&rt] { return kova::qRectOf(rt.PageAreaRect); }, parent),
      rt_(rt),
      store_(rt.channelIniPaths()) {
    setWindowTitle(QStringLiteral("Calib"));
    resize(kova::dialogUnitSize(486, 293));  // the main window's page area
    BuildControls();
    SetUpLists();
    kova::fillStations(*stationBox_, *deviceBox_, store_);
    if (rt_.records == nullptr) {
        note_->setText(kova::qs(kNoRecords));
    }
    AttachLayout();
    Relayout();
    StartFollowingPageArea();
}

RecordsPage::~RecordsPage() = default;

void RecordsPage::BuildControls() {
    kova::placeLabel("工位：", this, kova::dialogUnitRect(8, 3, 104, 9));
    stationBox_ = kova::place(new QComboBox(this), kova::dialogUnitRect(8, 13, 104, 22));
    kova::placeLabel("设备：", this, kova::dialogUnitRect(118, 3, 150, 9));
    deviceBox_ = kova::place(new QComboBox(this), kova::dialogUnitRect(118, 13, 150, 22));
    kova::placeLabel("通道：", this, kova::dialogUnitRect(274, 3, 110, 9));
    channelBox_ = kova::place(new QComboBox(this), kova::dialogUnitRect(274, 13, 110, 22));
    kova::placeLabel("允差(%FS)：", this, kova::dialogUnitRect(390, 3, 90, 9));
    tolerance_ = kova::place(new QLineEdit(this), kova::dialogUnitRect(390, 13, 44, 22));
    setTolerance_ = kova::placeButton("设 定", this, kova::dialogUnitRect(436, 13, 44, 22),
                                      &RecordsPage::OnSetTolerance);

    history_ = kova::place(new CEditListCtrl(this), kova::dialogUnitRect(8, 42, 472, 112));
    points_ = kova::place(new CEditListCtrl(this), kova::dialogUnitRect(8, 160, 230, 116));
    graph_ = new CGraphCtrl(this);
    graph_->Create(kova::dialogUnitRect(244, 160, 236, 96), this);
    report_ = kova::placeButton("导出报告...", this, kova::dialogUnitRect(244, 260, 114, 18),
                                &RecordsPage::OnExportReport);
    csv_ = kova::placeButton("导出CSV...", this, kova::dialogUnitRect(366, 260, 114, 18),
                             &RecordsPage::OnExportCsv);
    note_ = kova::place(new QLabel(this), kova::dialogUnitRect(8, 280, 472, 10));

    connect(stationBox_, &QComboBox::activated, this, [this](int) { OnSelchangeStation(); });
    connect(deviceBox_, &QComboBox::activated, this, [this](int) { OnSelchangeDevice(); });
    connect(channelBox_, &QComboBox::activated, this, [this](int) { OnSelchangeChannel(); });
    connect(history_, &QTableWidget::itemSelectionChanged, this, &RecordsPage::OnSelchangeRecord);
}

void RecordsPage::SetUpLists() {
    for (CEditListCtrl* list : {history_, points_}) {
        list->SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect);
        list->SetTextColor(kova::kPageListText);
        list->SetBkColor(kova::kPageListBack);
        list->SetEditLabels(false);
        list->setFont(kova::createFont(kova::kPageListFont));
    }
    int column = 0;
    for (const auto& [heading, width] :
         std::initializer_list<std::pair<const char*, int>>{{"时间", 150},
                                                            {"类型", 50},
                                                            {"操作员", 90},
                                                            {"点数", 50},
                                                            {"最大误差", 110},
                                                            {"%FS", 70},
                                                            {"允差", 60},
                                                            {"结论", 70}}) {
        history_->InsertColumn(column++, heading, CEditListCtrl::FormatLeft, width);
    }
    for (int c = 0; c < 4; ++c) {
        points_->InsertColumn(c, "", CEditListCtrl::FormatLeft, 84);
    }
    graph_->SetXTitle("Volt（V）");
    graph_->SetYTitle("Data");
}

void RecordsPage::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    if (workingChannel) {
        if (const auto working = workingChannel()) {
            const std::string key =
                working->station + "/" + working->device + "/" + working->number;
            if (key != followed_) {
                followed_ = key;
                ShowChannel(working->station, working->device, working->number);
                return;  // shown afresh
            }
        }
    }
    // Saves on the other pages since the page was last shown.
    Reload();
}

bool RecordsPage::ShowChannel(const std::string& station, const std::string& device,
                              const std::string& number) {
    const int stationIndex = stationBox_->findText(kova::qs(station));
    if (stationIndex < 0) {
        return false;
    }
    stationBox_->setCurrentIndex(stationIndex);
    kova::fillDevices(*deviceBox_, store_, station);
    const int deviceIndex = deviceBox_->findText(kova::qs(device));
    if (deviceIndex < 0) {
        OnSelchangeDevice();
        return false;
    }
    deviceBox_->setCurrentIndex(deviceIndex);
    OnSelchangeDevice();
    for (std::size_t i = 0; i < analog_.size(); ++i) {
        if (analog_[i].number == number) {
            channelBox_->setCurrentIndex(static_cast<int>(i));
            OnSelchangeChannel();
            return true;
        }
    }
    return false;
}

void RecordsPage::OnSelchangeStation() {
    kova::fillDevices(*deviceBox_, store_, kova::textOf(*stationBox_));
    OnSelchangeDevice();
}

void RecordsPage::OnSelchangeDevice() {
    channelBox_->clear();
    analog_.clear();
    if (deviceBox_->currentIndex() >= 0) {
        analog_ = store_.LoadChannels(kova::textOf(*deviceBox_)).analog;
    }
    for (const kova::AnalogChannel& channel : analog_) {
        channelBox_->addItem(
            kova::qs(channel.number + "  " + channel.keyword + "  " + channel.About));
    }
    channelBox_->setCurrentIndex(-1);
    OnSelchangeChannel();
}

void RecordsPage::OnSelchangeChannel() {
    tolerance_->clear();
    Reload();
}

std::optional<kova::RecordChannel> RecordsPage::ChosenChannel() const {
    const int index = channelBox_->currentIndex();
    if (index < 0 || index >= static_cast<int>(analog_.size())) {
        return std::nullopt;
    }
    const kova::AnalogChannel& analog = analog_[static_cast<std::size_t>(index)];
    return kova::RecordChannel{kova::textOf(*stationBox_),
                               kova::textOf(*deviceBox_),
                               kova::parseLeadingInt(analog.number),
                               analog.keyword,
                               analog.About,
                               analog.DanWei};
}

void RecordsPage::Reload() {
    records_.clear();
    history_->DeleteAllItems();
    const auto channel = ChosenChannel();
    if (!channel || rt_.records == nullptr) {
        ShowRecord(nullptr);
        return;
    }
    const kova::ChannelQuery query{channel->channel, channel->station, channel->device};
    records_ = rt_.records->history(query);
    tolerance_->setText(kova::qs(number(rt_.records->tolerance(query), 2)));
    note_->setText(kova::qs(rt_.records->problem()));
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const kova::CalibRecord& r = records_[i];
        const int row = history_->InsertItem(static_cast<int>(i), kova::localTimeText(r.utcMs));
        history_->SetItemText(row, 1, kova::recordKindText(r.kind));
        history_->SetItemText(row, 2, r.operatorName);
        if (r.kind == kova::RecordKind::Check) {
            const kova::CheckEvaluation e = kova::evaluateCheck(r);
            history_->SetItemText(row, 3, kova::formatInt(static_cast<int>(r.rows.size())));
            history_->SetItemText(row, 4,
                                  r.channel.unit.empty()
                                      ? number(e.largestError)
                                      : number(e.largestError) + " " + r.channel.unit);
            history_->SetItemText(row, 5, number(e.largestPercentOfFullScale, 2));
            history_->SetItemText(row, 6, number(r.tolerancePercent, 2));
            history_->SetItemText(row, 7, kova::verdictText(e));
        } else {
            history_->SetItemText(
                row, 3, kova::formatInt(static_cast<int>(kova::tablePoints(r.after).size())));
        }
    }
    if (!records_.empty()) {
        history_->SelectItem(0);
    }
    ShowRecord(records_.empty() ? nullptr : &records_.front());
}

void RecordsPage::OnSelchangeRecord() {
    const int row = history_->GetFirstSelected();
    ShowRecord(row >= 0 && row < static_cast<int>(records_.size())
                   ? &records_[static_cast<std::size_t>(row)]
                   : nullptr);
}

void RecordsPage::ShowRecord(const kova::CalibRecord* record) {
    points_->DeleteAllItems();
    graph_->ClearPoints();
    auto heading = [this](std::initializer_list<const char*> texts) {
        int c = 0;
        for (const char* text : texts) {
            points_->horizontalHeaderItem(c++)->setText(QString::fromUtf8(text));
        }
    };
    if (record == nullptr) {
        heading({"", "", "", ""});
        return;
    }
    if (record->kind == kova::RecordKind::Check) {
        heading({"标准值", "显示值", "误差", "%FS"});
        const kova::CheckEvaluation e = kova::evaluateCheck(*record);
        for (std::size_t i = 0; i < record->rows.size(); ++i) {
            const int row =
                points_->InsertItem(static_cast<int>(i), number(record->rows[i].reference));
            points_->SetItemText(row, 1, number(record->rows[i].reading));
            points_->SetItemText(row, 2, number(e.rows[i].error));
            points_->SetItemText(row, 3, number(e.rows[i].percentOfFullScale, 2));
        }
        PlotTables(record->after, {});
        const std::vector<QPointF> curve = kova::tablePoints(record->after);
        std::vector<QPointF> checks;
        for (const kova::CheckReading& r : record->rows) {
            checks.emplace_back(kova::voltageFor(curve, r.reading), r.reference);
        }
        std::sort(checks.begin(), checks.end(),
                  [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        for (const QPointF& p : checks) {
            graph_->AddPoint(1, p.x(), p.y(), kCheckColor);
        }
        return;
    }
    heading({"原电压(V)", "原实际值", "电压(V)", "实际值"});
    const std::vector<QPointF> before = kova::tablePoints(record->before);
    const std::vector<QPointF> after = kova::tablePoints(record->after);
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        const int row = points_->InsertItem(static_cast<int>(i),
                                            i < before.size() ? number(before[i].x()) : "");
        points_->SetItemText(row, 1, i < before.size() ? number(before[i].y()) : "");
        points_->SetItemText(row, 2, i < after.size() ? number(after[i].x()) : "");
        points_->SetItemText(row, 3, i < after.size() ? number(after[i].y()) : "");
    }
    PlotTables(record->after, record->before);
}

// The graph's axes span both tables; `second` goes in grey under `first`.
void RecordsPage::PlotTables(const kova::StoredTable& first, const kova::StoredTable& second) {
    const std::vector<QPointF> a = kova::tablePoints(first);
    const std::vector<QPointF> b = kova::tablePoints(second);
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
    for (const auto* set : {&a, &b}) {
        for (const QPointF& p : *set) {
            xMin = std::min(xMin, p.x());
            xMax = std::max(xMax, p.x());
            yMin = std::min(yMin, p.y());
            yMax = std::max(yMax, p.y());
        }
    }
    const auto padded = [](double lo, double hi) {
        const double pad = hi > lo ? (hi - lo) * 0.05 : 1.0;
        return std::pair{lo - (lo < 0 ? pad : 0), hi + pad};
    };
    const auto [x0, x1] = padded(xMin, xMax);
    const auto [y0, y1] = padded(yMin, yMax);
    graph_->SetXRange(x0, x1, 1);
    graph_->SetYRange(y0, y1, 2);  // the control labels the Y axis with two decimals only
    graph_->ClearPoints();
    for (const QPointF& p : b) {
        graph_->AddPoint(2, p.x(), p.y(), kBeforeColor);
    }
    for (const QPointF& p : a) {
        graph_->AddPoint(0, p.x(), p.y(), kAfterColor);
    }
}

void RecordsPage::OnSetTolerance() {
    const auto channel = ChosenChannel();
    if (!channel) {
        Message(kChooseChannel, false);
        return;
    }
    if (rt_.records == nullptr) {
        Message(kNoRecords, true);
        return;
    }
    const std::string text = kova::textOf(*tolerance_);
    bool ok = false;
    const double percent = QString::fromStdString(text).trimmed().toDouble(&ok);
    if (!ok || !(percent > 0.0) || percent > 100.0) {
        Message(kToleranceRule, false);
        return;
    }
    const kova::AppendResult result =
        rt_.records->setTolerance(*channel, percent, rt_.operatorName);
    if (result.status == kova::AppendStatus::Failed) {
        Message("允差未能保存：" + result.message, true);
        return;
    }
    if (rt_.showStatus) {
        rt_.showStatus(result.status == kova::AppendStatus::Queued
                           ? result.message
                           : "允差已设定为 " + number(percent, 2) + " %FS");
    }
    Reload();
}

void RecordsPage::OnExportReport() {
    const auto channel = ChosenChannel();
    if (!channel) {
        Message(kChooseChannel, false);
        return;
    }
    // The selected check, else the channel's newest one.
    const kova::CalibRecord* check = nullptr;
    const int row = history_->GetFirstSelected();
    if (row >= 0 && row < static_cast<int>(records_.size()) &&
        records_[static_cast<std::size_t>(row)].kind == kova::RecordKind::Check) {
        check = &records_[static_cast<std::size_t>(row)];
    } else {
        const auto newest = std::find_if(records_.begin(), records_.end(), [](const auto& r) {
            return r.kind == kova::RecordKind::Check;
        });
        check = newest != records_.end() ? &*newest : nullptr;
    }
    if (check == nullptr || rt_.records == nullptr) {
        Message(kNoCheck, false);
        return;
    }
    const std::string suggested =
        (QDir::homePath() + QLatin1Char('/')).toStdString() +
        fileNamePart("校验报告_" + kova::formatInt(channel->channel) + "通道_" +
                     kova::localTimeText(check->utcMs).substr(0, 10) + ".pdf");
    const std::string file =
        kova::dialogs().saveFileName(this, "导出报告", suggested, "PDF 文件 (*.pdf)");
    if (file.empty()) {
        return;
    }
    const auto calibration = rt_.records->latestCalibrationBefore(*check);
    const kova::ReportResult written =
        kova::writeCheckReport(*check, calibration ? &*calibration : nullptr, file);
    if (!written) {
        Message("报告未能导出：" + written.reason, true);
        return;
    }
    if (rt_.showStatus) {
        rt_.showStatus("报告已导出：" + file);
    }
}

void RecordsPage::OnExportCsv() {
    const auto channel = ChosenChannel();
    if (!channel) {
        Message(kChooseChannel, false);
        return;
    }
    const std::string suggested =
        (QDir::homePath() + QLatin1Char('/')).toStdString() +
        fileNamePart("标定记录_" + kova::formatInt(channel->channel) + "通道.csv");
    const std::string file =
        kova::dialogs().saveFileName(this, "导出CSV", suggested, "CSV 文件 (*.csv)");
    if (file.empty()) {
        return;
    }
    const std::string failure = kova::writeRecordsCsv(file, records_);
    if (!failure.empty()) {
        Message("CSV未能导出：" + failure, true);
        return;
    }
    if (rt_.showStatus) {
        rt_.showStatus("CSV已导出：" + file);
    }
}

void RecordsPage::Message(const std::string& text, bool failure) {
    kova::dialogs().message(this, text, kCaption,
                            failure ? kova::MessageIcon::Error : kova::MessageIcon::Exclamation);
}
