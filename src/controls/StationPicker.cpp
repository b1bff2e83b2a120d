#include "controls/StationPicker.h"

#include <QComboBox>

#include "config/ChannelRows.h"
#include "config/ChannelStore.h"
#include "controls/WidgetText.h"

namespace kova {

namespace {

void addAll(QComboBox& box, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        box.addItem(qs(text));
    }
}

}  // namespace

bool fillStations(QComboBox& stations, QComboBox& devices, const ChannelStore& store) {
    addAll(stations, sortedNames(store.ListStations()));
    if (stations.count() == 0) {
        return false;
    }
    stations.setCurrentIndex(0);
    fillDevices(devices, store, textOf(stations));
    stations.setEnabled(stations.count() != 1);
    return true;
}

void fillDevices(QComboBox& devices, const ChannelStore& store, const std::string& station) {
    devices.clear();
    addAll(devices, sortedNames(store.ListDevices(station)));
    devices.setCurrentIndex(-1);
}

}  // namespace kova
