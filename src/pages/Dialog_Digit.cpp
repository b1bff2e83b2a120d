#include "pages/Dialog_Digit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <string>

#include "config/ChannelStore.h"
#include "device/CExtModule.h"
#include "pages/PageImages.h"

namespace {

constexpr int kPerRow = 8;
constexpr int kLow = 0;
constexpr int kHigh = 1;
// ExtInPutDig reports an active input with exactly this value.
constexpr int kActiveInput = 1;

constexpr int kOutputButtonWidth = 64;
constexpr int kOutputButtonHeight = 30;
constexpr int kIndicatorSize = 16;
constexpr int kInputLabelWidth = 48;

}  // namespace

Dialog_Digit::Dialog_Digit(CExtModule& card, const kova::ChannelStore& labels, QWidget* parent)
    : QDialog(parent), card_(card), active_(kova::ActiveImage()), inactive_(kova::InactiveImage()) {
    setWindowTitle(QStringLiteral("Calib - 数字通道测试"));
    BuildControls();
    // Every output starts low, matching the released buttons.
    for (int n = 0; n < kOutputs; ++n) {
        card_.ExtOutPutDig(n, kLow);
    }
    ApplyLabels(labels);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &Dialog_Digit::poll);
    timer_->start(kPollPeriodMs);
}

Dialog_Digit::~Dialog_Digit() {
    for (int n = 0; n < kOutputs; ++n) {
        card_.ExtOutPutDig(n, kLow);
    }
}

void Dialog_Digit::BuildControls() {
    auto* outputGroup =
        new QGroupBox(QStringLiteral("数字输出（控制继电器、电机等，按下为高、弹起为低）"), this);
    auto* outputRow = new QHBoxLayout(outputGroup);
    auto* buttons = new QGridLayout;
    for (int n = 0; n < kOutputs; ++n) {
        auto* b = new QPushButton(QString::number(n), outputGroup);
        b->setCheckable(true);
        b->setAutoDefault(false);
        b->setFixedSize(kOutputButtonWidth, kOutputButtonHeight);
        connect(b, &QPushButton::clicked, this, [this, n] { OnOutput(n); });
        buttons->addWidget(b, n / kPerRow, n % kPerRow);
        outputs_.at(n) = b;
    }
    outputRow->addLayout(buttons);
    allLow_ = new QPushButton(QStringLiteral("全部置低"), outputGroup);
    allLow_->setAutoDefault(false);
    allLow_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    connect(allLow_, &QPushButton::clicked, this, &Dialog_Digit::OnAllLow);
    outputRow->addWidget(allLow_);

    auto* inputGroup =
        new QGroupBox(QStringLiteral("数字输入（光电状态等，红色为有效绿色为无效）"), this);
    auto* inputs = new QGridLayout(inputGroup);
    for (int n = 0; n < kInputs; ++n) {
        auto* image = new QLabel(inputGroup);
        image->setFixedSize(kIndicatorSize, kIndicatorSize);
        image->setPixmap(inactive_);
        auto* label = new QLabel(QString::number(n + 1), inputGroup);
        label->setMinimumWidth(kInputLabelWidth);
        const int row = n / kPerRow;
        const int column = 2 * (n % kPerRow);
        inputs->addWidget(image, row, column);
        inputs->addWidget(label, row, column + 1);
        indicators_.at(n) = image;
        inputLabels_.at(n) = label;
    }

    auto* page = new QVBoxLayout(this);
    page->addWidget(outputGroup);
    page->addWidget(inputGroup);
    page->setSizeConstraint(QLayout::SetFixedSize);
}

void Dialog_Digit::ApplyLabels(const kova::ChannelStore& labels) {
    for (int n = 0; n < kOutputs; ++n) {
        const std::string about = labels.LoadDigitalAbout(kova::DigitalKind::Output, n);
        if (!about.empty()) {
            outputs_.at(n)->setText(QString::fromStdString(about));
        }
    }
    for (int n = 0; n < kInputs; ++n) {
        const std::string about = labels.LoadDigitalAbout(kova::DigitalKind::Input, n);
        if (!about.empty()) {
            inputLabels_.at(n)->setText(QString::fromStdString(about));
        }
    }
}

void Dialog_Digit::poll() {
    for (int n = 0; n < kInputs; ++n) {
        const bool active = card_.ExtInPutDig(n) == kActiveInput;
        indicators_.at(n)->setPixmap(active ? active_ : inactive_);
        shownActive_.at(n) = active;
    }
}

void Dialog_Digit::OnOutput(int output) {
    card_.ExtOutPutDig(output, outputs_.at(output)->isChecked() ? kHigh : kLow);
}

void Dialog_Digit::OnAllLow() {
    for (int n = 0; n < kOutputs; ++n) {
        card_.ExtOutPutDig(n, kLow);
    }
    for (QPushButton* b : outputs_) {
        b->setChecked(false);
    }
}

void Dialog_Digit::ShowTest() {
    show();
    raise();
    activateWindow();
    if (!timer_->isActive()) {
        timer_->start(kPollPeriodMs);
    }
}

void Dialog_Digit::OnClose() {
    OnAllLow();
    timer_->stop();
    hide();
}

// The close box and Escape both end here (QDialog's close handling rejects); the window lives on
// with the page, hidden.
void Dialog_Digit::reject() {
    OnClose();
}

void Dialog_Digit::keyPressEvent(QKeyEvent* event) {
    // Enter does nothing here; Escape closes as the close box does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
