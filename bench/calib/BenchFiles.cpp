#include "BenchFiles.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace kova::bench {
namespace {

struct Directory {
    Directory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kova-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary directory");
        }
        path = pattern;
    }
    ~Directory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

}  // namespace

const std::filesystem::path& benchDirectory() {
    static const Directory directory;
    return directory.path;
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kova::bench
