// The window directory: private to its user, refused when others can reach it, and no answer
// to a peer of another user.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "WindowMessagesFixture.h"

namespace kova::test {
namespace {

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

}  // namespace
}  // namespace kova::test
