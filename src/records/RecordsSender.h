#pragma once
// Offers the station's queued records to the site database from a thread of its own, with its own
// connections, so that a site that cannot be reached (a connect waits up to its timeout) never
// holds up the window. The station's file is shared with the window's store (WAL mode).

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "records/RecordsLocation.h"

namespace kova {

class RecordsSender {
  public:
    // Sends at once, then every `period` until destroyed.
    RecordsSender(RecordsLocation location, std::chrono::milliseconds period);
    ~RecordsSender();
    RecordsSender(const RecordsSender&) = delete;
    RecordsSender& operator=(const RecordsSender&) = delete;

    // Records sent so far.
    int sent() const;

  private:
    void run(RecordsLocation location, std::chrono::milliseconds period);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    int sent_ = 0;
    std::thread thread_;
};

}  // namespace kova
