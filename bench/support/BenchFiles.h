#pragma once
// Benchmark data on disk: one temporary directory for the run, files written byte for byte or
// from UTF-8 text as GBK, the way the line's programs store their ini files.

#include <filesystem>
#include <string>
#include <string_view>

namespace kova::bench {

// A fresh directory for the run, removed when the program ends. It is made under KOVA_BENCH_DIR
// when that is set (a memory file system, say), else under the system's temporary directory.
const std::filesystem::path& benchDirectory();

// A directory of that name in benchDirectory(), made when it is not there yet.
std::filesystem::path benchSubdirectory(std::string_view name);

// Writes the bytes to the file, replacing it.
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// Writes the UTF-8 text to the file as GBK, replacing it.
void writeGbkFile(const std::filesystem::path& file, std::string_view utf8);

}  // namespace kova::bench
