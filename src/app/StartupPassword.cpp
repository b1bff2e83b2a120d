#include "app/StartupPassword.h"

#include "controls/Dialogs.h"
#include "device/CExtModule.h"
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
    if (answer == 0) {
        record.status = kLoginRefused;
        return 0;
    }
    return 1;
}

}  // namespace kova
