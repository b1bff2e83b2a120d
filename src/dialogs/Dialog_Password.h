#pragma once
// The maintenance password prompt (template 135, "密码输入"). It can only be left through its two
// buttons; the outcome stays in PasswordAccepted for the caller to read.

#include <QDialog>
#include <cstdint>
#include <functional>

class QLineEdit;
class QPushButton;

namespace kova {

// 1 after the maintenance password was accepted, 0 after the prompt was cancelled; 0 at start.
extern std::int32_t PasswordAccepted;

class Dialog_Password : public QDialog {
  public:
    // The hour of the local clock (0 to 23); tests set their own.
    using HourClock = std::function<int()>;

    explicit Dialog_Password(QWidget* parent = nullptr, HourClock clock = {});

    QLineEdit* passwordField() const { return password_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // "确 定" / Enter: compares with the password of the hour at this moment.
    void OnOK();
    // "取 消".
    void OnCancel();

  protected:
    // Escape and the close box leave the prompt open.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    HourClock clock_;
    QLineEdit* password_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Runs the prompt modally through kova::dialogs(); true when the password was accepted.
bool askMaintenancePassword(QWidget* parent, Dialog_Password::HourClock clock = {});

}  // namespace kova
