// ModbusCard.so: the acquisition card's entry points on a Modbus field unit (TCP or RTU). A
// station uses it by placing it in the module directory as Ferroxan.so. It reads ModbusCard.ini
// beside its own file at ExtOpen, polls the unit on its own thread (Poller.h) and answers every
// entry point from what that thread last read (Readings.h), so no call waits on the bus. Events
// go to ModbusCard.log beside it. It never simulates anything: a channel it cannot read says so
// through ExtGetStatusInfo and reads NaN or 0.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>

#include "CardLog.h"
#include "ModbusSettings.h"
#include "Poller.h"
#include "Readings.h"
#include "platform/DynamicLibrary.h"
#include "platform/IniDocument.h"
#include "platform/ModuleExport.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;

namespace modbuscard {
namespace {

constexpr const char* kSettingsFile = "ModbusCard.ini";
constexpr const char* kLogFile = "ModbusCard.log";

class Card {
  public:
    Card() : log_(kova::ownModuleDirectory() / kLogFile) {
        // The codec's tables are statics of this module too: made before the card, they are
        // destroyed after it, so the thread's last log lines still find them.
        kova::gbkToUtf8("");
    }
    // Also when the module is unloaded with the thread running: the thread ends before the code
    // it runs goes away.
    ~Card() { close(); }

    void open() {
        const std::lock_guard lock(lifecycle_);
        poller_.reset();
        const fs::path file = kova::ownModuleDirectory() / kSettingsFile;
        CardSettings settings;
        if (fs::exists(file)) {
            // The profile layer's own parser on the file's bytes. IniFile would keep a change
            // watch for the rest of the process, which a module that is unloaded must not leave
            // behind; the card reads its settings once an ExtOpen anyway.
            std::ifstream in(file, std::ios::binary);
            std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            settings = parseCardSettings(kova::IniDocument(std::move(bytes)));
        } else {
            settings.errors.push_back(file.string() + " not found");
        }
        for (const std::string& error : settings.errors) {
            log_.write("settings error: " + error);
        }
        readings_.configure(settings, true);
        if (!settings.linkValid) {
            log_.write("not opened: the link settings are wrong");
            return;
        }
        poller_ = std::make_unique<Poller>(std::move(settings), readings_, log_);
        log_.write("opened: " + poller_->linkName() + ", " +
                   std::to_string(poller_->reads().size()) + " read(s) a cycle");
        poller_->start();
    }

    void close() {
        const std::lock_guard lock(lifecycle_);
        if (poller_) {
            poller_.reset();
            log_.write("closed");
        }
        readings_.close();
    }

    Readings& readings() { return readings_; }

  private:
    std::mutex lifecycle_;
    CardLog log_;
    Readings readings_;
    std::unique_ptr<Poller> poller_;
};

Card& card() {
    static Card instance;
    return instance;
}

}  // namespace
}  // namespace modbuscard

using modbuscard::card;
using modbuscard::Clock;

// Reads ModbusCard.ini, then connects and polls on the card's own thread; returns at once. The
// client name selects nothing.
KOVA_MODULE_ENTRY void ExtOpen(const char* /*client*/) {
    card().open();
}

KOVA_MODULE_ENTRY void ExtClose() {
    card().close();
}

KOVA_MODULE_ENTRY int ExtStop() {
    card().close();
    return 0;
}

KOVA_MODULE_ENTRY int ExtRelease() {
    card().close();
    return 0;
}

KOVA_MODULE_ENTRY const char* ExtGetVersion() {
    return "ModbusCard 1.0 (Modbus TCP/RTU)";
}

// 0 fresh reading, 1 link down or no answer in time, 2 not configured, 3 device exception.
KOVA_MODULE_ENTRY int ExtGetStatusInfo(int channel) {
    return static_cast<int>(card().readings().state(channel, Clock::now()));
}

// The channel's last `count` readings, oldest first; the number filled, or 0 with NaN filled
// while the channel's state is not 0.
KOVA_MODULE_ENTRY int ExtGetAnalog(int channel, float* samples, int count) {
    return card().readings().analog(channel, samples, count, Clock::now());
}

KOVA_MODULE_ENTRY float ExtGetFreb(int channel) {
    return card().readings().frequency(channel, Clock::now());
}

KOVA_MODULE_ENTRY int ExtGetEnc3(int channel) {
    return card().readings().counter(channel, Clock::now());
}

KOVA_MODULE_ENTRY void ExtResetCNT() {
    card().readings().resetCounters();
}

KOVA_MODULE_ENTRY int ExtInPutDig(int input) {
    return card().readings().input(input, Clock::now());
}

// Queued; the thread writes it within one poll period, the last state of each output winning.
KOVA_MODULE_ENTRY void ExtOutPutDig(int output, int state) {
    card().readings().queueOutput(output, state);
}
