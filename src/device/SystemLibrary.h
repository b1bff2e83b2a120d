#pragma once
// The product family's system-environment library (Tesvar): the environment record, the version
// text, field splitting and the digital filter. Loaded once at start-up from the operating
// system's system directory; every one of its 212 entry points (SystemLibraryNames.h) must be
// there.
//
// Texts cross this interface as zero-terminated GBK, exactly as the library takes and gives them.
// Calls are guarded: an entry point that throws or faults gives the same value as an absent one.

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "device/EnvRecord.h"
#include "platform/DynamicLibrary.h"

namespace kova {

// File name of the library for a variant selector: "Tesvar2b.dll" for 2, "Tesvar4b.dll" for 4,
// "Tesvar8b.dll" for 8, "Tesvar16b.dll" for 16, "Tesvar.dll" for anything else.
std::string systemLibraryFileName(int selector);

// Load's code when the entry point at `index` of the lookup order is the first one missing:
// -2 for the first, counting down, with -117 left out (-118 follows -116).
int missingEntryPointCode(std::size_t index);

class SystemLibrary {
  public:
    static constexpr int kLoaded = 1;
    static constexpr int kNoSystemDirectory = -1000;
    static constexpr int kAbsent = -1000;
    static constexpr int kExitCodeNotLoadable = -1;
    static constexpr int kNotLoadable = -1;
    static constexpr std::size_t kVersionBytes = 1024;
    static constexpr std::size_t kFieldBytes = 512;
    static constexpr const char* kNotLoadableMessage = "系统库不存在或者版本错误!";

    // Shows a message to the operator (UTF-8) and returns when it is dismissed.
    using MessageSink = std::function<void(const std::string& text)>;

    // Messages go to standard error.
    SystemLibrary();
    explicit SystemLibrary(MessageSink showMessage);
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // Where Load shows its message; null restores standard error.
    void setMessageSink(MessageSink showMessage);

    // Loads the library variant from the system directory: 1 when every entry point is there,
    // -1000 when the system directory is unknown, or the code of the first missing entry point
    // (the library then stays loaded). When the library cannot be loaded at all, shows
    // kNotLoadableMessage and ends the process with exit code -1.
    int Load(int selector);

    // For a library loaded inside a host program, which must never be ended by it: Load then
    // returns kNotLoadable instead, showing nothing.
    void keepProcessWhenNotLoadable() { endProcessWhenNotLoadable_ = false; }

    // Releases the library; every entry point is absent afterwards.
    void Unload();

    bool isLoaded() const { return library_.isOpen(); }

    // Fills the record's texts. Absent: -1000.
    int GetTesvar(EnvRecord* record);
    // Writes the version text into a buffer of kVersionBytes. Absent: -1000.
    int GetVers(int which, char* buffer);
    // Writes field `field` (from 0) of `source` into a buffer of kFieldBytes. Absent: -1000.
    int GetField(const char* source, char* buffer, int field);
    // The filtered value of the filter in `slot`. Absent: -1000.0.
    float Filter_1(int slot, float value, float coefficient);

  private:
    enum Called : std::size_t { kGetTesvar, kGetVers, kGetField, kFilter1, kCalledCount };

    MessageSink showMessage_;
    bool endProcessWhenNotLoadable_ = true;
    DynamicLibrary library_;
    std::array<void*, kCalledCount> called_{};
};

}  // namespace kova
