#ifndef CALIB_CLIENTLED_H
#define CALIB_CLIENTLED_H
/*
 * cClientLED: client of the line's serial-port server, which owns one window per LED board.
 * Every send looks the board's window up again by its title (letter case not counting) and hands
 * it a copy-data message, waiting until the server has handled it.
 *
 * Texts cross this interface as UTF-8. The fixed fields below hold GBK, as the boards receive it,
 * and their byte limits count GBK bytes: server title 99, setup texts 9, sent text 1223. Longer
 * texts are cut at a character boundary.
 *
 * The fields and their order are part of the interface sibling programs compile against.
 */

#include <cstdint>
#include <string>

#include "calib/Export.h"

class CALIB_API cClientLED {
  public:
    // Where the client shows its state; the owner sets it (the tool gives its status line).
    class CALIB_API StatusWindow {
      public:
        virtual ~StatusWindow();
        virtual void SetText(const char* text) = 0;
    };

    // Server title from "CurLedName" of section "CURLED" in MonDev.ini.
    cClientLED();
    // Server title from `key` of section "DEVLED" in MonDev.ini.
    explicit cClientLED(const char* key);
    cClientLED(const cClientLED& other);
    cClientLED& operator=(const cClientLED& other);
    ~cClientLED();

    void SetStatusWindow(StatusWindow* window) { m_pStatus = window; }

    // Forms the settings path from the working directory of this moment and reads `key` of
    // section "DEVLED" into the server title (empty when missing).
    void SetLedName(const char* key);
    void SetLedNameDirect(const char* title);

    // Stores the arguments in the 32-byte setup record and sends it.
    void InitLed(const char* text1, std::int32_t value1, int value2, int value3, const char* text2);
    void CloseLed();
    void ClearLed();
    // Sends the text to the board of the server title.
    void Write2Led(const char* text);
    // Sends the text to every window titled LED0..LED9 that exists, in this order.
    void Write2Leds(const char* text);

    const char* GetVerStr() const;
    int GetVer() const;

    // The server title (UTF-8) and the settings path (Windows style) in use.
    std::string GetLedName() const;
    const char* GetSettingsPath() const { return m_pIniPath; }
    // The setup record last handed to InitLed.
    const unsigned char* GetSetupRecord() const { return m_SetupRecord; }

  private:
    void FormSettingsPath();
    void ReadServerTitle(const char* section, const char* key);
    void Send(std::uint64_t dataWord, std::uint32_t lengthWord, const std::string& block);
    static bool SendTo(const std::string& title, std::uint64_t dataWord, std::uint32_t lengthWord,
                       const std::string& block);

    StatusWindow* m_pStatus;
    char m_szWorkDir[100];
    char m_szLedName[100];
    char* m_pIniPath;
    unsigned char m_SetupRecord[32];
};

#endif
