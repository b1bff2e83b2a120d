#include "pages/CalibPageWindows.h"

#include "config/ChannelStore.h"
#include "controls/Dialogs.h"
#include "pages/Dialog_Check.h"
#include "pages/Dialog_Digit.h"
#include "pages/Dialog_Tdcab.h"
#include "runtime/Runtime.h"

namespace kova {

Dialog_Digit* connectPageWindows(Dialog_Tdcab& page, Runtime& rt) {
    const ChannelStore labels(rt.channelIniPaths());
    auto* digit = new Dialog_Digit(rt.hardwareModule, labels, &page);
    page.showDigitalTest = [digit] { digit->ShowTest(); };
    page.runCheckWindow = [&rt, &page](const auto& request) {
        Dialog_Check check(rt, request.device, request.channel, request.debugLog, request.sendToLed,
                           &page);
        check.setStation(request.station);
        dialogs().runModal(check);
    };
    return digit;
}

}  // namespace kova
