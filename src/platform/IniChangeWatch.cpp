#include "platform/IniChangeWatch.h"

#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kova {
namespace {

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

}  // namespace

IniChangeWatch& IniChangeWatch::instance() {
    static auto* watch = new IniChangeWatch;
    return *watch;
}

std::shared_ptr<const IniDocument> IniChangeWatch::unchanged(const std::string& path) {
    if (!enabled()) {
        return nullptr;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    drain();
    const auto it = files_.find(path);
    return it == files_.end() ? nullptr : it->second.document;
}

long IniChangeWatch::arm(const std::string& path) {
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

void IniChangeWatch::trust(const std::string& path, long token,
                           std::shared_ptr<const IniDocument> document) {
    const std::lock_guard<std::mutex> lock(mutex_);
    drain();
    const auto it = files_.find(path);
    if (it != files_.end() && it->second.watch >= 0 && it->second.changes == token) {
        it->second.document = std::move(document);
    }
}

bool IniChangeWatch::enabled() {
    const char* setting = std::getenv("KOVA_INI_NOTIFY");
    return setting == nullptr || std::strcmp(setting, "0") != 0;
}

void IniChangeWatch::forget(Watched& w, bool watchGone) {
    ++w.changes;
    w.document.reset();
    if (watchGone) {
        w.watch = -1;
    }
}

void IniChangeWatch::drain() {
    // Asking how many bytes are pending costs less than a read that finds none, the usual case.
    int pending = 0;
    if (::ioctl(fd_, FIONREAD, &pending) == 0 && pending == 0) {
        return;
    }
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
                if (overflow || (w.watch == event->wd &&
                                 (wholeDirectory || (event->len > 0 && w.name == event->name)))) {
                    forget(w, watchGone);
                }
            }
        }
    }
}

}  // namespace kova
