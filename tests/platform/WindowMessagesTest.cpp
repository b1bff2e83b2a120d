// Window messages: every field delivered, titles found, stale and hung peers, bad frames.

#include "platform/WindowMessages.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "WindowMessagesFixture.h"

namespace kova::test {
namespace {

TEST_F(WindowMessagesTest, SendDeliversEveryFieldAndReturnsTheAnswer) {
    serve({"LED0"}, -5);
    WindowMessage m;
    m.msg = kCopyDataMessage;
    m.wParam = 0x100000001ULL;
    m.lParam = -3;
    m.dwData = 4;
    m.cbData = 1244;  // a command code, not the block's size
    m.data = std::string("a\0c", 3);
    const SendResult r = sendWindowMessage("led0", m);
    ASSERT_TRUE(r.delivered) << r.error;
    EXPECT_EQ(r.result, -5);
    const std::vector<Received> got = received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message.kind, FrameKind::Send);
    EXPECT_EQ(got[0].message.msg, kCopyDataMessage);
    EXPECT_EQ(got[0].message.wParam, 0x100000001ULL);
    EXPECT_EQ(got[0].message.lParam, -3);
    EXPECT_EQ(got[0].message.dwData, 4u);
    EXPECT_EQ(got[0].message.cbData, 1244u);
    EXPECT_EQ(got[0].message.data, std::string("a\0c", 3));
}

TEST_F(WindowMessagesTest, PostArrivesWithoutWaitingForTheHandler) {
    serve({"KOVA"});
    WindowMessage m;
    m.msg = 1073;
    const SendResult r = postWindowMessage("KOVA", m);
    ASSERT_TRUE(r.delivered) << r.error;
    ASSERT_TRUE(eventually([&] { return received().size() == 1; }));
    EXPECT_EQ(received()[0].message.kind, FrameKind::Post);
    EXPECT_EQ(received()[0].message.msg, 1073u);
}

TEST_F(WindowMessagesTest, TitlesMatchWithoutRegardToAsciiCaseOnly) {
    serve({"Led0", "标定工具", "Äbc"});
    const struct {
        const char* asked;
        const char* reached;  // nullptr: no window
    } cases[] = {
        {"LED0", "Led0"},  {"led0", "Led0"}, {"标定工具", "标定工具"}, {"标定工具X", nullptr},
        {"标定", nullptr}, {"ÄBC", "Äbc"},   {"äbc", nullptr},         {"", nullptr},
    };
    for (const auto& c : cases) {
        const std::size_t before = received().size();
        const SendResult r = sendWindowMessage(c.asked, WindowMessage{});
        EXPECT_EQ(r.delivered, c.reached != nullptr) << c.asked << ": " << r.error;
        EXPECT_EQ(windowExists(c.asked), c.reached != nullptr) << c.asked;
        if (c.reached != nullptr && r.delivered) {
            ASSERT_EQ(received().size(), before + 1);
            EXPECT_EQ(received().back().title, c.reached);
        } else {
            EXPECT_NE(r.error.find("no window"), std::string::npos) << r.error;
        }
    }
}

TEST_F(WindowMessagesTest, StaleSocketsAreRemovedAndTheLiveWindowFound) {
    ASSERT_TRUE(openWindowDirectory()) << openWindowDirectory().error;
    // pid 0 sorts before any live process's sockets, so the stale ones are tried first.
    const fs::path staleKova = dir_ / (windowKey("kova") + ".0.0.sock");
    const fs::path staleGhost = dir_ / (windowKey("Ghost") + ".0.0.sock");
    rawSocket(staleKova, false);
    rawSocket(staleGhost, false);
    serve({"KOVA"});

    const SendResult r = sendWindowMessage("Kova", WindowMessage{});
    EXPECT_TRUE(r.delivered) << r.error;
    EXPECT_FALSE(fs::exists(staleKova));

    EXPECT_TRUE(fs::exists(staleGhost));
    const std::vector<WindowEntry> present = listWindows();
    EXPECT_FALSE(fs::exists(staleGhost));
    ASSERT_EQ(present.size(), 1u);
    EXPECT_EQ(present[0].title, "kova");
    EXPECT_EQ(present[0].pid, static_cast<long>(::getpid()));
}

TEST_F(WindowMessagesTest, AClosedWindowRemovesItsSocket) {
    std::string error;
    auto window = MessageWindow::open(
        "LED1", [](const WindowMessage&) { return 0; }, error);
    ASSERT_TRUE(window) << error;
    const fs::path file = window->socketPath();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(windowExists("led1"));
    window.reset();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(windowExists("led1"));
}

TEST_F(WindowMessagesTest, AHungReceiverCostsTheSenderItsBoundAndNoMore) {
    ASSERT_TRUE(openWindowDirectory());
    const fs::path file = dir_ / (windowKey("Hung") + ".0.0.sock");
    const int listening = rawSocket(file, true);  // queued, never accepted, never answered

    const auto start = std::chrono::steady_clock::now();
    const SendResult r = sendWindowMessage("hung", WindowMessage{}, 100ms);
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(r.delivered);
    EXPECT_NE(r.error.find("no answer"), std::string::npos) << r.error;
    EXPECT_LT(spent, 100ms + 3s);  // generous: only a wait far past the bound is a fault
    EXPECT_TRUE(fs::exists(file)) << "a live listener is not stale";
    ::close(listening);
}

TEST_F(WindowMessagesTest, BadFramesLeaveTheReceiverRunning) {
    serve({"LED0"});
    WindowMessage good;
    good.msg = 1039;
    const std::string frame = encodeFrame(good);
    std::string badMagic = frame;
    badMagic[0] = 'X';
    std::string oversized = frame;
    oversized[42] = 2;  // a block of 131072 bytes: over the limit
    std::string cutBlock = encodeFrame([] {
        WindowMessage m;
        m.data.assign(100, 'z');
        return m;
    }());
    cutBlock.resize(kFrameHeaderSize + 10);
    const struct {
        const char* what;
        std::string bytes;
        bool droppedAtOnce;  // malformed: the receiver closes the connection itself
    } cases[] = {
        {"bad magic", badMagic, true},
        {"oversized", oversized, true},
        {"garbage", std::string(64, '\xA5'), true},
        {"header cut short", frame.substr(0, 20), false},
        {"block cut short", cutBlock, false},
    };
    for (const auto& c : cases) {
        int fd = -1;
        ASSERT_EQ(connectWindowSocket(socketOf("LED0"), fd), ConnectResult::Connected);
        ASSERT_EQ(::send(fd, c.bytes.data(), c.bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(c.bytes.size()));
        if (c.droppedAtOnce) {
            ASSERT_TRUE(eventually([&] {
                char byte;
                return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
            })) << c.what;
        }
        ::close(fd);
        const SendResult r = sendWindowMessage("LED0", good);
        EXPECT_TRUE(r.delivered) << c.what << ": " << r.error;
    }
    const std::vector<Received> got = received();
    EXPECT_EQ(got.size(), std::size(cases));
    for (const Received& m : got) {
        EXPECT_EQ(m.message.msg, 1039u);
    }

    WindowMessage tooLarge;
    tooLarge.data.assign(kMaxFrameData + 1, 'x');
    const SendResult refused = sendWindowMessage("LED0", tooLarge);
    EXPECT_FALSE(refused.delivered);
    EXPECT_EQ(received().size(), got.size());
}

TEST_F(WindowMessagesTest, ThreadsSendingToOneWindowEachGetTheirOwnAnswer) {
    std::string error;
    auto window = MessageWindow::open(
        "Echo", [](const WindowMessage& m) { return m.lParam; }, error);
    ASSERT_TRUE(window) << error;
    loop_.add(*window);
    windows_.push_back(std::move(window));
    thread_ = std::thread([this] { loop_.run(); });

    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t) {
        senders.emplace_back([t, &wrong] {
            for (int i = 0; i < 200; ++i) {
                WindowMessage m;
                m.lParam = t * 1000 + i;
                const SendResult r = sendWindowMessage("echo", m);
                if (!r.delivered || r.result != m.lParam) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& s : senders) {
        s.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace kova::test
