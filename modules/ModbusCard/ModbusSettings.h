#pragma once
// What ModbusCard.ini says: the link to the field unit and where each of the tool's channels is
// read. Parsing is pure; a setting that cannot be used is reported, never guessed around.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/CardChannels.h"

namespace kova {
class IniDocument;
}

namespace modbuscard {

using namespace kova::card;

enum class Transport : std::uint8_t { Tcp, Rtu };
enum class Table : std::uint8_t { Input, Holding };
enum class Format : std::uint8_t { Int16, Uint16, Int32, Uint32, Float32 };
enum class BitTable : std::uint8_t { Discrete, Coil };

struct LinkSettings {
    Transport transport = Transport::Tcp;
    std::string host;
    int port = 502;
    std::string device;  // host path of the serial device
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
    int unit = 1;
    int timeoutMs = 200;
    int pollMs = 20;
};

// One analog, frequency or counter channel.
struct ChannelSettings {
    int channel = 0;
    int unit = 1;
    Table table = Table::Input;
    int reg = 0;
    Format format = Format::Int16;
    bool highWordFirst = true;
    double scale = 1.0;
    double offset = 0.0;
};

struct DigitalSettings {
    int unit = 1;
    BitTable table = BitTable::Discrete;  // the outputs are always coils
    int address = 0;
};

struct CardSettings {
    // Set when the link cannot be used: then no channel counts as configured.
    bool linkValid = false;
    LinkSettings link;
    std::map<int, ChannelSettings> channels;  // by channel number, the usable ones only
    std::optional<DigitalSettings> inputs;
    std::optional<DigitalSettings> outputs;
    // One line for every setting that was refused, for the log.
    std::vector<std::string> errors;
};

// The number of registers a value of this format takes.
int registerCount(Format format);

CardSettings parseCardSettings(const kova::IniDocument& document);

}  // namespace modbuscard
