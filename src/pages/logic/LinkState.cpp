#include "pages/logic/LinkState.h"

namespace kova {

std::string_view linkStateText(int state) {
    switch (state) {
        case kReadingFresh:
            return {};
        case 1:
            return "通讯中断";
        case 2:
            return "通道未配置";
        default:
            return "设备报错";
    }
}

}  // namespace kova
