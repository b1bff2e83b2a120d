#include "platform/WindowDirectory.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/TextCodec.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

const char* envText(const char* name) {
    const char* v = std::getenv(name);
    return (v != nullptr && *v != '\0') ? v : nullptr;
}

std::string octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777);
    return text;
}

// Creates the directory with mode 0700 when missing and checks that only its owner, this user,
// can reach it.
std::string ensurePrivateDirectory(const fs::path& dir) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return "cannot examine " + dir.string() + ": " + std::strerror(errno);
        }
        std::error_code ec;
        fs::create_directories(dir.parent_path(), ec);  // a failure shows in the mkdir below
        if ((::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) ||
            ::lstat(dir.c_str(), &st) != 0) {
            return "cannot create " + dir.string() + ": " + std::strerror(errno);
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        return dir.string() + " is not a directory";
    }
    if (st.st_uid != ::geteuid()) {
        return dir.string() + " belongs to another user";
    }
    if ((st.st_mode & 077) != 0) {
        return dir.string() + " is open to other users (mode " + octal(st.st_mode) + ")";
    }
    return {};
}

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Fills `addr` with `path`; false when it does not fit.
bool fillAddress(sockaddr_un& addr, const std::string& path) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        return false;
    }
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

std::vector<std::string> listSockets(const fs::path& dir, const std::string* key) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::optional<WindowSocketName> parsed = parseWindowSocketName(name);
        if (!parsed) {
            continue;
        }
        if (key == nullptr || parsed->key == *key) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

fs::path windowDirectoryPath() {
    if (const char* set = envText("KOVA_WINDOWS_DIR")) {
        return set;
    }
    if (const char* runtime = envText("XDG_RUNTIME_DIR")) {
        return fs::path(runtime) / "kova" / "windows";
    }
    return fs::path("/tmp") / ("kova-" + std::to_string(::geteuid())) / "windows";
}

WindowDirectory openWindowDirectory() {
    WindowDirectory out;
    out.path = windowDirectoryPath();
    // The directories this layer creates and must keep private: a set one alone, else the
    // "kova" parent as well.
    std::vector<fs::path> owned = {out.path};
    if (envText("KOVA_WINDOWS_DIR") == nullptr) {
        owned.insert(owned.begin(), out.path.parent_path());
    }
    for (const fs::path& dir : owned) {
        out.error = ensurePrivateDirectory(dir);
        if (!out.error.empty()) {
            out.error = "windows directory refused: " + out.error;
            break;
        }
    }
    return out;
}

std::string windowKey(std::string_view title) {
    static const char digits[] = "0123456789abcdef";
    const std::string folded = asciiLower(title);
    std::string key;
    key.reserve(2 * folded.size());
    for (char c : folded) {
        const auto b = static_cast<unsigned char>(c);
        key += digits[b >> 4];
        key += digits[b & 0x0F];
    }
    if (key.size() <= kWindowKeyHexLimit) {
        return key;
    }
    // A file name holds at most 255 bytes: a long title keeps a prefix and a hash of the whole.
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (char c : folded) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    }
    key.resize(kWindowKeyHexLimit);
    key += '-';
    for (int shift = 60; shift >= 0; shift -= 4) {
        key += digits[(hash >> shift) & 0x0F];
    }
    return key;
}

std::optional<WindowSocketName> parseWindowSocketName(std::string_view name) {
    static constexpr std::string_view suffix = ".sock";
    if (name.size() < suffix.size() || name.substr(name.size() - suffix.size()) != suffix) {
        return std::nullopt;
    }
    name.remove_suffix(suffix.size());
    const std::size_t lastDot = name.rfind('.');
    if (lastDot == std::string_view::npos || !allDigits(name.substr(lastDot + 1))) {
        return std::nullopt;
    }
    name = name.substr(0, lastDot);
    const std::size_t pidDot = name.rfind('.');
    if (pidDot == std::string_view::npos || !allDigits(name.substr(pidDot + 1))) {
        return std::nullopt;
    }
    const std::string_view pid = name.substr(pidDot + 1);
    const std::string_view key = name.substr(0, pidDot);
    std::string_view hex = key;
    const bool shortened = key.size() == kWindowKeyHexLimit + 17 && key[kWindowKeyHexLimit] == '-';
    if (shortened) {
        const std::string_view hash = key.substr(kWindowKeyHexLimit + 1);
        if (!std::all_of(hash.begin(), hash.end(), [](char c) { return hexValue(c) >= 0; })) {
            return std::nullopt;
        }
        hex = key.substr(0, kWindowKeyHexLimit);
    } else if (key.size() > kWindowKeyHexLimit || key.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string decoded;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        decoded += static_cast<char>(hi << 4 | lo);
    }
    WindowSocketName out;
    out.key = std::string(key);
    out.title = std::move(decoded);
    out.shortened = shortened;
    for (char c : pid.substr(0, 9)) {  // pids have at most 7 digits; never overflow
        out.pid = out.pid * 10 + (c - '0');
    }
    return out;
}

std::vector<std::string> windowSocketsOf(const fs::path& dir, std::string_view title) {
    const std::string key = windowKey(title);
    return listSockets(dir, &key);
}

std::vector<std::string> allWindowSockets(const fs::path& dir) {
    return listSockets(dir, nullptr);
}

ConnectResult connectWindowSocket(const fs::path& file, int& fd) {
    fd = -1;
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return ConnectResult::Busy;
    }
    sockaddr_un addr{};
    int pathFd = -1;
    if (!fillAddress(addr, file.native())) {
        // Too long for a socket address: reach the file through a descriptor of it.
        pathFd = ::open(file.c_str(), O_PATH | O_CLOEXEC);
        if (pathFd < 0) {
            ::close(s);
            return ConnectResult::Gone;
        }
        fillAddress(addr, "/proc/self/fd/" + std::to_string(pathFd));
    }
    const int r = ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    const int err = errno;
    if (pathFd >= 0) {
        ::close(pathFd);
    }
    if (r == 0) {
        fd = s;
        return ConnectResult::Connected;
    }
    ::close(s);
    if (err == EAGAIN || err == EINTR) {
        return ConnectResult::Busy;
    }
    if (err == ECONNREFUSED) {
        ::unlink(file.c_str());
        return ConnectResult::Stale;
    }
    return ConnectResult::Gone;
}

int listenWindowSocket(const fs::path& dir, const std::string& name, std::string& error) {
    static std::atomic<unsigned> counter{0};
    const std::string temp =
        ".bind." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
    const fs::path tempPath = dir / temp;
    const fs::path finalPath = dir / name;

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return -1;
    }
    sockaddr_un addr{};
    int dirFd = -1;
    if (!fillAddress(addr, tempPath.native())) {
        dirFd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 ||
            !fillAddress(addr, "/proc/self/fd/" + std::to_string(dirFd) + "/" + temp)) {
            error = "cannot open " + dir.string();
            if (dirFd >= 0) {
                ::close(dirFd);
            }
            ::close(fd);
            return -1;
        }
    }
    ::unlink(tempPath.c_str());
    const bool listening = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
                           ::listen(fd, SOMAXCONN) == 0;
    const int err = errno;
    if (dirFd >= 0) {
        ::close(dirFd);
    }
    if (!listening) {
        error = "cannot listen in " + dir.string() + ": " + std::strerror(err);
        ::unlink(tempPath.c_str());
        ::close(fd);
        return -1;
    }
    if (::rename(tempPath.c_str(), finalPath.c_str()) != 0) {
        error = "cannot publish " + finalPath.string() + ": " + std::strerror(errno);
        ::unlink(tempPath.c_str());
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace kova
