#pragma once
// A Modbus field unit served by Debian's pymodbus (modbus_unit.py) under the system interpreter,
// on a free port of 127.0.0.1 or on a serial device, driven by one command line at a time. The
// unit ends with the object. Every wait is bounded, so a stuck unit fails the test instead of
// hanging it.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kova::test {

class ModbusUnit {
  public:
    // TCP on 127.0.0.1, a port the system picks.
    ModbusUnit();
    // RTU on a serial device.
    explicit ModbusUnit(const std::filesystem::path& serialDevice);
    ~ModbusUnit();
    ModbusUnit(const ModbusUnit&) = delete;
    ModbusUnit& operator=(const ModbusUnit&) = delete;

    bool running() const { return ready_; }
    int port() const { return port_; }

    // Sends one command; its answer line, or "" when the unit gave none in time.
    std::string command(const std::string& line);
    // "set UNIT TABLE ADDRESS VALUE..." must answer "ok".
    void set(int unit, const std::string& table, int address, const std::vector<int>& values);
    std::vector<int> get(int unit, const std::string& table, int address, int count);
    // The reads served since the last call, as "fx:unit:address:count".
    std::vector<std::string> requests();
    int heard();

  private:
    void spawn(const std::vector<std::string>& args);
    std::optional<std::string> readLine(std::chrono::milliseconds patience);

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
    bool ready_ = false;
    int port_ = 0;
};

// A pair of connected pseudo-terminals made by socat, reached through two links in `dir`:
// "card" for the module, "unit" for the field unit.
class PtyPair {
  public:
    explicit PtyPair(const std::filesystem::path& dir);
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ready() const { return ready_; }
    std::filesystem::path card() const { return card_; }
    std::filesystem::path unit() const { return unit_; }

  private:
    pid_t pid_ = -1;
    std::filesystem::path card_;
    std::filesystem::path unit_;
    bool ready_ = false;
};

// Polls the condition every few milliseconds until it holds or the bound passes; whether it
// held. The bound is far above what any machine needs: tests never rest on how long things take.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds bound = std::chrono::seconds(20));

}  // namespace kova::test
