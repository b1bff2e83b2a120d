#include "runtime/CommandLine.h"

#include <string>

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

}  // namespace

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
