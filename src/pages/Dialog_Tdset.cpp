#include "pages/Dialog_Tdset.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "config/ChannelRows.h"
#include "controls/DialogUnits.h"
#include "controls/Dialogs.h"
#include "controls/EditListCtrl.h"
#include "controls/MoveControl.h"
#include "controls/PageKeys.h"
#include "controls/StaticText.h"
#include "controls/WriteFailure.h"
#include "runtime/Runtime.h"

namespace {

using kova::dialogUnitRect;

// Template 131, in dialog units.
constexpr int kPageWidth = 482;
constexpr int kPageHeight = 343;

// Messages of this page are captioned with the application's title, as its other plain notices.
constexpr const char* kMessageCaption = "Calib";

constexpr const char* kNoStationMessage =
    "没有配置工位信息，请先在“工位管理器”中配置该机的工位信息！";
constexpr const char* kSavedMessage = "该设备通道配置保存完毕！";
constexpr const char* kHint =
    "提示：选中一项数据，双击“通道号”或“通道说明”可以修改其数值。(About最多100个字符或50个汉字)";

const QColor kRemarkColor(200, 0, 0);
const QColor kListTextColor(0, 0, 255);
const QColor kListBackColor(240, 247, 233);

// The boxes' and the lists' fonts: 宋体, given as cell height, average width and weight.
QFont songFont(int height, int width, int weight) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(height);
    font.setWeight(static_cast<QFont::Weight>(weight));
    // The average width is kept through the stretch against the face's own width.
    const int natural = QFontMetrics(font).averageCharWidth();
    if (natural > 0) {
        font.setStretch(std::clamp(width * 100 / natural, 1, 4000));
    }
    return font;
}

void paintRemark(QWidget& widget) {
    QPalette p = widget.palette();
    p.setColor(QPalette::WindowText, kRemarkColor);
    widget.setPalette(p);
    widget.setAutoFillBackground(false);
}

template <typename Widget>
Widget* place(Widget* widget, const QRect& rect) {
    widget->setGeometry(rect);
    return widget;
}

// A static text is drawn from its top-left corner, so a text taller than its box (the layout lets
// the dialog font grow it) runs downwards rather than up into the control above.
QLabel* label(const char* text, QWidget* parent, const QRect& rect) {
    auto* l = place(new CStaticText(QString::fromUtf8(text), parent), rect);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

std::vector<std::string> columnTexts(const CEditListCtrl& list, int column) {
    std::vector<std::string> texts(static_cast<std::size_t>(list.GetItemCount()));
    for (std::size_t row = 0; row < texts.size(); ++row) {
        texts[row] = list.GetItemText(static_cast<int>(row), column);
    }
    return texts;
}

std::vector<std::string> rowTexts(const CEditListCtrl& list, int row) {
    std::vector<std::string> cells(static_cast<std::size_t>(list.columnCount()));
    for (std::size_t column = 0; column < cells.size(); ++column) {
        cells[column] = list.GetItemText(row, static_cast<int>(column));
    }
    return cells;
}

void fillBox(QComboBox& box, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        box.addItem(QString::fromStdString(text));
    }
}

void appendRow(CEditListCtrl& list, const std::vector<std::string>& cells) {
    const int row = list.InsertItem(list.GetItemCount(), cells.empty() ? "" : cells.front());
    for (std::size_t column = 1; column < cells.size(); ++column) {
        list.SetItemText(row, static_cast<int>(column), cells[column]);
    }
}

kova::ChannelStore publishedStore() {
    const kova::Runtime& r = kova::runtime();
    return kova::ChannelStore({r.CalibIniPath, r.SysIniPath, r.DevIdIniPath});
}

QRect publishedPageArea() {
    const kova::ScreenRect& r = kova::runtime().PageAreaRect;
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

Dialog_Tdset::Dialog_Tdset(QWidget* parent)
    : Dialog_Tdset(publishedStore(), publishedPageArea, parent) {}

Dialog_Tdset::Dialog_Tdset(kova::ChannelStore store, PageAreaSource pageArea, QWidget* parent)
    : QWidget(parent), store_(std::move(store)), pageArea_(std::move(pageArea)) {
    resize(kova::dialogUnitsToPixelsX(kPageWidth), kova::dialogUnitsToPixelsY(kPageHeight));
    BuildControls();
    layout_ = std::make_unique<CMoveControl>();
    layout_->Attach(this);

    SetUpLists();
    FillStations();

    // The layout gives every control the dialog font, over the boxes' and the lists' own; unlike
    // the calibration page, this page does not put its fonts back afterwards.
    layout_->Layout();

    placeTimer_ = new QTimer(this);
    placeTimer_->setInterval(kPlaceTimerMs);
    connect(placeTimer_, &QTimer::timeout, this, &Dialog_Tdset::tick);
    placeTimer_->start();
}

Dialog_Tdset::~Dialog_Tdset() = default;

void Dialog_Tdset::BuildControls() {
    save_ = place(new QPushButton(QStringLiteral("保   存"), this), dialogUnitRect(10, 7, 94, 35));
    label("请选择本机一个工位：", this, dialogUnitRect(108, 5, 81, 8));
    stationBox_ = place(new QComboBox(this), dialogUnitRect(108, 15, 81, 14));
    label("请选择该工位的一个设备：", this, dialogUnitRect(191, 6, 150, 8));
    deviceBox_ = place(new QComboBox(this), dialogUnitRect(191, 15, 280, 14));
    auto* line = place(new QFrame(this), dialogUnitRect(6, 45, 467, 1));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* analogGroup = place(new QGroupBox(QStringLiteral("模拟：（传感器......）"), this),
                              dialogUnitRect(5, 48, 312, 278));
    analogList_ = place(new CEditListCtrl(this), dialogUnitRect(9, 65, 304, 231));
    label("项目关键字：", this, dialogUnitRect(15, 305, 75, 8));
    analogKeyword_ = place(new QLineEdit(this), dialogUnitRect(92, 305, 83, 14));
    addAnalog_ =
        place(new QPushButton(QStringLiteral("添 加"), this), dialogUnitRect(180, 305, 50, 14));

    auto* inputGroup = place(new QGroupBox(QStringLiteral("数字输入：（光电开关......）"), this),
                             dialogUnitRect(321, 48, 153, 138));
    inputList_ = place(new CEditListCtrl(this), dialogUnitRect(326, 61, 145, 87));
    label("项目关键字：", this, dialogUnitRect(325, 152, 80, 8));
    inputKeyword_ = place(new QLineEdit(this), dialogUnitRect(327, 163, 83, 14));
    addInput_ =
        place(new QPushButton(QStringLiteral("添 加"), this), dialogUnitRect(415, 151, 50, 27));

    auto* outputGroup = place(new QGroupBox(QStringLiteral("数字输出：（电机......）"), this),
                              dialogUnitRect(322, 188, 153, 138));
    outputList_ = place(new CEditListCtrl(this), dialogUnitRect(326, 203, 145, 87));
    label("项目关键字：", this, dialogUnitRect(327, 293, 80, 8));
    outputKeyword_ = place(new QLineEdit(this), dialogUnitRect(328, 305, 83, 14));
    addOutput_ =
        place(new QPushButton(QStringLiteral("添 加"), this), dialogUnitRect(416, 293, 50, 27));

    QLabel* hint = label(kHint, this, dialogUnitRect(7, 331, 468, 8));
    for (QWidget* remark : {static_cast<QWidget*>(analogGroup), static_cast<QWidget*>(inputGroup),
                            static_cast<QWidget*>(outputGroup), static_cast<QWidget*>(hint)}) {
        paintRemark(*remark);
    }

    connect(stationBox_, &QComboBox::activated, this, [this](int) { OnSelchangeStation(); });
    connect(deviceBox_, &QComboBox::activated, this, [this](int) { OnSelchangeDevice(); });
    connect(addAnalog_, &QPushButton::clicked, this, &Dialog_Tdset::OnAddAnalog);
    connect(addInput_, &QPushButton::clicked, this, &Dialog_Tdset::OnAddInput);
    connect(addOutput_, &QPushButton::clicked, this, &Dialog_Tdset::OnAddOutput);
    connect(save_, &QPushButton::clicked, this, &Dialog_Tdset::OnSave);
}

void Dialog_Tdset::SetUpLists() {
    const QFont boxFont = songFont(28, 12, 300);
    stationBox_->setFont(boxFont);
    deviceBox_->setFont(boxFont);
    const QFont listFont = songFont(17, 7, 300);

    const auto setUp = [&listFont](CEditListCtrl& list, const auto& columns) {
        list.setFont(listFont);
        int index = 0;
        for (const auto& column : columns) {
            list.InsertColumn(index++, std::string(column.heading), CEditListCtrl::FormatLeft,
                              column.width);
        }
        list.SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect |
                              CEditListCtrl::TrackSelect | CEditListCtrl::HeaderDragDrop);
        list.SetTextColor(kListTextColor);
        list.SetBkColor(kListBackColor);
        list.SetEditLabels(true);
        // The keyword is the row's key: never edited, neither by a click nor by the list itself.
        list.SetClickEditExcluded(0);
        list.SetColumnNoEdit(0, true);
    };
    setUp(*analogList_, kova::kAnalogColumns);
    setUp(*inputList_, kova::kDigitalColumns);
    setUp(*outputList_, kova::kDigitalColumns);
}

void Dialog_Tdset::FillStations() {
    fillBox(*stationBox_, kova::sortedNames(store_.ListStations()));
    if (stationBox_->count() == 0) {
        Message(kNoStationMessage);
        return;
    }
    stationBox_->setCurrentIndex(0);
    FillDevices(stationBox_->currentText().toStdString());
    // One station leaves nothing to choose.
    stationBox_->setEnabled(stationBox_->count() != 1);
}

void Dialog_Tdset::FillDevices(const std::string& stationName) {
    deviceBox_->clear();
    fillBox(*deviceBox_, kova::sortedNames(store_.ListDevices(stationName)));
    // The lists stay empty until the technician picks a device.
    deviceBox_->setCurrentIndex(-1);
}

void Dialog_Tdset::ClearLists() {
    analogList_->DeleteAllItems();
    inputList_->DeleteAllItems();
    outputList_->DeleteAllItems();
}

void Dialog_Tdset::OnSelchangeStation() {
    FillDevices(stationBox_->currentText().toStdString());
    ClearLists();
}

void Dialog_Tdset::OnSelchangeDevice() {
    ClearLists();
    const kova::ChannelLists lists = store_.LoadChannels(deviceBox_->currentText().toStdString());
    for (const kova::AnalogChannel& row : lists.analog) {
        appendRow(*analogList_, kova::cellsOf(row));
    }
    for (const kova::DigitalChannel& row : lists.inputs) {
        appendRow(*inputList_, kova::cellsOf(row));
    }
    for (const kova::DigitalChannel& row : lists.outputs) {
        appendRow(*outputList_, kova::cellsOf(row));
    }
}

void Dialog_Tdset::AddRow(CEditListCtrl& list, const QLineEdit& keywordBox) {
    const std::string keyword = keywordBox.text().toStdString();
    if (const auto refusal = kova::addRefusal(keyword, columnTexts(list, 0))) {
        Message(*refusal);
        return;
    }
    // The other cells start empty; the keyword box keeps its text.
    list.InsertItem(list.GetItemCount(), keyword);
}

void Dialog_Tdset::OnAddAnalog() {
    AddRow(*analogList_, *analogKeyword_);
}

void Dialog_Tdset::OnAddInput() {
    AddRow(*inputList_, *inputKeyword_);
}

void Dialog_Tdset::OnAddOutput() {
    AddRow(*outputList_, *outputKeyword_);
}

kova::ChannelLists Dialog_Tdset::ListsAsShown() const {
    kova::ChannelLists lists;
    for (int row = 0; row < analogList_->GetItemCount(); ++row) {
        lists.analog.push_back(kova::analogFromCells(rowTexts(*analogList_, row)));
    }
    for (int row = 0; row < outputList_->GetItemCount(); ++row) {
        lists.outputs.push_back(kova::digitalFromCells(rowTexts(*outputList_, row)));
    }
    for (int row = 0; row < inputList_->GetItemCount(); ++row) {
        lists.inputs.push_back(kova::digitalFromCells(rowTexts(*inputList_, row)));
    }
    return lists;
}

void Dialog_Tdset::OnSave() {
    const kova::ChannelLists lists = ListsAsShown();
    // Every cell is checked first: the save writes all of them or none.
    if (const std::optional<kova::UnsavableCell> cell = store_.FindUnsavableCell(lists)) {
        std::fprintf(stderr, "Calib: channel configuration not saved: %s\n", cell->reason.c_str());
        kova::dialogs().message(this, kova::unsavableCellMessage(*cell), kMessageCaption,
                                kova::MessageIcon::Error);
        return;
    }
    const kova::IniWriteResult result =
        store_.SaveChannels(deviceBox_->currentText().toStdString(), lists);
    if (!result) {
        // A save that did not reach the file is never reported as done.
        kova::reportWriteFailure(this, "该设备通道配置保存失败：", result.error, result.reason,
                                 kMessageCaption);
        return;
    }
    kova::dialogs().message(this, kSavedMessage, kMessageCaption, kova::MessageIcon::Information);
}

void Dialog_Tdset::tick() {
    const QRect area = pageArea_ ? pageArea_() : QRect();
    // Nothing is published before the main window's first tick.
    if (area.width() < 1 || area.height() < 1) {
        return;
    }
    const QPoint topLeft =
        parentWidget() != nullptr ? parentWidget()->mapFromGlobal(area.topLeft()) : area.topLeft();
    setGeometry(QRect(topLeft, area.size()));
    update();
}

void Dialog_Tdset::keyPressEvent(QKeyEvent* event) {
    if (!kova::keepPageKey(event)) {
        QWidget::keyPressEvent(event);
    }
}

void Dialog_Tdset::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (layout_) {
        layout_->Layout();
    }
}

void Dialog_Tdset::Message(const std::string& text) {
    kova::dialogs().message(this, text, kMessageCaption, kova::MessageIcon::Exclamation);
}
