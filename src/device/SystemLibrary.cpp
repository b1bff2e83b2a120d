#include "device/SystemLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "device/SystemLibraryNames.h"
#include "platform/GuardedCall.h"
#include "platform/HostPath.h"

namespace kova {
namespace {

// The called entry points lead the lookup order in this sequence.
static_assert(kSystemLibraryNames[0] == "GetTesvar" && kSystemLibraryNames[1] == "GetVers" &&
              kSystemLibraryNames[2] == "GetField" && kSystemLibraryNames[3] == "Filter_1");

void toStandardError(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// Calls an entry point guarded; `fallback` when it is absent or fails.
template <class R, class... Args>
R call(const DynamicLibrary& library, void* address, R fallback, Args... args) {
    if (address == nullptr) {
        return fallback;
    }
    const auto entry = reinterpret_cast<R (*)(Args...)>(address);
    R result = fallback;
    if (!guardedCall(
            library.code(), [&] { return entry(args...); }, result)) {
        return fallback;
    }
    return result;
}

}  // namespace

std::string systemLibraryFileName(int selector) {
    switch (selector) {
        case 2:
            return "Tesvar2b.dll";
        case 4:
            return "Tesvar4b.dll";
        case 8:
            return "Tesvar8b.dll";
        case 16:
            return "Tesvar16b.dll";
        default:
            return "Tesvar.dll";
    }
}

int missingEntryPointCode(std::size_t index) {
    // The family's codes never used -117.
    const int code = -2 - static_cast<int>(index);
    return code <= -117 ? code - 1 : code;
}

SystemLibrary::SystemLibrary() : showMessage_(toStandardError) {}

SystemLibrary::SystemLibrary(MessageSink showMessage) {
    setMessageSink(std::move(showMessage));
}

void SystemLibrary::setMessageSink(MessageSink showMessage) {
    showMessage_ = showMessage ? std::move(showMessage) : MessageSink(toStandardError);
}

int SystemLibrary::Load(int selector) {
    Unload();
    const std::string directory = pathText(systemDirectory());
    if (directory.empty()) {
        return kNoSystemDirectory;
    }
    library_ = DynamicLibrary::open(directory + "\\" + systemLibraryFileName(selector));
    if (!library_.isOpen()) {
        if (!endProcessWhenNotLoadable_) {
            return kNotLoadable;
        }
        showMessage_(kNotLoadableMessage);
        std::exit(kExitCodeNotLoadable);
    }
    for (std::size_t i = 0; i < kSystemLibraryNames.size(); ++i) {
        const std::string name(kSystemLibraryNames[i]);
        void* address = library_.symbol(name.c_str());
        if (address == nullptr) {
            return missingEntryPointCode(i);
        }
        if (i < kCalledCount) {
            called_[i] = address;
        }
    }
    return kLoaded;
}

void SystemLibrary::Unload() {
    called_.fill(nullptr);
    library_.close();
}

int SystemLibrary::GetTesvar(EnvRecord* record) {
    return call<int>(library_, called_[kGetTesvar], kAbsent, static_cast<void*>(record));
}

int SystemLibrary::GetVers(int which, char* buffer) {
    return call<int>(library_, called_[kGetVers], kAbsent, which, buffer);
}

int SystemLibrary::GetField(const char* source, char* buffer, int field) {
    return call<int>(library_, called_[kGetField], kAbsent, source, buffer, field);
}

float SystemLibrary::Filter_1(int slot, float value, float coefficient) {
    return call<float>(library_, called_[kFilter1], static_cast<float>(kAbsent), slot, value,
                       coefficient);
}

}  // namespace kova
