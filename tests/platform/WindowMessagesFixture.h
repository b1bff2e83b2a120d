#pragma once
// The window-message tests' fixture: a private window directory per test and windows served on
// a thread of their own, every message they receive recorded.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessages.h"
#include "platform/WindowReceiver.h"

namespace kova::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Waits for a condition without sleeping, for at most a generous bound.
template <typename Predicate>
bool eventually(Predicate done) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::yield();
    }
    return done();
}

struct Received {
    std::string title;
    WindowMessage message;
};

// A raw socket bound under `name` in the directory: listening but never accepting, or closed
// at once (a stale file).
inline int rawSocket(const fs::path& file, bool listening) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = file.string();
    std::copy(path.begin(), path.end(), addr.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        (listening && ::listen(fd, 4) != 0)) {
        ADD_FAILURE() << "cannot bind " << path;
    }
    if (!listening) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class WindowMessagesTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("KOVA_WINDOWS_DIR", dir_.c_str(), 1); }

    void TearDown() override {
        if (thread_.joinable()) {
            loop_.stop();
            thread_.join();
        }
        windows_.clear();
        ::unsetenv("KOVA_WINDOWS_DIR");
    }

    // Serves windows with these titles on a thread of their own, recording every message.
    void serve(const std::vector<std::string>& titles, std::int64_t answer = 0) {
        for (const std::string& title : titles) {
            std::string error;
            auto window = MessageWindow::open(
                title,
                [this, title, answer](const WindowMessage& m) {
                    const std::lock_guard<std::mutex> lock(mutex_);
                    received_.push_back({title, m});
                    return answer;
                },
                error);
            ASSERT_TRUE(window) << error;
            loop_.add(*window);
            windows_.push_back(std::move(window));
        }
        thread_ = std::thread([this] { loop_.run(); });
    }

    std::vector<Received> received() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

    fs::path socketOf(const std::string& title) {
        const std::vector<std::string> names = windowSocketsOf(dir_, title);
        return names.empty() ? fs::path() : dir_ / names.front();
    }

    TempDir temp_;
    const fs::path root_ = temp_.path();
    const fs::path dir_ = root_ / "windows";
    WindowLoop loop_;
    std::vector<std::unique_ptr<MessageWindow>> windows_;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Received> received_;
};

}  // namespace kova::test
