#pragma once
// The stand-in password box: login name and password checked against the users file.

#include <QDialog>
#include <optional>
#include <string>

#include "Users.h"

class QLabel;
class QLineEdit;

namespace kova::passwordbox {

class LoginDialog : public QDialog {
  public:
    explicit LoginDialog(std::string usersFile, QWidget* parent = nullptr);

    // The user who logged in, once the dialog was accepted.
    const std::optional<UserEntry>& entry() const { return entry_; }

  private:
    void tryLogin();

    std::string usersFile_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLabel* error_;
    std::optional<UserEntry> entry_;
};

}  // namespace kova::passwordbox
