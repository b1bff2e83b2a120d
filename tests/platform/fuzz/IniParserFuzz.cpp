// libFuzzer target: any bytes as an ini file, parsed, read and written.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "IniInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure =
        kova::test::checkIniInvariants(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
