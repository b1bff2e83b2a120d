#pragma once
// The receiving side: a titled window that other processes find and message. The window is
// served by whoever owns it: WindowLoop below for programs without Qt, QtMessageWindow
// (WindowReceiverQt.h) on a Qt event loop. Serving never blocks on a slow or stalled peer.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowFrame.h"

namespace kova {

class MessageWindow {
  public:
    // Handles one message on the serving thread; the result answers a send.
    using Handler = std::function<std::int64_t(const WindowMessage&)>;

    // Registers a window with this title (UTF-8); nullptr and the reason when it cannot.
    static std::unique_ptr<MessageWindow> open(const std::string& title, Handler handler,
                                               std::string& error);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    const std::string& title() const { return title_; }
    const std::filesystem::path& socketPath() const { return socketPath_; }

    // The descriptors to watch for reading; the set changes as peers come and go.
    std::vector<int> descriptors() const;
    // Does what is due on a readable descriptor. The handler must not destroy this window.
    void handleReadable(int fd);

  private:
    struct Connection {
        int fd = -1;
        FrameReader reader;
    };

    MessageWindow(std::string title, Handler handler, int listenFd, std::filesystem::path path);
    void acceptPeers();
    bool serve(Connection& connection);  // false: drop the connection
    void drop(std::size_t index);

    std::string title_;
    Handler handler_;
    int listenFd_;
    std::filesystem::path socketPath_;
    std::vector<Connection> connections_;  // oldest first
};

// Serves windows on the calling thread, for programs without an event loop of their own.
class WindowLoop {
  public:
    WindowLoop();
    ~WindowLoop();
    WindowLoop(const WindowLoop&) = delete;
    WindowLoop& operator=(const WindowLoop&) = delete;

    void add(MessageWindow& window);
    // Serves until stop(), or until SIGINT, SIGTERM or SIGHUP when asked to watch for them.
    void run(bool stopOnTerminationSignal = false);
    // Waits at most `timeout` for work and does it.
    void runOnce(std::chrono::milliseconds timeout);
    // Callable from any thread and from a handler.
    void stop();

  private:
    bool pollOnce(int timeoutMs, bool watchSignals);

    std::vector<MessageWindow*> windows_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopped_{false};
};

// A descriptor that becomes readable once SIGINT, SIGTERM or SIGHUP has arrived (the handlers are
// installed at the first call), so that an event loop can end cleanly and remove its windows.
int terminationSignalDescriptor();

}  // namespace kova
