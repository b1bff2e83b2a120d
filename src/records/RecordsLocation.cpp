#include "records/RecordsLocation.h"

#include <cstdlib>

#include "platform/HostPath.h"
#include "platform/IniFile.h"

namespace kova {
namespace {

// Room for a URL with host, user and password.
constexpr std::size_t kUrlBytes = 1024;

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

RecordsLocation recordsLocation(const std::string& configDir, const std::string& sysIniPath) {
    RecordsLocation location;
    location.localFile = pathText(hostPath(configDir + "\\" + kRecordsFileName));
    if (const char* set = std::getenv(kRecordsDatabaseVariable)) {
        location.siteUrl = trimmed(set);
    } else {
        location.siteUrl = trimmed(
            IniFile(sysIniPath).readString(kRecordsSection, kRecordsDatabaseKey, "", kUrlBytes));
    }
    return location;
}

}  // namespace kova
