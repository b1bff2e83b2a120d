#pragma once
// Serves a MessageWindow on the Qt event loop of the window thread, through socket notifiers.

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "platform/WindowReceiver.h"

class QSocketNotifier;

namespace kova {

class QtMessageWindow {
  public:
    explicit QtMessageWindow(std::unique_ptr<MessageWindow> window);
    ~QtMessageWindow();
    QtMessageWindow(const QtMessageWindow&) = delete;
    QtMessageWindow& operator=(const QtMessageWindow&) = delete;

    MessageWindow& window() { return *window_; }

  private:
    void activated(int fd);
    void watchDescriptors();

    std::unique_ptr<MessageWindow> window_;
    std::map<int, QSocketNotifier*> notifiers_;
};

// Calls `onSignal` on the event loop of `owner`'s thread once SIGINT, SIGTERM or SIGHUP arrives.
void watchTerminationSignals(QObject* owner, std::function<void()> onSignal);

}  // namespace kova
