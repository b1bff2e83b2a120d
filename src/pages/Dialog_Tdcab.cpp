#include "pages/Dialog_Tdcab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "calib/MathHD.h"
#include "config/ChannelRows.h"
#include "controls/DialogUnits.h"
#include "controls/Dialogs.h"
#include "controls/EditListCtrl.h"
#include "controls/MoveControl.h"
#include "controls/PageKeys.h"
#include "controls/StaticText.h"
#include "controls/WriteFailure.h"
#include "pages/CalibPageWindows.h"
#include "pages/Dialog_Digit.h"
#include "pages/PageFonts.h"
#include "pages/PageImages.h"
#include "pages/logic/CalibPoints.h"
#include "platform/IniFile.h"
#include "platform/TextCodec.h"
#include "runtime/Runtime.h"

namespace {

using kova::dialogUnitRect;

// Template 130, in dialog units: the size of the main window's page area.
constexpr int kPageWidth = 486;
constexpr int kPageHeight = 293;

constexpr const char* kNoStationMessage =
    "没有配置工位信息，请先在“工位管理器”中配置该机的工位信息！";
constexpr const char* kClearQuestion = "确实要删除该通道的全部标定数据？";
constexpr const char* kDeleteQuestion = "确实要删除该项？";
constexpr const char* kSavedMessage = "该通道标定数据保存完毕！";
constexpr const char* kChooseChannelMessage = "请选择设备、通道。";
constexpr const char* kStopAutoVolt = "停止自动取电压";
constexpr const char* kStartAutoVolt = "开始自动取电压";

// Sections of the channel tables are named by the channel-number text followed by this.
constexpr std::string_view kChannelSectionSuffix = "通道";
// Read buffers of the page: the stored lists and the cells it reads back.
constexpr std::size_t kStoredListBuffer = 2048;
constexpr std::size_t kChannelCellBytes = 99;
constexpr std::size_t kPointCellBytes = 49;

const QColor kListText(0, 0, 255);
const QColor kListBack(240, 248, 233);
const QColor kFieldText(0, 0, 255);
const QColor kFieldBack(255, 255, 255);
const QColor kChannelText(200, 0, 0);

template <typename Widget>
Widget* place(Widget* widget, const QRect& rect) {
    widget->setGeometry(rect);
    return widget;
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

std::string textOf(const QLineEdit& field) {
    return field.text().toStdString();
}

void paintText(QWidget& widget, const QColor& text, const QColor* back) {
    QPalette p = widget.palette();
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    if (back != nullptr) {
        p.setColor(QPalette::Base, *back);
    }
    widget.setPalette(p);
}

std::vector<std::string> columnTexts(const CEditListCtrl& list, int column, std::size_t bytes) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        texts.emplace_back(kova::cutToGbkBytes(list.GetItemText(row, column), bytes));
    }
    return texts;
}

// The names of stations or devices.
template <typename Items>
std::vector<std::string> namesOf(const Items& items) {
    std::vector<std::string> names(items.size());
    std::transform(items.begin(), items.end(), names.begin(),
                   [](const auto& item) { return item.name; });
    return names;
}

// The boxes list their items sorted by text, as the configuration page does.
void addSorted(QComboBox& box, std::vector<std::string> names) {
    const std::vector<std::string> sorted = kova::sortedByText(std::move(names));
    for (const std::string& name : sorted) {
        box.addItem(qs(name));
    }
}

void appendRow(CEditListCtrl& list, const std::string& first, const std::string& second) {
    const int row = list.InsertItem(list.GetItemCount(), first);
    list.SetItemText(row, 1, second);
}

}  // namespace

Dialog_Tdcab::Dialog_Tdcab(kova::Runtime& rt, kova::MathHD& average, QWidget* parent)
    : QWidget(parent),
      rt_(rt),
      store_(kova::ChannelIniPaths{rt.CalibIniPath, rt.SysIniPath, rt.DevIdIniPath}),
      average_(average),
      sampler_(rt.hardwareModule, rt.systemLibrary, average) {
    setWindowTitle(QStringLiteral("Calib"));
    resize(kova::dialogUnitsToPixelsX(kPageWidth), kova::dialogUnitsToPixelsY(kPageHeight));
    BuildControls();
    SetUpLists();
    sendToLedBox_->setChecked(true);

    FillStations();

    channelDisplay_->setText(qs(std::string(kova::kNoChannelText)));
    autoVoltState_ = 0;
    debugLog_ = 0;
    tickFree_ = 1;
    average_.SetLength(kSlidingLength);

    // The digital channel test window, hidden and polling from now on, and the check window.
    digitalWindow_ = kova::connectPageWindows(*this, rt_);

    layout_ = std::make_unique<CMoveControl>();
    layout_->Attach(this);
    ApplyLayout();

    sampleTimer_ = new QTimer(this);
    connect(sampleTimer_, &QTimer::timeout, this, &Dialog_Tdcab::tick);
    placeTimer_ = new QTimer(this);
    placeTimer_->setInterval(kPlaceTimerMs);
    connect(placeTimer_, &QTimer::timeout, this, &Dialog_Tdcab::placeTick);
    placeTimer_->start();
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
    place(new QLabel(QStringLiteral("请选择本机一个工位："), this), dialogUnitRect(8, 3, 104, 9));
    stationBox_ = place(new QComboBox(this), dialogUnitRect(8, 13, 104, 22));
    place(new QLabel(QStringLiteral("请选择该工位的一个设备："), this),
          dialogUnitRect(118, 3, 150, 9));
    deviceBox_ = place(new QComboBox(this), dialogUnitRect(118, 13, 170, 22));
    channelCaption_ = place(new CStaticText(QStringLiteral("当前通道号："), this),
                            dialogUnitRect(300, 15, 98, 20));
    channelDisplay_ = place(new QLabel(this), dialogUnitRect(398, 15, 84, 20));

    channelList_ = place(new CEditListCtrl(this), dialogUnitRect(8, 42, 162, 243));

    place(new QLabel(QStringLiteral("速度实际值=电压/滚筒速度(km/h)"), this),
          dialogUnitRect(178, 42, 180, 9));
    auto* voltImage = place(new QLabel(this), dialogUnitRect(178, 54, 73, 22));
    voltImage->setPixmap(kova::resourceImage(kova::kVoltLabelImageId));
    voltField_ = place(new QLineEdit(this), dialogUnitRect(254, 54, 100, 22));
    auto* trueImage = place(new QLabel(this), dialogUnitRect(178, 80, 73, 23));
    trueImage->setPixmap(kova::resourceImage(kova::kTrueValueLabelImageId));
    trueValueField_ = place(new QLineEdit(this), dialogUnitRect(254, 80, 100, 23));
    add_ = place(new QPushButton(QStringLiteral("添  加"), this), dialogUnitRect(360, 54, 48, 49));
    autoVolt_ = place(new QPushButton(qs(kStopAutoVolt), this), dialogUnitRect(414, 54, 66, 22));
    clear_ = place(new QPushButton(QStringLiteral("显 示 清 空"), this),
                   dialogUnitRect(414, 80, 66, 23));

    pointsList_ = place(new CEditListCtrl(this), dialogUnitRect(178, 110, 196, 162));
    place(new QLabel(QStringLiteral("标定值可以通过双击删除，实际值可以通过双击修改。"), this),
          dialogUnitRect(178, 276, 210, 9));

    save_ =
        place(new QPushButton(QStringLiteral("保  存"), this), dialogUnitRect(382, 110, 94, 24));
    check_ = place(new QPushButton(QStringLiteral("标定校验..."), this),
                   dialogUnitRect(382, 138, 94, 20));
    digitalTest_ = place(new QPushButton(QStringLiteral("数字通道测试..."), this),
                         dialogUnitRect(382, 162, 94, 20));
    resetCounters_ = place(new QPushButton(QStringLiteral("CNT 清  零"), this),
                           dialogUnitRect(382, 186, 94, 20));
    debugLogBox_ = place(new QCheckBox(QStringLiteral("标定校验写入调试文件"), this),
                         dialogUnitRect(382, 214, 100, 12));
    sendToLedBox_ = place(new QCheckBox(QStringLiteral("标定校验时送LED屏"), this),
                          dialogUnitRect(382, 230, 100, 12));

    paintText(*voltField_, kFieldText, &kFieldBack);
    paintText(*trueValueField_, kFieldText, &kFieldBack);
    // Drawn over the page's own background.
    paintText(*channelCaption_, kChannelText, nullptr);
    paintText(*channelDisplay_, kChannelText, nullptr);

    connect(stationBox_, &QComboBox::activated, this, [this](int) { OnSelchangeStation(); });
    connect(deviceBox_, &QComboBox::activated, this, [this](int) { OnSelchangeDevice(); });
    connect(channelList_, &QAbstractItemView::clicked, this, [this] { OnClickChannel(); });
    connect(channelList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnChannelChanging(current.row()); });
    // Double-clicks anywhere on the points list, also below its last row.
    pointsList_->viewport()->installEventFilter(this);
    connect(autoVolt_, &QPushButton::clicked, this, &Dialog_Tdcab::OnAutoVolt);
    connect(add_, &QPushButton::clicked, this, &Dialog_Tdcab::OnAdd);
    connect(clear_, &QPushButton::clicked, this, &Dialog_Tdcab::OnClear);
    connect(save_, &QPushButton::clicked, this, &Dialog_Tdcab::OnSave);
    connect(check_, &QPushButton::clicked, this, &Dialog_Tdcab::OnCheck);
    connect(digitalTest_, &QPushButton::clicked, this, &Dialog_Tdcab::OnDigitalTest);
    connect(resetCounters_, &QPushButton::clicked, this, &Dialog_Tdcab::OnResetCounters);
    connect(debugLogBox_, &QCheckBox::clicked, this, &Dialog_Tdcab::OnDebugLog);
}

void Dialog_Tdcab::SetUpLists() {
    const auto setUp = [](CEditListCtrl& list, bool editable) {
        list.SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect |
                              CEditListCtrl::HeaderDragDrop);
        list.SetTextColor(kListText);
        list.SetBkColor(kListBack);
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

void Dialog_Tdcab::ApplyLayout() {
    if (layout_ == nullptr) {
        return;
    }
    // The layout gives every control the dialog font; the page's own fonts go back on after.
    layout_->Layout();
    ApplyFonts();
}

void Dialog_Tdcab::FillStations() {
    addSorted(*stationBox_, namesOf(store_.ListStations()));
    if (stationBox_->count() == 0) {
        Message(kNoStationMessage);
        return;
    }
    stationBox_->setCurrentIndex(0);
    FillDevices(stationBox_->currentText().toStdString());
    // One station leaves nothing to choose.
    stationBox_->setEnabled(stationBox_->count() != 1);
}

void Dialog_Tdcab::FillDevices(const std::string& stationName) {
    deviceBox_->clear();
    addSorted(*deviceBox_, namesOf(store_.ListDevices(stationName)));
    deviceBox_->setCurrentIndex(-1);
}

void Dialog_Tdcab::OnSelchangeStation() {
    FillDevices(stationBox_->currentText().toStdString());
    channelList_->DeleteAllItems();
    pointsList_->DeleteAllItems();
}

void Dialog_Tdcab::OnSelchangeDevice() {
    channelList_->DeleteAllItems();
    const kova::ChannelLists lists = store_.LoadChannels(deviceBox_->currentText().toStdString());
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
    pointsList_->DeleteAllItems();
    const std::string section = number + std::string(kChannelSectionSuffix);
    const kova::IniFile ini(rt_.CalibIniPath);
    const std::string volt = ini.readString(section, "Volt", "", kStoredListBuffer);
    const std::string data = ini.readString(section, "Data", "", kStoredListBuffer);
    for (const kova::CalibRow& stored : kova::storedPointRows(volt, data)) {
        appendRow(*pointsList_, stored.volt, stored.data);
    }
}

void Dialog_Tdcab::tick() {
    if (tickFree_ != 1) {
        return;
    }
    tickFree_ = 0;
    const kova::SampleOutput out = sampler_.sample(DisplayText(), rt_.AVERNUM, rt_.FIRNUM);
    currentChannel_ = out.channel;
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

void Dialog_Tdcab::placeTick() {
    const kova::ScreenRect& area = rt_.PageAreaRect;
    // Nothing is published before the main window's first tick.
    if (area.right - area.left < 1 || area.bottom - area.top < 1) {
        return;
    }
    const QPoint screenTopLeft(area.left, area.top);
    const QPoint topLeft =
        parentWidget() != nullptr ? parentWidget()->mapFromGlobal(screenTopLeft) : screenTopLeft;
    setGeometry(QRect(topLeft, QSize(area.right - area.left, area.bottom - area.top)));
    update();
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
        autoVolt_->setText(qs(kStartAutoVolt));
        voltField_->clear();
        voltField_->setFocus();
        autoVoltState_ = 1;
    } else {
        StartSampling();
        autoVolt_->setText(qs(kStopAutoVolt));
        trueValueField_->setFocus();
        autoVoltState_ = 0;
    }
}

void Dialog_Tdcab::OnAdd() {
    const std::string volt = textOf(*voltField_);
    const std::string trueValue = textOf(*trueValueField_);
    const kova::AddPointDecision decision = kova::decideAddPoint(
        DisplayText(), volt, trueValue, columnTexts(*pointsList_, 0, kPointCellBytes));
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
    if (pointsList_->GetSelectionMark() < 0) {
        return;
    }
    if (!kova::dialogs().question(this, kDeleteQuestion)) {
        return;
    }
    const int selected = pointsList_->GetFirstSelected();
    if (selected >= 0) {
        pointsList_->DeleteItem(selected);
    }
}

void Dialog_Tdcab::OnClear() {
    if (kova::dialogs().question(this, kClearQuestion)) {
        pointsList_->DeleteAllItems();
    }
}

std::vector<kova::CalibRow> Dialog_Tdcab::pointRows() const {
    std::vector<kova::CalibRow> rows;
    for (int row = 0; row < pointsList_->GetItemCount(); ++row) {
        rows.push_back(
            {std::string(kova::cutToGbkBytes(pointsList_->GetItemText(row, 0), kPointCellBytes)),
             std::string(kova::cutToGbkBytes(pointsList_->GetItemText(row, 1), kPointCellBytes))});
    }
    return rows;
}

void Dialog_Tdcab::OnSave() {
    const std::vector<kova::CalibRow> rows = pointRows();
    if (rows.size() > kova::kCalibMaxSavedPoints) {
        Message(std::string(kova::kCalibTooManyPointsMessage));
        return;
    }
    const std::string display = DisplayText();
    // Without a channel there is no table to write: a section "未选择通道" helps nobody.
    if (display == kova::kNoChannelText) {
        Message(kChooseChannelMessage);
        return;
    }
    const kova::IniFile ini(rt_.CalibIniPath);
    const kova::CalibSaveResult saved =
        kova::saveCalibTable(ini, display + std::string(kChannelSectionSuffix), rows);
    if (!saved) {
        // A table that did not reach the file is never reported as saved.
        kova::reportWriteFailure(this, "该通道标定数据保存失败：", saved.error, saved.reason,
                                 kova::kPageCaption, &rt_.AcqLog);
        return;
    }
    kova::dialogs().message(this, kSavedMessage, std::string(kova::kPageCaption),
                            kova::MessageIcon::Information);
}

void Dialog_Tdcab::OnCheck() {
    if (!runCheckWindow) {
        return;
    }
    const std::string display = DisplayText();
    if (display == kova::kNoChannelText) {
        Message(kChooseChannelMessage);
        deviceBox_->setFocus();
        return;
    }
    sampleTimer_->stop();
    checkWindowOpen_ = true;
    runCheckWindow(kova::CheckRequest{deviceBox_->currentText().toStdString(), display,
                                      debugLog_ == 1, sendToLedBox_->isChecked()});
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

void Dialog_Tdcab::keyPressEvent(QKeyEvent* event) {
    if (!kova::keepPageKey(event)) {
        QWidget::keyPressEvent(event);
    }
}

void Dialog_Tdcab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyLayout();
}

bool Dialog_Tdcab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pointsList_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OnDblclkPoints();
    }
    return QWidget::eventFilter(watched, event);
}
