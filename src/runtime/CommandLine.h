#pragma once
// The command line a sibling program starts the tool with: one argument whose fields, split by
// the system library's GetField, give the main window's rectangle and whether the start-up
// password box is asked for.

#include <optional>
#include <string>
#include <string_view>

#include "device/SystemLibrary.h"
#include "runtime/Runtime.h"

namespace kova {

struct CommandLineRequest {
    // Fields 0-3 (left, top, right, bottom); only when there is a first argument.
    std::optional<ScreenRect> windowRect;
    // Field 4 when there is a first argument, else 1.
    int PasswordRequired = 1;
};

// Longest first argument taken, in GBK bytes; the rest is cut off without splitting a character.
inline constexpr std::size_t kArgumentBytes = 511;

// The first argument, when there is one (even an empty one).
std::optional<std::string_view> firstArgument(int argc, const char* const* argv);

// A first argument of exactly "--help" or "--version" asks for that text instead of a window
// (the line's programs never start the tool with one). The text to print, or nothing when the
// first argument belongs to the window.
std::optional<std::string> informationRequest(int argc, const char* const* argv);

// Reads the fields of the first argument (UTF-8) through the system library. Each field is read
// as an integer by its leading sign and digits; a missing or non-numeric field reads as 0.
CommandLineRequest readCommandLine(SystemLibrary& library,
                                   std::optional<std::string_view> argument);

}  // namespace kova
