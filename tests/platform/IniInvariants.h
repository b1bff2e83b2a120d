#pragma once
// Properties every ini file keeps under parsing and writing, whatever its bytes. Checked by the
// fuzz target and by the corpus replay test.

#include <string>
#include <string_view>

namespace kova::test {

// "" when every property holds, else what failed:
//  - the lines cover the file exactly; every reachable key reads, within its buffer size;
//  - a write is refused with a reason, or reads back, keeps the file's encoding, changes no
//    other key, changes at most one line's content, and changes nothing when made a second time;
//  - a grouped write leaves exactly what the same writes one by one leave.
std::string checkIniInvariants(std::string_view bytes);

}  // namespace kova::test
