// Cached reads and changes made by other processes: the read after a change sees it, however
// the change was made, with change notification and with the stat check that replaces it.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "TestFiles.h"
#include "platform/IniFile.h"

namespace kova {
namespace {

constexpr char kOld[] = "[S]\r\nk=old1\r\n";
constexpr char kNew[] = "[S]\r\nk=new2\r\n";  // the same size

// Each change runs in a child process and uses system calls only.
using Change = void (*)(const char* file, const char* spare);

void inPlaceKeepingSizeAndStamp(const char* file, const char*) {
    struct stat st {};
    const int fd = ::open(file, O_WRONLY);
    if (fd < 0 || ::fstat(fd, &st) != 0 ||
        ::pwrite(fd, kNew, std::strlen(kNew), 0) != static_cast<ssize_t>(std::strlen(kNew))) {
        ::_exit(1);
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::_exit(::futimens(fd, times) == 0 ? 0 : 1);
}

void writeFile(const char* file, const char* bytes) {
    const int fd = ::open(file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 ||
        ::write(fd, bytes, std::strlen(bytes)) != static_cast<ssize_t>(std::strlen(bytes))) {
        ::_exit(1);
    }
    ::close(fd);
}

void replacedByRename(const char* file, const char* spare) {
    writeFile(spare, kNew);
    ::_exit(::rename(spare, file) == 0 ? 0 : 1);
}

void deleted(const char* file, const char*) {
    ::_exit(::unlink(file) == 0 ? 0 : 1);
}

void recreated(const char* file, const char*) {
    if (::unlink(file) != 0) {
        ::_exit(1);
    }
    writeFile(file, kNew);
    ::_exit(0);
}

// A write through a mapping raises no write report; only the mode touched afterwards does.
void mappedThenModeTouched(const char* file, const char*) {
    const int fd = ::open(file, O_RDWR);
    const std::size_t size = std::strlen(kNew);
    void* map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (fd < 0 || map == MAP_FAILED) {
        ::_exit(1);
    }
    std::memcpy(map, kNew, size);
    ::msync(map, size, MS_SYNC);
    ::munmap(map, size);
    ::_exit(::fchmod(fd, 0640) == 0 ? 0 : 1);
}

struct Case {
    const char* what;
    Change change;
    const char* expected;  // the value read afterwards
    bool seenByStat;       // the stat check sees it too (the file's identity changes)
};

const Case kCases[] = {
    {"changed in place, size and stamp kept", inPlaceKeepingSizeAndStamp, "new2", false},
    {"replaced by rename", replacedByRename, "new2", true},
    {"deleted", deleted, "gone", true},
    {"recreated", recreated, "new2", false},  // a reused inode may carry the same stamp
    {"written through a mapping, then its mode touched", mappedThenModeTouched, "new2", false},
};

void runInChild(Change change, const std::string& file, const std::string& spare) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        change(file.c_str(), spare.c_str());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

void expectEveryChangeSeen(bool notification) {
    for (const Case& c : kCases) {
        if (!notification && !c.seenByStat) {
            continue;
        }
        const test::TempDir dir(test::memoryTempBase());
        const std::string file = (dir / "Calib.ini").string();
        test::writeBytes(file, kOld);
        ::chmod(file.c_str(), 0600);
        const IniFile ini(file);
        // Twice: the second read comes from the cache.
        ASSERT_EQ(ini.readString("S", "k", "gone", 64), "old1") << c.what;
        ASSERT_EQ(ini.readString("S", "k", "gone", 64), "old1") << c.what;
        runInChild(c.change, file, (dir / "spare.ini").string());
        EXPECT_EQ(ini.readString("S", "k", "gone", 64), c.expected) << c.what;
        EXPECT_EQ(ini.readString("S", "k", "gone", 64), c.expected) << c.what << ", read again";
    }
}

TEST(IniChangeTest, TheReadAfterAnotherProcessChangedTheFileSeesIt) {
    expectEveryChangeSeen(true);
}

TEST(IniChangeTest, WithoutNotificationEveryReadChecksTheFileByStat) {
    ::setenv("KOVA_INI_NOTIFY", "0", 1);
    expectEveryChangeSeen(false);
    ::unsetenv("KOVA_INI_NOTIFY");
}

}  // namespace
}  // namespace kova
