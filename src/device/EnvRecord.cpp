#include "device/EnvRecord.h"

#include <algorithm>
#include <cstring>

#include "platform/TextCodec.h"

std::string EnvRecord::text(std::size_t offset) const {
    if (offset >= kSize) {
        return {};
    }
    const std::size_t room = std::min(kEnvTextBytes, kSize - offset);
    const auto* start = reinterpret_cast<const char*>(bytes + offset);
    const void* end = std::memchr(start, '\0', room);
    const std::size_t length = end != nullptr ? static_cast<const char*>(end) - start : room;
    return kova::gbkToUtf8(std::string_view(start, length));
}

void EnvRecord::setText(std::size_t offset, std::string_view utf8) {
    if (offset >= kSize) {
        return;
    }
    const std::size_t room = std::min(kEnvTextBytes, kSize - offset);
    const std::string gbk = kova::utf8ToGbk(utf8);
    const std::string_view kept = kova::cutGbkBytes(gbk, room - 1);
    std::memset(bytes + offset, 0, room);
    std::memcpy(bytes + offset, kept.data(), kept.size());
}

namespace kova {

EnvRecord& processEnvRecord() {
    static EnvRecord record;
    return record;
}

}  // namespace kova
