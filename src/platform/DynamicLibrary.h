#pragma once
// A shared library loaded by path at run time, released when the handle goes away.
//
// Module names keep their Windows form ("%s\Ferroxan.dll"): a name ending in ".dll" opens as the
// ".so" beside it when that file exists, else as given.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GuardedCall.h"

namespace kova {

// The host file a module name opens: the ".so" twin of a ".dll" name when it exists, else the
// name's own host path. The result is absolute, so the loader never searches library paths.
std::filesystem::path libraryFileFor(std::string_view moduleName);

// The host file of the loaded library (or executable) that holds `address`; empty when unknown.
// A module finds the files it keeps beside itself this way.
std::filesystem::path libraryFileContaining(const void* address);

class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the module (Windows-style or host name, UTF-8). On failure the result is not open
    // and error() says why.
    static DynamicLibrary open(std::string_view moduleName);

    bool isOpen() const { return handle_ != nullptr; }

    // The address of a function or object that the library itself defines under that exact
    // name, or null. Names that only its dependencies (the C library, ...) define count as
    // missing: a module lacking "Close" must not hand out someone else's.
    void* symbol(const char* name) const;

    // The library's own code, for guarded calls into it: a fault counts as the module's only
    // there. Empty when it is not open.
    GuardedCode code() const { return GuardedCode{codeRanges_, false}; }

    // Releases the library; does nothing when it is not open.
    void close();

    // The loader's message for the last failed open; empty otherwise.
    const std::string& error() const { return error_; }

  private:
    void* handle_ = nullptr;
    void* linkMap_ = nullptr;
    std::string error_;
    std::vector<CodeRange> codeRanges_;
};

}  // namespace kova
