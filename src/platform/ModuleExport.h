#pragma once
// What a component module (a library the tool loads by path) needs for itself: the attribute that
// exports an entry point under its plain name, and the directory its own file lies in.

#include <filesystem>

#include "platform/DynamicLibrary.h"

#define KOVA_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace kova {

// Compiled into each module that calls it (modules hide their inline functions), so the anchor
// lies in the calling module's own image, whatever name the file was loaded under.
inline std::filesystem::path ownModuleDirectory() {
    static const int anchor = 0;
    return libraryFileContaining(&anchor).parent_path();
}

}  // namespace kova
