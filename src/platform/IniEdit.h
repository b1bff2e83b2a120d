#pragma once
// Private-profile writes applied to a parsed ini file, as a pure function from the file's bytes
// to its new bytes. Only the affected lines change; every other byte stays as it was.

#include <string>
#include <vector>

#include "platform/IniDocument.h"

namespace kova {

// One key to write.
struct IniWrite {
    std::string section;
    std::string key;
    std::string value;
};

// Why a write failed, in the terms a window explains to a technician.
enum class IniWriteError {
    None,
    ReadOnly,     // no write permission on the file or its directory, or a read-only mount
    DiskFull,     // no space or quota left, or the file size limit reached
    NoDirectory,  // the file's directory does not exist
    BadText,      // a name or value the file cannot hold (line break, "=" in a key, encoding)
    Other,
};

// Outcome of a write: ok, or the reason it was refused or failed. `reason` is the technical
// detail (English, for stderr and logs); `error` is what a window tells the user.
struct IniWriteResult {
    bool ok = true;
    std::string reason;
    IniWriteError error = IniWriteError::None;
    explicit operator bool() const { return ok; }
};

// The file's content after a list of writes.
struct IniEdit {
    IniWriteResult result;  // refused: nothing was applied
    bool changed = false;   // false: the file stays as it is, byte for byte
    std::string bytes;      // the new content when changed
};

// Why a write must not go into this file, or "" when it may. Refused: a CR, LF or NUL in any
// part (the line would split); "=" in the key, or a key beginning with "[" or ";" (it would read
// back as something else); a character the file's encoding cannot hold (it could never be
// matched again).
std::string iniWriteRefusal(const IniDocument& doc, const IniWrite& write);

// Applies the writes in order in one pass. The result is exactly what the same writes made one
// by one would have left; when any write is refused, none is applied.
IniEdit applyIniWrites(const IniDocument& doc, const std::vector<IniWrite>& writes);

}  // namespace kova
