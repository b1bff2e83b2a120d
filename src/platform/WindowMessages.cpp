#include "platform/WindowMessages.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

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

enum class Reply { Answered, NotTaken, NoAnswer, ClosedBeforeAnswer, ClosedDuringAnswer };

// Reads the i64 that answers a send.
Reply readResult(int fd, std::int64_t& result, Clock::time_point deadline) {
    char bytes[kFrameResultSize];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::recv(fd, bytes + got, sizeof bytes - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            if (waitFor(fd, POLLIN, deadline)) {
                continue;
            }
            return Reply::NoAnswer;
        }
        return got == 0 ? Reply::ClosedBeforeAnswer : Reply::ClosedDuringAnswer;
    }
    result = decodeResult(bytes);
    return Reply::Answered;
}

// Writes the frame and, for a send, reads its answer.
Reply exchange(int fd, const std::string& frame, FrameKind kind, std::int64_t& result,
               Clock::time_point deadline) {
    std::string_view bytes = frame;
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
        // A peer that closed shows as EPIPE or ECONNRESET: no answer can have begun.
        return n < 0 && (errno == EPIPE || errno == ECONNRESET) ? Reply::ClosedBeforeAnswer
                                                                : Reply::NotTaken;
    }
    return kind == FrameKind::Post ? Reply::Answered : readResult(fd, result, deadline);
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

// Connections kept open after an answered send, one per window, so that the next send to it
// costs a write and a read instead of a directory listing, a connect and an accept. A sender
// takes the connection out while it uses it: threads sending to one window at the same time
// use connections of their own, and only one of them is kept afterwards.
class KeptConnections {
  public:
    int take(const std::string& key) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto it = find(key);
        if (it == entries_.end()) {
            return -1;
        }
        const int fd = it->fd;
        entries_.erase(it);
        return fd;
    }

    void keep(const std::string& key, int fd) {
        int surplus = -1;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (find(key) != entries_.end()) {
                surplus = fd;
            } else {
                if (entries_.size() >= kMaxKept) {
                    surplus = entries_.front().fd;  // the least recently used
                    entries_.erase(entries_.begin());
                }
                entries_.push_back({key, fd});
            }
        }
        if (surplus >= 0) {
            ::close(surplus);
        }
    }

  private:
    // Enough for every window a program of the line talks to; more only churn.
    static constexpr std::size_t kMaxKept = 16;

    struct Entry {
        std::string key;
        int fd = -1;
    };

    std::vector<Entry>::iterator find(const std::string& key) {
        return std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& e) { return e.key == key; });
    }

    std::mutex mutex_;
    std::vector<Entry> entries_;  // least recently used first
};

KeptConnections& keptConnections() {
    // Never destroyed: threads may still send while the program exits.
    static auto* kept = new KeptConnections;
    return *kept;
}

// Which window a kept connection reaches: the directory the environment names and the key.
std::string keptKey(std::string_view title) {
    return windowDirectoryPath().native() + '/' + windowKey(title);
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
    const std::string key = keptKey(title);
    // A post is never answered, so a kept connection that the window closed meanwhile would
    // swallow it unnoticed: it goes on a connection of its own. The kept one is closed too, so
    // that later messages reach the window through the accept queue behind the post.
    Reply reply = Reply::ClosedBeforeAnswer;
    if (const int kept = keptConnections().take(key); kept >= 0) {
        if (message.kind == FrameKind::Post) {
            ::close(kept);
        } else {
            reply = exchange(kept, frame, message.kind, out.result, deadline);
            if (reply == Reply::Answered) {
                keptConnections().keep(key, kept);
                out.delivered = true;
                return out;
            }
            ::close(kept);
        }
    }
    // A kept connection that ended before any byte of its answer was dropped by the window (or
    // the window serves one frame per connection): one fresh connection sends the frame again.
    if (reply == Reply::ClosedBeforeAnswer) {
        const int fresh = connectTo(title, out.error);
        if (fresh < 0) {
            return out;
        }
        reply = exchange(fresh, frame, message.kind, out.result, deadline);
        if (reply == Reply::Answered && message.kind == FrameKind::Send) {
            keptConnections().keep(key, fresh);
        } else {
            ::close(fresh);
        }
    }
    const std::string waited = std::to_string(bound.count()) + " ms";
    switch (reply) {
        case Reply::Answered:
            out.delivered = true;
            break;
        case Reply::NotTaken:
            out.error = "window \"" + std::string(title) + "\" took no message within " + waited;
            break;
        case Reply::NoAnswer:
            out.error = "window \"" + std::string(title) + "\" gave no answer within " + waited;
            break;
        case Reply::ClosedBeforeAnswer:
        case Reply::ClosedDuringAnswer:
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
