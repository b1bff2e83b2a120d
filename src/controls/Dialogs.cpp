#include "controls/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <cstdio>

namespace kova {
namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Shows real Qt dialogs.
class QtDialogs final : public Dialogs {
  public:
    void message(QWidget* parent, const std::string& text, const std::string& caption,
                 MessageIcon icon) override {
        QMessageBox box(qtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::NoButton, parent);
        // The station's buttons read in Chinese whatever the host locale is.
        box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.exec();
    }

    bool question(QWidget* parent, const std::string& text, const std::string& caption,
                  MessageIcon icon) override {
        QMessageBox box(qtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    int runModal(QDialog& dialog) override { return dialog.exec(); }

    std::string saveFileName(QWidget* parent, const std::string& caption,
                             const std::string& suggested, const std::string& filter) override {
        return QFileDialog::getSaveFileName(parent, QString::fromStdString(caption),
                                            QString::fromStdString(suggested),
                                            QString::fromStdString(filter))
            .toStdString();
    }
};

QtDialogs& qtDialogs() {
    static QtDialogs instance;
    return instance;
}

class UnattendedDialogs final : public Dialogs {
  public:
    void message(QWidget* /*parent*/, const std::string& text, const std::string& caption,
                 MessageIcon /*icon*/) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }

    bool question(QWidget* /*parent*/, const std::string& text, const std::string& caption,
                  MessageIcon /*icon*/) override {
        // Yes is the default button of the tool's questions.
        std::fprintf(stderr, "%s: %s (是)\n", caption.c_str(), text.c_str());
        return true;
    }

    int runModal(QDialog& dialog) override {
        std::fprintf(stderr, "%s: not shown without a display\n",
                     dialog.windowTitle().toUtf8().constData());
        return QDialog::Rejected;
    }

    std::string saveFileName(QWidget* /*parent*/, const std::string& caption,
                             const std::string& suggested, const std::string& /*filter*/) override {
        std::fprintf(stderr, "%s: %s not saved without a display\n", caption.c_str(),
                     suggested.c_str());
        return {};
    }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& unattendedDialogs() {
    static UnattendedDialogs instance;
    return instance;
}

Dialogs& dialogs() {
    if (installed != nullptr) {
        return *installed;
    }
    return qtDialogs();
}

Dialogs* setDialogs(Dialogs* implementation) {
    Dialogs* previous = installed != nullptr ? installed : &qtDialogs();
    installed = implementation;
    return previous;
}

}  // namespace kova
