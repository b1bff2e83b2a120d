#pragma once
// The display of the substitute server: every board's current text, large, red on black.

#include <QWidget>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "LedServer.h"

class QLabel;

namespace kova {

class LedServerWindow : public QWidget {
  public:
    explicit LedServerWindow(const LedBoards& boards);
    // Shows the board's current text.
    void refresh(std::size_t board);

  private:
    const LedBoards& boards_;
    std::vector<QLabel*> texts_;
};

// Serves the boards on a Qt event loop with the window shown; the exit status.
int runWindowed(int argc, char** argv, LedBoards& boards,
                const std::function<void(const std::string&)>& report);

}  // namespace kova
