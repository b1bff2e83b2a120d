// kovamsg: lists, stands in for and messages the titled windows of the line's programs.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "KovaMsg.h"
#include "calib/ProgramVersion.h"
#include "platform/WindowMessages.h"
#include "platform/WindowReceiver.h"

namespace {

constexpr int kDone = 0;
constexpr int kNotDelivered = 1;
constexpr int kUsage = 2;

int listen(const kova::KovaMsgCommand& command) {
    kova::WindowLoop loop;
    std::vector<std::unique_ptr<kova::MessageWindow>> windows;
    for (const std::string& title : command.titles) {
        std::string error;
        auto window = kova::MessageWindow::open(
            title,
            [&command, title](const kova::WindowMessage& message) -> std::int64_t {
                std::cout << kova::describeMessage(title, message, command.hex) << std::endl;
                return 0;
            },
            error);
        if (!window) {
            std::cerr << "kovamsg: " << error << "\n";
            return kNotDelivered;
        }
        loop.add(*window);
        windows.push_back(std::move(window));
    }
    loop.run(true);
    return kDone;
}

int report(const kova::SendResult& result, bool printResult) {
    if (!result.delivered) {
        std::cerr << "kovamsg: " << result.error << "\n";
        return kNotDelivered;
    }
    if (printResult) {
        std::cout << result.result << "\n";
    }
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    kova::KovaMsgCommand command =
        kova::parseKovaMsgArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!command.error.empty()) {
        std::cerr << "kovamsg: " << command.error << "\n" << kova::kovaMsgUsage();
        return kUsage;
    }
    switch (command.verb) {
        case kova::KovaMsgVerb::Help:
            std::cout << kova::kovaMsgUsage();
            return kDone;
        case kova::KovaMsgVerb::Version:
            std::cout << kova::programVersionText("kovamsg");
            return kDone;
        case kova::KovaMsgVerb::List:
            for (const kova::WindowEntry& w : kova::listWindows()) {
                std::cout << w.title << "\t" << w.pid << "\n";
            }
            return kDone;
        case kova::KovaMsgVerb::Listen:
            return listen(command);
        case kova::KovaMsgVerb::Post:
            return report(
                kova::postWindowMessage(command.titles[0], command.message, command.timeout),
                false);
        case kova::KovaMsgVerb::Send:
            return report(
                kova::sendWindowMessage(command.titles[0], command.message, command.timeout), true);
        case kova::KovaMsgVerb::CopyData: {
            std::string error;
            if (!kova::buildCopyData(command, error)) {
                std::cerr << "kovamsg: " << error << "\n";
                return kNotDelivered;
            }
            return report(
                kova::sendWindowMessage(command.titles[0], command.message, command.timeout), true);
        }
    }
    return kUsage;
}
