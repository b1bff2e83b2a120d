#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "CalibFiles.h"
#include "calib/CalibSave.h"
#include "calib/CalibSection.h"
#include "calib/WMATH.h"
#include "device/EnvRecord.h"
#include "platform/Numbers.h"

namespace kova {
namespace {

using testing::CalibDir;

// A table with guard words on both sides, to see that reading never writes beyond it.
struct GuardedTable {
    unsigned guardBefore = 0xDEADBEEF;
    CalibTable table;
    unsigned guardAfter = 0xDEADBEEF;
};

CalibTable readFrom(const std::string& path, int channel, CalibTable table = CalibTable{}) {
    readCalibTable(IniFile(path), channel, table);
    return table;
}

TEST(GetCalibArrayTest, ReadsTheChannelSection) {
    CalibDir dir;
    const std::string ini = dir.writeCalibIni(
        "[CHECKPARAM]\r\nMS=100\r\n"
        "[12通道]\r\nJingDu=2\r\nVolt=0.095,0.124,0.320,\r\nData=0.000,12.500,-92.000,\r\n"
        "[112通道]\r\nVolt=9.000,\r\nData=9.000,\r\n");
    const CalibTable t = readFrom(ini, 12);
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.volt[0], 0.095f);
    EXPECT_EQ(t.volt[2], 0.320f);
    EXPECT_EQ(t.data[1], 12.5f);
    EXPECT_EQ(t.data[2], -92.0f);
    EXPECT_EQ(calibSectionName(12), "12通道");
    EXPECT_EQ(calibSectionName(-3), "-3通道");
}

TEST(GetCalibArrayTest, MissingTablesReadAsNoPoints) {
    CalibDir dir;
    EXPECT_EQ(readFrom(dir.file("Calib.ini"), 1).count, 0);  // no file
    const std::string ini = dir.writeCalibIni("[1通道]\r\nVolt=1.000,\r\n[2通道]\r\nJingDu=1\r\n");
    EXPECT_EQ(readFrom(ini, 1).count, 0);  // "Volt" without "Data"
    EXPECT_EQ(readFrom(ini, 2).count, 0);  // no keys
    EXPECT_EQ(readFrom(ini, 3).count, 0);  // no section
}

TEST(GetCalibArrayTest, CountsTheTrueValuesAndKeepsUnreadVoltages) {
    CalibDir dir;
    const std::string ini = dir.writeCalibIni(
        "[5通道]\r\nVolt=1.000,2.000,\r\nData=10.000,20.000,30.000,\r\n"
        "[6通道]\r\nVolt=1.000,2.000\r\nData=10.000,20.000\r\n"
        "[7通道]\r\nVolt=\r\nData=\r\n");
    CalibTable before;  // the default table: volt[2] is 0.320
    const CalibTable t = readFrom(ini, 5, before);
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(t.volt[1], 2.0f);
    EXPECT_EQ(t.volt[2], 0.320f);
    EXPECT_EQ(t.data[2], 30.0f);

    // Without the trailing comma the last number is lost.
    const CalibTable cut = readFrom(ini, 6);
    EXPECT_EQ(cut.count, 1);
    EXPECT_EQ(cut.volt[0], 1.0f);
    EXPECT_EQ(cut.volt[1], 0.124f);  // unread: still the default table's

    EXPECT_EQ(readFrom(ini, 7).count, 0);  // a saved empty table
}

// A repeated read of an unchanged file reuses what it parsed: it must still write only the
// entries read, and a changed file must be read again.
TEST(GetCalibArrayTest, RepeatedReadsLeaveUnreadEntriesAndSeeEveryChange) {
    CalibDir dir;
    const std::string ini = dir.writeCalibIni("[5通道]\r\nVolt=1.000,\r\nData=10.000,20.000,\r\n");
    CalibTable mine;
    for (const float unread : {7.0f, 8.0f}) {
        mine.volt[1] = unread;
        const CalibTable t = readFrom(ini, 5, mine);
        EXPECT_EQ(t.count, 2);
        EXPECT_EQ(t.volt[0], 1.0f);
        EXPECT_EQ(t.volt[1], unread);  // not read: the caller's
    }
    dir.writeCalibIni("[5通道]\r\nVolt=1.000,2.000,\r\nData=10.000,\r\n");
    const CalibTable changed = readFrom(ini, 5, mine);
    EXPECT_EQ(changed.count, 1);
    EXPECT_EQ(changed.volt[1], 2.0f);
    EXPECT_EQ(readFrom(ini, 6, mine).count, 0);  // another channel of the same version
}

TEST(GetCalibArrayTest, HandEditedValuesStayInsideTheTable) {
    CalibDir dir;
    std::string sixty;
    for (int i = 1; i <= 60; ++i) {
        sixty += std::to_string(i) + ",";
    }
    // 200 characters whose first 51 end just before the exponent's digit.
    const std::string longExponent = "1." + std::string(48, '0') + "e5" + std::string(148, 'x');
    const std::string longZeros = std::string(120, '0') + "5";
    const std::string ini =
        dir.writeCalibIni("[1通道]\r\nVolt=" + sixty + "\r\nData=" + sixty +
                          "\r\n"
                          "[2通道]\r\nVolt=1,\r\nData=" +
                          longZeros + "," + longExponent +
                          ",2.5,\r\n"
                          "[3通道]\r\nVolt=abc,\r\nData=abc,x1,,-,  7.5kg,1e3,1e99,\r\n");

    GuardedTable g;
    readCalibTable(IniFile(ini), 1, g.table);
    EXPECT_EQ(g.table.count, 50);
    EXPECT_EQ(g.table.volt[49], 50.0f);
    EXPECT_EQ(g.table.data[49], 50.0f);
    EXPECT_EQ(g.guardBefore, 0xDEADBEEF);
    EXPECT_EQ(g.guardAfter, 0xDEADBEEF);

    // A number text keeps its first 51 characters.
    const CalibTable t = readFrom(ini, 2);
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.data[0], 0.0f);  // the 5 is beyond the 51st character
    EXPECT_EQ(t.data[1], 1.0f);  // "1.000...e" without its 5
    EXPECT_EQ(t.data[2], 2.5f);

    const CalibTable garbage = readFrom(ini, 3);
    ASSERT_EQ(garbage.count, 7);
    EXPECT_EQ(garbage.volt[0], 0.0f);
    EXPECT_EQ(garbage.data[0], 0.0f);
    EXPECT_EQ(garbage.data[1], 0.0f);
    EXPECT_EQ(garbage.data[2], 0.0f);
    EXPECT_EQ(garbage.data[3], 0.0f);
    EXPECT_EQ(garbage.data[4], 7.5f);
    EXPECT_EQ(garbage.data[5], 1000.0f);
    EXPECT_TRUE(std::isinf(garbage.data[6]));
}

TEST(GetCalibArrayTest, ReadsAtMostTheBufferOfAValue) {
    CalibDir dir;
    // 50 numbers of 51 characters each: the 2559 characters the buffer holds end inside the 50th.
    std::string padded;
    for (int i = 0; i < 50; ++i) {
        padded += std::string(46, '0') + "1.000,";
    }
    ASSERT_EQ(padded.size(), 50u * 52u);
    const std::string ini =
        dir.writeCalibIni("[4通道]\r\nVolt=" + padded + "\r\nData=" + padded + "\r\n");
    const CalibTable t = readFrom(ini, 4);
    EXPECT_EQ(t.count, 49);
    EXPECT_EQ(t.data[t.count - 1], 1.0f);
}

// Points the exported functions at a directory, as the tool's start-up does.
void useConfigDir(const std::string& dir) {
    processEnvRecord().setText(EnvRecord::kConfigDirOffset, dir);
}

TEST(GetCalibArrayTest, ReadsCalibIniInTheConfigurationDirectory) {
    CalibDir dir;
    dir.writeCalibIni("[3通道]\r\nVolt=1.000,2.000,\r\nData=10.000,30.000,\r\n");
    useConfigDir(dir.path());
    CalibTable t;
    EXPECT_EQ(GetCalibArray(3, &t), 1);
    ASSERT_EQ(t.count, 2);
    EXPECT_FLOAT_EQ(GetTrueDat(1.5f, t), 20.0f);
    EXPECT_EQ(GetCalibArray(4, &t), 1);  // no such section: still 1
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(GetCalibArray(3, nullptr), 0);
}

// Two whole tables a writer alternates between; every table a reader gets must be one of them.
struct KnownTable {
    std::vector<CalibRow> rows;
    CalibTable table;
};

KnownTable knownTable(float scale, int points) {
    KnownTable k;
    for (int i = 0; i < points; ++i) {
        k.rows.push_back({formatFixed(0.25 * i, 3), formatFixed(scale * i, 3)});
    }
    const std::vector<CalibPoint> parsed = parseCalibRows(k.rows);
    k.table.count = points;
    for (int i = 0; i < points; ++i) {
        k.table.volt[i] = parsed[i].volt;
        k.table.data[i] = parsed[i].data;
    }
    return k;
}

bool samePoints(const CalibTable& a, const CalibTable& b) {
    if (a.count != b.count) {
        return false;
    }
    for (int i = 0; i < a.count; ++i) {
        if (a.volt[i] != b.volt[i] || a.data[i] != b.data[i]) {
            return false;
        }
    }
    return true;
}

TEST(GetCalibArrayTest, ReadersInSeveralThreadsSeeWholeTablesWhileAnotherProcessWrites) {
    CalibDir dir(test::memoryTempBase());
    const KnownTable a = knownTable(10.0f, 6);
    const KnownTable b = knownTable(-3.0f, 9);
    const IniFile ini(dir.file("Calib.ini"));
    ASSERT_TRUE(ini.writeString("CHECKPARAM", "MS", "100"));
    ASSERT_TRUE(saveCalibTable(ini, "8通道", a.rows));
    useConfigDir(dir.path());

    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        // The other process: rewrites the table many times, alternating.
        for (int i = 0; i < 300; ++i) {
            const IniFile file(dir.file("Calib.ini"));
            if (!saveCalibTable(file, "8通道", i % 2 == 0 ? b.rows : a.rows)) {
                _exit(2);
            }
        }
        _exit(0);
    }

    std::atomic<bool> writerDone{false};
    std::atomic<int> reads{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    readers.reserve(4);
    for (int r = 0; r < 4; ++r) {
        readers.emplace_back([&, r] {
            const float x = 0.1f + 0.3f * static_cast<float>(r);
            const float fromA = GetTrueDat(x, a.table);
            const float fromB = GetTrueDat(x, b.table);
            // At least a few reads after the writer has finished, whatever the scheduling.
            int after = 0;
            while (after < 3) {
                if (writerDone.load()) {
                    ++after;
                }
                CalibTable t;
                if (GetCalibArray(8, &t) != 1) {
                    ++wrong;
                }
                const float value = GetTrueDat(x, t);
                if (samePoints(t, a.table)) {
                    wrong += value != fromA;
                } else if (samePoints(t, b.table)) {
                    wrong += value != fromB;
                } else {
                    ++wrong;
                }
                ++reads;
            }
        });
    }
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    writerDone = true;
    for (std::thread& t : readers) {
        t.join();
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GE(reads.load(), 12);
    EXPECT_EQ(wrong.load(), 0);
    // The writer's last table (the 300th write is a) is what a reader now gets.
    CalibTable last;
    GetCalibArray(8, &last);
    EXPECT_TRUE(samePoints(last, a.table));
}

}  // namespace
}  // namespace kova
