#include "app/AboutDlg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "controls/DialogUnits.h"

AboutDlg::AboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("关于 Calib"));
    setFixedSize(kova::dialogUnitSize(235, 93));
    auto* icon = new QLabel(this);
    icon->setPixmap(kova::applicationIcon().pixmap(32, 32));
    icon->setGeometry(kova::dialogUnitRect(11, 17, 20, 20));
    auto* version = new QLabel(QString::fromUtf8("Ver 3.0.1.0"), this);
    version->setGeometry(kova::dialogUnitRect(40, 20, 119, 8));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(kova::dialogUnitRect(7, 60, 160, 2));
    // The caption is the two characters stacked, as on the station's About box.
    ok_ = new QPushButton(QString::fromUtf8("确\n定"), this);
    ok_->setGeometry(kova::dialogUnitRect(178, 7, 50, 79));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}
