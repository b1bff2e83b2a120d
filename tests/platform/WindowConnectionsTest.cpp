// Kept connections: one per window and sender, and what happens when either side drops it.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "WindowMessagesFixture.h"

namespace kova::test {
namespace {

// A window of another program of the line, served by hand: it answers each frame with its
// lParam and either closes the connection after each frame or takes only one connection ever.
class ScriptedPeer {
  public:
    ScriptedPeer(const fs::path& dir, const std::string& title, bool closeAfterEachFrame,
                 int frames) {
        std::string error;
        listenFd_ = listenWindowSocket(dir, windowKey(title) + ".1.0.sock", error);
        EXPECT_GE(listenFd_, 0) << error;
        thread_ = std::thread([this, closeAfterEachFrame, frames] {
            int fd = -1;
            for (int served = 0; served < frames; ++served) {
                if (fd < 0) {
                    pollfd p{listenFd_, POLLIN, 0};
                    ::poll(&p, 1, -1);
                    fd = ::accept(listenFd_, nullptr, nullptr);
                }
                WindowMessage m;
                if (!readFrame(fd, m)) {
                    break;
                }
                handled_.push_back(m.lParam);
                const std::string answer = encodeResult(m.lParam);
                ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
                if (closeAfterEachFrame) {
                    ::close(fd);
                    fd = -1;
                }
            }
            if (fd >= 0) {
                ::close(fd);
            }
        });
    }
    ~ScriptedPeer() {
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(listenFd_);
    }
    // Only after the thread is done.
    std::vector<std::int64_t> handled() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return handled_;
    }

  private:
    bool readFrame(int fd, WindowMessage& m) {
        char chunk[4096];
        for (;;) {
            const FrameReader::Status status = reader_.next(m);
            if (status != FrameReader::Status::NeedMore) {
                return status == FrameReader::Status::Frame;
            }
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                return false;
            }
            reader_.append(std::string_view(chunk, static_cast<std::size_t>(n)));
        }
    }

    int listenFd_ = -1;
    FrameReader reader_;
    std::vector<std::int64_t> handled_;
    std::thread thread_;
};

TEST_F(WindowMessagesTest, SendsReuseOneConnectionAndSurviveAPeerThatClosesAfterEachFrame) {
    ASSERT_TRUE(openWindowDirectory());
    constexpr int kFrames = 20;
    for (const bool closeAfterEachFrame : {false, true}) {
        const std::string title = closeAfterEachFrame ? "OneShot" : "KeepsOne";
        ScriptedPeer peer(dir_, title, closeAfterEachFrame, kFrames);
        std::vector<std::int64_t> sent;
        for (int i = 0; i < kFrames; ++i) {
            WindowMessage m;
            m.lParam = 100 + i;
            // A peer that accepts once answers only over a kept connection: a fresh one would
            // wait out the bound.
            const SendResult r = sendWindowMessage(title, m, 5s);
            ASSERT_TRUE(r.delivered) << title << " #" << i << ": " << r.error;
            EXPECT_EQ(r.result, m.lParam) << title;
            sent.push_back(m.lParam);
        }
        EXPECT_EQ(peer.handled(), sent) << title << ": every frame once, in order";
    }
}

TEST_F(WindowMessagesTest, AKeptConnectionTheReceiverDroppedLosesNoFrame) {
    serve({"LED0"});
    ASSERT_TRUE(sendWindowMessage("LED0", WindowMessage{}).delivered);  // now kept
    // 64 more peers, each answered, so the receiver has accepted all and dropped the oldest:
    // the kept connection.
    std::vector<int> others;
    const std::string frame = encodeFrame([] {
        WindowMessage m;
        m.kind = FrameKind::Send;
        return m;
    }());
    for (int i = 0; i < 64; ++i) {
        int fd = -1;
        ASSERT_EQ(connectWindowSocket(socketOf("LED0"), fd), ConnectResult::Connected);
        others.push_back(fd);
        ASSERT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(frame.size()));
        char answer[kFrameResultSize];
        pollfd p{fd, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 10000), 1);
        ASSERT_EQ(::recv(fd, answer, sizeof answer, 0), static_cast<ssize_t>(sizeof answer));
    }
    WindowMessage last;
    last.msg = 1039;
    const SendResult r = sendWindowMessage("LED0", last);
    EXPECT_TRUE(r.delivered) << r.error;
    const std::vector<Received> got = received();
    ASSERT_EQ(got.size(), 66u);
    EXPECT_EQ(got.back().message.msg, 1039u);
    for (int fd : others) {
        ::close(fd);
    }
}

}  // namespace
}  // namespace kova::test
