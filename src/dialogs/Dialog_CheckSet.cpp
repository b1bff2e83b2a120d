#include "dialogs/Dialog_CheckSet.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <iterator>

#include "controls/Placement.h"
#include "controls/WidgetText.h"
#include "controls/WriteFailure.h"
#include "dialogs/logic/CheckSettings.h"

namespace kova {
namespace {

QStringList toQStrings(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    std::transform(texts.begin(), texts.end(), std::back_inserter(list),
                   [](const std::string& text) { return qs(text); });
    return list;
}

void addSeparator(QWidget* parent, int y) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(dialogUnitRect(6, y, 148, 2));
}

}  // namespace

Dialog_CheckSet::Dialog_CheckSet(QWidget* parent, Runtime& rt)
    : QDialog(parent),
      rt_(rt),
      averNum_(place(new QComboBox(this), dialogUnitRect(74, 10, 70, 13), "1051")),
      hdNum_(place(new QComboBox(this), dialogUnitRect(74, 28, 70, 13), "1052")),
      ms_(place(new QComboBox(this), dialogUnitRect(38, 54, 50, 13), "1055")),
      firNum_(place(new QComboBox(this), dialogUnitRect(74, 80, 70, 13), "1091")),
      set_(new QPushButton(QStringLiteral("设 定"), this)),
      exit_(new QPushButton(QStringLiteral("退 出"), this)) {
    setWindowTitle(QStringLiteral("校准设置"));
    setFixedSize(dialogUnitSize(160, 123));

    placeLabel("一般平均个数：", this, dialogUnitRect(10, 12, 62, 10));
    placeLabel("滑动平均个数：", this, dialogUnitRect(10, 30, 62, 10));
    addSeparator(this, 47);
    placeLabel("每隔：", this, dialogUnitRect(10, 56, 26, 10));
    placeLabel("ms采集一次", this, dialogUnitRect(92, 56, 56, 10));
    addSeparator(this, 73);
    placeLabel("数字滤波器:", this, dialogUnitRect(10, 82, 62, 10));
    addSeparator(this, 99);

    firNum_->setEditable(true);
    // A typed value is applied as text; it never becomes a list entry.
    firNum_->setInsertPolicy(QComboBox::NoInsert);

    place(set_, dialogUnitRect(24, 104, 50, 14), "1053");
    place(exit_, dialogUnitRect(86, 104, 50, 14), "1054");
    connect(set_, &QPushButton::clicked, this, &Dialog_CheckSet::OnSet);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

    fillBoxes();
}

void Dialog_CheckSet::fillBoxes() {
    const auto fill = [](QComboBox* box, const std::vector<std::string>& entries, int value) {
        box->clear();
        box->addItems(toQStrings(entries));
        // No entry with that exact text leaves the box without a selection.
        box->setCurrentIndex(entryIndexOf(entries, value));
    };
    fill(averNum_, averNumEntries(), rt_.AVERNUM);
    fill(hdNum_, hdNumEntries(), rt_.HDNUM);
    fill(ms_, msEntries(), rt_.MS);
    firNum_->clear();
    firNum_->addItems(toQStrings(firNumEntries()));
    firNum_->setCurrentIndex(-1);
    firNum_->setEditText(QString::fromStdString(storedFirNumText(rt_.CalibIniPath)));
}

void Dialog_CheckSet::OnSet() {
    // The values in memory hold for this run even when the file keeps the old ones.
    const IniWriteResult written = applyCheckSettings(
        rt_, {ms_->currentText().toStdString(), averNum_->currentText().toStdString(),
              hdNum_->currentText().toStdString(), firNum_->currentText().toStdString()});
    if (!written) {
        reportWriteFailure(this, "校准设置只在本次运行中有效，没有写入配置文件：", written.error,
                           written.reason, "校准设置", &rt_.AcqLog);
    }
    accept();
}

void Dialog_CheckSet::keyPressEvent(QKeyEvent* event) {
    // A focused button takes Enter itself before it gets here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kova
