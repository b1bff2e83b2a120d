#include "calib/CalibConfigDir.h"

#include <cstring>
#include <mutex>

#include "device/EnvRecord.h"
#include "device/SystemLibrary.h"

namespace kova {
namespace {

bool configDirEmpty(const EnvRecord& record) {
    return record.bytes[EnvRecord::kConfigDirOffset] == 0;
}

void fillFromSystemLibrary(EnvRecord& record) {
    SystemLibrary library;
    library.keepProcessWhenNotLoadable();  // a missing library must not end the host program
    if (library.Load(1) == SystemLibrary::kLoaded) {
        library.GetTesvar(&record);
    }
}

}  // namespace

std::string calibConfigDir() {
    static std::once_flag filled;
    EnvRecord& record = processEnvRecord();
    std::call_once(filled, [&record] {
        if (configDirEmpty(record)) {
            fillFromSystemLibrary(record);
        }
    });
    // The text converts once per change of the record's bytes, not on every call.
    static std::mutex cacheLock;
    static char cachedRaw[EnvRecord::kEnvTextBytes] = {};
    static std::string cachedText;
    const std::lock_guard lock(cacheLock);
    const unsigned char* raw = record.bytes + EnvRecord::kConfigDirOffset;
    if (std::memcmp(cachedRaw, raw, sizeof cachedRaw) != 0) {
        std::memcpy(cachedRaw, raw, sizeof cachedRaw);
        cachedText = record.ConfigDir();
    }
    return cachedText;
}

}  // namespace kova
