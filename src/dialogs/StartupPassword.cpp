#include "dialogs/StartupPassword.h"

#include <cstdio>

#include "controls/Dialogs.h"
#include "device/CExtModule.h"
#include "device/ExtModuleSlots.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {
// The message buffer of the box holds 500 bytes with its terminating zero.
constexpr std::size_t kMessageBytes = 499;
}  // namespace

int RunStartupPasswordBox(LoginRecord& record, const std::string& componentPath, QWidget* parent) {
    CExtModule component;
    component.Load(componentPath);
    if (!component.IsLoaded()) {
        const std::string text = "密码框组件不存在:" + componentPath;
        dialogs().message(parent, std::string(cutToGbkBytes(text, kMessageBytes)), "数据库校验工具",
                          MessageIcon::Exclamation);
        return 0;
    }
    const int answer = component.ExtDoModal(&record);
    component.ExtStop();
    component.Unload();
    // ExtDoModal's failure default: the component threw or faulted inside its box.
    const bool failed = answer == SlotDefaults<SlotKind::Int>::failed();
    if (failed) {
        // A box that broke has let nobody in; opening without a login would be the worst reading.
        std::fprintf(stderr, "Calib: the password box component failed inside ExtDoModal: %s\n",
                     componentPath.c_str());
    }
    if (answer == 0 || failed) {
        record.status = kLoginRefused;
        return 0;
    }
    return 1;
}

}  // namespace kova
