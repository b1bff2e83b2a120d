#pragma once
// The directory where titled windows listen, one Unix socket each, named
// "<key>.<pid>.<n>.sock" with key = lower-case hex of the UTF-8 title, ASCII letters folded, so
// that titles compare without regard to case (a long title's key shortened, see windowKey).
//
// Directory: $KOVA_WINDOWS_DIR, else $XDG_RUNTIME_DIR/kova/windows, else /tmp/kova-<uid>/windows.
// Created with mode 0700; refused when not a directory, owned by another user or open to others.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kova {

struct WindowDirectory {
    std::filesystem::path path;
    std::string error;  // why the directory cannot be used; empty when it can
    explicit operator bool() const { return error.empty(); }
};

// The directory the environment names, neither created nor checked.
std::filesystem::path windowDirectoryPath();

// Resolves, creates and checks the directory (at every call: the environment decides).
WindowDirectory openWindowDirectory();

// Longest key kept whole; a longer one keeps this many characters, "-" and the 16 hex digits of
// the 64-bit FNV-1a hash of the folded UTF-8 title, so that every title makes a valid file name.
inline constexpr std::size_t kWindowKeyHexLimit = 200;

std::string windowKey(std::string_view title);

struct WindowSocketName {
    std::string key;
    std::string title;       // decoded from the key: ASCII letters in lower case
    bool shortened = false;  // a long title's key: `title` is only its first bytes
    long pid = 0;
};

// The parts of a window socket's file name; nothing when the name is not one.
std::optional<WindowSocketName> parseWindowSocketName(std::string_view name);

// Names of the sockets of windows with this title, in name order.
std::vector<std::string> windowSocketsOf(const std::filesystem::path& dir, std::string_view title);

// Names of every window socket in the directory, in name order.
std::vector<std::string> allWindowSockets(const std::filesystem::path& dir);

// Outcome of connecting to one socket file.
enum class ConnectResult { Connected, Busy, Stale, Gone };

// Connects a non-blocking stream socket to the socket file (whatever the length of its path).
// Busy: the listener's queue is full. Stale: nobody listens (the file is removed). Gone: no file.
ConnectResult connectWindowSocket(const std::filesystem::path& file, int& fd);

// Binds and listens under `name`, published atomically (bound under a temporary name, renamed
// once listening) so that a finder never takes a half-made socket for a stale one.
// The listening descriptor, or -1 with `error` set.
int listenWindowSocket(const std::filesystem::path& dir, const std::string& name,
                       std::string& error);

}  // namespace kova
