// PasswordBox.so: the stand-in for the line's password-box component. It exports what the tool
// calls on such a component (ExtDoModal, ExtStop) and checks logins against its own users file,
// "PasswordBox.users" next to the module unless KOVA_PASSWORDBOX_USERS names another file.

#include <QApplication>
#include <QDateTime>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "LoginDialog.h"
#include "dialogs/logic/LoginRecord.h"
#include "platform/ModuleExport.h"

namespace {

std::string usersFile() {
    if (const char* configured = std::getenv("KOVA_PASSWORDBOX_USERS");
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    return (kova::ownModuleDirectory() / "PasswordBox.users").string();
}

void fillRecord(kova::LoginRecord& record, const kova::passwordbox::UserEntry& entry) {
    kova::setLoginText(record.user, entry.user);
    kova::setLoginText(record.name, entry.name);
    kova::setLoginText(record.role, entry.role);
    kova::setLoginText(
        record.time,
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
    kova::setLoginText(record.note, entry.note);
}

}  // namespace

// Shows the login box; 1 and the record filled when a user logged in, 0 when cancelled.
KOVA_MODULE_ENTRY int ExtDoModal(void* data) {
    // A host without Qt of its own still gets a working box.
    std::unique_ptr<QApplication> ownApplication;
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "PasswordBox";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    }
    kova::passwordbox::LoginDialog dialog(usersFile());
    if (dialog.exec() != QDialog::Accepted || !dialog.entry()) {
        return 0;
    }
    if (data != nullptr) {
        fillRecord(*static_cast<kova::LoginRecord*>(data), *dialog.entry());
    }
    return 1;
}

// Nothing keeps running after the box has closed.
KOVA_MODULE_ENTRY int ExtStop() {
    return 0;
}
