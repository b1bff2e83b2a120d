#include "LedServerWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>
#include <iterator>
#include <memory>

#include "platform/qt/WindowReceiverQt.h"

namespace kova {

LedServerWindow::LedServerWindow(const LedBoards& boards) : boards_(boards) {
    setWindowTitle("ledserver");
    setStyleSheet("background-color: black;");
    auto grid = std::make_unique<QGridLayout>();
    int row = 0;
    for (const LedBoard& board : boards.boards()) {
        auto* title = new QLabel(QString::fromStdString(board.title), this);
        title->setStyleSheet("color: #808080; font-size: 12px;");
        auto* text = new QLabel(this);
        text->setStyleSheet("color: #ff2020; font-size: 40px; font-weight: bold;");
        text->setMinimumWidth(480);
        grid->addWidget(title, row, 0);
        grid->addWidget(text, row, 1);
        texts_.push_back(text);
        ++row;
    }
    setLayout(grid.release());  // the widget owns its layout
}

void LedServerWindow::refresh(std::size_t board) {
    texts_.at(board)->setText(QString::fromStdString(boards_.boards().at(board).text));
}

int runWindowed(int argc, char** argv, LedBoards& boards,
                const std::function<void(const std::string&)>& report) {
    QApplication app(argc, argv);
    LedServerWindow display(boards);
    auto opened =
        openBoardWindows(boards, report, [&display](std::size_t board, const WindowMessage& m) {
            display.refresh(board);
            if (endsServer(m)) {
                QCoreApplication::quit();
            }
        });
    if (opened.empty()) {
        return 1;
    }
    std::vector<std::unique_ptr<QtMessageWindow>> windows;
    std::transform(std::make_move_iterator(opened.begin()), std::make_move_iterator(opened.end()),
                   std::back_inserter(windows), [](std::unique_ptr<MessageWindow> window) {
                       return std::make_unique<QtMessageWindow>(std::move(window));
                   });
    watchTerminationSignals(&app, [] { QCoreApplication::quit(); });
    display.show();
    return QApplication::exec();
}

}  // namespace kova
