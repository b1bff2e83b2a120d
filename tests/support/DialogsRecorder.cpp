#include "DialogsRecorder.h"

#include <QDialog>

namespace kova {

void DialogsRecorder::message(QWidget* /*parent*/, const std::string& text,
                              const std::string& caption, MessageIcon icon) {
    boxes.push_back({text, caption, icon, false});
}

bool DialogsRecorder::question(QWidget* /*parent*/, const std::string& text,
                               const std::string& caption, MessageIcon icon) {
    boxes.push_back({text, caption, icon, true});
    if (answers.empty()) {
        return defaultAnswer;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string DialogsRecorder::saveFileName(QWidget* /*parent*/, const std::string& caption,
                                          const std::string& /*suggested*/,
                                          const std::string& /*filter*/) {
    fileQuestions.push_back(caption);
    if (fileAnswers.empty()) {
        return {};
    }
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

int DialogsRecorder::runModal(QDialog& dialog) {
    // Recorded before the handler runs, so that dialogs it opens in turn come after this one.
    const std::size_t index = modals.size();
    modals.push_back({dialog.windowTitle().toStdString(), false});
    if (!onModal) {
        return 0;
    }
    dialog.setResult(0);
    dialog.show();
    onModal(dialog);
    if (dialog.isVisible()) {
        modals[index].leftOpen = true;
        dialog.hide();
        return 0;
    }
    return dialog.result();
}

}  // namespace kova
