// The kovacard command on the simulated card and on the Modbus card against a pymodbus unit:
// what it prints, what it switches, and its exit status.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ModbusUnit.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

class KovacardTest : public ::testing::Test {
  protected:
    kova::test::Outcome kovacard(std::vector<std::string> args, bool withStderr = false) const {
        return kova::test::runProgram(KOVA_TEST_KOVACARD, args, withStderr);
    }
    std::string simulated() {
        kova::test::writeBytes(dir_ / "Ferroxan.ini",
                               "[Card]\nStep=10\n[Analog0]\nLevel=2.5\n[Analog1]\nLevel=-1\n"
                               "[Frequency150]\nValue=50\n[Counter300]\nRate=1000\n"
                               "[Input3]\nState=1\n");
        fs::copy_file(KOVA_TEST_FERROXAN, dir_ / "Ferroxan.so");
        return dir_.path().string() + "\\Ferroxan.dll";  // as the tool names it
    }

    kova::test::TempDir dir_;
};

}  // namespace

TEST_F(KovacardTest, ReadsAndSwitchesTheSimulatedCard) {
    const std::string card = simulated();
    kova::test::Outcome r = kovacard({card, "analog", "0-2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "0 2.5000\n1 -1.0000\n2 0.0000\n");

    r = kovacard({card, "freq", "150"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "150 50.000\n");

    r = kovacard({card, "count", "300"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "300 10\n");  // one read: 10 ms of the card's clock at 1000/s

    r = kovacard({card, "in", "2,3"});
    EXPECT_EQ(r.output, "2 0\n3 1\n");
    r = kovacard({card, "in"});
    EXPECT_EQ(r.output.size(), 16 * 4U + 6U);  // "0 0\n" ... "15 0\n"
    EXPECT_NE(r.output.find("\n3 1\n"), std::string::npos);

    r = kovacard({card, "out", "5", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(kova::test::readBytes(dir_ / "FerroxanOutputs.ini").find("DO5=1"), std::string::npos);

    r = kovacard({card, "status", "0,399,400"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "0 0 fresh\n399 0 fresh\n400 2 not configured\n");

    r = kovacard({card, "watch", "analog", "0,1", "--period", "1", "--times", "3"});
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < r.output.size();) {
        const std::size_t end = r.output.find('\n', at);
        lines.push_back(r.output.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 3U) << r.output;
    for (const std::string& line : lines) {
        EXPECT_NE(line.find("  0=2.5000  1=-1.0000"), std::string::npos) << line;
    }
}

TEST_F(KovacardTest, RefusesWrongUseWithStatusTwoAndAMissingModuleWithOne) {
    const std::string card = simulated();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {card},
             {card, "read", "0"},
             {card, "analog"},
             {card, "analog", "100"},
             {card, "analog", "3-1"},
             {card, "analog", "0,x"},
             {card, "freq", "99"},
             {card, "count", "299"},
             {card, "in", "16"},
             {card, "out", "24", "1"},
             {card, "out", "5", "2"},
             {card, "out", "5"},
             {card, "analog", "0", "--samples", "0"},
             {card, "analog", "0", "--samples", "81"},
             {card, "freq", "150", "--samples", "5"},
             {card, "analog", "0", "--reset"},
             {card, "analog", "0", "--period", "100"},
             {card, "watch"},
             {card, "watch", "out", "5", "1"},
             {card, "watch", "analog", "0", "--period", "0"},
             {card, "analog", "0", "--bogus"},
         }) {
        const kova::test::Outcome r = kovacard(args, true);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << r.output;
        EXPECT_NE(r.output.find("Usage: kovacard"), std::string::npos);
    }
    const kova::test::Outcome help = kovacard({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Exit status"), std::string::npos);

    const kova::test::Outcome missing = kovacard({(dir_ / "Nothing.so").string(), "in"}, true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot load"), std::string::npos);
}

TEST_F(KovacardTest, DrivesTheModbusCardOnAFieldUnit) {
    kova::test::ModbusUnit unit;
    ASSERT_TRUE(unit.running()) << "the pymodbus unit did not start";
    unit.set(1, "ir", 0, {1234, 55});
    kova::test::writeBytes(dir_ / "ModbusCard.ini",
                           "[Link]\nHost=127.0.0.1\nPort=" + std::to_string(unit.port()) +
                               "\nTimeoutMs=1000\nPollMs=10\n"
                               "[Analog0]\nScale=0.001\n[Analog2]\nRegister=500\n"
                               "[Counter300]\nRegister=1\n[DigitalOut]\nAddress=0\n");
    fs::copy_file(KOVA_TEST_MODBUS_CARD, dir_ / "Ferroxan.so");
    const std::string card = (dir_ / "Ferroxan.so").string();

    kova::test::Outcome r = kovacard({card, "analog", "0", "--wait", "20000"});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "0 1.2340\n");

    r = kovacard({card, "analog", "0-3", "--wait", "20000"});
    EXPECT_EQ(r.status, 1);  // channels without a fresh reading
    EXPECT_EQ(r.output,
              "0 1.2340\n1 -- (not configured)\n2 -- (device exception)\n"
              "3 -- (not configured)\n");

    r = kovacard({card, "status", "0-2", "--wait", "20000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "0 0 fresh\n1 2 not configured\n2 3 device exception\n");

    r = kovacard({card, "count", "300", "--wait", "20000"});
    EXPECT_EQ(r.output, "300 55\n");
    r = kovacard({card, "count", "300", "--reset", "--wait", "20000"});
    EXPECT_EQ(r.output, "300 0\n");

    r = kovacard({card, "out", "7", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(unit.get(1, "co", 7, 1), std::vector<int>{1});
}
