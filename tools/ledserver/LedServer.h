#pragma once
// The substitute serial-port server: one window per LED board, each showing the last text it was
// sent. This part knows no Qt; the windowed display is LedServerWindow.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "led/LedProtocol.h"
#include "platform/WindowFrame.h"
#include "platform/WindowReceiver.h"

namespace kova {

struct LedServerOptions {
    bool headless = false;
    bool help = false;
    bool version = false;
    std::string config;               // MonDev.ini, when given
    std::vector<std::string> titles;  // from the command line
    std::string error;                // a usage error
};

LedServerOptions parseLedServerArguments(const std::vector<std::string>& args);
std::string ledServerUsage();

// The titles "DEVLED" lists and "CURLED"'s "CurLedName" in a MonDev.ini (Windows or host path),
// in file order; nothing when the file is missing.
std::vector<std::string> titlesInSettings(const std::string& path);

// The command-line titles, else LED0..LED9; then the titles of the settings file. Without repeats
// (letter case not counting) and without empty titles.
std::vector<std::string> boardTitles(const LedServerOptions& options);

struct LedBoard {
    std::string title;
    std::string text;  // what the board shows, UTF-8
    bool open = false;
    LedSetup setup;
};

class LedBoards {
  public:
    explicit LedBoards(const std::vector<std::string>& titles);

    const std::vector<LedBoard>& boards() const { return boards_; }
    // Applies one message to a board and gives the line that reports it: title, command and
    // details separated by tabs.
    std::string apply(std::size_t board, const WindowMessage& message);

  private:
    std::vector<LedBoard> boards_;
};

// Message 16 (close) sent or posted to any board ends the server.
inline bool endsServer(const WindowMessage& message) {
    return message.msg == kCloseMessage;
}

// One window per board; each message is applied to its board, reported, then handed to `after`.
// Nothing when a window cannot be opened (the reason is on standard error).
std::vector<std::unique_ptr<MessageWindow>> openBoardWindows(
    LedBoards& boards, const std::function<void(const std::string&)>& report,
    const std::function<void(std::size_t, const WindowMessage&)>& after);

// Serves the boards without a display until closed or a termination signal; the exit status.
int runHeadless(LedBoards& boards, const std::function<void(const std::string&)>& report);

}  // namespace kova
