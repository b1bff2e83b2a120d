#include "BenchFiles.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "platform/TextCodec.h"

namespace kova::bench {
namespace {

std::filesystem::path baseDirectory() {
    const char* base = std::getenv("KOVA_BENCH_DIR");
    if (base != nullptr && *base != '\0') {
        return base;
    }
    return std::filesystem::temp_directory_path();
}

struct Directory {
    Directory() {
        std::string pattern = (baseDirectory() / "kova-bench-XXXXXX").string();
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

std::filesystem::path benchSubdirectory(std::string_view name) {
    const std::filesystem::path dir = benchDirectory() / name;
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void writeGbkFile(const std::filesystem::path& file, std::string_view utf8) {
    writeFile(file, utf8ToGbk(utf8));
}

}  // namespace kova::bench
