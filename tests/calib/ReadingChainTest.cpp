#include "calib/ReadingChain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DataDeal.h"
#include "TestFiles.h"
#include "device/CExtModule.h"
#include "device/SystemLibrary.h"

namespace kova {
namespace {

// The chain on the simulated card (a private copy with its own settings) and the stand-in system
// library, as the sampling windows run it.
class ReadingChainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeBytes(dir_ / "Ferroxan.ini",
                         "[Card]\r\nStep=10\r\n"
                         "[Analog3]\r\nMode=Constant\r\nLevel=1.5\r\n"
                         "[Analog4]\r\nMode=Constant\r\nLevel=3.5\r\n");
        std::filesystem::copy_file(CALIB_TEST_FERROXAN, dir_ / "Ferroxan.so");
        ASSERT_TRUE(card_.Load(dir_.path().string() + "\\Ferroxan.dll"));
        system_.keepProcessWhenNotLoadable();
        ASSERT_EQ(system_.Load(1), SystemLibrary::kLoaded);
    }

    test::TempDir dir_;
    test::ScopedEnv systemDir_{"KOVA_SYSTEM_DIR", CALIB_TEST_SYSTEM_DIR};
    CExtModule card_;
    SystemLibrary system_;
    SampleBuffer samples_;
    DataDeal deal_;
    MathHD average_;
};

// With coefficient 0 the stand-in filter passes its input through unchanged.
constexpr float kPassThrough = 0.0f;

TEST_F(ReadingChainTest, SlidingAverageStartsUpThenItsMeanIsFiltered) {
    ReadingChain chain(card_, system_, samples_);
    average_.SetLength(3);
    ChainReading r = chain.tick(3, 30, average_, deal_, kPassThrough);
    EXPECT_FALSE(r.ready);
    EXPECT_FLOAT_EQ(r.burstAverage, 1.5f);  // still there for the log line
    EXPECT_FALSE(chain.tick(3, 30, average_, deal_, kPassThrough).ready);
    r = chain.tick(4, 30, average_, deal_, kPassThrough);
    ASSERT_TRUE(r.ready);
    EXPECT_FLOAT_EQ(r.burstAverage, 3.5f);
    EXPECT_FLOAT_EQ(r.value, 6.5f / 3.0f);
    r = chain.tick(4, 30, average_, deal_, kPassThrough);
    EXPECT_FLOAT_EQ(r.value, 8.5f / 3.0f);  // the first 1.5 has left the window

    // The filter gets the sliding mean: with its state at 10 and coefficient 0.5, the mean 3.5
    // gives 0.5 * 10 + 0.5 * 3.5.
    chain.tick(4, 30, average_, deal_, kPassThrough);
    system_.Filter_1(kChainFilterSlot, 10.0f, kPassThrough);
    r = chain.tick(4, 30, average_, deal_, 0.5f);
    ASSERT_TRUE(r.ready);
    EXPECT_FLOAT_EQ(r.value, 6.75f);
}

TEST_F(ReadingChainTest, WithoutSlidingAverageEveryTickReads) {
    ReadingChain chain(card_, system_, samples_);
    average_.SetLength(0);
    for (const int channel : {3, 4, 3}) {
        const ChainReading r = chain.tick(channel, 1, average_, deal_, kPassThrough);
        ASSERT_TRUE(r.ready);
        EXPECT_EQ(r.value, r.burstAverage);
        EXPECT_FLOAT_EQ(r.value, channel == 3 ? 1.5f : 3.5f);
    }
}

TEST_F(ReadingChainTest, BurstCountStaysWithinTheSharedBuffer) {
    struct {
        SampleBuffer buffer;
        float guard = -7.0f;
    } guarded;
    ReadingChain chain(card_, system_, guarded.buffer);
    average_.SetLength(0);
    guarded.buffer.samples.fill(9.0f);
    EXPECT_FLOAT_EQ(chain.tick(3, 500, average_, deal_, kPassThrough).burstAverage, 1.5f);
    EXPECT_EQ(guarded.buffer.samples[kSampleBufferSize - 1], 1.5f);
    EXPECT_EQ(guarded.guard, -7.0f);

    // A count of 0 or less still takes one sample rather than averaging nothing.
    guarded.buffer.samples.fill(9.0f);
    EXPECT_FLOAT_EQ(chain.tick(4, 0, average_, deal_, kPassThrough).burstAverage, 3.5f);
    EXPECT_EQ(guarded.buffer.samples[1], 9.0f);

    const int counts[][2] = {{-5, 1}, {0, 1}, {1, 1}, {30, 30}, {80, 80}, {81, 80}, {100000, 80}};
    for (const auto& [given, used] : counts) {
        EXPECT_EQ(boundedBurstCount(given), used) << given;
    }
}

TEST_F(ReadingChainTest, MissingModulesGiveTheirDefaults) {
    CExtModule noCard;
    SystemLibrary noLibrary;
    ReadingChain chain(noCard, noLibrary, samples_);
    average_.SetLength(0);
    samples_.samples.fill(2.0f);
    const ChainReading r = chain.tick(3, 30, average_, deal_, 0.7f);
    ASSERT_TRUE(r.ready);
    EXPECT_FLOAT_EQ(r.burstAverage, 2.0f);  // the untouched buffer's average
    EXPECT_FLOAT_EQ(r.value, -1000.0f);     // the absent filter's value
}

}  // namespace
}  // namespace kova
