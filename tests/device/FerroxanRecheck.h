#pragma once
// The simulated card looks at its settings file at most every 100 ms; a test that has just
// edited the file tells the loaded card to look at once, so the next read sees the edit.

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/DynamicLibrary.h"

namespace kova::test {

inline void recheckFerroxanSettings(const std::filesystem::path& moduleFile) {
    // Opening the loaded file again gives the same loaded module.
    const DynamicLibrary same = DynamicLibrary::open(moduleFile.string());
    const auto recheck = reinterpret_cast<void (*)()>(same.symbol("FerroxanRecheckSettings"));
    ASSERT_NE(recheck, nullptr) << moduleFile;
    recheck();
}

}  // namespace kova::test
