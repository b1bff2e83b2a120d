#pragma once
// Parsed ini files by host path, each checked against the file's identity on every use, so a
// file read again unchanged is not parsed again. Readers in several threads share it.

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>

#include "platform/IniDocument.h"

namespace kova {

class IniDocumentCache {
  public:
    // One version of a file. A replaced file has a new inode; a file changed in place a new
    // size or modification time.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        time_t mtimeSeconds = 0;
        long mtimeNanoseconds = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity identityOf(const struct stat& st);

    // The process's cache.
    static IniDocumentCache& instance();

    // The version parsed from this path when the file still has `identity`, else nullptr.
    std::shared_ptr<const IniDocument> find(const std::string& path,
                                            const Identity& identity) const;

    void store(const std::string& path, const Identity& identity,
               std::shared_ptr<const IniDocument> document);

  private:
    // The tool uses a handful of files; the bound only keeps a scan of many files cheap.
    static constexpr std::size_t kMaxEntries = 32;
    struct Entry {
        Identity identity;
        std::shared_ptr<const IniDocument> document;
    };
    mutable std::shared_mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
};

}  // namespace kova
