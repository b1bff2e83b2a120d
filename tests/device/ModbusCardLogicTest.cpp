// The Modbus card's rules without a bus: its settings, how it groups requests and decodes
// values, its retry waits, what the entry points hand out from what was read, and its log.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>

#include "Backoff.h"
#include "CardLog.h"
#include "ModbusSettings.h"
#include "Readings.h"
#include "RegisterPlan.h"
#include "TestFiles.h"
#include "platform/IniDocument.h"
#include "platform/TextCodec.h"

using namespace modbuscard;
using namespace std::chrono_literals;

namespace {

CardSettings parse(const std::string& utf8) {
    return parseCardSettings(kova::IniDocument(kova::utf8ToGbk(utf8)));
}

bool mentions(const CardSettings& s, const std::string& text) {
    for (const std::string& e : s.errors) {
        if (e.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

ChannelSettings channel(int number, int reg, Format format = Format::Int16, int unit = 1,
                        Table table = Table::Input) {
    ChannelSettings c;
    c.channel = number;
    c.reg = reg;
    c.format = format;
    c.unit = unit;
    c.table = table;
    return c;
}

}  // namespace

TEST(ModbusSettingsTest, ReadsEveryKeyOfTheContract) {
    const CardSettings s = parse(
        "; 现场单元\n"
        "[link]\ntransport=RTU\nDevice=/dev/ttyS1\nBaud=19200\nParity=e\nDataBits=7\n"
        "StopBits=2\nUnit=5\nTimeoutMs=300\nPollMs=50\n"
        "[Analog7]\nTable=holding\nRegister=12\nFormat=float32\nWordOrder=low\nScale=0.5\n"
        "Offset=-1.25\n"
        "[Frequency150]\nUnit=9\nFormat=uint32\n"
        "[Counter300]\nFormat=int32\nRegister=40\n"
        "[Counter1234]\n"
        "[DigitalIn]\nTable=coil\nAddress=8\nUnit=3\n"
        "[DigitalOut]\nAddress=16\n");
    ASSERT_TRUE(s.linkValid) << (s.errors.empty() ? "" : s.errors[0]);
    EXPECT_TRUE(s.errors.empty());
    EXPECT_EQ(s.link.transport, Transport::Rtu);
    EXPECT_EQ(s.link.device, "/dev/ttyS1");
    EXPECT_EQ(s.link.baud, 19200);
    EXPECT_EQ(s.link.parity, 'E');
    EXPECT_EQ(s.link.dataBits, 7);
    EXPECT_EQ(s.link.stopBits, 2);
    EXPECT_EQ(s.link.timeoutMs, 300);
    EXPECT_EQ(s.link.pollMs, 50);

    ASSERT_EQ(s.channels.size(), 4U);
    const ChannelSettings& a = s.channels.at(7);
    EXPECT_EQ(a.unit, 5);  // the link's unit for an entry that names none
    EXPECT_EQ(a.table, Table::Holding);
    EXPECT_EQ(a.reg, 12);
    EXPECT_EQ(a.format, Format::Float32);
    EXPECT_FALSE(a.highWordFirst);
    EXPECT_DOUBLE_EQ(a.scale, 0.5);
    EXPECT_DOUBLE_EQ(a.offset, -1.25);
    EXPECT_EQ(s.channels.at(150).unit, 9);
    EXPECT_EQ(s.channels.at(150).format, Format::Uint32);
    EXPECT_EQ(s.channels.at(300).reg, 40);
    // A section without keys takes the defaults.
    const ChannelSettings& d = s.channels.at(1234);
    EXPECT_EQ(d.table, Table::Input);
    EXPECT_EQ(d.format, Format::Int16);
    EXPECT_TRUE(d.highWordFirst);
    EXPECT_DOUBLE_EQ(d.scale, 1.0);

    ASSERT_TRUE(s.inputs.has_value());
    EXPECT_EQ(s.inputs->table, BitTable::Coil);
    EXPECT_EQ(s.inputs->address, 8);
    EXPECT_EQ(s.inputs->unit, 3);
    ASSERT_TRUE(s.outputs.has_value());
    EXPECT_EQ(s.outputs->address, 16);
    EXPECT_EQ(s.outputs->unit, 5);
}

TEST(ModbusSettingsTest, DefaultsOfTheLink) {
    const CardSettings s = parse("[Link]\nHost=10.0.0.7\n[Analog0]\n");
    ASSERT_TRUE(s.linkValid);
    EXPECT_EQ(s.link.transport, Transport::Tcp);
    EXPECT_EQ(s.link.port, 502);
    EXPECT_EQ(s.link.unit, 1);
    EXPECT_EQ(s.link.timeoutMs, 200);
    EXPECT_EQ(s.link.pollMs, 20);
    EXPECT_FALSE(s.inputs.has_value());
    EXPECT_FALSE(s.outputs.has_value());
}

TEST(ModbusSettingsTest, AWrongLinkConfiguresNothing) {
    EXPECT_FALSE(parse("[Analog0]\n").linkValid);
    EXPECT_TRUE(mentions(parse(""), "[Link] missing"));

    for (const char* link :
         {"Transport=udp\nHost=h", "Host=", "Transport=rtu", "Host=h\nPort=0", "Host=h\nPort=70000",
          "Host=h\nTimeoutMs=fast", "Host=h\nPollMs=0", "Transport=rtu\nDevice=d\nParity=X",
          "Transport=rtu\nDevice=d\nUnit=0", "Host=h\nUnit=256"}) {
        const CardSettings s = parse(std::string("[Link]\n") + link + "\n[Analog0]\n");
        EXPECT_FALSE(s.linkValid) << link;
        EXPECT_TRUE(s.channels.empty()) << link;
        EXPECT_FALSE(s.errors.empty()) << link;
    }
}

TEST(ModbusSettingsTest, AWrongChannelIsLeftOutAndReported) {
    const CardSettings s = parse(
        "[Link]\nHost=h\n"
        "[Analog0]\nFormat=int64\n"
        "[Analog1]\nTable=coil\n"
        "[Analog2]\nRegister=65535\nFormat=int32\n"  // the second word would not exist
        "[Analog3]\nScale=2x\n"
        "[Analog4]\nRegister=65535\n"
        "[Analog150]\n"
        "[Frequency99]\n"
        "[Counter299]\n"
        "[AnalogX]\n"
        "[DigitalIn]\nTable=holding\n"
        "[DigitalOut]\nAddress=65520\n");
    ASSERT_TRUE(s.linkValid);
    ASSERT_EQ(s.channels.size(), 1U);
    EXPECT_EQ(s.channels.count(4), 1U);
    EXPECT_TRUE(mentions(s, "[Analog0] Format=int64"));
    EXPECT_TRUE(mentions(s, "[Analog1] Table=coil"));
    EXPECT_TRUE(mentions(s, "[Analog2] Register=65535"));
    EXPECT_TRUE(mentions(s, "[Analog3] Scale=2x"));
    EXPECT_TRUE(mentions(s, "[Analog150]"));
    EXPECT_TRUE(mentions(s, "[Frequency99]"));
    EXPECT_TRUE(mentions(s, "[Counter299]"));
    EXPECT_FALSE(s.inputs.has_value());
    EXPECT_FALSE(s.outputs.has_value());  // outputs 0-23 from 65520 run past the last coil
    EXPECT_EQ(s.errors.size(), 9U);
}

TEST(RegisterPlanTest, NeighbouringRegistersOfOneUnitAndTableShareARequest) {
    const std::vector<RegisterRead> reads = planReads({
        channel(0, 3),
        channel(1, 0, Format::Int32),  // 0-1
        channel(2, 2),                 // touches 0-1
        channel(3, 3),                 // the same register as channel 0
        channel(4, 5),                 // a gap at 4
        channel(5, 0, Format::Int16, 2),
        channel(6, 1, Format::Int16, 1, Table::Holding),
    });
    ASSERT_EQ(reads.size(), 4U);
    EXPECT_EQ(reads[0].unit, 1);
    EXPECT_EQ(reads[0].table, Table::Input);
    EXPECT_EQ(reads[0].start, 0);
    EXPECT_EQ(reads[0].count, 4);
    EXPECT_EQ(reads[0].members.size(), 4U);
    EXPECT_EQ(reads[1].start, 5);
    EXPECT_EQ(reads[1].count, 1);
    EXPECT_EQ(reads[2].table, Table::Holding);
    EXPECT_EQ(reads[3].unit, 2);
}

TEST(RegisterPlanTest, ARequestNeverAsksForMoreThanTheLimit) {
    std::vector<ChannelSettings> channels;
    for (int i = 0; i < 100; ++i) {
        channels.push_back(channel(i, 2 * i, Format::Float32));  // 200 registers in a row
    }
    const std::vector<RegisterRead> reads = planReads(channels);
    ASSERT_EQ(reads.size(), 2U);
    EXPECT_EQ(reads[0].count, 124);  // a 32-bit value is never cut in two
    EXPECT_EQ(reads[1].start, 124);
    EXPECT_EQ(reads[1].count, 76);

    const std::vector<RegisterRead> singles = splitRead(reads[0]);
    ASSERT_EQ(singles.size(), 62U);
    EXPECT_EQ(singles[5].start, 10);
    EXPECT_EQ(singles[5].count, 2);
    EXPECT_EQ(singles[5].members.front().channel, 5);
}

TEST(RegisterPlanTest, DecodesEveryFormatAndWordOrder) {
    const std::uint16_t negative[] = {0xFFFE};
    EXPECT_EQ(decodeValue(negative, Format::Int16, true).value, -2.0);
    EXPECT_EQ(decodeValue(negative, Format::Uint16, true).value, 65534.0);

    const std::uint16_t pair[] = {0x0001, 0x0002};
    EXPECT_EQ(decodeValue(pair, Format::Uint32, true).value, 65538.0);
    EXPECT_EQ(decodeValue(pair, Format::Uint32, false).value, 131073.0);
    const std::uint16_t minusThree[] = {0xFFFF, 0xFFFD};
    EXPECT_EQ(decodeValue(minusThree, Format::Int32, true).value, -3.0);
    EXPECT_EQ(decodeValue(minusThree, Format::Uint32, true).value, 4294967293.0);
    const std::uint16_t swapped[] = {0xFFFD, 0xFFFF};
    EXPECT_EQ(decodeValue(swapped, Format::Int32, false).value, -3.0);

    const std::uint32_t bits = std::bit_cast<std::uint32_t>(-12.375f);
    const std::uint16_t high[] = {static_cast<std::uint16_t>(bits >> 16),
                                  static_cast<std::uint16_t>(bits)};
    const std::uint16_t low[] = {high[1], high[0]};
    EXPECT_EQ(decodeValue(high, Format::Float32, true).value, -12.375);
    EXPECT_EQ(decodeValue(low, Format::Float32, false).value, -12.375);
}

TEST(RegisterPlanTest, CounterDifferencesCrossTheWrap) {
    const RawValue before{65530, 65530.0};
    const RawValue after{4, 4.0};
    EXPECT_EQ(counterDelta(Format::Uint16, after, before), 10.0);
    EXPECT_EQ(counterDelta(Format::Int16, RawValue{0xFFFF, -1.0}, RawValue{2, 2.0}), -3.0);
    EXPECT_EQ(counterDelta(Format::Uint32, RawValue{5, 5.0}, RawValue{0xFFFFFFFB, 4294967291.0}),
              10.0);
    EXPECT_EQ(counterDelta(Format::Int32, RawValue{1, 1.0}, RawValue{4, 4.0}), -3.0);
    EXPECT_EQ(counterDelta(Format::Float32, RawValue{0, 2.5}, RawValue{0, 1.0}), 1.5);
}

TEST(BackoffTest, DoublesFromFiftyMillisecondsUpToOneSecondAndStartsOverAfterSuccess) {
    Backoff b;
    std::vector<long> waits;
    for (int i = 0; i < 8; ++i) {
        waits.push_back(static_cast<long>(b.next().count()));
    }
    EXPECT_EQ(waits, (std::vector<long>{50, 100, 200, 400, 800, 1000, 1000, 1000}));
    b.succeeded();
    EXPECT_EQ(b.next(), 50ms);
    EXPECT_EQ(b.next(), 100ms);
}

namespace {

// Readings of a card with PollMs 20 and TimeoutMs 100: fresh for 160 ms after a read.
class ModbusReadingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.linkValid = true;
        settings_.link.pollMs = 20;
        settings_.link.timeoutMs = 100;
        settings_.channels[0] = channel(0, 0);
        settings_.channels[0].scale = 0.5;
        settings_.channels[0].offset = 1.0;
        settings_.channels[150] = channel(150, 1);
        settings_.channels[300] = channel(300, 2, Format::Uint16);
        settings_.channels[300].scale = 2.0;
        settings_.channels[300].offset = 7.0;
        settings_.inputs = DigitalSettings{};
        settings_.outputs = DigitalSettings{};
        readings_.configure(settings_, true);
        readings_.setLinkUp(true);
    }
    void store(int ch, double raw, Clock::time_point at) {
        readings_.storeValue(ch, RawValue{static_cast<std::uint32_t>(raw), raw}, at);
    }

    CardSettings settings_;
    Readings readings_;
    Clock::time_point t0_ = Clock::now();
};

}  // namespace

TEST_F(ModbusReadingsTest, StatesComeInTheirOrder) {
    EXPECT_EQ(readings_.state(0, t0_), ChannelState::LinkDown);  // nothing read yet
    EXPECT_EQ(readings_.state(1, t0_), ChannelState::NotConfigured);
    store(0, 4, t0_);
    EXPECT_EQ(readings_.state(0, t0_ + 160ms), ChannelState::Fresh);
    EXPECT_EQ(readings_.state(0, t0_ + 161ms), ChannelState::LinkDown);  // stale

    readings_.storeException(0, 2);
    EXPECT_EQ(readings_.state(0, t0_), ChannelState::DeviceException);
    readings_.setLinkUp(false);  // a link down outranks the exception
    EXPECT_EQ(readings_.state(0, t0_), ChannelState::LinkDown);
    readings_.setLinkUp(true);
    readings_.storeNoAnswer(0);
    EXPECT_EQ(readings_.state(0, t0_), ChannelState::LinkDown);
    store(0, 4, t0_);
    EXPECT_EQ(readings_.state(0, t0_), ChannelState::Fresh);

    readings_.close();  // not configured outranks everything
    EXPECT_EQ(readings_.state(0, t0_), ChannelState::NotConfigured);
    Readings unopened;
    unopened.configure(settings_, false);
    EXPECT_EQ(unopened.state(0, t0_), ChannelState::NotConfigured);
}

TEST_F(ModbusReadingsTest, AnalogFillsOldestFirstFromTheLastEighty) {
    float buffer[100];
    EXPECT_EQ(readings_.analog(0, buffer, 4, t0_), 0);  // nothing read: NaN
    EXPECT_TRUE(std::isnan(buffer[0]) && std::isnan(buffer[3]));

    store(0, 2, t0_);  // 2.0 V
    store(0, 4, t0_);  // 3.0 V
    ASSERT_EQ(readings_.analog(0, buffer, 4, t0_), 4);
    EXPECT_EQ(std::vector<float>(buffer, buffer + 4), (std::vector<float>{2, 2, 2, 3}));

    for (int raw = 0; raw < 200; ++raw) {
        store(0, raw, t0_);
    }
    ASSERT_EQ(readings_.analog(0, buffer, 3, t0_), 3);
    EXPECT_EQ(std::vector<float>(buffer, buffer + 3), (std::vector<float>{99.5, 100, 100.5}));
    ASSERT_EQ(readings_.analog(0, buffer, 100, t0_), 100);
    EXPECT_EQ(buffer[99], 100.5f);
    EXPECT_EQ(buffer[20], 1.0f + 120 * 0.5f);  // the oldest of the 80
    EXPECT_EQ(buffer[0], 1.0f + 120 * 0.5f);   // repeated before it
    EXPECT_EQ(buffer[21], 1.0f + 121 * 0.5f);

    EXPECT_EQ(readings_.analog(0, nullptr, 3, t0_), 0);
    EXPECT_EQ(readings_.analog(150, buffer, 3, t0_), 0);  // not an analog channel
    buffer[0] = 5.0f;
    EXPECT_EQ(readings_.analog(0, buffer, 1, t0_ + 1s), 0);  // stale
    EXPECT_TRUE(std::isnan(buffer[0]));
}

TEST_F(ModbusReadingsTest, FrequencyAndCounterReadNothingWhileNotFresh) {
    EXPECT_TRUE(std::isnan(readings_.frequency(150, t0_)));
    EXPECT_EQ(readings_.counter(300, t0_), 0);
    store(150, 50, t0_);
    store(300, 100, t0_);
    EXPECT_EQ(readings_.frequency(150, t0_), 50.0f);
    EXPECT_EQ(readings_.counter(300, t0_), 207);  // raw * Scale + Offset before any reset
    EXPECT_TRUE(std::isnan(readings_.frequency(150, t0_ + 1s)));
    EXPECT_EQ(readings_.counter(300, t0_ + 1s), 0);
    EXPECT_TRUE(std::isnan(readings_.frequency(0, t0_)));  // the wrong band
    EXPECT_EQ(readings_.counter(150, t0_), 0);
}

TEST_F(ModbusReadingsTest, ResetZeroesCountersInSoftware) {
    store(300, 65530, t0_);
    readings_.resetCounters();
    EXPECT_EQ(readings_.counter(300, t0_), 0);
    store(300, 4, t0_);                          // the unit's counter wrapped
    EXPECT_EQ(readings_.counter(300, t0_), 20);  // (raw - raw at the reset) * Scale

    // A reset before the counter was ever read takes the first reading as zero.
    readings_.configure(settings_, true);
    readings_.setLinkUp(true);
    readings_.resetCounters();
    store(300, 500, t0_);
    EXPECT_EQ(readings_.counter(300, t0_), 0);
    store(300, 503, t0_);
    EXPECT_EQ(readings_.counter(300, t0_), 6);
}

TEST_F(ModbusReadingsTest, InputsReadInactiveUnlessFresh) {
    EXPECT_EQ(readings_.input(1, t0_), 0);
    readings_.storeInputs(0b1010, t0_);
    EXPECT_EQ(readings_.input(0, t0_), 0);
    EXPECT_EQ(readings_.input(1, t0_), 1);
    EXPECT_EQ(readings_.input(3, t0_ + 160ms), 1);
    EXPECT_EQ(readings_.input(3, t0_ + 161ms), 0);
    EXPECT_EQ(readings_.input(16, t0_), 0);
    readings_.setLinkUp(false);
    EXPECT_EQ(readings_.input(1, t0_), 0);
    readings_.setLinkUp(true);
    readings_.inputsFailed();
    EXPECT_EQ(readings_.input(1, t0_), 0);
}

TEST_F(ModbusReadingsTest, OutputsQueueWithTheLastStateWinning) {
    readings_.queueOutput(5, 1);
    readings_.queueOutput(5, 0);
    readings_.queueOutput(7, 1);
    readings_.queueOutput(2, 9);  // anything but 1 is off
    readings_.queueOutput(24, 1);
    std::array<int, kDigitalOutputs> taken = readings_.takeOutputs();
    EXPECT_EQ(taken[5], 0);
    EXPECT_EQ(taken[7], 1);
    EXPECT_EQ(taken[2], 0);
    EXPECT_EQ(taken[0], -1);
    EXPECT_EQ(readings_.takeOutputs()[7], -1);

    // An output that could not be written goes back, unless a newer state came meanwhile.
    readings_.queueOutput(7, 0);
    readings_.requeueOutput(7, 1);
    readings_.requeueOutput(8, 1);
    taken = readings_.takeOutputs();
    EXPECT_EQ(taken[7], 0);
    EXPECT_EQ(taken[8], 1);
}

TEST(ModbusCardLogTest, RenamesTheFullLogAndBeginsANewOne) {
    kova::test::TempDir dir;
    CardLog log(dir / "ModbusCard.log", 100);
    log.write("connected to tcp 站1:502");
    EXPECT_NE(kova::test::readBytes(dir / "ModbusCard.log").find(kova::utf8ToGbk("站1")),
              std::string::npos);
    for (int i = 0; i < 5; ++i) {
        log.write("line " + std::to_string(i));
    }
    const std::string old = kova::test::readBytes(dir / "ModbusCard.log.1");
    const std::string current = kova::test::readBytes(dir / "ModbusCard.log");
    EXPECT_GE(old.size(), 100U);
    EXPECT_LT(current.size(), 100U);
    EXPECT_NE(current.find("line 4\n"), std::string::npos);
    EXPECT_EQ(old.find("line 4"), std::string::npos);
    EXPECT_EQ(current.find("connected"), std::string::npos);
    // Each line carries its time: "YYYY-MM-DD HH:MM:SS.mmm ".
    EXPECT_EQ(current.find(' '), 10U);
    EXPECT_EQ(current[23], ' ');
}
