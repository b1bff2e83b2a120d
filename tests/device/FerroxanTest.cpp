#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <set>
#include <string>

#include "CardSettings.h"
#include "FerroxanRecheck.h"
#include "SettingsWatch.h"
#include "TestFiles.h"
#include "device/CExtModule.h"
#include "platform/IniDocument.h"

namespace fs = std::filesystem;
using namespace ferroxan;

namespace {

// A private copy of the simulated card in a temporary directory with its own Ferroxan.ini, loaded
// through the loader by its Windows name as the tool loads it.
class FerroxanTest : public ::testing::Test {
  protected:
    void load(const std::string& settings) {
        writeSettings(settings);
        fs::copy_file(KOVA_TEST_FERROXAN, dir_ / "Ferroxan.so");
        ASSERT_TRUE(card_.Load(dir_.path().string() + "\\Ferroxan.dll"));
        card_.ExtClose();
        card_.ExtOpen("Calib");
    }
    void writeSettings(const std::string& text) {
        kova::test::writeBytes(dir_ / "Ferroxan.ini", text);
        recheckSettings();
    }
    void recheckSettings() {
        if (card_.IsLoaded()) {
            kova::test::recheckFerroxanSettings(dir_ / "Ferroxan.so");
        }
    }
    std::string outputs() const { return kova::test::readBytes(dir_ / "FerroxanOutputs.ini"); }

    kova::test::TempDir dir_;
    CExtModule card_;
};

CardSettings parse(const std::string& text) {
    return parseCardSettings(kova::IniDocument(text));
}

}  // namespace

TEST(FerroxanSignalTest, WaveformsFollowTheirLaws) {
    AnalogSettings sine{Waveform::Sine, 2.0, 1.0, 1000.0, 0.0};
    EXPECT_DOUBLE_EQ(analogValue(sine, 0.0), 2.0);
    EXPECT_DOUBLE_EQ(analogValue(sine, 250.0), 3.0);
    EXPECT_NEAR(analogValue(sine, 750.0), 1.0, 1e-12);

    AnalogSettings ramp{Waveform::Ramp, 1.0, 4.0, 1000.0, 0.0};
    EXPECT_DOUBLE_EQ(analogValue(ramp, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(analogValue(ramp, 500.0), 3.0);
    EXPECT_DOUBLE_EQ(analogValue(ramp, 1250.0), 2.0);  // starts again every period

    AnalogSettings constant{Waveform::Constant, 1.5, 9.0, 1000.0, 0.0};
    EXPECT_DOUBLE_EQ(analogValue(constant, 333.0), 1.5);
    // Without a usable period a waveform holds its level.
    sine.periodMs = 0.0;
    EXPECT_DOUBLE_EQ(analogValue(sine, 250.0), 2.0);
}

TEST(FerroxanSignalTest, ABurstIsTheWaveformAtEachSampleTime) {
    // The sine's rotation against one sin() a sample, over 500 samples and on a clock that has
    // run for days; a waveform without a rotation and a single sample go the plain way.
    const AnalogSettings sine{Waveform::Sine, 2.0, 1.5, 730.0, 0.0};
    const AnalogSettings ramp{Waveform::Ramp, 1.0, 4.0, 1000.0, 0.0};
    NoiseSource noise;
    for (const double lastMs : {0.0, 1234.5, 3.0e8}) {
        for (const AnalogSettings& channel : {sine, ramp}) {
            float samples[500];
            analogBurst(channel, lastMs, 0.1, noise, samples, 500);
            for (int i = 0; i < 500; ++i) {
                const double t = lastMs - (499 - i) * 0.1;
                ASSERT_NEAR(samples[i], analogValue(channel, t), 1e-6) << lastMs << " " << i;
            }
        }
        float one = 0.0f;
        analogBurst(sine, lastMs, 0.1, noise, &one, 1);
        EXPECT_EQ(one, static_cast<float>(analogValue(sine, lastMs)));
    }
}

TEST(FerroxanSignalTest, InputsBlinkActiveForTheFirstHalfOfEachPeriod) {
    const InputSettings blinking{false, 400.0};
    EXPECT_TRUE(inputActive(blinking, 0.0));
    EXPECT_TRUE(inputActive(blinking, 199.0));
    EXPECT_FALSE(inputActive(blinking, 200.0));
    EXPECT_FALSE(inputActive(blinking, 399.0));
    EXPECT_TRUE(inputActive(blinking, 400.0));
    EXPECT_TRUE(inputActive(InputSettings{true, 0.0}, 123.0));
    EXPECT_FALSE(inputActive(InputSettings{false, 0.0}, 123.0));
}

TEST(FerroxanSignalTest, CountersCountWholeEventsAndStayInRange) {
    EXPECT_EQ(counterValue(10.0, 1500.0), 15);
    EXPECT_EQ(counterValue(10.0, 1599.0), 15);
    EXPECT_EQ(counterValue(-4.0, 1000.0), -4);
    EXPECT_EQ(counterValue(0.0, 1e9), 0);
    EXPECT_EQ(counterValue(1e9, 1e9), INT_MAX);
    EXPECT_EQ(counterValue(-1e9, 1e9), INT_MIN);
}

TEST(FerroxanSignalTest, SettingsKeepDefaultsForWhatIsMissing) {
    const CardSettings card = parse(
        "[card]\nstep=100\n"
        "[Analog7]\nMode=SINE\nLevel=2.5\nAmplitude=0.5\nPeriod=2000\nNoise=-0.1\n"
        "[Analog8]\nMode=wobble\nLevel=abc\n"
        "[Frequency299]\nValue=50.5\n[Counter300]\nRate=12\n[Input15]\nState=1\nBlink=300\n");
    EXPECT_EQ(card.stepMs, 100.0);
    EXPECT_EQ(card.sampleIntervalMs, 1.0);
    EXPECT_EQ(card.analog[7].mode, Waveform::Sine);
    EXPECT_EQ(card.analog[7].level, 2.5);
    EXPECT_EQ(card.analog[7].amplitude, 0.5);
    EXPECT_EQ(card.analog[7].periodMs, 2000.0);
    EXPECT_EQ(card.analog[7].noise, 0.1);
    EXPECT_EQ(card.analog[8].mode, Waveform::Constant);  // unknown mode
    EXPECT_EQ(card.analog[8].level, 0.0);                // no number
    EXPECT_EQ(card.analog[0].periodMs, 1000.0);
    EXPECT_EQ(card.frequency[199], 50.5);
    EXPECT_EQ(card.counterRate[0], 12.0);
    EXPECT_TRUE(card.inputs[15].active);
    EXPECT_EQ(card.inputs[15].blinkMs, 300.0);
    EXPECT_FALSE(card.inputs[0].active);
}

TEST_F(FerroxanTest, ReadingsWithoutNoiseAreExact) {
    load(
        "[Card]\nStep=100\n[Analog3]\nLevel=1.25\n"
        "[Analog4]\nMode=ramp\nLevel=0\nAmplitude=1\nPeriod=1000\n"
        "[Frequency150]\nValue=50\n");
    float samples[6] = {0, 0, 0, 0, 0, -7.0f};
    card_.ExtGetAnalog(3, samples, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(samples[i], 1.25f) << i;
    }
    EXPECT_EQ(samples[5], -7.0f);  // beyond the count: untouched

    // The second read happens at 200 ms; its burst holds the samples 1 ms apart before it.
    card_.ExtGetAnalog(4, samples, 3);
    EXPECT_FLOAT_EQ(samples[0], 0.198f);
    EXPECT_FLOAT_EQ(samples[1], 0.199f);
    EXPECT_FLOAT_EQ(samples[2], 0.200f);

    EXPECT_EQ(card_.ExtGetFreb(150), 50.0f);
    EXPECT_EQ(card_.ExtGetFreb(151), 0.0f);
    EXPECT_EQ(card_.ExtGetFreb(99), 0.0f);  // not a frequency channel
}

TEST_F(FerroxanTest, NoiseStaysWithinItsBound) {
    load("[Analog0]\nLevel=2\nNoise=0.1\n");
    float samples[50];
    card_.ExtGetAnalog(0, samples, 50);
    std::set<float> distinct(std::begin(samples), std::end(samples));
    EXPECT_GT(distinct.size(), 1u);
    for (float s : samples) {
        EXPECT_GE(s, 1.9f);
        EXPECT_LE(s, 2.1f);
    }
}

TEST_F(FerroxanTest, CountersAdvanceWithTheClockAndReset) {
    load("[Card]\nStep=100\n[Counter300]\nRate=10\n[Counter301]\nRate=20\n");
    EXPECT_EQ(card_.ExtGetEnc3(300), 1);  // 100 ms
    EXPECT_EQ(card_.ExtGetEnc3(300), 2);  // 200 ms
    EXPECT_EQ(card_.ExtGetEnc3(301), 6);  // 300 ms
    card_.ExtResetCNT();                  // 400 ms
    EXPECT_EQ(card_.ExtGetEnc3(300), 1);
    EXPECT_EQ(card_.ExtGetEnc3(301), 4);
    EXPECT_EQ(card_.ExtGetEnc3(299), 0);  // not a counter channel
}

TEST_F(FerroxanTest, DigitalInputsHoldOrBlink) {
    load("[Card]\nStep=100\n[Input2]\nState=1\n[Input5]\nBlink=400\n");
    const int expected[] = {1, 0, 0, 1, 1, 0};  // reads at 100, 200, ... 600 ms
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(card_.ExtInPutDig(5), expected[i]) << i;
    }
    EXPECT_EQ(card_.ExtInPutDig(2), 1);
    EXPECT_EQ(card_.ExtInPutDig(16), 0);
    EXPECT_EQ(card_.ExtInPutDig(0), 0);
}

TEST_F(FerroxanTest, OutputStatesAreRecordedInTheOutputsFile) {
    load("");
    card_.ExtOutPutDig(5, 1);
    std::string text = outputs();
    EXPECT_NE(text.find("[Outputs]"), std::string::npos);
    EXPECT_NE(text.find("DO5=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("DO23=0\r\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '='), 24);

    card_.ExtOutPutDig(23, 7);  // anything but 1 is off
    card_.ExtOutPutDig(24, 1);  // no such output
    card_.ExtOutPutDig(-1, 1);
    card_.ExtOutPutDig(5, 0);
    text = outputs();
    EXPECT_NE(text.find("DO5=0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("=1"), std::string::npos);
}

TEST_F(FerroxanTest, ASettingsChangeIsSeenByTheNextRead) {
    load("[Analog1]\nLevel=1.25\n");
    float sample = 0.0f;
    card_.ExtGetAnalog(1, &sample, 1);
    EXPECT_EQ(sample, 1.25f);
    // Same size, written at once: only the bytes tell the versions apart.
    writeSettings("[Analog1]\nLevel=2.50\n");
    card_.ExtGetAnalog(1, &sample, 1);
    EXPECT_EQ(sample, 2.5f);
    fs::remove(dir_ / "Ferroxan.ini");
    recheckSettings();
    card_.ExtGetAnalog(1, &sample, 1);
    EXPECT_EQ(sample, 0.0f);
}

TEST(SettingsWatchTest, LooksAtTheFileAtMostEveryCheckInterval) {
    using std::chrono::milliseconds;
    kova::test::TempDir dir;
    const fs::path file = dir / "Ferroxan.ini";
    kova::test::writeBytes(file, "[Analog1]\nLevel=1.25\n");
    std::chrono::steady_clock::time_point now{};
    SettingsWatch watch(file, [&now] { return now; });
    ASSERT_TRUE(watch.refresh());
    EXPECT_EQ(watch.settings().analog[1].level, 1.25);

    // An edit becomes visible at the first look 100 ms after the previous one.
    kova::test::writeBytes(file, "[Analog1]\nLevel=2.50\n");
    for (const auto& [at, seen] : {std::pair{milliseconds(0), false},
                                   {milliseconds(99), false},
                                   {milliseconds(100), true},
                                   {milliseconds(150), false}}) {
        now = std::chrono::steady_clock::time_point{} + at;
        EXPECT_EQ(watch.refresh(), seen) << at.count();
    }
    EXPECT_EQ(watch.settings().analog[1].level, 2.5);

    // recheckNow makes the very next refresh look.
    kova::test::writeBytes(file, "[Analog1]\nLevel=3.75\n");
    watch.recheckNow();
    EXPECT_TRUE(watch.refresh());
    EXPECT_EQ(watch.settings().analog[1].level, 3.75);
    EXPECT_FALSE(watch.refresh());
}

TEST_F(FerroxanTest, EveryChannelOfTheSimulatedCardIsFresh) {
    load("[Analog0]\nLevel=1\n");
    for (int channel : {0, 99, 100, 299, 300, 399}) {
        EXPECT_EQ(card_.ExtGetStatusInfo(channel), 0) << channel;
    }
    EXPECT_EQ(card_.ExtGetStatusInfo(400), 2);
    EXPECT_EQ(card_.ExtGetStatusInfo(-1), 2);
}
