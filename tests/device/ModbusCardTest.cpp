// ModbusCard.so against a field unit we did not write: Debian's pymodbus serving on 127.0.0.1
// (and RTU over a pseudo-terminal pair). The card is copied into a temporary module directory
// as Ferroxan.so with its ModbusCard.ini, and driven through the loader as the tool drives it.
// Nothing here waits on the clock: each check polls for its condition within a generous bound.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <set>
#include <string>

#include "ModbusUnit.h"
#include "TestFiles.h"
#include "device/CExtModule.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;
using kova::test::eventually;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::vector<int> words(std::uint32_t value, bool highFirst) {
    const int high = static_cast<int>(value >> 16);
    const int low = static_cast<int>(value & 0xFFFF);
    return highFirst ? std::vector<int>{high, low} : std::vector<int>{low, high};
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class ModbusCardFixture : public ::testing::Test {
  protected:
    // The [Link] section for this test's unit; the channel sections follow.
    virtual std::string link(int timeoutMs) const {
        return "[Link]\nTransport=tcp\nHost=127.0.0.1\nPort=" + std::to_string(tcp_->port()) +
               "\nTimeoutMs=" + std::to_string(timeoutMs) + "\nPollMs=10\n";
    }

    void startTcpUnit() {
        tcp_ = std::make_unique<kova::test::ModbusUnit>();
        ASSERT_TRUE(tcp_->running())
            << "the pymodbus unit did not start (scripts/bootstrap installs python3-pymodbus)";
    }

    // Places the card with these settings and loads it by its Windows name; opens it unless told.
    void install(const std::string& channels, int timeoutMs = 1000, bool open = true) {
        kova::test::writeBytes(
            dir_ / "ModbusCard.ini",
            kova::utf8ToGbk("; 检测线 Modbus 单元\n" + link(timeoutMs) + channels));
        if (!fs::exists(dir_ / "Ferroxan.so")) {
            fs::copy_file(KOVA_TEST_MODBUS_CARD, dir_ / "Ferroxan.so");
        }
        ASSERT_TRUE(card_.Load(dir_.path().string() + "\\Ferroxan.dll"));
        if (open) {
            card_.ExtClose();
            card_.ExtOpen("Calib");
        }
    }

    bool fresh(std::initializer_list<int> channels) {
        return eventually([&] {
            for (int c : channels) {
                if (card_.ExtGetStatusInfo(c) != 0) {
                    return false;
                }
            }
            return true;
        });
    }
    bool stateBecomes(int channel, int state) {
        return eventually([&] { return card_.ExtGetStatusInfo(channel) == state; });
    }
    float analog(int channel) {
        float sample = kNaN;
        card_.ExtGetAnalog(channel, &sample, 1);
        return sample;
    }
    bool analogBecomes(int channel, float value) {
        return eventually([&] { return analog(channel) == value; });
    }
    std::string log() const { return kova::test::readBytes(dir_ / "ModbusCard.log"); }

    void TearDown() override {
        card_.ExtClose();
        card_.Unload();
    }

    kova::test::TempDir dir_;
    std::unique_ptr<kova::test::ModbusUnit> tcp_;
    CExtModule card_;
};

class ModbusCardTest : public ModbusCardFixture {
  protected:
    void SetUp() override { startTcpUnit(); }
};

}  // namespace

TEST_F(ModbusCardTest, ReadsEveryFormatWordOrderScaleAndTable) {
    tcp_->set(1, "ir", 0, {65534});  // int16 -2
    tcp_->set(1, "hr", 1, {65534});  // uint16
    tcp_->set(1, "ir", 2, words(static_cast<std::uint32_t>(-70000), true));
    tcp_->set(1, "ir", 4, words(static_cast<std::uint32_t>(-70000), false));
    tcp_->set(1, "hr", 10, words(3000000000U, true));
    tcp_->set(1, "hr", 12, words(3000000000U, false));
    tcp_->set(1, "ir", 20, words(std::bit_cast<std::uint32_t>(1.5f), true));
    tcp_->set(1, "ir", 22, words(std::bit_cast<std::uint32_t>(-12.375f), false));
    tcp_->set(2, "ir", 0, {123});
    tcp_->set(1, "hr", 30, {500});
    tcp_->set(1, "ir", 40, words(70000, true));
    install(
        "[Analog0]\nRegister=0\nScale=0.5\nOffset=1\n"
        "[Analog1]\nTable=holding\nRegister=1\nFormat=uint16\nScale=0.001\n"
        "[Analog2]\nRegister=2\nFormat=int32\nWordOrder=high\n"
        "[Analog3]\nRegister=4\nFormat=int32\nWordOrder=low\n"
        "[Analog4]\nTable=holding\nRegister=10\nFormat=uint32\nScale=0.000000001\n"
        "[Analog5]\nTable=holding\nRegister=12\nFormat=uint32\nWordOrder=low\nOffset=-3000000000\n"
        "[Analog6]\nRegister=20\nFormat=float32\n"
        "[Analog7]\nRegister=22\nFormat=float32\nWordOrder=low\n"
        "[Analog8]\nUnit=2\nRegister=0\n"
        "[Frequency150]\nTable=holding\nRegister=30\nFormat=uint16\nScale=0.1\n"
        "[Counter300]\nRegister=40\nFormat=uint32\n");
    ASSERT_TRUE(fresh({0, 1, 2, 3, 4, 5, 6, 7, 8, 150, 300})) << log();
    EXPECT_EQ(analog(0), 0.0f);  // -2 * 0.5 + 1
    EXPECT_FLOAT_EQ(analog(1), 65.534f);
    EXPECT_EQ(analog(2), -70000.0f);
    EXPECT_EQ(analog(3), -70000.0f);
    EXPECT_FLOAT_EQ(analog(4), 3.0f);
    EXPECT_EQ(analog(5), 0.0f);
    EXPECT_EQ(analog(6), 1.5f);
    EXPECT_EQ(analog(7), -12.375f);
    EXPECT_EQ(analog(8), 123.0f);
    EXPECT_FLOAT_EQ(card_.ExtGetFreb(150), 50.0f);
    EXPECT_EQ(card_.ExtGetEnc3(300), 70000);

    // A burst of samples ends with the newest reading.
    tcp_->set(1, "ir", 0, {10});
    ASSERT_TRUE(analogBecomes(0, 6.0f));
    float burst[80];
    EXPECT_EQ(card_.ExtGetAnalog(0, burst, 80), 80);
    EXPECT_EQ(burst[79], 6.0f);
    EXPECT_EQ(burst[0], 0.0f);  // the first reading, repeated at the front
}

TEST_F(ModbusCardTest, GroupsNeighbouringRegistersOfOneUnitIntoOneRequest) {
    tcp_->set(1, "di", 4, {0, 1});
    install(
        "[Analog0]\nRegister=0\n"
        "[Analog1]\nRegister=1\nFormat=int32\n"
        "[Analog2]\nRegister=3\n"
        "[Analog3]\nRegister=10\n"
        "[Analog4]\nTable=holding\nRegister=0\n"
        "[Analog5]\nUnit=2\nRegister=0\n"
        "[DigitalIn]\nTable=discrete\nAddress=4\n");
    ASSERT_TRUE(fresh({0, 1, 2, 3, 4, 5})) << log();
    ASSERT_TRUE(eventually([&] { return card_.ExtInPutDig(1) == 1; }));
    EXPECT_EQ(card_.ExtInPutDig(0), 0);

    tcp_->requests();
    std::set<std::string> served;
    // Several cycles, so that every request of the cycle has been seen.
    ASSERT_TRUE(eventually([&] {
        for (const std::string& r : tcp_->requests()) {
            served.insert(r);
        }
        return served.size() >= 5;
    }));
    EXPECT_EQ(served,
              (std::set<std::string>{"4:1:0:4", "4:1:10:1", "3:1:0:1", "4:2:0:1", "2:1:4:16"}));
}

TEST_F(ModbusCardTest, WritesOutputsAndReadsCoilInputs) {
    tcp_->set(1, "co", 40, {1, 0, 1});
    install("[DigitalOut]\nAddress=10\n[DigitalIn]\nTable=coil\nAddress=40\n");
    ASSERT_TRUE(eventually([&] { return card_.ExtInPutDig(2) == 1; })) << log();
    EXPECT_EQ(card_.ExtInPutDig(0), 1);
    EXPECT_EQ(card_.ExtInPutDig(1), 0);

    card_.ExtOutPutDig(5, 1);
    card_.ExtOutPutDig(23, 1);
    card_.ExtOutPutDig(24, 1);  // no such output
    ASSERT_TRUE(eventually([&] { return tcp_->get(1, "co", 15, 1) == std::vector<int>{1}; }));
    ASSERT_TRUE(eventually([&] { return tcp_->get(1, "co", 33, 1) == std::vector<int>{1}; }));
    card_.ExtOutPutDig(5, 0);
    card_.ExtOutPutDig(5, 1);
    card_.ExtOutPutDig(5, 0);
    ASSERT_TRUE(eventually([&] { return tcp_->get(1, "co", 15, 1) == std::vector<int>{0}; }));
    EXPECT_EQ(tcp_->get(1, "co", 33, 2), (std::vector<int>{1, 0}));
}

TEST_F(ModbusCardTest, OutputsSwitchedJustBeforeClosingAreStillWritten) {
    install("[DigitalOut]\nAddress=10\n");
    card_.ExtOutPutDig(4, 1);
    card_.ExtOutPutDig(6, 1);
    card_.ExtOutPutDig(6, 0);
    card_.ExtClose();
    EXPECT_EQ(tcp_->get(1, "co", 14, 3), (std::vector<int>{1, 0, 0})) << log();
}

TEST_F(ModbusCardTest, ResetZeroesTheCountersInSoftware) {
    tcp_->set(1, "hr", 0, {65530});
    tcp_->set(1, "ir", 8, words(1000, true));
    install(
        "[Counter300]\nTable=holding\nRegister=0\nFormat=uint16\nScale=2\nOffset=7\n"
        "[Counter301]\nRegister=8\nFormat=int32\n");
    ASSERT_TRUE(eventually([&] { return card_.ExtGetEnc3(300) == 131067; })) << log();
    ASSERT_TRUE(eventually([&] { return card_.ExtGetEnc3(301) == 1000; }));
    card_.ExtResetCNT();
    EXPECT_EQ(card_.ExtGetEnc3(300), 0);
    EXPECT_EQ(card_.ExtGetEnc3(301), 0);
    tcp_->set(1, "hr", 0, {4});  // the unit's counter wrapped on
    tcp_->set(1, "ir", 8, words(997, true));
    ASSERT_TRUE(eventually([&] { return card_.ExtGetEnc3(300) == 20; }));
    ASSERT_TRUE(eventually([&] { return card_.ExtGetEnc3(301) == -3; }));
    // The unit itself was never written.
    EXPECT_EQ(tcp_->get(1, "hr", 0, 1), std::vector<int>{4});
}

TEST_F(ModbusCardTest, ReportsEachChannelsState) {
    tcp_->set(1, "ir", 99, {9});
    tcp_->set(1, "ir", 5, {5});
    install(
        "[Analog0]\nRegister=99\n"
        "[Analog1]\nRegister=100\n"  // beyond the unit's registers, read together with 99
        "[Analog2]\nRegister=5\n"
        "[Frequency100]\nRegister=5\n"
        "[Counter300]\nRegister=5\n"
        "[DigitalIn]\nAddress=0\n",
        1000, false);
    EXPECT_EQ(card_.ExtGetStatusInfo(0), 2);  // not opened
    card_.ExtClose();
    card_.ExtOpen("Calib");
    ASSERT_TRUE(fresh({0, 2, 100, 300})) << log();
    ASSERT_TRUE(stateBecomes(1, 3)) << log();
    EXPECT_EQ(analog(0), 9.0f);
    EXPECT_EQ(card_.ExtGetStatusInfo(3), 2);  // not configured
    EXPECT_EQ(card_.ExtGetStatusInfo(101), 2);
    float sample = 1.0f;
    EXPECT_EQ(card_.ExtGetAnalog(1, &sample, 1), 0);
    EXPECT_TRUE(std::isnan(sample));
    EXPECT_EQ(card_.ExtGetAnalog(3, &sample, 1), 0);
    EXPECT_NE(log().find("exception 2"), std::string::npos) << log();

    tcp_->set(1, "di", 0, {1});
    ASSERT_TRUE(eventually([&] { return card_.ExtInPutDig(0) == 1; }));
    ASSERT_EQ(tcp_->command("stop"), "ok");
    ASSERT_TRUE(stateBecomes(2, 1)) << log();
    EXPECT_EQ(card_.ExtGetAnalog(2, &sample, 1), 0);
    EXPECT_TRUE(std::isnan(sample));
    EXPECT_TRUE(std::isnan(card_.ExtGetFreb(100)));
    EXPECT_EQ(card_.ExtGetEnc3(300), 0);
    EXPECT_EQ(card_.ExtInPutDig(0), 0);
    EXPECT_EQ(card_.ExtGetStatusInfo(3), 2);  // not configured outranks a link down
    ASSERT_TRUE(eventually([&] { return log().find(" lost: ") != std::string::npos; })) << log();

    // The device comes back: the card reads it again by itself.
    tcp_->set(1, "ir", 5, {77});
    ASSERT_EQ(tcp_->command("start"), "ok");
    ASSERT_TRUE(analogBecomes(2, 77.0f)) << log();
    EXPECT_EQ(card_.ExtGetStatusInfo(2), 0);
    EXPECT_EQ(card_.ExtGetStatusInfo(1), 3);
    EXPECT_EQ(occurrences(log(), "connected to tcp 127.0.0.1:"), 2U) << log();
}

TEST_F(ModbusCardTest, AConnectionThatOpensAndDropsIsRetried) {
    tcp_->set(1, "ir", 0, {3});
    install("[Analog0]\n");
    ASSERT_TRUE(fresh({0})) << log();
    ASSERT_EQ(tcp_->command("drop"), "ok");
    ASSERT_TRUE(stateBecomes(0, 1)) << log();
    // Every connection is accepted and dropped: the card keeps trying and says so.
    ASSERT_TRUE(eventually([&] { return occurrences(log(), " lost: ") >= 3; })) << log();
    ASSERT_EQ(tcp_->command("start"), "ok");
    ASSERT_TRUE(fresh({0})) << log();
    EXPECT_EQ(analog(0), 3.0f);
}

TEST_F(ModbusCardTest, ADeviceThatStopsAnsweringReadsAsLinkDown) {
    tcp_->set(1, "ir", 0, {4});
    install("[Analog0]\n[DigitalIn]\n[DigitalOut]\n", 100);
    ASSERT_TRUE(fresh({0})) << log();
    ASSERT_EQ(tcp_->command("mute"), "ok");
    ASSERT_TRUE(stateBecomes(0, 1)) << log();
    EXPECT_EQ(card_.ExtInPutDig(0), 0);
    card_.ExtOutPutDig(2, 1);  // waits for the device
    ASSERT_EQ(tcp_->command("start"), "ok");
    ASSERT_TRUE(fresh({0})) << log();
    ASSERT_TRUE(eventually([&] { return tcp_->get(1, "co", 2, 1) == std::vector<int>{1}; }));
}

TEST_F(ModbusCardTest, EntryPointsNeverWaitOnTheBus) {
    tcp_->set(1, "ir", 0, {6});
    // An answer timeout far longer than the test: while the card waits for the muted unit, its
    // thread stays inside that one request.
    install("[Analog0]\n[Frequency100]\n[Counter300]\n[DigitalIn]\n[DigitalOut]\n", 60000);
    ASSERT_TRUE(fresh({0})) << log();
    ASSERT_EQ(tcp_->command("mute"), "ok");
    ASSERT_TRUE(eventually([&] { return tcp_->heard() >= 1; })) << log();
    const int heard = tcp_->heard();
    float samples[80];
    for (int i = 0; i < 2000; ++i) {
        card_.ExtGetAnalog(0, samples, 80);
        card_.ExtGetFreb(100);
        card_.ExtGetEnc3(300);
        card_.ExtInPutDig(0);
        card_.ExtOutPutDig(i % 24, i % 2);
        card_.ExtResetCNT();
        card_.ExtGetStatusInfo(0);
    }
    // Had any call waited for the bus, the request would have timed out and a new one been sent.
    EXPECT_EQ(tcp_->heard(), heard);
    EXPECT_EQ(occurrences(log(), " lost: "), 1U) << log();  // the one from muting
    // Let the thread go, so that closing does not wait out the timeout.
    ASSERT_EQ(tcp_->command("stop"), "ok");
}

TEST_F(ModbusCardTest, UnloadingWithTheThreadRunningIsSafe) {
    tcp_->set(1, "ir", 0, {8});
    install("[Analog0]\n");
    ASSERT_TRUE(fresh({0})) << log();
    card_.Unload();  // no ExtClose first
    install("[Analog0]\n");
    ASSERT_TRUE(fresh({0})) << log();
    EXPECT_EQ(analog(0), 8.0f);
}

TEST_F(ModbusCardTest, WrongSettingsConfigureNothingAndAreLogged) {
    install("[Analog0]\n[Analog1]\nFormat=double\n[Analog2]\n");
    ASSERT_TRUE(fresh({0, 2})) << log();
    EXPECT_EQ(card_.ExtGetStatusInfo(1), 2);
    EXPECT_NE(log().find("settings error: [Analog1] Format=double"), std::string::npos) << log();
    card_.Unload();

    kova::test::writeBytes(dir_ / "ModbusCard.ini", "[Link]\nTransport=udp\n[Analog0]\n");
    ASSERT_TRUE(card_.Load(dir_.path().string() + "\\Ferroxan.dll"));
    card_.ExtOpen("Calib");
    EXPECT_EQ(card_.ExtGetStatusInfo(0), 2);
    EXPECT_NE(log().find("settings error: [Link] Transport=udp"), std::string::npos) << log();
    card_.Unload();

    fs::remove(dir_ / "ModbusCard.ini");
    ASSERT_TRUE(card_.Load(dir_.path().string() + "\\Ferroxan.dll"));
    card_.ExtOpen("Calib");
    EXPECT_EQ(card_.ExtGetStatusInfo(0), 2);
    float sample = 1.0f;
    EXPECT_EQ(card_.ExtGetAnalog(0, &sample, 1), 0);
    EXPECT_TRUE(std::isnan(sample));
    EXPECT_NE(log().find("ModbusCard.ini not found"), std::string::npos) << log();
}

namespace {

// RTU: the card on one end of a socat pseudo-terminal pair, the pymodbus unit on the other.
class ModbusCardRtuTest : public ModbusCardFixture {
  protected:
    void SetUp() override {
        pty_ = std::make_unique<kova::test::PtyPair>(dir_.path());
        ASSERT_TRUE(pty_->ready()) << "socat made no pseudo-terminals (scripts/bootstrap)";
        rtu_ = std::make_unique<kova::test::ModbusUnit>(pty_->unit());
        ASSERT_TRUE(rtu_->running()) << "the pymodbus RTU unit did not start";
    }
    std::string link(int timeoutMs) const override {
        return "[Link]\nTransport=rtu\nDevice=" + pty_->card().string() +
               "\nBaud=19200\nParity=N\nDataBits=8\nStopBits=1\nTimeoutMs=" +
               std::to_string(timeoutMs) + "\nPollMs=10\n";
    }
    void TearDown() override {
        ModbusCardFixture::TearDown();
        rtu_.reset();
        pty_.reset();
    }

    std::unique_ptr<kova::test::PtyPair> pty_;
    std::unique_ptr<kova::test::ModbusUnit> rtu_;
};

}  // namespace

TEST_F(ModbusCardRtuTest, ReadsAndSwitchesAUnitOnASerialLine) {
    rtu_->set(1, "ir", 0, {1234});
    rtu_->set(2, "hr", 7, words(std::bit_cast<std::uint32_t>(2.5f), true));
    rtu_->set(1, "di", 0, {0, 0, 1});
    install(
        "[Analog0]\nRegister=0\nScale=0.001\n"
        "[Analog1]\nUnit=2\nTable=holding\nRegister=7\nFormat=float32\n"
        "[DigitalIn]\n[DigitalOut]\nAddress=20\n");
    ASSERT_TRUE(fresh({0, 1})) << log();
    EXPECT_FLOAT_EQ(analog(0), 1.234f);
    EXPECT_EQ(analog(1), 2.5f);
    ASSERT_TRUE(eventually([&] { return card_.ExtInPutDig(2) == 1; }));
    card_.ExtOutPutDig(3, 1);
    ASSERT_TRUE(eventually([&] { return rtu_->get(1, "co", 23, 1) == std::vector<int>{1}; }));
    EXPECT_NE(log().find("connected to rtu "), std::string::npos) << log();
}
