#pragma once
// The check window and the digital channel test on their own: a GBK Calib.ini in a temporary
// directory, the scripted test card, the stand-in system library, a recorder in place of the
// message boxes, drive D: and the window directory inside the temporary directory, and an LED
// board receiver on its own thread.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "DialogsRecorder.h"
#include "TestFiles.h"
#include "led/LedProtocol.h"
#include "platform/DynamicLibrary.h"
#include "platform/IniFile.h"
#include "platform/WindowReceiver.h"
#include "runtime/Runtime.h"

namespace kova::testing {

// The test card's controls (tests/pages/ScriptedCard.cpp); the same library the runtime loads.
class ScriptedCard {
  public:
    ScriptedCard() : library_(DynamicLibrary::open(KOVA_TEST_SCRIPTED_CARD)) {}

    bool loaded() const { return library_.isOpen(); }
    void reset() const { call<void (*)()>("TestReset")(); }
    void setLevel(float level) const { call<void (*)(float)>("TestSetLevel")(level); }
    void setStatus(int state) const { call<void (*)(int)>("TestSetStatus")(state); }
    void setFrequency(float value) const { call<void (*)(float)>("TestSetFrequency")(value); }
    void setCounter(int value) const { call<void (*)(int)>("TestSetCounter")(value); }
    void setInput(int input, int value) const {
        call<void (*)(int, int)>("TestSetInput")(input, value);
    }
    int counterResets() const { return call<int (*)()>("TestCounterResets")(); }
    int analogReads() const { return call<int (*)()>("TestAnalogReads")(); }
    // The digital output commands since the last call, as (output, state) in call order.
    std::vector<std::pair<int, int>> takeCommands() const {
        std::vector<int> pairs(2 * 512);
        const int n = call<int (*)(int*, int)>("TestTakeCommands")(pairs.data(), 512);
        std::vector<std::pair<int, int>> commands;
        for (int i = 0; i < n; ++i) {
            commands.emplace_back(pairs[2 * i], pairs[2 * i + 1]);
        }
        return commands;
    }

  private:
    template <typename Function>
    Function call(const char* name) const {
        return reinterpret_cast<Function>(library_.symbol(name));
    }

    DynamicLibrary library_;
};

// The 24 low commands of "all outputs low", in order.
inline std::vector<std::pair<int, int>> allLowCommands() {
    std::vector<std::pair<int, int>> commands;
    for (int n = 0; n < 24; ++n) {
        commands.emplace_back(n, 0);
    }
    return commands;
}

// An LED board window served on its own thread; the client's send waits until the text is taken.
class LedReceiver {
  public:
    explicit LedReceiver(const std::string& title) {
        std::string error;
        window_ = MessageWindow::open(
            title,
            [this](const WindowMessage& message) -> std::int64_t {
                const LedRequest request = decodeLedMessage(message);
                if (request.command == LedCommand::Write) {
                    const std::lock_guard lock(mutex_);
                    texts_.push_back(request.text);
                }
                return 0;
            },
            error);
        EXPECT_NE(window_, nullptr) << error;
        if (window_) {
            loop_.add(*window_);
            thread_ = std::thread([this] { loop_.run(); });
        }
    }
    ~LedReceiver() {
        loop_.stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    LedReceiver(const LedReceiver&) = delete;
    LedReceiver& operator=(const LedReceiver&) = delete;

    std::vector<std::string> texts() const {
        const std::lock_guard lock(mutex_);
        return texts_;
    }

  private:
    std::unique_ptr<MessageWindow> window_;
    WindowLoop loop_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// Channel 12: a straight line through (0 V, 0) and (1 V, 10), unit kN, precision 1, unsigned.
// Channel 150: frequency 100 reads 50. Channel 350: counts read as they are. Channel 20: five
// points.
inline constexpr const char* kCheckCalibIni =
    "[12通道]\r\nPoint=1\r\nUpDown=0\r\nDanWei=kN\r\nDi0Data=0\r\nGao0Data=0\r\n"
    "Volt=0.000,1.000,\r\nData=0.000,10.000,\r\n"
    "[150通道]\r\nPoint=3\r\nDanWei=Hz\r\nVolt=0.000,100.000,\r\nData=0.000,50.000,\r\n"
    "[350通道]\r\nDanWei=转\r\nVolt=0.000,1000.000,\r\nData=0.000,1000.000,\r\n"
    "[20通道]\r\nVolt=0.100,0.200,0.300,0.400,0.500,\r\nData=1.000,2.000,3.000,4.000,40.000,\r\n"
    "[3数字输出]\r\nAbout=电机\r\n[5数字输入]\r\nAbout=光电\r\n";

inline constexpr const char* kBoardTitle = "CheckBoard";

class CheckFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeGbk(dir_ / "Calib.ini", kCheckCalibIni);
        rt_.CalibIniPath = (dir_ / "Calib.ini").string();
        rt_.SysIniPath = (dir_ / "sysKOVA.ini").string();
        rt_.DevIdIniPath = (dir_ / "DevID.ini").string();
        rt_.AVERNUM = 4;
        rt_.FIRNUM = 0.0f;  // the stand-in filter passes its input through
        rt_.HDNUM = 0;      // every tick gives a reading
        rt_.MS = 40;
        ASSERT_TRUE(card_.loaded());
        card_.reset();
        ASSERT_TRUE(rt_.hardwareModule.Load(KOVA_TEST_SCRIPTED_CARD));
        rt_.systemLibrary.keepProcessWhenNotLoadable();
        ASSERT_EQ(rt_.systemLibrary.Load(1), SystemLibrary::kLoaded);
        rt_.ledClient.SetLedNameDirect(kBoardTitle);
    }

    // One key of Calib.ini.
    void setKey(const char* section, const char* key, const char* value) {
        ASSERT_TRUE(IniFile(rt_.CalibIniPath).writeString(section, key, value));
    }

    void openLog() { rt_.AcqLog.open(dir_ / "AcqData.log"); }
    std::string logText() const { return gbkToUtf8(test::readBytes(dir_ / "AcqData.log")); }

    test::TempDir dir_;
    test::ScopedEnv systemDir_{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    test::ScopedEnv windowsDir_{"KOVA_WINDOWS_DIR", dir_ / "windows"};
    test::ScopedEnv driveD_{"KOVA_DRIVE_D", dir_ / "d"};
    ScriptedCard card_;
    DialogsRecorder recorder_;
    ScopedDialogs dialogs_{recorder_};
    Runtime rt_;
};

}  // namespace kova::testing
