#include "records/RecordsSender.h"

#include "records/RecordsStore.h"

namespace kova {

RecordsSender::RecordsSender(RecordsLocation location, std::chrono::milliseconds period)
    : thread_([this, location = std::move(location), period] { run(location, period); }) {}

RecordsSender::~RecordsSender() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

int RecordsSender::sent() const {
    const std::lock_guard lock(mutex_);
    return sent_;
}

void RecordsSender::run(RecordsLocation location, std::chrono::milliseconds period) {
    // The store and its connections belong to this thread from first to last.
    RecordsStore store(std::move(location));
    store.open();  // what it refuses the window's store has said already
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        const int sent = store.sendQueued();
        lock.lock();
        sent_ += sent;
        wake_.wait_for(lock, period, [this] { return stopping_; });
    }
}

}  // namespace kova
