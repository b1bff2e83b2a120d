#include "calib/ClientLED.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "led/LedProtocol.h"
#include "platform/HostPath.h"
#include "platform/IniFile.h"
#include "platform/TextCodec.h"
#include "platform/WindowMessages.h"

namespace {

constexpr char kNoServer[] = "请先打开串口服务器";
constexpr char kVersion[] = "LED显示模块，版本2.0";
constexpr int kVersionNumber = 200;
constexpr char kSettingsTail[] = "KOVA\\system\\config\\MonDev.ini";

std::string_view orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// UTF-8 in, GBK out, cut at a character boundary to fit the field with its zero byte.
template <std::size_t N>
void storeGbk(char (&field)[N], std::string_view utf8) {
    const std::string gbk = kova::utf8ToGbk(utf8);
    const std::string_view cut = kova::cutGbkBytes(gbk, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, cut.data(), cut.size());
}

char* duplicate(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

cClientLED::StatusWindow::~StatusWindow() = default;

cClientLED::cClientLED()
    : m_pStatus(nullptr), m_szWorkDir{}, m_szLedName{}, m_pIniPath(nullptr), m_SetupRecord{} {
    storeGbk(m_szWorkDir, kova::windowsWorkingDirectory());
    FormSettingsPath();
    ReadServerTitle("CURLED", "CurLedName");
}

cClientLED::cClientLED(const char* key)
    : m_pStatus(nullptr), m_szWorkDir{}, m_szLedName{}, m_pIniPath(nullptr), m_SetupRecord{} {
    storeGbk(m_szWorkDir, kova::windowsWorkingDirectory());
    FormSettingsPath();
    ReadServerTitle("DEVLED", key);
}

cClientLED::cClientLED(const cClientLED& other)
    : m_pStatus(other.m_pStatus), m_pIniPath(duplicate(other.m_pIniPath)) {
    std::memcpy(m_szWorkDir, other.m_szWorkDir, sizeof m_szWorkDir);
    std::memcpy(m_szLedName, other.m_szLedName, sizeof m_szLedName);
    std::memcpy(m_SetupRecord, other.m_SetupRecord, sizeof m_SetupRecord);
}

cClientLED& cClientLED::operator=(const cClientLED& other) {
    if (this != &other) {
        char* path = duplicate(other.m_pIniPath);
        delete[] m_pIniPath;
        m_pIniPath = path;
        m_pStatus = other.m_pStatus;
        std::memcpy(m_szWorkDir, other.m_szWorkDir, sizeof m_szWorkDir);
        std::memcpy(m_szLedName, other.m_szLedName, sizeof m_szLedName);
        std::memcpy(m_SetupRecord, other.m_SetupRecord, sizeof m_SetupRecord);
    }
    return *this;
}

cClientLED::~cClientLED() {
    delete[] m_pIniPath;
}

void cClientLED::FormSettingsPath() {
    // The drive root of the working directory, such as "D:\".
    const std::string root = kova::windowsWorkingDirectory().substr(0, 3);
    delete[] m_pIniPath;
    m_pIniPath = duplicate((root + kSettingsTail).c_str());
}

void cClientLED::ReadServerTitle(const char* section, const char* key) {
    const kova::IniFile settings(m_pIniPath);
    storeGbk(m_szLedName, settings.readString(section, orEmpty(key), "", sizeof m_szLedName));
}

void cClientLED::SetLedName(const char* key) {
    FormSettingsPath();
    ReadServerTitle("DEVLED", key);
}

void cClientLED::SetLedNameDirect(const char* title) {
    storeGbk(m_szLedName, orEmpty(title));
}

std::string cClientLED::GetLedName() const {
    return kova::gbkToUtf8(m_szLedName);
}

void cClientLED::InitLed(const char* text1, std::int32_t value1, int value2, int value3,
                         const char* text2) {
    const kova::LedSetupRecord record = kova::packLedSetup(
        {std::string(orEmpty(text1)), value1, value2, value3, std::string(orEmpty(text2))});
    std::memcpy(m_SetupRecord, record.data(), record.size());
    Send(kova::kLedInitDataWord, kova::kLedInitCommand, kova::ledInitBlock(record));
}

void cClientLED::CloseLed() {
    Send(0, kova::kLedCloseCommand, {});
}

void cClientLED::ClearLed() {
    Send(0, kova::kLedClearCommand, {});
}

void cClientLED::Write2Led(const char* text) {
    Send(kova::kLedWriteDataWord, kova::kLedWriteCommand, kova::ledTextBlock(orEmpty(text)));
}

void cClientLED::Write2Leds(const char* text) {
    const std::string block = kova::ledTextBlock(orEmpty(text));
    for (int board = 0; board <= 9; ++board) {
        SendTo("LED" + std::to_string(board), kova::kLedWriteDataWord, kova::kLedWriteCommand,
               block);
    }
}

const char* cClientLED::GetVerStr() const {
    return kVersion;
}

int cClientLED::GetVer() const {
    return kVersionNumber;
}

void cClientLED::Send(std::uint64_t dataWord, std::uint32_t lengthWord, const std::string& block) {
    // An empty title would match any untitled window: it counts as no server.
    const bool sent =
        m_szLedName[0] != '\0' && SendTo(kova::gbkToUtf8(m_szLedName), dataWord, lengthWord, block);
    if (!sent && m_pStatus != nullptr) {
        m_pStatus->SetText(kNoServer);
    }
}

bool cClientLED::SendTo(const std::string& title, std::uint64_t dataWord, std::uint32_t lengthWord,
                        const std::string& block) {
    return kova::sendWindowMessage(title, kova::ledMessage(dataWord, lengthWord, block)).delivered;
}
