#include "dialogs/logic/MaintenancePassword.h"

#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {

std::string maintenancePassword(int hour) {
    return std::string(kMaintenancePrefix) + formatInt(hour);
}

bool isMaintenancePassword(std::string_view typed, int hour) {
    return equalsIgnoreAsciiCase(typed, maintenancePassword(hour));
}

}  // namespace kova
