#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <system_error>

namespace fs = std::filesystem;

namespace kova {
namespace {

// One temporary name per file is enough under the lock; one left by a killed writer is simply
// replaced.
std::string temporaryName(const std::string& name) {
    // Appended in place: GCC 12 warns falsely about the temporaries of "." + name + ".kovatmp".
    std::string temp = ".";
    temp += name;
    temp += ".kovatmp";
    return temp;
}

FileWriteResult failure(const std::string& what, int error) {
    return FileWriteResult{error, what + ": " + std::generic_category().message(error)};
}

// A modification time no earlier version of the file had: the kernel stamps files with a coarse
// clock, and a reused inode with the same size and stamp would pass for a cached version.
timespec newModificationTime(const struct stat* old) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (old != nullptr) {
        const timespec& before = old->st_mtim;
        if (now.tv_sec < before.tv_sec ||
            (now.tv_sec == before.tv_sec && now.tv_nsec <= before.tv_nsec)) {
            now = before;
            if (++now.tv_nsec == 1000000000L) {
                now.tv_nsec = 0;
                ++now.tv_sec;
            }
        }
    }
    return now;
}

}  // namespace

fs::path atomicReplacementPath(const fs::path& file) {
    return file.parent_path() / temporaryName(file.filename().string());
}

LockedDirectory::LockedDirectory(const fs::path& dir)
    : dir_(dir.empty() ? fs::path(".") : dir),
      fd_(::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!fd_.valid()) {
        status_ = failure("cannot open the directory " + dir_.string(), errno);
        return;
    }
    while (::flock(fd_.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            status_ = failure("cannot lock the directory " + dir_.string(), errno);
            fd_.reset();
            return;
        }
    }
}

FileWriteResult LockedDirectory::replace(const std::string& name, std::string_view bytes) const {
    if (!status_) {
        return status_;
    }
    const int dirFd = fd_.get();
    struct stat oldStat {};
    const struct stat* old = nullptr;
    if (::fstatat(dirFd, name.c_str(), &oldStat, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(oldStat.st_mode)) {
        old = &oldStat;
    }
    const std::string temp = temporaryName(name);
    if (::unlinkat(dirFd, temp.c_str(), 0) != 0 && errno != ENOENT) {
        return failure("cannot remove " + (dir_ / temp).string(), errno);
    }
    const mode_t mode = old != nullptr ? (old->st_mode & 07777) : 0666;
    FileDescriptor fd(
        ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
    if (!fd.valid()) {
        return failure("cannot create a file in " + dir_.string(), errno);
    }
    const auto fail = [&](const std::string& what) {
        const int error = errno;
        fd.reset();
        ::unlinkat(dirFd, temp.c_str(), 0);
        return failure(what, error);
    };
    if (old != nullptr) {
        // Keeps owner and permissions (the umask applied at creation). Changing the owner needs
        // privileges; without them the file simply becomes the writer's.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0) {
            errno = 0;
        }
        if (::fchmod(fd.get(), mode) != 0) {
            return fail("cannot set the permissions of " + (dir_ / temp).string());
        }
    }
    if (!writeAll(fd.get(), bytes)) {
        return fail("cannot write " + (dir_ / temp).string());
    }
    const timespec times[2] = {{0, UTIME_OMIT}, newModificationTime(old)};
    if (::futimens(fd.get(), times) != 0) {
        return fail("cannot set the modification time of " + (dir_ / temp).string());
    }
    if (::fsync(fd.get()) != 0) {
        return fail("cannot flush " + (dir_ / temp).string());
    }
    if (fd.reset() != 0) {
        const int error = errno;
        ::unlinkat(dirFd, temp.c_str(), 0);
        return failure("cannot write " + (dir_ / temp).string(), error);
    }
    if (::renameat(dirFd, temp.c_str(), dirFd, name.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(dirFd, temp.c_str(), 0);
        return failure("cannot replace " + (dir_ / name).string(), error);
    }
    // The new file is in place; should the directory not reach the disk, a power loss brings
    // back the old file, still whole.
    ::fsync(dirFd);
    return {};
}

FileWriteResult writeFileAtomically(const fs::path& file, std::string_view bytes) {
    const std::string name = file.filename().string();
    if (name.empty() || name == "." || name == "..") {
        return FileWriteResult{EISDIR, "not a file name: " + file.string()};
    }
    return LockedDirectory(file.parent_path()).replace(name, bytes);
}

}  // namespace kova
