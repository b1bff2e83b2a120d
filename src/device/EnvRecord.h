#pragma once
// The system library's environment record. Its layout is the library's; the tool reads only the
// three zero-terminated GBK texts below. Each text holds at most kEnvTextBytes - 1 bytes: a
// writer cuts longer texts there and a reader never looks further, even when the terminator is
// missing.

#include <cstddef>
#include <string>
#include <string_view>

struct EnvRecord {
    static constexpr std::size_t kConfigDirOffset = 7806;
    static constexpr std::size_t kModuleDirOffset = 15198;
    static constexpr std::size_t kPasswordBoxPathOffset = 79878;
    // Room for a Windows path of 260 characters after the last text, rounded up.
    static constexpr std::size_t kSize = 81920;
    static constexpr std::size_t kEnvTextBytes = 260;

    unsigned char bytes[kSize] = {};

    // The texts as UTF-8.
    std::string ConfigDir() const { return text(kConfigDirOffset); }
    std::string ModuleDir() const { return text(kModuleDirOffset); }
    std::string PasswordBoxPath() const { return text(kPasswordBoxPathOffset); }

    // The UTF-8 text stored at a text offset.
    std::string text(std::size_t offset) const;

    // Stores a UTF-8 text at a text offset as GBK, cut without splitting a character.
    void setText(std::size_t offset, std::string_view utf8);
};

static_assert(EnvRecord::kPasswordBoxPathOffset + EnvRecord::kEnvTextBytes <= EnvRecord::kSize);

namespace kova {

// The one record of the process, all zero until the system library fills it.
EnvRecord& processEnvRecord();

}  // namespace kova
