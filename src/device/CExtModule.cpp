#include "device/CExtModule.h"

#include <cstring>
#include <utility>

#include "platform/TextCodec.h"

using kova::slotOf;

bool CExtModule::Load(std::string_view modulePath) {
    if (IsLoaded()) {
        return true;
    }
    path_ = std::string(kova::cutToGbkBytes(modulePath, kPathBytes - 1));
    kova::DynamicLibrary library = kova::DynamicLibrary::open(modulePath);
    if (!library.isOpen()) {
        return false;
    }
    // Windows makes the module the source of window resources during the lookup; a shared
    // library carries no such resources here, so there is nothing to switch.
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const std::string name(kova::kExtSlots[i].name);
        slots_[i] = library.symbol(name.c_str());
    }
    library_ = std::move(library);
    return true;
}

void CExtModule::Unload() {
    if (!IsLoaded()) {
        return;
    }
    slots_.fill(nullptr);
    library_.close();
}

void CExtModule::GetPath(char* buffer) const {
    if (buffer == nullptr) {
        return;
    }
    const std::string gbk = kova::utf8ToGbk(path_);
    const std::string_view kept = kova::cutGbkBytes(gbk, kPathBytes - 1);
    std::memcpy(buffer, kept.data(), kept.size());
    buffer[kept.size()] = '\0';
}

void CExtModule::ExtOpen(std::string_view clientName) {
    const std::string gbk = kova::utf8ToGbk(clientName);
    forward<slotOf("ExtOpen")>(gbk.c_str());
}
void CExtModule::ExtClose() {
    forward<slotOf("ExtClose")>();
}
int CExtModule::ExtGetAnalog(int channel, float* samples, int count) {
    return forward<slotOf("ExtGetAnalog")>(channel, samples, count);
}
float CExtModule::ExtGetFreb(int channel) {
    return forward<slotOf("ExtGetFreb")>(channel);
}
int CExtModule::ExtGetEnc3(int channel) {
    return forward<slotOf("ExtGetEnc3")>(channel);
}
void CExtModule::ExtResetCNT() {
    forward<slotOf("ExtResetCNT")>();
}
int CExtModule::ExtInPutDig(int input) {
    return forward<slotOf("ExtInPutDig")>(input);
}
void CExtModule::ExtOutPutDig(int output, int state) {
    forward<slotOf("ExtOutPutDig")>(output, state);
}
int CExtModule::ExtGetStatusInfo(int channel) {
    return forward<slotOf("ExtGetStatusInfo")>(channel);
}
int CExtModule::ExtStop() {
    return forward<slotOf("ExtStop")>();
}
int CExtModule::ExtRelease() {
    return forward<slotOf("ExtRelease")>();
}
int CExtModule::ExtDoModal(void* data) {
    return forward<slotOf("ExtDoModal")>(data);
}
