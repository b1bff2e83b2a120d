#pragma once
// The main window's status line as the place where the LED client reports its state.

#include <QLabel>
#include <QPointer>

#include "calib/ClientLED.h"

namespace kova {

class StatusLine final : public cClientLED::StatusWindow {
  public:
    explicit StatusLine(QLabel* label) : label_(label) {}
    void SetText(const char* text) override {
        if (label_ != nullptr) {
            label_->setText(QString::fromUtf8(text != nullptr ? text : ""));
        }
    }

  private:
    QPointer<QLabel> label_;
};

}  // namespace kova
