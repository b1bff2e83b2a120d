#pragma once
// The card's own thread and everything it says on the bus: it connects, reads every configured
// input each PollMs, writes the queued outputs, and gets a lost link back with Backoff. Nothing
// else touches the bus, so no entry point ever waits on it.

#include <array>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CardLog.h"
#include "ModbusSettings.h"
#include "Readings.h"
#include "RegisterPlan.h"

struct _modbus;  // NOLINT(bugprone-reserved-identifier): the library's own name for its context

namespace modbuscard {

class Poller {
  public:
    Poller(CardSettings settings, Readings& readings, CardLog& log);
    ~Poller();
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;

    void start();
    // Stops the thread and closes the link, after writing the outputs switched since the last
    // cycle. Waits for a request in flight to end and for those writes, each at most TimeoutMs.
    void stop();

    // The steps of the thread, also run directly by the benchmark.
    bool connect();
    void disconnect();
    enum class Cycle { Good, LinkLost };
    // Writes the queued outputs and reads every input once.
    Cycle pollOnce();

    // "tcp host:port" or "rtu device baud 8N1".
    std::string linkName() const;
    // The requests one cycle makes (after any split of a refused group).
    const std::vector<RegisterRead>& reads() const { return reads_; }

  private:
    void run();
    // Waits for the time or for stop(); false when stopping.
    bool waitUntil(Clock::time_point until);
    Cycle lost(const std::string& why);
    bool writeOutputs(const std::array<int, kDigitalOutputs>& outputs, bool& answered);
    // At stop: the outputs switched since the last cycle are written before the link closes.
    void flushOutputs();
    void noteException(int channel, const std::string& what, int code);

    CardSettings settings_;
    Readings& readings_;
    CardLog& log_;
    std::vector<RegisterRead> reads_;
    _modbus* ctx_ = nullptr;
    bool connected_ = false;
    std::string lostReason_;
    std::map<int, int> exceptionShown_;  // channel (-1: the inputs) -> code logged
    std::set<int> silentUnits_;          // RTU units logged as not answering

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

}  // namespace modbuscard
