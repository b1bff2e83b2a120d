#include "platform/IniFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "platform/HostPath.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

// One version of a file. A replaced file has a new inode; a file changed in place a new size or
// modification time.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    time_t mtimeSeconds = 0;
    long mtimeNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const struct stat& st) {
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

// Parsed files by host path, each checked against the file's identity on every use. Readers in
// several threads share it.
class DocumentCache {
  public:
    std::shared_ptr<const IniDocument> find(const std::string& path,
                                            const FileIdentity& identity) const {
        std::shared_lock lock(mutex_);
        const auto it = entries_.find(path);
        if (it == entries_.end() || !(it->second.identity == identity)) {
            return nullptr;
        }
        return it->second.document;
    }

    void store(const std::string& path, const FileIdentity& identity,
               std::shared_ptr<const IniDocument> document) {
        std::shared_ptr<const IniDocument> dropped;  // freed after the lock is released
        std::unique_lock lock(mutex_);
        // The tool uses a handful of files; the bound only keeps a scan of many files cheap.
        if (entries_.size() >= kMaxEntries && entries_.find(path) == entries_.end()) {
            dropped = std::move(entries_.begin()->second.document);
            entries_.erase(entries_.begin());
        }
        Entry& entry = entries_[path];
        if (!dropped) {
            dropped = std::move(entry.document);
        }
        entry = Entry{identity, std::move(document)};
        lock.unlock();
    }

  private:
    static constexpr std::size_t kMaxEntries = 32;
    struct Entry {
        FileIdentity identity;
        std::shared_ptr<const IniDocument> document;
    };
    mutable std::shared_mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
};

DocumentCache& cache() {
    static DocumentCache instance;
    return instance;
}

// File systems where a change made on another machine (or by a FUSE daemon) raises no change
// notification here: their files are checked by stat on every read.
bool notificationMissesChanges(long type) {
    switch (static_cast<unsigned long>(type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x65735546:  // FUSE
        case 0x01021997:  // 9P
        case 0x73757245:  // Coda
        case 0x5346414F:  // AFS
        case 0x00C36400:  // Ceph
        case 0x47504653:  // GPFS
        case 0x013111A8:  // IBRIX
        case 0x0BD00BD0:  // Lustre
            return true;
        default:
            return false;
    }
}

// Vouches for cached files without a stat per read: the kernel reports every change to an entry
// of a watched directory (written, renamed over or away, deleted, created, attributes changed),
// and the pending reports are read, without waiting, before a cached version is used. A change
// that finished before a read started is therefore seen by it. Set KOVA_INI_NOTIFY=0 to check
// every read by stat instead.
class ChangeWatch {
  public:
    // The version cached for this absolute host path when nothing touched the file since.
    std::shared_ptr<const IniDocument> unchanged(const std::string& path) {
        if (!enabled()) {
            return nullptr;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        drain();
        const auto it = files_.find(path);
        return it == files_.end() ? nullptr : it->second.document;
    }

    // Watches the file's directory before the file is examined. The token to hand to trust(),
    // or -1 when notification cannot vouch for this file.
    long arm(const std::string& path) {
        const std::size_t slash = path.rfind('/');
        if (!enabled() || path.empty() || path[0] != '/' || slash == std::string::npos) {
            return -1;  // a relative path follows the working directory
        }
        const std::string dir = slash == 0 ? "/" : path.substr(0, slash);
        const std::string name = path.substr(slash + 1);
        if (name.empty() || name == "." || name == "..") {
            return -1;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        if (fd_ == -2) {
            fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        }
        if (fd_ < 0) {
            return -1;
        }
        auto it = files_.find(path);
        if (it == files_.end() || it->second.watch < 0) {
            struct statfs fsInfo {};
            if (::statfs(dir.c_str(), &fsInfo) != 0 || notificationMissesChanges(fsInfo.f_type)) {
                return -1;
            }
            const int watch = ::inotify_add_watch(
                fd_, dir.c_str(),
                IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE |
                    IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW);
            if (watch < 0) {
                return -1;
            }
            if (it == files_.end()) {
                if (files_.size() >= kMaxFiles) {
                    files_.erase(files_.begin());
                }
                it = files_.emplace(path, Watched{}).first;
            }
            it->second.watch = watch;
            it->second.name = name;
        }
        drain();
        return it->second.changes;
    }

    // Caches `document` as the file's version when no change was reported since arm() gave
    // `token`.
    void trust(const std::string& path, long token, std::shared_ptr<const IniDocument> document) {
        const std::lock_guard<std::mutex> lock(mutex_);
        drain();
        const auto it = files_.find(path);
        if (it != files_.end() && it->second.watch >= 0 && it->second.changes == token) {
            it->second.document = std::move(document);
        }
    }

  private:
    static constexpr std::size_t kMaxFiles = 32;

    struct Watched {
        int watch = -1;
        std::string name;  // the entry in the watched directory
        long changes = 0;
        std::shared_ptr<const IniDocument> document;  // null: to be checked
    };

    static bool enabled() {
        const char* setting = std::getenv("KOVA_INI_NOTIFY");
        return setting == nullptr || std::strcmp(setting, "0") != 0;
    }

    void forget(Watched& w, bool watchGone) {
        ++w.changes;
        w.document.reset();
        if (watchGone) {
            w.watch = -1;
        }
    }

    // Reads every pending report, without waiting.
    void drain() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                // EAGAIN: all read. Anything else: nothing can be vouched for any more.
                if (n == 0 || errno != EAGAIN) {
                    for (auto& [path, w] : files_) {
                        forget(w, false);
                    }
                }
                return;
            }
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                const bool overflow = (event->mask & IN_Q_OVERFLOW) != 0;
                const bool watchGone = (event->mask & IN_IGNORED) != 0;
                const bool wholeDirectory =
                    overflow || watchGone || (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0;
                for (auto& [path, w] : files_) {
                    if (overflow ||
                        (w.watch == event->wd &&
                         (wholeDirectory || (event->len > 0 && w.name == event->name)))) {
                        forget(w, watchGone);
                    }
                }
            }
        }
    }

    std::mutex mutex_;
    int fd_ = -2;  // -2: not set up yet; -1: cannot be
    std::unordered_map<std::string, Watched> files_;
};

ChangeWatch& changeWatch() {
    static auto* watch = new ChangeWatch;  // never destroyed: readers may run during exit
    return *watch;
}

const std::shared_ptr<const IniDocument>& emptyDocument() {
    static const auto empty = std::make_shared<const IniDocument>(std::string());
    return empty;
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports close's own failure (a delayed write error).
    int reset() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

std::string errorText(int error) {
    return std::generic_category().message(error);
}

IniWriteError errorKind(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return IniWriteError::ReadOnly;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return IniWriteError::DiskFull;
        case ENOENT:
        case ENOTDIR:
            return IniWriteError::NoDirectory;
        default:
            return IniWriteError::Other;
    }
}

IniWriteResult failure(const std::string& what, int error) {
    return IniWriteResult{false, what + ": " + errorText(error), errorKind(error)};
}

bool noWriteBit(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Whether this process may not write `name` (or, with nullptr, create a file) in the directory:
// the access check, and the mode bits themselves, which the access check ignores for root. The
// line's Windows programs see a file with the read-only attribute refused, whoever they run as;
// a write here replaces the file by rename and would otherwise rewrite it all the same.
std::string readOnlyReason(int dirFd, const fs::path& dir, const std::string& name,
                           const struct stat* file) {
    struct stat dirStat {};
    if (::fstat(dirFd, &dirStat) == 0 && noWriteBit(dirStat)) {
        return "read-only: the directory " + dir.string() + " has no write permission";
    }
    if (::faccessat(dirFd, ".", W_OK | X_OK, AT_EACCESS) != 0 &&
        errorKind(errno) == IniWriteError::ReadOnly) {
        return "read-only: cannot write in the directory " + dir.string() + ": " + errorText(errno);
    }
    if (file == nullptr) {
        return {};
    }
    if (noWriteBit(*file)) {
        return "read-only: " + (dir / name).string() + " has no write permission";
    }
    if (::faccessat(dirFd, name.c_str(), W_OK, AT_EACCESS) != 0 &&
        errorKind(errno) == IniWriteError::ReadOnly) {
        return "read-only: cannot write " + (dir / name).string() + ": " + errorText(errno);
    }
    return {};
}

bool readAll(int fd, std::size_t sizeHint, std::string& out) {
    out.resize(sizeHint + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size()) {
            out.resize(out.size() * 2);
        }
        const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    out.resize(used);
    return true;
}

// The parsed content of an open regular file, from the cache when this version was parsed
// before (unless `fromCache` is false); nullptr when it cannot be read.
std::shared_ptr<const IniDocument> documentOf(int fd, const struct stat& st, const std::string& key,
                                              bool fromCache = true) {
    const FileIdentity identity = identityOf(st);
    if (fromCache) {
        if (auto cached = cache().find(key, identity)) {
            return cached;
        }
    }
    std::string bytes;
    if (!readAll(fd, static_cast<std::size_t>(st.st_size), bytes)) {
        return nullptr;
    }
    auto document = std::make_shared<const IniDocument>(std::move(bytes));
    struct stat after {};
    // Cached only when nothing changed the file while it was read.
    if (::fstat(fd, &after) == 0 && identityOf(after) == identity) {
        cache().store(key, identity, document);
    }
    return document;
}

// The file as it is now; an empty document when it is missing or unreadable, so every read gives
// its default.
std::shared_ptr<const IniDocument> currentDocument(const std::string& path) {
    // The lexical mapping is what hostPath gives whenever it exists: one stat per read.
    std::string host = lexicalHostPath(path);
    if (auto known = changeWatch().unchanged(host)) {
        return known;
    }
    // Vouched for by notification only when the lexical path names the file itself: not a
    // symbolic link (its target's directory is not watched), not a name resolved by letter case.
    long token = changeWatch().arm(host);
    struct stat st {};
    const bool found = !host.empty() && ::lstat(host.c_str(), &st) == 0;
    if (!found || S_ISLNK(st.st_mode)) {
        token = -1;
    }
    if (!found || (S_ISLNK(st.st_mode) && ::stat(host.c_str(), &st) != 0)) {
        host = hostPath(path).string();
        if (::stat(host.c_str(), &st) != 0) {
            return emptyDocument();
        }
    }
    if (!S_ISREG(st.st_mode)) {
        return emptyDocument();
    }
    // A watched file is here because it is new to the watch or was reported changed: then its
    // identity may not tell (a change in place that kept size and stamp), so it is read afresh.
    const bool fromCache = token < 0;
    auto document = fromCache ? cache().find(host, identityOf(st)) : nullptr;
    if (!document) {
        const Descriptor fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return emptyDocument();
        }
        document = documentOf(fd.get(), st, host, fromCache);
        if (!document) {
            return emptyDocument();
        }
    }
    if (token >= 0) {
        changeWatch().trust(host, token, document);
    }
    return document;
}

// A modification time no earlier version of the file had: the kernel stamps files with a coarse
// clock, and a reused inode with the same size and stamp would pass for the cached version.
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

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the new content beside the file, flushes it and renames it over the file, so a crash
// at any moment leaves the old or the new file, never a torn one. The caller holds the lock.
IniWriteResult replaceFile(int dirFd, const fs::path& dir, const std::string& name,
                           const std::string& bytes, const struct stat* old) {
    // One temporary name per file is enough under the lock; one left by a killed writer is
    // simply replaced.
    const std::string temp = "." + name + ".kovatmp";
    if (::unlinkat(dirFd, temp.c_str(), 0) != 0 && errno != ENOENT) {
        return failure("cannot remove " + (dir / temp).string(), errno);
    }
    const mode_t mode = old != nullptr ? (old->st_mode & 07777) : 0666;
    Descriptor fd(
        ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
    if (!fd.valid()) {
        return failure("cannot create a file in " + dir.string(), errno);
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
            return fail("cannot set the permissions of " + (dir / temp).string());
        }
    }
    if (!writeAll(fd.get(), bytes)) {
        return fail("cannot write " + (dir / temp).string());
    }
    const timespec times[2] = {{0, UTIME_OMIT}, newModificationTime(old)};
    if (::futimens(fd.get(), times) != 0) {
        return fail("cannot set the modification time of " + (dir / temp).string());
    }
    if (::fsync(fd.get()) != 0) {
        return fail("cannot flush " + (dir / temp).string());
    }
    if (fd.reset() != 0) {
        const int error = errno;
        ::unlinkat(dirFd, temp.c_str(), 0);
        return failure("cannot write " + (dir / temp).string(), error);
    }
    if (::renameat(dirFd, temp.c_str(), dirFd, name.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(dirFd, temp.c_str(), 0);
        return failure("cannot replace " + (dir / name).string(), error);
    }
    // The directory is not flushed: after a power loss the rename may be lost, which leaves
    // the old file, still whole.
    return {};
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t bufferSize) const {
    return currentDocument(path_)->readString(section, key, defaultValue, bufferSize);
}

std::shared_ptr<const IniDocument> IniFile::snapshot() const {
    return currentDocument(path_);
}

int IniFile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    return currentDocument(path_)->readInt(section, key, defaultValue);
}

IniWriteResult IniFile::writeString(std::string_view section, std::string_view key,
                                    std::string_view value) const {
    return writeStrings({IniWrite{std::string(section), std::string(key), std::string(value)}});
}

IniWriteResult IniFile::writeStrings(const std::vector<IniWrite>& writes) const {
    if (writes.empty()) {
        return {};
    }
    fs::path host = hostPath(path_);
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(host, ec))) {
        host = fs::weakly_canonical(host, ec);  // write the link's target, keep the link
        if (ec) {
            return IniWriteResult{false, "cannot follow the link " + path_ + ": " + ec.message(),
                                  IniWriteError::Other};
        }
    }
    const std::string name = host.filename().string();
    if (name.empty() || name == "." || name == "..") {
        return IniWriteResult{false, "not a file name: " + path_, IniWriteError::Other};
    }
    const fs::path dir = host.has_parent_path() ? host.parent_path() : fs::path(".");

    // Writers in several processes serialise their read-modify-write on a lock of the file's
    // directory rather than of the file, which the rename replaces, and so leave no lock files
    // beside the line's ini files. Files of one directory share the lock; writes are rare.
    const Descriptor dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.valid()) {
        return failure("cannot open the directory " + dir.string(), errno);
    }
    while (::flock(dirFd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return failure("cannot lock the directory " + dir.string(), errno);
        }
    }

    std::shared_ptr<const IniDocument> document = emptyDocument();
    struct stat st {};
    const Descriptor fd(::openat(dirFd.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    const bool exists = fd.valid();
    if (!exists && errno != ENOENT) {
        return failure("cannot read " + host.string(), errno);
    }
    if (exists) {
        if (::fstat(fd.get(), &st) != 0) {
            return failure("cannot read " + host.string(), errno);
        }
        if (!S_ISREG(st.st_mode)) {
            return IniWriteResult{false, "not a regular file: " + host.string(),
                                  IniWriteError::Other};
        }
        document = documentOf(fd.get(), st, host.native());
        if (!document) {
            return failure("cannot read " + host.string(), errno);
        }
    }
    if (std::string reason = readOnlyReason(dirFd.get(), dir, name, exists ? &st : nullptr);
        !reason.empty()) {
        return IniWriteResult{false, std::move(reason), IniWriteError::ReadOnly};
    }
    const IniEdit edit = applyIniWrites(*document, writes);
    if (!edit.result || !edit.changed) {
        return edit.result;
    }
    return replaceFile(dirFd.get(), dir, name, edit.bytes, exists ? &st : nullptr);
}

}  // namespace kova
