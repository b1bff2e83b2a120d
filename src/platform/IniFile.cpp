#include "platform/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "platform/HostPath.h"
#include "platform/IniChangeWatch.h"
#include "platform/IniDocumentCache.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

const std::shared_ptr<const IniDocument>& emptyDocument() {
    static const auto empty = std::make_shared<const IniDocument>(std::string());
    return empty;
}

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

IniWriteResult resultOf(const FileWriteResult& written) {
    if (written) {
        return {};
    }
    return IniWriteResult{false, written.reason, errorKind(written.error)};
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
    const IniDocumentCache::Identity identity = IniDocumentCache::identityOf(st);
    if (fromCache) {
        if (auto cached = IniDocumentCache::instance().find(key, identity)) {
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
    if (::fstat(fd, &after) == 0 && IniDocumentCache::identityOf(after) == identity) {
        IniDocumentCache::instance().store(key, identity, document);
    }
    return document;
}

// The file as it is now; an empty document when it is missing or unreadable, so every read gives
// its default.
std::shared_ptr<const IniDocument> currentDocument(const std::string& path) {
    // The lexical mapping is what hostPath gives whenever it exists: one stat per read.
    std::string host = lexicalHostPath(path);
    if (auto known = IniChangeWatch::instance().unchanged(host)) {
        return known;
    }
    // Vouched for by notification only when the lexical path names the file itself: not a
    // symbolic link (its target's directory is not watched), not a name resolved by letter case.
    long token = IniChangeWatch::instance().arm(host);
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
    auto document = fromCache
                        ? IniDocumentCache::instance().find(host, IniDocumentCache::identityOf(st))
                        : nullptr;
    if (!document) {
        const FileDescriptor fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return emptyDocument();
        }
        document = documentOf(fd.get(), st, host, fromCache);
        if (!document) {
            return emptyDocument();
        }
    }
    if (token >= 0) {
        IniChangeWatch::instance().trust(host, token, document);
    }
    return document;
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

    // The read-modify-write runs under the writers' lock of the directory; files of one
    // directory share it, writes are rare.
    const LockedDirectory locked(dir);
    if (!locked.status()) {
        return resultOf(locked.status());
    }
    const int dirFd = locked.fd();

    std::shared_ptr<const IniDocument> document = emptyDocument();
    struct stat st {};
    const FileDescriptor fd(::openat(dirFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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
    if (std::string reason = readOnlyReason(dirFd, dir, name, exists ? &st : nullptr);
        !reason.empty()) {
        return IniWriteResult{false, std::move(reason), IniWriteError::ReadOnly};
    }
    const IniEdit edit = applyIniWrites(*document, writes);
    if (!edit.result || !edit.changed) {
        return edit.result;
    }
    return resultOf(locked.replace(name, edit.bytes));
}

}  // namespace kova
