// Replacing a file as a whole: what a finished replacement keeps of the old file, and that a
// failed one leaves the old file byte for byte and no temporary file beside it.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "TestFiles.h"
#include "platform/AtomicFile.h"

namespace kova {
namespace {

namespace fs = std::filesystem;

std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

// Runs the write in a child process (to change its limits or its user) and tells whether it
// failed with the expected error and a reason naming it.
bool failsInChild(const std::function<void()>& prepare, const fs::path& file,
                  const std::string& bytes, int expectedError) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        prepare();
        const FileWriteResult result = writeFileAtomically(file, bytes);
        const bool named = result.reason.find(std::strerror(expectedError)) != std::string::npos;
        ::_exit(!result && result.error == expectedError && named ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(AtomicFileTest, AReplacedFileKeepsOwnerAndModeAndGetsALaterTime) {
    const test::TempDir dir;
    const fs::path file = dir / "calibdata";
    test::writeBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), 4242, 4343), 0);  // another user's file
    }
    // A stamp in the future: the new one must still be later, or a cache could take the new
    // file for the old one.
    const timespec future[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 3600, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), future, 0), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    const FileWriteResult result = writeFileAtomically(file, "new bytes");
    ASSERT_TRUE(result) << result.reason;

    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(test::readBytes(file), "new bytes");
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced, not rewritten in place";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_TRUE(after.st_mtim.tv_sec > before.st_mtim.tv_sec ||
                (after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                 after.st_mtim.tv_nsec > before.st_mtim.tv_nsec));
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"calibdata"});
}

TEST(AtomicFileTest, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const test::TempDir dir;
    const fs::path file = dir / "calibdata";
    const std::string before = "previous content";
    const std::string bigger(8192, 'x');
    test::writeBytes(file, before);

    // Stopped in the middle of writing the temporary file: the disk is full (as the file-size
    // limit makes it, for root too).
    EXPECT_TRUE(failsInChild(
        [] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        },
        file, bigger, EFBIG));
    EXPECT_EQ(test::readBytes(file), before);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"calibdata"});

    // A directory that takes no new file: no write bit for this user (a child of another user
    // when running as root, who would pass the permission check).
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    if (::geteuid() == 0) {
        EXPECT_TRUE(failsInChild(
            [] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                    ::_exit(2);
                }
            },
            file, "new", EACCES));
    } else {
        const FileWriteResult result = writeFileAtomically(file, "new");
        EXPECT_EQ(result.error, EACCES) << result.reason;
    }
    ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
    EXPECT_EQ(test::readBytes(file), before);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"calibdata"});

    // Written whole, but it cannot take the place of what is there (a directory).
    fs::create_directory(dir / "adir");
    test::writeBytes(dir / "adir" / "inside", "kept");
    const FileWriteResult result = writeFileAtomically(dir / "adir", "new");
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason.find("cannot replace"), std::string::npos) << result.reason;
    EXPECT_EQ(test::readBytes(dir / "adir" / "inside"), "kept");
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"adir", "calibdata"}));
}

}  // namespace
}  // namespace kova
