#include "pages/Dialog_Check.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <iterator>

#include "calib/CalibSection.h"
#include "calib/ReadingChain.h"
#include "calib/SampleBuffer.h"
#include "calib/WMATH.h"
#include "config/ChannelStore.h"
#include "controls/Dialogs.h"
#include "controls/Digistring.h"
#include "controls/EditListCtrl.h"
#include "controls/GraphCtrl.h"
#include "controls/MoveControl.h"
#include "controls/Placement.h"
#include "controls/WidgetText.h"
#include "dialogs/Dialog_CheckSet.h"
#include "pages/PageFonts.h"
#include "pages/PageRecords.h"
#include "pages/logic/CalibPageSampler.h"
#include "pages/logic/CalibPoints.h"
#include "pages/logic/CheckReadout.h"
#include "pages/logic/LinkState.h"
#include "pages/logic/SaveRecords.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "runtime/Runtime.h"

namespace {

using kova::dialogUnitRect;
using kova::place;
using kova::qs;

constexpr const char* kWindowTitle = "标定校验";
constexpr const char* kZeroText = "减零点";
constexpr const char* kRestoreZeroText = "恢复原零点";
constexpr const char* kSaveFailed = "保存失败！";
constexpr const char* kSaved = "保存成功！文件为二进制文件：D:\\calibdata";
// The title of a window opened without a channel; such a window never samples.
constexpr std::string_view kNoChannelTitle = "未选择通道";

constexpr int kAxisDecimals = 2;
constexpr double kVoltAxisEnd = 10.0;
constexpr int kCountDecimals = 1;
// The readout of a channel the card has no fresh reading of.
constexpr const char* kNoReadingText = "----";

const QColor kTitleText(200, 0, 0);
const QColor kListText(0, 0, 253);
const QColor kGraphBack(0, 0, 64);
const QColor kGraphAxis(192, 192, 255);
const QColor kGraphCurve(0, 255, 0);
const QColor kGraphPoint(255, 255, 0);

template <typename Command>
QPushButton* button(const char* text, Dialog_Check* window, const QRect& rect, Command command) {
    auto* b = kova::placeButton(text, window, rect, command);
    // Enter typed into the input box must not press whichever button was last focused.
    b->setAutoDefault(false);
    return b;
}

// Count 0 and every entry 0 (a constructed table holds the default table instead).
void clearTable(CalibTable& table) {
    table.count = 0;
    std::fill(std::begin(table.volt), std::end(table.volt), 0.0f);
    std::fill(std::begin(table.data), std::end(table.data), 0.0f);
}

}  // namespace

Dialog_Check::Dialog_Check(kova::Runtime& rt, const std::string& device, const std::string& channel,
                           bool debugLog, bool sendToLed, QWidget* parent)
    : QDialog(parent),
      rt_(rt),
      device_(device),
      channelText_(channel),
      debugLog_(debugLog),
      sendToLed_(sendToLed) {
    setWindowTitle(qs(kWindowTitle));
    resize(kova::dialogUnitSize(461, 263));  // template 129
    BuildControls();

    // Titled by the channel's section name.
    const std::string title = kova::calibSectionName(channel);
    title_->setText(qs(title));
    title_->setFont(kova::createFont(kova::kPageFieldFont));
    displayText_ = title;

    const kova::ChannelStore store(rt_.channelIniPaths());
    params_ = store.LoadChannelParams(channel);
    unit_->setText(qs(params_.unit));

    SetUpList();

    // GetCalibArray's reading, on the file the tool published (the same Calib.ini). It leaves
    // entries beyond those read as they were: from a clean table, not the previous channel's.
    channel_ = kova::sampledChannel(title);
    clearTable(rt_.checkTable);
    kova::readCalibTable(kova::IniFile(rt_.CalibIniPath), kova::parseLeadingInt(channel),
                         rt_.checkTable);
    checkedTable_ = kova::storedTableOf(kova::IniFile(rt_.CalibIniPath), channel);

    SetUpGraph();

    readout_->SetText("0");
    valueBox_->setText(QStringLiteral("0"));

    rt_.checkAverage.SetLength(rt_.slidingLength());

    zeroing_ = 0;
    ready_ = 1;

    layout_ = std::make_unique<CMoveControl>();
    layout_->Attach(this);
    ApplyLayout();
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &Dialog_Check::tick);
    timer_->start(kOpeningPeriodMs);
    ledUnit_->setChecked(true);
}

Dialog_Check::~Dialog_Check() = default;

void Dialog_Check::BuildControls() {
    title_ = place(new QLabel(this), dialogUnitRect(2, 7, 188, 18));
    title_->setAlignment(Qt::AlignCenter);
    kova::paintText(*title_, kTitleText);

    readout_ = place(new CDigiString(this), dialogUnitRect(198, 7, 193, 51));
    zero_ = button(kZeroText, this, dialogUnitRect(401, 7, 42, 50), &Dialog_Check::OnZero);
    settings_ = button("&S", this, dialogUnitRect(446, 7, 15, 17), &Dialog_Check::OnSettings);

    kova::placeLabel("单位：", this, dialogUnitRect(197, 63, 38, 13));
    unit_ = place(new QLabel(this), dialogUnitRect(237, 63, 70, 13));
    unit_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ledUnit_ =
        place(new QCheckBox(QStringLiteral(" LED显示单位"), this), dialogUnitRect(316, 63, 78, 13));

    kova::placeLabel("电压：", this, dialogUnitRect(407, 98, 36, 12));
    voltBox_ = place(new QLineEdit(this), dialogUnitRect(407, 114, 36, 12));
    valueBox_ = place(new QLineEdit(this), dialogUnitRect(407, 134, 36, 12));

    kova::placeLabel("当前值:", this, dialogUnitRect(11, 37, 48, 12));
    inputBox_ = place(new QLineEdit(this), dialogUnitRect(61, 37, 81, 12));
    add_ = button("添加 ↓", this, dialogUnitRect(16, 54, 50, 14), &Dialog_Check::OnAdd);
    save_ = button("保 存", this, dialogUnitRect(77, 54, 50, 14), &Dialog_Check::OnSave);
    kova::placeLabel("双击删除", this, dialogUnitRect(16, 71, 60, 10));
    list_ = place(new CEditListCtrl(this), dialogUnitRect(8, 83, 176, 170));
    exit_ = button("退  出", this, dialogUnitRect(401, 233, 54, 27), &Dialog_Check::OnExit);

    connect(list_, &CEditListCtrl::areaDoubleClicked, this, &Dialog_Check::OnDblclkList);
}

void Dialog_Check::SetUpList() {
    list_->InsertColumn(0, "实际值", CEditListCtrl::FormatLeft, 80);
    list_->InsertColumn(1, "输入值", CEditListCtrl::FormatLeft, 80);
    list_->SetTextColor(kListText);
    list_->SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect |
                            CEditListCtrl::TrackSelect | CEditListCtrl::HeaderDragDrop);
}

void Dialog_Check::SetUpGraph() {
    const CalibTable& table = rt_.checkTable;
    const double top = kova::checkValueAxisTop(table);
    graph_ = new CGraphCtrl(this);
    graph_->Create(dialogUnitRect(193, 93, 199, 167), this);
    graph_->SetXRange(-kVoltAxisEnd, kVoltAxisEnd, kAxisDecimals);
    graph_->SetYRange(-top, top, kAxisDecimals);
    graph_->SetYTitle("Data");
    graph_->SetXTitle("Volt（V）");
    graph_->SetBackColor(kGraphBack);
    graph_->SetAxisColor(kGraphAxis);
    graph_->SetCurveColor(kGraphCurve);
    for (int i = 0; i < std::min<int>(table.count, kova::kCalibTablePoints); ++i) {
        graph_->AddPoint(0, table.volt[i], table.data[i], kGraphPoint);
    }
}

void Dialog_Check::ApplyLayout() {
    if (layout_ == nullptr) {
        return;
    }
    // The layout gives every control the dialog font; the title's own goes back on after.
    layout_->Layout();
    title_->setFont(kova::createFont(kova::kPageFieldFont));
}

void Dialog_Check::tick() {
    if (ready_ == 0) {
        return;
    }
    ready_ = 0;
    if (displayText_ != kNoChannelTitle &&
        kova::checkedKindOf(channel_) != kova::CheckedKind::Unread && ReadingFresh()) {
        switch (kova::checkedKindOf(channel_)) {
            case kova::CheckedKind::Analog:
                TickAnalog();
                break;
            case kova::CheckedKind::Frequency:
                TickCount(true);
                break;
            case kova::CheckedKind::Counter:
                TickCount(false);
                break;
            case kova::CheckedKind::Unread:
                break;
        }
    }
    ready_ = 1;
}

bool Dialog_Check::ReadingFresh() {
    linkState_ = rt_.hardwareModule.ExtGetStatusInfo(channel_);
    if (linkState_ == kova::kReadingFresh) {
        return true;
    }
    voltBox_->setText(qs(std::string(kova::linkStateText(linkState_))));
    readout_->SetText(kNoReadingText);
    valueBox_->setText(qs(kNoReadingText));
    return false;
}

void Dialog_Check::TickAnalog() {
    kova::ReadingChain chain(rt_.hardwareModule, rt_.systemLibrary, kova::sharedSampleBuffer());
    const kova::ChainReading r =
        chain.tick(channel_, rt_.burstCount(), rt_.checkAverage, deal_, rt_.FIRNUM);
    lastVoltage_ = r.burstAverage;
    if (!r.ready) {
        return;
    }
    lastVoltage_ = r.value;
    voltBox_->setText(qs(kova::formatFixed(r.value, 3)));
    value_ = GetTrueDat(r.value, rt_.checkTable);
    displayText_ = kova::checkReadoutText(value_, params_, zeroing_ == 1, zeroOffset_);
    Show(displayText_);
    Mirror();
    Log(kova::checkLogLine(lastVoltage_, displayText_));
}

void Dialog_Check::TickCount(bool frequency) {
    const float v = frequency ? rt_.hardwareModule.ExtGetFreb(channel_)
                              : static_cast<float>(rt_.hardwareModule.ExtGetEnc3(channel_));
    lastVoltage_ = v;
    voltBox_->setText(qs(kova::formatFixed(v, 0)));
    value_ = GetTrueDat(v, rt_.checkTable);
    displayText_ = kova::formatFixed(value_, kCountDecimals);
    Show(displayText_);
    Log(kova::countLogLine(v));
    // Counters are never mirrored to the LED board.
    if (frequency) {
        Mirror();
    }
}

void Dialog_Check::Show(const std::string& text) {
    readout_->SetText(text);
    valueBox_->setText(qs(text));
}

void Dialog_Check::Mirror() {
    if (ledUnit_->isChecked()) {
        displayText_ += params_.unit;
    }
    if (sendToLed_) {
        rt_.ledClient.Write2Led(displayText_.c_str());
    }
}

void Dialog_Check::Log(const std::string& line) {
    if (debugLog_) {
        rt_.AcqLog.write(line);
    }
}

void Dialog_Check::OnZero() {
    if (zeroing_ == 1) {
        zero_->setText(qs(kZeroText));
        zeroing_ = 0;
        return;
    }
    switch (kova::zeroActionOf(channel_)) {
        case kova::ZeroAction::ZeroReading:
            zeroOffset_ = GetTrueDat(lastVoltage_, rt_.checkTable);
            zeroing_ = 1;
            zero_->setText(qs(kRestoreZeroText));
            break;
        case kova::ZeroAction::ResetCounters:
            rt_.hardwareModule.ExtResetCNT();
            break;
        case kova::ZeroAction::Nothing:
            break;
    }
}

void Dialog_Check::OnSettings() {
    if (!kova::askMaintenancePassword(this, clock_)) {
        return;
    }
    timer_->stop();
    rt_.checkAverage.Free();
    kova::Dialog_CheckSet settings(this, rt_);
    kova::dialogs().runModal(settings);
    rt_.checkAverage.SetLength(rt_.slidingLength());
    ready_ = 1;
    // From now on the window samples at "MS" rather than at its opening period.
    timer_->start(rt_.periodMs());
}

std::vector<kova::CheckRow> Dialog_Check::checkRows() const {
    std::vector<kova::CheckRow> rows;
    rows.reserve(static_cast<std::size_t>(list_->GetItemCount()));
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        rows.push_back({list_->GetItemText(row, 0), list_->GetItemText(row, 1)});
    }
    return rows;
}

void Dialog_Check::OnAdd() {
    if (linkState_ != kova::kReadingFresh) {
        Message(std::string(kova::kNoValidReading), false);
        return;
    }
    const kova::CheckRow added{kova::textOf(*valueBox_), kova::textOf(*inputBox_)};
    const std::string refusal = kova::checkAddRefusal(checkRows(), added);
    if (!refusal.empty()) {
        Message(refusal, false);
        return;
    }
    // Newest first; the input box keeps its text.
    const int row = list_->InsertItem(0, added.shown);
    list_->SetItemText(row, 1, added.reference);
}

void Dialog_Check::OnSave() {
    const std::vector<kova::CheckRow> rows = checkRows();
    if (!kova::saveCheckFile(kova::kCheckFilePath, kova::checkFileRecord(rows))) {
        Message(kSaveFailed, true);
        return;
    }
    kova::CalibRecord record;
    record.kind = kova::RecordKind::Check;
    record.channel = kova::recordChannel(kova::ChannelStore(rt_.channelIniPaths()), station_,
                                         device_, channelText_);
    record.after = checkedTable_;
    record.rows = kova::checkReadings(rows);
    record.tolerancePercent = kova::recordedTolerance(rt_, record.channel.channel);
    kova::keepRecord(rt_, std::move(record));
    kova::dialogs().message(this, kSaved, std::string(kova::kPageCaption),
                            kova::MessageIcon::Information);
}

void Dialog_Check::OnDblclkList() {
    list_->DeleteSelectedAfterAsking(this);
}

void Dialog_Check::OnExit() {
    done(0);
}

void Dialog_Check::Message(const std::string& text, bool failure) {
    kova::dialogs().message(this, text, std::string(kova::kPageCaption),
                            failure ? kova::MessageIcon::Error : kova::MessageIcon::Exclamation);
}

void Dialog_Check::done(int result) {
    timer_->stop();
    QDialog::done(result);
}

void Dialog_Check::keyPressEvent(QKeyEvent* event) {
    // Enter after a typed reference value does nothing; Escape still leaves the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog_Check::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplyLayout();
}
