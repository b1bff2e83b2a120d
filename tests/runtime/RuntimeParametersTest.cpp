#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "TestFiles.h"
#include "runtime/Runtime.h"
#include "runtime/StartUp.h"

using kova::Runtime;

namespace {

class RuntimeParametersTest : public ::testing::Test {
  protected:
    // The parameters read from a Calib.ini holding `text` (written as GBK), or from no file.
    std::unique_ptr<Runtime> read(const std::optional<std::string>& text) {
        if (text) {
            kova::test::writeGbk(calibIni(), *text);
        } else {
            std::filesystem::remove(calibIni());
        }
        return readBack();
    }
    // The parameters as a new start would read them from the file as it is.
    std::unique_ptr<Runtime> readBack() {
        auto rt = std::make_unique<Runtime>();
        rt->MS = rt->AVERNUM = rt->HDNUM = -1;
        rt->FIRNUM = -1.0f;
        rt->CalibIniPath = calibIni().string();
        kova::readRuntimeParameters(*rt);
        return rt;
    }
    std::filesystem::path calibIni() const { return dir_ / "Calib.ini"; }

    kova::test::TempDir dir_;
};

}  // namespace

TEST_F(RuntimeParametersTest, MissingFileSectionOrKeysGiveTheDefaults) {
    for (const auto& text :
         {std::optional<std::string>(), std::optional<std::string>("[其他]\nMS=20\n"),
          std::optional<std::string>("[CHECKPARAM]\nUNUSED=1\n")}) {
        const auto rt = read(text);
        EXPECT_EQ(rt->MS, 100);
        EXPECT_EQ(rt->AVERNUM, 30);
        EXPECT_EQ(rt->HDNUM, 5);
        EXPECT_FLOAT_EQ(rt->FIRNUM, 0.7f);
    }
}

TEST_F(RuntimeParametersTest, ValuesAreReadByTheirLeadingNumber) {
    const auto rt = read("[checkparam]\nms=50ms\nAVERNUM= +12 \nHDNUM=abc\nFIRNUM=1.0\n");
    EXPECT_EQ(rt->MS, 50);
    EXPECT_EQ(rt->AVERNUM, 12);
    EXPECT_EQ(rt->HDNUM, 0);            // no number
    EXPECT_FLOAT_EQ(rt->FIRNUM, 1.0f);  // taken unchanged at start-up

    const auto negative = read("[CHECKPARAM]\nMS=-20\nAVERNUM=\nHDNUM=7.9\nFIRNUM=.85x\n");
    EXPECT_EQ(negative->MS, -20);
    EXPECT_EQ(negative->AVERNUM, 0);  // present but empty: not the default
    EXPECT_EQ(negative->HDNUM, 7);
    EXPECT_FLOAT_EQ(negative->FIRNUM, 0.85f);
}

TEST_F(RuntimeParametersTest, OnlyTheFirstNineCharactersAreParsed) {
    const auto rt = read("[CHECKPARAM]\nMS=1234567890\nAVERNUM=0000000045\nFIRNUM=0.12345678912\n");
    EXPECT_EQ(rt->MS, 123456789);
    EXPECT_EQ(rt->AVERNUM, 4);  // "000000004"; the whole text would give 45
    EXPECT_FLOAT_EQ(rt->FIRNUM, 0.1234567f);
}

TEST_F(RuntimeParametersTest, HandEditedValuesAreBoundedWhereTheyAreUsed) {
    const auto rt = read("[CHECKPARAM]\nMS=5\nAVERNUM=100\nHDNUM=5000\n");
    EXPECT_EQ(rt->MS, 5);  // memory keeps what the file says
    EXPECT_EQ(rt->AVERNUM, 100);
    EXPECT_EQ(rt->periodMs(), 10);
    EXPECT_EQ(rt->burstCount(), 80);
    EXPECT_EQ(rt->slidingLength(), 1000);
    EXPECT_EQ(kova::test::readBytes(calibIni()), "[CHECKPARAM]\nMS=5\nAVERNUM=100\nHDNUM=5000\n");

    const std::pair<int, int> bursts[] = {{-3, 1}, {0, 1}, {1, 1}, {30, 30}, {80, 80}, {81, 80}};
    for (const auto& [stored, used] : bursts) {
        EXPECT_EQ(kova::boundedBurstCount(stored), used) << stored;
    }
    const std::pair<int, int> periods[] = {{-1, 10}, {0, 10}, {9, 10}, {10, 10}, {400, 400}};
    for (const auto& [stored, used] : periods) {
        EXPECT_EQ(kova::boundedPeriodMs(stored), used) << stored;
    }
    const std::pair<int, int> lengths[] = {{-2, -2}, {0, 0}, {10, 10}, {1000, 1000}, {1001, 1000}};
    for (const auto& [stored, used] : lengths) {
        EXPECT_EQ(kova::boundedSlidingLength(stored), used) << stored;
    }
}

TEST_F(RuntimeParametersTest, RestoreDefaultsLeavesFirnumAndMemoryAlone) {
    auto rt = read("[CHECKPARAM]\nMS=20\nAVERNUM=3\nHDNUM=0\nFIRNUM=0.3\n");
    ASSERT_TRUE(kova::restoreDefaultParameters(rt->CalibIniPath));
    EXPECT_EQ(rt->MS, 20);
    EXPECT_EQ(rt->AVERNUM, 3);

    const auto restarted = readBack();
    EXPECT_EQ(restarted->MS, 100);
    EXPECT_EQ(restarted->AVERNUM, 30);
    EXPECT_EQ(restarted->HDNUM, 5);
    EXPECT_FLOAT_EQ(restarted->FIRNUM, 0.3f);
}
