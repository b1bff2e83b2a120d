#pragma once
// Private-profile access to the line's ini files, with the semantics of the Windows profile API
// that the line's other programs use on the same files. Names and values cross this interface in
// UTF-8; the files are GBK (or UTF-8 when they start with a UTF-8 byte-order mark).
//
// Beyond that API: a write replaces the file atomically and writers using this layer in several
// processes serialise on a lock, so no key is lost and no file is ever torn.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniDocument.h"
#include "platform/IniEdit.h"  // IniWrite, IniWriteResult

namespace kova {

class IniFile {
  public:
    // A Windows-style or host path (mapped through hostPath at every call).
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value when the key exists (even empty), else the default with trailing spaces removed;
    // either cut to at most bufferSize - 1 GBK bytes without splitting a character. A buffer size
    // of 0 gives "".
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) const;

    // The leading integer of the value; the default when the key is missing, has no "=", or its
    // value is empty.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    // The file as it is at this moment, parsed (empty when missing): reads from it all see one
    // version of the file, even while another process replaces it.
    std::shared_ptr<const IniDocument> snapshot() const;

    // Creates or replaces one key.
    IniWriteResult writeString(std::string_view section, std::string_view key,
                               std::string_view value) const;

    // Applies the writes in order in one pass over the file; the file then holds exactly what the
    // same writes made one by one would have left. Refused as a whole, leaving the file untouched,
    // when any write would be refused.
    IniWriteResult writeStrings(const std::vector<IniWrite>& writes) const;

  private:
    std::string path_;
};

}  // namespace kova
