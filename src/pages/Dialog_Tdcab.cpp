#include "pages/Dialog_Tdcab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <array>

#include "calib/MathHD.h"
#include "controls/Dialogs.h"
#include "controls/EditListCtrl.h"
#include "controls/Placement.h"
#include "controls/StaticText.h"
#include "controls/StationPicker.h"
#include "controls/WidgetText.h"
#include "pages/CalibPageWindows.h"
#include "pages/Dialog_Digit.h"
#include "pages/PageFonts.h"
#include "pages/PageImages.h"
#include "pages/logic/CalibPoints.h"
#include "platform/TextCodec.h"
#include "runtime/Runtime.h"

namespace {

using kova::dialogUnitRect;
using kova::place;
using kova::placeButton;
using kova::placeLabel;
using kova::qs;

// The automatic-voltage button offers the other state: by autoVoltState_, 0 on and 1 off.
constexpr std::array<const char*, 2> kAutoVoltCaptions{"停止自动取电压", "开始自动取电压"};
constexpr const char* kChooseChannelMessage = "请选择设备、通道。";
// The channel list's number cells are read back cut to this many bytes.
constexpr std::size_t kChannelCellBytes = 99;

const QColor kFieldText(0, 0, 255);
const QColor kFieldBack(255, 255, 255);
const QColor kChannelText(200, 0, 0);

}  // namespace

Dialog_Tdcab::Dialog_Tdcab(kova::Runtime& rt, kova::MathHD& average, QWidget* parent)
    : TabPage([&rt] { return kova::qRectOf(rt.PageAreaRect); }, parent),
      rt_(rt),
      store_(rt.channelIniPaths()),
      average_(average),
      sampler_(rt.hardwareModule, rt.systemLibrary, average) {
    setWindowTitle(QStringLiteral("Calib"));
    resize(kova::dialogUnitSize(486, 293));  // template 130: the main window's page area
    BuildControls();
    SetUpLists();
    sendToLedBox_->setChecked(true);

    if (!kova::fillStations(*stationBox_, *deviceBox_, store_)) {
        Message(kova::kNoStationMessage);
    }

    channelDisplay_->setText(qs(kova::kNoChannelText));
    autoVoltState_ = 0;
    debugLog_ = 0;
    tickFree_ = 1;
    average_.SetLength(kSlidingLength);

    // The digital channel test window, hidden and polling from now on, and the check window.
    digitalWindow_ = kova::connectPageWindows(*this, rt_);

    AttachLayout();
    Relayout();

    sampleTimer_ = new QTimer(this);
    connect(sampleTimer_, &QTimer::timeout, this, &Dialog_Tdcab::tick);
    StartFollowingPageArea();
}

Dialog_Tdcab::~Dialog_Tdcab() {
    // Sampling stops before the digital test window, once there, goes with the page.
    sampleTimer_->stop();
    EndDigitalTest();
}

void Dialog_Tdcab::EndDigitalTest() {
    delete digitalWindow_.data();
}

void Dialog_Tdcab::BuildControls() {
    placeLabel("请选择本机一个工位：", this, dialogUnitRect(8, 3, 104, 9));
    stationBox_ = place(new QComboBox(this), dialogUnitRect(8, 13, 104, 22));
    placeLabel("请选择该工位的一个设备：", this, dialogUnitRect(118, 3, 150, 9));
    deviceBox_ = place(new QComboBox(this), dialogUnitRect(118, 13, 170, 22));
    channelCaption_ = place(new CStaticText(QStringLiteral("当前通道号："), this),
                            dialogUnitRect(300, 15, 98, 20));
    channelDisplay_ = place(new QLabel(this), dialogUnitRect(398, 15, 84, 20));

    channelList_ = place(new CEditListCtrl(this), dialogUnitRect(8, 42, 162, 243));

    placeLabel("速度实际值=电压/滚筒速度(km/h)", this, dialogUnitRect(178, 42, 180, 9));
    auto* voltImage = place(new QLabel(this), dialogUnitRect(178, 54, 73, 22));
    voltImage->setPixmap(kova::resourceImage(kova::kVoltLabelImageId));
    voltField_ = place(new QLineEdit(this), dialogUnitRect(254, 54, 100, 22));
    auto* trueImage = place(new QLabel(this), dialogUnitRect(178, 80, 73, 23));
    trueImage->setPixmap(kova::resourceImage(kova::kTrueValueLabelImageId));
    trueValueField_ = place(new QLineEdit(this), dialogUnitRect(254, 80, 100, 23));
    add_ = placeButton("添  加", this, dialogUnitRect(360, 54, 48, 49), &Dialog_Tdcab::OnAdd);
    autoVolt_ = placeButton(kAutoVoltCaptions[0], this, dialogUnitRect(414, 54, 66, 22),
                            &Dialog_Tdcab::OnAutoVolt);
    clear_ =
        placeButton("显 示 清 空", this, dialogUnitRect(414, 80, 66, 23), &Dialog_Tdcab::OnClear);

    pointsList_ = place(new CEditListCtrl(this), dialogUnitRect(178, 110, 196, 162));
    placeLabel("标定值可以通过双击删除，实际值可以通过双击修改。", this,
               dialogUnitRect(178, 276, 210, 9));

    save_ = placeButton("保  存", this, dialogUnitRect(382, 110, 94, 24), &Dialog_Tdcab::OnSave);
    check_ =
        placeButton("标定校验...", this, dialogUnitRect(382, 138, 94, 20), &Dialog_Tdcab::OnCheck);
    digitalTest_ = placeButton("数字通道测试...", this, dialogUnitRect(382, 162, 94, 20),
                               &Dialog_Tdcab::OnDigitalTest);
    resetCounters_ = placeButton("CNT 清  零", this, dialogUnitRect(382, 186, 94, 20),
                                 &Dialog_Tdcab::OnResetCounters);
    debugLogBox_ = place(new QCheckBox(QStringLiteral("标定校验写入调试文件"), this),
                         dialogUnitRect(382, 214, 100, 12));
    sendToLedBox_ = place(new QCheckBox(QStringLiteral("标定校验时送LED屏"), this),
                          dialogUnitRect(382, 230, 100, 12));

    kova::paintText(*voltField_, kFieldText, &kFieldBack);
    kova::paintText(*trueValueField_, kFieldText, &kFieldBack);
    // Drawn over the page's own background.
    kova::paintText(*channelCaption_, kChannelText);
    kova::paintText(*channelDisplay_, kChannelText);

    connect(stationBox_, &QComboBox::activated, this, [this](int) { OnSelchangeStation(); });
    connect(deviceBox_, &QComboBox::activated, this, [this](int) { OnSelchangeDevice(); });
    connect(channelList_, &QAbstractItemView::clicked, this, [this] { OnClickChannel(); });
    connect(channelList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnChannelChanging(current.row()); });
    connect(pointsList_, &CEditListCtrl::areaDoubleClicked, this, &Dialog_Tdcab::OnDblclkPoints);
    connect(debugLogBox_, &QCheckBox::clicked, this, &Dialog_Tdcab::OnDebugLog);
}

void Dialog_Tdcab::SetUpLists() {
    const auto setUp = [](CEditListCtrl& list, bool editable) {
        list.SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect |
                              CEditListCtrl::HeaderDragDrop);
        list.SetTextColor(kova::kPageListText);
        list.SetBkColor(kova::kPageListBack);
        list.SetEditLabels(editable);
        // Column 0 is the row's key: the list's own editing never touches it, nor does a click.
        list.SetClickEditExcluded(0);
        list.SetColumnNoEdit(0, true);
    };
    channelList_->InsertColumn(0, "关键字", CEditListCtrl::FormatLeft, 62);
    channelList_->InsertColumn(1, "通道号", CEditListCtrl::FormatLeft, 62);
    channelList_->InsertColumn(2, "通道说明", CEditListCtrl::FormatLeft, 110);
    setUp(*channelList_, false);
    pointsList_->InsertColumn(0, "电压(V)", CEditListCtrl::FormatLeft, 136);
    pointsList_->InsertColumn(1, "实际值", CEditListCtrl::FormatLeft, 155);
    setUp(*pointsList_, true);
    ApplyFonts();
}

void Dialog_Tdcab::ApplyFonts() {
    const QFont fieldFont = kova::createFont(kova::kPageFieldFont);
    for (QWidget* w :
         std::initializer_list<QWidget*>{stationBox_, deviceBox_, voltField_, trueValueField_,
                                         channelCaption_, channelDisplay_}) {
        w->setFont(fieldFont);
    }
    const QFont listFont = kova::createFont(kova::kPageListFont);
    channelList_->setFont(listFont);
    pointsList_->setFont(listFont);
}

void Dialog_Tdcab::AfterLayout() {
    // The page's own fonts go back on over the dialog font.
    ApplyFonts();
}

void Dialog_Tdcab::OnSelchangeStation() {
    kova::fillDevices(*deviceBox_, store_, kova::textOf(*stationBox_));
    channelList_->DeleteAllItems();
    pointsList_->DeleteAllItems();
}

void Dialog_Tdcab::OnSelchangeDevice() {
    channelList_->DeleteAllItems();
    const kova::ChannelLists lists = store_.LoadChannels(kova::textOf(*deviceBox_));
    for (const kova::AnalogChannel& channel : lists.analog) {
        const int row = channelList_->InsertItem(channelList_->GetItemCount(), channel.keyword);
        channelList_->SetItemText(row, 1, channel.number);
        channelList_->SetItemText(row, 2, channel.About);
    }
}

void Dialog_Tdcab::OnClickChannel() {
    SelectChannel(channelList_->GetSelectionMark(), true);
}

void Dialog_Tdcab::OnChannelChanging(int row) {
    // Emptying the list moves the focus off every row; that selects nothing.
    if (row >= 0) {
        SelectChannel(row, false);
    }
}

void Dialog_Tdcab::SelectChannel(int row, bool restartAverage) {
    const std::string number(
        kova::cutToGbkBytes(channelList_->GetItemText(row, 1), kChannelCellBytes));
    channelDisplay_->setText(qs(number));
    if (restartAverage) {
        average_.Free();
        average_.SetLength(kSlidingLength);
    }
    LoadPoints(number);
}

void Dialog_Tdcab::tick() {
    if (tickFree_ != 1) {
        return;
    }
    tickFree_ = 0;
    const kova::SampleOutput out = sampler_.sample(DisplayText(), rt_.AVERNUM, rt_.FIRNUM);
    currentChannel_ = out.channel;
    linkState_ = out.linkState;
    if (out.reading) {
        reading_ = *out.reading;
    }
    if (out.shown) {
        voltField_->setText(qs(*out.shown));
    }
    if (out.logLine && debugLog_ == 1) {
        rt_.AcqLog.write(*out.logLine);
    }
    tickFree_ = 1;
}

void Dialog_Tdcab::StartSampling() {
    // The check window shares the sample buffer and the filter: nothing restarts the page under it.
    if (checkWindowOpen_) {
        return;
    }
    sampleTimer_->start(rt_.periodMs());
}

void Dialog_Tdcab::OnAutoVolt() {
    if (autoVoltState_ == 0) {
        sampleTimer_->stop();
        voltField_->clear();
        voltField_->setFocus();
        autoVoltState_ = 1;
    } else {
        StartSampling();
        trueValueField_->setFocus();
        autoVoltState_ = 0;
    }
    autoVolt_->setText(qs(kAutoVoltCaptions.at(static_cast<std::size_t>(autoVoltState_))));
}

void Dialog_Tdcab::OnCheck() {
    if (!runCheckWindow) {
        return;
    }
    if (!ChannelChosen()) {
        deviceBox_->setFocus();
        return;
    }
    sampleTimer_->stop();
    checkWindowOpen_ = true;
    runCheckWindow(kova::CheckRequest{kova::textOf(*stationBox_), kova::textOf(*deviceBox_),
                                      DisplayText(), debugLog_ == 1, sendToLedBox_->isChecked()});
    checkWindowOpen_ = false;
    // The check window's settings may have changed "MS".
    StartSampling();
}

void Dialog_Tdcab::OnDigitalTest() {
    if (showDigitalTest) {
        showDigitalTest();
    }
}

void Dialog_Tdcab::OnResetCounters() {
    rt_.hardwareModule.ExtResetCNT();
}

void Dialog_Tdcab::OnDebugLog() {
    debugLog_ = debugLogBox_->isChecked() ? 1 : 0;
}

std::string Dialog_Tdcab::DisplayText() const {
    return channelDisplay_->text().toStdString();
}

std::optional<kova::WorkingChannel> Dialog_Tdcab::workingChannel() const {
    if (DisplayText() == kova::kNoChannelText) {
        return std::nullopt;
    }
    return kova::WorkingChannel{kova::textOf(*stationBox_), kova::textOf(*deviceBox_),
                                DisplayText()};
}

bool Dialog_Tdcab::ChannelChosen() {
    if (DisplayText() == kova::kNoChannelText) {
        Message(kChooseChannelMessage);
        return false;
    }
    return true;
}

void Dialog_Tdcab::Message(const std::string& text) {
    kova::dialogs().message(this, text, std::string(kova::kPageCaption),
                            kova::MessageIcon::Exclamation);
}

void Dialog_Tdcab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Minimise and restore arrive as spontaneous events: only real page switches start sampling.
    if (event->spontaneous()) {
        return;
    }
    trueValueField_->setFocus();
    // Whatever the automatic-voltage state: the button only stops the sampling it finds running.
    StartSampling();
}

void Dialog_Tdcab::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) {
        return;
    }
    sampleTimer_->stop();
}

void Dialog_Tdcab::closeEvent(QCloseEvent* event) {
    average_.Free();
    QWidget::closeEvent(event);
}
