#pragma once
// The calibration records of a station: append-only, kept in the station's SQLite file, or in a
// site's PostgreSQL database with the station's file as the queue of records not yet sent.
// Used from one thread; several processes may use one file or one site database at once.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "records/RecordsLocation.h"
#include "records/logic/CalibRecord.h"

namespace kova {

inline constexpr const char* kRecordsQueuedText = "记录暂存本地，将自动补传";

enum class AppendStatus {
    Stored,  // in the database the records live in
    Queued,  // in the station's send queue; sendQueued() delivers it
    Failed,  // not stored anywhere yet; kept in memory and retried with the next append
};

struct AppendResult {
    AppendStatus status = AppendStatus::Failed;
    std::string id;       // the record's id
    std::string message;  // "" when stored; kRecordsQueuedText when queued; else the reason
};

struct RecordsStoreOptions {
    // After a failed contact the site database is not tried again for this long.
    int retrySeconds = 30;
    int connectTimeoutSeconds = 3;
    // How long a write waits for another program of the station holding the file's lock.
    int busyTimeoutMs = 5000;
    // A monotonic clock in milliseconds (the steady clock when empty); tests set their own.
    std::function<std::int64_t()> monotonicMs;
};

// One channel of one device of one station; empty texts match any.
struct ChannelQuery {
    int channel = 0;
    std::string station;
    std::string device;
};

class RecordsStore {
  public:
    explicit RecordsStore(RecordsLocation location, RecordsStoreOptions options = {});
    ~RecordsStore();
    RecordsStore(const RecordsStore&) = delete;
    RecordsStore& operator=(const RecordsStore&) = delete;

    // Opens the station's file and, when set, the site database, creating or migrating their
    // schema. False with openError() when one of them is refused (damaged, newer schema, not
    // openable); a refused database is left untouched. An unreachable site database is no
    // error: records then wait in the queue. With the file usable, appends work even after a
    // refused site database (they stay queued).
    bool open();
    const std::string& openError() const { return openError_; }
    bool hasSite() const { return !location_.siteUrl.empty(); }
    // Whether records can be appended: the station's file is open (a refused site database
    // leaves them queued in it).
    bool usable() const { return localOpen_; }

    // Stores a record; an empty id becomes a new UUID, a zero time the current time (later than
    // the time this store gave its previous record).
    // Storing a record whose id is there already stores nothing more.
    AppendResult append(CalibRecord record);
    // A Tolerance record for the channel (% of full scale).
    AppendResult setTolerance(const RecordChannel& channel, double percent,
                              const std::string& operatorName);

    // Sends the queue to the site database, oldest first; the number sent. Returns at once
    // within retrySeconds of a failed contact.
    int sendQueued();
    // Records in the send queue (and those held in memory).
    int queuedCount();

    // Calibrations and checks of a channel, newest first. With a site database: its records
    // plus this station's queued ones; when it cannot be reached, this station's own records
    // (problem() says so).
    std::vector<CalibRecord> history(const ChannelQuery& query);
    std::vector<CalibRecord> history(int channel) { return history(ChannelQuery{channel, {}, {}}); }
    std::optional<CalibRecord> latestCheck(const ChannelQuery& query);
    // The newest calibration of the check's channel saved no later than the check.
    std::optional<CalibRecord> latestCalibrationBefore(const CalibRecord& check);
    // The newest Tolerance record's value, kDefaultTolerancePercent without one.
    double tolerance(const ChannelQuery& query);
    double tolerance(int channel) { return tolerance(ChannelQuery{channel, {}, {}}); }
    // Every channel with records (for pickers), by station, device and number.
    std::vector<RecordChannel> channels();

    // Why the last read could not use the database the records live in; "" when it could.
    const std::string& problem() const { return problem_; }

  private:
    struct Connections;

    bool siteReady();
    void siteFailed(const std::string& why);
    std::vector<CalibRecord> read(const std::vector<RecordKind>& kinds, const ChannelQuery& query,
                                  std::optional<std::int64_t> notAfter, int limit);
    std::string storeLocally(const CalibRecord& record);
    void retryUnsaved();
    std::int64_t now() const;

    RecordsLocation location_;
    RecordsStoreOptions options_;
    std::unique_ptr<Connections> db_;
    std::string openError_;
    std::string problem_;
    bool localOpen_ = false;
    bool siteRefused_ = false;
    std::optional<std::int64_t> nextSiteTry_;
    std::vector<CalibRecord> unsaved_;
    std::int64_t lastStampedMs_ = 0;
};

}  // namespace kova
