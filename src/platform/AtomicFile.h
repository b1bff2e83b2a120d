#pragma once
// Replacing a file as a whole: the new bytes go to a temporary file beside it, are flushed to
// the disk and renamed over the file, so a crash at any moment leaves the old file or the new
// one, never a torn one. Writers using this layer in several processes serialise on a lock of
// the file's directory (not of the file, which the rename replaces), so they leave no lock
// files beside the line's files.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace kova {

// What a write did: empty reason and error 0 when it was done.
struct FileWriteResult {
    int error = 0;       // the system's error number of the failure
    std::string reason;  // what failed and why, for a log or a message: "cannot write X: ..."
    explicit operator bool() const { return error == 0; }
};

// Where a replacement of `file` is written first: beside it, so that putting it in place is a
// rename within one directory.
std::filesystem::path atomicReplacementPath(const std::filesystem::path& file);

// A directory held under the writers' lock for as long as this object lives (waiting for
// another writer to finish first).
class LockedDirectory {
  public:
    explicit LockedDirectory(const std::filesystem::path& dir);

    // Why the directory could not be opened or locked; true when it is held.
    const FileWriteResult& status() const { return status_; }
    const std::filesystem::path& path() const { return dir_; }
    // The open directory, for reading the files in it under the lock.
    int fd() const { return fd_.get(); }

    // Replaces (or creates) the file `name` in this directory with `bytes`. A replaced file keeps
    // its owner (where the process may set it) and its permissions; its modification time is
    // later than the old one's. On failure the file stays as it was and no temporary file is
    // left.
    FileWriteResult replace(const std::string& name, std::string_view bytes) const;

  private:
    std::filesystem::path dir_;
    FileDescriptor fd_;
    FileWriteResult status_;
};

// Locks the file's directory and replaces the file with `bytes` (see LockedDirectory::replace).
FileWriteResult writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace kova
