#include "platform/IniDocumentCache.h"

#include <mutex>
#include <utility>

namespace kova {

IniDocumentCache::Identity IniDocumentCache::identityOf(const struct stat& st) {
    return Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

IniDocumentCache& IniDocumentCache::instance() {
    static IniDocumentCache cache;
    return cache;
}

std::shared_ptr<const IniDocument> IniDocumentCache::find(const std::string& path,
                                                          const Identity& identity) const {
    std::shared_lock lock(mutex_);
    const auto it = entries_.find(path);
    if (it == entries_.end() || !(it->second.identity == identity)) {
        return nullptr;
    }
    return it->second.document;
}

void IniDocumentCache::store(const std::string& path, const Identity& identity,
                             std::shared_ptr<const IniDocument> document) {
    std::shared_ptr<const IniDocument> dropped;  // freed after the lock is released
    std::unique_lock lock(mutex_);
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

}  // namespace kova
