#include "LoginDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "platform/HostPath.h"

namespace kova::passwordbox {

LoginDialog::LoginDialog(std::string usersFile, QWidget* parent)
    : QDialog(parent),
      usersFile_(std::move(usersFile)),
      user_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      error_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("用户登录"));
    user_->setObjectName(QStringLiteral("user"));
    password_->setObjectName(QStringLiteral("password"));
    password_->setEchoMode(QLineEdit::Password);
    error_->setObjectName(QStringLiteral("error"));
    error_->setStyleSheet(QStringLiteral("color: #c00000"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("用户名："), user_);
    form->addRow(QStringLiteral("密  码："), password_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("登 录"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("取 消"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryLogin(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(buttons);
    setMinimumWidth(280);
    user_->setFocus();
}

void LoginDialog::tryLogin() {
    entry_ = checkLogin(usersFile_, user_->text().toStdString(), password_->text().toStdString());
    if (entry_) {
        accept();
        return;
    }
    std::error_code error;
    if (!std::filesystem::exists(hostPath(usersFile_), error)) {
        error_->setText(
            QStringLiteral("用户文件不存在：%1").arg(QString::fromStdString(usersFile_)));
    } else {
        error_->setText(QStringLiteral("用户名或密码错误！"));
    }
    password_->clear();
    password_->setFocus();
}

}  // namespace kova::passwordbox
