#pragma once
// The check file "D:\calibdata": the check window's rows as a 404-byte record in the layout of a
// calibration table (n, then 50 shown values, then 50 reference values, little-endian), read by
// other programs of the line.

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace kova {

// The fixed name, drive letter included, is part of the format.
inline constexpr std::string_view kCheckFilePath = "D:\\calibdata";
inline constexpr std::size_t kCheckFileBytes = 404;
inline constexpr int kCheckFileRows = 50;

// One row of the check list: "实际值" (the value shown when it was added) and "输入值" (the
// reference typed by the technician).
struct CheckRow {
    std::string shown;
    std::string reference;
};

using CheckFileRecord = std::array<unsigned char, kCheckFileBytes>;

// Why "添加 ↓" refuses a row: the list is full (50 rows), the reference is empty, or a row with
// the same two texts exists (exact comparison). Empty when the row may be added.
std::string checkAddRefusal(std::span<const CheckRow> rows, const CheckRow& added);

// The record of the rows in list order, each text read by its leading decimal number (none gives
// 0); rows past the 50th are not stored, entries after the last row are 0.
CheckFileRecord checkFileRecord(std::span<const CheckRow> rows);

// Where a save writes the new file before it replaces the old one: beside it, so the replacement
// is a rename within one directory.
std::filesystem::path checkFileReplacementPath(const std::filesystem::path& file);

// Writes the record completely beside the file, then puts it in the file's place; false when the
// new file cannot be written whole or cannot replace the old one, which then stays as it was.
bool saveCheckFile(std::string_view windowsPath, const CheckFileRecord& record);

}  // namespace kova
