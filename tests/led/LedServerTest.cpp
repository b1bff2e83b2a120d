#include "LedServer.h"

#include "LedFixture.h"
#include "led/LedProtocol.h"

namespace kova::test {
namespace {

class LedServerTest : public LedFixture {};

std::vector<std::string> defaults() {
    std::vector<std::string> t;
    for (int i = 0; i <= 9; ++i) {
        t.push_back("LED" + std::to_string(i));
    }
    return t;
}

TEST_F(LedServerTest, BoardTitlesJoinArgumentsOrDefaultsWithTheSettings) {
    const fs::path ini = root_ / "MonDev.ini";
    writeGbk(ini,
             "[DEVLED]\r\n速度=SpeedLED\r\ndup=led0\r\nnone=\r\n[CURLED]\r\nCurLedName=当前屏\r\n");
    std::vector<std::string> withSettings = defaults();
    withSettings.insert(withSettings.end(), {"SpeedLED", "当前屏"});
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> titles;
    } cases[] = {
        {{}, defaults()},
        {{"--headless", "A", "a", "B"}, {"A", "B"}},
        {{"--config", ini.string()}, withSettings},
        {{"LED0", "--config", ini.string()}, {"LED0", "SpeedLED", "当前屏"}},
        {{"--config", (root_ / "missing.ini").string()}, defaults()},
    };
    for (const auto& c : cases) {
        const LedServerOptions options = parseLedServerArguments(c.args);
        ASSERT_TRUE(options.error.empty()) << options.error;
        EXPECT_EQ(boardTitles(options), c.titles);
    }
    EXPECT_FALSE(parseLedServerArguments({"--config"}).error.empty());
    EXPECT_FALSE(parseLedServerArguments({"--bogus"}).error.empty());
    EXPECT_TRUE(parseLedServerArguments({"--headless", "--version"}).version);
}

TEST_F(LedServerTest, BoardsKeepWhatTheyShowAndReportOneLinePerMessage) {
    LedBoards boards({"LED0"});
    EXPECT_EQ(boards.apply(0, ledMessage(4, 1224, ledTextBlock("第一行\n第二行"))),
              "LED0\twrite\t第一行\\x0a第二行");
    EXPECT_EQ(boards.boards()[0].text, "第一行\n第二行");
    EXPECT_EQ(boards.apply(
                  0, ledMessage(32, 1234, ledInitBlock(packLedSetup({"COM1", 9600, 1, 2, "屏"})))),
              "LED0\tinit\tCOM1\t9600\t1\t2\t屏");
    EXPECT_TRUE(boards.boards()[0].open);
    EXPECT_EQ(boards.apply(0, ledMessage(0, 1244, {})), "LED0\tclear");
    EXPECT_EQ(boards.boards()[0].text, "");
    boards.apply(0, ledMessage(4, 1224, ledTextBlock("x")));
    EXPECT_EQ(boards.apply(0, ledMessage(0, 1264, {})), "LED0\tclose");
    EXPECT_FALSE(boards.boards()[0].open);
    EXPECT_EQ(boards.boards()[0].text, "");
}

TEST_F(LedServerTest, ServesTheBoardsOfItsSettingsFile) {
    const fs::path ini = root_ / "MonDev.ini";
    writeGbk(ini, "[DEVLED]\r\n速度=SpeedLED\r\n[CURLED]\r\nCurLedName=当前屏\r\n");
    ChildProcess& server = startServing(kLedServer, {"--headless", "--config", ini.string()},
                                        {"LED0", "LED9", "speedled", "当前屏"});
    cClientLED led;
    led.SetLedNameDirect("当前屏");
    led.Write2Led("12.5");
    EXPECT_EQ(server.readLine(), "当前屏\twrite\t12.5");
}

TEST_F(LedServerTest, TheWindowedServerAnswersThroughItsEventLoop) {
    if (!KOVA_LEDSERVER_HAS_WINDOW) {
        GTEST_SKIP() << "ledserver built without its window";
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ChildProcess& server = startServing(kLedServer, {"LED2"}, {"LED2"});
    RecordingStatus status;
    cClientLED led;
    led.SetStatusWindow(&status);
    led.SetLedNameDirect("LED2");
    led.Write2Led("窗口");
    led.Write2Led("再来");
    EXPECT_EQ(server.readLine(), "LED2\twrite\t窗口");
    EXPECT_EQ(server.readLine(), "LED2\twrite\t再来");
    EXPECT_TRUE(status.texts.empty());
    WindowMessage close;
    close.msg = 16;
    ASSERT_TRUE(postWindowMessage("LED2", close).delivered);
    EXPECT_TRUE(server.readLine().has_value());
    EXPECT_EQ(server.wait(), 0);
    EXPECT_FALSE(windowExists("LED2")) << "a closed server removes its windows";
}

}  // namespace
}  // namespace kova::test
