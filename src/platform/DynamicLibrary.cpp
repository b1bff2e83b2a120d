#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <system_error>
#include <utility>

#include "platform/HostPath.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;

namespace kova {

fs::path libraryFileFor(std::string_view moduleName) {
    constexpr std::string_view kDll = ".dll";
    std::error_code ec;
    if (moduleName.size() > kDll.size() &&
        equalsIgnoreAsciiCase(moduleName.substr(moduleName.size() - kDll.size()), kDll)) {
        std::string twinName(moduleName.substr(0, moduleName.size() - kDll.size()));
        twinName += ".so";
        const fs::path twin = hostPath(twinName);
        if (fs::is_regular_file(twin, ec)) {
            return fs::absolute(twin, ec);
        }
    }
    const fs::path given = hostPath(moduleName);
    const fs::path absolute = fs::absolute(given, ec);
    return ec ? given : absolute;
}

fs::path libraryFileContaining(const void* address) {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::error_code ec;
    const fs::path file = fs::absolute(info.dli_fname, ec);
    return ec ? fs::path(info.dli_fname) : file;
}

namespace {

struct CodeSearch {
    const link_map* library;
    std::vector<CodeRange>* ranges;
};

// The executable load segments of the library whose link map is `search->library`.
int collectCode(dl_phdr_info* info, std::size_t /*size*/, void* raw) {
    auto* search = static_cast<CodeSearch*>(raw);
    const char* name = info->dlpi_name != nullptr ? info->dlpi_name : "";
    const char* wanted = search->library->l_name != nullptr ? search->library->l_name : "";
    if (info->dlpi_addr != search->library->l_addr || std::strcmp(name, wanted) != 0) {
        return 0;
    }
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
            const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
            search->ranges->push_back(CodeRange{begin, begin + segment.p_memsz});
        }
    }
    return 1;
}

}  // namespace

DynamicLibrary::~DynamicLibrary() {
    close();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      linkMap_(std::exchange(other.linkMap_, nullptr)),
      error_(std::move(other.error_)),
      codeRanges_(std::move(other.codeRanges_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        linkMap_ = std::exchange(other.linkMap_, nullptr);
        error_ = std::move(other.error_);
        codeRanges_ = std::move(other.codeRanges_);
    }
    return *this;
}

DynamicLibrary DynamicLibrary::open(std::string_view moduleName) {
    DynamicLibrary library;
    const fs::path file = libraryFileFor(moduleName);
    if (file.empty()) {
        library.error_ = "empty module name";
        return library;
    }
    // Every entry point is bound at load, so a module with unresolved references fails here
    // rather than in the middle of a call.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        library.error_ = why != nullptr ? why : "cannot load " + file.string();
        return library;
    }
    void* linkMap = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &linkMap) != 0) {
        const char* why = dlerror();
        library.error_ = why != nullptr ? why : "no link map for " + file.string();
        dlclose(handle);
        return library;
    }
    library.handle_ = handle;
    library.linkMap_ = linkMap;
    CodeSearch search{static_cast<const link_map*>(linkMap), &library.codeRanges_};
    dl_iterate_phdr(collectCode, &search);
    return library;
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    dlerror();
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
        return nullptr;
    }
    Dl_info info{};
    void* owner = nullptr;
    if (dladdr1(address, &info, &owner, RTLD_DL_LINKMAP) == 0 || owner != linkMap_) {
        return nullptr;
    }
    return address;
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
        linkMap_ = nullptr;
        codeRanges_.clear();
    }
}

}  // namespace kova
