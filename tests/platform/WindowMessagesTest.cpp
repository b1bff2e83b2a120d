#include "platform/WindowMessages.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/WindowDirectory.h"
#include "platform/WindowReceiver.h"

namespace kova {
namespace {

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
int rawSocket(const fs::path& file, bool listening) {
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
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "WindowMessagesTest-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        dir_ = root_ / "windows";
        ::setenv("KOVA_WINDOWS_DIR", dir_.c_str(), 1);
    }

    void TearDown() override {
        if (thread_.joinable()) {
            loop_.stop();
            thread_.join();
        }
        windows_.clear();
        ::unsetenv("KOVA_WINDOWS_DIR");
        std::error_code ec;
        fs::remove_all(root_, ec);
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

    fs::path root_;
    fs::path dir_;
    WindowLoop loop_;
    std::vector<std::unique_ptr<MessageWindow>> windows_;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Received> received_;
};

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

TEST_F(WindowMessagesTest, DirectoryIsCreatedPrivateAndRefusedWhenOthersCanReachIt) {
    WindowDirectory made = openWindowDirectory();
    ASSERT_TRUE(made) << made.error;
    struct stat st {};
    ASSERT_EQ(::stat(dir_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::string error;
    ::chmod(dir_.c_str(), 0755);
    EXPECT_NE(openWindowDirectory().error.find("open to other users"), std::string::npos);
    EXPECT_FALSE(MessageWindow::open(
        "LED0", [](const WindowMessage&) { return 0; }, error));
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_NE(sendWindowMessage("LED0", WindowMessage{}).error.find("refused"), std::string::npos);

    ::chmod(dir_.c_str(), 0700);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dir_.c_str(), 65534, 65534), 0);
        EXPECT_NE(openWindowDirectory().error.find("another user"), std::string::npos);
        ASSERT_EQ(::chown(dir_.c_str(), 0, 0), 0);
    }

    fs::remove(dir_);
    std::ofstream(dir_.string()) << "not a directory";
    EXPECT_NE(openWindowDirectory().error.find("not a directory"), std::string::npos);
}

TEST_F(WindowMessagesTest, WithoutItsOwnSettingTheDirectoryLivesInTheRuntimeDirectory) {
    ::unsetenv("KOVA_WINDOWS_DIR");
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
    const WindowDirectory d = openWindowDirectory();
    if (previous.empty()) {
        ::unsetenv("XDG_RUNTIME_DIR");
    } else {
        ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    }
    ASSERT_TRUE(d) << d.error;
    EXPECT_EQ(d.path, root_ / "kova" / "windows");
    for (const fs::path& p : {root_ / "kova", root_ / "kova" / "windows"}) {
        struct stat st {};
        ASSERT_EQ(::stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << p;
    }
}

TEST_F(WindowMessagesTest, PeersOfOtherUsersAreRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    serve({"LED0"});
    // Let another user reach the socket, as a careless setup might.
    const fs::path socket = socketOf("LED0");
    ::chmod(root_.c_str(), 0711);
    ::chmod(dir_.c_str(), 0711);
    ::chmod(socket.c_str(), 0777);
    WindowMessage m;
    m.msg = 1039;
    const std::string frame = encodeFrame([&] {
        WindowMessage s = m;
        s.kind = FrameKind::Send;
        return s;
    }());
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = socket.string();
    std::copy(path.begin(), path.end(), addr.sun_path);

    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls here: the parent has threads.
        if (::setuid(65534) != 0) {
            ::_exit(3);
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
            ::_exit(4);
        }
        [[maybe_unused]] const ssize_t w = ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        char answer[8];
        ::_exit(::recv(fd, answer, sizeof answer, 0) > 0 ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: answered another user; 3/4: could not act as one";
    ::chmod(dir_.c_str(), 0700);
    ASSERT_TRUE(sendWindowMessage("LED0", m).delivered);
    EXPECT_EQ(received().size(), 1u);
}

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
}  // namespace kova
