#pragma once
// Dialog_Digit: the digital channel test "Calib - 数字通道测试". The technician drives the card's
// 24 digital outputs by hand (pressed = high) and watches its 16 digital inputs (red = active).
// The calibration page creates it hidden, shows it on "数字通道测试..." and destroys it with
// itself; closing only hides it, with every output low, and so does destroying it.

#include <QDialog>
#include <QPixmap>
#include <array>

class CExtModule;
class QLabel;
class QPushButton;
class QTimer;

namespace kova {
class ChannelStore;
}

class Dialog_Digit : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kOutputs = 24;
    static constexpr int kInputs = 16;
    static constexpr int kPollTimerId = 1;
    static constexpr int kPollPeriodMs = 500;

    // Creates the window hidden: every output low, the labels of the channel configuration on
    // the buttons and indicators, polling started.
    Dialog_Digit(CExtModule& card, const kova::ChannelStore& labels, QWidget* parent = nullptr);
    // Drives every output low: relays and motors must not keep running once the window is gone.
    ~Dialog_Digit() override;

    // Timer 1: every input's indicator shows what the card reads now. Tests call it directly.
    void poll();

    // Commands.
    void OnOutput(int output);  // output button clicked: its new state goes to the card
    void OnAllLow();            // "全部置低"
    // "数字通道测试...": shows the window as it was left and polls again if closing stopped it.
    void ShowTest();
    // Close box or Escape: all outputs low, polling stopped, window hidden.
    void OnClose();

    QPushButton* outputButton(int output) const { return outputs_.at(output); }
    QPushButton* allLowButton() const { return allLow_; }
    QLabel* indicator(int input) const { return indicators_.at(input); }
    QLabel* inputLabel(int input) const { return inputLabels_.at(input); }
    // Whether indicator `input` shows the active image.
    bool inputShownActive(int input) const { return shownActive_.at(input); }
    const QTimer* pollTimer() const { return timer_; }

    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildControls();
    void ApplyLabels(const kova::ChannelStore& labels);

    CExtModule& card_;
    std::array<QPushButton*, kOutputs> outputs_{};
    std::array<QLabel*, kInputs> indicators_{};
    std::array<QLabel*, kInputs> inputLabels_{};
    std::array<bool, kInputs> shownActive_{};
    QPushButton* allLow_ = nullptr;
    QTimer* timer_ = nullptr;
    QPixmap active_;
    QPixmap inactive_;
};
