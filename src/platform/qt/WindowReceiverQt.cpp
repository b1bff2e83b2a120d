#include "platform/qt/WindowReceiverQt.h"

#include <QSocketNotifier>
#include <set>

namespace kova {

QtMessageWindow::QtMessageWindow(std::unique_ptr<MessageWindow> window)
    : window_(std::move(window)) {
    watchDescriptors();
}

QtMessageWindow::~QtMessageWindow() {
    for (auto& [fd, notifier] : notifiers_) {
        delete notifier;
    }
}

void QtMessageWindow::activated(int fd) {
    // Quiet while the handler runs: a handler that opens a nested event loop must not be
    // re-entered by the next message.
    for (auto& [watched, notifier] : notifiers_) {
        notifier->setEnabled(false);
    }
    window_->handleReadable(fd);
    watchDescriptors();
}

void QtMessageWindow::watchDescriptors() {
    const std::vector<int> list = window_->descriptors();
    const std::set<int> wanted(list.begin(), list.end());
    for (auto it = notifiers_.begin(); it != notifiers_.end();) {
        if (wanted.count(it->first) == 0) {
            it->second->setEnabled(false);
            it->second->deleteLater();  // may be the notifier whose signal is running
            it = notifiers_.erase(it);
        } else {
            it->second->setEnabled(true);
            ++it;
        }
    }
    for (int fd : wanted) {
        if (notifiers_.count(fd) == 0) {
            auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
            QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                             [this, fd] { activated(fd); });
            notifiers_[fd] = notifier;
        }
    }
}

void watchTerminationSignals(QObject* owner, std::function<void()> onSignal) {
    auto* notifier =
        new QSocketNotifier(terminationSignalDescriptor(), QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner,
                     [notifier, onSignal = std::move(onSignal)] {
                         notifier->setEnabled(false);
                         onSignal();
                     });
}

}  // namespace kova
