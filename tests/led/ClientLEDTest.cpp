#include "calib/ClientLED.h"

#include "LedFixture.h"
#include "platform/WindowMessages.h"

namespace kova::test {
namespace {

class ClientLEDTest : public LedFixture {};

const std::string kBiaoDingGbk = "\xB1\xEA\xB6\xA8";  // 标定

TEST_F(ClientLEDTest, Write2LedSendsTheGbkTextInItsFixedBlock) {
    ChildProcess& listener = startServing(kKovaMsg, {"listen", "--hex", "LEDA"}, {"LEDA"});
    RecordingStatus status;
    cClientLED led;
    led.SetStatusWindow(&status);
    led.SetLedNameDirect("leda");  // letter case does not count
    led.Write2Led("标定 12.5kg");

    const std::optional<std::string> line = listener.readLine();
    ASSERT_TRUE(line);
    const ListenLine got = parseListenLine(*line);
    EXPECT_EQ(got.title, "LEDA");
    EXPECT_EQ(got.kind, "send");
    EXPECT_EQ(got.fields.at("msg"), "74");
    EXPECT_EQ(got.fields.at("wParam"), "0");
    EXPECT_EQ(got.fields.at("dwData"), "4");
    EXPECT_EQ(got.fields.at("cbData"), "1224");
    EXPECT_EQ(got.fields.at("size"), "1224");
    EXPECT_EQ(got.fields.at("text"), "标定 12.5kg");
    const std::string text = kBiaoDingGbk + " 12.5kg";
    EXPECT_EQ(got.fields.at("hex"), hexOf(text + std::string(1224 - text.size(), '\0')));
    EXPECT_TRUE(status.texts.empty());
}

TEST_F(ClientLEDTest, SetupAndCommandMessagesCarryTheirCodesInTheLengthWord) {
    ChildProcess& listener = startServing(kKovaMsg, {"listen", "--hex", "LED1"}, {"LED1"});
    cClientLED led;
    led.SetLedNameDirect("LED1");
    led.InitLed("AB", 1, -2, 0x12345678, "标定");
    led.ClearLed();
    led.CloseLed();

    std::string record = "AB" + std::string(8, '\0');  // offset 0
    record += std::string("\x01\x00\x00\x00", 4);      // 10
    record += std::string("\xFE\xFF\xFF\xFF", 4);      // 14
    record += std::string("\x78\x56\x34\x12", 4);      // 18
    record += kBiaoDingGbk + std::string(6, '\0');     // 22
    ASSERT_EQ(record.size(), 32u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(led.GetSetupRecord()), 32), record);

    const struct {
        const char* dwData;
        const char* cbData;
        std::string block;
    } expected[] = {
        {"32", "1234", record + std::string(1234 - 32, '\0')},
        {"0", "1244", ""},
        {"0", "1264", ""},
    };
    for (const auto& e : expected) {
        const std::optional<std::string> line = listener.readLine();
        ASSERT_TRUE(line);
        const ListenLine got = parseListenLine(*line);
        EXPECT_EQ(got.fields.at("msg"), "74");
        EXPECT_EQ(got.fields.at("dwData"), e.dwData);
        EXPECT_EQ(got.fields.at("cbData"), e.cbData);
        EXPECT_EQ(got.fields.at("size"), std::to_string(e.block.size()));
        EXPECT_EQ(got.fields.at("hex"), hexOf(e.block)) << e.cbData;
    }
}

TEST_F(ClientLEDTest, Write2LedsReachesThePresentBoardsInNumberOrder) {
    // Registered in the opposite order: the order must come from the client.
    ChildProcess& listener = startServing(kKovaMsg, {"listen", "LED7", "LED3"}, {"LED7", "LED3"});
    RecordingStatus status;
    cClientLED led;
    led.SetStatusWindow(&status);
    led.Write2Leds("同步");
    led.SetLedNameDirect("LED7");
    led.Write2Led("end");  // anything else Write2Leds sent would arrive before this

    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        const std::optional<std::string> line = listener.readLine();
        ASSERT_TRUE(line);
        const ListenLine got = parseListenLine(*line);
        seen.push_back(got.title + " " + got.fields.at("text"));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"LED3 同步", "LED7 同步", "LED7 end"}));
    EXPECT_TRUE(status.texts.empty()) << "missing boards are skipped silently";
}

TEST_F(ClientLEDTest, AMissingServerShowsTheStateAndALaterServerIsFound) {
    RecordingStatus status;
    cClientLED led;
    led.SetStatusWindow(&status);
    led.SetLedNameDirect("LED0");
    led.Write2Led("lost");
    EXPECT_EQ(status.texts, std::vector<std::string>{kNoServer});

    ChildProcess& server = startServing(kLedServer, {"--headless", "LED0"}, {"LED0"});
    led.Write2Led("hello");
    EXPECT_EQ(server.readLine(), "LED0\twrite\thello");
    EXPECT_EQ(status.texts.size(), 1u);

    WindowMessage close;
    close.msg = 16;
    ASSERT_TRUE(postWindowMessage("LED0", close).delivered);
    EXPECT_EQ(server.readLine(), "LED0\tother\tmsg=16 dwData=0 cbData=0 size=0");
    EXPECT_EQ(server.wait(), 0);
    led.ClearLed();
    EXPECT_EQ(status.texts, (std::vector<std::string>{kNoServer, kNoServer}));

    cClientLED silent;  // no status window: nothing to show, nothing breaks
    silent.SetLedNameDirect("LED0");
    silent.Write2Led("lost");
}

TEST_F(ClientLEDTest, AnEmptyServerTitleCountsAsNoServer) {
    ChildProcess& untitled = startServing(kKovaMsg, {"listen", ""}, {""});
    RecordingStatus status;
    cClientLED led;  // no MonDev.ini: empty title
    led.SetStatusWindow(&status);
    ASSERT_EQ(led.GetLedName(), "");
    led.Write2Led("stray");
    EXPECT_EQ(status.texts, std::vector<std::string>{kNoServer});

    WindowMessage marker;
    marker.msg = 1039;
    ASSERT_TRUE(sendWindowMessage("", marker).delivered);
    const std::optional<std::string> line = untitled.readLine();
    ASSERT_TRUE(line);
    EXPECT_EQ(parseListenLine(*line).fields.at("msg"), "1039") << "the client's text arrived first";
}

TEST_F(ClientLEDTest, CopiesSendToTheSameServerOnTheirOwn) {
    ChildProcess& server = startServing(kLedServer, {"--headless", "LED5"}, {"LED5"});
    cClientLED original;
    original.SetLedNameDirect("LED5");
    cClientLED copied(original);
    cClientLED assigned;
    assigned = original;
    original.SetLedNameDirect("elsewhere");

    copied.Write2Led("copied");
    assigned.Write2Led("assigned");
    EXPECT_EQ(server.readLine(), "LED5\twrite\tcopied");
    EXPECT_EQ(server.readLine(), "LED5\twrite\tassigned");
    EXPECT_STREQ(copied.GetSettingsPath(), original.GetSettingsPath());
    EXPECT_NE(copied.GetSettingsPath(), original.GetSettingsPath()) << "a copy owns its path";
}

TEST_F(ClientLEDTest, TitlesComeFromMonDevOnTheDriveOfTheWorkingDirectory) {
    const fs::path d = root_ / "d";
    const fs::path e = root_ / "e";
    ::setenv("KOVA_DRIVE_D", d.c_str(), 1);
    ::setenv("KOVA_DRIVE_E", e.c_str(), 1);
    writeGbk(d / "KOVA" / "system" / "config" / "MonDev.ini",
             "[CURLED]\r\nCurLedName=当前屏\r\n[DEVLED]\r\n速度=SpeedLED\r\nlong=" +
                 std::string(120, 'x') + "\r\n");
    writeGbk(e / "KOVA" / "system" / "config" / "MonDev.ini", "[DEVLED]\r\n速度=LED-E\r\n");
    fs::create_directories(d / "station" / "bin");
    fs::create_directories(e / "work");
    fs::current_path(d / "station" / "bin");

    const cClientLED current;
    EXPECT_STREQ(current.GetSettingsPath(), "D:\\KOVA\\system\\config\\MonDev.ini");
    EXPECT_EQ(current.GetLedName(), "当前屏");
    cClientLED named("速度");
    EXPECT_EQ(named.GetLedName(), "SpeedLED");
    named.SetLedName("long");
    EXPECT_EQ(named.GetLedName(), std::string(99, 'x'));
    named.SetLedName("missing");
    EXPECT_EQ(named.GetLedName(), "");

    // SetLedName forms the path from the working directory of the moment.
    fs::current_path(e / "work");
    named.SetLedName("速度");
    EXPECT_STREQ(named.GetSettingsPath(), "E:\\KOVA\\system\\config\\MonDev.ini");
    EXPECT_EQ(named.GetLedName(), "LED-E");
    EXPECT_STREQ(current.GetSettingsPath(), "D:\\KOVA\\system\\config\\MonDev.ini");
}

TEST_F(ClientLEDTest, TitlesAreCutToTheirFieldAtACharacterBoundary) {
    cClientLED led;
    std::string fifty;
    for (int i = 0; i < 50; ++i) {
        fifty += "屏";  // 100 GBK bytes: one too many for the field
    }
    led.SetLedNameDirect(fifty.c_str());
    EXPECT_EQ(gbkLength(led.GetLedName()), 98u);
    led.SetLedNameDirect(nullptr);
    EXPECT_EQ(led.GetLedName(), "");
    EXPECT_EQ(led.GetVer(), 200);
    EXPECT_EQ(std::string(led.GetVerStr()).rfind("LED显示模块，版本2.0", 0), 0u);
}

TEST_F(ClientLEDTest, ABoardWithTheLongestTitleIsFound) {
    // 99 GBK bytes, the most the field holds: 148 UTF-8 bytes, a key too long for a file name.
    std::string title;
    for (int i = 0; i < 49; ++i) {
        title += "屏";
    }
    title += "A";
    ChildProcess& listener = startServing(kKovaMsg, {"listen", title}, {title});
    cClientLED led;
    led.SetLedNameDirect(title.c_str());
    ASSERT_EQ(led.GetLedName(), title);
    led.Write2Led("12.5");
    const std::optional<std::string> line = listener.readLine();
    ASSERT_TRUE(line);
    EXPECT_EQ(parseListenLine(*line).fields.at("text"), "12.5");
}

}  // namespace
}  // namespace kova::test
