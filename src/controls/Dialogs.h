#pragma once
// The one door through which every window shows a message box, asks a Yes/No question or runs a
// nested modal dialog. Windows call kova::dialogs(); tests install a DialogsRecorder so that they
// see the exact text, caption and icon and answer without a human.

#include <string>

#include "controls/logic/MessageIcon.h"

class QDialog;
class QWidget;

namespace kova {

// Caption of every confirmation the tool asks.
inline constexpr const char* kConfirmCaption = "提示";

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A message box with one OK button; returns when it is dismissed. Texts are UTF-8.
    virtual void message(QWidget* parent, const std::string& text, const std::string& caption,
                         MessageIcon icon) = 0;

    // A Yes/No question; true when the answer is Yes.
    virtual bool question(QWidget* parent, const std::string& text,
                          const std::string& caption = kConfirmCaption,
                          MessageIcon icon = MessageIcon::Question) = 0;

    // Runs the dialog modally and returns its result code (QDialog::done's value).
    virtual int runModal(QDialog& dialog) = 0;

    // Asks where to save a file, starting from the host path `suggested`; `filter` as Qt's file
    // dialogs take it ("PDF 文件 (*.pdf)"). The chosen host path, or "" when cancelled.
    virtual std::string saveFileName(QWidget* parent, const std::string& caption,
                                     const std::string& suggested, const std::string& filter) = 0;
};

// For a run nobody watches (no display): every message box and question goes to standard error
// and is answered at once with its default button (OK, Yes); a nested dialog is not shown and
// ends as Escape would end it; nobody can choose a file, so nothing is saved. Nothing waits for a
// click that cannot come.
Dialogs& unattendedDialogs();

// The implementation in use: real Qt dialogs unless one was installed.
Dialogs& dialogs();

// Installs an implementation (nullptr restores the Qt one); returns the previous one. The caller
// keeps ownership and must restore the previous one before destroying it.
Dialogs* setDialogs(Dialogs* implementation);

// Installs an implementation for the lifetime of the guard.
class ScopedDialogs {
  public:
    explicit ScopedDialogs(Dialogs& implementation) : previous_(setDialogs(&implementation)) {}
    ~ScopedDialogs() { setDialogs(previous_); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

  private:
    Dialogs* previous_;
};

}  // namespace kova
