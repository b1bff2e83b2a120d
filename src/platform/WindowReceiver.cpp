#include "platform/WindowReceiver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <mutex>
#include <utility>

#include "platform/WindowDirectory.h"

namespace kova {
namespace {

// Peers beyond this many are served by closing the oldest connection: a stalled peer cannot
// exhaust the window's descriptors.
constexpr std::size_t kMaxConnections = 64;
// Bytes read from one peer per readiness, so that one busy peer cannot starve the others.
constexpr std::size_t kReadBudget = 4 * (kFrameHeaderSize + kMaxFrameData);

std::atomic<unsigned> windowSerial{0};

bool peerIsThisUser(int fd) {
    ucred cred{};
    socklen_t length = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 &&
           cred.uid == ::geteuid();
}

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

std::unique_ptr<MessageWindow> MessageWindow::open(const std::string& title, Handler handler,
                                                   std::string& error) {
    const WindowDirectory dir = openWindowDirectory();
    if (!dir) {
        error = dir.error;
        return nullptr;
    }
    const std::string name = windowKey(title) + "." + std::to_string(::getpid()) + "." +
                             std::to_string(windowSerial.fetch_add(1)) + ".sock";
    const int fd = listenWindowSocket(dir.path, name, error);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<MessageWindow>(
        new MessageWindow(title, std::move(handler), fd, dir.path / name));
}

MessageWindow::MessageWindow(std::string title, Handler handler, int listenFd,
                             std::filesystem::path path)
    : title_(std::move(title)),
      handler_(std::move(handler)),
      listenFd_(listenFd),
      socketPath_(std::move(path)) {}

MessageWindow::~MessageWindow() {
    ::unlink(socketPath_.c_str());
    ::close(listenFd_);
    for (const Connection& c : connections_) {
        ::close(c.fd);
    }
}

std::vector<int> MessageWindow::descriptors() const {
    std::vector<int> fds{listenFd_};
    std::transform(connections_.begin(), connections_.end(), std::back_inserter(fds),
                   [](const Connection& c) { return c.fd; });
    return fds;
}

void MessageWindow::handleReadable(int fd) {
    if (fd == listenFd_) {
        acceptPeers();
        return;
    }
    for (std::size_t i = 0; i < connections_.size(); ++i) {
        if (connections_[i].fd == fd) {
            if (!serve(connections_[i])) {
                drop(i);
            }
            return;
        }
    }
}

void MessageWindow::acceptPeers() {
    for (std::size_t accepted = 0; accepted < kMaxConnections; ++accepted) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;  // EAGAIN: nobody else waiting; anything else: try again at the next readiness
        }
        if (!peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        if (connections_.size() >= kMaxConnections) {
            drop(0);
        }
        connections_.push_back(Connection{fd, {}});
        // The peer writes right after connecting: its frame is usually here already.
        if (!serve(connections_.back())) {
            drop(connections_.size() - 1);
        }
    }
}

bool MessageWindow::serve(Connection& connection) {
    char chunk[16384];
    std::size_t budget = kReadBudget;
    while (budget > 0) {
        const ssize_t n = ::recv(connection.fd, chunk, sizeof chunk, 0);
        if (n == 0) {
            return false;  // peer done; an unfinished frame goes with it
        }
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        budget -= std::min(budget, static_cast<std::size_t>(n));
        connection.reader.append(std::string_view(chunk, static_cast<std::size_t>(n)));
        WindowMessage message;
        for (;;) {
            const FrameReader::Status status = connection.reader.next(message);
            if (status == FrameReader::Status::NeedMore) {
                break;
            }
            if (status == FrameReader::Status::Malformed) {
                return false;
            }
            const std::int64_t result = handler_(message);
            if (message.kind == FrameKind::Send) {
                const std::string answer = encodeResult(result);
                // Eight bytes into a fresh socket buffer; a peer that cannot take them is gone.
                if (::send(connection.fd, answer.data(), answer.size(),
                           MSG_NOSIGNAL | MSG_DONTWAIT) != static_cast<ssize_t>(answer.size())) {
                    return false;
                }
            }
        }
    }
    return true;
}

void MessageWindow::drop(std::size_t index) {
    ::close(connections_[index].fd);
    connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(index));
}

WindowLoop::WindowLoop() {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        wake_[0] = wake_[1] = -1;
    }
}

WindowLoop::~WindowLoop() {
    for (int fd : wake_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void WindowLoop::add(MessageWindow& window) {
    windows_.push_back(&window);
}

void WindowLoop::run(bool stopOnTerminationSignal) {
    while (!stopped_) {
        if (!pollOnce(-1, stopOnTerminationSignal)) {
            return;
        }
    }
}

void WindowLoop::runOnce(std::chrono::milliseconds timeout) {
    pollOnce(static_cast<int>(timeout.count()), false);
}

void WindowLoop::stop() {
    stopped_ = true;
    const char byte = 1;
    if (wake_[1] >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
    }
}

bool WindowLoop::pollOnce(int timeoutMs, bool watchSignals) {
    std::vector<pollfd> fds;
    std::vector<MessageWindow*> owners;
    fds.push_back({wake_[0], POLLIN, 0});
    owners.push_back(nullptr);
    if (watchSignals) {
        fds.push_back({terminationSignalDescriptor(), POLLIN, 0});
        owners.push_back(nullptr);
    }
    for (MessageWindow* w : windows_) {
        for (int fd : w->descriptors()) {
            fds.push_back({fd, POLLIN, 0});
            owners.push_back(w);
        }
    }
    const int r = ::poll(fds.data(), fds.size(), timeoutMs);
    if (r < 0) {
        return errno == EINTR;
    }
    if (watchSignals && fds[1].revents != 0) {
        return false;
    }
    if (fds[0].revents != 0) {
        char drain[64];
        while (::read(wake_[0], drain, sizeof drain) > 0) {
        }
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (owners[i] != nullptr && fds[i].revents != 0) {
            owners[i]->handleReadable(fds[i].fd);
        }
    }
    return true;
}

int terminationSignalDescriptor() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;
        }
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        for (int s : {SIGINT, SIGTERM, SIGHUP}) {
            ::sigaction(s, &action, nullptr);
        }
    });
    return signalPipe[0];
}

}  // namespace kova
