#include "controls/TabPage.h"

#include <QKeyEvent>
#include <QTimer>

#include "controls/MoveControl.h"
#include "controls/PageKeys.h"
#include "controls/Placement.h"

namespace kova {

TabPage::TabPage(PageAreaSource pageArea, QWidget* parent)
    : QWidget(parent), pageArea_(std::move(pageArea)) {}

TabPage::~TabPage() = default;

void TabPage::FollowPageArea() {
    followPageArea(*this, pageArea_ ? pageArea_() : QRect());
}

void TabPage::AttachLayout() {
    layout_ = std::make_unique<CMoveControl>();
    layout_->Attach(this);
}

void TabPage::Relayout() {
    if (layout_ == nullptr) {
        return;
    }
    layout_->Layout();
    AfterLayout();
}

void TabPage::StartFollowingPageArea() {
    placeTimer_ = new QTimer(this);
    placeTimer_->setInterval(kPlaceTimerMs);
    connect(placeTimer_, &QTimer::timeout, this, &TabPage::FollowPageArea);
    placeTimer_->start();
}

void TabPage::keyPressEvent(QKeyEvent* event) {
    if (!keepPageKey(event)) {
        QWidget::keyPressEvent(event);
    }
}

void TabPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

}  // namespace kova
