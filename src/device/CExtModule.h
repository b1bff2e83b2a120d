#pragma once
// The loader of the product family's component modules: loads one module by path, resolves the
// family's 177 entry-point slots once, and forwards calls to them. A forwarding operation never
// fails at its caller: an absent entry point gives the slot's absent default without a call, and
// an entry point that throws or faults gives its failure default (see ExtModuleSlots.h).
//
// Not for use from several threads at once.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "device/ExtModuleSlots.h"
#include "platform/DynamicLibrary.h"
#include "platform/GuardedCall.h"

class CExtModule {
  public:
    // Longest stored path, in GBK bytes, with room for the terminator in a 260-byte buffer.
    static constexpr std::size_t kPathBytes = 260;

    CExtModule() = default;
    ~CExtModule() = default;  // releases a loaded module without calling into it
    CExtModule(const CExtModule&) = delete;
    CExtModule& operator=(const CExtModule&) = delete;

    // True when a module is loaded afterwards. While one is loaded, a further Load changes
    // nothing. The path is kept even when loading fails.
    bool Load(std::string_view modulePath);

    // Releases the module and marks every slot absent; nothing when none is loaded.
    void Unload();

    bool IsLoaded() const { return library_.isOpen(); }

    // Copies the stored path as zero-terminated GBK into a buffer of at least kPathBytes bytes;
    // nothing when the buffer is null.
    void GetPath(char* buffer) const;

    // The stored path (UTF-8).
    const std::string& path() const { return path_; }

    // The address a slot resolved to, or null (absent, or no such slot).
    void* entryPoint(std::size_t slot) const {
        return slot < slots_.size() ? slots_[slot] : nullptr;
    }

    // Forwarding operations of the entry points the tool calls. Adding another is one line in
    // CExtModule.cpp with the entry point's own arguments.
    void ExtOpen(std::string_view clientName);  // the name crosses as zero-terminated GBK
    void ExtClose();
    int ExtGetAnalog(int channel, float* samples, int count);
    float ExtGetFreb(int channel);
    int ExtGetEnc3(int channel);
    void ExtResetCNT();
    int ExtInPutDig(int input);
    void ExtOutPutDig(int output, int state);
    // A channel's state: 0 fresh, 1 link down, 2 not configured, 3 device exception.
    int ExtGetStatusInfo(int channel);
    int ExtStop();
    int ExtRelease();
    int ExtDoModal(void* data);

  private:
    // Calls slot `Slot` with the arguments unchanged; the slot's defaults when it is absent or
    // its call fails.
    template <std::size_t Slot, class... Args>
    auto forward(Args... args) {
        using Defaults = kova::SlotDefaults<kova::kExtSlots[Slot].kind>;
        using Raw = typename Defaults::Raw;
        using Entry = Raw (*)(Args...);
        void* const address = slots_[Slot];
        if (address == nullptr) {
            return Defaults::absent();
        }
        const auto entry = reinterpret_cast<Entry>(address);
        if constexpr (std::is_void_v<Raw>) {
            kova::guardedCall(library_.code(), [&] { entry(args...); });
        } else {
            Raw raw{};
            if (!kova::guardedCall(
                    library_.code(), [&] { return entry(args...); }, raw)) {
                return Defaults::failed();
            }
            return Defaults::result(raw);
        }
    }

    std::string path_;
    kova::DynamicLibrary library_;
    std::array<void*, kova::kExtSlotCount> slots_{};
};
