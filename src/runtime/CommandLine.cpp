#include "runtime/CommandLine.h"

#include <string>

#include "calib/ProgramVersion.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

int integerField(SystemLibrary& library, const char* source, int n) {
    char field[SystemLibrary::kFieldBytes] = {};
    library.GetField(source, field, n);
    field[sizeof field - 1] = '\0';
    return parseLeadingInt(field);
}

constexpr std::string_view kHelp =
    "Usage: Calib [LEFT,TOP,RIGHT,BOTTOM,ASK]\n"
    "   or: Calib --help | --version\n"
    "\n"
    "The station calibration tool of the KOVA inspection line: declares the channels of the\n"
    "test benches, calibrates analog channels against the live voltage, verifies a calibration\n"
    "on the LED boards and tests the digital channels.\n"
    "\n"
    "The line's programs start it with one argument of fields separated by commas, read by\n"
    "the system library: the main window's left, top, right and bottom edge on the screen, and\n"
    "ASK, 1 to ask for the start-up password box (a missing or non-numeric field reads as 0, so\n"
    "the box is skipped). Without an argument the window keeps its own place and the box is\n"
    "asked for.\n"
    "\n"
    "Exit status: 0 when the window was closed or the text printed, 1 when the system library\n"
    "cannot be used.\n";

}  // namespace

std::optional<std::string> informationRequest(int argc, const char* const* argv) {
    const std::optional<std::string_view> argument = firstArgument(argc, argv);
    if (argument == "--help") {
        return std::string(kHelp);
    }
    if (argument == "--version") {
        return programVersionText("Calib");
    }
    return std::nullopt;
}

std::optional<std::string_view> firstArgument(int argc, const char* const* argv) {
    if (argc < 2 || argv == nullptr || argv[1] == nullptr) {
        return std::nullopt;
    }
    return std::string_view(argv[1]);
}

CommandLineRequest readCommandLine(SystemLibrary& library,
                                   std::optional<std::string_view> argument) {
    CommandLineRequest request;
    if (!argument) {
        return request;
    }
    const std::string gbk = utf8ToGbk(*argument);
    const std::string source(cutGbkBytes(gbk, kArgumentBytes));
    ScreenRect rect;
    rect.left = integerField(library, source.c_str(), 0);
    rect.top = integerField(library, source.c_str(), 1);
    rect.right = integerField(library, source.c_str(), 2);
    rect.bottom = integerField(library, source.c_str(), 3);
    request.windowRect = rect;
    request.PasswordRequired = integerField(library, source.c_str(), 4);
    return request;
}

}  // namespace kova
