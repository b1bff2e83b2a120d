#include "dialogs/Dialog_Password.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTime>

#include "controls/Dialogs.h"
#include "controls/Placement.h"
#include "dialogs/logic/MaintenancePassword.h"

namespace kova {

std::int32_t PasswordAccepted = 0;

namespace {
int localHour() {
    return QTime::currentTime().hour();
}
}  // namespace

Dialog_Password::Dialog_Password(QWidget* parent, HourClock clock)
    : QDialog(parent),
      clock_(clock ? std::move(clock) : HourClock(localHour)),
      password_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("确 定"), this)),
      cancel_(new QPushButton(QStringLiteral("取 消"), this)) {
    setWindowTitle(QStringLiteral("密码输入"));
    setFixedSize(dialogUnitSize(170, 62));

    placeLabel("请输入密码：", this, dialogUnitRect(12, 14, 50, 10));
    place(password_, dialogUnitRect(64, 12, 94, 13), "1042");
    password_->setEchoMode(QLineEdit::Password);
    place(ok_, dialogUnitRect(30, 38, 50, 15), "IDOK");
    place(cancel_, dialogUnitRect(92, 38, 50, 15), "IDCANCEL");

    connect(ok_, &QPushButton::clicked, this, &Dialog_Password::OnOK);
    connect(cancel_, &QPushButton::clicked, this, &Dialog_Password::OnCancel);
    password_->setFocus();
}

void Dialog_Password::OnOK() {
    // The hour of the click counts, not the hour the prompt opened in.
    if (isMaintenancePassword(password_->text().toStdString(), clock_())) {
        PasswordAccepted = 1;
        done(QDialog::Accepted);
        return;
    }
    dialogs().message(this, "密码错误！", "密码输入", MessageIcon::Error);
}

void Dialog_Password::OnCancel() {
    PasswordAccepted = 0;
    done(QDialog::Rejected);
}

void Dialog_Password::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A focused button has taken Enter itself; anywhere else it means "确 定".
            OnOK();
            return;
        case Qt::Key_Escape:
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void Dialog_Password::closeEvent(QCloseEvent* event) {
    // Closing through done() hides the dialog without a close event; what arrives here is the
    // close box or a window-manager request, which the prompt ignores.
    event->ignore();
}

bool askMaintenancePassword(QWidget* parent, Dialog_Password::HourClock clock) {
    Dialog_Password prompt(parent, std::move(clock));
    dialogs().runModal(prompt);
    return PasswordAccepted == 1;
}

}  // namespace kova
