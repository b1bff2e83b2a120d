#pragma once
// Vouches for cached ini files without a stat per read: the kernel reports every change to an
// entry of a watched directory (written, renamed over or away, deleted, created, attributes
// changed), and the pending reports are read, without waiting, before a cached version is used.
// A change that finished before a read started is therefore seen by it. Set KOVA_INI_NOTIFY=0 to
// check every read by stat instead.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/IniDocument.h"

namespace kova {

class IniChangeWatch {
  public:
    // The process's watch; never destroyed, as readers may run during exit.
    static IniChangeWatch& instance();

    // The version cached for this absolute host path when nothing touched the file since.
    std::shared_ptr<const IniDocument> unchanged(const std::string& path);

    // Watches the file's directory before the file is examined. The token to hand to trust(),
    // or -1 when notification cannot vouch for this file.
    long arm(const std::string& path);

    // Caches `document` as the file's version when no change was reported since arm() gave
    // `token`.
    void trust(const std::string& path, long token, std::shared_ptr<const IniDocument> document);

  private:
    static constexpr std::size_t kMaxFiles = 32;

    struct Watched {
        int watch = -1;
        std::string name;  // the entry in the watched directory
        long changes = 0;
        std::shared_ptr<const IniDocument> document;  // null: to be checked
    };

    static bool enabled();
    static void forget(Watched& w, bool watchGone);
    // Reads every pending report, without waiting.
    void drain();

    std::mutex mutex_;
    int fd_ = -2;  // -2: not set up yet; -1: cannot be
    std::unordered_map<std::string, Watched> files_;
};

}  // namespace kova
