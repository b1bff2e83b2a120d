#include "pages/Dialog_Tdset.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "config/ChannelRows.h"
#include "controls/Dialogs.h"
#include "controls/EditListCtrl.h"
#include "controls/Placement.h"
#include "controls/StaticText.h"
#include "controls/StationPicker.h"
#include "controls/WidgetText.h"
#include "controls/WriteFailure.h"
#include "runtime/Runtime.h"

namespace {

using kova::dialogUnitRect;
using kova::place;

// Messages of this page are captioned with the application's title, as its other plain notices.
constexpr const char* kMessageCaption = "Calib";

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

// A static text is drawn from its top-left corner, so a text taller than its box (the layout lets
// the dialog font grow it) runs downwards rather than up into the control above.
QLabel* label(const char* text, QWidget* parent, const QRect& rect) {
    auto* l = place(new CStaticText(kova::qs(text), parent), rect);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// One of the three lists in its group box, with its keyword box, the box's label and "添 加"
// below: rectangles in dialog units (x, y, width, height).
struct ListGroupTemplate {
    const char* title;
    std::array<int, 4> group, list, label, keyword, add;
};

// clang-format off
constexpr std::array<ListGroupTemplate, 3> kListGroups{{
    // title                           group                 list                 label              keyword             add
    {"模拟：（传感器......）",         {5, 48, 312, 278},    {9, 65, 304, 231},   {15, 305, 75, 8},  {92, 305, 83, 14},  {180, 305, 50, 14}},
    {"数字输入：（光电开关......）",   {321, 48, 153, 138},  {326, 61, 145, 87},  {325, 152, 80, 8}, {327, 163, 83, 14}, {415, 151, 50, 27}},
    {"数字输出：（电机......）",       {322, 188, 153, 138}, {326, 203, 145, 87}, {327, 293, 80, 8}, {328, 305, 83, 14}, {416, 293, 50, 27}},
}};
// clang-format on

QRect rectOf(const std::array<int, 4>& du) {
    return dialogUnitRect(du[0], du[1], du[2], du[3]);
}

// Builds `controls` in their group box; "添 加" adds to them.
QGroupBox* addListGroup(Dialog_Tdset* page, const ListGroupTemplate& t,
                        Dialog_Tdset::ListGroup& controls) {
    auto* group = place(new QGroupBox(kova::qs(t.title), page), rectOf(t.group));
    controls.list = place(new CEditListCtrl(page), rectOf(t.list));
    label("项目关键字：", page, rectOf(t.label));
    controls.keyword = place(new QLineEdit(page), rectOf(t.keyword));
    controls.add = kova::placeButton("添 加", page, rectOf(t.add),
                                     [page, &controls] { page->OnAdd(controls); });
    return group;
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

void appendRow(CEditListCtrl& list, const std::vector<std::string>& cells) {
    const int row = list.InsertItem(list.GetItemCount(), cells.empty() ? "" : cells.front());
    for (std::size_t column = 1; column < cells.size(); ++column) {
        list.SetItemText(row, static_cast<int>(column), cells[column]);
    }
}

QRect publishedPageArea() {
    return kova::qRectOf(kova::runtime().PageAreaRect);
}

}  // namespace

Dialog_Tdset::Dialog_Tdset(QWidget* parent)
    : Dialog_Tdset(kova::ChannelStore(kova::runtime().channelIniPaths()), publishedPageArea,
                   parent) {}

Dialog_Tdset::Dialog_Tdset(kova::ChannelStore store, PageAreaSource pageArea, QWidget* parent)
    : TabPage(std::move(pageArea), parent), store_(std::move(store)) {
    resize(kova::dialogUnitSize(482, 343));  // template 131
    BuildControls();
    AttachLayout();

    SetUpLists();
    if (!kova::fillStations(*stationBox_, *deviceBox_, store_)) {
        Message(kova::kNoStationMessage);
    }

    // The layout gives every control the dialog font, over the boxes' and the lists' own; unlike
    // the calibration page, this page does not put its fonts back afterwards.
    Relayout();
    StartFollowingPageArea();
}

Dialog_Tdset::~Dialog_Tdset() = default;

void Dialog_Tdset::BuildControls() {
    save_ =
        kova::placeButton("保   存", this, dialogUnitRect(10, 7, 94, 35), &Dialog_Tdset::OnSave);
    label("请选择本机一个工位：", this, dialogUnitRect(108, 5, 81, 8));
    stationBox_ = place(new QComboBox(this), dialogUnitRect(108, 15, 81, 14));
    label("请选择该工位的一个设备：", this, dialogUnitRect(191, 6, 150, 8));
    deviceBox_ = place(new QComboBox(this), dialogUnitRect(191, 15, 280, 14));
    auto* line = place(new QFrame(this), dialogUnitRect(6, 45, 467, 1));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QGroupBox* analogGroup = addListGroup(this, kListGroups[0], analog_);
    QGroupBox* inputGroup = addListGroup(this, kListGroups[1], inputs_);
    QGroupBox* outputGroup = addListGroup(this, kListGroups[2], outputs_);

    QLabel* hint = label(kHint, this, dialogUnitRect(7, 331, 468, 8));
    for (QWidget* remark : {static_cast<QWidget*>(analogGroup), static_cast<QWidget*>(inputGroup),
                            static_cast<QWidget*>(outputGroup), static_cast<QWidget*>(hint)}) {
        paintRemark(*remark);
    }

    connect(stationBox_, &QComboBox::activated, this, [this](int) { OnSelchangeStation(); });
    connect(deviceBox_, &QComboBox::activated, this, [this](int) { OnSelchangeDevice(); });
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
    setUp(*analog_.list, kova::kAnalogColumns);
    setUp(*inputs_.list, kova::kDigitalColumns);
    setUp(*outputs_.list, kova::kDigitalColumns);
}

void Dialog_Tdset::ClearLists() {
    for (const ListGroup* group : {&analog_, &inputs_, &outputs_}) {
        group->list->DeleteAllItems();
    }
}

void Dialog_Tdset::OnSelchangeStation() {
    kova::fillDevices(*deviceBox_, store_, kova::textOf(*stationBox_));
    ClearLists();
}

void Dialog_Tdset::OnSelchangeDevice() {
    ClearLists();
    const kova::ChannelLists lists = store_.LoadChannels(kova::textOf(*deviceBox_));
    for (const kova::AnalogChannel& row : lists.analog) {
        appendRow(*analog_.list, kova::cellsOf(row));
    }
    for (const kova::DigitalChannel& row : lists.inputs) {
        appendRow(*inputs_.list, kova::cellsOf(row));
    }
    for (const kova::DigitalChannel& row : lists.outputs) {
        appendRow(*outputs_.list, kova::cellsOf(row));
    }
}

void Dialog_Tdset::OnAdd(const ListGroup& group) {
    CEditListCtrl& list = *group.list;
    const std::string keyword = kova::textOf(*group.keyword);
    if (const auto refusal = kova::addRefusal(keyword, columnTexts(list, 0))) {
        Message(*refusal);
        return;
    }
    // The other cells start empty; the keyword box keeps its text.
    list.InsertItem(list.GetItemCount(), keyword);
}

kova::ChannelLists Dialog_Tdset::ListsAsShown() const {
    kova::ChannelLists lists;
    for (int row = 0; row < analog_.list->GetItemCount(); ++row) {
        lists.analog.push_back(kova::analogFromCells(rowTexts(*analog_.list, row)));
    }
    for (int row = 0; row < outputs_.list->GetItemCount(); ++row) {
        lists.outputs.push_back(kova::digitalFromCells(rowTexts(*outputs_.list, row)));
    }
    for (int row = 0; row < inputs_.list->GetItemCount(); ++row) {
        lists.inputs.push_back(kova::digitalFromCells(rowTexts(*inputs_.list, row)));
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
    const kova::IniWriteResult result = store_.SaveChannels(kova::textOf(*deviceBox_), lists);
    if (!result) {
        // A save that did not reach the file is never reported as done.
        kova::reportWriteFailure(this, "该设备通道配置保存失败：", result.error, result.reason,
                                 kMessageCaption);
        return;
    }
    kova::dialogs().message(this, kSavedMessage, kMessageCaption, kova::MessageIcon::Information);
}

void Dialog_Tdset::Message(const std::string& text) {
    kova::dialogs().message(this, text, kMessageCaption, kova::MessageIcon::Exclamation);
}
