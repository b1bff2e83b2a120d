#pragma once
// A Dialogs implementation for tests: it shows nothing, records every message box, question and
// modal dialog in order, and answers from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "controls/Dialogs.h"

namespace kova {

struct RecordedBox {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    bool question = false;  // a Yes/No question rather than an OK box
};

struct RecordedModal {
    std::string title;      // the dialog's window title when it was run
    bool leftOpen = false;  // the handler returned with the dialog still open
};

class DialogsRecorder final : public Dialogs {
  public:
    // Message boxes and questions in the order they were shown.
    std::vector<RecordedBox> boxes;
    // Answers to the next questions, in order; once used up, defaultAnswer.
    std::deque<bool> answers;
    bool defaultAnswer = false;
    // Modal dialogs in the order they were run.
    std::vector<RecordedModal> modals;
    // Plays the operator's part in a modal dialog, which is shown when it is called. Its result is
    // runModal's when it closes the dialog; a dialog it leaves open is hidden and gives 0. Without
    // a handler every modal dialog is left at once with 0.
    std::function<void(QDialog&)> onModal;
    // File questions (their captions) in order, and the paths to answer them with, in order;
    // once used up, "" (cancelled).
    std::vector<std::string> fileQuestions;
    std::deque<std::string> fileAnswers;

    void message(QWidget* parent, const std::string& text, const std::string& caption,
                 MessageIcon icon) override;
    bool question(QWidget* parent, const std::string& text, const std::string& caption,
                  MessageIcon icon) override;
    int runModal(QDialog& dialog) override;
    std::string saveFileName(QWidget* parent, const std::string& caption,
                             const std::string& suggested, const std::string& filter) override;
};

}  // namespace kova
