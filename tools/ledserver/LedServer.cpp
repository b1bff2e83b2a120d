#include "LedServer.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "platform/HostPath.h"
#include "platform/IniDocument.h"
#include "platform/TextCodec.h"
#include "platform/WindowReceiver.h"

namespace kova {
namespace {

constexpr std::size_t kTitleBuffer = 100;  // as the client reads its titles

// Control characters as \xNN, so that every message stays one line.
std::string oneLine(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            out += "\\x";
            out += digits[b >> 4];
            out += digits[b & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::string describe(const LedBoard& board, const LedRequest& request,
                     const WindowMessage& message) {
    std::string line = oneLine(board.title) + "\t" + std::string(ledCommandName(request.command));
    switch (request.command) {
        case LedCommand::Write:
            line += "\t" + oneLine(request.text);
            break;
        case LedCommand::Init:
            line += "\t" + oneLine(request.setup.text1) + "\t" +
                    std::to_string(request.setup.value1) + "\t" +
                    std::to_string(request.setup.value2) + "\t" +
                    std::to_string(request.setup.value3) + "\t" + oneLine(request.setup.text2);
            break;
        case LedCommand::Other:
            line += "\tmsg=" + std::to_string(message.msg) +
                    " dwData=" + std::to_string(message.dwData) +
                    " cbData=" + std::to_string(message.cbData) +
                    " size=" + std::to_string(message.data.size());
            break;
        case LedCommand::Close:
        case LedCommand::Clear:
            break;
    }
    return line;
}

}  // namespace

std::string ledServerUsage() {
    return "Usage: ledserver [--headless] [--config MonDev.ini] [TITLE...]\n"
           "   or: ledserver --help | --version\n"
           "Substitute serial-port server: one window per LED board (default LED0..LED9, plus\n"
           "the titles under DEVLED and CURLED of the --config file). Prints one line per\n"
           "message: title, command, text. Message 16 (close) ends it.\n"
           "  --headless   no display; serve until closed or interrupted\n"
           "  --config F   MonDev.ini whose board titles to serve as well\n";
}

LedServerOptions parseLedServerArguments(const std::vector<std::string>& args) {
    LedServerOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--version") {
            options.version = true;
        } else if (a == "--headless") {
            options.headless = true;
        } else if (a == "--config") {
            if (i + 1 == args.size()) {
                options.error = "--config needs a file";
                return options;
            }
            options.config = args[++i];
        } else if (a.rfind("--", 0) == 0 && a.size() > 2) {
            options.error = "unknown option " + a;
            return options;
        } else {
            options.titles.push_back(a);
        }
    }
    return options;
}

std::vector<std::string> titlesInSettings(const std::string& path) {
    std::ifstream in(hostPath(path), std::ios::binary);
    if (!in) {
        return {};
    }
    const IniDocument settings(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    std::vector<std::string> titles;
    for (const auto& [section, key] : settings.keyNames()) {
        if (equalsIgnoreAsciiCase(section, "DEVLED")) {
            titles.push_back(settings.readString(section, key, "", kTitleBuffer));
        }
    }
    titles.push_back(settings.readString("CURLED", "CurLedName", "", kTitleBuffer));
    return titles;
}

std::vector<std::string> boardTitles(const LedServerOptions& options) {
    std::vector<std::string> candidates = options.titles;
    if (candidates.empty()) {
        for (int board = 0; board <= 9; ++board) {
            candidates.push_back("LED" + std::to_string(board));
        }
    }
    if (!options.config.empty()) {
        const std::vector<std::string> more = titlesInSettings(options.config);
        candidates.insert(candidates.end(), more.begin(), more.end());
    }
    std::vector<std::string> titles;
    for (const std::string& t : candidates) {
        bool seen = t.empty();
        for (const std::string& have : titles) {
            seen = seen || equalsIgnoreAsciiCase(have, t);
        }
        if (!seen) {
            titles.push_back(t);
        }
    }
    return titles;
}

LedBoards::LedBoards(const std::vector<std::string>& titles) {
    std::transform(titles.begin(), titles.end(), std::back_inserter(boards_),
                   [](const std::string& t) {
                       return LedBoard{t, {}, false, {}};
                   });
}

std::string LedBoards::apply(std::size_t index, const WindowMessage& message) {
    LedBoard& board = boards_.at(index);
    const LedRequest request = decodeLedMessage(message);
    switch (request.command) {
        case LedCommand::Init:
            board.open = true;
            board.setup = request.setup;
            break;
        case LedCommand::Close:
            board.open = false;
            board.text.clear();
            break;
        case LedCommand::Clear:
            board.text.clear();
            break;
        case LedCommand::Write:
            board.text = request.text;
            break;
        case LedCommand::Other:
            break;
    }
    return describe(board, request, message);
}

std::vector<std::unique_ptr<MessageWindow>> openBoardWindows(
    LedBoards& boards, const std::function<void(const std::string&)>& report,
    const std::function<void(std::size_t, const WindowMessage&)>& after) {
    std::vector<std::unique_ptr<MessageWindow>> windows;
    for (std::size_t i = 0; i < boards.boards().size(); ++i) {
        std::string error;
        auto window = MessageWindow::open(
            boards.boards()[i].title,
            [&boards, report, after, i](const WindowMessage& message) -> std::int64_t {
                report(boards.apply(i, message));
                after(i, message);
                return 0;
            },
            error);
        if (!window) {
            std::cerr << "ledserver: " << error << "\n";
            return {};
        }
        windows.push_back(std::move(window));
    }
    return windows;
}

int runHeadless(LedBoards& boards, const std::function<void(const std::string&)>& report) {
    WindowLoop loop;
    const auto windows =
        openBoardWindows(boards, report, [&loop](std::size_t, const WindowMessage& m) {
            if (endsServer(m)) {
                loop.stop();
            }
        });
    if (windows.empty()) {
        return 1;
    }
    for (const auto& window : windows) {
        loop.add(*window);
    }
    loop.run(true);
    return 0;
}

}  // namespace kova
