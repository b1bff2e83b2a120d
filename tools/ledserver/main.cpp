// ledserver: the substitute serial-port server of the LED boards.

#include <iostream>
#include <string>
#include <vector>

#include "LedServer.h"
#include "calib/ProgramVersion.h"
#if KOVA_LEDSERVER_WINDOW
#include "LedServerWindow.h"
#endif

int main(int argc, char** argv) {
    const kova::LedServerOptions options =
        kova::parseLedServerArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::cout << kova::ledServerUsage();
        return 0;
    }
    if (options.version) {
        std::cout << kova::programVersionText("ledserver");
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "ledserver: " << options.error << "\n" << kova::ledServerUsage();
        return 2;
    }
    const std::vector<std::string> titles = kova::boardTitles(options);
    if (titles.empty()) {
        std::cerr << "ledserver: no board titles\n";
        return 2;
    }
    kova::LedBoards boards(titles);
    const auto report = [](const std::string& line) { std::cout << line << std::endl; };
#if KOVA_LEDSERVER_WINDOW
    if (!options.headless) {
        return kova::runWindowed(argc, argv, boards, report);
    }
#else
    if (!options.headless) {
        std::cerr << "ledserver: built without a display; running headless\n";
    }
#endif
    return kova::runHeadless(boards, report);
}
