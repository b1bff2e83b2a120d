// Tesvar.so: stand-in for the product family's system-environment library. It exports every
// entry point the tool requires (device/SystemLibraryNames.h) and gives the four the tool calls
// a working meaning; the others take no arguments, do nothing and return 0.
//
// Environment (UTF-8):
//   KOVA_CONFIG_DIR   -> ConfigDir        default "D:\KOVA\system\config"
//   KOVA_MODULE_DIR   -> ModuleDir        default the directory holding this library
//   KOVA_PASSWORDBOX  -> PasswordBoxPath  default "<this library's directory>\PasswordBox.dll"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "device/EnvRecord.h"
#include "device/SystemLibraryNames.h"
#include "platform/DynamicLibrary.h"
#include "platform/HostPath.h"
#include "platform/ModuleExport.h"
#include "platform/TextCodec.h"

namespace {

constexpr const char* kVersionText = "1.0.0 (stand-in)";
constexpr std::size_t kVersionBytes = 1024;  // the callers' buffers, terminator included
constexpr std::size_t kFieldBytes = 512;
constexpr int kFilterSlots = 64;

std::string environmentOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? std::string(value) : fallback;
}

std::string ownDirectory() {
    return kova::pathText(kova::ownModuleDirectory());
}

struct FilterSlot {
    bool primed = false;
    float output = 0.0f;
};

std::mutex gFilterMutex;
FilterSlot gFilters[kFilterSlots];

}  // namespace

KOVA_MODULE_ENTRY int GetTesvar(EnvRecord* record) {
    if (record == nullptr) {
        return -1;
    }
    const std::string own = ownDirectory();
    record->setText(EnvRecord::kConfigDirOffset,
                    environmentOr("KOVA_CONFIG_DIR", "D:\\KOVA\\system\\config"));
    record->setText(EnvRecord::kModuleDirOffset, environmentOr("KOVA_MODULE_DIR", own));
    record->setText(EnvRecord::kPasswordBoxPathOffset,
                    environmentOr("KOVA_PASSWORDBOX", own + "\\PasswordBox.dll"));
    return 1;
}

KOVA_MODULE_ENTRY int GetVers(int /*which*/, char* buffer) {
    if (buffer == nullptr) {
        return -1;
    }
    std::snprintf(buffer, kVersionBytes, "%s", kVersionText);
    return 1;
}

// Field `field` (from 0) of a comma-separated text: the bytes between the field-th and the next
// comma, taken as they are (no blanks removed). The caller's buffer holds 512 bytes; a longer
// field is cut to 511 bytes without splitting a character. Returns the field's length, or -1
// (with an empty buffer) when the text has no such field.
KOVA_MODULE_ENTRY int GetField(const char* source, char* buffer, int field) {
    if (buffer == nullptr) {
        return -1;
    }
    buffer[0] = '\0';
    if (source == nullptr || field < 0) {
        return -1;
    }
    std::string_view rest(source);
    for (int i = 0; i < field; ++i) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            return -1;
        }
        rest.remove_prefix(comma + 1);
    }
    const std::string_view whole = rest.substr(0, rest.find(','));
    const std::string_view kept = kova::cutGbkBytes(whole, kFieldBytes - 1);
    std::memcpy(buffer, kept.data(), kept.size());
    buffer[kept.size()] = '\0';
    return static_cast<int>(kept.size());
}

// First-order filter per slot (0-63): y = k*y_prev + (1-k)*x, the first value of a slot passing
// through. The coefficient weighs the previous output, so 1.0 holds the reading still. A slot
// whose output is no longer a finite number starts again from the next value; a slot outside the
// range passes the value through.
KOVA_MODULE_ENTRY float Filter_1(int slot, float value, float coefficient) {
    if (slot < 0 || slot >= kFilterSlots) {
        return value;
    }
    const std::lock_guard lock(gFilterMutex);
    FilterSlot& filter = gFilters[slot];
    if (!filter.primed || !std::isfinite(filter.output)) {
        filter.primed = true;
        filter.output = value;
    } else {
        filter.output = coefficient * filter.output + (1.0f - coefficient) * value;
    }
    return filter.output;
}

#define TESVAR_RESERVED_ENTRY(name) \
    KOVA_MODULE_ENTRY int name() {  \
        return 0;                   \
    }
KOVA_SYSTEM_LIBRARY_RESERVED(TESVAR_RESERVED_ENTRY)
#undef TESVAR_RESERVED_ENTRY
