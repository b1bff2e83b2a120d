#pragma once
// Windows-style file names ("%s\Calib.ini", "D:\calibdata") mapped to host paths in one place.
//
//  - "\" and "/" both separate components.
//  - Drive "X:" maps to $KOVA_DRIVE_X when set, else $KOVA_DRIVES/x, with KOVA_DRIVES defaulting
//    to ${XDG_DATA_HOME:-~/.local/share}/kova/drives; "Z:" defaults to "/".
//  - A path starting with "/" is a host path; one starting with "\" is rooted on the drive of the
//    working directory; any other path is relative to the working directory.
//  - A component that does not exist with its exact case but matches exactly one entry of its
//    directory without regard to ASCII case resolves to that entry (files copied from a Windows
//    station keep working).

#include <filesystem>
#include <string>
#include <string_view>

namespace kova {

// The host path of a Windows-style or host path given as UTF-8 text.
std::filesystem::path hostPath(std::string_view path);

// The same mapping as text, without resolving letter case, and a relative path stays relative to
// the working directory: string operations only, no file-system access. hostPath gives this path
// whenever it exists, so a caller can try it first.
std::string lexicalHostPath(std::string_view path);

// The host directory that drive letter `drive` ('A'..'Z', either case) maps to.
std::filesystem::path driveRoot(char drive);

// The Windows view of the working directory: "X:\..." for the drive whose root contains it
// (longest root wins), else "Z:\" followed by the host path.
std::string windowsWorkingDirectory();

// The Windows view of a host path, by the same rule.
std::string windowsViewOf(const std::filesystem::path& host);

// The operating system's "system directory": $KOVA_SYSTEM_DIR, else ../lib/kova relative to the
// running executable.
std::filesystem::path systemDirectory();

// UTF-8 text of a host path (host paths are UTF-8 on this platform).
std::string pathText(const std::filesystem::path& p);

}  // namespace kova
