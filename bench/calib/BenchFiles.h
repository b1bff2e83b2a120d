#pragma once
// A temporary directory for benchmark data, removed at exit.

#include <filesystem>
#include <string>

namespace kova::bench {

// A fresh directory under the system's temporary directory; removed when the program ends.
const std::filesystem::path& benchDirectory();

// Writes the bytes to the file, replacing it.
void writeFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace kova::bench
