#include "ModbusSettings.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/IniDocument.h"
#include "platform/TextCodec.h"

namespace modbuscard {
namespace {

constexpr std::size_t kValueBytes = 256;

class SectionReader {
  public:
    SectionReader(const kova::IniDocument& doc, std::string section,
                  std::vector<std::string>& errors)
        : doc_(doc), section_(std::move(section)), errors_(errors) {}

    // The trimmed value; empty when the key is missing or empty.
    std::string text(const char* key) const {
        return std::string(kova::trimIniBlanks(doc_.readString(section_, key, "", kValueBytes)));
    }

    // The whole value as an integer within [low, high]; the fallback when it is missing.
    int integer(const char* key, int fallback, int low, int high) {
        const std::string value = text(key);
        if (value.empty()) {
            return fallback;
        }
        int result = 0;
        const char* end = value.data() + value.size();
        const auto [ptr, ec] = std::from_chars(value.data(), end, result);
        if (ec != std::errc{} || ptr != end || result < low || result > high) {
            refuse(key, value,
                   "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
            return fallback;
        }
        return result;
    }

    double number(const char* key, double fallback) {
        const std::string value = text(key);
        if (value.empty()) {
            return fallback;
        }
        double result = 0.0;
        const char* begin = value.data() + (value[0] == '+' ? 1 : 0);
        const char* end = value.data() + value.size();
        const auto [ptr, ec] = std::from_chars(begin, end, result);
        if (ec != std::errc{} || ptr != end || !std::isfinite(result)) {
            refuse(key, value, "a number");
            return fallback;
        }
        return result;
    }

    // The index of the value among the choices (ASCII case ignored); the fallback when missing.
    int choice(const char* key, std::initializer_list<const char*> choices, int fallback) {
        const std::string value = text(key);
        if (value.empty()) {
            return fallback;
        }
        int index = 0;
        std::string names;
        for (const char* c : choices) {
            if (kova::equalsIgnoreAsciiCase(value, c)) {
                return index;
            }
            names += (index == 0 ? "" : ", ") + std::string(c);
            ++index;
        }
        refuse(key, value, "one of " + names);
        return fallback;
    }

    bool failed() const { return failed_; }
    const std::string& name() const { return section_; }

    void refuse(const char* key, const std::string& value, const std::string& expected) {
        errors_.push_back("[" + section_ + "] " + key + "=" + value + ": expected " + expected);
        failed_ = true;
    }

  private:
    const kova::IniDocument& doc_;
    std::string section_;
    std::vector<std::string>& errors_;
    bool failed_ = false;
};

LinkSettings parseLink(SectionReader& r) {
    LinkSettings link;
    link.transport =
        r.choice("Transport", {"tcp", "rtu"}, 0) == 0 ? Transport::Tcp : Transport::Rtu;
    link.host = r.text("Host");
    link.port = r.integer("Port", 502, 1, 65535);
    link.device = r.text("Device");
    link.baud = r.integer("Baud", 9600, 1, 4000000);
    link.parity = "NEO"[r.choice("Parity", {"N", "E", "O"}, 0)];
    link.dataBits = r.integer("DataBits", 8, 5, 8);
    link.stopBits = r.integer("StopBits", 1, 1, 2);
    link.unit = link.transport == Transport::Tcp ? r.integer("Unit", 1, 0, 255)
                                                 : r.integer("Unit", 1, 1, 247);
    link.timeoutMs = r.integer("TimeoutMs", 200, 1, 60000);
    link.pollMs = r.integer("PollMs", 20, 1, 60000);
    if (link.transport == Transport::Tcp && link.host.empty()) {
        r.refuse("Host", "", "the unit's address for Transport=tcp");
    }
    if (link.transport == Transport::Rtu && link.device.empty()) {
        r.refuse("Device", "", "the serial device for Transport=rtu");
    }
    return link;
}

void parseChannel(const kova::IniDocument& doc, const std::string& section, int channel,
                  const LinkSettings& link, CardSettings& card) {
    SectionReader r(doc, section, card.errors);
    ChannelSettings c;
    c.channel = channel;
    c.unit = r.integer("Unit", link.unit, 0, 255);
    c.table = r.choice("Table", {"input", "holding"}, 0) == 0 ? Table::Input : Table::Holding;
    c.format = static_cast<Format>(
        r.choice("Format", {"int16", "uint16", "int32", "uint32", "float32"}, 0));
    c.highWordFirst = r.choice("WordOrder", {"high", "low"}, 0) == 0;
    c.reg = r.integer("Register", 0, 0, 65536 - registerCount(c.format));
    c.scale = r.number("Scale", 1.0);
    c.offset = r.number("Offset", 0.0);
    if (!r.failed()) {
        card.channels[channel] = c;
    }
}

std::optional<DigitalSettings> parseDigital(const kova::IniDocument& doc, const char* section,
                                            int count, bool withTable, const LinkSettings& link,
                                            std::vector<std::string>& errors) {
    if (doc.findSection(section) == kova::IniDocument::npos) {
        return std::nullopt;
    }
    SectionReader r(doc, section, errors);
    DigitalSettings d;
    d.unit = r.integer("Unit", link.unit, 0, 255);
    if (withTable) {
        d.table =
            r.choice("Table", {"discrete", "coil"}, 0) == 0 ? BitTable::Discrete : BitTable::Coil;
    }
    d.address = r.integer("Address", 0, 0, 65536 - count);
    if (r.failed()) {
        return std::nullopt;
    }
    return d;
}

// The channel number of "<prefix><digits>", ASCII case ignored in the prefix.
std::optional<int> numberedSection(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() ||
        !kova::equalsIgnoreAsciiCase(name.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(prefix.size());
    int n = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc{} || ptr != digits.data() + digits.size() || digits[0] == '+' ||
        digits[0] == '-') {
        return std::nullopt;
    }
    return n;
}

struct Band {
    const char* prefix;
    int low;
    int high;
};
constexpr Band kBands[] = {
    {"Analog", 0, kAnalogChannels - 1},
    {"Frequency", kFirstFrequencyChannel, kFirstCounterChannel - 1},
    {"Counter", kFirstCounterChannel, 1 << 30},
};

}  // namespace

int registerCount(Format format) {
    return format == Format::Int16 || format == Format::Uint16 ? 1 : 2;
}

CardSettings parseCardSettings(const kova::IniDocument& doc) {
    CardSettings card;
    if (doc.findSection("Link") == kova::IniDocument::npos) {
        card.errors.push_back("[Link] missing");
        return card;
    }
    SectionReader link(doc, "Link", card.errors);
    card.link = parseLink(link);
    card.linkValid = !link.failed();
    if (!card.linkValid) {
        return card;
    }
    for (const kova::IniDocument::Section& s : doc.sections()) {
        if (s.header == kova::IniDocument::npos) {
            continue;
        }
        const std::string name = doc.decode(doc.name(doc.lines()[s.header]));
        for (const Band& band : kBands) {
            const std::optional<int> n = numberedSection(name, band.prefix);
            if (!n) {
                continue;
            }
            if (*n < band.low || *n > band.high) {
                card.errors.push_back(
                    "[" + name + "]: a " + band.prefix + " channel is numbered " +
                    std::to_string(band.low) +
                    (band.high < (1 << 30) ? "-" + std::to_string(band.high) : " or above"));
            } else if (card.channels.count(*n) == 0) {
                parseChannel(doc, name, *n, card.link, card);
            }
        }
    }
    card.inputs = parseDigital(doc, "DigitalIn", kDigitalInputs, true, card.link, card.errors);
    card.outputs = parseDigital(doc, "DigitalOut", kDigitalOutputs, false, card.link, card.errors);
    return card;
}

}  // namespace modbuscard
