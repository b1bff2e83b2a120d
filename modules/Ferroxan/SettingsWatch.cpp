#include "SettingsWatch.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "platform/IniDocument.h"

namespace fs = std::filesystem;

namespace ferroxan {
namespace {

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

bool SettingsWatch::refresh() {
    const auto now = clock_();
    if (loaded_ && !due_ && now - lastLook_ < kCheckInterval) {
        return false;
    }
    due_ = false;
    lastLook_ = now;
    std::error_code ec;
    Stamp current;
    current.modified = fs::last_write_time(file_, ec);
    if (!ec) {
        current.size = fs::file_size(file_, ec);
        current.exists = !ec;
    }
    if (!current.exists) {
        current = Stamp{};
    }
    const bool recent = current.exists && fs::file_time_type::clock::now() - current.modified <
                                              std::chrono::seconds(2);
    if (loaded_ && current == stamp_ && !recent) {
        return false;
    }
    stamp_ = current;
    std::string bytes = current.exists ? readAll(file_) : std::string();
    if (loaded_ && bytes == bytes_) {
        return false;
    }
    bytes_ = std::move(bytes);
    settings_ = parseCardSettings(kova::IniDocument(bytes_));
    loaded_ = true;
    return true;
}

}  // namespace ferroxan
