#include "platform/WindowMessages.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/WindowDirectory.h"

namespace kova {
namespace {

using Clock = std::chrono::steady_clock;

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// Waits until the descriptor is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            return false;
        }
        pollfd p{fd, events, 0};
        // Rounded up so that a wait never ends before the deadline.
        const int r = ::poll(&p, 1, static_cast<int>(left.count()) + 1);
        if (r > 0) {
            return true;
        }
        if (r < 0 && errno != EINTR) {
            return false;
        }
    }
}

bool writeAll(int fd, std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, deadline)) {
            continue;
        }
        return false;
    }
    return true;
}

// 0: result read; 1: no answer in time; 2: connection closed without an answer.
int readResult(int fd, std::int64_t& result, Clock::time_point deadline) {
    char bytes[kFrameResultSize];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::recv(fd, bytes + got, sizeof bytes - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) {
            return 2;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN && waitFor(fd, POLLIN, deadline)) {
            continue;
        }
        return errno == EAGAIN ? 1 : 2;
    }
    result = decodeResult(bytes);
    return 0;
}

// A connection to the first live window with this title, or -1 with the reason.
int connectTo(std::string_view title, std::string& error) {
    const WindowDirectory dir = openWindowDirectory();
    if (!dir) {
        error = dir.error;
        return -1;
    }
    bool busy = false;
    for (const std::string& name : windowSocketsOf(dir.path, title)) {
        int fd = -1;
        const ConnectResult r = connectWindowSocket(dir.path / name, fd);
        if (r == ConnectResult::Connected) {
            return fd;
        }
        busy = busy || r == ConnectResult::Busy;
    }
    error = busy ? "window \"" + std::string(title) + "\" is not accepting messages"
                 : "no window titled \"" + std::string(title) + "\"";
    return -1;
}

SendResult deliver(std::string_view title, const WindowMessage& message,
                   std::chrono::milliseconds bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    SendResult out;
    const std::string frame = encodeFrame(message);
    if (frame.empty()) {
        out.error = "data block over " + std::to_string(kMaxFrameData) + " bytes";
        return out;
    }
    const Socket socket(connectTo(title, out.error));
    if (socket.get() < 0) {
        return out;
    }
    const std::string waited = std::to_string(bound.count()) + " ms";
    if (!writeAll(socket.get(), frame, deadline)) {
        out.error = "window \"" + std::string(title) + "\" took no message within " + waited;
        return out;
    }
    if (message.kind == FrameKind::Post) {
        out.delivered = true;
        return out;
    }
    switch (readResult(socket.get(), out.result, deadline)) {
        case 0:
            out.delivered = true;
            break;
        case 1:
            out.error = "window \"" + std::string(title) + "\" gave no answer within " + waited;
            break;
        default:
            out.error = "window \"" + std::string(title) + "\" closed without an answer";
            break;
    }
    return out;
}

}  // namespace

SendResult sendWindowMessage(std::string_view title, WindowMessage message,
                             std::chrono::milliseconds bound) {
    message.kind = FrameKind::Send;
    return deliver(title, message, bound);
}

SendResult postWindowMessage(std::string_view title, WindowMessage message,
                             std::chrono::milliseconds bound) {
    message.kind = FrameKind::Post;
    return deliver(title, message, bound);
}

bool windowExists(std::string_view title) {
    std::string error;
    const Socket socket(connectTo(title, error));
    return socket.get() >= 0;
}

std::vector<WindowEntry> listWindows() {
    std::vector<WindowEntry> out;
    const WindowDirectory dir = openWindowDirectory();
    if (!dir) {
        return out;
    }
    for (const std::string& name : allWindowSockets(dir.path)) {
        int fd = -1;
        const ConnectResult r = connectWindowSocket(dir.path / name, fd);
        const Socket probe(fd);
        if (r != ConnectResult::Connected && r != ConnectResult::Busy) {
            continue;
        }
        std::optional<WindowSocketName> parsed = parseWindowSocketName(name);
        out.push_back({std::move(parsed->title), parsed->pid});
    }
    return out;
}

}  // namespace kova
